#pragma once

#include <QString>

class QWidget;

// Stores the window's show state and rectangles under the settings key, as the ten "wp." values.
void SaveWindowPlacement(const QString& settingsKey, QWidget* window);
// Applies the stored placement; false, with the window unchanged, when nothing usable is stored
// or the stored rectangle lies off every screen.
bool RestoreWindowPlacement(const QString& settingsKey, QWidget* window);
