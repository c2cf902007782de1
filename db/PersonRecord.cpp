#include "PersonRecord.h"

#include "Database.h"

std::string PersonDisplayName(std::string_view firstName, std::string_view lastName,
                              std::string_view company) {
    if (!lastName.empty() && !firstName.empty()) {
        std::string name;
        name.reserve(lastName.size() + 2 + firstName.size());
        return name.append(lastName).append(", ").append(firstName);
    }
    if (!lastName.empty()) {
        return std::string(lastName);
    }
    if (!firstName.empty()) {
        return std::string(firstName);
    }
    return std::string(company);
}

const char* PersonRecord::ColumnName(Field field) {
    static const char* const names[FieldCount] = {
        "Title",   "FName",   "LName", "Company",  "Position", "Addr",  "City",  "State",  "Zip",
        "HmPhone", "WkPhone", "WkExt", "CelPhone", "Pager",    "WkFax", "Email", "WebPage"};
    return field >= 0 && field < FieldCount ? names[field] : "";
}

PersonRecord ReadPersonRow(const cppsqlite3::Query& query) {
    PersonRecord person;
    person.id = query.GetString(1);
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        person.fields[f] = query.GetString(f + 2);
    }
    return person;
}
