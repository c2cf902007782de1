#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "SQLException.h"

struct sqlite3;
struct sqlite3_stmt;

namespace cppsqlite3 {

// A forward-only cursor over one result. Columns are numbered from 1.
class Query {
public:
    // Steps once at once, so a statement that fails on its first step throws here. A query
    // over a prepared statement (owned false) resets it when closed instead of finalizing it.
    explicit Query(sqlite3_stmt* statement, bool owned = true);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // True while there is a row; the first call yields the row fetched at construction.
    bool Next();

    std::string GetString(int column) const;
    std::string GetString(const std::string& name) const;
    // The text of the column without a copy; valid until the next Next or Close.
    std::string_view GetText(int column) const;
    // The field as an SQL literal that stores it back unchanged: NULL, a number, a quoted text
    // (NUL bytes included) or a blob.
    std::string GetSqlLiteral(int column) const;
    int GetInt(int column) const;
    int GetInt(const std::string& name) const;
    long GetLong(int column) const;
    long GetLong(const std::string& name) const;
    float GetFloat(int column) const;
    double GetDouble(int column) const;
    bool GetBool(int column) const;

    int ColumnCount() const { return count_; }
    std::string ColumnName(int column) const;
    std::string ColumnType(int column) const;

    void Close();

private:
    struct ColumnInfo {
        std::string name;
        std::string type;
    };
    const std::vector<ColumnInfo>& Columns() const;
    void CheckColumn(int column) const;
    int ColumnByName(const std::string& name) const;
    const char* Text(int column) const;

    sqlite3_stmt* statement_ = nullptr;
    mutable std::vector<ColumnInfo> columns_;
    int count_ = 0;
    int lastResult_ = 0;
    bool firstRowPending_ = false;
    bool owned_ = true;
};

// Runs SQL text on the connection it was created from. Owns at most one query.
class Statement {
public:
    explicit Statement(sqlite3* handle) : handle_(handle) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Runs every statement of the text, its whole length (a NUL byte inside a literal does not
    // end it). Returns the number of rows changed by the last statement of the text.
    int Execute(const std::string& sql);
    // The returned query stays valid until the next ExecuteQuery, CloseQuery or close.
    Query& ExecuteQuery(const std::string& sql);
    void CloseQuery();

private:
    friend class Prepared;
    sqlite3* handle_;
    std::unique_ptr<Query> query_;
};

// One SQL statement compiled once and run for many rows, with values bound to its "?" marks
// (numbered from 1): no text to build and parse for each row, and no quoting. A value stays
// bound until it is bound again. Must not outlive the connection of the statement it was
// made from.
class Prepared {
public:
    Prepared(Statement& on, const std::string& sql);
    ~Prepared();
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;

    // Texts and blobs are copied, any byte included.
    Prepared& BindText(int mark, std::string_view text);
    Prepared& BindBlob(int mark, std::string_view bytes);
    Prepared& BindNull(int mark);
    Prepared& BindInt(int mark, long long value);

    // Runs it to its end; the number of rows it changed.
    int Execute();
    // Valid until the next Execute or ExecuteQuery, CloseQuery or destruction.
    Query& ExecuteQuery();
    void CloseQuery();

private:
    void Check(int result);

    sqlite3* handle_;
    sqlite3_stmt* statement_ = nullptr;
    std::unique_ptr<Query> query_;
};

// One connection to a database file. Owns at most one statement.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Reads the schema at once: the engine opens lazily, and this first read is what makes a
    // file that is not a database fail here rather than at the first real query. A missing file
    // fails with "The file %s no longer exists." and is not created. A file holding code of its
    // own (FindStoredCode in DatabaseFile.h) fails with StoredCodeRefused, unwritten.
    void Open(const std::string& path);
    // Opens the file, creating an empty database when there is none: for writing a new file.
    // An existing file is refused as Open refuses it.
    void Create(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

    // Replaces (and so destroys) the previous statement and its query.
    Statement& CreateStatement();

    int SchemaEntryCount() const { return static_cast<int>(schema_.size()); }
    std::string SchemaType(int entry) const;
    std::string SchemaName(int entry) const;
    std::string SchemaSql(int entry) const;

private:
    struct SchemaEntry {
        std::string type;
        std::string name;
        std::string sql;
    };
    const SchemaEntry& Entry(int entry) const;
    void OpenWith(const std::string& path, bool create);
    void ReadSchema();

    sqlite3* handle_ = nullptr;
    std::unique_ptr<Statement> statement_;
    std::vector<SchemaEntry> schema_;
};

}  // namespace cppsqlite3
