#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

// The stored placement record: show state, placement flags, minimised and maximised positions
// and the normal (restored) rectangle, right and bottom exclusive.
struct WindowPlacementRecord {
    // Show states as the placement record numbers them.
    static constexpr qint32 kShowNormal = 1;
    static constexpr qint32 kShowMinimized = 2;
    static constexpr qint32 kShowMaximized = 3;
    // Flag: a minimised window comes back maximised.
    static constexpr qint32 kRestoreToMaximized = 2;

    qint32 showCmd = 0;
    qint32 flags = 0;
    qint32 minX = 0;
    qint32 minY = 0;
    qint32 maxX = 0;
    qint32 maxY = 0;
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
};

// Stores the window's show state and rectangles under the settings key, as the ten "wp." values.
void SaveWindowPlacement(const QString& settingsKey, QWidget* window);
// Applies the stored placement; false, with the window unchanged, when nothing usable is stored
// or the stored rectangle lies off every screen.
bool RestoreWindowPlacement(const QString& settingsKey, QWidget* window);

// The two halves of the above, for the store alone: false when the key holds none of the values.
void WritePlacementRecord(const QString& settingsKey, const WindowPlacementRecord& record);
bool ReadPlacementRecord(const QString& settingsKey, WindowPlacementRecord* record);

// Where the handle between a window's two panes sits: the width of the first pane, stored beside
// the placement. ReadSplitPosition gives 0 when none is stored.
void SaveSplitPosition(const QString& settingsKey, int firstPaneWidth);
int ReadSplitPosition(const QString& settingsKey);

// The person list's "Last Contact" column, shown or not, and its width (0: none stored), kept
// beside the split position.
struct LastContactColumnPlacement {
    bool shown = false;
    int width = 0;
};
void SaveLastContactColumn(const QString& settingsKey, const LastContactColumnPlacement& column);
LastContactColumnPlacement ReadLastContactColumn(const QString& settingsKey);
