#pragma once

#include <array>
#include <string>
#include <string_view>

#include "RecordId.h"

namespace cppsqlite3 {
class Query;
}

// The name a person is listed and printed under: "Last, First", else whichever of last name,
// first name and company is not empty.
std::string PersonDisplayName(std::string_view firstName, std::string_view lastName,
                              std::string_view company);

// A person (or the user record) in memory: its identifier and the text fields of table Person
// in column order. The user table has the same columns without Pager.
struct PersonRecord {
    enum Field {
        Title,
        FName,
        LName,
        Company,
        Position,
        Addr,
        City,
        State,
        Zip,
        HmPhone,
        WkPhone,
        WkExt,
        CelPhone,
        Pager,
        WkFax,
        Email,
        WebPage,
        FieldCount
    };

    RecordId id;
    std::array<std::string, FieldCount> fields;

    std::string& operator[](Field field) { return fields[field]; }
    const std::string& operator[](Field field) const { return fields[field]; }

    std::string DisplayName() const {
        return PersonDisplayName(fields[FName], fields[LName], fields[Company]);
    }

    // The database column that holds the field ("FName", "WkExt", ...).
    static const char* ColumnName(Field field);
};

// Reads the current row of "SELECT * FROM Person": the identifier and the 17 fields.
PersonRecord ReadPersonRow(const cppsqlite3::Query& query);
