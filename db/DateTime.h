#pragma once

#include <string>

#include <QDate>
#include <QTime>

// A local date and time as days since midnight of 30 December 1899, the fraction being the time
// of day. Before that midnight the value is negative and its fraction, taken as a positive
// amount, is still the time of day (-1.25 is 29 December 1899, 06:00).
class DateTime {
public:
    static constexpr double kInvalidValue = -657435.0;
    static constexpr double kFirstDay = -657434.0;  // 1 January 100
    static constexpr double kLastDay = 2958465.0;   // 31 December 9999

    struct Fields {
        int year = 0;
        int month = 0;
        int day = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
    };

    DateTime() = default;
    // A value outside the valid range becomes the invalid value.
    explicit DateTime(double value);

    // Fields that do not form a date and time between the years 100 and 9999 give the invalid
    // value.
    static DateTime FromFields(const Fields& fields);
    static DateTime FromFields(int year, int month, int day, int hour = 0, int minute = 0,
                               int second = 0);
    // For the date and time pickers. An invalid date gives the invalid value.
    static DateTime FromDateAndTime(const QDate& date, const QTime& time);

    bool IsValid() const { return value_ != kInvalidValue; }
    double Value() const { return value_; }
    // Rounded to the second. False for the invalid value.
    bool ToFields(Fields& fields) const;
    QDate Date() const;
    QTime Time() const;

    friend bool operator==(DateTime a, DateTime b) { return a.value_ == b.value_; }
    friend bool operator!=(DateTime a, DateTime b) { return a.value_ != b.value_; }

private:
    double value_ = kInvalidValue;
};

// "%Y-%m-%d %H:%M:%S", the form of DtTm, of C and S of Globals and of the engine's
// datetime('now', 'localtime'). Empty for the invalid value.
std::string FormatStoredTimeStamp(DateTime value);

// Reads the stored form and the user's numeric short date with an optional time (12- or
// 24-hour, with or without an AM/PM designator). Unreadable text gives the invalid value.
DateTime ParseDateTime(const std::string& text);

// The current local date and time, to the second.
DateTime FromLocalNow();

// The date part in the user's short date format (always with the full year) and the time part
// in the user's time format. Empty for the invalid value. The user's locale is QLocale(), which
// is the system locale unless a test sets another default.
std::string FormatDisplayDate(DateTime value);
std::string FormatDisplayTime(DateTime value);
// The same formats as Qt format strings, for the date and time pickers.
QString DisplayDateFormat();
QString DisplayTimeFormat();
