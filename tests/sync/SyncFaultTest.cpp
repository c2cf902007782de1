// Syncs cut short: a server stopped in the middle of one, the program killed in the middle of
// one, and a server whose answers turn bad after it has worked. The next sync finishes the
// work: the same persons on both sides, each once, no edit lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "CardDavServer.h"
#include "RecordEditing.h"
#include "SyncCheck.h"
#include "SyncTestSupport.h"
#include "TestBook.h"

using namespace synccheck;

namespace {

using F = PersonRecord::Field;
using Kind = CardDavServer::Kind;

int Count(const std::string& path, const std::string& table) {
    return std::stoi(TestBook::QueryText(path, "SELECT count(*) FROM " + table));
}

// The href of the state row of the person of that last name; empty when none.
std::string HrefOf(const std::string& path, const std::string& last) {
    return TestBook::QueryText(path,
                               "SELECT ifnull((SELECT Href FROM SyncCard JOIN Person ON "
                               "Person.ID = SyncCard.PersonID WHERE LName = '" +
                                   last + "'), '')");
}

// Turns the faulty server's listings faulty in the way named (none: sound again).
::testing::AssertionResult SetFault(const CardDavServer& server, const QString& name) {
    carddav::DavClient client;
    const auto reply = Await([&](carddav::DavClient::Done done) {
        client.Send("POST", server.BaseUrl().resolved(QUrl(QStringLiteral("/fault/") + name)), {},
                    {}, done);
    });
    if (!reply.Ok()) {
        return ::testing::AssertionFailure() << reply.error.toStdString();
    }
    return ::testing::AssertionSuccess();
}

// Edits on both sides of a sync that was cut short: here a person sent and one not yet sent
// are edited, one sent is deleted and one added; on the server (another device) a card is
// edited, one deleted and one added. Checked by Expect...() after the next sync.
struct BothSides {
    std::string sentEdited, unsentEdited, deletedHere, editedThere, deletedThere;

    void Make(const std::string& path, const CardDavServer& server, int persons) {
        std::vector<std::string> sent, unsent;
        for (int n = 0; n < persons; ++n) {
            const std::string last = "Family" + std::to_string(n);
            (HrefOf(path, last).empty() ? unsent : sent).push_back(last);
        }
        ASSERT_GE(sent.size(), 4u) << "too few sent to edit";
        ASSERT_GE(unsent.size(), 1u) << "everything went before the cut";
        sentEdited = sent[0];
        deletedHere = sent[1];
        editedThere = sent[2];
        deletedThere = sent[3];
        unsentEdited = unsent.back();
        Edit(path, sentEdited, F::City, "Edited here");
        Edit(path, unsentEdited, F::Email, "unsent@example.com");
        editing::DeletePerson(path, Find(path, deletedHere).id);
        TestBook::AddPerson(path, "New", "Here", "Added");
        ASSERT_TRUE(EditOnServer(server, HrefOf(path, editedThere), F::Company, "Edited there"));
        ASSERT_TRUE(DeleteOnServer(server, HrefOf(path, deletedThere)));
        ASSERT_TRUE(PutOnServer(server, "there-1.vcf",
                                "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:there-1\r\nN:There;New;;;\r\n"
                                "FN:New There\r\nORG:Added\r\nEND:VCARD\r\n"));
    }

    void Expect(const std::string& path, int persons) const {
        EXPECT_EQ(Find(path, sentEdited)[F::City], "Edited here");
        EXPECT_EQ(Find(path, unsentEdited)[F::Email], "unsent@example.com");
        EXPECT_EQ(Find(path, editedThere)[F::Company], "Edited there");
        EXPECT_EQ(Find(path, "There")[F::Company], "Added");
        EXPECT_EQ(Find(path, "Here")[F::Company], "Added");
        for (const std::string& gone : {deletedHere, deletedThere}) {
            EXPECT_EQ(TestBook::QueryText(
                          path, "SELECT count(*) FROM Person WHERE LName = '" + gone + "'"),
                      "0")
                << gone;
        }
        EXPECT_EQ(Count(path, "Person"), persons);
    }
};

// More than one batch of cards fetched and applied.
constexpr int kPersons = 250;

TEST(SyncFaults, AServerStoppedInTheMiddleOfTheFirstUploadIsFinishedByTheNextSync) {
    CardDavServer server(Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook book;
    const std::string path = book.Create();
    AddMany(path, 0, kPersons);
    LinkTo(path, server);

    int seen = 0;
    const auto outcome = RunSync(path, {}, [&](carddav::SyncSession& session) {
        QObject::connect(&session, &carddav::SyncSession::Progress, [&](int done, int total) {
            if (total == kPersons && done >= 30 && seen == 0) {
                seen = done;
                server.Stop();
            }
        });
    });
    ASSERT_GE(seen, 30) << "the server was not stopped";
    EXPECT_FALSE(outcome.Ok());
    EXPECT_TRUE(outcome.error.startsWith(QStringLiteral("The server could not be reached: ")))
        << outcome.error.toStdString();
    EXPECT_FALSE(outcome.error.contains(QLatin1Char('\n'))) << outcome.error.toStdString();
    EXPECT_EQ(outcome.Summary(), outcome.error);
    const int stored = Count(path, "SyncCard");
    EXPECT_GE(stored, seen - 4);
    EXPECT_LT(stored, kPersons);
    EXPECT_EQ(Count(path, "Person"), kPersons);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT SyncToken FROM SyncAccount"), "");

    ASSERT_TRUE(server.Restart()) << server.Failure().toStdString();
    BothSides edits;
    ASSERT_NO_FATAL_FAILURE(edits.Make(path, server, kPersons));
    const auto second = RunSync(path, {});
    ASSERT_TRUE(second.Ok()) << second.error.toStdString();
    EXPECT_TRUE(InStep(path, server));
    edits.Expect(path, kPersons);
    // Nothing left to do.
    const auto third = RunSync(path, {});
    EXPECT_EQ(third.sent + third.received + third.fetched, 0) << third.Summary().toStdString();
}

// tidemark-cli sync on the book, killed with SIGKILL once now(ms since the start) says so.
// False when the program ended by itself first.
bool KillSyncWhen(const std::string& path, const std::function<bool(qint64)>& now) {
    // A home of its own: the program's settings stay out of the user's.
    const QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.remove(QStringLiteral("TIDEMARK_BOOK"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.setProgram(QStringLiteral(TIDEMARK_CLI));
    cli.setArguments({QStringLiteral("--book"), QString::fromStdString(path),
                      QStringLiteral("sync"), QStringLiteral("--password-command"),
                      QStringLiteral("echo any")});
    cli.start();
    EXPECT_TRUE(cli.waitForStarted(5000)) << cli.errorString().toStdString();
    QElapsedTimer clock;
    clock.start();
    while (cli.state() == QProcess::Running && clock.elapsed() < 60000) {
        if (now(clock.elapsed())) {
            cli.kill();
            cli.waitForFinished(5000);
            return cli.exitStatus() == QProcess::CrashExit;
        }
        QThread::msleep(2);
    }
    cli.waitForFinished(60000);
    return false;
}

// Once the server holds that many cards.
bool KillSyncAtCards(const std::string& path, const CardDavServer& server, int cards) {
    const QDir folder(server.AddressBookFolder());
    return KillSyncWhen(path, [&](qint64) {
        return folder.entryList({QStringLiteral("*.vcf")}, QDir::Files).size() >= cards;
    });
}

TEST(SyncFaults, TheProgramKilledInTheMiddleOfSyncsLeavesNoDuplicateAndLosesNoEdit) {
    CardDavServer server(Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook book;
    const std::string path = book.Create("here.tch");
    AddMany(path, 0, kPersons);
    LinkTo(path, server);

    // Early in the upload, and again further on.
    EXPECT_TRUE(KillSyncAtCards(path, server, 20)) << "the sync ended before the kill";
    const int first = Count(path, "SyncCard");
    EXPECT_LT(first, kPersons);
    BothSides edits;
    ASSERT_NO_FATAL_FAILURE(edits.Make(path, server, kPersons));
    EXPECT_TRUE(KillSyncAtCards(path, server, first + 60)) << "the sync ended before the kill";
    EXPECT_GT(Count(path, "SyncCard"), first);
    EXPECT_EQ(Count(path, "Person"), kPersons);
    const auto done = RunSync(path, {});
    ASSERT_TRUE(done.Ok()) << done.error.toStdString();
    EXPECT_TRUE(InStep(path, server));
    edits.Expect(path, kPersons);

    // A second device receiving the whole address book, killed at a few points of its pull:
    // once its first batch of persons is written (the file grows), and after a few delays.
    for (const int delay : {0, 50, 100, 150, 250}) {
        const std::string there = book.Create(("there" + std::to_string(delay) + ".tch").c_str());
        LinkTo(there, server);
        const qint64 size = QFileInfo(QString::fromStdString(there)).size();
        KillSyncWhen(there, [&](qint64 elapsed) {
            return delay == 0 ? QFileInfo(QString::fromStdString(there)).size() > size
                              : elapsed >= delay;
        });
        const int received = Count(there, "Person");
        const auto finished = RunSync(there, {});
        ASSERT_TRUE(finished.Ok()) << finished.error.toStdString();
        EXPECT_EQ(finished.received, kPersons - received) << "after " << delay << " ms";
        EXPECT_TRUE(InStep(there, server)) << "killed after " << delay << " ms";
    }
    EXPECT_TRUE(InStep(path, server));
}

// A server that worked, then answers one kind of request wrong: the sync says so in plain
// words, and the book keeps every person and the state of what was agreed before.
struct Fault {
    const char* name;
    const char* message;  // the start of the outcome's error; %1 the address book's URL
};

class SyncFaultyAnswers : public ::testing::TestWithParam<Fault> {};

TEST_P(SyncFaultyAnswers, SayWhatWentWrongAndLoseNothingHere) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("book"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook book;
    const std::string path = book.Create();
    AddMany(path, 0, 5);
    ASSERT_TRUE(PutOnServer(server, "phone.vcf",
                            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone\r\nN:Phone;Pia;;;\r\n"
                            "FN:Pia Phone\r\nTEL;TYPE=CELL:+47 900 1\r\nEND:VCARD\r\n"));
    LinkTo(path, server);
    const auto first = RunSync(path, {});
    ASSERT_TRUE(first.Ok()) << first.error.toStdString();
    ASSERT_TRUE(InStep(path, server));
    const std::string edited = Find(path, "Family2").id;
    // Every state row but the edited person's, and every person.
    const auto rows = [&] {
        return TestBook::QueryText(path,
                                   "SELECT group_concat(PersonID || Href || ETag || Base, '|') "
                                   "FROM (SELECT * FROM SyncCard WHERE PersonID <> '" +
                                       edited + "' ORDER BY PersonID)");
    };
    const auto persons = [&] {
        return TestBook::QueryText(path,
                                   "SELECT group_concat(ID || FName || LName || City || Email, "
                                   "'|') FROM (SELECT * FROM Person ORDER BY ID)");
    };
    const std::string rowsBefore = rows();
    const std::string tokenBefore = TestBook::QueryText(path, "SELECT SyncToken FROM SyncAccount");
    ASSERT_NE(tokenBefore, "");

    // A change here goes before the listing that fails.
    Edit(path, "Family2", F::City, "Sent before the fault");
    ASSERT_TRUE(SetFault(server, QString::fromLatin1(GetParam().name)));
    const std::string personsBefore = persons();
    // A short time-out for the server that never answers; the others answer, if slowly
    // (20 MB on a busy machine).
    const bool silent = std::string(GetParam().name) == "silent";
    const auto outcome = RunSync(path, {}, [&](carddav::SyncSession& session) {
        session.Client().SetTimeout(silent ? 1000 : 60000);
    });
    QString message = QString::fromUtf8(GetParam().message);
    if (message.contains(QLatin1String("%1"))) {
        message = message.arg(server.AddressBookUrl().toString());
    }
    EXPECT_TRUE(outcome.error.startsWith(message)) << outcome.error.toStdString();
    EXPECT_EQ(outcome.Summary(), outcome.error);

    EXPECT_EQ(persons(), personsBefore);
    EXPECT_EQ(rows(), rowsBefore);
    // The change sent is agreed; the token stays where it was.
    EXPECT_NE(
        TestBook::QueryText(path, "SELECT Base FROM SyncCard WHERE PersonID = '" + edited + "'")
            .find("Sent before the fault"),
        std::string::npos);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT SyncToken FROM SyncAccount"), tokenBefore);
    EXPECT_EQ(Count(path, "Person"), 6);

    // Good answers again: in step.
    ASSERT_TRUE(SetFault(server, QStringLiteral("none")));
    if (std::string(GetParam().name) == "huge") {
        ASSERT_TRUE(
            DeleteOnServer(server, server.AddressBookUrl().toString().toStdString() + "huge.vcf"));
    }
    const auto again = RunSync(path, {});
    EXPECT_TRUE(again.Ok()) << again.error.toStdString();
    EXPECT_TRUE(InStep(path, server));
    EXPECT_EQ(Find(path, "Family2")[F::City], "Sent before the fault");
}

// A whole listing in parts (507 and the token of the rest): a card is deleted only when no part
// names it.
TEST(SyncFaults, AListingInPartsDeletesNothingThatALaterPartNames) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("book"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook book;
    const std::string path = book.Create();
    AddMany(path, 0, 7);
    LinkTo(path, server);
    ASSERT_TRUE(RunSync(path, {}).Ok());
    ASSERT_TRUE(InStep(path, server));
    ASSERT_TRUE(DeleteOnServer(server, HrefOf(path, "Family5")));
    ASSERT_TRUE(SetFault(server, QStringLiteral("truncate")));
    // A token the server refuses: every card listed again, two at a time.
    TestBook::Execute(path, "UPDATE SyncAccount SET SyncToken = 'refused'");
    const auto outcome = RunSync(path, {});
    ASSERT_TRUE(outcome.Ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.received, 1);
    EXPECT_EQ(outcome.fetched, 0);
    EXPECT_EQ(Count(path, "Person"), 6);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM Person WHERE LName = 'Family5'"),
              "0");
    EXPECT_TRUE(InStep(path, server));
    // The token of the last part is kept.
    EXPECT_EQ(TestBook::QueryText(path, "SELECT SyncToken FROM SyncAccount")
                  .rfind("http://faulty.invalid/sync/", 0),
              0u);
}

// One PUT that does not come back in time while the others do: the sync stops with the
// time-out, what the answers that came meanwhile say is kept, and the next sync finishes.
TEST(SyncFaults, ASlowAnswerAmongQuickOnesStopsTheSyncAndTheNextFinishesIt) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("book"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook book;
    const std::string path = book.Create();
    AddMany(path, 0, 150);
    LinkTo(path, server);
    ASSERT_TRUE(SetFault(server, QStringLiteral("slowput")));
    // The session stays, as a window keeps it, while the answers in flight come in.
    carddav::SyncSession session(path, {});
    session.Client().SetTimeout(1000);
    std::vector<carddav::SyncOutcome> outcomes;
    QEventLoop loop;
    QObject::connect(&session, &carddav::SyncSession::Finished, [&](const carddav::SyncOutcome& o) {
        outcomes.push_back(o);
        QTimer::singleShot(800, &loop, &QEventLoop::quit);
    });
    QElapsedTimer clock;
    clock.start();
    session.Start();
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].error, QStringLiteral("The server did not answer in 1 second."));
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(session.Client().InFlight(), 0);
    EXPECT_EQ(Count(path, "Person"), 150);
    const int stored = Count(path, "SyncCard");
    EXPECT_GT(stored, 0);
    EXPECT_LT(stored, 150);
    // The slow card is stored on the server by now, without its state here.
    QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, 3200 - clock.elapsed())));
    ASSERT_TRUE(SetFault(server, QStringLiteral("none")));
    const auto again = RunSync(path, {});
    ASSERT_TRUE(again.Ok()) << again.error.toStdString();
    EXPECT_TRUE(InStep(path, server));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SyncFaultyAnswers,
    ::testing::Values(Fault{"malformed", "The server's answer could not be read: "},
                      Fault{"loop", "The server's redirects go round in a loop."},
                      Fault{"outside", "The server named a card outside the address book: "},
                      Fault{"silent", "The server did not answer in 1 second."},
                      Fault{"huge",
                            "The card at %1huge.vcf is larger than 8 MB: it was left out."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
