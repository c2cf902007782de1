#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "Database.h"
#include "DatabaseFile.h"
#include "DateTime.h"
#include "SQLException.h"

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::Statement;

namespace {

// The statements as a new file must hold them; written out here on their own, tabs spelled.
std::string PersonColumns(bool withPager) {
    const std::string t = "\t\t\t\t\t";
    std::string s = "Title TEXT DEFAULT '', " + t + "FName TEXT DEFAULT '', " + t +
                    "LName TEXT DEFAULT '', " + t + "Company TEXT DEFAULT '', " + t +
                    "Position TEXT DEFAULT '', " + t + "Addr TEXT DEFAULT '', " + t +
                    "City TEXT DEFAULT '', " + t + "State TEXT DEFAULT '', " + t +
                    "Zip TEXT DEFAULT '', " + t + "HmPhone TEXT DEFAULT '', " + t +
                    "WkPhone TEXT DEFAULT '', " + t + "WkExt TEXT DEFAULT '', " + t +
                    "CelPhone TEXT DEFAULT '', " + t;
    if (withPager) {
        s += "Pager TEXT DEFAULT '', " + t;
    }
    return s + "WkFax TEXT DEFAULT '', " + t + "Email TEXT DEFAULT '', " + t +
           "WebPage TEXT DEFAULT '', " + t + "TmStamp TIMESTAMP NOT NULL)";
}

struct SchemaRow {
    std::string type, name, sql;
    bool operator==(const SchemaRow& o) const {
        return type == o.type && name == o.name && sql == o.sql;
    }
};

std::ostream& operator<<(std::ostream& os, const SchemaRow& r) {
    return os << r.type << " " << r.name << ": " << r.sql;
}

std::vector<SchemaRow> ExpectedSchema() {
    const std::string t5 = "\t\t\t\t\t", t6 = "\t\t\t\t\t\t";
    return {
        {"table", "User", "CREATE TABLE User( ID TEXT NOT NULL, " + t5 + PersonColumns(false)},
        {"table", "Person", "CREATE TABLE Person(ID TEXT NOT NULL, " + t5 + PersonColumns(true)},
        {"index", "PrsnNmIdx", "CREATE INDEX PrsnNmIdx ON Person(LName, FName)"},
        {"index", "PrsnCoIdx", "CREATE INDEX PrsnCoIdx ON Person(Company)"},
        {"table", "ContactType",
         "CREATE TABLE ContactType(ID TEXT NOT NULL, Description TEXT NOT NULL)"},
        {"index", "TypeIdx", "CREATE INDEX TypeIdx ON ContactType(Description)"},
        {"table", "Contact",
         "CREATE TABLE Contact( ID TEXT NOT NULL, " + t5 + "PersonID TEXT NOT NULL, " + t5 +
             "DtTm TEXT NOT NULL, " + t5 + "Description TEXT NOT NULL, " + t5 +
             "ContactTypeID TEXT NOT NULL, " + t5 + "TmStamp TIMESTAMP NOT NULL)"},
        {"index", "ContactDtIdx", "CREATE INDEX ContactDtIdx ON Contact(DtTm)"},
        {"table", "Globals",
         "CREATE TABLE Globals(Version INTEGER NOT NULL, " + t6 + "U TEXT NOT NULL, " + t6 +
             "C TEXT NOT NULL, " + t6 + "S TEXT NOT NULL)"},
        // The two lookups after the format's own statements.
        {"index", "PrsnIDIdx", "CREATE INDEX PrsnIDIdx ON Person(ID)"},
        {"index", "ContactPrsnDtIdx", "CREATE INDEX ContactPrsnDtIdx ON Contact(PersonID, DtTm)"},
    };
}

bool IsStoredTimeStamp(const std::string& text) {
    static const QRegularExpression re(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"));
    return re.match(QString::fromStdString(text)).hasMatch();
}

struct GlobalsRow {
    int version = 0;
    std::string u, c, s;
};

GlobalsRow ReadGlobals(const std::string& path) {
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery("SELECT * FROM Globals");
    GlobalsRow row;
    int rows = 0;
    while (q.Next()) {
        row = {q.GetInt(1), q.GetString(2), q.GetString(3), q.GetString(4)};
        ++rows;
    }
    EXPECT_EQ(rows, 1);
    return row;
}

class DatabaseFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
    QTemporaryDir dir_;
};

TEST_F(DatabaseFileTest, SchemaEqualsTheFormatByteForByte) {
    const std::string path = Path("new.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    Database db;
    db.Open(path);
    std::vector<SchemaRow> rows;
    for (int i = 1; i <= db.SchemaEntryCount(); ++i) {
        rows.push_back({db.SchemaType(i), db.SchemaName(i), db.SchemaSql(i)});
    }
    const std::vector<SchemaRow> expected = ExpectedSchema();
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], expected[i]) << "entry " << i + 1;
    }
}

TEST_F(DatabaseFileTest, NewFileHasTheSeedTypesAndNoOtherRows) {
    const std::string path = Path("new.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Query& q = st.ExecuteQuery("SELECT ID, Description FROM ContactType");
    std::vector<std::pair<std::string, std::string>> types;
    while (q.Next()) {
        types.emplace_back(q.GetString(1), q.GetString(2));
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"9DC618A3-8452-4D33-A70BDB1C91FE", "Telephone"},
        {"03F6262A-4362-44A9-B770293650BB", "Email"},
        {"787CA2CE-1099-4127-8AED83ECA59B", "Correspondence"},
        {"B672E21B-848D-430C-98240E6DA171", "Personal"},
    };
    EXPECT_EQ(types, expected);
    for (const char* table : {"User", "Person", "Contact"}) {
        Query& count = st.ExecuteQuery(std::string("SELECT COUNT(*) FROM ") + table);
        ASSERT_TRUE(count.Next());
        EXPECT_EQ(count.GetInt(1), 0) << table;
    }
}

TEST_F(DatabaseFileTest, GlobalsRowHasVersionTokenAndEqualTimes) {
    const std::string path = Path("new.tch");
    const std::string before = FormatStoredTimeStamp(FromLocalNow());
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    const std::string after = FormatStoredTimeStamp(FromLocalNow());
    const GlobalsRow g = ReadGlobals(path);
    EXPECT_EQ(g.version, 20);
    EXPECT_EQ(g.u, kGlobalsToken);
    EXPECT_FALSE(g.u.empty());
    EXPECT_EQ(g.c, g.s);
    EXPECT_TRUE(IsStoredTimeStamp(g.c)) << g.c;
    EXPECT_LE(before, g.c);
    EXPECT_GE(after, g.c);
}

TEST_F(DatabaseFileTest, PersonHasNineteenColumnsAndUserEighteen) {
    const std::string path = Path("new.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    EXPECT_EQ(st.ExecuteQuery("SELECT * FROM Person").ColumnCount(), 19);
    EXPECT_EQ(st.ExecuteQuery("SELECT * FROM User").ColumnCount(), 18);
}

TEST_F(DatabaseFileTest, CreatingOverAnExistingFileReplacesIt) {
    const std::string path = Path("book.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    {
        Database db;
        db.Open(path);
        Statement& st = db.CreateStatement();
        st.Execute("INSERT INTO ContactType VALUES('X', 'Visit')");
        st.Execute("CREATE TABLE Extra(A TEXT)");
    }
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    Database db;
    db.Open(path);
    EXPECT_EQ(db.SchemaEntryCount(), static_cast<int>(ExpectedSchema().size()));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT COUNT(*) FROM ContactType");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetInt(1), 4);
}

TEST_F(DatabaseFileTest, ReplacesAFileThatIsNotADatabase) {
    const std::string path = Path("old.tch");
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\"?><TidemarkDocument/>");
    f.close();
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    EXPECT_EQ(ReadGlobals(path).version, 20);
}

TEST_F(DatabaseFileTest, FailureInTheMiddleLeavesNoFile) {
    const std::string path = Path("broken.tch");
    // The engine cannot make its rollback journal where a folder stands: the first CREATE
    // fails after the file itself has been opened.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("broken.tch-journal")));
    try {
        CreateDatabaseFile(path);
        ADD_FAILURE() << "no failure";
    } catch (const cppsqlite3::SQLException& e) {
        EXPECT_FALSE(e.Message().empty());
        EXPECT_NE(e.Message(), "Unknown database error");
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST_F(DatabaseFileTest, FailureLeavesOtherFilesAlone) {
    const std::string current = Path("current.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(current));
    const GlobalsRow before = ReadGlobals(current);
    try {
        CreateDatabaseFile(Path("no/such/folder/new.tch"));
        ADD_FAILURE() << "no failure";
    } catch (const cppsqlite3::SQLException& e) {
        EXPECT_EQ(e.Message(), "Unable to open the database file");
    }
    const GlobalsRow after = ReadGlobals(current);
    EXPECT_EQ(after.s, before.s);
    EXPECT_EQ(after.c, before.c);
}

// ---- The Globals row at open

void SetGlobals(const std::string& path, const std::string& c, const std::string& s) {
    Database db;
    db.Open(path);
    db.CreateStatement().Execute("UPDATE Globals SET U = 'other', C = '" + c + "', S = '" + s +
                                 "'");
}

GlobalsRow RewriteAndRead(const std::string& path) {
    {
        Database db;
        db.Open(path);
        RewriteGlobalsAtOpen(db.CreateStatement());
    }
    return ReadGlobals(path);
}

TEST_F(DatabaseFileTest, OpenTurnsNewIntoARealTime) {
    const std::string path = Path("b.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    SetGlobals(path, "NEW", "NEW");
    const std::string before = FormatStoredTimeStamp(FromLocalNow());
    const GlobalsRow g = RewriteAndRead(path);
    EXPECT_TRUE(IsStoredTimeStamp(g.c)) << g.c;
    EXPECT_LE(before, g.c);
    EXPECT_TRUE(IsStoredTimeStamp(g.s)) << g.s;
    EXPECT_EQ(g.u, kGlobalsToken);
    EXPECT_EQ(g.version, 20);
}

TEST_F(DatabaseFileTest, OpenKeepsCreationAndStampsNow) {
    const std::string path = Path("b.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    SetGlobals(path, "2005-03-01 09:05:00", "2006-01-01 00:00:00");
    const std::string before = FormatStoredTimeStamp(FromLocalNow());
    const GlobalsRow g = RewriteAndRead(path);
    EXPECT_EQ(g.c, "2005-03-01 09:05:00");
    EXPECT_LE(before, g.s);
}

TEST_F(DatabaseFileTest, OpenReadsCreationInTheUsersShortDate) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string path = Path("b.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    SetGlobals(path, "01.03.2005 09:05:00", "NEW");
    const GlobalsRow g = RewriteAndRead(path);
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(g.c, "2005-03-01 09:05:00");
}

TEST_F(DatabaseFileTest, OpenEmptiesAnUnreadableCreationTime) {
    const std::string path = Path("b.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    SetGlobals(path, "new", "whenever");
    const GlobalsRow g = RewriteAndRead(path);
    EXPECT_EQ(g.c, "");
    EXPECT_TRUE(IsStoredTimeStamp(g.s));
}

TEST_F(DatabaseFileTest, StampStatementSetsSaveTime) {
    const std::string path = Path("b.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    SetGlobals(path, "2005-03-01 09:05:00", "2005-03-01 09:05:00");
    {
        Database db;
        db.Open(path);
        db.CreateStatement().Execute(schema::kStamp);
    }
    const GlobalsRow g = ReadGlobals(path);
    EXPECT_EQ(g.c, "2005-03-01 09:05:00");
    EXPECT_GT(g.s, g.c);
    EXPECT_TRUE(IsStoredTimeStamp(g.s));
}

TEST_F(DatabaseFileTest, OnlyTheSchemasTablesAreAnAddressBook) {
    const auto check = [](const std::string& path) {
        Database db;
        db.Open(path);
        return HasAddressBookTables(db.CreateStatement());
    };
    const auto changed = [&](const std::string& path, const char* change) {
        CreateDatabaseFile(path);
        Database db;
        db.Open(path);
        db.CreateStatement().Execute(change);
    };
    const std::string path = Path("b.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    EXPECT_TRUE(check(path));
    for (const char* change :
         {"ALTER TABLE Person DROP COLUMN Pager", "ALTER TABLE User ADD COLUMN Pager TEXT",
          "ALTER TABLE Contact RENAME COLUMN DtTm TO Whenever", "DROP TABLE Globals",
          "ALTER TABLE ContactType RENAME TO Kind"}) {
        changed(path, change);
        EXPECT_FALSE(check(path)) << change;
    }
    // The engine's own column names ignore case; so does the check.
    changed(path, "ALTER TABLE Person RENAME COLUMN FName TO FNAME");
    EXPECT_TRUE(check(path));
}

TEST_F(DatabaseFileTest, GlobalsInsertQuotesItsTexts) {
    EXPECT_EQ(GlobalsInsert("U", "2005-03-01 09:05:00", "2006-01-01 00:00:00"),
              "INSERT INTO Globals VALUES(20, 'U', '2005-03-01 09:05:00', '2006-01-01 00:00:00')");
    EXPECT_EQ(GlobalsInsert("O'Brien", "", ""),
              "INSERT INTO Globals VALUES(20, 'O''Brien', '', '')");
}

}  // namespace

TEST_F(DatabaseFileTest, AnOlderFileGetsTheLookupIndexesOnce) {
    const std::string path = Path("old.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    EXPECT_TRUE(HasLookupIndexes(st));
    st.Execute("DROP INDEX PrsnIDIdx");
    st.Execute("DROP INDEX ContactPrsnDtIdx");
    st.Execute("INSERT INTO Person(ID, LName, TmStamp) VALUES('p1', 'Adams', '2005-03-01')");
    EXPECT_FALSE(HasLookupIndexes(st));
    CreateLookupIndexes(st);
    EXPECT_TRUE(HasLookupIndexes(st));
    CreateLookupIndexes(st);  // present already: nothing happens, nothing fails
    st.Execute("DROP INDEX ContactPrsnDtIdx");
    EXPECT_FALSE(HasLookupIndexes(st));  // one of the two is not enough
    CreateLookupIndexes(st);
    // Stored as a new file stores them.
    Query& q = st.ExecuteQuery(
        "SELECT group_concat(sql, '|') FROM (SELECT sql FROM sqlite_master WHERE name IN "
        "('PrsnIDIdx', 'ContactPrsnDtIdx') ORDER BY name)");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString(1),
              std::string(schema::kCreateContactPersonIndex) + "|" + schema::kCreatePersonIdIndex);
}

TEST_F(DatabaseFileTest, TheIndexOfContactsByPersonAloneGivesWayToTheOneWithTheDate) {
    const std::string path = Path("by-person.tch");
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    // As files from before the contacts were indexed by date have it.
    st.Execute("DROP INDEX ContactPrsnDtIdx");
    st.Execute("CREATE INDEX ContactPrsnIdx ON Contact(PersonID)");
    EXPECT_FALSE(HasLookupIndexes(st));
    CreateLookupIndexes(st);
    EXPECT_TRUE(HasLookupIndexes(st));
    Query& names = st.ExecuteQuery(
        "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE type = 'index' "
        "AND tbl_name = 'Contact' ORDER BY name)");
    ASSERT_TRUE(names.Next());
    EXPECT_EQ(names.GetString(1), "ContactDtIdx ContactPrsnDtIdx");
    st.CloseQuery();
    // A person's newest contact is one step down the index, not a read of their rows.
    Query& plan =
        st.ExecuteQuery("EXPLAIN QUERY PLAN SELECT MAX(DtTm) FROM Contact WHERE PersonID = 'p1'");
    std::string steps;
    while (plan.Next()) {
        steps += plan.GetString(4);
    }
    EXPECT_NE(steps.find("COVERING INDEX ContactPrsnDtIdx"), std::string::npos) << steps;
}
