#pragma once
// The state of one chart window's engine: the sample buffers, the window of
// ring ids they hold, and the zoom, paging and ruler state.

#include "platform/db/Tables.h"

#include <array>
#include <cstdint>

namespace chart {

inline constexpr int LiveWindowSize = 241;
inline constexpr int PagedWindowSize = 321;
inline constexpr int PageStep = 60;
// A time step larger than this before a sample is a gap: with whole-second
// times, a step of 300 s or more.
inline constexpr double GapDays = 0.00347222;
inline constexpr int32_t RingMaxId = db::ring::MaxId;

inline constexpr int SampleSlots = 323;    // samples 0..322
inline constexpr int ValueSlots = 25;      // value index 0..24
inline constexpr int ClearedSamples = 322; // ClearTrendBuffers zeroes 0..321
inline constexpr int ClearedValues = 9;    // ... and values 0..8
inline constexpr int RecordedValues = 8;   // fields 3..10 of a ring row

struct ChartState {
    // TrendVal[k][j]: value k of sample j, k in the order of StatusValues.
    std::array<std::array<float, SampleSlots>, ValueSlots> TrendVal{};
    std::array<double, SampleSlots> TrendDate{};
    std::array<double, SampleSlots> TrendTime{};
    std::array<int16_t, SampleSlots> GapMark{};

    int32_t WindowEnd = 0;
    int32_t WindowStart = 0;
    int32_t WindowSize = 0;
    int32_t HeadId = 0;
    // Whether the ring held rows above HeadId at the last live load, i.e.
    // the recorder has gone round once; paging may then reach them.
    bool RingWrapped = false;

    int PointCount = 0;
    int LastIndex = 0;
    int WriteIndex = 0;
    int ZoomLevel = 0;

    float StepX = 0;
    float StepX2 = 0;
    int FirstIndex = 0;
    int FirstIndex2 = 0;

    int PageBack = 0;
    bool AtOldest = false;
    bool RulerMode = false;
};

inline bool IsSampleIndex(int j) { return j >= 0 && j < SampleSlots; }

} // namespace chart
