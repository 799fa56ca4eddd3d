#include "platform/basic/daynumbers.h"

#include <cmath>

namespace basic {

namespace {
const QDate kDayZero(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

double DayNumber(const QDate& date)
{
    return static_cast<double>(kDayZero.daysTo(date));
}

double TimeOfDayNumber(const QTime& time)
{
    return time.msecsSinceStartOfDay() / kMsPerDay;
}

DayStamp SplitDayStamp(const QDateTime& local)
{
    return {DayNumber(local.date()), TimeOfDayNumber(local.time())};
}

QDate DateFromDayNumber(double day)
{
    return kDayZero.addDays(static_cast<qint64>(std::floor(day)));
}

QTime TimeFromDayNumber(double fraction)
{
    double f = fraction - std::floor(fraction);
    qint64 ms = std::llround(f * kMsPerDay);
    if (ms >= static_cast<qint64>(kMsPerDay))
        ms = static_cast<qint64>(kMsPerDay) - 1;
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

QDateTime DateTimeFromDayNumbers(double day, double fraction)
{
    return QDateTime(DateFromDayNumber(day), TimeFromDayNumber(fraction));
}

QString ClockDateText(const QDateTime& now)
{
    return now.date().toString(QStringLiteral("MM-dd-yyyy"));
}

QString ClockTimeText(const QDateTime& now)
{
    return now.time().toString(QStringLiteral("hh:mm:ss"));
}

} // namespace basic
