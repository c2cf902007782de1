#include "BookWatcher.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace {

// While a dialog is open the watcher looks again this often for it to close.
constexpr int kBlockedPoll = 100;
// A file locked by its writer is tried again a few times before the news waits for its next
// event.
constexpr int kRetryRead = 300;
constexpr int kMaxFailedReads = 5;

QString Local(const std::string& path) {
    return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

}  // namespace

BookWatcher::BookWatcher(std::function<bool()> busy, QObject* parent)
    : QObject(parent), busy_(std::move(busy)) {
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, &BookWatcher::Check);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &BookWatcher::OnFileEvent);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &BookWatcher::OnFileEvent);
}

void BookWatcher::Watch(const std::string& path) {
    if (!watcher_.files().isEmpty()) {
        watcher_.removePaths(watcher_.files());
    }
    if (!watcher_.directories().isEmpty()) {
        watcher_.removePaths(watcher_.directories());
    }
    due_.stop();
    failedReads_ = 0;
    sinceFirstEvent_.invalidate();
    sinceLastNews_.invalidate();
    path_ = path;
    knownRead_ = false;
    if (path_.empty()) {
        return;
    }
    WatchPaths();
    Rebase();
}

void BookWatcher::WatchPaths() {
    const QString file = Local(path_);
    // The folder too: a writer that replaces the file by renaming a new one over it leaves the
    // file's own watch on the old one, and the journal comes and goes there.
    const QString folder = QFileInfo(file).absolutePath();
    if (!watcher_.directories().contains(folder)) {
        watcher_.addPath(folder);
    }
    // A writer that keeps the file in write-ahead mode changes only the log until it is
    // folded back in.
    for (const QString& watched : {file, file + QStringLiteral("-wal")}) {
        if (!watcher_.files().contains(watched) && QFileInfo::exists(watched)) {
            watcher_.addPath(watched);
        }
    }
}

void BookWatcher::Rebase() {
    if (path_.empty()) {
        return;
    }
    try {
        known_ = ReadBookChange(path_);
        knownRead_ = true;
    } catch (const std::exception&) {
        // Read again at the next event; the view has shown its own failure.
        knownRead_ = false;
    }
}

void BookWatcher::TakeOwnCommit() {
    if (path_.empty() || !knownRead_) {
        return;
    }
    try {
        const BookChange now = ReadBookChange(path_);
        // A file kept in write-ahead mode does not count its commits: the stamp alone cannot
        // tell the view's commit from another's, and one reload too many is the safe side.
        if (now.commits == known_.commits + 1) {
            known_ = now;
        }
    } catch (const std::exception&) {
    }
}

void BookWatcher::OnFileEvent() {
    if (path_.empty()) {
        return;
    }
    WatchPaths();
    if (!sinceFirstEvent_.isValid()) {
        sinceFirstEvent_.start();
    }
    // A burst of writes is looked at once it has settled, but a writer that never stops is
    // looked at a second after it began all the same.
    qint64 wait = kSettle;
    wait = std::min<qint64>(wait, kMinInterval - sinceFirstEvent_.elapsed());
    if (sinceLastNews_.isValid()) {
        wait = std::max<qint64>(wait, kMinInterval - sinceLastNews_.elapsed());
    }
    due_.start(static_cast<int>(std::max<qint64>(wait, 0)));
}

bool BookWatcher::Blocked() const {
    return QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr || (busy_ && busy_());
}

void BookWatcher::Check() {
    if (path_.empty()) {
        return;
    }
    if (Blocked()) {
        due_.start(kBlockedPoll);
        return;
    }
    // Read only now: what a dialog of the program's own wrote is known once the view has
    // taken it in after the dialog closed.
    sinceFirstEvent_.invalidate();
    BookChange now;
    try {
        now = ReadBookChange(path_);
    } catch (const std::exception&) {
        // Locked by its writer, or gone for a moment while replaced.
        if (++failedReads_ < kMaxFailedReads && QFileInfo::exists(Local(path_))) {
            due_.start(kRetryRead);
        }
        return;
    }
    failedReads_ = 0;
    if (knownRead_ && now == known_) {
        return;
    }
    known_ = now;
    knownRead_ = true;
    sinceLastNews_.start();
    // The reload is not the user's doing: the keyboard stays where they were typing.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    emit ChangedElsewhere();
    if (focus && QApplication::focusWidget() != focus) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}
