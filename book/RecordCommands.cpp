#include "RecordCommands.h"

#include <functional>
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

// A save of an editor: runs the write and shows its failure under the caption, owned by the
// view; false keeps the editor open.
template <typename Write>
bool Saved(const Context& context, const char* caption, Write write) {
    try {
        write();
    } catch (const cppsqlite3::SQLException& e) {
        ShowDatabaseFailure(context.view, e.Message(), caption, MessageIcon::Error);
        return false;
    }
    return true;
}

// Runs the sheet, which stores its values through save before it closes; true after OK.
bool RunSheet(const Context& context, const char* title, const char* topic,
              const PersonRecord& values, const std::function<void(const PersonRecord&)>& save) {
    PersonSheet sheet(EditorOwner(context), QString::fromLatin1(title), values, topic);
    sheet.SetSaver([&](const PersonRecord& edited) {
        return Saved(context, "Error Updating User Information", [&] { save(edited); });
    });
    return sheet.exec() == QDialog::Accepted;
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
    const bool added =
        RunSheet(context, "Add Address Entry", help::kPersonTopic, PersonRecord(),
                 [&](const PersonRecord& person) { editing::AddPerson(context.path, person); });
    return added ? ViewUpdate::Reload : ViewUpdate::None;
}

ViewUpdate EditPerson(const Context& context) {
    if (context.personId.empty()) {
        return ViewUpdate::None;
    }
    PersonRecord person;
    try {
        if (!LoadPerson(context.path, context.personId, person)) {
            // Gone since the list was read: the list is brought up to date instead.
            return ViewUpdate::Reload;
        }
    } catch (const cppsqlite3::SQLException& e) {
        // An empty sheet would overwrite the person with nothing at OK.
        ShowDatabaseFailure(context.view, e.Message(), "Error Loading Person", MessageIcon::Error);
        return ViewUpdate::None;
    }
    person.id = context.personId;
    const bool changed =
        RunSheet(context, "Edit Address Entry", help::kPersonTopic, person,
                 [&](const PersonRecord& edited) { editing::UpdatePerson(context.path, edited); });
    return changed ? ViewUpdate::Reload : ViewUpdate::None;
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
    dialog.SetSaver([&](const ContactDialog& values) {
        return Saved(context, "Error Creating Contact", [&] {
            editing::AddContact(context.path, context.personId, values.When(), values.Description(),
                                values.TypeId());
        });
    });
    dialog.Start();
    return dialog.exec() == ContactDialog::Ok ? ViewUpdate::ReloadContacts : ViewUpdate::None;
}

ViewUpdate EditContact(const Context& context) {
    if (context.contactId.empty()) {
        return ViewUpdate::None;
    }
    const RecordId id = context.contactId;
    ContactDialog dialog(EditorOwner(context), false);
    editing::StoredContact stored;
    try {
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
    dialog.SetSaver([&](const ContactDialog& values) {
        // A date the user did not touch stays as stored, even one that does not read as a date.
        const std::string dtTm = values.WhenChanged() || stored.dtTm.empty()
                                     ? FormatStoredTimeStamp(values.When())
                                     : stored.dtTm;
        return Saved(context, "Error Changing Contact", [&] {
            editing::UpdateContact(context.path, id, dtTm, values.Description(), values.TypeId());
        });
    });
    dialog.Start();
    return dialog.exec() == ContactDialog::Ok ? ViewUpdate::ReloadContacts : ViewUpdate::None;
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
    const bool changed =
        RunSheet(context, "Edit User", help::kUserTopic, user,
                 [&](const PersonRecord& edited) { editing::UpdateUser(context.path, edited); });
    return changed ? ViewUpdate::Reload : ViewUpdate::None;
}

ViewUpdate EditContactTypes(const Context& context) {
    return RunContactTypes(context.view, context.path) ? ViewUpdate::Reload : ViewUpdate::None;
}

}  // namespace record_commands
