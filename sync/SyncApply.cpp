#include "SyncApply.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include <QCoreApplication>
#include <QUrl>

#include "AddressBook.h"
#include "Database.h"
#include "RecordEditing.h"
#include "RecordId.h"
#include "Transaction.h"
#include "VCardSync.h"

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::Statement;
using cppsqlite3::Transaction;

namespace carddav::apply {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("carddav::SyncSession", text);
}

// The 17 fields a card gives.
PersonRecord CardPerson(const std::string& card) {
    transfer::vcard::CardFields fields;
    transfer::vcard::ReadCardFields(card, fields);
    return fields.person;
}

bool SameFields(const PersonRecord& a, const PersonRecord& b) {
    return a.fields == b.fields;
}

// A card's UID as the person's record id, where it can be one: short, printable and not in
// use (inUse); else a new one.
RecordId IdFor(const std::string& uid, bool inUse) {
    bool usable = !uid.empty() && uid.size() <= 64 && !inUse;
    for (const char c : uid) {
        usable = usable && c > ' ' && c < 0x7F && c != '\'' && c != '"' && c != '/';
    }
    return usable ? uid : NewRecordId();
}

void StorePerson(editing::PersonWriter& persons, const RecordId& id, const PersonRecord& fields,
                 bool exists) {
    if (exists) {
        PersonRecord person = fields;
        person.id = id;
        persons.Update(person);
    } else {
        persons.Insert(id, fields);
    }
}

bool HasLog(Statement& st, const RecordId& id) {
    Query& q =
        st.ExecuteQuery("SELECT count(*) FROM Contact WHERE PersonID = '" + QuoteSqlText(id) + "'");
    const bool has = q.Next() && q.GetInt(1) > 0;
    st.CloseQuery();
    return has;
}

void DeletePerson(Statement& st, const RecordId& id) {
    const std::string quoted = QuoteSqlText(id);
    st.Execute("DELETE FROM Contact WHERE PersonID = '" + quoted +
               "'; DELETE FROM Person WHERE ID = '" + quoted + "'");
}

}  // namespace

Merge MergeFields(const PersonRecord& base, const PersonRecord& here, const PersonRecord& server) {
    Merge merge;
    merge.fields = here;
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        const std::string& b = base.fields[f];
        const std::string& h = here.fields[f];
        const std::string& s = server.fields[f];
        if (h == b) {
            merge.fields.fields[f] = s;
        } else if (s != b && s != h) {
            merge.conflicts.push_back(f);
        }
    }
    return merge;
}

std::vector<LocalChange> PlanLocal(const std::string& path, const state::AccountRow& account) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    std::vector<LocalChange> deletes, updates, creates;
    const bool linked = state::HasTables(st);
    if (linked) {
        Query& gone = st.ExecuteQuery(
            "SELECT PersonID, Href, ETag FROM SyncCard WHERE HeldCard IS NULL AND NOT EXISTS "
            "(SELECT 1 FROM Person WHERE Person.ID = SyncCard.PersonID)");
        while (gone.Next()) {
            LocalChange c;
            c.kind = LocalChange::Kind::Delete;
            c.person = gone.GetString(1);
            c.href = gone.GetString(2);
            c.etag = gone.GetString(3);
            deletes.push_back(std::move(c));
        }
        st.CloseQuery();
    }
    // Each person beside the fingerprint of what was agreed, read as the rows come: only the
    // persons that changed are kept. The cards themselves only for those.
    constexpr int kCard = PersonRecord::FieldCount + 3;  // after ID, the fields and TmStamp
    std::vector<std::pair<PersonRecord, std::array<std::string, 2>>> changed;
    Query& q = st.ExecuteQuery(
        linked ? "SELECT Person.*, SyncCard.PersonID IS NOT NULL, SyncCard.HeldCard IS NOT NULL, "
                 "SyncCard.Fields, SyncCard.Href, SyncCard.ETag FROM Person LEFT JOIN SyncCard "
                 "ON SyncCard.PersonID = Person.ID"
               : "SELECT Person.*, 0, 0, '', '', '' FROM Person");
    while (q.Next()) {
        const bool known = q.GetInt(kCard) != 0;
        if (known && q.GetInt(kCard + 1) != 0) {
            continue;  // held: waits for the user
        }
        if (known) {
            state::FieldViews fields;
            for (int f = 0; f < PersonRecord::FieldCount; ++f) {
                fields[f] = q.GetText(f + 2);
            }
            if (state::FieldsDigest(fields) == q.GetText(kCard + 2)) {
                continue;
            }
        }
        changed.emplace_back(ReadPersonRow(q),
                             std::array<std::string, 2>{known ? q.GetString(kCard + 3) : "",
                                                        known ? q.GetString(kCard + 4) : ""});
    }
    st.CloseQuery();
    const QUrl book(QString::fromStdString(account.addressBook));
    for (auto& [person, card] : changed) {
        LocalChange c;
        c.person = person.id;
        c.fields = state::AsUtf8(person);
        if (card[0].empty()) {
            c.kind = LocalChange::Kind::Create;
            const QString name =
                QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(c.person))) +
                QStringLiteral(".vcf");
            c.href = book.resolved(QUrl(name, QUrl::StrictMode)).toString().toStdString();
            c.card = transfer::vcard::CardToSend({}, c.fields, account.vcard4);
            creates.push_back(std::move(c));
        } else {
            c.kind = LocalChange::Kind::Update;
            c.href = std::move(card[0]);
            c.etag = std::move(card[1]);
            c.card = transfer::vcard::CardToSend(state::ReadBase(st, c.person), c.fields,
                                                 account.vcard4);
            updates.push_back(std::move(c));
        }
    }
    std::vector<LocalChange> all = std::move(deletes);
    for (auto* part : {&updates, &creates}) {
        for (LocalChange& c : *part) {
            all.push_back(std::move(c));
        }
    }
    return all;
}

void Sent(const std::string& path, const LocalChange& change, const std::string& href,
          const std::string& etag, const std::string& card) {
    Sent(path, {SentCard{change, href, etag, card}});
}

void Sent(const std::string& path, const std::vector<SentCard>& sent) {
    if (sent.empty()) {
        return;
    }
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Transaction transaction(st);
    state::CardWriter cards(st);
    editing::PersonWriter persons(st);
    bool personsChanged = false;
    for (const SentCard& s : sent) {
        const PersonRecord read = CardPerson(s.card);
        state::CardRow row;
        row.person = s.change.person;
        row.href = s.href;
        row.etag = s.etag;
        row.base = s.card;
        row.fields = state::FieldsDigest(read);
        cards.Write(row);
        // A value the card cannot hold as given (another e-mail address that comes forward):
        // the person shows what the card says, unless edited while the card was on its way.
        if (SameFields(read, s.change.fields)) {
            continue;
        }
        PersonRecord now;
        if (persons.Read(s.change.person, now) && SameFields(state::AsUtf8(now), s.change.fields)) {
            StorePerson(persons, s.change.person, read, true);
            personsChanged = true;
        }
    }
    if (personsChanged) {
        transaction.Commit();
    } else {
        transaction.CommitUnstamped();
    }
}

void Forgotten(const std::string& path, const RecordId& person) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Transaction transaction(st);
    state::RemoveCard(st, person);
    transaction.CommitUnstamped();
}

Applied ApplyRemote(const std::string& path, const std::vector<Remote>& batch) {
    Applied applied;
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Transaction transaction(st);
    editing::PersonWriter persons(st);
    state::CardWriter cards(st);
    // Each card's row looked up as it comes, rather than every row read for each batch; the
    // base cards only where a row is written back with its base kept.
    state::CardFinder find(st);
    const auto withBase = [&st](state::CardRow& row) -> state::CardRow& {
        if (row.base.empty()) {
            row.base = state::ReadBase(st, row.person);
        }
        return row;
    };
    bool personsChanged = false;
    for (const Remote& r : batch) {
        state::CardRow found;
        state::CardRow* row = find.ByHref(r.href, found) ? &found : nullptr;
        PersonRecord here;
        const bool exists = row && persons.Read(row->person, here);
        if (r.deleted) {
            if (!row || (row->held && row->heldCard.empty())) {
                continue;  // not ours, or its deletion already held
            }
            // Changed here (or held): the person stays and goes back as a new card.
            if (exists && !row->held && state::FieldsDigest(here) == row->fields) {
                if (HasLog(st, row->person)) {
                    // The log was never on the server: the deletion waits for the user rather
                    // than taking the log with it.
                    row->held = true;
                    row->heldCard.clear();
                    row->heldEtag.clear();
                    cards.Write(withBase(*row));
                    ++applied.conflicts;
                    continue;
                }
                DeletePerson(st, row->person);
                personsChanged = true;
                ++applied.received;
            } else if (exists) {
                applied.toSend = true;
            }
            state::RemoveCard(st, row->person);
            continue;
        }
        transfer::vcard::CardFields card;
        if (!transfer::vcard::ReadCardFields(r.card, card)) {
            applied.errors.append(Tr("The card at %1 could not be read: it was left out.")
                                      .arg(QString::fromStdString(r.href)));
            continue;
        }
        if (row) {
            if (row->etag == r.etag && !row->held) {
                continue;
            }
            if (row->held) {
                row->heldCard = r.card;
                row->heldEtag = r.etag;
                cards.Write(withBase(*row));
                continue;
            }
            if (exists && state::FieldsDigest(here) != row->fields) {
                const Merge merge =
                    MergeFields(CardPerson(withBase(*row).base), state::AsUtf8(here), card.person);
                if (!merge.conflicts.empty()) {
                    // Neither side is overwritten: the user chooses.
                    row->held = true;
                    row->heldCard = r.card;
                    row->heldEtag = r.etag;
                    cards.Write(*row);
                    ++applied.conflicts;
                    continue;
                }
                // The merge differs from the new base: the next send carries it.
                StorePerson(persons, row->person, merge.fields, true);
                applied.toSend = applied.toSend || !SameFields(merge.fields, card.person);
            } else if (!exists || !SameFields(state::AsUtf8(here), card.person)) {
                // Deleted here but changed there: the server's card comes back as the person.
                StorePerson(persons, row->person, card.person, exists);
            } else {
                row->base = r.card;
                row->etag = r.etag;
                cards.Write(*row);
                continue;
            }
            personsChanged = true;
            ++applied.received;
            row->base = r.card;
            row->etag = r.etag;
            row->fields = state::FieldsDigest(card.person);
            cards.Write(*row);
            continue;
        }
        // A card new to this book; or one sent from here whose state was lost (a sync cut
        // short after its PUT): its UID is the person's id.
        state::CardRow fresh;
        fresh.href = r.href;
        fresh.etag = r.etag;
        fresh.base = r.card;
        fresh.fields = state::FieldsDigest(card.person);
        PersonRecord mine;
        const bool taken = !card.uid.empty() && persons.Read(card.uid, mine);
        state::CardRow uidRow;
        if (taken && !find.ByPerson(card.uid, uidRow)) {
            fresh.person = card.uid;
            // Edited again after its PUT: the edit goes next.
            applied.toSend = applied.toSend || !SameFields(state::AsUtf8(mine), card.person);
        } else if (card.HasName()) {
            fresh.person = IdFor(card.uid, taken);
            StorePerson(persons, fresh.person, card.person, false);
            personsChanged = true;
            ++applied.received;
        } else {
            continue;
        }
        cards.Write(fresh);
    }
    if (personsChanged) {
        transaction.Commit();
    } else {
        transaction.CommitUnstamped();
    }
    return applied;
}

namespace {

// The held row of the person, its base card read; false when the person is not held.
bool HeldRow(Statement& st, const RecordId& person, state::CardRow& row) {
    state::CardFinder find(st);
    if (!find.ByPerson(person, row) || !row.held) {
        return false;
    }
    row.base = state::ReadBase(st, person);
    return true;
}

// The server's held card becomes what both sides agree on: the row is held no more.
void AgreeOnHeldCard(Statement& st, state::CardRow& row) {
    row.base = row.heldCard;
    row.etag = row.heldEtag;
    row.fields = state::FieldsDigest(CardPerson(row.heldCard));
    row.held = false;
    row.heldCard.clear();
    row.heldEtag.clear();
    state::WriteCard(st, row);
}

}  // namespace

std::vector<Held> ReadHeld(const std::string& path) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    std::vector<Held> held;
    if (!state::HasTables(st)) {
        return held;
    }
    std::vector<std::pair<RecordId, std::array<std::string, 2>>> rows;
    Query& q =
        st.ExecuteQuery("SELECT PersonID, Base, HeldCard FROM SyncCard WHERE HeldCard IS NOT NULL");
    while (q.Next()) {
        rows.push_back({q.GetString(1), {q.GetString(2), q.GetString(3)}});
    }
    st.CloseQuery();
    editing::PersonWriter persons(st);
    for (const auto& [id, cards] : rows) {
        Held h;
        h.person = id;
        h.base = CardPerson(cards[0]);
        h.deletedOnServer = cards[1].empty();
        h.server = h.deletedOnServer ? PersonRecord() : CardPerson(cards[1]);
        PersonRecord here;
        h.deletedHere = !persons.Read(id, here);
        h.here = h.deletedHere ? PersonRecord() : state::AsUtf8(here);
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            if (!h.deletedOnServer && !h.deletedHere && h.here.fields[f] != h.server.fields[f]) {
                h.differing.push_back(f);
            }
        }
        held.push_back(std::move(h));
    }
    const auto name = [](const Held& h) {
        return (h.deletedHere ? h.server : h.here).DisplayName();
    };
    std::stable_sort(held.begin(), held.end(),
                     [&](const Held& a, const Held& b) { return name(a) < name(b); });
    return held;
}

namespace {

// Runs settle on the person's held row in one transaction; false when the person is not held.
template <typename Settler>
bool OnHeld(const std::string& path, const RecordId& person, Settler settle) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Transaction transaction(st);
    state::CardRow row;
    return HeldRow(st, person, row) && settle(st, row, transaction);
}

}  // namespace

bool Settle(const std::string& path, const RecordId& person, const PersonRecord& chosen) {
    return OnHeld(path, person, [&](Statement& st, state::CardRow& row, Transaction& transaction) {
        editing::PersonWriter persons(st);
        PersonRecord here;
        const bool exists = persons.Read(person, here);
        const bool changed = !exists || !SameFields(state::AsUtf8(here), chosen);
        if (changed) {
            StorePerson(persons, person, chosen, exists);
        }
        if (row.heldCard.empty()) {
            // Deleted on the server: the person goes again as a new card.
            state::RemoveCard(st, person);
        } else {
            AgreeOnHeldCard(st, row);
        }
        if (changed) {
            transaction.Commit();
        } else {
            transaction.CommitUnstamped();
        }
        return true;
    });
}

bool SettleByDeleting(const std::string& path, const RecordId& person) {
    return OnHeld(path, person, [&](Statement& st, state::CardRow& row, Transaction& transaction) {
        PersonRecord here;
        const bool exists = editing::PersonWriter(st).Read(person, here);
        if (row.heldCard.empty()) {
            // Deleted on the server: here too, with its log.
            DeletePerson(st, person);
            state::RemoveCard(st, person);
            transaction.Commit();
            return true;
        }
        if (exists) {
            return false;  // a conflict of fields: settled by Settle
        }
        // Deleted here: the server's card, as the base, goes by the next sync's delete.
        AgreeOnHeldCard(st, row);
        transaction.CommitUnstamped();
        return true;
    });
}

std::vector<std::pair<std::string, std::string>> KnownCards(const std::string& path) {
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    std::vector<std::pair<std::string, std::string>> known;
    for (const auto& [id, row] : state::ReadCards(st, false)) {
        known.emplace_back(row.href, row.held ? row.heldEtag : row.etag);
    }
    return known;
}

}  // namespace carddav::apply
