#include <gtest/gtest.h>

#include <functional>

#include <QFile>

#include <QLocale>

#include "AddressBook.h"
#include "Database.h"
#include "SQLException.h"
#include "TestBook.h"

namespace {

std::vector<std::string> Names(const std::vector<PersonRow>& rows) {
    std::vector<std::string> names;
    for (const PersonRow& r : rows) {
        names.push_back(r.name);
    }
    return names;
}

TEST(AddressBook, PersonListByNameOrdersByLastThenFirstName) {
    TestBook book;
    const std::string path = book.Create();
    TestBook::AddPerson(path, "Mary", "Smith", "Zeta");
    TestBook::AddPerson(path, "Adam", "Smith", "");
    TestBook::AddPerson(path, "Sean", "O'Brien", "Acme");
    TestBook::AddPerson(path, "", "", "Only Company Ltd");
    TestBook::AddPerson(path, "Cher", "", "");
    std::vector<PersonRow> rows;
    LoadPersonList(path, PersonOrder::ByName, rows);
    // No last name sorts first; then the first name decides, the empty one before "Cher".
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"Only Company Ltd", "Cher", "O'Brien, Sean",
                                                     "Smith, Adam", "Smith, Mary"}));
    EXPECT_EQ(rows[2].company, "Acme");
    EXPECT_EQ(rows[0].id.size(), 31u);
}

TEST(AddressBook, PersonListByCompanyPutsPersonsWithoutCompanyFirst) {
    TestBook book;
    const std::string path = book.Create();
    TestBook::AddPerson(path, "Mary", "Smith", "Zeta");
    TestBook::AddPerson(path, "Adam", "Jones", "");
    TestBook::AddPerson(path, "Sean", "O'Brien", "Acme");
    std::vector<PersonRow> rows;
    LoadPersonList(path, PersonOrder::ByCompany, rows);
    EXPECT_EQ(Names(rows),
              (std::vector<std::string>{"Jones, Adam", "O'Brien, Sean", "Smith, Mary"}));
}

TEST(AddressBook, PersonWithNoNameNorCompanyIsAnEmptyRow) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId id = TestBook::AddPerson(path, "", "", "");
    std::vector<PersonRow> rows;
    LoadPersonList(path, PersonOrder::ByName, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "");
    EXPECT_EQ(rows[0].id, id);
}

TEST(AddressBook, LoadPersonReadsEveryField) {
    TestBook book;
    const std::string path = book.Create();
    PersonRecord p;
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        p.fields[f] = std::string("v'") + PersonRecord::ColumnName(PersonRecord::Field(f));
    }
    p.id = TestBook::AddPerson(path, p);
    PersonRecord read;
    ASSERT_TRUE(LoadPerson(path, p.id, read));
    EXPECT_EQ(read.id, p.id);
    EXPECT_EQ(read.fields, p.fields);
    EXPECT_FALSE(LoadPerson(path, "no such id", read));
    EXPECT_FALSE(LoadPerson(path, "x' OR '1'='1", read));
}

TEST(AddressBook, ContactListNewestFirstOrByType) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId person = TestBook::AddPerson(path, "Mary", "Smith");
    const RecordId other = TestBook::AddPerson(path, "Adam", "Jones");
    TestBook::AddContact(path, person, "2005-03-01 09:05:00", "old call");
    TestBook::AddContact(path, person, "2006-01-02 10:00:00", "new mail",
                         "03F6262A-4362-44A9-B770293650BB");
    TestBook::AddContact(path, person, "2005-06-01 12:00:00", "middle mail",
                         "03F6262A-4362-44A9-B770293650BB");
    TestBook::AddContact(path, other, "2007-01-01 00:00:00", "someone else's");
    std::vector<ContactRow> rows;
    LoadContactList(path, person, ContactOrder::ByDate, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].notes, "new mail");
    EXPECT_EQ(rows[1].notes, "middle mail");
    EXPECT_EQ(rows[2].notes, "old call");
    EXPECT_EQ(rows[0].type, "Email");
    rows.clear();
    LoadContactList(path, person, ContactOrder::ByType, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].notes, "new mail");
    EXPECT_EQ(rows[1].notes, "middle mail");
    EXPECT_EQ(rows[2].notes, "old call");
    EXPECT_EQ(rows[2].type, "Telephone");
}

TEST(AddressBook, ContactDatesAreShownInTheUsersFormat) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TestBook book;
    const std::string path = book.Create();
    const RecordId person = TestBook::AddPerson(path, "Mary", "Smith");
    TestBook::AddContact(path, person, "2005-03-01 21:05:00", "call");
    TestBook::AddContact(path, person, "not a date", "broken");
    std::vector<ContactRow> rows;
    LoadContactList(path, person, ContactOrder::ByDate, rows);
    QLocale::setDefault(QLocale::system());
    ASSERT_EQ(rows.size(), 2u);
    // "not a date" sorts after the digits as text.
    EXPECT_EQ(rows[0].notes, "broken");
    EXPECT_EQ(rows[0].date, "");
    EXPECT_EQ(rows[0].time, "");
    EXPECT_EQ(rows[1].date, "01.03.2005");
    EXPECT_EQ(rows[1].time, "21:05:00");
}

TEST(AddressBook, LoadContactReadsTheDetails) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId person = TestBook::AddPerson(path, "Mary", "Smith");
    const RecordId id = TestBook::AddContact(path, person, "2005-03-01 09:05:00",
                                             "line 1\r\nline 2", "B672E21B-848D-430C-98240E6DA171");
    ContactDetails c;
    ASSERT_TRUE(LoadContact(path, id, c));
    EXPECT_EQ(c.notes, "line 1\r\nline 2");
    EXPECT_EQ(c.when, DateTime::FromFields(2005, 3, 1, 9, 5, 0));
    EXPECT_EQ(c.type, "Personal");
    EXPECT_EQ(c.typeId, "B672E21B-848D-430C-98240E6DA171");
    EXPECT_FALSE(LoadContact(path, "missing", c));
}

TEST(AddressBook, ReadsFailOnAFileWithoutTheTables) {
    TestBook book;
    const std::string path = book.Path("empty.tch");
    cppsqlite3::Database().Create(path);
    std::vector<PersonRow> rows;
    try {
        LoadPersonList(path, PersonOrder::ByName, rows);
        FAIL() << "no exception";
    } catch (const cppsqlite3::SQLException& e) {
        EXPECT_EQ(e.Message(), "SQL error or missing database");
    }
}

TEST(AddressBook, AFileDeletedSinceItWasOpenedIsNotMadeAgain) {
    TestBook book;
    const std::string path = book.Create();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
    std::vector<PersonRow> rows;
    PersonRecord person;
    std::vector<ContactRow> contacts;
    ContactDetails contact;
    const std::vector<std::function<void()>> reads = {
        [&] { LoadPersonList(path, PersonOrder::ByName, rows); },
        [&] { LoadPerson(path, "X", person); },
        [&] { LoadContactList(path, "X", ContactOrder::ByDate, contacts); },
        [&] { LoadContact(path, "X", contact); },
    };
    for (const auto& read : reads) {
        try {
            read();
            ADD_FAILURE() << "no exception";
        } catch (const cppsqlite3::SQLException& e) {
            EXPECT_EQ(e.Message(), "The file " + path + " no longer exists.");
        }
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    }
}

TEST(AddressBook, WorkPhoneTakesTheExtensionOnlyWithAPhone) {
    EXPECT_EQ(WorkPhoneText("555-1234", "12"), "555-1234x12");
    EXPECT_EQ(WorkPhoneText("555-1234", ""), "555-1234");
    EXPECT_EQ(WorkPhoneText("", "12"), "");
}

TEST(AddressBook, QueriesQuoteTheIdentifier) {
    EXPECT_NE(ContactListQuery("a'b", ContactOrder::ByDate).find("PersonID = 'a''b'"),
              std::string::npos);
    EXPECT_EQ(PersonListQuery(PersonOrder::ByName),
              "SELECT ID, FName, LName, Company FROM Person ORDER BY LName, FName");
}

}  // namespace
