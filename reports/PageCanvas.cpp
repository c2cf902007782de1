#include "PageCanvas.h"

#include <QFontMetrics>
#include <QPainter>

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
    if (!wrap) {
        return static_cast<int>(text.count(QLatin1Char('\n')) + 1) * metrics.lineSpacing();
    }
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRect needed = metrics.boundingRect(QRect(0, 0, std::max(1, width), 1), flags, text);
    return std::max(needed.height(), metrics.height());
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
    if (wrap) {
        // The box was measured for the text: it holds all of it.
        painter_->drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip,
                           text);
        return;
    }
    // Line by line, down to the last line that fits above the clip's bottom; no painter clip,
    // which a recorded page would carry into every device it is played on.
    const QStringList lines = text.split(QLatin1Char('\n'));
    int y = box.top();
    for (const QString& line : lines) {
        if (y < clip.top() || y + metrics.height() > clip.top() + clip.height()) {
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
