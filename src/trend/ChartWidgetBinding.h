#pragma once
// Binds a chart engine to the widgets of its host window. The host fills
// ChartControls with its own members (the overview and the history window
// carry the same controls under the same names) and forwards its handlers
// to the engine; the host's key preview (forms::KeyPreview) gives the
// engine every key of the window before its controls see it.

#include "trend/ChartBinding.h"
#include "trend/ChartCanvas.h"

#include <QObject>
#include <array>
#include <functional>
#include <vector>

class QAbstractButton;
class QLabel;
class QSlider;
class QTimer;

namespace chart {

class ChartEngine;

struct ChartControls {
    ChartCanvas* pt = nullptr;
    QSlider* hc = nullptr;
    QLabel* dateLabel = nullptr;                    // Label2(9)
    QLabel* timeLabel = nullptr;                    // Label2(10)
    std::array<QLabel*, 7> yLabels{};               // Label5(0..6)
    std::array<QLabel*, 9> timeLabels{};            // Label4(0..8)
    std::array<QLabel*, 9> dateLabels{};            // Label7(0..8)
    std::array<QLabel*, 6> readout{};               // D_4WH(0..5) or D_3W(0..5)
    QAbstractButton* Command4 = nullptr;            // "F1 缩小"
    QAbstractButton* Command3 = nullptr;            // "F2 放大"
    QAbstractButton* Command5 = nullptr;            // "F4 标尺"
    QAbstractButton* Command7 = nullptr;            // "F6 左移"
    QAbstractButton* Command8 = nullptr;            // "F7 右移"
    QTimer* Timer1 = nullptr;                       // the live tick
    std::vector<QWidget*> yEditor;                  // Label9, YKD, Label10, YKD1, Command26
    std::function<void()> Command1_Click;           // "退出" / "返回"
};

// Gives a label a background colour that survives its style.
void SetLabelBackground(QLabel* label, Rgb colour);

class ChartWidgetBinding : public ChartBinding {
public:
    explicit ChartWidgetBinding(ChartControls controls);

    void ShowPicture(const ChartPicture& picture) override;
    void ShowCursor(const CursorLine& cursor) override;
    void SetYLabels(const std::array<QString, 7>& texts) override;
    void SetClockTexts(const QString& date, const QString& time) override;
    void SetClockBackground(Rgb colour) override;
    void SetReadout(const std::array<QString, 6>& texts) override;
    void SetReadoutBackground(Rgb colour) override;
    void SetButtonEnabled(ChartButton button, bool enabled) override;
    void SetRulerCaption(const QString& caption) override;
    void FocusRulerButton() override;
    void SetSliderEnabled(bool enabled) override;
    void SetSliderPosition(int position) override;
    void SetSliderSteps(int step) override;
    void FocusSlider() override;
    void SetLiveTimer(bool on) override;
    void SetYEditorVisible(bool visible) override;
    void PressExit() override;

    const ChartControls& Controls() const { return c_; }

private:
    QAbstractButton* Button(ChartButton button) const;
    ChartControls c_;
};

// Connects the buttons, the slider and the zoom, ruler and paging handlers
// of the controls to the engine (the Y range editor's button and the Y
// labels' double-click stay with the host, which owns their texts). An
// engine that goes before its controls names itself, or its owner, as the
// context, so that the connections go with it.
void ConnectChartControls(const ChartControls& controls, ChartEngine& engine,
                          QObject* context = nullptr);

} // namespace chart
