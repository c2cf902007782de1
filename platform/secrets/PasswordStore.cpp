#include "PasswordStore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QEventLoop>
#include <QStringList>

#include <qt6keychain/keychain.h>

namespace secrets {

namespace {

const char kService[] = "Tidemark";

// The bus names QtKeychain reaches a store under.
const char* const kStoreNames[] = {"org.freedesktop.secrets", "org.kde.kwalletd6",
                                   "org.kde.kwalletd5", "org.kde.kwalletd"};

StoreAnswer AnswerOf(const QKeychain::Job& job) {
    StoreAnswer answer;
    switch (job.error()) {
        case QKeychain::NoError:
            answer.status = StoreAnswer::Status::Done;
            break;
        case QKeychain::EntryNotFound:
            answer.status = StoreAnswer::Status::NotFound;
            break;
        case QKeychain::NoBackendAvailable:
        case QKeychain::NotImplemented:
            answer.status = StoreAnswer::Status::NoStore;
            break;
        default:
            answer.status = StoreAnswer::Status::Failed;
            answer.error = job.errorString();
            break;
    }
    return answer;
}

// Runs the job on the event loop; it deletes itself once done has been told.
void Start(QKeychain::Job* job, const QString& key, PasswordStore::Done done) {
    job->setAutoDelete(true);
    // Never a file of the settings in place of the store.
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job* finished) {
        StoreAnswer answer = AnswerOf(*finished);
        if (answer.Ok()) {
            if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(finished)) {
                answer.password = read->textData();
            }
        }
        done(answer);
    });
    job->start();
}

StoreAnswer Wait(const std::function<void(PasswordStore::Done)>& call) {
    StoreAnswer result;
    bool finished = false;
    QEventLoop loop;
    call([&](const StoreAnswer& answer) {
        result = answer;
        finished = true;
        loop.quit();
    });
    if (!finished) {
        loop.exec();
    }
    return result;
}

}  // namespace

QString PasswordStore::Key(const QString& user, const QString& server) {
    return user + QLatin1Char('@') + server;
}

bool PasswordStore::Available() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return false;
    }
    QDBusConnectionInterface* names = bus.interface();
    const QDBusReply<QStringList> activatable = names->activatableServiceNames();
    for (const char* name : kStoreNames) {
        const QString service = QLatin1String(name);
        if (names->isServiceRegistered(service).value() ||
            (activatable.isValid() && activatable.value().contains(service))) {
            return true;
        }
    }
    return false;
}

void PasswordStore::Read(const QString& key, Done done) {
    if (!Available()) {
        done(StoreAnswer{});
        return;
    }
    Start(new QKeychain::ReadPasswordJob(QLatin1String(kService)), key, std::move(done));
}

void PasswordStore::Write(const QString& key, const QString& password, Done done) {
    if (!Available()) {
        done(StoreAnswer{});
        return;
    }
    auto* job = new QKeychain::WritePasswordJob(QLatin1String(kService));
    job->setTextData(password);
    Start(job, key, std::move(done));
}

void PasswordStore::Remove(const QString& key, Done done) {
    if (!Available()) {
        done(StoreAnswer{});
        return;
    }
    Start(new QKeychain::DeletePasswordJob(QLatin1String(kService)), key, std::move(done));
}

StoreAnswer PasswordStore::ReadNow(const QString& key) {
    return Wait([&](Done done) { Read(key, std::move(done)); });
}

StoreAnswer PasswordStore::WriteNow(const QString& key, const QString& password) {
    return Wait([&](Done done) { Write(key, password, std::move(done)); });
}

StoreAnswer PasswordStore::RemoveNow(const QString& key) {
    return Wait([&](Done done) { Remove(key, std::move(done)); });
}

}  // namespace secrets
