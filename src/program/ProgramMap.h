#pragma once
// The program curve's registers without widgets: the two blocks the
// program editor shows (ProgramBasic, registers 1001 to 1013, and
// ProgramSegments, 50 segments of ten parameters from 1017), their rows as
// page descriptions of the grid page mechanism, the value arrays behind
// the grids, and the bulk read that fills them.
//
// Row r of the basic grid is register 1000 + r and BasicValues(r - 1); row
// r of the segment grid is register 1016 + r and SegmentValues(r - 1), so
// parameter p of segment k is element 10(k - 1) + p. The arrays hold what
// the grids show: a ramp rate (parameter 1) in display units, a whole
// number, while its register holds ten times it.

#include "pages/ParameterPage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace program {

inline constexpr int kBasicRows = 13;
inline constexpr int kSegmentCount = 50;
inline constexpr int kSegmentParameters = 10;
inline constexpr int kSegmentRows = kSegmentCount * kSegmentParameters;

// The parameters of a segment that the profile reads.
enum SegmentParameter { SetpointParameter = 0, RateParameter = 1, TimeParameter = 2 };

// What the editor holds behind its grids. Element i of BasicValues is
// register 1001 + i (13 shown, 1014 read and never shown, one spare);
// element i of SegmentValues is register 1017 + i (500 shown, 1517 to 1528
// read and never shown, the rest spare).
struct ProgramValues {
    std::array<int32_t, 15> BasicValues{};
    std::array<int32_t, 551> SegmentValues{};
};

// The grids' pages: ProgramBasic (13 rows from 1001) and ProgramSegments
// (500 rows from 1017, the rate rows 2, 12, ... 492 as the decimal rows).
// Neither has a read of its own: the editor reads with ReadProgram, and
// row r shows element r - 1 of the grid's array.
const pages::PageDescription& BasicPage();
const pages::PageDescription& SegmentPage();

// A segment-grid row that holds a ramp rate (row 2 + 10j).
bool IsRateRow(int segmentRow);

// The load's values: basic elements 0 to 12 their defaults, segment
// elements 0 to 499 zero; the elements beyond the shown rows keep theirs.
void LoadDefaults(ProgramValues& values);

// "读仪表": one read of 16 from 1001 and eight of 64 from 1017, in this
// order, each followed by its progress value (8, 19, 29, ... 91; 0 before
// the first, 100 after the store). The reads stop at the first that fails
// and then neither array changes; when all succeed, BasicValues 0 to 13
// and SegmentValues 0 to 511 take the registers read, the rates (elements
// with index mod 10 = 1) divided by 10, rounded half to even. Returns 0,
// or the result of the read that failed.
int32_t ReadProgram(ProgramValues& values, const std::function<void(int)>& progress);

// The rate store of the read: a register value in tenths to display units.
int32_t RateFromRegister(int32_t registerValue);

} // namespace program
