#pragma once

#include <QIcon>

// The main toolbar's images, by command number; a null icon for a command without one.
QIcon CommandIcon(int command);
