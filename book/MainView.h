#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include <QWidget>

#include "AddressBook.h"
#include "DocumentView.h"
#include "HelpViewer.h"
#include "PersonSearch.h"
#include "RecordCommands.h"

class QLabel;
class QLineEdit;
class QScrollArea;
class QSplitter;
class QTreeView;
class ContactListModel;
class MainViewForm;
class PersonListModel;

// The client area of the main window: the person list, the selected person's details, their
// contact log and the selected contact's details. It receives the record commands: the
// editing ones it carries out through the record commands, the others it hands on.
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

    int SelectedPersonRow() const { return selectedPersonRow_; }
    const RecordId& CurrentPersonId() const { return currentPersonId_; }
    int SelectedContactRow() const { return selectedContactRow_; }
    const RecordId& CurrentContactId() const { return currentContactId_; }
    // Sets the selection state directly, as a new file needs it.
    void SetSelection(int personRow, const RecordId& personId, int contactRow,
                      const RecordId& contactId);

    // After the selected person or contact was deleted: its row leaves the list and the row
    // before it (the first row when it was first) becomes the selection; none when the list is
    // left empty. The reload that follows finds the new selection by its identifier.
    void DropSelectedPerson();
    void DropSelectedContact();

    // The search field above the person list and what it leaves shown.
    QLineEdit* SearchField() const { return search_; }
    static constexpr int kSearchFieldId = 1080;
    bool Filtered() const { return !query_.Empty(); }
    // The persons the list shows, in its order: all of them when nothing is searched for.
    std::vector<RecordId> ShownPersonIds() const;
    // True once the search has read the file's persons for matching: when the search field
    // first gets the focus, not before.
    bool SearchIndexReady() const { return searchIndexReady_; }
    // From this many persons, reading them for the search is announced in the status bar.
    static constexpr size_t kSearchNoticeFrom = 20000;
    // How many persons the file has, shown or not.
    size_t PersonCount() const;

    PersonOrder PersonSortOrder() const { return personOrder_; }
    ContactOrder ContactSortOrder() const { return contactOrder_; }

    // True when the command is one the view receives; it then has been carried out.
    bool HandleCommand(int command);
    // Availability of the record commands; false for commands the view does not rule.
    static bool RulesCommand(int command);
    bool IsCommandEnabled(int command) const;

    void EnterHelpMode();
    void LeaveHelpMode();
    bool InHelpMode() const { return helpMode_; }

    // The pop-up help numbers of the view's fields and labels.
    static const help::PopupTable& Popups();

    // The control with the given number (1006, 1021, 1028, ...), null if none.
    QWidget* Control(int id) const;
    QTreeView* PersonList() const;
    QTreeView* ContactList() const;
    const PersonListModel& PersonRows() const { return *personModel_; }
    const ContactListModel& ContactRows() const { return *contactModel_; }
    // The size of the form at its designed 507 by 291 dialog units.
    QSize FormSize() const;
    // The handle between the person list and the details.
    QSplitter* Splitter() const { return splitter_; }
    // The width of the person list's pane; setting it moves the handle, the details take the rest.
    int ListPaneWidth() const;
    QSize sizeHint() const override;
    void SetListPaneWidth(int width);
    // How many deletes Undo Delete can take back.
    int UndoCount() const { return static_cast<int>(undo_.size()); }
    // A value button's request was taken by the desktop: the contact it made can be logged
    // (Log Last Call) for the person shown, with the time of now.
    void NoteValueUsed(int control, const QString& value);

signals:
    // The selection or the loaded file changed: the availability of commands may have too.
    void StateChanged();
    // Help mode ended with a click on a control.
    void HelpRequested(QWidget* control);
    // Help mode ended, with a control or without.
    void HelpModeEnded();
    // A phone, e-mail or web button was pressed with this text.
    void ValueActivated(int control, const QString& text);
    // A record command that another part of the program carries out.
    void RecordCommand(int command);
    // A line for the status bar about what a command did.
    void StatusMessage(const QString& text);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetValue(QWidget* control, const std::string& value);
    void OnPersonSelectionChanged();
    void OnContactSelectionChanged();
    void SelectRow(QTreeView* list, int row);
    template <typename Model, typename List>
    void Reselect(QTreeView* list, Model& model, List rows, const RecordId& remembered,
                  int& selectedRow, RecordId& currentId);
    bool ListKey(QTreeView* list, QEvent* event);
    bool SearchKey(QKeyEvent* key);
    void SendCommand(int command);
    void Apply(const record_commands::Outcome& outcome);
    void SelectPerson(const RecordId& id);
    void SelectContact(const RecordId& id);
    void SortBy(bool persons, int column);
    void OnSearchEdited(const QString& text);
    // The rows the list shows: every person, or those the search finds and those pinned.
    PersonRowList ShownRows(bool narrowing);
    // The search's index of the file, read when first needed; false after a failure.
    bool EnsureSearchIndex();
    void RefreshSearchIndex(const std::vector<RecordId>& ids);
    void ShowSearchResult();

    std::string path_;
    PersonOrder personOrder_ = PersonOrder::ByName;
    ContactOrder contactOrder_ = ContactOrder::ByDate;
    int selectedPersonRow_ = -1;
    RecordId currentPersonId_;
    int selectedContactRow_ = -1;
    RecordId currentContactId_;
    bool helpMode_ = false;
    bool ctrlAlone_ = false;

    // Whether each list's order runs backwards (a second click on its column).
    bool personDescending_ = false;
    bool contactReversed_ = false;
    std::vector<editing::DeletedRecords> undo_;
    std::optional<record_commands::ContactPreset> lastContact_;

    // While searching, every person of the file in list order (the list shows those found);
    // otherwise empty, the list itself holding every person.
    PersonRowList allPersons_;
    SearchQuery query_;
    PersonSearchIndex searchIndex_;
    bool searchIndexReady_ = false;
    bool buildingIndex_ = false;  // while the file is read for the search
    // The rows of allPersons_ the last search found, to narrow the next one from.
    std::vector<uint32_t> matches_;
    // Persons added or changed while searching stay shown until the search changes.
    std::unordered_set<RecordId> pinned_;
    QLineEdit* search_ = nullptr;
    QLabel* noMatch_ = nullptr;

    QSplitter* splitter_ = nullptr;
    QScrollArea* detailsScroll_ = nullptr;
    QWidget* details_ = nullptr;
    std::unique_ptr<MainViewForm> form_;
    PersonListModel* personModel_ = nullptr;
    ContactListModel* contactModel_ = nullptr;
};

// The text of a value control that has nothing to show.
extern const char kNotAvailable[];
