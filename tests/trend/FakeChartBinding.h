#pragma once
// A ChartBinding that remembers what the engine showed.

#include "trend/ChartBinding.h"

#include <map>

namespace chart::testing {

struct FakeChartBinding : ChartBinding {
    ChartPicture picture;
    int pictures = 0;
    CursorLine cursor;
    std::array<QString, 7> yLabels;
    QString clockDate, clockTime;
    Rgb clockBackground{1, 2, 3};
    std::array<QString, 6> readout;
    Rgb readoutBackground{1, 2, 3};
    std::map<ChartButton, bool> enabled;
    QString rulerCaption;
    bool sliderEnabled = false;
    int sliderPosition = -100;
    int sliderSteps = 50;
    bool liveTimer = true;
    int timerSwitches = 0;
    bool yEditorVisible = true;
    int exits = 0;

    void ShowPicture(const ChartPicture& p) override { picture = p; ++pictures; }
    void ShowCursor(const CursorLine& c) override { cursor = c; }
    void SetYLabels(const std::array<QString, 7>& t) override { yLabels = t; }
    void SetClockTexts(const QString& d, const QString& t) override { clockDate = d; clockTime = t; }
    void SetClockBackground(Rgb c) override { clockBackground = c; }
    void SetReadout(const std::array<QString, 6>& t) override { readout = t; }
    void SetReadoutBackground(Rgb c) override { readoutBackground = c; }
    void SetButtonEnabled(ChartButton b, bool e) override { enabled[b] = e; }
    void SetRulerCaption(const QString& c) override { rulerCaption = c; }
    void FocusRulerButton() override {}
    void SetSliderEnabled(bool e) override { sliderEnabled = e; }
    void SetSliderPosition(int p) override { sliderPosition = p; }
    void SetSliderSteps(int s) override { sliderSteps = s; }
    void FocusSlider() override {}
    void SetLiveTimer(bool on) override { liveTimer = on; ++timerSwitches; }
    void SetYEditorVisible(bool v) override { yEditorVisible = v; }
    void PressExit() override { ++exits; }
};

} // namespace chart::testing
