#include "DatabaseFile.h"
#include "Transaction.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <strings.h>
#include <iterator>
#include <vector>

#include "Database.h"
#include "DateTime.h"
#include "RecordId.h"

const char kGlobalsToken[] = "Tidemark 2";

namespace schema {

// The tab runs are part of the stored schema text and so of the file format.
#define TM_T5 "\t\t\t\t\t"
#define TM_T6 "\t\t\t\t\t\t"
#define TM_PERSON_FIELDS(pager)                                                                  \
    "Title TEXT DEFAULT '', " TM_T5 "FName TEXT DEFAULT '', " TM_T5                              \
    "LName TEXT DEFAULT '', " TM_T5 "Company TEXT DEFAULT '', " TM_T5                            \
    "Position TEXT DEFAULT '', " TM_T5 "Addr TEXT DEFAULT '', " TM_T5                            \
    "City TEXT DEFAULT '', " TM_T5 "State TEXT DEFAULT '', " TM_T5 "Zip TEXT DEFAULT '', " TM_T5 \
    "HmPhone TEXT DEFAULT '', " TM_T5 "WkPhone TEXT DEFAULT '', " TM_T5                          \
    "WkExt TEXT DEFAULT '', " TM_T5 "CelPhone TEXT DEFAULT '', " TM_T5 pager                     \
    "WkFax TEXT DEFAULT '', " TM_T5 "Email TEXT DEFAULT '', " TM_T5                              \
    "WebPage TEXT DEFAULT '', " TM_T5 "TmStamp TIMESTAMP NOT NULL)"

const char kCreateUser[] = "CREATE TABLE User( ID TEXT NOT NULL, " TM_T5 TM_PERSON_FIELDS("");
const char kCreatePerson[] = "CREATE TABLE Person(ID TEXT NOT NULL, " TM_T5 TM_PERSON_FIELDS(
    "Pager TEXT DEFAULT '', " TM_T5);
const char kCreatePersonNameIndex[] = "CREATE INDEX PrsnNmIdx ON Person(LName, FName)";
const char kCreatePersonCompanyIndex[] = "CREATE INDEX PrsnCoIdx ON Person(Company)";
const char kCreateContactType[] =
    "CREATE TABLE ContactType(ID TEXT NOT NULL, Description TEXT NOT NULL)";
const char kCreateContactTypeIndex[] = "CREATE INDEX TypeIdx ON ContactType(Description)";
const char kCreateContact[] =
    "CREATE TABLE Contact( ID TEXT NOT NULL, " TM_T5 "PersonID TEXT NOT NULL, " TM_T5
    "DtTm TEXT NOT NULL, " TM_T5 "Description TEXT NOT NULL, " TM_T5
    "ContactTypeID TEXT NOT NULL, " TM_T5 "TmStamp TIMESTAMP NOT NULL)";
const char kCreateContactDateIndex[] = "CREATE INDEX ContactDtIdx ON Contact(DtTm)";
const char kCreateGlobals[] =
    "CREATE TABLE Globals(Version INTEGER NOT NULL, " TM_T6 "U TEXT NOT NULL, " TM_T6
    "C TEXT NOT NULL, " TM_T6 "S TEXT NOT NULL)";
const DefaultContactType kDefaultContactTypes[4] = {
    {"9DC618A3-8452-4D33-A70BDB1C91FE", "Telephone"},
    {"03F6262A-4362-44A9-B770293650BB", "Email"},
    {"787CA2CE-1099-4127-8AED83ECA59B", "Correspondence"},
    {"B672E21B-848D-430C-98240E6DA171", "Personal"},
};
const char kStamp[] = "UPDATE Globals SET S = datetime('now', 'localtime')";
const char kCreatePersonIdIndex[] = "CREATE INDEX PrsnIDIdx ON Person(ID)";
// A person's contacts by date: their list, and their newest contact in one step.
const char kCreateContactPersonIndex[] = "CREATE INDEX ContactPrsnDtIdx ON Contact(PersonID, DtTm)";

#undef TM_PERSON_FIELDS
#undef TM_T6
#undef TM_T5

}  // namespace schema

namespace {

struct BookTable {
    const char* name;
    std::vector<std::string> columns;
};

// The five tables of the format, each with its columns in order.
const std::vector<BookTable>& BookTables() {
    static const std::vector<BookTable> tables = [] {
        static const char* const kPersonColumns[] = {
            "ID",    "Title", "FName", "LName",   "Company", "Position", "Addr",
            "City",  "State", "Zip",   "HmPhone", "WkPhone", "WkExt",    "CelPhone",
            "Pager", "WkFax", "Email", "WebPage", "TmStamp"};
        std::vector<std::string> person(std::begin(kPersonColumns), std::end(kPersonColumns));
        std::vector<std::string> user = person;
        user.erase(user.begin() + 14);  // the user has no Pager
        return std::vector<BookTable>{
            {"User", user},
            {"Person", person},
            {"ContactType", {"ID", "Description"}},
            {"Contact", {"ID", "PersonID", "DtTm", "Description", "ContactTypeID", "TmStamp"}},
            {"Globals", {"Version", "U", "C", "S"}},
        };
    }();
    return tables;
}

}  // namespace

std::string GlobalsInsert(const std::string& token, const std::string& created,
                          const std::string& saved) {
    return "INSERT INTO Globals VALUES(" + std::to_string(kDatabaseVersion) + ", '" +
           QuoteSqlText(token) + "', '" + QuoteSqlText(created) + "', '" + QuoteSqlText(saved) +
           "')";
}

void CreateDatabaseFile(const std::string& path) {
    const QString file = QFile::decodeName(path.c_str());
    // The save dialog has asked already; if the removal fails, the CREATEs below fail on the
    // old tables and the failure path applies.
    QFile::remove(file);
    try {
        cppsqlite3::Database db;
        db.Create(path);
        cppsqlite3::Statement& st = db.CreateStatement();
        cppsqlite3::Transaction creation(st);
        static const char* const statements[] = {
            schema::kCreateUser,
            schema::kCreatePerson,
            schema::kCreatePersonNameIndex,
            schema::kCreatePersonCompanyIndex,
            schema::kCreateContactType,
            schema::kCreateContactTypeIndex,
        };
        for (const char* sql : statements) {
            st.Execute(sql);
        }
        for (const schema::DefaultContactType& type : schema::kDefaultContactTypes) {
            st.Execute(std::string("INSERT INTO ContactType VALUES('") + type.id + "', '" +
                       type.description + "')");
        }
        st.Execute(schema::kCreateContact);
        st.Execute(schema::kCreateContactDateIndex);
        st.Execute(schema::kCreateGlobals);
        const std::string now = FormatStoredTimeStamp(FromLocalNow());
        st.Execute(GlobalsInsert(kGlobalsToken, now, now));
        st.Execute(schema::kCreatePersonIdIndex);
        st.Execute(schema::kCreateContactPersonIndex);
        // The new file's Globals row carries its times already.
        creation.CommitUnstamped();
    } catch (const cppsqlite3::SQLException&) {
        // The Database above is closed by now, so the file can go.
        QFile::remove(file);
        throw;
    }
}

bool HasTable(cppsqlite3::Statement& statement, const std::string& name) {
    cppsqlite3::Query& query = statement.ExecuteQuery(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '" +
        QuoteSqlText(name) + "'");
    const bool has = query.Next() && query.GetInt(1) == 1;
    statement.CloseQuery();
    return has;
}

bool HasAddressBookTables(cppsqlite3::Statement& statement) {
    for (const BookTable& table : BookTables()) {
        std::vector<std::string> found;
        cppsqlite3::Query& query =
            statement.ExecuteQuery(std::string("PRAGMA table_info(") + table.name + ")");
        while (query.Next()) {
            found.push_back(query.GetString(2));
        }
        statement.CloseQuery();
        if (found.size() != table.columns.size()) {
            return false;
        }
        for (size_t i = 0; i < found.size(); ++i) {
            // Column names are compared as the engine compares them, without regard to case.
            if (QString::fromStdString(found[i]).compare(
                    QString::fromLatin1(table.columns[i].c_str()), Qt::CaseInsensitive) != 0) {
                return false;
            }
        }
    }
    return true;
}

StoredCode FindStoredCode(const cppsqlite3::Database& db) {
    StoredCode found = StoredCode::None;
    for (int entry = 1; entry <= db.SchemaEntryCount(); ++entry) {
        const std::string type = db.SchemaType(entry);
        if (type == "trigger") {
            return StoredCode::Triggers;
        }
        if (type != "view") {
            continue;
        }
        // The program reads no view of another name, but would read one in place of a table;
        // the engine compares names without regard to (ASCII) case.
        const std::string name = db.SchemaName(entry);
        for (const BookTable& table : BookTables()) {
            if (strcasecmp(name.c_str(), table.name) == 0) {
                found = StoredCode::Views;
            }
        }
    }
    return found;
}

StoredCodeRefused::StoredCodeRefused(StoredCode found)
    : SQLException(QCoreApplication::translate(
                       "DatabaseFile",
                       "The file holds triggers or views: code of its own that would run when it "
                       "is changed. Tidemark does not open such files.")
                       .toLocal8Bit()
                       .toStdString()),
      found_(found) {}

bool HasLookupIndexes(cppsqlite3::Statement& statement) {
    cppsqlite3::Query& query = statement.ExecuteQuery(
        "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN ('PrsnIDIdx', "
        "'ContactPrsnDtIdx')");
    const bool both = query.Next() && query.GetInt(1) == 2;
    statement.CloseQuery();
    return both;
}

void CreateLookupIndexes(cppsqlite3::Statement& statement) {
    for (const char* sql : {schema::kCreatePersonIdIndex, schema::kCreateContactPersonIndex}) {
        std::string text = sql;
        text.insert(std::string("CREATE INDEX ").size(), "IF NOT EXISTS ");
        statement.Execute(text);
    }
    // The index by person alone, of files from before the dates: the one by person and date
    // finds whatever it found.
    statement.Execute("DROP INDEX IF EXISTS ContactPrsnIdx");
}

GlobalsAtOpen RewriteGlobalsAtOpen(cppsqlite3::Statement& statement) {
    GlobalsAtOpen globals;
    std::string created;
    {
        cppsqlite3::Query& q = statement.ExecuteQuery("SELECT * FROM Globals");
        while (q.Next()) {
            // The version is kept but not compared: a file of this schema opens whatever it says.
            globals.version = q.GetInt(1);
            created = q.GetString(3);
        }
        statement.CloseQuery();
    }
    const DateTime now = FromLocalNow();
    const DateTime createdTime = created == "NEW" ? now : ParseDateTime(created);
    globals.created = createdTime;
    globals.saved = now;
    statement.Execute("UPDATE Globals SET U = '" + QuoteSqlText(kGlobalsToken) + "', C = '" +
                      QuoteSqlText(FormatStoredTimeStamp(createdTime)) + "', S = '" +
                      QuoteSqlText(FormatStoredTimeStamp(now)) + "'");
    return globals;
}
