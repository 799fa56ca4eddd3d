#pragma once
// The calibration import: lists the Calibration records, loads one by its
// number into CaliImportBuf and writes its 42 values back into registers
// 24577..24618. Shown by the configuration page's "校准导入" in the page's
// place:
//
//     forms::ShowInPlaceOf(forms::Instance<Inport_Cali>(), *this);
//
// "返回上层 " shows the page again.

#include "exchange/ImportPage.h"

class Inport_Cali : public ImportPage {
    Q_OBJECT
public:
    Inport_Cali();
};
