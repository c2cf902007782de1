#include "Settings.h"

#include <QSettings>

const char kProductKey[] = "Software\\Vantorel\\Tidemark";
const char kSettingsKey[] = "Software\\Vantorel\\Tidemark\\Settings";

// Placeholder until the settings land.
std::unique_ptr<QSettings> OpenSettingsKey(const QString&) {
    return std::make_unique<QSettings>(QStringLiteral("Vantorel"), QStringLiteral("Tidemark"));
}
