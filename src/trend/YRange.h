#pragma once
// The Y range editor's "修改Y": the maximum and minimum typed into YKD and
// YKD1 become YMin, YMax and YSpan.

#include <QString>
#include <cstdint>

namespace chart {

struct YRangeValues {
    int16_t min = 0, max = 0, span = 0;
};

// Accepts -12000 <= max <= 36000, -12000 <= min <= 35000 and min < max.
// All three values are assigned together or not at all: an empty box, a
// text without a number, a span that rounds to 0 or a value that does not
// fit 16 bits changes nothing. Returns whether the range was taken.
bool AcceptYRange(const QString& maxText, const QString& minText, YRangeValues& target);

} // namespace chart
