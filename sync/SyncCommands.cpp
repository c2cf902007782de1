#include "SyncCommands.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>

#include "CertificateDialog.h"
#include "Commands.h"
#include "ConflictsDialog.h"
#include "LinkDialog.h"
#include "MessageBox.h"
#include "PasswordDialog.h"
#include "SyncApply.h"

namespace syncui {

namespace {

// How long the outcome of a sync stays in the status bar.
constexpr int kOutcomeShown = 30000;
// The quiet after a change before the sync that sends it: a few quick edits go together.
constexpr int kAfterEdit = 3000;
constexpr int kMinute = 60 * 1000;

// "The server did not answer." within a sentence: "the server did not answer."
QString InSentence(const QString& text) {
    if (text.size() > 1 && text[0].isUpper() && !text[1].isUpper()) {
        return text[0].toLower() + text.mid(1);
    }
    return text;
}

QString Wait(int ms) {
    if (ms >= kMinute) {
        const int minutes = (ms + kMinute / 2) / kMinute;
        return minutes == 1 ? SyncCommands::tr("1 minute")
                            : SyncCommands::tr("%1 minutes").arg(minutes);
    }
    const int seconds = std::max(1, (ms + 500) / 1000);
    return seconds == 1 ? SyncCommands::tr("1 second")
                        : SyncCommands::tr("%1 seconds").arg(seconds);
}

QString ServerName(const carddav::Account& account) {
    const QUrl url = carddav::ServerUrl(account.server);
    return url.host().isEmpty() ? account.server : url.host();
}

}  // namespace

SyncCommands::SyncCommands(QWidget* owner, QStatusBar* statusBar)
    : QObject(owner), owner_(owner), statusBar_(statusBar) {
    progressBox_ = new QWidget(statusBar_);
    auto* row = new QHBoxLayout(progressBox_);
    row->setContentsMargins(0, 0, 0, 0);
    progress_ = new QLabel(progressBox_);
    progress_->setTextFormat(Qt::PlainText);
    cancel_ = new QPushButton(tr("Cancel"), progressBox_);
    cancel_->setAccessibleName(tr("Cancel Sync"));
    cancel_->setFocusPolicy(Qt::TabFocus);
    row->addWidget(progress_);
    row->addWidget(cancel_);
    notice_ = new QLabel(statusBar_);
    notice_->setTextFormat(Qt::PlainText);
    notice_->setObjectName(QStringLiteral("syncNotice"));
    statusBar_->addPermanentWidget(notice_);
    statusBar_->addPermanentWidget(progressBox_);
    notice_->hide();
    progressBox_->hide();
    connect(cancel_, &QPushButton::clicked, this, &SyncCommands::Cancel);

    settings_ = AutoSyncSettings::Read();
    afterEdit_.setSingleShot(true);
    afterEdit_.setInterval(kAfterEdit);
    retry_.setSingleShot(true);
    for (QTimer* timer : {&afterEdit_, &every_, &retry_}) {
        connect(timer, &QTimer::timeout, this, &SyncCommands::AutoSync);
    }
}

SyncCommands::~SyncCommands() {
    // The window goes first: the session's end is told no one.
    if (session_) {
        disconnect(session_, nullptr, this, nullptr);
        session_->Cancel();
    }
}

bool SyncCommands::IsSyncCommand(int command) {
    return command == cmd::kLinkToServer || command == cmd::kSyncNow ||
           command == cmd::kSyncConflicts || command == cmd::kSyncSettings ||
           command == cmd::kUnlink;
}

void SyncCommands::Recheck() {
    checkedPath_.clear();
    ReadBookState();
    ApplySettings();
}

bool SyncCommands::Linked(const std::string& path) {
    if (path != checkedPath_) {
        checkedPath_ = path;
        carddav::Account account;
        try {
            linked_ = !path.empty() && carddav::ReadAccount(path, account);
        } catch (const std::exception&) {
            // A book that cannot be read is offered no sync; opening it says why.
            linked_ = false;
        }
    }
    return linked_;
}

bool SyncCommands::Offered(int command, const std::string& path) {
    // The settings are the program's, for every book.
    if (command == cmd::kSyncSettings) {
        return true;
    }
    if (path.empty() || Syncing()) {
        return false;
    }
    switch (command) {
        case cmd::kLinkToServer:
            return true;
        case cmd::kSyncNow:
        case cmd::kUnlink:
            return Linked(path);
        case cmd::kSyncConflicts:
            return Linked(path) && path == book_ && held_ > 0;
        default:
            return false;
    }
}

void SyncCommands::Run(int command, const std::string& path) {
    if (!Offered(command, path)) {
        return;
    }
    switch (command) {
        case cmd::kLinkToServer:
            LinkToServer(path);
            break;
        case cmd::kSyncNow:
            SyncNow(path);
            break;
        case cmd::kSyncConflicts:
            Conflicts(path);
            break;
        case cmd::kSyncSettings:
            Settings();
            break;
        case cmd::kUnlink:
            Unlink(path);
            break;
        default:
            break;
    }
    emit StateChanged();
}

void SyncCommands::LinkToServer(const std::string& path) {
    carddav::Account linked;
    if (carddav::ReadAccount(path, linked) &&
        platform::ShowMessage(
            owner_,
            tr("This book is linked to the address book \"%1\" on %2. Link it anew?\n\nWhat "
               "the sync remembers of that server is forgotten; every person stays in the book "
               "and goes to the address book chosen next.")
                .arg(linked.displayName, ServerName(linked)),
            tr("Link to Server"), platform::MessageIcon::Question,
            platform::MessageButtons::YesNo) != platform::MessageResult::Yes) {
        return;
    }
    const QFileInfo file(QString::fromLocal8Bit(path.c_str()));
    LinkDialog dialog(owner_, passwords_.HasStore(), file.completeBaseName());
    if (timeout_ > 0) {
        dialog.Client().SetTimeout(timeout_);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const carddav::Account account = dialog.Chosen();
    carddav::Link(path, account);
    checkedPath_.clear();
    if (!passwords_.Keep(account, dialog.Password(), dialog.Remember())) {
        platform::ShowMessage(owner_,
                              tr("The desktop's password store did not take the password: it "
                                 "is asked for again the next time Tidemark runs."),
                              tr("Link to Server"), platform::MessageIcon::Warning);
    }
    ApplySettings();
    Start(path, account, dialog.Password(), true);
}

bool SyncCommands::AccountOf(const std::string& path, carddav::Account& account) {
    if (carddav::ReadAccount(path, account)) {
        return true;
    }
    // Unlinked meanwhile, by another program: the menu is read again.
    checkedPath_.clear();
    return false;
}

void SyncCommands::SyncNow(const std::string& path) {
    carddav::Account account;
    if (!AccountOf(path, account)) {
        return;
    }
    QString password;
    if (!passwords_.Find(account, password)) {
        PasswordDialog ask(owner_, account.user, ServerName(account), passwords_.HasStore());
        if (ask.exec() != QDialog::Accepted) {
            return;
        }
        password = ask.Password();
        passwords_.Keep(account, password, ask.Remember());
    }
    Start(path, account, password, true);
}

void SyncCommands::Conflicts(const std::string& path) {
    std::vector<carddav::apply::Held> held = carddav::apply::ReadHeld(path);
    if (held.empty()) {
        ReadBookState();
        return;
    }
    ConflictsDialog dialog(owner_, std::move(held));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    int settled = 0;
    for (const Settlement& choice : dialog.Settled()) {
        const bool done = choice.byDeleting
                              ? carddav::apply::SettleByDeleting(path, choice.person)
                              : carddav::apply::Settle(path, choice.person, choice.fields);
        settled += done ? 1 : 0;
    }
    ReadBookState();
    if (settled == 0) {
        return;
    }
    emit BookRewritten(path);
    // The choices go to the server at once.
    SyncNow(path);
}

void SyncCommands::Settings() {
    SyncSettingsDialog dialog(owner_, settings_);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.Chosen().Write();
    SetAutoSync(dialog.Chosen());
}

void SyncCommands::SetAutoSync(const AutoSyncSettings& settings) {
    settings_ = settings;
    ApplySettings();
}

void SyncCommands::Unlink(const std::string& path) {
    carddav::Account account;
    if (!AccountOf(path, account)) {
        return;
    }
    const platform::MessageResult answer = platform::ShowMessage(
        owner_,
        tr("Unlink this book from the address book \"%1\" on %2?\n\nEvery person stays in the "
           "book; only the link and what the sync remembers of the server are forgotten.")
            .arg(account.displayName, ServerName(account)),
        tr("Unlink"), platform::MessageIcon::Question, platform::MessageButtons::YesNo);
    if (answer != platform::MessageResult::Yes) {
        return;
    }
    carddav::Unlink(path);
    checkedPath_.clear();
    afterEdit_.stop();
    retry_.stop();
    failed_.clear();
    ReadBookState();
    ApplySettings();
    statusBar_->showMessage(
        tr("Unlinked from %1: every person stays in the book.").arg(ServerName(account)),
        kOutcomeShown);
}

void SyncCommands::Start(const std::string& path, const carddav::Account& account,
                         const QString& password, bool byUser) {
    afterEdit_.stop();
    retry_.stop();
    ++started_;
    sessionByUser_ = byUser;
    session_ = new carddav::SyncSession(path, password, this);
    if (timeout_ > 0) {
        session_->Client().SetTimeout(timeout_);
    }
    sessionPath_ = path;
    sessionAccount_ = account;
    const QString waiting = tr("Syncing with %1...").arg(ServerName(account));
    connect(session_, &carddav::SyncSession::Progress, this, [this, waiting](int done, int total) {
        // A step with no person to count (asking the server what changed) keeps the server's
        // name rather than "0 of 0".
        const QLocale locale;
        progress_->setText(
            total > 0
                ? tr("Syncing: %1 of %2 persons").arg(locale.toString(done), locale.toString(total))
                : waiting);
    });
    connect(session_, &carddav::SyncSession::Finished, this, &SyncCommands::Finish);
    progress_->setText(waiting);
    statusBar_->clearMessage();
    progressBox_->show();
    cancel_->setEnabled(true);
    emit StateChanged();
    session_->Start();
}

void SyncCommands::Cancel() {
    if (session_) {
        cancel_->setEnabled(false);
        progress_->setText(tr("Cancelling the sync..."));
        session_->Cancel();
    }
}

void SyncCommands::Finish(const carddav::SyncOutcome& outcome) {
    carddav::SyncSession* session = session_;
    session_ = nullptr;
    // The session is still in the middle of telling of its end.
    session->deleteLater();
    progressBox_->hide();
    const std::string path = sessionPath_;
    const bool failed = !outcome.cancelled && !outcome.Ok();
    if (outcome.cancelled) {
        statusBar_->showMessage(
            tr("Sync cancelled: what was done is kept, the next sync does the rest."),
            kOutcomeShown);
    } else if (outcome.Ok()) {
        statusBar_->showMessage(outcome.Summary(), kOutcomeShown);
        failures_ = 0;
        failed_.clear();
    } else if (sessionByUser_) {
        statusBar_->showMessage(tr("The sync did not finish."), kOutcomeShown);
        failed_.clear();
    }
    // A refused password is asked for again next time; one the server never saw is kept.
    if (failed && outcome.passwordRefused) {
        passwords_.Forget(sessionAccount_);
    }
    const bool certificate = failed && !outcome.refusedCertificate.isEmpty();
    if (failed && !sessionByUser_) {
        // A sync by itself never opens a dialog: the status bar says it, and it is tried again,
        // later each time, up to the clock's interval.
        if (certificate) {
            failed_ = outcome.certificateChanged
                          ? tr("Sync failed: the server's certificate has changed since it was "
                               "trusted. File, Sync, Sync Now tells more.")
                          : tr("Sync failed: the server's certificate is not trusted. File, "
                               "Sync, Sync Now shows it.");
        } else if (outcome.passwordRefused) {
            failed_ = tr("Sync failed: %1 File, Sync, Sync Now asks for the password again.")
                          .arg(InSentence(outcome.error));
        } else {
            ++failures_;
            const int cap =
                std::max(firstRetry_,
                         (settings_.minutes > 0 ? std::max(settings_.minutes, 5) : 60) * kMinute);
            int wait = firstRetry_;
            for (int i = 1; i < failures_ && wait < cap; ++i) {
                wait *= 2;
            }
            wait = std::min(wait, cap);
            failed_ =
                tr("Sync failed: %1 Retrying in %2.").arg(InSentence(outcome.error), Wait(wait));
            retry_.start(wait);
        }
    }
    emit Synced(path, outcome);
    ReadBookState();
    emit StateChanged();
    if (pending_) {
        pending_ = false;
        afterEdit_.start();
    }
    if (certificate && sessionByUser_) {
        TrustOrRefuse(path, outcome);
    } else if (failed && sessionByUser_) {
        platform::ShowMessage(owner_,
                              tr("The sync with %1 did not finish:\n%2")
                                  .arg(ServerName(sessionAccount_), outcome.error),
                              tr("Error Syncing"), platform::MessageIcon::Error);
    }
}

void SyncCommands::TrustOrRefuse(const std::string& path, const carddav::SyncOutcome& outcome) {
    const QString server = ServerName(sessionAccount_);
    if (outcome.certificateChanged) {
        platform::ShowMessage(
            owner_,
            tr("The certificate of %1 is not the one you trusted for this book: it has changed "
               "since. The sync refused it, as it may be another computer's that stands between "
               "you and the server.\n\nWhen the server's owner says the certificate was "
               "renewed, link the book again (File, Sync, Link to Server) to see the new one.")
                .arg(server),
            tr("Error Syncing"), platform::MessageIcon::Warning);
        return;
    }
    CertificateDialog ask(owner_, server, outcome.refusedCertificate);
    if (ask.exec() != QDialog::Accepted) {
        return;
    }
    carddav::TrustCertificate(path, carddav::CertificateSha256(outcome.refusedCertificate));
    carddav::Account account;
    QString password;
    if (path == sessionPath_ && carddav::ReadAccount(path, account) &&
        passwords_.Find(account, password)) {
        Start(path, account, password, true);
    }
}

void SyncCommands::BookOpened(const std::string& path) {
    if (path == book_) {
        return;
    }
    book_ = path;
    afterEdit_.stop();
    retry_.stop();
    failures_ = 0;
    failed_.clear();
    pending_ = false;
    checkedPath_.clear();
    ReadBookState();
    ApplySettings();
    if (!book_.empty() && settings_.atOpen && Linked(book_)) {
        // After the window has shown the book.
        QTimer::singleShot(0, this, &SyncCommands::AutoSync);
    }
}

void SyncCommands::BookChanged() {
    if (settings_.afterEdit && !book_.empty() && Linked(book_)) {
        afterEdit_.start();
    }
}

void SyncCommands::SetDelays(int afterEditMs, int firstRetryMs) {
    afterEdit_.setInterval(afterEditMs);
    firstRetry_ = firstRetryMs;
}

void SyncCommands::ApplySettings() {
    every_.stop();
    if (settings_.minutes > 0 && !book_.empty() && Linked(book_)) {
        every_.start(settings_.minutes * kMinute);
    }
}

void SyncCommands::AutoSync() {
    if (book_.empty() || !Linked(book_)) {
        return;
    }
    if (Syncing()) {
        pending_ = true;
        return;
    }
    // The user is in a dialog or a menu: the sync waits until they are done.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
        (waitWhile_ && waitWhile_())) {
        afterEdit_.start();
        return;
    }
    carddav::Account account;
    if (!AccountOf(book_, account)) {
        return;
    }
    QString password;
    if (!passwords_.Find(account, password)) {
        // Asked once in a run; after that the user asks for the sync.
        const QString key = SyncPasswords::Key(account);
        const QString waiting =
            tr("Sync waits for the password: File, Sync, Sync Now asks for it.");
        if (askedFor_.count(key) > 0) {
            failed_ = waiting;
            ShowNotice();
            return;
        }
        askedFor_.insert(key);
        PasswordDialog ask(owner_, account.user, ServerName(account), passwords_.HasStore());
        if (ask.exec() != QDialog::Accepted) {
            failed_ = waiting;
            ShowNotice();
            return;
        }
        password = ask.Password();
        passwords_.Keep(account, password, ask.Remember());
    }
    Start(book_, account, password, false);
}

void SyncCommands::ReadBookState() {
    std::vector<RecordId> held;
    carddav::Account account;
    bool linked = false;
    if (!book_.empty()) {
        try {
            linked = carddav::ReadAccount(book_, account);
            if (linked) {
                held = carddav::HeldPersons(book_);
            }
        } catch (const std::exception&) {
            // A book that cannot be read now is read again at its next change.
        }
    }
    held_ = static_cast<int>(held.size());
    if (!linked) {
        statusBar_->setToolTip(QString());
    } else if (account.lastSync.isValid()) {
        statusBar_->setToolTip(
            tr("Last synced with %1: %2")
                .arg(ServerName(account),
                     QLocale().toString(account.lastSync.toLocalTime(), QLocale::ShortFormat)));
    } else {
        statusBar_->setToolTip(tr("Linked to %1, not synced yet").arg(ServerName(account)));
    }
    ShowNotice();
    emit HeldChanged(held);
}

void SyncCommands::ShowNotice() {
    QStringList parts;
    if (!failed_.isEmpty()) {
        parts << failed_;
    }
    if (held_ > 0) {
        parts << (held_ == 1 ? tr("1 sync conflict: File, Sync, Conflicts")
                             : tr("%1 sync conflicts: File, Sync, Conflicts")
                                   .arg(QLocale().toString(held_)));
    }
    notice_->setText(parts.join(QStringLiteral("   ")));
    notice_->setVisible(!parts.isEmpty());
}

}  // namespace syncui
