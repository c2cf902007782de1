#include "Import.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "Database.h"
#include "DateTime.h"
#include "RecordEditing.h"
#include "StoredText.h"
#include "TextEncoding.h"
#include "Transaction.h"

namespace transfer {

namespace {

// The texts of the closing message.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(transfer::Import)
};

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
    // Told as valid UTF-8: the bytes are the text already, looked at once.
    if (detected.certain && detected.name == "UTF-8") {
        return std::string(bytes.substr(detected.markLength));
    }
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

QString ImportMessage(int persons, const LeftOut& leftOut) {
    QStringList lines;
    if (persons > 0) {
        lines << Texts::tr("%1 names added to current database.").arg(persons);
    } else if (leftOut.nameless > 0) {
        lines << Texts::tr(
            "No person was added to the current database: no record of the file has a "
            "first name, last name or company in the columns assigned to them.");
    } else {
        lines << Texts::tr(
            "No person was added to the current database: the file holds no records.");
    }
    const auto count = [&lines](int n, const char* one, const char* many) {
        if (n == 1) {
            lines << Texts::tr(one);
        } else if (n > 1) {
            lines << Texts::tr(many).arg(n);
        }
    };
    count(
        leftOut.phones,
        QT_TRANSLATE_NOOP("transfer::Import", "1 phone number had no free field and was left out."),
        QT_TRANSLATE_NOOP("transfer::Import",
                          "%1 phone numbers had no free field and were left out."));
    count(leftOut.emails,
          QT_TRANSLATE_NOOP("transfer::Import",
                            "1 e-mail address had no free field and was left out."),
          QT_TRANSLATE_NOOP("transfer::Import",
                            "%1 e-mail addresses had no free field and were left out."));
    count(
        leftOut.webPages,
        QT_TRANSLATE_NOOP("transfer::Import", "1 web page had no free field and was left out."),
        QT_TRANSLATE_NOOP("transfer::Import", "%1 web pages had no free field and were left out."));
    count(leftOut.addresses,
          QT_TRANSLATE_NOOP("transfer::Import",
                            "1 further address was left out: each person keeps one."),
          QT_TRANSLATE_NOOP("transfer::Import",
                            "%1 further addresses were left out: each person keeps one."));
    count(leftOut.values,
          QT_TRANSLATE_NOOP("transfer::Import",
                            "1 further value had no free field and was left out."),
          QT_TRANSLATE_NOOP("transfer::Import",
                            "%1 further values had no free field and were left out."));
    if (persons > 0) {
        count(
            leftOut.nameless,
            QT_TRANSLATE_NOOP("transfer::Import",
                              "1 record without a first name, last name or company was left out."),
            QT_TRANSLATE_NOOP(
                "transfer::Import",
                "%1 records without a first name, last name or company were left out."));
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
            list = names.isEmpty()
                       ? last
                       : Texts::tr("%1 and %2").arg(names.join(QStringLiteral(", ")), last);
        } else if (more == 1) {
            list = Texts::tr("%1 and 1 more column").arg(listed);
        } else {
            list = Texts::tr("%1 and %2 more columns").arg(listed, QString::number(more));
        }
        lines << Texts::tr("Not imported: %1.").arg(list);
    }
    return lines.join(QLatin1Char('\n'));
}

void PrepareImport(cppsqlite3::Statement& statement) {
    statement.Execute("PRAGMA cache_size = -65536");
}

namespace {

// The persons of a text read on a thread of their own while the caller stores those read
// before: reading and storing each take about half the time, and the machine has two cores.
class PersonsAhead {
public:
    PersonsAhead(const std::string& text, const TransferSettings& settings)
        : worker_([this, &text, &settings] { Read(text, settings); }) {}
    ~PersonsAhead() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
    PersonsAhead(const PersonsAhead&) = delete;
    PersonsAhead& operator=(const PersonsAhead&) = delete;

    // The next batch; false when all are taken. Passes on what the reading threw.
    bool Next(std::vector<PersonRecord>& batch) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !batches_.empty() || done_; });
        if (batches_.empty()) {
            if (failure_) {
                std::rethrow_exception(failure_);
            }
            return false;
        }
        batch = std::move(batches_.front());
        batches_.pop_front();
        changed_.notify_all();
        return true;
    }
    // What found no place, once all batches are taken.
    const LeftOut& Counted() const { return counted_; }

private:
    static constexpr size_t kBatch = 2048;
    static constexpr size_t kBatchesAhead = 4;

    void Read(const std::string& text, const TransferSettings& settings) {
        try {
            PersonReader reader(text, settings);
            std::vector<PersonRecord> batch;
            PersonRecord person;
            while (reader.Next(person)) {
                batch.push_back(std::move(person));
                person = PersonRecord();
                if (batch.size() == kBatch && !Hand(batch)) {
                    return;
                }
            }
            if (!batch.empty() && !Hand(batch)) {
                return;
            }
            counted_ = reader.Counted();
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex_);
            failure_ = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }

    // False when the caller has stopped taking batches.
    bool Hand(std::vector<PersonRecord>& batch) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return batches_.size() < kBatchesAhead || stopped_; });
        if (stopped_) {
            return false;
        }
        batches_.push_back(std::move(batch));
        batch.clear();
        changed_.notify_all();
        return true;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<PersonRecord>> batches_;
    bool done_ = false;
    bool stopped_ = false;
    std::exception_ptr failure_;
    LeftOut counted_;
    std::thread worker_;
};

}  // namespace

ImportResult ImportPersons(const std::string& databasePath, const TransferSettings& settings) {
    ImportResult result;
    const std::optional<std::string> text = ReadTextFile(settings.filePath, settings.encoding);
    if (!text) {
        result.outcome = ImportResult::Outcome::NotRead;
        return result;
    }
    PersonsAhead persons(*text, settings);
    std::vector<PersonRecord> batch;
    // A file without persons leaves the database untouched.
    if (!persons.Next(batch)) {
        result.leftOut = persons.Counted();
        return result;
    }
    const std::string stamp = FormatStoredTimeStamp(FromLocalNow());
    int stored = 0;
    try {
        cppsqlite3::Database db;
        db.Open(databasePath);
        cppsqlite3::Statement& statement = db.CreateStatement();
        PrepareImport(statement);
        cppsqlite3::Transaction transaction(statement);
        do {
            for (const PersonRecord& person : batch) {
                statement.Execute(editing::InsertPersonSql(NewRecordId(), person, stamp));
            }
            stored += static_cast<int>(batch.size());
        } while (persons.Next(batch));
        // An import keeps the file's last-saved stamp.
        transaction.CommitUnstamped("COMMIT TRANSACTION");
    } catch (const cppsqlite3::SQLException& e) {
        // Nothing was committed: the closed connection has abandoned the transaction.
        result.outcome = ImportResult::Outcome::DatabaseFailure;
        result.message = e.Message();
        return result;
    }
    result.persons = stored;
    result.leftOut = persons.Counted();
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
