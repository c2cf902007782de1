#include "ReportDialogs.h"

#include <unordered_set>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QItemSelection>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "DateTimeFields.h"
#include "DialogUnits.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "RecordEditing.h"
#include "SQLException.h"
#include "StoredText.h"

namespace reports {

namespace {

using platform::MessageIcon;

// Control numbers, for the pop-up help.
enum Control {
    kList = 1040,
    kSelectAll = 1041,
    kHelp = 1042,
    kBeginning = 1043,
    kEnding = 1044,
    kFirstOption = 1045,  // recipient Title, Company, Position; return Title, Company, Position
};

constexpr int kButtonX = 186;

// The texts of the helpers below.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(reports::ReportDialogs)
};

QGroupBox* AddGroup(QWidget* parent, const platform::DialogUnits& units, const QString& title,
                    int x, int y, int w, int h) {
    auto* group = new QGroupBox(title, parent);
    units.Place(group, x, y, w, h);
    return group;
}

// The label comes marked in the Texts context.
QDateEdit* AddDatePicker(QWidget* parent, const platform::DialogUnits& units, const char* label,
                         int id, int y) {
    auto* text = new QLabel(Texts::tr(label), parent);
    units.Place(text, 16, y + 2, 68, 8);
    auto* picker = new platform::DateField(parent);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(DisplayDateFormat());
    picker->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    picker->setDate(QDate::currentDate());
    platform::SetControlId(picker, id);
    units.Place(picker, 86, y, 84, 12);
    text->setBuddy(picker);
    return picker;
}

}  // namespace

QWidget* DialogOwner(QWidget* owner) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : owner;
}

// ---- PersonPickDialog

PersonPickDialog::PersonPickDialog(QWidget* owner, const std::string& path, const QString& title,
                                   int width, int height, int listHeight, const char* selectAllText,
                                   const char* noneText, const char* helpTopic)
    : QDialog(owner, platform::kDialogFlags), path_(path), noneText_(tr(noneText)) {
    setFont(platform::DialogFont());
    setWindowTitle(title);
    const platform::DialogUnits units(font());
    setFixedSize(units.X(width), units.Y(height));

    AddGroup(this, units, tr("Persons To Include"), 7, 4, 172, listHeight);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The names come in the main list's order; the list's own sort would put them by code
    // point.
    list_->setSortingEnabled(false);
    platform::SetControlId(list_, kList);
    list_->setAccessibleName(tr("Persons To Include"));
    list_->setAccessibleDescription(
        tr("The persons the report is printed for; select one or more."));
    units.Place(list_, 14, 17, 158, listHeight - 30);
    selectAll_ = new QCheckBox(tr(selectAllText), this);
    platform::SetControlId(selectAll_, kSelectAll);
    units.Place(selectAll_, 14, 4 + listHeight - 13, 100, 10);

    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                kButtonX, 7, 57, 14);
    ok_->setDefault(true);
    cancel_ =
        platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2,
                              kButtonX, 24, 57, 14);
    help_ =
        platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "&Help..."),
                              kHelp, kButtonX, 41, 57, 14);

    connect(selectAll_, &QCheckBox::toggled, this, [this](bool checked) {
        // Clearing the box keeps the selection as it is.
        if (checked) {
            list_->selectAll();
        }
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    const QString topic = QString::fromLatin1(helpTopic);
    connect(help_, &QPushButton::clicked, this,
            [this, topic] { help::ShowTopic(this, help::TopicReference(topic)); });
    Fill();
}

void PersonPickDialog::InstallPopups(std::vector<std::pair<int, int>> extra) {
    help::PopupTable table = {
        {kList, 3000}, {kSelectAll, 3004}, {1, 1000}, {2, 1001}, {kHelp, 1002}};
    for (const auto& [control, popup] : extra) {
        table.push_back({control, popup});
    }
    table.push_back({0, 0});
    help::InstallPopupHelp(this, help::HelpFilePath(), table);
}

void PersonPickDialog::Fill() {
    std::vector<NameEntry> names;
    try {
        LoadNameList(path_, names);
    } catch (const std::exception& e) {
        platform::ShowDatabaseFailure(
            this, e.what(), QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Names"),
            MessageIcon::Error);
    }
    for (const NameEntry& entry : names) {
        auto* item = new QListWidgetItem(FromStoredText(entry.name));
        item->setData(Qt::UserRole, QByteArray::fromStdString(entry.id));
        list_->addItem(item);
    }
}

void PersonPickDialog::Preselect(const std::vector<RecordId>& ids) {
    const std::unordered_set<RecordId> wanted(ids.begin(), ids.end());
    // One selection change for the whole list, not one per person.
    QItemSelection selection;
    int chosen = 0;
    for (int i = 0; i < list_->count(); ++i) {
        const RecordId id = list_->item(i)->data(Qt::UserRole).toByteArray().toStdString();
        if (wanted.count(id) > 0) {
            const QModelIndex index = list_->model()->index(i, 0);
            selection.select(index, index);
            ++chosen;
        }
    }
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    // Every person chosen is what Select All says.
    if (chosen > 0 && chosen == list_->count()) {
        const QSignalBlocker quiet(selectAll_);
        selectAll_->setChecked(true);
    }
}

void PersonPickDialog::done(int result) {
    if (result != Accepted) {
        QDialog::done(result);
        return;
    }
    std::vector<RecordId> ids;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->isSelected()) {
            ids.push_back(list_->item(i)->data(Qt::UserRole).toByteArray().toStdString());
        }
    }
    if (ids.empty()) {
        platform::ShowMessage(this, noneText_, tr("Select Names"), MessageIcon::Information);
        return;
    }
    if (!CheckValues()) {
        return;
    }
    TakeValues();
    std::vector<PersonRecord> chosen;
    try {
        LoadChosenPersons(path_, ids, chosen);
    } catch (const std::exception& e) {
        platform::ShowDatabaseFailure(
            this, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Selecting Address Book Names"),
            MessageIcon::Error);
        return;
    }
    chosen_ = std::move(chosen);
    QDialog::done(result);
}

// ---- The three dialogs

AddressBookDialog::AddressBookDialog(QWidget* owner, const std::string& path)
    : PersonPickDialog(
          owner, path, tr("Address Book Printout"), 250, 170, 159,
          QT_TRANSLATE_NOOP("reports::PersonPickDialog", "Select All"),
          QT_TRANSLATE_NOOP("reports::PersonPickDialog",
                            "You must select at least one person to add to the address book."),
          help::kAddressBookReportTopic) {
    InstallPopups({});
}

ContactsDialog::ContactsDialog(QWidget* owner, const std::string& path)
    : PersonPickDialog(
          owner, path, tr("Contacts Printout"), 250, 216, 150,
          QT_TRANSLATE_NOOP("reports::PersonPickDialog", "&Select All"),
          QT_TRANSLATE_NOOP("reports::PersonPickDialog",
                            "You must select at least one person to add to the address book."),
          help::kContactsReportTopic) {
    const platform::DialogUnits units(font());
    AddGroup(this, units, tr("Contacts To Include"), 7, 158, 172, 51);
    beginningPicker_ =
        AddDatePicker(this, units, QT_TRANSLATE_NOOP("reports::ReportDialogs", "&Beginning Date:"),
                      kBeginning, 173);
    endingPicker_ = AddDatePicker(
        this, units, QT_TRANSLATE_NOOP("reports::ReportDialogs", "&Ending Date:"), kEnding, 190);
    InstallPopups({{kBeginning, 3002}, {kEnding, 3003}});
}

void ContactsDialog::TakeValues() {
    const QDate from = beginningPicker_->date();
    const QDate to = endingPicker_->date();
    beginning_ = DateTime::FromFields(from.year(), from.month(), from.day(), 0, 0, 0);
    ending_ = DateTime::FromFields(to.year(), to.month(), to.day(), 23, 59, 59);
}

EnvelopeDialog::EnvelopeDialog(QWidget* owner, const std::string& path,
                               const EnvelopeOptions& options)
    : PersonPickDialog(
          owner, path, tr("Envelope Printout"), 250, 232, 150,
          QT_TRANSLATE_NOOP("reports::PersonPickDialog", "Select All"),
          QT_TRANSLATE_NOOP("reports::PersonPickDialog",
                            "You must select at least one person for whom to print an envelope."),
          help::kEnvelopeReportTopic),
      options_(options) {
    const platform::DialogUnits units(font());
    AddGroup(this, units, tr("Extra Information"), 7, 158, 236, 67);
    AddGroup(this, units, tr("Recipient"), 14, 170, 108, 50);
    AddGroup(this, units, tr("Return Address"), 128, 170, 108, 50);
    const bool values[6] = {options.recipientTitle,    options.recipientCompany,
                            options.recipientPosition, options.returnTitle,
                            options.returnCompany,     options.returnPosition};
    const char* const texts[3] = {QT_TR_NOOP("Title"), QT_TR_NOOP("Company"),
                                  QT_TR_NOOP("Position")};
    // The two groups have the same three boxes: a screen reader hears which group each is in.
    const char* const names[6] = {
        QT_TR_NOOP("Recipient Title"),        QT_TR_NOOP("Recipient Company"),
        QT_TR_NOOP("Recipient Position"),     QT_TR_NOOP("Return Address Title"),
        QT_TR_NOOP("Return Address Company"), QT_TR_NOOP("Return Address Position")};
    for (int i = 0; i < 6; ++i) {
        boxes_[i] = new QCheckBox(tr(texts[i % 3]), this);
        boxes_[i]->setAccessibleName(tr(names[i]));
        boxes_[i]->setChecked(values[i]);
        platform::SetControlId(boxes_[i], kFirstOption + i);
        units.Place(boxes_[i], i < 3 ? 22 : 136, 182 + 12 * (i % 3), 90, 10);
    }
    InstallPopups({{kFirstOption, 3007},
                   {kFirstOption + 1, 3008},
                   {kFirstOption + 2, 3009},
                   {kFirstOption + 3, 3010},
                   {kFirstOption + 4, 3011},
                   {kFirstOption + 5, 3012}});
}

void EnvelopeDialog::TakeValues() {
    options_.recipientTitle = boxes_[0]->isChecked();
    options_.recipientCompany = boxes_[1]->isChecked();
    options_.recipientPosition = boxes_[2]->isChecked();
    options_.returnTitle = boxes_[3]->isChecked();
    options_.returnCompany = boxes_[4]->isChecked();
    options_.returnPosition = boxes_[5]->isChecked();
}

// ---- The commands

std::optional<ReportRequest> ChooseAddressBook(QWidget* owner, const std::string& path,
                                               const std::vector<RecordId>& preselect) {
    AddressBookDialog dialog(DialogOwner(owner), path);
    dialog.Preselect(preselect);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    ReportRequest request;
    request.kind = ReportKind::AddressBook;
    request.persons = dialog.Chosen();
    return request;
}

std::optional<ReportRequest> ChooseContacts(QWidget* owner, const std::string& path,
                                            const std::vector<RecordId>& preselect) {
    ContactsDialog dialog(DialogOwner(owner), path);
    dialog.Preselect(preselect);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    ReportRequest request;
    request.kind = ReportKind::Contacts;
    request.persons = dialog.Chosen();
    request.beginning = dialog.Beginning();
    request.ending = dialog.Ending();
    try {
        LoadAllContacts(path, request.contacts);
    } catch (const std::exception& e) {
        platform::ShowDatabaseFailure(
            owner, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Contacts List"),
            MessageIcon::Error);
        return std::nullopt;
    }
    return request;
}

std::optional<ReportRequest> ChooseEnvelopes(QWidget* owner, const std::string& path,
                                             EnvelopeOptions& options,
                                             const std::vector<RecordId>& preselect) {
    EnvelopeDialog dialog(DialogOwner(owner), path, options);
    dialog.Preselect(preselect);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    options = dialog.Options();
    ReportRequest request;
    request.kind = ReportKind::Envelopes;
    request.persons = dialog.Chosen();
    request.options = options;
    try {
        editing::LoadUserRecord(path, request.user);
    } catch (const std::exception& e) {
        platform::ShowDatabaseFailure(
            nullptr, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading User Information"),
            MessageIcon::Error);
        return std::nullopt;
    }
    return request;
}

}  // namespace reports
