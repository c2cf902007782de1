#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ColumnNames.h"
#include "Database.h"
#include "DateTime.h"
#include "Export.h"
#include "Import.h"
#include "RecordEditing.h"
#include "TestBook.h"
#include "TransferCoreTestSupport.h"
#include "TransferSettings.h"

namespace {

using transfer::ImportResult;
using transfer::LineTokenizer;
using transfer::TransferSettings;
using transfer_test::FileBytes;
using transfer_test::StoredPersons;
using transfer_test::WriteBytes;
using P = PersonRecord;

constexpr char kOldStamp[] = "2001-02-03 04:05:06";

TransferSettings Columns(const std::vector<std::string>& fields, bool firstLineHasNames = true) {
    TransferSettings settings = TransferSettings::ForPersonImport();
    settings.separator = ",";
    settings.encloser = "\"";
    settings.firstLineHasNames = firstLineHasNames;
    settings.columnCount = static_cast<int>(fields.size());
    settings.selectedFields = fields;
    return settings;
}

const std::vector<std::string> kNameColumns = {"FirstName", "LastName", "Company"};

std::vector<PersonRecord> Read(const std::string& text,
                               const std::vector<std::string>& fields = kNameColumns,
                               bool firstLineHasNames = true) {
    return transfer::ReadPersons(text, Columns(fields, firstLineHasNames));
}

// First name, last name and company of each person.
std::vector<std::vector<std::string>> Names(const std::vector<PersonRecord>& persons) {
    std::vector<std::vector<std::string>> names;
    for (const PersonRecord& p : persons) {
        names.push_back({p[P::FName], p[P::LName], p[P::Company]});
    }
    return names;
}

using NameRows = std::vector<std::vector<std::string>>;

TEST(ImportSettings, ListTheImportFieldsInTheOrderOfThePersonTable) {
    const TransferSettings settings = TransferSettings::ForPersonImport();
    EXPECT_EQ(settings.availableFields,
              (std::vector<std::string>{"Title", "FirstName", "LastName", "Company", "Position",
                                        "Address", "City", "State", "ZipCode", "HomePhone",
                                        "WorkPhone", "WorkExtension", "CelPhone", "Pager", "Fax",
                                        "Email", "WebPage"}));
    const P::Field fields[] = {P::Title,    P::FName, P::LName, P::Company, P::Position, P::Addr,
                               P::City,     P::State, P::Zip,   P::HmPhone, P::WkPhone,  P::WkExt,
                               P::CelPhone, P::Pager, P::WkFax, P::Email,   P::WebPage};
    for (size_t i = 0; i < settings.availableFields.size(); ++i) {
        EXPECT_EQ(transfer::ImportField(settings.availableFields[i]), fields[i])
            << settings.availableFields[i];
    }
    EXPECT_EQ(transfer::ImportField("E-Mail"), P::FieldCount);
    EXPECT_EQ(transfer::ImportField(""), P::FieldCount);
}

TEST(ReadPersons, PlaceholderWordsReadAsEmpty) {
    EXPECT_EQ(Names(Read("First,Last,Company\nAnn,EMPTY FIELD,EOF\n\"EOF\",Lee,\"EMPTY FIELD\"\n")),
              (NameRows{{"Ann", "", ""}, {"", "Lee", ""}}));
    // Only the whole field is a placeholder.
    EXPECT_EQ(Names(Read("F,L,C\nAnn,EOF2,EMPTY FIELDS\n")),
              (NameRows{{"Ann", "EOF2", "EMPTY FIELDS"}}));
}

TEST(ReadPersons, KeepsOnlyRecordsWithANameOrCompany) {
    const std::vector<std::string> columns = {"FirstName", "LastName", "Company", "City"};
    EXPECT_EQ(Names(Read("F,L,C,City\n"
                         "Ann,,,\n"
                         ",Lee,,\n"
                         ",,Acme,\n"
                         ",,,Paris\n"
                         "\" \",\"\t\",,Rome\n"
                         ",,,\n",
                         columns)),
              (NameRows{{"Ann", "", ""}, {"", "Lee", ""}, {"", "", "Acme"}}));
}

TEST(ReadPersons, TrimsNamesButNoOtherField) {
    const std::vector<std::string> columns = {"FirstName", "LastName", "Company", "City"};
    const std::vector<PersonRecord> persons = Read(
        "F,L,C,City\n\" Mary Ann \",\" van  Dyke\t\",\" Acme  Inc \",\" Old Town \"\n"
        "Bob ,Ray ,Co ,Paris \n",
        columns);
    ASSERT_EQ(persons.size(), 2u);
    EXPECT_EQ(persons[0][P::FName], "Mary Ann");
    EXPECT_EQ(persons[0][P::LName], "van  Dyke");
    EXPECT_EQ(persons[0][P::Company], " Acme  Inc ");
    EXPECT_EQ(persons[0][P::City], " Old Town ");
    EXPECT_EQ(persons[1][P::FName], "Bob");
    EXPECT_EQ(persons[1][P::LName], "Ray");
    // The blank before a separator is the field's; at the line's end the tokenizer takes it.
    EXPECT_EQ(persons[1][P::Company], "Co ");
    EXPECT_EQ(persons[1][P::City], "Paris");
}

TEST(ReadPersons, ColumnsGoWhereAssigned) {
    const std::vector<std::string> columns = {"Email", "",      "LastName", "Title",
                                              "Fax",   "Pager", "CelPhone"};
    const std::vector<PersonRecord> persons =
        Read("a,b,c,d,e,f,g\nann@example.com,skipped,Lee,Dr.,1,2,3\n", columns);
    ASSERT_EQ(persons.size(), 1u);
    PersonRecord expected;
    expected[P::Email] = "ann@example.com";
    expected[P::LName] = "Lee";
    expected[P::Title] = "Dr.";
    expected[P::WkFax] = "1";
    expected[P::Pager] = "2";
    expected[P::CelPhone] = "3";
    EXPECT_EQ(persons[0].fields, expected.fields);
}

TEST(ReadPersons, ShortRecordsLeaveTheRestEmptyAndExtraFieldsAreIgnored) {
    const std::vector<PersonRecord> persons =
        Read("Ann\nBob,Ray\nCy,Lo,Acme,extra,more\n", kNameColumns, false);
    EXPECT_EQ(Names(persons),
              (NameRows{{"Ann", "", ""}, {"Bob", "Ray", ""}, {"Cy", "Lo", "Acme"}}));
    for (const PersonRecord& p : persons) {
        for (int f = P::Position; f < P::FieldCount; ++f) {
            EXPECT_EQ(p.fields[f], "");
        }
    }
}

TEST(ReadPersons, LinesAndLineEnds) {
    // Blank lines are dropped; CR LF ends lines; the last line needs no LF.
    EXPECT_EQ(Names(Read("F,L,C\r\n\r\nAnn,Lee\r\n   \r\n\nBob,Ray\r\nCy,Lo", kNameColumns)),
              (NameRows{{"Ann", "Lee", ""}, {"Bob", "Ray", ""}, {"Cy", "Lo", ""}}));
    // Without names in the first line it is a record like the others.
    EXPECT_EQ(Names(Read("Ann,Lee\nBob,Ray", kNameColumns, false)),
              (NameRows{{"Ann", "Lee", ""}, {"Bob", "Ray", ""}}));
    EXPECT_TRUE(Read("F,L,C\n").empty());
    EXPECT_TRUE(Read("").empty());
}

TEST(ReadPersons, VeryLongLineIsReadWhole) {
    const std::string company(10000, 'c');
    const std::vector<PersonRecord> persons = Read("F,L,C\nAnn,Lee," + company + "\nBob,Ray\n");
    ASSERT_EQ(persons.size(), 2u);
    EXPECT_EQ(persons[0][P::Company], company);
    EXPECT_EQ(persons[1][P::FName], "Bob");
}

TEST(ReadPersons, EnclosedLineBreaksAreStoredAsCrLf) {
    const std::vector<std::string> columns = {"FirstName", "LastName", "Address", "City"};
    const std::vector<PersonRecord> persons = Read(
        "F,L,A,C\n"
        "Ann,Lee,\"1 Main St\nApt 2\",Paris\n"
        "Bob,Ray,\"x\r\ny\r\n\r\nz\",Rome\r\n"
        "Cy,Lo,\"say \"\"hi\nthere\"\"\",Oslo\n"
        "Di,Wu,\"\\n\",Bern\n",
        columns);
    ASSERT_EQ(persons.size(), 4u);
    EXPECT_EQ(persons[0][P::Addr], "1 Main St\r\nApt 2");
    EXPECT_EQ(persons[0][P::City], "Paris");
    EXPECT_EQ(persons[1][P::Addr], "x\r\ny\r\n\r\nz");
    EXPECT_EQ(persons[1][P::City], "Rome");
    EXPECT_EQ(persons[2][P::Addr], "say \"hi\r\nthere\"");
    EXPECT_EQ(persons[2][P::City], "Oslo");
    EXPECT_EQ(persons[3][P::Addr], "\r\n");
}

TEST(ReadPersons, AStrayQuoteDoesNotSwallowTheNextRecords) {
    EXPECT_EQ(Names(Read("F,L,C\n\"Ann\" ,Lee,\"Acme\"x\nBob,Ray,Co\n")),
              (NameRows{{"Ann", "Lee", "Acmex"}, {"Bob", "Ray", "Co"}}));
}

TEST(RecordReader, JoinsTheLinesOfAnOpenField) {
    const LineTokenizer tokenizer(',', '"');
    transfer::RecordReader reader("a,\"b\r\nc\",d\n\"e\nf\ng\"\r\nh\n\"open", tokenizer);
    std::vector<std::string> records;
    std::string record;
    while (reader.Next(record)) {
        records.push_back(record);
    }
    EXPECT_EQ(records,
              (std::vector<std::string>{"a,\"b\r\nc\",d", "\"e\r\nf\r\ng\"", "h", "\"open"}));
}

TEST(FirstLine, IsTheFirstLineThatIsNotBlank) {
    // Its white space stays for the tokenizer, which keeps a separator that is white space.
    EXPECT_EQ(transfer::FirstLine("  a,b \t\r\nc,d\n"), "  a,b \t");
    EXPECT_EQ(transfer::FirstLine("\r\n \t\r\n\n\tName\tCity\nx"), "\tName\tCity");
    EXPECT_EQ(transfer::FirstLine("\r\rName,City\rAnn,Oslo"), "Name,City");
    EXPECT_EQ(transfer::FirstLine("a,b"), "a,b");
    EXPECT_EQ(transfer::FirstLine(""), "");
    EXPECT_EQ(transfer::FirstLine("\n \n"), "");
    const std::string longLine(5000, 'x');
    EXPECT_EQ(transfer::FirstLine(longLine + "\nrest"), longLine);
}

class ReadTextFileTest : public ::testing::Test {
protected:
    std::optional<std::string> ReadBytes(const std::string& bytes) {
        const std::string path = book_.Path("in.csv");
        WriteBytes(path, bytes);
        return transfer::ReadTextFile(path);
    }
    TestBook book_;
};

TEST_F(ReadTextFileTest, Utf8WithAndWithoutTheMark) {
    EXPECT_EQ(ReadBytes("First,Last\nAnn,M\xC3\xBCller\n"), "First,Last\nAnn,M\xC3\xBCller\n");
    EXPECT_EQ(ReadBytes("\xEF\xBB\xBF"
                        "First,Last\nAnn,M\xC3\xBCller\n"),
              "First,Last\nAnn,M\xC3\xBCller\n");
    EXPECT_EQ(ReadBytes(""), "");
}

TEST_F(ReadTextFileTest, Windows1252BecomesUtf8) {
    EXPECT_EQ(ReadBytes("M\xFCller,\x80,caf\xE9\r\n"),
              "M\xC3\xBCller,\xE2\x82\xAC,caf\xC3\xA9\r\n");
}

TEST_F(ReadTextFileTest, Utf16BothByteOrders) {
    // "Name,Müller😀\r\n": the last character takes two UTF-16 units.
    const std::vector<char16_t> units = {u'N', u'a', u'm', u'e',   u',',   u'M',  u'\u00FC', u'l',
                                         u'l', u'e', u'r', 0xD83D, 0xDE00, u'\r', u'\n'};
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (const char16_t unit : units) {
        little += static_cast<char>(unit & 0xFF);
        little += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit & 0xFF);
    }
    const std::string expected = "Name,M\xC3\xBCller\xF0\x9F\x98\x80\r\n";
    EXPECT_EQ(ReadBytes(little), expected);
    EXPECT_EQ(ReadBytes(big), expected);
}

TEST_F(ReadTextFileTest, MissingFileIsNothing) {
    EXPECT_FALSE(transfer::ReadTextFile(book_.Path("missing.csv")).has_value());
    EXPECT_FALSE(transfer::ReadTextFile(book_.Folder().toStdString()).has_value());
}

TEST(InsertPersonSql, WithTheImportsStamp) {
    PersonRecord p;
    for (int f = 0; f < P::FieldCount; ++f) {
        p.fields[f] = "v" + std::to_string(f + 1);
    }
    p[P::LName] = "O'Brien";
    EXPECT_EQ(editing::InsertPersonSql("ID", p, "2006-01-02 03:04:05"),
              "INSERT INTO Person VALUES('ID', 'v1', 'v2', 'O''Brien', 'v4', 'v5', 'v6', 'v7', "
              "'v8', 'v9', 'v10', 'v11', 'v12', 'v13', 'v14', 'v15', 'v16', 'v17', "
              "'2006-01-02 03:04:05')");
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
        in_ = book_.Path("in.csv");
    }

    TransferSettings Settings(const std::vector<std::string>& fields = kNameColumns) const {
        TransferSettings settings = Columns(fields);
        settings.filePath = in_;
        return settings;
    }
    std::string Query(const std::string& sql) const { return TestBook::QueryText(path_, sql); }
    std::string Count() const { return Query("SELECT count(*) FROM Person"); }

    TestBook book_;
    std::string path_;
    std::string in_;
};

TEST_F(ImportTest, StoresEveryPersonWithOneStampOfTheImportsTime) {
    const RecordId before = TestBook::AddPerson(path_, "Old", "Timer");
    TestBook::Execute(path_, "UPDATE Person SET TmStamp = '1999-09-09 09:09:09'");
    WriteBytes(in_,
               "F,L,C\nSean,O'Brien,\"Smith, Jones & Co\"\nJ\xFCrgen,M\xFCller,\nAnn,Lee,Acme\n");
    const std::string earliest = FormatStoredTimeStamp(FromLocalNow());
    const ImportResult result = transfer::ImportPersons(path_, Settings());
    const std::string latest = FormatStoredTimeStamp(FromLocalNow());

    EXPECT_EQ(result.outcome, ImportResult::Outcome::Imported);
    EXPECT_EQ(result.persons, 3);
    EXPECT_EQ(Count(), "4");
    EXPECT_EQ(Query("SELECT LName FROM Person WHERE FName = 'Sean'"), "O'Brien");
    EXPECT_EQ(Query("SELECT Company FROM Person WHERE FName = 'Sean'"), "Smith, Jones & Co");
    EXPECT_EQ(Query("SELECT LName FROM Person WHERE Company = '' AND FName <> 'Old'"),
              "M\xC3\xBCller");
    EXPECT_EQ(Query("SELECT FName FROM Person WHERE LName = 'M\xC3\xBCller'"), "J\xC3\xBCrgen");
    // Each person has an identifier of its own.
    EXPECT_EQ(Query("SELECT count(DISTINCT ID) FROM Person"), "4");

    EXPECT_EQ(Query("SELECT count(DISTINCT TmStamp) FROM Person WHERE ID <> '" + before + "'"),
              "1");
    const std::string stamp = Query("SELECT TmStamp FROM Person WHERE FName = 'Ann'");
    EXPECT_EQ(stamp.size(), 19u);
    EXPECT_EQ(ParseDateTime(stamp).IsValid(), true) << stamp;
    EXPECT_EQ(FormatStoredTimeStamp(ParseDateTime(stamp)), stamp);
    EXPECT_LE(earliest, stamp);
    EXPECT_LE(stamp, latest);
    EXPECT_EQ(Query("SELECT TmStamp FROM Person WHERE ID = '" + before + "'"),
              "1999-09-09 09:09:09");
    EXPECT_EQ(Query("SELECT S FROM Globals"), kOldStamp);
}

TEST_F(ImportTest, AllOrNothing) {
    // The second insert fails (the persons of one import share their stamp): the first must not
    // stay.
    TestBook::Execute(path_, "CREATE UNIQUE INDEX OneStamp ON Person(TmStamp)");
    WriteBytes(in_, "F,L,C\nAnn,Lee,\nBob,Refused,\nCy,Lo,\n");
    const ImportResult result = transfer::ImportPersons(path_, Settings());
    EXPECT_EQ(result.outcome, ImportResult::Outcome::DatabaseFailure);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(result.persons, 0);
    EXPECT_EQ(Count(), "0");
    EXPECT_EQ(Query("SELECT S FROM Globals"), kOldStamp);
}

TEST_F(ImportTest, LockedDatabaseIsADatabaseFailureAndAddsNobody) {
    TestBook::AddPerson(path_, "Old", "Timer");
    WriteBytes(in_, "F,L,C\nAnn,Lee,\nBob,Ray,\n");
    for (const char* lock : {"BEGIN IMMEDIATE", "BEGIN EXCLUSIVE"}) {
        SCOPED_TRACE(lock);
        {
            cppsqlite3::Database locker;
            locker.Open(path_);
            locker.CreateStatement().Execute(lock);
            const ImportResult result = transfer::ImportPersons(path_, Settings());
            EXPECT_EQ(result.outcome, ImportResult::Outcome::DatabaseFailure);
            EXPECT_EQ(result.message, "The database file is locked");
            EXPECT_EQ(result.persons, 0);
        }
        EXPECT_EQ(Count(), "1");
    }
    EXPECT_EQ(transfer::ImportPersons(path_, Settings()).persons, 2);
    EXPECT_EQ(Count(), "3");
}

TEST_F(ImportTest, UnreadableFileIsNotRead) {
    const std::string bytes = FileBytes(path_);
    const ImportResult result = transfer::ImportPersons(path_, Settings());
    EXPECT_EQ(result.outcome, ImportResult::Outcome::NotRead);
    EXPECT_EQ(result.persons, 0);
    EXPECT_EQ(FileBytes(path_), bytes);
}

TEST_F(ImportTest, FileWithoutPersonsTouchesNothing) {
    TestBook::AddPerson(path_, "Old", "Timer");
    const std::string bytes = FileBytes(path_);
    for (const char* text : {"", "F,L,C\n", "F,L,C\n,,\n  \n,,EMPTY FIELD\n"}) {
        WriteBytes(in_, text);
        const ImportResult result = transfer::ImportPersons(path_, Settings());
        EXPECT_EQ(result.outcome, ImportResult::Outcome::Imported);
        EXPECT_EQ(result.persons, 0);
    }
    EXPECT_EQ(FileBytes(path_), bytes);
    EXPECT_EQ(Count(), "1");
}

TEST_F(ImportTest, Utf16AndWindows1252FilesAreStoredAsUtf8) {
    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit : std::u16string(u"F,L\r\nJ\u00FCrgen,M\u00FCller\r\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    WriteBytes(in_, utf16);
    EXPECT_EQ(transfer::ImportPersons(path_, Settings({"FirstName", "LastName"})).persons, 1);
    WriteBytes(in_, "F,L\r\nFran\xE7oise,M\xFCller\r\n");
    EXPECT_EQ(transfer::ImportPersons(path_, Settings({"FirstName", "LastName"})).persons, 1);
    EXPECT_EQ(Query("SELECT count(*) FROM Person WHERE LName = 'M\xC3\xBCller'"), "2");
    EXPECT_EQ(Query("SELECT count(*) FROM Person WHERE FName = 'J\xC3\xBCrgen'"), "1");
    EXPECT_EQ(Query("SELECT count(*) FROM Person WHERE FName = 'Fran\xC3\xA7oise'"), "1");
}

// The program's own export, read back with the columns its header names.
TEST_F(ImportTest, OwnExportComesBackWhole) {
    PersonRecord full;
    full[P::Title] = "Dr.";
    full[P::FName] = "Sean \"Jack\"";
    full[P::LName] = "O'Brien";
    full[P::Company] = "Smith, Jones & Co";
    full[P::Position] = "Head of \"Sales\", East";
    full[P::Addr] = "1 Main St\r\nApt 2";
    full[P::City] = "Z\xC3\xBCrich";
    full[P::State] = "N\"Y";
    full[P::Zip] = "8001";
    full[P::HmPhone] = "555-0101";
    full[P::WkPhone] = "555-0102";
    full[P::WkExt] = "12";
    full[P::CelPhone] = "555-0103";
    full[P::Pager] = "555-0104";
    full[P::WkFax] = "555-0105";
    full[P::Email] = "sean@example.com";
    full[P::WebPage] = "http://example.com/?a=1,b=2";
    PersonRecord plain;
    plain[P::FName] = "Ann";
    plain[P::LName] = "Lee";
    PersonRecord company;
    company[P::Company] = "Caf\xC3\xA9 \xE2\x82\xAC; Co";
    company[P::Position] = " edge blanks ";
    const std::string source = book_.Create("source.tch");
    for (const PersonRecord* p : {&full, &plain, &company}) {
        TestBook::AddPerson(source, *p);
    }
    TransferSettings out = TransferSettings::ForPersonExport();
    out.selectedFields = out.availableFields;
    out.separator = ",";
    out.encloser = "\"";
    out.filePath = in_;
    ASSERT_EQ(transfer::ExportPersons(source, out).outcome,
              transfer::ExportResult::Outcome::Written);

    const std::optional<std::string> text = transfer::ReadTextFile(in_);
    ASSERT_TRUE(text.has_value());
    TransferSettings in = TransferSettings::ForPersonImport();
    in.filePath = in_;
    in.separator = ",";
    in.encloser = "\"";
    in.firstLine = transfer::FirstLine(*text);
    in.columnLabels = transfer_test::Fields(LineTokenizer(',', '"'), in.firstLine);
    in.columnCount = static_cast<int>(in.columnLabels.size());
    in.selectedFields = transfer::AssignColumns(in.columnLabels);
    EXPECT_EQ(in.selectedFields,
              (std::vector<std::string>{"Title", "FirstName", "LastName", "Company", "Position",
                                        "Address", "City", "State", "ZipCode", "HomePhone",
                                        "WorkPhone", "WorkExtension", "Fax", "Pager", "CelPhone",
                                        "Email", "WebPage"}));
    const ImportResult result = transfer::ImportPersons(path_, in);
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Imported);
    EXPECT_EQ(result.persons, 3);

    full[P::Addr] = "1 Main St Apt 2";  // the export's one space for each line break
    const std::vector<PersonRecord> stored = StoredPersons(path_);
    ASSERT_EQ(stored.size(), 3u);
    for (const PersonRecord* p : {&full, &plain, &company}) {
        bool found = false;
        for (const PersonRecord& s : stored) {
            if (s[P::Company] == (*p)[P::Company] && s[P::LName] == (*p)[P::LName]) {
                found = true;
                EXPECT_EQ(s.fields, p->fields);
            }
        }
        EXPECT_TRUE(found) << p->DisplayName();
    }
}

}  // namespace
