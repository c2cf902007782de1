#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <QFile>

#include "AddressBook.h"
#include "Database.h"
#include "RecordEditing.h"
#include "SQLException.h"
#include "TestBook.h"

namespace {

constexpr char kOldStamp[] = "2000-01-01 00:00:00";
constexpr char kTelephoneId[] = "9DC618A3-8452-4D33-A70BDB1C91FE";
constexpr char kEmailId[] = "03F6262A-4362-44A9-B770293650BB";
constexpr int kBusy = 5;  // "database is locked"

PersonRecord Numbered(const char* prefix) {
    PersonRecord p;
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        p.fields[f] = prefix + std::to_string(f);
    }
    return p;
}

class RecordEditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    }

    std::string Stamp() const { return TestBook::QueryText(path_, "SELECT S FROM Globals"); }
    std::string Count(const std::string& table) const {
        return TestBook::QueryText(path_, "SELECT count(*) FROM " + table);
    }
    QByteArray FileBytes() const {
        QFile file(QString::fromStdString(path_));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    TestBook book_;
    std::string path_;
};

}  // namespace

TEST(RecordStatementsTest, PersonStatementsQuoteEveryValueInTableOrder) {
    PersonRecord p = Numbered("v");
    p[PersonRecord::LName] = "O'Brien";
    EXPECT_EQ(editing::InsertPersonSql("ID-1", p),
              "INSERT INTO Person VALUES('ID-1', 'v0', 'v1', 'O''Brien', 'v3', 'v4', 'v5', 'v6', "
              "'v7', 'v8', 'v9', 'v10', 'v11', 'v12', 'v13', 'v14', 'v15', 'v16', "
              "datetime('now', 'localtime'))");
    p.id = "it's";
    EXPECT_EQ(editing::UpdatePersonSql(p),
              "UPDATE Person SET Title = 'v0', FName = 'v1', LName = 'O''Brien', Company = 'v3', "
              "Position = 'v4', Addr = 'v5', City = 'v6', State = 'v7', Zip = 'v8', HmPhone = "
              "'v9', WkPhone = 'v10', WkExt = 'v11', CelPhone = 'v12', Pager = 'v13', WkFax = "
              "'v14', Email = 'v15', WebPage = 'v16' , TmStamp = datetime('now', 'localtime') "
              "WHERE ID = 'it''s'");
}

TEST(RecordStatementsTest, UserStatementLeavesOutThePager) {
    PersonRecord u = Numbered("u");
    u.id = "U-1";
    EXPECT_EQ(editing::UpdateUserSql(u),
              "UPDATE User SET Title = 'u0', FName = 'u1', LName = 'u2', Company = 'u3', "
              "Position = 'u4', Addr = 'u5', City = 'u6', State = 'u7', Zip = 'u8', HmPhone = "
              "'u9', WkPhone = 'u10', WkExt = 'u11', CelPhone = 'u12', WkFax = 'u14', Email = "
              "'u15', WebPage = 'u16', TmStamp = datetime('now', 'localtime') WHERE ID = 'U-1'");
}

TEST(RecordStatementsTest, ContactStatementsUseTheStoredTimeForm) {
    const DateTime when = DateTime::FromFields(2006, 7, 8, 9, 5, 3);
    EXPECT_EQ(editing::InsertContactSql("C-1", "P-1", when, "it's", "T-1"),
              "INSERT INTO Contact VALUES('C-1', 'P-1', '2006-07-08 09:05:03', 'it''s', 'T-1', "
              "datetime('now', 'localtime'))");
    EXPECT_EQ(editing::UpdateContactSql("C-1", when, "x", "T-2"),
              "UPDATE Contact SET DtTm = '2006-07-08 09:05:03', Description = 'x', "
              "ContactTypeID = 'T-2' WHERE ID = 'C-1';");
}

TEST_F(RecordEditingTest, AddedPersonKeepsQuotesLineBreaksAndStamps) {
    PersonRecord p;
    p[PersonRecord::LName] = "O'Brien";
    p[PersonRecord::Company] = "\"Quoted\" & Co";
    p[PersonRecord::Addr] = "1 Main St\r\nSuite 'B'";
    p[PersonRecord::Pager] = "555";
    const RecordId id = editing::AddPerson(path_, p);
    EXPECT_EQ(id.size(), 31u);
    PersonRecord stored;
    ASSERT_TRUE(LoadPerson(path_, id, stored));
    EXPECT_EQ(stored.fields, p.fields);
    EXPECT_NE(Stamp(), kOldStamp);
    EXPECT_NE(TestBook::QueryText(path_, "SELECT TmStamp FROM Person"), "");
}

TEST_F(RecordEditingTest, UpdateChangesOnlyThatPerson) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId b = TestBook::AddPerson(path_, "Bob", "Brown");
    PersonRecord changed = Numbered("n");
    changed.id = a;
    editing::UpdatePerson(path_, changed);
    PersonRecord stored;
    ASSERT_TRUE(LoadPerson(path_, a, stored));
    EXPECT_EQ(stored.fields, changed.fields);
    ASSERT_TRUE(LoadPerson(path_, b, stored));
    EXPECT_EQ(stored[PersonRecord::FName], "Bob");
    EXPECT_NE(Stamp(), kOldStamp);
}

TEST_F(RecordEditingTest, ThePersonWriterStoresWhatTheStatementsStore) {
    // The same person written by a statement text and by the writer: the same columns, types
    // and bytes, an old file's NUL and Windows-1252 bytes included.
    PersonRecord p = Numbered("w");
    p[PersonRecord::LName] = "O'Brien";
    p[PersonRecord::Addr] = std::string("1 Main St\r\n\0B", 13);
    p[PersonRecord::City] = "M\xfcnchen";
    p[PersonRecord::Pager] = "";
    editing::RunChange(path_, {editing::InsertPersonSql("by-text", p)});
    {
        cppsqlite3::Database db;
        db.Open(path_);
        cppsqlite3::Statement& st = db.CreateStatement();
        editing::PersonWriter writer(st);
        writer.Insert("by-writer", p);
        PersonRecord read;
        ASSERT_TRUE(writer.Read("by-writer", read));
        EXPECT_EQ(read.id, "by-writer");
        EXPECT_EQ(read.fields, p.fields);
        EXPECT_FALSE(writer.Read("nobody", read));
        EXPECT_EQ(read.id, "by-writer") << "a person not found leaves the record as it was";
    }
    const auto row = [&](const char* id) {
        std::string columns;
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            const std::string name = PersonRecord::ColumnName(PersonRecord::Field(f));
            columns += (columns.empty() ? "" : " || '|' || ") + std::string("typeof(") + name +
                       ") || ':' || hex(" + name + ")";
        }
        return TestBook::QueryText(path_,
                                   "SELECT " + columns + " FROM Person WHERE ID = '" + id + "'");
    };
    ASSERT_FALSE(row("by-text").empty());
    EXPECT_EQ(row("by-writer"), row("by-text"));

    // An update by each way, of different persons to the same fields.
    PersonRecord q = Numbered("u");
    q[PersonRecord::Email] = "it's@example.org";
    q.id = "by-text";
    editing::RunChange(path_, {editing::UpdatePersonSql(q)});
    {
        cppsqlite3::Database db;
        db.Open(path_);
        cppsqlite3::Statement& st = db.CreateStatement();
        editing::PersonWriter writer(st);
        q.id = "by-writer";
        writer.Update(q);
    }
    EXPECT_EQ(row("by-writer"), row("by-text"));
    EXPECT_EQ(Count("Person"), "2");
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT count(*) FROM Person WHERE TmStamp = ''"), "0");
}

TEST_F(RecordEditingTest, DeletingPersonRemovesItsContactsOnly) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId b = TestBook::AddPerson(path_, "Bob", "Brown");
    TestBook::AddContact(path_, a, "2005-01-01 10:00:00", "one");
    TestBook::AddContact(path_, a, "2005-01-02 10:00:00", "two");
    TestBook::AddContact(path_, b, "2005-01-03 10:00:00", "kept");
    editing::DeletePerson(path_, a);
    EXPECT_EQ(Count("Person"), "1");
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT Description FROM Contact"), "kept");
    EXPECT_EQ(Count("Contact"), "1");
    EXPECT_NE(Stamp(), kOldStamp);
}

TEST_F(RecordEditingTest, ContactsAreAddedChangedAndDeleted) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const DateTime when = DateTime::FromFields(2007, 2, 3, 4, 5, 6);
    const RecordId c = editing::AddContact(path_, a, when, "line 1\r\nit's", kTelephoneId);
    editing::StoredContact stored;
    ASSERT_TRUE(editing::LoadStoredContact(path_, c, stored));
    EXPECT_EQ(stored.when, when);
    EXPECT_EQ(stored.description, "line 1\r\nit's");
    EXPECT_EQ(stored.typeId, kTelephoneId);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT PersonID FROM Contact"), a);

    TestBook::Execute(path_, "UPDATE Contact SET TmStamp = 'old'");
    const DateTime later = DateTime::FromFields(2007, 2, 3, 16, 0, 0);
    editing::UpdateContact(path_, c, later, "changed", kEmailId);
    ASSERT_TRUE(editing::LoadStoredContact(path_, c, stored));
    EXPECT_EQ(stored.when, later);
    EXPECT_EQ(stored.description, "changed");
    EXPECT_EQ(stored.typeId, kEmailId);
    // An edit leaves the contact's own time stamp alone.
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT TmStamp FROM Contact"), "old");

    editing::DeleteContact(path_, c);
    EXPECT_EQ(Count("Contact"), "0");
    EXPECT_FALSE(editing::LoadStoredContact(path_, c, stored));
}

TEST_F(RecordEditingTest, StoredContactWithUnreadableDateGivesInvalidTime) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId c = TestBook::AddContact(path_, a, "someday", "vague");
    editing::StoredContact stored;
    ASSERT_TRUE(editing::LoadStoredContact(path_, c, stored));
    EXPECT_FALSE(stored.when.IsValid());
    EXPECT_EQ(stored.description, "vague");
}

TEST_F(RecordEditingTest, TypeChoicesComeInTableOrder) {
    TestBook::Execute(path_, "INSERT INTO ContactType VALUES('Z-1', 'aardvark')");
    std::vector<editing::TypeChoice> choices;
    editing::LoadTypeChoices(path_, choices);
    ASSERT_EQ(choices.size(), 5u);
    EXPECT_EQ(choices.back().id, "Z-1");
    EXPECT_EQ(choices.back().description, "aardvark");
}

TEST_F(RecordEditingTest, FirstUserLoadMakesTheRowWithoutStampingTheFile) {
    EXPECT_EQ(Count("User"), "0");
    PersonRecord user;
    editing::LoadUserRecord(path_, user);
    EXPECT_EQ(Count("User"), "1");
    EXPECT_EQ(user.id, TestBook::QueryText(path_, "SELECT ID FROM User"));
    EXPECT_EQ(user.id.size(), 31u);
    for (const std::string& field : user.fields) {
        EXPECT_EQ(field, "");
    }
    EXPECT_NE(TestBook::QueryText(path_, "SELECT TmStamp FROM User"), "");
    EXPECT_EQ(Stamp(), kOldStamp);

    PersonRecord again;
    editing::LoadUserRecord(path_, again);
    EXPECT_EQ(again.id, user.id);
    EXPECT_EQ(Count("User"), "1");
}

TEST_F(RecordEditingTest, UserRecordRoundTripsWithoutPager) {
    PersonRecord user;
    editing::LoadUserRecord(path_, user);
    PersonRecord changed = Numbered("u");
    changed.id = user.id;
    changed[PersonRecord::Company] = "O'Neil \"Ltd\"";
    editing::UpdateUser(path_, changed);
    EXPECT_NE(Stamp(), kOldStamp);
    PersonRecord read;
    editing::LoadUserRecord(path_, read);
    changed[PersonRecord::Pager].clear();
    EXPECT_EQ(read.fields, changed.fields);
    EXPECT_EQ(read.id, user.id);
}

TEST_F(RecordEditingTest, SecondUserRowIsIgnored) {
    PersonRecord user;
    editing::LoadUserRecord(path_, user);
    TestBook::Execute(path_, "INSERT INTO User(ID, FName, TmStamp) VALUES('ZZ', 'second', '')");
    PersonRecord read;
    editing::LoadUserRecord(path_, read);
    EXPECT_EQ(read.id, user.id);
    EXPECT_EQ(read[PersonRecord::FName], "");
}

// Every change meets a lock taken by another connection after its BEGIN: it throws, and the
// file, last-saved time included, is exactly as before.
TEST_F(RecordEditingTest, LockedFileLeavesEveryChangeUndone) {
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId c = TestBook::AddContact(path_, a, "2005-01-01 10:00:00", "one");
    PersonRecord user;
    editing::LoadUserRecord(path_, user);
    TestBook::Execute(path_, std::string("UPDATE Globals SET S = '") + kOldStamp + "'");
    PersonRecord changed = Numbered("x");
    changed.id = a;
    PersonRecord changedUser = Numbered("y");
    changedUser.id = user.id;
    const DateTime when = DateTime::FromFields(2010, 1, 1);
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"add person", [&] { editing::AddPerson(path_, changed); }},
        {"update person", [&] { editing::UpdatePerson(path_, changed); }},
        {"delete person", [&] { editing::DeletePerson(path_, a); }},
        {"update user", [&] { editing::UpdateUser(path_, changedUser); }},
        {"add contact", [&] { editing::AddContact(path_, a, when, "new", kTelephoneId); }},
        {"update contact", [&] { editing::UpdateContact(path_, c, when, "new", kTelephoneId); }},
        {"delete contact", [&] { editing::DeleteContact(path_, c); }},
    };
    const QByteArray before = FileBytes();
    for (const auto& [name, change] : changes) {
        cppsqlite3::Database locker;
        locker.Open(path_);
        locker.CreateStatement().Execute("BEGIN IMMEDIATE");
        try {
            change();
            ADD_FAILURE() << name << " went through a locked file";
        } catch (const cppsqlite3::SQLException& e) {
            EXPECT_EQ(e.Message(), cppsqlite3::SQLException::MessageForCode(kBusy)) << name;
        }
        locker.Close();
        EXPECT_EQ(FileBytes(), before) << name;
        EXPECT_EQ(Stamp(), kOldStamp) << name;
    }
}

TEST_F(RecordEditingTest, StoredRowTellsAnyWriteSinceItWasRead) {
    using editing::RowTable;
    using editing::StoredState;
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId b = TestBook::AddPerson(path_, "Bob", "Brown");
    const editing::StoredRow loaded = editing::ReadStoredRow(path_, RowTable::Person, a);
    ASSERT_EQ(loaded.size(), 19u);  // the identifier, the fields and TmStamp
    EXPECT_EQ(editing::CompareStored(path_, RowTable::Person, a, loaded), StoredState::AsLoaded);
    // Another row, or the file's stamp, is not this record.
    TestBook::Execute(path_, "UPDATE Person SET City = 'X' WHERE ID = '" + b + "'");
    TestBook::Execute(path_, "UPDATE Globals SET S = 'touched'");
    EXPECT_EQ(editing::CompareStored(path_, RowTable::Person, a, loaded), StoredState::AsLoaded);
    // The time stamp alone tells a write that left the fields as they were.
    TestBook::Execute(path_, "UPDATE Person SET TmStamp = 'later' WHERE ID = '" + a + "'");
    EXPECT_EQ(editing::CompareStored(path_, RowTable::Person, a, loaded), StoredState::Changed);
    const editing::StoredRow again = editing::ReadStoredRow(path_, RowTable::Person, a);
    TestBook::Execute(path_, "UPDATE Person SET WebPage = 'w' WHERE ID = '" + a + "'");
    EXPECT_EQ(editing::CompareStored(path_, RowTable::Person, a, again), StoredState::Changed);
    TestBook::Execute(path_, "DELETE FROM Person WHERE ID = '" + a + "'");
    EXPECT_EQ(editing::CompareStored(path_, RowTable::Person, a, again), StoredState::Deleted);
    EXPECT_TRUE(editing::ReadStoredRow(path_, RowTable::Person, a).empty());

    const RecordId c = TestBook::AddContact(path_, b, "2003-03-03 09:00:00", "note");
    const editing::StoredRow contact = editing::ReadStoredRow(path_, RowTable::Contact, c);
    ASSERT_EQ(contact.size(), 6u);
    TestBook::Execute(path_, "UPDATE Contact SET ContactTypeID = '" + std::string(kEmailId) + "'");
    EXPECT_EQ(editing::CompareStored(path_, RowTable::Contact, c, contact), StoredState::Changed);
    const editing::StoredRow type = editing::ReadStoredRow(path_, RowTable::ContactType, kEmailId);
    EXPECT_FALSE(type.empty());
    EXPECT_EQ(editing::CompareStored(path_, RowTable::ContactType, kEmailId, type),
              StoredState::AsLoaded);
}
