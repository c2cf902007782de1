#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>
#include <QPointer>
#include <QString>

#include "SyncPasswords.h"
#include "SyncSession.h"

class QLabel;
class QPushButton;
class QStatusBar;
class QWidget;

namespace syncui {

// The commands of File, Sync: linking the open book to an address book on a server, a sync
// now, and the unlinking. A sync runs on the event loop while the window goes on answering:
// its progress and a Cancel button stand in the status bar, its outcome follows there, and a
// failure is shown in a message box.
class SyncCommands : public QObject {
    Q_OBJECT
public:
    SyncCommands(QWidget* owner, QStatusBar* statusBar);
    ~SyncCommands() override;

    // Whether a command of the menu is offered for the open book (path empty: none).
    bool Offered(int command, const std::string& path);
    // Whether the command is one of these.
    static bool IsSyncCommand(int command);
    // Carries out the command on the book.
    void Run(int command, const std::string& path);
    // The book may have been linked or unlinked by another program: read again what it says.
    void Recheck() { checkedPath_.clear(); }

    bool Syncing() const { return session_ != nullptr; }
    // Ends the sync under way, if any: what it committed stays.
    void Cancel();

    SyncPasswords& Passwords() { return passwords_; }
    // A time-out for every request, for tests of a server that does not answer; 0: the default.
    void SetTimeout(int milliseconds) { timeout_ = milliseconds; }

    // The status bar's progress: the text and the Cancel button beside it.
    QLabel* ProgressText() const { return progress_; }
    QPushButton* CancelButton() const { return cancel_; }

signals:
    // The sync of the book has ended; the view reads it again.
    void Synced(const std::string& path, const carddav::SyncOutcome& outcome);
    // The commands' availability may have changed.
    void StateChanged();

private:
    void LinkToServer(const std::string& path);
    void SyncNow(const std::string& path);
    void Unlink(const std::string& path);
    void Start(const std::string& path, const carddav::Account& account, const QString& password);
    void Finish(const carddav::SyncOutcome& outcome);
    bool Linked(const std::string& path);

    QWidget* owner_;
    QStatusBar* statusBar_;
    QWidget* progressBox_ = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    SyncPasswords passwords_;
    int timeout_ = 0;

    carddav::SyncSession* session_ = nullptr;
    std::string sessionPath_;
    carddav::Account sessionAccount_;

    // Whether the book last asked about is linked, read once for each book.
    std::string checkedPath_;
    bool linked_ = false;
};

}  // namespace syncui
