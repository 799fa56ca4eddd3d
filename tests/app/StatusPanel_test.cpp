#include "app/StatusPanel.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using panel::LabelArray;
using panel::LabelWrite;

// One register holding one value (as the live table holds it, the division
// by ten already done), everything else 0.
struct Case {
    int reg;
    float value;
    LabelArray array;
    int element;
    const char* text;              // nullptr: the element gets no write
    std::optional<panel::Rgb> colour;
};

std::vector<LabelWrite> WritesFor(int reg, float value)
{
    std::array<float, 301> status{};
    std::array<float, 301> command{};
    if (reg <= 80)
        status[static_cast<size_t>(reg - 1)] = value;
    else
        command[static_cast<size_t>(reg - 301)] = value;
    return panel::StatusPanelWrites(status, command);
}

const LabelWrite* Find(const std::vector<LabelWrite>& writes, LabelArray array, int element)
{
    for (const LabelWrite& w : writes)
        if (w.array == array && w.element == element)
            return &w;
    return nullptr;
}

constexpr auto H = LabelArray::D_4WH;
constexpr auto W = LabelArray::D_4WW;
constexpr auto kWhite = panel::kWhite;
constexpr auto kLightRed = panel::kLightRed;
constexpr std::optional<panel::Rgb> kNoColour = std::nullopt;

const Case kCases[] = {
    // Program status: light red in every state, a missing code leaves it.
    {17, 0, H, 16, "停止", kLightRed},
    {17, 4, H, 16, "结束", kLightRed},
    {17, 3, H, 16, nullptr, kNoColour},
    {305, 2, W, 304, "暂停", kNoColour},
    {305, 3, W, 304, nullptr, kNoColour},
    // Mode and setpoint source: never coloured.
    {9, 1, H, 8, "手动", kNoColour},
    {309, 1, W, 308, "手动", kNoColour},
    {309, 2, W, 308, "待机", kNoColour},
    {10, 3, H, 9, nullptr, kNoColour},
    {10, 4, H, 9, "遥控SV", kNoColour},
    {10, 2, H, 9, "PROG", kNoColour},
    {310, 1, W, 309, "设定值2", kNoColour},
    {311, 1, W, 310, "程序模式", kNoColour},
    {313, 1, W, 312, "自整定开", kNoColour},
    // State colour: white for 0, light red otherwise.
    {25, 0, H, 24, "无等待", kWhite},
    {25, 1, H, 24, "偏差等待", kLightRed},
    {29, 0, H, 28, "OK", kWhite},
    {29, 1, H, 28, "BAD", kLightRed},
    {32, 1, H, 31, "BAD", kLightRed},
    {29, 1.5f, H, 28, nullptr, kNoColour},
    {33, 0, H, 32, "1 NO", kWhite},
    {35, 5, H, 34, "偏差带3", kLightRed},
    {35, 8, H, 34, nullptr, kNoColour},
    {36, 7, H, 35, "Sensor Bad 4", kLightRed},
    {34, 6, H, 33, "断线2", kLightRed},
    {33, -1, H, 32, nullptr, kNoColour},
    {37, 1, H, 36, "CLOSE", kLightRed},
    {41, 1, H, 40, "CLOSE", kLightRed},
    {58, 1, H, 57, "CLOSE", kLightRed},
    {50, 0, H, 49, "OPEN", kWhite},
    // Forced outputs read back: switch texts without colour.
    {317, 1, W, 316, "CLOSE", kNoColour},
    {325, 1, W, 324, "CLOSE", kNoColour},
    {325, 2, W, 324, nullptr, kNoColour},
    // Numbers in their plain text, never coloured.
    {1, 123, H, 0, "123", kNoColour},
    {2, 12.3f, H, 1, "12.3", kNoColour},
    {7, -3, H, 6, "-3", kNoColour},
    {15, 40, H, 14, "40", kNoColour},
    {24, 7, H, 23, "7", kNoColour},
    {77, 5, H, 76, "5", kNoColour},
    {301, -3, W, 300, "-3", kNoColour},
    {306, 25, W, 305, "25", kNoColour},
    {307, 20, W, 306, "20", kNoColour},
};

TEST(StatusPanel, RegisterValueGivesTextAndColourOrLeavesLabel)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "register " << c.reg << " = " << c.value);
        const auto writes = WritesFor(c.reg, c.value);
        const LabelWrite* w = Find(writes, c.array, c.element);
        if (!c.text) {
            EXPECT_EQ(w, nullptr) << "written with " << w->text.toStdString();
            continue;
        }
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->text, QString::fromUtf8(c.text));
        EXPECT_EQ(w->colour.has_value(), c.colour.has_value());
        if (w->colour && c.colour) {
            EXPECT_EQ(*w->colour, *c.colour);
        }
    }
}

// Each register shows in the element of its own index and nowhere else:
// changing one register changes exactly one write.
TEST(StatusPanel, EachRegisterShowsInItsOwnElementOnly)
{
    const auto base = WritesFor(1, 0);
    for (int reg : {1, 2, 8, 9, 13, 17, 26, 29, 33, 37, 58, 61, 68, 77, 78, 301, 305, 307, 317}) {
        SCOPED_TRACE(reg);
        const auto changed = WritesFor(reg, 1);
        int differences = 0;
        for (size_t i = 0; i < base.size() && i < changed.size(); ++i) {
            if (base[i].text != changed[i].text || base[i].colour != changed[i].colour) {
                ++differences;
                EXPECT_EQ(changed[i].element, reg - 1);
            }
        }
        // Registers without a label still get their (skipped) write in the
        // number steps; registers never read change nothing.
        EXPECT_EQ(differences, reg == 26 ? 0 : 1);
    }
}

// The first refresh, with the live tables at zero, reaches every label on
// the window once, but "当前" (D_4WH(25)), which nothing writes.
TEST(StatusPanel, AllZeroRefreshReachesEveryLabelButOne)
{
    const auto writes = panel::StatusPanelWrites({}, {});
    std::set<std::pair<LabelArray, int>> seen;
    for (const LabelWrite& w : writes)
        EXPECT_TRUE(seen.insert({w.array, w.element}).second) << w.element << " written twice";
    for (int e : panel::D_4WHElements())
        EXPECT_EQ(seen.count({H, e}), e == 25 ? 0u : 1u) << "D_4WH(" << e << ")";
    for (int e : panel::D_4WWElements())
        EXPECT_EQ(seen.count({W, e}), 1u) << "D_4WW(" << e << ")";
    for (int e : {303, 307, 311, 313, 314, 315, 325})
        EXPECT_EQ(seen.count({W, e}), 0u) << "D_4WW(" << e << ")";
}

} // namespace
