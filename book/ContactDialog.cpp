#include "ContactDialog.h"

#include <algorithm>
#include <vector>

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimeEdit>

#include "DateTimeFields.h"
#include "DialogUnits.h"
#include "HelpViewer.h"
#include "StoredText.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const platform::DialogUnits& units, const QString& text, int y) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    units.Place(label, 8, y + 2, 50, 8);
    return label;
}

// The order of a sorted drop-down list: letters compare without regard to case.
bool ListedBefore(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b) < 0;
}

}  // namespace

ContactDialog::ContactDialog(QWidget* owner, bool adding)
    : QDialog(owner, platform::kDialogFlags), adding_(adding), when_(FromLocalNow()) {
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    setFixedSize(units.X(361), units.Y(103));

    // Created in the tab order.
    QLabel* dateLabel = MakeLabel(this, units, tr("Date:"), 13);
    date_ = new platform::DateField(this);
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(DisplayDateFormat());
    date_->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    platform::SetControlId(date_, 1026);
    units.Place(date_, 60, 13, 90, 12);
    dateLabel->setBuddy(date_);

    QLabel* timeLabel = MakeLabel(this, units, tr("Time:"), 35);
    time_ = new platform::TimeField(this);
    time_->setDisplayFormat(DisplayTimeFormat());
    platform::SetControlId(time_, 1076);
    units.Place(time_, 60, 35, 90, 12);
    timeLabel->setBuddy(time_);

    QLabel* typeLabel = MakeLabel(this, units, tr("Contact Type:"), 59);
    types_ = new QComboBox(this);
    platform::SetControlId(types_, 1020);
    units.Place(types_, 60, 59, 90, 12);
    typeLabel->setBuddy(types_);

    noTypes_ = new QLabel(tr("Add a contact type first (Edit, Contact Types...)."), this);
    noTypes_->setTextFormat(Qt::PlainText);
    noTypes_->setWordWrap(true);
    units.Place(noTypes_, 8, 75, 190, 20);
    noTypes_->hide();

    descriptionField_ = new QPlainTextEdit(this);
    descriptionField_->setTabChangesFocus(true);
    descriptionField_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // OK waits for the notes; the empty field says so.
    descriptionField_->setPlaceholderText(tr("What was it about? Notes are required."));
    platform::SetControlId(descriptionField_, 1022);
    descriptionField_->setAccessibleName(tr("Notes"));
    units.Place(descriptionField_, 159, 12, 192, 61);

    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                202, 79, 50, 14);
    ok_->setDefault(true);
    cancel_ = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2, 252, 79, 50, 14);
    help_ =
        platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "&Help..."),
                              1052, 302, 79, 50, 14);

    connect(ok_, &QPushButton::clicked, this, &ContactDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &ContactDialog::reject);
    connect(help_, &QPushButton::clicked, this, [this] {
        help::ShowTopic(this, help::TopicReference(QString::fromLatin1(help::kContactTopic)));
    });
    connect(descriptionField_, &QPlainTextEdit::textChanged, this, &ContactDialog::UpdateOk);
    connect(types_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ContactDialog::UpdateOk);

    help::InstallPopupHelp(
        this, help::HelpFilePath(),
        {{1022, 2101}, {1026, 2102}, {1020, 2103}, {1076, 2104}, {1, 1000}, {2, 1001}, {0, 0}});
}

void ContactDialog::Start() {
    if (started_) {
        return;
    }
    started_ = true;
    setWindowTitle(adding_ ? tr("Add Contact") : tr("Edit Contact"));

    std::vector<std::pair<QString, RecordId>> entries;
    for (const editing::TypeChoice& choice : choices_) {
        entries.emplace_back(FromStoredText(choice.description), choice.id);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return ListedBefore(a.first, b.first); });
    {
        const QSignalBlocker block(types_);
        int selected = -1;
        for (const auto& [text, id] : entries) {
            // Editing shows the stored type; adding may start from a chosen one.
            if (selected < 0 && !typeId_.empty() && id == typeId_) {
                selected = types_->count();
            }
            types_->addItem(text, QByteArray::fromStdString(id));
        }
        if (adding_ && selected < 0 && types_->count() > 0) {
            selected = 0;
        }
        types_->setCurrentIndex(selected);
    }
    noTypes_->setVisible(types_->count() == 0);

    // A stored date that does not read as one shows as now; the pickers have no empty state.
    const DateTime shown = when_.IsValid() ? when_ : FromLocalNow();
    date_->setDate(shown.Date());
    time_->setTime(shown.Time());
    shownDate_ = date_->date();
    shownTime_ = time_->time();
    descriptionField_->setPlainText(FromStoredText(FromStoredLines(description_)));
    // Typing goes on after what is there, such as the number of a call being logged.
    descriptionField_->moveCursor(QTextCursor::End);
    if (startInDescription_) {
        descriptionField_->setFocus(Qt::OtherFocusReason);
    }
    UpdateOk();
}

void ContactDialog::Reload(DateTime when, const std::string& description, const RecordId& typeId) {
    ++reloads_;
    when_ = when;
    description_ = description;
    typeId_ = typeId;
    {
        const QSignalBlocker block(types_);
        types_->clear();
    }
    started_ = false;
    Start();
}

void ContactDialog::showEvent(QShowEvent* event) {
    // Showing also centres the dialog over its owner's window (QDialog does so unless moved).
    Start();
    QDialog::showEvent(event);
}

void ContactDialog::UpdateOk() {
    // Without a type the contact could not be stored.
    ok_->setEnabled(!descriptionField_->toPlainText().isEmpty() && types_->currentIndex() >= 0);
}

bool ContactDialog::WhenChanged() const {
    return date_->date() != shownDate_ || time_->time() != shownTime_;
}

void ContactDialog::done(int result) {
    if (result == Accepted) {
        if (!ok_->isEnabled()) {
            return;
        }
        const DateTime before = when_;
        const std::string description = description_;
        const RecordId typeId = typeId_;
        when_ = DateTime::FromDateAndTime(date_->date(), time_->time());
        description_ = ToStoredLinesText(descriptionField_->toPlainText(), description_);
        typeId_ = types_->currentData().toByteArray().toStdString();
        const int reloads = reloads_;
        if (save_ && !save_(*this)) {
            // Still the values the dialog was given, for the next OK to compare against,
            // unless the saver gave it new ones.
            if (reloads == reloads_) {
                when_ = before;
                description_ = description;
                typeId_ = typeId;
            }
            return;
        }
        types_->clear();
        QDialog::done(Ok);
        return;
    }
    types_->clear();
    QDialog::done(Cancel);
}
