#pragma once

#include <QString>
#include <QStringList>

class QMenu;

// The "Recent &Files" list of the File menu. Its menu items carry their command number
// (57616 for the most recent entry and up) as the action's data.
class RecentFileList {
public:
    static constexpr int kFirstCommand = 57616;
    static constexpr int kLastCommand = 57631;

    RecentFileList() = default;

    void Attach(QMenu* menu);
    bool ReadFromSettings(const QString& productKey);
    bool WriteToSettings(const QString& productKey) const;
    void Add(const QString& path);
    void MoveToTop(int command);
    void Remove(int command);
    bool UpdateMenu();

    // The path of a recent-file command; empty when the command names no entry.
    QString PathOf(int command) const;
    int Maximum() const { return maximum_; }
    // Most recent first.
    QStringList Entries() const;

private:
    QMenu* menu_ = nullptr;
    QString emptyText_ = QStringLiteral("(empty)");
    QStringList entries_;  // oldest first
    int maximum_ = 4;
};
