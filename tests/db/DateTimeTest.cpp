#include <gtest/gtest.h>

#include <QLocale>

#include "DateTime.h"

namespace {

DateTime::Fields FieldsOf(DateTime value) {
    DateTime::Fields f;
    EXPECT_TRUE(value.ToFields(f));
    return f;
}

void ExpectFields(DateTime value, int y, int mo, int d, int h, int mi, int s) {
    const DateTime::Fields f = FieldsOf(value);
    EXPECT_EQ(f.year, y);
    EXPECT_EQ(f.month, mo);
    EXPECT_EQ(f.day, d);
    EXPECT_EQ(f.hour, h);
    EXPECT_EQ(f.minute, mi);
    EXPECT_EQ(f.second, s);
}

// Sets the user's locale for one test and puts the system's back afterwards.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::system()); }
};

TEST(DateTimeValue, KnownDaysOfTheCount) {
    EXPECT_EQ(DateTime::FromFields(1899, 12, 30).Value(), 0.0);
    EXPECT_EQ(DateTime::FromFields(1899, 12, 31).Value(), 1.0);
    EXPECT_EQ(DateTime::FromFields(1900, 1, 1).Value(), 2.0);
    EXPECT_EQ(DateTime::FromFields(1900, 3, 1).Value(), 61.0);
    EXPECT_EQ(DateTime::FromFields(2005, 3, 1).Value(), 38412.0);
    EXPECT_EQ(DateTime::FromFields(100, 1, 1).Value(), -657434.0);
    EXPECT_EQ(DateTime::FromFields(9999, 12, 31).Value(), 2958465.0);
    EXPECT_DOUBLE_EQ(DateTime::FromFields(1899, 12, 30, 18, 0, 0).Value(), 0.75);
}

TEST(DateTimeValue, BeforeTheEpochTheFractionIsStillTheTimeOfDay) {
    EXPECT_DOUBLE_EQ(DateTime::FromFields(1899, 12, 29, 6, 0, 0).Value(), -1.25);
    ExpectFields(DateTime(-1.25), 1899, 12, 29, 6, 0, 0);
    ExpectFields(DateTime(-2.5), 1899, 12, 28, 12, 0, 0);
    ExpectFields(DateTime(-0.5), 1899, 12, 30, 12, 0, 0);
}

TEST(DateTimeValue, FieldsRoundTripOverTheWholeRange) {
    int checked = 0;
    for (int year = 100; year <= 9999; year += 37) {
        for (int month = 1; month <= 12; month += 5) {
            for (int day : {1, 15, 28}) {
                const int hour = (year + day) % 24, minute = (year * 7) % 60,
                          second = (month * 13 + day) % 60;
                const DateTime v = DateTime::FromFields(year, month, day, hour, minute, second);
                ASSERT_TRUE(v.IsValid()) << year << "-" << month << "-" << day;
                ExpectFields(v, year, month, day, hour, minute, second);
                ++checked;
            }
        }
    }
    ExpectFields(DateTime::FromFields(9999, 12, 31, 23, 59, 59), 9999, 12, 31, 23, 59, 59);
    ExpectFields(DateTime::FromFields(100, 1, 1, 23, 59, 59), 100, 1, 1, 23, 59, 59);
    ExpectFields(DateTime::FromFields(2000, 2, 29, 12, 0, 0), 2000, 2, 29, 12, 0, 0);
    EXPECT_GT(checked, 2000);
}

TEST(DateTimeValue, DayCountAgreesWithQtsCalendar) {
    // QDate counts proleptic Gregorian days too; any off-by-one in leap years or century
    // rules shows up as a difference.
    const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    for (QDate d(100, 1, 1); d <= QDate(9999, 12, 31); d = d.addDays(13)) {
        const DateTime v = DateTime::FromFields(d.year(), d.month(), d.day());
        ASSERT_EQ(v.Value(), double(d.toJulianDay() - epoch))
            << d.toString(Qt::ISODate).toStdString();
        ASSERT_EQ(v.Date(), d);
    }
    for (QDate d(1899, 1, 1); d <= QDate(1901, 12, 31); d = d.addDays(1)) {
        ASSERT_EQ(DateTime::FromFields(d.year(), d.month(), d.day()).Date(), d);
    }
}

TEST(DateTimeValue, SecondsRoundToTheNearestAndCarry) {
    const double oneSecond = 1.0 / 86400;
    ExpectFields(DateTime(38412.0 + 9 * 3600 * oneSecond + 0.4 * oneSecond), 2005, 3, 1, 9, 0, 0);
    ExpectFields(DateTime(38413.0 - 0.2 * oneSecond), 2005, 3, 2, 0, 0, 0);
    ExpectFields(DateTime(-1.0 - 0.99999999), 1899, 12, 30, 0, 0, 0);
}

TEST(DateTimeValue, InvalidFieldsGiveTheInvalidValue) {
    EXPECT_FALSE(DateTime::FromFields(2005, 13, 1).IsValid());
    EXPECT_FALSE(DateTime::FromFields(2005, 0, 1).IsValid());
    EXPECT_FALSE(DateTime::FromFields(2005, 2, 29).IsValid());
    EXPECT_TRUE(DateTime::FromFields(2004, 2, 29).IsValid());
    EXPECT_FALSE(DateTime::FromFields(1900, 2, 29).IsValid());
    EXPECT_FALSE(DateTime::FromFields(2005, 4, 31).IsValid());
    EXPECT_FALSE(DateTime::FromFields(2005, 1, 0).IsValid());
    EXPECT_FALSE(DateTime::FromFields(2005, 1, 1, 24, 0, 0).IsValid());
    EXPECT_FALSE(DateTime::FromFields(2005, 1, 1, 0, 60, 0).IsValid());
    EXPECT_FALSE(DateTime::FromFields(2005, 1, 1, 0, 0, 60).IsValid());
    EXPECT_FALSE(DateTime::FromFields(10000, 1, 1).IsValid());
    EXPECT_FALSE(DateTime::FromFields(99, 12, 31).IsValid());
    EXPECT_EQ(DateTime::FromFields(2005, 13, 1).Value(), -657435.0);
}

TEST(DateTimeValue, OutOfRangeValuesAreInvalid) {
    EXPECT_FALSE(DateTime().IsValid());
    EXPECT_FALSE(DateTime(-657435.0).IsValid());
    EXPECT_FALSE(DateTime(-657436.0).IsValid());
    EXPECT_FALSE(DateTime(2958466.0).IsValid());
    EXPECT_FALSE(DateTime(1e300).IsValid());
    EXPECT_TRUE(DateTime(-657434.0).IsValid());
    EXPECT_TRUE(DateTime(2958465.0).IsValid());
    EXPECT_TRUE(DateTime(2958465.5).IsValid());
    DateTime::Fields f;
    EXPECT_FALSE(DateTime(3e6).ToFields(f));
    EXPECT_FALSE(DateTime().Date().isValid());
}

TEST(StoredTimeStamp, FormatsWithFourDigitYearsAndZeroPadding) {
    EXPECT_EQ(FormatStoredTimeStamp(DateTime::FromFields(2005, 3, 1, 9, 5, 0)),
              "2005-03-01 09:05:00");
    EXPECT_EQ(FormatStoredTimeStamp(DateTime::FromFields(999, 1, 2, 3, 4, 5)),
              "0999-01-02 03:04:05");
    EXPECT_EQ(FormatStoredTimeStamp(DateTime::FromFields(1899, 12, 29, 6, 0, 0)),
              "1899-12-29 06:00:00");
    EXPECT_EQ(FormatStoredTimeStamp(DateTime()), "");
}

TEST(StoredTimeStamp, TextOrderIsTimeOrder) {
    const std::string a = FormatStoredTimeStamp(DateTime::FromFields(999, 12, 31, 23, 0, 0));
    const std::string b = FormatStoredTimeStamp(DateTime::FromFields(1000, 1, 1, 0, 0, 0));
    const std::string c = FormatStoredTimeStamp(DateTime::FromFields(1899, 12, 29, 6, 0, 0));
    const std::string d = FormatStoredTimeStamp(DateTime::FromFields(2005, 3, 1, 9, 5, 0));
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_LT(c, d);
}

TEST(ParseDateTime, ReadsTheStoredForm) {
    EXPECT_EQ(ParseDateTime("2005-03-01 09:05:00"), DateTime::FromFields(2005, 3, 1, 9, 5, 0));
    EXPECT_EQ(ParseDateTime("0999-01-02 03:04:05"), DateTime::FromFields(999, 1, 2, 3, 4, 5));
    EXPECT_EQ(ParseDateTime("2005-03-01"), DateTime::FromFields(2005, 3, 1));
    EXPECT_EQ(ParseDateTime("  2005-03-01 23:59:59  "),
              DateTime::FromFields(2005, 3, 1, 23, 59, 59));
    for (const DateTime v :
         {DateTime::FromFields(100, 1, 1), DateTime::FromFields(9999, 12, 31, 23, 59, 59),
          DateTime::FromFields(1899, 12, 29, 6, 0, 0)}) {
        EXPECT_EQ(ParseDateTime(FormatStoredTimeStamp(v)), v);
    }
}

TEST(ParseDateTime, UnreadableTextIsInvalid) {
    for (const char* text :
         {"NEW", "", "   ", "garbage", "2005-13-01 00:00:00", "2005-02-30", "2005-03-01 25:00:00",
          "2005-03-01 10:61", "2005-03-01 09:05:00 XY", "13 PM", "1/2", "12:30 PM extra"}) {
        EXPECT_FALSE(ParseDateTime(text).IsValid()) << text;
    }
}

TEST(ParseDateTime, ReadsTheUsShortDate) {
    LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(ParseDateTime("3/1/2005"), DateTime::FromFields(2005, 3, 1));
    EXPECT_EQ(ParseDateTime("3/1/05"), DateTime::FromFields(2005, 3, 1));
    EXPECT_EQ(ParseDateTime("3/1/75"), DateTime::FromFields(1975, 3, 1));
    EXPECT_EQ(ParseDateTime("3/1/2005 9:05 PM"), DateTime::FromFields(2005, 3, 1, 21, 5, 0));
    EXPECT_EQ(ParseDateTime("3/1/2005 9:05:07 am"), DateTime::FromFields(2005, 3, 1, 9, 5, 7));
    EXPECT_EQ(ParseDateTime("3/1/2005 12:00 AM"), DateTime::FromFields(2005, 3, 1, 0, 0, 0));
    EXPECT_EQ(ParseDateTime("3/1/2005 12:30 PM"), DateTime::FromFields(2005, 3, 1, 12, 30, 0));
    EXPECT_EQ(ParseDateTime("3/1/2005 21:05"), DateTime::FromFields(2005, 3, 1, 21, 5, 0));
    EXPECT_EQ(ParseDateTime("3/1/2005 9:05\u202fPM"), DateTime::FromFields(2005, 3, 1, 21, 5, 0));
    EXPECT_FALSE(ParseDateTime("13/1/2005").IsValid());
    EXPECT_FALSE(ParseDateTime("3/1/2005 13:05 PM").IsValid());
}

TEST(ParseDateTime, ReadsTheGermanShortDate) {
    LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ParseDateTime("01.03.2005"), DateTime::FromFields(2005, 3, 1));
    EXPECT_EQ(ParseDateTime("1.3.05 21:05:09"), DateTime::FromFields(2005, 3, 1, 21, 5, 9));
    EXPECT_EQ(ParseDateTime("13.01.2005 9:05"), DateTime::FromFields(2005, 1, 13, 9, 5, 0));
    EXPECT_EQ(ParseDateTime("2005-03-01 09:05:00"), DateTime::FromFields(2005, 3, 1, 9, 5, 0));
}

TEST(DisplayFormat, FollowsTheUsersLocale) {
    const DateTime v = DateTime::FromFields(2005, 3, 1, 21, 5, 9);
    {
        LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(FormatDisplayDate(v), "3/1/2005");
        const std::string time = FormatDisplayTime(v);
        EXPECT_EQ(time.substr(0, 7), "9:05:09") << time;
        EXPECT_NE(time.find("PM"), std::string::npos) << time;
        EXPECT_EQ(ParseDateTime(FormatDisplayDate(v) + " " + time), v);
    }
    {
        LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(FormatDisplayDate(v), "01.03.2005");
        EXPECT_EQ(FormatDisplayTime(v), "21:05:09");
        EXPECT_EQ(ParseDateTime(FormatDisplayDate(v) + " " + FormatDisplayTime(v)), v);
    }
}

TEST(DisplayFormat, KeepsTheCenturyAndEmptiesInvalidValues) {
    LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatDisplayDate(DateTime::FromFields(1925, 7, 4)), "04.07.1925");
    EXPECT_EQ(ParseDateTime(FormatDisplayDate(DateTime::FromFields(1925, 7, 4))),
              DateTime::FromFields(1925, 7, 4));
    EXPECT_EQ(FormatDisplayDate(DateTime()), "");
    EXPECT_EQ(FormatDisplayTime(DateTime()), "");
}

TEST(FromLocalNow, IsTheCurrentSecond) {
    const QDateTime now = QDateTime::currentDateTime();
    const DateTime v = FromLocalNow();
    ASSERT_TRUE(v.IsValid());
    EXPECT_LE(std::abs(QDateTime(v.Date(), v.Time()).secsTo(now)), 2);
    DateTime::Fields f = FieldsOf(v);
    EXPECT_EQ(DateTime::FromFields(f), v);
}

TEST(DateTimeValue, PickerDatesConvertBothWays) {
    const DateTime v = DateTime::FromDateAndTime(QDate(1776, 7, 4), QTime(15, 30, 0));
    EXPECT_EQ(v, DateTime::FromFields(1776, 7, 4, 15, 30, 0));
    EXPECT_EQ(v.Date(), QDate(1776, 7, 4));
    EXPECT_EQ(v.Time(), QTime(15, 30, 0));
    EXPECT_FALSE(DateTime::FromDateAndTime(QDate(), QTime(1, 0)).IsValid());
}

}  // namespace
