#include "PersonRecord.h"

#include "Database.h"

std::string PersonDisplayName(const std::string& firstName, const std::string& lastName,
                              const std::string& company) {
    if (!lastName.empty() && !firstName.empty()) {
        return lastName + ", " + firstName;
    }
    if (!lastName.empty()) {
        return lastName;
    }
    if (!firstName.empty()) {
        return firstName;
    }
    return company;
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
