#include "PageCanvas.h"

#include <algorithm>
#include <vector>

#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <QTextLayout>

namespace reports {

QFont PainterCanvas::MakeFont(const FontChoice& choice, bool bold) {
    QFont font(choice.face);
    font.setPixelSize(std::max(1, choice.pixelSize));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    // Unhinted outlines scale alike on the printer, the preview and a PDF, so a page measured
    // once draws the same everywhere.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

void PainterCanvas::UseFonts(const FontChoice& font) {
    normalFont_ = MakeFont(font, false);
    boldFont_ = MakeFont(font, true);
    SetBold(false);
}

void PainterCanvas::SetBold(bool bold) {
    bold_ = bold;
    if (painter_) {
        painter_->setFont(Current());
    }
}

int PainterCanvas::LineHeight() const {
    const QFontMetrics metrics(normalFont_);
    return metrics.height() + metrics.leading();
}

int PainterCanvas::AverageCharWidth() const {
    return QFontMetrics(normalFont_).averageCharWidth();
}

int PainterCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(Current()).horizontalAdvance(text);
}

int PainterCanvas::TextHeight(const QString& text, int width, bool wrap) const {
    const QFontMetrics metrics(Current());
    const qsizetype lines =
        wrap ? WrappedLines(text, width).size() : text.count(QLatin1Char('\n')) + 1;
    return static_cast<int>(std::max<qsizetype>(1, lines)) * metrics.lineSpacing();
}

QStringList PainterCanvas::WrappedLines(const QString& text, int width) const {
    QStringList lines;
    QTextOption option;
    // Between words where it can, and inside a word longer than the column where it must.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, Current());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(1, width));
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            while (piece.endsWith(QLatin1Char(' '))) {
                piece.chop(1);
            }
            lines << piece;
        }
        layout.endLayout();
    }
    return lines;
}

QString PainterCanvas::ElidedText(const QString& text, int width) const {
    const QFontMetrics metrics(Current());
    if (metrics.horizontalAdvance(text) <= width) {
        return text;
    }
    return metrics.elidedText(text, Qt::ElideRight, std::max(0, width));
}

void PainterCanvas::DrawText(int x, int y, const QString& text) {
    if (!painter_) {
        return;
    }
    const QFontMetrics metrics(Current());
    painter_->drawText(x, y + metrics.ascent(), text);
}

void PainterCanvas::DrawTextBox(const QRect& box, const QString& text, bool wrap,
                                const QRect& clip) {
    if (!painter_) {
        return;
    }
    const QFontMetrics metrics(Current());
    // Line by line, down to the last line that fits above the clip's bottom; no painter clip,
    // which a recorded page would carry into every device it is played on. Wrapped, the box
    // was measured for the text and holds all of it.
    const QStringList lines =
        wrap ? WrappedLines(text, box.width()) : text.split(QLatin1Char('\n'));
    int y = box.top();
    for (const QString& line : lines) {
        if (!wrap && (y < clip.top() || y + metrics.height() > clip.top() + clip.height())) {
            break;
        }
        painter_->drawText(box.left(), y + metrics.ascent(), line);
        y += metrics.lineSpacing();
    }
}

void PainterCanvas::DrawLine(int x1, int y1, int x2, int y2) {
    if (painter_) {
        painter_->drawLine(x1, y1, x2, y2);
    }
}

void PainterCanvas::DrawGridLine(int x1, int y1, int x2, int y2) {
    if (!painter_) {
        return;
    }
    painter_->save();
    QPen pen = painter_->pen();
    pen.setColor(QColor(160, 160, 160));
    pen.setWidthF(std::max(1.0, pen.widthF() / 2));
    painter_->setPen(pen);
    painter_->drawLine(x1, y1, x2, y2);
    painter_->restore();
}

namespace {

// The hatch lines of a pattern inside the rectangle, worked out rather than clipped: a clip
// would be recorded with the preview's page and carried into every device it is played on.
// The lines lie on one grid of the page, so a hatch reads alike in every area it fills.
std::vector<QLineF> HatchLines(const QRect& rect, Qt::BrushStyle pattern, int spacing) {
    std::vector<QLineF> lines;
    const int l = rect.left();
    const int t = rect.top();
    const int r = rect.left() + rect.width();
    const int b = rect.top() + rect.height();
    const auto first = [](int from, int step) {
        // The first multiple of step above from, for negative values too.
        const int q = from / step;
        return (q * step <= from ? q + 1 : q) * step;
    };
    const bool across = pattern == Qt::HorPattern || pattern == Qt::CrossPattern;
    const bool down = pattern == Qt::VerPattern || pattern == Qt::CrossPattern;
    const bool rising = pattern == Qt::BDiagPattern || pattern == Qt::DiagCrossPattern;
    const bool falling = pattern == Qt::FDiagPattern || pattern == Qt::DiagCrossPattern;
    if (across) {
        for (int y = first(t, spacing); y < b; y += spacing) {
            lines.emplace_back(l, y, r, y);
        }
    }
    if (down) {
        for (int x = first(l, spacing); x < r; x += spacing) {
            lines.emplace_back(x, t, x, b);
        }
    }
    // Diagonals as far apart as the straight lines: x ± y steps by spacing × √2.
    const int diagonal = std::max(1, static_cast<int>(spacing * 1.4142 + 0.5));
    if (rising) {  // x + y = c
        for (int c = first(l + t, diagonal); c < r + b; c += diagonal) {
            const int from = std::max(l, c - b);
            const int to = std::min(r, c - t);
            if (from < to) {
                lines.emplace_back(from, c - from, to, c - to);
            }
        }
    }
    if (falling) {  // x - y = c
        for (int c = first(l - b, diagonal); c < r - t; c += diagonal) {
            const int from = std::max(l, t + c);
            const int to = std::min(r, b + c);
            if (from < to) {
                lines.emplace_back(from, from - c, to, to - c);
            }
        }
    }
    return lines;
}

}  // namespace

void PainterCanvas::FillRect(const QRect& rect, const Fill& fill) {
    if (!painter_ || rect.isEmpty()) {
        return;
    }
    // The colour for the screen and a colour printer, the hatch over it in black for a printer
    // without colour, where two colours may print as one grey; and both always, since a printer
    // that has no colour does not always say so, and a coloured page may be copied in black.
    painter_->fillRect(rect, fill.color);
    painter_->save();
    QPen pen = painter_->pen();
    if (fill.pattern != Qt::SolidPattern && fill.spacing > 0) {
        QPen hatch = pen;
        hatch.setColor(Qt::black);
        hatch.setWidthF(std::max(1.0, pen.widthF() / 2));
        painter_->setPen(hatch);
        for (const QLineF& line : HatchLines(rect, fill.pattern, fill.spacing)) {
            painter_->drawLine(line);
        }
    }
    painter_->setPen(pen);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(QRectF(rect));
    painter_->restore();
}

}  // namespace reports
