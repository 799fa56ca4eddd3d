#pragma once
// Rows of the pages that repeat one short table of parameters for each of
// the controller's groups: row r = n (g - 1) + k for group g and parameter k
// (both from 1) of a table of n parameters. A row's name is "分组 ", the
// group number in plain digits and the parameter's name suffix; its help is
// either the parameter's own or built the same way from a help suffix. The
// suffixes are shown as stored, their blanks included.
//
// The texts are built once, when the rows are made, and live as long as the
// rows: a page keeps its rows in static storage and points its description
// at them.

#include "pages/ParameterPage.h"

#include <deque>
#include <span>
#include <string>
#include <vector>

namespace pages {

// One parameter of the repeated table (UTF-8).
struct GroupParameter {
    const char* nameSuffix;  // follows "分组 <g>" in the name
    const char* range;       // the same in every group
    const char* help;        // the help, or what follows "分组 <g>" in it
};

// Whether a parameter's help is the same in every group or names its group.
enum class GroupHelp { Shared, PerGroup };

class GroupedRows {
public:
    GroupedRows(std::span<const GroupParameter> parameters, int groups, GroupHelp help);

    std::span<const ParameterRow> Rows() const { return rows_; }

private:
    // A deque, so the texts never move while rows point into them.
    std::deque<std::string> texts_;
    std::vector<ParameterRow> rows_;
};

} // namespace pages
