#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PersonRecord.h"

namespace transfer {

// The assignment of a column of phone numbers whose kind another column of the same row names
// (Google's "Phone 1 - Type" and "Phone 1 - Value"): each number goes into the phone field of
// its kind.
extern const char kPhoneByType[];

// Which of a person's addresses a column belongs to, when a file has several.
enum class AddressKind {
    None,      // the column is no part of one of several addresses
    Business,  // "Business Street", "Work City", "Straße (geschäftlich)"
    Home,      // "Home Street", "Ort (privat)"
    Other,     // "Other Street", "Weitere Straße"
    ByType,    // "Address 1 - Street": the row's "Address 1 - Type" says which
};

// What a column's name says it holds.
struct ColumnMeaning {
    enum class Role {
        None,        // nothing this program keeps
        Field,       // the value of field
        Typed,       // phone numbers of the kind the group's type column names
        TypeOf,      // the kind of the other columns of the group ("Phone 1 - Type")
        Block,       // a whole address in one text ("Address 1 - Formatted")
        MaybeBlock,  // "Home Address": the street, or the whole address where the same address
                     // also has a street column
    };
    Role role = Role::None;
    PersonRecord::Field field = PersonRecord::FieldCount;
    // The columns that belong together: one address ("home", "address 2") or one typed value
    // ("phone 1"); empty for a column on its own.
    std::string group;
    AddressKind address = AddressKind::None;
    // The place of an address line among the lines of its address: street lines first, then
    // the extended address and the post office box.
    int rank = 0;
};

// The meaning of the name in a file's first line: the names of this program's own export and
// those of the common address-book exports (Outlook, Google, Thunderbird, Yahoo, Windows Live
// Mail, Apple, in English and German). Names compare without regard to case, blanks, hyphens and
// underscores.
ColumnMeaning MeaningOfColumn(std::string_view name);

// The meanings of a file's columns together: "Home Address" is the home street unless the home
// address has a street column as well, when it is the whole address.
std::vector<ColumnMeaning> MeaningsOfColumns(const std::vector<std::string>& labels);

// The person field a column is meant for on its own, FieldCount when the name means none (or a
// column that works only with others, as "Phone 1 - Value" does).
PersonRecord::Field FieldForColumnName(std::string_view name);

// For each column label, the import field name (as the import's list names it) assigned to it,
// kPhoneByType, or empty:
// - a field goes to the first column meant for it, but for Address, Email and WebPage, which take
//   every column meant for them (the lines of an address joined, of e-mail addresses and web
//   pages the first with a value kept), and for the parts of several addresses (one of which is
//   kept for each person);
// - a whole address in one column only where the file has no columns of its parts.
std::vector<std::string> AssignColumns(const std::vector<std::string>& labels);

}  // namespace transfer
