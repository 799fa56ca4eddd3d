#include "trend/ChartKeys.h"

#include <Qt>
#include <array>

namespace chart {

namespace {

enum class Guard { None, CanZoomIn, CanZoomOut, PagedBack, NotAtOldest };

struct KeyBinding {
    int key;
    Guard guard;
    ChartAction action;
};

// The keys call the buttons' handlers directly, so a disabled button does
// not stop its key; the guards keep zoom and paging in range.
constexpr std::array<KeyBinding, 8> kKeys{{
    {Qt::Key_F2, Guard::CanZoomIn, ChartAction::ZoomIn},
    {Qt::Key_F1, Guard::CanZoomOut, ChartAction::ZoomOut},
    {Qt::Key_F6, Guard::PagedBack, ChartAction::PageNewer},
    {Qt::Key_F7, Guard::NotAtOldest, ChartAction::PageOlder},
    {Qt::Key_F4, Guard::None, ChartAction::Ruler},
    {Qt::Key_F3, Guard::None, ChartAction::Print},
    {Qt::Key_Escape, Guard::None, ChartAction::Exit},
    {Qt::Key_F5, Guard::None, ChartAction::Select},
}};

bool Holds(Guard guard, const ChartState& s)
{
    switch (guard) {
    case Guard::None: return true;
    case Guard::CanZoomIn: return s.ZoomLevel > 1;
    case Guard::CanZoomOut: return s.ZoomLevel < 4;
    case Guard::PagedBack: return s.PageBack > 0;
    case Guard::NotAtOldest: return !s.AtOldest;
    }
    return false;
}

} // namespace

std::optional<ChartAction> KeyAction(int qtKey, const ChartState& state)
{
    for (const KeyBinding& b : kKeys)
        if (b.key == qtKey)
            return Holds(b.guard, state) ? std::optional(b.action) : std::nullopt;
    return std::nullopt;
}

} // namespace chart
