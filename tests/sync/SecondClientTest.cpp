// Another program on the same address book: vdirsyncer keeps a folder of .vcf files in step
// with Radicale, a script edits the folder, and the edits of each side reach the other.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "CardDavServer.h"
#include "RecordEditing.h"
#include "SyncCheck.h"
#include "TestBook.h"

using namespace synccheck;

namespace {

using F = PersonRecord::Field;

// vdirsyncer with a configuration of its own that pairs a folder of .vcf files with the
// server's address book.
class Vdirsyncer {
public:
    explicit Vdirsyncer(const CardDavServer& server) {
        const QString config = QStringLiteral(
                                   "[general]\nstatus_path = \"%1/status/\"\n\n"
                                   "[pair book]\na = \"book_folder\"\nb = \"book_server\"\n"
                                   "collections = null\n\n"
                                   "[storage book_folder]\ntype = \"filesystem\"\n"
                                   "path = \"%2/\"\nfileext = \".vcf\"\n\n"
                                   "[storage book_server]\ntype = \"carddav\"\nurl = \"%3\"\n"
                                   "username = \"%4\"\npassword = \"%5\"\n")
                                   .arg(home_.path(), Cards(), server.AddressBookUrl().toString(),
                                        server.User(), server.Password());
        QDir(home_.path()).mkpath(Cards());
        QFile file(home_.filePath(QStringLiteral("config")));
        ok_ = file.open(QIODevice::WriteOnly) && file.write(config.toUtf8()) == config.size();
    }

    QString Cards() const { return home_.filePath(QStringLiteral("cards")); }

    // Runs vdirsyncer with the arguments: success, or why not with what it wrote.
    ::testing::AssertionResult Run(const QStringList& arguments) const {
        if (!ok_) {
            return ::testing::AssertionFailure() << "the configuration could not be written";
        }
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home_.path());
        process.setProcessEnvironment(environment);
        process.setProgram(QStringLiteral("vdirsyncer"));
        process.setArguments(
            QStringList{QStringLiteral("-c"), home_.filePath(QStringLiteral("config"))} +
            arguments);
        process.start();
        if (!process.waitForStarted(10000)) {
            return ::testing::AssertionFailure()
                   << "vdirsyncer did not start: " << process.errorString().toStdString();
        }
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            return ::testing::AssertionFailure()
                   << "vdirsyncer " << arguments.join(QLatin1Char(' ')).toStdString()
                   << " ended with " << process.exitCode() << ":\n"
                   << process.readAllStandardOutput().toStdString()
                   << process.readAllStandardError().toStdString();
        }
        return ::testing::AssertionSuccess();
    }

private:
    QTemporaryDir home_;
    bool ok_ = false;
};

// The texts of the folder's .vcf files.
QStringList Files(const QString& folder) {
    QStringList texts;
    QDirIterator files(folder, {QStringLiteral("*.vcf")}, QDir::Files);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly)) {
            texts.append(QString::fromUtf8(file.readAll()));
        }
    }
    return texts;
}

int Holding(const QStringList& texts, const QString& part) {
    return int(std::count_if(texts.begin(), texts.end(),
                             [&](const QString& text) { return text.contains(part); }));
}

// Edits the folder as a user's script would: the company of Family1 changed, a card added,
// the card of Family3 deleted.
const char kScript[] = R"(
import os, re, sys
folder = sys.argv[1]
for name in os.listdir(folder):
    path = os.path.join(folder, name)
    with open(path, newline="") as f:
        text = f.read()
    if "N:Family1;" in text:
        text = re.sub(r"^ORG[:;][^\r\n]*", "ORG:Edited in the folder", text, flags=re.M)
        with open(path, "w", newline="") as f:
            f.write(text)
    elif "N:Family3;" in text:
        os.remove(path)
with open(os.path.join(folder, "folder-new.vcf"), "w", newline="") as f:
    f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:folder-new\r\nN:Folder;Fiona;;;\r\n"
            "FN:Fiona Folder\r\nEMAIL:fiona@example.com\r\nEND:VCARD\r\n")
)";

TEST(SecondClient, VdirsyncersFolderAndTheBookCarryEachOthersEdits) {
    CardDavServer server(CardDavServer::Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook book;
    const std::string path = book.Create();
    AddMany(path, 0, 5);
    LinkTo(path, server);
    auto outcome = RunSync(path, {});
    ASSERT_TRUE(outcome.Ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.sent, 5);

    Vdirsyncer vdirsyncer(server);
    ASSERT_TRUE(vdirsyncer.Run({QStringLiteral("discover")}));
    ASSERT_TRUE(vdirsyncer.Run({QStringLiteral("sync")}));
    QStringList files = Files(vdirsyncer.Cards());
    EXPECT_EQ(files.size(), 5);
    EXPECT_EQ(Holding(files, QStringLiteral("N:Family1;")), 1);

    // The folder's edits, through vdirsyncer and the server, into the book.
    QProcess script;
    script.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kScript), vdirsyncer.Cards()});
    ASSERT_TRUE(script.waitForFinished(10000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    ASSERT_TRUE(vdirsyncer.Run({QStringLiteral("sync")}));
    outcome = RunSync(path, {});
    ASSERT_TRUE(outcome.Ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.received, 3);
    EXPECT_EQ(Find(path, "Family1")[F::Company], "Edited in the folder");
    EXPECT_EQ(Find(path, "Folder")[F::Email], "fiona@example.com");
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM Person WHERE LName = 'Family3'"),
              "0");
    EXPECT_TRUE(InStep(path, server));

    // The book's edits, through the server and vdirsyncer, into the folder.
    Edit(path, "Family2", F::City, "Edited in Tidemark");
    TestBook::AddPerson(path, "Tia", "Newer", "Tidemark");
    editing::DeletePerson(path, Find(path, "Family4").id);
    outcome = RunSync(path, {});
    ASSERT_TRUE(outcome.Ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.sent, 3);
    ASSERT_TRUE(vdirsyncer.Run({QStringLiteral("sync")}));
    files = Files(vdirsyncer.Cards());
    EXPECT_EQ(files.size(), 5);
    EXPECT_EQ(Holding(files, QStringLiteral("Edited in Tidemark")), 1);
    EXPECT_EQ(Holding(files, QStringLiteral("N:Newer;Tia")), 1);
    EXPECT_EQ(Holding(files, QStringLiteral("N:Family4;")), 0);
    EXPECT_EQ(Holding(files, QStringLiteral("ORG:Edited in the folder")), 1);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM Person"), "5");
    EXPECT_TRUE(InStep(path, server));
}

}  // namespace
