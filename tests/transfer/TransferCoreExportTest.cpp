#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "Database.h"
#include "DateTime.h"
#include "Export.h"
#include "TestBook.h"
#include "TransferCoreTestSupport.h"
#include "TransferSettings.h"

namespace {

using transfer::ExportResult;
using transfer::TransferSettings;
using transfer_test::Exists;
using transfer_test::FileBytes;
using transfer_test::LocaleScope;
using transfer_test::WriteBytes;

constexpr char kTelephoneId[] = "9DC618A3-8452-4D33-A70BDB1C91FE";
constexpr char kEmailId[] = "03F6262A-4362-44A9-B770293650BB";

const char kAllPersonNames[] =
    R"("Title","FirstName","LastName","Company","Position","Address","City","State",)"
    R"("ZipCode","HomePhone","WorkPhone","WorkExtension","Fax","Pager","CelPhone","E-Mail",)"
    R"("WebPage")"
    "\n";

std::string Join(const std::vector<std::string>& pieces, const std::string& separator) {
    std::string text;
    for (size_t i = 0; i < pieces.size(); ++i) {
        text += (i == 0 ? "" : separator) + pieces[i];
    }
    return text;
}

// The header, then the record lines sorted: the contacts query has no order.
std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, text.size()) << "text after the last LF";
    if (!lines.empty()) {
        std::sort(lines.begin() + 1, lines.end());
    }
    return lines;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        out_ = book_.Path("out.csv");
    }

    TransferSettings Persons(const std::vector<std::string>& fields, const std::string& separator,
                             const std::string& encloser) const {
        TransferSettings settings = TransferSettings::ForPersonExport();
        settings.selectedFields = fields;
        settings.separator = separator;
        settings.encloser = encloser;
        settings.filePath = out_;
        return settings;
    }
    TransferSettings Contacts(const std::vector<std::string>& fields) const {
        TransferSettings settings = TransferSettings::ForContactExport();
        settings.selectedFields = fields;
        settings.separator = ",";
        settings.encloser = "\"";
        settings.filePath = out_;
        return settings;
    }

    TestBook book_;
    std::string path_;
    std::string out_;
};

TEST(ExportQueries, AreSentAsWritten) {
    const std::string gap(33, ' ');
    EXPECT_EQ(std::string(transfer::kPersonsQuery),
              "SELECT Title, FName, LName, Company, Position," + gap +
                  "Addr, City, State, Zip, HmPhone, WkPhone, WkExt," + gap +
                  "WkFax, Pager, CelPhone, Email, WebPage FROM Person");
    EXPECT_EQ(std::string(transfer::kPersonsQuery),
              "SELECT Title, FName, LName, Company, Position,                                 "
              "Addr, City, State, Zip, HmPhone, WkPhone, WkExt,                                 "
              "WkFax, Pager, CelPhone, Email, WebPage FROM Person");
    // The person's company names whose contact it is where the person has no name.
    EXPECT_EQ(std::string(transfer::kContactsQuery),
              "SELECT Person.FName AS FName, Person.LName AS LName, Person.Company AS Company, "
              "Contact.DtTm, Contact.Description, ContactType.Description AS TypeDesc FROM "
              "Contact, Person, ContactType WHERE Contact.PersonID = Person.ID AND "
              "Contact.ContactTypeID = ContactType.ID");
}

TEST(ExportSettings, ListTheFieldsInTheirOrder) {
    EXPECT_EQ(TransferSettings::ForPersonExport().availableFields,
              (std::vector<std::string>{"Title", "FirstName", "LastName", "Company", "Position",
                                        "Address", "City", "State", "ZipCode", "HomePhone",
                                        "WorkPhone", "WorkExtension", "Fax", "Pager", "CelPhone",
                                        "E-Mail", "WebPage"}));
    EXPECT_EQ(TransferSettings::ForContactExport().availableFields,
              (std::vector<std::string>{"FirstName", "LastName", "Company", "Date", "Time",
                                        "Description", "ContactType"}));
    // Only the company is ticked at the start, so that every contact says whose it is.
    EXPECT_EQ(TransferSettings::ForContactExport().checkedAtStart,
              (std::vector<std::string>{"Company"}));
    EXPECT_TRUE(TransferSettings::ForPersonExport().checkedAtStart.empty());
}

TEST_F(ExportTest, EveryPersonFieldGoesOutInListOrderWhateverOrderItWasChosenIn) {
    PersonRecord p;
    p[PersonRecord::Title] = "Dr.";
    p[PersonRecord::FName] = "Ann";
    p[PersonRecord::LName] = "Lee";
    p[PersonRecord::Company] = "Acme";
    p[PersonRecord::Position] = "Boss";
    p[PersonRecord::Addr] = "1 Main St";
    p[PersonRecord::City] = "Springfield";
    p[PersonRecord::State] = "IL";
    p[PersonRecord::Zip] = "62701";
    p[PersonRecord::HmPhone] = "555-0101";
    p[PersonRecord::WkPhone] = "555-0102";
    p[PersonRecord::WkExt] = "12";
    p[PersonRecord::CelPhone] = "555-0103 cell";
    p[PersonRecord::Pager] = "555-0104 pager";
    p[PersonRecord::WkFax] = "555-0105 fax";
    p[PersonRecord::Email] = "ann@example.com";
    p[PersonRecord::WebPage] = "http://example.com/";
    TestBook::AddPerson(path_, p);
    std::vector<std::string> chosen = TransferSettings::ForPersonExport().availableFields;
    std::reverse(chosen.begin(), chosen.end());

    const ExportResult result = transfer::ExportPersons(path_, Persons(chosen, ",", "\""));
    EXPECT_EQ(result.outcome, ExportResult::Outcome::Written);
    EXPECT_EQ(result.records, 1);
    EXPECT_EQ(FileBytes(out_), std::string(kAllPersonNames) +
                                   R"("Dr.","Ann","Lee","Acme","Boss","1 Main St","Springfield",)"
                                   R"("IL","62701","555-0101","555-0102","12","555-0105 fax",)"
                                   R"("555-0104 pager","555-0103 cell","ann@example.com",)"
                                   R"("http://example.com/")"
                                   "\n");
}

TEST_F(ExportTest, EmptyValuesAddNothingAndQuotedWordsAreDoubled) {
    TestBook::AddPerson(path_, "Sean \"Jack\"", "O'Brien", "");
    TestBook::AddPerson(path_, "", "Lee", "Acme");
    int records = 0;
    const std::string text = transfer::PersonsText(
        path_, Persons({"Company", "FirstName", "LastName"}, ",", "\""), records);
    EXPECT_EQ(records, 2);
    EXPECT_EQ(text,
              "\"FirstName\",\"LastName\",\"Company\"\n"
              "\"Sean \"\"Jack\"\"\",\"O'Brien\",\n"
              ",\"Lee\",\"Acme\"\n");
}

TEST_F(ExportTest, EverySeparatorWithEveryEncloser) {
    PersonRecord p;
    p[PersonRecord::FName] = "Ann";
    p[PersonRecord::LName] = "O'Neil \"Red\"";
    p[PersonRecord::State] = "N\"Y";
    TestBook::AddPerson(path_, p);
    struct Row {
        std::string encloser;
        std::vector<std::string> header;
        std::vector<std::string> values;
    };
    const Row rows[] = {
        {"\"",
         {"\"FirstName\"", "\"LastName\"", "\"Company\"", "\"State\""},
         {"\"Ann\"", "\"O'Neil \"\"Red\"\"\"", "", "\"N\"\"Y\""}},
        {"'",
         {"'FirstName'", "'LastName'", "'Company'", "'State'"},
         {"'Ann'", "'O''Neil \"Red\"'", "", "'N\"Y'"}},
        {"", {"FirstName", "LastName", "Company", "State"}, {"Ann", "O'Neil \"Red\"", "", "N\"Y"}},
    };
    for (const char* separator : {",", ";", "|", " ", "\t"}) {
        for (const Row& row : rows) {
            SCOPED_TRACE("separator '" + std::string(separator) + "' encloser '" + row.encloser +
                         "'");
            int records = 0;
            const std::string text = transfer::PersonsText(
                path_,
                Persons({"State", "Company", "LastName", "FirstName"}, separator, row.encloser),
                records);
            EXPECT_EQ(records, 1);
            EXPECT_EQ(text,
                      Join(row.header, separator) + "\n" + Join(row.values, separator) + "\n");
        }
    }
}

TEST_F(ExportTest, EachAddressLineBreakBecomesOneSpace) {
    PersonRecord p;
    p[PersonRecord::LName] = "Lee";
    p[PersonRecord::Addr] = "1 Main St\r\nApt 2\r\n\r\nSpringfield";
    TestBook::AddPerson(path_, p);
    int records = 0;
    EXPECT_EQ(transfer::PersonsText(path_, Persons({"LastName", "Address"}, ";", ""), records),
              "LastName;Address\nLee;1 Main St Apt 2  Springfield\n");
    EXPECT_EQ(transfer::PersonsText(path_, Persons({"Address"}, ",", "\""), records),
              "\"Address\"\n\"1 Main St Apt 2  Springfield\"\n");
}

TEST_F(ExportTest, NoFieldCheckedGivesEmptyLines) {
    TestBook::AddPerson(path_, "Ann", "Lee");
    TestBook::AddPerson(path_, "Bob", "Ray");
    const ExportResult result = transfer::ExportPersons(path_, Persons({}, ",", "\""));
    EXPECT_EQ(result.outcome, ExportResult::Outcome::Written);
    EXPECT_EQ(result.records, 2);
    EXPECT_EQ(FileBytes(out_), "\n\n\n");
}

TEST_F(ExportTest, StoredWindows1252TextComesOutAsUtf8) {
    TestBook::AddPerson(path_, "J\xFCrgen", "M\xFCller", "Caf\xE9 \x80");
    TestBook::AddPerson(path_, "Z\xC3\xBCri",
                        "Stra\xC3\x9F"
                        "e",
                        "");
    int records = 0;
    EXPECT_EQ(transfer::PersonsText(path_, Persons({"FirstName", "LastName", "Company"}, ",", "\""),
                                    records),
              "\"FirstName\",\"LastName\",\"Company\"\n"
              "\"J\xC3\xBCrgen\",\"M\xC3\xBCller\",\"Caf\xC3\xA9 \xE2\x82\xAC\"\n"
              "\"Z\xC3\xBCri\",\"Stra\xC3\x9F"
              "e\",\n");
}

TEST_F(ExportTest, ByteOrderMarkOnlyWhenAsked) {
    TestBook::AddPerson(path_, "Ann", "Lee");
    TransferSettings settings = Persons({"LastName"}, ",", "\"");
    ASSERT_EQ(transfer::ExportPersons(path_, settings).outcome, ExportResult::Outcome::Written);
    EXPECT_EQ(FileBytes(out_), "\"LastName\"\n\"Lee\"\n");
    settings.utf8Mark = true;
    ASSERT_EQ(transfer::ExportPersons(path_, settings).outcome, ExportResult::Outcome::Written);
    EXPECT_EQ(FileBytes(out_), "\xEF\xBB\xBF\"LastName\"\n\"Lee\"\n");
}

TEST_F(ExportTest, ContactsInTheLocalesDateAndTimeFormats) {
    const RecordId mary = TestBook::AddPerson(path_, "Mary", "Smith");
    TestBook::AddContact(path_, mary, "2005-03-01 21:05:00", "call\r\nback", kTelephoneId);
    TestBook::AddContact(path_, mary, "not a date", "broken", kEmailId);
    // Neither is exported: one has no person, the other no contact type.
    TestBook::AddContact(path_, "no such person", "2005-03-02 10:00:00", "orphan", kTelephoneId);
    TestBook::AddContact(path_, mary, "2005-03-03 10:00:00", "untyped", "no such type");
    const std::vector<std::string> all = TransferSettings::ForContactExport().availableFields;
    const std::string header =
        R"("FirstName","LastName","Company","Date","Time","Description","ContactType")";
    {
        LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
        int records = 0;
        EXPECT_EQ(SortedLines(transfer::ContactsText(path_, Contacts(all), records)),
                  (std::vector<std::string>{
                      header,
                      // '"' sorts before ','.
                      R"("Mary","Smith",,"01.03.2005","21:05:00","call  back","Telephone")",
                      R"("Mary","Smith",,,,"broken","Email")"}));
        EXPECT_EQ(records, 2);
    }
    {
        LocaleScope american(QLocale(QLocale::English, QLocale::UnitedStates));
        const std::string time = FormatDisplayTime(DateTime::FromFields(2005, 3, 1, 21, 5, 0));
        EXPECT_EQ(time.substr(0, 7), "9:05:00");
        EXPECT_NE(time.find("PM"), std::string::npos);
        int records = 0;
        EXPECT_EQ(
            SortedLines(transfer::ContactsText(path_, Contacts(all), records)),
            (std::vector<std::string>{
                header, R"("Mary","Smith",,"3/1/2005",")" + time + R"(","call  back","Telephone")",
                R"("Mary","Smith",,,,"broken","Email")"}));
    }
}

TEST_F(ExportTest, ContactsOfACompanyWithoutANameSayWhoseTheyAre) {
    const RecordId acme = TestBook::AddPerson(path_, "", "", "Acme \"Tools\"");
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Lee", "Lee & Co");
    TestBook::AddContact(path_, acme, "2005-03-01 21:05:00", "order", kTelephoneId);
    TestBook::AddContact(path_, ann, "2005-03-02 09:00:00", "visit", kTelephoneId);
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    int records = 0;
    EXPECT_EQ(SortedLines(transfer::ContactsText(
                  path_, Contacts({"FirstName", "LastName", "Company", "Description"}), records)),
              (std::vector<std::string>{R"("FirstName","LastName","Company","Description")",
                                        R"("Ann","Lee","Lee & Co","visit")",
                                        R"(,,"Acme ""Tools""","order")"}));
    // The company alone, as the Fields page starts.
    EXPECT_EQ(SortedLines(transfer::ContactsText(path_, Contacts({"Company"}), records)),
              (std::vector<std::string>{R"("Company")", R"("Acme ""Tools""")", R"("Lee & Co")"}));
}

TEST_F(ExportTest, ChosenContactFieldsInListOrderAndWindows1252AsUtf8) {
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    TestBook::Execute(path_, "INSERT INTO ContactType VALUES('T-1', 'B\xFCro')");
    const RecordId person = TestBook::AddPerson(path_, "J\xFCrgen", "Lee");
    TestBook::AddContact(path_, person, "2006-12-24 08:30:15",
                         "Gr\xFC\xDF"
                         "e",
                         "T-1");
    const ExportResult result = transfer::ExportContacts(
        path_, Contacts({"ContactType", "Time", "Description", "FirstName"}));
    EXPECT_EQ(result.outcome, ExportResult::Outcome::Written);
    EXPECT_EQ(result.records, 1);
    EXPECT_EQ(FileBytes(out_),
              "\"FirstName\",\"Time\",\"Description\",\"ContactType\"\n"
              "\"J\xC3\xBCrgen\",\"08:30:15\",\"Gr\xC3\xBC\xC3\x9F"
              "e\",\"B\xC3\xBCro\"\n");
}

TEST_F(ExportTest, EmptyTableLeavesAnExistingFileAsItWas) {
    WriteBytes(out_, "old\r\ncontent");
    ExportResult result = transfer::ExportPersons(path_, Persons({"LastName"}, ",", "\""));
    EXPECT_EQ(result.outcome, ExportResult::Outcome::NothingToExport);
    EXPECT_EQ(result.records, 0);
    EXPECT_EQ(FileBytes(out_), "old\r\ncontent");

    // A person but no contact: the contact table is still empty.
    TestBook::AddPerson(path_, "Ann", "Lee");
    result = transfer::ExportContacts(path_, Contacts({"LastName"}));
    EXPECT_EQ(result.outcome, ExportResult::Outcome::NothingToExport);
    EXPECT_EQ(FileBytes(out_), "old\r\ncontent");

    // And no file is made where there was none.
    TestBook other;
    const std::string empty = other.Create();
    TransferSettings settings = Persons({"LastName"}, ",", "\"");
    settings.filePath = other.Path("new.csv");
    EXPECT_EQ(transfer::ExportPersons(empty, settings).outcome,
              ExportResult::Outcome::NothingToExport);
    EXPECT_FALSE(Exists(settings.filePath));
}

TEST_F(ExportTest, PathInAMissingFolderIsAFileFailure) {
    const RecordId person = TestBook::AddPerson(path_, "Ann", "Lee");
    TestBook::AddContact(path_, person, "2005-03-01 21:05:00", "call", kTelephoneId);
    TransferSettings settings = Persons({"LastName"}, ",", "\"");
    settings.filePath = book_.Path("missing/out.csv");
    ExportResult result = transfer::ExportPersons(path_, settings);
    EXPECT_EQ(result.outcome, ExportResult::Outcome::FileFailure);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(result.records, 0);

    TransferSettings contacts = Contacts({"LastName"});
    contacts.filePath = settings.filePath;
    result = transfer::ExportContacts(path_, contacts);
    EXPECT_EQ(result.outcome, ExportResult::Outcome::FileFailure);
    EXPECT_FALSE(result.message.empty());
    EXPECT_FALSE(Exists(book_.Path("missing")));
}

TEST_F(ExportTest, PathOfAFolderIsAFileFailureThatLeavesTheFolderAlone) {
    TestBook::AddPerson(path_, "Ann", "Lee");
    const QDir folder(book_.Folder());
    ASSERT_TRUE(folder.mkdir("target"));
    WriteBytes(book_.Path("target/inside.txt"), "kept");
    const QStringList before = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    TransferSettings settings = Persons({"LastName"}, ",", "\"");
    settings.filePath = book_.Path("target");

    const ExportResult result = transfer::ExportPersons(path_, settings);
    EXPECT_EQ(result.outcome, ExportResult::Outcome::FileFailure);
    EXPECT_FALSE(result.message.empty());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(settings.filePath)).isDir());
    EXPECT_EQ(FileBytes(book_.Path("target/inside.txt")), "kept");
    // No half-written file is left beside it either.
    EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
}

TEST_F(ExportTest, FileInAReadOnlyFolderIsLeftAsItWas) {
    TestBook::AddPerson(path_, "Ann", "Lee");
    const QString locked = book_.Folder() + "/locked";
    ASSERT_TRUE(QDir().mkdir(locked));
    const std::string target = (locked + "/out.csv").toStdString();
    WriteBytes(target, "old");
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    // Permissions do not stop a privileged user: then nothing here can fail.
    QFile probe(locked + "/probe");
    const bool writable = probe.open(QIODevice::WriteOnly);
    if (writable) {
        probe.remove();
    }
    TransferSettings settings = Persons({"LastName"}, ",", "\"");
    settings.filePath = target;
    const ExportResult result =
        writable ? ExportResult() : transfer::ExportPersons(path_, settings);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (writable) {
        GTEST_SKIP() << "folder permissions do not apply to this user";
    }
    EXPECT_EQ(result.outcome, ExportResult::Outcome::FileFailure);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(FileBytes(target), "old");
}

TEST_F(ExportTest, LockedDatabaseIsADatabaseFailureAndWritesNoFile) {
    const RecordId person = TestBook::AddPerson(path_, "Ann", "Lee");
    TestBook::AddContact(path_, person, "2005-03-01 21:05:00", "call", kTelephoneId);
    const TransferSettings persons = Persons({"LastName"}, ",", "\"");
    const TransferSettings contacts = Contacts({"LastName"});
    {
        cppsqlite3::Database locker;
        locker.Open(path_);
        locker.CreateStatement().Execute("BEGIN EXCLUSIVE");
        for (const ExportResult& result :
             {transfer::ExportPersons(path_, persons), transfer::ExportContacts(path_, contacts)}) {
            EXPECT_EQ(result.outcome, ExportResult::Outcome::DatabaseFailure);
            EXPECT_EQ(result.message, "The database file is locked");
            EXPECT_EQ(result.records, 0);
        }
        EXPECT_FALSE(Exists(out_));
    }
    // Once the lock is gone the same export works.
    EXPECT_EQ(transfer::ExportPersons(path_, persons).outcome, ExportResult::Outcome::Written);
}

}  // namespace

namespace {

TEST_F(ExportTest, OnlyThePersonsShownInTheListWhenAsked) {
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    const RecordId cy = TestBook::AddPerson(path_, "Cy", "Clark");
    TransferSettings settings = Persons({"LastName"}, ",", "");
    settings.shownPersons = {cy, ann};
    settings.onlyShown = true;
    const ExportResult result = transfer::ExportPersons(path_, settings);
    EXPECT_EQ(result.records, 2);
    EXPECT_EQ(SortedLines(FileBytes(out_)),
              (std::vector<std::string>{"LastName", "Adams", "Clark"}));
    // Offered but not taken: every person goes out.
    settings.onlyShown = false;
    EXPECT_EQ(transfer::ExportPersons(path_, settings).records, 3);
    // Taken, with none of those shown left in the file: nothing to export.
    TestBook::Execute(path_, "DELETE FROM Person WHERE ID IN ('" + ann + "', '" + cy + "')");
    settings.onlyShown = true;
    EXPECT_EQ(transfer::ExportPersons(path_, settings).outcome,
              ExportResult::Outcome::NothingToExport);
}

}  // namespace
