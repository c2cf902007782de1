#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace syncui {

// When a linked book syncs by itself. Kept in the program's settings, for every book.
struct AutoSyncSettings {
    int minutes = 15;       // between two syncs while the book is open; 0: never by the clock
    bool atOpen = true;     // when the book is opened
    bool afterEdit = true;  // a few seconds after each change made in the window

    static AutoSyncSettings Read();
    void Write() const;
    // The intervals offered: off, 5, 15 and 60 minutes.
    static constexpr int kIntervals[] = {0, 5, 15, 60};
};

// "Sync Settings": the interval and the other times a linked book syncs by itself.
class SyncSettingsDialog : public QDialog {
    Q_OBJECT
public:
    SyncSettingsDialog(QWidget* owner, const AutoSyncSettings& settings);

    AutoSyncSettings Chosen() const;

    QComboBox* Interval() const { return interval_; }
    QCheckBox* AtOpen() const { return atOpen_; }
    QCheckBox* AfterEdit() const { return afterEdit_; }
    QPushButton* OkButton() const { return ok_; }

private:
    QComboBox* interval_ = nullptr;
    QCheckBox* atOpen_ = nullptr;
    QCheckBox* afterEdit_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace syncui
