#pragma once
// Rows of the pages that repeat one short table of parameters for each of
// the controller's groups (or the program's segments): row r = n (g - 1) + k
// for group g and parameter k (both from 1) of a table of n parameters. A
// row's name is the group's label ("分组 " and the group number in plain
// digits, by default) and the parameter's name suffix; its help is either
// the parameter's own or built the same way from a help suffix. The
// suffixes are shown as stored, their blanks included.
//
// The texts are built once, when the rows are made, and live as long as the
// rows: a page keeps its rows in static storage and points its description
// at them.

#include "pages/ParameterPage.h"

#include <array>
#include <deque>
#include <span>
#include <string>
#include <vector>

namespace pages {

// One parameter of the repeated table (UTF-8).
struct GroupParameter {
    const char* nameSuffix;  // follows the group's label in the name
    const char* range;       // the same in every group
    const char* help;        // the help, or what follows the group's label in it
};

// The text around the group's number in a name: "分组 <g>" on the grouped
// pages, "第 <k> 段：" for the program's segments.
struct GroupLabel {
    const char* before = "分组 ";
    const char* after = "";
};

// Whether a parameter's help is the same in every group or names its group.
enum class GroupHelp { Shared, PerGroup };

class GroupedRows {
public:
    GroupedRows(std::span<const GroupParameter> parameters, int groups, GroupHelp help,
                GroupLabel label = {});

    std::span<const ParameterRow> Rows() const { return rows_; }

private:
    // A deque, so the texts never move while rows point into them.
    std::deque<std::string> texts_;
    std::vector<ParameterRow> rows_;
};

// The rows first, first + step, ... (N of them): a parameter's row in every
// group, or every step-th row.
template <size_t N>
constexpr std::array<int, N> RowSeries(int first, int step)
{
    std::array<int, N> rows{};
    for (size_t i = 0; i < N; ++i)
        rows[i] = first + step * int(i);
    return rows;
}

} // namespace pages
