// Which book tidemark-cli takes, what it says about the ones it cannot use, new, help and wrong
// use.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "CliRun.h"
#include "Database.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "SettingsSandbox.h"
#include "TestBook.h"

namespace {

const char kListUsage[] = "Usage: tidemark-cli [--book FILE] list [--json] [WORDS...]";

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Three books, each with one person named after it, so a list tells which was read.
class CliBookResolution : public ::testing::Test {
protected:
    void SetUp() override {
        named_ = book_.Create("named.tch");
        TestBook::AddPerson(named_, "Nina", "Named");
        fromEnvironment_ = book_.Create("environment.tch");
        TestBook::AddPerson(fromEnvironment_, "Erin", "Environment");
        recentNewest_ = book_.Create("recent.tch");
        TestBook::AddPerson(recentNewest_, "Rita", "Recent");
        recentOlder_ = book_.Create("older.tch");
        TestBook::AddPerson(recentOlder_, "Olga", "Older");
    }

    // The desktop's own writer, into the configuration folder the program is given.
    void WriteRecentFiles() {
        SettingsSandbox sandbox;
        ASSERT_TRUE(sandbox.IsValid());
        recent::StoredList list;
        list.entries = {Q(recentOlder_), Q(recentNewest_)};  // oldest first
        ASSERT_TRUE(recent::WriteStoredList(QString::fromLatin1(kProductKey), list));
        ASSERT_TRUE(QDir().mkpath(cli_.ConfigFolder() + QStringLiteral("/Vantorel")));
        ASSERT_TRUE(QFile::copy(sandbox.StoreFile(),
                                cli_.ConfigFolder() + QStringLiteral("/Vantorel/Tidemark.conf")));
    }

    static QString LastNameListed(const CliResult& result) {
        const QStringList lines = result.OutLines();
        if (lines.size() != 1) {
            return QStringLiteral("(%1 lines)").arg(lines.size());
        }
        return lines.front().split(QLatin1Char('\t')).value(1);
    }

    TestBook book_;
    CliRunner cli_;
    std::string named_, fromEnvironment_, recentNewest_, recentOlder_;
};

TEST_F(CliBookResolution, NamedBookWinsAndNothingIsSaidAboutIt) {
    WriteRecentFiles();
    cli_.Environment().insert(QStringLiteral("TIDEMARK_BOOK"), Q(fromEnvironment_));
    const CliResult result = cli_.OnBook(named_, {QStringLiteral("list")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(LastNameListed(result), QStringLiteral("Named, Nina"));
    EXPECT_EQ(result.err, QString());
}

TEST_F(CliBookResolution, EnvironmentComesBeforeTheRecentFiles) {
    WriteRecentFiles();
    cli_.Environment().insert(QStringLiteral("TIDEMARK_BOOK"), Q(fromEnvironment_));
    const CliResult result = cli_.Run({QStringLiteral("list")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(LastNameListed(result), QStringLiteral("Environment, Erin"));
    EXPECT_EQ(
        result.ErrLines(),
        QStringList{QStringLiteral("Using %1 (from TIDEMARK_BOOK).").arg(Q(fromEnvironment_))});
}

TEST_F(CliBookResolution, WithoutEitherTheFileTheDesktopOpenedLast) {
    WriteRecentFiles();
    const CliResult result = cli_.Run({QStringLiteral("list")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(LastNameListed(result), QStringLiteral("Recent, Rita"));
    EXPECT_EQ(
        result.ErrLines(),
        QStringList{
            QStringLiteral("Using %1 (the file Tidemark opened last).").arg(Q(recentNewest_))});
}

TEST_F(CliBookResolution, NoBookKnownIsWrongUse) {
    const CliResult result = cli_.Run({QStringLiteral("list")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(result.ErrLines(),
              (QStringList{QStringLiteral("tidemark-cli: No book is named: give --book FILE or "
                                          "set TIDEMARK_BOOK."),
                           QLatin1String(kListUsage)}));
}

TEST(CliUnusableBook, MissingNotABookAndVersionOneFilesExitThree) {
    TestBook book;
    CliRunner cli;
    const QString missing = book.Folder() + QStringLiteral("/missing.tch");
    CliResult result = cli.Run({QStringLiteral("--book"), missing, QStringLiteral("list")});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: The database you have tried to open "
                                         "(\"%1\") was not found.")
                              .arg(missing)});
    EXPECT_FALSE(QFile::exists(missing)) << "a missing book is not created";

    const QString text = book.Folder() + QStringLiteral("/text.tch");
    ASSERT_TRUE(WriteFile(text, "just some text, no database\n"));
    result = cli.Run({QStringLiteral("--book"), text, QStringLiteral("show"), QStringLiteral("x")});
    EXPECT_EQ(result.status, 3);
    ASSERT_EQ(result.ErrLines().size(), 1) << result.err.toStdString();
    EXPECT_TRUE(
        result.err.startsWith(QStringLiteral("tidemark-cli: %1: Error loading file.").arg(text)))
        << result.err.toStdString();

    // A database whose tables have another shape.
    const std::string other = book.Create("other.tch");
    TestBook::Execute(other, "DROP TABLE Contact; CREATE TABLE Contact (Text TEXT)");
    result = cli.OnBook(other, {QStringLiteral("query"), QStringLiteral("x")});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: %1: Error loading file.").arg(Q(other))});

    // A book holding code of its own is not opened, and the reason is told on the same line.
    const std::string coded = book.Create("coded.tch");
    TestBook::Execute(coded,
                      "CREATE TRIGGER Touch AFTER INSERT ON Contact BEGIN "
                      "UPDATE Globals SET S = 'x'; END");
    result = cli.OnBook(coded, {QStringLiteral("log"), QStringLiteral("x"), QStringLiteral("y")});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: %1: Error loading file. The file holds "
                                         "triggers or views: code of its own that would run when "
                                         "it is changed. Tidemark does not open such files.")
                              .arg(Q(coded))});

    const QString first = book.Folder() + QStringLiteral("/first.tch");
    ASSERT_TRUE(WriteFile(first, "<?xml version=\"1.0\"?>\n<Tidemark>\n<Person>\n"));
    result = cli.Run({QStringLiteral("--book"), first, QStringLiteral("list")});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.ErrLines(),
              QStringList{
                  QStringLiteral("tidemark-cli: %1 is an address book of the first version, which "
                                 "Tidemark no longer reads. Convert it with the Tidemark Import "
                                 "Tool (tideconv); afterwards it opens here under the same name.")
                      .arg(first)});
    EXPECT_EQ(result.out, QString());
}

TEST(CliUnusableBook, ABookAnotherProgramHoldsLockedExitsThreeAndIsLeftAlone) {
    TestBook book;
    const std::string path = book.Create();
    TestBook::AddPerson(path, "Lock", "Holder");
    CliRunner cli;
    {
        cppsqlite3::Database holder;
        holder.Open(path);
        holder.CreateStatement().Execute("BEGIN EXCLUSIVE");
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("list")},
              QStringList{QStringLiteral("log"), QStringLiteral("lock"), QStringLiteral("Hi")}}) {
            const CliResult result = cli.OnBook(path, arguments);
            EXPECT_EQ(result.status, 3) << arguments.join(' ').toStdString();
            ASSERT_EQ(result.ErrLines().size(), 1) << result.err.toStdString();
            EXPECT_TRUE(result.err.startsWith(
                QStringLiteral("tidemark-cli: %1: Error loading file.").arg(Q(path))));
            EXPECT_TRUE(result.err.contains(QStringLiteral("locked")));
            EXPECT_EQ(result.out, QString());
        }
    }
    {
        // Held for writing only: it reads, but the contact cannot be stored.
        cppsqlite3::Database writer;
        writer.Open(path);
        writer.CreateStatement().Execute("BEGIN IMMEDIATE");
        EXPECT_EQ(cli.OnBook(path, {QStringLiteral("list")}).status, 0);
        const CliResult result =
            cli.OnBook(path, {QStringLiteral("log"), QStringLiteral("lock"), QStringLiteral("Hi")});
        EXPECT_EQ(result.status, 3);
        ASSERT_EQ(result.ErrLines().size(), 1) << result.err.toStdString();
        EXPECT_TRUE(result.err.startsWith(
            QStringLiteral("tidemark-cli: %1: Error loading file.").arg(Q(path))))
            << result.err.toStdString();
        EXPECT_EQ(result.out, QString());
    }
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Contact"), "0");
    EXPECT_EQ(cli.OnBook(path, {QStringLiteral("list")}).status, 0) << "usable once let go";
}

TEST(CliNew, CreatesAnEmptyBookAndReplacesOnlyWithForce) {
    TestBook book;
    CliRunner cli;
    const std::string path = book.Path("made.tch");
    CliResult result = cli.Run({QStringLiteral("new"), Q(path)});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"), "0");
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM ContactType"), "4");
    EXPECT_EQ(cli.OnBook(path, {QStringLiteral("list")}).status, 0);

    TestBook::AddPerson(path, "Kept", "Person");
    result = cli.Run({QStringLiteral("new"), Q(path)});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: %1 is already there; --force replaces it.")
                              .arg(Q(path))});
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"), "1");

    result = cli.Run({QStringLiteral("new"), QStringLiteral("--force"), Q(path)});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"), "0");

    result = cli.Run({QStringLiteral("new")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines().value(1),
              QStringLiteral("Usage: tidemark-cli [--book FILE] new [--force] FILE"));
}

TEST(CliUse, HelpOfTheProgramAndOfEachCommand) {
    CliRunner cli;
    CliResult result = cli.Run({QStringLiteral("--help")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.OutLines().value(0),
              QStringLiteral("Usage: tidemark-cli [--book FILE] COMMAND [OPTIONS] [ARGUMENTS]"));
    for (const char* command : {"new", "list", "show", "query", "log"}) {
        EXPECT_TRUE(result.out.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(command))))
            << command;
        const CliResult own = cli.Run({QLatin1String(command), QStringLiteral("--help")});
        EXPECT_EQ(own.status, 0) << command;
        EXPECT_TRUE(own.OutLines().value(0).startsWith(
            QStringLiteral("Usage: tidemark-cli [--book FILE] %1").arg(QLatin1String(command))))
            << own.out.toStdString();
        EXPECT_EQ(own.err, QString()) << command;
    }
    EXPECT_TRUE(cli.Run({QStringLiteral("log"), QStringLiteral("-h")})
                    .out.contains(QStringLiteral("--when")));
}

TEST(CliUse, OptionsMayComeAnywhereAndTakeTheirValueAfterAnEqualsSign) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId id = TestBook::AddPerson(path, "Dash", "Person");
    TestBook::AddPerson(path, "Other", "Someone");
    CliRunner cli;
    CliResult result = cli.Run(
        {QStringLiteral("list"), QStringLiteral("dash"), QStringLiteral("--book=") + Q(path)});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.OutLines().size(), 1);
    EXPECT_TRUE(result.out.startsWith(Q(id)));
    // After "--" a word that looks like an option is a word.
    result =
        cli.OnBook(path, {QStringLiteral("list"), QStringLiteral("--"), QStringLiteral("--json")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, QString());
    result = cli.OnBook(path, {QStringLiteral("list"), QStringLiteral("--json=yes")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines().value(0), QStringLiteral("tidemark-cli: --json takes no value."));
}

TEST(CliUse, WrongUseExitsTwoWithTheUsageLine) {
    TestBook book;
    const std::string path = book.Create();
    CliRunner cli;
    struct Case {
        QStringList arguments;
        QString message;
        QString usage;
    };
    const QString program =
        QStringLiteral("Usage: tidemark-cli [--book FILE] COMMAND [OPTIONS] [ARGUMENTS]");
    const Case cases[] = {
        {{}, QStringLiteral("No command is given."), program},
        {{QStringLiteral("frobnicate")},
         QStringLiteral("Unknown command \"frobnicate\"."),
         program},
        {{QStringLiteral("list"), QStringLiteral("--force")},
         QStringLiteral("list takes no option --force."),
         QLatin1String(kListUsage)},
        {{QStringLiteral("list"), QStringLiteral("--colour")},
         QStringLiteral("Unknown option --colour."),
         QLatin1String(kListUsage)},
        {{QStringLiteral("query")},
         QStringLiteral("query needs the words to look for."),
         QStringLiteral("Usage: tidemark-cli [--book FILE] query WORDS...")},
        {{QStringLiteral("log"), QStringLiteral("x"), QStringLiteral("--type")},
         QStringLiteral("--type needs a value."),
         QStringLiteral(
             "Usage: tidemark-cli [--book FILE] log [--type TYPE] [--when WHEN] WORDS-OR-ID NOTE")},
    };
    for (const Case& c : cases) {
        const CliResult result = cli.OnBook(path, c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(result.ErrLines(),
                  (QStringList{QStringLiteral("tidemark-cli: ") + c.message, c.usage}));
        EXPECT_EQ(result.out, QString());
    }
}

}  // namespace
