#pragma once
// The chart windows' function keys: which key presses which button, and
// under what condition.

#include "trend/ChartState.h"

#include <optional>

namespace chart {

enum class ChartAction { ZoomIn, ZoomOut, PageNewer, PageOlder, Ruler, Print, Exit, Select };

// The action a key press runs (Qt key code), or nothing when the key is
// not a chart key or its guard does not hold in this state.
std::optional<ChartAction> KeyAction(int qtKey, const ChartState& state);

} // namespace chart
