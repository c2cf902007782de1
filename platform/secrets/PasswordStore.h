#pragma once

#include <functional>

#include <QString>

// The desktop's secret store, under the service "Tidemark", one entry per account keyed
// "user@server". Every call answers through its callback on the event loop of the caller's
// thread; a store that is not there is an answer like any other, never an exception.
namespace secrets {

struct StoreAnswer {
    enum class Status {
        Done,      // read (password set), written or removed
        NotFound,  // the store has no entry under the key
        NoStore,   // no store answers on this desktop
        Failed,    // the store refused or broke; error says how
    };
    Status status = Status::NoStore;
    QString password;
    QString error;
    bool Ok() const { return status == Status::Done; }
};

class PasswordStore {
public:
    using Done = std::function<void(const StoreAnswer&)>;

    // The key of an account's password.
    static QString Key(const QString& user, const QString& server);
    // Whether a store is on the session bus (running or started on demand). Without one every
    // call answers NoStore at once, without waiting on the bus.
    static bool Available();

    static void Read(const QString& key, Done done);
    static void Write(const QString& key, const QString& password, Done done);
    static void Remove(const QString& key, Done done);

    // The same, waiting on a local event loop: for programs without a window.
    static StoreAnswer ReadNow(const QString& key);
    static StoreAnswer WriteNow(const QString& key, const QString& password);
    static StoreAnswer RemoveNow(const QString& key);
};

}  // namespace secrets
