#include "Settings.h"

#include <limits>

#include <QSettings>
#include <QStringList>

const char kProductKey[] = "Software\\Vantorel\\Tidemark";
const char kSettingsKey[] = "Software\\Vantorel\\Tidemark\\Settings";

std::unique_ptr<QSettings> OpenSettingsKey(const QString& keyPath) {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + keyPath,
                                       QSettings::NativeFormat);
#else
    // "Software\<organisation>\<application>" names the configuration file; the subkeys below
    // it become nested groups inside that file.
    QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QString organisation = QStringLiteral("Vantorel");
    QString application = QStringLiteral("Tidemark");
    if (parts.size() >= 3 &&
        parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0) {
        organisation = parts.at(1);
        application = parts.at(2);
        parts = parts.mid(3);
    }
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                organisation, application);
    // A registry key has no fallbacks; only the user's own file counts.
    settings->setFallbacksEnabled(false);
    if (!parts.isEmpty()) {
        settings->beginGroup(parts.join(QLatin1Char('/')));
    }
    return settings;
#endif
}

bool ReadSettingsNumber(const QSettings& key, const QString& name, qint32* number) {
    const QVariant value = key.value(name);
    if (!value.isValid()) {
        return false;
    }
    bool ok = false;
    const qlonglong wide = value.toLongLong(&ok);
    if (!ok || wide < std::numeric_limits<qint32>::min() ||
        wide > static_cast<qlonglong>(std::numeric_limits<quint32>::max())) {
        return false;
    }
    *number = static_cast<qint32>(static_cast<quint32>(wide));
    return true;
}
