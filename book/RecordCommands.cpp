#include "RecordCommands.h"

#include <vector>

#include <QApplication>

#include "AddressBook.h"
#include "ContactDialog.h"
#include "ContactTypesDialog.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "PersonSheet.h"
#include "RecordEditing.h"
#include "SQLException.h"

namespace record_commands {

namespace {

using platform::MessageIcon;
using platform::ShowDatabaseFailure;

// Editors are owned by the active window, which is the main window unless a test runs alone.
QWidget* EditorOwner(const Context& context) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : context.view->window();
}

// Runs the sheet; true with the values read back when it ended with OK.
bool RunSheet(const Context& context, const char* title, const char* topic, PersonRecord& values) {
    PersonSheet sheet(EditorOwner(context), QString::fromLatin1(title), values, topic);
    if (sheet.exec() != QDialog::Accepted) {
        return false;
    }
    const RecordId id = values.id;
    values = sheet.Values();
    values.id = id;
    return true;
}

// The contact dialog over the file's contact types; a failure to read them is shown and the
// dialog goes on with those read.
void OfferTypes(const Context& context, ContactDialog& dialog) {
    std::vector<editing::TypeChoice> choices;
    try {
        editing::LoadTypeChoices(context.path, choices);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(&dialog, e.Message(), "Error Loading Contact Types",
                            MessageIcon::Error);
    }
    dialog.SetTypes(choices);
}

}  // namespace

ViewUpdate AddPerson(const Context& context) {
    PersonRecord person;
    if (!RunSheet(context, "Add Address Entry", help::kPersonTopic, person)) {
        return ViewUpdate::None;
    }
    try {
        editing::AddPerson(context.path, person);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(context.view, e.Message(), "Error Updating User Information",
                            MessageIcon::Error);
        return ViewUpdate::None;
    }
    return ViewUpdate::Reload;
}

ViewUpdate EditPerson(const Context& context) {
    if (context.personId.empty()) {
        return ViewUpdate::None;
    }
    PersonRecord person;
    person.id = context.personId;
    try {
        LoadPerson(context.path, person.id, person);
    } catch (const cppsqlite3::SQLException&) {
        // The sheet opens with what could be read.
    }
    person.id = context.personId;
    if (!RunSheet(context, "Edit Address Entry", help::kPersonTopic, person)) {
        return ViewUpdate::None;
    }
    try {
        editing::UpdatePerson(context.path, person);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(context.view, e.Message(), "Error Updating User Information",
                            MessageIcon::Error);
        return ViewUpdate::None;
    }
    return ViewUpdate::Reload;
}

ViewUpdate DeletePerson(const Context& context) {
    if (context.personRow < 0) {
        return ViewUpdate::None;
    }
    try {
        editing::DeletePerson(context.path, context.personId);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(nullptr, e.Message(), "Error Deleting Person", MessageIcon::None);
        return ViewUpdate::None;
    }
    return ViewUpdate::DropPersonAndReload;
}

ViewUpdate AddContact(const Context& context) {
    if (context.personId.empty()) {
        return ViewUpdate::None;
    }
    ContactDialog dialog(EditorOwner(context), true);
    OfferTypes(context, dialog);
    dialog.Start();
    if (dialog.exec() != ContactDialog::Ok) {
        return ViewUpdate::None;
    }
    try {
        editing::AddContact(context.path, context.personId, dialog.When(), dialog.Description(),
                            dialog.TypeId());
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(context.view, e.Message(), "Error Creating Contact",
                            MessageIcon::Error);
        return ViewUpdate::None;
    }
    return ViewUpdate::ReloadContacts;
}

ViewUpdate EditContact(const Context& context) {
    if (context.contactId.empty()) {
        return ViewUpdate::None;
    }
    const RecordId id = context.contactId;
    ContactDialog dialog(EditorOwner(context), false);
    try {
        editing::StoredContact stored;
        if (editing::LoadStoredContact(context.path, id, stored)) {
            dialog.SetWhen(stored.when);
            dialog.SetDescription(stored.description);
            dialog.SetTypeId(stored.typeId);
        }
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(context.view, e.Message(), "Error Loading Contact", MessageIcon::Error);
        return ViewUpdate::None;
    }
    OfferTypes(context, dialog);
    dialog.Start();
    if (dialog.exec() != ContactDialog::Ok) {
        return ViewUpdate::None;
    }
    try {
        editing::UpdateContact(context.path, id, dialog.When(), dialog.Description(),
                               dialog.TypeId());
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(context.view, e.Message(), "Error Changing Contact",
                            MessageIcon::Error);
        return ViewUpdate::None;
    }
    return ViewUpdate::ReloadContacts;
}

ViewUpdate DeleteContact(const Context& context) {
    if (context.contactRow < 0) {
        return ViewUpdate::Reload;
    }
    try {
        editing::DeleteContact(context.path, context.contactId);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(nullptr, e.Message(), "Error Deleting Contact", MessageIcon::None);
        return ViewUpdate::None;
    }
    return ViewUpdate::DropContactAndReload;
}

bool LoadUserInformation(const std::string& path, PersonRecord& user) {
    try {
        editing::LoadUserRecord(path, user);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(nullptr, e.Message(), "Error Loading User Information",
                            MessageIcon::Error);
        return false;
    }
    return true;
}

ViewUpdate EditUser(const Context& context) {
    PersonRecord user;
    if (!LoadUserInformation(context.path, user)) {
        return ViewUpdate::None;
    }
    // The sheet shows a Pager field the user table cannot keep.
    user[PersonRecord::Pager].clear();
    if (!RunSheet(context, "Edit User", help::kUserTopic, user)) {
        return ViewUpdate::None;
    }
    try {
        editing::UpdateUser(context.path, user);
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(context.view, e.Message(), "Error Updating User Information",
                            MessageIcon::Error);
        return ViewUpdate::None;
    }
    return ViewUpdate::Reload;
}

ViewUpdate EditContactTypes(const Context& context) {
    return RunContactTypes(context.view, context.path) ? ViewUpdate::Reload : ViewUpdate::None;
}

}  // namespace record_commands
