#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "Commands.h"
#include "RecentFiles.h"

class QMenu;

// The "Recent &Files" list of the File menu. Its menu items carry their command number
// (57616 for the most recent entry and up) as the action's data.
class RecentFileList {
    Q_DECLARE_TR_FUNCTIONS(RecentFileList)

public:
    static constexpr int kFirstCommand = cmd::kFirstRecentFile;
    static constexpr int kLastCommand = cmd::kLastRecentFile;
    // The most entries a list may keep, and the fewest.
    static constexpr int kMostEntries = kLastCommand - kFirstCommand + 1;
    static_assert(kMostEntries == recent::kMostEntries, "one item per stored entry");
    static constexpr int kFewestEntries = recent::kFewestEntries;
    static constexpr int kDefaultMaximum = recent::kDefaultMaximum;
    // Longer paths are not kept: neither added nor read back.
    static constexpr int kMaxPathLength = recent::kMaxPathLength;

    RecentFileList() = default;

    // Keeps the menu and takes the text of its item 57616 as the empty-list text.
    void Attach(QMenu* menu);
    // True when the stored list was read and the menu rebuilt; a missing list changes nothing.
    bool ReadFromSettings(const QString& productKey);
    // True when the values were written.
    bool WriteToSettings(const QString& productKey) const;
    // Each of these rebuilds the menu.
    void Add(const QString& path);
    void MoveToTop(int command);
    void Remove(int command);
    // False when no menu is attached.
    bool UpdateMenu();

    // The path of a recent-file command; empty when the command names no entry.
    QString PathOf(int command) const;
    int Maximum() const { return maximum_; }
    // Most recent first.
    QStringList Entries() const;
    QString EmptyText() const { return emptyText_; }

private:
    // Index into entries_ of a command's entry, or -1.
    int IndexOf(int command) const;

    QPointer<QMenu> menu_;
    QString emptyText_ = tr("(empty)");
    QStringList entries_;  // oldest first
    int maximum_ = kDefaultMaximum;
};
