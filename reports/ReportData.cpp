#include "ReportData.h"

#include "AddressBook.h"
#include "ContactTypes.h"
#include "Database.h"

#include <unordered_map>
#include <unordered_set>

namespace reports {

namespace {

// Up to this many chosen persons are read one by one.
constexpr size_t kOneByOne = 64;

}  // namespace

int MonthNumber(int year, int month) {
    return year * 12 + month - 1;
}

int YearOf(int monthNumber) {
    return monthNumber / 12;
}

int MonthOf(int monthNumber) {
    return monthNumber % 12 + 1;
}

int MonthOfDate(DateTime when) {
    DateTime::Fields f;
    return when.ToFields(f) ? MonthNumber(f.year, f.month) : -1;
}

void LoadNameList(const std::string& path, std::vector<NameEntry>& names) {
    PersonRowList rows;
    {
        cppsqlite3::Database db;
        db.Open(path);
        cppsqlite3::Query& query =
            db.CreateStatement().ExecuteQuery("SELECT ID, FName, LName, Company FROM Person");
        while (query.Next()) {
            rows.Append({query.GetText(1), query.GetText(2), query.GetText(3), query.GetText(4)});
        }
    }
    // The main list's order, so a name is found where the list has it.
    SortPersonRows(rows, PersonOrder::ByName);
    names.reserve(names.size() + rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        names.push_back({rows.Name(row), std::string(rows.Id(row))});
    }
}

void LoadChosenPersons(const std::string& path, const std::vector<RecordId>& ids,
                       std::vector<PersonRecord>& persons) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& statement = db.CreateStatement();
    if (ids.size() > kOneByOne) {
        // Many persons: one pass over the table instead of a search of it for each, then the
        // list's order.
        std::unordered_map<RecordId, std::vector<PersonRecord>> read;
        for (const RecordId& id : ids) {
            read.emplace(id, std::vector<PersonRecord>());
        }
        cppsqlite3::Query& query = statement.ExecuteQuery("SELECT * FROM Person");
        while (query.Next()) {
            const auto it = read.find(std::string(query.GetText(1)));
            if (it != read.end()) {
                it->second.push_back(ReadPersonRow(query));
            }
        }
        for (const RecordId& id : ids) {
            for (PersonRecord& person : read[id]) {
                persons.push_back(std::move(person));
            }
            read[id].clear();
        }
        return;
    }
    for (const RecordId& id : ids) {
        cppsqlite3::Query& query =
            statement.ExecuteQuery("SELECT * FROM Person WHERE ID = '" + QuoteSqlText(id) + "'");
        while (query.Next()) {
            persons.push_back(ReadPersonRow(query));
        }
        statement.CloseQuery();
    }
}

void LoadAllContacts(const std::string& path, std::vector<ContactRecord>& contacts) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& query =
        db.CreateStatement().ExecuteQuery("SELECT * FROM Contact ORDER BY DtTm DESC");
    // ID, PersonID, DtTm, Description, ContactTypeID, TmStamp
    while (query.Next()) {
        contacts.push_back({query.GetString(1), query.GetString(2),
                            ParseDateTime(query.GetString(3)), query.GetString(4),
                            query.GetString(5)});
    }
}

void LoadActivity(const std::string& path, ReportRequest& request, ActivityRead& reading) {
    std::vector<ContactRecord> contacts;
    std::vector<contact_types::ContactType> types;
    reading = ActivityRead::Contacts;
    LoadAllContacts(path, contacts);
    reading = ActivityRead::Types;
    contact_types::Load(path, types);
    std::unordered_set<RecordId> chosen;
    for (const PersonRecord& person : request.persons) {
        chosen.insert(person.id);
    }
    for (ContactRecord& contact : contacts) {
        if (chosen.count(contact.personId) > 0 && request.span.Holds(MonthOfDate(contact.when))) {
            request.contacts.push_back(std::move(contact));
        }
    }
    for (const contact_types::ContactType& type : types) {
        request.types.emplace(type.id, type.description);
    }
}

}  // namespace reports
