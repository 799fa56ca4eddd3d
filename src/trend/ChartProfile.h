#pragma once
// What distinguishes the two chart windows: the ring they show and how they
// draw it. Everything else in the engine is the same for both.

#include "platform/basic/Rgb.h"

#include <cstdint>
#include <optional>
#include <span>

namespace chart {

using basic::Rgb;

enum class Scale { Engineering, Percent };

struct SeriesStyle {
    int k;          // value index of the series
    Rgb colour;
    int penWidth;   // pixels; 0 keeps the width the step has so far
    Scale scale;
};

struct ChartProfile {
    const char* table;          // ring table as the window's queries name it
    const char* idField;        // its id field
    int headField;              // field of sl_void holding this ring's head
    int appendedValues;         // live values appended per new row
    Rgb background;
    int extrapolationSeconds;   // offset unit of label pairs 7 and 8
    bool usesCurveSel;          // series drawn only when CurveSel(k)
    bool setsCurveSelOnLoad;    // the set-up turns PV, OP and SV on
    double percentZero;         // twips above the bottom edge of 0 %
    std::span<const SeriesStyle> series;   // in drawing order
    // Background the live tick gives the readout labels back while the
    // ruler is off; none when the readout keeps its yellow.
    std::optional<Rgb> readoutLiveBackground;
    bool hidesYEditorAfterAccept;
};

// The overview's real-time curve over the short ring.
extern const ChartProfile kOverviewChart;
// The history window's long-period curve over the long ring.
extern const ChartProfile kHistoryChart;

} // namespace chart
