#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "RecordId.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Contact Type Details": one description, refused when another type already has it. Ends
// with 1 (OK, the description checked) or 2 (Cancel).
class ContactTypeDialog : public QDialog {
    Q_OBJECT
public:
    enum Result { Ok = 1, Cancel = 2 };
    // True when another type already has the description; throws cppsqlite3::SQLException when
    // it cannot tell.
    using DuplicateCheck = std::function<bool(const std::string& description)>;
    // Stores the checked description; false after a failure it has shown, which keeps the
    // dialog open with what was typed.
    using Saver = std::function<bool(const std::string& description)>;

    ContactTypeDialog(QWidget* owner, const std::string& description, DuplicateCheck isDuplicate,
                      Saver save = Saver());

    // After OK: the description as stored (its bytes as they were when it was left unchanged).
    const std::string& Description() const { return description_; }
    // Shows another description, dropping what was typed; the dialog stays open.
    void Reload(const std::string& description);

    QLineEdit* DescriptionField() const { return field_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

public slots:
    void reject() override;

private:
    void CheckAndAccept();

    std::string description_;
    DuplicateCheck isDuplicate_;
    Saver save_;
    QLineEdit* field_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// "Contact Types": the list of all types with Add, Delete and Edit. "&Close", Esc and the close
// box all end it the same way, with 1.
class ContactTypesDialog : public QDialog {
    Q_OBJECT
public:
    ContactTypesDialog(QWidget* owner, const std::string& path);

    QTreeWidget* List() const { return list_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* CloseButton() const { return close_; }

public slots:
    // Esc and the close box do what "&Close" does.
    void reject() override;

private:
    void FillList();
    void AddType();
    void DeleteType();
    void EditType();
    void CloseDialog();
    // The identifier carried by the selected row; empty when none is selected.
    RecordId SelectedId() const;
    QWidget* DetailsOwner();
    ContactTypeDialog::DuplicateCheck DuplicateCheck(bool adding, const RecordId& id) const;

    // The file as it was when the command started.
    std::string path_;
    QTreeWidget* list_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* edit_;
    QPushButton* close_;
};

// "&Contact Types...": runs the dialog over the file; true when it ended with "&Close" (or Esc,
// or the close box), after which the view reloads itself.
bool RunContactTypes(QWidget* owner, const std::string& path);
