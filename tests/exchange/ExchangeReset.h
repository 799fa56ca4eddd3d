#pragma once
// The hand-shake with the recorder and the import buffers as at start-up,
// and register values that tell the registers apart.

#include "exchange/ExchangeShared.h"
#include "trend/RecorderShared.h"

#include <cstdint>

namespace testsupport {

inline void ResetExchange()
{
    SaveConfFlag = SaveCaliFlag = false;
    SaveConfResult = SaveCaliResult = {};
    ConfBuf.fill(0);
    CaliBuf.fill(0);
    OperatorName.clear();
    CaliNote.clear();
    ImportBuf.fill(0);
    CaliImportBuf.fill(0);
}

// A value for register r that differs from its neighbours, negatives too;
// another salt gives other values.
inline int32_t ValueOf(int r, int salt = 0) { return (r * 37 + salt * 101) % 2000 - 700; }

} // namespace testsupport
