#include "program/ProfileGeometry.h"

#include "platform/basic/numbers.h"

#include <algorithm>
#include <cmath>

namespace program {

namespace {

constexpr int kGridRows = 46;        // y = 0, 200, ... 9000
constexpr double kGridRowStep = 200;
constexpr int kGridColumns = 16;     // x = 2, 1000, ... 15000
constexpr double kGridColumnStep = 1000;
constexpr double kFirstColumn = 2;   // not 0: a line on the edge would not show
constexpr int kTimeLabels = 16;
constexpr double kTimeSpan = 15000;  // 15 label intervals of 1000 units
constexpr double kValueSpan = 9000;  // 1.2 x the range
constexpr double kAxisOverRange = 1.2;
constexpr int kValueIntervals = 9;
constexpr size_t kStartSelection = 8;   // BasicValues(8): register 1009
constexpr size_t kStartSetpoint = 9;    // BasicValues(9): register 1010

double Whole(double v) { return basic::RoundHalfEven(v); }

void DrawProfileLine(PlotState& s, std::vector<PlotLine>& lines)
{
    // A range of 0 has no scale: every value then lies on the bottom edge.
    s.ValueScale = s.ProfileRange != 0
                       ? static_cast<float>(kValueSpan / (s.ProfileRange * kAxisOverRange))
                       : 0.0f;
    // Both products in single precision, as the ramps' ends take them, so
    // that ProfileMin lands exactly on the bottom edge.
    s.ValueOffset = int32_t(Whole(float(s.ProfileMin) * s.ValueScale));
    auto y = [&](int16_t value) {
        return kCanvasHeight + s.ValueOffset - Whole(float(value) * s.ValueScale);
    };
    int32_t t = 0;
    for (size_t k = 1; k <= size_t(kSegmentCount); ++k) {
        const ProfileEntry& segment = s.ProfilePoint[k];
        t += segment.Time;
        const double end = double(s.TimeScale) * t;
        lines.push_back({{end, 0}, {end, kValueSpan}, PlotPen::Boundary});
        const double x1 = Whole(double(s.TimeScale) * (t - segment.Time));
        const double x2 = Whole(end);
        lines.push_back({{x1, y(s.ProfilePoint[k - 1].SV)}, {x2, y(segment.SV)}, PlotPen::Ramp});
    }
}

} // namespace

std::vector<PlotLine> PlotGrid()
{
    std::vector<PlotLine> lines;
    lines.reserve(kGridRows + kGridColumns);
    for (int i = 0; i < kGridRows; ++i) {
        const double y = kGridRowStep * i;
        lines.push_back({{0, y}, {kCanvasWidth, y}, PlotPen::Grid});
    }
    for (int i = 0; i < kGridColumns; ++i) {
        const double x = i == 0 ? kFirstColumn : kGridColumnStep * i;
        lines.push_back({{x, 0}, {x, kCanvasHeight}, PlotPen::Grid});
    }
    return lines;
}

std::array<QString, 16> DrawTimeAxis(PlotState& s)
{
    int32_t total = 0;
    for (size_t k = 1; k <= size_t(kSegmentCount); ++k)
        total += s.ProfilePoint[k].Time;
    // The 15 intervals always reach past the total.
    const int32_t step = int32_t(std::trunc(total / 15.0)) + 1;
    std::array<QString, 16> labels;
    for (int j = 0; j < kTimeLabels; ++j)
        labels[size_t(j)] = basic::PlainText(int64_t(j) * step);
    if (step != 0)
        s.TimeScale = static_cast<float>(kTimeSpan / (15.0 * step));
    return labels;
}

QString FiveDigits(float value)
{
    return basic::DigitPatternText(double(value), 5, 0);
}

ProfilePicture RedrawProfile(PlotState& s, const ProgramValues& values, float pv)
{
    ProfilePicture picture;
    if (values.BasicValues[kStartSelection] != 0)
        basic::AssignRounded(s.ProfilePoint[0].SV, values.BasicValues[kStartSetpoint]);
    else
        basic::AssignRounded(s.ProfilePoint[0].SV, pv);
    for (size_t k = 1; k <= size_t(kSegmentCount); ++k) {
        const size_t first = size_t(kSegmentParameters) * (k - 1);
        ProfileEntry& entry = s.ProfilePoint[k];
        basic::AssignRounded(entry.SV, values.SegmentValues[first + SetpointParameter]);
        basic::AssignRounded(entry.Rate, values.SegmentValues[first + RateParameter]);
        basic::AssignRounded(entry.Time, values.SegmentValues[first + TimeParameter]);
    }

    // Every segment counts, whatever the segment count of register 1004.
    s.ProfileMax = s.ProfileMin = s.ProfilePoint[1].SV;
    for (size_t k = 1; k <= size_t(kSegmentCount); ++k) {
        s.ProfileMax = std::max(s.ProfileMax, s.ProfilePoint[k].SV);
        s.ProfileMin = std::min(s.ProfileMin, s.ProfilePoint[k].SV);
    }
    picture.Label5 = basic::PlainText(int64_t(s.ProfileMax));
    picture.Label10 = basic::PlainText(int64_t(s.ProfileMin));
    s.ProfileRange = int32_t(s.ProfileMax) - s.ProfileMin;
    s.ValueStep = static_cast<float>(kAxisOverRange * s.ProfileRange / kValueIntervals);
    picture.LABEL11 = basic::PlainText(s.ValueStep);
    for (int j = 0; j <= kValueIntervals; ++j)
        picture.Label6[size_t(j)] = FiveDigits(float(s.ProfileMin) + float(j) * s.ValueStep);

    picture.lines = PlotGrid();
    picture.Label8 = DrawTimeAxis(s);
    DrawProfileLine(s, picture.lines);
    return picture;
}

} // namespace program
