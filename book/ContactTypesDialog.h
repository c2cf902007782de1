#pragma once

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

    ContactTypeDialog(QWidget* owner, const std::string& description, const RecordId& id,
                      bool adding, const std::string& path);

    // After OK: the description with its single quotes doubled, ready to go between quotes.
    const std::string& QuotedDescription() const { return quotedDescription_; }

    QLineEdit* DescriptionField() const { return field_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

public slots:
    void reject() override;

private:
    void CheckAndAccept();

    std::string quotedDescription_;
    RecordId id_;
    bool adding_;
    std::string path_;
    QLineEdit* field_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// "Contact Types": the list of all types with Add, Delete and Edit. "&Close" is its only way
// out and ends it with 1.
class ContactTypesDialog : public QDialog {
    Q_OBJECT
public:
    explicit ContactTypesDialog(QWidget* owner);

    QTreeWidget* List() const { return list_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* CloseButton() const { return close_; }

public slots:
    // Esc and the caption's close box leave the dialog open.
    void reject() override {}

private:
    void FillList();
    void AddType();
    void DeleteType();
    void EditType();
    void CloseDialog();
    // The identifier carried by the selected row; empty when none is selected.
    RecordId SelectedId() const;
    QWidget* DetailsOwner();

    // The file as it was when the command started.
    std::string path_;
    QTreeWidget* list_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* edit_;
    QPushButton* close_;
};

// "&Contact Types...": runs the dialog over the current file; true when it ended with "&Close",
// after which the view reloads itself.
bool RunContactTypes(QWidget* owner);
