#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "SyncPasswords.h"
#include "SyncSession.h"
#include "SyncSettingsDialog.h"

class QLabel;
class QPushButton;
class QStatusBar;
class QWidget;

namespace syncui {

// The commands of File, Sync: linking the open book to an address book on a server, a sync
// now, the conflicts settled, the settings and the unlinking; and the syncs that run by
// themselves (at open, after changes, by the clock). A sync runs on the event loop while the
// window goes on answering: its progress and a Cancel button stand in the status bar, its
// outcome follows there. A failure of a sync the user started is shown in a message box; one
// of a sync that started by itself stays in the status bar and is tried again later.
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
    void Recheck();

    // The window shows this book now (empty: none): its syncs by themselves begin.
    void BookOpened(const std::string& path);
    // The user changed persons in the window: a sync follows a few seconds after the last.
    void BookChanged();
    const AutoSyncSettings& AutoSyncs() const { return settings_; }
    // Takes the settings for this run (the dialog also writes them to the settings).
    void SetAutoSync(const AutoSyncSettings& settings);
    // While this says so, a sync by itself waits (the start-up screen is up).
    void SetWaitWhile(std::function<bool()> busy) { waitWhile_ = std::move(busy); }
    // The delays of the syncs by themselves, for tests: after a change, and the first retry.
    void SetDelays(int afterEditMs, int firstRetryMs);
    // Whether a sync by itself is due (a timer runs for it).
    bool AfterEditDue() const { return afterEdit_.isActive(); }
    bool RetryDue() const { return retry_.isActive(); }
    int RetryWait() const { return retry_.interval(); }
    // The clock's sync: whether it runs, and every how many milliseconds.
    bool ClockRuns() const { return every_.isActive(); }
    int ClockInterval() const { return every_.interval(); }
    int SyncsStarted() const { return started_; }

    bool Syncing() const { return session_ != nullptr; }
    // Ends the sync under way, if any: what it committed stays.
    void Cancel();

    SyncPasswords& Passwords() { return passwords_; }
    // A time-out for every request, for tests of a server that does not answer; 0: the default.
    void SetTimeout(int milliseconds) { timeout_ = milliseconds; }

    // The status bar's progress: the text and the Cancel button beside it.
    QLabel* ProgressText() const { return progress_; }
    QPushButton* CancelButton() const { return cancel_; }
    // The lasting note of the status bar: persons held, a sync by itself that failed.
    QLabel* Notice() const { return notice_; }

signals:
    // The sync of the book has ended; the view reads it again.
    void Synced(const std::string& path, const carddav::SyncOutcome& outcome);
    // The commands' availability may have changed.
    void StateChanged();
    // The book's persons were changed here without a sync (conflicts settled): the view reads
    // it again.
    void BookRewritten(const std::string& path);
    // The persons held in a conflict in the open book, read anew.
    void HeldChanged(const std::vector<RecordId>& persons);

private:
    void LinkToServer(const std::string& path);
    void SyncNow(const std::string& path);
    void Conflicts(const std::string& path);
    void Settings();
    void Unlink(const std::string& path);
    void Start(const std::string& path, const carddav::Account& account, const QString& password,
               bool byUser);
    void Finish(const carddav::SyncOutcome& outcome);
    // A sync the user started met a certificate the system does not trust: shown to be
    // trusted, then the sync again; one that changed since it was trusted is refused.
    void TrustOrRefuse(const std::string& path, const carddav::SyncOutcome& outcome);
    bool Linked(const std::string& path);
    // The book's account; false, the link read again, when the book is not linked.
    bool AccountOf(const std::string& path, carddav::Account& account);
    // A sync by itself, unless one runs (then once more after it) or the user is busy in a
    // dialog (then a little later).
    void AutoSync();
    // The clock's timer from the settings.
    void ApplySettings();
    // Reads the held persons and the last sync again; the notice and the marks follow.
    void ReadBookState();
    void ShowNotice();

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
    bool sessionByUser_ = false;

    // Whether the book last asked about is linked, read once for each book.
    std::string checkedPath_;
    bool linked_ = false;

    // The syncs by themselves.
    AutoSyncSettings settings_;
    std::string book_;  // the book the window shows
    QTimer afterEdit_, every_, retry_;
    int firstRetry_ = 5 * 60 * 1000;
    int failures_ = 0;
    bool pending_ = false;  // a change came while a sync ran
    QString failed_;        // the status bar's note of the last failure
    // The password was asked for by a sync by itself: once per run and account.
    std::set<QString> askedFor_;
    int started_ = 0;
    std::function<bool()> waitWhile_;

    QLabel* notice_ = nullptr;
    int held_ = 0;
};

}  // namespace syncui
