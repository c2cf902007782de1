#include "Converter.h"
#include "Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "Database.h"
#include "DatabaseFile.h"
#include "StoredText.h"

using cppsqlite3::Database;
using cppsqlite3::SQLException;
using cppsqlite3::Statement;
using cppsqlite3::Transaction;

namespace {

const char kNow[] = "datetime('now', 'localtime'))";

// A file, directory or link, even a dangling one, already holds the name.
bool NameTaken(const std::string& path) {
    const QFileInfo info(QFile::decodeName(path.c_str()));
    return info.exists() || info.isSymLink();
}

bool RenameFile(const std::string& from, const std::string& to) {
    // rename() would replace an existing target, so a taken name counts as a failure.
    return !NameTaken(to) && std::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path) {
    QFile::remove(QFile::decodeName(path.c_str()));
}

// The User table of a converted file keeps its time stamp optional.
std::string CreateUserStatement() {
    std::string sql = schema::kCreateUser;
    static const char kRequired[] = "TmStamp TIMESTAMP NOT NULL)";
    sql.replace(sql.size() - std::strlen(kRequired), std::strlen(kRequired),
                "TmStamp TIMESTAMP DEFAULT '')");
    return sql;
}

void AppendValue(std::string& sql, const std::string& value) {
    sql += '\'';
    sql += QuoteSqlText(value);
    sql += "', ";
}

// Already free of quotes.
void AppendId(std::string& sql, const RecordId& id) {
    sql += '\'';
    sql += id;
    sql += "', ";
}

// The texts of the conversion's messages.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Converter)
};

// Every way a conversion ends but NotRead comes with one message.
ConvertOutcome Ended(ConvertResult result, ConvertMessage message) {
    ConvertOutcome outcome;
    outcome.result = result;
    outcome.messages.push_back(std::move(message));
    return outcome;
}

}  // namespace

IdentifierMaps AssignIdentifiers(const V1Document& document) {
    IdentifierMaps ids;
    ids.contactTypes.reserve(document.contactTypes.records.size());
    for (const auto& [id, type] : document.contactTypes.records) {
        RecordId recordId;
        for (const schema::DefaultContactType& fixed : schema::kDefaultContactTypes) {
            if (type.Description == fixed.description) {
                recordId = fixed.id;
                break;
            }
        }
        ids.contactTypes.emplace(id, recordId.empty() ? NewRecordId() : recordId);
    }
    ids.persons.reserve(document.persons.records.size());
    for (const auto& entry : document.persons.records) {
        ids.persons.emplace(entry.first, NewRecordId());
    }
    ids.contacts.reserve(document.contacts.records.size());
    for (const auto& entry : document.contacts.records) {
        ids.contacts.emplace(entry.first, NewRecordId());
    }
    return ids;
}

int WriteRecords(const V1Document& document, const IdentifierMaps& ids,
                 const std::function<void(const std::string& sql)>& execute) {
    std::string sql;
    sql.reserve(1024);

    const V1User& u = document.user;
    sql = "INSERT INTO User VALUES(";
    AppendId(sql, NewRecordId());
    for (const std::string* field :
         {&u.Title, &u.FName, &u.LName, &u.Company, &u.Position, &u.Address, &u.City, &u.State,
          &u.Zip, &u.HmPhone, &u.WkPhone, &u.WkExt, &u.CelPhone, &u.Fax, &u.EMail, &u.WebPage}) {
        AppendValue(sql, *field);
    }
    sql += kNow;
    execute(sql);

    for (const auto& [id, type] : document.contactTypes.records) {
        sql = "INSERT INTO ContactType VALUES(";
        AppendId(sql, ids.contactTypes.at(id));
        sql += '\'';
        sql += QuoteSqlText(type.Description);
        sql += "')";
        execute(sql);
    }

    for (const auto& [id, p] : document.persons.records) {
        sql = "INSERT INTO Person Values(";
        AppendId(sql, ids.persons.at(id));
        for (const std::string* field :
             {&p.Title, &p.FName, &p.LName, &p.Company, &p.Position, &p.Address, &p.City, &p.State,
              &p.Zip, &p.Phone, &p.WkPhone, &p.WkExt, &p.CelPhone, &p.Pager, &p.Fax, &p.EMail,
              &p.WebPage}) {
            AppendValue(sql, *field);
        }
        sql += kNow;
        execute(sql);
    }

    int skipped = 0;
    for (const auto& [id, c] : document.contacts.records) {
        const auto person = ids.persons.find(c.PersonID);
        const auto type = ids.contactTypes.find(c.ContactTypeID);
        if (person == ids.persons.end() || type == ids.contactTypes.end()) {
            ++skipped;
            continue;
        }
        sql = "INSERT INTO Contact Values(";
        AppendId(sql, ids.contacts.at(id));
        AppendId(sql, person->second);
        AppendId(sql, FormatStoredTimeStamp(c.DateTime));
        AppendValue(sql, c.Description);
        AppendId(sql, type->second);
        sql += kNow;
        execute(sql);
    }
    return skipped;
}

std::optional<ConvertMessage> CreateDatabase(const std::string& path, const V1Document& document) {
    try {
        Database db;
        db.Create(path);
        Statement& st = db.CreateStatement();
        Transaction creation(st);
        st.Execute(CreateUserStatement());
        for (const char* sql : {schema::kCreatePerson, schema::kCreatePersonNameIndex,
                                schema::kCreatePersonCompanyIndex, schema::kCreateContactType,
                                schema::kCreateContactTypeIndex, schema::kCreateContact,
                                schema::kCreateContactDateIndex, schema::kCreateGlobals}) {
            st.Execute(sql);
        }
        st.Execute(GlobalsInsert(document.token, FormatStoredTimeStamp(document.created),
                                 FormatStoredTimeStamp(document.lastSaved)));
        // The file keeps the times of the version-1 document.
        creation.CommitUnstamped();
        return std::nullopt;
    } catch (const SQLException& e) {
        return ConvertMessage{FromStoredText(e.Message()), Texts::tr("Error Creating Database"),
                              ConvertIcon::None, ConvertMessageOwner::None};
    }
}

ConvertOutcome Convert(const std::string& path) {
    const QString shownName = QDir::toNativeSeparators(QFile::decodeName(path.c_str()));
    V1Document document;
    {
        const std::optional<std::string> text = ReadWholeFile(path);
        if (!text) {
            // A dangling link names no file either.
            if (QFileInfo::exists(QFile::decodeName(path.c_str()))) {
                return ConvertOutcome{ConvertResult::NotRead, {}};
            }
            return Ended(
                ConvertResult::Missing,
                {Texts::tr("The file %1 does not exist.").arg(shownName),
                 Texts::tr("Error Loading File"), ConvertIcon::Error, ConvertMessageOwner::Window});
        }
        // Every SQLite database, and so every version-2 address book, starts with these 16
        // bytes, the NUL included; such a file is left as it is.
        static const char kHeader[] = "SQLite format 3";
        if (text->compare(0, sizeof kHeader, kHeader, sizeof kHeader) == 0) {
            return Ended(ConvertResult::AlreadyVersionTwo,
                         {Texts::tr("%1 is already a version-2 address book.").arg(shownName),
                          Texts::tr("Conversion Not Needed"), ConvertIcon::Information,
                          ConvertMessageOwner::Window});
        }
        const V1LoadResult loaded = document.Load(text->c_str());
        if (loaded.syntaxErrorLine) {
            return Ended(
                ConvertResult::NotLoaded,
                {Texts::tr("Parsing error at line %1").arg(*loaded.syntaxErrorLine),
                 Texts::tr("Error Loading File"), ConvertIcon::Error, ConvertMessageOwner::None});
        }
    }
    const IdentifierMaps ids = AssignIdentifiers(document);

    const std::string newPath = path + ".new";
    // A ".new" file of an earlier run would make the CREATEs fail.
    RemoveFile(newPath);
    if (std::optional<ConvertMessage> failure = CreateDatabase(newPath, document)) {
        RemoveFile(newPath);
        return Ended(ConvertResult::NotCreated, std::move(*failure));
    }

    int skipped = 0;
    try {
        Database db;
        db.Open(newPath);
        Statement& st = db.CreateStatement();
        // Room for the whole new file in memory, so that a large conversion does not keep
        // spilling half-written pages to disk before its COMMIT. It lasts for this connection only.
        st.Execute("PRAGMA cache_size = -262144");
        Transaction records(st);
        skipped = WriteRecords(document, ids, [&st](const std::string& sql) { st.Execute(sql); });
        // The lookup indexes of a new file, built once over all the rows.
        st.Execute(schema::kCreatePersonIdIndex);
        st.Execute(schema::kCreateContactPersonIndex);
        records.CommitUnstamped();
    } catch (const SQLException& e) {
        // The database is closed by now, and its open transaction abandoned with it.
        RemoveFile(newPath);
        return Ended(ConvertResult::Failed,
                     {FromStoredText(e.Message()), Texts::tr("Error Converting Database"),
                      ConvertIcon::Error, ConvertMessageOwner::Window});
    }

    // The old file moves aside first; should either name be taken, both files stay where they
    // are and the user is told where.
    const std::string orgPath = path + ".org";
    if (!RenameFile(path, orgPath)) {
        return Ended(
            ConvertResult::Incomplete,
            {Texts::tr("The original file could not be renamed to %1. The "
                       "converted database was saved as %2.")
                 .arg(QFile::decodeName(orgPath.c_str()), QFile::decodeName(newPath.c_str())),
             Texts::tr("Conversion Incomplete"), ConvertIcon::Warning,
             ConvertMessageOwner::Window});
    }
    if (!RenameFile(newPath, path)) {
        return Ended(ConvertResult::Incomplete,
                     {Texts::tr("The converted database could not be renamed to %1. It "
                                "was saved as %2, and the original file as %3.")
                          .arg(QFile::decodeName(path.c_str()), QFile::decodeName(newPath.c_str()),
                               QFile::decodeName(orgPath.c_str())),
                      Texts::tr("Conversion Incomplete"), ConvertIcon::Warning,
                      ConvertMessageOwner::Window});
    }

    QString text = Texts::tr("Database successfully converted!");
    // The count is a sentence of its own, on a line of its own.
    if (skipped > 0) {
        text += QLatin1Char('\n') + Texts::tr(
                                        "%1 contacts referring to missing persons or "
                                        "contact types were not converted.")
                                        .arg(skipped);
    }
    return Ended(ConvertResult::Succeeded, {text, Texts::tr("Conversion Succeeded"),
                                            ConvertIcon::Information, ConvertMessageOwner::Window});
}
