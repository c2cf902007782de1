#include "MainView.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QPointer>

#include "Commands.h"
#include "DialogUnits.h"
#include "ListModels.h"
#include "MainViewForm.h"
#include "MessageBox.h"
#include "RecordCommands.h"
#include "SQLException.h"
#include "StoredText.h"
#include "ValueActions.h"

const char kNotAvailable[] = "Not Available";

namespace {

using record_commands::Context;
using record_commands::ViewUpdate;

// Gives the keyboard focus back to the control that had it when the command began.
class FocusKeeper {
public:
    FocusKeeper() : widget_(QApplication::focusWidget()) {}
    ~FocusKeeper() {
        if (widget_) {
            widget_->setFocus();
        }
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> widget_;
};

// What a record command needs before it is offered.
enum class Needs {
    NotRuled,  // always offered; the view does not rule it
    File,
    Person,
    Contact,
    Undo,      // a delete of this file's to take back
    LastCall,  // a call, mail or visit just made, still to log
};

// The record commands the view receives: when each is offered and who carries it out.
struct ViewCommand {
    int command;
    Needs needs;
    // Null: carried out by the reports and transfers, which hear of it through RecordCommand.
    record_commands::Outcome (*run)(const Context&);
    // The focus goes back where the command found it, after the view is up to date.
    bool keepsFocus;
};

const ViewCommand kViewCommands[] = {
    {cmd::kAddPerson, Needs::File, record_commands::AddPerson, true},
    {cmd::kEditUser, Needs::File, record_commands::EditUser, false},
    {cmd::kContactTypes, Needs::File, record_commands::EditContactTypes, false},
    {cmd::kEditPerson, Needs::Person, record_commands::EditPerson, true},
    {cmd::kDeletePerson, Needs::Person, record_commands::DeletePerson, true},
    {cmd::kAddContact, Needs::Person, record_commands::AddContact, true},
    {cmd::kAddressBookReport, Needs::Person, nullptr, false},
    {cmd::kEnvelopesReport, Needs::Person, nullptr, false},
    {cmd::kExportPersons, Needs::Person, nullptr, false},
    {cmd::kEditContact, Needs::Contact, record_commands::EditContact, true},
    {cmd::kDeleteContact, Needs::Contact, record_commands::DeleteContact, true},
    {cmd::kContactsReport, Needs::Contact, nullptr, false},
    {cmd::kExportContacts, Needs::Contact, nullptr, false},
    {cmd::kImportPersons, Needs::NotRuled, nullptr, false},
    {cmd::kImportVCard, Needs::File, nullptr, false},
    {cmd::kExportVCard, Needs::Person, nullptr, false},
};

const ViewCommand* FindViewCommand(int command) {
    if (command == cmd::kUndoDelete) {
        static const ViewCommand undo{cmd::kUndoDelete, Needs::Undo, nullptr, true};
        return &undo;
    }
    if (command == cmd::kLogLastCall) {
        static const ViewCommand log{cmd::kLogLastCall, Needs::LastCall, nullptr, true};
        return &log;
    }
    for (const ViewCommand& entry : kViewCommands) {
        if (entry.command == command) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

MainView::MainView(QWidget* parent) : QWidget(parent) {
    setFont(platform::DialogFont());
    // The person list and the details, split by a handle the user can drag; the details scroll
    // when the window is smaller than their form.
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(false);
    auto* listPane = new QWidget(splitter_);
    detailsScroll_ = new QScrollArea(splitter_);
    detailsScroll_->setFrameShape(QFrame::NoFrame);
    detailsScroll_->setWidgetResizable(true);
    details_ = new QWidget;
    form_ = std::make_unique<MainViewForm>(listPane, details_);
    details_->setMinimumSize(form_->DetailsSize());
    detailsScroll_->setWidget(details_);
    details_->installEventFilter(this);
    const platform::DialogUnits du(font());
    auto* listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(du.X(12), du.Y(7), du.X(4), du.Y(4));
    listLayout->setSpacing(du.Y(3));
    // The search field: the list shows only the persons it finds as the user types.
    search_ = new QLineEdit(listPane);
    search_->setPlaceholderText(QStringLiteral("Search (Ctrl+F)"));
    search_->setClearButtonEnabled(true);
    search_->setToolTip(
        QStringLiteral("Shows the persons whose fields or contact notes hold every word typed. "
                       "company:, city:, email:, phone: and note: limit a word to those fields."));
    search_->installEventFilter(this);
    platform::SetControlId(search_, kSearchFieldId);
    listLayout->addWidget(search_);
    listLayout->addWidget(form_->personList);
    splitter_->addWidget(listPane);
    splitter_->addWidget(detailsScroll_);
    // A wider window widens the list too, the details more.
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 2);
    splitter_->setSizes({form_->ListPaneSize().width(), form_->DetailsSize().width()});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
    resize(form_->Size());

    personModel_ = new PersonListModel(this);
    form_->personList->setModel(personModel_);
    contactModel_ = new ContactListModel(this);
    form_->contactList->setModel(contactModel_);
    QTreeView* persons = form_->personList;
    QTreeView* contacts = form_->contactList;
    persons->installEventFilter(this);
    contacts->installEventFilter(this);
    // A click while Ctrl is down is a selection, not the lone Ctrl that opens the editor.
    persons->viewport()->installEventFilter(this);
    contacts->viewport()->installEventFilter(this);
    form_->SetUpColumns();
    for (QTreeView* list : {persons, contacts}) {
        list->header()->setSortIndicatorShown(true);
    }
    persons->header()->setSortIndicator(0, Qt::AscendingOrder);
    contacts->header()->setSortIndicator(0, Qt::DescendingOrder);

    for (QPushButton* button : {form_->homePhone, form_->workPhone, form_->pager, form_->celPhone,
                                form_->email, form_->webPage}) {
        const int id = platform::ControlId(button);
        connect(button, &QPushButton::clicked, this, [this, button, id] {
            emit ValueActivated(id, button->property("value").toString());
        });
    }
    connect(persons->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainView::OnPersonSelectionChanged);
    connect(contacts->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainView::OnContactSelectionChanged);
    connect(persons->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortBy(true, column); });
    connect(search_, &QLineEdit::textChanged, this, &MainView::OnSearchEdited);
    noMatch_ = new QLabel(persons->viewport());
    noMatch_->setAlignment(Qt::AlignCenter);
    noMatch_->setWordWrap(true);
    noMatch_->setTextFormat(Qt::PlainText);
    noMatch_->setEnabled(false);
    noMatch_->hide();
    connect(contacts->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortBy(false, column); });
    connect(persons, &QTreeView::doubleClicked, this, [this] {
        if (selectedPersonRow_ >= 0) {
            SendCommand(cmd::kEditPerson);
        }
    });
    connect(contacts, &QTreeView::doubleClicked, this, [this] {
        if (selectedContactRow_ >= 0) {
            SendCommand(cmd::kEditContact);
        }
    });

    // F1 on a control shows its pop-up help.
    help::InstallPopupHelp(this, help::HelpFilePath(), Popups());

    ShowPerson(RecordId());
    ShowContact(RecordId());
}

MainView::~MainView() = default;

const help::PopupTable& MainView::Popups() {
    static const help::PopupTable table = {
        {1006, 1200}, {1045, 1205},           {1027, 1205}, {1028, 1201}, {1036, 1201},
        {1031, 1202}, {1041, 1202},           {1023, 1203}, {1037, 1203}, {1024, 1204},
        {1042, 1204}, {1026, 1207},           {1032, 1207}, {1029, 1209}, {1033, 1209},
        {1030, 1210}, {1034, 1210},           {1025, 1211}, {1079, 1211}, {1009, 1220},
        {1062, 1220}, {1012, 1221},           {1064, 1221}, {1015, 1226}, {1068, 1226},
        {1018, 1225}, {1047, 1225},           {1016, 1223}, {1039, 1223}, {1017, 1224},
        {1040, 1224}, {1019, 1227},           {1072, 1227}, {1165, 2001}, {1161, 2002},
        {1043, 2002}, {1162, 2004},           {1078, 2004}, {1163, 2003}, {1044, 2003},
        {1021, 2000}, {kSearchFieldId, 1230}, {0, 0},
    };
    return table;
}

QSize MainView::sizeHint() const {
    // The whole form beside the list, with the handle between, where the screen has room.
    const QSize list = form_->ListPaneSize();
    const QSize details = form_->DetailsSize();
    const int frame = 2 * detailsScroll_->frameWidth();
    return QSize(list.width() + splitter_->handleWidth() + details.width() + frame,
                 std::max(list.height(), details.height() + frame));
}

void MainView::NoteValueUsed(int control, const QString& value) {
    if (currentPersonId_.empty() || value.isEmpty()) {
        return;
    }
    record_commands::ContactPreset preset;
    preset.personId = currentPersonId_;
    preset.typeName = book::IsPhoneButton(control)    ? "Telephone"
                      : control == book::kEmailButton ? "Email"
                                                      : "";
    preset.when = FromLocalNow();
    preset.description = ToStoredText(value) + ": ";
    lastContact_ = preset;
    emit StatusMessage(QStringLiteral("Log this contact (Ctrl+L)"));
    emit StateChanged();
}

int MainView::ListPaneWidth() const {
    return splitter_->sizes().value(0);
}

void MainView::SetListPaneWidth(int width) {
    const QList<int> sizes = splitter_->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), width + 1);
    splitter_->setSizes({width, total - width});
}

void MainView::OnPathChanged(const std::string& path) {
    path_ = path;
    // A file just opened shows its first person.
    selectedPersonRow_ = 0;
    currentPersonId_.clear();
    selectedContactRow_ = -1;
    currentContactId_.clear();
    undo_.clear();
    lastContact_.reset();
    // Another file: nothing of the last one's search stays.
    searchIndex_ = PersonSearchIndex();
    searchIndexReady_ = false;
    pinned_.clear();
    matches_.clear();
    if (!search_->text().isEmpty()) {
        const QSignalBlocker quiet(search_);
        search_->clear();
        query_ = SearchQuery();
        allPersons_ = PersonRowList();
        noMatch_->hide();
    }
    emit StateChanged();
}

void MainView::OnReload() {
    // Whatever changed behind the view is read again, the search's index too.
    searchIndexReady_ = false;
    Reload();
}

size_t MainView::PersonCount() const {
    return Filtered() ? allPersons_.size() : personModel_->Rows().size();
}

std::vector<RecordId> MainView::ShownPersonIds() const {
    const PersonRowList& rows = personModel_->Rows();
    std::vector<RecordId> ids;
    ids.reserve(rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        ids.emplace_back(rows.Id(row));
    }
    return ids;
}

bool MainView::EnsureSearchIndex() {
    if (searchIndexReady_) {
        return true;
    }
    if (path_.empty() || buildingIndex_) {
        return false;
    }
    buildingIndex_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A large file takes a moment to read; the status bar says why the program waits.
    const bool large = PersonCount() >= kSearchNoticeFrom;
    if (large) {
        emit StatusMessage(QStringLiteral("Preparing the address book for searching..."));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    try {
        PersonSearchIndex index;
        index.Build(path_);
        searchIndex_ = std::move(index);
        searchIndexReady_ = true;
    } catch (const cppsqlite3::SQLException& e) {
        QApplication::restoreOverrideCursor();
        buildingIndex_ = false;
        platform::ShowDatabaseFailure(nullptr, e.Message(), "Error Loading Address Book",
                                      platform::MessageIcon::None);
        return false;
    }
    QApplication::restoreOverrideCursor();
    buildingIndex_ = false;
    if (large && !Filtered()) {
        emit StatusMessage(QStringLiteral("Ready"));
    }
    return true;
}

void MainView::RefreshSearchIndex(const std::vector<RecordId>& ids) {
    if (!searchIndexReady_) {
        return;
    }
    try {
        for (const RecordId& id : ids) {
            if (!id.empty()) {
                searchIndex_.Refresh(path_, id);
            }
        }
    } catch (const cppsqlite3::SQLException&) {
        // Read whole again when next searched.
        searchIndexReady_ = false;
    }
}

PersonRowList MainView::ShownRows(bool narrowing) {
    std::vector<uint32_t> found;
    // Persons the index does not know (read behind the view's back) are read with the rest.
    if (searchIndexReady_ && searchIndex_.size() != allPersons_.size()) {
        searchIndexReady_ = false;
        narrowing = false;
    }
    if (EnsureSearchIndex()) {
        found = searchIndex_.Filter(allPersons_, query_, narrowing ? &matches_ : nullptr);
    }
    matches_ = found;
    if (!pinned_.empty()) {
        std::vector<char> shown(allPersons_.size(), 0);
        for (uint32_t row : found) {
            shown[row] = 1;
        }
        for (size_t row = 0; row < allPersons_.size(); ++row) {
            if (!shown[row] && pinned_.count(RecordId(allPersons_.Id(row))) > 0) {
                found.push_back(static_cast<uint32_t>(row));
            }
        }
        std::sort(found.begin(), found.end());
    }
    PersonRowList rows;
    for (uint32_t row : found) {
        rows.Append({allPersons_.Id(row), allPersons_.Field(row, PersonRowList::FNameField),
                     allPersons_.Field(row, PersonRowList::LNameField), allPersons_.Company(row)});
    }
    return rows;
}

void MainView::ShowSearchResult() {
    const size_t shown = personModel_->Rows().size();
    if (!Filtered()) {
        noMatch_->hide();
        emit StatusMessage(QStringLiteral("Ready"));
        return;
    }
    emit StatusMessage(QStringLiteral("%1 of %2 persons").arg(shown).arg(PersonCount()));
    if (shown == 0) {
        noMatch_->setText(QStringLiteral("No person matches \"%1\".").arg(search_->text()));
        noMatch_->setGeometry(form_->personList->viewport()->rect().adjusted(8, 8, -8, -8));
        noMatch_->show();
    } else {
        noMatch_->hide();
    }
}

void MainView::OnSearchEdited(const QString& text) {
    const SearchQuery previous = query_;
    query_ = SearchQuery::Parse(text);
    // What the user added to the search can only narrow what it found.
    const bool narrowing = !previous.Empty() && query_.Narrows(previous);
    pinned_.clear();
    const RecordId remembered = currentPersonId_;
    form_->personList->setUpdatesEnabled(false);
    PersonRowList rows;
    if (Filtered()) {
        // The whole list is kept aside only while a search leaves part of it shown.
        if (previous.Empty()) {
            allPersons_ = personModel_->Rows();
        }
        rows = ShownRows(narrowing);
    } else {
        rows = std::move(allPersons_);
        allPersons_ = PersonRowList();
        matches_.clear();
    }
    // The person shown stays selected while the search finds them, else the first found.
    if (personModel_->Rows().size() > 0 && rows.Find(remembered) < 0) {
        selectedPersonRow_ = 0;
    }
    Reselect(form_->personList, *personModel_, std::move(rows), remembered, selectedPersonRow_,
             currentPersonId_);
    form_->personList->setUpdatesEnabled(true);
    if (currentPersonId_ != remembered) {
        ShowPerson(currentPersonId_);
        ReloadContacts(currentPersonId_);
    }
    ShowSearchResult();
    emit StateChanged();
}

void MainView::SortBy(bool persons, int column) {
    QTreeView* list = persons ? form_->personList : form_->contactList;
    if (persons) {
        const PersonOrder order = column == 1 ? PersonOrder::ByCompany : PersonOrder::ByName;
        // A second click on the same column turns the order round.
        personDescending_ = order == personOrder_ && !personDescending_;
        personOrder_ = order;
        list->header()->setSortIndicator(
            column, personDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
        Reload();
        return;
    }
    // "Time" and "Notes" keep the order, read afresh.
    if (column != 0 && column != 2) {
        const int shown = contactOrder_ == ContactOrder::ByDate ? 0 : 2;
        list->header()->setSortIndicator(
            shown, (shown == 0) != contactReversed_ ? Qt::DescendingOrder : Qt::AscendingOrder);
        ReloadContacts(currentPersonId_);
        return;
    }
    const ContactOrder order = column == 0 ? ContactOrder::ByDate : ContactOrder::ByType;
    contactReversed_ = order == contactOrder_ && !contactReversed_;
    contactOrder_ = order;
    // Dates list newest first, types from A, unless turned round.
    const bool descending = (column == 0) != contactReversed_;
    list->header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    ReloadContacts(currentPersonId_);
}

QWidget* MainView::Control(int id) const {
    return form_->Control(id);
}

QTreeView* MainView::PersonList() const {
    return form_->personList;
}

QTreeView* MainView::ContactList() const {
    return form_->contactList;
}

QSize MainView::FormSize() const {
    return form_->Size();
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
template <typename Model, typename List>
void MainView::Reselect(QTreeView* list, Model& model, List rows, const RecordId& remembered,
                        int& selectedRow, RecordId& currentId) {
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
        currentId = model.Rows().Id(static_cast<size_t>(selectedRow));
    } else {
        SelectRow(list, -1);
        selectedRow = -1;
        currentId.clear();
    }
}

void MainView::Reload() {
    const RecordId remembered = currentPersonId_;
    form_->personList->setUpdatesEnabled(false);
    PersonRowList rows;
    bool failed = false;
    // With no file open there is nothing to read; the lists stay empty.
    if (!path_.empty()) {
        try {
            LoadPersonList(path_, personOrder_, rows, personDescending_);
        } catch (const cppsqlite3::SQLException& e) {
            failed = true;
            platform::ShowDatabaseFailure(nullptr, e.Message(), "Error Loading Address Book",
                                          platform::MessageIcon::None);
        }
    }
    PersonRowList shown;
    if (Filtered()) {
        allPersons_ = std::move(rows);
        shown = ShownRows(false);
    } else {
        shown = std::move(rows);
    }
    Reselect(form_->personList, *personModel_, std::move(shown), remembered, selectedPersonRow_,
             currentPersonId_);
    if (selectedPersonRow_ >= 0) {
        form_->personList->setFocus();
    }
    ShowPerson(currentPersonId_);
    if (failed) {
        // The same failure would only be shown a second time for the contacts.
        currentContactId_.clear();
        selectedContactRow_ = -1;
        contactModel_->Clear();
        ShowContact(RecordId());
    } else {
        ReloadContacts(currentPersonId_);
    }
    form_->personList->setUpdatesEnabled(true);
    if (Filtered()) {
        ShowSearchResult();
    }
    emit StateChanged();
}

void MainView::SetValue(QWidget* control, const std::string& value) {
    const QString text = FromStoredText(value);
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
        for (QLineEdit* field : {form_->title, form_->firstName, form_->lastName, form_->company,
                                 form_->position, form_->city, form_->state, form_->zip}) {
            field->clear();
        }
        form_->address->clear();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 form_->homePhone, form_->workPhone, form_->celPhone, form_->pager, form_->fax,
                 form_->email, form_->webPage}) {
            SetValue(control, std::string());
        }
        return;
    }
    PersonRecord p;
    try {
        if (!LoadPerson(path_, id, p)) {
            return;
        }
    } catch (const cppsqlite3::SQLException& e) {
        platform::ShowDatabaseFailure(nullptr, e.Message(), "Error Address Entry Information",
                                      platform::MessageIcon::None);
        return;
    }
    auto set = [](QLineEdit* field, const std::string& value) {
        field->setText(FromStoredText(value));
        field->setCursorPosition(0);
    };
    set(form_->title, p[PersonRecord::Title]);
    set(form_->firstName, p[PersonRecord::FName]);
    set(form_->lastName, p[PersonRecord::LName]);
    set(form_->company, p[PersonRecord::Company]);
    set(form_->position, p[PersonRecord::Position]);
    form_->address->setPlainText(FromStoredText(FromStoredLines(p[PersonRecord::Addr])));
    set(form_->city, p[PersonRecord::City]);
    set(form_->state, p[PersonRecord::State]);
    set(form_->zip, p[PersonRecord::Zip]);
    SetValue(form_->homePhone, p[PersonRecord::HmPhone]);
    SetValue(form_->workPhone, WorkPhoneText(p[PersonRecord::WkPhone], p[PersonRecord::WkExt]));
    SetValue(form_->celPhone, p[PersonRecord::CelPhone]);
    SetValue(form_->pager, p[PersonRecord::Pager]);
    SetValue(form_->fax, p[PersonRecord::WkFax]);
    SetValue(form_->email, p[PersonRecord::Email]);
    SetValue(form_->webPage, p[PersonRecord::WebPage]);
}

void MainView::ReloadContacts(const RecordId& personId) {
    const RecordId remembered = currentContactId_;
    form_->contactList->setUpdatesEnabled(false);
    ContactRowList rows;
    if (!path_.empty()) {
        try {
            LoadContactList(path_, personId, contactOrder_, rows, contactReversed_);
        } catch (const cppsqlite3::SQLException& e) {
            platform::ShowDatabaseFailure(nullptr, e.Message(), "Error Loading Contacts List",
                                          platform::MessageIcon::None);
        }
    }
    Reselect(form_->contactList, *contactModel_, std::move(rows), remembered, selectedContactRow_,
             currentContactId_);
    form_->contactList->setUpdatesEnabled(true);
    ShowContact(currentContactId_);
}

void MainView::ShowContact(const RecordId& id) {
    if (id.empty()) {
        // No contact: nothing to show, not even the time of day.
        form_->notes->clear();
        form_->contactType->clear();
        form_->date->clear();
        form_->time->clear();
        return;
    }
    // The list's row holds every field the details show.
    const ContactRowList& rows = contactModel_->Rows();
    const int row = rows.Find(id);
    if (row < 0) {
        return;
    }
    const DateTime when = rows.When(static_cast<size_t>(row));
    form_->notes->setPlainText(
        FromStoredText(FromStoredLines(std::string(rows.Notes(static_cast<size_t>(row))))));
    form_->date->setText(FromStoredText(FormatDisplayDate(when)));
    form_->time->setText(FromStoredText(FormatDisplayTime(when)));
    form_->contactType->setText(FromStoredText(rows.Type(static_cast<size_t>(row))));
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
    if (selectedRow < 0 || selectedRow >= static_cast<int>(model.Rows().size())) {
        return;
    }
    {
        const QSignalBlocker block(list->selectionModel());
        model.RemoveRow(selectedRow);
    }
    if (model.Rows().empty()) {
        selectedRow = -1;
        currentId.clear();
    } else {
        selectedRow = std::max(0, selectedRow - 1);
        currentId = model.Rows().Id(static_cast<size_t>(selectedRow));
    }
}

void MainView::DropSelectedPerson() {
    DropRow(form_->personList, *personModel_, selectedPersonRow_, currentPersonId_);
    SelectRow(form_->personList, selectedPersonRow_);
}

void MainView::DropSelectedContact() {
    DropRow(form_->contactList, *contactModel_, selectedContactRow_, currentContactId_);
    SelectRow(form_->contactList, selectedContactRow_);
    if (selectedContactRow_ >= 0) {
        form_->contactList->setFocus();
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
        id = model.Rows().Id(static_cast<size_t>(row));
    }
}

void MainView::OnPersonSelectionChanged() {
    ReadSelection(form_->personList, *personModel_, selectedPersonRow_, currentPersonId_);
    ShowPerson(currentPersonId_);
    ReloadContacts(currentPersonId_);
    emit StateChanged();
}

void MainView::OnContactSelectionChanged() {
    ReadSelection(form_->contactList, *contactModel_, selectedContactRow_, currentContactId_);
    ShowContact(currentContactId_);
    emit StateChanged();
}

// ---- Commands

bool MainView::RulesCommand(int command) {
    const ViewCommand* entry = FindViewCommand(command);
    return entry && entry->needs != Needs::NotRuled;
}

bool MainView::IsCommandEnabled(int command) const {
    const ViewCommand* entry = FindViewCommand(command);
    switch (entry ? entry->needs : Needs::NotRuled) {
        case Needs::File:
            return !path_.empty();
        case Needs::Person:
            return !currentPersonId_.empty();
        case Needs::Contact:
            return !currentContactId_.empty();
        case Needs::Undo:
            return !undo_.empty();
        case Needs::LastCall:
            return lastContact_.has_value() && !path_.empty();
        case Needs::NotRuled:
            break;
    }
    return false;
}

bool MainView::HandleCommand(int command) {
    if (command == cmd::kFind) {
        search_->setFocus(Qt::ShortcutFocusReason);
        search_->selectAll();
        return true;
    }
    if (command == cmd::kHelpMode) {
        EnterHelpMode();
        return true;
    }
    const Context context{
        this, path_, selectedPersonRow_, currentPersonId_, selectedContactRow_, currentContactId_};
    if (command == cmd::kLogLastCall) {
        if (lastContact_ && !path_.empty()) {
            FocusKeeper focus;
            const record_commands::Outcome outcome =
                record_commands::LogContact(context, *lastContact_);
            if (outcome.update != ViewUpdate::None) {
                // Logged once; the next call is the next to log.
                lastContact_.reset();
                Apply(outcome);
            }
        }
        return true;
    }
    if (command == cmd::kUndoDelete) {
        if (!undo_.empty()) {
            const record_commands::Outcome outcome =
                record_commands::UndoDelete(context, undo_.back());
            if (outcome.update != ViewUpdate::None) {
                const editing::DeletedRecords restored = undo_.back();
                undo_.pop_back();
                Apply(outcome);
                emit StatusMessage(restored.person.empty()
                                       ? QStringLiteral("The contact with %1 is back.")
                                             .arg(FromStoredText(restored.name))
                                       : QStringLiteral("%1 is back with %2 contacts.")
                                             .arg(FromStoredText(restored.name))
                                             .arg(restored.contacts.size()));
            }
        }
        return true;
    }
    const ViewCommand* entry = FindViewCommand(command);
    if (!entry) {
        return false;
    }
    if (!entry->run) {
        emit RecordCommand(command);
        return true;
    }
    std::optional<FocusKeeper> focus;
    if (entry->keepsFocus) {
        focus.emplace();
    }
    const record_commands::Outcome outcome = entry->run(context);
    if (outcome.deleted) {
        undo_.push_back(*outcome.deleted);
        const editing::DeletedRecords& deleted = *outcome.deleted;
        emit StatusMessage(
            deleted.person.empty()
                ? QStringLiteral("Deleted a contact with %1. Ctrl+Z brings it back.")
                      .arg(FromStoredText(deleted.name))
                : QStringLiteral("Deleted %1 and %2 contacts. Ctrl+Z brings them back.")
                      .arg(FromStoredText(deleted.name))
                      .arg(deleted.contacts.size()));
    }
    Apply(outcome);
    return true;
}

void MainView::Apply(const record_commands::Outcome& outcome) {
    if (outcome.update != ViewUpdate::None) {
        // The person the command worked on, and the one it leaves selected, are read again for
        // the search; while searching, the one left selected stays shown.
        RefreshSearchIndex({currentPersonId_, outcome.selectPerson,
                            outcome.deleted ? outcome.deleted->personId : RecordId()});
        if (Filtered() && !outcome.selectPerson.empty()) {
            pinned_.insert(outcome.selectPerson);
        }
        if (Filtered() && outcome.update == ViewUpdate::Reload && !currentPersonId_.empty()) {
            pinned_.insert(currentPersonId_);
        }
    }
    switch (outcome.update) {
        case ViewUpdate::None:
            break;
        case ViewUpdate::ReloadContacts:
            ReloadContacts(currentPersonId_);
            break;
        case ViewUpdate::Reload:
            Reload();
            break;
        case ViewUpdate::DropPersonAndReload:
            DropSelectedPerson();
            Reload();
            break;
        case ViewUpdate::DropContactAndReload:
            DropSelectedContact();
            Reload();
            break;
    }
    if (!outcome.selectPerson.empty()) {
        SelectPerson(outcome.selectPerson);
    }
    if (!outcome.selectContact.empty()) {
        SelectContact(outcome.selectContact);
    }
    emit StateChanged();
}

void MainView::SelectPerson(const RecordId& id) {
    const int row = personModel_->Find(id);
    if (row < 0) {
        return;
    }
    if (row != selectedPersonRow_ || id != currentPersonId_) {
        selectedPersonRow_ = row;
        currentPersonId_ = id;
        SelectRow(form_->personList, row);
        ShowPerson(id);
        ReloadContacts(id);
    }
}

void MainView::SelectContact(const RecordId& id) {
    const int row = contactModel_->Find(id);
    if (row < 0) {
        return;
    }
    selectedContactRow_ = row;
    currentContactId_ = id;
    SelectRow(form_->contactList, row);
    ShowContact(id);
}

void MainView::SendCommand(int command) {
    // Keys follow the same availability as the menus.
    if (RulesCommand(command) && !IsCommandEnabled(command)) {
        return;
    }
    HandleCommand(command);
}

bool MainView::ListKey(QTreeView* list, QEvent* event) {
    const bool persons = list == form_->personList;
    const bool selected = persons ? selectedPersonRow_ >= 0 : selectedContactRow_ >= 0;
    const int edit = persons ? cmd::kEditPerson : cmd::kEditContact;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        // Ctrl pressed and released alone opens the editor; Ctrl as part of a shortcut does not.
        if (key->key() == Qt::Key_Control && ctrlAlone_ && !key->isAutoRepeat()) {
            ctrlAlone_ = false;
            if (selected) {
                SendCommand(edit);
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
            // A key held down deletes once: its repeats do not run through the book.
            if (selected && !key->isAutoRepeat()) {
                SendCommand(persons ? cmd::kDeletePerson : cmd::kDeleteContact);
            }
            return true;
        case Qt::Key_Insert:
            SendCommand(persons ? cmd::kAddPerson : cmd::kAddContact);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F2:
            if (selected && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                SendCommand(edit);
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool MainView::SearchKey(QKeyEvent* key) {
    switch (key->key()) {
        case Qt::Key_Escape:
            if (search_->text().isEmpty()) {
                return false;
            }
            search_->clear();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Opens the person found, as Enter in the list does.
            if (selectedPersonRow_ >= 0) {
                SendCommand(cmd::kEditPerson);
            }
            return true;
        case Qt::Key_Down:
            form_->personList->setFocus();
            return true;
        default:
            return false;
    }
}

bool MainView::eventFilter(QObject* watched, QEvent* event) {
    // The index is read when the user comes to search, before the first key: with a large file
    // that first key is then as quick as the rest.
    if (watched == search_ && event->type() == QEvent::FocusIn && !searchIndexReady_ &&
        !path_.empty()) {
        QTimer::singleShot(0, this, [this] {
            if (search_->hasFocus()) {
                EnsureSearchIndex();
            }
        });
    }
    if (watched == search_ && event->type() == QEvent::KeyPress &&
        SearchKey(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        (watched == form_->personList || watched == form_->contactList)) {
        if (ListKey(static_cast<QTreeView*>(watched), event)) {
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == form_->personList->viewport() || watched == form_->contactList->viewport())) {
        ctrlAlone_ = false;
    }
    // A shortcut such as Ctrl+Z is taken before its key press reaches the list: Ctrl was not
    // alone all the same.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Control) {
        ctrlAlone_ = false;
    }
    if (event->type() == QEvent::Resize && watched == details_) {
        form_->Fit(details_->size());
    }
    if (event->type() == QEvent::Resize && watched == form_->personList->viewport()) {
        noMatch_->setGeometry(form_->personList->viewport()->rect().adjusted(8, 8, -8, -8));
        // Name and Company share the list's width as they did before.
        QHeaderView* header = form_->personList->header();
        const int total = header->sectionSize(0) + header->sectionSize(1);
        const int width = form_->personList->viewport()->width();
        if (total > 0 && width > 0 && total != width) {
            const int first = static_cast<int>(qint64{header->sectionSize(0)} * width / total);
            header->resizeSection(0, first);
            header->resizeSection(1, width - first);
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
    // Esc leaves the mode without help.
    grabKeyboard();
}

void MainView::LeaveHelpMode() {
    helpMode_ = false;
    releaseKeyboard();
    releaseMouse();
    unsetCursor();
    emit HelpModeEnded();
}

void MainView::keyPressEvent(QKeyEvent* event) {
    if (helpMode_) {
        if (event->key() == Qt::Key_Escape) {
            LeaveHelpMode();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainView::mouseReleaseEvent(QMouseEvent* event) {
    if (!helpMode_ || event->button() != Qt::LeftButton) {
        unsetCursor();
        QWidget::mouseReleaseEvent(event);
        return;
    }
    LeaveHelpMode();
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
