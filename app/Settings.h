#pragma once

#include <memory>

#include <QString>

class QSettings;

// The product key under which the program keeps its settings, and its placement subkey.
extern const char kProductKey[];   // "Software\Vantorel\Tidemark"
extern const char kSettingsKey[];  // "Software\Vantorel\Tidemark\Settings"

// Opens a key of the per-user store by its registry-style path: on Windows that very key,
// elsewhere the same layout in the user's configuration file of "Vantorel"/"Tidemark".
std::unique_ptr<QSettings> OpenSettingsKey(const QString& keyPath);
