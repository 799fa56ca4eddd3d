#pragma once
// The configuration registers as the configuration page shows them: eleven
// tabs, each one page grid over its own block of registers 4097 to 4255, and
// the three hint lists that explain the coded rows. Data only; the window
// (CONFIG1) walks these tables.
//
// Every tab's block lands in the one shared PageBuffer from element 1, so
// element i feeds row i whatever the tab. The bases are not evenly spaced:
// thirteen registers of the range have no row, and the blocks of tabs 0, 1,
// 2, 7 and 10 read a register or two past their last row.

#include "pages/ParameterPage.h"

#include <span>

namespace pages::config {

inline constexpr int kTabCount = 11;
// The shared PageBuffer: elements 0 to 100; a read fills 1 to its count.
inline constexpr size_t kBufferSize = 101;
// The read cadence of the page: its timer's tick, when a read is due.
inline constexpr int kTimerMs = 1000;

struct Tab {
    const char* caption;     // the tab's caption, blanks included
    PageDescription page;    // base, rows, read block and decimal rows
};
// Tabs 0 to 10; tab p holds MSFlexGrid(p + 1) and Text(p + 1).
std::span<const Tab> Tabs();

// A list of the coded items of an enumerated register, laid over the help
// cell of the rows given on its tab.
struct HintList {
    int tab;
    std::span<const int> rows;
    std::span<const char* const> items;
};
// Combo1 (tab 0), Combo2 (tab 1) and Combo7 (tab 6), in that order.
std::span<const HintList> HintLists();

} // namespace pages::config
