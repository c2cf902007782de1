#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "RecordId.h"
#include "TransferSettings.h"

namespace cppsqlite3 {
class Statement;
}

namespace transfer {

// The export's queries, as they are sent.
extern const char kPersonsQuery[];
extern const char kContactsQuery[];

struct ExportResult {
    enum class Outcome {
        Written,
        NothingToExport,  // the table is empty: no file was made or changed
        DatabaseFailure,  // message: the failure's
        FileFailure,      // message: the system's reason; an existing file is left as it was
    };
    Outcome outcome = Outcome::NothingToExport;
    int records = 0;
    std::string message;
};

// Reads the file through the engine's own small cache instead of mapping all of it: an export's
// whole text is in memory already, and a large file's mapped pages would count twice.
void ReadWithoutMapping(cppsqlite3::Statement& statement);
// The number of rows of the table.
int Count(cppsqlite3::Statement& statement, const char* table);
// The identifiers as a set of views into ids, which must outlive it.
std::unordered_set<std::string_view> IdentifierSet(const std::vector<RecordId>& ids);

// The persons of the database file, or all contacts with their person and contact type, as the
// lines of a delimited text file (header included). Empty when the table is empty. Throws
// cppsqlite3::SQLException.
std::string PersonsText(const std::string& databasePath, const TransferSettings& settings,
                        int& records);
std::string ContactsText(const std::string& databasePath, const TransferSettings& settings,
                         int& records);

// Writes the text to the settings' file, replacing an existing file only with a complete new one.
// False with the system's reason when the file cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& reason);

// The text makeText gives, written to the file: DatabaseFailure when it throws
// cppsqlite3::SQLException, NothingToExport (no file touched) when it is empty.
ExportResult WriteExport(const std::string& filePath,
                         const std::function<std::string(int& records)>& makeText);

// The export commands' work: the text, then the file.
ExportResult ExportPersons(const std::string& databasePath, const TransferSettings& settings);
ExportResult ExportContacts(const std::string& databasePath, const TransferSettings& settings);

}  // namespace transfer
