#pragma once

#include <QDialog>
#include <QString>
#include <QWizard>
#include <QWizardPage>

#include "TransferSettings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace transfer {

// A page of the transfer wizard: its caption replaces the wizard's when it comes up, and the
// wizard's picture stands at its left.
class TransferPage : public QWizardPage {
    Q_OBJECT
public:
    TransferPage(TransferSettings& settings, const QString& caption);
    const QString& Caption() const { return caption_; }

protected:
    TransferSettings& settings_;

private:
    QString caption_;
};

// "Select Document": the file's name, typed or chosen with "...".
class SelectDocumentPage : public TransferPage {
    Q_OBJECT
public:
    explicit SelectDocumentPage(TransferSettings& settings);
    bool isComplete() const override;
    bool validatePage() override;

    QLineEdit* FileField() const { return file_; }
    QPushButton* BrowseButton() const { return browse_; }
    // Offered when the person list is filtered; null otherwise.
    QCheckBox* OnlyShownBox() const { return onlyShown_; }

private:
    void Browse();

    QLineEdit* file_;
    QPushButton* browse_;
    QCheckBox* onlyShown_ = nullptr;
};

// "Document Structure": the separator, the encloser, whether the first line names the fields;
// for an import the file's encoding and its first lines read in it, for an export the UTF-8
// mark.
class DocumentStructurePage : public TransferPage {
    Q_OBJECT
public:
    explicit DocumentStructurePage(TransferSettings& settings);
    void initializePage() override;
    bool validatePage() override;

    QComboBox* SeparatorList() const { return separators_; }
    QComboBox* EncloserList() const { return enclosers_; }
    QCheckBox* NamesBox() const { return names_; }
    QCheckBox* Utf8MarkBox() const { return utf8Mark_; }
    // Import: the encodings, the likeliest first, and the file's first lines read in the one
    // chosen.
    QComboBox* EncodingList() const { return encodings_; }
    QPlainTextEdit* FirstLinesText() const { return firstLines_; }

private:
    void ReadInEncoding();

    QComboBox* separators_;
    QComboBox* enclosers_;
    QCheckBox* names_;
    QCheckBox* utf8Mark_ = nullptr;
    QComboBox* encodings_ = nullptr;
    QPlainTextEdit* firstLines_ = nullptr;
    std::string listedFor_;  // the file start the encodings and separator were last chosen for
};

// "Fields To Export": the fields to write, checked; "Fields To Import": the columns of the file
// and the person field each goes into.
class FieldsPage : public TransferPage {
    Q_OBJECT
public:
    explicit FieldsPage(TransferSettings& settings);
    void initializePage() override;
    bool validatePage() override;

    QTreeWidget* List() const { return list_; }
    // The line that says why Finish was refused.
    QLabel* RefusalLine() const { return refusal_; }
    // Import: how the current row's column is imported, where there is more to it than one
    // column into one field.
    QLabel* DescriptionText() const { return description_; }
    // Import: a column's assignment, empty when the column is not imported.
    QString Assignment(int row) const;
    void Assign(int row, const QString& field);
    // Import: opens the assignment dialog for the row, as a click on it does.
    void EditAssignment(int row);

private:
    void FillColumns();
    // Shows every row's assignment, and what the current row's comes to.
    void ShowAssignments();
    std::vector<std::string> Assignments() const;

    QTreeWidget* list_;
    QLabel* refusal_;
    QLabel* description_ = nullptr;
    std::string builtFrom_;  // what the import's rows were made from
};

// The three-page wizard of the exports and the import.
class TransferWizard : public QWizard {
    Q_OBJECT
public:
    TransferWizard(QWidget* owner, TransferSettings& settings, const QString& title);

    const QString& Title() const { return title_; }
    SelectDocumentPage* DocumentPage() const { return document_; }
    DocumentStructurePage* StructurePage() const { return structure_; }
    FieldsPage* ColumnsPage() const { return fields_; }

private:
    QString title_;
    SelectDocumentPage* document_;
    DocumentStructurePage* structure_;
    FieldsPage* fields_;
};

// "Fields": which person field an imported column goes into, if any.
class FieldAssignDialog : public QDialog {
    Q_OBJECT
public:
    // assigned: the column's current assignment, empty when it has none; column: its name as
    // the Fields page shows it; byType: the column's phone numbers may go by their kind.
    FieldAssignDialog(QWidget* owner, const std::vector<std::string>& fields,
                      const QString& assigned, const QString& column, bool byType = false);

    // After OK: the chosen field, or empty when the column is not to be imported.
    QString Chosen() const;

    QLabel* Label() const { return label_; }
    QComboBox* FieldList() const { return list_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    QLabel* label_;
    QComboBox* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace transfer
