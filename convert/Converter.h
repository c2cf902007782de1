#pragma once

#include <functional>
#include <string>
#include <unordered_map>

#include "RecordId.h"
#include "V1Document.h"

class QWidget;

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

// Creates the schema of the new database at path and writes its Globals row from the
// document's token and times. A failure is shown as "Error Creating Database" and gives false.
bool CreateDatabase(const std::string& path, const V1Document& document);

enum class ConvertResult {
    NotRead,     // the file could not be read; nothing shown, nothing changed
    NotLoaded,   // it did not parse; shown by the loader
    NotCreated,  // the new database could not be created
    Failed,      // "Error Converting Database"; the version-1 file is untouched
    Incomplete,  // converted, but the files could not both take their new names
    Succeeded,
};

// Converts the version-1 file at path into a database under the same name; the old file is
// kept as path + ".org". The new database is built as path + ".new" first. Every outcome but
// NotRead shows its message box; owner owns the boxes of the conversion itself.
ConvertResult Convert(const std::string& path, QWidget* owner);
