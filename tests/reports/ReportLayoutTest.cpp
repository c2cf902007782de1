#include <gtest/gtest.h>

#include "LayoutSamples.h"
#include "PageGeometry.h"
#include "PreviewZoom.h"
#include "RecordingCanvas.h"
#include "Report.h"

using namespace reports;

namespace {

Margins InInches(double left, double top, double right, double bottom) {
    Margins m;
    m.left = left;
    m.top = top;
    m.right = right;
    m.bottom = bottom;
    return m;
}

void ExpectContent(const ContentRect& c, int left, int top, int right, int bottom) {
    EXPECT_EQ(c.left, left);
    EXPECT_EQ(c.top, top);
    EXPECT_EQ(c.right, right);
    EXPECT_EQ(c.bottom, bottom);
}

// ---- Page geometry

TEST(PageGeometry, ContentFollowsDeviceOffsetAndMargins) {
    ExpectContent(ComputeContent(Letter600(), Margins{}), 225, 225, 4725, 6225);
    ExpectContent(ComputeContent(A4At300(), Margins{}), 150, 150, 2330, 3358);
    ExpectContent(ComputeContent(Letter600(), InInches(1.0, 0.25, 0.75, 2.0)), 525, 75, 4575, 5325);
}

TEST(PageGeometry, EdgesTruncateTowardZero) {
    // 0.105 in at 150 dpi is 15.75: left and top 15.75 - 20 = -4.25, right 1275 - 35.75,
    // bottom 1650 - 35.75.
    const DeviceMetrics device{150, 150, 1275, 1650, 20, 20};
    ExpectContent(ComputeContent(device, InInches(0.105, 0.105, 0.105, 0.105)), -4, -4, 1239, 1614);
}

TEST(PageGeometry, ThousandthsOfAnInchGiveWholeUnits) {
    // 1.025 in × 200 dpi is 205 and 0.29 in × 100 dpi is 29 exactly; in binary floating point
    // both products fall a hair short, which truncation must not turn into 204 and 28.
    const DeviceMetrics device{200, 100, 1700, 1100, 0, 0};
    ExpectContent(ComputeContent(device, InInches(1.025, 0.29, 1.035, 0.58)), 205, 29, 1493, 1042);

    RecordingCanvas canvas;
    AddressBookReport report(canvas, device, {});
    report.SetMargins(1025, 290, 1035, 580);
    ExpectContent(report.Content(), 205, 29, 1493, 1042);
    EXPECT_DOUBLE_EQ(report.MarginsInInches().left, 1.025);
    EXPECT_DOUBLE_EQ(report.MarginsInInches().bottom, 0.58);
}

TEST(PageGeometry, ColumnsAndFontPixelSize) {
    const ContentRect odd{150, 150, 2331, 3358};
    EXPECT_EQ(LeftColumn(odd, 20), 170);
    EXPECT_EQ(RightColumn(odd, 20), 170 + 1090);  // half of 2181, rounded down

    EXPECT_EQ(FontPixelSize(10, 600), 83);
    EXPECT_EQ(FontPixelSize(10, 300), 41);
    EXPECT_EQ(FontPixelSize(11, 300), 45);
    EXPECT_EQ(FontPixelSize(12, 96), 16);
    EXPECT_EQ(FontPixelSize(9, 72), 9);
}

TEST(PageGeometry, ReportMeasuresOnItsCanvas) {
    for (const auto& [device, layout] :
         {std::pair{Letter600(), kLetter600}, std::pair{A4At300(), kA4At300}}) {
        RecordingCanvas canvas;
        AddressBookReport report(canvas, device, NumberedPersons(1));
        ExpectContent(report.Content(), layout.left, layout.top, layout.right, layout.bottom);
        EXPECT_EQ(report.LineHeight(), layout.line);
        EXPECT_EQ(report.AverageCharWidth(), layout.charWidth);
        EXPECT_EQ(report.LeftColumnX(), layout.leftX);
        EXPECT_EQ(report.RightColumnX(), layout.rightX);
        EXPECT_EQ(canvas.Font().face, QStringLiteral("Times New Roman"));
        EXPECT_EQ(canvas.Font().pixelSize, 10 * device.dpiY / 72);
    }
}

// ---- Order of the persons

TEST(ReportOrder, PersonsSortAsTheMainListReads) {
    const std::vector<PersonRecord> given = {
        Person("zola", "Emil", "Zola"),
        Person("emond", "Luc", "\xC3\x89mond"),  // "Émond" in UTF-8
        Person("devries", "Jan", "de Vries"),
        Person("lee1", "Ann", "Lee", "First Co"),
        Person("beta", "", "", "Beta Corp"),
        Person("lee2", "Ann", "Lee", "Second Co"),
        Person("carl", "Carl", ""),
        Person("adams", "", "Adams"),
    };
    // As people read: "de Vries" under D, "Émond" under E, the company without a name
    // under B; the two "Lee, Ann" keep the order they came in.
    const std::vector<std::string> sorted = {"adams", "beta", "carl", "devries",
                                             "emond", "lee1", "lee2", "zola"};
    RecordingCanvas canvas;
    AddressBookReport book(canvas, Letter600(), given);
    EXPECT_EQ(IdsOf(book.Persons()), sorted);
    ContactsReport contacts(canvas, Letter600(), given, {}, DateTime(), DateTime());
    EXPECT_EQ(IdsOf(contacts.Persons()), sorted);
    EnvelopeReport envelopes(canvas, Letter600(), given, PersonRecord(), EnvelopeOptions());
    EXPECT_EQ(IdsOf(envelopes.Persons()), sorted);

    // The pages draw them in that order, one entry (eight lines) apart; seven fill a page.
    ASSERT_EQ(book.PageCount(), 2);
    const auto y = [&book](int index, const QString& name) {
        for (const DrawCall& c : DrawnPage(book, index)) {
            if (c.kind == DrawCall::Kind::Text && c.text == name && c.x == kLetter600.leftX) {
                return c.y;
            }
        }
        return -1;
    };
    const int first = kLetter600.top + 2 * kLetter600.line;
    const int entry = 8 * kLetter600.line;
    EXPECT_EQ(y(0, QStringLiteral("Adams")), first);
    EXPECT_EQ(y(0, QStringLiteral("Beta Corp")), first + entry);
    EXPECT_EQ(y(0, QStringLiteral("Carl")), first + 2 * entry);
    EXPECT_EQ(y(0, QStringLiteral("de Vries, Jan")), first + 3 * entry);
    EXPECT_EQ(y(0, QStringLiteral("\u00C9mond, Luc")), first + 4 * entry);
    EXPECT_EQ(y(1, QStringLiteral("Zola, Emil")), first);
}

TEST(ReportOrder, EqualNamesKeepTheirOrderInLongLists) {
    // Forty persons, half of them "Lee, Ann", mixed with names on either side of it.
    std::vector<PersonRecord> given;
    std::vector<std::string> lees;
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        given.push_back(Person(i % 2 == 0 ? "z" + n : "a" + n, "X", i % 2 == 0 ? "Zed" : "Abe"));
        given.push_back(Person("lee" + n, "Ann", "Lee", "Co " + std::to_string(19 - i)));
        lees.push_back("lee" + std::to_string(i));
    }
    RecordingCanvas canvas;
    AddressBookReport book(canvas, Letter600(), given);
    std::vector<std::string> order;
    for (const PersonRecord& p : book.Persons()) {
        if (p.id.rfind("lee", 0) == 0) {
            order.push_back(p.id);
        }
    }
    EXPECT_EQ(order, lees);
    EXPECT_EQ(book.Persons()[9][PersonRecord::LName], "Abe");
    EXPECT_EQ(book.Persons()[10].id, "lee0");
    EXPECT_EQ(book.Persons()[30][PersonRecord::LName], "Zed");
}

// ---- Pagination runs when the layout changes, never when a page is drawn

TEST(ReportRelayout, PointSizeFontMarginsAndDeviceRepaginate) {
    // Seven entries fit Letter at 600 dpi and 10 pt: 423 + 7 × 792 = 5967 < 6225.
    RecordingCanvas canvas;
    AddressBookReport report(canvas, Letter600(), NumberedPersons(7));
    ASSERT_EQ(report.PageCount(), 1);

    // 12 pt: 100 px, line 120; 465 + k × 960 < 6225 holds up to k = 5.
    report.SetPointSize(12);
    EXPECT_EQ(canvas.Font().pixelSize, 100);
    EXPECT_EQ(report.LineHeight(), 120);
    EXPECT_EQ(report.PageCount(), 2);
    EXPECT_EQ(report.Pages(), (std::vector<std::vector<int>>{{0, 1, 2, 3, 4}, {5, 6}}));
    report.SetPointSize(10);
    EXPECT_EQ(report.PageCount(), 1);

    report.SetFont(QStringLiteral("Arial"), 12);
    EXPECT_EQ(canvas.Font().face, QStringLiteral("Arial"));
    EXPECT_EQ(report.FaceName(), QStringLiteral("Arial"));
    EXPECT_EQ(report.PageCount(), 2);
    report.SetFont(QStringLiteral("Times New Roman"), 10);
    EXPECT_EQ(report.PageCount(), 1);

    // 1 in margins: content 525 to 5925; 723 + k × 792 < 5925 holds up to k = 6.
    report.SetMargins(1000, 1000, 1000, 1000);
    ExpectContent(report.Content(), 525, 525, 4425, 5925);
    EXPECT_EQ(report.Pages(), (std::vector<std::vector<int>>{{0, 1, 2, 3, 4, 5}, {6}}));
    report.SetMargins(500, 500, 500, 500);
    EXPECT_EQ(report.PageCount(), 1);

    // Nine persons: two pages of Letter, one of Legal at 300 dpi (line 49, content 150 to
    // 4050: 248 + 9 × 392 = 3776 < 4050).
    AddressBookReport nine(canvas, Letter600(), NumberedPersons(9));
    EXPECT_EQ(nine.PageCount(), 2);
    nine.SetDevice({300, 300, 2550, 4200, 0, 0});
    ExpectContent(nine.Content(), 150, 150, 2400, 4050);
    EXPECT_EQ(nine.LineHeight(), 49);
    EXPECT_EQ(nine.PageCount(), 1);
}

TEST(ReportRelayout, DrawingLeavesThePaginationAlone) {
    RecordingCanvas measure;
    AddressBookReport book(measure, Letter600(), NumberedPersons(8));
    const auto bookPages = book.Pages();
    ASSERT_EQ(book.PageCount(), 2);

    // A drawing canvas whose lines are 50 units taller: it draws with its own measure but the
    // pages stay as laid out.
    RecordingCanvas other(50);
    for (int page = 0; page < 2; ++page) {
        book.DrawPage(other, page);
    }
    EXPECT_FALSE(other.Calls().empty());
    EXPECT_EQ(book.PageCount(), 2);
    EXPECT_EQ(book.Pages(), bookPages);
    EXPECT_EQ(book.LineHeight(), kLetter600.line);
    EXPECT_EQ(book.LeftColumnX(), kLetter600.leftX);

    ContactsReport contacts(measure, {600, 600, 5100, 1590, 75, 75}, {Person("A", "Ann", "Lee")},
                            {{"c1", "A", DateTime::FromFields(2005, 3, 3), "one", ""},
                             {"c2", "A", DateTime::FromFields(2005, 3, 2), "two", ""},
                             {"c3", "A", DateTime::FromFields(2005, 3, 1), "three", ""}},
                            DateTime::FromFields(2005, 1, 1), DateTime::FromFields(2005, 12, 31));
    const auto rows = [&contacts] {
        std::vector<std::vector<std::pair<int, int>>> pages;
        for (const auto& page : contacts.Pages()) {
            pages.emplace_back();
            for (const ContactsReport::Row& row : page) {
                pages.back().emplace_back(row.person, row.height);
            }
        }
        return pages;
    };
    const auto before = rows();
    ASSERT_EQ(contacts.PageCount(), 2);
    contacts.DrawPage(other, 0);
    contacts.DrawPage(other, 1);
    EXPECT_EQ(contacts.PageCount(), 2);
    EXPECT_EQ(rows(), before);
}

TEST(ReportRelayout, PageOutOfRangeDrawsNothing) {
    RecordingCanvas measure;
    AddressBookReport book(measure, Letter600(), NumberedPersons(3));
    ASSERT_EQ(book.PageCount(), 1);
    EXPECT_TRUE(DrawnPage(book, -1).empty());
    EXPECT_TRUE(DrawnPage(book, 1).empty());

    AddressBookReport empty(measure, Letter600(), {});
    EXPECT_EQ(empty.PageCount(), 0);
    EXPECT_TRUE(DrawnPage(empty, 0).empty());

    EnvelopeReport envelopes(measure, Letter600(), NumberedPersons(2), PersonRecord(),
                             EnvelopeOptions());
    EXPECT_TRUE(DrawnPage(envelopes, 2).empty());
    ContactsReport contacts(measure, Letter600(), {}, {}, DateTime(), DateTime());
    EXPECT_TRUE(DrawnPage(contacts, 1).empty());
}

// ---- Preview zoom

TEST(PreviewZoom, StepsInAndOut) {
    PreviewZoom zoom;
    EXPECT_EQ(zoom.Level(), 0);
    EXPECT_FALSE(zoom.CanZoomOut());
    zoom.ZoomOut();
    EXPECT_EQ(zoom.Level(), 0);

    const int in[] = {200, 400, 800};
    for (int level : in) {
        ASSERT_TRUE(zoom.CanZoomIn());
        zoom.ZoomIn();
        EXPECT_EQ(zoom.Level(), level);
        EXPECT_TRUE(zoom.CanZoomOut());
    }
    EXPECT_FALSE(zoom.CanZoomIn());
    zoom.ZoomIn();
    EXPECT_EQ(zoom.Level(), 800);

    const int out[] = {400, 200, 0};
    for (int level : out) {
        ASSERT_TRUE(zoom.CanZoomOut());
        zoom.ZoomOut();
        EXPECT_EQ(zoom.Level(), level);
        EXPECT_TRUE(zoom.CanZoomIn());
    }
    EXPECT_FALSE(zoom.CanZoomOut());

    zoom.ZoomIn();
    zoom.ZoomIn();
    zoom.Reset();
    EXPECT_EQ(zoom.Level(), 0);
}

TEST(PreviewZoom, ScrollKeepsTheShareOfTheRange) {
    EXPECT_EQ(PreviewZoom::ScrollPosition(50, 100, 300, false), 150);
    EXPECT_EQ(PreviewZoom::ScrollPosition(0, 100, 300, false), 0);
    EXPECT_EQ(PreviewZoom::ScrollPosition(100, 100, 40, false), 40);
    // Ranges of large pages: the product passes the range of int.
    EXPECT_EQ(PreviewZoom::ScrollPosition(1000000, 2000000, 3000000, false), 1500000);
    // From the fitted page, the middle, wherever the old bar was.
    EXPECT_EQ(PreviewZoom::ScrollPosition(0, 0, 500, true), 250);
    EXPECT_EQ(PreviewZoom::ScrollPosition(90, 100, 501, true), 250);
}

}  // namespace
