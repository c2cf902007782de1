#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <tuple>

#include <QCollator>
#include <QFile>

#include <QLocale>

#include "AddressBook.h"
#include "Database.h"
#include "SQLException.h"
#include "StoredText.h"
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
    // Without a last name the first name takes its place, and without a name the company:
    // each where its display name reads.
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"Cher", "O'Brien, Sean", "Only Company Ltd",
                                                     "Smith, Adam", "Smith, Mary"}));
    EXPECT_EQ(rows[1].company, "Acme");
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

// ---- The person list in the user's order

// The default locale for one test; the system's again however the test ends.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;
};

struct NewPerson {
    std::string first, last, company;
};

std::vector<RecordId> AddPersons(const std::string& path, const std::vector<NewPerson>& persons) {
    std::vector<RecordId> ids;
    for (const NewPerson& p : persons) {
        ids.push_back(TestBook::AddPerson(path, p.first, p.last, p.company));
    }
    return ids;
}

std::vector<RecordId> Ids(const PersonRowList& rows) {
    std::vector<RecordId> ids;
    for (size_t row = 0; row < rows.size(); ++row) {
        ids.emplace_back(rows.Id(row));
    }
    return ids;
}

std::vector<std::string> Loaded(const std::string& path, PersonOrder order, bool reversed = false) {
    PersonRowList rows;
    LoadPersonList(path, order, rows, reversed);
    return Names(rows);
}

// English and German read these names alike: case and accents count only between names that
// are otherwise equal.
class PersonListInLocale : public ::testing::TestWithParam<QLocale::Language> {
protected:
    PersonListInLocale()
        : locale_(QLocale(GetParam(), GetParam() == QLocale::English ? QLocale::UnitedStates
                                                                     : QLocale::Germany)) {}
    TestBook book_;
    const std::string path_ = book_.Create();

private:
    DefaultLocale locale_;
};

TEST_P(PersonListInLocale, ByNameIgnoresCaseAndAccentsFirstAndCountsNumbers) {
    AddPersons(path_, {{"Tom", "Tanaka", ""},
                       {"Eve", "Evans", ""},
                       {"Jan", "de Vries", ""},
                       {"Dan", "Davis", ""},
                       {"Eli", "\xC3\x89mond", ""},  // Émond
                       {"Eli", "Emond", ""},
                       {"Al", "Adams", ""},
                       {"Al", "adams", ""},
                       {"Bo", "Baker", ""},
                       {"", "Unit 10", ""},
                       {"", "Unit 2", ""},
                       {"Anders", "\xC3\xA5ngstr\xC3\xB6m", ""},  // ångström
                       {"Cher", "", ""},
                       {"Zed", "Smith10", ""},
                       {"Zed", "Smith2", ""}});
    EXPECT_EQ(Loaded(path_, PersonOrder::ByName),
              (std::vector<std::string>{
                  "adams, Al", "Adams, Al", "\xC3\xA5ngstr\xC3\xB6m, Anders", "Baker, Bo", "Cher",
                  "Davis, Dan", "de Vries, Jan", "Emond, Eli", "\xC3\x89mond, Eli", "Evans, Eve",
                  "Smith2, Zed", "Smith10, Zed", "Tanaka, Tom", "Unit 2", "Unit 10"}));
}

TEST_P(PersonListInLocale, TheFirstNameDecidesOnlyBetweenEqualLastNames) {
    // The whole last name first, its accents too: "Emond, Zoe" before "Émond, Anna".
    AddPersons(path_, {{"mary", "Smith", ""},
                       {"Anna", "\xC3\x89mond", ""},
                       {"\xC3\x89mile", "Smith", ""},  // Émile
                       {"Zoe", "Emond", ""},
                       {"Adam", "Smith", ""},
                       {"Emil", "Smith", ""},
                       {"", "Smith", ""}});
    EXPECT_EQ(Loaded(path_, PersonOrder::ByName),
              (std::vector<std::string>{"Emond, Zoe", "\xC3\x89mond, Anna", "Smith", "Smith, Adam",
                                        "Smith, Emil", "Smith, \xC3\x89mile", "Smith, mary"}));
}

TEST_P(PersonListInLocale, NoNameAtAllComesBeforeAnyName) {
    // Even before a last name the collator ignores wholly, such as a zero-width space; a first
    // name alone and a company alone sort where they read.
    AddPersons(path_, {{"Bo", "Adams", ""},
                       {"Al", "\xE2\x80\x8B", ""},
                       {"Zed", "", ""},
                       {"", "", "Solo Ltd"},
                       {"", "", ""}});
    EXPECT_EQ(Loaded(path_, PersonOrder::ByName),
              (std::vector<std::string>{"", "\xE2\x80\x8B, Al", "Adams, Bo", "Solo Ltd", "Zed"}));
}

TEST_P(PersonListInLocale, ACompanyWithoutANameSortsUnderTheCompany) {
    // The main list, the report dialogs and the reports read this one order.
    AddPersons(path_, {{"Wes", "Walker", ""},
                       {"", "", "Harbour Ltd"},
                       {"Eli", "\xC3\x89mond", ""},
                       {"Jan", "de Vries", ""},
                       {"Bea", "Baker", "Zeta"},
                       {"", "Harbour", ""},
                       {"Ann", "Harbour", ""}});
    EXPECT_EQ(Loaded(path_, PersonOrder::ByName),
              (std::vector<std::string>{"Baker, Bea", "de Vries, Jan", "\xC3\x89mond, Eli",
                                        "Harbour", "Harbour, Ann", "Harbour Ltd", "Walker, Wes"}));
}

TEST_P(PersonListInLocale, ByCompanyThenByName) {
    AddPersons(path_, {{"Ann", "Young", "Zeta"},
                       {"Zed", "Adams", "Zeta"},
                       {"Cy", "Cole", "Acme"},
                       {"Bo", "Baker", "acme"},
                       {"Di", "Dorn", "\xC3\x85ngstr\xC3\xB6m AB"},  // Ångström AB
                       {"Ed", "Eng", "Unit 10"},
                       {"Fa", "Fox", "Unit 2"},
                       {"Gus", "Gray", ""},
                       {"Al", "adams", "Zeta"}});
    EXPECT_EQ(Loaded(path_, PersonOrder::ByCompany),
              (std::vector<std::string>{"Gray, Gus", "Baker, Bo", "Cole, Cy", "Dorn, Di", "Fox, Fa",
                                        "Eng, Ed", "adams, Al", "Adams, Zed", "Young, Ann"}));
}

TEST_P(PersonListInLocale, ReversedTurnsTheWholeListRound) {
    // Two persons of the same name keep the file's order, and the other way round reversed.
    const std::vector<RecordId> ids = AddPersons(path_, {{"Ann", "Smith", "Zeta"},
                                                         {"Bo", "\xC3\x89mond", "Acme"},
                                                         {"Ann", "Smith", "Zeta"},
                                                         {"", "", "Solo"},
                                                         {"Cy", "emond", ""},
                                                         {"Di", "Unit 10", "Unit 2"},
                                                         {"Di", "Unit 9", "Unit 10"}});
    for (PersonOrder order : {PersonOrder::ByName, PersonOrder::ByCompany}) {
        PersonRowList forward, backward;
        LoadPersonList(path_, order, forward);
        LoadPersonList(path_, order, backward, true);
        const std::vector<RecordId> forwardIds = Ids(forward);
        std::vector<RecordId> expected = forwardIds;
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(Ids(backward), expected);
        // The namesakes in the file's order, the first added first.
        const auto first = std::find(forwardIds.begin(), forwardIds.end(), ids[0]);
        const auto second = std::find(forwardIds.begin(), forwardIds.end(), ids[2]);
        EXPECT_EQ(second - first, 1);
    }
    EXPECT_EQ(Loaded(path_, PersonOrder::ByName, true),
              (std::vector<std::string>{"Unit 10, Di", "Unit 9, Di", "Solo", "Smith, Ann",
                                        "Smith, Ann", "\xC3\x89mond, Bo", "emond, Cy"}));
    EXPECT_EQ(Loaded(path_, PersonOrder::ByCompany, true),
              (std::vector<std::string>{"Smith, Ann", "Smith, Ann", "Unit 9, Di", "Unit 10, Di",
                                        "Solo", "\xC3\x89mond, Bo", "emond, Cy"}));
}

INSTANTIATE_TEST_SUITE_P(EnglishAndGerman, PersonListInLocale,
                         ::testing::Values(QLocale::English, QLocale::German),
                         [](const ::testing::TestParamInfo<QLocale::Language>& info) {
                             return QLocale::languageToCode(info.param).toStdString();
                         });

TEST(AddressBook, PersonListFollowsTheLocalesAlphabet) {
    TestBook book;
    const std::string path = book.Create();
    AddPersons(path, {{"", "Zander", ""},
                      {"", "\xC3\x85ngstr\xC3\xB6m", ""},  // Ångström
                      {"", "Andersson", ""}});
    {
        const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(Loaded(path, PersonOrder::ByName),
                  (std::vector<std::string>{"Andersson", "\xC3\x85ngstr\xC3\xB6m", "Zander"}));
    }
    {
        // Swedish has Å after Z.
        const DefaultLocale swedish(QLocale(QLocale::Swedish, QLocale::Sweden));
        EXPECT_EQ(Loaded(path, PersonOrder::ByName),
                  (std::vector<std::string>{"Andersson", "Zander", "\xC3\x85ngstr\xC3\xB6m"}));
    }
}

TEST(AddressBook, WithoutALanguageThePersonListFollowsUnicodesDefaultOrder) {
    // LANG=C or C.UTF-8, as on many servers and fresh installs.
    const DefaultLocale c(QLocale::c());
    EXPECT_EQ(PersonSortLocale().language(), QLocale::English);
    TestBook book;
    const std::string path = book.Create();
    AddPersons(path, {{"", "Tanaka", ""},
                      {"", "\xC3\x89mond", ""},
                      {"", "Evans", ""},
                      {"", "de Vries", ""},
                      {"", "Davis", ""},
                      {"", "Emond", ""}});
    EXPECT_EQ(Loaded(path, PersonOrder::ByName),
              (std::vector<std::string>{"Davis", "de Vries", "Emond", "\xC3\x89mond", "Evans",
                                        "Tanaka"}));
    // A language of its own is kept.
    const DefaultLocale swedish(QLocale(QLocale::Swedish, QLocale::Sweden));
    EXPECT_EQ(PersonSortLocale().language(), QLocale::Swedish);
}

TEST(AddressBook, PersonListReadsWindows1252NamesAsTheyShow) {
    // Old files hold Windows-1252: byte C9 is "É", sorted next to "Emond" as when stored as
    // UTF-8, not after every letter.
    const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    TestBook book;
    const std::string path = book.Create();
    AddPersons(path, {{"", "\xC9mond", ""}, {"", "Fox", ""}, {"", "Emond", ""}, {"", "Dorn", ""}});
    EXPECT_EQ(Loaded(path, PersonOrder::ByName),
              (std::vector<std::string>{"Dorn", "Emond", "\xC9mond", "Fox"}));
}

// Many persons, sorted as the collator compares them two by two: names alike but for case,
// accents or encoding, numbers, names shared and names missing, and more distinct names than
// one thread keys.
TEST(AddressBook, PersonListMatchesTheCollatorsComparisons) {
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    const char* const lastNames[] = {
        "Smith",      "smith",         "\xC3\x89mond", "Emond",   "de Vries",
        "van Dijk",   "M\xC3\xBCller", "Mueller",      "O'Brien", "\xC3\xA5ngstr\xC3\xB6m",
        "Zo\xC3\xAB", "Unit"};
    const char* const firstNames[] = {"Ann", "ann", "\xC3\x84nne", "Bob", "", "Zo\xC3\xAB", "Zoe"};
    const char* const companies[] = {"",       "Acme",    "acme",  "\xC3\x85ngstr\xC3\xB6m AB",
                                     "Zeta 2", "Zeta 10", "zeta 2"};
    std::mt19937 random(11);
    PersonRowList rows;
    std::vector<std::array<std::string, 4>> persons;
    for (int i = 0; i < 12000; ++i) {
        std::string last = lastNames[random() % 12];
        last += random() % 2 ? " " : "";
        last += std::to_string(random() % 6000);
        if (random() % 20 == 0) {
            last.clear();
        }
        std::string first = firstNames[random() % 7];
        std::string company = companies[random() % 7];
        // Some rows as an old file holds them.
        if (random() % 5 == 0) {
            last = FromStoredText(last).toLatin1().toStdString();
            first = FromStoredText(first).toLatin1().toStdString();
        }
        persons.push_back({std::to_string(i), first, last, company});
        rows.Append({persons.back()[0], first, last, company});
    }
    QCollator collator(QLocale().collation());
    collator.setNumericMode(true);
    auto compare = [&collator](const std::string& a, const std::string& b) {
        return collator.compare(FromStoredText(a), FromStoredText(b));
    };
    for (PersonOrder order : {PersonOrder::ByName, PersonOrder::ByCompany}) {
        std::vector<size_t> expected(persons.size());
        std::iota(expected.begin(), expected.end(), size_t(0));
        std::stable_sort(expected.begin(), expected.end(), [&](size_t a, size_t b) {
            const auto& p = persons[a];
            const auto& q = persons[b];
            if (order == PersonOrder::ByCompany) {
                int c = compare(p[3], q[3]);
                c = c != 0 ? c : compare(p[2], q[2]);
                c = c != 0 ? c : compare(p[1], q[1]);
                return c < 0;
            }
            // The display name's first part, then the first name after a last name.
            const auto name = [](const std::array<std::string, 4>& r) {
                return !r[2].empty() ? r[2] : !r[1].empty() ? r[1] : r[3];
            };
            const auto after = [](const std::array<std::string, 4>& r) {
                return r[2].empty() ? std::string() : r[1];
            };
            int c = compare(name(p), name(q));
            c = c != 0 ? c : compare(after(p), after(q));
            return c < 0;
        });
        std::vector<RecordId> expectedIds;
        for (size_t i : expected) {
            expectedIds.push_back(persons[i][0]);
        }
        PersonRowList sorted = rows;
        SortPersonRows(sorted, order);
        EXPECT_EQ(Ids(sorted), expectedIds);
        // The fields stay with their person.
        for (size_t row = 0; row < sorted.size(); ++row) {
            const auto& p = persons[std::stoul(std::string(sorted.Id(row)))];
            ASSERT_EQ(sorted.Field(row, PersonRowList::LNameField), p[2]);
            ASSERT_EQ(sorted.Field(row, PersonRowList::FNameField), p[1]);
            ASSERT_EQ(sorted.Company(row), p[3]);
        }
        sorted = rows;
        SortPersonRows(sorted, order, true);
        std::reverse(expectedIds.begin(), expectedIds.end());
        EXPECT_EQ(Ids(sorted), expectedIds);
    }
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
    // A new order moves whole rows.
    rows.Append({"id-3", "Cy", "Cole", ""});
    rows.Reorder({2, 0, 1});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.Name(0), "Cole, Cy");
    EXPECT_EQ(rows.Field(1, PersonRowList::LNameField).size(), 70000u);
    EXPECT_EQ(rows.Field(1, PersonRowList::FNameField), nul);
    EXPECT_EQ(rows.Id(2), "");
    EXPECT_EQ(rows.Find("id-3"), 0);
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
    EXPECT_NE(contacts.find("ContactPrsnDtIdx"), std::string::npos) << contacts;
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
