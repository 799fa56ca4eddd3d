#include "pages/LiveValueBar.h"

#include "device/Met1.h"
#include "platform/basic/numbers.h"

#include <array>

namespace pages {

namespace {

using Kind = forms::StatusBar::Kind;
constexpr int kCaptionWidth = 600;
constexpr int kValueWidth = 1350;

constexpr const char* kCaptions[] = {"PV", "OP", "SV", "PV1", "PV2", "SV1", "SV2"};
constexpr int kValues = static_cast<int>(std::size(kCaptions));

std::array<forms::StatusBar::PanelDef, 2 * kValues + 2> Panels(TimeForm time)
{
    std::array<forms::StatusBar::PanelDef, 2 * kValues + 2> panels{};
    for (int k = 0; k < kValues; ++k) {
        panels[size_t(2 * k)] = {Kind::Text, kCaptions[k], kCaptionWidth};
        panels[size_t(2 * k + 1)] = {Kind::Text, "", kValueWidth};
    }
    panels[2 * kValues] = {Kind::Date, "", 1950};
    panels[2 * kValues + 1] = {time == TimeForm::Seconds ? Kind::Time : Kind::ShortTime, "", 1500};
    return panels;
}

} // namespace

LiveValueBar::LiveValueBar(TimeForm time, QWidget* parent)
    : forms::StatusBar(Panels(time).data(), 2 * kValues + 2, parent)
{
}

void LiveValueBar::ShowLiveValues()
{
    for (int k = 1; k <= kValues; ++k)
        SetPanelText(2 * k, basic::PlainText(StatusValues[size_t(k - 1)]));
}

} // namespace pages
