#include "trend/ChartProfile.h"

#include <array>

namespace chart {

namespace {

// The overview's colours are the legend's (the captions of the process
// values panel). Every step starts at width 2; OP sets 1 and the series
// after it keep that width.
constexpr std::array<SeriesStyle, 7> kOverviewSeries{{
    {0, {255, 0, 0}, 2, Scale::Engineering},      // PV
    {1, {0, 0, 255}, 1, Scale::Percent},          // OP
    {2, {0, 128, 0}, 0, Scale::Engineering},      // SV
    {3, {0, 255, 255}, 0, Scale::Engineering},    // PV1
    {4, {255, 0, 255}, 0, Scale::Engineering},    // PV2
    {5, {0, 0, 0}, 0, Scale::Engineering},        // SV1
    {6, {128, 64, 64}, 0, Scale::Engineering},    // SV2
}};

// The history window draws six fixed series; PV2 shares OP's percent scale.
constexpr std::array<SeriesStyle, 6> kHistorySeries{{
    {2, {0, 64, 0}, 2, Scale::Engineering},       // SV
    {0, {255, 0, 0}, 2, Scale::Engineering},      // PV
    {1, {128, 128, 0}, 1, Scale::Percent},        // OP
    {3, {255, 0, 255}, 1, Scale::Engineering},    // PV1
    {4, {192, 64, 0}, 1, Scale::Percent},         // PV2
    {5, {0, 0, 255}, 1, Scale::Engineering},      // SV1
}};

} // namespace

const ChartProfile kOverviewChart{
    "pv_data", "w_id", 0, 7, {255, 255, 255}, 1, true, true, 625.0,
    kOverviewSeries, std::nullopt, false};

const ChartProfile kHistoryChart{
    "lpv_wdjl", "lw_id", 2, 6, {192, 255, 255}, 10, false, false, 0.0,
    kHistorySeries, Rgb{255, 192, 255}, true};

} // namespace chart
