#pragma once

#include <optional>
#include <string>

#include "PersonRecord.h"
#include "RecordEditing.h"

class QWidget;

// The person, contact, user and contact-type commands of the main view: each runs its editor,
// writes the change in one transaction and says what the view must do to be up to date again.
// Failures are shown under the command's caption and leave the file as it was. The view gives
// the keyboard focus back where the person and contact commands found it.
namespace record_commands {

// What a command starts from, gathered by the view.
struct Context {
    QWidget* view = nullptr;  // owns the failure messages that name it
    std::string path;         // the current file
    int personRow = -1;
    RecordId personId;
    int contactRow = -1;
    RecordId contactId;
};

// What the view does after a command.
enum class ViewUpdate {
    None,
    ReloadContacts,
    Reload,
    // The selected row leaves its list and the row before it becomes the selection; then a reload.
    DropPersonAndReload,
    DropContactAndReload,
};

// What a command leaves the view to do.
struct Outcome {
    ViewUpdate update = ViewUpdate::None;
    // After the update, the person and contact to select and show (a new or restored one).
    RecordId selectPerson;
    RecordId selectContact;
    // What a delete took away, for Undo Delete.
    std::optional<editing::DeletedRecords> deleted;
    // Other persons whose records the command changed (a merge's, its undo's): read again for
    // the search and the last contacts.
    std::vector<RecordId> changed;
};

Outcome AddPerson(const Context& context);
Outcome EditPerson(const Context& context);
Outcome DeletePerson(const Context& context);
Outcome AddContact(const Context& context);
Outcome EditContact(const Context& context);
Outcome DeleteContact(const Context& context);
Outcome EditUser(const Context& context);
// The contact types list; the view reloads only when it ended with "&Close".
Outcome EditContactTypes(const Context& context);
// Puts back what a delete took away and selects it; a failure is shown ("Error Undoing
// Delete") and changes nothing.
Outcome UndoDelete(const Context& context, const editing::DeletedRecords& deleted);
// Puts back what a merge changed and selects the kept person; a failure is shown ("Error
// Undoing Merge") and changes nothing.
Outcome UndoMerge(const Context& context, const editing::MergedRecords& merged);

// A contact as the user just made it with a value button: whom, the contact type it is named
// after ("Telephone", "Email"; empty for none), when and how (the number or address used).
struct ContactPreset {
    RecordId personId;
    std::string typeName;
    DateTime when;
    std::string description;
};
// The contact dialog in add mode for the preset's person, filled from it; nothing is stored
// until OK. The new contact is selected under its person.
Outcome LogContact(const Context& context, const ContactPreset& preset);

// The user record of the file, made on first use. False after a failure, which has been shown
// ("Error Loading User Information").
bool LoadUserInformation(const std::string& path, PersonRecord& user);

}  // namespace record_commands
