#pragma once

#include <functional>
#include <map>
#include <set>

#include <QString>

namespace carddav {
struct Account;
}

namespace syncui {

// The passwords of the accounts during one run of the program: those typed are kept in memory
// until the program ends, those the desktop's password store holds are read from it. Never
// written to the book, the settings or a log.
class SyncPasswords {
public:
    // A password store of the desktop; its calls return false when it cannot do what is asked.
    struct Store {
        std::function<bool(const QString& key, QString& password)> read;
        std::function<bool(const QString& key, const QString& password)> write;
    };

    SyncPasswords();

    // Whether a store is there to remember passwords in.
    bool HasStore() const { return static_cast<bool>(store_.write); }
    // Replaces the desktop's store (an empty Store: none), for tests.
    void SetStore(Store store) { store_ = std::move(store); }

    // The account's password, from this run or the store; false when neither has it.
    bool Find(const carddav::Account& account, QString& password);
    // Keeps the password for this run, and in the store too when remember is set. False when
    // the store was asked and could not keep it.
    bool Keep(const carddav::Account& account, const QString& password, bool remember);
    // The password was refused: the next sync asks again, also when the store holds it.
    void Forget(const carddav::Account& account);

    // The key an account's password is kept under: user@server.
    static QString Key(const carddav::Account& account);

private:
    Store store_;
    std::map<QString, QString> typed_;
    std::set<QString> refused_;
};

}  // namespace syncui
