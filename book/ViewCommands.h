#pragma once

#include <vector>

#include <QString>

#include "DuplicateFinding.h"

class MainView;

// The record commands of the main view, each carried out one way: it reads the file and the
// selection from the view, runs its dialog and its change, and tells the view what to show
// afterwards. Any failure reaches the user under the command's caption.
namespace book {

// Whether the command is one of the view's: Person and Contact Add, Edit and Delete, User,
// Contact Types, Undo Delete, Log Last Call, Find.
bool IsViewCommand(int command);
// Carries out the command when the view's state offers it; false when it is none of the view's.
bool RunViewCommand(MainView& view, int command);

// The Find Duplicates dialog on these groups (those an import brought), its merges applied to
// the view as Edit, Find Duplicates applies them.
void ReviewDuplicates(MainView& view, const std::vector<duplicates::Group>& groups);

// A value button's request was taken by the desktop: the contact it made can be logged (Log
// Last Call) for the person shown, with the time of now.
void NoteValueUsed(MainView& view, int control, const QString& value);

}  // namespace book
