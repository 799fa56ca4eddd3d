#pragma once
// The window layer every window of the station stands on: default
// instances, the close guard, the way back to the window one came from,
// modal windows, twips placement and centring, the editable drop-down list
// and its items, the key preview, captioned frames and tab pages,
// word-wrapping buttons, the status bar and the station's fonts. Each has
// its own header; this one brings them all.

#include "platform/forms/Buttons.h"
#include "platform/forms/DefaultInstances.h"
#include "platform/forms/Fonts.h"
#include "platform/forms/FramesAndTabs.h"
#include "platform/forms/KeyPreview.h"
#include "platform/forms/Lists.h"
#include "platform/forms/ModalWindows.h"
#include "platform/forms/PaintedPictures.h"
#include "platform/forms/Placement.h"
#include "platform/forms/StatusBar.h"
#include "platform/forms/WayBack.h"
