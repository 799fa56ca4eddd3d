#pragma once
// Day numbers as the database stores them: the date as whole days since
// 30 December 1899, the time of day as a fraction of a day, both taken from
// one clock reading so a stamp at midnight cannot mix two days.

#include <QDateTime>

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

} // namespace basic
