#include "PersonReader.h"

#include "StoredText.h"

namespace transfer {

namespace {

// One entry for each column, its assignment or empty.
std::vector<std::string> Assigned(const TransferSettings& settings) {
    std::vector<std::string> assigned(static_cast<size_t>(std::max(settings.columnCount, 0)));
    for (size_t i = 0; i < assigned.size() && i < settings.selectedFields.size(); ++i) {
        assigned[i] = settings.selectedFields[i];
    }
    return assigned;
}

}  // namespace

bool IsBlankLine(std::string_view line) {
    return Trimmed(line).empty();
}

bool RecordReader::NextLine(std::string_view& line) {
    return lines_.Next(line);
}

bool RecordReader::EndsInsideEncloser(std::string_view record) {
    const char encloser = tokenizer_.Encloser();
    if (encloser == '\0') {
        return false;
    }
    // Closed fields and doubled enclosers use enclosers in pairs: with an even number of them
    // and no backslash to escape one, no field can be open.
    size_t enclosers = 0;
    bool escapes = false;
    for (const char c : record) {
        enclosers += c == encloser;
        escapes = escapes || c == '\\';
    }
    if (enclosers == 0 || (enclosers % 2 == 0 && !escapes)) {
        return false;
    }
    LineTokenizer::Ending ending = LineTokenizer::Ending::Plain;
    LineTokenizer::Ending last = ending;
    while (tokenizer_.NextField(record, field_, ending)) {
        last = ending;
    }
    return last == LineTokenizer::Ending::Open;
}

bool RecordReader::Next(std::string_view& record, std::string& storage) {
    std::string_view line;
    if (!NextLine(line)) {
        return false;
    }
    record = line;
    if (lines_.AtEnd() || !EndsInsideEncloser(record)) {
        return true;
    }
    storage.assign(line);
    while (!lines_.AtEnd() && EndsInsideEncloser(storage)) {
        NextLine(line);
        storage += "\r\n";
        storage.append(line);
    }
    record = storage;
    return true;
}

bool RecordReader::Next(std::string& record) {
    std::string_view view;
    std::string storage;
    if (!Next(view, storage)) {
        return false;
    }
    record.assign(view);
    return true;
}

PersonReader::PersonReader(std::string_view text, const TransferSettings& settings)
    : settings_(settings),
      tokenizer_(settings.Separator(), settings.Encloser()),
      plan_(settings.columnLabels, Assigned(settings), settings.firstLineHasNames),
      reader_(text, tokenizer_),
      values_(static_cast<size_t>(plan_.ColumnCount())),
      joined_(text.find(":::") != std::string_view::npos) {
    for (int i = 0; i < plan_.ColumnCount(); ++i) {
        if (!plan_.Uses(i)) {
            unused_.push_back(i);
        }
    }
    unusedHeldData_.assign(values_.size(), false);
}

bool PersonReader::Next(PersonRecord& person) {
    std::string_view record;
    if (!started_) {
        started_ = true;
        // The names are on the first line that is not blank.
        if (settings_.firstLineHasNames) {
            do {
                if (!reader_.Next(record, storage_)) {
                    return false;
                }
            } while (IsBlankLine(record));
        }
    }
    while (reader_.Next(record, storage_)) {
        if (IsBlankLine(record)) {
            continue;
        }
        std::string_view rest = record;
        bool anyValue = false;
        for (std::string& value : values_) {
            if (!tokenizer_.NextField(rest, value)) {
                value.clear();
            }
            if (value == "EMPTY FIELD" || value == "EOF") {
                value.clear();
            }
            if (value.find_first_of("\r\n") != std::string::npos) {
                value = ToStoredLines(value);
            }
            anyValue = anyValue || !value.empty();
        }
        LeftOut ofRecord;
        plan_.Apply(values_, person, ofRecord, joined_);
        TrimInPlace(person[PersonRecord::FName]);
        TrimInPlace(person[PersonRecord::LName]);
        if (person[PersonRecord::FName].empty() && person[PersonRecord::LName].empty() &&
            person[PersonRecord::Company].empty()) {
            // A record of separators only is no more than a blank line.
            counted_.nameless += anyValue;
            continue;
        }
        counted_.phones += ofRecord.phones;
        counted_.emails += ofRecord.emails;
        counted_.webPages += ofRecord.webPages;
        counted_.addresses += ofRecord.addresses;
        counted_.values += ofRecord.values;
        for (const int column : unused_) {
            if (!unusedHeldData_[column] && !Trimmed(values_[column]).empty()) {
                unusedHeldData_[column] = true;
            }
        }
        return true;
    }
    return false;
}

LeftOut PersonReader::Counted() const {
    LeftOut counted = counted_;
    for (const int column : unused_) {
        if (unusedHeldData_[column]) {
            counted.columns.push_back(plan_.ShownName(column));
        }
    }
    return counted;
}

std::vector<PersonRecord> ReadPersons(std::string_view text, const TransferSettings& settings,
                                      LeftOut* leftOut) {
    PersonReader reader(text, settings);
    std::vector<PersonRecord> persons;
    PersonRecord person;
    while (reader.Next(person)) {
        persons.push_back(std::move(person));
        person = PersonRecord();
    }
    if (leftOut) {
        *leftOut = reader.Counted();
    }
    return persons;
}

}  // namespace transfer
