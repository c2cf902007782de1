#pragma once

#include <memory>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// A real CardDAV server (or the faulty one of the sync tests) on 127.0.0.1 with a free port and
// a folder of its own, for one test: started by the constructor, stopped by the destructor.
// A server that does not start is a failure of the test: check Ok() and show Failure().
class CardDavServer {
public:
    enum class Kind { Radicale, Xandikos, Faulty };

    // Radicale checks user and password against a plain htpasswd file when password is given;
    // otherwise it takes any; with mode "tls" it answers on https with a certificate signed by
    // itself, made by openssl. Xandikos asks for none. For Faulty, mode names the fault
    // (tests/sync/faulty_dav.py); its "tls" answers on https.
    explicit CardDavServer(Kind kind, const QString& password = {}, const QString& mode = {});
    ~CardDavServer();
    CardDavServer(const CardDavServer&) = delete;
    CardDavServer& operator=(const CardDavServer&) = delete;

    bool Ok() const { return failure_.isEmpty(); }
    // Why it did not start, with what the server wrote to stderr.
    QString Failure() const { return failure_; }

    Kind kind() const { return kind_; }
    QString Name() const;
    QUrl BaseUrl() const { return base_; }
    // An address book that is there when the server has started: /user/contacts/ on Radicale
    // (made by the helper), /user/contacts/addressbook/ on Xandikos.
    QUrl AddressBookUrl() const { return addressBook_; }
    QString User() const { return QStringLiteral("user"); }
    QString Password() const { return password_; }
    int Port() const { return port_; }

    void Stop();
    // Starts the server again after Stop(), on the same folder and port: what it stored is
    // still there. False, with Failure() saying why, when it does not answer.
    bool Restart();
    // Radicale with "tls": its certificate (DER), and a new one made in its place, the server
    // started again with it.
    QByteArray CertificateDer() const;
    bool RenewCertificate();
    // Radicale's folder of the address book's cards, one .vcf file each.
    QString AddressBookFolder() const;
    // The folder the server stores in, and another one of the test's beside it.
    QString Folder() const { return folder_.path(); }

private:
    bool WaitUntilAnswering(QString& why);
    bool MakeAddressBook(QString& why);
    bool MakeCertificate(QString& why);
    static QString TemporaryTemplate();

    Kind kind_;
    QString password_;
    QTemporaryDir folder_{TemporaryTemplate()};
    QProcess process_;
    int port_ = 0;
    QUrl base_;
    QUrl addressBook_;
    QString failure_;
};
