// link, sync and unlink as the shell meets them before any server answers: wrong use, a book
// that is not linked, and where the password comes from.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTcpServer>

#include "CliRun.h"
#include "TestBook.h"

namespace {

const char kLinkUsage[] =
    "Usage: tidemark-cli [--book FILE] link URL --user NAME [--addressbook NAME-OR-URL | "
    "--create NAME] [--password-command CMD] [--remember]";

// A loopback address where nothing listens: whatever gets past the password finds no server.
QString NobodyListening() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

QByteArray FileBytes(const std::string& path) {
    QFile file(Q(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

class CliSyncUse : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        TestBook::AddPerson(path_, "Ada", "Lovelace");
    }
    CliResult Cli(const QStringList& arguments) const { return cli_.OnBook(path_, arguments); }

    TestBook book_;
    CliRunner cli_;
    std::string path_;
};

TEST_F(CliSyncUse, WrongUseOfLinkSyncAndUnlinkIsToldWithTheUsageLine) {
    struct Case {
        QStringList arguments;
        QString message;
        QString usage;
    };
    const QString link = QLatin1String(kLinkUsage);
    const QString sync =
        QStringLiteral("Usage: tidemark-cli [--book FILE] sync [--password-command CMD]");
    const QString unlink = QStringLiteral("Usage: tidemark-cli [--book FILE] unlink");
    const std::vector<Case> cases = {
        {{"link", "--user", "anna"}, "link takes one URL.", link},
        {{"link", "a.example", "b.example", "--user", "anna"}, "link takes one URL.", link},
        {{"link", "dav.example.com"}, "link needs --user NAME.", link},
        {{"link", "dav.example.com", "--user", "anna", "--addressbook", "Work", "--create", "Home"},
         "--addressbook and --create cannot go together.",
         link},
        {{"link", "dav.example.com", "--user", "anna", "--create", " "},
         "--create needs the name of the new address book.",
         link},
        {{"link", "dav.example.com", "--password-command"},
         "--password-command needs a value.",
         link},
        {{"link", "dav.example.com", "--user", "anna", "--remember=yes"},
         "--remember takes no value.",
         link},
        {{"sync", "--user", "anna"}, "sync takes no option --user.", sync},
        {{"sync", "now"}, "sync takes no arguments.", sync},
        {{"unlink", "--password-command", "true"},
         "unlink takes no option --password-command.",
         unlink},
        {{"unlink", "everything"}, "unlink takes no arguments.", unlink},
        {{"list", "--remember"},
         "list takes no option --remember.",
         "Usage: tidemark-cli [--book FILE] list [--json] [WORDS...]"},
    };
    const QByteArray before = FileBytes(path_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CliResult result = Cli(c.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, QString());
        EXPECT_EQ(result.ErrLines(),
                  (QStringList{QStringLiteral("tidemark-cli: ") + c.message, c.usage}));
    }
    EXPECT_EQ(FileBytes(path_), before);
}

TEST_F(CliSyncUse, HelpNamesEveryOptionOfTheSyncCommandsAndTheirExitStatus) {
    const CliResult link = cli_.Run({QStringLiteral("link"), QStringLiteral("--help")});
    EXPECT_EQ(link.status, 0);
    ASSERT_FALSE(link.OutLines().isEmpty());
    EXPECT_EQ(link.OutLines().front(), QLatin1String(kLinkUsage));
    for (const char* option :
         {"--user", "--addressbook", "--create", "--password-command", "--remember"}) {
        EXPECT_TRUE(link.out.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(option))))
            << option;
    }
    const CliResult unlink = cli_.Run({QStringLiteral("unlink"), QStringLiteral("--help")});
    EXPECT_EQ(unlink.status, 0);
    EXPECT_EQ(unlink.OutLines().value(0),
              QStringLiteral("Usage: tidemark-cli [--book FILE] unlink"));
    EXPECT_FALSE(unlink.out.contains(QStringLiteral("Options:")));

    const CliResult program = cli_.Run({QStringLiteral("--help")});
    EXPECT_EQ(program.status, 0);
    for (const char* command : {"link", "sync", "unlink"}) {
        EXPECT_TRUE(program.out.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(command))))
            << command;
    }
    EXPECT_TRUE(program.out.contains(QStringLiteral("4 the sync holds persons in a conflict")));
}

TEST_F(CliSyncUse, ABookNotLinkedIsNeitherSyncedNorUnlinked) {
    const QByteArray before = FileBytes(path_);
    const CliResult sync = Cli({QStringLiteral("sync"), QStringLiteral("--password-command"),
                                QStringLiteral("echo never-asked")});
    EXPECT_EQ(sync.status, 3);
    EXPECT_EQ(sync.out, QString());
    EXPECT_EQ(sync.ErrLines(),
              QStringList{QStringLiteral(
                  "tidemark-cli: The book is not linked to a server; tidemark-cli link ...")});

    const CliResult unlink = Cli({QStringLiteral("unlink")});
    EXPECT_EQ(unlink.status, 1);
    EXPECT_EQ(unlink.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: The book is not linked to a server.")});
    EXPECT_EQ(FileBytes(path_), before);

    // Not a book at all: the book's own message, before any password is asked for.
    const CliResult missing =
        cli_.OnBook(book_.Path("missing.tch").c_str(), {QStringLiteral("sync")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("was not found")));
    EXPECT_FALSE(QFile::exists(Q(book_.Path("missing.tch"))));
}

// The password comes from the command, else the store, else the terminal; without any the
// program stops before it reaches the server, and the book is left as it was.
TEST_F(CliSyncUse, APasswordCommandThatFailsOrPrintsNothingStopsTheLink) {
    const QString url = NobodyListening();
    struct Case {
        QString command;
        QString message;
    };
    const std::vector<Case> cases = {
        {"exit 7", "The password command failed (exit status 7)."},
        {"echo s3cret >&2; false", "The password command failed (exit status 1)."},
        {"true", "The password command printed no password."},
        {"printf '\\nsecond line'", "The password command printed no password."},
        {"printf '\\r\\n'", "The password command printed no password."},
    };
    const QByteArray before = FileBytes(path_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        const CliResult result =
            Cli({QStringLiteral("link"), url, QStringLiteral("--user"), QStringLiteral("anna"),
                 QStringLiteral("--password-command"), c.command});
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(result.out, QString());
        // The command's own standard error is the user's; the program adds one line of its own.
        EXPECT_EQ(result.ErrLines().value(result.ErrLines().size() - 1),
                  QStringLiteral("tidemark-cli: ") + c.message);
        EXPECT_FALSE(result.ErrLines().value(result.ErrLines().size() - 1).contains(c.command));
    }
    EXPECT_EQ(FileBytes(path_), before);
}

TEST_F(CliSyncUse, ThePasswordCommandsFirstLineIsTakenAndTheServerAskedNext) {
    const QString url = NobodyListening();
    // Nothing listens: what follows the password is the server's failure, not the password's.
    // The first line with its end, or all that was printed without one (as secret-tool does).
    for (const char* command : {"printf 'first\\nsecond\\n'", "printf 'first'"}) {
        const CliResult result =
            Cli({QStringLiteral("link"), url, QStringLiteral("--user"), QStringLiteral("anna"),
                 QStringLiteral("--password-command"), QString::fromUtf8(command)});
        EXPECT_EQ(result.status, 3) << command;
        ASSERT_EQ(result.ErrLines().size(), 1) << result.err.toStdString();
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("tidemark-cli: ")));
        EXPECT_FALSE(result.err.contains(QStringLiteral("password command")))
            << command << ": " << result.err.toStdString();
        EXPECT_FALSE(result.err.contains(QStringLiteral("first")));
    }
}

TEST_F(CliSyncUse, WithoutTerminalOrStoreOrCommandItSaysHowToGiveOne) {
    const QString url = NobodyListening();
    const CliResult result = Cli({QStringLiteral("link"), url, QStringLiteral("--user"),
                                  QStringLiteral("anna"), QStringLiteral("--remember")});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(result.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: No password for anna at %1: give "
                                         "--password-command CMD, keep it in the desktop's "
                                         "password store (link --remember), or run on a "
                                         "terminal.")
                              .arg(url)});
}

TEST_F(CliSyncUse, OnATerminalThePasswordIsAskedForWithoutEcho) {
    const QString url = NobodyListening();
    const QString prompt = QStringLiteral("Password for anna at %1: ").arg(url);
    const CliResult result =
        cli_.OnTerminal({QStringLiteral("--book"), Q(path_), QStringLiteral("link"), url,
                         QStringLiteral("--user"), QStringLiteral("anna")},
                        prompt, QStringLiteral("typed-Secret-42"));
    EXPECT_TRUE(result.out.startsWith(prompt)) << result.out.toStdString();
    EXPECT_FALSE(result.out.contains(QStringLiteral("typed-Secret-42")))
        << result.out.toStdString();
    // Past the password: the server's failure, on a line of its own after the prompt.
    EXPECT_EQ(result.status, 3);
    const QStringList lines =
        result.out.mid(prompt.size()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << result.out.toStdString();
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("tidemark-cli: ")));

    // Nothing typed: no password, and the server is not asked.
    const CliResult empty =
        cli_.OnTerminal({QStringLiteral("--book"), Q(path_), QStringLiteral("link"), url,
                         QStringLiteral("--user"), QStringLiteral("anna")},
                        prompt, QString());
    EXPECT_EQ(empty.status, 3);
    EXPECT_EQ(empty.out, prompt + QStringLiteral("\ntidemark-cli: No password was typed.\n"));
}

}  // namespace
