#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "LayoutSamples.h"
#include "PageCanvas.h"
#include "Report.h"

using namespace reports;

namespace {

// Pages of an address book by the rule: entries from top + 2 lines, 8 lines each, a new page
// when the position reaches the bottom.
int RulePages(int persons, int top, int bottom, int line) {
    int pages = persons > 0 ? 1 : 0;
    int position = top + 2 * line;
    for (int i = 0; i < persons; ++i) {
        position += 8 * line;
        if (i > 0 && position >= bottom) {
            ++pages;
            position = top + 2 * line + 8 * line;
        }
    }
    return pages;
}

bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

TEST(PainterCanvasLayout, AddressBookPagesFollowTheFontsLineHeight) {
    // Letter at 300 dpi with 0.5 in margins: content 150 to 2400 across, 150 to 3150 down.
    const DeviceMetrics letter{300, 300, 2550, 3300, 0, 0};
    PainterCanvas measure;
    AddressBookReport report(measure, letter, NumberedPersons(30));
    report.SetMargins(500, 500, 500, 500);
    report.SetFont(QStringLiteral("Times New Roman"), 10);
    EXPECT_EQ(report.Font().pixelSize, 41);

    const int line = measure.LineHeight();
    EXPECT_EQ(report.LineHeight(), line);
    // A 41 px font is taller than 41 px once its line gap is in, but not twice as tall.
    EXPECT_GE(line, 41);
    EXPECT_LT(line, 82);
    const int pages = RulePages(30, 150, 3150, line);
    EXPECT_EQ(report.PageCount(), pages);

    report.SetPointSize(16);
    const int larger = measure.LineHeight();
    EXPECT_GT(larger, line);
    EXPECT_EQ(report.PageCount(), RulePages(30, 150, 3150, larger));
    EXPECT_GT(report.PageCount(), pages);
}

TEST(PainterCanvasLayout, PageDrawsInsideTheContent) {
    const DeviceMetrics letter{300, 300, 2550, 3300, 0, 0};
    PainterCanvas measure;
    AddressBookReport report(measure, letter, NumberedPersons(3));
    ASSERT_EQ(report.PageCount(), 1);

    QImage image(2550, 3300, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PainterCanvas canvas(&painter);
        report.DrawPage(canvas, 0);
    }
    // The frame's left edge at x = 150 and some ink in the title's line.
    EXPECT_TRUE(Dark(image, 150, 1650) || Dark(image, 149, 1650) || Dark(image, 151, 1650));
    int titleInk = 0;
    for (int y = 150; y < 150 + report.LineHeight(); ++y) {
        for (int x = 1000; x < 1550; ++x) {
            titleInk += Dark(image, x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(titleInk, 0);
    // Nothing outside the content (a pixel's allowance for the strokes).
    int outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((x < 148 || x > 2402 || y < 148 || y > 3152) && Dark(image, x, y)) {
                ++outside;
            }
        }
    }
    EXPECT_EQ(outside, 0);
}

}  // namespace
