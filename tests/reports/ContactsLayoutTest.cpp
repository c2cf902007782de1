#include <gtest/gtest.h>

#include <QLocale>
#include <map>

#include "LayoutSamples.h"
#include "RecordingCanvas.h"
#include "Report.h"

using namespace reports;

namespace {

// The title's dates are the user's short dates: US English for these tests.
class ContactsLayout : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return DateTime::FromFields(year, month, day, hour, minute, second);
}

ContactRecord Contact(const std::string& id, const std::string& person, DateTime when,
                      const std::string& description) {
    return {id, person, when, description, "9DC618A3-8452-4D33-A70BDB1C91FE"};
}

// Letter at 600 dpi, 10 pt: person at 266, date and time at 266 + 1125 + 41, description from
// 2516 to 4725.
constexpr int kPersonX = 266;
constexpr int kTimeX = 1432;
constexpr int kTextX = 2516;
constexpr int kTextWidth = 2209;

// The title, the headings with their line, and the page number.
std::vector<DrawCall> Furniture(const QString& title, int pageNumber) {
    const Layout& l = kLetter600;
    const QString footer = QStringLiteral("Page %1").arg(pageNumber);
    return {
        DrawCall::Text(l.CentredBold(title), 225, title, true),
        DrawCall::Text(kPersonX, 423, QStringLiteral("Person"), true),
        DrawCall::Text(kTimeX, 423, QStringLiteral("Date / Time"), true),
        DrawCall::Text(kTextX, 423, QStringLiteral("Description"), true),
        DrawCall::Line(kPersonX, 423, 4725, 423),
        DrawCall::Text(l.CentredBold(footer), 6126, footer, true),
    };
}

// A row's date and time and its description box of the lines given.
std::vector<DrawCall> Row(int y, const QString& time, const QString& text, int lines = 1) {
    const QRect box(kTextX, y, kTextWidth, lines * 99);
    return {DrawCall::Text(kTimeX, y, time), DrawCall::Box(box, text, true, box)};
}

std::vector<DrawCall> Joined(std::vector<std::vector<DrawCall>> pieces) {
    std::vector<DrawCall> all;
    for (const auto& piece : pieces) {
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

TEST_F(ContactsLayout, RowTimeForm) {
    EXPECT_EQ(ContactsReport::RowTime(At(2005, 3, 1, 9, 5)), QStringLiteral("03/01/05 09:05AM"));
    EXPECT_EQ(ContactsReport::RowTime(At(1999, 12, 31, 23, 59)),
              QStringLiteral("12/31/99 11:59PM"));
    EXPECT_EQ(ContactsReport::RowTime(At(2010, 7, 4, 0, 0)), QStringLiteral("07/04/10 12:00AM"));
    EXPECT_EQ(ContactsReport::RowTime(At(2010, 7, 4, 12, 30)), QStringLiteral("07/04/10 12:30PM"));
    EXPECT_EQ(ContactsReport::RowTime(At(2000, 1, 9, 13, 0)), QStringLiteral("01/09/00 01:00PM"));
}

TEST_F(ContactsLayout, RowsWithinTheDatesNewestFirstByPerson) {
    const std::vector<PersonRecord> persons = {Person("B", "Bob ", "Zane "),
                                               Person("A", "Ann", "Lee")};
    const std::vector<ContactRecord> contacts = {
        Contact("c1", "A", At(2005, 3, 1), "First call"),  // exactly the beginning
        Contact("c2", "A", At(2005, 3, 15, 9, 5), "Met at the fair"),
        Contact("c3", "A", At(2005, 2, 28, 23, 59, 59), "Too early"),
        Contact("c4", "B", At(2005, 3, 31, 23, 59), "Last word"),  // exactly the ending
        Contact("c5", "B", At(2005, 3, 31, 23, 59, 1), "Too late"),
        Contact("c6", "B", DateTime(), "Unreadable date"),
        Contact("c7", "X", At(2005, 3, 10), "Someone not chosen"),
        Contact("c8", "B", At(2005, 3, 20, 12, 0), "Noon\r\nsecond line"),
        Contact("c9", "A", At(2005, 3, 15, 21, 30), "Evening"),
    };
    RecordingCanvas canvas;
    ContactsReport report(canvas, Letter600(), persons, contacts, At(2005, 3, 1),
                          At(2005, 3, 31, 23, 59));
    ASSERT_EQ(report.PageCount(), 1);

    // Rows from 225 + 3 × 99, each its description's lines and one more line down.
    EXPECT_TRUE(SameCalls(
        DrawnPage(report, 0),
        Joined({Furniture(QStringLiteral("CONTACTS 3/1/2005 - 3/31/2005"), 1),
                {DrawCall::Text(kPersonX, 522, QStringLiteral("Lee, Ann"))},
                Row(522, QStringLiteral("03/15/05 09:30PM"), QStringLiteral("Evening")),
                Row(720, QStringLiteral("03/15/05 09:05AM"), QStringLiteral("Met at the fair")),
                Row(918, QStringLiteral("03/01/05 12:00AM"), QStringLiteral("First call")),
                {DrawCall::Text(kPersonX, 1116, QStringLiteral("Zane, Bob"))},
                Row(1116, QStringLiteral("03/31/05 11:59PM"), QStringLiteral("Last word")),
                Row(1314, QStringLiteral("03/20/05 12:00PM"), QStringLiteral("Noon\nsecond line"),
                    2)})));
}

TEST_F(ContactsLayout, NoRowGivesOnePageOfTitleAndHeadings) {
    RecordingCanvas canvas;
    ContactsReport report(canvas, Letter600(), {Person("A", "Ann", "Lee")},
                          {Contact("c1", "A", At(2004, 12, 31), "Before")}, At(2005, 1, 1),
                          At(2005, 12, 31));
    EXPECT_EQ(report.PageCount(), 1);
    EXPECT_TRUE(SameCalls(DrawnPage(report, 0),
                          Furniture(QStringLiteral("CONTACTS 1/1/2005 - 12/31/2005"), 1)));

    ContactsReport nobody(canvas, Letter600(), {}, {}, At(2005, 1, 1), At(2005, 12, 31));
    EXPECT_EQ(nobody.PageCount(), 1);
}

TEST_F(ContactsLayout, DescriptionsWrapIntoTallerRows) {
    // 53 characters are 2173 wide and fit the 2209 of the column; 54 are 2214 and take two
    // lines; a line break and a long second line take three.
    const std::string fits(53, 'x');
    const std::string wraps(54, 'y');
    const std::string both = "short\r\n" + std::string(60, 'z');
    RecordingCanvas canvas;
    ContactsReport report(
        canvas, Letter600(), {Person("A", "Ann", "Lee")},
        {Contact("c1", "A", At(2005, 3, 3), fits), Contact("c2", "A", At(2005, 3, 2), wraps),
         Contact("c3", "A", At(2005, 3, 1), both)},
        At(2005, 3, 1), At(2005, 3, 31));
    ASSERT_EQ(report.PageCount(), 1);
    ASSERT_EQ(report.Pages()[0].size(), 3u);
    EXPECT_EQ(report.Pages()[0][0].height, 2 * 99);
    EXPECT_EQ(report.Pages()[0][1].height, 3 * 99);
    EXPECT_EQ(report.Pages()[0][2].height, 4 * 99);
    EXPECT_TRUE(SameCalls(
        DrawnPage(report, 0),
        Joined({Furniture(QStringLiteral("CONTACTS 3/1/2005 - 3/31/2005"), 1),
                {DrawCall::Text(kPersonX, 522, QStringLiteral("Lee, Ann"))},
                Row(522, QStringLiteral("03/03/05 12:00AM"), QString::fromStdString(fits)),
                Row(720, QStringLiteral("03/02/05 12:00AM"), QString::fromStdString(wraps), 2),
                Row(1017, QStringLiteral("03/01/05 12:00AM"),
                    QStringLiteral("short\n") + QString(60, QLatin1Char('z')), 3)})));
}

TEST_F(ContactsLayout, RowsFlowOntoNewPages) {
    // Rows of one line take 198: from 621, the 28th leaves 6165 < 6225, the 29th would make
    // 6363.
    std::vector<ContactRecord> contacts;
    for (int day = 1; day <= 29; ++day) {
        contacts.push_back(Contact("c" + std::to_string(day), "A", At(2005, 1, 30 - day, 10),
                                   "Call " + std::to_string(day)));
    }
    RecordingCanvas canvas;
    ContactsReport report(canvas, Letter600(), {Person("A", "Ann", "Lee")}, contacts,
                          At(2005, 1, 1), At(2005, 1, 31));
    ASSERT_EQ(report.PageCount(), 2);
    EXPECT_EQ(report.Pages()[0].size(), 28u);
    EXPECT_EQ(report.Pages()[1].size(), 1u);
    // The oldest row goes over, under the title and headings, with the name again.
    EXPECT_TRUE(SameCalls(
        DrawnPage(report, 1),
        Joined({Furniture(QStringLiteral("CONTACTS 1/1/2005 - 1/31/2005"), 2),
                {DrawCall::Text(kPersonX, 522, QStringLiteral("Lee, Ann"))},
                Row(522, QStringLiteral("01/01/05 10:00AM"), QStringLiteral("Call 29"))})));
}

TEST_F(ContactsLayout, PositionReachingTheBottomStartsANewPage) {
    // Bottom at 1590 - 375 = 1215, rows from 621: two rows of 198 leave 1017, a third reaches
    // 1215 exactly.
    const DeviceMetrics shortPage{600, 600, 5100, 1590, 75, 75};
    const std::vector<PersonRecord> ann = {Person("A", "Ann", "Lee")};
    const auto heights = [](const ContactsReport& report) {
        std::vector<std::vector<int>> pages;
        for (const auto& page : report.Pages()) {
            pages.emplace_back();
            for (const ContactsReport::Row& row : page) {
                pages.back().push_back(row.height);
            }
        }
        return pages;
    };
    RecordingCanvas canvas;
    const std::vector<ContactRecord> three = {Contact("c1", "A", At(2005, 3, 3), "one"),
                                              Contact("c2", "A", At(2005, 3, 2), "two"),
                                              Contact("c3", "A", At(2005, 3, 1), "three")};
    ContactsReport reaches(canvas, shortPage, ann, three, At(2005, 3, 1), At(2005, 3, 31));
    EXPECT_EQ(heights(reaches), (std::vector<std::vector<int>>{{198, 198}, {198}}));
    ContactsReport fits(canvas, {600, 600, 5100, 1591, 75, 75}, ann, three, At(2005, 3, 1),
                        At(2005, 3, 31));
    EXPECT_EQ(heights(fits), (std::vector<std::vector<int>>{{198, 198, 198}}));

    // A taller row: 819 + 396 reaches 1215; the new page counts from the row that opened it,
    // 621 + 396 = 1017, and the next row reaches 1215 again.
    const std::vector<ContactRecord> mixed = {
        Contact("c1", "A", At(2005, 3, 3), "one"),
        Contact("c2", "A", At(2005, 3, 2), "two\r\nlines\r\nhere"),
        Contact("c3", "A", At(2005, 3, 1), "three")};
    ContactsReport tall(canvas, shortPage, ann, mixed, At(2005, 3, 1), At(2005, 3, 31));
    EXPECT_EQ(heights(tall), (std::vector<std::vector<int>>{{198}, {396}, {198}}));
    ContactsReport tallFits(canvas, {600, 600, 5100, 1591, 75, 75}, ann, mixed, At(2005, 3, 1),
                            At(2005, 3, 31));
    EXPECT_EQ(heights(tallFits), (std::vector<std::vector<int>>{{198, 396}, {198}}));
}

TEST_F(ContactsLayout, NameOnlyWhereItChanges) {
    // Two persons printed under one name show it once; a different name shows again.
    const std::vector<PersonRecord> persons = {Person("A1", "Ann", "Lee", "One"),
                                               Person("A2", "Ann", "Lee", "Two"),
                                               Person("C", "Cy", "Moss")};
    RecordingCanvas canvas;
    ContactsReport report(
        canvas, Letter600(), persons,
        {Contact("c1", "A1", At(2005, 3, 3), "a"), Contact("c2", "A2", At(2005, 3, 2), "b"),
         Contact("c3", "C", At(2005, 3, 1), "c"), Contact("c4", "C", At(2005, 3, 4), "d")},
        At(2005, 3, 1), At(2005, 3, 31));
    std::vector<DrawCall> names;
    for (const DrawCall& c : DrawnPage(report, 0)) {
        if (c.kind == DrawCall::Kind::Text && c.x == kPersonX && !c.bold) {
            names.push_back(c);
        }
    }
    EXPECT_TRUE(SameCalls(names, {DrawCall::Text(kPersonX, 522, QStringLiteral("Lee, Ann")),
                                  DrawCall::Text(kPersonX, 918, QStringLiteral("Moss, Cy"))}));
}

TEST_F(ContactsLayout, DatesBefore1900CountForwardWithinTheDay) {
    // Before 30 December 1899 a day's value is negative while its time still counts forward:
    // the evening of 29 December 1899 is later than its morning.
    const std::vector<PersonRecord> ann = {Person("A", "Ann", "Lee")};
    const std::vector<ContactRecord> contacts = {
        Contact("m", "A", At(1899, 12, 29, 6), "morning"),
        Contact("e", "A", At(1899, 12, 29, 18), "evening"),
    };
    // The descriptions from the top of the page down.
    const auto descriptions = [](ContactsReport& report) {
        std::map<int, QString> byY;
        for (const DrawCall& c : DrawnPage(report, 0)) {
            if (c.kind == DrawCall::Kind::Box) {
                byY[c.box.top()] = c.text;
            }
        }
        std::vector<QString> texts;
        for (const auto& [y, text] : byY) {
            texts.push_back(text);
        }
        return texts;
    };
    RecordingCanvas canvas;
    ContactsReport wholeDay(canvas, Letter600(), ann, contacts, At(1899, 12, 29),
                            At(1899, 12, 29, 23, 59));
    EXPECT_EQ(descriptions(wholeDay),
              (std::vector<QString>{QStringLiteral("evening"), QStringLiteral("morning")}));
    ContactsReport afternoon(canvas, Letter600(), ann, contacts, At(1899, 12, 29, 12),
                             At(1899, 12, 29, 23, 59));
    EXPECT_EQ(descriptions(afternoon), (std::vector<QString>{QStringLiteral("evening")}));
}

}  // namespace
