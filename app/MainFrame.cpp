#include "MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

#include "AboutDialog.h"
#include "CommandLine.h"
#include "Commands.h"
#include "DialogUnits.h"
#include "HelpViewer.h"
#include "Images.h"
#include "MainView.h"
#include "MessageBox.h"
#include "PreviewView.h"
#include "PrintController.h"
#include "ReportDialogs.h"
#include "Settings.h"
#include "StartupScreen.h"
#include "TransferCommands.h"
#include "V1Signature.h"
#include "ValueActions.h"
#include "WindowPlacement.h"

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

QString MainFrameTitle(const QString& text) {
    return QStringLiteral("Tidemark [") + text + QLatin1Char(']');
}

MainFrame::MainFrame(const Options& options, QWidget* parent)
    : QMainWindow(parent), document_(this) {
    BuildMenus();
    BuildToolBars();
    if (options.startupScreen) {
        startupScreen_ = new StartupScreen(this);
        startupScreen_->show();
    }
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    bar->showMessage(QStringLiteral("Ready"));

    recentFiles_.Attach(recentMenu_);
    recentFiles_.ReadFromSettings(QString::fromLatin1(kProductKey));

    view_ = new MainView(this);
    print_ = new reports::PrintController(this);
    client_ = new QStackedWidget(this);
    client_->addWidget(view_);
    client_->addWidget(print_->View());
    setCentralWidget(client_);
    connect(print_, &reports::PrintController::StatusText, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(print_, &reports::PrintController::StateChanged, this, &MainFrame::UpdateCommands);
    document_.AttachView(view_);
    document_.SetBusyNotice([this](bool busy) {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            statusBar()->showMessage(
                QStringLiteral("Preparing the address book for quick lookups..."));
            statusBar()->repaint();
        } else {
            QApplication::restoreOverrideCursor();
            statusBar()->showMessage(QStringLiteral("Ready"));
        }
    });
    connect(view_, &MainView::StateChanged, this, &MainFrame::UpdateCommands);
    connect(view_, &MainView::HelpRequested, this, &MainFrame::ShowViewControlHelp);
    connect(view_, &MainView::HelpModeEnded, this, &MainFrame::EndHelpMode);
    connect(view_, &MainView::RecordCommand, this, &MainFrame::CarryOutRecordCommand);
    connect(view_, &MainView::StatusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(view_, &MainView::ValueActivated, this, [this](int control, const QString& text) {
        bool accepted = false;
        book::ActOnValue(view_, control, text, &accepted);
        if (accepted) {
            view_->NoteValueUsed(control, control == book::kWorkPhoneButton
                                              ? book::DialledNumber(control, text)
                                              : text);
        }
    });

    // The window opens large enough for the view's whole form where the screen has room; it may
    // be made smaller, the details then scroll.
    const QRect available = screen()->availableGeometry();
    resize(sizeHint().boundedTo(available.size() * 9 / 10));
    SetTitle(QStringLiteral("No Database"));
    UpdateCommands();
}

MainFrame::~MainFrame() = default;

QAction* MainFrame::AddCommand(QMenu* menu, int command, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(command);
    const auto prompt = Prompts().find(command);
    if (prompt != Prompts().end()) {
        const QString both = QString::fromLatin1(prompt->second);
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

QAction* MainFrame::Action(int command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainFrame::SetTitle(const QString& text) {
    setWindowTitle(MainFrameTitle(text));
}

bool MainFrame::event(QEvent* event) {
    // At rest the status bar says "Ready" instead of going blank.
    if (event->type() == QEvent::StatusTip &&
        static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        statusBar()->showMessage(QStringLiteral("Ready"));
        return true;
    }
    return QMainWindow::event(event);
}

void MainFrame::UpdateCommands() {
    const bool previewing = print_->InPreview();
    for (const auto& [command, action] : actions_) {
        if (MainView::RulesCommand(command)) {
            action->setEnabled(view_->IsCommandEnabled(command));
        }
    }
    // The editing commands wait while a report is previewed.
    for (int command : {cmd::kAddContact, cmd::kAddPerson, cmd::kDeleteContact, cmd::kDeletePerson,
                        cmd::kEditPerson, cmd::kEditContact}) {
        if (previewing) {
            actions_[command]->setEnabled(false);
        }
    }
    actions_[cmd::kPrint]->setEnabled(print_->HasReport());
    actions_[cmd::kPrintPreview]->setEnabled(print_->HasReport());
    actions_[cmd::kNextPage]->setEnabled(print_->CanNextPage());
    actions_[cmd::kPreviousPage]->setEnabled(print_->CanPreviousPage());
    actions_[cmd::kZoomIn]->setEnabled(print_->CanZoomIn());
    actions_[cmd::kZoomOut]->setEnabled(print_->CanZoomOut());
    actions_[cmd::kClosePreview]->setEnabled(previewing);
    actions_[cmd::kSaveAsPdf]->setEnabled(previewing);
    actions_[cmd::kSaveAsPdf]->setVisible(previewing);
}

void MainFrame::EnterPreview() {
    if (!print_->EnterPreview()) {
        return;
    }
    client_->setCurrentWidget(print_->View());
    toolBar_->hide();
    previewBar_->show();
    print_->View()->setFocus();
    UpdateCommands();
}

void MainFrame::LeavePreview() {
    if (!print_->InPreview()) {
        return;
    }
    print_->LeavePreview();
    previewBar_->hide();
    toolBar_->setVisible(actions_[cmd::kViewToolbar]->isChecked());
    client_->setCurrentWidget(view_);
    UpdateCommands();
}

void MainFrame::ShowReport(std::optional<reports::ReportRequest> request) {
    if (!request) {
        return;
    }
    print_->SetRequest(std::move(*request));
    // A new choice is shown anew, also when another report is being previewed.
    LeavePreview();
    OnCommand(cmd::kPrintPreview);
}

bool MainFrame::Start(const QString& commandLine) {
    const QString file = FileFromCommandLine(commandLine);
    bool opened = true;
    starting_ = true;
    if (!file.isEmpty()) {
        if (document_.Open(file)) {
            ShowOpenedFile();
            AddToRecentFiles(document_.Path());
            SetTitle(document_.DisplayName());
        } else {
            // The window is not shown yet: the message stands on its own, centred.
            platform::ShowMessage(
                MessageOwner(),
                WithFailureReason(
                    QStringLiteral("Unable to open the file %1. Exiting Tidemark.").arg(file)),
                QStringLiteral("Unable To Load File"), platform::MessageIcon::Error);
            ExplainVersionOneFile(file);
            opened = false;
        }
    } else if (QFileInfo::exists(recentFiles_.PathOf(RecentFileList::kFirstCommand))) {
        // Without a file named, the user goes on where they left off.
        OpenRecentFile(RecentFileList::kFirstCommand);
    }
    starting_ = false;
    if (!RestoreWindowPlacement(QString::fromLatin1(kSettingsKey), this)) {
        const QRect desktop = screen()->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(desktop.center());
        move(frame.topLeft());
    }
    if (windowState() & Qt::WindowMaximized) {
        showMaximized();
    } else {
        show();
    }
    if (const int listWidth = ReadSplitPosition(QString::fromLatin1(kSettingsKey))) {
        view_->SetListPaneWidth(listWidth);
    }
    if (startupScreen_) {
        // Window managers stack a newly mapped window on top; the start-up screen stays above.
        startupScreen_->raise();
    }
    if (loadAfterPaint_) {
        // The list follows the window's first paint; should no paint come, it follows anyway.
        view_->installEventFilter(this);
        QTimer::singleShot(250, this, &MainFrame::LoadDeferredList);
    }
    return opened;
}

void MainFrame::ShowOpenedFile() {
    // A large file's list takes a moment: at start the window is shown first.
    if (starting_ && QFileInfo(document_.Path()).size() > kLoadAfterPaintBytes) {
        loadAfterPaint_ = true;
        return;
    }
    document_.NotifyReload();
}

void MainFrame::LoadDeferredList() {
    if (!loadAfterPaint_) {
        return;
    }
    loadAfterPaint_ = false;
    view_->removeEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    statusBar()->showMessage(QStringLiteral("Loading the address book..."));
    statusBar()->repaint();
    document_.NotifyReload();
    QApplication::restoreOverrideCursor();
    statusBar()->showMessage(QStringLiteral("Ready"));
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::Paint && loadAfterPaint_) {
        QTimer::singleShot(0, this, &MainFrame::LoadDeferredList);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrame::OnCommand(int command) {
    switch (command) {
        case cmd::kFileNew:
            FileNew();
            break;
        case cmd::kFileOpen:
            FileOpen();
            break;
        case cmd::kFileSaveAs:
            FileSaveAs();
            break;
        case cmd::kExit:
            close();
            break;
        case cmd::kViewToolbar: {
            const bool shown = !toolBar_->isVisible();
            toolBar_->setVisible(shown);
            actions_[cmd::kViewToolbar]->setChecked(shown);
            break;
        }
        case cmd::kViewStatusBar: {
            const bool shown = !statusBar()->isVisible();
            statusBar()->setVisible(shown);
            actions_[cmd::kViewStatusBar]->setChecked(shown);
            break;
        }
        case cmd::kHelpTopics:
            help::ShowContents(this, help::TopicReference(QString::fromLatin1(help::kMainTopic)));
            break;
        case cmd::kAbout: {
            AboutDialog about(this);
            about.exec();
            break;
        }
        case cmd::kCheckForUpdate:
            book::CheckForUpdate(this, *OpenSettingsKey(QString::fromLatin1(kSettingsKey)));
            break;
        case cmd::kPageSetup:
            print_->PageSetup();
            break;
        case cmd::kPrintSetup:
            print_->PrintSetup();
            break;
        case cmd::kReportFont:
            print_->ChooseFont();
            break;
        case cmd::kPrint:
            print_->Print();
            break;
        case cmd::kPrintPreview:
            if (print_->InPreview()) {
                LeavePreview();
            } else {
                EnterPreview();
            }
            break;
        case cmd::kClosePreview:
            LeavePreview();
            break;
        case cmd::kNextPage:
            print_->NextPage();
            break;
        case cmd::kPreviousPage:
            print_->PreviousPage();
            break;
        case cmd::kZoomIn:
            print_->ZoomIn();
            break;
        case cmd::kZoomOut:
            print_->ZoomOut();
            break;
        case cmd::kSaveAsPdf: {
            // Beside the address book, named after it.
            const QFileInfo book(document_.Path());
            print_->SaveAsPdf(document_.Path().isEmpty()
                                  ? QString()
                                  : book.absoluteDir().filePath(book.completeBaseName() +
                                                                QStringLiteral(".pdf")));
            break;
        }
        default:
            if (command >= cmd::kFirstRecentFile && command <= cmd::kLastRecentFile) {
                OpenRecentFile(command);
            } else {
                view_->HandleCommand(command);
            }
            break;
    }
    UpdateCommands();
}

void MainFrame::EndHelpMode() {
    // The pointer was held by the view: the help button never saw it leave, nor did the status
    // bar, and both would go on showing the mode.
    if (QWidget* button = toolBar_->widgetForAction(actions_[cmd::kHelpMode])) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        button->setAttribute(Qt::WA_UnderMouse, false);
        button->update();
    }
    statusBar()->showMessage(QStringLiteral("Ready"));
}

QWidget* MainFrame::MessageOwner() {
    return starting_ ? nullptr : this;
}

void MainFrame::ExplainVersionOneFile(const QString& path) {
    if (path.isEmpty() || !IsVersionOneFile(QFile::encodeName(path).toStdString())) {
        return;
    }
    platform::ShowMessage(
        MessageOwner(),
        QStringLiteral("%1 is an address book of the first version, which Tidemark no longer "
                       "reads.\nConvert it with the Tidemark Converter (tideconv); afterwards it "
                       "opens here under the same name.")
            .arg(QDir::toNativeSeparators(path)),
        QStringLiteral("Tidemark"), platform::MessageIcon::Information);
}

QString MainFrame::WithFailureReason(const QString& message) const {
    const QString& reason = document_.FailureReason();
    return reason.isEmpty() ? message : message + QLatin1Char('\n') + reason;
}

void MainFrame::FileNew() {
    if (document_.New()) {
        AddToRecentFiles(document_.Path());
    }
    document_.NotifyReload();
    SetTitle(document_.DisplayName());
    view_->SetSelection(0, RecordId(), 0, RecordId());
}

void MainFrame::FileOpen() {
    bool failed = false;
    if (document_.OpenWithDialog(failed)) {
        document_.NotifyReload();
        AddToRecentFiles(document_.Path());
        SetTitle(document_.DisplayName());
    } else if (failed) {
        platform::ShowMessage(this, WithFailureReason(QStringLiteral("Error loading file.")),
                              QStringLiteral("Tidemark"), platform::MessageIcon::Error);
        ExplainVersionOneFile(document_.LastAsked());
    }
}

void MainFrame::FileSaveAs() {
    bool failed = false;
    if (document_.SaveAs(failed)) {
        AddToRecentFiles(document_.Path());
        SetTitle(document_.DisplayName());
    }
}

void MainFrame::AddToRecentFiles(const QString& path) {
    recentFiles_.Add(QDir::toNativeSeparators(path));
    recentFiles_.WriteToSettings(QString::fromLatin1(kProductKey));
}

void MainFrame::OpenRecentFile(int command) {
    const QString path = recentFiles_.PathOf(command);
    if (path.isEmpty()) {
        return;
    }
    if (!QFileInfo::exists(path)) {
        platform::ShowMessage(
            MessageOwner(),
            QStringLiteral("The database you have tried to open (\"%1\") was not found.\n "
                           "\t\t\tIt has been deleted or moved to a different location.")
                .arg(path),
            QStringLiteral("Error Loading File"), platform::MessageIcon::Error);
        recentFiles_.Remove(command);
        return;
    }
    if (document_.Open(path)) {
        ShowOpenedFile();
        recentFiles_.MoveToTop(command);
        SetTitle(document_.DisplayName());
    } else {
        platform::ShowMessage(MessageOwner(),
                              WithFailureReason(QStringLiteral("Error loading file.")),
                              QStringLiteral("Tidemark"), platform::MessageIcon::Error);
        ExplainVersionOneFile(path);
        recentFiles_.Remove(command);
    }
    recentFiles_.WriteToSettings(QString::fromLatin1(kProductKey));
}

void MainFrame::CarryOutRecordCommand(int command) {
    const std::string path = view_->Path();
    transfer::CommandOutcome outcome;
    switch (command) {
        case cmd::kExportPersons:
            // While the list is searched, the export offers just the persons it shows.
            outcome = transfer::ExportPersonsCommand(
                this, path, view_->Filtered() ? view_->ShownPersonIds() : std::vector<RecordId>());
            break;
        case cmd::kExportContacts:
            outcome = transfer::ExportContactsCommand(this, path);
            break;
        case cmd::kImportPersons:
            outcome = transfer::ImportPersonsCommand(this, view_, path);
            break;
        case cmd::kImportVCard:
            outcome = transfer::ImportVCardCommand(this, view_, path);
            break;
        case cmd::kExportVCard:
            outcome = transfer::ExportVCardCommand(
                this, path, view_->Filtered() ? view_->ShownPersonIds() : std::vector<RecordId>());
            break;
        case cmd::kAddressBookReport:
            ShowReport(reports::ChooseAddressBook(this, path, view_->ShownPersonIds()));
            return;
        case cmd::kContactsReport:
            ShowReport(reports::ChooseContacts(this, path, view_->ShownPersonIds()));
            return;
        case cmd::kEnvelopesReport:
            ShowReport(
                reports::ChooseEnvelopes(this, path, envelopeOptions_, view_->ShownPersonIds()));
            return;
        default:
            return;
    }
    if (outcome.reload) {
        view_->OnReload();
    }
    if (!outcome.status.isEmpty()) {
        statusBar()->showMessage(outcome.status, 10000);
    }
}

void MainFrame::ShowViewControlHelp(QWidget* control) {
    for (QWidget* w = control; w && w != view_; w = w->parentWidget()) {
        if (platform::ControlId(w) != 0) {
            help::ShowControlPopup(w, help::HelpFilePath(), MainView::Popups());
            return;
        }
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    SaveWindowPlacement(QString::fromLatin1(kSettingsKey), this);
    SaveSplitPosition(QString::fromLatin1(kSettingsKey), view_->ListPaneWidth());
    event->accept();
}
