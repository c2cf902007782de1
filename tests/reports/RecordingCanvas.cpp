#include "RecordingCanvas.h"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <tuple>

#include "Report.h"

namespace {

auto Key(const DrawCall& c) {
    return std::make_tuple(static_cast<int>(c.kind), c.y, c.x, c.y2, c.x2, c.box.top(),
                           c.box.left(), c.box.width(), c.box.height(), c.clip.top(), c.clip.left(),
                           c.clip.width(), c.clip.height(), c.text, c.bold, c.wrap, c.faint,
                           c.fill.color.rgba(), static_cast<int>(c.fill.pattern), c.fill.spacing);
}

}  // namespace

DrawCall DrawCall::Text(int x, int y, const QString& text, bool bold) {
    DrawCall c;
    c.kind = Kind::Text;
    c.x = x;
    c.y = y;
    c.text = text;
    c.bold = bold;
    return c;
}

DrawCall DrawCall::Box(const QRect& box, const QString& text, bool wrap, const QRect& clip,
                       bool bold) {
    DrawCall c;
    c.kind = Kind::Box;
    c.box = box;
    c.text = text;
    c.wrap = wrap;
    c.clip = clip;
    c.bold = bold;
    return c;
}

DrawCall DrawCall::Line(int x1, int y1, int x2, int y2) {
    DrawCall c;
    c.kind = Kind::Line;
    c.x = x1;
    c.y = y1;
    c.x2 = x2;
    c.y2 = y2;
    return c;
}

DrawCall DrawCall::GridLine(int x1, int y1, int x2, int y2) {
    DrawCall c = Line(x1, y1, x2, y2);
    c.faint = true;
    return c;
}

DrawCall DrawCall::Filled(const QRect& rect, const reports::Fill& fill) {
    DrawCall c;
    c.kind = Kind::Fill;
    c.box = rect;
    c.fill = fill;
    return c;
}

bool operator==(const DrawCall& a, const DrawCall& b) {
    return Key(a) == Key(b);
}

bool operator<(const DrawCall& a, const DrawCall& b) {
    return Key(a) < Key(b);
}

void PrintTo(const DrawCall& c, std::ostream* out) {
    const auto rect = [](const QRect& r) {
        std::ostringstream s;
        s << "(" << r.left() << ", " << r.top() << ", " << r.width() << " x " << r.height() << ")";
        return s.str();
    };
    switch (c.kind) {
        case DrawCall::Kind::Text:
            *out << "Text(" << c.x << ", " << c.y << ", \"" << c.text.toStdString() << "\""
                 << (c.bold ? ", bold" : "") << ")";
            break;
        case DrawCall::Kind::Box:
            *out << "Box" << rect(c.box) << " \"" << c.text.toStdString() << "\""
                 << (c.wrap ? " wrap" : "") << (c.bold ? " bold" : "") << " clip" << rect(c.clip);
            break;
        case DrawCall::Kind::Line:
            *out << (c.faint ? "GridLine(" : "Line(") << c.x << ", " << c.y << " -> " << c.x2
                 << ", " << c.y2 << ")";
            break;
        case DrawCall::Kind::Fill:
            *out << "Fill" << rect(c.box) << " " << c.fill.color.name().toStdString() << " pattern "
                 << static_cast<int>(c.fill.pattern) << " spacing " << c.fill.spacing;
            break;
    }
}

void RecordingCanvas::UseFonts(const reports::FontChoice& font) {
    font_ = font;
    ++fontsGiven_;
    bold_ = false;
}

int RecordingCanvas::LineHeight() const {
    return font_.pixelSize + font_.pixelSize / 5 + extraLeading_;
}

int RecordingCanvas::AverageCharWidth() const {
    return font_.pixelSize / 2;
}

int RecordingCanvas::TextWidth(const QString& text) const {
    return static_cast<int>(text.size()) * (AverageCharWidth() + (bold_ ? 1 : 0));
}

int RecordingCanvas::TextHeight(const QString& text, int width, bool wrap) const {
    const qsizetype lines =
        wrap ? WrappedLines(text, width).size() : text.count(QLatin1Char('\n')) + 1;
    return static_cast<int>(lines) * LineHeight();
}

QStringList RecordingCanvas::WrappedLines(const QString& text, int width) const {
    const int perLine = std::max(1, width / std::max(1, AverageCharWidth() + (bold_ ? 1 : 0)));
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString current;
        for (QString word : paragraph.split(QLatin1Char(' '))) {
            const QString joined = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (TextWidth(joined) <= width) {
                current = joined;
                continue;
            }
            if (!current.isEmpty()) {
                lines << current;
            }
            while (TextWidth(word) > width) {
                lines << word.left(perLine);
                word = word.mid(perLine);
            }
            current = word;
        }
        lines << current;
    }
    return lines;
}

QString RecordingCanvas::ElidedText(const QString& text, int width) const {
    if (TextWidth(text) <= width) {
        return text;
    }
    const int fit = width / (AverageCharWidth() + (bold_ ? 1 : 0)) - 1;
    return text.left(std::max(0, fit)) + QChar(0x2026);
}

void RecordingCanvas::DrawText(int x, int y, const QString& text) {
    calls_.push_back(DrawCall::Text(x, y, text, bold_));
}

void RecordingCanvas::DrawTextBox(const QRect& box, const QString& text, bool wrap,
                                  const QRect& clip) {
    calls_.push_back(DrawCall::Box(box, text, wrap, clip, bold_));
}

void RecordingCanvas::DrawLine(int x1, int y1, int x2, int y2) {
    calls_.push_back(DrawCall::Line(x1, y1, x2, y2));
}

void RecordingCanvas::DrawGridLine(int x1, int y1, int x2, int y2) {
    calls_.push_back(DrawCall::GridLine(x1, y1, x2, y2));
}

void RecordingCanvas::FillRect(const QRect& rect, const reports::Fill& fill) {
    calls_.push_back(DrawCall::Filled(rect, fill));
}

std::vector<DrawCall> RecordingCanvas::Shown() const {
    std::vector<DrawCall> shown;
    for (const DrawCall& c : calls_) {
        if (c.kind != DrawCall::Kind::Box || c.wrap) {
            shown.push_back(c);
            continue;
        }
        int y = c.box.top();
        for (const QString& line : c.text.split(QLatin1Char('\n'))) {
            if (y >= c.clip.top() && y + LineHeight() <= c.clip.top() + c.clip.height()) {
                shown.push_back(DrawCall::Text(c.box.left(), y, line, c.bold));
            }
            y += LineHeight();
        }
    }
    return shown;
}

std::vector<DrawCall> DrawnPage(reports::Report& report, int index, int extraLeading) {
    RecordingCanvas canvas(extraLeading);
    report.DrawPage(canvas, index);
    return canvas.Calls();
}

::testing::AssertionResult SameCalls(const std::vector<DrawCall>& actual,
                                     const std::vector<DrawCall>& expected) {
    std::vector<DrawCall> a = actual, e = expected;
    std::sort(a.begin(), a.end());
    std::sort(e.begin(), e.end());
    std::vector<DrawCall> missing, extra;
    std::set_difference(e.begin(), e.end(), a.begin(), a.end(), std::back_inserter(missing));
    std::set_difference(a.begin(), a.end(), e.begin(), e.end(), std::back_inserter(extra));
    if (missing.empty() && extra.empty()) {
        return ::testing::AssertionSuccess();
    }
    auto failure = ::testing::AssertionFailure();
    for (const DrawCall& c : missing) {
        std::ostringstream s;
        PrintTo(c, &s);
        failure << "\n  missing:    " << s.str();
    }
    for (const DrawCall& c : extra) {
        std::ostringstream s;
        PrintTo(c, &s);
        failure << "\n  unexpected: " << s.str();
    }
    return failure;
}
