#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "ReportData.h"

class QCheckBox;
class QDateEdit;
class QListWidget;
class QPushButton;

namespace reports {

// The dialogs that choose what a report covers: a list of persons to include (several may be
// chosen; "Select All" chooses them all) and, per report, a date range or the envelope options.
// On OK the chosen persons are read from the file.
class PersonPickDialog : public QDialog {
    Q_OBJECT
public:
    const std::vector<PersonRecord>& Chosen() const { return chosen_; }

    QListWidget* List() const { return list_; }
    QCheckBox* SelectAllBox() const { return selectAll_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* HelpButton() const { return help_; }

    // Selects the persons with these identifiers (and no others); none selects nobody.
    void Preselect(const std::vector<RecordId>& ids);

public slots:
    void done(int result) override;

protected:
    // width and height of the whole dialog, and the height of the persons group, in dialog units.
    // selectAllText and noneText come marked QT_TRANSLATE_NOOP("reports::PersonPickDialog", ...).
    PersonPickDialog(QWidget* owner, const std::string& path, const QString& title, int width,
                     int height, int listHeight, const char* selectAllText, const char* noneText,
                     const char* helpTopic);
    // What the dialog adds to its table of pop-ups, ending with {0, 0}.
    void InstallPopups(std::vector<std::pair<int, int>> extra);
    // False when the dialog's own values cannot be taken; it has said why, and stays open.
    virtual bool CheckValues() { return true; }
    // Reads the dialog's own values before the persons are read.
    virtual void TakeValues() {}

private:
    void Fill();

    std::string path_;
    QString noneText_;
    std::vector<PersonRecord> chosen_;
    QListWidget* list_;
    QCheckBox* selectAll_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* help_;
};

// "Address Book Printout".
class AddressBookDialog : public PersonPickDialog {
    Q_OBJECT
public:
    AddressBookDialog(QWidget* owner, const std::string& path);
};

// "Contacts Printout": the persons and the days from and to which their contacts are printed.
class ContactsDialog : public PersonPickDialog {
    Q_OBJECT
public:
    ContactsDialog(QWidget* owner, const std::string& path);

    // Whole days: the beginning day from 00:00:00, the ending day to 23:59:59.
    DateTime Beginning() const { return beginning_; }
    DateTime Ending() const { return ending_; }
    QDateEdit* BeginningPicker() const { return beginningPicker_; }
    QDateEdit* EndingPicker() const { return endingPicker_; }

protected:
    void TakeValues() override;

private:
    QDateEdit* beginningPicker_;
    QDateEdit* endingPicker_;
    DateTime beginning_;
    DateTime ending_;
};

// "Envelope Printout": the persons and what the envelopes show besides the names.
class EnvelopeDialog : public PersonPickDialog {
    Q_OBJECT
public:
    EnvelopeDialog(QWidget* owner, const std::string& path, const EnvelopeOptions& options);

    const EnvelopeOptions& Options() const { return options_; }
    // Recipient Title, Company, Position; return Title, Company, Position.
    QCheckBox* OptionBox(int index) const { return boxes_[index]; }

protected:
    void TakeValues() override;

private:
    EnvelopeOptions options_;
    QCheckBox* boxes_[6];
};

// What a report dialog is opened over: the active window (a dialog the command came from), else
// the owner given.
QWidget* DialogOwner(QWidget* owner);

// The three Reports commands: the dialog, then what the report prints read from the file.
// Nothing when the dialog was cancelled or a read failed (the failure has been shown).
// preselect: the persons selected when the dialog opens; empty selects nobody.
std::optional<ReportRequest> ChooseAddressBook(QWidget* owner, const std::string& path,
                                               const std::vector<RecordId>& preselect = {});
std::optional<ReportRequest> ChooseContacts(QWidget* owner, const std::string& path,
                                            const std::vector<RecordId>& preselect = {});
// options: kept between uses; set from the dialog after OK.
std::optional<ReportRequest> ChooseEnvelopes(QWidget* owner, const std::string& path,
                                             EnvelopeOptions& options,
                                             const std::vector<RecordId>& preselect = {});

}  // namespace reports
