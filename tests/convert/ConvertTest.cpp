#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ConvertTestFiles.h"
#include "Converter.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "StoredText.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> Utf8(std::vector<std::string> texts) {
    for (std::string& text : texts) {
        text = Windows1252ToUtf8(text);
    }
    return texts;
}

Rows Select(const QString& path, const std::string& sql) {
    cppsqlite3::Database db;
    db.Open(Local(path));
    cppsqlite3::Query& q = db.CreateStatement().ExecuteQuery(sql);
    Rows rows;
    while (q.Next()) {
        std::vector<std::string> row;
        for (int i = 1; i <= q.ColumnCount(); ++i) {
            row.push_back(q.GetString(i));
        }
        rows.push_back(row);
    }
    return rows;
}

const char kTelephone[] = "9DC618A3-8452-4D33-A70BDB1C91FE";
const char kEmail[] = "03F6262A-4362-44A9-B770293650BB";
const char kCorrespondence[] = "787CA2CE-1099-4127-8AED83ECA59B";
const char kPersonal[] = "B672E21B-848D-430C-98240E6DA171";

bool IsFreshId(const std::string& id) {
    static const std::set<std::string> fixed{kTelephone, kEmail, kCorrespondence, kPersonal};
    return id.size() == 31 && id[8] == '-' && id[13] == '-' && id[18] == '-' && !fixed.count(id);
}

std::string Now() {
    return FormatStoredTimeStamp(FromLocalNow());
}

class Conversion : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("book.tch"));
    QString org = path + QStringLiteral(".org");
    QString fresh = path + QStringLiteral(".new");

    ConvertOutcome Run() { return Convert(Local(path)); }

    void ExpectUntouched(const std::string& original) {
        EXPECT_EQ(ReadBytes(path), original);
        EXPECT_FALSE(Exists(org));
        EXPECT_FALSE(Exists(fresh));
    }
};

// Every kind of field with an entity, an apostrophe and bytes above 127.
std::string RoundTripFile() {
    V1Writer w(" Version=\"1\" Cr=\"1109667900\" St=\"1112346000\" U=\"O'Token &amp; \xA7\"");
    w.Open("User")
        .Field("Title", "M&apos;me \xC9")
        .Field("FName", "Ann&#233;")
        .Field("LName", "O'Hara &amp; S\xF6hne")
        .Field("Address", "1 &lt;Quay&gt;\r\nPort \xDF")
        .Field("City", "St. John's")
        .Field("State", "\xC5land")
        .Field("Zip", "Z&quot;1")
        .Field("HmPhone", "555-0100")
        .Field("CelPhone", "555-0101")
        .Field("WkPhone", "555-0102")
        .Field("WkExt", "x'3")
        .Field("Fax", "555-0103")
        .Field("EMail",
               "ann@h\xE4"
               "fen.example")
        .Field("WebPage", "http://x/?a=1&amp;b=2")
        .Field("Company", "O'Hara \xA9")
        .Field("Position", "Chef &apos;de&apos;")
        .Close("User");
    w.Open("Persons LastID=\"2\"")
        .Open("Person ID=\"1\"")
        .Field("Title", "Mr")
        .Field("FName", "J\xFCrgen")
        .Field("LName", "D'Arcy")
        .Field("Address", "Rue &quot;Haute&quot;\r\n\xE0 Paris")
        .Field("City",
               "Qu\xE9"
               "bec")
        .Field("State", "QC")
        .Field("Zip", "G1A")
        .Field("Phone", "home'1")
        .Field("WkPhone", "work 2")
        .Field("WkExt", "33")
        .Field("Pager", "pager \xB5")
        .Field("CelPhone", "cell 4")
        .Field("Fax", "fax 5")
        .Field("EMail", "j@d.example")
        .Field("WebPage", "www.d.example")
        .Field("Company", "D &amp; D")
        .Field("Position", "Boss")
        .Close("Person")
        .Open("Person ID=\"2\"")
        .Field("FName", "Zo\xEB")
        .Close("Person")
        .Close("Persons");
    w.Open("Contacts LastID=\"3\"")
        .Open("Contact ID=\"1\"")
        .Field("PersonID", "1")
        .Field("DateTime", "2005-03-01 09:05:00")
        .Field("Description", "Called &apos;re&apos; the \xC6 order &lt;ok&gt;")
        .Field("ContactTypeID", "1")
        .Close("Contact")
        .Open("Contact ID=\"2\"")
        .Field("PersonID", "2")
        .Field("DateTime", "not a date")
        .Field("Description", "When?")
        .Field("ContactTypeID", "3")
        .Close("Contact")
        .Open("Contact ID=\"3\"")
        .Field("PersonID", "1")
        .Field("DateTime", "1999-12-31 23:59:59")
        .Field("Description", "Mail")
        .Field("ContactTypeID", "4")
        .Close("Contact")
        .Close("Contacts");
    w.Open("ContactTypes LastID=\"4\"")
        .Open("ContactType ID=\"1\"")
        .Field("Description", "Telephone")
        .Close("ContactType")
        .Open("ContactType ID=\"2\"")
        .Field("Description", "telephone")
        .Close("ContactType")
        .Open("ContactType ID=\"3\"")
        .Field("Description", "Email")
        .Close("ContactType")
        .Open("ContactType ID=\"4\"")
        .Field("Description", "Email")
        .Close("ContactType")
        .Open("ContactType ID=\"5\"")
        .Field("Description", "Ren&#233;'s type")
        .Close("ContactType")
        .Close("ContactTypes");
    return w.End();
}

TEST_F(Conversion, RoundTripKeepsEveryField) {
    const std::string original = RoundTripFile();
    WriteBytes(path, original);
    const std::string before = Now();
    const ConvertOutcome outcome = Run();
    const std::string after = Now();
    ASSERT_EQ(outcome.result, ConvertResult::Succeeded);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, QStringLiteral("Database successfully converted!"));
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Conversion Succeeded"));
    EXPECT_EQ(outcome.messages[0].icon, ConvertIcon::Information);
    EXPECT_EQ(outcome.messages[0].owner, ConvertMessageOwner::Window);

    // The renames: the old file beside the new one, nothing left over.
    EXPECT_EQ(ReadBytes(org), original);
    EXPECT_FALSE(Exists(fresh));

    const Rows users = Select(path, "SELECT * FROM User");
    ASSERT_EQ(users.size(), 1u);
    // The file's 8-bit text (and the bytes of its references) arrive as UTF-8.
    const std::vector<std::string> user =
        Utf8({"M'me \xC9", "Ann\xE9", "O'Hara & S\xF6hne", "O'Hara \xA9", "Chef 'de'",
              "1 <Quay>\r\nPort \xDF", "St. John's", "\xC5land", "Z\"1", "555-0100", "555-0102",
              "x'3", "555-0101", "555-0103",
              "ann@h\xE4"
              "fen.example",
              "http://x/?a=1&b=2"});
    ASSERT_EQ(users[0].size(), 18u);
    EXPECT_TRUE(IsFreshId(users[0][0]));
    EXPECT_EQ(std::vector<std::string>(users[0].begin() + 1, users[0].end() - 1), user);
    EXPECT_GE(users[0][17], before);
    EXPECT_LE(users[0][17], after);

    const Rows persons = Select(path, "SELECT * FROM Person ORDER BY FName");
    ASSERT_EQ(persons.size(), 2u);
    const std::vector<std::string> jurgen =
        Utf8({"Mr", "J\xFCrgen", "D'Arcy", "D & D", "Boss", "Rue \"Haute\"\r\n\xE0 Paris",
              "Qu\xE9"
              "bec",
              "QC", "G1A", "home'1", "work 2", "33", "cell 4", "pager \xB5", "fax 5", "j@d.example",
              "www.d.example"});
    EXPECT_EQ(std::vector<std::string>(persons[0].begin() + 1, persons[0].end() - 1), jurgen);
    EXPECT_EQ(persons[1][2], Windows1252ToUtf8("Zo\xEB"));
    EXPECT_EQ(persons[1][10], "");
    EXPECT_TRUE(IsFreshId(persons[0][0]));
    EXPECT_NE(persons[0][0], persons[1][0]);

    // Default names get the fixed identifiers, exact case only; both "Email" types get it.
    const Rows types = Select(path, "SELECT ID, Description FROM ContactType ORDER BY rowid");
    ASSERT_EQ(types.size(), 5u);
    EXPECT_EQ(types[0], (std::vector<std::string>{kTelephone, "Telephone"}));
    EXPECT_TRUE(IsFreshId(types[1][0]));
    EXPECT_EQ(types[1][1], "telephone");
    EXPECT_EQ(types[2], (std::vector<std::string>{kEmail, "Email"}));
    EXPECT_EQ(types[3], (std::vector<std::string>{kEmail, "Email"}));
    EXPECT_EQ(types[4][1], Windows1252ToUtf8("Ren\xE9's type"));

    const Rows contacts = Select(path,
                                 "SELECT c.DtTm, c.Description, p.FName, t.Description, c.ID, "
                                 "c.TmStamp FROM Contact c JOIN Person p ON p.ID = c.PersonID "
                                 "JOIN ContactType t ON t.rowid = (SELECT min(rowid) FROM "
                                 "ContactType WHERE ID = c.ContactTypeID) ORDER BY c.rowid");
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(contacts[0][0], "2005-03-01 09:05:00");
    EXPECT_EQ(contacts[0][1], Windows1252ToUtf8("Called 're' the \xC6 order <ok>"));
    EXPECT_EQ(contacts[0][2], Windows1252ToUtf8("J\xFCrgen"));
    EXPECT_EQ(contacts[0][3], "Telephone");
    // The date version 1 could not read is the time of the conversion.
    EXPECT_GE(contacts[1][0], before);
    EXPECT_LE(contacts[1][0], after);
    EXPECT_EQ(contacts[1][2], Windows1252ToUtf8("Zo\xEB"));
    EXPECT_EQ(contacts[1][3], "Email");
    EXPECT_EQ(contacts[2][0], "1999-12-31 23:59:59");
    EXPECT_TRUE(IsFreshId(contacts[2][4]));
    EXPECT_GE(contacts[2][5], before);

    const Rows globals = Select(path, "SELECT * FROM Globals");
    ASSERT_EQ(globals.size(), 1u);
    const auto stamp = [](qint64 seconds) {
        const QDateTime t = QDateTime::fromSecsSinceEpoch(seconds).toLocalTime();
        return FormatStoredTimeStamp(DateTime::FromDateAndTime(t.date(), t.time()));
    };
    EXPECT_EQ(globals[0], (std::vector<std::string>{"20", "O'Token & \xC2\xA7", stamp(1109667900),
                                                    stamp(1112346000)}));
}

TEST_F(Conversion, WritesTheSchemaInItsOwnOrder) {
    WriteBytes(path, "<Tidemark/>");
    ASSERT_EQ(Run().result, ConvertResult::Succeeded);
    const Rows schema = Select(path, "SELECT type, name, sql FROM sqlite_master ORDER BY rowid");
    std::vector<std::string> names;
    for (const auto& row : schema) {
        names.push_back(row[1]);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"User", "Person", "PrsnNmIdx", "PrsnCoIdx",
                                               "ContactType", "TypeIdx", "Contact", "ContactDtIdx",
                                               "Globals", "PrsnIDIdx", "ContactPrsnDtIdx"}));
    // The User table of a converted file is the one of a new file, its time stamp optional.
    std::string user = schema::kCreateUser;
    const std::string required = "TmStamp TIMESTAMP NOT NULL)";
    ASSERT_EQ(user.substr(user.size() - required.size()), required);
    user.replace(user.size() - required.size(), required.size(), "TmStamp TIMESTAMP DEFAULT '')");
    EXPECT_EQ(schema[0][2], user);
    EXPECT_EQ(schema[1][2], schema::kCreatePerson);
    EXPECT_EQ(schema[6][2], schema::kCreateContact);
    EXPECT_EQ(schema[8][2], schema::kCreateGlobals);
}

TEST_F(Conversion, AnEmptyDocumentGivesOneEmptyUserAndNoTypes) {
    WriteBytes(path, "<?xml version=\"1.0\"?>\n<Tidemark>\n</Tidemark>\n");
    ASSERT_EQ(Run().result, ConvertResult::Succeeded);
    const Rows users = Select(path, "SELECT * FROM User");
    ASSERT_EQ(users.size(), 1u);
    for (int i = 1; i <= 16; ++i) {
        EXPECT_EQ(users[0][static_cast<std::size_t>(i)], "");
    }
    EXPECT_EQ(Select(path, "SELECT count(*) FROM Person")[0][0], "0");
    EXPECT_EQ(Select(path, "SELECT count(*) FROM Contact")[0][0], "0");
    EXPECT_EQ(Select(path, "SELECT count(*) FROM ContactType")[0][0], "0");
    EXPECT_EQ(Select(path, "SELECT * FROM Globals"), (Rows{{"20", "", "", ""}}));
}

TEST_F(Conversion, SkipsContactsOfMissingPersonsOrTypesAndSaysSo) {
    WriteBytes(path,
               "<Tidemark><Persons><Person ID=\"1\"><FName>A</FName></Person></Persons>"
               "<ContactTypes><ContactType ID=\"1\"><Description>Personal</Description>"
               "</ContactType></ContactTypes><Contacts>"
               "<Contact ID=\"1\"><PersonID>1</PersonID><ContactTypeID>1</ContactTypeID>"
               "<Description>kept</Description></Contact>"
               "<Contact ID=\"2\"><PersonID>9</PersonID><ContactTypeID>1</ContactTypeID>"
               "</Contact><Contact ID=\"3\"><PersonID>1</PersonID><ContactTypeID>2"
               "</ContactTypeID></Contact><Contact ID=\"4\"><PersonID>1</PersonID></Contact>"
               "</Contacts></Tidemark>");
    const ConvertOutcome outcome = Run();
    ASSERT_EQ(outcome.result, ConvertResult::Succeeded);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text,
              QStringLiteral("Database successfully converted!\n3 contacts referring to missing "
                             "persons or contact types were not converted."));
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Conversion Succeeded"));
    EXPECT_EQ(Select(path, "SELECT Description, ContactTypeID FROM Contact"),
              (Rows{{"kept", kPersonal}}));
}

TEST_F(Conversion, AParseErrorChangesNoFile) {
    const std::string original = "<?xml version=\"1.0\"?>\n<Tidemark>\n<User>\n</Tidemark>\n";
    WriteBytes(path, original);
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::NotLoaded);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, QStringLiteral("Parsing error at line 4"));
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Error Loading File"));
    EXPECT_EQ(outcome.messages[0].icon, ConvertIcon::Error);
    // The loader's box has no owner.
    EXPECT_EQ(outcome.messages[0].owner, ConvertMessageOwner::None);
    ExpectUntouched(original);
}

TEST_F(Conversion, AVersionTwoAddressBookIsNamedAndLeftAsItIs) {
    CreateDatabaseFile(Local(path));
    const std::string original = ReadBytes(path);
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::AlreadyVersionTwo);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text,
              path + QStringLiteral(" is already a version-2 address book."));
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Conversion Not Needed"));
    EXPECT_EQ(outcome.messages[0].icon, ConvertIcon::Information);
    EXPECT_EQ(outcome.messages[0].owner, ConvertMessageOwner::Window);
    ExpectUntouched(original);
}

TEST_F(Conversion, AnyDatabaseHeaderCountsButOnlyWithItsNul) {
    // The header alone, with nothing after it, is enough.
    const std::string header("SQLite format 3\0", 16);
    WriteBytes(path, header);
    EXPECT_EQ(Run().result, ConvertResult::AlreadyVersionTwo);
    ExpectUntouched(header);
    // Without its NUL it is text, and no version-1 text at that.
    const std::string text = "SQLite format 3";
    WriteBytes(path, text);
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::NotLoaded);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Error Loading File"));
    ExpectUntouched(text);
}

TEST_F(Conversion, AMissingFileIsNamedAsGiven) {
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::Missing);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, QStringLiteral("The file %1 does not exist.").arg(path));
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Error Loading File"));
    EXPECT_EQ(outcome.messages[0].icon, ConvertIcon::Error);
    EXPECT_EQ(outcome.messages[0].owner, ConvertMessageOwner::Window);
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(Exists(fresh));
    EXPECT_FALSE(Exists(org));
}

TEST_F(Conversion, AMissingFileKeepsTheNameItWasGiven) {
    // A relative name stays relative, as typed; it names nothing from the test's folder.
    const QString typed = QStringLiteral("no such folder 7f3a/old book.tch");
    const ConvertOutcome outcome = Convert(Local(typed));
    EXPECT_EQ(outcome.result, ConvertResult::Missing);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text,
              QStringLiteral("The file no such folder 7f3a/old book.tch does not exist."));
}

TEST_F(Conversion, ADanglingLinkNamesNoFile) {
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone.tch")), path));
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::Missing);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Error Loading File"));
    EXPECT_FALSE(Exists(fresh));
}

TEST_F(Conversion, AFileThatExistsButCannotBeReadShowsNothing) {
    // A folder under the name exists but opens as no file.
    ASSERT_TRUE(QDir().mkpath(path));
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::NotRead);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_FALSE(Exists(fresh));
    EXPECT_FALSE(Exists(org));
}

TEST_F(Conversion, Windows1252TextBecomesUtf8) {
    WriteBytes(path,
               "<?xml version=\"1.0\"?><Tidemark U=\"B\xFCro\"><Persons><Person ID=\"1\">"
               "<FName>J\xFCrgen</FName><LName>M\xFCller</LName><Company>\x80uro &amp; Co"
               "</Company></Person></Persons><ContactTypes><ContactType ID=\"1\"><Description>"
               "Gespr\xE4"
               "ch</Description></ContactType></ContactTypes><Contacts><Contact "
               "ID=\"1\"><PersonID>1</PersonID><ContactTypeID>1</ContactTypeID><Description>"
               "Gr\xFC\xDF"
               "e</Description></Contact></Contacts></Tidemark>");
    ASSERT_EQ(Run().result, ConvertResult::Succeeded);
    EXPECT_EQ(Select(path, "SELECT FName, LName, Company FROM Person"),
              Rows({{"J\xC3\xBCrgen", "M\xC3\xBCller", "\xE2\x82\xACuro & Co"}}));
    EXPECT_EQ(Select(path, "SELECT Description FROM Contact"), Rows({{"Gr\xC3\xBC\xC3\x9F"
                                                                      "e"}}));
    EXPECT_EQ(Select(path,
                     "SELECT count(*) FROM ContactType WHERE Description = "
                     "'Gespr\xC3\xA4"
                     "ch'"),
              Rows({{"1"}}));
    EXPECT_EQ(Select(path, "SELECT U FROM Globals"), Rows({{"B\xC3\xBCro"}}));
}

TEST_F(Conversion, TheDeclaredLatin1IsHonoured) {
    // In ISO-8859-1, 0x80 is a control character, not the euro sign of Windows-1252.
    WriteBytes(path,
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Tidemark><Persons><Person "
               "ID=\"1\"><LName>\x80 M\xFCller</LName></Person></Persons></Tidemark>");
    ASSERT_EQ(Run().result, ConvertResult::Succeeded);
    EXPECT_EQ(Select(path, "SELECT LName FROM Person"), Rows({{"\xC2\x80 M\xC3\xBCller"}}));
}

TEST_F(Conversion, Utf8TextIsCopiedUnchanged) {
    const std::string name = "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80";
    WriteBytes(path,
               "<?xml version=\"1.0\" encoding=\"windows-1252\"?><Tidemark><Persons><Person "
               "ID=\"1\"><LName>" +
                   name +
                   "</LName><FName>J&#252;rgen</FName></Person>"
                   "</Persons></Tidemark>");
    ASSERT_EQ(Run().result, ConvertResult::Succeeded);
    // A reference gives a byte of its own; alone it is no UTF-8 and reads as the code page.
    EXPECT_EQ(Select(path, "SELECT LName, FName FROM Person"), Rows({{name, "J\xC3\xBCrgen"}}));
}

TEST_F(Conversion, NulBytesOfReferencesAreKept) {
    WriteBytes(path,
               "<Tidemark><Persons><Person ID=\"1\"><FName>A&#0;B</FName><LName>x&#256;&#0;"
               "</LName></Person></Persons></Tidemark>");
    ASSERT_EQ(Run().result, ConvertResult::Succeeded);
    const Rows rows = Select(path, "SELECT FName, LName, length(CAST(LName AS BLOB)) FROM Person");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], std::string("A\0B", 3));
    EXPECT_EQ(rows[0][1], std::string("x\0\0", 3));
    EXPECT_EQ(rows[0][2], "3");
}

TEST_F(Conversion, ADatabaseFailureDuringTheInsertsLeavesNoNewFile) {
    // Thousands of NUL bytes apart from each other make one value deeper than the engine
    // takes in one statement.
    std::string description;
    for (int i = 0; i < 2000; ++i) {
        description += "a&#0;";
    }
    const std::string original =
        "<Tidemark><Persons><Person ID=\"1\"><FName>A</FName></Person></Persons>"
        "<ContactTypes><ContactType ID=\"1\"><Description>" +
        description + "</Description></ContactType></ContactTypes></Tidemark>";
    WriteBytes(path, original);
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::Failed);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, QStringLiteral("SQL error or missing database"));
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Error Converting Database"));
    EXPECT_EQ(outcome.messages[0].icon, ConvertIcon::Error);
    EXPECT_EQ(outcome.messages[0].owner, ConvertMessageOwner::Window);
    ExpectUntouched(original);
    EXPECT_FALSE(Exists(fresh + QStringLiteral("-journal")));
}

TEST_F(Conversion, ADatabaseThatCannotBeCreatedLeavesTheFileAlone) {
    const std::string original = "<Tidemark/>";
    WriteBytes(path, original);
    // A directory under the ".new" name cannot be removed or opened as a database.
    ASSERT_TRUE(QDir().mkpath(fresh + QStringLiteral("/inside")));
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::NotCreated);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Error Creating Database"));
    EXPECT_EQ(outcome.messages[0].icon, ConvertIcon::None);
    // Unlike the boxes of the conversion itself, this one has no owner.
    EXPECT_EQ(outcome.messages[0].owner, ConvertMessageOwner::None);
    EXPECT_FALSE(outcome.messages[0].text.isEmpty());
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_FALSE(Exists(org));
    EXPECT_TRUE(QFileInfo(fresh).isDir());
}

TEST_F(Conversion, ANewFileOfAnEarlierRunIsReplaced) {
    WriteBytes(fresh, "left over by a run that was stopped");
    WriteBytes(path, "<Tidemark U=\"x\"/>");
    ASSERT_EQ(Run().result, ConvertResult::Succeeded);
    EXPECT_EQ(Select(path, "SELECT U FROM Globals"), (Rows{{"x"}}));
    EXPECT_FALSE(Exists(fresh));
}

TEST_F(Conversion, AnExistingOrgFileIsNeverOverwritten) {
    const std::string original = "<Tidemark U=\"second\"/>";
    WriteBytes(path, original);
    WriteBytes(org, "the first conversion's original");
    const ConvertOutcome outcome = Run();
    EXPECT_EQ(outcome.result, ConvertResult::Incomplete);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text,
              QStringLiteral("The original file could not be renamed to %1. The converted "
                             "database was saved as %2.")
                  .arg(org, fresh));
    EXPECT_EQ(outcome.messages[0].caption, QStringLiteral("Conversion Incomplete"));
    EXPECT_EQ(outcome.messages[0].icon, ConvertIcon::Warning);
    EXPECT_EQ(outcome.messages[0].owner, ConvertMessageOwner::Window);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(ReadBytes(org), "the first conversion's original");
    // The converted database is kept, complete.
    EXPECT_EQ(Select(fresh, "SELECT U FROM Globals"), (Rows{{"second"}}));
}

TEST(ConversionSteps, CreateDatabaseGivesAMessageOnlyWhenItFails) {
    QTemporaryDir dir;
    V1Document d;
    d.token = "tok";
    const QString made = dir.filePath(QStringLiteral("made.tch"));
    EXPECT_EQ(CreateDatabase(Local(made), d), std::nullopt);
    EXPECT_EQ(Select(made, "SELECT U FROM Globals"), (Rows{{"tok"}}));

    // The tables are there already, so the CREATEs fail.
    const std::optional<ConvertMessage> failure = CreateDatabase(Local(made), d);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->caption, QStringLiteral("Error Creating Database"));
    EXPECT_EQ(failure->icon, ConvertIcon::None);
    EXPECT_EQ(failure->owner, ConvertMessageOwner::None);
    EXPECT_EQ(failure->text, QStringLiteral("SQL error or missing database"));
    EXPECT_EQ(Select(made, "SELECT count(*) FROM Globals"), (Rows{{"1"}}));
}

TEST(ConversionSteps, AssignIdentifiersByDescriptionAndOrder) {
    V1Document d;
    const char* names[] = {"Correspondence", "Personal", "personal", "Telephone ", "Email"};
    int id = 10;
    for (const char* name : names) {
        d.contactTypes.records[id] = V1ContactType{id, name};
        ++id;
    }
    d.persons.records[3].ID = 3;
    d.persons.records[1].ID = 1;
    d.contacts.records[5].ID = 5;
    const IdentifierMaps ids = AssignIdentifiers(d);
    EXPECT_EQ(ids.contactTypes.at(10), kCorrespondence);
    EXPECT_EQ(ids.contactTypes.at(11), kPersonal);
    EXPECT_TRUE(IsFreshId(ids.contactTypes.at(12)));
    EXPECT_TRUE(IsFreshId(ids.contactTypes.at(13)));
    EXPECT_EQ(ids.contactTypes.at(14), kEmail);
    EXPECT_EQ(ids.persons.size(), 2u);
    EXPECT_NE(ids.persons.at(1), ids.persons.at(3));
    EXPECT_TRUE(IsFreshId(ids.contacts.at(5)));
}

TEST(ConversionSteps, WriteRecordsBuildsTheStatementsInOrder) {
    V1Document d;
    d.user.FName = "O'Neil";
    d.contactTypes.records[2] = V1ContactType{2, "It's"};
    d.persons.records[1].ID = 1;
    d.persons.records[1].Phone = "1'2";
    d.contacts.records[1] = V1Contact{1, 1, DateTime::FromFields(2005, 3, 1, 9, 5, 0), "a'b", 2};
    IdentifierMaps ids;
    ids.contactTypes[2] = "T";
    ids.persons[1] = "P";
    ids.contacts[1] = "C";
    std::vector<std::string> sql;
    EXPECT_EQ(WriteRecords(d, ids, [&sql](const std::string& s) { sql.push_back(s); }), 0);
    ASSERT_EQ(sql.size(), 4u);
    EXPECT_EQ(sql[0].substr(0, 24), "INSERT INTO User VALUES(");
    EXPECT_NE(sql[0].find("', '', 'O''Neil', '', "), std::string::npos);
    EXPECT_EQ(sql[0].substr(sql[0].size() - 37), "'', '', datetime('now', 'localtime'))");
    EXPECT_EQ(sql[1], "INSERT INTO ContactType VALUES('T', 'It''s')");
    EXPECT_EQ(sql[2],
              "INSERT INTO Person Values('P', '', '', '', '', '', '', '', '', '', '1''2', '', "
              "'', '', '', '', '', '', datetime('now', 'localtime'))");
    EXPECT_EQ(sql[3],
              "INSERT INTO Contact Values('C', 'P', '2005-03-01 09:05:00', 'a''b', 'T', "
              "datetime('now', 'localtime'))");
}

}  // namespace
