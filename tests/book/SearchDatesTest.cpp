// The dates of the contact log's search words: a year, a month, a day, the locale's short date,
// and spans back from today across month ends and leap years.
#include <gtest/gtest.h>

#include "SearchDates.h"

namespace {

QDate D(int y, int m, int d) {
    return QDate(y, m, d);
}

std::optional<QDate> Read(const char* word, QDate today = D(2026, 12, 9),
                          const QLocale& locale = QLocale(QLocale::English,
                                                          QLocale::UnitedKingdom)) {
    return ReadSearchDate(QString::fromUtf8(word), today, locale);
}

TEST(SearchDates, AYearAMonthOrADayFromItsFirstDay) {
    EXPECT_EQ(Read("2026"), D(2026, 1, 1));
    EXPECT_EQ(Read("2026-01"), D(2026, 1, 1));
    EXPECT_EQ(Read("2026-2"), D(2026, 2, 1));
    EXPECT_EQ(Read("2026-01-15"), D(2026, 1, 15));
    EXPECT_EQ(Read("2024-02-29"), D(2024, 2, 29));
    for (const char* wrong : {"2026-13", "2025-02-29", "2026-00", "202", "20261", "", "  ", "soon",
                              "6x", "-6m", "2026-01-15x"}) {
        EXPECT_EQ(Read(wrong), std::nullopt) << wrong;
    }
}

TEST(SearchDates, SpansBackFromTodayKeepTheDayOrTheMonthsEnd) {
    EXPECT_EQ(Read("0d"), D(2026, 12, 9));
    EXPECT_EQ(Read("30d"), D(2026, 11, 9));
    EXPECT_EQ(Read("6W"), D(2026, 10, 28));
    EXPECT_EQ(Read("6m"), D(2026, 6, 9));
    EXPECT_EQ(Read("1y"), D(2025, 12, 9));
    // Across the year's start, a month's end and leap days.
    EXPECT_EQ(Read("10d", D(2026, 1, 5)), D(2025, 12, 26));
    EXPECT_EQ(Read("1m", D(2026, 3, 31)), D(2026, 2, 28));
    EXPECT_EQ(Read("1m", D(2024, 3, 31)), D(2024, 2, 29));
    EXPECT_EQ(Read("1y", D(2024, 2, 29)), D(2023, 2, 28));
    EXPECT_EQ(Read("4y", D(2024, 2, 29)), D(2020, 2, 29));
    EXPECT_EQ(Read("1d", D(2024, 3, 1)), D(2024, 2, 29));
    EXPECT_EQ(Read("12m", D(2026, 5, 31)), D(2025, 5, 31));
}

TEST(SearchDates, TheLocalesShortDateWithItsCentury) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(Read("09.12.26", D(2026, 12, 9), german), D(2026, 12, 9));
    EXPECT_EQ(Read("12/9/26", D(2026, 12, 9), american), D(2026, 12, 9));
    EXPECT_EQ(Read("1/2/85", D(2026, 12, 9), american), D(1985, 1, 2));
    // Up to twenty years ahead stays in this century.
    EXPECT_EQ(Read("1/2/46", D(2026, 12, 9), american), D(2046, 1, 2));
    EXPECT_EQ(Read("1/2/47", D(2026, 12, 9), american), D(1947, 1, 2));
    EXPECT_EQ(Read("31/02/26", D(2026, 12, 9), QLocale(QLocale::English, QLocale::UnitedKingdom)),
              std::nullopt);
    EXPECT_EQ(Read("09.12.26", D(2026, 12, 9), american), std::nullopt);
}

}  // namespace
