#pragma once
// The texts the charts show: stored day numbers as labels, the clock, and
// the Y-axis labels.

#include "platform/basic/daynumbers.h"

#include <QDateTime>
#include <QString>
#include <array>

namespace chart {

// The general text of a stored date value: a value without a date part as
// the time of day ("hh:mm:ss", to the nearest second), a value without a
// time part as the date ("yyyy/MM/dd"), both otherwise; 0 is midnight.
QString DateValueText(double value);

// The clock labels: the platform's clock texts, "MM-dd-yyyy" and
// "hh:mm:ss" (24-hour).
using basic::ClockDateText;
using basic::ClockTimeText;

// Label5(0) (bottom) to Label5(6) (top) for a span and minimum.
std::array<QString, 7> YAxisTexts(int16_t span, int16_t minimum);

} // namespace chart
