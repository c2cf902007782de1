#include "MainFrame.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QToolBar>

#include "Commands.h"
#include "Images.h"

// The menus and toolbars of the main window: one action a command, with its prompt and
// tooltip; what each command does is in MainFrame.cpp.

namespace {

// Status-bar prompt and tooltip of each command, split at the line break.
const std::map<int, const char*>& Prompts() {
    static const std::map<int, const char*> prompts = {
        {cmd::kFileNew, "Create a new document\nNew"},
        {cmd::kFileOpen, "Open an existing document\nOpen"},
        {cmd::kFileSaveAs, "Save the active document with a new name\nSave As"},
        {cmd::kPageSetup, "Change the page setup options\nPage Setup"},
        {cmd::kPrintSetup, "Change the printer and printing options\nPrint Setup"},
        {cmd::kFirstRecentFile, "Open this file\nOpen file"},
        {cmd::kExit, "Quit the application; prompts to save documents\nExit"},
        {cmd::kViewToolbar, "Show or hide the toolbar\nToggle ToolBar"},
        {cmd::kViewStatusBar, "Show or hide the status bar\nToggle StatusBar"},
        {cmd::kHelpTopics, "Display help file\nDisplay help"},
        {cmd::kHelpMode, "Puts application in help mode\nHelp mode"},
        {cmd::kAddContact, "Add a new contact\nAdd contact"},
        {cmd::kAddPerson, "Add a new person\nAdd person"},
        {cmd::kDeleteContact, "Delete the selected contact\nDelete contact"},
        {cmd::kDeletePerson, "Delete the selected person\nDelete person"},
        {cmd::kEditPerson, "Edit the selected person\nEdit person"},
        {cmd::kEditContact, "Edit selected contact\nEdit contact"},
        {cmd::kAddressBookReport, "Print an address book of selected persons\nPrint addresses"},
        {cmd::kContactsReport, "Print a list of contacts with the selected person\nPrint contacts"},
        {cmd::kReportFont, "Select the font to use on reports\nReport font"},
        {cmd::kImportPersons, "Import persons information\nImport persons"},
        {cmd::kExportPersons, "Export persons information\nExport persons"},
        {cmd::kExportContacts, "Export contact information\nExport contacts"},
        {cmd::kImportVCard, "Import persons from a vCard file\nImport vCard"},
        {cmd::kExportVCard, "Export persons to a vCard file\nExport vCard"},
        {cmd::kEditUser, "Edit user information\nEdit user"},
        {cmd::kEnvelopesReport, "Print envelopes for selected persons\nPrint envelopes"},
        {cmd::kContactTypes, "Edit the list of contact types\nEdit contact types"},
        {cmd::kAbout, "Display program information, version number and copyright\nAbout"},
        {cmd::kPrint, "Print the active document\nPrint"},
        {cmd::kPrintPreview, "Display full pages\nPrint Preview"},
        {cmd::kClosePreview, "Close print preview mode\nCancel Preview"},
        {cmd::kNextPage, "Go to the next page\nNext Page"},
        {cmd::kPreviousPage, "Go to the previous page\nPrevious Page"},
        {cmd::kZoomIn, "Increase magnification of preview page\nZoom In"},
        {cmd::kZoomOut, "Decrease magnification of preview page\nZoom Out"},
        {cmd::kSaveAsPdf, "Write every page of the report to a PDF file\nSave as PDF"},
        {cmd::kUndoDelete, "Put back the person or contact deleted last\nUndo delete"},
        {cmd::kFind, "Find persons by any of their fields or contact notes\nFind"},
        {cmd::kLogLastCall, "Log the call, mail or visit just made with a button\nLog last call"},
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
    return prompt == Prompts().end() ? QStringLiteral("Tidemark")
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
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(file, cmd::kFileNew, QStringLiteral("&New\tCtrl+N"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    AddCommand(file, cmd::kFileOpen, QStringLiteral("&Open...\tCtrl+O"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddCommand(file, cmd::kFileSaveAs, QStringLiteral("Save &As..."))
        ->setShortcuts(StandardKeys(QKeySequence::SaveAs, QStringLiteral("Ctrl+Shift+S")));
    file->addSeparator();
    QMenu* import = file->addMenu(QStringLiteral("&Import"));
    AddCommand(import, cmd::kImportPersons, QStringLiteral("&Persons..."));
    AddCommand(import, cmd::kImportVCard, QStringLiteral("&vCard..."));
    QMenu* exportMenu = file->addMenu(QStringLiteral("&Export"));
    AddCommand(exportMenu, cmd::kExportPersons, QStringLiteral("&Persons..."));
    AddCommand(exportMenu, cmd::kExportContacts, QStringLiteral("&Contacts..."));
    AddCommand(exportMenu, cmd::kExportVCard, QStringLiteral("&vCard..."));
    file->addSeparator();
    AddCommand(file, cmd::kPageSetup, QStringLiteral("Page Set&up..."));
    AddCommand(file, cmd::kPrintSetup, QStringLiteral("P&rint Setup..."));
    // Offered while a report is previewed.
    AddCommand(file, cmd::kSaveAsPdf, QStringLiteral("Save as &PDF..."))->setVisible(false);
    file->addSeparator();
    recentMenu_ = file->addMenu(QStringLiteral("Recent &Files"));
    auto* empty = new QAction(QStringLiteral("(Empty)"), recentMenu_);
    empty->setData(cmd::kFirstRecentFile);
    empty->setEnabled(false);
    recentMenu_->addAction(empty);
    connect(recentMenu_, &QMenu::triggered, this,
            [this](QAction* action) { OnCommand(action->data().toInt()); });
    file->addSeparator();
    AddCommand(file, cmd::kExit, QStringLiteral("E&xit"))
        ->setShortcuts(StandardKeys(QKeySequence::Quit, QStringLiteral("Ctrl+Q")));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    AddCommand(edit, cmd::kUndoDelete, QStringLiteral("Un&do Delete"))
        ->setShortcuts(StandardKeys(QKeySequence::Undo, QStringLiteral("Ctrl+Z")));
    edit->addSeparator();
    AddCommand(edit, cmd::kFind, QStringLiteral("&Find"))
        ->setShortcuts(StandardKeys(QKeySequence::Find, QStringLiteral("Ctrl+F")));
    edit->addSeparator();
    AddCommand(edit, cmd::kEditUser, QStringLiteral("&User..."));
    AddCommand(edit, cmd::kContactTypes, QStringLiteral("&Contact Types..."));

    QMenu* contact = menuBar()->addMenu(QStringLiteral("&Contact"));
    AddCommand(contact, cmd::kAddContact, QStringLiteral("&Add"));
    AddCommand(contact, cmd::kEditContact, QStringLiteral("&Edit"));
    AddCommand(contact, cmd::kDeleteContact, QStringLiteral("&Delete"));
    contact->addSeparator();
    AddCommand(contact, cmd::kLogLastCall, QStringLiteral("&Log Last Call"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    QMenu* person = menuBar()->addMenu(QStringLiteral("&Person"));
    AddCommand(person, cmd::kAddPerson, QStringLiteral("&Add"));
    AddCommand(person, cmd::kEditPerson, QStringLiteral("&Edit"));
    AddCommand(person, cmd::kDeletePerson, QStringLiteral("&Delete"));

    QMenu* reports = menuBar()->addMenu(QStringLiteral("&Reports"));
    AddCommand(reports, cmd::kAddressBookReport, QStringLiteral("&Address Book..."));
    AddCommand(reports, cmd::kContactsReport, QStringLiteral("&Contacts..."));
    AddCommand(reports, cmd::kEnvelopesReport, QStringLiteral("&Envelopes..."));
    reports->addSeparator();
    AddCommand(reports, cmd::kReportFont, QStringLiteral("&Font..."));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    AddCommand(view, cmd::kViewToolbar, QStringLiteral("&Toolbar"))->setCheckable(true);
    AddCommand(view, cmd::kViewStatusBar, QStringLiteral("&Status Bar"))->setCheckable(true);
    actions_[cmd::kViewToolbar]->setChecked(true);
    actions_[cmd::kViewStatusBar]->setChecked(true);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(helpMenu, cmd::kHelpTopics, QStringLiteral("&Help Topics..."));
    AddCommand(helpMenu, cmd::kAbout, QStringLiteral("&About Tidemark..."));
    helpMenu->addSeparator();
    AddCommand(helpMenu, cmd::kCheckForUpdate, QStringLiteral("&Check For Update..."));

    // Commands of the toolbars only.
    AddCommand(nullptr, cmd::kHelpMode, QStringLiteral("Help"));
    for (const auto& [command, text] : std::initializer_list<std::pair<int, const char*>>{
             {cmd::kPreviousPage, "Prev Page"},
             {cmd::kNextPage, "Next Page"},
             {cmd::kPrint, "Print..."},
             {cmd::kZoomIn, "Zoom In"},
             {cmd::kZoomOut, "Zoom Out"},
             {cmd::kClosePreview, "Close"},
             {cmd::kPrintPreview, "Print Preview"}}) {
        AddCommand(nullptr, command, QString::fromLatin1(text));
    }
}

void MainFrame::BuildToolBars() {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
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

    addToolBarBreak();
    previewBar_ = addToolBar(QStringLiteral("Print Preview"));
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
}
