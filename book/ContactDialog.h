#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "DateTime.h"
#include "RecordEditing.h"
#include "RecordId.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

// "Add Contact" / "Edit Contact": the date, time, type and description of one contact. The
// values and the contact types to choose from are set before Start; after OK they are read
// back, the description in its stored form. Ends with 1 (OK) or 2 (Cancel).
class ContactDialog : public QDialog {
    Q_OBJECT
public:
    enum Result { Ok = 1, Cancel = 2 };

    // The date and time are now, as the dialog is made.
    explicit ContactDialog(QWidget* owner, bool adding);

    void SetWhen(DateTime when) { when_ = when; }
    void SetTypeId(const RecordId& id) { typeId_ = id; }
    // The description in its stored form (CR LF between lines).
    void SetDescription(const std::string& description) { description_ = description; }

    // The types in the table's own order; the list sorts them.
    void SetTypes(std::vector<editing::TypeChoice> types) { choices_ = std::move(types); }

    // Stores the values at OK; false after a failure it has shown, which keeps the dialog
    // open with what was typed.
    using Saver = std::function<bool(const ContactDialog& dialog)>;
    void SetSaver(Saver save) { save_ = std::move(save); }
    // Shows other values, dropping what was typed; the dialog stays open. Only after Start.
    void Reload(DateTime when, const std::string& description, const RecordId& typeId);

    // The description, not the date, has the focus at the start: a contact being logged as it
    // happens needs only its notes.
    void StartInDescription() { startInDescription_ = true; }

    // Fills the controls from the values and the types.
    void Start();

    DateTime When() const { return when_; }
    const RecordId& TypeId() const { return typeId_; }
    // The description in its stored form (CR LF between lines).
    const std::string& Description() const { return description_; }
    // Whether the user changed the date or the time shown at the start.
    bool WhenChanged() const;

    QDateEdit* DatePicker() const { return date_; }
    QTimeEdit* TimePicker() const { return time_; }
    QComboBox* TypeList() const { return types_; }
    QPlainTextEdit* DescriptionField() const { return descriptionField_; }
    QLabel* NoTypesLine() const { return noTypes_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* HelpButton() const { return help_; }

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateOk();

    bool adding_;
    DateTime when_;
    RecordId typeId_;
    std::string description_;
    std::vector<editing::TypeChoice> choices_;
    Saver save_;
    QDate shownDate_;
    QTime shownTime_;
    bool started_ = false;
    int reloads_ = 0;
    bool startInDescription_ = false;

    QDateEdit* date_;
    QTimeEdit* time_;
    QComboBox* types_;
    QPlainTextEdit* descriptionField_;
    QLabel* noTypes_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* help_;
};
