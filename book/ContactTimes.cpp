#include "ContactTimes.h"

#include <algorithm>
#include <iterator>

namespace {

// The number the digits from..from+count make; -1 where one is not a digit.
int Digits(std::string_view text, size_t from, size_t count) {
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<int64_t> ContactDay(std::string_view dtTm) {
    if (dtTm.size() >= 10 && dtTm[4] == '-' && dtTm[7] == '-' &&
        (dtTm.size() == 10 || dtTm[10] == ' ')) {
        const int year = Digits(dtTm, 0, 4), month = Digits(dtTm, 5, 2), day = Digits(dtTm, 8, 2);
        if (year >= 0 && month >= 0 && day >= 0) {
            const QDate date(year, month, day);
            if (date.isValid()) {
                return date.toJulianDay();
            }
        }
    }
    const DateTime read = ParseDateTime(std::string(dtTm));
    if (!read.IsValid()) {
        return std::nullopt;
    }
    return read.Date().toJulianDay();
}

DateTime ReadContactTime(std::string_view dtTm) {
    if (dtTm.size() == 19 && dtTm[4] == '-' && dtTm[7] == '-' && dtTm[10] == ' ' &&
        dtTm[13] == ':' && dtTm[16] == ':') {
        const int fields[] = {Digits(dtTm, 0, 4),  Digits(dtTm, 5, 2),  Digits(dtTm, 8, 2),
                              Digits(dtTm, 11, 2), Digits(dtTm, 14, 2), Digits(dtTm, 17, 2)};
        if (std::all_of(std::begin(fields), std::end(fields), [](int f) { return f >= 0; })) {
            return DateTime::FromFields(fields[0], fields[1], fields[2], fields[3], fields[4],
                                        fields[5]);
        }
    }
    return ParseDateTime(std::string(dtTm));
}
