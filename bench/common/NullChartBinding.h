#pragma once
// A chart binding that shows nothing, for timing the engine alone.

#include "trend/ChartBinding.h"

struct NullBinding : chart::ChartBinding {
    void ShowPicture(const chart::ChartPicture&) override {}
    void ShowCursor(const chart::CursorLine&) override {}
    void SetYLabels(const std::array<QString, 7>&) override {}
    void SetClockTexts(const QString&, const QString&) override {}
    void SetClockBackground(chart::Rgb) override {}
    void SetReadout(const std::array<QString, 6>&) override {}
    void SetReadoutBackground(chart::Rgb) override {}
    void SetButtonEnabled(chart::ChartButton, bool) override {}
    void SetRulerCaption(const QString&) override {}
    void FocusRulerButton() override {}
    void SetSliderEnabled(bool) override {}
    void SetSliderPosition(int) override {}
    void SetSliderSteps(int) override {}
    void FocusSlider() override {}
    void SetLiveTimer(bool) override {}
    void SetYEditorVisible(bool) override {}
    void PressExit() override {}
};
