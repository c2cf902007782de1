#pragma once

#include <string>

#include "DateTime.h"
#include "SQLException.h"

namespace cppsqlite3 {
class Database;
class Statement;
}  // namespace cppsqlite3

// The format version written into Globals by every writer of this program.
constexpr int kDatabaseVersion = 20;

// The text this program keeps in U of Globals. Nothing reads it back; it only names the
// program that last opened or created the file.
extern const char kGlobalsToken[];

// The schema statements of a .tch file, in the order a new file gets them.
namespace schema {
extern const char kCreateUser[];
extern const char kCreatePerson[];
extern const char kCreatePersonNameIndex[];
extern const char kCreatePersonCompanyIndex[];
extern const char kCreateContactType[];
extern const char kCreateContactTypeIndex[];
extern const char kCreateContact[];
extern const char kCreateContactDateIndex[];
extern const char kCreateGlobals[];
// The contact types of a new file, with the fixed identifiers other copies of the program and
// the converter also give them.
struct DefaultContactType {
    const char* id;
    const char* description;
};
extern const DefaultContactType kDefaultContactTypes[4];
// "UPDATE Globals SET S = datetime('now', 'localtime')": ends every change.
extern const char kStamp[];
// The lookups of a person by identifier and of a person's contacts. They follow the schema in a
// new file and are added to older files at open; an index changes no table, so files with them
// stay readable by every copy of the program.
extern const char kCreatePersonIdIndex[];
extern const char kCreateContactPersonIndex[];
}  // namespace schema

// "INSERT INTO Globals VALUES(20, 'U', 'C', 'S')" for the given texts, quoted.
std::string GlobalsInsert(const std::string& token, const std::string& created,
                          const std::string& saved);

// Writes a new .tch file at path, replacing any file there. On failure the connection is
// closed, the file is deleted and the SQLException is passed on.
void CreateDatabaseFile(const std::string& path);

// Whether the file's five tables have the columns of the schema, by name and in order: the
// program reads and writes rows by position, so a table of another shape is not its file.
bool HasAddressBookTables(cppsqlite3::Statement& statement);
// Whether the file has a table of that name (one of the tables other parts keep beside the five).
bool HasTable(cppsqlite3::Statement& statement, const std::string& name);

// Code a file can hold that the engine would run of its own accord when the file is read or
// changed. A book may come from elsewhere; it is data, and such a file is not opened.
enum class StoredCode {
    None,
    Triggers,  // any trigger, on any table
    Views,     // a view under the name of one of the five tables
};
// What the schema the connection read at open holds of such code; triggers first.
StoredCode FindStoredCode(const cppsqlite3::Database& db);

// Thrown by every open of a file that holds such code, before anything of it is written. The
// message tells the user why the file is not opened.
class StoredCodeRefused : public cppsqlite3::SQLException {
public:
    explicit StoredCodeRefused(StoredCode found);
    StoredCode Found() const { return found_; }

private:
    StoredCode found_;
};

// Whether the file has both lookup indexes.
bool HasLookupIndexes(cppsqlite3::Statement& statement);
// Adds whichever lookup index is missing, and drops the index of contacts by person alone that
// the one by person and date replaced.
void CreateLookupIndexes(cppsqlite3::Statement& statement);

struct GlobalsAtOpen {
    int version = -1;
    DateTime created;  // C, with "NEW" read as now; invalid when C cannot be read
    DateTime saved;    // the time of this open, the new S
};

// Reads the Globals row and writes it back at open: U with this program's token, C as a
// stored time stamp ("NEW" becomes now, unreadable text the empty text), S as now. The last row
// read wins.
GlobalsAtOpen RewriteGlobalsAtOpen(cppsqlite3::Statement& statement);
