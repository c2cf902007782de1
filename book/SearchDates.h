#pragma once

#include <optional>

#include <QDate>
#include <QLocale>
#include <QString>

// The dates the search words of the contact log take ("since:DATE", "before:DATE"): a year
// ("2026", its first day), a month ("2026-01", its first day), a day ("2026-01-15"), the
// locale's short date ("15.01.26", "1/15/26"), or a span back from today: days, weeks, months
// or years ("30d", "6w", "6m", "1y"; a month or year back keeps the day where the month has it,
// else its last: 31 March less a month is the end of February). No widgets.
std::optional<QDate> ReadSearchDate(const QString& word, const QDate& today,
                                    const QLocale& locale = QLocale());
