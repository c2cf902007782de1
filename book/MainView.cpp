#include "MainView.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>

#include "Commands.h"
#include "ContactTypesDialog.h"
#include "CurrentDatabase.h"
#include "DatabaseFailure.h"
#include "DialogUnits.h"
#include "ListModels.h"
#include "LocalText.h"
#include "MessageBox.h"
#include "RecordCommands.h"
#include "SQLException.h"

const char kNotAvailable[] = "Not Available";

namespace {

constexpr int kFormWidth = 507;
constexpr int kFormHeight = 291;

QString Text(const std::string& s) {
    return platform::FromLocal8Bit(s);
}

void ShowFailure(const cppsqlite3::SQLException& e, const char* caption) {
    ShowDatabaseFailure(nullptr, e, caption, platform::MessageIcon::None);
}

}  // namespace

MainView::MainView(QWidget* parent) : QWidget(parent) {
    setFont(platform::DialogFont());
    BuildForm();
    SetUpColumns();
    ShowPerson(RecordId());
    ShowContact(RecordId());
}

MainView::~MainView() = default;

// ---- Form

void MainView::Place(QWidget* widget, int x, int y, int w, int h, int group, int follow) {
    const platform::DialogUnits du(font());
    const QRect rect = du.Rect(x, y, w, h);
    widget->setGeometry(rect);
    placed_.push_back({widget, rect, group, follow});
}

QLineEdit* MainView::AddField(int id, int x, int y, int w, int h, int group) {
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    platform::SetControlId(field, id);
    controls_[id] = field;
    Place(field, x, y, w, h, group, MoveX | SizeX);
    return field;
}

QLabel* MainView::AddLabel(int id, const QString& text, int x, int y, int w, int group,
                           int follow) {
    auto* label = new QLabel(text, this);
    platform::SetControlId(label, id);
    controls_[id] = label;
    Place(label, x, y, w, 9, group, follow);
    return label;
}

QPushButton* MainView::AddValueButton(int id, int x, int y, int group) {
    auto* button = new QPushButton(this);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    platform::SetControlId(button, id);
    controls_[id] = button;
    Place(button, x, y, 117, 12, group, MoveX | SizeX);
    connect(button, &QPushButton::clicked, this,
            [this, button, id] { emit ValueActivated(id, button->property("value").toString()); });
    return button;
}

void MainView::BuildForm() {
    const platform::DialogUnits du(font());
    formSize_ = QSize(du.X(kFormWidth), du.Y(kFormHeight));
    setMinimumSize(formSize_);
    resize(formSize_);

    // Frames first, so the controls they surround lie above them.
    auto frame = [this](int id, const QString& caption, int x, int y, int w, int h, int group,
                        int follow) {
        auto* box = new QGroupBox(caption, this);
        platform::SetControlId(box, id);
        controls_[id] = box;
        Place(box, x, y, w, h, group, follow);
        return box;
    };
    frame(1166, QString(), 166, 0, 335, 24, 2, SizeX);
    frame(1153, QString(), 166, 22, 175, 99, 3, MoveX | SizeX);
    frame(1157, QString(), 346, 22, 156, 39, 3, MoveX | SizeX);
    frame(1154, QString(), 346, 58, 156, 63, 3, MoveX | SizeX);
    frame(1159, QStringLiteral("Contact Information"), 166, 125, 336, 160, 4,
          MoveX | SizeX | SizeY);

    auto list = [this](int id, int x, int y, int w, int h, int group, int follow) {
        auto* view = new QTreeView(this);
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setUniformRowHeights(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setAllColumnsShowFocus(true);
        view->setSortingEnabled(false);
        view->header()->setSectionsClickable(true);
        view->header()->setSectionsMovable(false);
        view->header()->setStretchLastSection(false);
        view->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        view->installEventFilter(this);
        platform::SetControlId(view, id);
        controls_[id] = view;
        Place(view, x, y, w, h, group, follow);
        return view;
    };
    personList_ = list(1006, 12, 7, 145, 280, 1, SizeY);
    personModel_ = new PersonListModel(this);
    personList_->setModel(personModel_);

    // Name row.
    AddLabel(1045, QStringLiteral("Title:"), 169, 10, 17, 2, 0);
    title_ = AddField(1027, 187, 8, 40, 12, 2);
    AddLabel(1036, QStringLiteral("First Name:"), 231, 10, 38, 2, MoveX);
    firstName_ = AddField(1028, 270, 8, 92, 12, 2);
    AddLabel(1041, QStringLiteral("Last Name:"), 366, 10, 38, 2, MoveX);
    lastName_ = AddField(1031, 405, 8, 90, 12, 2);

    // Phones.
    AddLabel(1062, QStringLiteral("Home Phone:"), 167, 31, 46, 3, MoveX);
    homePhone_ = AddValueButton(1009, 213, 29, 3);
    AddLabel(1064, QStringLiteral("Work Phone:"), 167, 44, 46, 3, MoveX);
    workPhone_ = AddValueButton(1012, 213, 42, 3);
    AddLabel(1068, QStringLiteral("Pager:"), 167, 57, 46, 3, MoveX);
    pager_ = AddValueButton(1015, 213, 55, 3);
    AddLabel(1039, QStringLiteral("Fax:"), 167, 70, 46, 3, MoveX);
    fax_ = new QLabel(this);
    fax_->setAlignment(Qt::AlignCenter);
    fax_->setTextFormat(Qt::PlainText);
    platform::SetControlId(fax_, 1016);
    controls_[1016] = fax_;
    Place(fax_, 213, 69, 117, 10, 3, MoveX | SizeX);
    AddLabel(1047, QStringLiteral("Cel Phone:"), 167, 82, 46, 3, MoveX);
    celPhone_ = AddValueButton(1018, 213, 80, 3);
    AddLabel(1040, QStringLiteral("E-Mail:"), 167, 94, 46, 3, MoveX);
    email_ = AddValueButton(1017, 213, 92, 3);
    AddLabel(1072, QStringLiteral("Web Page:"), 167, 107, 46, 3, MoveX);
    webPage_ = AddValueButton(1019, 213, 105, 3);

    // Company.
    AddLabel(1037, QStringLiteral("Company:"), 348, 31, 33, 3, MoveX);
    company_ = AddField(1023, 382, 29, 113, 12, 3);
    AddLabel(1042, QStringLiteral("Position:"), 348, 45, 33, 3, MoveX);
    position_ = AddField(1024, 382, 43, 113, 12, 3);

    // Address.
    QLabel* addressLabel = AddLabel(1032, QStringLiteral("&Address:"), 348, 68, 33, 3, MoveX);
    address_ = new QPlainTextEdit(this);
    address_->setReadOnly(true);
    address_->setLineWrapMode(QPlainTextEdit::NoWrap);
    address_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    address_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    platform::SetControlId(address_, 1026);
    controls_[1026] = address_;
    Place(address_, 382, 66, 113, 23, 3, MoveX | SizeX);
    addressLabel->setBuddy(address_);
    AddLabel(1033, QStringLiteral("&City:"), 348, 94, 33, 3, MoveX)
        ->setBuddy(city_ = AddField(1029, 382, 92, 113, 12, 3));
    AddLabel(1034, QStringLiteral("&State:"), 348, 108, 33, 3, MoveX)
        ->setBuddy(state_ = AddField(1030, 382, 106, 30, 12, 3));
    AddLabel(1079, QStringLiteral("&Zip:"), 415, 108, 18, 3, MoveX)
        ->setBuddy(zip_ = AddField(1025, 434, 106, 61, 12, 3));

    // Contact details.
    AddLabel(1043, QStringLiteral("Date:"), 172, 146, 27, 4, MoveX);
    date_ = AddField(1161, 200, 144, 90, 12, 4);
    AddLabel(1078, QStringLiteral("Time:"), 172, 160, 27, 4, MoveX);
    time_ = AddField(1162, 200, 158, 90, 12, 4);
    AddLabel(1044, QStringLiteral("Contact Type:"), 179, 175, 60, 4, MoveX);
    contactType_ = AddField(1163, 179, 185, 111, 12, 4);
    notes_ = new QPlainTextEdit(this);
    notes_->setReadOnly(true);
    notes_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    platform::SetControlId(notes_, 1165);
    controls_[1165] = notes_;
    Place(notes_, 297, 144, 194, 54, 4, MoveX | SizeX);
    contactList_ = list(1021, 172, 207, 325, 75, 4, MoveX | SizeX | SizeY);
    contactModel_ = new ContactListModel(this);
    contactList_->setModel(contactModel_);

    for (QLabel* label : findChildren<QLabel*>()) {
        if (label != fax_) {
            label->setTextFormat(Qt::PlainText);
        }
    }

    connect(personList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainView::OnPersonSelectionChanged);
    connect(contactList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainView::OnContactSelectionChanged);
    connect(personList_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        personOrder_ = column == 1 ? PersonOrder::ByCompany : PersonOrder::ByName;
        Reload();
    });
    connect(contactList_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        // "Time" and "Notes" keep the order.
        if (column == 0) {
            contactOrder_ = ContactOrder::ByDate;
        } else if (column == 2) {
            contactOrder_ = ContactOrder::ByType;
        }
        ReloadContacts(currentPersonId_);
    });
    connect(personList_, &QTreeView::doubleClicked, this, [this] {
        if (selectedPersonRow_ >= 0) {
            SendCommand(cmd::kEditPerson);
        }
    });
    connect(contactList_, &QTreeView::doubleClicked, this, [this] {
        if (selectedContactRow_ >= 0) {
            SendCommand(cmd::kEditContact);
        }
    });
}

// The client width of a list from its placed size; the viewport is not laid out before the
// first show.
static int ClientWidth(const QTreeView* list) {
    return list->width() - 2 * list->frameWidth();
}

void MainView::SetUpColumns() {
    const int personWidth = ClientWidth(personList_);
    personList_->setColumnWidth(0, personWidth / 2);
    personList_->setColumnWidth(1, personWidth - personList_->columnWidth(0));
    contactList_->setColumnWidth(0, 75);
    contactList_->setColumnWidth(1, 75);
    contactList_->setColumnWidth(2, 85);
    contactList_->setColumnWidth(3, std::max(0, ClientWidth(contactList_) - 235));
}

void MainView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int dx = std::max(0, width() - formSize_.width());
    const int dy = std::max(0, height() - formSize_.height());
    // Within a group the controls share the new width in proportion to where they stand.
    std::map<int, std::pair<int, int>> spans;
    for (const Placed& p : placed_) {
        auto it = spans.find(p.group);
        if (it == spans.end()) {
            spans[p.group] = {p.designed.left(), p.designed.left() + p.designed.width()};
        } else {
            it->second.first = std::min(it->second.first, p.designed.left());
            it->second.second = std::max(it->second.second, p.designed.left() + p.designed.width());
        }
    }
    for (const Placed& p : placed_) {
        const auto [left, right] = spans[p.group];
        const double span = right - left;
        const double ratio = span > 0 && p.group != 1 ? (span + dx) / span : 1.0;
        const int x0 = p.designed.left();
        const int x1 = p.designed.left() + p.designed.width();
        int newLeft = x0;
        if (p.follow & MoveX) {
            newLeft = left + int((x0 - left) * ratio + 0.5);
        }
        int newRight = newLeft + p.designed.width();
        if (p.follow & SizeX) {
            newRight = left + int((x1 - left) * ratio + 0.5);
        }
        const int newHeight = p.designed.height() + ((p.follow & SizeY) ? dy : 0);
        p.widget->setGeometry(newLeft, p.designed.top(), newRight - newLeft, newHeight);
    }
    contactList_->setColumnWidth(
        3, std::max(0, ClientWidth(contactList_) - contactList_->columnWidth(0) -
                           contactList_->columnWidth(1) - contactList_->columnWidth(2)));
}

QWidget* MainView::Control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

// ---- Loading

void MainView::SelectRow(QTreeView* list, int row) {
    QItemSelectionModel* selection = list->selectionModel();
    const QSignalBlocker block(selection);
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = list->model()->index(row, 0);
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index);
    list->viewport()->update();
}

// Fills the list and finds the selection again: the remembered identifier's row if it is still
// there, else the row at the old position, else none.
template <typename Model, typename Row>
void MainView::Reselect(QTreeView* list, Model& model, std::vector<Row> rows,
                        const RecordId& remembered, int& selectedRow, RecordId& currentId) {
    {
        const QSignalBlocker block(list->selectionModel());
        model.SetRows(std::move(rows));
    }
    const int match = model.Find(remembered);
    if (match >= 0) {
        selectedRow = match;
    }
    const int count = static_cast<int>(model.Rows().size());
    if (selectedRow >= 0 && selectedRow < count) {
        SelectRow(list, selectedRow);
        currentId = model.Rows()[selectedRow].id;
    } else {
        SelectRow(list, -1);
        selectedRow = -1;
        currentId.clear();
    }
}

void MainView::Reload() {
    const RecordId remembered = currentPersonId_;
    personList_->setUpdatesEnabled(false);
    std::vector<PersonRow> rows;
    // With no file open there is nothing to read; the lists stay empty.
    if (!CurrentDatabasePath.empty()) {
        try {
            LoadPersonList(CurrentDatabasePath, personOrder_, rows);
        } catch (const cppsqlite3::SQLException& e) {
            ShowFailure(e, "Error Loading Address Book");
        }
    }
    Reselect(personList_, *personModel_, std::move(rows), remembered, selectedPersonRow_,
             currentPersonId_);
    if (selectedPersonRow_ >= 0) {
        personList_->setFocus();
    }
    ShowPerson(currentPersonId_);
    ReloadContacts(currentPersonId_);
    personList_->setUpdatesEnabled(true);
    emit StateChanged();
}

void MainView::SetValue(QWidget* control, const std::string& value) {
    const QString text = Text(value);
    const bool empty = value.empty();
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QString shown = empty ? QString::fromLatin1(kNotAvailable) : text;
        // A button would take "&" for a mnemonic.
        button->setText(shown.replace(QLatin1Char('&'), QLatin1String("&&")));
        button->setProperty("value", empty ? QString() : text);
        button->setToolTip(empty ? QString() : text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(empty ? QString::fromLatin1(kNotAvailable) : text);
    }
    control->setEnabled(!empty);
}

void MainView::ShowPerson(const RecordId& id) {
    if (id.empty()) {
        for (QLineEdit* field :
             {title_, firstName_, lastName_, company_, position_, city_, state_, zip_}) {
            field->clear();
        }
        address_->clear();
        for (QWidget* control : std::initializer_list<QWidget*>{homePhone_, workPhone_, celPhone_,
                                                                pager_, fax_, email_, webPage_}) {
            SetValue(control, std::string());
        }
        return;
    }
    PersonRecord p;
    try {
        if (!LoadPerson(CurrentDatabasePath, id, p)) {
            return;
        }
    } catch (const cppsqlite3::SQLException& e) {
        ShowFailure(e, "Error Address Entry Information");
        return;
    }
    auto set = [](QLineEdit* field, const std::string& value) {
        field->setText(Text(value));
        field->setCursorPosition(0);
    };
    set(title_, p[PersonRecord::Title]);
    set(firstName_, p[PersonRecord::FName]);
    set(lastName_, p[PersonRecord::LName]);
    set(company_, p[PersonRecord::Company]);
    set(position_, p[PersonRecord::Position]);
    address_->setPlainText(Text(FromStoredLines(p[PersonRecord::Addr])));
    set(city_, p[PersonRecord::City]);
    set(state_, p[PersonRecord::State]);
    set(zip_, p[PersonRecord::Zip]);
    SetValue(homePhone_, p[PersonRecord::HmPhone]);
    SetValue(workPhone_, WorkPhoneText(p[PersonRecord::WkPhone], p[PersonRecord::WkExt]));
    SetValue(celPhone_, p[PersonRecord::CelPhone]);
    SetValue(pager_, p[PersonRecord::Pager]);
    SetValue(fax_, p[PersonRecord::WkFax]);
    SetValue(email_, p[PersonRecord::Email]);
    SetValue(webPage_, p[PersonRecord::WebPage]);
}

void MainView::ReloadContacts(const RecordId& personId) {
    const RecordId remembered = currentContactId_;
    contactList_->setUpdatesEnabled(false);
    std::vector<ContactRow> rows;
    if (!CurrentDatabasePath.empty()) {
        try {
            LoadContactList(CurrentDatabasePath, personId, contactOrder_, rows);
        } catch (const cppsqlite3::SQLException& e) {
            ShowFailure(e, "Error Loading Contacts List");
        }
    }
    Reselect(contactList_, *contactModel_, std::move(rows), remembered, selectedContactRow_,
             currentContactId_);
    contactList_->setUpdatesEnabled(true);
    ShowContact(currentContactId_);
}

void MainView::ShowContact(const RecordId& id) {
    if (id.empty()) {
        notes_->clear();
        contactType_->clear();
        const DateTime now = FromLocalNow();
        date_->setText(Text(FormatDisplayDate(now)));
        time_->setText(Text(FormatDisplayTime(now)));
        return;
    }
    ContactDetails c;
    try {
        if (!LoadContact(CurrentDatabasePath, id, c)) {
            return;
        }
    } catch (const cppsqlite3::SQLException& e) {
        ShowFailure(e, "Error Loading Contact Entry Information");
        return;
    }
    notes_->setPlainText(Text(FromStoredLines(c.notes)));
    date_->setText(Text(FormatDisplayDate(c.when)));
    time_->setText(Text(FormatDisplayTime(c.when)));
    contactType_->setText(Text(c.type));
}

void MainView::SetSelection(int personRow, const RecordId& personId, int contactRow,
                            const RecordId& contactId) {
    selectedPersonRow_ = personRow;
    currentPersonId_ = personId;
    selectedContactRow_ = contactRow;
    currentContactId_ = contactId;
    emit StateChanged();
}

template <typename Model>
static void DropRow(QTreeView* list, Model& model, int& selectedRow, RecordId& currentId) {
    auto rows = model.Rows();
    if (selectedRow < 0 || selectedRow >= static_cast<int>(rows.size())) {
        return;
    }
    rows.erase(rows.begin() + selectedRow);
    {
        const QSignalBlocker block(list->selectionModel());
        model.SetRows(std::move(rows));
    }
    if (model.Rows().empty()) {
        selectedRow = -1;
        currentId.clear();
    } else {
        selectedRow = std::max(0, selectedRow - 1);
        currentId = model.Rows()[selectedRow].id;
    }
}

void MainView::DropSelectedPerson() {
    DropRow(personList_, *personModel_, selectedPersonRow_, currentPersonId_);
    SelectRow(personList_, selectedPersonRow_);
}

void MainView::DropSelectedContact() {
    DropRow(contactList_, *contactModel_, selectedContactRow_, currentContactId_);
    SelectRow(contactList_, selectedContactRow_);
    if (selectedContactRow_ >= 0) {
        contactList_->setFocus();
    }
}

// ---- Selection

// The row the user selected and its identifier; -1 and empty when the selection went.
template <typename Model>
static void ReadSelection(const QTreeView* list, const Model& model, int& row, RecordId& id) {
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    row = rows.isEmpty() ? -1 : rows.first().row();
    if (row < 0) {
        id.clear();
    } else {
        id = model.Rows()[row].id;
    }
}

void MainView::OnPersonSelectionChanged() {
    ReadSelection(personList_, *personModel_, selectedPersonRow_, currentPersonId_);
    ShowPerson(currentPersonId_);
    ReloadContacts(currentPersonId_);
    emit StateChanged();
}

void MainView::OnContactSelectionChanged() {
    ReadSelection(contactList_, *contactModel_, selectedContactRow_, currentContactId_);
    ShowContact(currentContactId_);
    emit StateChanged();
}

// ---- Commands

bool MainView::RulesCommand(int command) {
    switch (command) {
        case cmd::kAddPerson:
        case cmd::kEditUser:
        case cmd::kContactTypes:
        case cmd::kEditPerson:
        case cmd::kDeletePerson:
        case cmd::kAddContact:
        case cmd::kAddressBookReport:
        case cmd::kEnvelopesReport:
        case cmd::kExportPersons:
        case cmd::kEditContact:
        case cmd::kDeleteContact:
        case cmd::kContactsReport:
        case cmd::kExportContacts:
            return true;
        default:
            return false;
    }
}

bool MainView::IsCommandEnabled(int command) const {
    switch (command) {
        case cmd::kAddPerson:
        case cmd::kEditUser:
        case cmd::kContactTypes:
            return !CurrentDatabasePath.empty();
        case cmd::kEditPerson:
        case cmd::kDeletePerson:
        case cmd::kAddContact:
        case cmd::kAddressBookReport:
        case cmd::kEnvelopesReport:
        case cmd::kExportPersons:
            return !currentPersonId_.empty();
        case cmd::kEditContact:
        case cmd::kDeleteContact:
        case cmd::kContactsReport:
        case cmd::kExportContacts:
            return !currentContactId_.empty();
        default:
            return false;
    }
}

bool MainView::HandleCommand(int command) {
    switch (command) {
        case cmd::kHelpMode:
            EnterHelpMode();
            return true;
        case cmd::kContactTypes:
            // The list reports whether it ended with "&Close"; only then has anything changed.
            if (RunContactTypes(this)) {
                Reload();
            }
            return true;
        case cmd::kAddPerson:
            record_commands::AddPerson(*this);
            return true;
        case cmd::kEditPerson:
            record_commands::EditPerson(*this);
            return true;
        case cmd::kDeletePerson:
            record_commands::DeletePerson(*this);
            return true;
        case cmd::kAddContact:
            record_commands::AddContact(*this);
            return true;
        case cmd::kEditContact:
            record_commands::EditContact(*this);
            return true;
        case cmd::kDeleteContact:
            record_commands::DeleteContact(*this);
            return true;
        case cmd::kEditUser:
            record_commands::EditUser(*this);
            return true;
        case cmd::kAddressBookReport:
        case cmd::kContactsReport:
        case cmd::kEnvelopesReport:
        case cmd::kImportPersons:
        case cmd::kExportPersons:
        case cmd::kExportContacts:
            // Carried out by the reports and transfers that listen for it.
            emit RecordCommand(command);
            return true;
        default:
            return false;
    }
}

void MainView::SendCommand(int command) {
    HandleCommand(command);
}

bool MainView::ListKey(QTreeView* list, QEvent* event) {
    const bool persons = list == personList_;
    const bool selected = persons ? selectedPersonRow_ >= 0 : selectedContactRow_ >= 0;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        // Ctrl pressed and released alone opens the editor; Ctrl as part of a shortcut does not.
        if (key->key() == Qt::Key_Control && ctrlAlone_ && !key->isAutoRepeat()) {
            ctrlAlone_ = false;
            if (selected) {
                SendCommand(persons ? cmd::kEditPerson : cmd::kEditContact);
            }
            return true;
        }
        return false;
    }
    if (key->key() == Qt::Key_Control) {
        ctrlAlone_ = !key->isAutoRepeat() || ctrlAlone_;
        return false;
    }
    ctrlAlone_ = false;
    switch (key->key()) {
        case Qt::Key_Delete:
            if (selected) {
                SendCommand(persons ? cmd::kDeletePerson : cmd::kDeleteContact);
            }
            return true;
        case Qt::Key_Insert:
            if (persons) {
                SendCommand(cmd::kAddPerson);
            } else if (!currentPersonId_.empty()) {
                SendCommand(cmd::kAddContact);
            }
            return true;
        default:
            return false;
    }
}

bool MainView::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        (watched == personList_ || watched == contactList_)) {
        if (ListKey(static_cast<QTreeView*>(watched), event)) {
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        ctrlAlone_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Help mode

void MainView::EnterHelpMode() {
    helpMode_ = true;
    grabMouse(QCursor(Qt::WhatsThisCursor));
}

void MainView::mouseReleaseEvent(QMouseEvent* event) {
    if (!helpMode_ || event->button() != Qt::LeftButton) {
        unsetCursor();
        QWidget::mouseReleaseEvent(event);
        return;
    }
    helpMode_ = false;
    releaseMouse();
    unsetCursor();
    // The control under the pointer; frames are transparent and give no control.
    QWidget* control = nullptr;
    for (QWidget* w = childAt(event->position().toPoint()); w && w != this; w = w->parentWidget()) {
        if (platform::ControlId(w) != 0) {
            control = qobject_cast<QGroupBox*>(w) ? nullptr : w;
            break;
        }
    }
    if (control) {
        emit HelpRequested(control);
    }
}
