#include "RecordEditing.h"

#include "Database.h"
#include "DatabaseFile.h"

namespace editing {

namespace {

using Field = PersonRecord::Field;

// "Title = '...', FName = '...', ..." over the given fields, each value quoted.
template <size_t N>
std::string Assignments(const PersonRecord& record, const Field (&fields)[N]) {
    std::string text;
    for (Field field : fields) {
        if (!text.empty()) {
            text += ", ";
        }
        text += std::string(PersonRecord::ColumnName(field)) + " = '" +
                QuoteSqlText(record[field]) + "'";
    }
    return text;
}

constexpr Field kPersonFields[] = {
    PersonRecord::Title,    PersonRecord::FName,   PersonRecord::LName,   PersonRecord::Company,
    PersonRecord::Position, PersonRecord::Addr,    PersonRecord::City,    PersonRecord::State,
    PersonRecord::Zip,      PersonRecord::HmPhone, PersonRecord::WkPhone, PersonRecord::WkExt,
    PersonRecord::CelPhone, PersonRecord::Pager,   PersonRecord::WkFax,   PersonRecord::Email,
    PersonRecord::WebPage};

// The user table has no Pager.
constexpr Field kUserFields[] = {
    PersonRecord::Title,    PersonRecord::FName,   PersonRecord::LName,   PersonRecord::Company,
    PersonRecord::Position, PersonRecord::Addr,    PersonRecord::City,    PersonRecord::State,
    PersonRecord::Zip,      PersonRecord::HmPhone, PersonRecord::WkPhone, PersonRecord::WkExt,
    PersonRecord::CelPhone, PersonRecord::WkFax,   PersonRecord::Email,   PersonRecord::WebPage};

}  // namespace

namespace {

// "INSERT INTO Person VALUES('id', 'Title', ..., 'WebPage', " and the stamp's text.
std::string InsertPersonStart(const RecordId& id, const PersonRecord& person) {
    std::string sql;
    sql.reserve(64 + 24 * PersonRecord::FieldCount);
    sql += "INSERT INTO Person VALUES('";
    AppendQuotedSqlText(sql, id);
    sql += "', ";
    for (const std::string& value : person.fields) {
        sql += '\'';
        AppendQuotedSqlText(sql, value);
        sql += "', ";
    }
    return sql;
}

}  // namespace

std::string InsertPersonSql(const RecordId& id, const PersonRecord& person) {
    return InsertPersonStart(id, person) + "datetime('now', 'localtime'))";
}

std::string InsertPersonSql(const RecordId& id, const PersonRecord& person,
                            const std::string& stamp) {
    return InsertPersonStart(id, person) + "'" + QuoteSqlText(stamp) + "')";
}

std::string UpdatePersonSql(const PersonRecord& person) {
    return "UPDATE Person SET " + Assignments(person, kPersonFields) +
           " , TmStamp = datetime('now', 'localtime') WHERE ID = '" + QuoteSqlText(person.id) + "'";
}

std::string UpdateUserSql(const PersonRecord& user) {
    return "UPDATE User SET " + Assignments(user, kUserFields) +
           ", TmStamp = datetime('now', 'localtime') WHERE ID = '" + QuoteSqlText(user.id) + "'";
}

std::string InsertContactSql(const RecordId& id, const RecordId& personId, DateTime when,
                             const std::string& description, const RecordId& typeId) {
    return "INSERT INTO Contact VALUES('" + QuoteSqlText(id) + "', '" + QuoteSqlText(personId) +
           "', '" + FormatStoredTimeStamp(when) + "', '" + QuoteSqlText(description) + "', '" +
           QuoteSqlText(typeId) + "', datetime('now', 'localtime'))";
}

std::string UpdateContactSql(const RecordId& id, DateTime when, const std::string& description,
                             const RecordId& typeId) {
    return UpdateContactSql(id, FormatStoredTimeStamp(when), description, typeId);
}

std::string UpdateContactSql(const RecordId& id, const std::string& dtTm,
                             const std::string& description, const RecordId& typeId) {
    return "UPDATE Contact SET DtTm = '" + QuoteSqlText(dtTm) + "', Description = '" +
           QuoteSqlText(description) + "', ContactTypeID = '" + QuoteSqlText(typeId) +
           "' WHERE ID = '" + QuoteSqlText(id) + "';";
}

void RunChange(const std::string& path, const std::vector<std::string>& statements) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& statement = database.CreateStatement();
    statement.Execute("BEGIN TRANSACTION");
    for (const std::string& sql : statements) {
        statement.Execute(sql);
    }
    statement.Execute(schema::kStamp);
    statement.Execute("COMMIT");
}

RecordId AddPerson(const std::string& path, const PersonRecord& person) {
    const RecordId id = NewRecordId();
    RunChange(path, {InsertPersonSql(id, person)});
    return id;
}

void UpdatePerson(const std::string& path, const PersonRecord& person) {
    RunChange(path, {UpdatePersonSql(person)});
}

void DeletePerson(const std::string& path, const RecordId& id) {
    RunChange(path, {"DELETE FROM Contact WHERE PersonID = '" + QuoteSqlText(id) + "'",
                     "DELETE FROM Person WHERE ID = '" + QuoteSqlText(id) + "'"});
}

void LoadUserRecord(const std::string& path, PersonRecord& user) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& statement = database.CreateStatement();
    cppsqlite3::Query& count = statement.ExecuteQuery("SELECT count(*) FROM User");
    const bool none = count.Next() && count.GetInt(1) == 0;
    statement.CloseQuery();
    if (none) {
        statement.Execute("INSERT INTO User(ID, TmStamp) VALUES('" + QuoteSqlText(NewRecordId()) +
                          "', datetime('now', 'localtime'))");
    }
    cppsqlite3::Query& row = statement.ExecuteQuery("SELECT * FROM User");
    if (row.Next()) {
        user = PersonRecord();
        user.id = row.GetString(1);
        int column = 2;
        for (Field field : kUserFields) {
            user[field] = row.GetString(column++);
        }
    }
}

void UpdateUser(const std::string& path, const PersonRecord& user) {
    RunChange(path, {UpdateUserSql(user)});
}

bool LoadStoredContact(const std::string& path, const RecordId& id, StoredContact& contact) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Query& query = database.CreateStatement().ExecuteQuery(
        "SELECT * FROM Contact WHERE ID = '" + QuoteSqlText(id) + "'");
    if (!query.Next()) {
        return false;
    }
    // ID, PersonID, DtTm, Description, ContactTypeID, TmStamp
    contact.dtTm = query.GetString(3);
    contact.when = ParseDateTime(contact.dtTm);
    contact.description = query.GetString(4);
    contact.typeId = query.GetString(5);
    return true;
}

void LoadTypeChoices(const std::string& path, std::vector<TypeChoice>& choices) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Query& query =
        database.CreateStatement().ExecuteQuery("SELECT ID, Description FROM ContactType");
    while (query.Next()) {
        choices.push_back({query.GetString(1), query.GetString(2)});
    }
}

RecordId AddContact(const std::string& path, const RecordId& personId, DateTime when,
                    const std::string& description, const RecordId& typeId) {
    const RecordId id = NewRecordId();
    RunChange(path, {InsertContactSql(id, personId, when, description, typeId)});
    return id;
}

void UpdateContact(const std::string& path, const RecordId& id, const std::string& dtTm,
                   const std::string& description, const RecordId& typeId) {
    RunChange(path, {UpdateContactSql(id, dtTm, description, typeId)});
}

void UpdateContact(const std::string& path, const RecordId& id, DateTime when,
                   const std::string& description, const RecordId& typeId) {
    UpdateContact(path, id, FormatStoredTimeStamp(when), description, typeId);
}

void DeleteContact(const std::string& path, const RecordId& id) {
    RunChange(path, {"DELETE FROM Contact WHERE ID = '" + QuoteSqlText(id) + "'"});
}

}  // namespace editing
