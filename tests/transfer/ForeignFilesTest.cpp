#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ColumnNames.h"
#include "ColumnPlan.h"
#include "Import.h"
#include "TextEncoding.h"
#include "TransferCoreTestSupport.h"
#include "TransferSettings.h"
#include "VCard.h"

// Files as other programs write them, made here byte for byte, read as the import wizard reads
// them: the encoding told from the bytes, the separator from the first line, the columns
// assigned from their names.
namespace {

using transfer::LeftOut;
using transfer::LineTokenizer;
using transfer::TransferSettings;
using transfer_test::Fields;
using P = PersonRecord;

struct Imported {
    TransferSettings settings;
    std::vector<PersonRecord> persons;
    LeftOut leftOut;

    const PersonRecord& Person(size_t i) const { return persons.at(i); }
    // The column's assignment, by its name.
    std::string AssignedTo(const std::string& label) const {
        const auto& labels = settings.columnLabels;
        const auto at = std::find(labels.begin(), labels.end(), label);
        EXPECT_NE(at, labels.end()) << label;
        return at == labels.end() ? "<no such column>"
                                  : settings.selectedFields[at - labels.begin()];
    }
};

Imported Read(const std::string& bytes, const std::string& encoding = std::string(),
              char separator = '\0') {
    Imported result;
    TransferSettings& s = result.settings;
    s = TransferSettings::ForPersonImport();
    s.encoding = encoding.empty() ? transfer::DetectEncoding(bytes).name : encoding;
    const std::string text = transfer::DecodedText(bytes, s.encoding);
    s.firstLine = transfer::FirstLine(text);
    s.encloser = "\"";
    s.separator = std::string(
        1, separator != '\0' ? separator : transfer::LikeliestSeparator(s.firstLine, '"'));
    s.firstLineHasNames = true;
    s.columnLabels = Fields(LineTokenizer(s.Separator(), s.Encloser()), s.firstLine);
    s.columnCount = static_cast<int>(s.columnLabels.size());
    s.selectedFields = transfer::AssignColumns(s.columnLabels);
    result.persons = transfer::ReadPersons(text, s, &result.leftOut);
    return result;
}

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + end;
    }
    return text;
}

TEST(ForeignFiles, TabSeparatedRunsOfEmptyFieldsLandInTheirOwnColumns) {
    const Imported read =
        Read(Join({"First Name\tLast Name\tTitle\tE-mail Address\tJob Title\tBusiness "
                   "Fax\tNotes\tMobile Phone",
                   "Ann\tLee\t\tann@example.com\t\t\tmet in Oslo\t0170 1",
                   "\tRay\tDr.\t\tHead of Sales\t030 9\t\t", "Cy\t\t\t\t\t\t\t0171 2"},
                  "\r\n"));
    EXPECT_EQ(read.settings.separator, "\t");
    ASSERT_EQ(read.persons.size(), 3u);
    EXPECT_EQ(read.Person(0)[P::Email], "ann@example.com");
    EXPECT_EQ(read.Person(0)[P::Position], "");
    EXPECT_EQ(read.Person(0)[P::WkFax], "");
    EXPECT_EQ(read.Person(0)[P::CelPhone], "0170 1");
    // The empty first name keeps the last name in its column.
    EXPECT_EQ(read.Person(1)[P::FName], "");
    EXPECT_EQ(read.Person(1)[P::LName], "Ray");
    EXPECT_EQ(read.Person(1)[P::Title], "Dr.");
    EXPECT_EQ(read.Person(1)[P::Email], "");
    EXPECT_EQ(read.Person(1)[P::Position], "Head of Sales");
    EXPECT_EQ(read.Person(1)[P::WkFax], "030 9");
    EXPECT_EQ(read.Person(2)[P::FName], "Cy");
    EXPECT_EQ(read.Person(2)[P::CelPhone], "0171 2");
    EXPECT_EQ(read.leftOut.columns, (std::vector<std::string>{"Notes"}));
}

TEST(ForeignFiles, EveryKindOfLineEndGivesTheSamePersons) {
    const std::vector<std::string> lines = {"First Name,Last Name,Address,City",
                                            "Ann,Lee,\"1 Main St", "Apt 2\",Oslo", "Bob,Ray,,Rome",
                                            "Cy,Lo,\"x\",Bern"};
    const std::vector<PersonRecord> lf = Read(Join(lines, "\n")).persons;
    ASSERT_EQ(lf.size(), 3u);
    EXPECT_EQ(lf[0][P::Addr], "1 Main St\r\nApt 2");
    EXPECT_EQ(lf[0][P::City], "Oslo");
    EXPECT_EQ(lf[2][P::City], "Bern");
    std::string mixed;
    const char* ends[] = {"\r", "\n", "\r\n", "\r", "\r\r\n"};
    for (size_t i = 0; i < lines.size(); ++i) {
        mixed += lines[i] + ends[i];
    }
    std::string withoutLastEnd = Join(lines, "\r");
    withoutLastEnd.pop_back();
    for (const std::string& text :
         {Join(lines, "\r\n"), Join(lines, "\r"), mixed, withoutLastEnd}) {
        SCOPED_TRACE(testing::PrintToString(text));
        const std::vector<PersonRecord> persons = Read(text).persons;
        ASSERT_EQ(persons.size(), 3u);
        for (size_t i = 0; i < persons.size(); ++i) {
            EXPECT_EQ(persons[i].fields, lf[i].fields);
        }
    }
    // The same for cards.
    const std::vector<std::string> card = {
        "BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann",   "ADR:;;1 Main", " St;Oslo;;;",
        "END:VCARD",   "BEGIN:VCARD", "VERSION:2.1", "N:Ray;Bob",    "END:VCARD"};
    const transfer::VCardReadResult expected = transfer::ReadVCards(Join(card, "\r\n"));
    ASSERT_EQ(expected.persons.size(), 2u);
    EXPECT_EQ(expected.persons[0].person[P::Addr], "1 MainSt");
    for (const std::string end : {"\n", "\r", "\r\r\n"}) {
        const transfer::VCardReadResult read = transfer::ReadVCards(Join(card, end));
        ASSERT_EQ(read.persons.size(), 2u) << testing::PrintToString(end);
        EXPECT_EQ(read.persons[0].person.fields, expected.persons[0].person.fields);
        EXPECT_EQ(read.persons[1].person.fields, expected.persons[1].person.fields);
    }
}

TEST(ForeignFiles, AFileWithoutPersonsSaysSoAndClaimsNone) {
    const Imported read = Read(Join({"First Name,Last Name,Notes", ",,only a note", ",,"}, "\r"));
    EXPECT_TRUE(read.persons.empty());
    EXPECT_EQ(read.leftOut.nameless, 1);
    const QString message = transfer::ImportMessage(0, read.leftOut);
    EXPECT_FALSE(message.contains(QStringLiteral("added to current")));
    EXPECT_TRUE(message.startsWith(QStringLiteral("No person was added to the current database")));
    EXPECT_EQ(transfer::ImportMessage(0, LeftOut()),
              QStringLiteral("No person was added to the current database: the file holds no "
                             "records."));
}

TEST(ForeignFiles, ShiftJisAndEucJpFilesAreStoredAsUtf8) {
    // 山田,太郎,株式会社テスト and 鈴木,花子 in Shift_JIS.
    const std::string sjis = Join({"Last Name,First Name,Company",
                                   "\x8E\x52\x93\x63,\x91\xBE\x98\x59,"
                                   "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0\x83\x65\x83\x58\x83\x67",
                                   "\x97\xE9\x96\xD8,\x89\xD4\x8E\x71,"},
                                  "\r\n");
    const Imported guessed = Read(sjis);
    EXPECT_EQ(guessed.settings.encoding, "Shift_JIS");
    ASSERT_EQ(guessed.persons.size(), 2u);
    EXPECT_EQ(guessed.Person(0)[P::LName], "山田");
    EXPECT_EQ(guessed.Person(0)[P::FName], "太郎");
    EXPECT_EQ(guessed.Person(0)[P::Company], "株式会社テスト");
    EXPECT_EQ(guessed.Person(1)[P::LName], "鈴木");
    // Chosen by hand, another encoding gives what the user would see on the page and correct.
    const Imported wrong = Read(sjis, "Windows-1252");
    ASSERT_EQ(wrong.persons.size(), 2u);
    EXPECT_NE(wrong.Person(0)[P::LName], "山田");
    EXPECT_EQ(Read(sjis, "Shift_JIS").persons.at(0)[P::LName], "山田");
    // EUC-JP: 山田,太郎,東京都港区 with the reading やまだ.
    const Imported euc = Read(Join({"Last Name,First Name,City,Notes",
                                    "\xBB\xB3\xC5\xC4,\xC2\xC0\xCF\xBA,"
                                    "\xC5\xEC\xB5\xFE\xC5\xD4\xB9\xC1\xB6\xE8,"
                                    "\xA4\xE4\xA4\xDE\xA4\xC0"},
                                   "\n"));
    EXPECT_EQ(euc.settings.encoding, "EUC-JP");
    ASSERT_EQ(euc.persons.size(), 1u);
    EXPECT_EQ(euc.Person(0)[P::City], "東京都港区");
}

TEST(ForeignFiles, Utf16WithoutAMarkInBothByteOrders) {
    const std::u16string text = u"First Name,Last Name\r\nJörg,Müller\r\n山田,太郎\r\n";
    for (const bool little : {true, false}) {
        std::string bytes;
        for (const char16_t unit : text) {
            const char low = static_cast<char>(unit & 0xFF);
            const char high = static_cast<char>(unit >> 8);
            bytes += little ? low : high;
            bytes += little ? high : low;
        }
        const Imported read = Read(bytes);
        EXPECT_EQ(read.settings.encoding, little ? "UTF-16LE" : "UTF-16BE");
        ASSERT_EQ(read.persons.size(), 2u) << little;
        EXPECT_EQ(read.Person(0)[P::LName], "Müller");
        EXPECT_EQ(read.Person(1)[P::FName], "山田");
        // And a card in the same form.
        std::string card;
        for (const char16_t unit : std::u16string(u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Müller;Jörg\r\n"
                                                  u"END:VCARD\r\n")) {
            const char low = static_cast<char>(unit & 0xFF);
            const char high = static_cast<char>(unit >> 8);
            card += little ? low : high;
            card += little ? high : low;
        }
        const transfer::VCardReadResult cards = transfer::ReadVCards(card);
        EXPECT_TRUE(cards.isVCard) << little;
        ASSERT_EQ(cards.persons.size(), 1u);
        EXPECT_EQ(cards.persons[0].person[P::LName], "Müller");
    }
}

TEST(ForeignFiles, EmptyLinesBeforeTheNamesAndBetweenRecords) {
    const Imported read = Read(
        "\r\n \t\r\n\r\nFirst Name,Last Name,Company\r\n\r\nAnn,Lee,\r\n"
        ",,\r\n   \r\nBob,Ray,Co\r\n\r\n");
    EXPECT_EQ(read.settings.firstLine, "First Name,Last Name,Company");
    EXPECT_EQ(read.settings.columnCount, 3);
    ASSERT_EQ(read.persons.size(), 2u);
    EXPECT_EQ(read.Person(0)[P::LName], "Lee");
    EXPECT_EQ(read.Person(1)[P::Company], "Co");
    // Blank lines and a record of separators only are no records without a name.
    EXPECT_EQ(read.leftOut.nameless, 0);
    // Without names in the first line, the blank lines before the first record are skipped too.
    TransferSettings settings = read.settings;
    settings.firstLineHasNames = false;
    EXPECT_EQ(transfer::ReadPersons("\r\n\r\nAnn,Lee,\r\n", settings).size(), 1u);
}

TEST(ForeignFiles, GooglesPhoneEmailAndWebPagePairsGoByTheirKind) {
    const Imported read = Read(
        Join({"Given Name,Family Name,Organization 1 - Name,E-mail 1 - Type,E-mail 1 - Value,"
              "E-mail 2 - Type,E-mail 2 - Value,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,"
              "Phone 2 - Value,Phone 3 - Type,Phone 3 - Value,Phone 4 - Type,Phone 4 - Value,"
              "Website 1 - Type,Website 1 - Value,Website 2 - Type,Website 2 - Value",
              "Ann,Lee,Acme,* Work,ann@acme.example ::: ann2@acme.example,Home,ann@home.example,"
              "Mobile,0170 1,Work,030 2,Mobile,0171 3,Work Fax,030 4,Blog,http://blog.example,Work,"
              "http://acme.example",
              "Bob,Ray,,,,,,Main,040 5,Other,040 6 ::: 040 7,Pager,0190 8,Home Fax,040 9,,,,"},
             "\n"));
    EXPECT_EQ(read.AssignedTo("Phone 1 - Value"), transfer::kPhoneByType);
    EXPECT_EQ(read.AssignedTo("Phone 1 - Type"), "");
    EXPECT_EQ(read.AssignedTo("E-mail 2 - Value"), "Email");
    EXPECT_EQ(read.AssignedTo("Website 2 - Value"), "WebPage");
    ASSERT_EQ(read.persons.size(), 2u);
    const PersonRecord& ann = read.Person(0);
    EXPECT_EQ(ann[P::Company], "Acme");
    EXPECT_EQ(ann[P::Email], "ann@acme.example");
    EXPECT_EQ(ann[P::CelPhone], "0170 1");
    EXPECT_EQ(ann[P::WkPhone], "030 2");
    EXPECT_EQ(ann[P::WkFax], "030 4");
    EXPECT_EQ(ann[P::HmPhone], "");
    EXPECT_EQ(ann[P::WebPage], "http://blog.example");
    // Numbers of no kind of their own go into the free home, work and mobile fields.
    const PersonRecord& bob = read.Person(1);
    EXPECT_EQ(bob[P::HmPhone], "040 5");
    EXPECT_EQ(bob[P::WkPhone], "040 6");
    EXPECT_EQ(bob[P::CelPhone], "040 7");
    EXPECT_EQ(bob[P::Pager], "0190 8");
    EXPECT_EQ(bob[P::WkFax], "040 9");
    // Ann's second mobile number found no free field; nor did her other e-mail addresses and
    // her work web page.
    EXPECT_EQ(read.leftOut.phones, 1);
    EXPECT_EQ(read.leftOut.emails, 2);
    EXPECT_EQ(read.leftOut.webPages, 1);
    EXPECT_TRUE(read.leftOut.columns.empty());
    const QString message = transfer::ImportMessage(2, read.leftOut);
    EXPECT_EQ(message, QStringLiteral("2 names added to current database.\n"
                                      "1 phone number had no free field and was left out.\n"
                                      "2 e-mail addresses had no free field and were left out.\n"
                                      "1 web page had no free field and was left out."));
}

TEST(ForeignFiles, OutlooksStreetLinesJoinAndEachPersonKeepsOneAddress) {
    const Imported read = Read(Join(
        {"First Name,Last Name,Company,Business Street,Business Street 2,Business Street 3,"
         "Business City,Business Postal Code,Home Street,Home Street 2,Home Street 3,Home City,"
         "Home Postal Code,Business Fax,Home Fax",
         "Ann,Lee,Acme,Hauptstr. 1,2b,3. OG,Berlin,10115,Gartenweg 5,,,Potsdam,14467,030 1,0331 2",
         "Bob,Ray,,Werkstr. 9,,,K\xC3\xB6ln,50667,Am See 3,Haus B,,Bonn,53111,,0228 5",
         "Cy,Lo,Lo & Co,,,,,,Feldweg 2,,,Jena,07743,,"},
        "\r\n"));
    for (const char* label : {"Business Street", "Business Street 2", "Business Street 3",
                              "Home Street", "Home Street 2", "Home Street 3"}) {
        EXPECT_EQ(read.AssignedTo(label), "Address") << label;
    }
    ASSERT_EQ(read.persons.size(), 3u);
    // A person with a company keeps the business address, its three lines in their order.
    const PersonRecord& ann = read.Person(0);
    EXPECT_EQ(ann[P::Addr], "Hauptstr. 1\r\n2b\r\n3. OG");
    EXPECT_EQ(ann[P::City], "Berlin");
    EXPECT_EQ(ann[P::Zip], "10115");
    EXPECT_EQ(ann[P::WkFax], "030 1");
    // A person without one the home address, and the fax of the home address.
    const PersonRecord& bob = read.Person(1);
    EXPECT_EQ(bob[P::Addr], "Am See 3\r\nHaus B");
    EXPECT_EQ(bob[P::City], "Bonn");
    EXPECT_EQ(bob[P::Zip], "53111");
    EXPECT_EQ(bob[P::WkFax], "0228 5");
    // A company without a business address keeps the home address it has.
    EXPECT_EQ(read.Person(2)[P::Addr], "Feldweg 2");
    EXPECT_EQ(read.Person(2)[P::City], "Jena");
    EXPECT_EQ(read.leftOut.addresses, 2);
    EXPECT_EQ(read.leftOut.phones, 1);
    // The Fields page tells how the column goes in.
    const transfer::ColumnPlan plan(read.settings.columnLabels, read.settings.selectedFields, true);
    EXPECT_TRUE(plan.Describe(4).startsWith(
        QStringLiteral("Address: Business Street + Business Street 2 + Business Street 3.")));
    EXPECT_TRUE(plan.Describe(8).startsWith(
        QStringLiteral("Address: Home Street + Home Street 2 + Home Street 3.")));
    EXPECT_TRUE(plan.Describe(0).isEmpty());
}

TEST(ForeignFiles, AFormattedAddressOnlyWhereTheFileHasNoParts) {
    const std::string header =
        "First Name,Last Name,Address 1 - Type,Address 1 - Formatted,Address 1 - Street,"
        "Address 1 - City,Address 1 - PO Box,Address 1 - Postal Code,Address 1 - Country";
    const Imported parts = Read(Join({header,
                                      "Max,Mustermann,Home,\"Stra\xC3\x9F"
                                      "e 42\nPostfach\nPLZ Ort\nDE\","
                                      "Stra\xC3\x9F"
                                      "e 42,Ort,Postfach,PLZ,DE"},
                                     "\n"));
    EXPECT_EQ(parts.AssignedTo("Address 1 - Formatted"), "");
    ASSERT_EQ(parts.persons.size(), 1u);
    EXPECT_EQ(parts.Person(0)[P::Addr], "Straße 42\r\nPostfach");
    EXPECT_EQ(parts.Person(0)[P::City], "Ort");
    EXPECT_EQ(parts.Person(0)[P::Zip], "PLZ");
    // The whole address, read from its parts, is not missed; the country is.
    EXPECT_EQ(parts.leftOut.columns, (std::vector<std::string>{"Address 1 - Country"}));
    const Imported block = Read(Join({"First Name,Last Name,Address 1 - Formatted",
                                      "Max,Mustermann,\"Stra\xC3\x9F"
                                      "e 42\nPLZ Ort\""},
                                     "\n"));
    EXPECT_EQ(block.AssignedTo("Address 1 - Formatted"), "Address");
    ASSERT_EQ(block.persons.size(), 1u);
    EXPECT_EQ(block.Person(0)[P::Addr], "Straße 42\r\nPLZ Ort");
}

TEST(ForeignFiles, TheClosingMessageNamesTheColumnsLeftOut) {
    const Imported read = Read(Join(
        {"First Name,Middle Name,Last Name,Birthday,Notes,Spouse,Hobby,Gender,Language,Company",
         "Ann,Marie,Lee,1970-01-02,likes tea,Bob,chess,f,en,Acme ::: Tools Ltd", "Cy,,Lo,,,,,,,",
         "Di,,Wu,,,,,,,"},
        "\n"));
    ASSERT_EQ(read.persons.size(), 3u);
    EXPECT_EQ(read.Person(0)[P::Company], "Acme");
    EXPECT_EQ(read.leftOut.values, 1);
    EXPECT_EQ(read.leftOut.columns,
              (std::vector<std::string>{"Middle Name", "Birthday", "Notes", "Spouse", "Hobby",
                                        "Gender", "Language"}));
    EXPECT_EQ(transfer::ImportMessage(3, read.leftOut),
              QStringLiteral("3 names added to current database.\n"
                             "1 further value had no free field and was left out.\n"
                             "Not imported: Middle Name, Birthday, Notes and 4 more columns."));
    LeftOut few;
    few.columns = {"Notes"};
    EXPECT_EQ(transfer::ImportMessage(1, few),
              QStringLiteral("1 names added to current database.\nNot imported: Notes."));
    few.columns = {"Notes", "Birthday"};
    EXPECT_TRUE(transfer::ImportMessage(1, few).endsWith(
        QStringLiteral("Not imported: Notes and Birthday.")));
    few.columns = {"A", "B", "C", "D"};
    few.nameless = 2;
    EXPECT_EQ(transfer::ImportMessage(1, few),
              QStringLiteral("1 names added to current database.\n"
                             "2 records without a first name, last name or company were left "
                             "out.\nNot imported: A, B, C and 1 more column."));
}

TEST(ForeignFiles, KindsOfNumbers) {
    EXPECT_EQ(transfer::PhoneFieldOfKind("Mobile"), P::CelPhone);
    EXPECT_EQ(transfer::PhoneFieldOfKind("* Mobile"), P::CelPhone);
    EXPECT_EQ(transfer::PhoneFieldOfKind("Home Mobile"), P::CelPhone);
    EXPECT_EQ(transfer::PhoneFieldOfKind("Work"), P::WkPhone);
    EXPECT_EQ(transfer::PhoneFieldOfKind("home"), P::HmPhone);
    EXPECT_EQ(transfer::PhoneFieldOfKind("Work Fax"), P::WkFax);
    EXPECT_EQ(transfer::PhoneFieldOfKind("homeFax"), P::WkFax);
    EXPECT_EQ(transfer::PhoneFieldOfKind("Fax"), P::WkFax);
    EXPECT_EQ(transfer::PhoneFieldOfKind("Pager"), P::Pager);
    for (const char* kind : {"", "Main", "Other", "Google Voice", "Andere"}) {
        EXPECT_EQ(transfer::PhoneFieldOfKind(kind), P::FieldCount) << kind;
    }
    EXPECT_EQ(transfer::ValueParts(" a ::: b:::  ::: c "),
              (std::vector<std::string>{"a", "b", "c"}));
    std::string value = "x ::: y ::: ::: z";
    EXPECT_EQ(transfer::KeepFirstValue(value), 2);
    EXPECT_EQ(value, "x");
}

// ---- vCards

const std::string kCardStart = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
const std::string kCardEnd = "END:VCARD\r\n";

PersonRecord OnlyCard(const std::string& lines) {
    const transfer::VCardReadResult read = transfer::ReadVCards(kCardStart + lines + kCardEnd);
    EXPECT_EQ(read.persons.size(), 1u);
    return read.persons.empty() ? PersonRecord() : read.persons[0].person;
}

TEST(ForeignCards, TheCharsetOfEachPropertyIsHonoured) {
    // 山田;太郎 in Shift_JIS, plain and quoted-printable, as Japanese phones write them.
    EXPECT_EQ(OnlyCard("N;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;\x91\xBE\x98\x59\r\n").fields,
              OnlyCard("N;CHARSET=UTF-8:山田;太郎\r\n").fields);
    const PersonRecord qp = OnlyCard(
        "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;=91=BE=98=59\r\n"
        "ORG;CHARSET=Shift_JIS:\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0\x83\x65\x83\x58\x83\x67\r\n");
    EXPECT_EQ(qp[P::LName], "山田");
    EXPECT_EQ(qp[P::FName], "太郎");
    EXPECT_EQ(qp[P::Company], "株式会社テスト");
    EXPECT_EQ(OnlyCard("N;CHARSET=EUC-JP:\xBB\xB3\xC5\xC4\r\n")[P::LName], "山田");
    EXPECT_EQ(OnlyCard("N;CHARSET=GB18030:\xCD\xF5;\xB7\xBC\r\n")[P::LName], "王");
    EXPECT_EQ(OnlyCard("N;CHARSET=KOI8-R:\xE9\xD7\xC1\xCE\xCF\xD7\r\n")[P::LName], "Иванов");
    EXPECT_EQ(OnlyCard("N;CHARSET=\"ISO-8859-2\":\xA3\xF3\x64\xBC\r\n")[P::LName], "Łódź");
    EXPECT_EQ(OnlyCard("N;CHARSET=windows-1251:\xC8\xE2\xE0\xED\xEE\xE2\r\n")[P::LName], "Иванов");
}

TEST(ForeignCards, HomefaxAndWorkfaxAreFaxNumbers) {
    EXPECT_EQ(OnlyCard("N:Lee\r\nTEL;TYPE=homefax:040 1\r\nTEL;TYPE=HOME:040 2\r\n")[P::WkFax],
              "040 1");
    const PersonRecord work =
        OnlyCard("N:Lee\r\nTEL;TYPE=workfax:030 1\r\nTEL;TYPE=WORK:030 2\r\n");
    EXPECT_EQ(work[P::WkFax], "030 1");
    EXPECT_EQ(work[P::WkPhone], "030 2");
    EXPECT_EQ(OnlyCard("N:Lee\r\nTEL;WORKFAX:030 3\r\n")[P::WkFax], "030 3");
}

}  // namespace
