#include "trend/ChartEngine.h"

#include "platform/basic/numbers.h"
#include "trend/ChartPaging.h"
#include "trend/ChartShared.h"
#include "trend/ChartText.h"
#include "trend/YRange.h"

namespace chart {

namespace {

constexpr Rgb kClockLiveGreen{128, 255, 128};
constexpr Rgb kReadoutYellow{255, 255, 0};
constexpr Rgb kCursorPurple{192, 0, 192};
constexpr Rgb kRulerOnYellow{255, 255, 0};
constexpr Rgb kRulerOffGreen{0, 255, 0};

const QString kRulerOnCaption = QStringLiteral("F4 复原");
const QString kRulerOffCaption = QStringLiteral("F4 标尺");

DrawSettings CurrentSettings()
{
    return {YSpan, YMin, CurveSel.data()};
}

} // namespace

ChartEngine::ChartEngine(const ChartProfile& profile, ChartBinding& binding,
                         ChartHandshake handshake, Clock clock)
    : profile_(profile), ui_(binding), handshake_(handshake), clock_(std::move(clock)),
      window_(state_, profile)
{
}

void ChartEngine::Setup(const QSqlDatabase& database)
{
    state_.AtOldest = false;
    if (handshake_.curveOpen)
        *handshake_.curveOpen = true;
    state_.PageBack = 0;
    ui_.SetSliderEnabled(false);
    ui_.SetButtonEnabled(ChartButton::ZoomIn, false);
    ui_.SetButtonEnabled(ChartButton::PageNewer, false);
    ui_.SetButtonEnabled(ChartButton::ZoomOut, true);
    ui_.SetButtonEnabled(ChartButton::PageOlder, true);
    ui_.SetRulerCaption(kRulerOffCaption);
    std::fill(state_.GapMark.begin() + 1, state_.GapMark.begin() + ClearedSamples, int16_t{0});
    state_.ZoomLevel = 1;

    window_.SetDatabase(database);
    window_.ReadHead();
    state_.PointCount = state_.WindowSize = LiveWindowSize;
    state_.WindowEnd = state_.HeadId;
    state_.LastIndex = state_.WriteIndex = LiveWindowSize;

    if (profile_.setsCurveSelOnLoad)
        CurveSel[0] = CurveSel[1] = CurveSel[2] = true;
    state_.RulerMode = false;
    SetSlider(0);
    Load();
    Redraw();
}

void ChartEngine::Teardown()
{
    window_.CloseDatabase();
    if (handshake_.curveOpen)
        *handshake_.curveOpen = false;
}

void ChartEngine::Load()
{
    window_.LoadTrendWindow();
    ShowLoadedClock();
}

void ChartEngine::ShowLoadedClock()
{
    const int j = state_.FirstIndex + 1;
    if (IsSampleIndex(j))
        ui_.SetClockTexts(DateValueText(state_.TrendDate[j]), DateValueText(state_.TrendTime[j]));
}

void ChartEngine::AfterLiveLoad()
{
    ShowLoadedClock();
    // The oldest page is judged against the head just read: a ring that has
    // grown since F7 was refused may have older pages now.
    if (state_.AtOldest) {
        state_.AtOldest = false;
        ui_.SetButtonEnabled(ChartButton::PageOlder, true);
    }
}

void ChartEngine::LiveLoad()
{
    window_.LiveLoad();
    AfterLiveLoad();
}

void ChartEngine::Redraw()
{
    picture_ = chart::Redraw(state_, profile_, CurrentSettings());
    ui_.ShowPicture(picture_);
}

void ChartEngine::LiveTick(std::span<const float> values)
{
    if (!state_.RulerMode) {
        ui_.SetClockBackground(kClockLiveGreen);
        if (profile_.readoutLiveBackground)
            ui_.SetReadoutBackground(*profile_.readoutLiveBackground);
    }
    ui_.SetYLabels(YAxisTexts(YSpan, YMin));
    if (handshake_.newRowFlag && *handshake_.newRowFlag) {
        // One clock reading for date and time, in whole seconds as the
        // recorder stamps its rows.
        QDateTime now = clock_();
        now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
        if (window_.LiveAppend(values, basic::SplitDayStamp(now)))
            AfterLiveLoad();
        *handshake_.newRowFlag = false;
        Redraw();
    }
}

void ChartEngine::RedrawTick()
{
    Redraw();
}

void ChartEngine::ClockTick()
{
    if (state_.RulerMode)
        return;
    const QDateTime now = clock_();
    ui_.SetClockTexts(ClockDateText(now), ClockTimeText(now));
}

void ChartEngine::ZoomTo(int level)
{
    state_.ZoomLevel = level;
    ui_.SetButtonEnabled(ChartButton::ZoomIn, level > 1);
    ui_.SetButtonEnabled(ChartButton::ZoomOut, level < 4);
    ApplyZoom(state_);
    ui_.SetSliderSteps(static_cast<int>(basic::RoundHalfEven(state_.StepX)));
    Redraw();
}

void ChartEngine::Command3_Click()
{
    if (state_.ZoomLevel > 1)
        ZoomTo(state_.ZoomLevel - 1);
}

void ChartEngine::Command4_Click()
{
    if (state_.ZoomLevel < 4)
        ZoomTo(state_.ZoomLevel + 1);
}

void ChartEngine::Command2_Click()
{
    // Nothing is printed.
}

void ChartEngine::Command6_Click()
{
    // The button stays disabled and its key has no effect.
}

void ChartEngine::SetSlider(int position)
{
    // A position set here is not an operator's move.
    settingSlider_ = true;
    ui_.SetSliderPosition(position);
    settingSlider_ = false;
}

void ChartEngine::Command5_Click()
{
    if (!state_.RulerMode) {
        SetSlider(0);
        ui_.ShowCursor({true, {1, 0}, {1, 330}, kRulerOnYellow, 2});
        ui_.SetSliderEnabled(true);
        state_.RulerMode = true;
        ui_.FocusSlider();
        ui_.SetLiveTimer(false);
        ui_.SetRulerCaption(kRulerOnCaption);
        return;
    }
    SetSlider(0);
    ui_.ShowCursor({true, {0, 0}, {0, 330}, kRulerOffGreen, 2});
    state_.RulerMode = false;
    ui_.SetSliderEnabled(false);
    ui_.FocusRulerButton();
    ui_.SetRulerCaption(kRulerOffCaption);
    ui_.SetLiveTimer(true);
    LiveLoad();
    Redraw();
}

void ChartEngine::Command8_Click()
{
    // A refused step changes nothing but the F7 button and AtOldest: the
    // display, PageBack and the live timer stay as they were.
    const int next = state_.PageBack + 1;
    const auto end = PageWindowEnd(state_.HeadId, state_.RingWrapped, next);
    if (!end) {
        state_.AtOldest = true;
        ui_.SetButtonEnabled(ChartButton::PageOlder, false);
        return;
    }
    state_.PageBack = next;
    state_.PointCount = state_.WindowSize = PagedWindowSize;
    ui_.SetLiveTimer(false);
    ui_.SetButtonEnabled(ChartButton::PageNewer, true);
    state_.WindowEnd = *end;
    state_.LastIndex = state_.WriteIndex = PagedWindowSize;
    Load();
    Redraw();
}

void ChartEngine::Command7_Click()
{
    if (state_.PageBack <= 0)
        return;
    --state_.PageBack;
    if (state_.PageBack == 0) {
        LiveLoad();
        ui_.SetButtonEnabled(ChartButton::PageNewer, false);
        Redraw();
        ui_.SetLiveTimer(true);
        return;
    }
    // A page takes no live appends. The live timer is off here already,
    // except after F4 has gone live from a page while PageBack stayed.
    ui_.SetLiveTimer(false);
    state_.PointCount = state_.WindowSize = PagedWindowSize;
    if (const auto end = PageWindowEnd(state_.HeadId, state_.RingWrapped, state_.PageBack))
        state_.WindowEnd = *end;
    state_.LastIndex = state_.WriteIndex = PagedWindowSize;
    Load();
    Redraw();
    if (state_.AtOldest) {
        state_.AtOldest = false;
        ui_.SetButtonEnabled(ChartButton::PageOlder, true);
    }
}

bool ChartEngine::Form_KeyDown(int qtKey)
{
    const auto action = KeyAction(qtKey, state_);
    if (!action)
        return false;
    switch (*action) {
    case ChartAction::ZoomIn: Command3_Click(); break;
    case ChartAction::ZoomOut: Command4_Click(); break;
    case ChartAction::PageNewer: Command7_Click(); break;
    case ChartAction::PageOlder: Command8_Click(); break;
    case ChartAction::Ruler: Command5_Click(); break;
    case ChartAction::Print: Command2_Click(); break;
    case ChartAction::Exit: ui_.PressExit(); break;
    case ChartAction::Select: Command6_Click(); break;
    }
    return true;
}

void ChartEngine::OnRulerMove(int p)
{
    if (settingSlider_ || !state_.RulerMode)
        return;
    if (p == -1 && !state_.AtOldest)
        Command8_Click();
    if (p == 12001 && state_.PageBack > 0)
        Command7_Click();
    ui_.ShowCursor({true, {double(p), 0}, {double(p), 7500}, kCursorPurple, 2});
    if (state_.StepX == 0)
        return;
    const int j = static_cast<int>(basic::RoundHalfEven(p / state_.StepX)) + state_.FirstIndex;
    if (!IsSampleIndex(j))
        return;
    ui_.SetClockTexts(DateValueText(state_.TrendDate[j]), DateValueText(state_.TrendTime[j]));
    ui_.SetClockBackground(kReadoutYellow);
    std::array<QString, 6> values;
    for (int i = 0; i < 6; ++i)
        values[i] = basic::PlainText(state_.TrendVal[i][j]);
    ui_.SetReadout(values);
    ui_.SetReadoutBackground(kReadoutYellow);
}

void ChartEngine::Label5_DblClick()
{
    ui_.SetYEditorVisible(true);
}

bool ChartEngine::Command26_Click(const QString& maxText, const QString& minText)
{
    YRangeValues range;
    if (!AcceptYRange(maxText, minText, range))
        return false;
    YMin = range.min;
    YMax = range.max;
    YSpan = range.span;
    if (profile_.hidesYEditorAfterAccept)
        ui_.SetYEditorVisible(false);
    return true;
}

QString ChartEngine::StepXText() const
{
    return basic::PlainText(state_.StepX);
}

} // namespace chart
