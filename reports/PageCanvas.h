#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace reports {

// The report's font for a device: the face and the pixel height the point size gives there.
struct FontChoice {
    QString face;
    int pixelSize = 0;
};

// How a chart fills an area: a colour and, over it, a hatch of black lines spacing apart (in
// device units), so that areas are told apart on a printer without colour as well. Qt's hatch
// styles name the hatch; Qt::SolidPattern is the colour alone.
struct Fill {
    QColor color;
    Qt::BrushStyle pattern = Qt::SolidPattern;
    int spacing = 0;
};

inline bool operator==(const Fill& a, const Fill& b) {
    return a.color == b.color && a.pattern == b.pattern && a.spacing == b.spacing;
}

// Where a report measures and draws its text and lines, in device units. Pagination measures
// through it; drawing a page draws through it.
class PageCanvas {
public:
    virtual ~PageCanvas() = default;

    // The report's two fonts (weights 400 and 700) from now on; the normal one is current.
    virtual void UseFonts(const FontChoice& font) = 0;
    virtual void SetBold(bool bold) = 0;

    // Of the normal font: character height plus external leading, and the average width.
    virtual int LineHeight() const = 0;
    virtual int AverageCharWidth() const = 0;
    // Of the current font.
    virtual int TextWidth(const QString& text) const = 0;
    // The height of the text drawn in a box of the width: one line per line break and, with
    // wrap, more where a line is wider than the box. At least one line.
    virtual int TextHeight(const QString& text, int width, bool wrap) const = 0;

    // The lines the text takes in a column of the width, in the current font: one per line
    // break and, where a line is wider than the column, broken between words, or inside a word
    // wider than the column.
    virtual QStringList WrappedLines(const QString& text, int width) const = 0;
    // The text as it is when it fits the width in the current font, else as much of it as fits
    // with an ellipsis ("\u2026") after it.
    virtual QString ElidedText(const QString& text, int width) const = 0;

    // The text's one line with its top left corner at x, y.
    virtual void DrawText(int x, int y, const QString& text) = 0;
    // The text in the box, line by line (and word-wrapped with wrap). Without wrap, the lines
    // end at the last that fits inside the clip rectangle; with wrap the box holds the text
    // (TextHeight measured it).
    virtual void DrawTextBox(const QRect& box, const QString& text, bool wrap,
                             const QRect& clip) = 0;
    virtual void DrawLine(int x1, int y1, int x2, int y2) = 0;
    // A faint line behind a chart's bars, to read their values by.
    virtual void DrawGridLine(int x1, int y1, int x2, int y2) = 0;
    // The rectangle filled and then outlined with the current pen: two areas side by side stay
    // apart however alike they print.
    virtual void FillRect(const QRect& rect, const Fill& fill) = 0;
};

// The canvas over a QPainter (null for measuring only), with the fonts made as the report asks:
// pixel-sized and without hinting, so that they measure alike on every device.
class PainterCanvas : public PageCanvas {
public:
    explicit PainterCanvas(QPainter* painter = nullptr) : painter_(painter) {}

    void UseFonts(const FontChoice& font) override;
    void SetBold(bool bold) override;
    int LineHeight() const override;
    int AverageCharWidth() const override;
    int TextWidth(const QString& text) const override;
    int TextHeight(const QString& text, int width, bool wrap) const override;
    QStringList WrappedLines(const QString& text, int width) const override;
    QString ElidedText(const QString& text, int width) const override;
    void DrawText(int x, int y, const QString& text) override;
    void DrawTextBox(const QRect& box, const QString& text, bool wrap, const QRect& clip) override;
    void DrawLine(int x1, int y1, int x2, int y2) override;
    void DrawGridLine(int x1, int y1, int x2, int y2) override;
    void FillRect(const QRect& rect, const Fill& fill) override;

    static QFont MakeFont(const FontChoice& font, bool bold);

private:
    const QFont& Current() const { return bold_ ? boldFont_ : normalFont_; }

    QPainter* painter_;
    QFont normalFont_;
    QFont boldFont_;
    bool bold_ = false;
};

}  // namespace reports
