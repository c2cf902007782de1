#pragma once

#include <string>
#include <vector>

#include "Database.h"
#include "RecordId.h"

// The table of contact types without any widgets: what the contact types dialogs run against
// the database file. Every function throws cppsqlite3::SQLException on a database failure.
namespace contact_types {

struct ContactType {
    RecordId id;
    std::string description;
};

// Appends the types in description order. On a failure, rows keeps what was read before it.
void Load(const std::string& path, std::vector<ContactType>& rows);

// How many other types carry this description; compared exactly, case and all. When editing, the
// edited type's own row does not count.
int CountSameDescription(const std::string& path, const std::string& description, bool adding,
                         const RecordId& editedId);

// Inserts a new type in one transaction ending with the stamp and returns its identifier.
RecordId Add(const std::string& path, const std::string& description);

// Deletes the type unless a contact uses it. Gives the number of contacts that use it, and so
// kept it; 0 when it was deleted.
int DeleteUnlessInUse(const std::string& path, const RecordId& id);

// One edit of a type on one connection, kept open (with no transaction) while the user edits
// the description, so the duplicate check can use a connection of its own.
class Edit {
public:
    // Opens the file and reads the type's description as stored.
    std::string Begin(const std::string& path, const RecordId& id);
    // Writes the new description in one exclusive transaction with the stamp. A failed save
    // closes the connection, which abandons its transaction; the next save opens it again.
    void Save(const std::string& description);
    void Close() { database_.Close(); }

private:
    cppsqlite3::Database database_;
    std::string path_;
    RecordId id_;
};

}  // namespace contact_types
