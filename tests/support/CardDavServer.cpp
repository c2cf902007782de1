#include "CardDavServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace {

int FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) {
        return 0;
    }
    return probe.serverPort();
}

}  // namespace

CardDavServer::CardDavServer(Kind kind, const QString& password, const QString& mode)
    : kind_(kind), password_(password.isEmpty() ? QStringLiteral("secret") : password) {
    if (!folder_.isValid()) {
        failure_ = QStringLiteral("No temporary folder: %1").arg(folder_.errorString());
        return;
    }
    port_ = FreePort();
    if (port_ == 0) {
        failure_ = QStringLiteral("No free port on 127.0.0.1");
        return;
    }
    base_ = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_));
    const QString port = QString::number(port_);
    QString program;
    QStringList arguments;
    switch (kind) {
        case Kind::Radicale:
            program = QStringLiteral("radicale");
            arguments = {QStringLiteral("--config"),
                         QString(),
                         QStringLiteral("--server-hosts"),
                         QStringLiteral("127.0.0.1:") + port,
                         QStringLiteral("--storage-filesystem-folder"),
                         folder_.filePath(QStringLiteral("collections"))};
            if (password.isEmpty()) {
                arguments << QStringLiteral("--auth-type") << QStringLiteral("none");
            } else {
                const QString users = folder_.filePath(QStringLiteral("users"));
                QFile file(users);
                if (!file.open(QIODevice::WriteOnly) ||
                    file.write(
                        (User() + QLatin1Char(':') + password + QLatin1Char('\n')).toUtf8()) < 0) {
                    failure_ = QStringLiteral("Cannot write %1").arg(users);
                    return;
                }
                file.close();
                arguments << QStringLiteral("--auth-type") << QStringLiteral("htpasswd")
                          << QStringLiteral("--auth-htpasswd-filename") << users
                          << QStringLiteral("--auth-htpasswd-encryption")
                          << QStringLiteral("plain");
            }
            if (mode == QLatin1String("tls")) {
                // A certificate of its own, signed by itself, as on a server at home.
                if (!MakeCertificate(failure_)) {
                    return;
                }
                base_.setScheme(QStringLiteral("https"));
                arguments << QStringLiteral("--ssl") << QStringLiteral("True")
                          << QStringLiteral("--certificate")
                          << folder_.filePath(QStringLiteral("cert.pem")) << QStringLiteral("--key")
                          << folder_.filePath(QStringLiteral("key.pem"));
            }
            addressBook_ = base_.resolved(QUrl(QStringLiteral("/user/contacts/")));
            break;
        case Kind::Xandikos:
            program = QStringLiteral("xandikos");
            arguments = {QStringLiteral("--defaults"),
                         QStringLiteral("-d"),
                         folder_.filePath(QStringLiteral("data")),
                         QStringLiteral("-l"),
                         QStringLiteral("127.0.0.1"),
                         QStringLiteral("-p"),
                         port};
            addressBook_ = base_.resolved(QUrl(QStringLiteral("/user/contacts/addressbook/")));
            break;
        case Kind::Faulty:
            program = QStringLiteral("/usr/bin/python3");
            arguments = {QStringLiteral(TIDEMARK_FAULTY_DAV), port, mode};
            if (mode == QLatin1String("tls")) {
                base_.setScheme(QStringLiteral("https"));
            }
            addressBook_ = base_.resolved(QUrl(QStringLiteral("/book/")));
            break;
    }
    process_.setProgram(program);
    process_.setArguments(arguments);
    process_.start();
    if (!process_.waitForStarted(5000)) {
        failure_ = QStringLiteral("%1 did not start: %2").arg(program, process_.errorString());
        return;
    }
    QString why;
    if (!WaitUntilAnswering(why) || (kind == Kind::Radicale && !MakeAddressBook(why))) {
        failure_ = QStringLiteral("%1 on port %2: %3\n%4")
                       .arg(Name(), port, why, QString::fromUtf8(process_.readAllStandardError()));
        Stop();
    }
}

CardDavServer::~CardDavServer() {
    Stop();
}

QString CardDavServer::Name() const {
    switch (kind_) {
        case Kind::Radicale:
            return QStringLiteral("Radicale");
        case Kind::Xandikos:
            return QStringLiteral("Xandikos");
        case Kind::Faulty:
            break;
    }
    return QStringLiteral("faulty_dav.py");
}

QString CardDavServer::TemporaryTemplate() {
    // In memory where there is room: a server that writes each card to disk with fsync spends
    // most of its time waiting for the disk.
    const QString memory = QStringLiteral("/dev/shm");
    const QFileInfo shm(memory);
    const QString folder = shm.isDir() && shm.isWritable() ? memory : QDir::tempPath();
    return folder + QStringLiteral("/tidemark-dav-XXXXXX");
}

bool CardDavServer::Restart() {
    if (process_.state() != QProcess::NotRunning) {
        return true;
    }
    process_.start();
    QString why;
    if (!process_.waitForStarted(5000)) {
        why = process_.errorString();
    } else if (WaitUntilAnswering(why)) {
        failure_.clear();
        return true;
    }
    failure_ = QStringLiteral("%1 on port %2 did not start again: %3\n%4")
                   .arg(Name())
                   .arg(port_)
                   .arg(why, QString::fromUtf8(process_.readAllStandardError()));
    Stop();
    return false;
}

bool CardDavServer::MakeCertificate(QString& why) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                   folder_.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
                   folder_.filePath(QStringLiteral("cert.pem")), QStringLiteral("-days"),
                   QStringLiteral("30"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1/O=Tidemark Test Server"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        why = QStringLiteral("openssl made no certificate: %1 %2")
                  .arg(openssl.errorString(), QString::fromUtf8(openssl.readAllStandardError()));
        return false;
    }
    return true;
}

QByteArray CardDavServer::CertificateDer() const {
    const QList<QSslCertificate> certificates =
        QSslCertificate::fromPath(folder_.filePath(QStringLiteral("cert.pem")));
    return certificates.isEmpty() ? QByteArray() : certificates.first().toDer();
}

bool CardDavServer::RenewCertificate() {
    Stop();
    if (!MakeCertificate(failure_)) {
        return false;
    }
    return Restart();
}

QString CardDavServer::AddressBookFolder() const {
    return folder_.filePath(QStringLiteral("collections/collection-root") +
                            addressBook_.path().chopped(1));
}

void CardDavServer::Stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool CardDavServer::WaitUntilAnswering(QString& why) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (process_.state() == QProcess::NotRunning) {
            why = QStringLiteral("the server ended (exit code %1)").arg(process_.exitCode());
            return false;
        }
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port_));
        if (socket.waitForConnected(200)) {
            socket.disconnectFromHost();
            return true;
        }
        QThread::msleep(50);
    }
    why = QStringLiteral("no answer within 10 s");
    return false;
}

bool CardDavServer::MakeAddressBook(QString& why) {
    QNetworkAccessManager network;
    QNetworkRequest request(addressBook_);
    request.setRawHeader("Authorization",
                         "Basic " + (User() + QLatin1Char(':') + password_).toUtf8().toBase64());
    request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    const QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop>"
        "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>"
        "<d:displayname>Contacts</d:displayname></d:prop></d:set></d:mkcol>";
    QNetworkReply* reply = network.sendCustomRequest(request, "MKCOL", body);
    // The test's own server: its certificate is the one the helper made.
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [reply] { reply->ignoreSslErrors(); });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    if (status != 201) {
        why = QStringLiteral("MKCOL %1 gave %2 %3")
                  .arg(addressBook_.toString())
                  .arg(status)
                  .arg(reply->errorString());
        return false;
    }
    return true;
}
