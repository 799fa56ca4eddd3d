#pragma once
// The configuration export: a modal dialog over the configuration page.
// "开始导出数据" reads registers 4097..4288 into ConfBuf and asks the
// recorder for a CONF record under the operator's name; the recorder stores
// it on its next tick. Opened by the configuration page's "数据导出":
//
//     forms::ShowModal<Inport1>(this);
//
// which returns once "退出" has unloaded the dialog.

#include "exchange/ExportDialog.h"

#include <QProgressBar>
#include <array>

class Inport1 : public ExportDialog {
    Q_OBJECT
public:
    Inport1();

    QLabel* Label1 = nullptr;               // "任务进程", the bar's caption
    QProgressBar* ProgressBar1 = nullptr;   // 0, 20, 40, 60, 100
    std::array<QLabel*, 2> Label2{};        // "保存编号", "操作人："
    QLabel* LabelResult = nullptr;          // the outcome, under the name

    QLabel* ResultLabel() const override { return LabelResult; }

protected:
    void ShowProgress(int value) override;
};
