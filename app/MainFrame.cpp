#include "MainFrame.h"

#include <set>
#include <vector>

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
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include "AboutDialog.h"
#include "ActivityDialog.h"
#include "BookWatcher.h"
#include "CardExtrasPanel.h"
#include "CommandAvailability.h"
#include "CommandKeys.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ContextMenus.h"
#include "DialogUnits.h"
#include "DuplicateFinding.h"
#include "HelpViewer.h"
#include "Images.h"
#include "MainView.h"
#include "MessageBox.h"
#include "NoBookPane.h"
#include "PreviewView.h"
#include "PrintController.h"
#include "ReportDialogs.h"
#include "Settings.h"
#include "StartupScreen.h"
#include "SyncCommands.h"
#include "TransferCommands.h"
#include "V1Signature.h"
#include "ValueActions.h"
#include "ViewCommands.h"
#include "WindowPlacement.h"

QString MainFrameTitle(const QString& text) {
    return QCoreApplication::translate("MainFrame", "Tidemark [%1]").arg(text);
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
    bar->showMessage(tr("Ready"));

    recentFiles_.Attach(recentMenu_);
    recentFiles_.ReadFromSettings(QString::fromLatin1(kProductKey));

    // The sync's progress and its Cancel stand at the status bar's right.
    sync_ = new syncui::SyncCommands(this, bar);
    // A sync at start waits for the start-up screen to go: its password question would open
    // under it.
    sync_->SetWaitWhile([this] { return startupScreen_ && startupScreen_->isVisible(); });
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
    // Before any file is read: the list is read once, with the column or without.
    const LastContactColumnPlacement column =
        ReadLastContactColumn(QString::fromLatin1(kSettingsKey));
    view_->ShowLastContactColumn(column.shown);
    view_->SetLastContactColumnWidth(column.width);
    actions_[cmd::kLastContactColumn]->setChecked(column.shown);
    document_.SetBusyNotice([this](bool busy) {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            statusBar()->showMessage(tr("Preparing the address book for quick lookups..."));
            statusBar()->repaint();
        } else {
            QApplication::restoreOverrideCursor();
            statusBar()->showMessage(tr("Ready"));
        }
    });
    connect(view_, &MainView::StateChanged, this, &MainFrame::UpdateCommands);
    connect(view_, &MainView::StatusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(view_, &MainView::ValueActivated, this, [this](int control, const QString& text) {
        bool accepted = false;
        book::ActOnValue(view_, control, text, &accepted);
        if (accepted) {
            book::NoteValueUsed(
                *view_, control,
                control == book::kWorkPhoneButton ? book::DialledNumber(control, text) : text);
        }
    });
    connect(sync_, &syncui::SyncCommands::StateChanged, this, &MainFrame::UpdateCommands);
    // Changes made here go to the server a few seconds later.
    connect(view_, &MainView::PersonsChanged, sync_, &syncui::SyncCommands::BookChanged);
    connect(sync_, &syncui::SyncCommands::BookRewritten, this, [this](const std::string& path) {
        if (path == view_->Path()) {
            view_->OnReload();
            ShowCardExtras();
        }
    });
    // Under the details, what a synced card holds beyond the fields; its addresses and numbers
    // mail and dial as the value buttons do.
    cardExtras_ = new syncui::CardExtrasPanel(this);
    view_->SetExtraDetails(cardExtras_);
    connect(view_, &MainView::StateChanged, this, [this] {
        if (view_->Path() != extrasPath_ || view_->CurrentPersonId() != extrasPerson_) {
            extrasPath_ = view_->Path();
            extrasPerson_ = view_->CurrentPersonId();
            ShowCardExtras();
        }
    });
    connect(cardExtras_, &syncui::CardExtrasPanel::MailRequested, this, [this](const QString& to) {
        if (book::OpenMail(view_, to)) {
            book::NoteValueUsed(*view_, book::kEmailButton, to);
        }
    });
    connect(cardExtras_, &syncui::CardExtrasPanel::DialRequested, this,
            [this](const QString& number) {
                if (book::Dial(view_, number)) {
                    book::NoteValueUsed(*view_, book::kHomePhoneButton, number);
                }
            });
    connect(sync_, &syncui::SyncCommands::HeldChanged, this,
            [this](const std::vector<RecordId>& held) {
                view_->MarkPersons(std::set<RecordId, std::less<>>(held.begin(), held.end()),
                                   style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                   tr("Changed here and on the server: File, Sync, Conflicts"));
            });
    connect(sync_, &syncui::SyncCommands::Synced, this,
            [this](const std::string& path, const carddav::SyncOutcome&) {
                // The book is read again at once, the selection kept, not a second later.
                if (path == view_->Path()) {
                    view_->OnReload();
                    ShowCardExtras();
                }
            });
    // Another program may have linked or unlinked the book.
    connect(view_->Watcher(), &BookWatcher::ChangedElsewhere, this, [this] {
        sync_->Recheck();
        ShowCardExtras();
        UpdateCommands();
    });
    // The lists' keys run their commands as the menus do.
    CommandKeys::Install(*view_, [this](int command) { OnCommand(command); });
    // With no book open the view offers to make or open one, or one of the last.
    connect(view_->NoBook(), &NoBookPane::NewRequested, this, [this] { OnCommand(cmd::kFileNew); });
    connect(view_->NoBook(), &NoBookPane::OpenRequested, this,
            [this] { OnCommand(cmd::kFileOpen); });
    connect(view_->NoBook(), &NoBookPane::RecentRequested, this, [this](const QString& path) {
        const QStringList entries = recentFiles_.Entries();
        const int k = static_cast<int>(entries.indexOf(path));
        if (k >= 0) {
            OnCommand(RecentFileList::kFirstCommand + k);
        }
    });
    // Their right-click menus offer the menu bar's own actions.
    contextMenus_ = ContextMenus::Install(*view_, [this](int command) { return Action(command); });

    // The window opens large enough for the view's whole form where the screen has room; it may
    // be made smaller, the details then scroll.
    const QRect available = screen()->availableGeometry();
    resize(sizeHint().boundedTo(available.size() * 9 / 10));
    SetTitle(tr("No Database"));
    UpdateCommands();
}

MainFrame::~MainFrame() = default;

QAction* MainFrame::Action(int command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainFrame::ShowCardExtras() {
    cardExtras_->ShowExtras(carddav::CardExtras(view_->Path(), view_->CurrentPersonId()));
}

void MainFrame::SetTitle(const QString& text) {
    setWindowTitle(MainFrameTitle(text));
}

bool MainFrame::event(QEvent* event) {
    // At rest the status bar says "Ready" instead of going blank.
    if (event->type() == QEvent::StatusTip &&
        static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        statusBar()->showMessage(tr("Ready"));
        return true;
    }
    return QMainWindow::event(event);
}

void MainFrame::UpdateCommands() {
    view_->SetRecentBooks(recentFiles_.Entries());
    const bool previewing = print_->InPreview();
    const book::ViewState state = view_->State();
    for (const auto& [command, action] : actions_) {
        if (book::RulesCommand(command)) {
            // The editing commands wait while a report is previewed.
            action->setEnabled(book::IsAvailable(command, state) &&
                               !(previewing && book::ChangesRecords(command)));
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
    // The undo says what it puts back.
    const bool merge = !view_->Deletes().empty() && view_->Deletes().back().merge;
    actions_[cmd::kUndoDelete]->setText(merge ? tr("Undo &Merge") : tr("Un&do Delete"));
    actions_[cmd::kUndoDelete]->setStatusTip(
        merge ? tr("Put back the persons merged last")
              : tr("Put back the person or contact deleted last"));
    actions_[cmd::kUndoDelete]->setToolTip(merge ? tr("Undo merge")
                                                 : CommandName(cmd::kUndoDelete));
    // The book shown may be another now: its syncs by themselves begin.
    sync_->BookOpened(view_->Path());
    for (int command : {cmd::kLinkToServer, cmd::kSyncNow, cmd::kSyncConflicts, cmd::kSyncSettings,
                        cmd::kUnlink}) {
        actions_[command]->setEnabled(sync_->Offered(command, view_->Path()));
    }
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
            if (!ExplainedAsVersionOne(file)) {
                platform::ShowMessage(
                    MessageOwner(),
                    WithFailureReason(
                        tr("Unable to open the file %1. Exiting Tidemark.").arg(file)),
                    tr("Unable To Load File"), platform::MessageIcon::Error);
            }
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
    statusBar()->showMessage(tr("Loading the address book..."));
    statusBar()->repaint();
    document_.NotifyReload();
    QApplication::restoreOverrideCursor();
    statusBar()->showMessage(tr("Ready"));
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::Paint && loadAfterPaint_) {
        QTimer::singleShot(0, this, &MainFrame::LoadDeferredList);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrame::OnCommand(int command) {
    // Whatever a command meets, the user hears of it under the command's name.
    try {
        CarryOut(command);
    } catch (const std::exception& e) {
        platform::ShowMessage(this, QString::fromLocal8Bit(e.what()), CommandName(command),
                              platform::MessageIcon::Error);
    }
    UpdateCommands();
}

void MainFrame::CarryOut(int command) {
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
        case cmd::kLastContactColumn: {
            const bool shown = !view_->LastContactColumnShown();
            view_->ShowLastContactColumn(shown);
            actions_[cmd::kLastContactColumn]->setChecked(shown);
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
        case cmd::kHelpMode:
            // A click on a control then shows its pop-up help; Esc leaves the mode.
            QWhatsThis::enterWhatsThisMode();
            break;
        default:
            if (command >= cmd::kFirstRecentFile && command <= cmd::kLastRecentFile) {
                OpenRecentFile(command);
            } else if (syncui::SyncCommands::IsSyncCommand(command)) {
                sync_->Run(command, view_->Path());
            } else if (book::IsViewCommand(command)) {
                book::RunViewCommand(*view_, command);
            } else {
                CarryOutRecordCommand(command);
            }
            break;
    }
}

QWidget* MainFrame::MessageOwner() {
    return starting_ ? nullptr : this;
}

bool MainFrame::ExplainedAsVersionOne(const QString& path) {
    if (path.isEmpty() || !IsVersionOneFile(QFile::encodeName(path).toStdString())) {
        return false;
    }
    // The one thing to tell: what the file is and what to do with it.
    platform::ShowMessage(
        MessageOwner(),
        tr("%1 is an address book of the first version, which Tidemark no longer "
           "reads.\nConvert it with the Tidemark Import Tool (tideconv); afterwards it "
           "opens here under the same name.")
            .arg(QDir::toNativeSeparators(path)),
        tr("Tidemark"), platform::MessageIcon::Information);
    return true;
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
    } else if (failed && !ExplainedAsVersionOne(document_.LastAsked())) {
        platform::ShowMessage(this, WithFailureReason(tr("Error loading file.")), tr("Tidemark"),
                              platform::MessageIcon::Error);
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
        platform::ShowMessage(MessageOwner(),
                              tr("The database you have tried to open (\"%1\") was not found.\n "
                                 "\t\t\tIt has been deleted or moved to a different location.")
                                  .arg(path),
                              tr("Error Loading File"), platform::MessageIcon::Error);
        recentFiles_.Remove(command);
        return;
    }
    if (document_.Open(path)) {
        ShowOpenedFile();
        recentFiles_.MoveToTop(command);
        SetTitle(document_.DisplayName());
    } else {
        if (!ExplainedAsVersionOne(path)) {
            platform::ShowMessage(MessageOwner(), WithFailureReason(tr("Error loading file.")),
                                  tr("Tidemark"), platform::MessageIcon::Error);
        }
        recentFiles_.Remove(command);
    }
    recentFiles_.WriteToSettings(QString::fromLatin1(kProductKey));
}

void MainFrame::CarryOutRecordCommand(int command) {
    const std::string path = view_->Path();
    transfer::CommandOutcome outcome;
    // Who was there before an import: an imported person that looks like one of them is
    // offered for review afterwards.
    std::optional<std::set<RecordId>> before;
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
        case cmd::kImportVCard:
            try {
                PersonRowList rows;
                ReadPersonRows(path, rows);
                before.emplace();
                for (size_t row = 0; row < rows.size(); ++row) {
                    before->insert(RecordId(rows.Id(row)));
                }
            } catch (const std::exception&) {
                // No review then; the import says what it could not read.
                before.reset();
            }
            outcome = command == cmd::kImportPersons
                          ? transfer::ImportPersonsCommand(this, view_, path)
                          : transfer::ImportVCardCommand(this, view_, path);
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
        case cmd::kActivityReport:
            ShowReport(reports::ChooseActivity(this, path, view_->ShownPersonIds()));
            return;
        default:
            return;
    }
    if (outcome.reload) {
        view_->OnReload();
        sync_->BookChanged();
        if (before) {
            OfferImportedDuplicates(path, *before);
        }
    }
    if (!outcome.status.isEmpty()) {
        statusBar()->showMessage(outcome.status, 10000);
    }
}

void MainFrame::OfferImportedDuplicates(const std::string& path, const std::set<RecordId>& before) {
    int count = 0;
    std::vector<duplicates::Group> groups;
    try {
        groups = duplicates::JoiningNew(duplicates::FindInBook(path), before, count);
    } catch (const std::exception&) {
        return;  // the import is done; the review waits for Edit, Find Duplicates
    }
    if (count == 0) {
        return;
    }
    const QString question =
        count == 1 ? tr("1 of the imported persons looks like a person already in the book. "
                        "Review it now?")
                   : tr("%1 of the imported persons look like persons already in the book. "
                        "Review them now?")
                         .arg(count);
    if (platform::ShowMessage(this, question, tr("Import"), platform::MessageIcon::Question,
                              platform::MessageButtons::YesNo) == platform::MessageResult::Yes) {
        book::ReviewDuplicates(*view_, groups);
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // What a sync under way has committed stays; the next one does the rest.
    sync_->Cancel();
    SaveWindowPlacement(QString::fromLatin1(kSettingsKey), this);
    SaveSplitPosition(QString::fromLatin1(kSettingsKey), view_->ChosenListPaneWidth());
    SaveLastContactColumn(QString::fromLatin1(kSettingsKey),
                          {view_->LastContactColumnShown(), view_->LastContactColumnWidth()});
    event->accept();
}
