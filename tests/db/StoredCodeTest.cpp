#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include <string>

#include "Database.h"
#include "DatabaseFile.h"
#include "SQLException.h"
#include "TestBook.h"

using cppsqlite3::Database;
using cppsqlite3::SQLException;

namespace {

QByteArray Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll();
}

bool Exists(const std::string& path) {
    return QFile::exists(QString::fromStdString(path));
}

// Opens the file and returns what the open was refused for; fails the test when it opened or
// failed otherwise.
template <typename Open>
StoredCode RefusedFor(Open open) {
    try {
        open();
    } catch (const StoredCodeRefused& e) {
        EXPECT_EQ(e.Code(), 0);
        EXPECT_EQ(e.Message(),
                  "The file holds triggers or views: code of its own that would run when it is "
                  "changed. Tidemark does not open such files.");
        return e.Found();
    } catch (const SQLException& e) {
        ADD_FAILURE() << "failed otherwise: " << e.Message();
        return StoredCode::None;
    }
    ADD_FAILURE() << "opened";
    return StoredCode::None;
}

// A book of the program's own making with a person in it, changed by raw SQL afterwards.
struct Change {
    const char* name;
    const char* sql;
    StoredCode found;
};

std::ostream& operator<<(std::ostream& os, const Change& c) {
    return os << c.name;
}

// Each trigger rewrites the persons when it runs; opening the book would set it off.
const Change kChanges[] = {
    {"TriggerOnUser",
     "CREATE TRIGGER Rewrite AFTER INSERT ON User BEGIN UPDATE Person SET LName = 'x'; END",
     StoredCode::Triggers},
    {"TriggerOnPerson",
     "CREATE TRIGGER Rewrite BEFORE UPDATE ON Person BEGIN DELETE FROM Contact; END",
     StoredCode::Triggers},
    {"TriggerOnContactType",
     "CREATE TRIGGER Rewrite AFTER DELETE ON ContactType BEGIN UPDATE Person SET LName = 'x'; "
     "END",
     StoredCode::Triggers},
    {"TriggerOnContact",
     "CREATE TRIGGER Rewrite AFTER INSERT ON Contact BEGIN UPDATE Person SET LName = 'x'; END",
     StoredCode::Triggers},
    {"TriggerOnGlobals",
     "CREATE TRIGGER Rewrite AFTER UPDATE ON Globals BEGIN UPDATE Person SET LName = 'x'; END",
     StoredCode::Triggers},
    {"PersonAView",
     "ALTER TABLE Person RENAME TO Persons; CREATE VIEW Person AS SELECT * FROM Persons",
     StoredCode::Views},
    // Names are the engine's, whatever their case.
    {"GlobalsAViewInOtherCase",
     "ALTER TABLE Globals RENAME TO G; CREATE VIEW gLoBaLs AS SELECT * FROM G", StoredCode::Views},
};

class StoredCodeTest : public ::testing::TestWithParam<Change> {
protected:
    std::string MakeBook() {
        const std::string path = book_.Create();
        TestBook::AddPerson(path, "Ann", "Adams");
        TestBook::Execute(path, GetParam().sql);
        return path;
    }
    TestBook book_;
};

TEST_P(StoredCodeTest, IsRefusedAtEveryOpenAndTheFileStaysAsItWas) {
    const std::string path = MakeBook();
    const QByteArray before = Bytes(path);
    ASSERT_FALSE(before.isEmpty());
    Database db;
    EXPECT_EQ(RefusedFor([&] { db.Open(path); }), GetParam().found);
    EXPECT_FALSE(db.IsOpen());
    // Create opens an existing file, too: the same refusal.
    EXPECT_EQ(RefusedFor([&] { db.Create(path); }), GetParam().found);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(Bytes(path), before);
    EXPECT_FALSE(Exists(path + "-journal"));
    EXPECT_FALSE(Exists(path + "-wal"));
}

INSTANTIATE_TEST_SUITE_P(Books, StoredCodeTest, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& info) {
                             return std::string(info.param.name);
                         });

class StoredCodeConnectionTest : public ::testing::Test {
protected:
    TestBook book_;
};

TEST_F(StoredCodeConnectionTest, ABookOfTheProgramOpensAndSoDoesOneWithAViewOfItsOwn) {
    const std::string path = book_.Create();
    {
        Database db;
        ASSERT_NO_THROW(db.Open(path));
        EXPECT_EQ(FindStoredCode(db), StoredCode::None);
    }
    // A view another program keeps beside the tables is never read here.
    TestBook::Execute(path, "CREATE VIEW Names AS SELECT FName, LName FROM Person");
    Database db;
    ASSERT_NO_THROW(db.Open(path));
    EXPECT_EQ(FindStoredCode(db), StoredCode::None);
    EXPECT_TRUE(HasAddressBookTables(db.CreateStatement()));
}

TEST_F(StoredCodeConnectionTest, ATriggerAddedWhileAConnectionIsOpenNeverRuns) {
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    // Another program adds the trigger after this connection read the schema.
    TestBook::Execute(path,
                      "CREATE TRIGGER Rewrite AFTER UPDATE ON Globals BEGIN UPDATE Person SET "
                      "LName = 'rewritten'; END");
    EXPECT_EQ(st.Execute(schema::kStamp), 1);
    cppsqlite3::Query& q = st.ExecuteQuery("SELECT LName FROM Person");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString(1), "Adams");
}

TEST_F(StoredCodeConnectionTest, AViewPutInPlaceWhileAConnectionIsOpenIsNotRead) {
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    TestBook::Execute(path,
                      "ALTER TABLE Person RENAME TO Persons; CREATE VIEW Person AS SELECT * FROM "
                      "Persons");
    EXPECT_THROW(st.ExecuteQuery("SELECT LName FROM Person"), SQLException);
}

TEST_F(StoredCodeConnectionTest, NoStatementCanWriteTheSchemaAndItIsNotTrusted) {
    const std::string path = book_.Create();
    Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    st.Execute("PRAGMA writable_schema=ON");
    EXPECT_THROW(st.Execute("UPDATE sqlite_master SET sql = 'CREATE TABLE Person(ID TEXT)' "
                            "WHERE name = 'Person'"),
                 SQLException);
    // Nor can it give up the journal that keeps a failed change from half-writing the file.
    cppsqlite3::Query& mode = st.ExecuteQuery("PRAGMA journal_mode=OFF");
    ASSERT_TRUE(mode.Next());
    EXPECT_EQ(mode.GetString(1), "delete");
    db.Close();
    EXPECT_EQ(TestBook::QueryText(path, "SELECT sql FROM sqlite_master WHERE name = 'Person'"),
              schema::kCreatePerson);
    // Functions named in the schema must be harmless ones.
    EXPECT_EQ(TestBook::QueryText(path, "PRAGMA trusted_schema"), "0");
}

}  // namespace
