// The profile's geometry without widgets: the worked example line by line,
// the value labels of a range of 1000, the start point from the live PV,
// the degenerate programs (all zero, one setpoint, a time step of 0), and
// programs whose 16-bit arithmetic would have thrown them off the canvas.

#include "program/ProfileGeometry.h"

#include "platform/basic/numbers.h"

#include <gtest/gtest.h>

using program::PlotLine;
using program::PlotPen;
using program::PlotState;
using program::ProfilePicture;
using program::ProgramValues;

namespace {

// Segment k's setpoint, rate and time (k from 1).
void SetSegment(ProgramValues& v, int k, int32_t sv, int32_t time, int32_t rate = 0)
{
    const size_t first = size_t(10 * (k - 1));
    v.SegmentValues[first] = sv;
    v.SegmentValues[first + 1] = rate;
    v.SegmentValues[first + 2] = time;
}

ProgramValues Loaded()
{
    ProgramValues v;
    program::LoadDefaults(v);
    return v;
}

std::vector<PlotLine> LinesOf(const ProfilePicture& p, PlotPen pen)
{
    std::vector<PlotLine> lines;
    for (const PlotLine& l : p.lines)
        if (l.pen == pen)
            lines.push_back(l);
    return lines;
}

std::vector<QString> Texts(std::initializer_list<const char*> texts)
{
    std::vector<QString> v;
    for (const char* t : texts)
        v.push_back(QString::fromUtf8(t));
    return v;
}
template <size_t N>
std::vector<QString> Texts(const std::array<QString, N>& texts)
{
    return {texts.begin(), texts.end()};
}

TEST(ProfileGeometry, TheGridIsDottedLinesAcrossTheCanvas)
{
    const std::vector<PlotLine> grid = program::PlotGrid();
    ASSERT_EQ(grid.size(), 62u);
    for (const PlotLine& l : grid)
        EXPECT_EQ(l.pen, PlotPen::Grid);
    EXPECT_EQ(grid[0].from, QPointF(0, 0));
    EXPECT_EQ(grid[0].to, QPointF(15008, 0));
    EXPECT_EQ(grid[45].from, QPointF(0, 9000));
    EXPECT_EQ(grid[46].from, QPointF(2, 0));
    EXPECT_EQ(grid[46].to, QPointF(2, 9008));
    EXPECT_EQ(grid[47].from, QPointF(1000, 0));
    EXPECT_EQ(grid[61].from, QPointF(15000, 0));
}

// Start selection 1 with start setpoint 0; segments 1 to 3 at 100, 300, 300
// for 10, 20, 30.
TEST(ProfileGeometry, TheWorkedExample)
{
    ProgramValues v = Loaded();
    SetSegment(v, 1, 100, 10);
    SetSegment(v, 2, 300, 20);
    SetSegment(v, 3, 300, 30);
    PlotState s;
    const ProfilePicture p = program::RedrawProfile(s, v, 0);

    EXPECT_EQ(p.Label5, QStringLiteral("300"));
    EXPECT_EQ(p.Label10, QStringLiteral("0"));
    EXPECT_EQ(p.LABEL11, QStringLiteral("40"));
    EXPECT_EQ(Texts(p.Label6), Texts({"00000", "00040", "00080", "00120", "00160", "00200",
                                      "00240", "00280", "00320", "00360"}));
    EXPECT_EQ(Texts(p.Label8), Texts({"0", "5", "10", "15", "20", "25", "30", "35", "40", "45",
                                      "50", "55", "60", "65", "70", "75"}));
    EXPECT_EQ(s.ProfileMax, 300);
    EXPECT_EQ(s.ProfileMin, 0);
    EXPECT_EQ(s.ProfileRange, 300);
    EXPECT_EQ(s.ValueStep, 40.0f);
    EXPECT_EQ(s.TimeScale, 200.0f);
    EXPECT_EQ(s.ValueScale, 25.0f);
    EXPECT_EQ(s.ValueOffset, 0);

    // The grid first, then each segment's boundary and ramp.
    ASSERT_EQ(p.lines.size(), 62u + 100u);
    EXPECT_EQ(p.lines[62].pen, PlotPen::Boundary);
    EXPECT_EQ(p.lines[63].pen, PlotPen::Ramp);
    const std::vector<PlotLine> ramps = LinesOf(p, PlotPen::Ramp);
    const std::vector<PlotLine> ends = LinesOf(p, PlotPen::Boundary);
    ASSERT_EQ(ramps.size(), 50u);
    ASSERT_EQ(ends.size(), 50u);
    const std::pair<QPointF, QPointF> expected[] = {
        {{0, 9008}, {2000, 6508}},
        {{2000, 6508}, {6000, 1508}},
        {{6000, 1508}, {12000, 1508}},
        {{12000, 1508}, {12000, 9008}},
    };
    for (size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k + 1);
        EXPECT_EQ(ramps[k].from, expected[k].first);
        EXPECT_EQ(ramps[k].to, expected[k].second);
    }
    for (size_t k = 4; k < 50; ++k) {
        EXPECT_EQ(ramps[k].from, QPointF(12000, 9008)) << k + 1;
        EXPECT_EQ(ramps[k].to, QPointF(12000, 9008)) << k + 1;
    }
    const double boundaries[] = {2000, 6000, 12000, 12000};
    for (size_t k = 0; k < 50; ++k) {
        const double x = k < 4 ? boundaries[k] : 12000;
        EXPECT_EQ(ends[k].from, QPointF(x, 0)) << k + 1;
        EXPECT_EQ(ends[k].to, QPointF(x, 9000)) << k + 1;
    }
}

TEST(ProfileGeometry, ValueLabelsOfARangeOf1000RoundHalvesAwayFromZero)
{
    ProgramValues v = Loaded();
    SetSegment(v, 1, 1000, 10);
    PlotState s;
    const ProfilePicture p = program::RedrawProfile(s, v, 0);
    EXPECT_EQ(p.LABEL11, QStringLiteral("133.3333"));
    EXPECT_EQ(Texts(p.Label6), Texts({"00000", "00133", "00267", "00400", "00533", "00667",
                                      "00800", "00933", "01067", "01200"}));
    // The pattern itself: halves away from zero, a sign before the digits.
    const struct {
        float value;
        const char* text;
    } cases[] = {{2.5f, "00003"}, {3.5f, "00004"}, {-2.5f, "-00003"}, {-40.0f, "-00040"},
                 {0.4f, "00000"}, {123456.0f, "123456"}, {-0.4f, "00000"}};
    for (const auto& c : cases)
        EXPECT_EQ(program::FiveDigits(c.value), QString::fromUtf8(c.text)) << c.value;
}

// Start selection 0: the live PV rounded half to even starts the first ramp.
TEST(ProfileGeometry, TheStartPointFromThePv)
{
    ProgramValues v = Loaded();
    v.BasicValues[8] = 0;
    SetSegment(v, 1, 300, 10);
    const struct {
        float pv;
        int16_t start;
    } cases[] = {{25.5f, 26}, {26.5f, 26}, {-3.5f, -4}, {1e9f, -4}};   // too large: kept
    PlotState s;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pv);
        const ProfilePicture p = program::RedrawProfile(s, v, c.pv);
        EXPECT_EQ(s.ProfilePoint[0].SV, c.start);
        const PlotLine first = LinesOf(p, PlotPen::Ramp)[0];
        EXPECT_EQ(first.from.y(), 9008 - basic::RoundHalfEven(c.start * s.ValueScale));
    }
    // Start selection 1 takes register 1010.
    v.BasicValues[8] = 1;
    v.BasicValues[9] = 150;
    program::RedrawProfile(s, v, 25.5f);
    EXPECT_EQ(s.ProfilePoint[0].SV, 150);
}

// All setpoints equal: no scale to divide by, every ramp on the bottom
// edge, every value label the one setpoint.
TEST(ProfileGeometry, EqualSetpointsLieOnTheBottomEdge)
{
    const struct {
        const char* name;
        int32_t sv, start;
        int32_t selection;
        const char* label;
    } cases[] = {
        {"all zero, as loaded", 0, 0, 1, "00000"},
        {"all 500, start elsewhere", 500, 20, 1, "00500"},
        {"all -7, start from the PV", -7, 0, 0, "-00007"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramValues v = Loaded();
        v.BasicValues[8] = c.selection;
        v.BasicValues[9] = c.start;
        for (int k = 1; k <= 50; ++k)
            SetSegment(v, k, c.sv, 0);
        PlotState s;
        s.ValueScale = 12;   // a scale from an earlier redraw is not used
        const ProfilePicture p = program::RedrawProfile(s, v, 33.0f);
        EXPECT_EQ(s.ProfileRange, 0);
        EXPECT_EQ(s.ValueScale, 0.0f);
        EXPECT_EQ(p.LABEL11, QStringLiteral("0"));
        for (const QString& label : p.Label6)
            EXPECT_EQ(label, QString::fromUtf8(c.label));
        for (const PlotLine& l : LinesOf(p, PlotPen::Ramp)) {
            EXPECT_EQ(l.from, QPointF(0, 9008));
            EXPECT_EQ(l.to, QPointF(0, 9008));
        }
        EXPECT_EQ(Texts(p.Label8).front(), QStringLiteral("0"));
        EXPECT_EQ(Texts(p.Label8).back(), QStringLiteral("15"));
    }
}

// Setpoints of 1000 and more: the offset (75000 here) needs more than 16
// bits; every ramp stays inside the canvas, the smallest setpoint on the
// bottom edge and the largest five sixths of the way up.
TEST(ProfileGeometry, HighSetpointsStayInsideTheCanvas)
{
    ProgramValues v = Loaded();
    v.BasicValues[9] = 1000;
    for (int k = 1; k <= 50; ++k)
        SetSegment(v, k, k % 2 ? 1100 : 1000, 5);
    PlotState s;
    const ProfilePicture p = program::RedrawProfile(s, v, 0);
    EXPECT_EQ(s.ProfileRange, 100);
    EXPECT_EQ(s.ValueScale, 75.0f);
    EXPECT_EQ(s.ValueOffset, 75000);
    EXPECT_EQ(p.Label6[0], QStringLiteral("01000"));
    EXPECT_EQ(p.Label6[9], QStringLiteral("01120"));
    const std::vector<PlotLine> ramps = LinesOf(p, PlotPen::Ramp);
    EXPECT_EQ(ramps[0].from, QPointF(0, 9008));
    EXPECT_EQ(ramps[0].to, QPointF(ramps[0].to.x(), 1508));
    for (const PlotLine& l : ramps) {
        for (const QPointF& pt : {l.from, l.to}) {
            EXPECT_GE(pt.x(), 0);
            EXPECT_LE(pt.x(), 15008);
            EXPECT_GE(pt.y(), 1508);
            EXPECT_LE(pt.y(), 9008);
        }
    }

    // The widest range of all: -32768 to 32767.
    SetSegment(v, 1, -32768, 5);
    SetSegment(v, 2, 32767, 5);
    program::RedrawProfile(s, v, 0);
    EXPECT_EQ(s.ProfileRange, 65535);
    const ProfilePicture wide = program::RedrawProfile(s, v, 0);
    const std::vector<PlotLine> wideRamps = LinesOf(wide, PlotPen::Ramp);
    EXPECT_EQ(wideRamps[0].to.y(), 9008);
    EXPECT_NEAR(wideRamps[1].to.y(), 1508, 1);
}

// A total of -29 to -15 gives a time step of 0: every time label "0" and
// TimeScale as the last redraw left it; a value beyond 16 bits leaves its
// entry as it was.
TEST(ProfileGeometry, DegenerateTimesAndOversizedValues)
{
    ProgramValues v = Loaded();
    SetSegment(v, 1, 100, 20);
    PlotState s;
    program::RedrawProfile(s, v, 0);
    ASSERT_EQ(s.TimeScale, 500.0f);   // total 20: step 2

    SetSegment(v, 1, 100, -20);
    const ProfilePicture p = program::RedrawProfile(s, v, 0);
    for (const QString& label : p.Label8)
        EXPECT_EQ(label, QStringLiteral("0"));
    EXPECT_EQ(s.TimeScale, 500.0f);
    EXPECT_EQ(LinesOf(p, PlotPen::Ramp)[0].to.x(), -10000);   // drawn, clipped by the canvas

    SetSegment(v, 2, 40000, 70000, -40000);
    program::RedrawProfile(s, v, 0);
    EXPECT_EQ(s.ProfilePoint[2].SV, 0);
    EXPECT_EQ(s.ProfilePoint[2].Time, 0);
    EXPECT_EQ(s.ProfilePoint[2].Rate, 0);
    EXPECT_EQ(s.ProfilePoint[1].Time, -20);
}

// The load's time axis follows the durations of the last redraw.
TEST(ProfileGeometry, TheLoadsTimeAxisFollowsTheLastRedraw)
{
    PlotState s;
    EXPECT_EQ(Texts(program::DrawTimeAxis(s)).back(), QStringLiteral("15"));
    EXPECT_EQ(s.TimeScale, 1000.0f);
    ProgramValues v = Loaded();
    SetSegment(v, 1, 10, 60);
    program::RedrawProfile(s, v, 0);
    v = Loaded();   // the editor's next opening
    EXPECT_EQ(Texts(program::DrawTimeAxis(s)).back(), QStringLiteral("75"));
}

} // namespace
