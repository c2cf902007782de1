#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QString>

#include "RecordId.h"
#include "V1Document.h"

// The identifiers one conversion gives the version-1 records, by version-1 ID. Contact types
// named like a default type get that type's fixed identifier, everything else a fresh one.
struct IdentifierMaps {
    std::unordered_map<int, RecordId> contactTypes;
    std::unordered_map<int, RecordId> persons;
    std::unordered_map<int, RecordId> contacts;
};
IdentifierMaps AssignIdentifiers(const V1Document& document);

// Passes the INSERT of every record to execute, in the order they are written: the user row,
// then contact types, persons and contacts, each in ascending version-1 ID. A contact whose
// person or contact type is not in the file gets no row; the number of these is returned.
int WriteRecords(const V1Document& document, const IdentifierMaps& ids,
                 const std::function<void(const std::string& sql)>& execute);

// The icon of a conversion's message box; the ui shows it as its own.
enum class ConvertIcon { None, Information, Warning, Error };

// Whose box a message is: those of the conversion itself belong to the window that asked for
// it, those of loading the file and creating the database have no owner.
enum class ConvertMessageOwner { None, Window };

// One message box for the ui to show.
struct ConvertMessage {
    QString text;
    QString caption;
    ConvertIcon icon = ConvertIcon::None;
    ConvertMessageOwner owner = ConvertMessageOwner::None;
};

// Creates the schema of the new database at path and writes its Globals row from the
// document's token and times. Gives the "Error Creating Database" message of a failure, and
// nothing when the database was created.
[[nodiscard]] std::optional<ConvertMessage> CreateDatabase(const std::string& path,
                                                           const V1Document& document);

enum class ConvertResult {
    NotRead,            // the file exists but could not be read; no message, nothing changed
    Missing,            // there is no such file: "Error Loading File"
    AlreadyVersionTwo,  // a version-2 address book already: "Conversion Not Needed"
    NotLoaded,          // it did not parse: "Error Loading File"
    NotCreated,         // the new database could not be created
    Failed,             // "Error Converting Database"; the version-1 file is untouched
    Incomplete,         // converted, but the files could not both take their new names
    Succeeded,
};

struct ConvertOutcome {
    ConvertResult result = ConvertResult::NotRead;
    std::vector<ConvertMessage> messages;  // in the order they are to be shown
};

// Converts the version-1 file at path into a database under the same name; the old file is
// kept as path + ".org". The new database is built as path + ".new" first. Every result but
// NotRead comes with its message; one that names the file gives the path as it came, with
// native separators. Nothing is shown here: the ui shows the messages.
[[nodiscard]] ConvertOutcome Convert(const std::string& path);
