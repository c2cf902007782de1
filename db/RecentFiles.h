#pragma once

#include <QString>
#include <QStringList>

// The desktop's list of recently used files as the per-user store keeps it, read without a
// menu: the window's File menu and the command-line program both start from it.
namespace recent {

// The most entries a list may keep, and the fewest.
constexpr int kMostEntries = 16;
constexpr int kFewestEntries = 2;
constexpr int kDefaultMaximum = 4;
// Longer paths are not kept: neither added nor read back.
constexpr int kMaxPathLength = 259;

// Whether a path may be kept in the list.
bool Keepable(const QString& path);

struct StoredList {
    int maximum = kDefaultMaximum;
    QStringList entries;  // oldest first
};

// Reads the list kept under the product key; false when no list is stored.
bool ReadStoredList(const QString& productKey, StoredList* list);
// Writes it back; false when the store could not be written.
bool WriteStoredList(const QString& productKey, const StoredList& list);

}  // namespace recent
