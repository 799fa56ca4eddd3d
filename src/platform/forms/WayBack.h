#pragma once
// The way back: a window shown in place of another, and its return to it
// (or to the home window).

#include "platform/forms/DefaultInstances.h"

#include <functional>

namespace forms {

// The window the station comes home to (the overview), registered once at
// start-up; the function loads it when it is not loaded.
void SetHomeWindow(std::function<Form&()> home);

// Shows window in place of from: from hides, stays loaded with its timers
// running, and is the window that window's return shows again.
void ShowInPlaceOf(Form& window, Form& from);

// A window's way back (its return button): CloseGuard False, the window
// unloaded, then the window it replaced shown again as it was left, when
// that is still loaded, or else the home window. Nothing else is read or
// written.
void ClosePage(Form& window);

} // namespace forms
