#include "BenchServer.h"

#include <algorithm>
#include <cstdio>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include "Database.h"
#include "DatabaseFile.h"
#include "SyncSession.h"

namespace bench {

namespace {

const char* const kFirst[] = {"Zoë",    "José",   "Ann",    "Łukasz", "Søren",    "Björn", "Renée",
                              "Chloé",  "Ingrid", "Mateo",  "Ayşe",   "François", "Nuño",  "Hana",
                              "Élodie", "Jürgen", "Dmitri", "Olivia", "Siân",     "Kenji"};
const char* const kLast[] = {"Müller",  "García",  "O'Brien",  "Nowak", "Ångström", "Smith",
                             "Dubois",  "Rossi",   "Øvergård", "Kovač", "Yılmaz",   "Jones",
                             "Lefèvre", "Schäfer", "Petrović", "Brown", "Nakamura", "Wójcik"};
const char* const kCity[] = {"Genève",   "Zürich",    "Kraków", "Málaga", "København", "Reykjavík",
                             "Montréal", "São Paulo", "Köln",   "Oslo",   "Lyon",      "Porto"};
const char* const kStreet[] = {"Rue de l'Église", "Hauptstraße", "Calle Mayor", "High Street",
                               "Østergade",       "Via Roma",    "ulica Długa", "Avenue des Près"};
const char* const kCompany[] = {"Société Générale", "Bäckerei Groß", "Acme", "Café Crème",
                                "Nordisk Fjør",     "Studio Ñandú",  ""};

std::string Number(int n, int width) {
    std::string text = std::to_string(n);
    return std::string(width > int(text.size()) ? width - text.size() : 0, '0') + text;
}

// A photo's worth of base64, folded as a card folds long lines.
std::string Photo(int n) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string data = "/9j/4AAQSkZJRgABAQ";
    unsigned state = 2654435761u * unsigned(n + 1);
    const int length = 3000 + (n * 37) % 4000;
    while (int(data.size()) < length) {
        state = state * 1103515245u + 12345u;
        data += kDigits[(state >> 16) & 63];
    }
    data.resize(data.size() / 4 * 4);
    std::string line = "PHOTO;ENCODING=b;TYPE=JPEG:" + data;
    std::string folded = line.substr(0, 75);
    for (size_t at = 75; at < line.size(); at += 74) {
        folded += "\r\n " + line.substr(at, 74);
    }
    return folded + "\r\n";
}

}  // namespace

std::string Card(int n) {
    const std::string first = kFirst[n % 20];
    const std::string last = kLast[(n / 20) % 18];
    const std::string city = kCity[(n * 7) % 12];
    const std::string company = kCompany[(n * 3) % 7];
    const std::string id = Number(n, 6);
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    card += "UID:bench-" + id + "\r\n";
    card += "FN:" + first + " " + last + " " + id + "\r\n";
    card += "N:" + last + " " + id + ";" + first + ";;;\r\n";
    if (!company.empty()) {
        card += "ORG:" + company + "\r\n";
        card += "TITLE:Directrice générale\r\n";
    }
    card += "ADR;TYPE=HOME:;;" + std::to_string(1 + n % 300) + " " + kStreet[n % 8] + ";" + city +
            ";;" + Number((n * 131) % 100000, 5) + ";\r\n";
    card += "TEL;TYPE=HOME:+41 22 555 " + Number(n % 10000, 4) + "\r\n";
    card += "TEL;TYPE=CELL:+49 151 " + Number((n * 7919) % 10000000, 7) + "\r\n";
    if (n % 3 == 0) {
        card += "TEL;TYPE=WORK:+33 1 55 " + Number((n * 31) % 1000000, 6) + "\r\n";
    }
    card += "EMAIL;TYPE=INTERNET:person" + id + "@example.org\r\n";
    if (n % 4 == 0) {
        card += "EMAIL;TYPE=WORK:p" + id + "@work.example.com\r\n";
    }
    if (n % 5 == 0) {
        card += "BDAY:19" + Number(50 + n % 50, 2) + "-" + Number(1 + n % 12, 2) + "-" +
                Number(1 + n % 28, 2) + "\r\n";
    }
    if (n % 7 == 0) {
        card += "NOTE:Met at the fête in " + city +
                "\\; prefers e-mail\\, never calls before nine.\\nSecond line of the note.\r\n";
    }
    if (n % 10 == 0) {
        card += Photo(n);
    }
    card += "END:VCARD\r\n";
    return card;
}

Radicale::Radicale(const QString& parent) : folder_(parent + QStringLiteral("/sync_bench-XXXXXX")) {
    QTcpServer probe;
    if (probe.listen(QHostAddress::LocalHost, 0)) {
        port_ = probe.serverPort();
    }
}

Radicale::~Radicale() {
    Stop();
}

qint64 Radicale::Seed(const QString& book, int count) {
    const QString at = folder_.filePath(QStringLiteral("collections/collection-root/user/") + book);
    QDir().mkpath(at);
    QFile props(at + QStringLiteral("/.Radicale.props"));
    if (!props.open(QIODevice::WriteOnly) || props.write("{\"tag\": \"VADDRESSBOOK\"}") < 0) {
        return -1;
    }
    qint64 bytes = 0;
    for (int n = 0; n < count; ++n) {
        QFile file(at + QStringLiteral("/bench-%1.vcf").arg(n, 6, 10, QLatin1Char('0')));
        const std::string card = Card(n);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(card.data(), qint64(card.size())) != qint64(card.size())) {
            return -1;
        }
        bytes += qint64(card.size());
    }
    return bytes;
}

bool Radicale::Start(bool fsync) {
    if (!folder_.isValid() || port_ == 0) {
        failure_ = QStringLiteral("no temporary folder or no free port");
        return false;
    }
    const QString users = folder_.filePath(QStringLiteral("users"));
    QFile file(users);
    if (!file.open(QIODevice::WriteOnly) || file.write("user:secret\n") < 0) {
        failure_ = QStringLiteral("cannot write %1").arg(users);
        return false;
    }
    file.close();
    const QString config = folder_.filePath(QStringLiteral("config"));
    QFile settings(config);
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write(fsync ? "" : "[storage]\n_filesystem_fsync = False\n") < 0) {
        failure_ = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    settings.close();
    process_.setStandardErrorFile(folder_.filePath(QStringLiteral("log")), QIODevice::Append);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(
        QStringLiteral("radicale"),
        {QStringLiteral("--config"), QString(), QStringLiteral("--server-hosts"),
         QStringLiteral("127.0.0.1:%1").arg(port_), QStringLiteral("--storage-filesystem-folder"),
         folder_.filePath(QStringLiteral("collections")), QStringLiteral("--auth-type"),
         QStringLiteral("htpasswd"), QStringLiteral("--auth-htpasswd-filename"), users,
         QStringLiteral("--auth-htpasswd-encryption"), QStringLiteral("plain"),
         QStringLiteral("--logging-level"), QStringLiteral("info")});
    if (!process_.waitForStarted(5000)) {
        failure_ = QStringLiteral("radicale did not start: %1").arg(process_.errorString());
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (process_.state() == QProcess::NotRunning) {
            failure_ = QStringLiteral("radicale ended (exit code %1)").arg(process_.exitCode());
            return false;
        }
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port_));
        if (socket.waitForConnected(200)) {
            return true;
        }
        QThread::msleep(50);
    }
    failure_ = QStringLiteral("radicale did not answer within 10 s");
    return false;
}

void Radicale::Stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

QUrl Radicale::Url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path));
}

int Radicale::Requests() const {
    QFile log(folder_.filePath(QStringLiteral("log")));
    if (!log.open(QIODevice::ReadOnly)) {
        return -1;
    }
    return int(log.readAll().count(" request for "));
}

CurlTiming Curl(const Radicale& server, const QByteArray& method, const QUrl& url,
                const QByteArray& body, const std::vector<QByteArray>& headers) {
    QTemporaryFile data;
    QStringList arguments = {QStringLiteral("-s"),
                             QStringLiteral("-o"),
                             QProcess::nullDevice(),
                             QStringLiteral("-w"),
                             QStringLiteral("%{http_code} %{time_total} %{size_download}"),
                             QStringLiteral("-u"),
                             server.User() + QLatin1Char(':') + server.Password(),
                             QStringLiteral("-X"),
                             QString::fromLatin1(method),
                             QStringLiteral("-H"),
                             QStringLiteral("Expect:")};
    for (const QByteArray& header : headers) {
        arguments << QStringLiteral("-H") << QString::fromUtf8(header);
    }
    if (!body.isEmpty()) {
        if (!data.open() || data.write(body) != body.size()) {
            return {};
        }
        data.flush();
        arguments << QStringLiteral("--data-binary") << QLatin1Char('@') + data.fileName();
    }
    arguments << url.toString();
    QString output;
    if (RunMs(QStringLiteral("curl"), arguments, {}, &output) < 0) {
        return {};
    }
    const QStringList parts = output.split(QLatin1Char(' '));
    if (parts.size() != 3) {
        return {};
    }
    return {parts[0].toInt(), parts[1].toDouble() * 1000, parts[2].toLongLong()};
}

double RunMs(const QString& program, const QStringList& arguments, const QString& folder,
             QString* output) {
    QProcess process;
    if (!folder.isEmpty()) {
        process.setWorkingDirectory(folder);
    }
    process.setStandardInputFile(QProcess::nullDevice());
    if (!output) {
        process.setStandardOutputFile(QProcess::nullDevice());
    }
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(5000) || !process.waitForFinished(600000)) {
        return -1;
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    if (output) {
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().left(2000).constData());
        return -1;
    }
    return ms;
}

int Persons(const std::string& path) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& q = db.CreateStatement().ExecuteQuery("SELECT count(*) FROM Person");
    return q.Next() ? q.GetInt(1) : -1;
}

LoopWaits WatchLoop(const std::function<bool()>& done, double ms) {
    std::vector<double> gaps;
    QElapsedTimer clock, since;
    clock.start();
    since.start();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        gaps.push_back(since.nsecsElapsed() / 1e6);
        since.restart();
        if ((done && done()) || (!done && clock.nsecsElapsed() / 1e6 >= ms)) {
            loop.quit();
        }
    });
    tick.start(1);
    loop.exec();
    LoopWaits waits;
    if (!gaps.empty()) {
        std::sort(gaps.begin(), gaps.end());
        waits.longest = gaps.back();
        waits.p99 = gaps[gaps.size() * 99 / 100];
    }
    return waits;
}

std::string LinkedBook(const QTemporaryDir& folder, const QString& name, const QUrl& url,
                       const Radicale& server) {
    const std::string path = folder.filePath(name).toStdString();
    QFile::remove(QString::fromStdString(path));
    CreateDatabaseFile(path);
    carddav::Account account;
    account.server = url.toString();
    account.user = server.User();
    account.addressBook = url;
    account.displayName = QStringLiteral("Contacts");
    carddav::Link(path, account);
    return path;
}

}  // namespace bench
