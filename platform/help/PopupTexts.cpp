#include <QCoreApplication>
#include <QString>

#include "HelpViewer.h"

namespace help {

namespace {

struct PopupEntry {
    int popup;
    const char* text;
};

// Shown at the control the user asked about, so each text stands on its own; translated when
// shown.
constexpr PopupEntry kPopups[] = {
    // Buttons that several dialogs share.
    {1000,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "Accepts what you entered and closes the dialog. In a printout dialog it goes on to the "
         "print preview of the report.")},
    {1001,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "Closes the dialog without keeping any of the changes you made in it.")},
    {1002, QT_TRANSLATE_NOOP("help::PopupTexts", "Opens the help page that explains this dialog.")},
    {1007,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "Changes the description of the contact type selected in the list. Contacts of that type "
         "show the new description.")},
    {1008,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "Adds a new contact type. You type its description in the next dialog.")},
    {1009,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "Deletes the contact type selected in the list, after you confirm. A type that is still "
         "used by a contact is kept.")},
    {1010, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "Closes the list of contact types; the main window then shows your changes.")},

    // The main window: the person list and the details of the selected person.
    {1200,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "All persons of the open address book: click one to see its details and contacts, or "
         "click "
         "the Name or Company heading to sort. Double-click or press Ctrl to edit, Insert to add, "
         "Delete to delete a person (at once, with all their contacts).")},
    {1201, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The first name of the selected person. To change it, choose Person, Edit.")},
    {1202,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "The last name of the selected person. To change it, choose Person, Edit.")},
    {1203, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The company the selected person works for. To change it, choose Person, Edit.")},
    {1204, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The selected person's position or job title. To change it, choose Person, Edit.")},
    {1205,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The title of the selected person, such as Mr., Ms. or Dr. To change it, choose Person, "
         "Edit.")},
    {1207, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The street address of the selected person, on one or more lines.")},
    {1209, QT_TRANSLATE_NOOP("help::PopupTexts", "The city of the selected person's address.")},
    {1210, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The state or province of the selected person's address.")},
    {1211, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The ZIP or postal code of the selected person's address.")},
    {1220,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The selected person's home phone number. Click it to have your phone dialler call the "
         "number; it shows Not Available when there is none.")},
    {1230,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "Type to show only the persons you look for: each word must be found in a field of theirs "
         "or in the notes of one of their contacts; capitals and accents do not matter. Put "
         "company:, city:, email:, phone: or note: before a word to look only there. Esc shows "
         "everybody again.")},
    {1221,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The selected person's work phone number, with the extension after an x. Click it to "
         "have your phone dialler call the number (without the extension).")},
    {1223,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "The selected person's fax number, or Not Available when there is none.")},
    {1224,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The selected person's e-mail address. Click it to write a message to this address in "
         "your mail program.")},
    {1225,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The selected person's cell phone number. Click it to have your phone dialler call the "
         "number.")},
    {1226, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The selected person's pager number. Click it to have your phone dialler call the "
               "number.")},
    {1227, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The selected person's web page. Click it to open the page in your web browser.")},

    // The main window: the contacts of the selected person.
    {2000,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The contacts logged with the selected person: click one to see its notes, or click the "
         "Date or Contact Type heading to sort. Double-click or press Ctrl to edit, Insert to add, "
         "Delete to delete a contact (at once).")},
    {2001, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The notes of the selected contact: what it was about.")},
    {2002, QT_TRANSLATE_NOOP("help::PopupTexts", "The date of the selected contact.")},
    {2003,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "The kind of the selected contact, such as Telephone, Email or Personal.")},
    {2004, QT_TRANSLATE_NOOP("help::PopupTexts", "The time of day of the selected contact.")},

    // The contact dialog.
    {2101,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "What the contact was about. Type as much as you like; Enter starts a new line. OK is "
         "available once this field is not empty.")},
    {2102, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The day of the contact. Click the arrow to pick the date from a calendar.")},
    {2103,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The kind of contact. Choose one of your contact types; you change the list with Edit, "
         "Contact Types.")},
    {2104, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The time of day of the contact. Type it or use the arrows.")},

    // The printout dialogs.
    {3000,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The persons of the address book. Select each person to include; hold Ctrl to select "
         "several, or Shift to select a range.")},
    {3002, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "Contacts from this date on are included in the report.")},
    {3003,
     QT_TRANSLATE_NOOP("help::PopupTexts", "Contacts up to this date are included in the report.")},
    {3004, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "Check this box to select every person in the list at once.")},
    {3007,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "Prints the recipient's title (such as Mr. or Dr.) before the name on each envelope.")},
    {3008,
     QT_TRANSLATE_NOOP("help::PopupTexts", "Prints the recipient's company on each envelope.")},
    {3009,
     QT_TRANSLATE_NOOP("help::PopupTexts", "Prints the recipient's position on each envelope.")},
    {3010, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "Prints your title before your name in the return address.")},
    {3011, QT_TRANSLATE_NOOP("help::PopupTexts", "Prints your company in the return address.")},
    {3012, QT_TRANSLATE_NOOP("help::PopupTexts", "Prints your position in the return address.")},
    {3013, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The first month of the chart: its contacts are the first bar.")},
    {3014, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The last month of the chart, the From month or later.")},

    // The import and export wizard.
    {4000,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The name of the text file to write or read. Type it, or click the ... button to choose "
         "the file.")},
    {4001, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "Choose the text file that the persons or contacts are written to or read from.")},
    {4002,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The first lines of the chosen file, read in the encoding chosen above, so you can see "
         "whether the names read right and which characters separate and enclose the fields.")},
    {4004,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "Check this box when the first line of the file holds the names of the fields rather than "
         "a record.")},
    {4006,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The character that stands between two fields of a line: comma, semicolon, pipe, space or "
         "tab.")},
    {4008,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The character around each value that is not empty, such as a double quote. It keeps a "
         "separator inside a value from splitting it; with Nothing, values are not protected.")},
    {4010,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The fields to export (check each one you want), or, when importing, the columns of the "
         "file: click a column to choose the person field it goes into.")},
    {4012,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "The character encoding the file was written in. The likeliest comes first; if the names "
         "below do not read right, choose another.")},
    {5000, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The person field that this column of the file is imported into; \"(not imported)\" "
               "leaves the column out.")},

    // The person and user information sheet.
    {6001, QT_TRANSLATE_NOOP("help::PopupTexts", "The person's first name.")},
    {6002,
     QT_TRANSLATE_NOOP("help::PopupTexts", "The person's last name. The person list sorts by it.")},
    {6003, QT_TRANSLATE_NOOP("help::PopupTexts", "The company the person works for.")},
    {6004,
     QT_TRANSLATE_NOOP("help::PopupTexts", "The person's position or job title in the company.")},
    {6005, QT_TRANSLATE_NOOP("help::PopupTexts", "The person's title, such as Mr., Ms. or Dr.")},
    {6107,
     QT_TRANSLATE_NOOP("help::PopupTexts", "The street address. Press Enter to start a new line.")},
    {6109, QT_TRANSLATE_NOOP("help::PopupTexts", "The city of the address.")},
    {6110,
     QT_TRANSLATE_NOOP("help::PopupTexts", "The state or province, in at most 5 characters.")},
    {6111,
     QT_TRANSLATE_NOOP("help::PopupTexts", "The ZIP or postal code, in at most 10 characters.")},
    {6220,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "The home phone number: digits, spaces and the characters . ( ) - + only.")},
    {6221, QT_TRANSLATE_NOOP(
               "help::PopupTexts",
               "The work phone number: digits, spaces and the characters . ( ) - + only. Put an "
               "extension in the Ext field.")},
    {6222, QT_TRANSLATE_NOOP("help::PopupTexts", "The extension of the work phone number.")},
    {6223, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The fax number: digits, spaces and the characters . ( ) - + only.")},
    {6224, QT_TRANSLATE_NOOP("help::PopupTexts", "The e-mail address, such as name@example.com.")},
    {6225,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "The pager number: digits, spaces and the characters . ( ) - + only.")},
    {6226,
     QT_TRANSLATE_NOOP("help::PopupTexts",
                       "The cell phone number: digits, spaces and the characters . ( ) - + only.")},
    {6227, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The address of the web page, such as www.example.com.")},

    // The contact types dialogs.
    {6300,
     QT_TRANSLATE_NOOP(
         "help::PopupTexts",
         "All contact types of the address book. Select one to edit or delete it with the buttons "
         "beside the list.")},
    {6400, QT_TRANSLATE_NOOP("help::PopupTexts",
                             "The description of the contact type, such as Telephone. Each "
                             "description can be used only "
                             "once.")},
};

}  // namespace

QString PopupText(int popupNumber) {
    for (const PopupEntry& entry : kPopups) {
        if (entry.popup == popupNumber) {
            return QCoreApplication::translate("help::PopupTexts", entry.text);
        }
    }
    return QString();
}

}  // namespace help
