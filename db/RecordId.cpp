#include "RecordId.h"

#include <QUuid>

namespace {

// Below the engine's smallest limit on the arguments of one function.
constexpr size_t kNulsPerCall = 100;

}  // namespace

RecordId NewRecordId() {
    // "XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX": drop the last hyphen and the last four digits.
    const std::string text =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
    return text.substr(0, 23) + text.substr(24, 8);
}

std::string QuoteSqlText(const std::string& value) {
    std::string quoted;
    AppendQuotedSqlText(quoted, value);
    return quoted;
}

void AppendQuotedSqlText(std::string& quoted, std::string_view value) {
    quoted.reserve(quoted.size() + value.size() + 2);
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\0') {
            // A run of NULs is one call, so that many of them stay within the engine's limit on
            // the depth of one expression.
            size_t run = 1;
            while (i + run < value.size() && value[i + run] == '\0' && run < kNulsPerCall) {
                ++run;
            }
            quoted += "' || char(0";
            for (size_t k = 1; k < run; ++k) {
                quoted += ", 0";
            }
            quoted += ") || '";
            i += run - 1;
            continue;
        }
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
}
