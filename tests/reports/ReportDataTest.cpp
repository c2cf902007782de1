#include <gtest/gtest.h>

#include <algorithm>

#include "LayoutSamples.h"
#include "ReportData.h"
#include "TestBook.h"

using namespace reports;

namespace {

using P = PersonRecord;

TEST(ReportData, NameListHasEveryDisplayNameWithItsId) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId lee = TestBook::AddPerson(path, "Ann", "Lee", "Acme");
    const RecordId solo = TestBook::AddPerson(path, "", "Solo");
    const RecordId only = TestBook::AddPerson(path, "Only", "");
    const RecordId firm = TestBook::AddPerson(path, "", "", "Beta Corp");

    std::vector<NameEntry> names;
    LoadNameList(path, names);
    std::vector<std::pair<std::string, std::string>> got;
    for (const NameEntry& n : names) {
        got.emplace_back(n.id, n.name);
    }
    std::vector<std::pair<std::string, std::string>> expected = {
        {lee, "Lee, Ann"}, {solo, "Solo"}, {only, "Only"}, {firm, "Beta Corp"}};
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);

    std::vector<NameEntry> none;
    LoadNameList(book.Create("empty.tch"), none);
    EXPECT_TRUE(none.empty());
}

TEST(ReportData, ChosenPersonsInTheOrderAsked) {
    TestBook book;
    const std::string path = book.Create();
    PersonRecord quoted = Person("O'BRIEN-'1'", "Pat", "O'Brien", "Smith's");
    quoted[P::Addr] = "1 Main St\r\nApt 2";
    quoted[P::WebPage] = "example.com/o'brien";
    TestBook::AddPerson(path, quoted);
    const RecordId ann = TestBook::AddPerson(path, "Ann", "Lee");
    const RecordId bob = TestBook::AddPerson(path, "Bob", "Zane");

    std::vector<PersonRecord> persons;
    LoadChosenPersons(path, {bob, quoted.id, "no such id", ann}, persons);
    ASSERT_EQ(persons.size(), 3u);
    EXPECT_EQ(persons[0].id, bob);
    EXPECT_EQ(persons[0][P::FName], "Bob");
    EXPECT_EQ(persons[1].id, quoted.id);
    EXPECT_EQ(persons[1].fields, quoted.fields);
    EXPECT_EQ(persons[2].id, ann);
    EXPECT_EQ(persons[2][P::LName], "Lee");
}

TEST(ReportData, ManyChosenPersonsInTheOrderAsked) {
    // More persons than a dialog's handful, in an order of the caller's, some never stored.
    TestBook book;
    const std::string path = book.Create();
    std::vector<RecordId> stored;
    for (int i = 0; i < 80; ++i) {
        const std::string number = std::to_string(i);
        PersonRecord p = Person(i % 10 == 0 ? "it's-" + number : std::string(), "First" + number,
                                "Last" + number);
        stored.push_back(TestBook::AddPerson(path, p));
    }
    std::vector<RecordId> asked;
    for (int i = 79; i >= 0; i -= 3) {
        asked.push_back(stored[i]);
        asked.push_back("missing " + std::to_string(i));
    }
    for (int i = 0; i < 80; i += 3) {
        asked.push_back(stored[i]);
    }
    std::vector<PersonRecord> persons;
    LoadChosenPersons(path, asked, persons);
    std::vector<RecordId> expected;
    for (const RecordId& id : asked) {
        if (id.rfind("missing", 0) != 0) {
            expected.push_back(id);
        }
    }
    EXPECT_EQ(IdsOf(persons), expected);
    for (const PersonRecord& p : persons) {
        const size_t i = std::find(stored.begin(), stored.end(), p.id) - stored.begin();
        EXPECT_EQ(p[P::LName], "Last" + std::to_string(i));
    }
}

TEST(ReportData, AllContactsNewestFirstWithTheirDates) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId ann = TestBook::AddPerson(path, "Ann", "Lee");
    const RecordId bob = TestBook::AddPerson(path, "Bob", "Zane");
    const RecordId middle = TestBook::AddContact(path, ann, "2005-03-15 09:05:00", "Middle");
    const RecordId oldest = TestBook::AddContact(path, bob, "1999-12-31 23:59:00", "Old\r\nline");
    const RecordId newest = TestBook::AddContact(path, bob, "2010-07-04 12:30:00", "New",
                                                 "B672E21B-848D-430C-98240E6DA171");
    const RecordId broken = TestBook::AddContact(path, ann, "not a date", "Broken");

    std::vector<ContactRecord> contacts;
    LoadAllContacts(path, contacts);
    ASSERT_EQ(contacts.size(), 4u);

    // The readable ones newest first; the unreadable one somewhere, with an invalid date.
    std::vector<std::string> readable;
    for (const ContactRecord& c : contacts) {
        if (c.id == broken) {
            EXPECT_FALSE(c.when.IsValid());
            EXPECT_EQ(c.personId, ann);
            EXPECT_EQ(c.description, "Broken");
        } else {
            readable.push_back(c.id);
        }
    }
    EXPECT_EQ(readable, (std::vector<std::string>{newest, middle, oldest}));

    const auto find = [&contacts](const RecordId& id) {
        return *std::find_if(contacts.begin(), contacts.end(),
                             [&id](const ContactRecord& c) { return c.id == id; });
    };
    EXPECT_EQ(find(newest).when, DateTime::FromFields(2010, 7, 4, 12, 30));
    EXPECT_EQ(find(newest).typeId, "B672E21B-848D-430C-98240E6DA171");
    EXPECT_EQ(find(middle).when, DateTime::FromFields(2005, 3, 15, 9, 5));
    EXPECT_EQ(find(middle).personId, ann);
    EXPECT_EQ(find(middle).typeId, "9DC618A3-8452-4D33-A70BDB1C91FE");
    EXPECT_EQ(find(oldest).when, DateTime::FromFields(1999, 12, 31, 23, 59));
    EXPECT_EQ(find(oldest).description, "Old\r\nline");
}

}  // namespace
