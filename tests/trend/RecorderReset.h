#pragma once
// The hand-shake with the recorder and the live values as at start-up, for
// the recorder tests.

#include "device/Met1.h"
#include "trend/RecorderShared.h"

inline void ResetHandshake()
{
    CurveOpen = NewShortRec = NewLongRec = false;
    SaveConfFlag = SaveCaliFlag = false;
    ConfBuf.fill(0);
    CaliBuf.fill(0);
    OperatorName.clear();
    CaliNote.clear();
    SaveConfResult = SaveCaliResult = {};
    StatusValues.fill(0);
}
