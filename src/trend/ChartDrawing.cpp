#include "trend/ChartDrawing.h"

#include "platform/basic/numbers.h"
#include "trend/ChartText.h"

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

struct ZoomStep {
    float stepX;
    int firstIndex;
};

// Sample 240 stands at x = 9000 on every level.
constexpr std::array<ZoomStep, 4> kZoomSteps{{{150.0f, 180}, {75.0f, 120}, {50.0f, 60},
                                              {37.5f, 0}}};

constexpr Rgb kGridPink{255, 128, 255};
constexpr Rgb kGapYellow{255, 255, 0};

double Whole(double v) { return basic::RoundHalfEven(v); }

} // namespace

void ApplyZoom(ChartState& s)
{
    if (s.ZoomLevel < 1 || s.ZoomLevel > 4)
        return;
    const ZoomStep& z = kZoomSteps[s.ZoomLevel - 1];
    s.StepX = s.StepX2 = z.stepX;
    s.FirstIndex = s.FirstIndex2 = z.firstIndex;
}

void DrawGrid(ChartPicture& picture, const ChartProfile& profile, double width, double height)
{
    picture.background = profile.background;
    picture.lines.clear();
    for (int i = 0; i <= 24; ++i) {
        const double y = Whole(i * 312.5);
        picture.lines.push_back({{0, y}, {width, y}, kGridPink, 1, LineStyle::Dot});
    }
    picture.lines.push_back({{8, 0}, {8, height}, kGridPink, 1, LineStyle::Dot});
    for (int i = 0; i <= 32; ++i) {
        const double x = 375.0 * i;
        picture.lines.push_back({{x, 0}, {x, height}, kGridPink, 1, LineStyle::Dot});
    }
}

void DrawTrend(ChartPicture& picture, const ChartState& s, const ChartProfile& profile,
               const DrawSettings& settings, double width, double height)
{
    (void)width;
    // 1. Label pairs, one step right of every 1500-twip grid line.
    for (int i = 0; i < 9; ++i) {
        const int j = s.FirstIndex + 10 * s.ZoomLevel * i + 1;
        if (!IsSampleIndex(j))
            continue;
        picture.timeLabels[i] = DateValueText(s.TrendTime[j]);
        picture.dateLabels[i] = DateValueText(s.TrendDate[j]);
    }
    // 2. A live window has no samples under pairs 7 and 8 yet: show where
    // the time will be, counted on from the newest loaded sample.
    if (s.PointCount < 320) {
        for (int pair = 7; pair <= 8; ++pair) {
            const int m = profile.extrapolationSeconds * (pair - 6);
            const auto d = static_cast<float>(s.ZoomLevel * 0.00347222 / 30 * m);
            double t = s.TrendTime[LiveWindowSize] + d;
            double date = s.TrendDate[LiveWindowSize];
            // The offset is a hair short of whole seconds, so a time that
            // reaches midnight lands just below one day; judged by the
            // second it shows, it is 00:00:00 of the next day, not a date
            // in the time label beside the old day's date.
            if (std::llround(t * 86400.0) >= 86400) {
                date += 1;
                t = std::max(0.0, t - 1);
            }
            picture.timeLabels[pair] = DateValueText(t);
            picture.dateLabels[pair] = DateValueText(date);
        }
    }

    // 3. Gap markers over the samples FirstIndex + 1 to LastIndex - 1.
    const int markerSteps = 60 * s.ZoomLevel + s.LastIndex - LiveWindowSize;
    for (int j = 1; j <= markerSteps; ++j) {
        const int sample = s.FirstIndex + j;
        if (!IsSampleIndex(sample))
            break;
        if (s.GapMark[sample] > 0) {
            const double x = j * static_cast<double>(s.StepX);
            picture.lines.push_back({{x, 0}, {x, 9000}, kGapYellow, 1, LineStyle::Dash});
        }
    }

    // 4. Scale. The offset is kept in 32 bits so that a narrow span over a
    // large minimum (500 to 600: 37500 twips) still puts YMin on the edge.
    float k = 0;
    if (settings.ySpan != 0)
        k = static_cast<float>(7500.0 / settings.ySpan);
    int32_t yOffset = 0;
    if (settings.yMin != 0 && settings.ySpan != 0)
        yOffset = static_cast<int32_t>(Whole(static_cast<float>(k * settings.yMin)));
    picture.YOffset = yOffset;

    auto yOf = [&](Scale scale, float v) {
        if (scale == Scale::Engineering)
            return (height + yOffset) - Whole(static_cast<float>(k * v));
        return (height - profile.percentZero) - Whole(62.5 * v);
    };

    // 5. Curves: every series' segment of step j before step j + 1; the
    // newest sample (WriteIndex) is not drawn yet.
    const int curveSteps = 60 * s.ZoomLevel + s.WriteIndex - LiveWindowSize;
    for (int j = 1; j <= curveSteps; ++j) {
        const int a = s.FirstIndex2 + j - 1;
        const int b = s.FirstIndex2 + j;
        if (!IsSampleIndex(a) || !IsSampleIndex(b))
            break;
        const double x0 = Whole((j - 1) * static_cast<double>(s.StepX2));
        const double x1 = Whole(j * static_cast<double>(s.StepX2));
        int pen = 2;
        for (const SeriesStyle& series : profile.series) {
            if (profile.usesCurveSel && settings.curveSel && !settings.curveSel[series.k])
                continue;
            if (series.penWidth > 0)
                pen = series.penWidth;
            picture.lines.push_back({{x0, yOf(series.scale, s.TrendVal[series.k][a])},
                                     {x1, yOf(series.scale, s.TrendVal[series.k][b])},
                                     series.colour, pen, LineStyle::Solid});
        }
    }
}

ChartPicture Redraw(ChartState& state, const ChartProfile& profile, const DrawSettings& settings)
{
    ChartPicture picture;
    DrawGrid(picture, profile);
    ApplyZoom(state);
    DrawTrend(picture, state, profile, settings);
    return picture;
}

} // namespace chart
