#include "SyncState.h"

#include <QCryptographicHash>
#include <QString>

#include "Database.h"
#include "DatabaseFile.h"
#include "RecordId.h"
#include "StoredText.h"

using cppsqlite3::Query;
using cppsqlite3::Statement;

namespace carddav::state {

namespace {

std::string Quoted(const std::string& text) {
    return "'" + QuoteSqlText(text) + "'";
}

}  // namespace

void CreateTables(Statement& st) {
    st.Execute(
        "CREATE TABLE IF NOT EXISTS SyncAccount(Server TEXT NOT NULL, UserName TEXT NOT NULL, "
        "BookUrl TEXT NOT NULL, BookName TEXT NOT NULL DEFAULT '', Version4 INTEGER NOT NULL "
        "DEFAULT 0, SyncToken TEXT NOT NULL DEFAULT '', CTag TEXT NOT NULL DEFAULT '', "
        "LastSync TEXT NOT NULL DEFAULT '');"
        // Kept beside the account: a book linked before there was trust reads as before.
        "CREATE TABLE IF NOT EXISTS SyncTrust(Sha256 TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS SyncCard(PersonID TEXT NOT NULL PRIMARY KEY, Href TEXT NOT "
        "NULL, ETag TEXT NOT NULL DEFAULT '', Base BLOB NOT NULL, Fields TEXT NOT NULL, HeldCard "
        "BLOB, HeldETag TEXT);"
        "CREATE INDEX IF NOT EXISTS SyncCardHrefIdx ON SyncCard(Href);"
        // The held are few: counted without reading every card.
        "CREATE INDEX IF NOT EXISTS SyncCardHeldIdx ON SyncCard(PersonID) WHERE HeldCard IS NOT "
        "NULL;");
}

bool HasTables(Statement& st) {
    Query& q = st.ExecuteQuery(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('SyncAccount', "
        "'SyncCard')");
    const bool has = q.Next() && q.GetInt(1) == 2;
    st.CloseQuery();
    return has;
}

bool ReadAccount(Statement& st, AccountRow& account) {
    if (!HasTables(st)) {
        return false;
    }
    Query& q = st.ExecuteQuery(
        "SELECT Server, UserName, BookUrl, BookName, Version4, SyncToken, CTag, LastSync FROM "
        "SyncAccount LIMIT 1");
    const bool found = q.Next();
    if (found) {
        account.server = q.GetString(1);
        account.user = q.GetString(2);
        account.addressBook = q.GetString(3);
        account.displayName = q.GetString(4);
        account.vcard4 = q.GetInt(5) != 0;
        account.syncToken = q.GetString(6);
        account.ctag = q.GetString(7);
        account.lastSync = q.GetString(8);
    }
    st.CloseQuery();
    if (found && HasTable(st, "SyncTrust")) {
        Query& t = st.ExecuteQuery("SELECT Sha256 FROM SyncTrust LIMIT 1");
        account.trustedCertificate = t.Next() ? t.GetString(1) : std::string();
        st.CloseQuery();
    }
    return found;
}

void WriteAccount(Statement& st, const AccountRow& a) {
    CreateTables(st);
    st.Execute("DELETE FROM SyncAccount");
    st.Execute("INSERT INTO SyncAccount VALUES(" + Quoted(a.server) + ", " + Quoted(a.user) + ", " +
               Quoted(a.addressBook) + ", " + Quoted(a.displayName) + ", " +
               (a.vcard4 ? "1" : "0") + ", " + Quoted(a.syncToken) + ", " + Quoted(a.ctag) + ", " +
               Quoted(a.lastSync) + ")");
    WriteTrust(st, a.trustedCertificate);
}

void WriteTrust(Statement& st, const std::string& sha256) {
    CreateTables(st);
    st.Execute("DELETE FROM SyncTrust");
    if (!sha256.empty()) {
        st.Execute("INSERT INTO SyncTrust VALUES(" + Quoted(sha256) + ")");
    }
}

void WriteToken(Statement& st, const std::string& token, const std::string& lastSync) {
    st.Execute("UPDATE SyncAccount SET SyncToken = " + Quoted(token) +
               ", LastSync = " + Quoted(lastSync));
}

void Forget(Statement& st) {
    st.Execute(
        "DROP TABLE IF EXISTS SyncCard; DROP TABLE IF EXISTS SyncAccount; DROP TABLE IF EXISTS "
        "SyncTrust");
}

namespace {

constexpr char kRowColumns[] =
    "SELECT PersonID, Href, ETag, '', Fields, HeldCard, HeldETag, HeldCard IS NOT NULL FROM "
    "SyncCard";

CardRow ReadRow(const Query& q) {
    CardRow row;
    row.person = q.GetString(1);
    row.href = q.GetString(2);
    row.etag = q.GetString(3);
    row.base = q.GetString(4);
    row.fields = q.GetString(5);
    row.heldCard = q.GetString(6);
    row.heldEtag = q.GetString(7);
    row.held = q.GetInt(8) != 0;
    return row;
}

bool FindRow(cppsqlite3::Prepared& find, const std::string& key, CardRow& row) {
    Query& q = find.BindText(1, key).ExecuteQuery();
    const bool found = q.Next();
    if (found) {
        row = ReadRow(q);
    }
    find.CloseQuery();
    return found;
}

}  // namespace

CardFinder::CardFinder(Statement& st)
    : byHref_(std::make_unique<cppsqlite3::Prepared>(
          st, std::string(kRowColumns) + " WHERE Href = ? LIMIT 1")),
      byPerson_(std::make_unique<cppsqlite3::Prepared>(
          st, std::string(kRowColumns) + " WHERE PersonID = ?")) {}

CardFinder::~CardFinder() = default;

bool CardFinder::ByHref(const std::string& href, CardRow& row) {
    return FindRow(*byHref_, href, row);
}

bool CardFinder::ByPerson(const RecordId& person, CardRow& row) {
    return FindRow(*byPerson_, person, row);
}

std::unordered_map<RecordId, CardRow> ReadCards(Statement& st, bool withCards) {
    std::unordered_map<RecordId, CardRow> cards;
    if (!HasTables(st)) {
        return cards;
    }
    Query& q = st.ExecuteQuery(
        withCards ? "SELECT PersonID, Href, ETag, Base, Fields, HeldCard, HeldETag, HeldCard IS "
                    "NOT NULL FROM SyncCard"
                  : kRowColumns);
    while (q.Next()) {
        CardRow row = ReadRow(q);
        RecordId id = row.person;
        cards.emplace(std::move(id), std::move(row));
    }
    st.CloseQuery();
    return cards;
}

void WriteCard(Statement& st, const CardRow& c) {
    CardWriter(st).Write(c);
}

CardWriter::CardWriter(Statement& st)
    : write_(std::make_unique<cppsqlite3::Prepared>(
          st, "INSERT OR REPLACE INTO SyncCard VALUES(?, ?, ?, ?, ?, ?, ?)")) {}

CardWriter::~CardWriter() = default;

// Cards may hold any byte: stored as blobs, read back whole.
void CardWriter::Write(const CardRow& c) {
    write_->BindText(1, c.person).BindText(2, c.href).BindText(3, c.etag).BindBlob(4, c.base);
    write_->BindText(5, c.fields);
    if (c.held) {
        write_->BindBlob(6, c.heldCard).BindText(7, c.heldEtag);
    } else {
        write_->BindNull(6).BindNull(7);
    }
    write_->Execute();
}

std::string ReadBase(Statement& st, const RecordId& person) {
    Query& q = st.ExecuteQuery("SELECT Base FROM SyncCard WHERE PersonID = " + Quoted(person));
    std::string base = q.Next() ? q.GetString(1) : std::string();
    st.CloseQuery();
    return base;
}

void RemoveCard(Statement& st, const RecordId& person) {
    st.Execute("DELETE FROM SyncCard WHERE PersonID = " + Quoted(person));
}

int HeldCount(Statement& st) {
    if (!HasTables(st)) {
        return 0;
    }
    Query& q = st.ExecuteQuery("SELECT count(*) FROM SyncCard WHERE HeldCard IS NOT NULL");
    const int n = q.Next() ? q.GetInt(1) : 0;
    st.CloseQuery();
    return n;
}

std::vector<RecordId> HeldPersons(Statement& st) {
    std::vector<RecordId> persons;
    if (!HasTables(st)) {
        return persons;
    }
    Query& q = st.ExecuteQuery("SELECT PersonID FROM SyncCard WHERE HeldCard IS NOT NULL");
    while (q.Next()) {
        persons.push_back(q.GetString(1));
    }
    st.CloseQuery();
    return persons;
}

PersonRecord AsUtf8(const PersonRecord& person) {
    PersonRecord out = person;
    for (std::string& field : out.fields) {
        // Most fields are UTF-8 already; only an old file's Windows-1252 text is read again.
        if (!IsValidUtf8(field)) {
            field = FromStoredText(field).toStdString();
        }
    }
    return out;
}

std::string FieldsDigest(const FieldViews& fields) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const std::string_view field : fields) {
        // An old file's Windows-1252 text digests as the same text in UTF-8.
        const QByteArray utf8 = IsValidUtf8(field.data(), field.size())
                                    ? QByteArray::fromRawData(field.data(), qsizetype(field.size()))
                                    : FromStoredText(field).toUtf8();
        hash.addData(utf8);
        hash.addData(QByteArrayView("\x1F", 1));
    }
    return hash.result().toHex().toStdString();
}

std::string FieldsDigest(const PersonRecord& person) {
    FieldViews views;
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        views[f] = person.fields[f];
    }
    return FieldsDigest(views);
}

}  // namespace carddav::state
