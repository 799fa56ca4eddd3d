#include "trend/YRange.h"

#include "platform/basic/numbers.h"

namespace chart {

bool AcceptYRange(const QString& maxText, const QString& minText, YRangeValues& target)
{
    // An empty box, or one without a leading number, is not read as 0.
    const std::optional<double> maxRead = basic::LeadingNumberIfAny(maxText);
    const std::optional<double> minRead = basic::LeadingNumberIfAny(minText);
    if (!maxRead || !minRead)
        return false;
    const double max = *maxRead;
    const double min = *minRead;
    if (max > 36000 || max < -12000)
        return false;
    if (min > 35000 || min < -12000 || min > max)
        return false;
    const auto rMin = basic::RoundToInteger(min);
    const auto rMax = basic::RoundToInteger(max);
    const auto rSpan = basic::RoundToInteger(max - min);
    if (!rMin || !rMax || !rSpan || *rSpan == 0)
        return false;
    target = {*rMin, *rMax, *rSpan};
    return true;
}

} // namespace chart
