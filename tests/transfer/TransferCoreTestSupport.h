#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QLocale>

#include "Database.h"
#include "LineTokenizer.h"
#include "PersonRecord.h"

namespace transfer_test {

// The whole file, or "<missing>" when it cannot be read.
inline std::string FileBytes(const std::string& path) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        return "<missing>";
    }
    return file.readAll().toStdString();
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    QFile file(QFile::decodeName(path.c_str()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path;
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

// The cards other programs wrote, under tests/data/vcards.
inline const std::vector<std::string>& SampleCardFiles() {
    static const std::vector<std::string> files = {
        "aosp-v21-complicated-1.vcf", "ezvcard-android21-1.vcf",  "ezvcard-evolution30-1.vcf",
        "ezvcard-gmail30-2.vcf",      "ezvcard-macab30-1.vcf",    "ezvcard-outlook21-2.vcf",
        "ezvcard-rfc6350-1.vcf",      "thunderbird-crcrlf-1.vcf", "thunderbird-v40-export-1.vcf",
        "thunderbird-v40-photo-1.vcf"};
    return files;
}

// The physical lines of a written text, without their CR LF.
inline std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "no CR LF after the last line";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

inline bool Exists(const std::string& path) {
    return QFile::exists(QFile::decodeName(path.c_str()));
}

// Every field the tokenizer takes off the line.
inline std::vector<std::string> Fields(const transfer::LineTokenizer& tokenizer,
                                       std::string_view line) {
    std::vector<std::string> fields;
    std::string field;
    while (tokenizer.NextField(line, field)) {
        fields.push_back(field);
    }
    return fields;
}

// The persons of the file in the table's own order.
inline std::vector<PersonRecord> StoredPersons(const std::string& path) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& query = db.CreateStatement().ExecuteQuery("SELECT * FROM Person");
    std::vector<PersonRecord> persons;
    while (query.Next()) {
        persons.push_back(ReadPersonRow(query));
    }
    return persons;
}

// Sets the default locale for the test's duration.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::system()); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
};

// How two lists of lines differ: the lines of each between their common start and end.
struct Difference {
    std::vector<std::string> before;
    std::vector<std::string> after;
};

inline Difference Compare(const std::vector<std::string>& before,
                          const std::vector<std::string>& after) {
    size_t start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start]) {
        ++start;
    }
    size_t end = 0;
    while (end < before.size() - start && end < after.size() - start &&
           before[before.size() - 1 - end] == after[after.size() - 1 - end]) {
        ++end;
    }
    return Difference{std::vector<std::string>(before.begin() + start, before.end() - end),
                      std::vector<std::string>(after.begin() + start, after.end() - end)};
}

inline std::string Show(const Difference& d) {
    std::string text;
    for (const std::string& line : d.before) {
        text += "\n  - " + line;
    }
    for (const std::string& line : d.after) {
        text += "\n  + " + line;
    }
    return text;
}

}  // namespace transfer_test
