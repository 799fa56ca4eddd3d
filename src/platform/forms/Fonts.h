#pragma once
// The station's start-up look and its fonts.

#include <QFont>

class QApplication;

namespace forms {

// Called once before the first window: our own style, the default font
// (the Song face at 9 points) and no quit on the last closed window. The
// splash is unloaded before the overview is shown, so for a moment the
// station has no window at all; only "退出" ends the process.
void SetUpStation(QApplication& app);

// The Song face the layouts are drawn for, with CJK fallbacks where it is
// missing; Arial likewise for the clock labels.
QFont SongFont(double points, bool bold = false);
QFont ArialFont(double points, bool bold = false);

} // namespace forms
