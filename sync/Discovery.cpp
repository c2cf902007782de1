// Finding the user's address books (RFC 6764 and RFC 6352) and making a new one.

#include "Discovery.h"

#include <memory>

#include <QCoreApplication>

namespace carddav {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("carddav::Discovery", text);
}

QUrl AsFolder(QUrl url) {
    if (!url.path().endsWith(QLatin1Char('/'))) {
        url.setPath(url.path() + QLatin1Char('/'));
    }
    return url;
}

// The response of a Depth 0 answer that describes url itself.
const DavResponse* Own(const DavReply& reply, const QUrl& url) {
    const QUrl wanted = AsFolder(url.adjusted(QUrl::NormalizePathSegments));
    for (const DavResponse& response : reply.responses) {
        if (AsFolder(response.url.adjusted(QUrl::NormalizePathSegments)) == wanted) {
            return &response;
        }
    }
    return reply.responses.size() == 1 ? &reply.responses.front() : nullptr;
}

AddressBookInfo Describe(const DavResponse& response) {
    AddressBookInfo info;
    info.url = AsFolder(response.url);
    info.displayName = response.displayName;
    if (info.displayName.isEmpty()) {
        const QStringList parts = info.url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        info.displayName =
            parts.isEmpty() ? info.url.host() : QUrl::fromPercentEncoding(parts.last().toUtf8());
    }
    info.vcard4 = response.vcard4;
    return info;
}

// One discovery: a chain of PROPFINDs, each step knowing what the last found.
struct Search : std::enable_shared_from_this<Search> {
    DavClient& client;
    std::function<void(DiscoveryResult)> done;
    DiscoveryResult result;
    QUrl typed;
    QUrl wellKnown;
    bool triedTyped = false;
    bool triedWellKnown = false;
    QString firstError;

    Search(DavClient& c, std::function<void(DiscoveryResult)> d) : client(c), done(std::move(d)) {}

    void Finish(const QString& error = {}) {
        result.error = error;
        if (!error.isEmpty()) {
            result.addressBooks.clear();
        }
        auto call = std::move(done);
        call(std::move(result));
    }

    // The next place to ask where the principal is, or the end when none is left.
    void NextStart() {
        // A host alone is what the well-known address is for; an address with a path is asked
        // first.
        const bool bare = typed.path().isEmpty() || typed.path() == QLatin1String("/");
        if (bare && !triedWellKnown) {
            AskStart(wellKnown, triedWellKnown);
        } else if (!triedTyped) {
            AskStart(typed, triedTyped);
        } else if (!triedWellKnown) {
            AskStart(wellKnown, triedWellKnown);
        } else {
            Finish(firstError.isEmpty() ? Tr("No CardDAV address book was found at %1.")
                                              .arg(typed.toDisplayString(QUrl::RemoveUserInfo))
                                        : firstError);
        }
    }

    void AskStart(const QUrl& url, bool& tried) {
        tried = true;
        auto self = shared_from_this();
        client.Propfind(url, 0, body::Propfind(),
                        [self, url](const DavReply& reply) { self->Started(url, reply); });
    }

    void Started(const QUrl& asked, const DavReply& reply) {
        if (!reply.Ok()) {
            // No connection, or a password refused: another address on the same server will
            // not do better.
            if (reply.status == 0 || reply.status == 401) {
                Finish(reply.error);
                return;
            }
            if (firstError.isEmpty()) {
                firstError = reply.error;
            }
            NextStart();
            return;
        }
        const DavResponse* own = Own(reply, reply.url.isEmpty() ? asked : reply.url);
        if (own && own->addressBook) {
            result.principal = own->principal;
            result.addressBooks.push_back(Describe(*own));
            Finish();
            return;
        }
        if (own && !own->addressBookHome.isEmpty()) {
            result.principal = own->principal;
            ListHome(own->addressBookHome);
            return;
        }
        if (own && !own->principal.isEmpty()) {
            AskPrincipal(own->principal);
            return;
        }
        NextStart();
    }

    void AskPrincipal(const QUrl& principal) {
        result.principal = principal;
        auto self = shared_from_this();
        client.Propfind(principal, 0, body::Propfind(), [self, principal](const DavReply& reply) {
            if (!reply.Ok()) {
                self->Finish(reply.error);
                return;
            }
            const DavResponse* own = Own(reply, principal);
            if (!own || own->addressBookHome.isEmpty()) {
                self->Finish(Tr("The server names no address book home for this user."));
                return;
            }
            self->ListHome(own->addressBookHome);
        });
    }

    void ListHome(const QUrl& home) {
        result.home = AsFolder(home);
        auto self = shared_from_this();
        client.Propfind(result.home, 1, body::Propfind(), [self](const DavReply& reply) {
            if (!reply.Ok()) {
                self->Finish(reply.error);
                return;
            }
            for (const DavResponse& response : reply.responses) {
                // Some servers name the children of the home by another form of its address:
                // every address book of the listing counts.
                if (response.addressBook && response.status >= 200 && response.status < 300) {
                    self->result.addressBooks.push_back(Describe(response));
                }
            }
            self->Finish();
        });
    }
};

// The last part of the address of a new address book: lower case letters, digits and dashes.
QString PathSegment(const QString& name) {
    QString segment;
    bool dash = false;
    for (const QChar c : name.normalized(QString::NormalizationForm_D).toLower()) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9'))) {
            segment += c;
            dash = false;
        } else if (c.category() == QChar::Mark_NonSpacing) {
            // The accent of a letter already kept.
        } else if (!dash && !segment.isEmpty()) {
            segment += QLatin1Char('-');
            dash = true;
        }
    }
    while (segment.endsWith(QLatin1Char('-'))) {
        segment.chop(1);
    }
    return segment.isEmpty() ? QStringLiteral("addressbook") : segment;
}

}  // namespace

void Discover(DavClient& client, const QString& server, std::function<void(DiscoveryResult)> done) {
    auto search = std::make_shared<Search>(client, std::move(done));
    search->typed = ServerUrl(server);
    if (!search->typed.isValid() || search->typed.host().isEmpty()) {
        search->Finish(Tr("\"%1\" is no server address.").arg(server.trimmed()));
        return;
    }
    search->wellKnown = search->typed.resolved(QUrl(QStringLiteral("/.well-known/carddav")));
    search->NextStart();
}

void CreateAddressBook(DavClient& client, const QUrl& home, const QString& displayName,
                       std::function<void(QString error, AddressBookInfo made)> done) {
    const QUrl url = AsFolder(home).resolved(QUrl(PathSegment(displayName) + QLatin1Char('/')));
    DavClient* c = &client;
    client.Mkcol(
        url, body::MakeAddressBook(displayName),
        [c, url, displayName, done = std::move(done)](const DavReply& made) {
            if (!made.Ok()) {
                done(made.status == 405 ? Tr("An address book or other item is already at %1.")
                                              .arg(url.toDisplayString(QUrl::RemoveUserInfo))
                                        : made.error,
                     {});
                return;
            }
            // What the server now says of it: its name as it keeps it, and the versions it takes.
            c->Propfind(url, 0, body::Propfind(), [url, displayName, done](const DavReply& read) {
                AddressBookInfo info;
                info.url = url;
                info.displayName = displayName;
                if (read.Ok()) {
                    if (const DavResponse* own = Own(read, url)) {
                        info = Describe(*own);
                        info.url = url;
                        if (own->displayName.isEmpty()) {
                            info.displayName = displayName;
                        }
                    }
                }
                done(QString(), info);
            });
        });
}

QUrl ServerUrl(const QString& typed) {
    QString text = typed.trimmed();
    if (text.isEmpty()) {
        return {};
    }
    if (!text.contains(QLatin1String("://"))) {
        text.prepend(QLatin1String("https://"));
    }
    QUrl url(text, QUrl::TolerantMode);
    if (url.path().isEmpty()) {
        url.setPath(QStringLiteral("/"));
    }
    return url;
}

}  // namespace carddav
