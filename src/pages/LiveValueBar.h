#pragma once
// The status bar of live values that the overview, the configuration page
// and the program editor carry: "PV", "OP", "SV", "PV1", "PV2", "SV1",
// "SV2", each followed by its value, then the date and the time, which the
// bar keeps current itself.

#include "platform/forms/Forms.h"

namespace pages {

// How the bar shows the time: the overview with seconds, the pages in hours
// and minutes.
enum class TimeForm { Seconds, Minutes };

class LiveValueBar : public forms::StatusBar {
    Q_OBJECT
public:
    LiveValueBar(TimeForm time, QWidget* parent);

    // Panels 2, 4, ... 14 show StatusValues 0 to 6 as the live poll last
    // left them (zeros before the first poll); run on each tick of the
    // window's timer.
    void ShowLiveValues();
};

} // namespace pages
