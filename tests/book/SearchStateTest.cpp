#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AddressBook.h"
#include "CommandAvailability.h"
#include "Commands.h"
#include "SQLException.h"
#include "SearchState.h"
#include "TestBook.h"

// The search field's state without a window: what each text typed leaves shown.
namespace {

class SearchStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        ann_ = TestBook::AddPerson(path_, "Ann", "Adams", "Acme");
        bob_ = TestBook::AddPerson(path_, "Bob", "Brown", "Harbour Lights");
        cy_ = TestBook::AddPerson(path_, "Cy", "Carter", "Acme");
        all_ = Everyone();
    }

    PersonRowList Everyone() const {
        PersonRowList rows;
        LoadPersonList(path_, PersonOrder::ByName, rows);
        return rows;
    }

    // Reads the index as the view does, counting the reads.
    SearchState::IndexReader Reader() {
        return [this] {
            ++reads_;
            state_.ReadIndex(path_);
            return true;
        };
    }

    static std::vector<std::string> Last(const PersonRowList& rows) {
        std::vector<std::string> names;
        for (size_t row = 0; row < rows.size(); ++row) {
            names.emplace_back(rows.Field(row, PersonRowList::LNameField));
        }
        return names;
    }

    TestBook book_;
    std::string path_;
    RecordId ann_, bob_, cy_;
    PersonRowList all_;
    SearchState state_;
    int reads_ = 0;
};

using Names = std::vector<std::string>;

TEST_F(SearchStateTest, TypingNarrowsAndAnEmptyFieldShowsEveryoneAgain) {
    EXPECT_FALSE(state_.Filtered());
    PersonRowList shown = state_.Type(QStringLiteral("acme"), all_, Reader());
    EXPECT_TRUE(state_.Filtered());
    EXPECT_EQ(Last(shown), (Names{"Adams", "Carter"}));
    EXPECT_EQ(reads_, 1);
    // The whole file is kept aside while part of it is shown.
    EXPECT_EQ(state_.PersonCount(shown.size()), 3u);
    shown = state_.Type(QStringLiteral("acme car"), shown, Reader());
    EXPECT_EQ(Last(shown), (Names{"Carter"}));
    // Widening searches the whole file again, not what was left.
    shown = state_.Type(QStringLiteral("a"), shown, Reader());
    EXPECT_EQ(Last(shown), (Names{"Adams", "Brown", "Carter"}));
    shown = state_.Type(QStringLiteral("zzz"), shown, Reader());
    EXPECT_TRUE(Last(shown).empty());
    shown = state_.Type(QString(), shown, Reader());
    EXPECT_FALSE(state_.Filtered());
    EXPECT_EQ(Last(shown), Last(all_));
    EXPECT_EQ(state_.PersonCount(shown.size()), 3u);
    // The index was read once for all of it.
    EXPECT_EQ(reads_, 1);
}

TEST_F(SearchStateTest, BlanksTypedIntoAnEmptyFieldKeepTheList) {
    const PersonRowList shown = state_.Type(QStringLiteral("   "), all_, Reader());
    EXPECT_FALSE(state_.Filtered());
    EXPECT_EQ(Last(shown), Last(all_));
    EXPECT_EQ(reads_, 0);
}

TEST_F(SearchStateTest, PersonsAddedOrChangedStayShownUntilTheSearchChanges) {
    PersonRowList shown = state_.Type(QStringLiteral("acme"), all_, Reader());
    ASSERT_EQ(Last(shown), (Names{"Adams", "Carter"}));
    // Bob is edited meanwhile (he no longer matches, or never did): he stays in view.
    state_.Pin(bob_);
    shown = state_.Reloaded(Everyone(), Reader());
    EXPECT_EQ(Last(shown), (Names{"Adams", "Brown", "Carter"}));
    // Until the search changes.
    shown = state_.Type(QStringLiteral("acme "), shown, Reader());
    EXPECT_EQ(Last(shown), (Names{"Adams", "Carter"}));
    // Nothing is pinned while nothing is searched for.
    shown = state_.Type(QString(), shown, Reader());
    state_.Pin(bob_);
    shown = state_.Type(QStringLiteral("acme"), shown, Reader());
    EXPECT_EQ(Last(shown), (Names{"Adams", "Carter"}));
}

TEST_F(SearchStateTest, PersonsTheIndexDoesNotKnowAreReadWithTheRest) {
    PersonRowList shown = state_.Type(QStringLiteral("acme"), all_, Reader());
    ASSERT_EQ(reads_, 1);
    // Another program adds a person behind the view's back; the reload brings them.
    TestBook::AddPerson(path_, "Di", "Dunn", "Acme");
    shown = state_.Reloaded(Everyone(), Reader());
    EXPECT_EQ(reads_, 2);
    EXPECT_EQ(Last(shown), (Names{"Adams", "Carter", "Dunn"}));
    // A person refreshed after a command is found by what they are now.
    TestBook::Execute(path_, "UPDATE Person SET Company = 'Acme' WHERE ID = '" + bob_ + "'");
    state_.RefreshIndex(path_, {bob_});
    shown = state_.Reloaded(Everyone(), Reader());
    EXPECT_EQ(reads_, 2);
    EXPECT_EQ(Last(shown), (Names{"Adams", "Brown", "Carter", "Dunn"}));
    // A file changed behind the view is read again when next searched.
    state_.Invalidate();
    EXPECT_TRUE(state_.NeedsIndex());
    state_.Reloaded(Everyone(), Reader());
    EXPECT_EQ(reads_, 3);
}

TEST_F(SearchStateTest, AnIndexThatCannotBeReadFindsNobodyAndIsTriedAgain) {
    int tries = 0;
    const SearchState::IndexReader failing = [&tries] {
        ++tries;
        return false;
    };
    PersonRowList shown = state_.Type(QStringLiteral("acme"), all_, failing);
    EXPECT_TRUE(state_.Filtered());
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(state_.IndexReady());
    shown = state_.Type(QStringLiteral("acm"), shown, failing);
    EXPECT_EQ(tries, 2);
    // Once it can be read, the search finds as it should.
    shown = state_.Type(QStringLiteral("acme"), shown, Reader());
    EXPECT_EQ(Last(shown), (Names{"Adams", "Carter"}));
    // A file that cannot be read leaves the index as it was.
    EXPECT_THROW(state_.ReadIndex(book_.Path("missing.tch")), cppsqlite3::SQLException);
    EXPECT_TRUE(state_.IndexReady());
}

TEST_F(SearchStateTest, AnotherFileForgetsTheSearch) {
    const PersonRowList shown = state_.Type(QStringLiteral("acme"), all_, Reader());
    state_.Pin(bob_);
    state_.Clear();
    EXPECT_FALSE(state_.Filtered());
    EXPECT_FALSE(state_.IndexReady());
    EXPECT_EQ(state_.PersonCount(7), 7u);
    EXPECT_EQ(Last(state_.Reloaded(Everyone(), Reader())), Last(all_));
    (void)shown;
}

TEST(CommandAvailability, EachCommandByWhatItNeeds) {
    book::ViewState none;
    book::ViewState file;
    file.file = true;
    book::ViewState person = file;
    person.person = true;
    book::ViewState contact = person;
    contact.contact = true;
    for (const int command :
         {cmd::kAddPerson, cmd::kEditUser, cmd::kContactTypes, cmd::kImportVCard, cmd::kFind}) {
        EXPECT_FALSE(book::IsAvailable(command, none)) << command;
        EXPECT_TRUE(book::IsAvailable(command, file)) << command;
    }
    for (const int command :
         {cmd::kEditPerson, cmd::kDeletePerson, cmd::kAddContact, cmd::kAddressBookReport,
          cmd::kEnvelopesReport, cmd::kExportPersons, cmd::kExportVCard}) {
        EXPECT_FALSE(book::IsAvailable(command, file)) << command;
        EXPECT_TRUE(book::IsAvailable(command, person)) << command;
    }
    for (const int command :
         {cmd::kEditContact, cmd::kDeleteContact, cmd::kContactsReport, cmd::kExportContacts}) {
        EXPECT_FALSE(book::IsAvailable(command, person)) << command;
        EXPECT_TRUE(book::IsAvailable(command, contact)) << command;
    }
    book::ViewState undo = file;
    undo.undo = true;
    EXPECT_FALSE(book::IsAvailable(cmd::kUndoDelete, contact));
    EXPECT_TRUE(book::IsAvailable(cmd::kUndoDelete, undo));
    // A call just made is logged only while a file is open.
    book::ViewState call;
    call.lastCall = true;
    EXPECT_FALSE(book::IsAvailable(cmd::kLogLastCall, call));
    call.file = true;
    EXPECT_TRUE(book::IsAvailable(cmd::kLogLastCall, call));
    // The rest is not the view's to rule.
    for (const int command : {cmd::kImportPersons, cmd::kFileOpen, cmd::kHelpMode}) {
        EXPECT_FALSE(book::RulesCommand(command)) << command;
        EXPECT_TRUE(book::IsAvailable(command, none)) << command;
    }
    EXPECT_TRUE(book::ChangesRecords(cmd::kEditContact));
    EXPECT_FALSE(book::ChangesRecords(cmd::kEditUser));
    EXPECT_FALSE(book::ChangesRecords(cmd::kExportPersons));
}

}  // namespace
