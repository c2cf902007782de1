#pragma once

// Command numbers of the menus and toolbars. Commands are routed by number, and each number
// carries its status-bar prompt and tooltip.
namespace cmd {

constexpr int kCheckForUpdate = 102;
constexpr int kAddContact = 32778;
constexpr int kAddPerson = 32779;
constexpr int kDeleteContact = 32780;
constexpr int kDeletePerson = 32781;
constexpr int kEditPerson = 32795;
constexpr int kEditContact = 32797;
constexpr int kHelpTopics = 32800;
constexpr int kHelpMode = 32802;
constexpr int kAddressBookReport = 32803;
constexpr int kContactsReport = 32804;
constexpr int kReportFont = 32818;
constexpr int kZoomIn = 32819;
constexpr int kZoomOut = 32820;
constexpr int kImportPersons = 32821;
constexpr int kExportPersons = 32823;
constexpr int kExportContacts = 32824;
constexpr int kEditUser = 32825;
constexpr int kEnvelopesReport = 32826;
constexpr int kContactTypes = 32827;
// Every page of the previewed report into a PDF file.
constexpr int kSaveAsPdf = 32830;
// Puts back what the last delete of persons or contacts took away.
constexpr int kUndoDelete = 32831;
// Logs the call, mail or visit just made with a value button of the details panel.
constexpr int kLogLastCall = 32832;
// Puts the keyboard focus in the search field above the person list.
constexpr int kFind = 32833;
// Persons from a vCard file, and every person into one.
constexpr int kImportVCard = 32834;
constexpr int kExportVCard = 32835;
// The book's link to an address book on a CardDAV server, a sync with it, and its end.
constexpr int kLinkToServer = 32836;
constexpr int kSyncNow = 32837;
constexpr int kUnlink = 32838;
// The persons the sync holds, settled by the user; when a linked book syncs by itself.
constexpr int kSyncConflicts = 32839;
constexpr int kSyncSettings = 32840;
// The persons that look like one person twice, merged or told apart.
constexpr int kFindDuplicates = 32841;
// The person list's column of each person's newest contact, shown or hidden.
constexpr int kLastContactColumn = 32842;
// A chart of the contacts per month, by type.
constexpr int kActivityReport = 32843;
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileSaveAs = 57604;
constexpr int kPageSetup = 57605;
constexpr int kPrintSetup = 57606;
constexpr int kPrint = 57607;
constexpr int kPrintPreview = 57609;
constexpr int kFirstRecentFile = 57616;
constexpr int kLastRecentFile = 57631;
constexpr int kAbout = 57664;
constexpr int kExit = 57665;
constexpr int kClosePreview = 58112;
constexpr int kNextPage = 58114;
constexpr int kPreviousPage = 58115;
constexpr int kViewToolbar = 59392;
constexpr int kViewStatusBar = 59393;

}  // namespace cmd
