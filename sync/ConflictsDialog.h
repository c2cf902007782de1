#pragma once

#include <map>
#include <vector>

#include <QDialog>

#include "SyncApply.h"

class QButtonGroup;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace syncui {

// What the user chose for one held person.
struct Settlement {
    RecordId person;
    bool byDeleting = false;  // SettleByDeleting; else Settle with fields
    PersonRecord fields;      // UTF-8
};

// "Sync Conflicts": each person the sync holds, and for the one selected each field that differs
// here and on the server with both values, a "Keep this" on each side. A field changed on one
// side only comes chosen (the change is kept); a field both sides changed waits for the user. A
// card deleted on one side shows what the sync does with it, and the other way to choose.
class ConflictsDialog : public QDialog {
    Q_OBJECT
public:
    ConflictsDialog(QWidget* owner, std::vector<carddav::apply::Held> held);

    // The persons whose every field is chosen, after OK.
    std::vector<Settlement> Settled() const;

    QListWidget* Persons() const { return persons_; }
    // The selected person's "Keep this" of a field on one side; null when not shown.
    QRadioButton* KeepButton(int field, bool server) const;
    // The selected person's deletion choices: what the sync does, and the other way.
    QRadioButton* DefaultDeletion() const { return deletionDefault_; }
    QRadioButton* OtherDeletion() const { return deletionOther_; }
    QPushButton* KeepAllHere() const { return allHere_; }
    QPushButton* KeepAllFromServer() const { return allServer_; }
    QPushButton* OkButton() const { return ok_; }
    // The line under the fields: how many persons are settled.
    QLabel* Summary() const { return summary_; }

private:
    enum class Side { None, Here, Server };
    struct Choice {
        std::map<int, Side> fields;
        bool otherDeletion = false;
    };
    void ShowPerson(int row);
    void ChooseAll(Side side);
    void Update();
    bool Complete(size_t person) const;

    std::vector<carddav::apply::Held> held_;
    std::vector<Choice> choices_;
    int shown_ = -1;

    QListWidget* persons_ = nullptr;
    QLabel* heading_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
    std::map<int, std::pair<QRadioButton*, QRadioButton*>> keep_;
    QRadioButton* deletionDefault_ = nullptr;
    QRadioButton* deletionOther_ = nullptr;
    QPushButton* allHere_ = nullptr;
    QPushButton* allServer_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace syncui
