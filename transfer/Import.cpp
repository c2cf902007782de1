#include "Import.h"

#include <QFile>
#include <QString>

#include "Database.h"
#include "DateTime.h"
#include "RecordEditing.h"
#include "StoredText.h"

namespace transfer {

namespace {

std::string Decoded(const QByteArray& bytes) {
    const auto starts = [&bytes](const char* mark, int length) {
        return bytes.size() >= length && bytes.startsWith(QByteArray::fromRawData(mark, length));
    };
    if (starts("\xEF\xBB\xBF", 3)) {
        const std::string text(bytes.constData() + 3, static_cast<size_t>(bytes.size() - 3));
        return IsValidUtf8(text) ? text : Windows1252ToUtf8(text);
    }
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
        const bool little = bytes[0] == '\xFF';
        QString text;
        text.reserve((bytes.size() - 2) / 2);
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            text += QChar(little ? char16_t(a | b << 8) : char16_t(b | a << 8));
        }
        return text.toUtf8().toStdString();
    }
    std::string text(bytes.constData(), static_cast<size_t>(bytes.size()));
    return IsValidUtf8(text) ? text : Windows1252ToUtf8(text);
}

}  // namespace

std::optional<std::string> ReadTextFile(const std::string& path) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return Decoded(bytes);
}

std::string FirstLine(std::string_view text) {
    const size_t end = text.find('\n');
    return std::string(Trimmed(end == std::string_view::npos ? text : text.substr(0, end)));
}

bool RecordReader::NextLine(std::string_view& line) {
    if (rest_.empty()) {
        return false;
    }
    const size_t end = rest_.find('\n');
    if (end == std::string_view::npos) {
        line = rest_;
        rest_ = std::string_view();
    } else {
        line = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return true;
}

bool RecordReader::EndsInsideEncloser(std::string_view record) {
    const char encloser = tokenizer_.Encloser();
    if (encloser == '\0') {
        return false;
    }
    // Closed fields and doubled enclosers use enclosers in pairs: with an even number of them
    // and no backslash to escape one, no field can be open.
    size_t enclosers = 0;
    bool escapes = false;
    for (const char c : record) {
        enclosers += c == encloser;
        escapes = escapes || c == '\\';
    }
    if (enclosers == 0 || (enclosers % 2 == 0 && !escapes)) {
        return false;
    }
    LineTokenizer::Ending ending = LineTokenizer::Ending::Plain;
    LineTokenizer::Ending last = ending;
    while (tokenizer_.NextField(record, field_, ending)) {
        last = ending;
    }
    return last == LineTokenizer::Ending::Open;
}

bool RecordReader::Next(std::string_view& record, std::string& storage) {
    std::string_view line;
    if (!NextLine(line)) {
        return false;
    }
    record = line;
    if (rest_.empty() || !EndsInsideEncloser(record)) {
        return true;
    }
    storage.assign(line);
    while (!rest_.empty() && EndsInsideEncloser(storage)) {
        NextLine(line);
        storage += "\r\n";
        storage.append(line);
    }
    record = storage;
    return true;
}

bool RecordReader::Next(std::string& record) {
    std::string_view view;
    std::string storage;
    if (!Next(view, storage)) {
        return false;
    }
    record.assign(view);
    return true;
}

std::vector<PersonRecord> ReadPersons(std::string_view text, const TransferSettings& settings) {
    const LineTokenizer tokenizer(settings.Separator(), settings.Encloser());
    // Where each column goes; FieldCount for a column that is not imported.
    std::vector<PersonRecord::Field> targets;
    for (int column = 0; column < settings.columnCount; ++column) {
        targets.push_back(column < static_cast<int>(settings.selectedFields.size())
                              ? ImportField(settings.selectedFields[column])
                              : PersonRecord::FieldCount);
    }
    std::vector<PersonRecord> persons;
    RecordReader reader(text, tokenizer);
    std::string_view record;
    std::string storage;
    std::string field;
    if (settings.firstLineHasNames && !reader.Next(record, storage)) {
        return persons;
    }
    while (reader.Next(record, storage)) {
        PersonRecord person;
        std::string_view rest = record;
        for (const PersonRecord::Field target : targets) {
            if (!tokenizer.NextField(rest, field)) {
                field.clear();
            }
            if (target == PersonRecord::FieldCount) {
                continue;
            }
            if (field == "EMPTY FIELD" || field == "EOF") {
                field.clear();
            }
            if (field.find_first_of("\r\n") != std::string::npos) {
                field = ToStoredLines(field);
            }
            person[target].swap(field);
        }
        TrimInPlace(person[PersonRecord::FName]);
        TrimInPlace(person[PersonRecord::LName]);
        if (person[PersonRecord::FName].empty() && person[PersonRecord::LName].empty() &&
            person[PersonRecord::Company].empty()) {
            continue;
        }
        persons.push_back(std::move(person));
    }
    return persons;
}

void BeginImport(cppsqlite3::Statement& statement) {
    // Room for a large import's pages until its COMMIT, for this connection only.
    statement.Execute("PRAGMA cache_size = -65536");
    statement.Execute("BEGIN TRANSACTION");
}

ImportResult ImportPersons(const std::string& databasePath, const TransferSettings& settings) {
    ImportResult result;
    const std::optional<std::string> text = ReadTextFile(settings.filePath);
    if (!text) {
        result.outcome = ImportResult::Outcome::NotRead;
        return result;
    }
    const std::vector<PersonRecord> persons = ReadPersons(*text, settings);
    if (persons.empty()) {
        return result;
    }
    const std::string stamp = FormatStoredTimeStamp(FromLocalNow());
    try {
        cppsqlite3::Database db;
        db.Open(databasePath);
        cppsqlite3::Statement& statement = db.CreateStatement();
        BeginImport(statement);
        for (const PersonRecord& person : persons) {
            statement.Execute(editing::InsertPersonSql(NewRecordId(), person, stamp));
        }
        statement.Execute("COMMIT TRANSACTION");
    } catch (const cppsqlite3::SQLException& e) {
        // Nothing was committed: the closed connection has abandoned the transaction.
        result.outcome = ImportResult::Outcome::DatabaseFailure;
        result.message = e.Message();
        return result;
    }
    result.persons = static_cast<int>(persons.size());
    return result;
}

char LikeliestSeparator(std::string_view line, char encloser) {
    char best = ',';
    int most = 0;
    std::string field;
    for (const char candidate : {',', ';', '\t', '|'}) {
        const LineTokenizer tokenizer(candidate, encloser);
        std::string_view rest = line;
        int fields = 0;
        while (tokenizer.NextField(rest, field)) {
            ++fields;
        }
        if (fields > most) {
            most = fields;
            best = candidate;
        }
    }
    return best;
}

}  // namespace transfer
