#pragma once

#include <string>
#include <vector>

#include <QString>

#include "ColumnNames.h"
#include "PersonRecord.h"

namespace transfer {

// What an import could not place, for its closing message.
struct LeftOut {
    int phones = 0;     // numbers that found no free phone field
    int emails = 0;     // e-mail addresses beyond the one a person keeps
    int webPages = 0;   // web pages beyond the one a person keeps
    int addresses = 0;  // addresses beyond the one a person keeps
    int values = 0;     // further values of other fields (" ::: ", several columns)
    int nameless = 0;   // records without a first name, last name or company
    // The columns that held data in an imported record and were not imported, as shown.
    std::vector<std::string> columns;

    bool Any() const {
        return phones + emails + webPages + addresses + values + nameless > 0 || !columns.empty();
    }
};

// How the columns of a file go into a person's fields: from the field assigned to each column
// and, when the first line names the columns, from what those names say: the parts of several
// addresses (one of which each person keeps), the phone numbers whose kind a column beside them
// names, the several columns of one field.
class ColumnPlan {
public:
    // labels: the first line's fields; assigned: for each column an import field name,
    // kPhoneByType or empty.
    ColumnPlan(const std::vector<std::string>& labels, const std::vector<std::string>& assigned,
               bool namesInFirstLine);

    int ColumnCount() const { return static_cast<int>(columns_.size()); }

    // Puts one record's values (one per column, taken) into the person, and counts what found
    // no place. Several values in one field (" ::: ") keep the first; joined: the file may hold
    // such values.
    void Apply(std::vector<std::string>& values, PersonRecord& person, LeftOut& leftOut,
               bool joined = true) const;

    // Whether the column's values are imported, or used to place those of another column.
    bool Uses(int column) const;
    // For the Fields page: how the column's values are imported when there is more to it than
    // one column into one field; else empty.
    QString Describe(int column) const;
    // The column whose values name the kind of this column's, -1 for none.
    int TypeColumn(int column) const;
    // The name the closing message gives the column: its label, or its number.
    std::string ShownName(int column) const;

private:
    struct Column {
        std::string label;
        ColumnMeaning meaning;
        PersonRecord::Field field = PersonRecord::FieldCount;
        bool typed = false;
        int typeColumn = -1;
        int address = -1;  // the index into addresses_, for a part of one of several addresses
        bool usedAsType = false;
        bool coveredBlock = false;  // a whole address whose parts are imported
    };
    struct Slot {
        int column;
        int rank;
    };
    struct Address {
        std::string group;
        AddressKind kind;
        int typeColumn;
    };

    AddressKind KindInRecord(const Address& address, const std::vector<std::string>& values) const;
    int ChosenAddress(const std::vector<std::string>& values, bool hasCompany,
                      LeftOut& leftOut) const;
    void PlaceTypedPhones(std::vector<std::string>& values, PersonRecord& person,
                          LeftOut& leftOut) const;
    QString Columns(const std::vector<Slot>& places, int address, const QString& joint) const;

    std::vector<Column> columns_;
    std::vector<Slot> slots_[PersonRecord::FieldCount];
    std::vector<Address> addresses_;
    std::vector<int> typed_;
    // Each field from one column at most, no addresses to choose, no numbers to place by kind.
    bool oneColumnEach_ = false;
    int single_[PersonRecord::FieldCount] = {};
};

// The value's first part when it holds several joined by " ::: " (as Google writes several
// e-mail addresses or numbers into one cell); the number of further non-empty parts.
int KeepFirstValue(std::string& value);
// Each part of such a value, trimmed.
std::vector<std::string> ValueParts(const std::string& value);

// The phone field a kind of number names ("Mobile", "Work Fax", "homeFax", "* Home"), FieldCount
// for a kind of no field of its own ("Main", "Other", "Google Voice").
PersonRecord::Field PhoneFieldOfKind(std::string_view kind);

}  // namespace transfer
