#include "RecordEditing.h"
#include "Transaction.h"

#include <QCoreApplication>

#include "AddressBook.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "SQLException.h"

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

PersonWriter::PersonWriter(cppsqlite3::Statement& on) {
    std::string insert = "INSERT INTO Person VALUES(?";
    std::string update = "UPDATE Person SET ";
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        insert += ", ?";
        update += std::string(PersonRecord::ColumnName(kPersonFields[f])) + " = ?" +
                  std::to_string(f + 1) + ", ";
    }
    read_ = std::make_unique<cppsqlite3::Prepared>(on, "SELECT * FROM Person WHERE ID = ?");
    insert_ =
        std::make_unique<cppsqlite3::Prepared>(on, insert + ", datetime('now', 'localtime'))");
    update_ = std::make_unique<cppsqlite3::Prepared>(
        on, update + "TmStamp = datetime('now', 'localtime') WHERE ID = ?" +
                std::to_string(PersonRecord::FieldCount + 1));
}

PersonWriter::~PersonWriter() = default;

bool PersonWriter::Read(const RecordId& id, PersonRecord& person) {
    cppsqlite3::Query& q = read_->BindText(1, id).ExecuteQuery();
    const bool found = q.Next();
    if (found) {
        person = ReadPersonRow(q);
    }
    read_->CloseQuery();
    return found;
}

void PersonWriter::Insert(const RecordId& id, const PersonRecord& person) {
    insert_->BindText(1, id);
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        insert_->BindText(f + 2, person.fields[f]);
    }
    insert_->Execute();
}

void PersonWriter::Update(const PersonRecord& person) {
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        update_->BindText(f + 1, person[kPersonFields[f]]);
    }
    update_->BindText(PersonRecord::FieldCount + 1, person.id).Execute();
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
    cppsqlite3::Transaction transaction(statement);
    for (const std::string& sql : statements) {
        statement.Execute(sql);
    }
    transaction.Commit();
}

RecordId AddPerson(const std::string& path, const PersonRecord& person) {
    const RecordId id = NewRecordId();
    RunChange(path, {InsertPersonSql(id, person)});
    return id;
}

void UpdatePerson(const std::string& path, const PersonRecord& person) {
    RunChange(path, {UpdatePersonSql(person)});
}

namespace {

// Every row the query gives, each column as stored.
// Each row as SQL literals, so that it can be written back exactly as it was stored.
std::vector<std::vector<std::string>> Rows(cppsqlite3::Statement& statement, const std::string& sql,
                                           std::string* name = nullptr, RecordId* id = nullptr) {
    std::vector<std::vector<std::string>> rows;
    cppsqlite3::Query& query = statement.ExecuteQuery(sql);
    while (query.Next()) {
        std::vector<std::string> row;
        for (int column = 1; column <= query.ColumnCount(); ++column) {
            row.push_back(query.GetSqlLiteral(column));
        }
        // ID, Title, FName, LName, Company, ...
        if (name && rows.empty() && query.ColumnCount() >= 5) {
            *name = PersonDisplayName(query.GetString(3), query.GetString(4), query.GetString(5));
        }
        if (id && rows.empty()) {
            *id = query.GetString(1);
        }
        rows.push_back(std::move(row));
    }
    statement.CloseQuery();
    return rows;
}

// Reads what the deletes will take away, then deletes, in one transaction with the stamp. The
// person's row is kept when the person itself goes, else only its name.
DeletedRecords ReadAndDelete(const std::string& path, const std::string& personSql,
                             const std::string& contactsSql, bool personGoes,
                             const std::vector<std::string>& deletes) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& statement = database.CreateStatement();
    cppsqlite3::Transaction transaction(statement);
    DeletedRecords deleted;
    deleted.contacts = Rows(statement, contactsSql);
    const std::vector<std::vector<std::string>> persons =
        Rows(statement, personSql, &deleted.name, &deleted.personId);
    for (const std::string& sql : deletes) {
        statement.Execute(sql);
    }
    transaction.Commit();
    if (!persons.empty() && personGoes) {
        deleted.person = persons.front();
    }
    return deleted;
}

}  // namespace

std::string RowValues(const StoredRow& row) {
    std::string values;
    for (const std::string& value : row) {
        if (!values.empty()) {
            values += ", ";
        }
        values += value;
    }
    return values;
}

std::vector<StoredRow> ReadRows(cppsqlite3::Statement& statement, const std::string& sql) {
    return Rows(statement, sql);
}

DeletedRecords DeletePerson(const std::string& path, const RecordId& id) {
    const std::string quoted = QuoteSqlText(id);
    return ReadAndDelete(path, "SELECT * FROM Person WHERE ID = '" + quoted + "'",
                         "SELECT * FROM Contact WHERE PersonID = '" + quoted + "'", true,
                         {"DELETE FROM Contact WHERE PersonID = '" + quoted + "'",
                          "DELETE FROM Person WHERE ID = '" + quoted + "'"});
}

void RestoreDeleted(const std::string& path, const DeletedRecords& deleted) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& statement = database.CreateStatement();
    cppsqlite3::Transaction transaction(statement);
    auto count = [&statement](const std::string& sql) {
        cppsqlite3::Query& query = statement.ExecuteQuery(sql);
        const int n = query.Next() ? query.GetInt(1) : 0;
        statement.CloseQuery();
        return n;
    };
    // The rows go back under their own identifiers: none may be taken meanwhile, and a contact
    // alone needs its person. The connection's end takes the transaction back on a throw.
    std::string contactIds;
    for (const std::vector<std::string>& contact : deleted.contacts) {
        contactIds += (contactIds.empty() ? "" : ", ") + contact.front();
    }
    const bool personThere = count("SELECT count(*) FROM Person WHERE ID = '" +
                                   QuoteSqlText(deleted.personId) + "'") > 0;
    if (personThere == !deleted.person.empty() ||
        (!contactIds.empty() &&
         count("SELECT count(*) FROM Contact WHERE ID IN (" + contactIds + ")") > 0)) {
        throw cppsqlite3::SQLException(
            QCoreApplication::translate(
                "editing",
                "The deleted records cannot be put back: the address book has changed since.")
                .toLocal8Bit()
                .toStdString());
    }
    if (!deleted.person.empty()) {
        statement.Execute("INSERT INTO Person VALUES(" + RowValues(deleted.person) + ")");
    }
    for (const std::vector<std::string>& contact : deleted.contacts) {
        statement.Execute("INSERT INTO Contact VALUES(" + RowValues(contact) + ")");
    }
    transaction.Commit();
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

DeletedRecords DeleteContact(const std::string& path, const RecordId& id) {
    const std::string quoted = QuoteSqlText(id);
    DeletedRecords deleted =
        ReadAndDelete(path,
                      "SELECT * FROM Person WHERE ID = (SELECT PersonID FROM Contact WHERE ID = '" +
                          quoted + "')",
                      "SELECT * FROM Contact WHERE ID = '" + quoted + "'", false,
                      {"DELETE FROM Contact WHERE ID = '" + quoted + "'"});
    if (!deleted.contacts.empty()) {
        deleted.contactId = id;
    }
    return deleted;
}

namespace {

const char* TableName(RowTable table) {
    switch (table) {
        case RowTable::Person:
            return "Person";
        case RowTable::Contact:
            return "Contact";
        case RowTable::ContactType:
            return "ContactType";
        case RowTable::User:
            break;
    }
    return "User";
}

}  // namespace

StoredRow ReadStoredRow(const std::string& path, RowTable table, const RecordId& id) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& statement = database.CreateStatement();
    const std::vector<std::vector<std::string>> rows =
        Rows(statement, std::string("SELECT * FROM ") + TableName(table) + " WHERE ID = '" +
                            QuoteSqlText(id) + "'");
    return rows.empty() ? StoredRow() : rows.front();
}

StoredState CompareStored(const std::string& path, RowTable table, const RecordId& id,
                          const StoredRow& loaded) {
    const StoredRow now = ReadStoredRow(path, table, id);
    if (now.empty()) {
        return loaded.empty() ? StoredState::AsLoaded : StoredState::Deleted;
    }
    return now == loaded ? StoredState::AsLoaded : StoredState::Changed;
}

}  // namespace editing
