// Rows generated from a group table: the walk of groups and parameters,
// the group number in the name (and in the help where it belongs), the
// blanks of the suffixes, and texts that stay put while the rows live.

#include "pages/GroupedRows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using pages::GroupHelp;
using pages::GroupParameter;
using pages::GroupedRows;

constexpr GroupParameter kTable[] = {
    {" 甲", "0-1", " 说明甲"},
    {" 乙 ", "0-2 ", "说明乙"},
};

TEST(GroupedRows, RowsWalkGroupsThenParameters)
{
    const GroupedRows shared(kTable, 10, GroupHelp::Shared);
    const GroupedRows perGroup(kTable, 10, GroupHelp::PerGroup);
    ASSERT_EQ(shared.Rows().size(), 20u);
    ASSERT_EQ(perGroup.Rows().size(), 20u);
    const struct {
        size_t row;   // from 1
        const char* name;
        const char* range;
        const char* sharedHelp;
        const char* groupHelp;
    } cases[] = {
        {1, "分组 1 甲", "0-1", " 说明甲", "分组 1 说明甲"},
        {2, "分组 1 乙 ", "0-2 ", "说明乙", "分组 1说明乙"},
        {3, "分组 2 甲", "0-1", " 说明甲", "分组 2 说明甲"},
        {20, "分组 10 乙 ", "0-2 ", "说明乙", "分组 10说明乙"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const pages::ParameterRow& s = shared.Rows()[c.row - 1];
        const pages::ParameterRow& g = perGroup.Rows()[c.row - 1];
        EXPECT_STREQ(s.name, c.name);
        EXPECT_STREQ(g.name, c.name);
        EXPECT_STREQ(s.range, c.range);
        EXPECT_STREQ(s.help, c.sharedHelp);
        EXPECT_STREQ(g.help, c.groupHelp);
    }
}

// The rows point into texts the object keeps: the pointers of the first
// rows still read right after every later row was built.
TEST(GroupedRows, TextsStayWhereTheRowsPoint)
{
    const GroupedRows rows(kTable, 100, GroupHelp::PerGroup);
    ASSERT_EQ(rows.Rows().size(), 200u);
    EXPECT_STREQ(rows.Rows()[0].name, "分组 1 甲");
    EXPECT_STREQ(rows.Rows()[0].help, "分组 1 说明甲");
    EXPECT_STREQ(rows.Rows()[199].name, "分组 100 乙 ");
}

} // namespace
