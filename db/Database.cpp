#include "Database.h"

#include "DatabaseFile.h"
#include "RecordId.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QString>

#include <strings.h>
#include <sys/stat.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cppsqlite3 {

namespace {

const char kInvalidColumnNumber[] =
    QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Invalid column number");
const char kInvalidColumnName[] =
    QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Invalid column name");

// A failure of the access layer itself, its text translated as the engine's are.
SQLException Failure(const char* text) {
    return SQLException(
        QCoreApplication::translate("cppsqlite3::SQLException", text).toLocal8Bit().toStdString());
}

bool IsStepError(int result) {
    return result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE;
}

// A file may come from anyone, so a connection takes its schema as data: no statement can bend
// the file's structure (writable_schema and the like), the schema calls only harmless functions,
// and the file's own triggers and views never run, not even those another program adds while
// the connection is open. A library that does not take a setting gets no connection.
void TrustNothingStored(sqlite3* handle) {
    static const int kSettings[][2] = {
        {SQLITE_DBCONFIG_DEFENSIVE, 1},
        {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
        {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
        {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
    };
    for (const auto& setting : kSettings) {
        int now = -1;
        const int result = sqlite3_db_config(handle, setting[0], setting[1], &now);
        if (result != SQLITE_OK || now != setting[1]) {
            throw SQLException(result != SQLITE_OK ? result : SQLITE_ERROR);
        }
    }
}

}  // namespace

// ---- Query

Query::Query(sqlite3_stmt* statement, bool owned) : statement_(statement), owned_(owned) {
    if (!statement_) {
        throw Failure(QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "NULL statement object"));
    }
    lastResult_ = sqlite3_step(statement_);
    if (IsStepError(lastResult_)) {
        const int result = lastResult_;
        Close();
        throw SQLException(result);
    }
    firstRowPending_ = true;
    count_ = sqlite3_column_count(statement_);
}

// Names and declared types only when asked for: most queries read columns by number, and a
// lookup run for each card of a sync would spend more on them than on the lookup.
const std::vector<Query::ColumnInfo>& Query::Columns() const {
    if (columns_.empty() && statement_) {
        columns_.reserve(count_);
        for (int i = 0; i < count_; ++i) {
            const char* name = sqlite3_column_name(statement_, i);
            const char* type = sqlite3_column_decltype(statement_, i);
            columns_.push_back({name ? name : "", type ? type : "VARIANT"});
        }
    }
    return columns_;
}

Query::~Query() {
    Close();
}

void Query::Close() {
    if (statement_) {
        if (owned_) {
            sqlite3_finalize(statement_);
        } else {
            sqlite3_reset(statement_);
        }
        statement_ = nullptr;
    }
    columns_.clear();
    count_ = 0;
}

bool Query::Next() {
    if (lastResult_ != SQLITE_ROW) {
        return false;
    }
    if (firstRowPending_) {
        firstRowPending_ = false;
        return true;
    }
    lastResult_ = sqlite3_step(statement_);
    if (lastResult_ == SQLITE_DONE) {
        return false;
    }
    if (IsStepError(lastResult_)) {
        throw SQLException(lastResult_);
    }
    return true;
}

void Query::CheckColumn(int column) const {
    if (column < 1 || column > ColumnCount()) {
        throw Failure(kInvalidColumnNumber);
    }
}

int Query::ColumnByName(const std::string& name) const {
    for (int i = 0; i < ColumnCount(); ++i) {
        if (Columns()[i].name == name) {
            return i + 1;
        }
    }
    throw Failure(kInvalidColumnName);
}

const char* Query::Text(int column) const {
    CheckColumn(column);
    // A NULL field, which the program never writes, reads as the empty text.
    const unsigned char* text = sqlite3_column_text(statement_, column - 1);
    return text ? reinterpret_cast<const char*>(text) : "";
}

std::string Query::GetString(int column) const {
    CheckColumn(column);
    const char* text = Text(column);
    // Length from the engine, so a text with an embedded NUL byte comes back whole.
    return std::string(text, sqlite3_column_bytes(statement_, column - 1));
}

std::string_view Query::GetText(int column) const {
    CheckColumn(column);
    const unsigned char* text = sqlite3_column_text(statement_, column - 1);
    if (!text) {
        return std::string_view();
    }
    return std::string_view(reinterpret_cast<const char*>(text),
                            sqlite3_column_bytes(statement_, column - 1));
}

std::string Query::GetSqlLiteral(int column) const {
    CheckColumn(column);
    switch (sqlite3_column_type(statement_, column - 1)) {
        case SQLITE_NULL:
            return "NULL";
        case SQLITE_INTEGER:
            return std::to_string(sqlite3_column_int64(statement_, column - 1));
        case SQLITE_FLOAT: {
            // Seventeen digits give the same double back; the point keeps it a real.
            const double value = sqlite3_column_double(statement_, column - 1);
            if (std::isinf(value)) {
                return value > 0 ? "9e999" : "-9e999";
            }
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.17g", value);
            std::string number = buffer;
            if (number.find_first_of(".eE") == std::string::npos &&
                number.find_first_of("0123456789") != std::string::npos) {
                number += ".0";
            }
            return number;
        }
        case SQLITE_BLOB: {
            static const char kHex[] = "0123456789ABCDEF";
            const auto* bytes =
                static_cast<const unsigned char*>(sqlite3_column_blob(statement_, column - 1));
            const int size = sqlite3_column_bytes(statement_, column - 1);
            std::string literal = "X'";
            for (int i = 0; i < size; ++i) {
                literal += kHex[bytes[i] >> 4];
                literal += kHex[bytes[i] & 15];
            }
            return literal + "'";
        }
        default: {
            std::string literal = "'";
            AppendQuotedSqlText(literal, GetText(column));
            return literal + "'";
        }
    }
}

std::string Query::GetString(const std::string& name) const {
    return GetString(ColumnByName(name));
}

int Query::GetInt(int column) const {
    return std::atoi(Text(column));
}

int Query::GetInt(const std::string& name) const {
    return GetInt(ColumnByName(name));
}

long Query::GetLong(int column) const {
    return std::strtol(Text(column), nullptr, 10);
}

long Query::GetLong(const std::string& name) const {
    return GetLong(ColumnByName(name));
}

float Query::GetFloat(int column) const {
    return std::strtof(Text(column), nullptr);
}

double Query::GetDouble(int column) const {
    return std::strtod(Text(column), nullptr);
}

bool Query::GetBool(int column) const {
    const char* text = Text(column);
    return strcasecmp(text, "true") == 0 || std::strcmp(text, "1") == 0;
}

std::string Query::ColumnName(int column) const {
    CheckColumn(column);
    return Columns()[column - 1].name;
}

std::string Query::ColumnType(int column) const {
    CheckColumn(column);
    return Columns()[column - 1].type;
}

// ---- Statement

Statement::~Statement() {
    CloseQuery();
}

int Statement::Execute(const std::string& sql) {
    // What the engine's exec does, but over the text's length rather than up to a NUL byte.
    const char* next = sql.data();
    const char* const end = sql.data() + sql.size();
    while (next < end) {
        sqlite3_stmt* prepared = nullptr;
        const char* tail = nullptr;
        int result =
            sqlite3_prepare_v2(handle_, next, static_cast<int>(end - next), &prepared, &tail);
        if (result != SQLITE_OK) {
            sqlite3_finalize(prepared);
            throw SQLException(result);
        }
        next = tail ? tail : end;
        if (!prepared) {
            continue;  // blanks or a comment
        }
        while ((result = sqlite3_step(prepared)) == SQLITE_ROW) {
        }
        sqlite3_finalize(prepared);
        if (result != SQLITE_DONE) {
            throw SQLException(result);
        }
    }
    return sqlite3_changes(handle_);
}

Query& Statement::ExecuteQuery(const std::string& sql) {
    sqlite3_stmt* prepared = nullptr;
    const int result =
        sqlite3_prepare_v2(handle_, sql.data(), static_cast<int>(sql.size()), &prepared, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_finalize(prepared);
        throw SQLException(result);
    }
    CloseQuery();
    query_ = std::make_unique<Query>(prepared);
    return *query_;
}

void Statement::CloseQuery() {
    query_.reset();
}

// ---- Prepared

Prepared::Prepared(Statement& on, const std::string& sql) : handle_(on.handle_) {
    const int result =
        sqlite3_prepare_v2(handle_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr);
    if (result != SQLITE_OK || !statement_) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        throw result != SQLITE_OK
            ? SQLException(result)
            : Failure(QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "NULL statement object"));
    }
}

Prepared::~Prepared() {
    query_.reset();
    sqlite3_finalize(statement_);
}

void Prepared::Check(int result) {
    if (result != SQLITE_OK) {
        throw SQLException(result);
    }
}

Prepared& Prepared::BindText(int mark, std::string_view text) {
    CloseQuery();
    // A text of no bytes is still a text, not NULL.
    Check(sqlite3_bind_text64(statement_, mark, text.empty() ? "" : text.data(), text.size(),
                              SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

Prepared& Prepared::BindBlob(int mark, std::string_view bytes) {
    CloseQuery();
    Check(sqlite3_bind_blob64(statement_, mark, bytes.empty() ? "" : bytes.data(), bytes.size(),
                              SQLITE_TRANSIENT));
    return *this;
}

Prepared& Prepared::BindNull(int mark) {
    CloseQuery();
    Check(sqlite3_bind_null(statement_, mark));
    return *this;
}

Prepared& Prepared::BindInt(int mark, long long value) {
    CloseQuery();
    Check(sqlite3_bind_int64(statement_, mark, value));
    return *this;
}

int Prepared::Execute() {
    CloseQuery();
    int result;
    while ((result = sqlite3_step(statement_)) == SQLITE_ROW) {
    }
    sqlite3_reset(statement_);
    if (result != SQLITE_DONE) {
        throw SQLException(result);
    }
    return sqlite3_changes(handle_);
}

Query& Prepared::ExecuteQuery() {
    CloseQuery();
    query_ = std::make_unique<Query>(statement_, false);
    return *query_;
}

void Prepared::CloseQuery() {
    query_.reset();
}

// ---- Database

Database::~Database() {
    Close();
}

void Database::Open(const std::string& path) {
    OpenWith(path, false);
}

void Database::Create(const std::string& path) {
    OpenWith(path, true);
}

void Database::OpenWith(const std::string& path, bool create) {
    // The engine keeps no memory statistics for this program, which never reads them: each of
    // its allocations would otherwise take a process-wide lock. Possible only before it starts.
    static const bool configured = [] {
        return sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    }();
    (void)configured;
    Close();
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    const bool missing = !exists && (errno == ENOENT || errno == ENOTDIR);
    if (missing && !create) {
        // The engine would make an empty file here; a file deleted or moved away while it is
        // the current one must not come back as an empty stray.
        throw SQLException(
            QCoreApplication::translate("cppsqlite3::SQLException", "The file %1 no longer exists.")
                .arg(QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())))
                .toLocal8Bit()
                .toStdString());
    }
    // A file its owner marked read-only stays unwritten even for a user whom the system would
    // let write it anyway (root).
    const bool readOnly = exists && (info.st_mode & S_IWUSR) == 0;
    // A connection serves one operation on one thread: the engine need not lock it on each call.
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (create) {
        flags |= SQLITE_OPEN_CREATE;
    }
    const int result = sqlite3_open_v2(path.c_str(), &handle_, flags, nullptr);
    if (result != SQLITE_OK) {
        Close();
        throw SQLException(result);
    }
    try {
        TrustNothingStored(handle_);
        // Every operation opens its own connection, so the page cache always starts cold;
        // mapping the file lets its reads come straight from the system's cache.
        sqlite3_exec(handle_, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
        ReadSchema();
        // Checked on every connection, so a book that gained a trigger after it was opened is
        // refused by the next operation, before that writes anything.
        const StoredCode found = FindStoredCode(*this);
        if (found != StoredCode::None) {
            throw StoredCodeRefused(found);
        }
    } catch (...) {
        Close();
        throw;
    }
}

void Database::ReadSchema() {
    std::vector<SchemaEntry> schema;
    sqlite3_stmt* prepared = nullptr;
    int result = sqlite3_prepare_v2(handle_, "select type,name,sql from sqlite_master", -1,
                                    &prepared, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_finalize(prepared);
        throw SQLException(result);
    }
    auto column = [prepared](int i) {
        const unsigned char* text = sqlite3_column_text(prepared, i);
        return std::string(text ? reinterpret_cast<const char*>(text) : "");
    };
    while ((result = sqlite3_step(prepared)) == SQLITE_ROW) {
        schema.push_back({column(0), column(1), column(2)});
    }
    sqlite3_finalize(prepared);
    if (result != SQLITE_DONE) {
        throw SQLException(result);
    }
    schema_ = std::move(schema);
}

void Database::Close() {
    statement_.reset();
    schema_.clear();
    if (handle_) {
        sqlite3_close(handle_);
        handle_ = nullptr;
    }
}

Statement& Database::CreateStatement() {
    statement_.reset();
    statement_ = std::make_unique<Statement>(handle_);
    return *statement_;
}

const Database::SchemaEntry& Database::Entry(int entry) const {
    if (entry < 1 || entry > SchemaEntryCount()) {
        throw Failure(kInvalidColumnNumber);
    }
    return schema_[entry - 1];
}

std::string Database::SchemaType(int entry) const {
    return Entry(entry).type;
}
std::string Database::SchemaName(int entry) const {
    return Entry(entry).name;
}
std::string Database::SchemaSql(int entry) const {
    return Entry(entry).sql;
}

}  // namespace cppsqlite3
