#include "WindowPlacement.h"

// Placeholder until the placement lands.
void SaveWindowPlacement(const QString&, QWidget*) {}
bool RestoreWindowPlacement(const QString&, QWidget*) { return false; }
