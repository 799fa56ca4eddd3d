#pragma once
// One chart window's engine: the chart state with its data window, the
// redraw, ruler and paging, zoom, keys, ruler cursor, Y range editor and
// clock labels. The host window forwards its handlers here and the engine
// drives the host's controls through a ChartBinding.

#include "trend/ChartBinding.h"
#include "trend/ChartKeys.h"
#include "trend/ChartState.h"
#include "trend/TrendWindow.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <functional>
#include <span>

namespace chart {

// The hand-shake with the recorder: CurveOpen and this window's new-row
// flag (NewShortRec or NewLongRec).
struct ChartHandshake {
    bool* curveOpen = nullptr;
    bool* newRowFlag = nullptr;
};

class ChartEngine {
public:
    using Clock = std::function<QDateTime()>;

    ChartEngine(const ChartProfile& profile, ChartBinding& binding, ChartHandshake handshake,
                Clock clock = &QDateTime::currentDateTime);

    // The chart set-up of the window's load, on the window's own connection.
    void Setup(const QSqlDatabase& database);
    // The window goes away: forget the connection, clear CurveOpen. Only an
    // unload that goes through calls this; a refused close keeps the chart.
    void Teardown();

    // Timer1 (200 ms, while live): clock label colours, Y labels and the
    // live append when the recorder reported a row. values are
    // StatusValues; the host runs its own steps around it.
    void LiveTick(std::span<const float> values);
    // Timer2 (1 s): redraw, in every mode.
    void RedrawTick();
    // Timer3 (1 s): the clock labels while the ruler is off.
    void ClockTick();

    void Command3_Click();   // "F2 放大"
    void Command4_Click();   // "F1 缩小"
    void Command2_Click();   // "F3 打印": nothing
    void Command5_Click();   // "F4 标尺" / "F4 复原"
    void Command6_Click();   // "F5 选择": nothing
    void Command7_Click();   // "F6 左移": one page newer
    void Command8_Click();   // "F7 右移": one page older

    // The window's key handler; returns whether the key ran a chart action.
    // Such a key is the chart's alone: the window keeps it from the control
    // with the focus, which gets every other key.
    bool Form_KeyDown(int qtKey);
    // The slider's position notification.
    void OnRulerMove(int position);
    void Label5_DblClick();
    // "修改Y" with the texts of YKD (maximum) and YKD1 (minimum).
    bool Command26_Click(const QString& maxText, const QString& minText);

    // The redraw sequence: erase, DrawGrid, ApplyZoom, DrawTrend.
    void Redraw();

    const ChartState& State() const { return state_; }
    const ChartPicture& Picture() const { return picture_; }
    const ChartProfile& Profile() const { return profile_; }
    // Label19's text: StepX.
    QString StepXText() const;

private:
    void Load();      // LoadTrendWindow and the clock labels from its first sample
    void LiveLoad();  // head, live sizes, load
    void ShowLoadedClock();
    void AfterLiveLoad();
    void SetSlider(int position);
    void ZoomTo(int level);

    ChartState state_;
    const ChartProfile& profile_;
    ChartBinding& ui_;
    ChartHandshake handshake_;
    Clock clock_;
    TrendWindow window_;
    ChartPicture picture_;
    bool settingSlider_ = false;
};

} // namespace chart
