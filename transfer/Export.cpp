#include "Export.h"

#include <QFile>
#include <QSaveFile>

#include <functional>
#include <string_view>
#include <unordered_set>

#include "Database.h"
#include "DateTime.h"
#include "DelimitedText.h"
#include "StoredText.h"

namespace transfer {

const char kPersonsQuery[] =
    "SELECT Title, FName, LName, Company, Position,                                 Addr, City, "
    "State, Zip, HmPhone, WkPhone, WkExt,                                 WkFax, Pager, CelPhone, "
    "Email, WebPage FROM Person";

const char kContactsQuery[] =
    "SELECT Person.FName AS FName, Person.LName AS LName, Person.Company AS Company, "
    "Contact.DtTm, Contact.Description, ContactType.Description AS TypeDesc FROM Contact, "
    "Person, ContactType WHERE "
    "Contact.PersonID = Person.ID AND Contact.ContactTypeID = ContactType.ID";

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

// The position of each selected name in the available list, in the order of that list.
std::vector<int> SelectedPositions(const TransferSettings& settings) {
    std::vector<int> positions;
    for (size_t i = 0; i < settings.availableFields.size(); ++i) {
        for (const std::string& name : settings.selectedFields) {
            if (name == settings.availableFields[i]) {
                positions.push_back(static_cast<int>(i));
                break;
            }
        }
    }
    return positions;
}

// The checked names in list order, as the header lists them.
std::vector<std::string> HeaderNames(const TransferSettings& settings) {
    std::vector<std::string> names;
    for (int position : SelectedPositions(settings)) {
        names.push_back(settings.availableFields[position]);
    }
    return names;
}

// Room for the whole text at once: pages a large buffer does not use are never touched, so
// being generous costs no memory, while growing by copies would hold two texts at a time.
std::string Begin(const TransferSettings& settings, const DelimitedText& format, int rows) {
    std::string text;
    text.reserve(static_cast<size_t>(rows) * 64 * (settings.selectedFields.size() + 1) + 4096);
    if (settings.utf8Mark) {
        text += kUtf8Mark;
    }
    format.AppendHeader(text, HeaderNames(settings));
    return text;
}

}  // namespace

void ReadWithoutMapping(cppsqlite3::Statement& statement) {
    statement.Execute("PRAGMA mmap_size = 0");
}

int Count(cppsqlite3::Statement& statement, const char* table) {
    cppsqlite3::Query& query = statement.ExecuteQuery(std::string("SELECT COUNT(*) FROM ") + table);
    const int count = query.Next() ? query.GetInt(1) : 0;
    statement.CloseQuery();
    return count;
}

std::unordered_set<std::string_view> IdentifierSet(const std::vector<RecordId>& ids) {
    std::unordered_set<std::string_view> set;
    set.reserve(ids.size());
    for (const RecordId& id : ids) {
        set.insert(id);
    }
    return set;
}

std::string PersonsText(const std::string& databasePath, const TransferSettings& settings,
                        int& records) {
    records = 0;
    cppsqlite3::Database db;
    db.Open(databasePath);
    cppsqlite3::Statement& statement = db.CreateStatement();
    ReadWithoutMapping(statement);
    const int rows = Count(statement, "Person");
    if (rows == 0) {
        return std::string();
    }
    const DelimitedText format(settings.Separator(), settings.Encloser());
    std::string text = Begin(settings, format, rows);
    const std::vector<int> positions = SelectedPositions(settings);
    std::string converted;
    // Only the persons the list shows: their identifiers come last in each row.
    const bool onlyShown = settings.onlyShown;
    const std::unordered_set<std::string_view> shown =
        onlyShown ? IdentifierSet(settings.shownPersons) : std::unordered_set<std::string_view>();
    std::string sql = kPersonsQuery;
    if (onlyShown) {
        sql.insert(sql.rfind(" FROM Person"), ", ID");
    }
    cppsqlite3::Query& query = statement.ExecuteQuery(sql);
    while (query.Next()) {
        if (onlyShown && shown.count(query.GetText(PersonRecord::FieldCount + 1)) == 0) {
            continue;
        }
        bool first = true;
        for (int position : positions) {
            // One record, one line: a line break of any field becomes a space (the address's
            // lines, and those an import may have brought into another field).
            format.AppendValue(text, AsUtf8(query.GetText(position + 1), converted), first, " ");
            first = false;
        }
        DelimitedText::EndLine(text);
        ++records;
    }
    // None of those shown is left: nothing to export, as for an empty table.
    return records == 0 ? std::string() : text;
}

std::string ContactsText(const std::string& databasePath, const TransferSettings& settings,
                         int& records) {
    records = 0;
    cppsqlite3::Database db;
    db.Open(databasePath);
    cppsqlite3::Statement& statement = db.CreateStatement();
    ReadWithoutMapping(statement);
    const int rows = Count(statement, "Contact");
    if (rows == 0) {
        return std::string();
    }
    const DelimitedText format(settings.Separator(), settings.Encloser());
    std::string text = Begin(settings, format, rows);
    const std::vector<int> positions = SelectedPositions(settings);
    std::string converted;
    cppsqlite3::Query& query = statement.ExecuteQuery(kContactsQuery);
    while (query.Next()) {
        // A DtTm that does not read as a date gives an empty Date and Time.
        const DateTime when = ParseDateTime(query.GetString(4));
        bool first = true;
        for (int position : positions) {
            // The columns of the query: FName, LName, Company, DtTm, Description, TypeDesc.
            switch (position) {
                case 0:  // FirstName
                case 1:  // LastName
                case 2:  // Company
                    format.AppendValue(text, AsUtf8(query.GetText(position + 1), converted), first,
                                       " ");
                    break;
                case 3:
                    format.AppendValue(text, FormatDisplayDate(when), first);
                    break;
                case 4:
                    format.AppendValue(text, FormatDisplayTime(when), first);
                    break;
                case 5:
                    format.AppendValue(text, AsUtf8(query.GetText(5), converted), first, "  ");
                    break;
                default:
                    format.AppendValue(text, AsUtf8(query.GetText(6), converted), first, " ");
                    break;
            }
            first = false;
        }
        DelimitedText::EndLine(text);
        ++records;
    }
    // Contacts whose person or type is gone are not exported; with none left there is nothing.
    return records == 0 ? std::string() : text;
}

bool WriteWholeFile(const std::string& path, const std::string& text, std::string& reason) {
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        reason = ToStoredText(file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

ExportResult WriteExport(const std::string& filePath,
                         const std::function<std::string(int& records)>& makeText) {
    ExportResult result;
    std::string text;
    try {
        text = makeText(result.records);
    } catch (const cppsqlite3::SQLException& e) {
        result.outcome = ExportResult::Outcome::DatabaseFailure;
        result.message = e.Message();
        result.records = 0;
        return result;
    }
    if (text.empty()) {
        result.outcome = ExportResult::Outcome::NothingToExport;
        return result;
    }
    if (!WriteWholeFile(filePath, text, result.message)) {
        result.outcome = ExportResult::Outcome::FileFailure;
        result.records = 0;
        return result;
    }
    result.outcome = ExportResult::Outcome::Written;
    return result;
}

ExportResult ExportPersons(const std::string& databasePath, const TransferSettings& settings) {
    return WriteExport(settings.filePath,
                       [&](int& records) { return PersonsText(databasePath, settings, records); });
}

ExportResult ExportContacts(const std::string& databasePath, const TransferSettings& settings) {
    return WriteExport(settings.filePath,
                       [&](int& records) { return ContactsText(databasePath, settings, records); });
}

}  // namespace transfer
