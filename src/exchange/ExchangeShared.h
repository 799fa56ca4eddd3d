#pragma once
// The import windows' buffers. They belong to the run, not to a window: a
// query fills one, and it keeps what it holds when its window is closed and
// opened again, so the configuration import's labels show the record loaded
// before. Both are all zero until the first query that finds a record.
//
//   ImportBuf       0..160 = CONF fields 4..164 = registers 4097..4257
//   CaliImportBuf   0..41  = Calibration fields 5..46 = registers 24577..24618

#include <array>
#include <cstdint>

inline std::array<int32_t, 201> ImportBuf{};
inline std::array<int32_t, 91> CaliImportBuf{};
