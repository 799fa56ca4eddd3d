// The engine as a window drives it: set-up, live tick, ruler and paging,
// keys, the ruler readout and the Y range editor.

#include "ChartFixture.h"
#include "FakeChartBinding.h"
#include "trend/ChartEngine.h"
#include "trend/ChartPaging.h"
#include "trend/ChartShared.h"
#include "trend/YRange.h"

#include <gtest/gtest.h>

using namespace chart;
using chart::testing::FakeChartBinding;
using chart::testing::RingFixture;

namespace {

const QDateTime kNoon(QDate(2024, 3, 5), QTime(12, 0, 0));

struct EngineHost {
    explicit EngineHost(RingFixture& ring, const ChartProfile& profile = kOverviewChart)
        : engine(profile, ui, {&curveOpen, &newRow}, [this] { return now; })
    {
        YSpan = 1500;
        YMin = 0;
        engine.Setup(ring.Database());
    }
    FakeChartBinding ui;
    bool curveOpen = false;
    bool newRow = false;
    QDateTime now = kNoon.addSecs(1);
    ChartEngine engine;
    const ChartState& s() const { return engine.State(); }
};

std::array<float, 301> Live()
{
    std::array<float, 301> v{};
    for (int k = 0; k < 8; ++k)
        v[k] = 10.0f + k;
    return v;
}

} // namespace

TEST(ChartEngine, SetupLoadsTheLiveWindow)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("pv_data"), 1000, 1000, kNoon);
    ring.SetHeads(1000, 0);
    CurveSel = {};
    EngineHost h(ring);
    EXPECT_TRUE(h.curveOpen);
    EXPECT_TRUE(CurveSel[0] && CurveSel[1] && CurveSel[2]);
    EXPECT_FALSE(CurveSel[3]);
    EXPECT_EQ(h.s().WindowEnd, 1000);
    EXPECT_EQ(h.s().ZoomLevel, 1);
    EXPECT_FALSE(h.ui.enabled[ChartButton::ZoomIn]);
    EXPECT_FALSE(h.ui.enabled[ChartButton::PageNewer]);
    EXPECT_FALSE(h.ui.sliderEnabled);
    EXPECT_EQ(h.ui.sliderPosition, 0);
    EXPECT_EQ(h.ui.pictures, 1);
    EXPECT_EQ(h.ui.rulerCaption, QStringLiteral("F4 标尺"));
    // The load shows the first sample's stamp until the clock tick.
    EXPECT_EQ(h.ui.clockDate, QStringLiteral("2024/03/05"));
    EXPECT_EQ(h.ui.clockTime, QStringLiteral("11:56:00"));   // sample 1, id 760
    h.engine.ClockTick();
    EXPECT_EQ(h.ui.clockDate, QStringLiteral("03-05-2024"));
    EXPECT_EQ(h.ui.clockTime, QStringLiteral("12:00:01"));

    h.engine.Teardown();
    EXPECT_FALSE(h.curveOpen);
}

TEST(ChartEngine, LiveTickAppendsOnTheRecordersFlag)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("pv_data"), 1000, 1000, kNoon);
    ring.SetHeads(1000, 0);
    EngineHost h(ring);
    const auto live = Live();
    h.engine.LiveTick(live);
    EXPECT_EQ(h.s().LastIndex, 241);   // no new row: nothing appended
    EXPECT_EQ(h.ui.clockBackground, (Rgb{128, 255, 128}));
    EXPECT_EQ(h.ui.yLabels[6], QStringLiteral("1500"));

    h.newRow = true;
    h.now = QDateTime(QDate(2024, 3, 5), QTime(12, 0, 1, 900));
    h.engine.LiveTick(live);
    EXPECT_FALSE(h.newRow);
    EXPECT_EQ(h.s().LastIndex, 242);
    EXPECT_EQ(h.s().TrendVal[6][242], 16);
    EXPECT_EQ(h.s().TrendVal[7][242], 0);   // the eighth value is not appended
    EXPECT_EQ(h.s().TrendDate[242], 45356);
    EXPECT_DOUBLE_EQ(h.s().TrendTime[242], 43201.0 / 86400.0);   // whole seconds
    EXPECT_EQ(h.ui.pictures, 2);

    // The history window appends six values and gives its readout the
    // light pink back.
    RingFixture longRing;
    EngineHost history(longRing, kHistoryChart);
    history.newRow = true;
    history.engine.LiveTick(live);
    EXPECT_EQ(history.s().TrendVal[5][242], 15);
    EXPECT_EQ(history.s().TrendVal[6][242], 0);
    EXPECT_EQ(history.ui.readoutBackground, (Rgb{255, 192, 255}));
}

TEST(ChartEngine, PagingAnUnwrappedRing)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("pv_data"), 1000, 1000, kNoon);
    ring.SetHeads(1000, 0);
    EngineHost h(ring);
    h.engine.Command8_Click();
    EXPECT_EQ(h.s().PageBack, 1);
    EXPECT_EQ(h.s().WindowEnd, 940);
    EXPECT_EQ(h.s().TrendVal[7][1], 620);
    EXPECT_EQ(h.s().TrendVal[7][321], 940);
    EXPECT_FALSE(h.ui.liveTimer);
    EXPECT_TRUE(h.ui.enabled[ChartButton::PageNewer]);
    for (int i = 0; i < 10; ++i)
        h.engine.Form_KeyDown(Qt::Key_F7);
    EXPECT_EQ(h.s().PageBack, 11);
    EXPECT_EQ(h.s().WindowEnd, 340);
    EXPECT_EQ(h.s().TrendVal[7][1], 20);

    // The next page would end at 280: refused, and nothing else changes.
    const ChartState before = h.s();
    const int pictures = h.ui.pictures;
    h.engine.Form_KeyDown(Qt::Key_F7);
    EXPECT_TRUE(h.s().AtOldest);
    EXPECT_FALSE(h.ui.enabled[ChartButton::PageOlder]);
    EXPECT_EQ(h.s().PageBack, before.PageBack);
    EXPECT_EQ(h.s().WindowEnd, 340);
    EXPECT_EQ(h.s().TrendVal[7][1], 20);
    EXPECT_EQ(h.ui.pictures, pictures);
    EXPECT_FALSE(h.engine.Form_KeyDown(Qt::Key_F7));   // guarded by AtOldest

    // One page newer enables F7 again.
    h.engine.Form_KeyDown(Qt::Key_F6);
    EXPECT_EQ(h.s().WindowEnd, 400);
    EXPECT_FALSE(h.s().AtOldest);
    EXPECT_TRUE(h.ui.enabled[ChartButton::PageOlder]);

    // Back to live from page 1 reads the head the recorder has now.
    ring.WriteRing(QStringLiteral("pv_data"), 1005, 5, kNoon.addSecs(5));
    ring.SetHeads(1005, 0);
    while (h.s().PageBack > 0)
        h.engine.Form_KeyDown(Qt::Key_F6);
    EXPECT_EQ(h.s().WindowEnd, 1005);
    EXPECT_EQ(h.s().WindowSize, 241);
    EXPECT_EQ(h.s().LastIndex, 241);
    EXPECT_TRUE(h.ui.liveTimer);
    EXPECT_FALSE(h.ui.enabled[ChartButton::PageNewer]);
    EXPECT_FALSE(h.engine.Form_KeyDown(Qt::Key_F6));
}

TEST(ChartEngine, RefusedFirstStepKeepsTheLiveChart)
{
    for (int head : {300, 381, 30, 0}) {
        RingFixture ring;
        ring.WriteRing(QStringLiteral("pv_data"), head, head, kNoon);
        ring.SetHeads(head, 0);
        EngineHost h(ring);
        const int switches = h.ui.timerSwitches;
        h.engine.Command8_Click();
        EXPECT_TRUE(h.s().AtOldest) << head;
        EXPECT_EQ(h.s().PageBack, 0) << head;
        EXPECT_EQ(h.s().WindowSize, 241) << head;
        EXPECT_EQ(h.ui.timerSwitches, switches) << head;   // still live
        // A later live load judges the oldest page afresh.
        h.engine.Command5_Click();
        h.engine.Command5_Click();
        EXPECT_FALSE(h.s().AtOldest) << head;
    }
}

TEST(ChartEngine, PagingAWrappedRingReachesItsOldestRows)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("pv_data"), 100, 65500, kNoon);
    ring.SetHeads(100, 0);
    EngineHost h(ring);
    EXPECT_TRUE(h.s().RingWrapped);
    h.engine.Command8_Click();
    EXPECT_EQ(h.s().WindowEnd, 40);
    EXPECT_EQ(h.s().TrendVal[7][1], 65220);
    EXPECT_EQ(h.s().TrendVal[7][321], 40);
    h.engine.Command8_Click();
    EXPECT_EQ(h.s().WindowEnd, 65480);   // below id 1: on at the top of the ring
    EXPECT_EQ(h.s().TrendVal[7][321], 65480);
}

TEST(ChartPaging, LimitsOnBothRings)
{
    struct Case {
        int head;
        bool wrapped;
        int pageBack;
        std::optional<int32_t> end;
    };
    const std::vector<Case> cases = {
        {1000, false, 1, 940},   {1000, false, 11, 340}, {1000, false, 12, std::nullopt},
        {382, false, 1, 322},    {381, false, 1, std::nullopt},
        {30, false, 1, std::nullopt},   // no paging into the empty top
        {100, true, 1, 40},      {100, true, 2, 65480},  {60, true, 1, 65500},
        {100, true, 1086, 440},  {100, true, 1087, std::nullopt},
        {65500, true, 1086, 340}, {0, true, 1, 65440},
        {1000, false, 547, std::nullopt},   // no 16-bit overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageWindowEnd(c.head, c.wrapped, c.pageBack), c.end)
            << c.head << " " << c.wrapped << " " << c.pageBack;
    // Whatever the head and depth, a page lies within the ring's ids.
    for (int head : {0, 1, 59, 60, 61, 321, 322, 1000, 65499, 65500})
        for (bool wrapped : {false, true})
            for (int back = 1; back <= 1100; ++back)
                if (auto end = PageWindowEnd(head, wrapped, back)) {
                    ASSERT_GE(*end, 1);
                    ASSERT_LE(*end, 65500);
                }
}

TEST(ChartEngine, RulerFreezesAndReturnsToLive)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("pv_data"), 1000, 1000, kNoon);
    ring.SetHeads(1000, 0);
    EngineHost h(ring);
    h.engine.Form_KeyDown(Qt::Key_F4);
    EXPECT_TRUE(h.s().RulerMode);
    EXPECT_FALSE(h.ui.liveTimer);
    EXPECT_TRUE(h.ui.sliderEnabled);
    EXPECT_EQ(h.ui.rulerCaption, QStringLiteral("F4 复原"));
    EXPECT_EQ(h.ui.cursor.colour, (Rgb{255, 255, 0}));
    EXPECT_EQ(h.ui.cursor.to, QPointF(1, 330));
    const QString clock = h.ui.clockTime;
    h.engine.ClockTick();
    EXPECT_EQ(h.ui.clockTime, clock);   // the ruler holds the clock labels

    // Paging works under the ruler; F4 then goes live, keeping PageBack.
    h.engine.Form_KeyDown(Qt::Key_F7);
    ring.SetHeads(1003, 0);
    h.engine.Form_KeyDown(Qt::Key_F4);
    EXPECT_FALSE(h.s().RulerMode);
    EXPECT_TRUE(h.ui.liveTimer);
    EXPECT_FALSE(h.ui.sliderEnabled);
    EXPECT_EQ(h.ui.sliderPosition, 0);
    EXPECT_EQ(h.s().WindowEnd, 1003);
    EXPECT_EQ(h.s().WindowSize, 241);
    EXPECT_EQ(h.s().PageBack, 1);
    EXPECT_EQ(h.ui.rulerCaption, QStringLiteral("F4 标尺"));
    EXPECT_EQ(h.ui.cursor.colour, (Rgb{0, 255, 0}));

    // Two pages back under the ruler, then live through F4 with PageBack
    // still 2: F6 shows page 1, and a page takes no live appends.
    h.engine.Form_KeyDown(Qt::Key_F4);
    h.engine.Form_KeyDown(Qt::Key_F7);
    h.engine.Form_KeyDown(Qt::Key_F4);
    EXPECT_EQ(h.s().PageBack, 2);
    EXPECT_TRUE(h.ui.liveTimer);
    h.engine.Form_KeyDown(Qt::Key_F6);
    EXPECT_EQ(h.s().PageBack, 1);
    EXPECT_EQ(h.s().WindowEnd, 943);
    EXPECT_EQ(h.s().WindowSize, 321);
    EXPECT_FALSE(h.ui.liveTimer);
}

TEST(ChartEngine, RulerReadout)
{
    RingFixture ring;
    ring.WriteRing(QStringLiteral("pv_data"), 1000, 1000, kNoon);
    ring.SetHeads(1000, 0);
    EngineHost h(ring);
    h.engine.OnRulerMove(300);   // ruler off: not the operator's move
    EXPECT_EQ(h.ui.readout[0], QString());
    h.engine.Command4_Click();   // level 2
    EXPECT_EQ(h.ui.sliderSteps, 75);
    h.engine.Command5_Click();
    h.engine.OnRulerMove(0);
    // Sample 120 of ids 760..1000 is id 879, 121 rows old: 11:57:59.
    EXPECT_EQ(h.ui.clockTime, QStringLiteral("11:57:59"));
    EXPECT_EQ(h.ui.clockDate, QStringLiteral("2024/03/05"));
    EXPECT_EQ(h.ui.readout[0], QStringLiteral("121"));
    EXPECT_EQ(h.ui.readout[1], QStringLiteral("50"));
    EXPECT_EQ(h.ui.readoutBackground, (Rgb{255, 255, 0}));
    EXPECT_EQ(h.ui.clockBackground, (Rgb{255, 255, 0}));
    EXPECT_EQ(h.ui.cursor.from, QPointF(0, 0));
    EXPECT_EQ(h.ui.cursor.to, QPointF(0, 7500));
    EXPECT_EQ(h.ui.cursor.colour, (Rgb{192, 0, 192}));

    // Level 4 at 12000 reads sample 320, which a live window leaves empty.
    h.engine.Command4_Click();
    h.engine.Command4_Click();
    EXPECT_EQ(h.ui.sliderSteps, 38);
    h.engine.OnRulerMove(12000);
    EXPECT_EQ(h.ui.readout[0], QStringLiteral("0"));
    EXPECT_EQ(h.ui.clockDate, QStringLiteral("00:00:00"));
    EXPECT_EQ(h.ui.clockTime, QStringLiteral("00:00:00"));

    // The end stops page: -1 one page older, 12001 one newer.
    h.engine.OnRulerMove(-1);
    EXPECT_EQ(h.s().PageBack, 1);
    EXPECT_EQ(h.s().WindowEnd, 940);
    EXPECT_EQ(h.ui.cursor.from, QPointF(-1, 0));
    EXPECT_EQ(h.ui.readout[0], QStringLiteral("0"));   // sample FirstIndex = 0, never filled
    h.engine.OnRulerMove(12001);
    EXPECT_EQ(h.s().PageBack, 0);
    h.engine.OnRulerMove(12001);
    EXPECT_EQ(h.s().PageBack, 0);
}

TEST(ChartEngine, ZoomKeysAndButtons)
{
    RingFixture ring;
    EngineHost h(ring);
    EXPECT_FALSE(h.engine.Form_KeyDown(Qt::Key_F2));   // level 1: nothing
    EXPECT_EQ(h.s().ZoomLevel, 1);
    for (int level = 2; level <= 4; ++level) {
        EXPECT_TRUE(h.engine.Form_KeyDown(Qt::Key_F1));
        EXPECT_EQ(h.s().ZoomLevel, level);
    }
    EXPECT_FALSE(h.ui.enabled[ChartButton::ZoomOut]);
    EXPECT_TRUE(h.ui.enabled[ChartButton::ZoomIn]);
    EXPECT_FALSE(h.engine.Form_KeyDown(Qt::Key_F1));
    EXPECT_EQ(h.s().ZoomLevel, 4);
    h.engine.Form_KeyDown(Qt::Key_F2);
    EXPECT_EQ(h.ui.sliderSteps, 50);
    EXPECT_TRUE(h.ui.enabled[ChartButton::ZoomOut]);

    const ChartState before = h.s();
    EXPECT_TRUE(h.engine.Form_KeyDown(Qt::Key_F3));
    EXPECT_TRUE(h.engine.Form_KeyDown(Qt::Key_F5));
    EXPECT_FALSE(h.engine.Form_KeyDown(Qt::Key_A));
    EXPECT_EQ(h.s().ZoomLevel, before.ZoomLevel);
    EXPECT_EQ(h.s().RulerMode, before.RulerMode);
    EXPECT_EQ(h.ui.exits, 0);
    EXPECT_TRUE(h.engine.Form_KeyDown(Qt::Key_Escape));
    EXPECT_EQ(h.ui.exits, 1);
}

TEST(YRange, AcceptedAndRejectedInputs)
{
    struct Case {
        const char* max;
        const char* min;
        bool accepted;
        YRangeValues result;
    };
    const std::vector<Case> cases = {
        {"1500", "0", true, {0, 1500, 1500}},
        {"600", "500", true, {500, 600, 100}},
        {"1.5", "0.5", true, {0, 2, 1}},
        {" 1 2 0 0", "-12000", true, {-12000, 1200, 13200}},
        {"20000", "-12000", true, {-12000, 20000, 32000}},
        {"36000", "-12000", false, {}},   // span too large: nothing assigned
        {"36000", "0", false, {}},        // max beyond 16 bits
        {"36001", "0", false, {}},
        {"0", "-12001", false, {}},
        {"100", "200", false, {}},
        {"36000", "35001", false, {}},
        {"500", "500", false, {}},        // a span of 0
        {"1.4", "1.2", false, {}},        // rounds to a span of 0
        {"", "0", false, {}},
        {"100", "", false, {}},
        {"abc", "0", false, {}},
        {"１５００", "-100", true, {-100, 1500, 1600}},   // full-width digits are that number
        {"ａｂｃ", "0", false, {}},       // full-width letters are none
        {"\r1500", "0", false, {}},       // nor is a text that starts with a return
        {"+.5e3", "-.5E3", true, {-500, 500, 1000}},
    };
    for (const Case& c : cases) {
        YRangeValues v{7, 8, 9};
        EXPECT_EQ(AcceptYRange(QString::fromUtf8(c.max), QString::fromUtf8(c.min), v), c.accepted)
            << c.max << " / " << c.min;
        const YRangeValues expected = c.accepted ? c.result : YRangeValues{7, 8, 9};
        EXPECT_EQ(v.min, expected.min) << c.max << " / " << c.min;
        EXPECT_EQ(v.max, expected.max) << c.max << " / " << c.min;
        EXPECT_EQ(v.span, expected.span) << c.max << " / " << c.min;
    }
}

TEST(ChartEngine, YRangeEditorOfEachWindow)
{
    RingFixture ring;
    EngineHost overview(ring);
    EXPECT_FALSE(overview.engine.Command26_Click(QStringLiteral("500"), QStringLiteral("500")));
    EXPECT_EQ(YSpan, 1500);
    EXPECT_TRUE(overview.engine.Command26_Click(QStringLiteral("600"), QStringLiteral("500")));
    EXPECT_EQ(YMin, 500);
    EXPECT_EQ(YMax, 600);
    EXPECT_EQ(YSpan, 100);
    EXPECT_TRUE(overview.ui.yEditorVisible);   // the overview's editor stays

    EngineHost history(ring, kHistoryChart);
    history.ui.yEditorVisible = false;
    history.engine.Label5_DblClick();
    EXPECT_TRUE(history.ui.yEditorVisible);
    EXPECT_TRUE(history.engine.Command26_Click(QStringLiteral("1500"), QStringLiteral("0")));
    EXPECT_FALSE(history.ui.yEditorVisible);
    YSpan = 1500;
    YMin = 0;
}
