#pragma once

// When each command of the main window is offered: one table, read by the menus, the toolbar
// and the keys of the lists alike.
namespace book {

// What the main view holds at a moment.
struct ViewState {
    bool file = false;      // a file is open
    bool person = false;    // a person is selected
    bool contact = false;   // a contact is selected
    bool undo = false;      // a delete of this file's can be taken back
    bool lastCall = false;  // a call, mail or visit just made is still to log
};

// What a command needs before it is offered.
enum class Needs { Nothing, File, Person, Contact, Undo, LastCall };

// The need of a command the view's state rules; Needs::Nothing for any other.
Needs NeedsOf(int command);
// Whether the view's state rules the command's availability.
bool RulesCommand(int command);
// Whether the command is offered in the state; a command the state does not rule always is.
bool IsAvailable(int command, const ViewState& state);
// The commands that change records: they wait while a report is previewed.
bool ChangesRecords(int command);

}  // namespace book
