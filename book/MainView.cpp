#include "MainView.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedLayout>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>

#include "BookWatcher.h"
#include "DialogUnits.h"
#include "ListModels.h"
#include "MainViewPanes.h"
#include "MessageBox.h"
#include "NoBookPane.h"
#include "SQLException.h"
#include "StoredText.h"

MainView::MainView(QWidget* parent) : QWidget(parent), searching_(new SearchState) {
    // The view keeps the application's font, not a copy of it, so it follows when that changes.
    panes_ = std::make_unique<MainViewPanes>(this);
    form_ = std::make_unique<MainViewForm>(panes_->ListPane(), panes_->Details());
    QWidget* listPane = panes_->ListPane();
    // The search field: the list shows only the persons it finds as the user types.
    search_ = new QLineEdit(listPane);
    search_->setPlaceholderText(tr("Search (Ctrl+F)"));
    search_->setClearButtonEnabled(true);
    search_->setToolTip(
        tr("Shows the persons whose fields or contact notes hold every word typed. company:, "
           "city:, email:, phone: and note: limit a word to those fields.\n"
           "since:DATE finds whom you contacted on or after the date, before:DATE whom you have "
           "not contacted since (before:6m: not for six months), type:WORD a contact of the "
           "type (type:tel since:2026: phoned this year).\n"
           "A date is 2026, 2026-01, 2026-01-15, the short date, or a span back: 30d, 6w, 6m, "
           "1y."));
    search_->installEventFilter(this);
    platform::SetControlId(search_, kSearchFieldId);
    // What a screen reader calls the search field, its clear button and the scrolled details.
    search_->setAccessibleName(tr("Search"));
    for (QToolButton* clear : search_->findChildren<QToolButton*>()) {
        clear->setAccessibleName(tr("Clear Search"));
        clear->setToolTip(tr("Clear Search"));
    }
    panes_->DetailsScroll()->setAccessibleName(tr("Details"));
    panes_->Fill(form_.get(), search_);
    noBook_ = new NoBookPane(this);
    pages_ = new QStackedLayout(this);
    pages_->setContentsMargins(0, 0, 0, 0);
    pages_->addWidget(panes_->Splitter());
    pages_->addWidget(noBook_);
    pages_->setCurrentWidget(noBook_);
    resize(form_->Size());

    personModel_ = new PersonListModel(this);
    form_->personList->setModel(personModel_);
    // Shown when asked for from the View menu.
    form_->personList->setColumnHidden(PersonListModel::LastContactColumn, true);
    contactModel_ = new ContactListModel(this);
    form_->contactList->setModel(contactModel_);
    QTreeView* persons = form_->personList;
    QTreeView* contacts = form_->contactList;
    persons->viewport()->installEventFilter(this);
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
    connect(contacts->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortBy(false, column); });
    connect(search_, &QLineEdit::textChanged, this, &MainView::OnSearchEdited);
    noMatch_ = new QLabel(persons->viewport());
    noMatch_->setAlignment(Qt::AlignCenter);
    noMatch_->setWordWrap(true);
    noMatch_->setTextFormat(Qt::PlainText);
    noMatch_->setEnabled(false);
    noMatch_->hide();

    // F1 on a control, and a click on one in what's-this mode, show its pop-up help.
    help::InstallPopupHelp(this, help::HelpFilePath(), Popups());

    // Tab goes from the list to the search field, the value buttons that have a value, the
    // contact log and its notes; the other fields only show.
    QWidget* chain[] = {persons,      search_,         form_->homePhone, form_->workPhone,
                        form_->pager, form_->celPhone, form_->email,     form_->webPage,
                        contacts,     form_->notes};
    for (size_t i = 1; i < std::size(chain); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }

    // What another program writes to the open file shows as if the view had done it.
    watcher_ = new BookWatcher([this] { return readingIndex_; }, this);
    connect(watcher_, &BookWatcher::ChangedElsewhere, this, &MainView::OnReload);
    ShowPerson(RecordId());
    ShowContact(RecordId());
}

MainView::~MainView() = default;

QSize MainView::sizeHint() const {
    // The whole form beside the list, with the handle between, where the screen has room.
    return panes_->SizeHint();
}

int MainView::ListPaneWidth() const {
    return panes_->ListPaneWidth();
}

int MainView::ChosenListPaneWidth() const {
    return panes_->ChosenListPaneWidth();
}

void MainView::SetListPaneWidth(int width) {
    panes_->SetListPaneWidth(width);
}

QSplitter* MainView::Splitter() const {
    return panes_->Splitter();
}

void MainView::SetRecentBooks(const QStringList& paths) {
    noBook_->SetRecentBooks(paths);
}

void MainView::OnPathChanged(const std::string& path) {
    path_ = path;
    watcher_->Watch(path_);
    pages_->setCurrentWidget(path_.empty() ? static_cast<QWidget*>(noBook_) : panes_->Splitter());
    // A file just opened shows its first person.
    person_ = {0, RecordId()};
    contact_.Clear();
    deletes_.clear();
    lastContact_.reset();
    // Another file: nothing of the last one's search stays.
    searching_->Clear();
    lastContacts_.Clear();
    if (!search_->text().isEmpty()) {
        const QSignalBlocker quiet(search_);
        search_->clear();
        noMatch_->hide();
    }
    emit StateChanged();
}

void MainView::OnReload() {
    // Whatever changed behind the view is read again, the search's index and the newest
    // contacts too.
    searching_->Invalidate();
    lastContacts_.Invalidate();
    Reload();
}

book::ViewState MainView::State() const {
    book::ViewState state;
    state.file = !path_.empty();
    state.person = !person_.id.empty();
    state.contact = !contact_.id.empty();
    state.undo = !deletes_.empty();
    state.lastCall = lastContact_.has_value();
    return state;
}

record_commands::Context MainView::CommandContext() {
    return {this, path_, person_.row, person_.id, contact_.row, contact_.id};
}

size_t MainView::PersonCount() const {
    return search().PersonCount(personModel_->Rows().size());
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

void MainView::FocusSearch() {
    search_->setFocus(Qt::ShortcutFocusReason);
    search_->selectAll();
}

bool MainView::ReadSearchIndex() {
    if (path_.empty() || readingIndex_) {
        return false;
    }
    readingIndex_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A large file takes a moment to read; the status bar says why the program waits.
    const bool large = PersonCount() >= kSearchNoticeFrom;
    if (large) {
        emit StatusMessage(tr("Preparing the address book for searching..."));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    bool read = true;
    try {
        searching_->ReadIndex(path_);
    } catch (const std::exception& e) {
        read = false;
        QApplication::restoreOverrideCursor();
        platform::ShowDatabaseFailure(
            nullptr, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Address Book"),
            platform::MessageIcon::None);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    QApplication::restoreOverrideCursor();
    readingIndex_ = false;
    if (read && large && !Filtered()) {
        emit StatusMessage(tr("Ready"));
    }
    return read;
}

void MainView::ShowSearchResult() {
    const size_t shown = personModel_->Rows().size();
    // A since: or before: whose date does not read asks nothing: the user is told why.
    const QStringList& unread = searching_->Query().Unread();
    const QString notDates =
        unread.isEmpty()
            ? QString()
            : tr("Not a date: %1. A date is 2026, 2026-01, 2026-01-15, %2 or 30d, 6w, 6m, 1y.")
                  .arg(unread.join(QStringLiteral(", ")),
                       QLocale().toString(QDate(2026, 1, 15), QLocale::ShortFormat));
    if (!Filtered()) {
        noMatch_->hide();
        emit StatusMessage(unread.isEmpty() ? tr("Ready") : notDates);
        return;
    }
    const QString count = tr("%1 of %2 persons").arg(shown).arg(PersonCount());
    emit StatusMessage(unread.isEmpty() ? count : count + QStringLiteral(". ") + notDates);
    if (shown == 0) {
        noMatch_->setText(tr("No person matches \"%1\".").arg(search_->text()));
        noMatch_->setGeometry(form_->personList->viewport()->rect().adjusted(8, 8, -8, -8));
        noMatch_->show();
    } else {
        noMatch_->hide();
    }
}

void MainView::OnSearchEdited(const QString& text) {
    const RecordId remembered = person_.id;
    form_->personList->setUpdatesEnabled(false);
    PersonRowList rows =
        searching_->Type(text, personModel_->Rows(), [this] { return ReadSearchIndex(); });
    // The person shown stays selected while the search finds them, else the first found.
    if (personModel_->Rows().size() > 0 && rows.Find(remembered) < 0) {
        person_.row = 0;
    }
    list_selection::Refill(form_->personList, *personModel_, std::move(rows), remembered, person_);
    form_->personList->setUpdatesEnabled(true);
    if (person_.id != remembered) {
        ShowPerson(person_.id);
        ReloadContacts(person_.id);
    }
    ShowSearchResult();
    emit StateChanged();
}

void MainView::SortBy(bool persons, int column) {
    QTreeView* list = persons ? form_->personList : form_->contactList;
    if (persons) {
        if (column == PersonListModel::LastContactColumn) {
            // Newest first, then oldest first; a second click turns it round.
            personDescending_ = byLastContact_ && !personDescending_;
            byLastContact_ = true;
            list->header()->setSortIndicator(
                column, personDescending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
            Reload();
            return;
        }
        const PersonOrder order = column == 1 ? PersonOrder::ByCompany : PersonOrder::ByName;
        // A second click on the same column turns the order round.
        personDescending_ = !byLastContact_ && order == personOrder_ && !personDescending_;
        personOrder_ = order;
        byLastContact_ = false;
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
        ReloadContacts(person_.id);
        return;
    }
    const ContactOrder order = column == 0 ? ContactOrder::ByDate : ContactOrder::ByType;
    contactReversed_ = order == contactOrder_ && !contactReversed_;
    contactOrder_ = order;
    // Dates list newest first, types from A, unless turned round.
    const bool descending = (column == 0) != contactReversed_;
    list->header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    ReloadContacts(person_.id);
}

// ---- Loading

void MainView::Reload() {
    // Known before the read: a change made while reading is news afterwards.
    watcher_->Rebase();
    const RecordId remembered = person_.id;
    form_->personList->setUpdatesEnabled(false);
    PersonRowList rows;
    bool failed = false;
    // With no file open there is nothing to read; the lists stay empty.
    if (!path_.empty()) {
        try {
            LoadPersons(rows);
        } catch (const std::exception& e) {
            failed = true;
            platform::ShowDatabaseFailure(
                nullptr, e.what(),
                QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Address Book"),
                platform::MessageIcon::None);
        }
    }
    PersonRowList shown =
        searching_->Reloaded(std::move(rows), [this] { return ReadSearchIndex(); });
    list_selection::Refill(form_->personList, *personModel_, std::move(shown), remembered, person_);
    if (person_.row >= 0) {
        form_->personList->setFocus();
    }
    ShowPerson(person_.id);
    if (failed) {
        // The same failure would only be shown a second time for the contacts.
        contact_.Clear();
        contactModel_->Clear();
        ShowContact(RecordId());
    } else {
        ReloadContacts(person_.id);
    }
    form_->personList->setUpdatesEnabled(true);
    if (Filtered()) {
        ShowSearchResult();
    }
    emit StateChanged();
}

void MainView::ShowPerson(const RecordId& id) {
    if (id.empty()) {
        form_->ShowPerson(nullptr);
        return;
    }
    PersonRecord p;
    try {
        if (!LoadPerson(path_, id, p)) {
            return;
        }
    } catch (const std::exception& e) {
        platform::ShowDatabaseFailure(
            nullptr, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Address Entry Information"),
            platform::MessageIcon::None);
        return;
    }
    form_->ShowPerson(&p);
}

void MainView::ReloadContacts(const RecordId& personId) {
    const RecordId remembered = contact_.id;
    form_->contactList->setUpdatesEnabled(false);
    ContactRowList rows;
    if (!path_.empty()) {
        try {
            LoadContactList(path_, personId, contactOrder_, rows, contactReversed_);
        } catch (const std::exception& e) {
            platform::ShowDatabaseFailure(
                nullptr, e.what(),
                QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Contacts List"),
                platform::MessageIcon::None);
        }
    }
    list_selection::Refill(form_->contactList, *contactModel_, std::move(rows), remembered,
                           contact_);
    form_->contactList->setUpdatesEnabled(true);
    ShowContact(contact_.id);
}

void MainView::ShowContact(const RecordId& id) {
    // The list's row holds every field the details show.
    const int row = id.empty() ? -1 : contactModel_->Find(id);
    if (!id.empty() && row < 0) {
        return;
    }
    form_->ShowContact(contactModel_->Rows(), row);
}

void MainView::SetSelection(int personRow, const RecordId& personId, int contactRow,
                            const RecordId& contactId) {
    person_ = {personRow, personId};
    contact_ = {contactRow, contactId};
    emit StateChanged();
}

void MainView::DropSelectedPerson() {
    list_selection::Drop(form_->personList, *personModel_, person_);
}

void MainView::DropSelectedContact() {
    list_selection::Drop(form_->contactList, *contactModel_, contact_);
    if (contact_.row >= 0) {
        form_->contactList->setFocus();
    }
}

// ---- Selection

void MainView::OnPersonSelectionChanged() {
    person_ = list_selection::Read(form_->personList, *personModel_);
    ShowPerson(person_.id);
    ReloadContacts(person_.id);
    emit StateChanged();
}

void MainView::OnContactSelectionChanged() {
    contact_ = list_selection::Read(form_->contactList, *contactModel_);
    ShowContact(contact_.id);
    emit StateChanged();
}

void MainView::Apply(const record_commands::Outcome& outcome) {
    using record_commands::ViewUpdate;
    if (outcome.update != ViewUpdate::None) {
        // The person the command worked on, and the one it leaves selected, are read again for
        // the search; while searching, the one left selected stays shown.
        std::vector<RecordId> worked = {person_.id, outcome.selectPerson,
                                        outcome.deleted ? outcome.deleted->personId : RecordId()};
        worked.insert(worked.end(), outcome.changed.begin(), outcome.changed.end());
        searching_->RefreshIndex(path_, worked);
        FollowLastContacts(worked, outcome.update == ViewUpdate::ReloadContacts);
        searching_->Pin(outcome.selectPerson);
        if (outcome.update == ViewUpdate::Reload) {
            searching_->Pin(person_.id);
        }
    }
    switch (outcome.update) {
        case ViewUpdate::None:
            break;
        case ViewUpdate::ReloadContacts:
            watcher_->TakeOwnCommit();
            ReloadContacts(person_.id);
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
    if (outcome.update == ViewUpdate::Reload || outcome.update == ViewUpdate::DropPersonAndReload) {
        emit PersonsChanged();
    }
}

void MainView::SetExtraDetails(QWidget* extra) {
    panes_->SetExtra(extra);
}

void MainView::MarkPersons(std::set<RecordId, std::less<>> persons, QIcon icon, QString tip) {
    // No taller than a line: a mark does not make every row of the list grow.
    const int line = form_->personList->fontMetrics().height();
    form_->personList->setIconSize(QSize(line * 3 / 4, line * 3 / 4));
    personModel_->SetMarked(std::move(persons), std::move(icon), std::move(tip));
}

void MainView::SelectPerson(const RecordId& id) {
    const int row = personModel_->Find(id);
    if (row < 0 || (row == person_.row && id == person_.id)) {
        return;
    }
    person_ = {row, id};
    list_selection::Show(form_->personList, row);
    ShowPerson(id);
    ReloadContacts(id);
}

void MainView::SelectContact(const RecordId& id) {
    const int row = contactModel_->Find(id);
    if (row < 0) {
        return;
    }
    contact_ = {row, id};
    list_selection::Show(form_->contactList, row);
    ShowContact(id);
}

bool MainView::eventFilter(QObject* watched, QEvent* event) {
    // The index is read when the user comes to search, before the first key: with a large file
    // that first key is then as quick as the rest.
    if (watched == search_ && event->type() == QEvent::FocusIn && !SearchIndexReady() &&
        !path_.empty()) {
        QTimer::singleShot(0, this, [this] {
            if (search_->hasFocus() && !SearchIndexReady()) {
                ReadSearchIndex();
            }
        });
    }
    if (event->type() == QEvent::Resize && watched == form_->personList->viewport()) {
        noMatch_->setGeometry(form_->personList->viewport()->rect().adjusted(8, 8, -8, -8));
        form_->FitPersonColumns();
    }
    return QWidget::eventFilter(watched, event);
}
