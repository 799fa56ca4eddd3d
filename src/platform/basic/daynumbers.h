#pragma once
// Day numbers as the database stores them: the date as whole days since
// 30 December 1899, the time of day as a fraction of a day, both taken from
// one clock reading so a stamp at midnight cannot mix two days.

#include <QDateTime>
#include <QString>

namespace basic {

struct DayStamp {
    double date = 0;   // whole days since 1899-12-30
    double time = 0;   // fraction of the day, 0 <= time < 1
};

double DayNumber(const QDate& date);
double TimeOfDayNumber(const QTime& time);
DayStamp SplitDayStamp(const QDateTime& local);

// The inverse, for showing stored values.
QDate DateFromDayNumber(double day);
QTime TimeFromDayNumber(double fraction);
QDateTime DateTimeFromDayNumbers(double day, double fraction);

// A clock reading as the station's clock labels show it: "MM-dd-yyyy" and
// "hh:mm:ss" (24-hour). The charts' clock and the clock page's PC date and
// time are the same texts.
QString ClockDateText(const QDateTime& now);
QString ClockTimeText(const QDateTime& now);

} // namespace basic
