#include <gtest/gtest.h>

#include <QString>

#include <array>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "PersonRecord.h"
#include "StoredText.h"
#include "TransferCoreTestSupport.h"
#include "VCard.h"

namespace {

using transfer::AppendVCard;
using transfer::ReadVCards;
using transfer::VCardReadResult;
using transfer_test::CrLfLines;
using transfer_test::FileBytes;
using P = PersonRecord;
using Fields = std::array<std::string, P::FieldCount>;

const std::string kData = TIDEMARK_TEST_DATA;

// The 17 fields with the given ones set and the others empty.
Fields Person(std::initializer_list<std::pair<P::Field, std::string>> values) {
    Fields fields;
    for (const auto& [field, value] : values) {
        fields[field] = value;
    }
    return fields;
}

// A card of the version with the content lines given, each ended by CR LF.
std::string Card(const std::vector<std::string>& lines, const std::string& version = "3.0") {
    std::string text = "BEGIN:VCARD\r\nVERSION:" + version + "\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text + "END:VCARD\r\n";
}

std::string Card21(const std::vector<std::string>& lines) {
    return Card(lines, "2.1");
}

// The fields of the only person the text holds.
Fields One(const std::string& text) {
    const VCardReadResult result = ReadVCards(text);
    EXPECT_TRUE(result.isVCard);
    EXPECT_EQ(result.persons.size(), 1u) << text;
    return result.persons.empty() ? Fields() : result.persons[0].person.fields;
}

std::string Repeat(const std::string& piece, int count, const std::string& between = "") {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? between : "") + piece;
    }
    return text;
}

std::string Written(const PersonRecord& person) {
    std::string text;
    AppendVCard(text, person);
    return text;
}

// ---------------------------------------------------------------------------------------------
// Reading: lines

TEST(VCardLines, FoldedLinesJoinWithoutTheirFirstBlank) {
    EXPECT_EQ(One(Card({"N:Le\r\n e;A\r\n\tnn;;;", "ORG:Blue\r\n  Tide"})),
              Person({{P::LName, "Lee"}, {P::FName, "Ann"}, {P::Company, "Blue Tide"}}));
    // A blank line ends the folding.
    EXPECT_EQ(One(Card({"N:Lee;Ann", "", " ;ignored", "TITLE:Buyer"})),
              Person({{P::LName, "Lee"}, {P::FName, "Ann"}, {P::Position, "Buyer"}}));
}

TEST(VCardLines, AFoldInsideAUtf8CharacterRejoinsIt) {
    // ü is C3 BC and € is E2 82 AC: split after their first and second byte.
    EXPECT_EQ(One(Card({"N:M\xC3\r\n \xBC"
                        "ller;Ann",
                        "ORG:5 \xE2\x82\r\n \xAC Shop\xE2\r\n \x82\r\n \xAC"})),
              Person({{P::LName, "Müller"}, {P::FName, "Ann"}, {P::Company, "5 € Shop€"}}));
}

TEST(VCardLines, LineEndsOfEveryKind) {
    const Fields expected = Person({{P::LName, "Lee"}, {P::FName, "Ann"}, {P::Company, "Acme"}});
    for (const std::string end : {"\r\n", "\n", "\r\r\n", "\r"}) {
        EXPECT_EQ(One("BEGIN:VCARD" + end + "VERSION:3.0" + end + "N:Lee;A" + end + " nn" + end +
                      "ORG:Acme" + end + "END:VCARD" + end),
                  expected)
            << testing::PrintToString(end);
    }
    // CR LF on the properties, LF on the continuation lines.
    EXPECT_EQ(One("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;A\n nn\r\nORG:Ac\n me\r\nEND:VCARD\r\n"),
              expected);
}

TEST(VCardLines, ACarriageReturnAloneEndsALineInAnyMix) {
    // Older Mac programs end lines with CR only, also in files that elsewhere have CR LF.
    EXPECT_EQ(
        One("BEGIN:VCARD\r\nVERSION:3.0\rN:Lee;Ann\nTITLE:Head\r\nORG:Acme\rEND:VCARD"),
        Person(
            {{P::LName, "Lee"}, {P::FName, "Ann"}, {P::Position, "Head"}, {P::Company, "Acme"}}));
    // What follows a CR inside a value is a line of its own: here one without a colon, skipped.
    EXPECT_EQ(One(Card({"X-CUSTOM3;VALUE=TEXT:custom\r3", "N:Lee;Ann", "TITLE:Head\rBuyer"})),
              Person({{P::LName, "Lee"}, {P::FName, "Ann"}, {P::Position, "Head"}}));
}

TEST(VCardLines, ByteOrderMarksAreSkippedAndUtf16IsRead) {
    EXPECT_EQ(One("\xEF\xBB\xBF" + Card({"N:Lee;Ann"})),
              Person({{P::LName, "Lee"}, {P::FName, "Ann"}}));
    // UTF-16 in either byte order, as some Windows programs write it.
    const std::string text = Card({"N:Müller;Zoë", "ORG:日本 😀"});
    const std::u16string wide = QString::fromStdString(text).toStdU16String();
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (char16_t c : wide) {
        little += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        big += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    const Fields expected =
        Person({{P::LName, "Müller"}, {P::FName, "Zoë"}, {P::Company, "日本 😀"}});
    EXPECT_EQ(One(little), expected);
    EXPECT_EQ(One(big), expected);
    // An odd last byte does not stop it.
    EXPECT_EQ(One(little + "\x41"), expected);
}

// ---------------------------------------------------------------------------------------------
// Reading: names and parameters

TEST(VCardParameters, NamesAndParametersIgnoreCase) {
    EXPECT_EQ(
        One("begin:vcard\r\nversion:3.0\r\nn:Lee;Ann\r\ntel;type=work:1\r\nTel;Type=Cell:2\r\n"
            "eMail;TYPE=internet:a@example.com\r\nEnd:VCard\r\n"),
        Person({{P::LName, "Lee"},
                {P::FName, "Ann"},
                {P::WkPhone, "1"},
                {P::CelPhone, "2"},
                {P::Email, "a@example.com"}}));
}

TEST(VCardParameters, GroupsAreIgnored) {
    EXPECT_EQ(One(Card({"item3.N:Lee;Ann", "item1.TEL;TYPE=CELL:1", "item1.X-ABLabel:Other",
                        "item2.EMAIL;TYPE=INTERNET:a@example.com", "a.b.ORG:Acme"})),
              Person({{P::LName, "Lee"},
                      {P::FName, "Ann"},
                      {P::CelPhone, "1"},
                      {P::Email, "a@example.com"},
                      {P::Company, "Acme"}}));
}

TEST(VCardParameters, TypeListsRepeatedTypesQuotedTypesAndBareWords) {
    const Fields expected = Person({{P::LName, "Lee"},
                                    {P::HmPhone, "1"},
                                    {P::WkPhone, "2"},
                                    {P::CelPhone, "3"},
                                    {P::Pager, "4"},
                                    {P::WkFax, "5"}});
    EXPECT_EQ(One(Card({"N:Lee", "TEL;TYPE=home,voice:1", "TEL;TYPE=WORK;TYPE=VOICE:2",
                        "TEL;TYPE=\"cell,voice\":3", "TEL;TYPE=PAGER:4", "TEL;TYPE=work,fax:5"})),
              expected);
    EXPECT_EQ(One(Card21({"N:Lee", "TEL;HOME;VOICE:1", "TEL;WORK;VOICE:2", "TEL;CELL:3",
                          "TEL;PAGER:4", "TEL;WORK;FAX:5"})),
              expected);
    // Parameters this reader does not know, quoted ones with ';' and ':' inside among them.
    EXPECT_EQ(One(Card({"N:Lee", "TEL;X-UUID=\"a;b:c\";TYPE=HOME:1",
                        "TEL;TYPE=WORK;X-SERVICE-TYPE=foo:2", "TEL;VALUE=text;TYPE=CELL:3",
                        "TEL;TYPE=X-BEEPER;TYPE=PAGER:4", "TEL;TYPE=\"fax\":5"})),
              expected);
}

TEST(VCardParameters, PreferredValuesWinElseTheFirst) {
    EXPECT_EQ(One(Card({"N:Lee", "EMAIL:a@example.com", "EMAIL;PREF=1:b@example.com"}))[P::Email],
              "b@example.com");
    EXPECT_EQ(One(Card({"N:Lee", "EMAIL:a@example.com",
                        "EMAIL;TYPE=INTERNET,PREF:b@example.com"}))[P::Email],
              "b@example.com");
    EXPECT_EQ(
        One(Card21({"N:Lee", "EMAIL;INTERNET:a@example.com", "EMAIL;PREF;INTERNET:b@x"}))[P::Email],
        "b@x");
    // The lower rank is the more preferred; between equals the first.
    EXPECT_EQ(
        One(Card({"N:Lee", "EMAIL;PREF=2:a@x", "EMAIL;PREF=1:b@x", "EMAIL;PREF=1:c@x"}))[P::Email],
        "b@x");
    EXPECT_EQ(One(Card({"N:Lee", "EMAIL:a@x", "EMAIL:b@x"}))[P::Email], "a@x");
    EXPECT_EQ(One(Card({"N:Lee", "TEL;TYPE=CELL:1", "TEL;TYPE=CELL;TYPE=PREF:2",
                        "TEL;TYPE=CELL:3"}))[P::CelPhone],
              "2");
}

// ---------------------------------------------------------------------------------------------
// Reading: encodings and character sets

TEST(VCardEncodings, QuotedPrintableWindows1252NamesBecomeUtf8) {
    EXPECT_EQ(One(Card21({"N;CHARSET=WINDOWS-1252;ENCODING=QUOTED-PRINTABLE:M=FCller;J=F6rg;;;",
                          "FN;CHARSET=WINDOWS-1252;ENCODING=QUOTED-PRINTABLE:J=F6rg M=FCller",
                          "ORG;CHARSET=CP1252;QUOTED-PRINTABLE:Caf=E9 =80 =93Bar=94",
                          "TITLE;ENCODING=quoted-printable;CHARSET=utf-8:Gr=C3=BC=C3=9Fe"})),
              Person({{P::LName, "Müller"},
                      {P::FName, "Jörg"},
                      {P::Company, "Café € “Bar”"},
                      {P::Position, "Grüße"}}));
}

TEST(VCardEncodings, SoftLineBreaksJoinTheNextLineWhateverItStartsWith) {
    // The next physical line goes on the value without a leading blank; a blank it starts with
    // is the value's own; a character may be split across the break.
    EXPECT_EQ(
        One(Card21({"N;ENCODING=QUOTED-PRINTABLE:M=C3=\r\n=BCller;Ann",
                    "ORG;ENCODING=QUOTED-PRINTABLE:Blue=\r\n Tide=\r\nWorks",
                    "ADR;WORK;ENCODING=QUOTED-PRINTABLE:;;1 Main St=0D=0A=\r\nFloor 2;Town;;;",
                    "TEL;CELL:5"})),
        Person({{P::LName, "Müller"},
                {P::FName, "Ann"},
                {P::Company, "Blue TideWorks"},
                {P::Addr, "1 Main St\r\nFloor 2"},
                {P::City, "Town"},
                {P::CelPhone, "5"}}));
    // An unencoded value that ends in "=" does not take the next line.
    EXPECT_EQ(One(Card({"N:Lee=", "ORG:Acme"})),
              Person({{P::LName, "Lee="}, {P::Company, "Acme"}}));
}

TEST(VCardEncodings, CharacterSetsAndUnlabelledEightBitText) {
    // ISO-8859-1 as labelled; UTF-8 as labelled.
    EXPECT_EQ(One(Card21({"N;CHARSET=ISO-8859-1:Andr\xE9;Ren\xE9"})),
              Person({{P::LName, "André"}, {P::FName, "René"}}));
    EXPECT_EQ(One(Card21({"N;CHARSET=UTF-8:Andr\xC3\xA9"}))[P::LName], "André");
    // Without a label: UTF-8 when it reads as such, else Windows-1252.
    EXPECT_EQ(One(Card21({"N:J\xC3\xB6rg"}))[P::LName], "Jörg");
    EXPECT_EQ(One(Card21({"N:J\xF6rg \x80"}))[P::LName], "Jörg €");
    EXPECT_EQ(One(Card({"N:J\xF6rg \x80"}))[P::LName], "Jörg €");
    // Labelled UTF-8 with a stray byte keeps its characters.
    EXPECT_EQ(One(Card21({"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91=C3=91=80"}))[P::LName],
              "ÑÑ€");
    // A character set the converters do not know counts as unlabelled.
    EXPECT_EQ(One(Card21({"N;CHARSET=X-NO-SUCH-SET:J\xF6rg"}))[P::LName], "Jörg");
    EXPECT_EQ(One(Card21({"N;CHARSET=X-NO-SUCH-SET:J\xC3\xB6rg"}))[P::LName], "Jörg");
}

TEST(VCardEncodings, PicturesKeysAndSoundsAreSkipped) {
    const Fields expected = Person({{P::LName, "Lee"}, {P::CelPhone, "5"}});
    // 2.1: indented base64 lines ended by a blank line, the value on the first line or not.
    EXPECT_EQ(One(Card21({"N:Lee", "PHOTO;ENCODING=BASE64;TYPE=JPEG:", " /9j/4AAQSkZJRgAB",
                          " AAAA+/==", "", "TEL;CELL:5"})),
              expected);
    EXPECT_EQ(One(Card21({"N:Lee", "PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQSkZJRgAB", " AAAA=", "",
                          "KEY;X509;ENCODING=BASE64:", "    MIIDITCCAoqgAwIBAgIQT52W2Wa", "", "",
                          "TEL;CELL:5"})),
              expected);
    // Base64 lines that lost their indent have no colon and are no properties.
    EXPECT_EQ(One(Card21({"N:Lee", "PHOTO;ENCODING=BASE64:", "/9j/4AAQSkZJRgAB", "AAAA==", "",
                          "TEL;CELL:5"})),
              expected);
    // 3.0 and 4.0: folded values, on the next line with two blanks, or as a data URI.
    EXPECT_EQ(One(Card({"PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ", " SkZJRg==", "N:Lee",
                        "PHOTO;BASE64:", "  /9j/4AAQSkZJRgAB", "  AAAA", "TEL;TYPE=CELL:5",
                        "LOGO;VALUE=uri:data:image/png;base64,iVBORw0K",
                        " GgoAAAANSUhEUg==", "SOUND;ENCODING=b:UklGRg=="})),
              expected);
}

TEST(VCardEncodings, AQuotedPrintableValueEndingInEqualsDoesNotSwallowTheCardEnd) {
    const VCardReadResult result = ReadVCards(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:Lee=\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ray\r\nEND:VCARD\r\n");
    ASSERT_EQ(result.persons.size(), 2u);
    EXPECT_EQ(result.persons[0].person[P::LName], "Lee");
    EXPECT_EQ(result.persons[1].person[P::LName], "Ray");
}

// ---------------------------------------------------------------------------------------------
// Reading: escapes

TEST(VCardEscapes, TextEscapesOf30And40) {
    for (const std::string version : {"3.0", "4.0"}) {
        EXPECT_EQ(One(Card({"N:Smith\\, Jr.;Ann\\;Marie;;Dr\\\\;", "ORG:A\\;B\\, Co;Sales",
                            "TITLE:Head\\nof Sales\\, \\NEast", "ADR:;;1 Main\\nFloor 2;A\\;B;;;",
                            "URL:http\\://example.com/a\\\\b"},
                           version)),
                  Person({{P::LName, "Smith, Jr."},
                          {P::FName, "Ann;Marie"},
                          {P::Title, "Dr\\"},
                          {P::Company, "A;B, Co"},
                          {P::Position, "Head\r\nof Sales, \r\nEast"},
                          {P::Addr, "1 Main\r\nFloor 2"},
                          {P::City, "A;B"},
                          {P::WebPage, "http://example.com/a\\b"}}))
            << version;
    }
    // A backslash before any other character stays.
    EXPECT_EQ(One(Card({"N:Lee", "TITLE:C:\\temp\\x"}))[P::Position], "C:\\temp\\x");
}

TEST(VCardEscapes, In21ABackslashEscapesOnlyASemicolon) {
    EXPECT_EQ(One(Card21({"N:Back\\slash;Ann\\;Marie", "ORG:Company, The;Dept",
                          "TITLE:a\\nb\\,c\\;d", "URL:http\\://x"})),
              Person({{P::LName, "Back\\slash"},
                      {P::FName, "Ann;Marie"},
                      {P::Company, "Company, The"},
                      {P::Position, "a\\nb\\,c;d"},
                      {P::WebPage, "http\\://x"}}));
    // And itself before one: two backslashes and a semicolon are one backslash and then a
    // semicolon that separates, as 2.1 readers have it.
    EXPECT_EQ(One(Card21({"N:A;B\\;C\\\\;"})), Person({{P::LName, "A"}, {P::FName, "B;C\\"}}));
    EXPECT_EQ(One(Card21({"N:Lee;Ann", "TITLE:x\\\\;y"}))[P::Position], "x\\;y");
    // A lone backslash and one before a colon or at the end stay as they are.
    EXPECT_EQ(One(Card21({"N:Lee;Ann", "TITLE:a\\:b\\"}))[P::Position], "a\\:b\\");
    EXPECT_EQ(One(Card21({"N:Lee\\\\x;Ann"}))[P::LName], "Lee\\\\x");
    // 3.0 keeps its own escapes: two backslashes are one.
    EXPECT_EQ(One(Card({"N:A;B\\;C\\\\;"})), Person({{P::LName, "A"}, {P::FName, "B;C\\"}}));
}

// ---------------------------------------------------------------------------------------------
// Reading: cards

TEST(VCardCards, SeveralCardsInFileOrderWithTextAroundThem) {
    const VCardReadResult result =
        ReadVCards("From: someone\r\nSubject: cards\r\n\r\n" + Card({"N:Lee;Ann", "UID:u1"}) +
                   "-- between --\r\nN:Stray;Name\r\n" + Card21({"N:Ray;Bob"}) +
                   Card({"N:Cy"}, "4.0") + "trailing text\r\n");
    EXPECT_TRUE(result.isVCard);
    EXPECT_EQ(result.nameless, 0);
    ASSERT_EQ(result.persons.size(), 3u);
    EXPECT_EQ(result.persons[0].person.fields, Person({{P::LName, "Lee"}, {P::FName, "Ann"}}));
    EXPECT_EQ(result.persons[0].uid, "u1");
    EXPECT_EQ(result.persons[1].person.fields, Person({{P::LName, "Ray"}, {P::FName, "Bob"}}));
    EXPECT_EQ(result.persons[1].uid, "");
    EXPECT_EQ(result.persons[2].person.fields, Person({{P::LName, "Cy"}}));
    for (const auto& person : result.persons) {
        EXPECT_EQ(person.person.id, "");
    }
}

TEST(VCardCards, ACardWithoutItsEndStillCounts) {
    // At the end of the file, with or without a line end.
    for (const std::string tail : {"", "\r\n", "\r\n\r\n"}) {
        const VCardReadResult result =
            ReadVCards(Card({"N:Lee"}) + "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ray" + tail);
        ASSERT_EQ(result.persons.size(), 2u);
        EXPECT_EQ(result.persons[1].person[P::LName], "Ray");
    }
    // A card that begins before the last one ended.
    const VCardReadResult result =
        ReadVCards("BEGIN:VCARD\r\nN:Lee\r\nBEGIN:VCARD\r\nN:Ray\r\nEND:VCARD\r\n");
    ASSERT_EQ(result.persons.size(), 2u);
    EXPECT_EQ(result.persons[0].person[P::LName], "Lee");
    EXPECT_EQ(result.persons[1].person[P::LName], "Ray");
}

TEST(VCardCards, CardsWithoutNameOrOrganisationAreCountedNotListed) {
    const VCardReadResult result =
        ReadVCards(Card({"EMAIL:a@example.com", "TEL:1"}) + Card({"N:;;;;", "FN:", "ORG:;Sales"}) +
                   Card({"N: ; ;;Dr.;", "FN:Dr."}) + Card({"ORG:Acme;Sales"}) + Card({"N:;Ann"}) +
                   "BEGIN:VCARD\r\nEND:VCARD\r\n");
    EXPECT_EQ(result.nameless, 4);
    ASSERT_EQ(result.persons.size(), 2u);
    EXPECT_EQ(result.persons[0].person.fields, Person({{P::Company, "Acme"}}));
    EXPECT_EQ(result.persons[1].person.fields, Person({{P::FName, "Ann"}}));
}

TEST(VCardCards, TextWithoutCardsIsNoVCard) {
    for (const std::string text :
         {"", "First,Last\r\nAnn,Lee\r\n", "END:VCARD\r\n", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n",
          "XBEGIN:VCARD\r\n", "N:Lee;Ann\r\n", "BEGIN:VCARDS\r\n"}) {
        const VCardReadResult result = ReadVCards(text);
        EXPECT_FALSE(result.isVCard) << text;
        EXPECT_TRUE(result.persons.empty());
        EXPECT_EQ(result.nameless, 0);
    }
    EXPECT_TRUE(ReadVCards("begin:vcard").isVCard);
    EXPECT_TRUE(ReadVCards("BEGIN : VCARD \r\n").isVCard);
}

TEST(VCardCards, AnAgentsOwnCardIsNoCardOfTheFile) {
    const VCardReadResult result =
        ReadVCards(Card21({"N:Lee;Ann", "AGENT:", "BEGIN:VCARD", "VERSION:2.1", "N:Friday;Girl",
                           "TEL;CELL:9", "END:VCARD", "TEL;CELL:1"}) +
                   Card({"N:Ray"}));
    EXPECT_EQ(result.nameless, 0);
    ASSERT_EQ(result.persons.size(), 2u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Lee"}, {P::FName, "Ann"}, {P::CelPhone, "1"}}));
    EXPECT_EQ(result.persons[1].person[P::LName], "Ray");
}

// ---------------------------------------------------------------------------------------------
// Reading: where values go

TEST(VCardNames, NameComponentsGiveLastFirstAndTitle) {
    EXPECT_EQ(One(Card({"N:Gump;Forrest;Hoge;Pos;Tao", "FN:Joe Due"})),
              Person({{P::LName, "Gump"}, {P::FName, "Forrest"}, {P::Title, "Pos"}}));
    // Several values of a component keep their comma; only the first N counts.
    EXPECT_EQ(One(Card({"N:Doe;John,Jim;;Mr.,Dr.;", "N:Other;Name"})),
              Person({{P::LName, "Doe"}, {P::FName, "John,Jim"}, {P::Title, "Mr.,Dr."}}));
}

TEST(VCardNames, FormattedNameSplitsAtItsLastBlankWhenNoNameIsGiven) {
    EXPECT_EQ(One(Card({"FN:Mary Ann  Lee"})), Person({{P::FName, "Mary Ann"}, {P::LName, "Lee"}}));
    EXPECT_EQ(One(Card({"FN:Cher"})), Person({{P::LName, "Cher"}}));
    // The title the formatted name starts with is no part of the first name.
    EXPECT_EQ(One(Card({"N:;;;Dr.;", "FN:Ann Lee"})),
              Person({{P::FName, "Ann"}, {P::LName, "Lee"}, {P::Title, "Dr."}}));
    EXPECT_EQ(One(Card({"N:;;;Dr.;", "FN:Dr.  Ann Lee"})),
              Person({{P::FName, "Ann"}, {P::LName, "Lee"}, {P::Title, "Dr."}}));
    EXPECT_EQ(One(Card({"N:;;;Dr.;", "FN:Dr. Lee"})),
              Person({{P::LName, "Lee"}, {P::Title, "Dr."}}));
    EXPECT_EQ(One(Card({"N:;;;Dr;", "FN:Dre Lee"})),
              Person({{P::FName, "Dre"}, {P::LName, "Lee"}, {P::Title, "Dr"}}));
    EXPECT_EQ(One(Card({"FN:", "FN:  Ann\tLee  "})),
              Person({{P::FName, "Ann"}, {P::LName, "Lee"}}));
    // A given or family name is enough: then the formatted name is not used.
    EXPECT_EQ(One(Card({"N:;Ann;;;", "FN:Someone Else"})), Person({{P::FName, "Ann"}}));
}

TEST(VCardNames, AFormattedNameThatNamesTheOrganisationIsNoPersonsName) {
    EXPECT_EQ(One(Card({"N:;;;;", "FN:Blue Tide", "ORG:Blue Tide;Sales"})),
              Person({{P::Company, "Blue Tide"}}));
    EXPECT_EQ(One(Card({"KIND:org", "FN:Blue Tide Inc", "ORG:Blue Tide"}, "4.0")),
              Person({{P::Company, "Blue Tide"}}));
    EXPECT_EQ(One(Card({"X-ABShowAs:COMPANY", "FN:Blue Tide Inc", "ORG:Blue Tide"})),
              Person({{P::Company, "Blue Tide"}}));
    EXPECT_EQ(ReadVCards(Card({"KIND:group", "FN:Sailing Friends"}, "4.0")).nameless, 1);
    EXPECT_EQ(One(Card({"KIND:individual", "FN:Ann Lee"}, "4.0")),
              Person({{P::FName, "Ann"}, {P::LName, "Lee"}}));
    EXPECT_EQ(One(Card({"FN:Ann Lee", "ORG:Blue Tide"})),
              Person({{P::FName, "Ann"}, {P::LName, "Lee"}, {P::Company, "Blue Tide"}}));
}

TEST(VCardNames, OrganisationTitleAndTrimming) {
    EXPECT_EQ(One(Card({"N: Lee \t;  Ann ;; Dr. ;", "ORG:;Empty first", "ORG:  Acme ;Sales;Unit",
                        "TITLE:", "TITLE: Buyer ", "TITLE:Second", "EMAIL: a@example.com ",
                        "URL:\thttp://example.com ", "TEL;TYPE=CELL:  555 1  "})),
              Person({{P::LName, "Lee"},
                      {P::FName, "Ann"},
                      {P::Title, "Dr."},
                      {P::Company, "Acme"},
                      {P::Position, "Buyer"},
                      {P::Email, "a@example.com"},
                      {P::WebPage, "http://example.com"},
                      {P::CelPhone, "555 1"}}));
}

TEST(VCardAddress, WorkAddressFirstElseHomeElseTheFirst) {
    EXPECT_EQ(One(Card({"N:Lee", "ADR:;;1 Any St;A;;;", "ADR;TYPE=HOME:;;2 Home St;H;;;",
                        "ADR;TYPE=WORK:;;3 Work St;W;;;"}))[P::Addr],
              "3 Work St");
    EXPECT_EQ(
        One(Card({"N:Lee", "ADR:;;1 Any St;A;;;", "ADR;TYPE=home:;;2 Home St;H;;;"}))[P::City],
        "H");
    EXPECT_EQ(
        One(Card({"N:Lee", "ADR;TYPE=postal:;;1 Any St;A;;;", "ADR:;;2 Other;B;;;"}))[P::City],
        "A");
    // The preferred of two work addresses; an empty one is no address.
    EXPECT_EQ(One(Card({"N:Lee", "ADR;TYPE=WORK:;;;;;;", "ADR;TYPE=WORK:;;3 Work St;W;;;",
                        "ADR;TYPE=WORK,PREF:;;4 Work St;V;;;",
                        "ADR;TYPE=HOME:;;2 Home St;H;;;"}))[P::City],
              "V");
    EXPECT_EQ(
        One(Card({"N:Lee", "ADR;TYPE=WORK: ; ;;; ;;", "ADR;TYPE=HOME:;;2 Home St;H;;;"}))[P::City],
        "H");
    EXPECT_EQ(
        One(Card21({"N:Lee", "ADR;HOME:;;2 Home St;H;;;", "ADR;WORK:;;3 Work St;W;;;"}))[P::City],
        "W");
}

TEST(VCardAddress, StreetExtendedBoxAndCountryMakeTheLines) {
    EXPECT_EQ(One(Card({"N:Lee",
                        "ADR:PO Box 7;Suite 2;1 Main St\\nBack door;Springfield;IL;62701;"
                        "USA"})),
              Person({{P::LName, "Lee"},
                      {P::Addr, "1 Main St\r\nBack door\r\nSuite 2\r\nPO Box 7\r\nUSA"},
                      {P::City, "Springfield"},
                      {P::State, "IL"},
                      {P::Zip, "62701"}}));
    EXPECT_EQ(
        One(Card({"N:Lee", "ADR: ;;  ;Town; ;12 345 ;Canada "})),
        Person({{P::LName, "Lee"}, {P::Addr, "Canada"}, {P::City, "Town"}, {P::Zip, "12 345"}}));
    // Fewer components than seven.
    EXPECT_EQ(One(Card({"N:Lee", "ADR:;;1 Main St"})),
              Person({{P::LName, "Lee"}, {P::Addr, "1 Main St"}}));
}

TEST(VCardPhones, EachTypeGoesToItsField) {
    EXPECT_EQ(One(Card({"N:Lee", "TEL;TYPE=HOME,FAX:1", "TEL;TYPE=WORK,FAX:2", "TEL;TYPE=MOBILE:3",
                        "TEL;TYPE=PAGER:4", "TEL;TYPE=HOME:5", "TEL;TYPE=WORK:6",
                        "TEL;TYPE=WORK,CELL:7"})),
              Person({{P::LName, "Lee"},
                      {P::WkFax, "1"},
                      {P::CelPhone, "3"},
                      {P::Pager, "4"},
                      {P::HmPhone, "5"},
                      {P::WkPhone, "6"}}));
    // A work fax is a fax, a work mobile a mobile.
    EXPECT_EQ(One(Card({"N:Lee", "TEL;TYPE=WORK,FAX:2", "TEL;TYPE=WORK,CELL:7"})),
              Person({{P::LName, "Lee"}, {P::WkFax, "2"}, {P::CelPhone, "7"}}));
}

TEST(VCardPhones, NumbersOfNoSuchTypeFillTheEmptyPhoneFields) {
    EXPECT_EQ(
        One(Card({"N:Lee", "TEL:1", "TEL;TYPE=VOICE:2", "TEL;TYPE=HOME:3", "TEL;TYPE=MAIN:4",
                  "TEL;TYPE=X-CUSTOM:5"})),
        Person({{P::LName, "Lee"}, {P::HmPhone, "3"}, {P::WkPhone, "1"}, {P::CelPhone, "2"}}));
    EXPECT_EQ(
        One(Card({"N:Lee", "TEL;TYPE=OTHER:1", "TEL;TYPE=CELL:2", "TEL;TYPE=VOICE,PREF:3"})),
        Person({{P::LName, "Lee"}, {P::HmPhone, "3"}, {P::WkPhone, "1"}, {P::CelPhone, "2"}}));
    // Never into the pager or fax field; a second number of a type that is taken is left out.
    EXPECT_EQ(
        One(Card({"N:Lee", "TEL;TYPE=HOME:1", "TEL;TYPE=HOME:2", "TEL;TYPE=WORK:3",
                  "TEL;TYPE=CELL:4", "TEL:5", "TEL:"})),
        Person({{P::LName, "Lee"}, {P::HmPhone, "1"}, {P::WkPhone, "3"}, {P::CelPhone, "4"}}));
}

TEST(VCardPhones, WorkExtensionsAreSplitOff) {
    const std::vector<std::vector<std::string>> cases = {
        {"555-1234 x12", "555-1234", "12"},
        {"555-1234 X 12", "555-1234", "12"},
        {"555-1234x12", "555-1234", "12"},
        {"555-1234 ext. 12", "555-1234", "12"},
        {"555-1234 ext 12", "555-1234", "12"},
        {"555-1234 EXT12", "555-1234", "12"},
        {"555-1234 Extension 12", "555-1234", "12"},
        {"(555) 1234, ext: 12", "(555) 1234,", "12"},
        {"555 x1 x2", "555 x1", "2"},
        {"x12", "", "12"},
        {"555-1234 x", "555-1234 x", ""},
        {"555-1234 ext", "555-1234 ext", ""},
        {"1-800-FLOWERS", "1-800-FLOWERS", ""},
        {"Call Xavier 5", "Call Xavier 5", ""},
        {"Next 12", "Next 12", ""},
        {"tel:+1-418-656-9254;ext=102", "+1-418-656-9254", "102"},
        {"TEL:+1-555;phone-context=example.com;EXT=7", "+1-555", "7"},
        {"tel:+1-555", "+1-555", ""},
    };
    for (const auto& c : cases) {
        const Fields fields = One(Card({"N:Lee", "TEL;TYPE=WORK:" + c[0]}));
        EXPECT_EQ(fields[P::WkPhone], c[1]) << c[0];
        EXPECT_EQ(fields[P::WkExt], c[2]) << c[0];
    }
    // A number of no type that lands in the work field too.
    const Fields untyped = One(Card({"N:Lee", "TEL;TYPE=HOME:1", "TEL:555 ext 9"}));
    EXPECT_EQ(untyped[P::WkPhone], "555");
    EXPECT_EQ(untyped[P::WkExt], "9");
}

TEST(VCardPhones, OtherNumbersKeepTheirExtensionAndLoseTheirUriPrefix) {
    EXPECT_EQ(
        One(Card({"N:Lee", "TEL;TYPE=HOME:555-1234 x12", "TEL;VALUE=uri;TYPE=cell:tel:+1-555-9",
                  "TEL;TYPE=pager:tel:+1-555-8;ext=7", "TEL;TYPE=fax:TEL:+1-555-7"},
                 "4.0")),
        Person({{P::LName, "Lee"},
                {P::HmPhone, "555-1234 x12"},
                {P::CelPhone, "+1-555-9"},
                {P::Pager, "+1-555-8 x7"},
                {P::WkFax, "+1-555-7"}}));
}

TEST(VCardEmailAndWeb, AddressesPagesAndIdentifier) {
    const VCardReadResult result =
        ReadVCards(Card({"N:Lee", "EMAIL:", "EMAIL;TYPE=INTERNET:MAILTO:ann@example.com",
                         "EMAIL:other@example.com", "URL:http://first.example.com",
                         "URL;TYPE=PREF:http://preferred.example.com", "UID: urn:uuid:abc\\,d ",
                         "UID:second"}) +
                   Card({"N:Ray", "EMAIL;TYPE=work:mailto:ray@example.com"}, "4.0"));
    ASSERT_EQ(result.persons.size(), 2u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Lee"},
                      {P::Email, "ann@example.com"},
                      {P::WebPage, "http://preferred.example.com"}}));
    EXPECT_EQ(result.persons[0].uid, "urn:uuid:abc\\,d");
    EXPECT_EQ(result.persons[1].person[P::Email], "ray@example.com");
}

// ---------------------------------------------------------------------------------------------
// Reading: input that is broken on purpose

TEST(VCardHostile, TruncatedQuotedPrintable) {
    EXPECT_EQ(One(Card21({"N;ENCODING=QUOTED-PRINTABLE:Lee=4"}))[P::LName], "Lee=4");
    EXPECT_EQ(One(Card21({"N;ENCODING=QUOTED-PRINTABLE:Lee=G1=0", "ORG:A"}))[P::LName], "Lee=G1=0");
    // A soft line break takes the next line whatever it holds, but for the card's end; with no
    // line after it, it is nothing.
    EXPECT_EQ(One(Card21({"N;ENCODING=QUOTED-PRINTABLE:Lee=", "ORG:A"}))[P::LName], "LeeORG:A");
    EXPECT_EQ(One("BEGIN:VCARD\r\nVERSION:2.1\r\nN;QUOTED-PRINTABLE:Lee=")[P::LName], "Lee");
    EXPECT_EQ(One("BEGIN:VCARD\r\nVERSION:2.1\r\nN;QUOTED-PRINTABLE:Lee=\r\n")[P::LName], "Lee");
    EXPECT_EQ(One("BEGIN:VCARD\r\nVERSION:2.1\r\nN;QUOTED-PRINTABLE:Lee=4")[P::LName], "Lee=4");
}

TEST(VCardHostile, ALoneBeginIsOneNamelessCard) {
    for (const std::string text : {"BEGIN:VCARD", "BEGIN:VCARD\r\n", "BEGIN:VCARD\r\nEND:VCARD"}) {
        const VCardReadResult result = ReadVCards(text);
        EXPECT_TRUE(result.isVCard);
        EXPECT_TRUE(result.persons.empty());
        EXPECT_EQ(result.nameless, 1);
    }
}

TEST(VCardHostile, AMegabyteLine) {
    const std::string big(1 << 20, 'a');
    const VCardReadResult result =
        ReadVCards(Card({"NOTE:" + big, "N:Lee;" + big, "X-" + big, "X-A;B=\"" + big,
                         "X-Q;QUOTED-PRINTABLE:" + big + "=", big + "=", big, "ORG:Acme"}));
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].person[P::FName], big);
    EXPECT_EQ(result.persons[0].person[P::Company], "Acme");
}

TEST(VCardHostile, ManyFoldedLinesAreReadInLinearTime) {
    // A line that grows by folds, each ending in "=" before the colon comes.
    std::string text = "BEGIN:VCARD\r\nX-A;B=";
    for (int i = 0; i < 200000; ++i) {
        text += "\r\n b=";
    }
    text += "\r\n :v\r\nN;ENCODING=QUOTED-PRINTABLE:L=";
    for (int i = 0; i < 200000; ++i) {
        text += "\r\n=";
    }
    text += "\r\nee\r\nEND:VCARD\r\n";
    EXPECT_EQ(One(text)[P::LName], "Lee");
}

TEST(VCardHostile, NulBytes) {
    const std::string nul(1, '\0');
    EXPECT_EQ(One(nul + "\r\n" + Card({"N:Le" + nul + "e;Ann", nul + ":" + nul, "ORG:" + nul})),
              Person({{P::LName, "Le" + nul + "e"}, {P::FName, "Ann"}, {P::Company, nul}}));
    EXPECT_FALSE(ReadVCards(std::string(100, '\0')).isVCard);
}

// Whatever the bytes, the reader returns, and what it returns is stored text it would keep.
TEST(VCardHostile, RandomBytesNeverBreakTheReader) {
    const std::vector<std::string> pieces = {"BEGIN:VCARD",
                                             "END:VCARD",
                                             "VERSION:2.1",
                                             "\r\n",
                                             "\n",
                                             "\r",
                                             " ",
                                             "\t",
                                             ":",
                                             ";",
                                             "=",
                                             "\\",
                                             "\"",
                                             ",",
                                             "N",
                                             "FN",
                                             "TEL",
                                             "ADR",
                                             "ORG",
                                             "EMAIL",
                                             "TYPE=",
                                             "WORK",
                                             "CELL",
                                             "PREF",
                                             "QUOTED-PRINTABLE",
                                             "CHARSET=UTF-8",
                                             "=C3",
                                             "=\r\n",
                                             "AGENT:",
                                             "x12",
                                             "tel:",
                                             std::string(1, '\0'),
                                             "\xC3",
                                             "\xFF",
                                             "\x80",
                                             "a",
                                             "1",
                                             "item1."};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 200);
        for (int i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        const VCardReadResult result = ReadVCards(text);
        if (!result.isVCard) {
            EXPECT_TRUE(result.persons.empty());
            EXPECT_EQ(result.nameless, 0);
        }
        for (const auto& card : result.persons) {
            const PersonRecord& p = card.person;
            EXPECT_FALSE(p[P::FName].empty() && p[P::LName].empty() && p[P::Company].empty());
            for (const std::string& field : p.fields) {
                EXPECT_TRUE(IsValidUtf8(field)) << testing::PrintToString(text);
                if (!field.empty()) {
                    EXPECT_NE(field.front(), ' ');
                    EXPECT_NE(field.back(), ' ');
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Writing

PersonRecord FullPerson() {
    PersonRecord p;
    p.id = "0123ABCD-4567-89EF-0123-456789ABCDEF";
    p.fields = Person({{P::Title, "Dr."},
                       {P::FName, "Ann"},
                       {P::LName, "Lee"},
                       {P::Company, "Acme"},
                       {P::Position, "Buyer"},
                       {P::Addr, "1 Main St\r\nFloor 2"},
                       {P::City, "Springfield"},
                       {P::State, "IL"},
                       {P::Zip, "62701"},
                       {P::HmPhone, "555-0001"},
                       {P::WkPhone, "555-0002"},
                       {P::WkExt, "12"},
                       {P::CelPhone, "555-0003"},
                       {P::Pager, "555-0004"},
                       {P::WkFax, "555-0005"},
                       {P::Email, "ann@example.com"},
                       {P::WebPage, "http://example.com/ann"}});
    return p;
}

TEST(VCardWrite, EveryFieldInItsProperty) {
    EXPECT_EQ(Written(FullPerson()),
              "BEGIN:VCARD\r\n"
              "VERSION:3.0\r\n"
              "N:Lee;Ann;;Dr.;\r\n"
              "FN:Dr. Ann Lee\r\n"
              "ORG:Acme\r\n"
              "TITLE:Buyer\r\n"
              "ADR:;;1 Main St\\nFloor 2;Springfield;IL;62701;\r\n"
              "TEL;TYPE=HOME,VOICE:555-0001\r\n"
              "TEL;TYPE=WORK,VOICE:555-0002 x12\r\n"
              "TEL;TYPE=CELL:555-0003\r\n"
              "TEL;TYPE=PAGER:555-0004\r\n"
              "TEL;TYPE=WORK,FAX:555-0005\r\n"
              "EMAIL;TYPE=INTERNET:ann@example.com\r\n"
              "URL:http://example.com/ann\r\n"
              "UID:0123ABCD-4567-89EF-0123-456789ABCDEF\r\n"
              "END:VCARD\r\n");
}

TEST(VCardWrite, EmptyFieldsAreLeftOutButNameAndIdentifierAreAlwaysThere) {
    PersonRecord p;
    p.id = "ID1";
    p[P::FName] = "Ann";
    p[P::Zip] = "12345";
    p[P::WkExt] = "7";
    EXPECT_EQ(Written(p),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;Ann;;;\r\nFN:Ann\r\nADR:;;;;;12345;\r\n"
              "TEL;TYPE=WORK,VOICE:x7\r\nUID:ID1\r\nEND:VCARD\r\n");
    PersonRecord company;
    company[P::Company] = "Blue Tide";
    company[P::Title] = "Dr.";
    EXPECT_EQ(Written(company),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;Dr.;\r\nFN:Blue Tide\r\nORG:Blue Tide\r\n"
              "UID:\r\nEND:VCARD\r\n");
    // Appends: what was there stays.
    std::string text = "before\r\n";
    AppendVCard(text, company);
    EXPECT_EQ(text, "before\r\n" + Written(company));
}

TEST(VCardWrite, TextIsEscapedAndOtherValuesKeptOnOneLine) {
    PersonRecord p;
    p[P::LName] = "O;Brien, Jr.\\";
    p[P::FName] = "Ann";
    p[P::Company] = "A;B,C\\D: E";
    p[P::Position] = "Head\r\nof Sales";
    p[P::Addr] = "1 Main; St\r\nFloor 2\nBack\rDoor";
    p[P::City] = "Town, Place";
    p[P::CelPhone] = "555;1,2\\3";
    p[P::Email] = "ann\r\n@example.com";
    p[P::WebPage] = "http://example.com/a;b,c\\d";
    const std::vector<std::string> lines = CrLfLines(Written(p));
    const std::vector<std::string> expected = {
        "BEGIN:VCARD",
        "VERSION:3.0",
        "N:O\\;Brien\\, Jr.\\\\;Ann;;;",
        "FN:Ann O\\;Brien\\, Jr.\\\\",
        "ORG:A\\;B\\,C\\\\D: E",
        "TITLE:Head\\nof Sales",
        "ADR:;;1 Main\\; St\\nFloor 2\\nBack\\nDoor;Town\\, Place;;;",
        "TEL;TYPE=CELL:555;1,2\\\\3",
        "EMAIL;TYPE=INTERNET:ann @example.com",
        "URL:http://example.com/a;b,c\\\\d",
        "UID:",
        "END:VCARD"};
    EXPECT_EQ(lines, expected);
}

TEST(VCardWrite, Windows1252FieldsComeOutAsUtf8) {
    PersonRecord p;
    p[P::LName] = "M\xFCller";
    p[P::Company] = "Caf\xE9 \x80";
    p[P::FName] = "Jörg";
    const std::string text = Written(p);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_NE(text.find("N:Müller;Jörg;;;\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ORG:Café €\r\n"), std::string::npos) << text;
    EXPECT_EQ(One(text),
              Person({{P::LName, "Müller"}, {P::FName, "Jörg"}, {P::Company, "Café €"}}));
}

TEST(VCardWrite, LinesFoldAt75BytesNeverInsideACharacter) {
    // 75 bytes stay one line; 76 fold into 75 and a blank with the last byte.
    PersonRecord p;
    p[P::LName] = "L";
    p[P::Company] = std::string(71, 'a');
    p[P::Position] = std::string(70, 'b');
    std::vector<std::string> lines = CrLfLines(Written(p));
    EXPECT_EQ(lines[4], "ORG:" + std::string(71, 'a'));
    EXPECT_EQ(lines[5], "TITLE:" + std::string(69, 'b'));
    EXPECT_EQ(lines[6], " b");

    // Characters of 2, 3 and 4 bytes at every offset.
    for (const std::string character : {"é", "€", "😀"}) {
        for (int offset = 0; offset < 4; ++offset) {
            PersonRecord q;
            q[P::LName] = std::string(offset, 'x') + Repeat(character, 80);
            q[P::Addr] = Repeat(std::string(offset, 'y') + character, 30, "\r\n");
            q[P::Email] = std::string(offset, 'z') + Repeat(character, 50) + "@example.com";
            const std::string text = Written(q);
            lines = CrLfLines(text);
            std::string unfolded;
            for (const std::string& line : lines) {
                EXPECT_LE(line.size(), 75u);
                EXPECT_TRUE(IsValidUtf8(line)) << line;
                if (!line.empty() && line[0] == ' ') {
                    unfolded += line.substr(1);
                } else {
                    unfolded += (unfolded.empty() ? "" : "\n") + line;
                }
            }
            EXPECT_NE(unfolded.find("\nN:" + q[P::LName] + ";;;;\n"), std::string::npos);
            EXPECT_NE(unfolded.find("\nEMAIL;TYPE=INTERNET:" + q[P::Email] + "\n"),
                      std::string::npos);
            EXPECT_EQ(One(text), q.fields);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Writing and reading back

// Every field written and read back, byte for byte; the identifier comes back as the UID.
void ExpectRoundTrip(const std::vector<PersonRecord>& persons) {
    std::string text;
    for (const PersonRecord& p : persons) {
        AppendVCard(text, p);
    }
    const VCardReadResult result = ReadVCards(text);
    EXPECT_TRUE(result.isVCard);
    EXPECT_EQ(result.nameless, 0);
    ASSERT_EQ(result.persons.size(), persons.size());
    for (size_t i = 0; i < persons.size(); ++i) {
        EXPECT_EQ(result.persons[i].person.fields, persons[i].fields) << i;
        EXPECT_EQ(result.persons[i].uid, persons[i].id);
        EXPECT_EQ(result.persons[i].person.id, "");
    }
}

TEST(VCardRoundTrip, EveryFieldComesBack) {
    PersonRecord p = FullPerson();
    ExpectRoundTrip({p});
    p[P::Title] = "Prof.; Dr.";
    p[P::FName] = "Anne-Marie, \"Ann\"";
    p[P::LName] = "O'Brien\\Smith; Jr.";
    p[P::Company] = "Blue Tide: Travel, Ltd.; \\";
    p[P::Position] = "Head of Sales\r\nNorth, East";
    p[P::Addr] = "Flat 3; Rear\r\n\r\n12 Rue de l'Église, Bât. B\r\nc/o Zoë Ångström";
    p[P::City] = "Zürich";
    p[P::State] = "ZH; CH";
    p[P::Zip] = "CH-8001";
    p[P::HmPhone] = "+41 (0)44 123 45 67";
    p[P::WkPhone] = "+1 800 555-0100";
    p[P::WkExt] = "4711";
    p[P::CelPhone] = "0171/1234567";
    p[P::Pager] = "*99#123";
    p[P::WkFax] = "+44 20 7946 0958";
    p[P::Email] = "ann.o'brien+cards@example.co.uk";
    p[P::WebPage] = "https://example.com/a;b,c?d=1&e=\\f";
    ExpectRoundTrip({p});
}

TEST(VCardRoundTrip, EdgePersons) {
    std::vector<PersonRecord> persons;
    const auto add = [&](std::initializer_list<std::pair<P::Field, std::string>> values,
                         const std::string& id) {
        PersonRecord p;
        p.fields = Person(values);
        p.id = id;
        persons.push_back(p);
    };
    add({{P::Company, "Blue Tide"}}, "A");
    add({{P::Company, "Blue Tide"}, {P::Title, "Dr."}, {P::WkExt, "12"}}, "B");
    add({{P::FName, "Ann"}}, "C");
    add({{P::LName, "Lee"}, {P::Title, "Ms."}}, "D");
    add({{P::FName, "Mary Ann"}, {P::Title, "Dr."}, {P::Company, "Mary Ann"}}, "E");
    add({{P::LName, "x"}, {P::WkPhone, "555-1234"}}, "F");
    add({{P::LName, "x"}, {P::City, "Paris"}}, "G");
    add({{P::LName, std::string(300, 'L')}, {P::Addr, Repeat("Ünterstraße 1", 20, "\r\n")}}, "");
    add({{P::LName, "Le" + std::string(1, '\0') + "e"}, {P::Position, "a\tb"}}, "H");
    add({{P::LName, "日本語の名前"}, {P::FName, "太郎"}, {P::Company, "株式会社 😀"}}, "I");
    add({{P::LName, "\\n"}, {P::FName, "\\"}, {P::Email, "\\n@x"}, {P::WkExt, "1 (desk)"}}, "J");
    ExpectRoundTrip(persons);
}

// Values from pieces that need escaping, folding or both; no white space at either end.
std::string RandomText(std::mt19937& random, const std::vector<std::string>& pieces,
                       int maxPieces) {
    std::string text;
    const int count = static_cast<int>(random() % (maxPieces + 1));
    for (int i = 0; i < count; ++i) {
        text += pieces[random() % pieces.size()];
    }
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return "";
    }
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

TEST(VCardRoundTrip, RandomPersons) {
    const std::vector<std::string> text = {"a",    "Z", "0",  " ",     "-", ";", ",",
                                           "\\",   ":", "\"", "'",     "é", "ß", "€",
                                           "日本", "😀", "\t", "Hello", "n", "=", "=C3"};
    std::vector<std::string> lines = text;
    lines.push_back("\r\n");
    const std::vector<std::string> phone = {"0", "1", "5", "9", " ", "-", "(", ")", "+", "/", "."};
    const std::vector<std::string> digits = {"0", "1", "2", "7", "9"};
    std::mt19937 random(2024);
    std::vector<PersonRecord> persons;
    for (int i = 0; i < 400; ++i) {
        PersonRecord p;
        p.id = "ID-" + std::to_string(i);
        for (P::Field f : {P::Title, P::FName, P::LName, P::Company, P::City, P::State, P::Zip,
                           P::Email, P::WebPage}) {
            p[f] = RandomText(random, text, 12);
        }
        for (P::Field f : {P::Position, P::Addr}) {
            p[f] = RandomText(random, lines, 40);
        }
        for (P::Field f : {P::HmPhone, P::WkPhone, P::CelPhone, P::Pager, P::WkFax}) {
            p[f] = RandomText(random, phone, 16);
        }
        p[P::WkExt] = RandomText(random, digits, 4);
        if (p[P::FName].empty() && p[P::LName].empty() && p[P::Company].empty()) {
            p[P::LName] = "Lee" + std::to_string(i);
        }
        persons.push_back(p);
    }
    ExpectRoundTrip(persons);
}

// ---------------------------------------------------------------------------------------------
// Files other programs wrote

VCardReadResult ReadFile(const std::string& name) {
    const std::string bytes = FileBytes(kData + "/vcards/" + name);
    EXPECT_NE(bytes, "<missing>") << name;
    return ReadVCards(bytes);
}

TEST(VCardFiles, AndroidKitchenSink21) {
    const VCardReadResult result = ReadFile("aosp-v21-complicated-1.vcf");
    EXPECT_TRUE(result.isVCard);
    EXPECT_EQ(result.nameless, 0);
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Gump"},
                      {P::FName, "Forrest"},
                      {P::Title, "Pos"},
                      {P::Company, "Gump Shrimp Co."},
                      {P::Position, "Shrimp Man"},
                      {P::WkPhone, "(111) 555-1212"},
                      {P::HmPhone, "(404) 555-1212"},
                      {P::CelPhone, "0311111111"},
                      {P::Addr, "100 Waters Edge\r\nUnited States of America"},
                      {P::City, "Baytown"},
                      {P::State, "LA"},
                      {P::Zip, "30314"},
                      {P::Email, "forrestgump@walladalla.com"},
                      {P::WebPage, "http://www.example.com/"}}));
    EXPECT_EQ(result.persons[0].uid, "");
}

TEST(VCardFiles, AndroidExport21WithQuotedPrintableUtf8) {
    const VCardReadResult result = ReadFile("ezvcard-android21-1.vcf");
    EXPECT_TRUE(result.isVCard);
    // The first two cards hold only an e-mail address.
    EXPECT_EQ(result.nameless, 2);
    ASSERT_EQ(result.persons.size(), 4u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, Repeat("Ñ", 4, " ")}, {P::CelPhone, "123456789"}}));
    EXPECT_EQ(result.persons[1].person.fields, Person({{P::LName, Repeat("Ñ", 11, " ")},
                                                       {P::CelPhone, "123456"},
                                                       {P::HmPhone, "234567"}}));
    EXPECT_EQ(result.persons[2].person.fields, Person({{P::LName, Repeat("Ñ", 2, " ")},
                                                       {P::FName, Repeat("Ñ", 3, " ")},
                                                       {P::CelPhone, "123456"},
                                                       {P::WkPhone, "123456"},
                                                       {P::WkFax, "123456"},
                                                       {P::Email, "bob@company.com"},
                                                       {P::Company, Repeat("Ñ", 12)},
                                                       {P::WebPage, "www.company.com"}}));
    // The organisation's soft line break runs into a blank line.
    EXPECT_EQ(result.persons[3].person.fields, Person({{P::LName, Repeat("Ñ", 4)},
                                                       {P::CelPhone, "55556666"},
                                                       {P::Email, "henry@company.com"},
                                                       {P::Company, Repeat("Ñ", 44)}}));
}

TEST(VCardFiles, Evolution30FoldedMidToken) {
    const VCardReadResult result = ReadFile("ezvcard-evolution30-1.vcf");
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Doe"},
                      {P::FName, "John"},
                      {P::Title, "Mr."},
                      {P::Company, "IBM"},
                      {P::Position, "Money Counter"},
                      {P::CelPhone, "905-666-1234"},
                      {P::WkPhone, "905-555-1234"},
                      {P::Email, "john.doe@ibm.com"},
                      {P::WebPage, "http://www.ibm.com"},
                      {P::Addr, "15 Crescent moon drive\r\nASB-123\r\nUnited States of America"},
                      {P::City, "Albaney"},
                      {P::State, "New York"},
                      {P::Zip, "12345"}}));
    EXPECT_EQ(result.persons[0].uid, "477343c8e6bf375a9bac1f96a5000837");
}

TEST(VCardFiles, Gmail30WithEveryKindOfNumber) {
    const VCardReadResult result = ReadFile("ezvcard-gmail30-2.vcf");
    ASSERT_EQ(result.persons.size(), 1u);
    // The first fax is a home fax; the untyped numbers find no empty field.
    EXPECT_EQ(result.persons[0].person.fields, Person({{P::LName, "Test"},
                                                       {P::FName, "VCard"},
                                                       {P::Company, "TheCompany"},
                                                       {P::Position, "TheJobTitle"},
                                                       {P::Email, "email@example.com"},
                                                       {P::HmPhone, "5555551112"},
                                                       {P::WkPhone, "5555551113"},
                                                       {P::CelPhone, "5555551115"},
                                                       {P::WkFax, "5555551117"},
                                                       {P::Pager, "5555551120"},
                                                       {P::Addr, "113 Main St"},
                                                       {P::City, "NY"},
                                                       {P::State, "New York"},
                                                       {P::Zip, "10011"},
                                                       {P::WebPage, "http://www.example1.com"}}));
}

TEST(VCardFiles, MacAddressBook30WithMixedLineEnds) {
    const VCardReadResult result = ReadFile("ezvcard-macab30-1.vcf");
    EXPECT_EQ(result.nameless, 0);
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Doe"},
                      {P::FName, "John"},
                      {P::Title, "Mr."},
                      {P::Company, "IBM"},
                      {P::Position, "Money Counter"},
                      {P::Email, "john.doe@ibm.com"},
                      {P::WkPhone, "905-777-1234"},
                      {P::HmPhone, "905-666-1234"},
                      {P::CelPhone, "905-555-1234"},
                      {P::WkFax, "905-888-1234"},
                      {P::Pager, "905-111-1234"},
                      {P::Addr, "Street4\r\nBuilding 6\r\nFloor 8\r\nUSA"},
                      {P::City, "New York"},
                      {P::Zip, "12345"},
                      {P::WebPage, "http://www.ibm.com"}}));
}

TEST(VCardFiles, Outlook21) {
    const VCardReadResult result = ReadFile("ezvcard-outlook21-2.vcf");
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Doe"},
                      {P::FName, "John"},
                      {P::Title, "Mr."},
                      {P::Company, "Company, The"},
                      {P::Position, "The Job Title"},
                      {P::WkPhone, "BusinessPhone"},
                      {P::HmPhone, "HomePhone"},
                      {P::CelPhone, "MobilePhone"},
                      {P::WkFax, "BusinessFaxPhone"},
                      {P::Addr, "123 Main St\r\nTheOffice\r\nUnited States of America"},
                      {P::City, "Austin"},
                      {P::State, "TX"},
                      {P::Zip, "12345"},
                      {P::WebPage, "http://web-page-address.com"},
                      {P::Email, "jdoe@hotmail.com"}}));
}

TEST(VCardFiles, Rfc6350Example40WithAWorkExtension) {
    const VCardReadResult result = ReadFile("ezvcard-rfc6350-1.vcf");
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Perreault"},
                      {P::FName, "Simon"},
                      {P::Company, "Viagenie"},
                      {P::Addr, "2875 Laurier\r\nSuite D2-630\r\nCanada"},
                      {P::City, "Quebec"},
                      {P::State, "QC"},
                      {P::Zip, "G1V 2M2"},
                      {P::WkPhone, "+1-418-656-9254"},
                      {P::WkExt, "102"},
                      {P::CelPhone, "+1-418-262-6501"},
                      {P::Email, "simon.perreault@viagenie.ca"},
                      {P::WebPage, "http://nomis80.org"}}));
}

TEST(VCardFiles, ThunderbirdCrCrLf) {
    const VCardReadResult result = ReadFile("thunderbird-crcrlf-1.vcf");
    ASSERT_EQ(result.persons.size(), 1u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "Surname"}, {P::FName, "Name"}, {P::Email, "example@gmail.com"}}));
}

TEST(VCardFiles, ThunderbirdExport40WithARawCarriageReturn) {
    const VCardReadResult result = ReadFile("thunderbird-v40-export-1.vcf");
    EXPECT_EQ(result.nameless, 0);
    ASSERT_EQ(result.persons.size(), 2u);
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::LName, "one"}, {P::FName, "contact"}, {P::Email, "contact1@invalid"}}));
    EXPECT_EQ(result.persons[0].uid, "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx");
    EXPECT_EQ(result.persons[1].person.fields, Person({{P::LName, "two"},
                                                       {P::FName, "contact"},
                                                       {P::Position, "\"worker\""},
                                                       {P::Email, "contact2@invalid"}}));
    EXPECT_EQ(result.persons[1].uid, "yyyyyyyy-yyyy-yyyy-yyyy-yyyyyyyyyyyy");
}

TEST(VCardFiles, Thunderbird40PhotoAsDataUri) {
    const VCardReadResult result = ReadFile("thunderbird-v40-photo-1.vcf");
    ASSERT_EQ(result.persons.size(), 1u);
    // No N: the formatted name splits at its last blank.
    EXPECT_EQ(result.persons[0].person.fields,
              Person({{P::FName, "URI JPEG, version"}, {P::LName, "4.0"}}));
}

}  // namespace
