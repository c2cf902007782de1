#include "PageCanvas.h"

#include <QFontMetrics>
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

}  // namespace reports
