#include "Import.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <climits>

#include "Database.h"
#include "DateTime.h"
#include "RecordEditing.h"
#include "StoredText.h"
#include "TextEncoding.h"

namespace transfer {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("transfer::Import", text);
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, size_t limit,
                                         std::string* reason) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason) {
            *reason = ToStoredText(file.errorString());
        }
        return std::nullopt;
    }
    const QByteArray bytes =
        limit == SIZE_MAX ? file.readAll()
                          : file.read(static_cast<qint64>(std::min<size_t>(limit, INT64_MAX)));
    if (file.error() != QFileDevice::NoError) {
        if (reason) {
            *reason = ToStoredText(file.errorString());
        }
        return std::nullopt;
    }
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string DecodedText(std::string_view bytes, const std::string& encoding) {
    std::string text;
    if (!encoding.empty() && DecodeToUtf8(bytes, encoding, text)) {
        return text;
    }
    const DetectedEncoding detected = DetectEncoding(bytes);
    DecodeToUtf8(bytes, detected.name, text);
    return text;
}

std::optional<std::string> ReadTextFile(const std::string& path, const std::string& encoding) {
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) {
        return std::nullopt;
    }
    return DecodedText(*bytes, encoding);
}

bool IsBlankLine(std::string_view line) {
    return Trimmed(line).empty();
}

std::string FirstLine(std::string_view text) {
    TextLines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (!IsBlankLine(line)) {
            return std::string(line);
        }
    }
    return std::string();
}

std::vector<std::string> FirstLines(std::string_view text, int count) {
    std::vector<std::string> first;
    TextLines lines(text);
    std::string_view line;
    while (static_cast<int>(first.size()) < count && lines.Next(line)) {
        first.emplace_back(line);
    }
    return first;
}

bool RecordReader::NextLine(std::string_view& line) {
    return lines_.Next(line);
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
    if (lines_.AtEnd() || !EndsInsideEncloser(record)) {
        return true;
    }
    storage.assign(line);
    while (!lines_.AtEnd() && EndsInsideEncloser(storage)) {
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

std::vector<PersonRecord> ReadPersons(std::string_view text, const TransferSettings& settings,
                                      LeftOut* leftOut) {
    const LineTokenizer tokenizer(settings.Separator(), settings.Encloser());
    const size_t columns = static_cast<size_t>(std::max(settings.columnCount, 0));
    std::vector<std::string> assigned(columns);
    for (size_t i = 0; i < columns && i < settings.selectedFields.size(); ++i) {
        assigned[i] = settings.selectedFields[i];
    }
    const ColumnPlan plan(settings.columnLabels, assigned, settings.firstLineHasNames);
    std::vector<int> unused;
    for (size_t i = 0; i < columns; ++i) {
        if (!plan.Uses(static_cast<int>(i))) {
            unused.push_back(static_cast<int>(i));
        }
    }
    std::vector<bool> unusedHeldData(columns, false);
    LeftOut counted;
    std::vector<PersonRecord> persons;
    RecordReader reader(text, tokenizer);
    std::string_view record;
    std::string storage;
    if (settings.firstLineHasNames) {
        // The names are on the first line that is not blank.
        do {
            if (!reader.Next(record, storage)) {
                return persons;
            }
        } while (IsBlankLine(record));
    }
    std::vector<std::string> values(columns);
    while (reader.Next(record, storage)) {
        if (IsBlankLine(record)) {
            continue;
        }
        std::string_view rest = record;
        bool anyValue = false;
        for (std::string& value : values) {
            if (!tokenizer.NextField(rest, value)) {
                value.clear();
            }
            if (value == "EMPTY FIELD" || value == "EOF") {
                value.clear();
            }
            if (value.find_first_of("\r\n") != std::string::npos) {
                value = ToStoredLines(value);
            }
            anyValue = anyValue || !value.empty();
        }
        PersonRecord person;
        LeftOut ofRecord;
        plan.Apply(values, person, ofRecord);
        TrimInPlace(person[PersonRecord::FName]);
        TrimInPlace(person[PersonRecord::LName]);
        if (person[PersonRecord::FName].empty() && person[PersonRecord::LName].empty() &&
            person[PersonRecord::Company].empty()) {
            // A record of separators only is no more than a blank line.
            counted.nameless += anyValue;
            continue;
        }
        counted.phones += ofRecord.phones;
        counted.emails += ofRecord.emails;
        counted.webPages += ofRecord.webPages;
        counted.addresses += ofRecord.addresses;
        counted.values += ofRecord.values;
        for (const int column : unused) {
            if (!unusedHeldData[column] && !Trimmed(values[column]).empty()) {
                unusedHeldData[column] = true;
            }
        }
        persons.push_back(std::move(person));
    }
    if (leftOut) {
        for (const int column : unused) {
            if (unusedHeldData[column]) {
                counted.columns.push_back(plan.ShownName(column));
            }
        }
        *leftOut = std::move(counted);
    }
    return persons;
}

QString ImportMessage(int persons, const LeftOut& leftOut) {
    QStringList lines;
    if (persons > 0) {
        lines << Tr("%1 names added to current database.").arg(persons);
    } else if (leftOut.nameless > 0) {
        lines << Tr(
            "No person was added to the current database: no record of the file has a "
            "first name, last name or company in the columns assigned to them.");
    } else {
        lines << Tr("No person was added to the current database: the file holds no records.");
    }
    const auto count = [&lines](int n, const char* one, const char* many) {
        if (n == 1) {
            lines << Tr(one);
        } else if (n > 1) {
            lines << Tr(many).arg(n);
        }
    };
    count(leftOut.phones, "1 phone number had no free field and was left out.",
          "%1 phone numbers had no free field and were left out.");
    count(leftOut.emails, "1 e-mail address had no free field and was left out.",
          "%1 e-mail addresses had no free field and were left out.");
    count(leftOut.webPages, "1 web page had no free field and was left out.",
          "%1 web pages had no free field and were left out.");
    count(leftOut.addresses, "1 further address was left out: each person keeps one.",
          "%1 further addresses were left out: each person keeps one.");
    count(leftOut.values, "1 further value had no free field and was left out.",
          "%1 further values had no free field and were left out.");
    if (persons > 0) {
        count(leftOut.nameless, "1 record without a first name, last name or company was left out.",
              "%1 records without a first name, last name or company were left out.");
    }
    const std::vector<std::string>& columns = leftOut.columns;
    if (!columns.empty()) {
        QStringList names;
        for (size_t i = 0; i < columns.size() && i < 3; ++i) {
            names << QString::fromStdString(columns[i]);
        }
        const int more = static_cast<int>(columns.size()) - static_cast<int>(names.size());
        const QString listed = names.join(QStringLiteral(", "));
        QString list;
        if (more == 0) {
            const QString last = names.takeLast();
            list = names.isEmpty() ? last
                                   : Tr("%1 and %2").arg(names.join(QStringLiteral(", ")), last);
        } else if (more == 1) {
            list = Tr("%1 and 1 more column").arg(listed);
        } else {
            list = Tr("%1 and %2 more columns").arg(listed, QString::number(more));
        }
        lines << Tr("Not imported: %1.").arg(list);
    }
    return lines.join(QLatin1Char('\n'));
}

void BeginImport(cppsqlite3::Statement& statement) {
    // Room for a large import's pages until its COMMIT, for this connection only.
    statement.Execute("PRAGMA cache_size = -65536");
    statement.Execute("BEGIN TRANSACTION");
}

ImportResult ImportPersons(const std::string& databasePath, const TransferSettings& settings) {
    ImportResult result;
    const std::optional<std::string> text = ReadTextFile(settings.filePath, settings.encoding);
    if (!text) {
        result.outcome = ImportResult::Outcome::NotRead;
        return result;
    }
    const std::vector<PersonRecord> persons = ReadPersons(*text, settings, &result.leftOut);
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
