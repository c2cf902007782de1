#include <gtest/gtest.h>

#include <functional>

#include <QFile>

#include <QLocale>

#include "AddressBook.h"
#include "Database.h"
#include "SQLException.h"
#include "TestBook.h"

namespace {

std::vector<std::string> Names(const PersonRowList& rows) {
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
    PersonRowList rows;
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
    PersonRowList rows;
    LoadPersonList(path, PersonOrder::ByCompany, rows);
    EXPECT_EQ(Names(rows),
              (std::vector<std::string>{"Jones, Adam", "O'Brien, Sean", "Smith, Mary"}));
}

TEST(AddressBook, PersonWithNoNameNorCompanyIsAnEmptyRow) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId id = TestBook::AddPerson(path, "", "", "");
    PersonRowList rows;
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
    ContactRowList rows;
    LoadContactList(path, person, ContactOrder::ByDate, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].notes, "new mail");
    EXPECT_EQ(rows[1].notes, "middle mail");
    EXPECT_EQ(rows[2].notes, "old call");
    EXPECT_EQ(rows[0].type, "Email");
    rows = ContactRowList();
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
    ContactRowList rows;
    LoadContactList(path, person, ContactOrder::ByDate, rows);
    ASSERT_EQ(rows.size(), 2u);
    // "not a date" sorts after the digits as text.
    EXPECT_EQ(rows[0].notes, "broken");
    EXPECT_EQ(rows[0].date, "");
    EXPECT_EQ(rows[0].time, "");
    EXPECT_EQ(rows[1].date, "01.03.2005");
    EXPECT_EQ(rows[1].time, "21:05:00");
    QLocale::setDefault(QLocale::system());
}

TEST(AddressBook, ContactRowsCarryWhatTheDetailsShow) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId person = TestBook::AddPerson(path, "Mary", "Smith");
    const RecordId id = TestBook::AddContact(path, person, "2005-03-01 09:05:00",
                                             "line 1\r\nline 2", "B672E21B-848D-430C-98240E6DA171");
    ContactRowList rows;
    LoadContactList(path, person, ContactOrder::ByDate, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.Notes(0), "line 1\r\nline 2");
    EXPECT_EQ(rows.When(0), DateTime::FromFields(2005, 3, 1, 9, 5, 0));
    EXPECT_EQ(rows.Type(0), "Personal");
    EXPECT_EQ(rows.Id(0), id);
    EXPECT_EQ(rows.Find(id), 0);
    EXPECT_EQ(rows.Find("missing"), -1);
}

TEST(AddressBook, PackedRowsKeepEveryFieldWhole) {
    // Empty fields, NUL bytes and a field longer than any small-string buffer, in one buffer.
    using namespace std::string_literals;
    const std::string nul = "a\0b"s;
    const std::string longText(70000, 'x');
    PersonRowList rows;
    rows.Append({"id-1", "", "Adams", ""});
    rows.Append({"id-2", nul, longText, "Co"});
    rows.Append({"", "", "", ""});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.Name(0), "Adams");
    EXPECT_EQ(rows.Field(1, PersonRowList::FNameField), nul);
    EXPECT_EQ(rows.Field(1, PersonRowList::LNameField).size(), 70000u);
    EXPECT_EQ(rows.Company(1), "Co");
    EXPECT_EQ(rows.Name(2), "");
    EXPECT_EQ(rows.Find("id-2"), 1);
    rows.Erase(0);
    EXPECT_EQ(rows.Find("id-2"), 0);
    EXPECT_EQ(rows[0].company, "Co");
    EXPECT_EQ(rows.Find("id-1"), -1);
}

TEST(AddressBook, NoPersonMeansNoContactsAndNoQuery) {
    TestBook book;
    const std::string path = book.Create();
    TestBook::Execute(path, "DROP TABLE Contact");
    ContactRowList rows;
    EXPECT_NO_THROW(LoadContactList(path, RecordId(), ContactOrder::ByDate, rows));
    EXPECT_TRUE(rows.empty());
}

TEST(AddressBook, TheListsLookUpByIndex) {
    TestBook book;
    const std::string path = book.Create();
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    auto details = [&st](const std::string& query) {
        std::string all;
        cppsqlite3::Query& q = st.ExecuteQuery("EXPLAIN QUERY PLAN " + query);
        while (q.Next()) {
            all += q.GetString(4) + "\n";
        }
        st.CloseQuery();
        return all;
    };
    const std::string contacts = details(ContactListQuery("X", ContactOrder::ByDate));
    EXPECT_NE(contacts.find("ContactPrsnIdx"), std::string::npos) << contacts;
    EXPECT_EQ(contacts.find("SCAN Contact\n"), std::string::npos) << contacts;
    const std::string person = details("SELECT * FROM Person WHERE ID = 'X'");
    EXPECT_NE(person.find("PrsnIDIdx"), std::string::npos) << person;
}

TEST(AddressBook, ReadsFailOnAFileWithoutTheTables) {
    TestBook book;
    const std::string path = book.Path("empty.tch");
    cppsqlite3::Database().Create(path);
    PersonRowList rows;
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
    PersonRowList rows;
    PersonRecord person;
    ContactRowList contacts;
    const std::vector<std::function<void()>> reads = {
        [&] { LoadPersonList(path, PersonOrder::ByName, rows); },
        [&] { LoadPerson(path, "X", person); },
        [&] { LoadContactList(path, "X", ContactOrder::ByDate, contacts); },
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
