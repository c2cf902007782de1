#pragma once

#include <map>
#include <vector>

#include <QDialog>

#include "DuplicateFinding.h"
#include "PersonRecord.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;

// "Find Duplicates": the groups of persons that look like one person; for the selected group the
// persons side by side, the one to keep (the one with most filled fields first) and, for each
// field that differs, the value to keep (the kept person's first). Merge and Not Duplicates are
// asked of the caller, which stores them and drops the group (Drop); Skip goes to the next.
class DuplicatesDialog : public QDialog {
    Q_OBJECT
public:
    DuplicatesDialog(QWidget* owner, std::vector<duplicates::Group> groups,
                     std::map<RecordId, PersonRecord> persons);

    // The group is done with: it goes from the list, the next is shown.
    void Drop(int group);
    int Groups() const;
    // The group shown, as an index into the groups given; -1 for none.
    int Current() const { return shown_; }

    // What Merge would store now: the person kept, the fields, the persons merged in.
    RecordId Kept() const;
    PersonRecord Fields() const;
    std::vector<RecordId> Others() const;

    QListWidget* GroupList() const { return list_; }
    QRadioButton* KeepButton(int person) const;          // in the group's order
    QComboBox* Choice(PersonRecord::Field field) const;  // null for a field all agree on
    QPushButton* MergeButton() const { return merge_; }
    QPushButton* DistinctButton() const { return distinct_; }
    QPushButton* SkipButton() const { return skip_; }

    // "same e-mail, similar name".
    static QString Reasons(unsigned reasons);

signals:
    void MergeRequested(int group);
    void DistinctRequested(int group);

private:
    void ShowGroup(int group);
    void FillChoices();
    void Update();

    std::vector<duplicates::Group> groups_;
    std::vector<bool> done_;
    std::map<RecordId, PersonRecord> persons_;
    int shown_ = -1;
    int kept_ = 0;

    QListWidget* list_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* heading_ = nullptr;
    std::vector<QRadioButton*> keep_;
    std::map<int, QComboBox*> choices_;
    QPushButton* merge_ = nullptr;
    QPushButton* distinct_ = nullptr;
    QPushButton* skip_ = nullptr;
};
