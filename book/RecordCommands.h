#pragma once

#include "PersonRecord.h"

class MainView;

// The person, contact and user commands of the main view: each runs its editor, writes the
// change in one transaction and brings the view up to date. Failures are shown under the
// command's caption and leave the file as it was.
namespace record_commands {

void AddPerson(MainView& view);
void EditPerson(MainView& view);
void DeletePerson(MainView& view);
void AddContact(MainView& view);
void EditContact(MainView& view);
void DeleteContact(MainView& view);
void EditUser(MainView& view);

// The user record of the current file, made on first use. False after a failure, which has been
// shown ("Error Loading User Information").
bool LoadUserInformation(PersonRecord& user);

}  // namespace record_commands
