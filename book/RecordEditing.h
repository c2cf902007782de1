#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DateTime.h"
#include "PersonRecord.h"

// The writes behind the person, contact and user editors, with no window. Each change opens the
// file, runs "BEGIN TRANSACTION", its statements and the stamp of the last-saved time, then
// "COMMIT"; a failure throws cppsqlite3::SQLException and the closing connection abandons the
// transaction, so the file keeps its state from before, stamp included.
namespace cppsqlite3 {
class Prepared;
class Statement;
}  // namespace cppsqlite3

namespace editing {

// The statements, as they are sent. Values are quoted here; identifiers too, since they come
// from files other programs may have written.
std::string InsertPersonSql(const RecordId& id, const PersonRecord& person);
// With a given time stamp (stored form) instead of the engine's time: the import's rows.
std::string InsertPersonSql(const RecordId& id, const PersonRecord& person,
                            const std::string& stamp);
std::string UpdatePersonSql(const PersonRecord& person);
std::string UpdateUserSql(const PersonRecord& user);
std::string InsertContactSql(const RecordId& id, const RecordId& personId, DateTime when,
                             const std::string& description, const RecordId& typeId);
std::string UpdateContactSql(const RecordId& id, DateTime when, const std::string& description,
                             const RecordId& typeId);
// With DtTm given as its stored text, kept as it was when the user did not change it.
std::string UpdateContactSql(const RecordId& id, const std::string& dtTm,
                             const std::string& description, const RecordId& typeId);

// Reads, inserts and updates persons on an open connection with statements compiled once, for
// many persons in one transaction (a sync's batch of cards). The rows are those the statements
// above write.
class PersonWriter {
public:
    explicit PersonWriter(cppsqlite3::Statement& on);
    ~PersonWriter();

    bool Read(const RecordId& id, PersonRecord& person);
    void Insert(const RecordId& id, const PersonRecord& person);
    // The person of person.id.
    void Update(const PersonRecord& person);

private:
    std::unique_ptr<cppsqlite3::Prepared> read_, insert_, update_;
};

// Runs the statements in one transaction ending with the stamp.
void RunChange(const std::string& path, const std::vector<std::string>& statements);

// Returns the new person's identifier.
RecordId AddPerson(const std::string& path, const PersonRecord& person);
void UpdatePerson(const std::string& path, const PersonRecord& person);

// A row as an editor loaded it: every column as an SQL literal, TmStamp included; empty when no
// row had the identifier. What tells whether another program wrote the record meanwhile.
using StoredRow = std::vector<std::string>;

// What a merge of persons found twice changed (PersonMerging.h), every row as stored before.
struct MergedRecords {
    RecordId kept;
    StoredRow keptBefore;                              // the kept person's row
    std::vector<StoredRow> others;                     // the rows of the persons merged in
    std::vector<std::pair<RecordId, RecordId>> moved;  // contact, the person it was with
    std::string name;                                  // the kept person's name afterwards
};

// What a delete took away, every column as stored, so that it can be put back as it was.
// The rows are kept as SQL literals.
struct DeletedRecords {
    std::vector<std::string> person;  // the person's row; empty when only a contact went
    std::vector<std::vector<std::string>> contacts;
    std::string name;    // the person's display name
    RecordId personId;   // the person, gone or not
    RecordId contactId;  // the contact when only a contact went
    // Set for a merge: what Edit, Undo puts back instead (the rest is empty).
    std::optional<MergedRecords> merge;
};
// The person and all its contacts; returns them as they were.
DeletedRecords DeletePerson(const std::string& path, const RecordId& id);
// Puts deleted rows back with their identifiers, fields and time stamps, in one transaction
// ending with the stamp.
void RestoreDeleted(const std::string& path, const DeletedRecords& deleted);

// The user record, its row made on the first load of a file that has none (by a statement of its
// own, without the stamp). The Pager field is never read or written: the table has none.
void LoadUserRecord(const std::string& path, PersonRecord& user);
void UpdateUser(const std::string& path, const PersonRecord& user);

// What the contact editor starts from.
struct StoredContact {
    std::string dtTm;  // as stored
    DateTime when;     // invalid when DtTm does not read as a date
    std::string description;
    RecordId typeId;
};
// False when no contact has the identifier.
bool LoadStoredContact(const std::string& path, const RecordId& id, StoredContact& contact);

struct TypeChoice {
    RecordId id;
    std::string description;
};
// The contact types in the table's own order; the dialog's list sorts them. On a failure the
// choices read before it stay.
void LoadTypeChoices(const std::string& path, std::vector<TypeChoice>& choices);

RecordId AddContact(const std::string& path, const RecordId& personId, DateTime when,
                    const std::string& description, const RecordId& typeId);
void UpdateContact(const std::string& path, const RecordId& id, const std::string& dtTm,
                   const std::string& description, const RecordId& typeId);
void UpdateContact(const std::string& path, const RecordId& id, DateTime when,
                   const std::string& description, const RecordId& typeId);
// Returns the contact as it was, and the display name of its person.
DeletedRecords DeleteContact(const std::string& path, const RecordId& id);

enum class RowTable { Person, Contact, ContactType, User };
StoredRow ReadStoredRow(const std::string& path, RowTable table, const RecordId& id);

// Every row the query gives, each column as an SQL literal; and a row as the values of an INSERT.
std::vector<StoredRow> ReadRows(cppsqlite3::Statement& statement, const std::string& sql);
std::string RowValues(const StoredRow& row);

enum class StoredState { AsLoaded, Changed, Deleted };
// The record now, against the row the editor loaded.
StoredState CompareStored(const std::string& path, RowTable table, const RecordId& id,
                          const StoredRow& loaded);

}  // namespace editing
