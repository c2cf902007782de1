#include "PersonSheet.h"

#include <limits>
#include <tuple>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTabWidget>

#include "DialogUnits.h"
#include "HelpViewer.h"
#include "PhoneNumbers.h"
#include "StoredText.h"

namespace {

constexpr int kPageWidth = 186;
constexpr int kPageHeight = 132;  // the tallest page, "Phone", with its note on letters
constexpr int kLabelX = 7;
constexpr int kFieldX = 60;
constexpr int kFieldRight = 179;
constexpr int kStateLimit = 5;
constexpr int kZipLimit = 10;

// Drops typed characters that are neither phone characters nor the letters of a keypad.
class PhoneFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Ctrl with a letter is an editing shortcut (Ctrl+V pastes), not a typed character.
            const Qt::KeyboardModifiers held = key->modifiers();
            if ((held & Qt::ControlModifier) && !(held & Qt::AltModifier)) {
                return QObject::eventFilter(watched, event);
            }
            const QString text = key->text();
            for (QChar c : text) {
                // Letters stay as typed; the sheet offers their digits.
                if (!IsPhoneCharacter(c) && KeypadDigit(c) == 0) {
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

bool IsPhoneCharacter(QChar c) {
    if (c.isDigit() && c.unicode() < 0x80) {
        return true;
    }
    switch (c.unicode()) {
        case '.':
        case '(':
        case ')':
        case '-':
        case '+':
        case ' ':
            return true;
        default:
            // Backspace, Ctrl+V and the other control characters keep their editing work.
            return c.category() == QChar::Other_Control;
    }
}

PersonSheet::PersonSheet(QWidget* owner, const QString& title, const PersonRecord& initial,
                         const char* helpTopic)
    : QDialog(owner, platform::kDialogFlags),
      values_(initial),
      helpTopic_(QString::fromLatin1(helpTopic)),
      userSheet_(helpTopic_ == QLatin1String(help::kUserTopic)) {
    if (userSheet_) {
        // The user table has no Pager column, so the user's record has no pager number.
        values_[PersonRecord::Pager].clear();
    }
    setFont(platform::DialogFont());
    setWindowTitle(title);
    const platform::DialogUnits units(font());

    tabs_ = new QTabWidget(this);
    for (const char* name : {QT_TR_NOOP("General"), QT_TR_NOOP("Address"), QT_TR_NOOP("Phone")}) {
        auto* page = new QWidget;
        page->setMinimumSize(units.X(kPageWidth), units.Y(kPageHeight));
        tabs_->addTab(page, tr(name));
    }

    // The tabs take the room the tallest page needs; the buttons go under them on the right.
    const QSize tabsSize = tabs_->minimumSizeHint().expandedTo(tabs_->sizeHint());
    const int tabsWidth = units.UnitsX(tabsSize.width());
    const int tabsHeight = units.UnitsY(tabsSize.height());
    units.Place(tabs_, 4, 4, tabsWidth, tabsHeight);
    const int buttonY = 4 + tabsHeight + 4;
    const int right = 4 + tabsWidth;
    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                right - 158, buttonY, 50, 14);
    cancel_ =
        platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2,
                              right - 104, buttonY, 50, 14);
    help_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Help"),
                                  9, right - 50, buttonY, 50, 14);
    ok_->setDefault(true);
    // The sheet may be made larger, never smaller than its form: the fields grow with it.
    baseSize_ = QSize(units.X(right + 4), units.Y(buttonY + 14 + 4));
    setMinimumSize(baseSize_);
    resize(baseSize_);
    setSizeGripEnabled(true);
    Anchor(tabs_, GrowX | GrowY);
    for (QWidget* button : {ok_, cancel_, help_}) {
        Anchor(button, MoveX | MoveY);
    }

    connect(ok_, &QPushButton::clicked, this, &PersonSheet::accept);
    connect(cancel_, &QPushButton::clicked, this, &PersonSheet::reject);
    connect(help_, &QPushButton::clicked, this,
            [this] { help::ShowTopic(this, help::TopicReference(helpTopic_)); });
    connect(tabs_, &QTabWidget::currentChanged, this, &PersonSheet::ShowPage);

    // Each label speaks for its field.
    help::InstallPopupHelp(
        this, help::HelpFilePath(),
        {{1, 1000},    {2, 1001},    {9, 1002},    {1015, 6005}, {1003, 6003}, {1004, 6004},
         {1001, 6001}, {1002, 6002}, {1018, 6107}, {1012, 6109}, {1013, 6110}, {1017, 6111},
         {1023, 6220}, {1025, 6221}, {1031, 6222}, {1006, 6223}, {1008, 6224}, {1027, 6225},
         {1016, 6226}, {1074, 6227}, {0, 0}});

    ShowPage(General);
}

PersonSheet::~PersonSheet() {
    // The tabs may report a page change while they are taken down.
    disconnect(tabs_, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
}

QLineEdit* PersonSheet::AddLine(QWidget* page, PersonRecord::Field field, const char* label, int id,
                                int labelX, int x, int y, int width) {
    const platform::DialogUnits units(font());
    auto* text = new QLabel(tr(label), page);
    text->setTextFormat(Qt::PlainText);
    auto* edit = new QLineEdit(page);
    // No field cuts what it is given or what is typed.
    edit->setMaxLength(std::numeric_limits<int>::max());
    platform::SetControlId(edit, id);
    units.Place(text, labelX, y + 2, x - labelX - 2, 8);
    units.Place(edit, x, y, width, 12);
    Anchor(text, 0);
    Anchor(edit, x + width == kFieldRight ? GrowX : 0);
    text->setBuddy(edit);
    controls_[field] = edit;
    return edit;
}

void PersonSheet::BuildGeneral(QWidget* page) {
    const int width = kFieldRight - kFieldX;
    AddLine(page, PersonRecord::Title, QT_TR_NOOP("&Title:"), 1015, kLabelX, kFieldX, 7, 50);
    int y = 25;
    for (auto [field, label, id] :
         {std::tuple{PersonRecord::FName, QT_TR_NOOP("&First Name:"), 1001},
          std::tuple{PersonRecord::LName, QT_TR_NOOP("&Last Name:"), 1002},
          std::tuple{PersonRecord::Company, QT_TR_NOOP("&Company:"), 1003},
          std::tuple{PersonRecord::Position, QT_TR_NOOP("&Position:"), 1004}}) {
        QLineEdit* edit = AddLine(page, field, label, id, kLabelX, kFieldX, y, width);
        if (field != PersonRecord::Position) {
            connect(edit, &QLineEdit::textChanged, this, &PersonSheet::UpdateOk);
        }
        y += 18;
    }
}

void PersonSheet::BuildAddress(QWidget* page) {
    const platform::DialogUnits units(font());
    auto* label = new QLabel(tr("&Address:"), page);
    label->setTextFormat(Qt::PlainText);
    units.Place(label, kLabelX, 9, kFieldX - kLabelX - 2, 8);
    auto* address = new QPlainTextEdit(page);
    address->setTabChangesFocus(true);
    address->setLineWrapMode(QPlainTextEdit::NoWrap);
    platform::SetControlId(address, 1018);
    units.Place(address, kFieldX, 7, kFieldRight - kFieldX, 36);
    // Lines that do not fit scroll, and a taller sheet gives the address the room.
    address->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Anchor(label, 0);
    Anchor(address, GrowX | GrowY);
    label->setBuddy(address);
    controls_[PersonRecord::Addr] = address;

    AddLine(page, PersonRecord::City, QT_TR_NOOP("&City:"), 1012, kLabelX, kFieldX, 49,
            kFieldRight - kFieldX);
    AddLine(page, PersonRecord::State, QT_TR_NOOP("&State:"), 1013, kLabelX, kFieldX, 67, 30);
    AddLine(page, PersonRecord::Zip, QT_TR_NOOP("&Zip:"), 1017, 100, 120, 67, kFieldRight - 120);
    // The lines under the address keep their place below it.
    for (auto& anchored : anchored_) {
        if (anchored.widget->parentWidget() == page && anchored.widget != address &&
            anchored.widget != label) {
            anchored.how |= MoveY;
        }
    }
}

void PersonSheet::BuildPhone(QWidget* page) {
    auto* filter = new PhoneFilter(page);
    const int width = kFieldRight - kFieldX;
    struct Row {
        PersonRecord::Field field;
        const char* label;
        int id;
        bool phone;
    };
    int y = 7;
    for (const Row& row : {Row{PersonRecord::HmPhone, QT_TR_NOOP("&Home Phone:"), 1023, true},
                           Row{PersonRecord::WkPhone, QT_TR_NOOP("&Work Phone:"), 1025, true},
                           Row{PersonRecord::WkFax, QT_TR_NOOP("&Fax:"), 1006, true},
                           Row{PersonRecord::Email, QT_TR_NOOP("&E-Mail:"), 1008, false},
                           Row{PersonRecord::Pager, QT_TR_NOOP("&Pager:"), 1027, true},
                           Row{PersonRecord::CelPhone, QT_TR_NOOP("&Cel Phone:"), 1016, true},
                           Row{PersonRecord::WebPage, QT_TR_NOOP("We&b Page:"), 1074, false}}) {
        const bool work = row.field == PersonRecord::WkPhone;
        QLineEdit* edit =
            AddLine(page, row.field, row.label, row.id, kLabelX, kFieldX, y, work ? 75 : width);
        if (row.phone) {
            edit->installEventFilter(filter);
        }
        if (row.field == PersonRecord::Pager && userSheet_) {
            KeepForPersonsOnly(page, edit);
        }
        if (work) {
            // The extension follows the work phone in the tab order; the work phone grows.
            Anchor(edit, GrowX);
            AddLine(page, PersonRecord::WkExt, QT_TR_NOOP("E&xt:"), 1031, 139, 152, y,
                    kFieldRight - 152);
            for (auto& anchored : anchored_) {
                if (anchored.widget->parentWidget() == page && anchored.base.x() > edit->x()) {
                    anchored.how = MoveX;
                }
            }
        }
        if (row.phone) {
            connect(edit, &QLineEdit::textChanged, this, [this, edit] {
                letterField_ = edit;
                UpdateLetterNote();
            });
        }
        y += 14;
    }
    BuildLetterNote(page, y + 2);
}

void PersonSheet::BuildLetterNote(QWidget* page, int y) {
    const platform::DialogUnits units(font());
    letterNote_ = new QLabel(page);
    letterNote_->setTextFormat(Qt::PlainText);
    letterNote_->setWordWrap(true);
    units.Place(letterNote_, kLabelX, y, kFieldRight - 54 - kLabelX, 20);
    Anchor(letterNote_, GrowX);
    storeDigits_ = new QPushButton(tr("Store &Digits"), page);
    units.Place(storeDigits_, kFieldRight - 50, y + 2, 50, 14);
    Anchor(storeDigits_, MoveX);
    connect(storeDigits_, &QPushButton::clicked, this, [this] {
        if (QLineEdit* field = letterField_) {
            field->setText(WithKeypadDigits(field->text()));
            field->setFocus();
        }
    });
    // The note speaks of the phone field the typing is in, or was in last.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        auto* line = qobject_cast<QLineEdit*>(now);
        if (line && IsPhoneField(line)) {
            letterField_ = line;
            UpdateLetterNote();
        }
    });
}

bool PersonSheet::IsPhoneField(const QWidget* control) const {
    for (PersonRecord::Field field : kPhoneFields) {
        if (control && controls_[field] == control) {
            return true;
        }
    }
    return false;
}

void PersonSheet::UpdateLetterNote() {
    if (!letterNote_) {
        return;
    }
    QLineEdit* field = letterField_;
    if (!field || !HasKeypadLetters(field->text())) {
        field = nullptr;
        for (PersonRecord::Field phone : kPhoneFields) {
            auto* line = static_cast<QLineEdit*>(controls_[phone]);
            if (line && line->isEnabled() && HasKeypadLetters(line->text())) {
                field = line;
                break;
            }
        }
    }
    letterField_ = field;
    for (PersonRecord::Field phone : kPhoneFields) {
        if (auto* line = static_cast<QLineEdit*>(controls_[phone]); line && line->isEnabled()) {
            line->setToolTip(HasKeypadLetters(line->text()) ? LetterNoteText(line) : QString());
        }
    }
    letterNote_->setVisible(field != nullptr);
    storeDigits_->setVisible(field != nullptr);
    if (field) {
        letterNote_->setText(LetterNoteText(field));
    }
}

QString PersonSheet::LetterNoteText(QLineEdit* field) const {
    QString name;
    for (QLabel* label : field->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->buddy() == field) {
            name = label->text().remove(QLatin1Char('&'));
            name.chop(name.endsWith(QLatin1Char(':')) ? 1 : 0);
        }
    }
    return tr("Letters are not dialled: %1 as digits is %2.")
        .arg(name, WithKeypadDigits(field->text()));
}

void PersonSheet::Anchor(QWidget* widget, int how) {
    for (auto& anchored : anchored_) {
        if (anchored.widget == widget) {
            anchored.how = how;
            return;
        }
    }
    anchored_.push_back({widget, widget->geometry(), how});
}

void PersonSheet::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Relayout();
}

void PersonSheet::Relayout() {
    if (baseSize_.isEmpty()) {
        return;
    }
    const int dx = std::max(0, width() - baseSize_.width());
    const int dy = std::max(0, height() - baseSize_.height());
    for (const auto& anchored : anchored_) {
        QRect r = anchored.base;
        if (anchored.how & GrowX) {
            r.setWidth(r.width() + dx);
        }
        if (anchored.how & GrowY) {
            r.setHeight(r.height() + dy);
        }
        r.translate(anchored.how & MoveX ? dx : 0, anchored.how & MoveY ? dy : 0);
        anchored.widget->setGeometry(r);
    }
}

void PersonSheet::KeepForPersonsOnly(QWidget* page, QLineEdit* pager) {
    const QString why = tr("Your own record has no pager number: it is kept for persons only.");
    pager->setEnabled(false);
    pager->setToolTip(why);
    for (QLabel* label : page->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->buddy() == pager) {
            label->setEnabled(false);
            label->setToolTip(why);
        }
    }
}

void PersonSheet::BuildPage(int index) {
    QWidget* page = tabs_->widget(index);
    switch (index) {
        case General:
            BuildGeneral(page);
            break;
        case Address:
            BuildAddress(page);
            break;
        default:
            BuildPhone(page);
            break;
    }
    // Controls made inside a page already on screen stay hidden until shown.
    for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        control->show();
    }
    built_[index] = true;
    Relayout();
    PutValues(index);
    if (index == General) {
        UpdateOk();
    }
    if (index == Phone) {
        UpdateLetterNote();
    }
    // The sheet opens with the typing in its first field, and so does a page first reached from
    // one of its fields (Ctrl+Tab, a click on its tab): having found nothing on the new page,
    // the tabs left the focus on the bare page.
    QWidget* focused = focusWidget();
    if (index == General || !focused || focused == page) {
        controls_[FirstField(index)]->setFocus();
    }
}

PersonRecord::Field PersonSheet::FirstField(int index) {
    switch (index) {
        case General:
            return PersonRecord::Title;
        case Address:
            return PersonRecord::Addr;
        default:
            return PersonRecord::HmPhone;
    }
}

void PersonSheet::PutValues(int index) {
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        QWidget* control = controls_[f];
        if (!control || !tabs_->widget(index)->isAncestorOf(control)) {
            continue;
        }
        const std::string& value = values_.fields[f];
        if (auto* line = qobject_cast<QLineEdit*>(control)) {
            line->setText(FromStoredText(value));
            line->setCursorPosition(0);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
            text->setPlainText(FromStoredText(FromStoredLines(value)));
        }
    }
}

void PersonSheet::ReadBack(int index) {
    if (index < 0 || !built_[index]) {
        return;
    }
    QWidget* page = tabs_->widget(index);
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        QWidget* control = controls_[f];
        if (!control || !page->isAncestorOf(control)) {
            continue;
        }
        // A field left as it was keeps its stored bytes, whatever their encoding.
        std::string& value = values_.fields[f];
        if (auto* line = qobject_cast<QLineEdit*>(control)) {
            value = ToStoredText(line->text(), value);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
            value = ToStoredLinesText(text->toPlainText(), value);
        }
    }
    if (index != Address) {
        return;
    }
    // Too long a State or Zip is only pointed out; the text stays as typed.
    for (auto [field, limit] :
         {std::pair{PersonRecord::State, kStateLimit}, std::pair{PersonRecord::Zip, kZipLimit}}) {
        auto* line = static_cast<QLineEdit*>(controls_[field]);
        if (line->text().size() > limit) {
            ++lengthWarnings_;
            QApplication::beep();
            line->setFocus();
            break;
        }
    }
}

void PersonSheet::ShowPage(int index) {
    if (!closing_ && index != currentPage_) {
        ReadBack(currentPage_);
    }
    currentPage_ = index;
    if (index >= 0 && !built_[index]) {
        BuildPage(index);
    }
}

void PersonSheet::keyPressEvent(QKeyEvent* event) {
    // The page keys reach the tabs only from inside a page; from the buttons, and for Ctrl+PgUp
    // and Ctrl+PgDown, which the tabs leave alone, the sheet turns the page itself.
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    int step = 0;
    if (held & Qt::ControlModifier && !(held & Qt::AltModifier)) {
        switch (event->key()) {
            case Qt::Key_Tab:
                step = held & Qt::ShiftModifier ? -1 : 1;
                break;
            case Qt::Key_Backtab:
            case Qt::Key_PageUp:
                step = -1;
                break;
            case Qt::Key_PageDown:
                step = 1;
                break;
            default:
                break;
        }
    }
    if (step == 0) {
        QDialog::keyPressEvent(event);
        return;
    }
    const int count = tabs_->count();
    tabs_->setCurrentIndex((tabs_->currentIndex() + step + count) % count);
}

void PersonSheet::UpdateOk() {
    bool named = false;
    for (PersonRecord::Field field :
         {PersonRecord::FName, PersonRecord::LName, PersonRecord::Company}) {
        named = named || !static_cast<QLineEdit*>(controls_[field])->text().isEmpty();
    }
    ok_->setEnabled(named);
}

void PersonSheet::Reload(const PersonRecord& values) {
    values_ = values;
    for (int index = 0; index < tabs_->count(); ++index) {
        if (built_[index]) {
            PutValues(index);
        }
    }
    UpdateLetterNote();
    UpdateOk();
}

void PersonSheet::done(int result) {
    // Enter reaches the default button's accept even while OK is disabled.
    if (result == Accepted && !ok_->isEnabled()) {
        return;
    }
    // The pages left before have been read back already and cannot have changed since.
    if (!closing_) {
        closing_ = true;
        ReadBack(currentPage_);
    }
    // A copy: the saver may reload the sheet's values.
    if (result == Accepted && save_ && !save_(PersonRecord(values_))) {
        closing_ = false;
        return;
    }
    QDialog::done(result);
}
