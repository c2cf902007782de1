// Every person named as the main list names them, every text within its column and the page,
// and only the lines that have values, in each of the three reports.
#include <gtest/gtest.h>

#include <QLocale>

#include "LayoutSamples.h"
#include "RecordingCanvas.h"
#include "Report.h"

using namespace reports;

namespace {

using P = PersonRecord;

const QChar kEllipsis(0x2026);

class FittingLayout : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

PersonRecord Harbour() {
    PersonRecord p = Person("H", "", "", "Harbour Ltd");
    p[P::Addr] = "Quay 4";
    p[P::City] = "Portsmouth";
    p[P::Zip] = "PO1 3AH";
    p[P::WkPhone] = "023 9200 1000";
    return p;
}

// The normal texts drawn from x on: each must end at or before end (41 a character).
::testing::AssertionResult EndBefore(const std::vector<DrawCall>& calls, int x, int end) {
    int seen = 0;
    for (const DrawCall& c : calls) {
        if (c.kind == DrawCall::Kind::Text && !c.bold && c.x == x) {
            ++seen;
            if (x + c.text.size() * kLetter600.charWidth > end) {
                return ::testing::AssertionFailure()
                       << "\"" << c.text.toStdString() << "\" at " << x << " passes " << end;
            }
        }
    }
    if (seen == 0) {
        return ::testing::AssertionFailure() << "no text at " << x;
    }
    return ::testing::AssertionSuccess();
}

ContactRecord Contact(const std::string& id, const std::string& person, int day,
                      const std::string& description) {
    return {id, person, DateTime::FromFields(2005, 3, day, 10, 0, 0), description, "T"};
}

// ---- Address book: left column 266 to 2516 - 41, right column 2516 to 4725 - 41.

TEST_F(FittingLayout, AddressBookNamesACompanyWithoutANameOnceAndSkipsEmptyLabels) {
    RecordingCanvas canvas;
    AddressBookReport report(canvas, Letter600(), {Harbour()});
    std::vector<DrawCall> entry;
    for (const DrawCall& c : DrawnPage(report, 0)) {
        if (c.y >= 423 && c.y < 6126) {
            entry.push_back(c);
        }
    }
    // Its name is the company, no "Company:" line under it, no "Ext." without an extension,
    // no "," without a state, and none of the labels without a value.
    EXPECT_TRUE(
        SameCalls(entry, {
                             DrawCall::Text(266, 423, QStringLiteral("Harbour Ltd")),
                             DrawCall::Text(266, 522, QStringLiteral("Quay 4")),
                             DrawCall::Text(266, 621, QStringLiteral("Portsmouth PO1 3AH")),
                             DrawCall::Text(2516, 423, QStringLiteral("Work Phone: 023 9200 1000")),
                             DrawCall::Line(266, 1116, 4684, 1116),
                         }));

    // An extension without a phone, a state without a city.
    PersonRecord odd = Person("O", "Ann", "Oddie");
    odd[P::WkExt] = "12";
    odd[P::State] = "IL";
    odd[P::Zip] = "62701";
    AddressBookReport oddReport(canvas, Letter600(), {odd});
    const std::vector<DrawCall> page = DrawnPage(oddReport, 0);
    EXPECT_NE(
        std::find(page.begin(), page.end(), DrawCall::Text(266, 522, QStringLiteral("IL 62701"))),
        page.end());
    EXPECT_NE(std::find(page.begin(), page.end(),
                        DrawCall::Text(2516, 423, QStringLiteral("Work Phone: Ext. 12"))),
              page.end());
}

TEST_F(FittingLayout, AddressBookLongTextsStayInTheirColumns) {
    PersonRecord p = Person("L", std::string(30, 'a'), std::string(40, 'B'), std::string(60, 'c'));
    p[P::Addr] =
        "Flat 12 The Old Rectory Long Lane Little Snoring near Fakenham in the County of Norfolk";
    p[P::Email] = std::string(60, 'e');
    p[P::HmPhone] = "555-0100";
    RecordingCanvas canvas;
    AddressBookReport report(canvas, Letter600(), {p});
    const std::vector<DrawCall> page = DrawnPage(report, 0);
    EXPECT_TRUE(EndBefore(page, 266, 2516 - 41));
    EXPECT_TRUE(EndBefore(page, 2516, 4725 - 41));
    // 2209 take 53 characters: a longer line keeps 52 and the ellipsis; the address wraps
    // between words.
    std::vector<DrawCall> entry;
    for (const DrawCall& c : page) {
        if (c.kind == DrawCall::Kind::Text && !c.bold) {
            entry.push_back(c);
        }
    }
    EXPECT_TRUE(SameCalls(
        entry,
        {
            DrawCall::Text(266, 423, QString(40, 'B') + ", " + QString(10, 'a') + kEllipsis),
            DrawCall::Text(266, 522, "Company: " + QString(43, 'c') + kEllipsis),
            DrawCall::Text(266, 621,
                           QStringLiteral("Flat 12 The Old Rectory Long Lane Little Snoring near")),
            DrawCall::Text(266, 720, QStringLiteral("Fakenham in the County of Norfolk")),
            DrawCall::Text(2516, 423, QStringLiteral("Home Phone: 555-0100")),
            // 2168 take 52 characters.
            DrawCall::Text(2516, 522, "E-Mail: " + QString(43, 'e') + kEllipsis),
        }));
}

// ---- Contacts: person 266 to 1432 - 41, date 1432 to 2516 - 41, description 2516 to 4725.

TEST_F(FittingLayout, ContactsNameACompanyWithoutANameAndKeepTheirColumns) {
    const std::vector<PersonRecord> persons = {
        Person("A", "Ann", "Adams"), Harbour(),
        Person("L", "Maximiliana", "Featherstonehaugh-Cholmondeley")};
    const std::vector<ContactRecord> contacts = {Contact("c1", "A", 3, "Called"),
                                                 Contact("c2", "H", 2, "Quote for the quay"),
                                                 Contact("c3", "L", 1, std::string(200, 'w'))};
    RecordingCanvas canvas;
    ContactsReport report(canvas, Letter600(), persons, contacts,
                          DateTime::FromFields(2005, 3, 1, 0, 0, 0),
                          DateTime::FromFields(2005, 3, 31, 0, 0, 0));
    ASSERT_EQ(report.PageCount(), 1);
    const std::vector<DrawCall> page = DrawnPage(report, 0);
    std::vector<DrawCall> names;
    for (const DrawCall& c : page) {
        if (c.kind == DrawCall::Kind::Text && !c.bold && c.x == 266) {
            names.push_back(c);
        }
    }
    // The company's contacts are under its own name, not the person's above; 1125 take 27
    // characters, so the long name keeps 26 and the ellipsis.
    EXPECT_TRUE(SameCalls(
        names, {DrawCall::Text(266, 522, QStringLiteral("Adams, Ann")),
                DrawCall::Text(266, 720, QStringLiteral("Featherstonehaugh-Cholmond") + kEllipsis),
                DrawCall::Text(266, 1215, QStringLiteral("Harbour Ltd"))}));
    EXPECT_TRUE(EndBefore(page, 266, 1432 - 41));
    EXPECT_TRUE(EndBefore(page, 1432, 2516 - 41));
    // A word wider than the column breaks inside it: 53, 53, 53 and 41 characters.
    ASSERT_EQ(report.Pages()[0][1].lines, 4);
    const QRect box(2516, 720, 2209, 4 * 99);
    EXPECT_NE(std::find(page.begin(), page.end(), DrawCall::Box(box, QString(200, 'w'), true, box)),
              page.end());
}

TEST_F(FittingLayout, AContactLongerThanAPageIsCutAboveThePageNumber) {
    std::string description;
    for (int i = 1; i <= 80; ++i) {
        description += "line " + std::to_string(i) + (i < 80 ? "\r\n" : "");
    }
    RecordingCanvas canvas;
    ContactsReport report(
        canvas, Letter600(), {Person("A", "Ann", "Adams")}, {Contact("c1", "A", 3, description)},
        DateTime::FromFields(2005, 3, 1, 0, 0, 0), DateTime::FromFields(2005, 3, 31, 0, 0, 0));
    // Rows from 522; (6225 - 225 - 396 - 1) / 99 - 1 = 55 lines end at 5967, above the page
    // number at 6126.
    ASSERT_EQ(report.PageCount(), 1);
    EXPECT_EQ(report.Pages()[0][0].lines, 55);
    QStringList shown;
    for (int i = 1; i <= 55; ++i) {
        shown << QStringLiteral("line %1").arg(i);
    }
    shown.back() += kEllipsis;
    const QRect box(2516, 522, 2209, 55 * 99);
    const std::vector<DrawCall> page = DrawnPage(report, 0);
    EXPECT_NE(std::find(page.begin(), page.end(),
                        DrawCall::Box(box, shown.join(QLatin1Char('\n')), true, box)),
              page.end());
}

// ---- Envelopes: the recipient from 3099 down, the return address above it.

TEST_F(FittingLayout, AnEnvelopeForACompanyWithoutANameIsAddressedToIt) {
    PersonRecord user = Person("U", "Ann", "Lee");
    RecordingCanvas canvas;
    EnvelopeReport plain(canvas, Letter600(), {Harbour()}, user, EnvelopeOptions());
    // "Portsmouth PO1 3AH" is 18 × 41 = 738 wide: the block from 2516 - 369.
    const int x = 2516 - 369;
    const std::vector<DrawCall> addressed = {
        DrawCall::Text(266, 225, QStringLiteral("Ann Lee")),
        DrawCall::Text(x, 3099, QStringLiteral("Harbour Ltd")),
        DrawCall::Text(x, 3198, QStringLiteral("Quay 4")),
        DrawCall::Text(x, 3297, QStringLiteral("Portsmouth PO1 3AH")),
    };
    EXPECT_TRUE(SameCalls(DrawnPage(plain, 0), addressed));
    // The Company tick does not print the company a second time.
    EnvelopeOptions company;
    company.recipientCompany = true;
    EnvelopeReport ticked(canvas, Letter600(), {Harbour()}, user, company);
    EXPECT_TRUE(SameCalls(DrawnPage(ticked, 0), addressed));
    // Under a person's name it adds the company.
    PersonRecord bob = Harbour();
    bob[P::FName] = "Bob";
    bob[P::LName] = "Quay";
    EnvelopeReport named(canvas, Letter600(), {bob}, user, company);
    EXPECT_TRUE(SameCalls(DrawnPage(named, 0),
                          {DrawCall::Text(266, 225, QStringLiteral("Ann Lee")),
                           DrawCall::Text(x, 3099, QStringLiteral("Bob Quay")),
                           DrawCall::Text(x, 3198, QStringLiteral("Harbour Ltd")),
                           DrawCall::Text(x, 3297, QStringLiteral("Quay 4")),
                           DrawCall::Text(x, 3396, QStringLiteral("Portsmouth PO1 3AH"))}));
}

TEST_F(FittingLayout, AnEnvelopeWithoutAddressesPrintsOnlyTheNames) {
    EnvelopeOptions all;
    all.recipientTitle = all.recipientCompany = all.recipientPosition = true;
    all.returnTitle = all.returnCompany = all.returnPosition = true;
    RecordingCanvas canvas;
    EnvelopeReport report(canvas, Letter600(), {Person("B", "Bob", "Smith")},
                          Person("U", "Ann", "Lee"), all);
    // No empty lines for the options without values, no city line: the block is centred on
    // nothing, at the right column.
    EXPECT_TRUE(
        SameCalls(DrawnPage(report, 0), {DrawCall::Text(266, 225, QStringLiteral("Ann Lee")),
                                         DrawCall::Text(2516, 3099, QStringLiteral("Bob Smith"))}));
}

TEST_F(FittingLayout, AnEnvelopesLongTextsStayOnThePage) {
    PersonRecord p = Person("B", "Bob", std::string(120, 'S'));
    p[P::Addr] = std::string(90, 'a') + " " + std::string(10, 'b');
    p[P::City] = "Shelbyville";
    p[P::Zip] = "12345";
    PersonRecord user = Person("U", std::string(70, 'u'), "Lee");
    RecordingCanvas canvas;
    EnvelopeReport report(canvas, Letter600(), {p}, user, EnvelopeOptions());
    const std::vector<DrawCall> page = DrawnPage(report, 0);
    // The block from 2516 - 348 to the content's right edge: 2557 take 62 characters.
    const int x = 2516 - 348;
    EXPECT_TRUE(EndBefore(page, x, 4725));
    EXPECT_TRUE(EndBefore(page, 266, 2516 - 41));
    EXPECT_TRUE(SameCalls(page, {DrawCall::Text(266, 225, QString(53, 'u').left(52) + kEllipsis),
                                 DrawCall::Text(x, 3099, "Bob " + QString(57, 'S') + kEllipsis),
                                 DrawCall::Text(x, 3198, QString(62, 'a')),
                                 DrawCall::Text(x, 3297, QString(28, 'a') + " " + QString(10, 'b')),
                                 DrawCall::Text(x, 3396, QStringLiteral("Shelbyville 12345"))}));
}

}  // namespace
