#include "CliSync.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QLocale>
#include <QSocketNotifier>

#include "CliError.h"
#include "Discovery.h"
#include "PasswordSource.h"
#include "PasswordStore.h"
#include "SyncSession.h"

namespace {

// Written to by the signal handler, read on the event loop.
int gInterruptPipe[2] = {-1, -1};

void Interrupted(int) {
    const char byte = 1;
    (void)!write(gInterruptPipe[1], &byte, 1);
}

// While it lives, Ctrl+C or a SIGTERM stops the sync at its next step, so that what has been
// committed is told and the next sync finishes the work; a second one ends the program.
class InterruptCancels {
public:
    explicit InterruptCancels(carddav::SyncSession& session) {
        if (pipe2(gInterruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            return;
        }
        notifier_ = std::make_unique<QSocketNotifier>(gInterruptPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &session,
                         [&session] { session.Cancel(); });
        struct sigaction once {};
        once.sa_handler = Interrupted;
        once.sa_flags = SA_RESETHAND;
        sigemptyset(&once.sa_mask);
        sigaction(SIGINT, &once, &oldInt_);
        sigaction(SIGTERM, &once, &oldTerm_);
    }
    ~InterruptCancels() {
        if (!notifier_) {
            return;
        }
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        notifier_.reset();
        close(gInterruptPipe[0]);
        close(gInterruptPipe[1]);
        gInterruptPipe[0] = gInterruptPipe[1] = -1;
    }
    InterruptCancels(const InterruptCancels&) = delete;
    InterruptCancels& operator=(const InterruptCancels&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

void WriteLine(const QString& text, FILE* stream = stdout) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

[[noreturn]] void WrongUse(const QString& message) {
    throw CliError{ExitStatus::WrongUse, message, true};
}

[[noreturn]] void Unusable(const QString& message) {
    throw CliError{ExitStatus::Unusable, message.simplified()};
}

// Runs start, which calls its argument once with the answer, until that answer has come.
template <typename Answer, typename Start>
Answer Await(Start start) {
    std::optional<Answer> answer;
    QEventLoop loop;
    start([&](Answer given) {
        answer = std::move(given);
        loop.quit();
    });
    if (!answer) {
        loop.exec();
    }
    return std::move(*answer);
}

// The same address book whether the URL was typed with its last slash or without.
bool SameCollection(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments) ==
           b.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments);
}

const carddav::AddressBookInfo* Named(const std::vector<carddav::AddressBookInfo>& books,
                                      const QString& nameOrUrl, const QUrl& base) {
    for (const carddav::AddressBookInfo& book : books) {
        if (book.displayName == nameOrUrl) {
            return &book;
        }
    }
    const QUrl asUrl = base.resolved(QUrl(nameOrUrl));
    for (const carddav::AddressBookInfo& book : books) {
        if (SameCollection(book.url, asUrl)) {
            return &book;
        }
    }
    return nullptr;
}

void ListAddressBooks(const std::vector<carddav::AddressBookInfo>& books) {
    for (const carddav::AddressBookInfo& book : books) {
        WriteLine(book.url.toString() + QLatin1Char('\t') + book.displayName);
    }
}

void WarnIfPlain(const QUrl& url) {
    if (url.scheme() == QLatin1String("http") && !carddav::IsLoopback(url)) {
        WriteLine(CliSync::tr("Warning: %1 is plain http: the password and every card cross the "
                              "network unencrypted.")
                      .arg(url.host()),
                  stderr);
    }
}

}  // namespace

int CliSync::Link(const std::string& path, const Invocation& invocation) {
    if (invocation.arguments.size() != 1) {
        WrongUse(tr("link takes one URL."));
    }
    if (invocation.user.isEmpty()) {
        WrongUse(tr("link needs --user NAME."));
    }
    if (invocation.createGiven && !invocation.addressBook.isEmpty()) {
        WrongUse(tr("--addressbook and --create cannot go together."));
    }
    if (invocation.createGiven && invocation.create.trimmed().isEmpty()) {
        WrongUse(tr("--create needs the name of the new address book."));
    }
    const QString server = invocation.arguments.front();
    WarnIfPlain(carddav::ServerUrl(server));
    const QString password =
        PasswordSource::Obtain(invocation.passwordCommand, invocation.user, server);

    carddav::DavClient client;
    client.SetCredentials(invocation.user, password);
    const carddav::DiscoveryResult found = Await<carddav::DiscoveryResult>(
        [&](auto done) { carddav::Discover(client, server, done); });
    if (!found.Ok()) {
        Unusable(found.error);
    }

    carddav::AddressBookInfo chosen;
    if (invocation.createGiven) {
        using Made = std::pair<QString, carddav::AddressBookInfo>;
        const Made made = Await<Made>([&](auto done) {
            carddav::CreateAddressBook(
                client, found.home, invocation.create.trimmed(),
                [done](QString error, carddav::AddressBookInfo info) { done(Made(error, info)); });
        });
        if (!made.first.isEmpty()) {
            Unusable(made.first);
        }
        chosen = made.second;
    } else if (!invocation.addressBook.isEmpty()) {
        const carddav::AddressBookInfo* named =
            Named(found.addressBooks, invocation.addressBook, found.home);
        if (named == nullptr) {
            ListAddressBooks(found.addressBooks);
            throw CliError{
                ExitStatus::NotFound,
                tr("The server has no address book \"%1\".").arg(invocation.addressBook)};
        }
        chosen = *named;
    } else if (found.addressBooks.size() == 1) {
        chosen = found.addressBooks.front();
    } else {
        ListAddressBooks(found.addressBooks);
        throw CliError{ExitStatus::NotFound,
                       found.addressBooks.empty()
                           ? tr("The server has no address book for %1: make one with --create "
                                "NAME.")
                                 .arg(invocation.user)
                           : tr("The server has %1 address books: choose one with --addressbook "
                                "NAME-OR-URL.")
                                 .arg(found.addressBooks.size())};
    }

    carddav::Account account;
    account.server = server;
    account.user = invocation.user;
    account.addressBook = chosen.url;
    account.displayName = chosen.displayName;
    account.vcard4 = chosen.vcard4;
    carddav::Link(path, account);
    WriteLine(tr("Linked to the address book \"%1\" at %2; the next sync sends every person.")
                  .arg(chosen.displayName, chosen.url.toString()));

    if (invocation.remember) {
        const secrets::StoreAnswer kept = secrets::PasswordStore::WriteNow(
            secrets::PasswordStore::Key(invocation.user, server), password);
        if (kept.status == secrets::StoreAnswer::Status::NoStore) {
            WriteLine(tr("There is no password store on this desktop: the password is not "
                         "remembered."),
                      stderr);
        } else if (!kept.Ok()) {
            WriteLine(
                tr("The password store did not keep the password: %1").arg(kept.error.simplified()),
                stderr);
        }
    }
    return static_cast<int>(ExitStatus::Done);
}

int CliSync::Sync(const std::string& path, const Invocation& invocation) {
    if (!invocation.arguments.isEmpty()) {
        WrongUse(tr("sync takes no arguments."));
    }
    carddav::Account account;
    if (!carddav::ReadAccount(path, account)) {
        Unusable(tr("The book is not linked to a server; tidemark-cli link ..."));
    }
    const QString password =
        PasswordSource::Obtain(invocation.passwordCommand, account.user, account.server);

    carddav::SyncSession session(path, password);
    // Progress only for a person watching: a script or cron reads the outcome alone.
    const bool watched = isatty(STDERR_FILENO) == 1;
    if (watched) {
        QObject::connect(
            &session, &carddav::SyncSession::Progress, &session, [](int done, int total) {
                if (total == 0) {
                    return;  // a step with nothing to do
                }
                const QLocale locale;
                const QByteArray line = (QLatin1Char('\r') +
                                         tr("Syncing: %1 of %2 persons")
                                             .arg(locale.toString(done), locale.toString(total)) +
                                         QStringLiteral("\x1b[K"))
                                            .toLocal8Bit();
                std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
                std::fflush(stderr);
            });
    }
    const InterruptCancels interrupt(session);
    const carddav::SyncOutcome outcome = Await<carddav::SyncOutcome>([&](auto done) {
        QObject::connect(&session, &carddav::SyncSession::Finished, &session,
                         [done](const carddav::SyncOutcome& finished) { done(finished); });
        session.Start();
    });
    if (watched) {
        std::fputs("\r\x1b[K", stderr);
    }
    if (!outcome.error.isEmpty()) {
        Unusable(outcome.error);
    }
    if (outcome.cancelled) {
        Unusable(tr("The sync was cancelled; the next sync finishes the work."));
    }
    WriteLine(outcome.Summary());
    return static_cast<int>(outcome.conflicts > 0 ? ExitStatus::Conflicts : ExitStatus::Done);
}

int CliSync::Unlink(const std::string& path, const Invocation& invocation) {
    if (!invocation.arguments.isEmpty()) {
        WrongUse(tr("unlink takes no arguments."));
    }
    carddav::Account account;
    if (!carddav::ReadAccount(path, account)) {
        throw CliError{ExitStatus::NotFound, tr("The book is not linked to a server.")};
    }
    carddav::Unlink(path);
    WriteLine(tr("Unlinked from the address book \"%1\" at %2; every person stays in the book.")
                  .arg(account.displayName, account.addressBook.toString()));
    return static_cast<int>(ExitStatus::Done);
}
