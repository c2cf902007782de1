#include "WindowPlacement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include "Settings.h"

namespace {

struct Field {
    const char* name;
    qint32 WindowPlacementRecord::*member;
};

// In the order in which they are written.
const Field kFields[] = {
    {"wp.showCmd", &WindowPlacementRecord::showCmd},
    {"wp.flags", &WindowPlacementRecord::flags},
    {"wp.ptMinPosition.x", &WindowPlacementRecord::minX},
    {"wp.ptMinPosition.y", &WindowPlacementRecord::minY},
    {"wp.ptMaxPosition.x", &WindowPlacementRecord::maxX},
    {"wp.wpMaxPosition", &WindowPlacementRecord::maxY},
    {"wp.left", &WindowPlacementRecord::left},
    {"wp.right", &WindowPlacementRecord::right},
    {"wp.top", &WindowPlacementRecord::top},
    {"wp.bottom", &WindowPlacementRecord::bottom},
};

const char kSplitName[] = "split.firstPane";
const char kLastContactShownName[] = "list.lastContact";
const char kLastContactWidthName[] = "list.lastContactWidth";

bool Minimized(qint32 showCmd) {
    // SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWMINNOACTIVE, SW_FORCEMINIMIZE
    return showCmd == 2 || showCmd == 6 || showCmd == 7 || showCmd == 11;
}

// Whether the rectangle, in 64 bits so no edge can overflow, shares an area with a screen.
bool OnSomeScreen(qint64 left, qint64 top, qint64 right, qint64 bottom) {
    if (right <= left || bottom <= top) {
        return false;
    }
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        const QRect g = screen->geometry();
        const qint64 sl = g.x();
        const qint64 st = g.y();
        const qint64 sr = sl + g.width();
        const qint64 sb = st + g.height();
        if (left < sr && sl < right && top < sb && st < bottom) {
            return true;
        }
    }
    return false;
}

}  // namespace

void WritePlacementRecord(const QString& settingsKey, const WindowPlacementRecord& record) {
    const auto key = OpenSettingsKey(settingsKey);
    if (!key->isWritable()) {
        return;
    }
    for (const Field& field : kFields) {
        // Stored as the 32-bit pattern, so negative coordinates read back on every store.
        key->setValue(QLatin1String(field.name), static_cast<quint32>(record.*field.member));
    }
    key->sync();
}

bool ReadPlacementRecord(const QString& settingsKey, WindowPlacementRecord* record) {
    const auto key = OpenSettingsKey(settingsKey);
    WindowPlacementRecord read;
    bool any = false;
    for (const Field& field : kFields) {
        const QString name = QLatin1String(field.name);
        any = any || key->contains(name);
        qint32 number = 0;
        if (ReadSettingsNumber(*key, name, &number)) {
            read.*field.member = number;
        }
    }
    if (!any) {
        return false;
    }
    *record = read;
    return true;
}

void SaveWindowPlacement(const QString& settingsKey, QWidget* window) {
    if (window == nullptr) {
        return;
    }
    WindowPlacementRecord record;
    const Qt::WindowStates state = window->windowState();
    if (state & Qt::WindowMinimized) {
        record.showCmd = WindowPlacementRecord::kShowMinimized;
        if (state & Qt::WindowMaximized) {
            record.flags = WindowPlacementRecord::kRestoreToMaximized;
        }
    } else if (state & Qt::WindowMaximized) {
        record.showCmd = WindowPlacementRecord::kShowMaximized;
    } else {
        record.showCmd = WindowPlacementRecord::kShowNormal;
    }
    // The toolkit does not tell where a minimised or maximised window sits; -1 says "unset".
    record.minX = record.minY = record.maxX = record.maxY = -1;
    QRect normal = window->normalGeometry();
    if (!normal.isValid()) {
        normal = window->geometry();
    }
    record.left = normal.x();
    record.top = normal.y();
    record.right = normal.x() + normal.width();
    record.bottom = normal.y() + normal.height();
    WritePlacementRecord(settingsKey, record);
}

bool RestoreWindowPlacement(const QString& settingsKey, QWidget* window) {
    WindowPlacementRecord record;
    if (window == nullptr || !ReadPlacementRecord(settingsKey, &record)) {
        return false;
    }
    // The size the window will really take, within its own limits, must still reach a screen.
    const QSize least = window->minimumSize();
    const QSize most = window->maximumSize();
    const qint64 width =
        std::clamp<qint64>(qint64{record.right} - record.left, least.width(), most.width());
    const qint64 height =
        std::clamp<qint64>(qint64{record.bottom} - record.top, least.height(), most.height());
    if (qint64{record.right} <= record.left || qint64{record.bottom} <= record.top ||
        !OnSomeScreen(record.left, record.top, record.left + width, record.top + height)) {
        return false;
    }

    Qt::WindowStates state =
        window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    window->setWindowState(state);
    window->setGeometry(record.left, record.top, static_cast<int>(width), static_cast<int>(height));
    // A window closed minimised starts in the state it would restore to, not hidden in the bar.
    const bool maximized =
        record.showCmd == WindowPlacementRecord::kShowMaximized ||
        (Minimized(record.showCmd) && (record.flags & WindowPlacementRecord::kRestoreToMaximized));
    if (maximized) {
        window->setWindowState(state | Qt::WindowMaximized);
    }
    return true;
}

void SaveSplitPosition(const QString& settingsKey, int firstPaneWidth) {
    const auto key = OpenSettingsKey(settingsKey);
    if (!key->isWritable() || firstPaneWidth <= 0) {
        return;
    }
    key->setValue(QLatin1String(kSplitName), static_cast<quint32>(firstPaneWidth));
    key->sync();
}

int ReadSplitPosition(const QString& settingsKey) {
    const auto key = OpenSettingsKey(settingsKey);
    qint32 width = 0;
    if (!ReadSettingsNumber(*key, QLatin1String(kSplitName), &width) || width <= 0) {
        return 0;
    }
    return width;
}

void SaveLastContactColumn(const QString& settingsKey, const LastContactColumnPlacement& column) {
    const auto key = OpenSettingsKey(settingsKey);
    if (!key->isWritable()) {
        return;
    }
    key->setValue(QLatin1String(kLastContactShownName), column.shown ? 1u : 0u);
    if (column.width > 0) {
        key->setValue(QLatin1String(kLastContactWidthName), static_cast<quint32>(column.width));
    }
    key->sync();
}

LastContactColumnPlacement ReadLastContactColumn(const QString& settingsKey) {
    const auto key = OpenSettingsKey(settingsKey);
    LastContactColumnPlacement column;
    qint32 value = 0;
    column.shown =
        ReadSettingsNumber(*key, QLatin1String(kLastContactShownName), &value) && value == 1;
    if (ReadSettingsNumber(*key, QLatin1String(kLastContactWidthName), &value) && value > 0) {
        column.width = value;
    }
    return column;
}
