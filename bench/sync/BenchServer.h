#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace bench {

// The card of person n: varied names (accents too), addresses, phones and e-mails; every
// tenth with a photo, every seventh with a note, every fifth with a birthday.
std::string Card(int n);

// Radicale on 127.0.0.1 with a free port, its storage in a folder of its own under parent, user
// "user" with password "secret" (htpasswd, plain). Cards may be written straight into an
// address book's folder before the server starts; every request is logged to a file, to be
// counted.
class Radicale {
public:
    explicit Radicale(const QString& parent);
    ~Radicale();
    Radicale(const Radicale&) = delete;
    Radicale& operator=(const Radicale&) = delete;

    // Writes cards 0..count-1 into /user/<book>/ as <uid>.vcf; the total bytes written.
    qint64 Seed(const QString& book, int count);
    // False, with the reason in Failure(), when it does not answer. Without fsync the server
    // does not wait for the disk after each write.
    bool Start(bool fsync = true);
    void Stop();
    QString Failure() const { return failure_; }

    QUrl Url(const QString& path) const;
    QString User() const { return QStringLiteral("user"); }
    QString Password() const { return QStringLiteral("secret"); }
    QString Folder() const { return folder_.path(); }
    // Requests the server has logged so far (those refused for want of a password too).
    int Requests() const;

private:
    QTemporaryDir folder_;
    QProcess process_;
    int port_ = 0;
    QString failure_;
};

// What curl measured of one request: its HTTP status, total time in ms and bytes received.
struct CurlTiming {
    int status = 0;
    double ms = -1;
    qint64 bytes = 0;
};
// One request with curl, Basic credentials sent at once, body from a file when given.
CurlTiming Curl(const Radicale& server, const QByteArray& method, const QUrl& url,
                const QByteArray& body, const std::vector<QByteArray>& headers);

// A whole process, to its end: its wall time in ms, or -1 when it did not run or failed.
double RunMs(const QString& program, const QStringList& arguments, const QString& folder = {},
             QString* output = nullptr);

// The book's persons.
int Persons(const std::string& path);

// A new book in the folder, linked to the address book at url of the server.
std::string LinkedBook(const QTemporaryDir& folder, const QString& name, const QUrl& url,
                       const Radicale& server);

// The longest waits between two turns of the event loop while it runs for ms, or until done
// says so: a timer asks for a turn every millisecond.
struct LoopWaits {
    double longest = 0, p99 = 0;
};
LoopWaits WatchLoop(const std::function<bool()>& done, double ms = 0);

}  // namespace bench
