#include "LinkDialog.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include "CertificateDialog.h"
#include "DialogUnits.h"
#include "MessageBox.h"

namespace syncui {

namespace {

QLabel* MakeLabel(QWidget* parent, const platform::DialogUnits& units, const QString& text, int x,
                  int y, int width) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    units.Place(label, x, y, width, 8);
    return label;
}

QLineEdit* MakeField(QWidget* parent, const platform::DialogUnits& units, QLabel* label, int y) {
    auto* field = new QLineEdit(parent);
    units.Place(field, 82, y, 191, 12);
    label->setBuddy(field);
    return field;
}

}  // namespace

LinkDialog::LinkDialog(QWidget* owner, bool hasStore, const QString& bookName)
    : QDialog(owner, platform::kDialogFlags), client_(std::make_unique<carddav::DavClient>()) {
    setWindowTitle(tr("Link to Server"));
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    setFixedSize(units.X(280), units.Y(236));

    // Created in the tab order.
    server_ = MakeField(this, units, MakeLabel(this, units, tr("&Server:"), 7, 9, 73), 7);
    server_->setPlaceholderText(tr("dav.example.com or https://dav.example.com/"));
    user_ = MakeField(this, units, MakeLabel(this, units, tr("&User name:"), 7, 25, 73), 23);
    password_ = MakeField(this, units, MakeLabel(this, units, tr("&Password:"), 7, 41, 73), 39);
    password_->setEchoMode(QLineEdit::Password);
    remember_ = new QCheckBox(tr("&Remember in the desktop's password store"), this);
    units.Place(remember_, 82, 55, 191, 10);
    storeNote_ = new QLabel(tr("This desktop has no password store: the password is asked for "
                               "once each time Tidemark runs."),
                            this);
    storeNote_->setWordWrap(true);
    storeNote_->setTextFormat(Qt::PlainText);
    units.Place(storeNote_, 92, 66, 181, 16);
    remember_->setEnabled(hasStore);
    remember_->setChecked(hasStore);
    storeNote_->setVisible(!hasStore);

    find_ = new QPushButton(tr("&Find Address Books"), this);
    units.Place(find_, 82, 86, 90, 14);
    stop_ = new QPushButton(tr("S&top"), this);
    units.Place(stop_, 176, 86, 50, 14);
    stop_->hide();
    note_ = new QLabel(this);
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    units.Place(note_, 7, 104, 266, 17);

    listLabel_ = MakeLabel(this, units, tr("&Address books:"), 7, 124, 100);
    list_ = new QTreeWidget(this);
    list_->setColumnCount(2);
    list_->setHeaderLabels({tr("Name"), tr("Address")});
    list_->setRootIsDecorated(false);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, units.X(80));
    units.Place(list_, 7, 134, 266, 58);
    listLabel_->setBuddy(list_);
    // A list is heard by its own name, not its label's.
    list_->setAccessibleName(tr("Address books"));

    newNameLabel_ = MakeLabel(this, units, tr("&New address book:"), 7, 198, 73);
    newName_ = MakeField(this, units, newNameLabel_, 196);
    newName_->setText(bookName);

    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                169, 215, 50, 14);
    ok_->setDefault(true);
    cancel_ = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2, 223, 215, 50, 14);

    connect(find_, &QPushButton::clicked, this, &LinkDialog::FindAddressBooks);
    connect(stop_, &QPushButton::clicked, this, &LinkDialog::Stop);
    connect(ok_, &QPushButton::clicked, this, &LinkDialog::Finish);
    connect(cancel_, &QPushButton::clicked, this, &LinkDialog::reject);
    // What was found belongs to the server and the user it was found with.
    for (QLineEdit* field : {server_, user_, password_}) {
        connect(field, &QLineEdit::textEdited, this, &LinkDialog::Forget);
    }
    connect(newName_, &QLineEdit::textChanged, this, &LinkDialog::UpdateButtons);
    connect(list_, &QTreeWidget::currentItemChanged, this, &LinkDialog::UpdateButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &LinkDialog::Finish);
    // Until there is something to choose, Enter searches.
    find_->setAutoDefault(true);
    UpdateButtons();
}

LinkDialog::~LinkDialog() {
    client_->CancelAll();
}

void LinkDialog::reject() {
    Stop();
    QDialog::reject();
}

QString LinkDialog::Password() const {
    return password_->text();
}

bool LinkDialog::Remember() const {
    return remember_->isEnabled() && remember_->isChecked();
}

bool LinkDialog::HttpAllowed(const QUrl& url) {
    if (url.scheme() != QLatin1String("http") || carddav::IsLoopback(url) ||
        httpAccepted_ == url.host()) {
        return true;
    }
    const platform::MessageResult answer = platform::ShowMessage(
        this,
        tr("%1 is reached over plain http, without encryption: the password and every card "
           "cross the network as readable text, and anyone on the way can read or change "
           "them.\n\nConnect without encryption anyway?")
            .arg(url.host()),
        windowTitle(), platform::MessageIcon::Warning, platform::MessageButtons::YesNo);
    if (answer != platform::MessageResult::Yes) {
        return false;
    }
    httpAccepted_ = url.host();
    return true;
}

void LinkDialog::FindAddressBooks() {
    const QString typed = server_->text().trimmed();
    const QUrl url = carddav::ServerUrl(typed);
    if (typed.isEmpty() || !url.isValid() || url.host().isEmpty()) {
        note_->setText(tr("Type the server's address first."));
        server_->setFocus();
        return;
    }
    if (!HttpAllowed(url)) {
        return;
    }
    Forget();
    client_->SetCredentials(user_->text(), password_->text());
    SetBusy(true, tr("Looking for address books on %1...").arg(url.host()));
    const int request = ++request_;
    QPointer<LinkDialog> self(this);
    carddav::Discover(*client_, typed, [self, request](carddav::DiscoveryResult result) {
        if (self && request == self->request_) {
            self->ShowFound(result);
        }
    });
}

void LinkDialog::Stop() {
    if (!busy_) {
        return;
    }
    ++request_;
    client_->CancelAll();
    SetBusy(false, tr("Stopped."));
}

void LinkDialog::ShowFound(const carddav::DiscoveryResult& result) {
    if (!result.Ok()) {
        SetBusy(false, result.error);
        // A certificate the system does not trust: shown, and trusted if the user says so.
        const QByteArray refused = client_->LastRefusedCertificate();
        client_->ClearRefusedCertificate();
        if (!refused.isEmpty() && carddav::CertificateSha256(refused) != trusted_) {
            CertificateDialog ask(this, carddav::ServerUrl(server_->text().trimmed()).host(),
                                  refused);
            if (ask.exec() == QDialog::Accepted) {
                trusted_ = carddav::CertificateSha256(refused);
                client_->SetTrustedCertificate(trusted_);
                FindAddressBooks();
            }
        }
        return;
    }
    searched_ = true;
    found_ = result.addressBooks;
    home_ = result.home;
    for (const carddav::AddressBookInfo& book : found_) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, book.displayName);
        item->setText(1, book.url.toDisplayString());
    }
    if (found_.empty()) {
        SetBusy(false, home_.isEmpty()
                           ? tr("The server has no address books, and none can be made there.")
                           : tr("The server has no address books yet: OK makes one of the "
                                "name below."));
    } else {
        SetBusy(false, found_.size() == 1 ? tr("One address book found.")
                                          : tr("%n address books found: choose one.", nullptr,
                                               static_cast<int>(found_.size())));
        list_->setCurrentItem(list_->topLevelItem(0));
    }
    if (found_.empty() && !home_.isEmpty()) {
        newName_->setFocus();
        newName_->selectAll();
    } else {
        list_->setFocus();
    }
    UpdateButtons();
}

void LinkDialog::Forget() {
    if (busy_) {
        Stop();
    }
    searched_ = false;
    found_.clear();
    home_.clear();
    list_->clear();
    UpdateButtons();
}

void LinkDialog::Finish() {
    if (busy_ || !searched_) {
        return;
    }
    chosen_ = carddav::Account();
    chosen_.server = server_->text().trimmed();
    chosen_.user = user_->text();
    chosen_.trustedCertificate = trusted_;
    if (!found_.empty()) {
        const int row = list_->indexOfTopLevelItem(list_->currentItem());
        if (row < 0) {
            return;
        }
        const carddav::AddressBookInfo& book = found_[static_cast<size_t>(row)];
        chosen_.addressBook = book.url;
        chosen_.displayName = book.displayName;
        chosen_.vcard4 = book.vcard4;
        accept();
        return;
    }
    const QString name = newName_->text().trimmed();
    if (name.isEmpty() || home_.isEmpty()) {
        return;
    }
    SetBusy(true, tr("Making the address book %1...").arg(name));
    const int request = ++request_;
    QPointer<LinkDialog> self(this);
    carddav::CreateAddressBook(
        *client_, home_, name,
        [self, request](const QString& error, const carddav::AddressBookInfo& made) {
            if (!self || request != self->request_) {
                return;
            }
            if (!error.isEmpty()) {
                self->SetBusy(false, error);
                return;
            }
            self->SetBusy(false, QString());
            self->chosen_.addressBook = made.url;
            self->chosen_.displayName = made.displayName;
            self->chosen_.vcard4 = made.vcard4;
            self->accept();
        });
}

void LinkDialog::SetBusy(bool busy, const QString& note) {
    busy_ = busy;
    note_->setText(note);
    stop_->setVisible(busy);
    if (busy) {
        stop_->setFocus();
    }
    UpdateButtons();
}

void LinkDialog::UpdateButtons() {
    const bool creating = searched_ && found_.empty() && !home_.isEmpty();
    find_->setEnabled(!busy_);
    for (QWidget* field : {static_cast<QWidget*>(server_), static_cast<QWidget*>(user_),
                           static_cast<QWidget*>(password_)}) {
        field->setEnabled(!busy_);
    }
    listLabel_->setEnabled(!found_.empty());
    list_->setEnabled(!found_.empty() && !busy_);
    newNameLabel_->setEnabled(creating);
    newName_->setEnabled(creating && !busy_);
    const bool chosen = !found_.empty() ? list_->currentItem() != nullptr
                                        : creating && !newName_->text().trimmed().isEmpty();
    ok_->setEnabled(!busy_ && chosen);
    // Enter searches until there is something to choose, then takes the choice.
    ok_->setDefault(chosen);
    find_->setDefault(!chosen);
}

}  // namespace syncui
