// The drawing, checked from its primitive list: grid, labels, gap markers,
// the series of each window at each zoom level, and the scales.

#include "trend/ChartDrawing.h"
#include "trend/ChartText.h"

#include <gtest/gtest.h>
#include <vector>

using namespace chart;

namespace {

constexpr double H = CanvasHeight;

// A live window just loaded: PV = sample index, OP 50 %, SV 100, the
// other series 0; sample j stamped j seconds after 10:00:00.
ChartState KnownSample(int zoom)
{
    ChartState s;
    s.ZoomLevel = zoom;
    s.PointCount = s.WindowSize = s.LastIndex = s.WriteIndex = 241;
    for (int j = 1; j <= 241; ++j) {
        s.TrendVal[0][j] = float(j);
        s.TrendVal[1][j] = 50;
        s.TrendVal[2][j] = 100;
        s.TrendDate[j] = 45356;   // 2024-03-05
        s.TrendTime[j] = (36000.0 + j) / 86400.0;
    }
    return s;
}

std::vector<LinePrimitive> Lines(const ChartPicture& p, Rgb colour, LineStyle style)
{
    std::vector<LinePrimitive> out;
    for (const LinePrimitive& l : p.lines)
        if (l.colour == colour && l.style == style)
            out.push_back(l);
    return out;
}

const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 128, 0}, kYellow{255, 255, 0},
    kPink{255, 128, 255};

std::array<bool, 25> Selection(std::initializer_list<int> on)
{
    std::array<bool, 25> sel{};
    for (int k : on)
        sel[k] = true;
    return sel;
}

} // namespace

TEST(ChartDrawing, GridLines)
{
    ChartPicture p;
    DrawGrid(p, kOverviewChart);
    EXPECT_EQ(p.background, (Rgb{255, 255, 255}));
    const auto grid = Lines(p, kPink, LineStyle::Dot);
    ASSERT_EQ(grid.size(), 25u + 34u);
    EXPECT_EQ(grid[1].from.y(), 312);    // 312.5 rounds to even
    EXPECT_EQ(grid[3].from.y(), 938);    // 937.5
    EXPECT_EQ(grid[24].from.y(), 7500);
    EXPECT_EQ(grid[25].from.x(), 8);
    EXPECT_EQ(grid.back().from.x(), 12000);
    EXPECT_EQ(grid.back().to.y(), H);
    DrawGrid(p, kHistoryChart);
    EXPECT_EQ(p.background, (Rgb{192, 255, 255}));
}

TEST(ChartDrawing, CurvesOfAKnownSampleAtEachZoomLevel)
{
    struct Case {
        int zoom, firstIndex;
        std::vector<double> firstXs;   // ends of the first three PV segments
    };
    const std::vector<Case> cases = {
        {1, 180, {150, 300, 450}},
        {2, 120, {75, 150, 225}},
        {3, 60, {50, 100, 150}},
        {4, 0, {38, 75, 112}},   // 37.5 and 112.5 round to even
    };
    const auto sel = Selection({0, 1, 2});
    for (const Case& c : cases) {
        ChartState s = KnownSample(c.zoom);
        const ChartPicture p = Redraw(s, kOverviewChart, {1500, 0, sel.data()});
        EXPECT_EQ(s.FirstIndex, c.firstIndex);
        const auto pv = Lines(p, kRed, LineStyle::Solid);
        ASSERT_EQ(pv.size(), size_t(60 * c.zoom)) << "zoom " << c.zoom;
        // K = 5: PV of sample FirstIndex at the left edge, sample 240 at
        // x = 9000; the newest sample, 241, is not drawn.
        EXPECT_EQ(pv.front().from, QPointF(0, H - 5 * c.firstIndex));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(pv[i].to.x(), c.firstXs[i]) << "zoom " << c.zoom;
        EXPECT_EQ(pv.back().to, QPointF(9000, H - 5 * 240));
        EXPECT_EQ(pv.front().width, 2);
        // OP 50 % on the -10..110 % scale.
        const auto op = Lines(p, kBlue, LineStyle::Solid);
        ASSERT_EQ(op.size(), pv.size());
        EXPECT_EQ(op[5].from.y(), H - 625 - 3125);
        EXPECT_EQ(op[5].width, 1);
        // SV after OP keeps OP's width.
        const auto sv = Lines(p, kGreen, LineStyle::Solid);
        EXPECT_EQ(sv[1].width, 1);
        EXPECT_EQ(sv[1].from.y(), H - 500);
        // Nothing past the canvas edge but sample indices within 0..322.
        EXPECT_EQ(p.lines.size(), 59u + 3u * pv.size());
    }
}

TEST(ChartDrawing, DrawingOrderAndSelection)
{
    ChartState s = KnownSample(1);
    // OP deselected: SV is drawn 2 pixels wide.
    auto sel = Selection({0, 2});
    ChartPicture p = Redraw(s, kOverviewChart, {1500, 0, sel.data()});
    EXPECT_TRUE(Lines(p, kBlue, LineStyle::Solid).empty());
    EXPECT_EQ(Lines(p, kGreen, LineStyle::Solid)[0].width, 2);
    // Within a step: PV first, then SV.
    EXPECT_EQ(p.lines[59].colour, kRed);
    EXPECT_EQ(p.lines[60].colour, kGreen);

    // Nothing selected: grid only.
    sel = Selection({});
    p = Redraw(s, kOverviewChart, {1500, 0, sel.data()});
    EXPECT_EQ(p.lines.size(), 59u);

    // The history window draws its six series whatever CurveSel says, SV
    // first, and PV2 on the 0..120 % scale.
    s.TrendVal[4][180] = 60;
    p = Redraw(s, kHistoryChart, {1500, 0, sel.data()});
    EXPECT_EQ(p.lines.size(), 59u + 6u * 60u);
    EXPECT_EQ(p.lines[59].colour, (Rgb{0, 64, 0}));
    const auto pv2 = Lines(p, Rgb{192, 64, 0}, LineStyle::Solid);
    EXPECT_EQ(pv2[0].from.y(), H - 3750);
    const auto op = Lines(p, Rgb{128, 128, 0}, LineStyle::Solid);
    EXPECT_EQ(op[0].from.y(), H - 3125);
}

TEST(ChartDrawing, ScaleAndOffset)
{
    ChartState s = KnownSample(1);
    const auto sel = Selection({0});
    s.TrendVal[0][180] = 500;
    s.TrendVal[0][181] = 600;
    // 500 to 600: K = 75 and an offset of 37500 twips, which a 16-bit
    // offset cannot hold; the minimum still lies on the bottom edge.
    ChartPicture p = Redraw(s, kOverviewChart, {100, 500, sel.data()});
    EXPECT_EQ(p.YOffset, 37500);
    auto pv = Lines(p, kRed, LineStyle::Solid);
    EXPECT_EQ(pv[0].from.y(), H);
    EXPECT_EQ(pv[0].to.y(), H - 7500);
    // A span of 0 puts every engineering curve on the bottom edge.
    p = Redraw(s, kOverviewChart, {0, 500, sel.data()});
    pv = Lines(p, kRed, LineStyle::Solid);
    EXPECT_EQ(pv[0].from.y(), H);
    EXPECT_EQ(pv[0].to.y(), H);
}

TEST(ChartDrawing, GapMarkers)
{
    ChartState s = KnownSample(1);
    s.GapMark[200] = 200;
    s.GapMark[180] = 180;   // at x = 0: outside the markers' range
    s.GapMark[241] = 241;   // the newest sample: not marked yet
    ChartPicture p = Redraw(s, kOverviewChart, {1500, 0, nullptr});
    auto gaps = Lines(p, kYellow, LineStyle::Dash);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].from, QPointF(3000, 0));
    EXPECT_EQ(gaps[0].to, QPointF(3000, 9000));

    // Level 4 reaches sample 1; the marker's x keeps its half twip.
    s = KnownSample(4);
    s.GapMark[1] = 1;
    p = Redraw(s, kOverviewChart, {1500, 0, nullptr});
    gaps = Lines(p, kYellow, LineStyle::Dash);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].from.x(), 37.5);
}

TEST(ChartDrawing, AppendedAndPagedWindows)
{
    const auto sel = Selection({0});
    ChartState s = KnownSample(1);
    s.LastIndex = s.WriteIndex = 251;   // ten appended samples
    ChartPicture p = Redraw(s, kOverviewChart, {1500, 0, sel.data()});
    EXPECT_EQ(Lines(p, kRed, LineStyle::Solid).back().to.x(), 9000 + 10 * 150);
    EXPECT_EQ(p.timeLabels[7], QStringLiteral("10:04:11"));   // still extrapolated

    s.PointCount = s.LastIndex = s.WriteIndex = 321;   // paged
    for (int j = 242; j <= 321; ++j)
        s.TrendTime[j] = (40000.0 + j) / 86400.0;
    p = Redraw(s, kOverviewChart, {1500, 0, sel.data()});
    EXPECT_EQ(Lines(p, kRed, LineStyle::Solid).size(), 140u);   // up to sample 320
    EXPECT_EQ(p.timeLabels[7], QStringLiteral("11:10:51"));      // sample 251 itself
    EXPECT_EQ(p.timeLabels[8], QStringLiteral("11:11:01"));      // sample 261
}

TEST(ChartDrawing, LabelsAndTheirExtrapolation)
{
    ChartState s = KnownSample(2);
    ChartPicture p = Redraw(s, kOverviewChart, {1500, 0, nullptr});
    EXPECT_EQ(p.timeLabels[0], QStringLiteral("10:02:01"));   // sample 121
    EXPECT_EQ(p.timeLabels[6], QStringLiteral("10:04:01"));   // sample 241
    EXPECT_EQ(p.dateLabels[6], QStringLiteral("2024/03/05"));
    EXPECT_EQ(p.timeLabels[7], QStringLiteral("10:04:21"));   // + 20 samples
    EXPECT_EQ(p.timeLabels[8], QStringLiteral("10:04:41"));
    p = Redraw(s, kHistoryChart, {1500, 0, nullptr});
    EXPECT_EQ(p.timeLabels[7], QStringLiteral("10:07:21"));   // + 200 s
    EXPECT_EQ(p.timeLabels[8], QStringLiteral("10:10:41"));

    // Past midnight the time wraps and the date moves on a day.
    s = KnownSample(1);
    s.TrendTime[241] = (86400.0 - 5) / 86400.0;
    p = Redraw(s, kOverviewChart, {1500, 0, nullptr});
    EXPECT_EQ(p.timeLabels[7], QStringLiteral("00:00:05"));
    EXPECT_EQ(p.dateLabels[7], QStringLiteral("2024/03/06"));
    EXPECT_EQ(p.dateLabels[6], QStringLiteral("2024/03/05"));
    // Ten samples before midnight: the offset falls a hair short of ten
    // seconds, yet the label shows midnight of the next day.
    s.TrendTime[241] = (86400.0 - 10) / 86400.0;
    p = Redraw(s, kOverviewChart, {1500, 0, nullptr});
    EXPECT_EQ(p.timeLabels[7], QStringLiteral("00:00:00"));
    EXPECT_EQ(p.dateLabels[7], QStringLiteral("2024/03/06"));
    EXPECT_EQ(p.timeLabels[8], QStringLiteral("00:00:10"));
    EXPECT_EQ(p.dateLabels[8], QStringLiteral("2024/03/06"));

    // A never filled sample shows midnight in both labels.
    s = KnownSample(4);
    p = Redraw(s, kOverviewChart, {1500, 0, nullptr});
    EXPECT_EQ(p.timeLabels[0], QStringLiteral("10:00:01"));
    s.TrendTime[1] = s.TrendDate[1] = 0;
    p = Redraw(s, kOverviewChart, {1500, 0, nullptr});
    EXPECT_EQ(p.timeLabels[0], QStringLiteral("00:00:00"));
    EXPECT_EQ(p.dateLabels[0], QStringLiteral("00:00:00"));
}

TEST(ChartText, YAxisLabels)
{
    const auto standard = YAxisTexts(1500, 0);
    EXPECT_EQ(standard[0], QStringLiteral("0"));
    EXPECT_EQ(standard[1], QStringLiteral("250"));
    EXPECT_EQ(standard[6], QStringLiteral("1500"));
    const auto narrow = YAxisTexts(100, 500);
    EXPECT_EQ(narrow[1], QStringLiteral("517"));
    EXPECT_EQ(narrow[6], QStringLiteral("600"));
    // Steps of 2.5 round half to even: 2, 8, 12.
    const auto halves = YAxisTexts(15, 0);
    const std::array<QString, 7> expected{"0", "2", "5", "8", "10", "12", "15"};
    EXPECT_EQ(halves, expected);
    const auto flat = YAxisTexts(0, 500);
    EXPECT_EQ(flat[3], QStringLiteral("500"));
}

TEST(ChartText, ClockAndDateValues)
{
    const QDateTime now(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(ClockDateText(now), QStringLiteral("03-05-2024"));
    EXPECT_EQ(ClockTimeText(now), QStringLiteral("07:08:09"));
    EXPECT_EQ(DateValueText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(DateValueText(45356), QStringLiteral("2024/03/05"));
    EXPECT_EQ(DateValueText(0.5), QStringLiteral("12:00:00"));
    EXPECT_EQ(DateValueText(45356.5), QStringLiteral("2024/03/05 12:00:00"));
}
