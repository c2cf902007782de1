#include "ActivityReport.h"

#include <algorithm>
#include <unordered_map>

#include <QDate>
#include <QLocale>

#include "StoredText.h"

namespace reports {

namespace {

struct Look {
    QRgb color;
    Qt::BrushStyle pattern;
};

// Colours that differ in lightness as well as in hue, each but the two plain ones with a hatch
// of its own; the last, a light grey, is "Other".
constexpr Look kLookTable[ContactActivityReport::kLooks] = {
    {qRgb(0x4E, 0x79, 0xA7), Qt::SolidPattern},     {qRgb(0xF2, 0x8E, 0x2B), Qt::BDiagPattern},
    {qRgb(0x8C, 0xC0, 0x84), Qt::FDiagPattern},     {qRgb(0xE1, 0x57, 0x59), Qt::HorPattern},
    {qRgb(0xED, 0xC9, 0x48), Qt::VerPattern},       {qRgb(0xB0, 0x7A, 0xA1), Qt::CrossPattern},
    {qRgb(0x76, 0xB7, 0xB2), Qt::DiagCrossPattern}, {qRgb(0xD9, 0xD9, 0xD9), Qt::SolidPattern},
};

int CeilDiv(int a, int b) {
    return (a + b - 1) / b;
}

}  // namespace

ContactActivityReport::ContactActivityReport(PageCanvas& measure, const DeviceMetrics& device,
                                             std::vector<PersonRecord> persons,
                                             std::vector<ContactRecord> contacts,
                                             std::map<RecordId, std::string> types, MonthSpan span)
    : Report(measure, device), persons_(std::move(persons)), span_(span) {
    SortByName(persons_);
    Count(contacts, types);
    const int busiest = *std::max_element(monthTotals_.begin(), monthTotals_.end());
    scaleStep_ = ScaleStepFor(busiest);
    scaleTop_ = scaleStep_ == 0 ? 0 : CeilDiv(busiest, scaleStep_) * scaleStep_;
    Relayout();
}

void ContactActivityReport::Count(const std::vector<ContactRecord>& contacts,
                                  const std::map<RecordId, std::string>& types) {
    const int months = span_.Count();
    // One more slot, so that an empty span still has a month total to take the most of.
    monthTotals_.assign(std::max(1, months), 0);
    std::unordered_map<RecordId, int> personIndex;
    for (int i = 0; i < static_cast<int>(persons_.size()); ++i) {
        personIndex.emplace(persons_[i].id, i);
    }
    std::vector<int> perPerson(persons_.size(), 0);
    std::map<RecordId, std::vector<int>> perType;
    std::vector<int> unknown(months, 0);
    int unknownTotal = 0;
    for (const ContactRecord& contact : contacts) {
        const auto person = personIndex.find(contact.personId);
        const int month = MonthOfDate(contact.when);
        if (person == personIndex.end() || month < 0 || !span_.Holds(month)) {
            continue;
        }
        const int at = month - span_.first;
        ++monthTotals_[at];
        ++perPerson[person->second];
        ++total_;
        // A type the file no longer has still counts, under "Other".
        if (types.count(contact.typeId) == 0) {
            ++unknown[at];
            ++unknownTotal;
            continue;
        }
        std::vector<int>& counts = perType[contact.typeId];
        counts.resize(months, 0);
        ++counts[at];
    }

    std::vector<Band> named;
    for (const auto& [id, counts] : perType) {
        Band band;
        band.name = FromStoredText(types.at(id));
        band.perMonth = counts;
        for (int n : counts) {
            band.total += n;
        }
        named.push_back(std::move(band));
    }
    std::stable_sort(named.begin(), named.end(), [](const Band& a, const Band& b) {
        if (a.total != b.total) {
            return a.total > b.total;
        }
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    size_t keep = named.size();
    if (named.size() + (unknownTotal > 0 ? 1 : 0) > static_cast<size_t>(kLooks)) {
        keep = kLooks - 1;
    }
    Band other;
    other.name = tr("Other");
    other.look = kLooks - 1;
    other.perMonth = unknown;
    other.total = unknownTotal;
    for (size_t i = 0; i < named.size(); ++i) {
        if (i < keep) {
            named[i].look = static_cast<int>(i);
            bands_.push_back(std::move(named[i]));
            continue;
        }
        for (int m = 0; m < months; ++m) {
            other.perMonth[m] += named[i].perMonth[m];
        }
        other.total += named[i].total;
    }
    if (other.total > 0) {
        bands_.push_back(std::move(other));
    }
    Rank(perPerson);
}

void ContactActivityReport::Rank(const std::vector<int>& perPerson) {
    std::vector<int> months;
    for (int m = 0; m < span_.Count(); ++m) {
        if (monthTotals_[m] > 0) {
            months.push_back(m);
        }
    }
    std::stable_sort(months.begin(), months.end(),
                     [this](int a, int b) { return monthTotals_[a] > monthTotals_[b]; });
    for (int m : months) {
        if (static_cast<int>(busiest_.size()) == kListed) {
            break;
        }
        busiest_.push_back({MonthName(span_.first + m), monthTotals_[m]});
    }
    // The persons are in the list's order already: a tie keeps it.
    std::vector<int> persons;
    for (int p = 0; p < static_cast<int>(persons_.size()); ++p) {
        if (perPerson[p] > 0) {
            persons.push_back(p);
        }
    }
    std::stable_sort(persons.begin(), persons.end(),
                     [&perPerson](int a, int b) { return perPerson[a] > perPerson[b]; });
    for (int p : persons) {
        if (static_cast<int>(most_.size()) == kListed) {
            break;
        }
        most_.push_back({ListedName(persons_[p]), perPerson[p]});
    }
}

int ContactActivityReport::ScaleStepFor(int most) {
    if (most <= 0) {
        return 0;
    }
    for (int power = 1;; power *= 10) {
        for (int factor : {1, 2, 5}) {
            if (static_cast<long long>(factor) * power * 5 >= most) {
                return factor * power;
            }
        }
    }
}

Fill ContactActivityReport::LookFill(int look, int spacing) {
    const Look& l = kLookTable[std::clamp(look, 0, kLooks - 1)];
    return {QColor(l.color), l.pattern, l.pattern == Qt::SolidPattern ? 0 : spacing};
}

QString ContactActivityReport::MonthName(int monthNumber) {
    return QLocale().toString(QDate(YearOf(monthNumber), MonthOf(monthNumber), 1),
                              QStringLiteral("MMMM yyyy"));
}

QString ContactActivityReport::ShortMonthName(int monthNumber) {
    return QLocale().standaloneMonthName(MonthOf(monthNumber), QLocale::ShortFormat);
}

int ContactActivityReport::HatchSpacing() const {
    // About 1.3 mm: wide enough for a printer to keep the lines apart, close enough for a
    // legend's swatch to show several.
    return std::max(3, Device().dpiX / 20);
}

int ContactActivityReport::ValueY(int value) const {
    if (scaleTop_ <= 0) {
        return chart_.baseline;
    }
    return chart_.baseline - static_cast<int>(static_cast<long long>(value) *
                                              (chart_.baseline - chart_.top) / scaleTop_);
}

void ContactActivityReport::Paginate(PageCanvas& canvas) {
    const ContentRect& c = Content();
    const int line = LineHeight();
    const int gap = AverageCharWidth();
    Chart chart;
    chart.left = LeftColumnX() + canvas.TextWidth(QLocale().toString(scaleTop_)) + gap;
    chart.right = c.right - gap;
    const int width = std::max(1, chart.right - chart.left);

    // A month needs room for its name and a year under it.
    int label = canvas.TextWidth(QString::number(YearOf(span_.last)));
    for (int month = 1; month <= 12; ++month) {
        label = std::max(label, canvas.TextWidth(ShortMonthName(MonthNumber(0, month))));
    }
    const int months = span_.Count();
    const int fit = std::max(1, width / (label + gap));
    const int pageCount = months == 0 ? 1 : CeilDiv(months, fit);
    const int perPage = months == 0 ? 0 : CeilDiv(months, pageCount);
    pages_.clear();
    for (int p = 0; p < pageCount; ++p) {
        pages_.push_back({p * perPage, std::min(perPage, months - p * perPage)});
    }
    chart.slot = width / std::max(perPage, kFewestSlots);
    chart.bar = std::max(1, chart.slot * 2 / 3);

    // The legend: a wide swatch shows its hatch; up to four entries a row, each with room for
    // some words.
    chart.swatchWidth = 2 * line;
    chart.swatchHeight = std::max(1, line * 3 / 4);
    chart.rowHeight = line + line / 4;
    const int legendWidth = c.right - gap - LeftColumnX();
    chart.legendColumns = 4;
    while (chart.legendColumns > 1 &&
           legendWidth / chart.legendColumns < chart.swatchWidth + 14 * gap) {
        --chart.legendColumns;
    }
    chart.legendEntry = legendWidth / chart.legendColumns;
    const int rows = CeilDiv(static_cast<int>(bands_.size()), chart.legendColumns);

    // From the bottom up: the page number, the lists, the legend, the month labels.
    chart.listsTop = c.bottom - 2 * line - (1 + kListed) * line;
    chart.legendTop = chart.listsTop - line - rows * chart.rowHeight;
    chart.baseline = chart.legendTop - 3 * line;
    // Room above for the title and the count over the tallest bar.
    chart.top = c.top + 3 * line;
    // A page too short for all of it still draws a chart, over what lies below.
    chart.baseline = std::max(chart.baseline, chart.top + 4 * line);
    chart_ = chart;
    SetPageCount(pageCount);
}

void ContactActivityReport::DrawHeader(PageCanvas& canvas, int) {
    canvas.SetBold(true);
    DrawCentered(
        canvas, Content().top,
        span_.Count() == 0
            ? tr("CONTACT ACTIVITY")
            : tr("CONTACT ACTIVITY %1 - %2").arg(MonthName(span_.first), MonthName(span_.last)));
    canvas.SetBold(false);
}

void ContactActivityReport::DrawScale(PageCanvas& canvas) {
    const int line = LineHeight();
    const int gap = AverageCharWidth();
    const auto label = [&](int value) {
        const QString text = QLocale().toString(value);
        canvas.DrawText(chart_.left - gap - canvas.TextWidth(text), ValueY(value) - line / 2, text);
    };
    label(0);
    for (int value = scaleStep_; scaleStep_ > 0 && value <= scaleTop_; value += scaleStep_) {
        canvas.DrawGridLine(chart_.left, ValueY(value), chart_.right, ValueY(value));
        label(value);
    }
    canvas.DrawLine(chart_.left, chart_.top, chart_.left, chart_.baseline);
    canvas.DrawLine(chart_.left, chart_.baseline, chart_.right, chart_.baseline);
}

void ContactActivityReport::DrawBars(PageCanvas& canvas, const PageMonths& page) {
    const int line = LineHeight();
    const int spacing = HatchSpacing();
    // The months of a short page in the middle of the chart.
    const int start = chart_.left + (chart_.right - chart_.left - page.count * chart_.slot) / 2;
    const auto centred = [&](int x, int y, const QString& text) {
        canvas.DrawText(x + (chart_.slot - canvas.TextWidth(text)) / 2, y, text);
    };
    for (int j = 0; j < page.count; ++j) {
        const int at = page.first + j;
        const int month = span_.first + at;
        const int x = start + j * chart_.slot;
        int below = 0;
        for (const Band& band : bands_) {
            const int n = band.perMonth[at];
            if (n == 0) {
                continue;
            }
            const int top = ValueY(below + n);
            canvas.FillRect(
                QRect(x + (chart_.slot - chart_.bar) / 2, top, chart_.bar, ValueY(below) - top),
                LookFill(band.look, spacing));
            below += n;
        }
        if (below > 0) {
            const QString count = QLocale().toString(below);
            if (canvas.TextWidth(count) <= chart_.slot) {
                centred(x, ValueY(below) - line, count);
            }
        }
        centred(x, chart_.baseline + line / 4, ShortMonthName(month));
        // The year under January, and under the page's first month.
        if (MonthOf(month) == 1 || j == 0) {
            centred(x, chart_.baseline + line / 4 + line, QString::number(YearOf(month)));
        }
    }
}

void ContactActivityReport::DrawLegend(PageCanvas& canvas) {
    const int line = LineHeight();
    const int gap = AverageCharWidth();
    const int spacing = HatchSpacing();
    for (int i = 0; i < static_cast<int>(bands_.size()); ++i) {
        const int x = LeftColumnX() + (i % chart_.legendColumns) * chart_.legendEntry;
        const int y = chart_.legendTop + (i / chart_.legendColumns) * chart_.rowHeight;
        canvas.FillRect(
            QRect(x, y + (line - chart_.swatchHeight) / 2, chart_.swatchWidth, chart_.swatchHeight),
            LookFill(bands_[i].look, spacing));
        // Within its entry, a gap before the next.
        const int textX = x + chart_.swatchWidth + gap;
        canvas.DrawText(textX, y,
                        canvas.ElidedText(bands_[i].name, chart_.legendEntry - (textX - x) - gap));
    }
}

void ContactActivityReport::DrawList(PageCanvas& canvas, int x, const QString& heading,
                                     const std::vector<Ranked>& rows) {
    const int line = LineHeight();
    const int gap = AverageCharWidth();
    // Counts close to their names, not across half the page.
    const int width = std::min(RightColumnX() - LeftColumnX() - 2 * gap, 24 * gap);
    canvas.SetBold(true);
    canvas.DrawText(x, chart_.listsTop, canvas.ElidedText(heading, width));
    canvas.SetBold(false);
    int y = chart_.listsTop + line;
    for (const Ranked& row : rows) {
        const QString count = QLocale().toString(row.count);
        const int countWidth = canvas.TextWidth(count);
        canvas.DrawText(x, y, canvas.ElidedText(row.text, width - countWidth - gap));
        canvas.DrawText(x + width - countWidth, y, count);
        y += line;
    }
}

void ContactActivityReport::DrawBody(PageCanvas& canvas, int index) {
    DrawScale(canvas);
    if (total_ == 0) {
        const int width = chart_.right - chart_.left;
        const QString text =
            canvas.ElidedText(tr("No contacts with these persons in these months."), width);
        canvas.DrawText(chart_.left + (width - canvas.TextWidth(text)) / 2,
                        chart_.top + (chart_.baseline - chart_.top - LineHeight()) / 2, text);
    }
    DrawBars(canvas, pages_[index]);
    DrawLegend(canvas);
    if (total_ > 0 && index == PageCount() - 1) {
        DrawList(canvas, LeftColumnX(), tr("Busiest months"), busiest_);
        DrawList(canvas, RightColumnX(), tr("Most contacted"), most_);
    }
}

}  // namespace reports
