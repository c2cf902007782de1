// The requests of the sync on QNetworkAccessManager, with redirects, authentication, time-outs
// and size limits of their own.

#include "DavClient.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QHostAddress>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#if QT_CONFIG(ssl)
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#endif

namespace carddav {

namespace {

// More hops than any sane server needs: a chain this long is a misconfiguration.
constexpr int kMaximumRedirects = 5;
constexpr qint64 kReadBlock = 64 * 1024;
// Read in one turn of the event loop, at most: a whole book's answer that came at once is read
// over many turns, and the window answers between them.
constexpr qint64 kReadTurn = 8 * kReadBlock;

QString Tr(const char* text) {
    return QCoreApplication::translate("carddav::DavClient", text);
}

QPair<QByteArray, QByteArray> Header(const QByteArray& name, const QByteArray& value) {
    return {name, value};
}

bool Follows(const QByteArray& method) {
    return method == "PROPFIND" || method == "REPORT";
}

bool HasHeader(const DavClient::Headers& headers, const QByteArray& name) {
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// Plain words for a status that is no success, then what the server said.
QString StatusText(int status, const QString& reason) {
    QString text;
    switch (status) {
        case 400:
            text = Tr("The server did not understand the request.");
            break;
        case 403:
            text = Tr("The server does not allow this.");
            break;
        case 404:
            text = Tr("The server has nothing at this address.");
            break;
        case 405:
            text = Tr("The server does not allow this request here.");
            break;
        case 409:
            text = Tr("The server refused the change: it conflicts with what the server holds.");
            break;
        case 412:
            text = Tr("The card was changed on the server meanwhile.");
            break;
        case 415:
            text = Tr("The server does not take this kind of content.");
            break;
        case 423:
            text = Tr("The item is locked on the server.");
            break;
        case 507:
            text = Tr("The server has no room left.");
            break;
        default:
            text = status >= 500 ? Tr("The server failed to carry out the request.")
                                 : Tr("The server refused the request.");
    }
    const QString said = reason.trimmed().isEmpty()
                             ? QString::number(status)
                             : QStringLiteral("%1 %2").arg(status).arg(reason.trimmed());
    return Tr("%1 (The server said: %2.)").arg(text, said);
}

}  // namespace

struct DavClient::Pending {
    QByteArray method;
    QUrl url;
    QByteArray body;
    Headers headers;
    Done done;
    QNetworkReply* reply = nullptr;
    QTimer* timer = nullptr;
    QList<QUrl> visited;
    QByteArray data;
    // A 207 is read as it comes rather than gathered: a first sync's answer holds every card.
    std::unique_ptr<MultistatusReader> multistatus;
    qint64 received = 0;
    QString sslErrors;
    QByteArray refusedCertificate;  // DER
    int authAsked = 0;
    bool authRefused = false;
    bool tooLarge = false;
    bool timedOut = false;
    bool cancelled = false;
    bool readQueued = false;  // the rest of what came is read in a later turn
};

DavClient::DavClient(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this)) {
    network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    connect(network_, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                for (const auto& pending : pending_) {
                    if (pending->reply != reply) {
                        continue;
                    }
                    // Asked again for the same request: the server did not take them.
                    if (pending->authAsked++ > 0 || user_.isEmpty()) {
                        pending->authRefused = true;
                        return;
                    }
                    authenticator->setUser(user_);
                    authenticator->setPassword(password_);
                    return;
                }
            });
}

DavClient::~DavClient() {
    CancelAll();
}

void DavClient::SetCredentials(const QString& user, const QString& password) {
    user_ = user;
    password_ = password;
    // Credentials Qt kept from before would be tried in place of these.
    network_->clearAccessCache();
}

void DavClient::SetTimeout(int milliseconds) {
    timeout_ = milliseconds;
}

void DavClient::SetMaximumBody(qint64 bytes) {
    maximumBody_ = bytes;
}

void DavClient::Send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                     const Headers& headers, Done done) {
    auto pending = std::make_shared<Pending>();
    pending->method = method.toUpper();
    pending->url = url;
    pending->body = body;
    pending->headers = headers;
    pending->done = std::move(done);
    if (Follows(pending->method) && !HasHeader(headers, "Depth")) {
        pending->headers.append(Header("Depth", "0"));
    }
    const bool xml =
        Follows(pending->method) || pending->method == "MKCOL" || pending->method == "PROPPATCH";
    if (xml && !body.isEmpty() && !HasHeader(headers, "Content-Type")) {
        pending->headers.append(Header("Content-Type", "application/xml; charset=utf-8"));
    }
    pending->timer = new QTimer(this);
    pending->timer->setSingleShot(true);
    // A coarse timer may fire a twentieth early: the time-out the user is told is the one kept.
    pending->timer->setTimerType(Qt::PreciseTimer);
    std::weak_ptr<Pending> weak = pending;
    connect(pending->timer, &QTimer::timeout, this, [weak] {
        if (auto p = weak.lock(); p && p->reply) {
            p->timedOut = true;
            p->reply->abort();
        }
    });
    pending->timer->start(timeout_);
    pending_.push_back(pending);
    Start(pending);
}

void DavClient::Start(const std::shared_ptr<Pending>& pending) {
    pending->visited.append(pending->url);
    pending->data.clear();
    pending->multistatus.reset();
    pending->received = 0;
    pending->authAsked = 0;
    pending->authRefused = false;
    QNetworkRequest request(pending->url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Tidemark/%1").arg(QCoreApplication::applicationVersion()));
    if (IsLoopback(pending->url)) {
        // Packing an answer costs both ends time that a connection on this machine does not
        // win back: the server's time for a whole book's cards grows by a fifth.
        request.setRawHeader("Accept-Encoding", "identity");
    }
    for (const auto& header : pending->headers) {
        request.setRawHeader(header.first, header.second);
    }
    QNetworkReply* reply = network_->sendCustomRequest(request, pending->method, pending->body);
    ++requestsSent_;
    pending->reply = reply;
    std::weak_ptr<Pending> weak = pending;
    const auto over = [this, weak](qint64 size) {
        auto p = weak.lock();
        if (!p || p->tooLarge || size <= maximumBody_) {
            return;
        }
        p->tooLarge = true;
        QByteArray().swap(p->data);
        p->multistatus.reset();
        p->reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, weak, over] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) {
            over(length.toLongLong());
        }
        auto p = weak.lock();
        if (p && !p->tooLarge && !p->multistatus &&
            reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 207) {
            p->multistatus = std::make_unique<MultistatusReader>(p->url);
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, weak, over] {
        auto p = weak.lock();
        if (!p || p->tooLarge || p->readQueued) {
            return;
        }
        if (!Take(*p, reply)) {
            ReadLater(p, over);
        }
        over(p->received);
    });
#if QT_CONFIG(ssl)
    connect(reply, &QNetworkReply::sslErrors, this,
            [this, weak, reply](const QList<QSslError>& errors) {
                QSslCertificate peer = reply->sslConfiguration().peerCertificate();
                if (peer.isNull() && !errors.isEmpty()) {
                    peer = errors.first().certificate();
                }
                // The very certificate the user trusted for the account: its faults (signed
                // by itself, another name) are what the user accepted.
                if (!peer.isNull() && !trusted_.isEmpty() &&
                    CertificateSha256(peer.toDer()) == trusted_) {
                    reply->ignoreSslErrors(errors);
                    return;
                }
                if (auto p = weak.lock()) {
                    QStringList texts;
                    for (const QSslError& error : errors) {
                        texts.append(error.errorString());
                    }
                    p->sslErrors = texts.join(QLatin1Char(' '));
                    p->refusedCertificate = peer.isNull() ? QByteArray() : peer.toDer();
                }
            });
#endif
    // Queued: the callback may delete this client, and with it the reply, which must not
    // happen inside the reply's own signal.
    connect(reply, &QNetworkReply::finished, this,
            [this, weak, reply] { FinishLater(weak, reply); });
}

void DavClient::FinishLater(const std::weak_ptr<Pending>& pending, QNetworkReply* reply) {
    QMetaObject::invokeMethod(
        this,
        [this, pending, guard = QPointer<QNetworkReply>(reply)] {
            if (!guard) {
                return;
            }
            if (auto p = pending.lock()) {
                Finished(p, guard);
            } else {
                guard->deleteLater();
            }
        },
        Qt::QueuedConnection);
}

bool DavClient::Take(Pending& pending, QNetworkReply* reply) {
    if (!pending.multistatus) {
        const QByteArray bytes = reply->readAll();
        pending.received += bytes.size();
        pending.data += bytes;
        return true;
    }
    // A block at a time, so that what waits to be read is never copied whole.
    for (qint64 taken = 0; reply->bytesAvailable() > 0;) {
        if (taken >= kReadTurn) {
            return false;
        }
        const QByteArray bytes = reply->read(kReadBlock);
        if (bytes.isEmpty()) {
            break;
        }
        taken += bytes.size();
        pending.received += bytes.size();
        pending.multistatus->Add(bytes);
    }
    return true;
}

void DavClient::ReadLater(const std::shared_ptr<Pending>& pending,
                          const std::function<void(qint64)>& over) {
    pending->readQueued = true;
    std::weak_ptr<Pending> weak = pending;
    QMetaObject::invokeMethod(
        this,
        [this, weak, over] {
            auto p = weak.lock();
            if (!p || p->cancelled || !p->reply) {
                return;
            }
            p->readQueued = false;
            if (p->tooLarge) {
                return;
            }
            if (!Take(*p, p->reply)) {
                ReadLater(p, over);
            }
            over(p->received);
        },
        Qt::QueuedConnection);
}

void DavClient::Finished(const std::shared_ptr<Pending>& pending, QNetworkReply* reply) {
    if (pending->cancelled || pending->reply != reply) {
        reply->deleteLater();
        return;
    }
    if (!pending->tooLarge && !Take(*pending, reply)) {
        // The rest of a long answer in the next turns, the end after it. All has come: no
        // time-out now.
        pending->timer->stop();
        FinishLater(pending, reply);
        return;
    }
    reply->deleteLater();
    pending->reply = nullptr;

    DavReply result;
    result.url = pending->url;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QByteArray location = reply->rawHeader("Location");
    if (!location.isEmpty()) {
        result.location = pending->url.resolved(QUrl(QString::fromUtf8(location)));
    }

    const bool redirect = result.status == 301 || result.status == 302 || result.status == 303 ||
                          result.status == 307 || result.status == 308;
    if (redirect && Follows(pending->method) && !pending->timedOut && !pending->tooLarge) {
        if (result.location.isEmpty()) {
            result.error = Tr("The server sent the request elsewhere without saying where.");
        } else if (pending->visited.contains(result.location)) {
            result.error = Tr("The server's redirects go round in a loop.");
        } else if (pending->visited.size() > kMaximumRedirects) {
            result.error =
                Tr("The server redirected the request more than %1 times.").arg(kMaximumRedirects);
        } else {
            pending->url = result.location;
            Start(pending);
            return;
        }
    }

    if (!result.error.isEmpty()) {
        // Said above.
    } else if (pending->timedOut) {
        result.status = 0;
        const int seconds = (timeout_ + 999) / 1000;
        result.error = seconds == 1 ? Tr("The server did not answer in 1 second.")
                                    : Tr("The server did not answer in %1 seconds.").arg(seconds);
    } else if (pending->tooLarge) {
        result.error = Tr("The server's answer was too large (more than %1).")
                           .arg(QLocale().formattedDataSize(maximumBody_));
    } else if (result.status == 401) {
        result.error = user_.isEmpty() ? Tr("The server asks for a user name and a password.")
                                       : Tr("The server refused the user name or password.");
    } else if (result.status >= 400) {
        result.error = StatusText(result.status, reason);
    } else if (redirect) {
        result.error = Tr("The server moved this to %1.")
                           .arg(result.location.toDisplayString(QUrl::RemoveUserInfo));
    } else if (result.status == 0 || reply->error() != QNetworkReply::NoError) {
        result.refusedCertificate = pending->refusedCertificate;
        if (!result.refusedCertificate.isEmpty()) {
            lastRefused_ = result.refusedCertificate;
        }
        result.certificateChanged = !pending->refusedCertificate.isEmpty() && !trusted_.isEmpty();
        if (result.certificateChanged) {
            result.error =
                Tr("The server's certificate is not the one trusted for this account: "
                   "it has changed since, and the connection was refused.");
        } else if (!pending->sslErrors.isEmpty()) {
            result.error =
                Tr("The secure connection to the server failed: %1").arg(pending->sslErrors);
        } else {
            result.error = Tr("The server could not be reached: %1").arg(reply->errorString());
        }
    }

    if (result.error.isEmpty()) {
        result.etag = QString::fromLatin1(reply->rawHeader("ETag")).trimmed();
        if (result.status == 207) {
            if (!pending->multistatus) {
                pending->multistatus = std::make_unique<MultistatusReader>(pending->url);
                pending->multistatus->Add(pending->data);
                QByteArray().swap(pending->data);
            }
            MultistatusReader& read = *pending->multistatus;
            if (read.Finish()) {
                result.responses = std::move(read.responses);
                result.syncToken = read.syncToken;
                result.truncated = read.truncated;
            } else {
                result.error = Tr("The server's answer could not be read: %1").arg(read.error);
            }
        }
    }
    pending->multistatus.reset();
    result.body = std::move(pending->data);

    pending->timer->stop();
    pending->timer->deleteLater();
    pending_.erase(std::remove(pending_.begin(), pending_.end(), pending), pending_.end());
    // Last: the callback may start requests, cancel them, or delete this client.
    Done done = std::move(pending->done);
    if (done) {
        done(result);
    }
}

void DavClient::Propfind(const QUrl& url, int depth, const QByteArray& body, Done done) {
    Send("PROPFIND", url, body, {{"Depth", QByteArray::number(depth)}}, std::move(done));
}

void DavClient::Report(const QUrl& url, int depth, const QByteArray& body, Done done) {
    Send("REPORT", url, body, {{"Depth", QByteArray::number(depth)}}, std::move(done));
}

void DavClient::Put(const QUrl& url, const QByteArray& card, const QString& ifMatch, Done done) {
    Headers headers{{"Content-Type", "text/vcard; charset=utf-8"}};
    if (ifMatch.isEmpty()) {
        headers.append(Header("If-None-Match", "*"));
    } else {
        headers.append(Header("If-Match", ifMatch.toLatin1()));
    }
    Send("PUT", url, card, headers, std::move(done));
}

void DavClient::Delete(const QUrl& url, const QString& ifMatch, Done done) {
    Headers headers;
    if (!ifMatch.isEmpty()) {
        headers.append(Header("If-Match", ifMatch.toLatin1()));
    }
    Send("DELETE", url, {}, headers, std::move(done));
}

void DavClient::Get(const QUrl& url, Done done) {
    Send("GET", url, {}, {}, std::move(done));
}

void DavClient::Mkcol(const QUrl& url, const QByteArray& body, Done done) {
    Send("MKCOL", url, body, {}, std::move(done));
}

void DavClient::CancelAll() {
    std::vector<std::shared_ptr<Pending>> pending;
    pending.swap(pending_);
    for (const auto& p : pending) {
        p->cancelled = true;
        p->done = nullptr;
        p->timer->stop();
        p->timer->deleteLater();
        if (QNetworkReply* reply = p->reply) {
            p->reply = nullptr;
            disconnect(reply, nullptr, this, nullptr);
            reply->abort();
            reply->deleteLater();
        }
    }
}

int DavClient::InFlight() const {
    return int(pending_.size());
}

void DavClient::SetTrustedCertificate(const QString& sha256) {
    trusted_ = sha256.toLower();
}

QString CertificateSha256(const QByteArray& der) {
    return QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex());
}

bool IsInside(const QUrl& url, const QUrl& collection) {
    if (url.scheme().compare(collection.scheme(), Qt::CaseInsensitive) != 0 ||
        url.host().compare(collection.host(), Qt::CaseInsensitive) != 0) {
        return false;
    }
    const int defaultPort = url.scheme().toLower() == QLatin1String("https") ? 443 : 80;
    if (url.port(defaultPort) != collection.port(defaultPort)) {
        return false;
    }
    const QString path = url.adjusted(QUrl::NormalizePathSegments).path(QUrl::FullyDecoded);
    QString base = collection.adjusted(QUrl::NormalizePathSegments).path(QUrl::FullyDecoded);
    if (!base.endsWith(QLatin1Char('/'))) {
        base += QLatin1Char('/');
    }
    return path.size() > base.size() && path.startsWith(base);
}

bool IsLoopback(const QUrl& url) {
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
        host.endsWith(QLatin1String(".localhost"), Qt::CaseInsensitive)) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

}  // namespace carddav
