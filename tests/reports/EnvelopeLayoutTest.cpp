#include <gtest/gtest.h>

#include "LayoutSamples.h"
#include "RecordingCanvas.h"
#include "Report.h"

using namespace reports;

namespace {

using P = PersonRecord;

PersonRecord User() {
    PersonRecord u = Person("U", "Ann  ", "Lee ", "Acme");
    u[P::Title] = "Dr.";
    u[P::Position] = "Engineer";
    u[P::Addr] = "1 Main St\r\nSuite 5";
    u[P::City] = "Springfield ";
    u[P::State] = "IL";
    u[P::Zip] = "62701";
    return u;
}

PersonRecord Bob() {
    PersonRecord p = Person("B", "  Bob ", "Smith", "Beta");
    p[P::Title] = "Mr. ";
    p[P::Position] = "Buyer";
    p[P::Addr] = "2 Oak Ave\r\nApt 3";
    p[P::City] = " Shelbyville ";
    p[P::Zip] = "12345";
    return p;
}

EnvelopeOptions AllOptions() {
    EnvelopeOptions o;
    o.recipientTitle = o.recipientCompany = o.recipientPosition = true;
    o.returnTitle = o.returnCompany = o.returnPosition = true;
    return o;
}

std::vector<DrawCall> Lines(int x, int y, int line, const std::vector<QString>& texts) {
    std::vector<DrawCall> calls;
    for (const QString& text : texts) {
        calls.push_back(DrawCall::Text(x, y, text));
        y += line;
    }
    return calls;
}

std::vector<DrawCall> Joined(const std::vector<DrawCall>& a, const std::vector<DrawCall>& b) {
    std::vector<DrawCall> all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

TEST(EnvelopeLayout, RecipientNameAndCityLine) {
    RecordingCanvas canvas;
    EnvelopeOptions titled;
    titled.recipientTitle = true;
    EnvelopeReport withTitle(canvas, Letter600(), {}, PersonRecord(), titled);
    EnvelopeReport plain(canvas, Letter600(), {}, PersonRecord(), EnvelopeOptions());

    const auto named = [](const std::string& title, const std::string& first,
                          const std::string& last) {
        PersonRecord p = Person("X", first, last);
        p[P::Title] = title;
        return p;
    };
    EXPECT_EQ(withTitle.RecipientName(Bob()), QStringLiteral("Mr. Bob Smith"));
    EXPECT_EQ(plain.RecipientName(Bob()), QStringLiteral("Bob Smith"));
    EXPECT_EQ(withTitle.RecipientName(named("Mr.", "", "Smith")), QStringLiteral("Mr. Smith"));
    EXPECT_EQ(plain.RecipientName(named("Mr.", "", "Smith")), QStringLiteral("Smith"));
    EXPECT_EQ(withTitle.RecipientName(named("", "", " Smith ")), QStringLiteral("Smith"));
    EXPECT_EQ(withTitle.RecipientName(named("", " Bob", "Smith ")), QStringLiteral("Bob Smith"));
    EXPECT_EQ(plain.RecipientName(named("", "Bob", "")), QStringLiteral("Bob"));

    const auto placed = [](const std::string& city, const std::string& state,
                           const std::string& zip) {
        PersonRecord p;
        p[P::City] = city;
        p[P::State] = state;
        p[P::Zip] = zip;
        return p;
    };
    EXPECT_EQ(EnvelopeReport::CityLine(placed("Springfield", "", "12345")),
              QStringLiteral("Springfield 12345"));
    EXPECT_EQ(EnvelopeReport::CityLine(placed(" Springfield ", "IL ", "62701 ")),
              QStringLiteral("Springfield, IL 62701"));
    EXPECT_EQ(EnvelopeReport::CityLine(placed("Springfield", "IL", "")),
              QStringLiteral("Springfield, IL"));
    EXPECT_EQ(EnvelopeReport::CityLine(placed("", "", "12345")), QStringLiteral("12345"));
    EXPECT_EQ(EnvelopeReport::CityLine(placed("", "", "")), QString());
}

TEST(EnvelopeLayout, EveryLineWithAllOptions) {
    RecordingCanvas canvas;
    EnvelopeReport report(canvas, Letter600(), {Bob()}, User(), AllOptions());
    ASSERT_EQ(report.PageCount(), 1);

    RecordingCanvas page;
    report.DrawPage(page, 0);
    // The return address from the content's top left; the recipient's block centred on its
    // city line ("Shelbyville 12345", 17 × 41 = 697 wide) about the right column, from half
    // the content's height plus a line. No title, no frame, no page number.
    const std::vector<DrawCall> returnAddress =
        Lines(266, 225, 99,
              {QStringLiteral("Dr. Ann Lee"), QStringLiteral("Engineer"), QStringLiteral("Acme"),
               QStringLiteral("1 Main St"), QStringLiteral("Suite 5"),
               QStringLiteral("Springfield, IL 62701")});
    const std::vector<DrawCall> recipient =
        Lines(2516 - 348, 3000 + 99, 99,
              {QStringLiteral("Mr. Bob Smith"), QStringLiteral("Buyer"), QStringLiteral("Beta"),
               QStringLiteral("2 Oak Ave"), QStringLiteral("Apt 3"),
               QStringLiteral("Shelbyville 12345")});
    EXPECT_TRUE(SameCalls(page.Shown(), Joined(returnAddress, recipient)));
}

TEST(EnvelopeLayout, EveryLineWithoutOptions) {
    RecordingCanvas canvas;
    EnvelopeReport report(canvas, Letter600(), {Bob()}, User(), EnvelopeOptions());
    RecordingCanvas page;
    report.DrawPage(page, 0);
    const std::vector<DrawCall> returnAddress =
        Lines(266, 225, 99,
              {QStringLiteral("Ann Lee"), QStringLiteral("1 Main St"), QStringLiteral("Suite 5"),
               QStringLiteral("Springfield, IL 62701")});
    const std::vector<DrawCall> recipient =
        Lines(2168, 3099, 99,
              {QStringLiteral("Bob Smith"), QStringLiteral("2 Oak Ave"), QStringLiteral("Apt 3"),
               QStringLiteral("Shelbyville 12345")});
    EXPECT_TRUE(SameCalls(page.Shown(), Joined(returnAddress, recipient)));
}

TEST(EnvelopeLayout, EachOptionItsOwnLine) {
    const auto shown = [](const EnvelopeOptions& options) {
        RecordingCanvas canvas;
        EnvelopeReport report(canvas, Letter600(), {Bob()}, User(), options);
        RecordingCanvas page;
        report.DrawPage(page, 0);
        return page.Shown();
    };
    EnvelopeOptions companyAndPosition;
    companyAndPosition.returnCompany = true;
    companyAndPosition.recipientTitle = true;
    companyAndPosition.recipientPosition = true;
    EXPECT_TRUE(SameCalls(shown(companyAndPosition),
                          Joined(Lines(266, 225, 99,
                                       {QStringLiteral("Ann Lee"), QStringLiteral("Acme"),
                                        QStringLiteral("1 Main St"), QStringLiteral("Suite 5"),
                                        QStringLiteral("Springfield, IL 62701")}),
                                 Lines(2168, 3099, 99,
                                       {QStringLiteral("Mr. Bob Smith"), QStringLiteral("Buyer"),
                                        QStringLiteral("2 Oak Ave"), QStringLiteral("Apt 3"),
                                        QStringLiteral("Shelbyville 12345")}))));

    EnvelopeOptions positionAndCompany;
    positionAndCompany.returnTitle = true;
    positionAndCompany.returnPosition = true;
    positionAndCompany.recipientCompany = true;
    EXPECT_TRUE(SameCalls(shown(positionAndCompany),
                          Joined(Lines(266, 225, 99,
                                       {QStringLiteral("Dr. Ann Lee"), QStringLiteral("Engineer"),
                                        QStringLiteral("1 Main St"), QStringLiteral("Suite 5"),
                                        QStringLiteral("Springfield, IL 62701")}),
                                 Lines(2168, 3099, 99,
                                       {QStringLiteral("Bob Smith"), QStringLiteral("Beta"),
                                        QStringLiteral("2 Oak Ave"), QStringLiteral("Apt 3"),
                                        QStringLiteral("Shelbyville 12345")}))));
}

TEST(EnvelopeLayout, OnePagePerPersonInNameOrder) {
    PersonRecord al = Person("Y", "Al", "Young");
    al[P::City] = "Troy";
    al[P::State] = "NY";
    al[P::Zip] = "12180";
    al[P::Addr] = "9 Elm Rd";
    RecordingCanvas canvas;
    EnvelopeReport report(canvas, A4At300(), {al, Bob()}, User(), EnvelopeOptions());
    ASSERT_EQ(report.PageCount(), 2);
    EXPECT_EQ(IdsOf(report.Persons()), (std::vector<std::string>{"B", "Y"}));

    // A4 at 300 dpi: blocks from (3358 - 150) / 2 + 49 = 1653, centred on 1260.
    const std::vector<DrawCall> returnAddress =
        Lines(170, 150, 49,
              {QStringLiteral("Ann Lee"), QStringLiteral("1 Main St"), QStringLiteral("Suite 5"),
               QStringLiteral("Springfield, IL 62701")});
    RecordingCanvas first;
    report.DrawPage(first, 0);
    EXPECT_TRUE(
        SameCalls(first.Shown(),
                  Joined(returnAddress,
                         Lines(1260 - 170, 1653, 49,
                               {QStringLiteral("Bob Smith"), QStringLiteral("2 Oak Ave"),
                                QStringLiteral("Apt 3"), QStringLiteral("Shelbyville 12345")}))));
    // "Troy, NY 12180": 14 × 20 = 280 wide.
    RecordingCanvas second;
    report.DrawPage(second, 1);
    EXPECT_TRUE(SameCalls(
        second.Shown(),
        Joined(returnAddress, Lines(1260 - 140, 1653, 49,
                                    {QStringLiteral("Al Young"), QStringLiteral("9 Elm Rd"),
                                     QStringLiteral("Troy, NY 12180")}))));

    EXPECT_EQ(EnvelopeReport(canvas, A4At300(), {}, User(), EnvelopeOptions()).PageCount(), 0);
}

}  // namespace
