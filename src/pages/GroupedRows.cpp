#include "pages/GroupedRows.h"

namespace pages {

GroupedRows::GroupedRows(std::span<const GroupParameter> parameters, int groups, GroupHelp help,
                         GroupLabel label)
{
    rows_.reserve(parameters.size() * size_t(groups > 0 ? groups : 0));
    for (int g = 1; g <= groups; ++g) {
        const std::string group = label.before + std::to_string(g) + label.after;
        for (const GroupParameter& p : parameters) {
            const char* name = texts_.emplace_back(group + p.nameSuffix).c_str();
            const char* helpText =
                help == GroupHelp::PerGroup ? texts_.emplace_back(group + p.help).c_str() : p.help;
            rows_.push_back({name, p.range, helpText});
        }
    }
}

} // namespace pages
