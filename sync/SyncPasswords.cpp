#include "SyncPasswords.h"

#include "PasswordStore.h"
#include "SyncSession.h"

namespace syncui {

SyncPasswords::SyncPasswords() {
    if (!secrets::PasswordStore::Available()) {
        return;
    }
    // The store answers within moments; the short wait keeps the order of a command plain.
    store_.read = [](const QString& key, QString& password) {
        const secrets::StoreAnswer answer = secrets::PasswordStore::ReadNow(key);
        password = answer.password;
        return answer.Ok();
    };
    store_.write = [](const QString& key, const QString& password) {
        return secrets::PasswordStore::WriteNow(key, password).Ok();
    };
}

QString SyncPasswords::Key(const carddav::Account& account) {
    return secrets::PasswordStore::Key(account.user, account.server);
}

bool SyncPasswords::Find(const carddav::Account& account, QString& password) {
    const QString key = Key(account);
    if (const auto it = typed_.find(key); it != typed_.end()) {
        password = it->second;
        return true;
    }
    if (store_.read && refused_.count(key) == 0 && store_.read(key, password)) {
        typed_[key] = password;
        return true;
    }
    return false;
}

bool SyncPasswords::Keep(const carddav::Account& account, const QString& password, bool remember) {
    const QString key = Key(account);
    typed_[key] = password;
    refused_.erase(key);
    if (remember && store_.write) {
        return store_.write(key, password);
    }
    return true;
}

void SyncPasswords::Forget(const carddav::Account& account) {
    typed_.erase(Key(account));
    refused_.insert(Key(account));
}

}  // namespace syncui
