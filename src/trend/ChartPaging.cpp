#include "trend/ChartPaging.h"

#include "trend/ChartState.h"

namespace chart {

std::optional<int32_t> PageWindowEnd(int32_t headId, bool ringWrapped, int pageBack)
{
    if (pageBack < 1 || headId < 0 || headId > RingMaxId)
        return std::nullopt;
    // 32-bit: the deepest page of a wrapped ring is 1086 pages back.
    const int32_t back = PageStep * static_cast<int32_t>(pageBack);
    if (!ringWrapped) {
        if (headId - back > PagedWindowSize)
            return headId - back;
        return std::nullopt;
    }
    if (back + PagedWindowSize > RingMaxId)
        return std::nullopt;
    int32_t end = headId - back;
    if (end < 1)
        end += RingMaxId;
    return end;
}

} // namespace chart
