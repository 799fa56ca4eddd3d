#include "app/StatusPanel.h"

#include "platform/basic/numbers.h"

namespace panel {

namespace {

constexpr CodeText ModeTexts[] = {{0, "自动"}, {1, "手动"}, {2, "待机"}};
constexpr CodeText SvSourceTexts[] = {{0, "SV1"}, {1, "SV2"}, {2, "PROG"}, {4, "遥控SV"}};
constexpr CodeText ProgramStatusTexts[] = {{0, "停止"}, {1, "运行"}, {2, "暂停"}, {4, "结束"}};
constexpr CodeText DeviationWaitTexts[] = {{0, "无等待"}, {1, "偏差等待"}};
constexpr CodeText SensorTexts[] = {{0, "OK"}, {1, "BAD"}};
constexpr CodeText SwitchStateTexts[] = {{0, "OPEN"}, {1, "CLOSE"}};
constexpr CodeText SvChoiceTexts[] = {{0, "设定值1"}, {1, "设定值2"}};
constexpr CodeText SvModeTexts[] = {{0, "固定SV"}, {1, "程序模式"}};
constexpr CodeText AutotuneTexts[] = {{0, "自整定关"}, {1, "自整定开"}};

// One set of texts per alarm; the alarm's number is part of each text.
constexpr CodeText AlarmTypeTexts1[] = {{0, "1 NO"},    {1, "上限1"},   {2, "下限1"},
                                        {3, "上偏差1"}, {4, "下偏差1"}, {5, "偏差带1"},
                                        {6, "断线1"},   {7, "Sensor Bad 1"}};
constexpr CodeText AlarmTypeTexts2[] = {{0, "2 NO"},    {1, "上限2"},   {2, "下限2"},
                                        {3, "上偏差2"}, {4, "下偏差2"}, {5, "偏差带2"},
                                        {6, "断线2"},   {7, "Sensor Bad 2"}};
constexpr CodeText AlarmTypeTexts3[] = {{0, "3 NO"},    {1, "上限3"},   {2, "下限3"},
                                        {3, "上偏差3"}, {4, "下偏差3"}, {5, "偏差带3"},
                                        {6, "断线3"},   {7, "Sensor Bad 3"}};
constexpr CodeText AlarmTypeTexts4[] = {{0, "4 NO"},    {1, "上限4"},   {2, "下限4"},
                                        {3, "上偏差4"}, {4, "下偏差4"}, {5, "偏差带4"},
                                        {6, "断线4"},   {7, "Sensor Bad 4"}};

constexpr TextTable kNumber{};
using enum LabelArray;
using enum Colouring;

constexpr PanelStep kSteps[] = {
    {D_4WW, 300, 302, kNumber, None},
    {D_4WW, 304, 304, ProgramStatusTexts, None},
    {D_4WW, 305, 306, kNumber, None},
    {D_4WW, 308, 308, ModeTexts, None},
    {D_4WW, 309, 309, SvChoiceTexts, None},
    {D_4WW, 310, 310, SvModeTexts, None},
    {D_4WW, 312, 312, AutotuneTexts, None},
    {D_4WW, 316, 324, SwitchStateTexts, None},
    {D_4WH, 0, 7, kNumber, None},
    {D_4WH, 8, 8, ModeTexts, None},
    {D_4WH, 9, 9, SvSourceTexts, None},
    {D_4WH, 10, 15, kNumber, None},
    {D_4WH, 16, 16, ProgramStatusTexts, AlwaysLightRed},
    {D_4WH, 17, 23, kNumber, None},
    {D_4WH, 24, 24, DeviationWaitTexts, State},
    {D_4WH, 28, 31, SensorTexts, State},
    {D_4WH, 32, 32, AlarmTypeTexts1, State},
    {D_4WH, 33, 33, AlarmTypeTexts2, State},
    {D_4WH, 34, 34, AlarmTypeTexts3, State},
    {D_4WH, 35, 35, AlarmTypeTexts4, State},
    {D_4WH, 36, 57, SwitchStateTexts, State},
    {D_4WH, 60, 79, kNumber, None},
};

constexpr int kD_4WHElements[] = {
    0,  1,  2,  3,  4,  5,  6,  8,  9,  12, 13, 14, 16, 17, 18, 19, 20, 21, 22, 23,
    24, 25, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
    46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 60, 61, 62, 63, 64, 65, 66, 68,
    69, 70, 71, 72, 73, 74, 75, 76};
constexpr int kD_4WWElements[] = {300, 301, 302, 304, 305, 306, 308, 309, 310,
                                  312, 316, 317, 318, 319, 320, 321, 322, 323, 324};

float SourceValue(LabelArray array, int element, const std::array<float, 301>& status,
                  const std::array<float, 301>& command)
{
    const auto index = static_cast<size_t>(array == D_4WH ? element : element - 300);
    return array == D_4WH ? status.at(index) : command.at(index);
}

} // namespace

std::span<const int> D_4WHElements() { return kD_4WHElements; }
std::span<const int> D_4WWElements() { return kD_4WWElements; }

std::optional<QString> TextForValue(TextTable table, float value)
{
    for (const CodeText& row : table) {
        if (value == static_cast<float>(row.code))
            return QString::fromUtf8(row.text);
    }
    return std::nullopt;
}

std::vector<LabelWrite> StatusPanelWrites(const std::array<float, 301>& statusValues,
                                          const std::array<float, 301>& commandValues)
{
    std::vector<LabelWrite> writes;
    writes.reserve(100);
    for (const PanelStep& step : kSteps) {
        for (int element = step.first; element <= step.last; ++element) {
            const float value = SourceValue(step.array, element, statusValues, commandValues);
            if (step.table.empty()) {
                writes.push_back({step.array, element, basic::PlainText(value), std::nullopt});
                continue;
            }
            std::optional<QString> text = TextForValue(step.table, value);
            if (!text)
                continue;
            std::optional<Rgb> colour;
            if (step.colouring == State)
                colour = value == 0.0f ? kWhite : kLightRed;
            else if (step.colouring == AlwaysLightRed)
                colour = kLightRed;
            writes.push_back({step.array, element, std::move(*text), colour});
        }
    }
    return writes;
}

} // namespace panel
