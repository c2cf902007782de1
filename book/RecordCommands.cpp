#include "RecordCommands.h"

#include <QApplication>
#include <QPointer>

#include "AddressBook.h"
#include "ContactDialog.h"
#include "CurrentDatabase.h"
#include "DatabaseFailure.h"
#include "HelpViewer.h"
#include "MainView.h"
#include "PersonSheet.h"
#include "RecordEditing.h"

namespace record_commands {

namespace {

using platform::MessageIcon;

// Gives the keyboard focus back to the control that had it when the command began.
class FocusKeeper {
public:
    FocusKeeper() : widget_(QApplication::focusWidget()) {}
    ~FocusKeeper() {
        if (widget_) {
            widget_->setFocus();
        }
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> widget_;
};

// Editors are owned by the active window, which is the main window unless a test runs alone.
QWidget* EditorOwner(MainView& view) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : view.window();
}

// Runs the sheet; true with the values read back when it ended with OK.
bool RunSheet(MainView& view, const char* title, const char* topic, PersonRecord& values) {
    PersonSheet sheet(EditorOwner(view), QString::fromLatin1(title), values, topic);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    const RecordId id = values.id;
    values = sheet.Values();
    values.id = id;
    return true;
}

}  // namespace

void AddPerson(MainView& view) {
    const FocusKeeper focus;
    PersonRecord person;
    if (!RunSheet(view, "Add Address Entry", help::kPersonTopic, person)) {
        return;
    }
    try {
        editing::AddPerson(CurrentDatabasePath, person);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(&view, e, "Error Updating User Information", MessageIcon::Error);
        return;
    }
    view.Reload();
}

void EditPerson(MainView& view) {
    if (view.CurrentPersonId().empty()) {
        return;
    }
    const FocusKeeper focus;
    PersonRecord person;
    person.id = view.CurrentPersonId();
    try {
        LoadPerson(CurrentDatabasePath, person.id, person);
    } catch (const cppsqlite3::SQLException&) {
        // The sheet opens with what could be read.
    }
    person.id = view.CurrentPersonId();
    if (!RunSheet(view, "Edit Address Entry", help::kPersonTopic, person)) {
        return;
    }
    try {
        editing::UpdatePerson(CurrentDatabasePath, person);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(&view, e, "Error Updating User Information", MessageIcon::Error);
        return;
    }
    view.Reload();
}

void DeletePerson(MainView& view) {
    if (view.SelectedPersonRow() < 0) {
        return;
    }
    const FocusKeeper focus;
    try {
        editing::DeletePerson(CurrentDatabasePath, view.CurrentPersonId());
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(nullptr, e, "Error Deleting Person", MessageIcon::None);
        return;
    }
    view.DropSelectedPerson();
    view.Reload();
}

void AddContact(MainView& view) {
    if (view.CurrentPersonId().empty()) {
        return;
    }
    const FocusKeeper focus;
    ContactDialog dialog(EditorOwner(view), true);
    dialog.Start();
    if (dialog.exec() != ContactDialog::Ok) {
        return;
    }
    try {
        editing::AddContact(CurrentDatabasePath, view.CurrentPersonId(), dialog.When(),
                            dialog.QuotedDescription(), dialog.TypeId());
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(&view, e, "Error Creating Contact", MessageIcon::Error);
        return;
    }
    view.ReloadContacts(view.CurrentPersonId());
}

void EditContact(MainView& view) {
    if (view.CurrentContactId().empty()) {
        return;
    }
    const FocusKeeper focus;
    const RecordId id = view.CurrentContactId();
    ContactDialog dialog(EditorOwner(view), false);
    try {
        editing::StoredContact stored;
        if (editing::LoadStoredContact(CurrentDatabasePath, id, stored)) {
            dialog.SetWhen(stored.when);
            dialog.SetDescription(stored.description);
            dialog.SetTypeId(stored.typeId);
        }
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(&view, e, "Error Loading Contact", MessageIcon::Error);
        return;
    }
    dialog.Start();
    if (dialog.exec() != ContactDialog::Ok) {
        return;
    }
    try {
        editing::UpdateContact(CurrentDatabasePath, id, dialog.When(), dialog.QuotedDescription(),
                               dialog.TypeId());
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(&view, e, "Error Changing Contact", MessageIcon::Error);
        return;
    }
    view.ReloadContacts(view.CurrentPersonId());
}

void DeleteContact(MainView& view) {
    const FocusKeeper focus;
    if (view.SelectedContactRow() >= 0) {
        try {
            editing::DeleteContact(CurrentDatabasePath, view.CurrentContactId());
        } catch (const cppsqlite3::SQLException& e) {
            ShowDatabaseFailure(nullptr, e, "Error Deleting Contact", MessageIcon::None);
            return;
        }
        view.DropSelectedContact();
    }
    view.Reload();
}

bool LoadUserInformation(PersonRecord& user) {
    try {
        editing::LoadUserRecord(CurrentDatabasePath, user);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(nullptr, e, "Error Loading User Information", MessageIcon::Error);
        return false;
    }
    return true;
}

void EditUser(MainView& view) {
    PersonRecord user;
    if (!LoadUserInformation(user)) {
        return;
    }
    // The sheet shows a Pager field the user table cannot keep.
    user[PersonRecord::Pager].clear();
    if (!RunSheet(view, "Edit User", help::kUserTopic, user)) {
        return;
    }
    try {
        editing::UpdateUser(CurrentDatabasePath, user);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(&view, e, "Error Updating User Information", MessageIcon::Error);
        return;
    }
    view.Reload();
}

}  // namespace record_commands
