#pragma once

#include <functional>
#include <string>

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include "ChangeStamp.h"

// Watches the open book for changes another program makes to it (a second copy of the
// program, the command line, a sync) and says when the view should read it again. A touch that
// changes nothing is not a change; the view's own changes are not either, once it has told the
// watcher it has read or written the file (Rebase). The news comes at most once a second, never
// while a dialog or menu of the program's own is open or the view is busy, and then right after.
class BookWatcher : public QObject {
    Q_OBJECT
public:
    // busy: whether the view is in the middle of something a reload must not cut into.
    explicit BookWatcher(std::function<bool()> busy, QObject* parent = nullptr);

    // Starts watching the file (local 8-bit); an empty path stops.
    void Watch(const std::string& path);
    // The view reads the whole file now: what it holds is not news.
    void Rebase();
    // The view made one commit of its own and reads only part of the file again: that commit
    // is not news, but anything written beside it still is.
    void TakeOwnCommit();

    // The shortest time between two ChangedElsewhere, and the quiet a burst of writes is given
    // to end before the file is looked at.
    static constexpr int kMinInterval = 1000;
    static constexpr int kSettle = 250;

signals:
    // Another program changed the file: the view reads it again.
    void ChangedElsewhere();

private:
    void OnFileEvent();
    void Check();
    bool Blocked() const;
    void WatchPaths();

    std::function<bool()> busy_;
    std::string path_;
    QFileSystemWatcher watcher_;
    QTimer due_;
    BookChange known_;
    bool knownRead_ = false;
    int failedReads_ = 0;
    QElapsedTimer sinceFirstEvent_;
    QElapsedTimer sinceLastNews_;
};
