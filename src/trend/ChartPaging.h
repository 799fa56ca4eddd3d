#pragma once
// How far the paging keys may move a chart back through its ring.

#include <cstdint>
#include <optional>

namespace chart {

// The end id of the paged window pageBack pages (of 60 rows) behind
// headId, or nothing when that window would reach past the oldest row the
// ring holds:
// - a ring that has not wrapped holds ids 1 to headId, and its oldest page
//   must still end above id 321;
// - a wrapped ring holds 65500 rows, the oldest just above headId, and a
//   page may go back as long as its 321 rows stay newer than that.
// The result always lies in 1..65500.
std::optional<int32_t> PageWindowEnd(int32_t headId, bool ringWrapped, int pageBack);

} // namespace chart
