#pragma once

#include <string>

#include "PersonRecord.h"

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

ViewUpdate AddPerson(const Context& context);
ViewUpdate EditPerson(const Context& context);
ViewUpdate DeletePerson(const Context& context);
ViewUpdate AddContact(const Context& context);
ViewUpdate EditContact(const Context& context);
ViewUpdate DeleteContact(const Context& context);
ViewUpdate EditUser(const Context& context);
// The contact types list; the view reloads only when it ended with "&Close".
ViewUpdate EditContactTypes(const Context& context);

// The user record of the file, made on first use. False after a failure, which has been shown
// ("Error Loading User Information").
bool LoadUserInformation(const std::string& path, PersonRecord& user);

}  // namespace record_commands
