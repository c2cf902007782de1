#pragma once

#include <memory>

#include <QString>
#include <QVariant>

class QSettings;

// The product key under which the program keeps its settings, and its placement subkey.
extern const char kProductKey[];   // "Software\Vantorel\Tidemark"
extern const char kSettingsKey[];  // "Software\Vantorel\Tidemark\Settings"

// Opens a key of the per-user store by its registry-style path: on Windows that very key,
// elsewhere the same layout in the user's configuration file of "Vantorel"/"Tidemark".
std::unique_ptr<QSettings> OpenSettingsKey(const QString& keyPath);

// Reads a stored 32-bit number whatever form the store kept it in (number or digits). False when
// the value is missing or does not fit 32 bits; a value above the signed range is taken as the
// bit pattern of a negative number.
bool ReadSettingsNumber(const QSettings& key, const QString& name, qint32* number);
