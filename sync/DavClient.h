#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// The WebDAV and CardDAV requests of the sync, on the event loop of the thread that makes
// them: never a thread of its own, never a wait. Every answer comes back through a callback,
// failures included, as values: nothing is thrown and nothing is shown.
namespace carddav {

// One <response> of a multistatus answer, its properties read by namespace URI.
struct DavResponse {
    QUrl url;        // the href, resolved against the request's URL
    int status = 0;  // the status of the response, or of the propstat that gave the properties
    QString etag;    // getetag, quotes kept (If-Match wants them as given)
    QString displayName;
    QString syncToken;  // a collection's own sync-token property
    QString ctag;       // getctag of calendarserver.org, where a server has it
    bool collection = false;
    bool addressBook = false;
    bool vcard4 = false;     // supported-address-data offers version 4.0
    QUrl principal;          // current-user-principal
    QUrl addressBookHome;    // addressbook-home-set
    QByteArray addressData;  // the card of an addressbook-multiget or sync-collection answer
};

// What one request brought back.
struct DavReply {
    // The HTTP status of the final answer; 0 when none came (no connection, time-out, cancel).
    int status = 0;
    // Plain words for a failure (no answer, a status that is no success, a body that is not
    // what the request asks for); empty on success.
    QString error;
    QUrl url;  // the URL that answered, after the redirects followed
    // The answer's bytes; not kept for a 207 read into responses (a first sync's answer holds
    // every card, and the responses hold them again).
    QByteArray body;
    QString etag;   // the ETag header
    QUrl location;  // the Location header, resolved
    // A 207 answer read: its responses and its own sync-token (sync-collection).
    std::vector<DavResponse> responses;
    QString syncToken;
    // A sync-collection answer cut short by the server (507 on the collection itself): ask
    // again with syncToken for the rest.
    bool truncated = false;
    // The connection was refused on a certificate the system does not trust (DER), and whether
    // a certificate was trusted for the account and this is another.
    QByteArray refusedCertificate;
    bool certificateChanged = false;

    bool Ok() const { return error.isEmpty(); }
};

class DavClient : public QObject {
    Q_OBJECT
public:
    // The reply is the callback's own: it may move the cards out of it.
    using Done = std::function<void(DavReply&)>;
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    explicit DavClient(QObject* parent = nullptr);
    ~DavClient() override;

    // Basic and Digest both, as the server asks; a server that refuses them once fails the
    // request with a message saying the user name or password is wrong.
    void SetCredentials(const QString& user, const QString& password);
    // No answer for this long (in total, not between bytes): the request fails.
    void SetTimeout(int milliseconds);
    // A body larger than this is cut off and the request fails.
    void SetMaximumBody(qint64 bytes);
    // The certificate the user trusted for the account (hex SHA-256 of its DER) is taken also
    // where the system does not trust it; any other untrusted one is refused. Empty: none.
    void SetTrustedCertificate(const QString& sha256);
    // The certificate refused last (DER), for a caller whose steps hide the replies (the
    // finding of address books); empty when none was.
    QByteArray LastRefusedCertificate() const { return lastRefused_; }
    void ClearRefusedCertificate() { lastRefused_.clear(); }

    // Any request. PROPFIND and REPORT follow redirects by hand (same method, body and
    // headers, at most a few hops, a loop refused); the others follow none. Bodies of
    // PROPFIND, REPORT and MKCOL go as "application/xml; charset=utf-8"; a 207 is read.
    void Send(const QByteArray& method, const QUrl& url, const QByteArray& body,
              const Headers& headers, Done done);

    void Propfind(const QUrl& url, int depth, const QByteArray& body, Done done);
    void Report(const QUrl& url, int depth, const QByteArray& body, Done done);
    // A card as "text/vcard; charset=utf-8". ifMatch: the ETag the card must still have; empty:
    // If-None-Match: * (the card must not be there yet).
    void Put(const QUrl& url, const QByteArray& card, const QString& ifMatch, Done done);
    void Delete(const QUrl& url, const QString& ifMatch, Done done);
    void Get(const QUrl& url, Done done);
    void Mkcol(const QUrl& url, const QByteArray& body, Done done);

    // Every request in flight ends at once; their callbacks are not called.
    void CancelAll();
    int InFlight() const;
    // Requests sent so far, each redirect hop one more: what a sync costs in round trips.
    int RequestsSent() const { return requestsSent_; }

private:
    struct Pending;
    void Start(const std::shared_ptr<Pending>& pending);
    void Finished(const std::shared_ptr<Pending>& pending, QNetworkReply* reply);
    // Finished in a later turn of the event loop, when the request and the reply are still
    // there.
    void FinishLater(const std::weak_ptr<Pending>& pending, QNetworkReply* reply);
    // What has come of the answer, read or gathered; false when more waits than one turn of
    // the event loop reads.
    static bool Take(Pending& pending, QNetworkReply* reply);
    // Reads on in the next turn; over checks the size read.
    void ReadLater(const std::shared_ptr<Pending>& pending,
                   const std::function<void(qint64)>& over);

    QNetworkAccessManager* network_;
    QString user_, password_;
    QString trusted_;
    QByteArray lastRefused_;
    int timeout_ = 30000;
    qint64 maximumBody_ = 64 << 20;
    int requestsSent_ = 0;
    std::vector<std::shared_ptr<Pending>> pending_;
};

// The SHA-256 of a certificate's DER, in lower-case hex: what trust is kept by.
QString CertificateSha256(const QByteArray& der);

// Whether url is a member of the collection (the same server, under its path), not the
// collection itself: an answer may name anything, and only members are the address book's.
bool IsInside(const QUrl& url, const QUrl& collection);
// Whether the URL's host is a loopback address (127.0.0.0/8, ::1, localhost): the only place
// plain http goes without a warning.
bool IsLoopback(const QUrl& url);

// The bodies of the requests the sync sends.
namespace body {
// PROPFIND for the properties DavResponse reads (resourcetype, displayname, getetag, sync-token,
// getctag, supported-address-data, current-user-principal, addressbook-home-set).
QByteArray Propfind();
// PROPFIND for getetag alone (the listing when sync-collection cannot be used).
QByteArray PropfindEtags();
// sync-collection with the token (empty for the first), asking for getetag and, with data,
// address-data too.
QByteArray SyncCollection(const QString& token, bool data);
// addressbook-multiget of the cards, with getetag and address-data.
QByteArray Multiget(const std::vector<QUrl>& cards);
// MKCOL of an address book with the display name.
QByteArray MakeAddressBook(const QString& displayName);
}  // namespace body

// Reads a multistatus by namespace URI (never by prefix) as its bytes come, each response as
// soon as it is whole: a first sync's answer, every card, is never held twice.
class MultistatusReader {
public:
    explicit MultistatusReader(const QUrl& base);
    ~MultistatusReader();
    MultistatusReader(const MultistatusReader&) = delete;
    MultistatusReader& operator=(const MultistatusReader&) = delete;

    // The answer's next bytes.
    void Add(QByteArrayView bytes);
    // The end of the answer: false, with the reason in error, when it is no multistatus.
    bool Finish();

    std::vector<DavResponse> responses;  // read so far
    QString syncToken;
    bool truncated = false;
    QString error;

private:
    void Read(bool last);
    struct State;
    std::unique_ptr<State> d_;
};

// The same over a whole answer: false, with the reason in error, when the bytes are not one.
bool ReadMultistatus(const QByteArray& xml, const QUrl& base, std::vector<DavResponse>& responses,
                     QString& syncToken, bool& truncated, QString& error);

}  // namespace carddav
