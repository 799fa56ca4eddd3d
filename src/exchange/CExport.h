#pragma once
// The calibration export: a modal dialog over the window that opens it.
// "开始导出数据" reads the 64 calibration registers from 24577 into CaliBuf
// and asks the recorder for a Calibration record with the operator's name
// and a remark. Opened by the configuration page's "校准导出":
//
//     forms::ShowModal<CExport>(this);
//
// Unlike the configuration export its tick comes once a second and leaves
// OperatorName alone, and the number shows "-99999" until that first tick.

#include "exchange/ExportDialog.h"

#include <array>

class CExport : public ExportDialog {
    Q_OBJECT
public:
    CExport();

    // "本次操作自动ID编码", "操作人：", "操作备注信息："
    std::array<QLabel*, 3> Label2{};
    QLineEdit* Text2 = nullptr;   // the remark
    QLabel* Label1 = nullptr;     // the outcome, red

    QLabel* ResultLabel() const override { return Label1; }

protected:
    void TakeTexts() override;
};
