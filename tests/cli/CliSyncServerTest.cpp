// link, sync and unlink through the program against real servers, Radicale (with a password
// file) and Xandikos: two books linked to one address book stand for two devices.
#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include "CardDavServer.h"
#include "CliRun.h"
#include "Database.h"
#include "SyncSession.h"
#include "TestBook.h"

namespace {

using Kind = CardDavServer::Kind;

// Every person of the book as first name, last name and company, sorted.
QStringList Persons(const std::string& path) {
    QStringList persons;
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& query =
        db.CreateStatement().ExecuteQuery("SELECT FName, LName, Company FROM Person");
    while (query.Next()) {
        persons.append(
            QStringLiteral("%1 %2 (%3)")
                .arg(Q(query.GetString(1)), Q(query.GetString(2)), Q(query.GetString(3))));
    }
    persons.sort();
    return persons;
}

bool FolderHolds(const QString& folder, const QByteArray& bytes) {
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes)) {
            return true;
        }
    }
    return false;
}

QString Summary(int sent, int received, int conflicts) {
    carddav::SyncOutcome outcome;
    outcome.sent = sent;
    outcome.received = received;
    outcome.conflicts = conflicts;
    return outcome.Summary();
}

class CliSyncServer : public ::testing::TestWithParam<Kind> {
protected:
    // Radicale checks the password; Xandikos takes any.
    static constexpr char kPassword[] = "Tide-s3cret";

    void SetUp() override {
        server_ = std::make_unique<CardDavServer>(
            GetParam(), GetParam() == Kind::Radicale ? QLatin1String(kPassword) : QString());
        ASSERT_TRUE(server_->Ok()) << server_->Failure().toStdString();
        here_ = books_.Create("here.tch");
        there_ = books_.Create("there.tch");
    }

    QStringList Password() const {
        return {QStringLiteral("--password-command"),
                QStringLiteral("printf '%1\\nnot this line\\n'").arg(QLatin1String(kPassword))};
    }
    CliResult Cli(const std::string& book, QStringList arguments) const {
        return cli_.OnBook(book, arguments);
    }
    CliResult Link(const std::string& book, const QStringList& more = {}) const {
        return Cli(book, QStringList{QStringLiteral("link"), server_->BaseUrl().toString(),
                                     QStringLiteral("--user"), server_->User()} +
                             Password() + more);
    }
    CliResult Sync(const std::string& book) const {
        return Cli(book, QStringList{QStringLiteral("sync")} + Password());
    }
    QString LinkedLine(const QString& name, const QUrl& url) const {
        return QStringLiteral(
                   "Linked to the address book \"%1\" at %2; the next sync sends "
                   "every person.")
            .arg(name, url.toString());
    }

    std::unique_ptr<CardDavServer> server_;
    TestBook books_;
    CliRunner cli_;
    std::string here_, there_;
};

TEST_P(CliSyncServer, LinksTheOnlyAddressBookFromTheServersAddressAndKeepsNoPassword) {
    const CliResult link = Link(here_);
    ASSERT_EQ(link.status, 0) << link.err.toStdString();
    ASSERT_EQ(link.OutLines().size(), 1);
    EXPECT_TRUE(link.out.contains(server_->AddressBookUrl().toString())) << link.out.toStdString();
    EXPECT_EQ(link.err, QString());
    carddav::Account account;
    ASSERT_TRUE(carddav::ReadAccount(here_, account));
    EXPECT_EQ(account.addressBook, server_->AddressBookUrl());
    EXPECT_EQ(account.user, server_->User());
    EXPECT_EQ(account.server, server_->BaseUrl().toString());
    EXPECT_EQ(link.OutLines().front(), LinkedLine(account.displayName, account.addressBook));

    // --remember with no password store on the desktop: linked all the same, and told so.
    const CliResult remembered = Link(there_, {QStringLiteral("--remember")});
    EXPECT_EQ(remembered.status, 0);
    EXPECT_EQ(remembered.ErrLines(),
              QStringList{QStringLiteral("There is no password store on this desktop: the "
                                         "password is not remembered.")});

    TestBook::AddPerson(here_, "Grace", "Hopper", "Navy");
    EXPECT_EQ(Sync(here_).status, 0);
    // Neither in the books nor in the settings and files of the program's home.
    EXPECT_FALSE(FolderHolds(books_.Folder(), kPassword));
    EXPECT_FALSE(FolderHolds(cli_.ConfigFolder(), kPassword));
    EXPECT_FALSE(FolderHolds(cli_.Environment().value(QStringLiteral("HOME")), kPassword));
}

TEST_P(CliSyncServer, ChoosesByNameOrUrlCreatesAndListsWhenSeveralAreThere) {
    const CliResult created = Link(here_, {QStringLiteral("--create"), QStringLiteral("Work")});
    ASSERT_EQ(created.status, 0) << created.err.toStdString();
    carddav::Account work;
    ASSERT_TRUE(carddav::ReadAccount(here_, work));
    EXPECT_EQ(work.displayName, QStringLiteral("Work"));
    EXPECT_NE(work.addressBook, server_->AddressBookUrl());
    EXPECT_EQ(created.OutLines(),
              QStringList{LinkedLine(QStringLiteral("Work"), work.addressBook)});

    // Two now: none is taken without a choice, and both are listed.
    const CliResult several = Link(there_);
    EXPECT_EQ(several.status, 1);
    QStringList listed = several.OutLines();
    listed.sort();
    ASSERT_EQ(listed.size(), 2) << several.out.toStdString();
    EXPECT_TRUE(listed.contains(work.addressBook.toString() + QStringLiteral("\tWork")));
    EXPECT_EQ(std::count_if(listed.begin(), listed.end(),
                            [&](const QString& line) {
                                return line.startsWith(server_->AddressBookUrl().toString() +
                                                       QLatin1Char('\t'));
                            }),
              1);
    EXPECT_EQ(several.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: The server has 2 address books: choose one "
                                         "with --addressbook NAME-OR-URL.")});
    carddav::Account none;
    EXPECT_FALSE(carddav::ReadAccount(there_, none));

    const CliResult byName =
        Link(there_, {QStringLiteral("--addressbook"), QStringLiteral("Work")});
    EXPECT_EQ(byName.status, 0) << byName.err.toStdString();
    carddav::Account chosen;
    ASSERT_TRUE(carddav::ReadAccount(there_, chosen));
    EXPECT_EQ(chosen.addressBook, work.addressBook);

    // By URL, its last slash left off: linked anew to the other one.
    QString url = server_->AddressBookUrl().toString();
    url.chop(1);
    const CliResult byUrl = Link(there_, {QStringLiteral("--addressbook"), url});
    EXPECT_EQ(byUrl.status, 0) << byUrl.err.toStdString();
    ASSERT_TRUE(carddav::ReadAccount(there_, chosen));
    EXPECT_EQ(chosen.addressBook, server_->AddressBookUrl());

    const CliResult unknown =
        Link(there_, {QStringLiteral("--addressbook"), QStringLiteral("Holidays")});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.OutLines().size(), 2);
    EXPECT_EQ(
        unknown.ErrLines(),
        QStringList{QStringLiteral("tidemark-cli: The server has no address book \"Holidays\".")});
    ASSERT_TRUE(carddav::ReadAccount(there_, chosen));
    EXPECT_EQ(chosen.addressBook, server_->AddressBookUrl());
}

TEST_P(CliSyncServer, SyncsBothWaysHoldsAConflictAndUnlinkKeepsEveryPerson) {
    TestBook::AddPerson(here_, "Ada", "Lovelace", "Analytical");
    TestBook::AddPerson(here_, "Alan", "Turing", "Bletchley");
    ASSERT_EQ(Link(here_).status, 0);
    ASSERT_EQ(Link(there_).status, 0);

    const CliResult first = Sync(here_);
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.OutLines(), QStringList{Summary(2, 0, 0)});
    const CliResult arrived = Sync(there_);
    EXPECT_EQ(arrived.status, 0) << arrived.err.toStdString();
    EXPECT_EQ(arrived.OutLines(), QStringList{Summary(0, 2, 0)});
    EXPECT_EQ(Persons(there_), Persons(here_));

    // Back the other way: an edit and a new person there reach here.
    TestBook::Execute(there_, "UPDATE Person SET Company = 'Manchester' WHERE LName = 'Turing'");
    TestBook::AddPerson(there_, "Grace", "Hopper", "Navy");
    EXPECT_EQ(Sync(there_).OutLines(), QStringList{Summary(2, 0, 0)});
    const CliResult back = Sync(here_);
    EXPECT_EQ(back.status, 0) << back.err.toStdString();
    EXPECT_EQ(back.OutLines(), QStringList{Summary(0, 2, 0)});
    EXPECT_EQ(Persons(here_), Persons(there_));
    EXPECT_TRUE(Persons(here_).contains(QStringLiteral("Alan Turing (Manchester)")));
    EXPECT_EQ(Sync(here_).OutLines(), QStringList{Summary(0, 0, 0)});

    // The same field on both sides: held, neither side changed, and the exit status says so.
    TestBook::Execute(here_,
                      "UPDATE Person SET Company = 'Royal Society' WHERE LName = 'Lovelace'");
    TestBook::Execute(there_,
                      "UPDATE Person SET Company = 'Babbage & Co' WHERE LName = 'Lovelace'");
    EXPECT_EQ(Sync(here_).status, 0);
    const CliResult held = Sync(there_);
    EXPECT_EQ(held.status, 4) << held.err.toStdString();
    EXPECT_EQ(held.OutLines(), QStringList{Summary(0, 0, 1)});
    EXPECT_EQ(held.err, QString());
    EXPECT_TRUE(Persons(there_).contains(QStringLiteral("Ada Lovelace (Babbage & Co)")));
    EXPECT_EQ(Sync(there_).status, 4);
    EXPECT_TRUE(Persons(here_).contains(QStringLiteral("Ada Lovelace (Royal Society)")));

    const QStringList before = Persons(there_);
    const CliResult unlink = Cli(there_, {QStringLiteral("unlink")});
    EXPECT_EQ(unlink.status, 0) << unlink.err.toStdString();
    EXPECT_EQ(unlink.OutLines().size(), 1);
    EXPECT_TRUE(unlink.out.startsWith(QStringLiteral("Unlinked from the address book")));
    EXPECT_EQ(Persons(there_), before);
    EXPECT_EQ(Cli(there_, {QStringLiteral("sync")}).status, 3);
    // The server keeps its cards: the other device is still in step.
    EXPECT_EQ(Sync(here_).status, 0);
    EXPECT_EQ(Persons(here_).size(), 3);
}

INSTANTIATE_TEST_SUITE_P(Servers, CliSyncServer, ::testing::Values(Kind::Radicale, Kind::Xandikos),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return info.param == Kind::Radicale ? "Radicale" : "Xandikos";
                         });

// A password the server refuses: the message, and the book as it was.
TEST(CliSyncPassword, AWrongPasswordStopsLinkAndSyncWithTheServersReason) {
    CardDavServer server(Kind::Radicale, QStringLiteral("right-one"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook books;
    const std::string path = books.Create();
    TestBook::AddPerson(path, "Ada", "Lovelace", "Analytical");
    CliRunner cli;
    const QStringList link{QStringLiteral("link"), server.BaseUrl().toString(),
                           QStringLiteral("--user"), server.User()};

    const CliResult refused = cli.OnBook(
        path,
        link + QStringList{QStringLiteral("--password-command"), QStringLiteral("echo wrong-one")});
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.out, QString());
    const QStringList reason{
        QStringLiteral("tidemark-cli: The server refused the user name or password.")};
    EXPECT_EQ(refused.ErrLines(), reason);
    carddav::Account account;
    EXPECT_FALSE(carddav::ReadAccount(path, account));

    // Typed on the terminal, the right one links.
    const QString prompt =
        QStringLiteral("Password for %1 at %2: ").arg(server.User(), server.BaseUrl().toString());
    const CliResult typed = cli.OnTerminal(QStringList{QStringLiteral("--book"), Q(path)} + link,
                                           prompt, QStringLiteral("right-one"));
    EXPECT_EQ(typed.status, 0) << typed.out.toStdString();
    EXPECT_FALSE(typed.out.contains(QStringLiteral("right-one")));
    ASSERT_TRUE(carddav::ReadAccount(path, account));

    const QStringList before = Persons(path);
    const CliResult sync =
        cli.OnBook(path, {QStringLiteral("sync"), QStringLiteral("--password-command"),
                          QStringLiteral("echo wrong-one")});
    EXPECT_EQ(sync.status, 3);
    EXPECT_EQ(sync.out, QString());
    EXPECT_EQ(sync.ErrLines(), reason);
    EXPECT_EQ(Persons(path), before);

    // On a terminal: asked for, the progress shown as it goes, then the outcome.
    const CliResult watched =
        cli.OnTerminal({QStringLiteral("--book"), Q(path), QStringLiteral("sync")}, prompt,
                       QStringLiteral("right-one"));
    EXPECT_EQ(watched.status, 0) << watched.out.toStdString();
    EXPECT_TRUE(watched.out.contains(QStringLiteral("Syncing: 1 of 1 persons")))
        << watched.out.toStdString();
    EXPECT_TRUE(watched.out.endsWith(Summary(1, 0, 0) + QLatin1Char('\n')))
        << watched.out.toStdString();
    // A script's run shows the outcome alone.
    const CliResult again =
        cli.OnBook(path, {QStringLiteral("sync"), QStringLiteral("--password-command"),
                          QStringLiteral("echo right-one")});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, Summary(0, 0, 0) + QLatin1Char('\n'));
    EXPECT_EQ(again.err, QString());
}

// A server that takes the connection and never answers: Ctrl+C (or SIGTERM) stops the sync at
// once with a message, and the book is as it was.
TEST(CliSyncInterrupt, AnInterruptStopsTheSyncWithAMessageAndLeavesTheBookAsItWas) {
    CardDavServer silent(Kind::Faulty, QString(), QStringLiteral("silent"));
    ASSERT_TRUE(silent.Ok()) << silent.Failure().toStdString();
    TestBook books;
    const std::string path = books.Create();
    TestBook::AddPerson(path, "Ada", "Lovelace", "Analytical");
    carddav::Account account;
    account.server = silent.BaseUrl().toString();
    account.user = silent.User();
    account.addressBook = silent.AddressBookUrl();
    account.displayName = QStringLiteral("book");
    carddav::Link(path, account);
    const QStringList before = Persons(path);

    CliRunner cli;
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        QProcess process;
        process.setProcessEnvironment(cli.Environment());
        process.setChildProcessModifier([] { setsid(); });
        process.start(QStringLiteral(TIDEMARK_CLI),
                      {QStringLiteral("--book"), Q(path), QStringLiteral("sync"),
                       QStringLiteral("--password-command"), QStringLiteral("echo secret")});
        ASSERT_TRUE(process.waitForStarted(5000));
        // Well past the password and into the first request, which is never answered.
        EXPECT_FALSE(process.waitForFinished(1500));
        ASSERT_EQ(kill(static_cast<pid_t>(process.processId()), signal), 0);
        ASSERT_TRUE(process.waitForFinished(5000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 3);
        EXPECT_EQ(process.readAllStandardOutput(), QByteArray());
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
                  QStringLiteral("tidemark-cli: The sync was cancelled; the next sync finishes "
                                 "the work.\n"));
        EXPECT_EQ(Persons(path), before);
        EXPECT_TRUE(carddav::ReadAccount(path, account));
    }
}

// Answers no client should take: each is one line on standard error and exit status 3, for
// link and for sync, and the book is as it was.
TEST(CliSyncFaults, BadAnswersAreOneLineAndExitThreeWithTheBookUntouched) {
    for (const char* mode : {"malformed", "loop", "chain"}) {
        SCOPED_TRACE(mode);
        CardDavServer faulty(Kind::Faulty, QString(), QLatin1String(mode));
        ASSERT_TRUE(faulty.Ok()) << faulty.Failure().toStdString();
        TestBook books;
        const std::string path = books.Create();
        TestBook::AddPerson(path, "Ada", "Lovelace", "Analytical");
        const QStringList before = Persons(path);
        CliRunner cli;
        const QStringList password{QStringLiteral("--password-command"),
                                   QStringLiteral("echo secret")};

        const CliResult link =
            cli.OnBook(path, QStringList{QStringLiteral("link"), faulty.BaseUrl().toString(),
                                         QStringLiteral("--user"), faulty.User()} +
                                 password);
        EXPECT_EQ(link.status, 3);
        EXPECT_EQ(link.out, QString());
        ASSERT_EQ(link.ErrLines().size(), 1) << link.err.toStdString();
        EXPECT_TRUE(link.err.startsWith(QStringLiteral("tidemark-cli: ")));
        carddav::Account account;
        EXPECT_FALSE(carddav::ReadAccount(path, account));

        account.server = faulty.BaseUrl().toString();
        account.user = faulty.User();
        account.addressBook = faulty.AddressBookUrl();
        carddav::Link(path, account);
        const CliResult sync = cli.OnBook(path, QStringList{QStringLiteral("sync")} + password);
        EXPECT_EQ(sync.status, 3);
        EXPECT_EQ(sync.out, QString());
        ASSERT_EQ(sync.ErrLines().size(), 1) << sync.err.toStdString();
        EXPECT_TRUE(sync.err.startsWith(QStringLiteral("tidemark-cli: ")));
        EXPECT_EQ(Persons(path), before);
    }
}

}  // namespace
