#include "DateTime.h"

#include "StoredText.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>

namespace {

constexpr long kSecondsPerDay = 86400;
// days_from_civil(1899, 12, 30): the epoch of DateTime counted from 1 January 1970.
constexpr long kEpochOffset = 25569;

// Proleptic Gregorian day numbers relative to 1 January 1970 (H. Hinnant's algorithms).
long DaysFromCivil(long y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& year, int& month, int& day) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

bool InRange(double value) {
    // The bounds are whole days; the times of the first and the last day are inside.
    return std::isfinite(value) && std::trunc(value) >= DateTime::kFirstDay &&
           std::trunc(value) <= DateTime::kLastDay;
}

// Qt's short formats write two-digit years, which would read back in the wrong century.
QString ShortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) {
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    }
    return format;
}

// The long time format without its time-zone field: hours, minutes and seconds.
QString TimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        }
        if (!quoted && c == QLatin1Char('t')) {
            continue;
        }
        result += c;
    }
    return result.trimmed();
}

// The order of day, month and year in the locale's short date, as "DMY", "MDY" or "YMD".
QString DateOrder(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const int d = format.indexOf(QLatin1Char('d'));
    const int m = format.indexOf(QLatin1Char('M'));
    const int y = format.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0) {
        return QStringLiteral("MDY");
    }
    if (y < m && y < d) {
        return QStringLiteral("YMD");
    }
    return d < m ? QStringLiteral("DMY") : QStringLiteral("MDY");
}

int YearFromText(const QString& text) {
    const int year = text.toInt();
    // Two-digit years as the platform's date conversion reads them: 00-29 this century.
    if (text.size() <= 2) {
        return year < 30 ? 2000 + year : 1900 + year;
    }
    return year;
}

// Reads "h", "h:mm", "h:mm:ss", each optionally followed by an AM/PM designator.
bool ParseTime(const QString& text, const QLocale& locale, int& hour, int& minute, int& second) {
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{1,2})(?::(\\d{1,2}))?(?::(\\d{1,2}))?(?:\\.\\d+)?\\s*([^\\d\\s:][^\\s]*)?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) {
        return false;
    }
    hour = m.captured(1).toInt();
    minute = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const QString designator = m.captured(4);
    if (designator.isEmpty()) {
        // A bare hour is not a time.
        return !m.captured(2).isEmpty();
    }
    auto is = [&designator](const QString& word) {
        return !word.isEmpty() && designator.compare(word, Qt::CaseInsensitive) == 0;
    };
    const bool am = is(locale.amText()) || is(QStringLiteral("AM")) || is(QStringLiteral("A"));
    const bool pm = is(locale.pmText()) || is(QStringLiteral("PM")) || is(QStringLiteral("P"));
    if ((!am && !pm) || hour > 12) {
        return false;
    }
    if (am && hour == 12) {
        hour = 0;
    } else if (pm && hour < 12) {
        hour += 12;
    }
    return true;
}

DateTime ParseNumeric(const QString& text, const QLocale& locale) {
    static const QRegularExpression dateRe(QStringLiteral(
        "^(\\d{1,4})\\s*[./-]\\s*(\\d{1,2})\\s*[./-]\\s*(\\d{1,4})\\.?(?:(?:\\s+|T|,\\s*)(.*))?$"));
    const QRegularExpressionMatch m = dateRe.match(text);
    int hour = 0, minute = 0, second = 0;
    if (!m.hasMatch()) {
        // A time alone falls on day 0, as the platform's conversion has it.
        if (ParseTime(text, locale, hour, minute, second)) {
            return DateTime::FromFields(1899, 12, 30, hour, minute, second);
        }
        return DateTime();
    }
    const QString a = m.captured(1), b = m.captured(2), c = m.captured(3);
    int year, month, day;
    const QString order = a.size() > 2 ? QStringLiteral("YMD") : DateOrder(locale);
    if (order == QLatin1String("YMD")) {
        year = YearFromText(a), month = b.toInt(), day = c.toInt();
    } else if (order == QLatin1String("DMY")) {
        day = a.toInt(), month = b.toInt(), year = YearFromText(c);
    } else {
        month = a.toInt(), day = b.toInt(), year = YearFromText(c);
    }
    const QString time = m.captured(4).trimmed();
    if (!time.isEmpty() && !ParseTime(time, locale, hour, minute, second)) {
        return DateTime();
    }
    return DateTime::FromFields(year, month, day, hour, minute, second);
}

}  // namespace

DateTime::DateTime(double value) : value_(InRange(value) ? value : kInvalidValue) {}

DateTime DateTime::FromFields(const Fields& f) {
    if (f.year < 100 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > DaysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 ||
        f.minute > 59 || f.second < 0 || f.second > 59) {
        return DateTime();
    }
    const long day = DaysFromCivil(f.year, f.month, f.day) + kEpochOffset;
    const double fraction = (f.hour * 3600 + f.minute * 60 + f.second) / double(kSecondsPerDay);
    return DateTime(day >= 0 ? day + fraction : day - fraction);
}

DateTime DateTime::FromFields(int year, int month, int day, int hour, int minute, int second) {
    return FromFields(Fields{year, month, day, hour, minute, second});
}

DateTime DateTime::FromDateAndTime(const QDate& date, const QTime& time) {
    if (!date.isValid()) {
        return DateTime();
    }
    const QTime t = time.isValid() ? time : QTime(0, 0);
    return FromFields(date.year(), date.month(), date.day(), t.hour(), t.minute(), t.second());
}

bool DateTime::ToFields(Fields& f) const {
    if (!IsValid()) {
        return false;
    }
    long day = static_cast<long>(std::trunc(value_));
    long seconds = std::lround(std::fabs(value_ - day) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;
    }
    CivilFromDays(day - kEpochOffset, f.year, f.month, f.day);
    f.hour = static_cast<int>(seconds / 3600);
    f.minute = static_cast<int>(seconds / 60 % 60);
    f.second = static_cast<int>(seconds % 60);
    return true;
}

QDate DateTime::Date() const {
    Fields f;
    return ToFields(f) ? QDate(f.year, f.month, f.day) : QDate();
}

QTime DateTime::Time() const {
    Fields f;
    return ToFields(f) ? QTime(f.hour, f.minute, f.second) : QTime();
}

std::string FormatStoredTimeStamp(DateTime value) {
    DateTime::Fields f;
    if (!value.ToFields(f)) {
        return std::string();
    }
    char buffer[4096];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day,
                  f.hour, f.minute, f.second);
    return buffer;
}

DateTime ParseDateTime(const std::string& text) {
    QString s = FromStoredText(text);
    // Locale time formats may put a no-break space before the AM/PM designator.
    s.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
    s = s.trimmed();
    if (s.isEmpty()) {
        return DateTime();
    }
    const QLocale locale;
    DateTime value = ParseNumeric(s, locale);
    if (value.IsValid()) {
        return value;
    }
    // Short dates with month names and the like.
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QDateTime dt = locale.toDateTime(s, type);
        if (dt.isValid()) {
            return DateTime::FromDateAndTime(dt.date(), dt.time());
        }
        const QDate d = locale.toDate(s, type);
        if (d.isValid()) {
            return DateTime::FromDateAndTime(d, QTime(0, 0));
        }
    }
    return DateTime();
}

DateTime FromLocalNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return DateTime::FromDateAndTime(now.date(), now.time());
}

std::string FormatDisplayDate(DateTime value) {
    if (!value.IsValid()) {
        return std::string();
    }
    const QLocale locale;
    return ToStoredText(locale.toString(value.Date(), ShortDateFormat(locale)));
}

std::string FormatDisplayTime(DateTime value) {
    if (!value.IsValid()) {
        return std::string();
    }
    const QLocale locale;
    return ToStoredText(locale.toString(value.Time(), TimeFormat(locale)));
}

QString DisplayDateFormat() {
    return ShortDateFormat(QLocale());
}

QString DisplayTimeFormat() {
    return TimeFormat(QLocale());
}
