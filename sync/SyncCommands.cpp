#include "SyncCommands.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>

#include "Commands.h"
#include "LinkDialog.h"
#include "MessageBox.h"
#include "PasswordDialog.h"

namespace syncui {

namespace {

// How long the outcome of a sync stays in the status bar.
constexpr int kOutcomeShown = 30000;

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
    statusBar_->addPermanentWidget(progressBox_);
    progressBox_->hide();
    connect(cancel_, &QPushButton::clicked, this, &SyncCommands::Cancel);
}

SyncCommands::~SyncCommands() {
    // The window goes first: the session's end is told no one.
    if (session_) {
        disconnect(session_, nullptr, this, nullptr);
        session_->Cancel();
    }
}

bool SyncCommands::IsSyncCommand(int command) {
    return command == cmd::kLinkToServer || command == cmd::kSyncNow || command == cmd::kUnlink;
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
    if (path.empty() || Syncing()) {
        return false;
    }
    switch (command) {
        case cmd::kLinkToServer:
            return true;
        case cmd::kSyncNow:
        case cmd::kUnlink:
            return Linked(path);
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
    Start(path, account, dialog.Password());
}

void SyncCommands::SyncNow(const std::string& path) {
    carddav::Account account;
    if (!carddav::ReadAccount(path, account)) {
        checkedPath_.clear();
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
    Start(path, account, password);
}

void SyncCommands::Unlink(const std::string& path) {
    carddav::Account account;
    if (!carddav::ReadAccount(path, account)) {
        checkedPath_.clear();
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
    statusBar_->showMessage(
        tr("Unlinked from %1: every person stays in the book.").arg(ServerName(account)),
        kOutcomeShown);
}

void SyncCommands::Start(const std::string& path, const carddav::Account& account,
                         const QString& password) {
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
    if (outcome.cancelled) {
        statusBar_->showMessage(
            tr("Sync cancelled: what was done is kept, the next sync does the rest."),
            kOutcomeShown);
    } else if (outcome.Ok()) {
        statusBar_->showMessage(outcome.Summary(), kOutcomeShown);
    } else {
        statusBar_->showMessage(tr("The sync did not finish."), kOutcomeShown);
    }
    emit Synced(path, outcome);
    emit StateChanged();
    if (!outcome.cancelled && !outcome.Ok()) {
        // A refused password is asked for again next time; one the server never saw is kept.
        if (outcome.passwordRefused) {
            passwords_.Forget(sessionAccount_);
        }
        platform::ShowMessage(owner_,
                              tr("The sync with %1 did not finish:\n%2")
                                  .arg(ServerName(sessionAccount_), outcome.error),
                              tr("Error Syncing"), platform::MessageIcon::Error);
    }
}

}  // namespace syncui
