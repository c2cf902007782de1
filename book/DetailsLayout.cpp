#include "DetailsLayout.h"

#include <algorithm>
#include <climits>
#include <map>

namespace details_layout {

namespace {

int End(const QRect& r) {
    return r.x() + r.width();
}

bool OverlapY(const QRect& a, const QRect& b) {
    return a.y() < b.y() + b.height() && b.y() < a.y() + a.height();
}

// Side by side the person's boxes share one mapping, so the two columns keep their proportions;
// stacked each column spans the whole width.
int MappingKey(Block block, bool stacked) {
    if (!stacked && block == Block::Company) {
        return static_cast<int>(Block::Phones);
    }
    return static_cast<int>(block);
}

// The frame around each item: the smallest that holds its centre; -1 for frames and for none.
std::vector<int> FramesAround(const std::vector<Item>& items) {
    std::vector<int> around(items.size(), -1);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == Kind::Frame) {
            continue;
        }
        const QPoint centre = items[i].designed.center();
        for (size_t f = 0; f < items.size(); ++f) {
            if (items[f].kind != Kind::Frame || !items[f].designed.contains(centre)) {
                continue;
            }
            const int best = around[i];
            if (best < 0 || items[f].designed.width() * items[f].designed.height() <
                                items[best].designed.width() * items[best].designed.height()) {
                around[i] = static_cast<int>(f);
            }
        }
    }
    return around;
}

}  // namespace

Placement Lay(const std::vector<Item>& items, const QSize& designed, const QSize& size,
              bool stacked, const Spacing& spacing) {
    Placement out;
    out.stacked = stacked;
    // The horizontal span of each mapping at the designed size.
    std::map<int, std::pair<int, int>> spans;
    for (const Item& item : items) {
        const int key = MappingKey(item.block, stacked);
        auto [it, added] = spans.try_emplace(key, item.designed.x(), End(item.designed));
        if (!added) {
            it->second.first = std::min(it->second.first, item.designed.x());
            it->second.second = std::max(it->second.second, End(item.designed));
        }
    }
    const int dx = size.width() - designed.width();
    // Stacked, the company and address boxes span what the person's boxes span side by side.
    int personLeft = INT_MAX;
    int personRight = INT_MIN;
    int phonesBottom = 0;
    int companyTop = INT_MAX;
    for (const Item& item : items) {
        if (item.block == Block::Phones || item.block == Block::Company) {
            personLeft = std::min(personLeft, item.designed.x());
            personRight = std::max(personRight, End(item.designed));
        }
        if (item.block == Block::Phones) {
            phonesBottom = std::max(phonesBottom, item.designed.y() + item.designed.height());
        }
        if (item.block == Block::Company) {
            companyTop = std::min(companyTop, item.designed.y());
        }
    }
    const int shift =
        stacked && companyTop != INT_MAX ? phonesBottom + spacing.stack - companyTop : 0;
    out.height = designed.height() + shift;
    const int dy = std::max(0, size.height() - out.height);

    out.rects.reserve(items.size());
    for (const Item& item : items) {
        const auto [left, right] = spans[MappingKey(item.block, stacked)];
        const bool person = item.block == Block::Phones || item.block == Block::Company;
        const int toLeft = stacked && person ? personLeft : left;
        const int toRight = (stacked && person ? personRight : right) + dx;
        const double ratio =
            right > left ? std::max(0.05, double(toRight - toLeft) / (right - left)) : 1.0;
        const auto map = [&](int x) { return toLeft + int((x - left) * ratio + 0.5); };
        const int x = map(item.designed.x());
        const int width = item.sizeX ? map(End(item.designed)) - x : item.designed.width();
        const bool lower =
            shift > 0 && (item.block == Block::Company || item.block == Block::Contact);
        out.rects.emplace_back(x, item.designed.y() + (lower ? shift : 0), width,
                               item.designed.height() + (item.sizeY ? dy : 0));
    }
    const std::vector<QRect> proportional = out.rects;

    // Every caption gets its text's width; what follows it in its row moves over, keeping its
    // right edge where there is room.
    for (size_t c = 0; c < items.size(); ++c) {
        if (items[c].kind != Kind::Caption) {
            continue;
        }
        std::vector<int> row;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].kind != Kind::Frame && items[i].block == items[c].block &&
                OverlapY(items[i].designed, items[c].designed)) {
                row.push_back(static_cast<int>(i));
            }
        }
        std::sort(row.begin(), row.end(),
                  [&](int a, int b) { return items[a].designed.x() < items[b].designed.x(); });
        int cursor = INT_MIN;
        for (int i : row) {
            QRect& r = out.rects[i];
            // A caption's text is left-aligned: the gap after it lies within its own width, so
            // one that already has room leaves its control where the table put it.
            const bool caption = items[i].kind == Kind::Caption;
            const int x = std::max(r.x(), cursor);
            const int end = std::max(End(r), x + items[i].least + (caption ? spacing.gap : 0));
            r = QRect(x, r.y(), end - x, r.height());
            cursor = end + (caption ? 0 : spacing.gap);
        }
    }
    // No control narrower than it may be.
    for (size_t i = 0; i < items.size(); ++i) {
        QRect& r = out.rects[i];
        if (items[i].kind != Kind::Frame && r.width() < items[i].least) {
            r.setWidth(items[i].least);
        }
    }

    // It fits when nothing had to grow past its box's inner edge or the pane.
    const std::vector<int> around = FramesAround(items);
    for (size_t i = 0; i < items.size(); ++i) {
        const int end = End(out.rects[i]);
        if (end > size.width()) {
            out.fits = false;
        }
        if (around[i] >= 0 && end > End(proportional[i]) &&
            end > End(out.rects[around[i]]) - spacing.margin) {
            out.fits = false;
        }
    }
    return out;
}

int LeastWidth(const std::vector<Item>& items, const QSize& designed, bool stacked,
               const Spacing& spacing) {
    const auto fits = [&](int width) {
        return Lay(items, designed, QSize(width, designed.height()), stacked, spacing).fits;
    };
    int low = 1;
    int high = designed.width() * 2;
    if (!fits(high)) {
        return high;
    }
    // Wider never fits worse: the least width that fits lies between.
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (fits(mid)) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return low;
}

}  // namespace details_layout
