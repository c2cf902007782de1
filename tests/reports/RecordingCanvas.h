#pragma once

#include <gtest/gtest.h>
#include <QRect>
#include <QString>
#include <ostream>
#include <vector>

#include "PageCanvas.h"

namespace reports {
class Report;
}

// One call a report made on the canvas.
struct DrawCall {
    enum class Kind { Text, Box, Line, Fill };

    Kind kind = Kind::Text;
    int x = 0;  // Text: top left; Line: the first end
    int y = 0;
    int x2 = 0;  // Line: the second end
    int y2 = 0;
    QRect box;  // Box; Fill: the rectangle
    QRect clip;
    QString text;  // Text and Box
    bool bold = false;
    bool wrap = false;
    bool faint = false;  // Line: a grid line
    reports::Fill fill;  // Fill

    static DrawCall Text(int x, int y, const QString& text, bool bold = false);
    static DrawCall Box(const QRect& box, const QString& text, bool wrap, const QRect& clip,
                        bool bold = false);
    static DrawCall Line(int x1, int y1, int x2, int y2);
    static DrawCall GridLine(int x1, int y1, int x2, int y2);
    static DrawCall Filled(const QRect& rect, const reports::Fill& fill);
};

bool operator==(const DrawCall& a, const DrawCall& b);
bool operator<(const DrawCall& a, const DrawCall& b);
void PrintTo(const DrawCall& call, std::ostream* out);

// A canvas of fixed metrics that follow the pixel size of the font it is given, so every
// expected position can be worked out by hand:
//   LineHeight       = pixel + pixel / 5 (+ the extra leading given), bold or not
//   AverageCharWidth = pixel / 2
//   TextWidth        = characters × AverageCharWidth, and one more per character in bold
//   TextHeight       = lines × LineHeight; with wrap the lines of WrappedLines
//   WrappedLines     = greedy by words split at blanks; a word wider than the box in pieces
//                      of as many characters as fit
//   ElidedText       = the text when it fits, else the most characters that fit with "…"
// Without wrap a box shows the lines whose whole height lies inside the clip (Shown()).
class RecordingCanvas : public reports::PageCanvas {
public:
    // extraLeading: a canvas of other metrics than the one a report measured with.
    explicit RecordingCanvas(int extraLeading = 0) : extraLeading_(extraLeading) {}

    void UseFonts(const reports::FontChoice& font) override;
    void SetBold(bool bold) override { bold_ = bold; }
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
    void FillRect(const QRect& rect, const reports::Fill& fill) override;

    const std::vector<DrawCall>& Calls() const { return calls_; }
    // The calls with each unwrapped box turned into the Text of the lines the clip lets show.
    std::vector<DrawCall> Shown() const;
    const reports::FontChoice& Font() const { return font_; }
    int FontsGiven() const { return fontsGiven_; }

private:
    int extraLeading_;
    reports::FontChoice font_;
    int fontsGiven_ = 0;
    bool bold_ = false;
    std::vector<DrawCall> calls_;
};

// The calls a report draws for page index on a fresh canvas.
std::vector<DrawCall> DrawnPage(reports::Report& report, int index, int extraLeading = 0);
// The same calls in any order; the failure lists what is missing and what is extra.
::testing::AssertionResult SameCalls(const std::vector<DrawCall>& actual,
                                     const std::vector<DrawCall>& expected);
