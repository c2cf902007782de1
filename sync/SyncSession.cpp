#include "SyncSession.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <set>
#include <unordered_map>

#include <QCoreApplication>
#include <QDateTime>

#include "Database.h"
#include "SyncApply.h"
#include "SyncState.h"
#include "Transaction.h"

using cppsqlite3::Database;
using cppsqlite3::Statement;
using cppsqlite3::Transaction;

namespace carddav {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("carddav::SyncSession", text);
}

// Requests in flight at once: a server spends most of a PUT's time on its own side.
constexpr int kParallel = 4;
// Cards asked for in one addressbook-multiget.
constexpr size_t kBatch = 200;
// Cards applied in one transaction, the window's event loop turning between two: small enough
// that the window never waits long, large enough that commits are few.
constexpr size_t kApplyBatch = 250;
// The cards the server took, written to the state ten at a time: a tenth of the writes, and
// little for a sync cut short to find again.
constexpr size_t kSentBatch = 10;
// A card larger than this is left out.
constexpr qsizetype kLargestCard = 8 << 20;

std::string Std(const QString& text) {
    return text.toStdString();
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QString SyncOutcome::Summary() const {
    if (!error.isEmpty()) {
        return error;
    }
    if (cancelled) {
        return Tr("Sync cancelled.");
    }
    QString text = Tr("Synced: %1 sent, %2 received").arg(sent).arg(received);
    if (conflicts == 1) {
        text += Tr(", 1 conflict held");
    } else if (conflicts > 1) {
        text += Tr(", %1 conflicts held").arg(conflicts);
    }
    return text;
}

void Link(const std::string& path, const Account& account) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Transaction transaction(st);
    state::Forget(st);
    state::AccountRow row;
    row.server = Std(account.server);
    row.user = Std(account.user);
    row.addressBook = Std(account.addressBook.toString());
    row.displayName = Std(account.displayName);
    row.vcard4 = account.vcard4;
    row.trustedCertificate = Std(account.trustedCertificate);
    state::WriteAccount(st, row);
    transaction.CommitUnstamped();
}

void TrustCertificate(const std::string& path, const QString& sha256) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Transaction transaction(st);
    state::WriteTrust(st, Std(sha256));
    transaction.CommitUnstamped();
}

void Unlink(const std::string& path) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Transaction transaction(st);
    state::Forget(st);
    transaction.CommitUnstamped();
}

bool ReadAccount(const std::string& path, Account& account) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    state::AccountRow row;
    if (!state::ReadAccount(st, row)) {
        return false;
    }
    account.server = Q(row.server);
    account.user = Q(row.user);
    account.addressBook = QUrl(Q(row.addressBook));
    account.displayName = Q(row.displayName);
    account.vcard4 = row.vcard4;
    account.lastSync = QDateTime::fromString(Q(row.lastSync), Qt::ISODate);
    account.trustedCertificate = Q(row.trustedCertificate);
    return true;
}

int HeldConflicts(const std::string& path) {
    Database db;
    db.Open(path);
    return state::HeldCount(db.CreateStatement());
}

std::vector<RecordId> HeldPersons(const std::string& path) {
    Database db;
    db.Open(path);
    return state::HeldPersons(db.CreateStatement());
}

std::vector<transfer::vcard::CardExtra> CardExtras(const std::string& path,
                                                   const RecordId& person) {
    if (path.empty() || person.empty()) {
        return {};
    }
    std::string base;
    try {
        Database db;
        db.Open(path);
        Statement& st = db.CreateStatement();
        if (state::HasTables(st)) {
            base = state::ReadBase(st, person);
        }
    } catch (const cppsqlite3::SQLException&) {
        // Read again at the next selection.
    }
    return transfer::vcard::ReadCardExtras(base);
}

// One sync's work, step by step; each step's callbacks start the next.
struct SyncSession::Run {
    SyncSession* session;
    state::AccountRow account;
    QUrl book;
    SyncOutcome outcome;
    bool pushedAgain = false;
    // A change that must go once more after the pull: its card was gone from the server.
    bool sendAgain = false;
    // Cards to fetch whatever the listing says: those a send found changed on the server.
    std::set<std::string> mustFetch;
    // The pull: the changes found, the cards still to fetch, the token to store at the end.
    std::vector<apply::Remote> remote;
    size_t applied = 0;  // of remote, those in the book
    std::deque<QUrl> toFetch;
    QString newToken;
    bool tokenGood = false;
    // The cards a whole listing named, over all its parts.
    std::set<std::string> listed;
    // The ETag of each card of the state, by href, as the pull found it.
    std::unordered_map<std::string, std::string> known;
    bool knownRead = false;
    // Cards the server took, not yet in the state.
    std::vector<apply::SentCard> sent;
    QStringList problems;

    // Runs the tasks kParallel at a time, then next.
    std::deque<std::function<void(std::function<void()>)>> tasks;
    int running = 0;
    int done = 0, total = 0;
    std::function<void()> then;
};

SyncSession::SyncSession(const std::string& path, const QString& password, QObject* parent)
    : QObject(parent), path_(path), password_(password), client_(this) {}

SyncSession::~SyncSession() = default;

DavClient& SyncSession::Client() {
    return client_;
}

bool SyncSession::Running() const {
    return run_ != nullptr;
}

void SyncSession::Start() {
    if (run_) {
        return;
    }
    run_ = std::make_unique<Run>();
    run_->session = this;
    try {
        Database db;
        db.Open(path_);
        Statement& st = db.CreateStatement();
        if (!state::ReadAccount(st, run_->account)) {
            Finish(Tr("The book is not linked to a server."));
            return;
        }
    } catch (const cppsqlite3::SQLException& e) {
        Finish(Tr("The book could not be read: %1").arg(Q(e.Message())));
        return;
    }
    run_->book = QUrl(Q(run_->account.addressBook));
    client_.SetCredentials(Q(run_->account.user), password_);
    client_.SetTrustedCertificate(Q(run_->account.trustedCertificate));
    Push();
}

void SyncSession::Cancel() {
    if (!run_) {
        return;
    }
    client_.CancelAll();
    run_->outcome.cancelled = true;
    Finish(QString());
}

void SyncSession::Fail(const DavReply& reply) {
    if (run_) {
        run_->outcome.passwordRefused = reply.status == 401;
        run_->outcome.refusedCertificate = reply.refusedCertificate;
        run_->outcome.certificateChanged = reply.certificateChanged;
    }
    Finish(reply.error);
}

void SyncSession::Finish(const QString& error) {
    if (!run_) {
        return;
    }
    // What the server took before a cancel or a failure is kept.
    KeepSent();
    SyncOutcome outcome = run_->outcome;
    if (outcome.error.isEmpty()) {
        outcome.error = error;
    }
    if (outcome.error.isEmpty() && !outcome.cancelled && !run_->problems.isEmpty()) {
        outcome.error = run_->problems.front();
    }
    try {
        outcome.conflicts = HeldConflicts(path_);
    } catch (const cppsqlite3::SQLException&) {
    }
    // The answers still on their way belong to the run that ends here.
    client_.CancelAll();
    run_.reset();
    emit Finished(outcome);
}

void SyncSession::RunTasks(std::function<void()> then) {
    Run& run = *run_;
    run.then = std::move(then);
    run.done = 0;
    run.total = static_cast<int>(run.tasks.size());
    emit Progress(0, run.total);
    Pump();
}

void SyncSession::Pump() {
    Run* run = run_.get();
    if (!run) {
        return;
    }
    if (run->tasks.empty() && run->running == 0) {
        // Tasks ending in the same turn of the loop each queue a pump: the step after them
        // starts once.
        if (!run->then) {
            return;
        }
        auto then = std::move(run->then);
        run->then = nullptr;
        then();
        return;
    }
    while (run->running < kParallel && !run->tasks.empty()) {
        auto task = std::move(run->tasks.front());
        run->tasks.pop_front();
        ++run->running;
        task([this, run] {
            // The run may have ended (cancelled, failed) meanwhile.
            if (run_.get() != run) {
                return;
            }
            --run->running;
            ++run->done;
            emit Progress(run->done, run->total);
            Later(&SyncSession::Pump);
        });
    }
}

// Step 2: deletions, changes and new persons, to the server.
void SyncSession::Push() {
    Run& run = *run_;
    std::vector<apply::LocalChange> changes;
    try {
        changes = apply::PlanLocal(path_, run.account);
    } catch (const cppsqlite3::SQLException& e) {
        Finish(Tr("The book could not be read: %1").arg(Q(e.Message())));
        return;
    }
    for (apply::LocalChange& change : changes) {
        run.tasks.push_back([this, change = std::move(change)](std::function<void()> next) {
            Send(change, std::move(next));
        });
    }
    RunTasks([this] {
        KeepSent();
        if (run_->pushedAgain) {
            Finish(QString());
        } else {
            Pull();
        }
    });
}

void SyncSession::Send(const apply::LocalChange& change, std::function<void()> next) {
    const QUrl url(Q(change.href));
    const auto failed = [this](const apply::LocalChange& c, const DavReply& reply) {
        if (reply.status == 0 || reply.status == 401) {
            // No server, or not this user: nothing else will go either.
            Fail(reply);
            return;
        }
        const std::string name = c.fields.DisplayName();
        run_->problems.append(Tr("The server did not take the change of %1: %2")
                                  .arg(Q(name.empty() ? c.person : name), reply.error));
    };
    if (change.kind == apply::LocalChange::Kind::Delete) {
        client_.Delete(url, Q(change.etag), [=](const DavReply& reply) {
            if (reply.Ok() || reply.status == 404 || reply.status == 410) {
                Store([&] { apply::Forgotten(path_, change.person); });
                ++run_->outcome.sent;
            } else if (reply.status == 412) {
                // Changed on the server since: its card comes back.
                run_->mustFetch.insert(change.href);
            } else {
                failed(change, reply);
            }
            next();
        });
        return;
    }
    const QString ifMatch =
        change.kind == apply::LocalChange::Kind::Update ? Q(change.etag) : QString();
    client_.Put(url, QByteArray::fromStdString(change.card), ifMatch, [=](const DavReply& reply) {
        if (reply.Ok()) {
            ++run_->outcome.sent;
            const QUrl at =
                reply.location.isValid() && !reply.location.isEmpty() ? reply.location : url;
            if (!reply.etag.isEmpty()) {
                Keep({change, Std(at.toString()), Std(reply.etag), change.card});
                next();
                return;
            }
            // No ETag, or another address: the card as the server keeps it.
            client_.Get(at, [=](const DavReply& read) {
                if (read.Ok()) {
                    Keep({change, Std(at.toString()), Std(read.etag), read.body.toStdString()});
                } else {
                    failed(change, read);
                }
                next();
            });
            return;
        }
        if (reply.status == 412) {
            // Changed on the server (or, for a new card, already there from a sync cut short):
            // fetched and merged.
            run_->mustFetch.insert(change.href);
        } else if (reply.status == 404 && change.kind == apply::LocalChange::Kind::Update) {
            // Deleted on the server but changed here: it goes again as a new card.
            Store([&] { apply::Forgotten(path_, change.person); });
            run_->sendAgain = true;
        } else {
            failed(change, reply);
        }
        next();
    });
}

void SyncSession::Keep(apply::SentCard sent) {
    run_->sent.push_back(std::move(sent));
    if (run_->sent.size() >= kSentBatch) {
        KeepSent();
    }
}

// The cards the server took, written to the state a batch at a time. A sync cut short before
// a batch is written finds those cards on the server by their UIDs next time.
void SyncSession::KeepSent() {
    std::vector<apply::SentCard> sent = std::move(run_->sent);
    run_->sent.clear();
    Store([&] { apply::Sent(path_, sent); });
}

void SyncSession::Store(const std::function<void()>& write) {
    try {
        write();
    } catch (const cppsqlite3::SQLException& e) {
        run_->problems.append(Tr("The book could not be written: %1").arg(Q(e.Message())));
    }
}

// Step 3: what changed on the server, by the token; a full listing where there is none or the
// server refuses it.
void SyncSession::Pull() {
    Run& run = *run_;
    run.knownRead = false;
    const QString token = Q(run.account.syncToken);
    if (token.isEmpty()) {
        FullListing();
        return;
    }
    client_.Report(run.book, 0, body::SyncCollection(token, true), [this](DavReply& reply) {
        if (!reply.Ok()) {
            if (reply.status >= 400 && reply.status != 401) {
                // A token the server no longer knows: everything listed again, by ETag.
                FullListing();
            } else {
                Fail(reply);
            }
            return;
        }
        Collect(reply, false);
    });
}

void SyncSession::FullListing() {
    Run& run = *run_;
    if (!ReadKnown()) {
        return;
    }
    // A book that has no card yet takes every card in one answer; otherwise the ETags are
    // listed and only the cards that differ fetched.
    const bool none = run.known.empty();
    client_.Report(run.book, 0, body::SyncCollection(QString(), none), [this](DavReply& reply) {
        if (reply.Ok()) {
            Collect(reply, true);
            return;
        }
        if (reply.status == 0) {
            Fail(reply);
            return;
        }
        // No sync-collection: the ETags of a PROPFIND, and no token.
        client_.Propfind(run_->book, 1, body::PropfindEtags(), [this](const DavReply& listing) {
            if (!listing.Ok()) {
                Fail(listing);
                return;
            }
            DavReply without = listing;
            without.syncToken.clear();
            Collect(without, true);
        });
    });
}

// What the state knows of each card, read once a pull and only when the server has named
// cards: a sync in step reads nothing of it. Every send has ended by then, and nothing changes
// the state until the server's changes are applied.
bool SyncSession::ReadKnown() {
    Run& run = *run_;
    if (run.knownRead) {
        return true;
    }
    try {
        run.known.clear();
        for (auto& [href, etag] : apply::KnownCards(path_)) {
            run.known.emplace(std::move(href), std::move(etag));
        }
    } catch (const cppsqlite3::SQLException& e) {
        Finish(Tr("The book could not be read: %1").arg(Q(e.Message())));
        return false;
    }
    run.knownRead = true;
    return true;
}

// A card the server sent, to be applied; false when it is too large and left out.
bool SyncSession::TakeCard(const std::string& href, DavResponse& r) {
    Run& run = *run_;
    if (r.addressData.size() > kLargestCard) {
        run.problems.append(
            Tr("The card at %1 is larger than 8 MB: it was left out.").arg(r.url.toString()));
        return false;
    }
    run.remote.push_back({href, Std(r.etag), r.addressData.toStdString(), false});
    QByteArray().swap(r.addressData);  // each card held once
    ++run.outcome.fetched;
    return true;
}

// The step in a later turn of the loop, if the run is still the one that asked for it.
void SyncSession::Later(void (SyncSession::*step)()) {
    QMetaObject::invokeMethod(
        this,
        [this, step, run = run_.get()] {
            if (run_.get() == run) {
                (this->*step)();
            }
        },
        Qt::QueuedConnection);
}

void SyncSession::Collect(DavReply& reply, bool whole) {
    Run& run = *run_;
    if ((whole || !reply.responses.empty()) && !ReadKnown()) {
        return;
    }
    const std::unordered_map<std::string, std::string>& known = run.known;
    for (DavResponse& r : reply.responses) {
        if (r.url.path() == run.book.path() || r.collection) {
            continue;  // the address book itself
        }
        if (!IsInside(r.url, run.book)) {
            run.problems.append(
                Tr("The server named a card outside the address book: %1").arg(r.url.toString()));
            continue;
        }
        const std::string href = Std(r.url.toString());
        run.listed.insert(href);
        if (r.status == 404 || r.status == 410) {
            if (known.count(href)) {
                run.remote.push_back({href, {}, {}, true});
            }
            continue;
        }
        const auto was = known.find(href);
        if (was != known.end() && was->second == Std(r.etag) && !run.mustFetch.count(href)) {
            continue;
        }
        if (r.addressData.isEmpty()) {
            run.toFetch.push_back(r.url);
        } else if (!TakeCard(href, r)) {
            continue;
        }
        run.mustFetch.erase(href);
    }
    for (const std::string& href : run.mustFetch) {
        run.toFetch.push_back(QUrl(Q(href)));
    }
    run.mustFetch.clear();
    run.newToken = reply.syncToken;
    run.tokenGood = !reply.syncToken.isEmpty();
    if (reply.truncated && !reply.syncToken.isEmpty()) {
        // The rest from the token that came with this part; a whole listing is whole only
        // with its last part.
        client_.Report(run.book, 0, body::SyncCollection(reply.syncToken, true),
                       [this, whole](DavReply& more) {
                           if (!more.Ok()) {
                               Fail(more);
                               return;
                           }
                           Collect(more, whole);
                       });
        return;
    }
    if (whole) {
        // Known but not listed: deleted on the server.
        for (const auto& [href, etag] : known) {
            if (!run.listed.count(href)) {
                run.remote.push_back({href, {}, {}, true});
            }
        }
    }
    // Once the answer is gone: a first sync's answer holds every card, and so does remote.
    Later(&SyncSession::Fetch);
}

// The cards the listing named without their data, a batch at a time.
void SyncSession::Fetch() {
    Run& run = *run_;
    if (run.toFetch.empty()) {
        Apply();
        return;
    }
    std::vector<QUrl> batch;
    while (!run.toFetch.empty() && batch.size() < kBatch) {
        batch.push_back(run.toFetch.front());
        run.toFetch.pop_front();
    }
    client_.Report(run.book, 1, body::Multiget(batch), [this](DavReply& reply) {
        if (!reply.Ok()) {
            Fail(reply);
            return;
        }
        for (DavResponse& r : reply.responses) {
            if (!IsInside(r.url, run_->book)) {
                continue;
            }
            const std::string href = Std(r.url.toString());
            if (r.status == 404 || r.status == 410) {
                run_->remote.push_back({href, {}, {}, true});
            } else if (!r.addressData.isEmpty()) {
                TakeCard(href, r);
            }
        }
        Later(&SyncSession::Fetch);
    });
}

// Step 4: the server's changes, a transaction per batch; the token only after the last.
void SyncSession::Apply() {
    Run& run = *run_;
    const int total = static_cast<int>(run.remote.size());
    if (run.applied == 0) {
        emit Progress(0, total);
    }
    if (run.applied < run.remote.size()) {
        const size_t from = run.applied;
        const size_t to = std::min(run.remote.size(), from + kApplyBatch);
        // Moved: the book takes each card as the batch goes.
        const std::vector<apply::Remote> batch(
            std::make_move_iterator(run.remote.begin() + static_cast<std::ptrdiff_t>(from)),
            std::make_move_iterator(run.remote.begin() + static_cast<std::ptrdiff_t>(to)));
        try {
            const apply::Applied applied = apply::ApplyRemote(path_, batch);
            run.outcome.received += applied.received;
            run.sendAgain = run.sendAgain || applied.toSend;
            run.problems.append(applied.errors);
        } catch (const cppsqlite3::SQLException& e) {
            Finish(Tr("The book could not be written: %1").arg(Q(e.Message())));
            return;
        }
        run.applied = to;
        emit Progress(static_cast<int>(to), total);
        if (to < run.remote.size()) {
            Later(&SyncSession::Apply);
            return;
        }
    }
    run.remote.clear();
    run.applied = 0;
    if (run.problems.isEmpty()) {
        Store([&] {
            Database db;
            db.Open(path_);
            Statement& st = db.CreateStatement();
            Transaction transaction(st);
            state::WriteToken(st, run.tokenGood ? Std(run.newToken) : std::string(),
                              Std(QDateTime::currentDateTimeUtc().toString(Qt::ISODate)));
            transaction.CommitUnstamped();
        });
    }
    // What the merges changed here, and what is kept against a deletion there, goes out
    // once more.
    if (!run.sendAgain) {
        Finish(QString());
        return;
    }
    run.pushedAgain = true;
    Push();
}

}  // namespace carddav
