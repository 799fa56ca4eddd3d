#pragma once
// The drawing of a chart as a list of line primitives in canvas twips, with
// the texts of the time and date labels under it. Computed at each redraw;
// the canvas only replays it.

#include "trend/ChartProfile.h"
#include "trend/ChartState.h"

#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace chart {

inline constexpr double CanvasWidth = 12008;   // twips
inline constexpr double CanvasHeight = 7508;

enum class LineStyle { Solid, Dot, Dash };

struct LinePrimitive {
    QPointF from, to;      // twips, origin top left, y down
    Rgb colour;
    int width;             // pixels
    LineStyle style;
};

struct ChartPicture {
    Rgb background;
    std::vector<LinePrimitive> lines;
    std::array<QString, 9> timeLabels;   // Label4(0..8)
    std::array<QString, 9> dateLabels;   // Label7(0..8)
    int32_t YOffset = 0;
};

// The ruler cursor Line1, drawn over the picture.
struct CursorLine {
    bool visible = false;
    QPointF from, to;
    Rgb colour;
    int width = 2;
};

// The vertical range and the series selection in force for one drawing.
struct DrawSettings {
    int16_t ySpan = 1500;
    int16_t yMin = 0;
    const bool* curveSel = nullptr;   // 25 elements; null draws all series
};

// Horizontal scale of the zoom level: StepX and FirstIndex (and their
// copies); any other level leaves them as they were.
void ApplyZoom(ChartState& state);

// Background and the dotted grid.
void DrawGrid(ChartPicture& picture, const ChartProfile& profile,
              double width = CanvasWidth, double height = CanvasHeight);

// Labels, gap markers and curves from the buffers.
void DrawTrend(ChartPicture& picture, const ChartState& state, const ChartProfile& profile,
               const DrawSettings& settings, double width = CanvasWidth,
               double height = CanvasHeight);

// One redraw: erase, DrawGrid, ApplyZoom, DrawTrend.
ChartPicture Redraw(ChartState& state, const ChartProfile& profile, const DrawSettings& settings);

} // namespace chart
