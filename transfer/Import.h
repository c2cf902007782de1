#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LineTokenizer.h"
#include "PersonRecord.h"
#include "TransferSettings.h"

namespace cppsqlite3 {
class Statement;
}

namespace transfer {

// The file as UTF-8 text: a UTF-8 byte-order mark is skipped, a file that starts with a UTF-16
// mark is read as UTF-16, and a file whose bytes are not valid UTF-8 is read as Windows-1252
// (what spreadsheets on Windows write). Nothing when the file cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

// The first line of the text, without white space at either end, whatever its length.
std::string FirstLine(std::string_view text);

// The records of a text, front to back: its lines without their line ends, except that a line
// ending inside an enclosed field goes on with the next line, joined with CR LF as multi-line
// fields are stored.
class RecordReader {
public:
    RecordReader(std::string_view text, const LineTokenizer& tokenizer)
        : rest_(text), tokenizer_(tokenizer) {}

    // False when the text has no more lines. The last line counts also without an LF after it.
    bool Next(std::string& record);
    // The same without a copy: the record is a view into the text, or into storage when it is
    // made of several lines.
    bool Next(std::string_view& record, std::string& storage);

private:
    bool NextLine(std::string_view& line);
    bool EndsInsideEncloser(std::string_view record);

    std::string_view rest_;
    const LineTokenizer& tokenizer_;
    std::string field_;
};

// The persons the text holds, with its columns going where the settings' selected fields say.
// "EMPTY FIELD" and "EOF" read as empty, first and last names lose the white space at their
// ends, and a record without a first name, last name or company is left out. Line breaks inside
// a field are stored as CR LF.
std::vector<PersonRecord> ReadPersons(std::string_view text, const TransferSettings& settings);

struct ImportResult {
    enum class Outcome {
        Imported,         // persons: how many went into the file (none when there were none)
        NotRead,          // the file could not be read
        DatabaseFailure,  // message: the failure's; nothing was stored
    };
    Outcome outcome = Outcome::Imported;
    int persons = 0;
    std::string message;
};

// Begins the one transaction an import runs in, with room for its pages until the COMMIT.
void BeginImport(cppsqlite3::Statement& statement);

// Reads the settings' file and inserts its persons into the database file in one transaction,
// all with the same time stamp. The last-saved stamp of the file is not changed.
ImportResult ImportPersons(const std::string& databasePath, const TransferSettings& settings);

// Of comma, semicolon, tab and pipe, the separator that splits the line into the most fields
// (the first of those in that order when some split it equally well).
char LikeliestSeparator(std::string_view line, char encloser);

}  // namespace transfer
