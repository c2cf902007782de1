#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDateTime>
#include <QObject>
#include <QString>

#include "Discovery.h"
#include "RecordId.h"
#include "VCardSync.h"

namespace carddav::apply {
struct SentCard;
}  // namespace carddav::apply

namespace carddav {

namespace apply {
struct LocalChange;
}

// What one sync did.
struct SyncOutcome {
    QString error;  // plain words; empty when the sync ran to its end
    bool cancelled = false;
    int sent = 0;       // cards written or deleted on the server
    int received = 0;   // persons added, changed or deleted here
    int conflicts = 0;  // persons held because both sides changed a field (all held, not only new)
    int fetched = 0;    // cards the server sent
    bool passwordRefused = false;  // the sync ended on the server refusing user or password
    // The sync ended on a certificate the system does not trust (DER), and whether it is
    // another than the one trusted for the account.
    QByteArray refusedCertificate;
    bool certificateChanged = false;
    bool Ok() const { return error.isEmpty() && !cancelled; }
    // "Synced: 3 sent, 5 received, 1 conflict held", or the error.
    QString Summary() const;
};

// The link of a book to an address book.
struct Account {
    QString server;  // as the user typed it
    QString user;
    QUrl addressBook;  // ends with '/'
    QString displayName;
    bool vcard4 = false;
    QDateTime lastSync;  // of the last sync that ran to its end (UTC); invalid: none yet
    // The SHA-256 (hex) of the certificate the user trusted for the server although the system
    // does not; empty: the system's trust alone.
    QString trustedCertificate;
};

// Links the book at path to the address book: the account is stored and every person will be
// sent by the first sync. A book already linked is linked anew (its state forgotten first).
// Throws SQLException when the file cannot be written.
void Link(const std::string& path, const Account& account);
// Trusts the server's certificate of that SHA-256 (hex) for the book's account from now on.
void TrustCertificate(const std::string& path, const QString& sha256);
// Forgets the account and every person's state; the persons stay.
void Unlink(const std::string& path);
// False when the book is not linked.
bool ReadAccount(const std::string& path, Account& account);
// How many persons are held in a conflict.
int HeldConflicts(const std::string& path);
// The persons held in a conflict, by record id.
std::vector<RecordId> HeldPersons(const std::string& path);
// What the person's card, as last agreed with the server, holds beyond the 17 fields; none for
// a person who is not synced, and in a book that is not linked or cannot be read.
std::vector<transfer::vcard::CardExtra> CardExtras(const std::string& path, const RecordId& person);

// One sync of the book with its address book, on the event loop of the caller's thread.
// Start returns at once; progress and finished come as signals. The book is opened for each
// step and closed again, so the window may read it meanwhile.
class SyncSession : public QObject {
    Q_OBJECT
public:
    SyncSession(const std::string& path, const QString& password, QObject* parent = nullptr);
    ~SyncSession() override;

    // The client the session sends through: its time-out and body limit may be set first.
    DavClient& Client();

    void Start();
    // Stops at the next step: what was committed stays, and the next sync finishes the work.
    void Cancel();
    bool Running() const;

signals:
    // done of total persons in the current step ("Syncing: 120 of 1,000 persons").
    void Progress(int done, int total);
    void Finished(const carddav::SyncOutcome& outcome);

private:
    struct Run;
    void Finish(const QString& error);
    // Ends the run on a failed request.
    void Fail(const DavReply& reply);
    // Runs the tasks queued in the run a few at a time, then then.
    void RunTasks(std::function<void()> then);
    void Pump();
    void Push();
    void Send(const apply::LocalChange& change, std::function<void()> next);
    // A write of the state; a failure is kept as a problem of the run.
    void Store(const std::function<void()>& write);
    void Pull();
    void FullListing();
    bool ReadKnown();
    bool TakeCard(const std::string& href, DavResponse& r);
    void Later(void (SyncSession::*step)());
    void Keep(apply::SentCard sent);
    void KeepSent();
    void Collect(DavReply& reply, bool whole);
    void Fetch();
    void Apply();

    std::unique_ptr<Run> run_;
    std::string path_;
    QString password_;
    DavClient client_;
};

}  // namespace carddav
