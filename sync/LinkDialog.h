#pragma once

#include <memory>
#include <vector>

#include <QDialog>
#include <QString>

#include "Discovery.h"
#include "SyncSession.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace syncui {

// Links a book to an address book on a CardDAV server: the server, the user name and the
// password, then the address books found there to choose from (or one to make by name when
// there is none). The search runs on the event loop, the window answering meanwhile; OK makes
// the address book when one is to be made. The dialog hands back what was chosen; the caller
// links the book.
class LinkDialog : public QDialog {
    Q_OBJECT
public:
    // hasStore: whether the desktop has a password store to remember the password in.
    // bookName: the name a new address book is offered under.
    LinkDialog(QWidget* owner, bool hasStore, const QString& bookName);
    ~LinkDialog() override;

    // What was chosen, once accepted.
    carddav::Account Chosen() const { return chosen_; }
    QString Password() const;
    bool Remember() const;

    // The client the dialog asks through: its time-out may be set first.
    carddav::DavClient& Client() { return *client_; }
    bool Searching() const { return busy_; }
    // The address books of the last search.
    const std::vector<carddav::AddressBookInfo>& Found() const { return found_; }

    QLineEdit* ServerField() const { return server_; }
    QLineEdit* UserField() const { return user_; }
    QLineEdit* PasswordField() const { return password_; }
    QCheckBox* RememberBox() const { return remember_; }
    QLabel* StoreNote() const { return storeNote_; }
    QPushButton* FindButton() const { return find_; }
    QPushButton* StopButton() const { return stop_; }
    QLabel* Note() const { return note_; }
    QTreeWidget* AddressBooks() const { return list_; }
    QLineEdit* NewNameField() const { return newName_; }
    QPushButton* OkButton() const { return ok_; }

    // A search or a making of an address book still under way ends with the dialog.
    void reject() override;

private:
    void FindAddressBooks();
    void Stop();
    void ShowFound(const carddav::DiscoveryResult& result);
    void Forget();
    void Finish();
    void SetBusy(bool busy, const QString& note);
    void UpdateButtons();
    // Plain http to another computer only once the user has heard the risk.
    bool HttpAllowed(const QUrl& url);

    std::unique_ptr<carddav::DavClient> client_;
    QLineEdit* server_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* remember_ = nullptr;
    QLabel* storeNote_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* listLabel_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* newNameLabel_ = nullptr;
    QLineEdit* newName_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;

    std::vector<carddav::AddressBookInfo> found_;
    QUrl home_;
    bool searched_ = false;
    bool busy_ = false;
    // Each search or creation its own number: an answer to an older one is dropped.
    int request_ = 0;
    // The certificate the user trusted in this dialog (hex SHA-256).
    QString trusted_;
    QString httpAccepted_;
    carddav::Account chosen_;
};

}  // namespace syncui
