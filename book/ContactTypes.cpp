#include "ContactTypes.h"
#include "Transaction.h"

#include "DatabaseFile.h"

namespace contact_types {

namespace {

// Identifiers come from files other programs may have written, so they are quoted like any text.
std::string Literal(const std::string& text) {
    return "'" + QuoteSqlText(text) + "'";
}

}  // namespace

void Load(const std::string& path, std::vector<ContactType>& rows) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Query& query = database.CreateStatement().ExecuteQuery(
        "SELECT ID, Description FROM ContactType ORDER BY Description");
    while (query.Next()) {
        rows.push_back({query.GetString(1), query.GetString(2)});
    }
}

int CountSameDescription(const std::string& path, const std::string& description, bool adding,
                         const RecordId& editedId) {
    std::string sql =
        "SELECT count(*) FROM ContactType WHERE Description = " + Literal(description);
    if (!adding) {
        sql += " AND ID  != " + Literal(editedId);
    }
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Query& query = database.CreateStatement().ExecuteQuery(sql);
    return query.Next() ? query.GetInt(1) : 0;
}

RecordId Add(const std::string& path, const std::string& description) {
    const RecordId id = NewRecordId();
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& statement = database.CreateStatement();
    cppsqlite3::Transaction transaction(statement);
    statement.Execute("INSERT INTO ContactType VALUES(" + Literal(id) + ", " +
                      Literal(description) + ")");
    transaction.Commit();
    return id;
}

int DeleteUnlessInUse(const std::string& path, const RecordId& id) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& statement = database.CreateStatement();
    cppsqlite3::Query& uses =
        statement.ExecuteQuery("SELECT count(*) FROM Contact WHERE ContactTypeID = " + Literal(id));
    const int count = uses.Next() ? uses.GetInt(1) : 0;
    statement.CloseQuery();
    if (count != 0) {
        return count;
    }
    // Each in its own automatic transaction: a deletion stays even if the stamp then fails.
    statement.Execute("DELETE FROM ContactType WHERE ID = " + Literal(id));
    cppsqlite3::StampLastChange(statement);
    return 0;
}

std::string Edit::Begin(const std::string& path, const RecordId& id) {
    path_ = path;
    id_ = id;
    database_.Open(path);
    cppsqlite3::Statement& statement = database_.CreateStatement();
    cppsqlite3::Transaction read(statement, "BEGIN");
    cppsqlite3::Query& query = statement.ExecuteQuery(
        "SELECT Description FROM ContactType WHERE ID = " + Literal(id) + " LIMIT 1");
    std::string description = query.Next() ? query.GetString(1) : std::string();
    statement.CloseQuery();
    // Ends the read so that the connection holds no lock while the user edits.
    read.CommitUnstamped("END");
    return description;
}

void Edit::Save(const std::string& description) {
    if (!database_.IsOpen()) {
        database_.Open(path_);
    }
    try {
        cppsqlite3::Statement& statement = database_.CreateStatement();
        cppsqlite3::Transaction transaction(statement, "BEGIN EXCLUSIVE");
        statement.Execute("UPDATE ContactType SET Description = " + Literal(description) +
                          " WHERE ID = " + Literal(id_));
        transaction.Commit("COMMIT", "UPDATE Globals SET S= datetime('now', 'localtime')");
    } catch (const cppsqlite3::SQLException&) {
        database_.Close();
        throw;
    }
}

}  // namespace contact_types
