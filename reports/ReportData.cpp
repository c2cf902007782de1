#include "ReportData.h"

#include "Database.h"

namespace reports {

void LoadNameList(const std::string& path, std::vector<NameEntry>& names) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& query =
        db.CreateStatement().ExecuteQuery("SELECT ID, FName, LName, Company FROM Person");
    while (query.Next()) {
        names.push_back(
            {PersonDisplayName(query.GetString(2), query.GetString(3), query.GetString(4)),
             query.GetString(1)});
    }
}

void LoadChosenPersons(const std::string& path, const std::vector<RecordId>& ids,
                       std::vector<PersonRecord>& persons) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& statement = db.CreateStatement();
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

}  // namespace reports
