// The search words that ask the contact log: since:, before: and type:, as typed and as the
// index answers them over a real file, before and after edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <QLocale>
#include <QString>

#include "AddressBook.h"
#include "PersonSearch.h"
#include "SearchLog.h"
#include "TestBook.h"

namespace {

using Names = std::vector<std::string>;

const char kTelephone[] = "9DC618A3-8452-4D33-A70BDB1C91FE";
const char kEmail[] = "03F6262A-4362-44A9-B770293650BB";
const char kCorrespondence[] = "787CA2CE-1099-4127-8AED83ECA59B";
const char kPersonal[] = "B672E21B-848D-430C-98240E6DA171";

const QDate kToday(2026, 12, 9);

int64_t Day(int y, int m, int d) {
    return QDate(y, m, d).toJulianDay();
}

SearchQuery Parse(const char* typed, const QDate& today = kToday) {
    return SearchQuery::Parse(QString::fromUtf8(typed), today);
}

// ---- What is typed ---------------------------------------------------------------------------

TEST(SearchLogParse, ReadsTheThreeWordsInAnyCaseBesideTheOthers) {
    const SearchQuery q = Parse("Since:2026-01 ann TYPE:Tél before:2026-06-15 city:kiel");
    EXPECT_EQ(q.LogWords().since, Day(2026, 1, 1));
    EXPECT_EQ(q.LogWords().before, Day(2026, 6, 15));
    EXPECT_EQ(q.LogWords().types, std::vector<std::string>{"tel"});
    ASSERT_EQ(q.Words().size(), 2u);
    EXPECT_EQ(q.Words()[0].text, "ann");
    EXPECT_EQ(q.Words()[1].scope, SearchQuery::Scope::City);
    EXPECT_TRUE(q.Unread().isEmpty());
}

TEST(SearchLogParse, SpansCountBackFromTheDayTheQueryIsRead) {
    EXPECT_EQ(Parse("before:6m").LogWords().before, Day(2026, 6, 9));
    EXPECT_EQ(Parse("since:30d").LogWords().since, Day(2026, 11, 9));
    EXPECT_EQ(Parse("since:1m", QDate(2024, 3, 31)).LogWords().since, Day(2024, 2, 29));
    EXPECT_EQ(Parse("since:1y", QDate(2024, 2, 29)).LogWords().since, Day(2023, 2, 28));
    EXPECT_EQ(Parse("since:2w", QDate(2025, 1, 3)).LogWords().since, Day(2024, 12, 20));
}

TEST(SearchLogParse, SeveralDatesNarrowAndTypesGatherOnce) {
    const SearchQuery q = Parse(
        "since:2025 since:2026-03 before:2026-10 before:2026-08 "
        "type:tel type:TEL type:em");
    EXPECT_EQ(q.LogWords().since, Day(2026, 3, 1));   // the latest
    EXPECT_EQ(q.LogWords().before, Day(2026, 8, 1));  // the earliest
    EXPECT_EQ(q.LogWords().types, (std::vector<std::string>{"tel", "em"}));
    EXPECT_TRUE(q.Words().empty());
    EXPECT_FALSE(q.Empty());
}

TEST(SearchLogParse, AWordAloneOrADateThatDoesNotReadAsksNothing) {
    const SearchQuery alone = Parse("since: before: type:");
    EXPECT_TRUE(alone.Empty());
    EXPECT_TRUE(alone.Unread().isEmpty());
    const SearchQuery unread = Parse("since:2026-13 before:soon ann");
    EXPECT_FALSE(unread.LogWords().Any());
    EXPECT_EQ(unread.Unread(), (QStringList{"since:2026-13", "before:soon"}));
    ASSERT_EQ(unread.Words().size(), 1u);
    // Other words with a colon are words as before.
    EXPECT_EQ(Parse("sincere:x").Words().front().text, "sincere:x");
}

TEST(SearchLogParse, OnlyTheSameLogWordsNarrow) {
    EXPECT_TRUE(Parse("before:6m ann").Narrows(Parse("before:6m")));
    EXPECT_TRUE(Parse("before:6m ann").Narrows(Parse("an")));
    EXPECT_TRUE(Parse("since:2026 type:tel").Narrows(Parse("")));
    // A type added to a before: finds persons the previous one did not.
    EXPECT_FALSE(Parse("before:6m type:tel").Narrows(Parse("before:6m")));
    EXPECT_FALSE(Parse("since:2025").Narrows(Parse("since:2026")));
    EXPECT_FALSE(Parse("ann").Narrows(Parse("ann since:2026")));
}

TEST(SearchLogParse, ContactDayReadsTheStoredFormAndWhatTheParserReads) {
    EXPECT_EQ(ContactDay("2026-02-28 23:59:59"), Day(2026, 2, 28));
    EXPECT_EQ(ContactDay("2024-02-29 00:00:00"), Day(2024, 2, 29));
    EXPECT_EQ(ContactDay("0999-01-02 10:00:00"), Day(999, 1, 2));
    EXPECT_EQ(ContactDay("2026-02-30 10:00:00"), std::nullopt);
    EXPECT_EQ(ContactDay("soon"), std::nullopt);
    EXPECT_EQ(ContactDay(""), std::nullopt);
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(ContactDay("12/1/2026 10:00 AM"), Day(2026, 12, 1));
    QLocale::setDefault(saved);
}

// ---- The index over a file -------------------------------------------------------------------

class SearchLog : public ::testing::Test {
protected:
    void SetUp() override {
        ann_ = TestBook::AddPerson(path_, "Ann", "Lee");
        Log(ann_, "2026-11-20 10:00:00", kTelephone);
        Log(ann_, "2026-05-01 09:00:00", kEmail);
        bob_ = TestBook::AddPerson(path_, "Bob", "Ray");
        Log(bob_, "2026-06-09 18:30:00", kEmail);
        cy_ = TestBook::AddPerson(path_, "Cy", "Dee");  // never contacted
        dee_ = TestBook::AddPerson(path_, "Dee", "Fox");
        Log(dee_, "2025-12-31 23:59:59", kPersonal);
        eve_ = TestBook::AddPerson(path_, "Eve", "Gray");
        Log(eve_, "soon", kTelephone);  // a date that does not read
        fay_ = TestBook::AddPerson(path_, "Fay", "Hart");
        Log(fay_, "2026-12-01 08:00:00", "NOT-A-TYPE-OF-THIS-FILE");
        gus_ = TestBook::AddPerson(path_, "Gus", "Ives");
        Log(gus_, "2026-03-15 12:00:00", kCorrespondence);
        Log(gus_, "2024-02-29 12:00:00", kTelephone);
        index_.Build(path_);
    }

    RecordId Log(const RecordId& person, const char* dtTm, const char* type) {
        return TestBook::AddContact(path_, person, dtTm, "Talked", type);
    }

    // The first names found, sorted; each person's Matches agrees with Filter, and the one-shot
    // search of the command line finds the same.
    Names Found(const char* typed, const QDate& today = kToday) {
        const SearchQuery query = Parse(typed, today);
        PersonRowList rows;
        LoadPersonList(path_, PersonOrder::ByName, rows);
        Names names;
        for (uint32_t row : index_.Filter(rows, query)) {
            names.push_back(std::string(rows.Field(row, PersonRowList::FNameField)));
        }
        for (size_t row = 0; row < rows.size(); ++row) {
            const std::string first(rows.Field(row, PersonRowList::FNameField));
            EXPECT_EQ(index_.Matches(RecordId(rows.Id(row)), query),
                      std::find(names.begin(), names.end(), first) != names.end())
                << typed << ": " << first;
        }
        std::sort(names.begin(), names.end());
        Names once;
        for (const PersonRecord& p : PersonSearchIndex::FindPersons(path_, query)) {
            once.push_back(p[PersonRecord::FName]);
        }
        std::sort(once.begin(), once.end());
        EXPECT_EQ(once, names) << typed;
        return names;
    }

    TestBook book_;
    std::string path_ = book_.Create();
    PersonSearchIndex index_;
    RecordId ann_, bob_, cy_, dee_, eve_, fay_, gus_;
};

TEST_F(SearchLog, SinceTakesAContactOnOrAfterTheDayAtAnyHour) {
    EXPECT_EQ(Found("since:2026-06"), (Names{"Ann", "Bob", "Fay"}));
    EXPECT_EQ(Found("since:2026-06-09"), (Names{"Ann", "Bob", "Fay"}));
    EXPECT_EQ(Found("since:2026-06-10"), (Names{"Ann", "Fay"}));
    EXPECT_EQ(Found("since:2026"), (Names{"Ann", "Bob", "Fay", "Gus"}));
    EXPECT_EQ(Found("since:2025-12-31"), (Names{"Ann", "Bob", "Dee", "Fay", "Gus"}));
    EXPECT_EQ(Found("since:2027"), Names{});
}

TEST_F(SearchLog, BeforeTakesThoseNotContactedSinceAndThoseNeverContacted) {
    // Six months back from 9 December is 9 June: Bob, on that very evening, is not overdue.
    EXPECT_EQ(Found("before:6m"), (Names{"Cy", "Dee", "Eve", "Gus"}));
    EXPECT_EQ(Found("before:2026"), (Names{"Cy", "Dee", "Eve"}));
    EXPECT_EQ(Found("before:1900"), (Names{"Cy", "Eve"}));
    // Both: last contacted within the months between.
    EXPECT_EQ(Found("since:2026 before:2026-06"), (Names{"Gus"}));
    EXPECT_EQ(Found("since:2026-06 before:2026-01"), Names{});
}

TEST_F(SearchLog, TypeTakesTheStartOfADescriptionAndNarrowsTheDates) {
    EXPECT_EQ(Found("type:tel"), (Names{"Ann", "Eve", "Gus"}));
    EXPECT_EQ(Found("TYPE:TÉL"), (Names{"Ann", "Eve", "Gus"}));
    EXPECT_EQ(Found("type:e"), (Names{"Ann", "Bob"}));
    EXPECT_EQ(Found("type:mail"), Names{});  // the start only
    EXPECT_EQ(Found("type:telephonex"), Names{});
    // Whom they phoned this year, and whom they have not phoned for six months.
    EXPECT_EQ(Found("type:tel since:2026-01"), (Names{"Ann"}));
    EXPECT_EQ(Found("type:tel before:6m"), (Names{"Bob", "Cy", "Dee", "Eve", "Fay", "Gus"}));
    EXPECT_EQ(Found("type:email since:2026-06"), (Names{"Bob"}));
    // Several types: a contact of any of them.
    EXPECT_EQ(Found("type:tel type:pers"), (Names{"Ann", "Dee", "Eve", "Gus"}));
    EXPECT_EQ(Found("type:corr type:pers since:2026"), (Names{"Gus"}));
}

TEST_F(SearchLog, TheLogWordsGoWithTheOtherWords) {
    EXPECT_EQ(Found("before:6m y"), (Names{"Cy", "Eve"}));
    EXPECT_EQ(Found("lee since:2026-11"), (Names{"Ann"}));
    EXPECT_EQ(Found("note:talked before:2026"), (Names{"Dee", "Eve"}));
    // A date that does not read asks nothing; the rest still does.
    EXPECT_EQ(Found("since:2026-13 bob"), (Names{"Bob"}));
}

TEST_F(SearchLog, SpansAcrossMonthEndsAndLeapDays) {
    // A month back from 31 March 2024 is 29 February: Gus, phoned that day, counts.
    EXPECT_EQ(Found("type:tel since:1m", QDate(2024, 3, 31)), (Names{"Ann", "Gus"}));
    EXPECT_EQ(Found("type:tel since:1m", QDate(2024, 4, 1)), (Names{"Ann"}));
    EXPECT_EQ(Found("since:1y", QDate(2026, 12, 31)), (Names{"Ann", "Bob", "Dee", "Fay", "Gus"}));
    EXPECT_EQ(Found("since:1y", QDate(2027, 1, 1)), (Names{"Ann", "Bob", "Fay", "Gus"}));
}

TEST_F(SearchLog, EditsOfTheLogAndOfTheTypesShowOnceReadAgain) {
    // Cy is phoned today: no longer overdue once read again.
    const RecordId call = Log(cy_, "2026-12-09 09:00:00", kTelephone);
    EXPECT_TRUE(index_.Matches(cy_, Parse("before:6m")));
    index_.Refresh(path_, cy_);
    EXPECT_EQ(Found("before:6m"), (Names{"Dee", "Eve", "Gus"}));
    EXPECT_EQ(Found("type:tel since:1w"), (Names{"Cy"}));
    // The call deleted again, and Ann's November call moved to last year.
    TestBook::Execute(path_, "DELETE FROM Contact WHERE ID = '" + call + "'");
    TestBook::Execute(path_, "UPDATE Contact SET DtTm = '2025-11-20 10:00:00' WHERE PersonID = '" +
                                 ann_ + "' AND ContactTypeID = '" + kTelephone + "'");
    index_.Refresh(path_, cy_);
    index_.Refresh(path_, ann_);
    EXPECT_EQ(Found("type:tel since:2026"), Names{});
    EXPECT_EQ(Found("before:6m"), (Names{"Ann", "Cy", "Dee", "Eve", "Gus"}));
    // A type renamed: its new name finds it; the old one no more.
    TestBook::Execute(path_, std::string("UPDATE ContactType SET Description = 'Phone call' "
                                         "WHERE ID = '") +
                                 kTelephone + "'");
    index_.RefreshTypes(path_);
    EXPECT_EQ(Found("type:phone"), (Names{"Ann", "Eve", "Gus"}));
    EXPECT_EQ(Found("type:tel"), Names{});
    // A type the file lists from now on is found by its name after a person is read again.
    TestBook::Execute(path_,
                      "INSERT INTO ContactType VALUES('NOT-A-TYPE-OF-THIS-FILE', 'Video call')");
    index_.Refresh(path_, fay_);
    EXPECT_EQ(Found("type:video"), (Names{"Fay"}));
}

TEST_F(SearchLog, ManyEditsKeepTheLogOfEveryoneRight) {
    // A long address read again and again: the index gathers its left-overs in between.
    PersonRecord big;
    big[PersonRecord::LName] = "Big";
    big[PersonRecord::Addr] = std::string(300000, 'x');
    const RecordId bigId = TestBook::AddPerson(path_, big);
    Log(bigId, "2026-12-08 10:00:00", kEmail);
    for (int i = 0; i < 20; ++i) {
        index_.Refresh(path_, bigId);
        index_.Refresh(path_, i % 2 ? ann_ : gus_);
    }
    EXPECT_LT(index_.MemoryBytes(), size_t(4) << 20);
    EXPECT_EQ(Found("type:email since:1w"), (Names{""}));  // Big, who has no first name
    EXPECT_EQ(Found("type:tel since:2024-02-29"), (Names{"Ann", "Gus"}));
    EXPECT_EQ(Found("before:6m"), (Names{"Cy", "Dee", "Eve", "Gus"}));
    EXPECT_EQ(index_.size(), 8u);
}

}  // namespace
