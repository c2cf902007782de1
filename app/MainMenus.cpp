#include "MainFrame.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "Commands.h"
#include "Images.h"

// The menus and toolbars of the main window: one action a command, with its prompt and
// tooltip; what each command does is in MainFrame.cpp.

namespace {

// Status-bar prompt and tooltip of each command, split at the line break; translated where they
// are shown.
const std::map<int, const char*>& Prompts() {
    static const std::map<int, const char*> prompts = {
        {cmd::kFileNew, QT_TRANSLATE_NOOP("MainFrame", "Create a new document\nNew")},
        {cmd::kFileOpen, QT_TRANSLATE_NOOP("MainFrame", "Open an existing document\nOpen")},
        {cmd::kFileSaveAs,
         QT_TRANSLATE_NOOP("MainFrame", "Save the active document with a new name\nSave As")},
        {cmd::kPageSetup,
         QT_TRANSLATE_NOOP("MainFrame", "Change the page setup options\nPage Setup")},
        {cmd::kPrintSetup,
         QT_TRANSLATE_NOOP("MainFrame", "Change the printer and printing options\nPrint Setup")},
        {cmd::kFirstRecentFile, QT_TRANSLATE_NOOP("MainFrame", "Open this file\nOpen file")},
        {cmd::kExit,
         QT_TRANSLATE_NOOP("MainFrame", "Quit the application; prompts to save documents\nExit")},
        {cmd::kViewToolbar,
         QT_TRANSLATE_NOOP("MainFrame", "Show or hide the toolbar\nToggle ToolBar")},
        {cmd::kLastContactColumn,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Show or hide the date of each person's newest contact in the "
                           "person list\nLast contact column")},
        {cmd::kViewStatusBar,
         QT_TRANSLATE_NOOP("MainFrame", "Show or hide the status bar\nToggle StatusBar")},
        {cmd::kHelpTopics, QT_TRANSLATE_NOOP("MainFrame", "Display help file\nDisplay help")},
        {cmd::kHelpMode,
         QT_TRANSLATE_NOOP("MainFrame", "Puts application in help mode\nHelp mode")},
        {cmd::kAddContact, QT_TRANSLATE_NOOP("MainFrame", "Add a new contact\nAdd contact")},
        {cmd::kAddPerson, QT_TRANSLATE_NOOP("MainFrame", "Add a new person\nAdd person")},
        {cmd::kDeleteContact,
         QT_TRANSLATE_NOOP("MainFrame", "Delete the selected contact\nDelete contact")},
        {cmd::kDeletePerson,
         QT_TRANSLATE_NOOP("MainFrame", "Delete the selected person\nDelete person")},
        {cmd::kEditPerson, QT_TRANSLATE_NOOP("MainFrame", "Edit the selected person\nEdit person")},
        {cmd::kEditContact, QT_TRANSLATE_NOOP("MainFrame", "Edit selected contact\nEdit contact")},
        {cmd::kAddressBookReport,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Print an address book of selected persons\nPrint addresses")},
        {cmd::kContactsReport,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Print a list of contacts with the selected person\nPrint contacts")},
        {cmd::kReportFont,
         QT_TRANSLATE_NOOP("MainFrame", "Select the font to use on reports\nReport font")},
        {cmd::kImportPersons,
         QT_TRANSLATE_NOOP("MainFrame", "Import persons information\nImport persons")},
        {cmd::kExportPersons,
         QT_TRANSLATE_NOOP("MainFrame", "Export persons information\nExport persons")},
        {cmd::kExportContacts,
         QT_TRANSLATE_NOOP("MainFrame", "Export contact information\nExport contacts")},
        {cmd::kImportVCard,
         QT_TRANSLATE_NOOP("MainFrame", "Import persons from a vCard file\nImport vCard")},
        {cmd::kExportVCard,
         QT_TRANSLATE_NOOP("MainFrame", "Export persons to a vCard file\nExport vCard")},
        {cmd::kLinkToServer,
         QT_TRANSLATE_NOOP(
             "MainFrame", "Link this book to an address book on a CardDAV server\nLink to server")},
        {cmd::kSyncNow,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Bring the book and its address book on the server in step\nSync now")},
        {cmd::kSyncConflicts,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Choose what to keep of the persons changed here and on "
                           "the server\nSync conflicts")},
        {cmd::kSyncSettings,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Choose when a linked book syncs by itself\nSync settings")},
        {cmd::kUnlink,
         QT_TRANSLATE_NOOP("MainFrame",
                           "End the link to the server; every person stays in the book\nUnlink")},
        {cmd::kEditUser, QT_TRANSLATE_NOOP("MainFrame", "Edit user information\nEdit user")},
        {cmd::kEnvelopesReport,
         QT_TRANSLATE_NOOP("MainFrame", "Print envelopes for selected persons\nPrint envelopes")},
        {cmd::kActivityReport,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Draw a chart of the contacts per month\nContact activity")},
        {cmd::kContactTypes,
         QT_TRANSLATE_NOOP("MainFrame", "Edit the list of contact types\nEdit contact types")},
        {cmd::kAbout,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Display program information, version number and copyright\nAbout")},
        {cmd::kPrint, QT_TRANSLATE_NOOP("MainFrame", "Print the active document\nPrint")},
        {cmd::kPrintPreview, QT_TRANSLATE_NOOP("MainFrame", "Display full pages\nPrint Preview")},
        {cmd::kClosePreview,
         QT_TRANSLATE_NOOP("MainFrame", "Close print preview mode\nCancel Preview")},
        {cmd::kNextPage, QT_TRANSLATE_NOOP("MainFrame", "Go to the next page\nNext Page")},
        {cmd::kPreviousPage,
         QT_TRANSLATE_NOOP("MainFrame", "Go to the previous page\nPrevious Page")},
        {cmd::kZoomIn,
         QT_TRANSLATE_NOOP("MainFrame", "Increase magnification of preview page\nZoom In")},
        {cmd::kZoomOut,
         QT_TRANSLATE_NOOP("MainFrame", "Decrease magnification of preview page\nZoom Out")},
        {cmd::kSaveAsPdf,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Write every page of the report to a PDF file\nSave as PDF")},
        {cmd::kUndoDelete,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Put back the person or contact deleted last\nUndo delete")},
        {cmd::kFindDuplicates,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Find the persons entered twice, and merge them or tell "
                           "them apart\nFind duplicates")},
        {cmd::kFind,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Find persons by any of their fields or contact notes\nFind")},
        {cmd::kLogLastCall,
         QT_TRANSLATE_NOOP("MainFrame",
                           "Log the call, mail or visit just made with a button\nLog last call")},
    };
    return prompts;
}

// The desktop's keys for a standard action; where its theme names none, the usual one.
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey key, const QString& usual) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty()) {
        keys.append(QKeySequence(usual));
    }
    return keys;
}

}  // namespace

QString CommandName(int command) {
    const auto prompt = Prompts().find(command);
    return prompt == Prompts().end() ? MainFrame::tr("Tidemark")
                                     : QCoreApplication::translate("MainFrame", prompt->second)
                                           .section(QLatin1Char('\n'), 1);
}

QAction* MainFrame::AddCommand(QMenu* menu, int command, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(command);
    const auto prompt = Prompts().find(command);
    if (prompt != Prompts().end()) {
        const QString both = QCoreApplication::translate("MainFrame", prompt->second);
        action->setStatusTip(both.section(QLatin1Char('\n'), 0, 0));
        action->setToolTip(both.section(QLatin1Char('\n'), 1));
    }
    connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    actions_[command] = action;
    if (menu) {
        menu->addAction(action);
    }
    return action;
}

void MainFrame::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    AddCommand(file, cmd::kFileNew, tr("&New\tCtrl+N"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    AddCommand(file, cmd::kFileOpen, tr("&Open...\tCtrl+O"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddCommand(file, cmd::kFileSaveAs, tr("Save &As..."))
        ->setShortcuts(StandardKeys(QKeySequence::SaveAs, QStringLiteral("Ctrl+Shift+S")));
    file->addSeparator();
    QMenu* import = file->addMenu(tr("&Import"));
    AddCommand(import, cmd::kImportPersons, tr("&Persons..."));
    AddCommand(import, cmd::kImportVCard, tr("&vCard..."));
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    AddCommand(exportMenu, cmd::kExportPersons, tr("&Persons..."));
    AddCommand(exportMenu, cmd::kExportContacts, tr("&Contacts..."));
    AddCommand(exportMenu, cmd::kExportVCard, tr("&vCard..."));
    QMenu* syncMenu = file->addMenu(tr("S&ync"));
    AddCommand(syncMenu, cmd::kLinkToServer, tr("&Link to Server..."));
    AddCommand(syncMenu, cmd::kSyncNow, tr("Sync &Now\tF9"))->setShortcut(QKeySequence(Qt::Key_F9));
    AddCommand(syncMenu, cmd::kSyncConflicts, tr("&Conflicts..."));
    AddCommand(syncMenu, cmd::kSyncSettings, tr("&Settings..."));
    syncMenu->addSeparator();
    AddCommand(syncMenu, cmd::kUnlink, tr("&Unlink"));
    file->addSeparator();
    AddCommand(file, cmd::kPageSetup, tr("Page Set&up..."));
    AddCommand(file, cmd::kPrintSetup, tr("P&rint Setup..."));
    // Offered while a report is previewed.
    AddCommand(file, cmd::kSaveAsPdf, tr("Save as &PDF..."))->setVisible(false);
    file->addSeparator();
    recentMenu_ = file->addMenu(tr("Recent &Files"));
    auto* empty = new QAction(tr("(Empty)"), recentMenu_);
    empty->setData(cmd::kFirstRecentFile);
    empty->setEnabled(false);
    recentMenu_->addAction(empty);
    connect(recentMenu_, &QMenu::triggered, this,
            [this](QAction* action) { OnCommand(action->data().toInt()); });
    file->addSeparator();
    AddCommand(file, cmd::kExit, tr("E&xit"))
        ->setShortcuts(StandardKeys(QKeySequence::Quit, QStringLiteral("Ctrl+Q")));

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    AddCommand(edit, cmd::kUndoDelete, tr("Un&do Delete"))
        ->setShortcuts(StandardKeys(QKeySequence::Undo, QStringLiteral("Ctrl+Z")));
    edit->addSeparator();
    AddCommand(edit, cmd::kFind, tr("&Find"))
        ->setShortcuts(StandardKeys(QKeySequence::Find, QStringLiteral("Ctrl+F")));
    AddCommand(edit, cmd::kFindDuplicates, tr("Find Du&plicates..."));
    edit->addSeparator();
    AddCommand(edit, cmd::kEditUser, tr("&User..."));
    AddCommand(edit, cmd::kContactTypes, tr("&Contact Types..."));

    QMenu* contact = menuBar()->addMenu(tr("&Contact"));
    AddCommand(contact, cmd::kAddContact, tr("&Add"));
    AddCommand(contact, cmd::kEditContact, tr("&Edit"));
    AddCommand(contact, cmd::kDeleteContact, tr("&Delete"));
    contact->addSeparator();
    AddCommand(contact, cmd::kLogLastCall, tr("&Log Last Call"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    QMenu* person = menuBar()->addMenu(tr("&Person"));
    AddCommand(person, cmd::kAddPerson, tr("&Add"));
    AddCommand(person, cmd::kEditPerson, tr("&Edit"));
    AddCommand(person, cmd::kDeletePerson, tr("&Delete"));

    QMenu* reports = menuBar()->addMenu(tr("&Reports"));
    AddCommand(reports, cmd::kAddressBookReport, tr("&Address Book..."));
    AddCommand(reports, cmd::kContactsReport, tr("&Contacts..."));
    AddCommand(reports, cmd::kEnvelopesReport, tr("&Envelopes..."));
    // "&Address Book..." has the A.
    AddCommand(reports, cmd::kActivityReport, tr("Contact Ac&tivity..."));
    reports->addSeparator();
    AddCommand(reports, cmd::kReportFont, tr("&Font..."));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    AddCommand(view, cmd::kViewToolbar, tr("&Toolbar"))->setCheckable(true);
    AddCommand(view, cmd::kViewStatusBar, tr("&Status Bar"))->setCheckable(true);
    view->addSeparator();
    AddCommand(view, cmd::kLastContactColumn, tr("&Last Contact Column"))->setCheckable(true);
    actions_[cmd::kViewToolbar]->setChecked(true);
    actions_[cmd::kViewStatusBar]->setChecked(true);

    QMenu* helpMenu = menuBar()->addMenu(tr("&Help"));
    AddCommand(helpMenu, cmd::kHelpTopics, tr("&Help Topics..."));
    AddCommand(helpMenu, cmd::kAbout, tr("&About Tidemark..."));
    helpMenu->addSeparator();
    AddCommand(helpMenu, cmd::kCheckForUpdate, tr("&Check For Update..."));

    // Commands of the toolbars only.
    AddCommand(nullptr, cmd::kHelpMode, tr("Help"));
    for (const auto& [command, text] : std::initializer_list<std::pair<int, const char*>>{
             {cmd::kPreviousPage, QT_TR_NOOP("Prev Page")},
             {cmd::kNextPage, QT_TR_NOOP("Next Page")},
             {cmd::kPrint, QT_TR_NOOP("Print...")},
             {cmd::kZoomIn, QT_TR_NOOP("Zoom In")},
             {cmd::kZoomOut, QT_TR_NOOP("Zoom Out")},
             {cmd::kClosePreview, QT_TR_NOOP("Close")},
             {cmd::kPrintPreview, QT_TR_NOOP("Print Preview")}}) {
        AddCommand(nullptr, command, tr(text));
    }
}

void MainFrame::BuildToolBars() {
    toolBar_ = addToolBar(tr("Standard"));
    toolBar_->setObjectName(QStringLiteral("MainToolBar"));
    toolBar_->setIconSize(QSize(16, 15));
    toolBar_->setMovable(false);
    const int groups[][3] = {{cmd::kFileNew, cmd::kFileOpen, 0},
                             {cmd::kAddPerson, cmd::kDeletePerson, cmd::kEditPerson},
                             {cmd::kAddContact, cmd::kDeleteContact, cmd::kEditContact},
                             {cmd::kUndoDelete, 0, 0},
                             {cmd::kHelpMode, 0, 0}};
    bool first = true;
    for (const auto& group : groups) {
        if (!first) {
            toolBar_->addSeparator();
        }
        first = false;
        for (int command : group) {
            if (command != 0) {
                actions_[command]->setIcon(CommandIcon(command));
                toolBar_->addAction(actions_[command]);
            }
        }
    }

    // A screen reader hears the button's name, not the menu item it shares the action with:
    // Person and Contact each have an Add, a Delete and an Edit.
    for (const auto& [command, name] : std::initializer_list<std::pair<int, const char*>>{
             {cmd::kFileNew, QT_TR_NOOP("New")},
             {cmd::kFileOpen, QT_TR_NOOP("Open")},
             {cmd::kAddPerson, QT_TR_NOOP("Add Person")},
             {cmd::kDeletePerson, QT_TR_NOOP("Delete Person")},
             {cmd::kEditPerson, QT_TR_NOOP("Edit Person")},
             {cmd::kAddContact, QT_TR_NOOP("Add Contact")},
             {cmd::kDeleteContact, QT_TR_NOOP("Delete Contact")},
             {cmd::kEditContact, QT_TR_NOOP("Edit Contact")},
             {cmd::kUndoDelete, QT_TR_NOOP("Undo Delete")},
             {cmd::kHelpMode, QT_TR_NOOP("Help")}}) {
        if (QWidget* button = toolBar_->widgetForAction(actions_[command])) {
            button->setAccessibleName(tr(name));
        }
    }

    addToolBarBreak();
    previewBar_ = addToolBar(tr("Print Preview"));
    previewBar_->setObjectName(QStringLiteral("PreviewToolBar"));
    previewBar_->setMovable(false);
    previewBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const int previewGroups[][3] = {{cmd::kPreviousPage, cmd::kNextPage, 0},
                                    {cmd::kPrint, cmd::kPageSetup, cmd::kSaveAsPdf},
                                    {cmd::kZoomIn, cmd::kZoomOut, 0},
                                    {cmd::kClosePreview, 0, 0}};
    first = true;
    for (const auto& group : previewGroups) {
        if (!first) {
            previewBar_->addSeparator();
        }
        first = false;
        for (int command : group) {
            if (command != 0) {
                previewBar_->addAction(actions_[command]);
            }
        }
    }
    // Shown only while a report is previewed.
    previewBar_->hide();
    // The button that shows the commands a narrow window leaves no room for.
    for (QToolBar* bar : {toolBar_, previewBar_}) {
        for (QToolButton* more : bar->findChildren<QToolButton*>()) {
            if (!more->defaultAction()) {
                more->setAccessibleName(tr("More Commands"));
            }
        }
    }
}
