#include "SearchDates.h"

#include <QRegularExpression>

namespace {

// A short date's two-digit year in the century that puts it at most 20 years ahead of today:
// "26" is 2026, "85" is 1985.
QDate WithCentury(const QDate& read, const QDate& today) {
    const int yy = read.year() % 100;
    int year = today.year() / 100 * 100 + yy;
    if (year > today.year() + 20) {
        year -= 100;
    }
    return QDate(year, read.month(), read.day());
}

}  // namespace

std::optional<QDate> ReadSearchDate(const QString& word, const QDate& today,
                                    const QLocale& locale) {
    const QString text = word.trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    // A span back from today.
    static const QRegularExpression span(QStringLiteral("^(\\d{1,4})([dwmy])$"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const auto m = span.match(text); m.hasMatch()) {
        const int n = m.captured(1).toInt();
        switch (m.captured(2).toLower().at(0).toLatin1()) {
            case 'd':
                return today.addDays(-n);
            case 'w':
                return today.addDays(-7 * n);
            case 'm':
                return today.addMonths(-n);
            default:
                return today.addYears(-n);
        }
    }
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})(?:-(\\d{1,2})(?:-(\\d{1,2}))?)?$"));
    if (const auto m = iso.match(text); m.hasMatch()) {
        const int year = m.captured(1).toInt();
        const int month = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
        const int day = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
        const QDate date(year, month, day);
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    }
    // The locale's short date; a two-digit year in its century.
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const QDate read = locale.toDate(text, format);
    if (!read.isValid()) {
        return std::nullopt;
    }
    return format.contains(QLatin1String("yyyy")) ? read : WithCentury(read, today);
}
