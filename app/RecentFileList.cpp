#include "RecentFileList.h"

// Placeholder until the recent-files list lands.
void RecentFileList::Attach(QMenu* menu) { menu_ = menu; }
bool RecentFileList::ReadFromSettings(const QString&) { return false; }
bool RecentFileList::WriteToSettings(const QString&) const { return false; }
void RecentFileList::Add(const QString& path) { entries_.append(path); }
void RecentFileList::MoveToTop(int) {}
void RecentFileList::Remove(int) {}
bool RecentFileList::UpdateMenu() { return false; }
QString RecentFileList::PathOf(int) const { return QString(); }
QStringList RecentFileList::Entries() const { return entries_; }
