// The desktop's password store as the command line and the desktop meet it: found on the
// session bus only when a store has its name there, and answering at once, with nothing
// written anywhere, when there is none.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "PasswordStore.h"

using secrets::PasswordStore;
using secrets::StoreAnswer;

namespace {

// A private session bus of its own, as a desktop without any password store has.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000)) {
            address_ = QString::fromUtf8(daemon_.readLine().trimmed());
        }
    }
    ~PrivateBus() {
        daemon_.terminate();
        if (!daemon_.waitForFinished(3000)) {
            daemon_.kill();
            daemon_.waitForFinished();
        }
    }
    QString Address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

bool FolderHolds(const QString& folder, const QByteArray& bytes) {
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes)) {
            return true;
        }
    }
    return false;
}

TEST(PasswordStore, IsFoundOnTheSessionBusOnlyWhenAStoreHasItsNameThere) {
    EXPECT_EQ(PasswordStore::Key(QStringLiteral("anna"), QStringLiteral("dav.example.com")),
              QStringLiteral("anna@dav.example.com"));

    PrivateBus bus;
    ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
    // Read when the session bus is first asked for.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().toUtf8());
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    EXPECT_FALSE(PasswordStore::Available());

    // No store: every call answers before it returns, and the password goes nowhere.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString key = PasswordStore::Key(QStringLiteral("anna"), QStringLiteral("127.0.0.1"));
    bool answered = false;
    PasswordStore::Write(key, QStringLiteral("s3cret-Never-Kept"), [&](const StoreAnswer& answer) {
        answered = true;
        EXPECT_EQ(answer.status, StoreAnswer::Status::NoStore);
    });
    EXPECT_TRUE(answered);
    EXPECT_EQ(PasswordStore::ReadNow(key).status, StoreAnswer::Status::NoStore);
    EXPECT_TRUE(PasswordStore::ReadNow(key).password.isEmpty());
    EXPECT_EQ(PasswordStore::RemoveNow(key).status, StoreAnswer::Status::NoStore);
    EXPECT_FALSE(FolderHolds(config, QByteArrayLiteral("s3cret-Never-Kept")));

    // A Secret Service taking its name on the bus (another connection, as a keyring daemon is).
    QDBusConnection keyring =
        QDBusConnection::connectToBus(bus.Address(), QStringLiteral("test-keyring"));
    ASSERT_TRUE(keyring.isConnected());
    ASSERT_TRUE(keyring.registerService(QStringLiteral("org.freedesktop.secrets")));
    EXPECT_TRUE(PasswordStore::Available());
    ASSERT_TRUE(keyring.unregisterService(QStringLiteral("org.freedesktop.secrets")));
    EXPECT_FALSE(PasswordStore::Available());
    QDBusConnection::disconnectFromBus(QStringLiteral("test-keyring"));
}

}  // namespace
