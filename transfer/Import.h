#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "ColumnPlan.h"
#include "PersonReader.h"
#include "TransferSettings.h"

namespace cppsqlite3 {
class Statement;
}

namespace transfer {

// The file's bytes, at most limit of them. Nothing when the file cannot be read, with the
// system's reason in reason when it is given.
std::optional<std::string> ReadFileBytes(const std::string& path, size_t limit = SIZE_MAX,
                                         std::string* reason = nullptr);

// The bytes as UTF-8 text: read in the encoding named, or when it is empty (or unknown here) in
// the one DetectEncoding tells or guesses. A byte-order mark is skipped.
std::string DecodedText(std::string_view bytes, const std::string& encoding = std::string());

// The file as UTF-8 text, as DecodedText reads it. Nothing when the file cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path,
                                        const std::string& encoding = std::string());

// The first line of the text that is not blank, without its line end (the tokenizer trims
// each field, but not the separator where it is white space).
std::string FirstLine(std::string_view text);

// The first lines of the text, at most count of them, for the user to see how the file reads.
std::vector<std::string> FirstLines(std::string_view text, int count);

struct ImportResult {
    enum class Outcome {
        Imported,         // persons: how many went into the file (none when there were none)
        NotRead,          // the file could not be read
        DatabaseFailure,  // message: the failure's; nothing was stored
    };
    Outcome outcome = Outcome::Imported;
    int persons = 0;
    std::string message;
    LeftOut leftOut;
};

// The closing message of an import that stored persons persons: how many were added, or that
// none was and why, then what was left out. Lines joined by LF.
QString ImportMessage(int persons, const LeftOut& leftOut);

// Room for a large import's pages until its commit, for the connection of one import.
void PrepareImport(cppsqlite3::Statement& statement);

// Reads the settings' file and inserts its persons into the database file in one transaction,
// all with the same time stamp. The last-saved stamp of the file is not changed.
ImportResult ImportPersons(const std::string& databasePath, const TransferSettings& settings);

// Of comma, semicolon, tab and pipe, the separator that splits the line into the most fields
// (the first of those in that order when some split it equally well).
char LikeliestSeparator(std::string_view line, char encloser);

}  // namespace transfer
