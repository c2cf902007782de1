#include "TestBook.h"

#include <gtest/gtest.h>

#include "Database.h"
#include "DatabaseFile.h"

TestBook::TestBook() {
    EXPECT_TRUE(dir_.isValid());
}

std::string TestBook::Path(const char* name) const {
    return dir_.filePath(name).toStdString();
}

std::string TestBook::Create(const char* name) {
    const std::string path = Path(name);
    CreateDatabaseFile(path);
    return path;
}

RecordId TestBook::AddPerson(const std::string& path, const std::string& first,
                             const std::string& last, const std::string& company) {
    PersonRecord p;
    p[PersonRecord::FName] = first;
    p[PersonRecord::LName] = last;
    p[PersonRecord::Company] = company;
    return AddPerson(path, p);
}

RecordId TestBook::AddPerson(const std::string& path, const PersonRecord& person) {
    const RecordId id = person.id.empty() ? NewRecordId() : person.id;
    std::string sql = "INSERT INTO Person VALUES('" + QuoteSqlText(id) + "'";
    for (const std::string& field : person.fields) {
        sql += ", '" + QuoteSqlText(field) + "'";
    }
    Execute(path, sql + ", datetime('now', 'localtime'))");
    return id;
}

RecordId TestBook::AddContact(const std::string& path, const RecordId& person,
                              const std::string& dtTm, const std::string& description,
                              const std::string& typeId) {
    const RecordId id = NewRecordId();
    Execute(path, "INSERT INTO Contact VALUES('" + id + "', '" + QuoteSqlText(person) + "', '" +
                      QuoteSqlText(dtTm) + "', '" + QuoteSqlText(description) + "', '" +
                      QuoteSqlText(typeId) + "', datetime('now', 'localtime'))");
    return id;
}

void TestBook::Execute(const std::string& path, const std::string& sql) {
    cppsqlite3::Database db;
    db.Open(path);
    db.CreateStatement().Execute(sql);
}

std::string TestBook::QueryText(const std::string& path, const std::string& sql) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& q = db.CreateStatement().ExecuteQuery(sql);
    return q.Next() ? q.GetString(1) : std::string("<no row>");
}
