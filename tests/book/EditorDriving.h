#pragma once

#include <QString>

#include "PersonRecord.h"

class ContactDialog;
class MainView;
class PersonSheet;
class QDialog;
class QPushButton;
class QWidget;

// Ways of working the editors that a command opens, for the tests of the book.

// The dialog as the editor it must be; a test failure when it is another.
PersonSheet& Sheet(QDialog& dialog);
ContactDialog& Contact(QDialog& dialog);

// Builds the sheet's pages up to the one that holds the field and brings that page to the front.
QWidget* Reveal(PersonSheet& sheet, PersonRecord::Field field);
void TypeInto(PersonSheet& sheet, PersonRecord::Field field, const QString& text);
QString ShownText(PersonSheet& sheet, PersonRecord::Field field);

// Clicks OK, which must be enabled.
void PressOk(QDialog& dialog, QPushButton* ok);

// Clicks the person's row in the person list, the contact's in the contact list; the view then
// shows them (a test failure otherwise).
void ClickPerson(MainView& view, const RecordId& id);
void ClickContact(MainView& view, const RecordId& id);
