#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QIcon>
#include <QWidget>

#include "AddressBook.h"
#include "CommandAvailability.h"
#include "DocumentView.h"
#include "HelpViewer.h"
#include "LastContacts.h"
#include "ListSelection.h"
#include "MainViewForm.h"
#include "RecordCommands.h"
#include "SearchState.h"

class BookWatcher;
class QLabel;
class QLineEdit;
class QSplitter;
class QTreeView;
class ContactListModel;
class PersonListModel;
class MainViewPanes;
class NoBookPane;
class QStackedLayout;

// The client area of the main window: the search field and the person list, the selected
// person's details, their contact log and the selected contact's details. It shows the file and
// keeps its selection; the commands that change records read its state and tell it what to show
// afterwards (Apply).
class MainView : public QWidget, public DocumentView {
    Q_OBJECT
public:
    explicit MainView(QWidget* parent = nullptr);
    ~MainView() override;

    // A new file: its first person is selected at the next reload, and the deletes of the last
    // file can no longer be undone.
    void OnPathChanged(const std::string& path) override;
    // The file changed behind the view (an import, another file): everything is read again.
    void OnReload() override;
    // The file the view shows (local 8-bit), empty when none is open.
    const std::string& Path() const { return path_; }

    // Reloads the person list and everything that hangs on it; the selection is found again
    // by identifier, else kept by row.
    void Reload();
    void ShowPerson(const RecordId& id);
    void ReloadContacts(const RecordId& personId);
    void ShowContact(const RecordId& id);

    int SelectedPersonRow() const { return person_.row; }
    const RecordId& CurrentPersonId() const { return person_.id; }
    int SelectedContactRow() const { return contact_.row; }
    const RecordId& CurrentContactId() const { return contact_.id; }
    // Sets the selection state directly, as a new file needs it.
    void SetSelection(int personRow, const RecordId& personId, int contactRow,
                      const RecordId& contactId);

    // After the selected person or contact was deleted: its row leaves the list and the row
    // before it (the first row when it was first) becomes the selection; none when the list is
    // left empty. The reload that follows finds the new selection by its identifier.
    void DropSelectedPerson();
    void DropSelectedContact();

    // What the commands read: the state that rules their availability, and what they start
    // from (the file and the selection).
    book::ViewState State() const;
    record_commands::Context CommandContext();
    // Brings the view up to date after a command: reads again what it changed, selects what it
    // leaves selected; while searching, the persons it worked on stay shown.
    void Apply(const record_commands::Outcome& outcome);
    // The deletes of this file that Undo Delete can take back, the last one last.
    std::vector<editing::DeletedRecords>& Deletes() { return deletes_; }
    int UndoCount() const { return static_cast<int>(deletes_.size()); }
    // The contact just made with a value button, still to log (Log Last Call).
    const std::optional<record_commands::ContactPreset>& LastContact() const {
        return lastContact_;
    }
    void SetLastContact(std::optional<record_commands::ContactPreset> preset) {
        lastContact_ = std::move(preset);
        emit StateChanged();
    }
    // A line for the status bar about what a command did.
    void ShowStatus(const QString& text) { emit StatusMessage(text); }

    // The search field above the person list and what it leaves shown.
    QLineEdit* SearchField() const { return search_; }
    // Ctrl+F: the keyboard focus into the search field, its text selected.
    void FocusSearch();
    static constexpr int kSearchFieldId = 1080;
    bool Filtered() const { return search().Filtered(); }
    // The persons the list shows, in its order: all of them when nothing is searched for.
    std::vector<RecordId> ShownPersonIds() const;
    // True once the search has read the file's persons for matching: when the search field
    // first gets the focus, not before.
    bool SearchIndexReady() const { return search().IndexReady(); }
    // From this many persons, reading them for the search is announced in the status bar.
    static constexpr size_t kSearchNoticeFrom = 20000;
    // How many persons the file has, shown or not.
    size_t PersonCount() const;

    // Sorts a list as a click on the column's header does (persons: 0 name, 1 company;
    // contacts: 0 date, 2 contact type).
    void SortPersonsBy(int column) { SortBy(true, column); }
    void SortContactsBy(int column) { SortBy(false, column); }
    PersonOrder PersonSortOrder() const { return personOrder_; }
    // Whether the persons are listed by their newest contact (the "Last Contact" column's
    // header clicked), and which way.
    bool PersonsByLastContact() const { return byLastContact_; }
    bool PersonsNewestFirst() const { return byLastContact_ && !personDescending_; }

    // The person list's "Last Contact" column: the date of each person's newest contact.
    // Shown, it is read with the list and follows every change of the contact log.
    void ShowLastContactColumn(bool shown);
    bool LastContactColumnShown() const { return lastShown_; }
    // Its width in pixels; 0 leaves the width it was fitted to.
    int LastContactColumnWidth() const;
    void SetLastContactColumnWidth(int width);
    ContactOrder ContactSortOrder() const { return contactOrder_; }

    // The pop-up help numbers of the view's fields and labels.
    static const help::PopupTable& Popups() { return MainViewForm::Popups(); }

    // The control with the given number (1006, 1021, 1028, ...), null if none.
    QWidget* Control(int id) const { return form_->Control(id); }
    QTreeView* PersonList() const { return form_->personList; }
    QTreeView* ContactList() const { return form_->contactList; }
    const PersonListModel& PersonRows() const { return *personModel_; }
    // Marks persons in the list (those the sync holds), as PersonListModel::SetMarked.
    void MarkPersons(std::set<RecordId, std::less<>> persons, QIcon icon, QString tip);
    const ContactListModel& ContactRows() const { return *contactModel_; }
    // The size of the form at its designed 507 by 291 dialog units.
    QSize FormSize() const { return form_->Size(); }
    // The handle between the person list and the details.
    QSplitter* Splitter() const;
    // The width of the person list's pane; setting it moves the handle, the details take the rest.
    int ListPaneWidth() const;
    void SetListPaneWidth(int width);
    // A widget shown under the details while it is not hidden (what a synced card holds
    // beyond the fields).
    void SetExtraDetails(QWidget* extra);
    // The width the user last gave the list (dragged or set), kept while a narrow window
    // squeezes the pane; what is stored between runs.
    int ChosenListPaneWidth() const;
    QSize sizeHint() const override;

    // Shown in place of the lists and details while no book is open.
    NoBookPane* NoBook() const { return noBook_; }
    // Tells the view when another program changed the open file.
    BookWatcher* Watcher() const { return watcher_; }
    void SetRecentBooks(const QStringList& paths);

signals:
    // The selection or the loaded file changed: the availability of commands may have too.
    void StateChanged();
    // A phone, e-mail or web button was pressed with this text.
    void ValueActivated(int control, const QString& text);
    // A line for the status bar about what the view or a command did.
    void StatusMessage(const QString& text);
    // A command of the view changed, added, deleted or brought back persons (not only a
    // contact): what a sync would send.
    void PersonsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const SearchState& search() const { return *searching_; }
    void OnPersonSelectionChanged();
    void OnContactSelectionChanged();
    void SelectPerson(const RecordId& id);
    void SelectContact(const RecordId& id);
    void SortBy(bool persons, int column);
    void OnSearchEdited(const QString& text);
    // Reads the search's index of the file when the search needs it, with the status bar's
    // notice for a large file; false after a failure, which has been shown.
    bool ReadSearchIndex();
    void ShowSearchResult();

    std::string path_;
    PersonOrder personOrder_ = PersonOrder::ByName;
    ContactOrder contactOrder_ = ContactOrder::ByDate;
    ListSelection person_;
    ListSelection contact_;
    // Whether each list's order runs backwards (a second click on its column).
    bool personDescending_ = false;
    bool contactReversed_ = false;
    std::vector<editing::DeletedRecords> deletes_;
    std::optional<record_commands::ContactPreset> lastContact_;

    // The person list read, with the newest contacts when the column shows them (read on a
    // second connection meanwhile) and in their order when the list is sorted by them.
    void LoadPersons(PersonRowList& rows);
    // After a command: the newest contacts of the persons it worked on.
    void FollowLastContacts(const std::vector<RecordId>& ids, bool contactsOnly);
    LastContacts lastContacts_;
    bool lastShown_ = false;
    bool byLastContact_ = false;

    std::unique_ptr<SearchState> searching_;
    bool readingIndex_ = false;
    QLineEdit* search_ = nullptr;
    QLabel* noMatch_ = nullptr;

    NoBookPane* noBook_ = nullptr;
    BookWatcher* watcher_ = nullptr;
    QStackedLayout* pages_ = nullptr;
    std::unique_ptr<MainViewForm> form_;
    // After the form: gone first, with its hold on the form's controls.
    std::unique_ptr<MainViewPanes> panes_;
    PersonListModel* personModel_ = nullptr;
    ContactListModel* contactModel_ = nullptr;
};
