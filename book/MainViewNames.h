#pragma once

class MainViewForm;

// What a screen reader calls the main view's controls: each field the name of its label, each
// list a name and a description, the value buttons their label and what they show.
namespace view_names {

// The names that stay: the fields' labels, the lists and the contact's notes.
void NameControls(const MainViewForm& form);
// The value buttons and the fax, after each person shown: "Work Phone: 207-555-0188".
void NameValues(const MainViewForm& form);

}  // namespace view_names
