#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QUrl>

#include "DavClient.h"

namespace carddav {

struct AddressBookInfo {
    QUrl url;             // ends with '/'
    QString displayName;  // as the server names it; the last part of the URL when it names none
    bool vcard4 = false;  // the server takes vCard 4.0 cards there
};

struct DiscoveryResult {
    QString error;  // plain words; empty on success
    QUrl principal;
    QUrl home;  // the address book home set
    std::vector<AddressBookInfo> addressBooks;
    bool Ok() const { return error.isEmpty(); }
};

// Finds the user's address books from what the user typed: a host name ("dav.example.com",
// https then), a URL of the server, of the principal, of the home set or of an address book
// itself. Tries the URL given, then /.well-known/carddav there (RFC 6764), then follows
// current-user-principal and addressbook-home-set, and lists the home set with Depth 1.
// done is called once, on the client's thread.
void Discover(DavClient& client, const QString& server, std::function<void(DiscoveryResult)> done);

// Makes an address book of that display name in the home set (MKCOL), at a path made of the
// name; done gets it, or an error.
void CreateAddressBook(DavClient& client, const QUrl& home, const QString& displayName,
                       std::function<void(QString error, AddressBookInfo made)> done);

// What the user typed as a URL: a host name alone becomes https://host/; http is kept.
QUrl ServerUrl(const QString& typed);

}  // namespace carddav
