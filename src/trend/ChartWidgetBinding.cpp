#include "trend/ChartWidgetBinding.h"

#include "platform/forms/Forms.h"
#include "trend/ChartEngine.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace chart {

void SetLabelBackground(QLabel* label, Rgb colour)
{
    if (label)
        forms::SetBackColour(label, forms::Colour(colour));
}

namespace {

void SetText(QLabel* label, const QString& text)
{
    if (label)
        label->setText(text);
}

} // namespace

ChartWidgetBinding::ChartWidgetBinding(ChartControls controls) : c_(std::move(controls))
{
    if (c_.hc) {
        c_.hc->setRange(-1, 12001);
        // Small and large change until the first zoom click sets StepX.
        c_.hc->setSingleStep(50);
        c_.hc->setPageStep(50);
        c_.hc->setEnabled(false);
    }
}

void ChartWidgetBinding::ShowPicture(const ChartPicture& picture)
{
    if (c_.pt)
        c_.pt->SetPicture(picture);
    for (int i = 0; i < 9; ++i) {
        SetText(c_.timeLabels[i], picture.timeLabels[i]);
        SetText(c_.dateLabels[i], picture.dateLabels[i]);
    }
}

void ChartWidgetBinding::ShowCursor(const CursorLine& cursor)
{
    if (c_.pt)
        c_.pt->SetCursor(cursor);
}

void ChartWidgetBinding::SetYLabels(const std::array<QString, 7>& texts)
{
    for (int i = 0; i < 7; ++i)
        SetText(c_.yLabels[i], texts[i]);
}

void ChartWidgetBinding::SetClockTexts(const QString& date, const QString& time)
{
    SetText(c_.dateLabel, date);
    SetText(c_.timeLabel, time);
}

void ChartWidgetBinding::SetClockBackground(Rgb colour)
{
    SetLabelBackground(c_.dateLabel, colour);
    SetLabelBackground(c_.timeLabel, colour);
}

void ChartWidgetBinding::SetReadout(const std::array<QString, 6>& texts)
{
    for (int i = 0; i < 6; ++i)
        SetText(c_.readout[i], texts[i]);
}

void ChartWidgetBinding::SetReadoutBackground(Rgb colour)
{
    for (QLabel* label : c_.readout)
        SetLabelBackground(label, colour);
}

QAbstractButton* ChartWidgetBinding::Button(ChartButton button) const
{
    switch (button) {
    case ChartButton::ZoomOut: return c_.Command4;
    case ChartButton::ZoomIn: return c_.Command3;
    case ChartButton::Ruler: return c_.Command5;
    case ChartButton::PageNewer: return c_.Command7;
    case ChartButton::PageOlder: return c_.Command8;
    }
    return nullptr;
}

void ChartWidgetBinding::SetButtonEnabled(ChartButton button, bool enabled)
{
    if (QAbstractButton* b = Button(button))
        b->setEnabled(enabled);
}

void ChartWidgetBinding::SetRulerCaption(const QString& caption)
{
    if (c_.Command5)
        c_.Command5->setText(caption);
}

void ChartWidgetBinding::FocusRulerButton()
{
    if (c_.Command5)
        c_.Command5->setFocus();
}

void ChartWidgetBinding::SetSliderEnabled(bool enabled)
{
    if (c_.hc)
        c_.hc->setEnabled(enabled);
}

void ChartWidgetBinding::SetSliderPosition(int position)
{
    if (c_.hc)
        c_.hc->setValue(position);
}

void ChartWidgetBinding::SetSliderSteps(int step)
{
    if (!c_.hc)
        return;
    c_.hc->setSingleStep(step);
    c_.hc->setPageStep(step);
}

void ChartWidgetBinding::FocusSlider()
{
    if (c_.hc && c_.hc->isEnabled())
        c_.hc->setFocus();
}

void ChartWidgetBinding::SetLiveTimer(bool on)
{
    if (!c_.Timer1)
        return;
    if (on)
        c_.Timer1->start();
    else
        c_.Timer1->stop();
}

void ChartWidgetBinding::SetYEditorVisible(bool visible)
{
    for (QWidget* w : c_.yEditor)
        if (w)
            w->setVisible(visible);
}

void ChartWidgetBinding::PressExit()
{
    if (c_.Command1_Click)
        c_.Command1_Click();
}

void ConnectChartControls(const ChartControls& c, ChartEngine& engine, QObject* context)
{
    auto click = [context](QAbstractButton* button, auto handler) {
        if (button)
            QObject::connect(button, &QAbstractButton::clicked, context ? context : button,
                             handler);
    };
    click(c.Command4, [&engine] { engine.Command4_Click(); });
    click(c.Command3, [&engine] { engine.Command3_Click(); });
    click(c.Command5, [&engine] { engine.Command5_Click(); });
    click(c.Command7, [&engine] { engine.Command7_Click(); });
    click(c.Command8, [&engine] { engine.Command8_Click(); });
    if (c.hc)
        QObject::connect(c.hc, &QSlider::valueChanged, context ? context : c.hc,
                         [&engine](int position) { engine.OnRulerMove(position); });
}

} // namespace chart
