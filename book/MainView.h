#pragma once

#include <QWidget>

#include <map>
#include <vector>

#include "AddressBook.h"
#include "DocumentView.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;
class ContactListModel;
class PersonListModel;

// The client area of the main window: the person list, the selected person's details, their
// contact log and the selected contact's details. It receives the record commands: the
// editing ones it carries out through the editors, the others it hands on.
class MainView : public QWidget, public DocumentView {
    Q_OBJECT
public:
    explicit MainView(QWidget* parent = nullptr);
    ~MainView() override;

    void OnReload() override { Reload(); }

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

    PersonOrder PersonSortOrder() const { return personOrder_; }
    ContactOrder ContactSortOrder() const { return contactOrder_; }

    // True when the command is one the view receives; it then has been carried out.
    bool HandleCommand(int command);
    // Availability of the record commands; false for commands the view does not rule.
    static bool RulesCommand(int command);
    bool IsCommandEnabled(int command) const;

    void EnterHelpMode();
    bool InHelpMode() const { return helpMode_; }

    // The control with the given number (1006, 1021, 1028, ...), null if none.
    QWidget* Control(int id) const;
    QTreeView* PersonList() const { return personList_; }
    QTreeView* ContactList() const { return contactList_; }
    const PersonListModel& PersonRows() const { return *personModel_; }
    const ContactListModel& ContactRows() const { return *contactModel_; }
    // The size of the form at its designed 507 by 291 dialog units.
    QSize FormSize() const { return formSize_; }

signals:
    // The selection or the loaded file changed: the availability of commands may have too.
    void StateChanged();
    // Help mode ended with a click on a control.
    void HelpRequested(QWidget* control);
    // A phone, e-mail or web button was pressed with this text.
    void ValueActivated(int control, const QString& text);
    // A record command that another part of the program carries out.
    void RecordCommand(int command);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Follow { MoveX = 1, SizeX = 2, SizeY = 4 };
    struct Placed {
        QWidget* widget;
        QRect designed;
        int group;
        int follow;
    };

    void BuildForm();
    QLineEdit* AddField(int id, int x, int y, int w, int h, int group);
    QLabel* AddLabel(int id, const QString& text, int x, int y, int w, int group, int follow);
    QPushButton* AddValueButton(int id, int x, int y, int group);
    void Place(QWidget* widget, int x, int y, int w, int h, int group, int follow);
    void SetUpColumns();
    void SetValue(QWidget* control, const std::string& value);
    void OnPersonSelectionChanged();
    void OnContactSelectionChanged();
    void SelectRow(QTreeView* list, int row);
    template <typename Model, typename Row>
    void Reselect(QTreeView* list, Model& model, std::vector<Row> rows, const RecordId& remembered,
                  int& selectedRow, RecordId& currentId);
    bool ListKey(QTreeView* list, QEvent* event);
    void SendCommand(int command);

    PersonOrder personOrder_ = PersonOrder::ByName;
    ContactOrder contactOrder_ = ContactOrder::ByDate;
    int selectedPersonRow_ = -1;
    RecordId currentPersonId_;
    int selectedContactRow_ = -1;
    RecordId currentContactId_;
    bool helpMode_ = false;
    bool ctrlAlone_ = false;

    QSize formSize_;
    std::vector<Placed> placed_;
    std::map<int, QWidget*> controls_;
    QTreeView* personList_ = nullptr;
    QTreeView* contactList_ = nullptr;
    PersonListModel* personModel_ = nullptr;
    ContactListModel* contactModel_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* firstName_ = nullptr;
    QLineEdit* lastName_ = nullptr;
    QLineEdit* company_ = nullptr;
    QLineEdit* position_ = nullptr;
    QPlainTextEdit* address_ = nullptr;
    QLineEdit* city_ = nullptr;
    QLineEdit* state_ = nullptr;
    QLineEdit* zip_ = nullptr;
    QPushButton* homePhone_ = nullptr;
    QPushButton* workPhone_ = nullptr;
    QPushButton* pager_ = nullptr;
    QLabel* fax_ = nullptr;
    QPushButton* celPhone_ = nullptr;
    QPushButton* email_ = nullptr;
    QPushButton* webPage_ = nullptr;
    QLineEdit* date_ = nullptr;
    QLineEdit* time_ = nullptr;
    QLineEdit* contactType_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
};

// The text of a value control that has nothing to show.
extern const char kNotAvailable[];
