#include "RecordId.h"

#include <QUuid>

RecordId NewRecordId() {
    // "XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX": drop the last hyphen and the last four digits.
    const std::string text =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
    return text.substr(0, 23) + text.substr(24, 8);
}

std::string QuoteSqlText(const std::string& value) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    for (char c : value) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted;
}
