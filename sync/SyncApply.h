#pragma once

#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "PersonRecord.h"
#include "SyncState.h"

// What the sync reads from and writes to the book, without the network: the local changes to
// send, what a sent change leaves in the state, and the server's changes applied by the rules
// of a three-way merge by field.
namespace carddav::apply {

// The fields of a three-way merge: those the server changed where only it did, those changed
// here where only here; conflicts lists the fields both changed to different values.
struct Merge {
    PersonRecord fields;
    std::vector<int> conflicts;
};
Merge MergeFields(const PersonRecord& base, const PersonRecord& here, const PersonRecord& server);

// A change here to send.
struct LocalChange {
    enum class Kind { Delete, Update, Create };
    Kind kind = Kind::Update;
    RecordId person;
    std::string href;     // where it goes
    std::string etag;     // If-Match for Delete and Update
    std::string card;     // the card to PUT
    PersonRecord fields;  // the person's fields the card was made from (UTF-8)
};
// Deletions first, then changes, then new persons. Persons held in a conflict are left out.
std::vector<LocalChange> PlanLocal(const std::string& path, const state::AccountRow& account);

// What the server now holds for a change sent: href and etag as it answered, card as sent (or
// read back). The person takes the fields the card reads where they differ from what was sent,
// unless the person was edited meanwhile. One transaction.
void Sent(const std::string& path, const LocalChange& change, const std::string& href,
          const std::string& etag, const std::string& card);
// The same for many, in one transaction: an upload of a thousand persons writes its state
// once, not a thousand times.
struct SentCard {
    LocalChange change;
    std::string href, etag, card;
};
void Sent(const std::string& path, const std::vector<SentCard>& sent);
// A card deleted on the server at our request (or already gone): its state goes.
void Forgotten(const std::string& path, const RecordId& person);

// A card as the server has it now, or its deletion.
struct Remote {
    std::string href;
    std::string etag;
    std::string card;
    bool deleted = false;
};
struct Applied {
    int received = 0;     // persons added, changed or deleted here
    int conflicts = 0;    // persons newly held
    bool toSend = false;  // a merge, or a person kept against a deletion: goes to the server
    QStringList errors;   // cards that could not be read: left out
};
// The server's changes in one transaction with their state rows.
Applied ApplyRemote(const std::string& path, const std::vector<Remote>& batch);

// A person held in a conflict, as the user is shown it: the fields here, on the server, and
// of the base both sides started from (UTF-8). deletedOnServer: the server deleted the card
// while the person has a contact log here. deletedHere: the person was deleted here after it
// was held.
struct Held {
    RecordId person;
    PersonRecord here, server, base;
    bool deletedOnServer = false;
    bool deletedHere = false;
    std::vector<int> differing;  // the fields where here and the server differ
};
// Every person held, in the order of their display names.
std::vector<Held> ReadHeld(const std::string& path);

// The user's choice for a held person: the person keeps (or, deleted here, comes back with)
// chosen's fields. The server's card becomes the base, so that the next sync sends what
// differs from it, against the card's ETag; a card the server deleted is sent again as new.
// One transaction, stamped when the person changes. False when the person is not held.
bool Settle(const std::string& path, const RecordId& person, const PersonRecord& chosen);
// The other choice of a deletion: a person the server deleted is deleted here too, contact
// log and all; a person deleted here is deleted on the server by the next sync. False when
// the person is not held, or held in a conflict of fields.
bool SettleByDeleting(const std::string& path, const RecordId& person);

// The etag of each href of the state: what a listing is compared with.
std::vector<std::pair<std::string, std::string>> KnownCards(const std::string& path);

}  // namespace carddav::apply
