#pragma once

#include <array>
#include <functional>
#include <vector>

#include <QPointer>

#include <QDialog>
#include <QString>

#include "PersonRecord.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// The tabbed sheet that edits a person, and the user record: "General", "Address" and "Phone".
// Each page is built when first shown and takes its fields' values then; leaving a page, and
// closing the sheet, copies its controls back. Values go in and come out in their stored form
// (CR LF between the lines of the address). A page first reached while the typing is on the page
// left (Ctrl+Tab, a click on its tab) takes the typing in its first field.
class PersonSheet : public QDialog {
    Q_OBJECT
public:
    enum Page { General, Address, Phone };

    // The caption is the title as given; helpTopic is the topic part the Help button opens.
    // With help::kUserTopic it is the user sheet, whose Pager field is shown disabled and empty:
    // the user's record keeps no pager number.
    PersonSheet(QWidget* owner, const QString& title, const PersonRecord& initial,
                const char* helpTopic);
    ~PersonSheet() override;

    // The values as read back from the pages; those of a page never shown are as given.
    const PersonRecord& Values() const { return values_; }

    // Stores the values at OK; false after a failure it has shown, which keeps the sheet open
    // with what was typed, so that OK can be pressed again or Cancel chosen.
    using Saver = std::function<bool(const PersonRecord& values)>;
    void SetSaver(Saver save) { save_ = std::move(save); }
    // Shows other values in every page, dropping what was typed; the sheet stays open.
    void Reload(const PersonRecord& values);

    // The field control of a value; null while its page has not been shown.
    QWidget* Field(PersonRecord::Field field) const { return controls_[field]; }
    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* HelpButton() const { return help_; }
    // Under the phone fields: that the letters of a number are not dialled, and the offer to
    // store its digits instead. Hidden while no phone field holds letters.
    QLabel* LetterNote() const { return letterNote_; }
    QPushButton* StoreDigitsButton() const { return storeDigits_; }
    // How often reading back the "Address" page found State or Zip too long.
    int LengthWarnings() const { return lengthWarnings_; }

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // How a control follows the sheet when it is made larger than its form.
    enum Follow { GrowX = 1, GrowY = 2, MoveX = 4, MoveY = 8 };
    struct Anchored {
        QWidget* widget;
        QRect base;
        int how;
    };
    static constexpr PersonRecord::Field kPhoneFields[] = {
        PersonRecord::HmPhone, PersonRecord::WkPhone, PersonRecord::WkFax, PersonRecord::Pager,
        PersonRecord::CelPhone};

    void ShowPage(int index);
    void BuildPage(int index);
    void BuildGeneral(QWidget* page);
    void BuildAddress(QWidget* page);
    void BuildPhone(QWidget* page);
    void KeepForPersonsOnly(QWidget* page, QLineEdit* pager);
    void BuildLetterNote(QWidget* page, int y);
    bool IsPhoneField(const QWidget* control) const;
    void UpdateLetterNote();
    QString LetterNoteText(QLineEdit* field) const;
    void Anchor(QWidget* widget, int how);
    void Relayout();
    static PersonRecord::Field FirstField(int index);
    // The label comes marked QT_TR_NOOP and is translated here.
    QLineEdit* AddLine(QWidget* page, PersonRecord::Field field, const char* label, int id,
                       int labelX, int x, int y, int width);
    void PutValues(int index);
    void ReadBack(int index);
    void UpdateOk();

    PersonRecord values_;
    Saver save_;
    QString helpTopic_;
    bool userSheet_;
    QTabWidget* tabs_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* help_;
    std::array<QWidget*, PersonRecord::FieldCount> controls_{};
    std::array<bool, 3> built_{};
    int currentPage_ = -1;
    int lengthWarnings_ = 0;
    bool closing_ = false;
    QLabel* letterNote_ = nullptr;
    QPushButton* storeDigits_ = nullptr;
    QPointer<QLineEdit> letterField_;
    std::vector<Anchored> anchored_;
    QSize baseSize_;
};

// The typed characters a phone field keeps besides the letters of a keypad: digits,
// ". ( ) - +", the blank and control characters; pasted text passes unchanged.
bool IsPhoneCharacter(QChar c);
