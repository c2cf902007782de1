#include <QString>

#include "HelpViewer.h"

namespace help {

namespace {

struct PopupEntry {
    int popup;
    const char* text;
};

// Shown at the control the user asked about, so each text stands on its own.
constexpr PopupEntry kPopups[] = {
    // Buttons that several dialogs share.
    {1000,
     "Accepts what you entered and closes the dialog. In a printout dialog it goes on to the "
     "print preview of the report."},
    {1001, "Closes the dialog without keeping any of the changes you made in it."},
    {1002, "Opens the help page that explains this dialog."},
    {1007,
     "Changes the description of the contact type selected in the list. Contacts of that type "
     "show the new description."},
    {1008, "Adds a new contact type. You type its description in the next dialog."},
    {1009,
     "Deletes the contact type selected in the list, after you confirm. A type that is still "
     "used by a contact is kept."},
    {1010, "Closes the list of contact types; the main window then shows your changes."},

    // The main window: the person list and the details of the selected person.
    {1200,
     "All persons of the open address book: click one to see its details and contacts, or click "
     "the Name or Company heading to sort. Double-click or press Ctrl to edit, Insert to add, "
     "Delete to delete a person (at once, with all their contacts)."},
    {1201, "The first name of the selected person. To change it, choose Person, Edit."},
    {1202, "The last name of the selected person. To change it, choose Person, Edit."},
    {1203, "The company the selected person works for. To change it, choose Person, Edit."},
    {1204, "The selected person's position or job title. To change it, choose Person, Edit."},
    {1205,
     "The title of the selected person, such as Mr., Ms. or Dr. To change it, choose Person, "
     "Edit."},
    {1207, "The street address of the selected person, on one or more lines."},
    {1209, "The city of the selected person's address."},
    {1210, "The state or province of the selected person's address."},
    {1211, "The ZIP or postal code of the selected person's address."},
    {1220,
     "The selected person's home phone number. Click it to have your phone dialler call the "
     "number; it shows Not Available when there is none."},
    {1230,
     "Type to show only the persons you look for: each word must be found in a field of theirs "
     "or in the notes of one of their contacts; capitals and accents do not matter. Put "
     "company:, city:, email:, phone: or note: before a word to look only there. Esc shows "
     "everybody again."},
    {1221,
     "The selected person's work phone number, with the extension after an x. Click it to "
     "have your phone dialler call the number (without the extension)."},
    {1223, "The selected person's fax number, or Not Available when there is none."},
    {1224,
     "The selected person's e-mail address. Click it to write a message to this address in "
     "your mail program."},
    {1225,
     "The selected person's cell phone number. Click it to have your phone dialler call the "
     "number."},
    {1226,
     "The selected person's pager number. Click it to have your phone dialler call the "
     "number."},
    {1227, "The selected person's web page. Click it to open the page in your web browser."},

    // The main window: the contacts of the selected person.
    {2000,
     "The contacts logged with the selected person: click one to see its notes, or click the "
     "Date or Contact Type heading to sort. Double-click or press Ctrl to edit, Insert to add, "
     "Delete to delete a contact (at once)."},
    {2001, "The notes of the selected contact: what it was about."},
    {2002, "The date of the selected contact."},
    {2003, "The kind of the selected contact, such as Telephone, Email or Personal."},
    {2004, "The time of day of the selected contact."},

    // The contact dialog.
    {2101,
     "What the contact was about. Type as much as you like; Enter starts a new line. OK is "
     "available once this field is not empty."},
    {2102, "The day of the contact. Click the arrow to pick the date from a calendar."},
    {2103,
     "The kind of contact. Choose one of your contact types; you change the list with Edit, "
     "Contact Types."},
    {2104, "The time of day of the contact. Type it or use the arrows."},

    // The printout dialogs.
    {3000,
     "The persons of the address book. Select each person to include; hold Ctrl to select "
     "several, or Shift to select a range."},
    {3002, "Contacts from this date on are included in the report."},
    {3003, "Contacts up to this date are included in the report."},
    {3004, "Check this box to select every person in the list at once."},
    {3007, "Prints the recipient's title (such as Mr. or Dr.) before the name on each envelope."},
    {3008, "Prints the recipient's company on each envelope."},
    {3009, "Prints the recipient's position on each envelope."},
    {3010, "Prints your title before your name in the return address."},
    {3011, "Prints your company in the return address."},
    {3012, "Prints your position in the return address."},

    // The import and export wizard.
    {4000,
     "The name of the text file to write or read. Type it, or click the ... button to choose "
     "the file."},
    {4001, "Choose the text file that the persons or contacts are written to or read from."},
    {4002,
     "The first lines of the chosen file, read in the encoding chosen above, so you can see "
     "whether the names read right and which characters separate and enclose the fields."},
    {4004,
     "Check this box when the first line of the file holds the names of the fields rather than "
     "a record."},
    {4006,
     "The character that stands between two fields of a line: comma, semicolon, pipe, space or "
     "tab."},
    {4008,
     "The character around each value that is not empty, such as a double quote. It keeps a "
     "separator inside a value from splitting it; with Nothing, values are not protected."},
    {4010,
     "The fields to export (check each one you want), or, when importing, the columns of the "
     "file: click a column to choose the person field it goes into."},
    {4012,
     "The character encoding the file was written in. The likeliest comes first; if the names "
     "below do not read right, choose another."},
    {5000,
     "The person field that this column of the file is imported into; \"(not imported)\" "
     "leaves the column out."},

    // The person and user information sheet.
    {6001, "The person's first name."},
    {6002, "The person's last name. The person list sorts by it."},
    {6003, "The company the person works for."},
    {6004, "The person's position or job title in the company."},
    {6005, "The person's title, such as Mr., Ms. or Dr."},
    {6107, "The street address. Press Enter to start a new line."},
    {6109, "The city of the address."},
    {6110, "The state or province, in at most 5 characters."},
    {6111, "The ZIP or postal code, in at most 10 characters."},
    {6220, "The home phone number: digits, spaces and the characters . ( ) - + only."},
    {6221,
     "The work phone number: digits, spaces and the characters . ( ) - + only. Put an "
     "extension in the Ext field."},
    {6222, "The extension of the work phone number."},
    {6223, "The fax number: digits, spaces and the characters . ( ) - + only."},
    {6224, "The e-mail address, such as name@example.com."},
    {6225, "The pager number: digits, spaces and the characters . ( ) - + only."},
    {6226, "The cell phone number: digits, spaces and the characters . ( ) - + only."},
    {6227, "The address of the web page, such as www.example.com."},

    // The contact types dialogs.
    {6300,
     "All contact types of the address book. Select one to edit or delete it with the buttons "
     "beside the list."},
    {6400,
     "The description of the contact type, such as Telephone. Each description can be used only "
     "once."},
};

}  // namespace

QString PopupText(int popupNumber) {
    for (const PopupEntry& entry : kPopups) {
        if (entry.popup == popupNumber) {
            return QString::fromUtf8(entry.text);
        }
    }
    return QString();
}

}  // namespace help
