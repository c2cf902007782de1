#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "PersonRecord.h"

namespace cppsqlite3 {
class Prepared;
class Statement;
}  // namespace cppsqlite3

// The sync's own tables in the book: the account, and one row per person that is on the
// server. The five tables of the book are not touched here; every function runs on the
// statement given, inside the caller's transaction where there is one.
namespace carddav::state {

struct AccountRow {
    std::string server, user, addressBook, displayName;
    bool vcard4 = false;
    std::string syncToken, ctag, lastSync;
    // The SHA-256 of a certificate the user trusted for this account although the system does
    // not (hex); empty: the system's trust alone.
    std::string trustedCertificate;
};

// One person as last agreed with the server.
struct CardRow {
    RecordId person;
    std::string href;    // the card's URL, absolute
    std::string etag;    // quotes kept
    std::string base;    // the card's text as last agreed
    std::string fields;  // the digest of the 17 fields the base gives
    // The server's card while the person is held in a conflict: not sent, not applied, until
    // the user settles it. Held with no card: deleted on the server while the person has a
    // contact log here.
    std::string heldCard, heldEtag;
    bool held = false;
};

// Creates the tables where they are missing.
void CreateTables(cppsqlite3::Statement& st);
bool HasTables(cppsqlite3::Statement& st);

bool ReadAccount(cppsqlite3::Statement& st, AccountRow& account);
// Replaces the account: there is at most one.
void WriteAccount(cppsqlite3::Statement& st, const AccountRow& account);
void WriteToken(cppsqlite3::Statement& st, const std::string& token, const std::string& lastSync);
// The certificate trusted for the account (hex SHA-256; empty: none).
void WriteTrust(cppsqlite3::Statement& st, const std::string& sha256);
// The account and every card row go.
void Forget(cppsqlite3::Statement& st);

// Every card row, by person; without withCards, their base cards are left empty (the held
// cards, few, are read either way).
std::unordered_map<RecordId, CardRow> ReadCards(cppsqlite3::Statement& st, bool withCards = true);
// The base card of one person's row; empty when there is none.
std::string ReadBase(cppsqlite3::Statement& st, const RecordId& person);
void WriteCard(cppsqlite3::Statement& st, const CardRow& card);
// One card row by its href or by its person, its base left empty (ReadBase): for a batch of
// cards, with statements compiled once.
class CardFinder {
public:
    explicit CardFinder(cppsqlite3::Statement& st);
    ~CardFinder();
    bool ByHref(const std::string& href, CardRow& row);
    bool ByPerson(const RecordId& person, CardRow& row);

private:
    std::unique_ptr<cppsqlite3::Prepared> byHref_, byPerson_;
};

// WriteCard for many rows: its statement compiled once.
class CardWriter {
public:
    explicit CardWriter(cppsqlite3::Statement& st);
    ~CardWriter();
    void Write(const CardRow& card);

private:
    std::unique_ptr<cppsqlite3::Prepared> write_;
};
void RemoveCard(cppsqlite3::Statement& st, const RecordId& person);
int HeldCount(cppsqlite3::Statement& st);
// The persons held, by record id.
std::vector<RecordId> HeldPersons(cppsqlite3::Statement& st);

// The person's fields as UTF-8, as a card gives them: a field an old file stored in
// Windows-1252 reads as the same text.
PersonRecord AsUtf8(const PersonRecord& person);
// A digest of the 17 fields (as UTF-8): equal digests, equal fields.
std::string FieldsDigest(const PersonRecord& person);
// The same of the fields as stored, read without a copy.
using FieldViews = std::array<std::string_view, PersonRecord::FieldCount>;
std::string FieldsDigest(const FieldViews& fields);

}  // namespace carddav::state
