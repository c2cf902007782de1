#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <cmath>
#include <optional>
#include <string>

#include "ConvertTestFiles.h"
#include "V1Document.h"

namespace {

// Seconds between two date-times.
double SecondsApart(DateTime a, DateTime b) {
    return std::fabs(a.Value() - b.Value()) * 86400.0;
}

DateTime LocalTime(qint64 secondsSince1970) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(secondsSince1970).toLocalTime();
    return DateTime::FromDateAndTime(t.date(), t.time());
}

V1Document Loaded(const std::string& text) {
    V1Document document;
    const V1LoadResult result = document.Load(text.c_str());
    EXPECT_TRUE(result.Loaded());
    EXPECT_EQ(result.syntaxErrorLine, std::nullopt);
    return document;
}

TEST(V1DocumentRoot, ReadsVersionTimesAndToken) {
    const DateTime before = FromLocalNow();
    const V1Document d =
        Loaded("<Tidemark Version=\"3\" Cr=\"NEW\" St=\"0\" U=\"tok'en &amp; more\" X=\"1\"/>");
    EXPECT_EQ(d.version, 3);
    EXPECT_LE(SecondsApart(d.created, before), 2.0);
    EXPECT_EQ(d.lastSaved, LocalTime(0));
    EXPECT_EQ(d.token, "tok'en & more");

    const V1Document later = Loaded("<Tidemark St=\"1109667900\"/>");
    EXPECT_FALSE(later.created.IsValid());
    EXPECT_EQ(later.lastSaved, LocalTime(1109667900));
    EXPECT_EQ(later.token, "");
    EXPECT_EQ(later.version, 0);
}

TEST(V1DocumentRoot, TakesNewOnlyInCapitalsAndNegativeAsNoTime) {
    const V1Document d = Loaded("<Tidemark Cr=\"new\" St=\"-5\"/>");
    EXPECT_EQ(d.created, LocalTime(0));  // not a number, so 0 seconds
    EXPECT_FALSE(d.lastSaved.IsValid());
}

TEST(V1DocumentRoot, OtherRootNamesLoadAsAnEmptyModel) {
    for (const char* text :
         {"<tidemark Version=\"2\"><User><FName>x</FName></User></tidemark>",
          "<Addresses Version=\"2\"><Persons><Person ID=\"1\"/></Persons></Addresses>"}) {
        V1Document d;
        d.version = 9;
        EXPECT_TRUE(d.Load(text).Loaded());
        EXPECT_EQ(d.version, 0);
        EXPECT_EQ(d.user.FName, "");
        EXPECT_TRUE(d.persons.records.empty());
    }
}

TEST(V1DocumentRoot, ASyntaxErrorGivesItsLineAndLeavesTheModelEmpty) {
    V1Document d;
    d.token = "left over";
    d.persons.records[1].FName = "left over";
    const V1LoadResult result =
        d.Load("<?xml version=\"1.0\"?>\n<Tidemark U=\"x\">\n\t<User>\n</Tidemark>\n");
    EXPECT_FALSE(result.Loaded());
    EXPECT_EQ(result.syntaxErrorLine, 4);
    EXPECT_EQ(d.token, "");
    EXPECT_TRUE(d.persons.records.empty());
}

TEST(V1DocumentRoot, AnEmptyTextFailsAtLineOne) {
    V1Document d;
    const V1LoadResult result = d.Load("");
    EXPECT_FALSE(result.Loaded());
    EXPECT_EQ(result.syntaxErrorLine, 1);
}

// The line is the one the parse stopped on, after records that had loaded well.
TEST(V1DocumentRoot, TheErrorLineIsWhereTheParseStopped) {
    V1Document d;
    std::string text = "<Tidemark>\r\n<Persons>\r\n";
    for (int id = 1; id <= 30; ++id) {
        text += "<Person ID=\"" + std::to_string(id) + "\"><FName>P</FName></Person>\r\n";
    }
    text += "<Person ID=\"31\"><FName>P</Name></Person>\r\n</Persons>\r\n</Tidemark>\r\n";
    const V1LoadResult result = d.Load(text.c_str());
    EXPECT_EQ(result.syntaxErrorLine, 33);
    EXPECT_TRUE(d.persons.records.empty());

    // The same document loads once the wrong end tag is put right; the failure left nothing.
    text.replace(text.find("</Name>"), 7, "</FName>");
    EXPECT_TRUE(d.Load(text.c_str()).Loaded());
    EXPECT_EQ(d.persons.records.size(), 31u);
}

TEST(V1DocumentUser, KeepsHmPhoneAndPassesOverPhoneAndPager) {
    const V1Document d = Loaded(
        "<Tidemark><User><Title>Dr</Title><FName>Ann</FName><LName>O&apos;Hara</LName>"
        "<Address>1 Quay\r\nPort</Address><City>C</City><State>S</State><Zip>Z</Zip>"
        "<HmPhone>111</HmPhone><Phone>999</Phone><Pager>888</Pager><CelPhone>222</CelPhone>"
        "<WkPhone>333</WkPhone><WkExt>4</WkExt><Fax>555</Fax><EMail>a@b</EMail>"
        "<WebPage>w</WebPage><Company>Co</Company><Position>P</Position>"
        "<fname>lower case is another name</fname></User></Tidemark>");
    const V1User& u = d.user;
    EXPECT_EQ(u.Title, "Dr");
    EXPECT_EQ(u.FName, "Ann");
    EXPECT_EQ(u.LName, "O'Hara");
    EXPECT_EQ(u.Address, "1 Quay\r\nPort");
    EXPECT_EQ(u.HmPhone, "111");
    EXPECT_EQ(u.CelPhone, "222");
    EXPECT_EQ(u.WkPhone, "333");
    EXPECT_EQ(u.WkExt, "4");
    EXPECT_EQ(u.Fax, "555");
    EXPECT_EQ(u.EMail, "a@b");
    EXPECT_EQ(u.WebPage, "w");
    EXPECT_EQ(u.Company, "Co");
    EXPECT_EQ(u.Position, "P");
}

TEST(V1DocumentUser, ASecondUserReplacesTheFirstAndTheLastFieldWins) {
    const V1Document d = Loaded(
        "<Tidemark><User><FName>First</FName><LName>Kept?</LName></User><!-- c -->"
        "<User><FName>One</FName><FName>Two</FName></User></Tidemark>");
    EXPECT_EQ(d.user.FName, "Two");
    EXPECT_EQ(d.user.LName, "");
}

TEST(V1DocumentPersons, KeepsPhoneAndPagerAndPassesOverHmPhone) {
    const V1Document d = Loaded(
        "<Tidemark><Persons LastID=\"7\"><Person ID=\"7\"><Phone>111</Phone>"
        "<HmPhone>999</HmPhone><Pager>222</Pager><Fax>333</Fax><EMail>e</EMail>"
        "<Address>A</Address></Person></Persons></Tidemark>");
    EXPECT_EQ(d.persons.lastId, 7);
    ASSERT_EQ(d.persons.records.count(7), 1u);
    const V1Person& p = d.persons.records.at(7);
    EXPECT_EQ(p.ID, 7);
    EXPECT_EQ(p.Phone, "111");
    EXPECT_EQ(p.Pager, "222");
    EXPECT_EQ(p.Fax, "333");
    EXPECT_EQ(p.EMail, "e");
    EXPECT_EQ(p.Address, "A");
}

TEST(V1DocumentSections, KeepTheFirstRecordOfAnIdAndSortByID) {
    const V1Document d = Loaded(
        "<Tidemark><Persons LastID=\"3\"><Person ID=\"3\"><FName>C</FName></Person>"
        "<Person ID=\"1\"><FName>A</FName></Person><Person ID=\" 3\"><FName>dup</FName></Person>"
        "</Persons></Tidemark>");
    ASSERT_EQ(d.persons.records.size(), 2u);
    EXPECT_EQ(d.persons.records.begin()->second.FName, "A");
    EXPECT_EQ(d.persons.records.at(3).FName, "C");
}

TEST(V1DocumentSections, ASecondSectionAddsToTheFirst) {
    const V1Document d = Loaded(
        "<Tidemark><ContactTypes LastID=\"2\"><ContactType ID=\"2\"><Description>Two"
        "</Description></ContactType></ContactTypes><ContactTypes LastID=\"5\" LastID=\"6\">"
        "<ContactType ID=\"2\"><Description>again</Description></ContactType>"
        "<Anything ID=\"5\" Other=\"x\"><Description>Five</Description></Anything>"
        "</ContactTypes></Tidemark>");
    EXPECT_EQ(d.contactTypes.lastId, 6);
    ASSERT_EQ(d.contactTypes.records.size(), 2u);
    EXPECT_EQ(d.contactTypes.records.at(2).Description, "Two");
    EXPECT_EQ(d.contactTypes.records.at(5).Description, "Five");
}

TEST(V1DocumentSections, AMissingFieldIsEmptyNotTheRecordBefore) {
    const DateTime before = FromLocalNow();
    const V1Document d = Loaded(
        "<Tidemark><Persons><Person ID=\"1\"><FName>Ann</FName><Phone>1</Phone></Person>"
        "<Person ID=\"2\"><LName>Bo</LName></Person><Person><FName>no id</FName></Person>"
        "</Persons><Contacts><Contact ID=\"1\"><PersonID>1</PersonID><ContactTypeID>4"
        "</ContactTypeID><DateTime>2005-03-01 09:05:00</DateTime><Description>d</Description>"
        "</Contact><Contact ID=\"2\"><Description>only this</Description></Contact>"
        "</Contacts></Tidemark>");
    const V1Person& second = d.persons.records.at(2);
    EXPECT_EQ(second.FName, "");
    EXPECT_EQ(second.Phone, "");
    EXPECT_EQ(second.LName, "Bo");
    EXPECT_EQ(d.persons.records.at(0).FName, "no id");

    const V1Contact& first = d.contacts.records.at(1);
    EXPECT_EQ(first.PersonID, 1);
    EXPECT_EQ(first.ContactTypeID, 4);
    EXPECT_EQ(FormatStoredTimeStamp(first.DateTime), "2005-03-01 09:05:00");
    const V1Contact& c = d.contacts.records.at(2);
    EXPECT_EQ(c.PersonID, 0);
    EXPECT_EQ(c.ContactTypeID, 0);
    EXPECT_EQ(c.Description, "only this");
    EXPECT_LE(SecondsApart(c.DateTime, before), 2.0);
}

TEST(V1DocumentContacts, ReadTheLocaleFormAndStampWhatCannotBeRead) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const DateTime before = FromLocalNow();
    const V1Document d = Loaded(
        "<Tidemark><Contacts>"
        "<Contact ID=\"1\"><DateTime>3/1/2005 9:05:07 PM</DateTime></Contact>"
        "<Contact ID=\"2\"><DateTime>12/24/1999</DateTime></Contact>"
        "<Contact ID=\"3\"><DateTime>sometime soon</DateTime></Contact>"
        "<Contact ID=\"4\"><DateTime>2/30/2005 1:00:00 AM</DateTime></Contact>"
        "<Contact ID=\"5\"><PersonID> +12abc</PersonID><ContactTypeID>-3</ContactTypeID>"
        "<DateTime>2005-03-01 09:05:00</DateTime><DateTime>13/13/2005</DateTime></Contact>"
        "</Contacts></Tidemark>");
    QLocale::setDefault(saved);
    EXPECT_EQ(FormatStoredTimeStamp(d.contacts.records.at(1).DateTime), "2005-03-01 21:05:07");
    EXPECT_EQ(FormatStoredTimeStamp(d.contacts.records.at(2).DateTime), "1999-12-24 00:00:00");
    EXPECT_LE(SecondsApart(d.contacts.records.at(3).DateTime, before), 2.0);
    EXPECT_LE(SecondsApart(d.contacts.records.at(4).DateTime, before), 2.0);
    // The last DateTime counts, and it cannot be read.
    EXPECT_LE(SecondsApart(d.contacts.records.at(5).DateTime, before), 2.0);
    EXPECT_EQ(d.contacts.records.at(5).PersonID, 12);
    EXPECT_EQ(d.contacts.records.at(5).ContactTypeID, -3);
}

TEST(V1DocumentFiles, ReadDecimalReadsAsTheOldReaderDid) {
    EXPECT_EQ(ReadDecimal("42"), 42);
    EXPECT_EQ(ReadDecimal(" \t\n-17xyz"), -17);
    EXPECT_EQ(ReadDecimal("+8"), 8);
    EXPECT_EQ(ReadDecimal("abc"), 0);
    EXPECT_EQ(ReadDecimal(""), 0);
    EXPECT_EQ(ReadDecimal("- 5"), 0);
    EXPECT_EQ(ReadDecimal("99999999999999999999"), 2147483647);
    EXPECT_EQ(ReadDecimal("-99999999999999999999"), -2147483647 - 1);
}

TEST(V1DocumentFiles, ReadWholeFileEndsWithOneNul) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.tch"));
    const std::string bytes("<a>\0\xFF</a>", 9);
    WriteBytes(path, bytes);
    const std::optional<std::string> text = ReadWholeFile(Local(path));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, bytes);
    EXPECT_EQ(text->c_str()[text->size()], '\0');

    WriteBytes(path, "");
    ASSERT_TRUE(ReadWholeFile(Local(path)).has_value());
    EXPECT_TRUE(ReadWholeFile(Local(path))->empty());

    EXPECT_FALSE(ReadWholeFile(Local(dir.filePath(QStringLiteral("missing.tch")))).has_value());
    EXPECT_FALSE(ReadWholeFile(Local(dir.path())).has_value());
}

}  // namespace
