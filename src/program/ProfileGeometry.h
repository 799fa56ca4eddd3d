#pragma once
// The program profile as geometry, without widgets: from the editor's value
// arrays and the live PV to the plot's state, the texts of its labels and
// the lines on its canvas, in canvas units (15008 across, 9008 down, origin
// top left, y growing downwards). The window's canvas only paints what is
// computed here.
//
// One straight ramp per segment from the previous setpoint to its own, over
// the segment's time; the value axis spans 1.2 times the setpoints' range
// from the smallest setpoint on the bottom edge, the time axis 15 label
// intervals of a whole step that covers the total time.

#include "program/ProgramMap.h"

#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace program {

inline constexpr double kCanvasWidth = 15008;
inline constexpr double kCanvasHeight = 9008;

// Entry 0 is the start point (its SV only), 1 to 50 the segments; the rest
// are never filled.
struct ProfileEntry {
    int16_t SV = 0;     // setpoint
    int16_t Rate = 0;   // ramp rate in display units
    int16_t Time = 0;   // the segment's time in the curve's unit
};

// What the plot keeps for the whole run, whichever window shows it.
// ProfileRange, ValueScale and ValueOffset are wide: setpoints of 1000 and
// more put ValueOffset far beyond 16 bits.
struct PlotState {
    std::array<ProfileEntry, 61> ProfilePoint{};
    int16_t ProfileMax = 0;
    int16_t ProfileMin = 0;
    int32_t ProfileRange = 0;
    float ValueStep = 0;    // value between two value-axis labels
    float ValueScale = 0;   // canvas units per value unit
    int32_t ValueOffset = 0;
    float TimeScale = 0;    // canvas units per time unit
};

// Which pen a line is drawn with.
enum class PlotPen {
    Grid,       // the dotted grid
    Boundary,   // the dashed end of a segment
    Ramp,       // a segment's ramp
};

struct PlotLine {
    QPointF from, to;   // canvas units
    PlotPen pen;
};

// One redraw: the texts of the labels and every line in drawing order (the
// grid, then each segment's boundary and ramp).
struct ProfilePicture {
    QString Label5;                    // ProfileMax
    QString Label10;                   // ProfileMin
    QString LABEL11;                   // ValueStep
    std::array<QString, 10> Label6;    // value-axis labels, bottom to top
    std::array<QString, 16> Label8;    // time-axis labels, left to right
    std::vector<PlotLine> lines;
};

// DrawPlotGrid: 46 horizontal lines every 200 units and 16 vertical ones
// every 1000 (the first at 2).
std::vector<PlotLine> PlotGrid();

// DrawTimeAxis: the time labels from the segments' total time, and
// TimeScale; a step of 0 (a total of -29 to -15) keeps TimeScale.
std::array<QString, 16> DrawTimeAxis(PlotState& state);

// RedrawProfile: the start point (register 1010 when register 1009 is not
// 0, else the live PV rounded half to even), the segments, the value axis
// and the lines. A value that does not fit 16 bits leaves its entry as it
// was. With all setpoints equal (a range of 0) everything lies on the
// bottom edge.
ProfilePicture RedrawProfile(PlotState& state, const ProgramValues& values, float pv);

// A number through the pattern "00000": rounded half away from zero, at
// least five digits, a minus sign before a negative value.
QString FiveDigits(float value);

} // namespace program
