// The sync against Radicale on 127.0.0.1, in one run, each case repeated (min/median/max):
//  1. the first sync of 10,000 persons into an empty book, against vdirsyncer's first sync of
//     the same address book into a folder, and against curl sending the request the sync sends
//     (one sync-collection REPORT with every card's data). Goals: at most a quarter of
//     vdirsyncer's time, at most 1.5 times curl's;
//  2. a sync with nothing changed: under 100 ms beyond the server's answer (curl's time);
//     the program asks a server on this machine for its answers unpacked, as curl does;
//  3. one edited person: two requests, under 200 ms in all;
//  4. the first upload of 1,000 new persons, against curl sending the same PUTs one after
//     another on one connection: at most half the loop's time;
//  5. the peak of the own memory (anonymous) of a process doing the first sync, beyond one that
//     only starts: at most three times the cards' size. The whole resident set is printed too;
//     it also counts the book's file, which the engine maps from the system's file cache.
//  6. the window's event loop during the first sync (the sync runs on it): the longest wait
//     between two turns of the loop, goal at most 50 ms; beside it, the same loop with no sync
//     for as long, which shows what the machine itself adds.
//
// Radicale keeps its cards in /dev/shm, so that its disk is not what is measured; with --disk
// in the temporary folder, where it waits for the disk after each write.
//
//   sync_bench [--disk] [--loop] [persons=10000] [uploads=1000] [runs=3]
//                                (--loop: case 6 alone)
//   sync_bench --serve persons   (the server alone, and a book linked to it, for a profiler:
//                                 runs until its input ends)

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "BenchServer.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "DavClient.h"
#include "RecordId.h"
#include "Spread.h"
#include "SyncApply.h"
#include "SyncSession.h"
#include "SyncState.h"
#include "Transaction.h"

namespace {

const char kShm[] = "/dev/shm";

struct Timed {
    double ms = 0;
    carddav::SyncOutcome outcome;
    int requests = 0;
};

Timed RunSync(const std::string& path, const QString& password) {
    carddav::SyncSession session(path, password);
    session.Client().SetTimeout(300000);
    Timed timed;
    bool finished = false;
    QEventLoop loop;
    QObject::connect(&session, &carddav::SyncSession::Finished,
                     [&](const carddav::SyncOutcome& outcome) {
                         timed.outcome = outcome;
                         finished = true;
                         loop.quit();
                     });
    QElapsedTimer clock;
    clock.start();
    session.Start();
    if (!finished) {
        loop.exec();
    }
    timed.ms = clock.nsecsElapsed() / 1e6;
    timed.requests = session.Client().RequestsSent();
    return timed;
}

// Persons 0..count-1 with most fields filled, as the book holds them.
void AddPersons(const std::string& path, int count) {
    static const char* const kFirst[] = {"Zoë", "José", "Ann", "Łukasz", "Søren", "Chloé"};
    static const char* const kLast[] = {"Müller", "García", "O'Brien", "Nowak", "Dubois"};
    static const char* const kCity[] = {"Genève", "Zürich", "Kraków", "Málaga", "Oslo"};
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    for (int n = 0; n < count; ++n) {
        PersonRecord p;
        const std::string number = std::to_string(n);
        p[PersonRecord::Title] = n % 2 ? "Ms." : "Dr.";
        p[PersonRecord::FName] = kFirst[n % 6];
        p[PersonRecord::LName] = std::string(kLast[n % 5]) + " " + number;
        p[PersonRecord::Company] = "Société " + std::to_string(n % 90);
        p[PersonRecord::Position] = "Ingénieure";
        p[PersonRecord::Addr] = number + " Rue de l'Église\r\nBâtiment B";
        p[PersonRecord::City] = kCity[n % 5];
        p[PersonRecord::State] = "GE";
        p[PersonRecord::Zip] = std::to_string(10000 + n);
        p[PersonRecord::HmPhone] = "+41 22 555 " + number;
        p[PersonRecord::WkPhone] = "+41 22 777 " + number;
        p[PersonRecord::WkExt] = std::to_string(n % 100);
        p[PersonRecord::CelPhone] = "+49 151 " + number;
        p[PersonRecord::Email] = "person" + number + "@example.org";
        p[PersonRecord::WebPage] = "https://example.org/~p" + number;
        std::string sql = "INSERT INTO Person VALUES('" + QuoteSqlText(NewRecordId()) + "'";
        for (const std::string& field : p.fields) {
            sql += ", '" + QuoteSqlText(field) + "'";
        }
        st.Execute(sql + ", datetime('now', 'localtime'))");
    }
    transaction.CommitUnstamped();
}

std::string Token(const std::string& path) {
    cppsqlite3::Database db;
    db.Open(path);
    carddav::state::AccountRow account;
    carddav::state::ReadAccount(db.CreateStatement(), account);
    return account.syncToken;
}

bool MakeAddressBook(const bench::Radicale& server, const QUrl& url) {
    const QByteArray body = carddav::body::MakeAddressBook(QStringLiteral("Upload"));
    return bench::Curl(server, "MKCOL", url, body, {"Content-Type: application/xml"}).status == 201;
}

// The PUTs the first upload of path sends, one after another on one connection, as a curl
// configuration; false when the cards cannot be written.
bool CurlLoop(const bench::Radicale& server, const std::string& path, const QString& config) {
    cppsqlite3::Database db;
    db.Open(path);
    carddav::state::AccountRow account;
    carddav::state::ReadAccount(db.CreateStatement(), account);
    const auto changes = carddav::apply::PlanLocal(path, account);
    QFile out(config);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    int n = 0;
    for (const carddav::apply::LocalChange& change : changes) {
        const QString card = config + QStringLiteral(".%1.vcf").arg(n++);
        QFile file(card);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(change.card.data(), qint64(change.card.size())) < 0) {
            return false;
        }
        QByteArray entry;
        if (n > 1) {
            entry += "next\n";
        }
        entry += "url = \"" + QByteArray::fromStdString(change.href) + "\"\n";
        entry += "upload-file = \"" + card.toUtf8() + "\"\n";
        entry += "header = \"Content-Type: text/vcard; charset=utf-8\"\n";
        entry += "header = \"If-None-Match: *\"\nheader = \"Expect:\"\n";
        entry +=
            "user = \"" + (server.User() + QLatin1Char(':') + server.Password()).toUtf8() + "\"\n";
        entry += "output = \"/dev/null\"\nwrite-out = \"%{http_code}\\n\"\nsilent\n";
        out.write(entry);
    }
    return true;
}

// A field of /proc/self/status, in kB; -1 when it cannot be read.
long StatusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name)) {
            return line.mid(name.size()).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// A child of the memory case: the first sync of a linked book, or nothing. Prints the peak of
// the process's own memory (anonymous: the heap and the like, sampled every millisecond by a
// thread of the bench) and the peak of its whole resident set (VmHWM), which counts the pages
// of the libraries and of the book's file that the engine maps from the system's file cache.
int Child(const QString& mode, const QString& path, const QString& password) {
    std::atomic<bool> done{false};
    std::atomic<long> anonymous{StatusKb("RssAnon")};
    std::thread sampler([&] {
        while (!done) {
            anonymous = std::max(anonymous.load(), StatusKb("RssAnon"));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    int result = 0;
    if (mode == QLatin1String("--child-sync")) {
        const Timed timed = RunSync(path.toStdString(), password);
        if (!timed.outcome.Ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(timed.outcome.Summary()));
            result = 1;
        }
    }
    done = true;
    sampler.join();
    anonymous = std::max(anonymous.load(), StatusKb("RssAnon"));
    std::printf("%ld %ld\n", anonymous.load(), StatusKb("VmHWM"));
    return result;
}

struct ChildPeak {
    long anonymous = -1;
    long resident = -1;
};

ChildPeak ChildKb(const QString& mode, const std::string& path, const QString& password) {
    QString output;
    ChildPeak peak;
    if (bench::RunMs(QCoreApplication::applicationFilePath(),
                     {mode, QString::fromStdString(path), password}, {}, &output) < 0) {
        return peak;
    }
    const QStringList values = output.simplified().split(QLatin1Char(' '));
    if (values.size() == 2) {
        peak.anonymous = values[0].toLong();
        peak.resident = values[1].toLong();
    }
    return peak;
}

void Print(const char* what, const std::vector<double>& values, const char* unit = "ms") {
    const Spread s = Summary(values);
    std::printf("  %-40s min %9.1f  median %9.1f  max %9.1f %s\n", what, s.min, s.median, s.max,
                unit);
}

void Goal(const std::string& what, bool met) {
    std::printf("  %-58s goal met: %s\n", what.c_str(), met ? "yes" : "no");
}

double Median(const std::vector<double>& values) {
    return Summary(values).median;
}

bool Failed(const char* what, const QString& why) {
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(why));
    return true;
}

}  // namespace

// 6. The event loop while the first sync runs on it.
int LoopCase(const QTemporaryDir& work, const QUrl& book, const bench::Radicale& server,
             int persons, int runs) {
    std::vector<double> longest, p99, idleLongest, idleP99, wall;
    for (int run = 0; run < runs; ++run) {
        const std::string path =
            bench::LinkedBook(work, QStringLiteral("loop-%1.tch").arg(run), book, server);
        carddav::SyncSession session(path, server.Password());
        session.Client().SetTimeout(300000);
        bool finished = false;
        carddav::SyncOutcome outcome;
        QObject::connect(&session, &carddav::SyncSession::Finished,
                         [&](const carddav::SyncOutcome& o) {
                             outcome = o;
                             finished = true;
                         });
        QElapsedTimer clock;
        clock.start();
        session.Start();
        const bench::LoopWaits waits = bench::WatchLoop([&] { return finished; });
        wall.push_back(clock.nsecsElapsed() / 1e6);
        if (!outcome.Ok() || bench::Persons(path) != persons) {
            Failed("first sync, loop watched", outcome.Summary());
            return 1;
        }
        longest.push_back(waits.longest);
        p99.push_back(waits.p99);
        const bench::LoopWaits idle = bench::WatchLoop({}, wall.back());
        idleLongest.push_back(idle.longest);
        idleP99.push_back(idle.p99);
    }
    std::printf("\n6. the event loop during the first sync of %d persons\n", persons);
    Print("the sync's wall time", wall);
    Print("longest wait between two turns, syncing", longest);
    Print("99th percentile of the waits, syncing", p99);
    Print("longest wait, the same loop idle as long", idleLongest);
    Print("99th percentile, idle", idleP99);
    Goal("the loop never waits more than 50 ms", Median(longest) <= 50);
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Each line as it is printed: the run takes minutes.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QStringList args = app.arguments();
    if (args.size() == 4 && args[1].startsWith(QLatin1String("--child-"))) {
        return Child(args[1], args[2], args[3]);
    }
    const bool serve = args.removeAll(QStringLiteral("--serve")) > 0;
    const bool loopOnly = args.removeAll(QStringLiteral("--loop")) > 0;
    const bool disk = args.removeAll(QStringLiteral("--disk")) > 0 || !QDir(kShm).exists();
    const int persons = args.size() > 1 ? args[1].toInt() : 10000;
    const int uploads = args.size() > 2 ? args[2].toInt() : 1000;
    const int runs = args.size() > 3 ? args[3].toInt() : 3;
    if (persons <= 0 || uploads <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: sync_bench [--disk] [--loop] [persons] [uploads] [runs]\n");
        return 2;
    }

    bench::Radicale server(disk ? QDir::tempPath() : QString::fromLatin1(kShm));
    const qint64 cardBytes = server.Seed(QStringLiteral("contacts"), persons);
    // Its first reading of the cards writes a file for each: not waited for, as it is no part
    // of what is measured.
    if (cardBytes < 0 || !server.Start(false)) {
        std::fprintf(stderr, "Radicale: %s\n", qPrintable(server.Failure()));
        return 1;
    }
    QTemporaryDir work;
    const QUrl book = server.Url(QStringLiteral("/user/contacts/"));
    const QByteArray first = carddav::body::SyncCollection(QString(), true);
    const std::vector<QByteArray> reportHeaders = {"Depth: 0",
                                                   "Content-Type: application/xml; charset=utf-8"};
    // Radicale reads every card once and keeps what it read: the runs all find it read.
    QElapsedTimer clock;
    clock.start();
    const bench::CurlTiming warm = bench::Curl(server, "REPORT", book, first, reportHeaders);
    if (warm.status != 207) {
        std::fprintf(stderr, "the first REPORT gave %d\n", warm.status);
        return 1;
    }
    std::printf(
        "sync against Radicale (%s), %d persons, %.1f MB of cards (%.1f MB answer); "
        "Radicale's first reading %.1f s\n",
        qPrintable(server.Folder()), persons, cardBytes / 1e6, warm.bytes / 1e6,
        clock.elapsed() / 1e3);
    server.Stop();
    if (!server.Start(true)) {
        std::fprintf(stderr, "Radicale: %s\n", qPrintable(server.Failure()));
        return 1;
    }

    if (serve) {
        const std::string path = bench::LinkedBook(work, QStringLiteral("book.tch"), book, server);
        std::printf("%s --child-sync %s %s\n", argv[0], path.c_str(),
                    qPrintable(server.Password()));
        std::getchar();
        return 0;
    }

    if (loopOnly) {
        return LoopCase(work, book, server, persons, runs);
    }

    // 1. The first sync.
    std::vector<double> ours, vdir, curl, oursRequests;
    std::string lastBook;
    for (int run = 0; run < runs; ++run) {
        // Radicale's own time for the answer varies by a third from one request to the next:
        // three of each, turn about, for each run of vdirsyncer.
        for (int turn = 0; turn < 3; ++turn) {
            lastBook = bench::LinkedBook(work, QStringLiteral("first-%1-%2.tch").arg(run).arg(turn),
                                         book, server);
            const Timed timed = RunSync(lastBook, server.Password());
            if (!timed.outcome.Ok() || bench::Persons(lastBook) != persons) {
                Failed("first sync", timed.outcome.Summary());
                return 1;
            }
            ours.push_back(timed.ms);
            oursRequests.push_back(timed.requests);
            const bench::CurlTiming c = bench::Curl(server, "REPORT", book, first, reportHeaders);
            if (c.status != 207) {
                return 1;
            }
            curl.push_back(c.ms);
        }

        const QString folder = work.filePath(QStringLiteral("vdirsyncer-%1").arg(run));
        QDir().mkpath(folder + QStringLiteral("/cards"));
        QDir().mkpath(folder + QStringLiteral("/status"));
        QFile config(folder + QStringLiteral("/config"));
        if (!config.open(QIODevice::WriteOnly)) {
            return 1;
        }
        config.write(QStringLiteral("[general]\nstatus_path = \"%1/status/\"\n\n"
                                    "[pair book]\na = \"book_local\"\nb = \"book_remote\"\n"
                                    "collections = null\n\n"
                                    "[storage book_local]\ntype = \"filesystem\"\n"
                                    "path = \"%1/cards/\"\nfileext = \".vcf\"\n\n"
                                    "[storage book_remote]\ntype = \"carddav\"\nurl = \"%2\"\n"
                                    "username = \"%3\"\npassword = \"%4\"\n")
                         .arg(folder, book.toString(), server.User(), server.Password())
                         .toUtf8());
        config.close();
        clock.restart();
        const QString file = config.fileName();
        if (bench::RunMs(QStringLiteral("vdirsyncer"),
                         {QStringLiteral("-c"), file, QStringLiteral("discover")}) < 0 ||
            bench::RunMs(QStringLiteral("vdirsyncer"),
                         {QStringLiteral("-c"), file, QStringLiteral("sync")}) < 0) {
            return 1;
        }
        vdir.push_back(clock.nsecsElapsed() / 1e6);
        const int copied = int(QDir(folder + QStringLiteral("/cards"))
                                   .entryList({QStringLiteral("*.vcf")}, QDir::Files)
                                   .size());
        if (copied != persons) {
            std::fprintf(stderr, "vdirsyncer copied %d cards of %d\n", copied, persons);
            return 1;
        }
    }
    std::printf("\n1. first sync of %d persons into an empty book\n", persons);
    Print("tidemark (SyncSession)", ours);
    Print("vdirsyncer discover + sync", vdir);
    Print("curl, the same REPORT", curl);
    Print("requests tidemark sent", oursRequests, "");
    Goal("at most a quarter of vdirsyncer's time (" +
             std::to_string(int(100 * Median(ours) / Median(vdir))) + "%)",
         Median(ours) <= Median(vdir) / 4);
    Goal("at most 1.5 times curl's (" + std::to_string(Median(ours) / Median(curl)).substr(0, 4) +
             " times)",
         Median(ours) <= 1.5 * Median(curl));

    // 2. Nothing changed.
    std::vector<double> still, stillCurl, stillOwn, stillRequests;
    const QByteArray since =
        carddav::body::SyncCollection(QString::fromStdString(Token(lastBook)), true);
    for (int run = 0; run < std::max(runs, 5); ++run) {
        const Timed timed = RunSync(lastBook, server.Password());
        if (!timed.outcome.Ok() || timed.outcome.sent + timed.outcome.received != 0) {
            Failed("sync in step", timed.outcome.Summary());
            return 1;
        }
        const bench::CurlTiming c = bench::Curl(server, "REPORT", book, since, reportHeaders);
        if (c.status != 207) {
            return 1;
        }
        still.push_back(timed.ms);
        stillCurl.push_back(c.ms);
        stillOwn.push_back(timed.ms - c.ms);
        stillRequests.push_back(timed.requests);
    }
    std::printf("\n2. sync with nothing changed, %d persons\n", persons);
    Print("tidemark, wall time", still);
    Print("curl, the same REPORT", stillCurl);
    Print("tidemark's own time (wall - curl)", stillOwn);
    Print("requests tidemark sent", stillRequests, "");
    Goal("under 100 ms beyond the server's answer", Median(stillOwn) < 100);

    // 3. One edited person.
    std::vector<double> edit, editRequests, editServer, editReport;
    bool editTwo = true;
    for (int run = 0; run < std::max(runs, 5); ++run) {
        {
            cppsqlite3::Database db;
            db.Open(lastBook);
            db.CreateStatement().Execute(
                "UPDATE Person SET City = 'Édition " + std::to_string(run) +
                "' WHERE ID = (SELECT ID FROM Person ORDER BY LName LIMIT 1 OFFSET " +
                std::to_string(run * 37) + ")");
        }
        const int before = server.Requests();
        const Timed timed = RunSync(lastBook, server.Password());
        if (!timed.outcome.Ok() || timed.outcome.sent != 1) {
            Failed("one edit", timed.outcome.Summary());
            return 1;
        }
        edit.push_back(timed.ms);
        editRequests.push_back(timed.requests);
        editServer.push_back(server.Requests() - before);
        editTwo = editTwo && timed.requests == 2;
        const QByteArray after =
            carddav::body::SyncCollection(QString::fromStdString(Token(lastBook)), true);
        editReport.push_back(bench::Curl(server, "REPORT", book, after, reportHeaders).ms);
    }
    std::printf("\n3. one edited person, %d persons\n", persons);
    Print("tidemark, wall time", edit);
    Print("requests tidemark sent", editRequests, "");
    Print("requests Radicale logged (401s too)", editServer, "");
    Print("curl, the REPORT of the changes alone", editReport);
    Goal("two requests", editTwo);
    Goal("under 200 ms in all", Median(edit) < 200);

    // 4. The first upload; and curl sending the same PUTs four at once, as the sync does, which
    //    shows what the server's writing one card at a time leaves to win.
    std::vector<double> up, loop, together;
    for (int run = 0; run < runs; ++run) {
        const QUrl ours = server.Url(QStringLiteral("/user/up-%1/").arg(run));
        const QUrl theirs = server.Url(QStringLiteral("/user/curl-%1/").arg(run));
        const QUrl parallel = server.Url(QStringLiteral("/user/par-%1/").arg(run));
        if (!MakeAddressBook(server, ours) || !MakeAddressBook(server, theirs) ||
            !MakeAddressBook(server, parallel)) {
            std::fprintf(stderr, "MKCOL failed\n");
            return 1;
        }
        const std::string path =
            bench::LinkedBook(work, QStringLiteral("up-%1.tch").arg(run), ours, server);
        AddPersons(path, uploads);
        const Timed timed = RunSync(path, server.Password());
        if (!timed.outcome.Ok() || timed.outcome.sent != uploads) {
            Failed("first upload", timed.outcome.Summary());
            return 1;
        }
        up.push_back(timed.ms);
        // The same PUTs by curl, into an address book of their own: one after another, then
        // four at once.
        const auto curlPuts = [&](const QString& name, const QUrl& url, const QStringList& how) {
            const std::string other = bench::LinkedBook(
                work, QStringLiteral("%1-%2.tch").arg(name).arg(run), url, server);
            AddPersons(other, uploads);
            const QString config = work.filePath(QStringLiteral("%1-%2.puts").arg(name).arg(run));
            QString codes;
            const double ms =
                CurlLoop(server, other, config)
                    ? bench::RunMs(QStringLiteral("curl"),
                                   how + QStringList{QStringLiteral("-K"), config}, {}, &codes)
                    : -1;
            if (ms < 0 || codes.count(QStringLiteral("201")) != uploads) {
                std::fprintf(stderr, "curl's PUTs failed (%s)\n", qPrintable(name));
                return -1.0;
            }
            return ms;
        };
        const double one = curlPuts(QStringLiteral("curl"), theirs, {});
        const double four = curlPuts(
            QStringLiteral("par"), parallel,
            {QStringLiteral("--parallel"), QStringLiteral("--parallel-max"), QStringLiteral("4")});
        if (one < 0 || four < 0) {
            return 1;
        }
        loop.push_back(one);
        together.push_back(four);
    }
    std::printf("\n4. first upload of %d new persons\n", uploads);
    Print("tidemark", up);
    Print("curl, the same PUTs one after another", loop);
    Print("curl, the same PUTs four at once", together);
    std::printf("  %-40s %9.1f ms a PUT\n", "curl loop", Median(loop) / uploads);
    Goal("at most half the loop's time (" + std::to_string(int(100 * Median(up) / Median(loop))) +
             "%)",
         Median(up) <= Median(loop) / 2);

    // 5. Peak memory.
    std::vector<double> idle, syncing, beyond, idleHwm, syncingHwm;
    for (int run = 0; run < runs; ++run) {
        const std::string path =
            bench::LinkedBook(work, QStringLiteral("memory-%1.tch").arg(run), book, server);
        const ChildPeak start = ChildKb(QStringLiteral("--child-idle"), path, server.Password());
        const ChildPeak peak = ChildKb(QStringLiteral("--child-sync"), path, server.Password());
        if (start.anonymous < 0 || peak.anonymous < 0 || bench::Persons(path) != persons) {
            std::fprintf(stderr, "the memory child failed\n");
            return 1;
        }
        idle.push_back(start.anonymous / 1024.0);
        syncing.push_back(peak.anonymous / 1024.0);
        beyond.push_back((peak.anonymous - start.anonymous) / 1024.0);
        idleHwm.push_back(start.resident / 1024.0);
        syncingHwm.push_back(peak.resident / 1024.0);
    }
    std::printf("\n5. peak memory of the first sync, %.1f MB of cards\n", cardBytes / 1048576.0);
    Print("own memory, a process that only starts", idle, "MB");
    Print("own memory, a process doing the sync", syncing, "MB");
    Print("the sync's own memory (difference)", beyond, "MB");
    Print("resident set, a process that only starts", idleHwm, "MB");
    Print("resident set, with the mapped book file", syncingHwm, "MB");
    Goal("own memory at most 3 times the cards' size (" +
             std::to_string(Median(beyond) * 1048576.0 / double(cardBytes)).substr(0, 4) +
             " times)",
         Median(beyond) * 1048576.0 <= 3.0 * double(cardBytes));
    return LoopCase(work, book, server, persons, runs);
}
