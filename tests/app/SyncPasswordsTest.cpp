// The passwords of the sync's accounts in one run: typed ones kept in memory, the desktop's
// store asked when there is one, a refused password asked for again.
#include <gtest/gtest.h>

#include <map>

#include "SyncPasswords.h"
#include "SyncSession.h"

namespace {

carddav::Account AccountOf(const char* user, const char* server) {
    carddav::Account account;
    account.user = QString::fromUtf8(user);
    account.server = QString::fromUtf8(server);
    return account;
}

// A store held in memory, counting what it was asked.
struct MemoryStore {
    std::map<QString, QString> kept;
    int reads = 0;
    bool refuseWrites = false;

    syncui::SyncPasswords::Store Seam() {
        syncui::SyncPasswords::Store store;
        store.read = [this](const QString& key, QString& password) {
            ++reads;
            const auto it = kept.find(key);
            if (it == kept.end()) {
                return false;
            }
            password = it->second;
            return true;
        };
        store.write = [this](const QString& key, const QString& password) {
            if (refuseWrites) {
                return false;
            }
            kept[key] = password;
            return true;
        };
        return store;
    }
};

TEST(SyncPasswordsTest, WithoutAStoreATypedPasswordLastsTheRunForItsAccountAlone) {
    syncui::SyncPasswords passwords;
    passwords.SetStore({});
    EXPECT_FALSE(passwords.HasStore());
    const carddav::Account ann = AccountOf("ann", "dav.example.com");
    const carddav::Account bob = AccountOf("bob", "dav.example.com");
    const carddav::Account annElsewhere = AccountOf("ann", "cards.example.org");
    QString password;
    EXPECT_FALSE(passwords.Find(ann, password));
    // Asked to remember with no store, it keeps the password for the run and says so.
    EXPECT_TRUE(passwords.Keep(ann, QStringLiteral("tide-1"), true));
    ASSERT_TRUE(passwords.Find(ann, password));
    EXPECT_EQ(password, QStringLiteral("tide-1"));
    EXPECT_FALSE(passwords.Find(bob, password));
    EXPECT_FALSE(passwords.Find(annElsewhere, password));
    EXPECT_EQ(syncui::SyncPasswords::Key(ann), QStringLiteral("ann@dav.example.com"));
    // Refused by the server: asked for again.
    passwords.Forget(ann);
    EXPECT_FALSE(passwords.Find(ann, password));
}

TEST(SyncPasswordsTest, TheStoreKeepsOnlyWhatIsToBeRememberedAndIsPassedOverOnceRefused) {
    MemoryStore memory;
    syncui::SyncPasswords passwords;
    passwords.SetStore(memory.Seam());
    EXPECT_TRUE(passwords.HasStore());
    const carddav::Account ann = AccountOf("ann", "dav.example.com");
    EXPECT_TRUE(passwords.Keep(ann, QStringLiteral("only-now"), false));
    EXPECT_TRUE(memory.kept.empty());
    EXPECT_TRUE(passwords.Keep(ann, QStringLiteral("kept"), true));
    EXPECT_EQ(memory.kept[QStringLiteral("ann@dav.example.com")], QStringLiteral("kept"));

    // A later run finds it in the store, and asks the store once.
    syncui::SyncPasswords later;
    later.SetStore(memory.Seam());
    QString password;
    ASSERT_TRUE(later.Find(ann, password));
    EXPECT_EQ(password, QStringLiteral("kept"));
    ASSERT_TRUE(later.Find(ann, password));
    EXPECT_EQ(memory.reads, 1);
    // The stored password refused, the store is not asked again until a new one is given.
    later.Forget(ann);
    EXPECT_FALSE(later.Find(ann, password));
    EXPECT_EQ(memory.reads, 1);
    EXPECT_TRUE(later.Keep(ann, QStringLiteral("new"), false));
    later.Forget(ann);
    EXPECT_TRUE(later.Keep(ann, QStringLiteral("newer"), true));
    syncui::SyncPasswords third;
    third.SetStore(memory.Seam());
    ASSERT_TRUE(third.Find(ann, password));
    EXPECT_EQ(password, QStringLiteral("newer"));

    // A store that cannot keep it: the run still has it, the caller hears of the failure.
    memory.refuseWrites = true;
    const carddav::Account bob = AccountOf("bob", "dav.example.com");
    EXPECT_FALSE(third.Keep(bob, QStringLiteral("b"), true));
    ASSERT_TRUE(third.Find(bob, password));
    EXPECT_EQ(password, QStringLiteral("b"));
}

}  // namespace
