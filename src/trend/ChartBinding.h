#pragma once
// What the chart engine needs of the window that hosts it: the canvas, the
// labels, buttons, slider and live timer it drives. The overview and the
// history window each implement it over their own controls (see
// ChartWidgetBinding for the widget version); tests use a recording fake.

#include "trend/ChartDrawing.h"
#include "trend/ChartProfile.h"

#include <QString>
#include <array>

namespace chart {

enum class ChartButton {
    ZoomOut,    // Command4 "F1 缩小"
    ZoomIn,     // Command3 "F2 放大"
    Ruler,      // Command5 "F4 标尺" / "F4 复原"
    PageNewer,  // Command7 "F6 左移"
    PageOlder,  // Command8 "F7 右移"
};

class ChartBinding {
public:
    virtual ~ChartBinding() = default;

    // The canvas pt shows the picture (grid, markers, curves) and the time
    // and date labels Label4/Label7 its texts.
    virtual void ShowPicture(const ChartPicture& picture) = 0;
    // The cursor Line1, an overlay: moving it leaves the picture as it is.
    virtual void ShowCursor(const CursorLine& cursor) = 0;

    virtual void SetYLabels(const std::array<QString, 7>& texts) = 0;   // Label5
    virtual void SetClockTexts(const QString& date, const QString& time) = 0;   // Label2(9), (10)
    virtual void SetClockBackground(Rgb colour) = 0;
    virtual void SetReadout(const std::array<QString, 6>& texts) = 0;   // D_4WH / D_3W 0..5
    virtual void SetReadoutBackground(Rgb colour) = 0;

    virtual void SetButtonEnabled(ChartButton button, bool enabled) = 0;
    virtual void SetRulerCaption(const QString& caption) = 0;
    virtual void FocusRulerButton() = 0;

    // The slider hc (-1 to 12001).
    virtual void SetSliderEnabled(bool enabled) = 0;
    virtual void SetSliderPosition(int position) = 0;
    virtual void SetSliderSteps(int step) = 0;
    virtual void FocusSlider() = 0;

    virtual void SetLiveTimer(bool on) = 0;   // Timer1
    virtual void SetYEditorVisible(bool visible) = 0;
    virtual void PressExit() = 0;             // Command1: "退出" / "返回"
};

} // namespace chart
