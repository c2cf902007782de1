#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ColumnPlan.h"
#include "LineTokenizer.h"
#include "PersonRecord.h"
#include "TextLines.h"
#include "TransferSettings.h"

namespace transfer {

// Whether the line holds nothing but white space: such lines before the names and between the
// records are no records.
bool IsBlankLine(std::string_view line);

// The records of a text, front to back: its lines without their line ends, except that a line
// ending inside an enclosed field goes on with the next line, joined with CR LF as multi-line
// fields are stored.
class RecordReader {
public:
    RecordReader(std::string_view text, const LineTokenizer& tokenizer)
        : lines_(text), tokenizer_(tokenizer) {}

    // False when the text has no more lines. The last line counts also without an LF after it.
    bool Next(std::string& record);
    // The same without a copy: the record is a view into the text, or into storage when it is
    // made of several lines.
    bool Next(std::string_view& record, std::string& storage);

private:
    bool NextLine(std::string_view& line);
    bool EndsInsideEncloser(std::string_view record);

    TextLines lines_;
    const LineTokenizer& tokenizer_;
    std::string field_;
};

// The persons of a delimited text, one after the other, with its columns going where the
// settings' selected fields say (ColumnPlan). Blank lines before the names are skipped. "EMPTY
// FIELD" and "EOF" read as empty, first and last names lose the white space at their ends, and a
// record without a first name, last name or company is left out. Line breaks inside a field are
// stored as CR LF.
class PersonReader {
public:
    // The text and settings must outlive the reader.
    PersonReader(std::string_view text, const TransferSettings& settings);

    // False when the text holds no more persons.
    bool Next(PersonRecord& person);
    // What found no place in the persons read so far; the columns left out once all are read.
    LeftOut Counted() const;

private:
    const TransferSettings& settings_;
    LineTokenizer tokenizer_;
    ColumnPlan plan_;
    RecordReader reader_;
    std::vector<int> unused_;
    std::vector<bool> unusedHeldData_;
    std::vector<std::string> values_;
    std::string storage_;
    LeftOut counted_;
    bool started_ = false;
    bool joined_;  // the text holds " ::: " somewhere
};

// All the persons the text holds, as PersonReader reads them; what found no place is counted in
// leftOut when it is given.
std::vector<PersonRecord> ReadPersons(std::string_view text, const TransferSettings& settings,
                                      LeftOut* leftOut = nullptr);

}  // namespace transfer
