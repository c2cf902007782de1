#include "PersonMerging.h"

#include <QCoreApplication>

#include "Database.h"
#include "SQLException.h"
#include "Transaction.h"

namespace editing {

namespace {

std::string Quoted(const RecordId& id) {
    return "'" + QuoteSqlText(id) + "'";
}

std::string IdList(const std::vector<RecordId>& ids) {
    std::string list;
    for (const RecordId& id : ids) {
        list += (list.empty() ? "" : ", ") + Quoted(id);
    }
    return list;
}

int Count(cppsqlite3::Statement& st, const std::string& sql) {
    cppsqlite3::Query& q = st.ExecuteQuery(sql);
    const int n = q.Next() ? q.GetInt(1) : 0;
    st.CloseQuery();
    return n;
}

[[noreturn]] void Refuse(const char* text) {
    throw cppsqlite3::SQLException(
        QCoreApplication::translate("editing", text).toLocal8Bit().toStdString());
}

}  // namespace

MergedRecords MergePersons(const std::string& path, const RecordId& kept,
                           const PersonRecord& fields, const std::vector<RecordId>& others) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& st = database.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    MergedRecords merged;
    merged.kept = kept;
    const std::vector<StoredRow> keptRows =
        ReadRows(st, "SELECT * FROM Person WHERE ID = " + Quoted(kept));
    merged.others = ReadRows(st, "SELECT * FROM Person WHERE ID IN (" + IdList(others) + ")");
    if (keptRows.size() != 1 || merged.others.size() != others.size()) {
        Refuse("The persons to merge are no longer all in the address book.");
    }
    merged.keptBefore = keptRows.front();
    cppsqlite3::Query& contacts = st.ExecuteQuery(
        "SELECT ID, PersonID FROM Contact WHERE PersonID IN (" + IdList(others) + ")");
    while (contacts.Next()) {
        merged.moved.emplace_back(contacts.GetString(1), contacts.GetString(2));
    }
    st.CloseQuery();

    PersonRecord person = fields;
    person.id = kept;
    st.Execute(UpdatePersonSql(person));
    st.Execute("UPDATE Contact SET PersonID = " + Quoted(kept) + " WHERE PersonID IN (" +
               IdList(others) + ")");
    st.Execute("DELETE FROM Person WHERE ID IN (" + IdList(others) + ")");
    transaction.Commit();
    merged.name = person.DisplayName();
    return merged;
}

void UndoMerge(const std::string& path, const MergedRecords& merged) {
    cppsqlite3::Database database;
    database.Open(path);
    cppsqlite3::Statement& st = database.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    std::vector<RecordId> contactIds;
    for (const auto& [contact, person] : merged.moved) {
        contactIds.push_back(contact);
    }
    std::string otherList;
    for (const StoredRow& row : merged.others) {
        otherList += (otherList.empty() ? "" : ", ") + row.front();
    }
    if (Count(st, "SELECT count(*) FROM Person WHERE ID = " + Quoted(merged.kept)) != 1 ||
        (!otherList.empty() &&
         Count(st, "SELECT count(*) FROM Person WHERE ID IN (" + otherList + ")") > 0) ||
        (!contactIds.empty() &&
         Count(st, "SELECT count(*) FROM Contact WHERE ID IN (" + IdList(contactIds) + ")") !=
             static_cast<int>(contactIds.size()))) {
        Refuse("The merge cannot be undone: the address book has changed since.");
    }
    // The kept person's row as it was, column by column, where it stands in the file.
    std::string assignments;
    {
        cppsqlite3::Query& columns =
            st.ExecuteQuery("SELECT * FROM Person WHERE ID = " + Quoted(merged.kept));
        for (int c = 1;
             c <= columns.ColumnCount() && static_cast<size_t>(c) <= merged.keptBefore.size();
             ++c) {
            assignments += (assignments.empty() ? "" : ", ") + columns.ColumnName(c) + " = " +
                           merged.keptBefore[static_cast<size_t>(c - 1)];
        }
        st.CloseQuery();
    }
    st.Execute("UPDATE Person SET " + assignments + " WHERE ID = " + Quoted(merged.kept));
    for (const StoredRow& row : merged.others) {
        st.Execute("INSERT INTO Person VALUES(" + RowValues(row) + ")");
    }
    for (const auto& [contact, person] : merged.moved) {
        st.Execute("UPDATE Contact SET PersonID = " + Quoted(person) +
                   " WHERE ID = " + Quoted(contact));
    }
    transaction.Commit();
}

}  // namespace editing
