#include "VCardTransfer.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "Database.h"
#include "DatabaseFile.h"
#include "DateTime.h"
#include "Import.h"
#include "RecordEditing.h"
#include "Transaction.h"

namespace transfer {

namespace {

// The identifiers of every person of the file.
std::unordered_set<std::string> PersonIds(cppsqlite3::Statement& statement) {
    std::unordered_set<std::string> ids;
    cppsqlite3::Query& query = statement.ExecuteQuery("SELECT ID FROM Person");
    while (query.Next()) {
        ids.emplace(query.GetText(1));
    }
    statement.CloseQuery();
    return ids;
}

// Upper-case hexadecimal in groups of 8, 4, 4 and 12, as this program makes identifiers.
bool HasIdentifierForm(std::string_view text) {
    if (text.size() != 31) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == 8 || i == 13 || i == 18) {
            if (c != '-') {
                return false;
            }
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

}  // namespace

VCardImportPlan PlanVCardImport(const std::string& databasePath, const std::string& filePath) {
    VCardImportPlan plan;
    QFile file(QFile::decodeName(filePath.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        plan.outcome = VCardImportPlan::Outcome::NotRead;
        plan.message = file.errorString().toStdString();
        return plan;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        plan.outcome = VCardImportPlan::Outcome::NotRead;
        plan.message = file.errorString().toStdString();
        return plan;
    }
    VCardReadResult read =
        ReadVCards(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (!read.isVCard) {
        plan.outcome = VCardImportPlan::Outcome::NotVCard;
        return plan;
    }
    plan.persons = std::move(read.persons);
    plan.nameless = read.nameless;
    plan.known.assign(plan.persons.size(), false);
    bool anyUid = false;
    for (const VCardPerson& card : plan.persons) {
        anyUid = anyUid || !card.uid.empty();
    }
    if (!anyUid) {
        return plan;
    }
    try {
        cppsqlite3::Database db;
        db.Open(databasePath);
        const std::unordered_set<std::string> ids = PersonIds(db.CreateStatement());
        for (size_t i = 0; i < plan.persons.size(); ++i) {
            if (!plan.persons[i].uid.empty() && ids.count(plan.persons[i].uid) > 0) {
                plan.known[i] = true;
            }
        }
    } catch (const cppsqlite3::SQLException& e) {
        plan.outcome = VCardImportPlan::Outcome::DatabaseFailure;
        plan.message = e.Message();
    }
    return plan;
}

VCardImportResult ImportVCards(const std::string& databasePath, const VCardImportPlan& plan,
                               KnownCards known) {
    VCardImportResult result;
    if (plan.outcome != VCardImportPlan::Outcome::Ready || plan.persons.empty()) {
        return result;
    }
    const std::string stamp = FormatStoredTimeStamp(FromLocalNow());
    int added = 0, updated = 0, skipped = 0;
    try {
        cppsqlite3::Database db;
        db.Open(databasePath);
        cppsqlite3::Statement& statement = db.CreateStatement();
        PrepareImport(statement);
        cppsqlite3::Transaction transaction(statement);
        // Read inside the transaction: no identifier can be taken meanwhile.
        std::unordered_set<std::string> taken = PersonIds(statement);
        for (size_t i = 0; i < plan.persons.size(); ++i) {
            const VCardPerson& card = plan.persons[i];
            // A person deleted since the file was looked at is no longer there to update.
            const bool isKnown =
                i < plan.known.size() && plan.known[i] && taken.count(card.uid) > 0;
            if (isKnown && known == KnownCards::Skip) {
                ++skipped;
                continue;
            }
            if (isKnown && known == KnownCards::Update) {
                PersonRecord person = card.person;
                person.id = card.uid;
                statement.Execute(editing::UpdatePersonSql(person));
                ++updated;
                continue;
            }
            RecordId id;
            if (!isKnown && HasIdentifierForm(card.uid) && taken.count(card.uid) == 0) {
                id = card.uid;
            } else {
                do {
                    id = NewRecordId();
                } while (taken.count(id) > 0);
            }
            taken.insert(id);
            statement.Execute(editing::InsertPersonSql(id, card.person, stamp));
            ++added;
        }
        if (added + updated > 0) {
            transaction.Commit("COMMIT TRANSACTION");
        } else {
            transaction.CommitUnstamped("COMMIT TRANSACTION");
        }
    } catch (const cppsqlite3::SQLException& e) {
        // Nothing was committed: the closed connection has abandoned the transaction.
        result.outcome = VCardImportResult::Outcome::DatabaseFailure;
        result.message = e.Message();
        return result;
    }
    result.added = added;
    result.updated = updated;
    result.skipped = skipped;
    return result;
}

std::string VCardsText(const std::string& databasePath, const std::vector<RecordId>* only,
                       int& records) {
    records = 0;
    const std::unordered_set<std::string_view> wanted =
        only ? IdentifierSet(*only) : std::unordered_set<std::string_view>();
    cppsqlite3::Database db;
    db.Open(databasePath);
    cppsqlite3::Statement& statement = db.CreateStatement();
    ReadWithoutMapping(statement);
    const size_t rows = static_cast<size_t>(Count(statement, "Person"));
    std::string text;
    // Room for every card at once: pages a large buffer does not use are never touched, while
    // growing by copies would hold two texts at a time.
    text.reserve((only ? std::min(rows, only->size()) : rows) * 512 + 4096);
    std::string sql = "SELECT ID";
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        sql += std::string(", ") + PersonRecord::ColumnName(static_cast<PersonRecord::Field>(f));
    }
    sql += " FROM Person";
    // The fields as the row holds them, written without a copy.
    std::string_view fields[PersonRecord::FieldCount];
    cppsqlite3::Query& query = statement.ExecuteQuery(sql);
    while (query.Next()) {
        const std::string_view id = query.GetText(1);
        if (only && wanted.count(id) == 0) {
            continue;
        }
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            fields[f] = query.GetText(f + 2);
        }
        AppendVCard(text, id, fields);
        ++records;
    }
    return text;
}

ExportResult ExportVCards(const std::string& databasePath, const std::string& filePath,
                          const std::vector<RecordId>* only) {
    return WriteExport(filePath,
                       [&](int& records) { return VCardsText(databasePath, only, records); });
}

namespace {

// The import command's texts, in the context they were made in.
struct VCardTexts {
    Q_DECLARE_TR_FUNCTIONS(transfer::TransferCommands)
};

}  // namespace

QString VCardImportMessage(const VCardImportResult& result, int nameless) {
    QString text = result.added > 0
                       ? VCardTexts::tr("%1 names added to current database.").arg(result.added)
                       : VCardTexts::tr("No person was added to the current database.");
    // Each further count is a sentence of its own, on a line of its own.
    if (result.updated > 0) {
        text += QLatin1Char('\n') +
                VCardTexts::tr("%1 persons already in it updated.").arg(result.updated);
    }
    if (result.skipped > 0) {
        text += QLatin1Char('\n') +
                VCardTexts::tr("%1 persons already in it skipped.").arg(result.skipped);
    }
    if (nameless > 0) {
        text += QLatin1Char('\n') +
                VCardTexts::tr("%1 cards without a name or organisation left out.").arg(nameless);
    }
    return text;
}

}  // namespace transfer
