#include <gtest/gtest.h>

#include <algorithm>

#include "LayoutSamples.h"
#include "RecordingCanvas.h"
#include "Report.h"

using namespace reports;

namespace {

using P = PersonRecord;

PersonRecord Ann() {
    PersonRecord p = Person("A1", "Ann  ", "Lee", "Acme");
    p[P::Position] = "Engineer";
    p[P::Addr] = "1 Main St\r\nSuite 5";
    p[P::City] = "Springfield  ";
    p[P::State] = "IL ";
    p[P::Zip] = "62701 ";
    p[P::HmPhone] = "555-0100";
    p[P::WkPhone] = "555-0101";
    p[P::WkExt] = "12";
    p[P::CelPhone] = "555-0102";
    p[P::Pager] = "555-0103";
    p[P::WkFax] = "555-0104";
    p[P::Email] = "ann@example.com";
    p[P::WebPage] = "example.com";
    return p;
}

// What every address book page has: the bold title, the frame and the bold page number.
std::vector<DrawCall> PageFurniture(const Layout& l, int pageNumber) {
    const QString title = QStringLiteral("ADDRESS BOOK");
    const QString footer = QStringLiteral("Page %1").arg(pageNumber);
    return {
        DrawCall::Text(l.CentredBold(title), l.top, title, true),
        DrawCall::Text(l.CentredBold(footer), l.bottom - l.line, footer, true),
        DrawCall::Line(l.left, l.top, l.left, l.bottom),
        DrawCall::Line(l.right, l.top, l.right, l.bottom),
        DrawCall::Line(l.left, l.top, l.left + l.inch, l.top),
        DrawCall::Line(l.right, l.top, l.right - l.inch, l.top),
        DrawCall::Line(l.left, l.bottom, l.left + l.inch, l.bottom),
        DrawCall::Line(l.right, l.bottom, l.right - l.inch, l.bottom),
    };
}

// The entry of a person whose fields are all empty but the names, at y: the name and the
// entry's line, no label without a value.
std::vector<DrawCall> BareEntry(const Layout& l, int y, const QString& name) {
    return {
        DrawCall::Text(l.leftX, y, name),
        DrawCall::Line(l.leftX, y + 7 * l.line, l.right - l.charWidth, y + 7 * l.line),
    };
}

std::vector<DrawCall> Joined(std::vector<std::vector<DrawCall>> pieces) {
    std::vector<DrawCall> all;
    for (const auto& piece : pieces) {
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

TEST(AddressBookLayout, FullPageOnLetter) {
    RecordingCanvas canvas;
    AddressBookReport report(canvas, Letter600(), {Person("B2", "Bob", "Zane"), Ann()});
    ASSERT_EQ(report.PageCount(), 1);

    // Ann first ("Lee, Ann" < "Zane, Bob"), her entry at 225 + 2 × 99, one line under the
    // other; the city line directly under her two address lines.
    const std::vector<DrawCall> expected = {
        DrawCall::Text(2223, 225, QStringLiteral("ADDRESS BOOK"), true),  // 12 × 42 wide
        DrawCall::Text(2349, 6126, QStringLiteral("Page 1"), true),       // 6 × 42 wide
        DrawCall::Line(225, 225, 225, 6225),
        DrawCall::Line(4725, 225, 4725, 6225),
        DrawCall::Line(225, 225, 825, 225),
        DrawCall::Line(4725, 225, 4125, 225),
        DrawCall::Line(225, 6225, 825, 6225),
        DrawCall::Line(4725, 6225, 4125, 6225),

        DrawCall::Text(266, 423, QStringLiteral("Lee, Ann")),
        DrawCall::Text(266, 522, QStringLiteral("Company: Acme")),
        DrawCall::Text(266, 621, QStringLiteral("Position: Engineer")),
        DrawCall::Text(266, 720, QStringLiteral("1 Main St")),
        DrawCall::Text(266, 819, QStringLiteral("Suite 5")),
        DrawCall::Text(266, 918, QStringLiteral("Springfield, IL 62701")),
        DrawCall::Text(2516, 423, QStringLiteral("Home Phone: 555-0100")),
        DrawCall::Text(2516, 522, QStringLiteral("Work Phone: 555-0101 Ext. 12")),
        DrawCall::Text(2516, 621, QStringLiteral("Pager: 555-0103")),
        DrawCall::Text(2516, 720, QStringLiteral("Cel Phone: 555-0102")),
        DrawCall::Text(2516, 819, QStringLiteral("Fax: 555-0104")),
        DrawCall::Text(2516, 918, QStringLiteral("E-Mail: ann@example.com")),
        DrawCall::Text(2516, 1017, QStringLiteral("Web Page: example.com")),
        DrawCall::Line(266, 1116, 4684, 1116),

        // Bob eight lines further down: his fields empty, so his name and nothing else.
        DrawCall::Text(266, 1215, QStringLiteral("Zane, Bob")),
        DrawCall::Line(266, 1908, 4684, 1908),
    };
    EXPECT_TRUE(SameCalls(DrawnPage(report, 0), expected));
}

TEST(AddressBookLayout, FullPageOnA4) {
    RecordingCanvas canvas;
    AddressBookReport report(canvas, A4At300(), {Person("B2", "Bob", "Zane")});
    ASSERT_EQ(report.PageCount(), 1);
    // Title 2180 - 252 over two from 150, footer 2180 - 126 over two, frame strokes 300 long,
    // the entry at 150 + 98, its line from 170 to 2330 - 20.
    const std::vector<DrawCall> furniture = {
        DrawCall::Text(1114, 150, QStringLiteral("ADDRESS BOOK"), true),
        DrawCall::Text(1177, 3309, QStringLiteral("Page 1"), true),
        DrawCall::Line(150, 150, 150, 3358),
        DrawCall::Line(2330, 150, 2330, 3358),
        DrawCall::Line(150, 150, 450, 150),
        DrawCall::Line(2330, 150, 2030, 150),
        DrawCall::Line(150, 3358, 450, 3358),
        DrawCall::Line(2330, 3358, 2030, 3358),
    };
    EXPECT_TRUE(SameCalls(furniture, PageFurniture(kA4At300, 1)));
    const std::vector<DrawCall> entry = BareEntry(kA4At300, 248, QStringLiteral("Zane, Bob"));
    EXPECT_EQ(entry.back(), DrawCall::Line(170, 591, 2310, 591));
    EXPECT_TRUE(SameCalls(DrawnPage(report, 0), Joined({furniture, entry})));
}

TEST(AddressBookLayout, FrameStrokesAreAnInchAcross) {
    // 600 dpi across, 300 down: content 300 to 4800 across, 150 to 3150 down; the corner
    // strokes are 600 long, the sides run the content's height.
    RecordingCanvas canvas;
    AddressBookReport report(canvas, {600, 300, 5100, 3300, 0, 0}, NumberedPersons(1));
    std::vector<DrawCall> frame;
    for (const DrawCall& c : DrawnPage(report, 0)) {
        if (c.kind == DrawCall::Kind::Line && (c.y == 150 || c.y == 3150)) {
            frame.push_back(c);
        }
    }
    EXPECT_TRUE(SameCalls(frame, {
                                     DrawCall::Line(300, 150, 300, 3150),
                                     DrawCall::Line(4800, 150, 4800, 3150),
                                     DrawCall::Line(300, 150, 900, 150),
                                     DrawCall::Line(4800, 150, 4200, 150),
                                     DrawCall::Line(300, 3150, 900, 3150),
                                     DrawCall::Line(4800, 3150, 4200, 3150),
                                 }));
}

TEST(AddressBookLayout, TextFieldsAsPrinted) {
    PersonRecord p = Person("X", "Jos\xC3\xA9 \t",
                            "  Garc\xC3\xAD"
                            "a  ",
                            "M\xC3\xBCller & Co");
    p[P::Addr] = "Line one\r\nLine two\r\nLine three";
    p[P::City] =
        "Montr\xC3\xA9"
        "al \t";
    p[P::State] = "";
    p[P::Zip] = "H2X 1Y4";
    RecordingCanvas canvas;
    AddressBookReport report(canvas, Letter600(), {p});
    const std::vector<DrawCall> page = DrawnPage(report, 0);
    // The names without their outer blanks, in the list's form; the city line with a blank
    // before the ZIP code and no comma without a state.
    EXPECT_TRUE(SameCalls(
        page, Joined({PageFurniture(kLetter600, 1),
                      {
                          DrawCall::Text(266, 423, QStringLiteral("Garc\u00EDa, Jos\u00E9")),
                          DrawCall::Text(266, 522, QStringLiteral("Company: M\u00FCller & Co")),
                          DrawCall::Text(266, 621, QStringLiteral("Line one")),
                          DrawCall::Text(266, 720, QStringLiteral("Line two")),
                          DrawCall::Text(266, 819, QStringLiteral("Line three")),
                          DrawCall::Text(266, 918, QStringLiteral("Montr\u00E9al H2X 1Y4")),
                          DrawCall::Line(266, 1116, 4684, 1116),
                      }})));
}

TEST(AddressBookLayout, LongAddressIsCutAtTheEntryLine) {
    PersonRecord first = Person("A", "Ann", "Adams");
    first[P::Addr] = "L1\r\nL2\r\nL3\r\nL4\r\nL5\r\nL6";
    first[P::City] = "Springfield";
    RecordingCanvas measure;
    AddressBookReport report(measure, Letter600(), {first, Person("B", "Bob", "Baker")});
    ASSERT_EQ(report.PageCount(), 1);

    // Seven lines above the entry's line, 423 to 1116: the name and six address lines would
    // leave the city line out, so the last line shown ends with an ellipsis.
    std::vector<DrawCall> leftColumn;
    for (const DrawCall& c : DrawnPage(report, 0)) {
        if (c.kind == DrawCall::Kind::Text && c.x == 266 && c.y < 1215) {
            leftColumn.push_back(c);
        }
    }
    EXPECT_TRUE(SameCalls(leftColumn, {
                                          DrawCall::Text(266, 423, QStringLiteral("Adams, Ann")),
                                          DrawCall::Text(266, 522, QStringLiteral("L1")),
                                          DrawCall::Text(266, 621, QStringLiteral("L2")),
                                          DrawCall::Text(266, 720, QStringLiteral("L3")),
                                          DrawCall::Text(266, 819, QStringLiteral("L4")),
                                          DrawCall::Text(266, 918, QStringLiteral("L5")),
                                          DrawCall::Text(266, 1017, QStringLiteral("L6\u2026")),
                                      }));
    // Bob's entry still starts eight lines below Ann's.
    const std::vector<DrawCall> shown = DrawnPage(report, 0);
    EXPECT_NE(std::find(shown.begin(), shown.end(),
                        DrawCall::Text(266, 1215, QStringLiteral("Baker, Bob"))),
              shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), DrawCall::Line(266, 1116, 4684, 1116)),
              shown.end());

    // Five address lines and the city line fill the entry exactly, without an ellipsis.
    first[P::Addr] = "L1\r\nL2\r\nL3\r\nL4\r\nL5";
    AddressBookReport fits(measure, Letter600(), {first});
    const std::vector<DrawCall> fitsShown = DrawnPage(fits, 0);
    EXPECT_NE(std::find(fitsShown.begin(), fitsShown.end(),
                        DrawCall::Text(266, 1017, QStringLiteral("Springfield"))),
              fitsShown.end());
    EXPECT_NE(std::find(fitsShown.begin(), fitsShown.end(),
                        DrawCall::Text(266, 918, QStringLiteral("L5"))),
              fitsShown.end());
}

TEST(AddressBookLayout, PageCountAndCapacity) {
    // Letter at 600 dpi: entries from 423, 792 apart; the seventh leaves the position at
    // 5967 < 6225, the eighth would reach 6759.
    RecordingCanvas canvas;
    EXPECT_EQ(AddressBookReport(canvas, Letter600(), {}).PageCount(), 0);
    EXPECT_EQ(AddressBookReport(canvas, Letter600(), NumberedPersons(1)).PageCount(), 1);
    AddressBookReport seven(canvas, Letter600(), NumberedPersons(7));
    EXPECT_EQ(seven.Pages(), (std::vector<std::vector<int>>{{0, 1, 2, 3, 4, 5, 6}}));
    AddressBookReport eight(canvas, Letter600(), NumberedPersons(8));
    EXPECT_EQ(eight.Pages(), (std::vector<std::vector<int>>{{0, 1, 2, 3, 4, 5, 6}, {7}}));
    AddressBookReport fifteen(canvas, Letter600(), NumberedPersons(15));
    EXPECT_EQ(fifteen.Pages(), (std::vector<std::vector<int>>{
                                   {0, 1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12, 13}, {14}}));
    // A4 at 300 dpi: 248 + 7 × 392 = 2992 < 3358, 248 + 8 × 392 = 3384.
    EXPECT_EQ(AddressBookReport(canvas, A4At300(), NumberedPersons(7)).PageCount(), 1);
    EXPECT_EQ(AddressBookReport(canvas, A4At300(), NumberedPersons(8)).PageCount(), 2);
}

TEST(AddressBookLayout, PositionReachingTheBottomStartsANewPage) {
    // Bottom at 6342 - 375 = 5967: the seventh entry brings the position exactly there.
    RecordingCanvas canvas;
    AddressBookReport reaches(canvas, {600, 600, 5100, 6342, 75, 75}, NumberedPersons(7));
    EXPECT_EQ(reaches.Pages(), (std::vector<std::vector<int>>{{0, 1, 2, 3, 4, 5}, {6}}));
    // One unit lower it still fits.
    AddressBookReport fits(canvas, {600, 600, 5100, 6343, 75, 75}, NumberedPersons(7));
    EXPECT_EQ(fits.PageCount(), 1);
    // After a break the position restarts with the entry that opened the page: six more fit.
    AddressBookReport thirteen(canvas, {600, 600, 5100, 6342, 75, 75}, NumberedPersons(13));
    EXPECT_EQ(thirteen.Pages(),
              (std::vector<std::vector<int>>{{0, 1, 2, 3, 4, 5}, {6, 7, 8, 9, 10, 11}, {12}}));
}

TEST(AddressBookLayout, LaterPagesStartAtTheTop) {
    RecordingCanvas canvas;
    AddressBookReport report(canvas, Letter600(), NumberedPersons(9));
    ASSERT_EQ(report.PageCount(), 2);
    const Layout& l = kLetter600;
    EXPECT_TRUE(
        SameCalls(DrawnPage(report, 1),
                  Joined({PageFurniture(l, 2), BareEntry(l, 423, QStringLiteral("07, Person")),
                          BareEntry(l, 423 + 792, QStringLiteral("08, Person"))})));
}

}  // namespace
