#include "RecentFiles.h"

#include <algorithm>

#include <QSettings>

#include "Settings.h"

namespace recent {

namespace {

const char kListSubkey[] = "\\Recent Document List";
const char kCountValue[] = "DocumentCount";

QString DocumentValue(int i) {
    return QStringLiteral("Document%1").arg(i);
}

}  // namespace

bool Keepable(const QString& path) {
    return !path.isEmpty() && path.size() <= kMaxPathLength;
}

bool ReadStoredList(const QString& productKey, StoredList* list) {
    const auto key = OpenSettingsKey(productKey + QLatin1String(kListSubkey));
    qint32 count = 0;
    if (!ReadSettingsNumber(*key, QLatin1String(kCountValue), &count)) {
        return false;
    }
    list->maximum = std::clamp<qint32>(count, kFewestEntries, kMostEntries);
    list->entries.clear();
    for (int i = list->maximum; i >= 1; --i) {
        const QVariant value = key->value(DocumentValue(i));
        if (!value.isValid()) {
            continue;
        }
        const QString path = value.toString();
        if (!Keepable(path)) {
            continue;
        }
        // A hand-edited store may name a file twice; the more recent place wins.
        list->entries.removeIf(
            [&](const QString& e) { return e.compare(path, Qt::CaseInsensitive) == 0; });
        list->entries.append(path);
    }
    return true;
}

bool WriteStoredList(const QString& productKey, const StoredList& list) {
    const auto key = OpenSettingsKey(productKey + QLatin1String(kListSubkey));
    if (!key->isWritable()) {
        return false;
    }
    key->setValue(QLatin1String(kCountValue), list.maximum);
    const int n = static_cast<int>(list.entries.size());
    for (int i = n; i >= 1; --i) {
        key->setValue(DocumentValue(i), list.entries.at(n - i));
    }
    for (int i = n + 1; i <= kMostEntries; ++i) {
        key->remove(DocumentValue(i));
    }
    key->sync();
    return key->status() == QSettings::NoError;
}

}  // namespace recent
