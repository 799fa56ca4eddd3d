#pragma once
// The export dialog both exports stand on: a modal window over its opener
// with the save number, the operator's name, "开始导出数据" and "退出".
// Its export reads the controller's block and hands it to the recorder
// (exchange::RunExport); a label of the window then tells whether the
// recorder stored the record. The configuration export (Inport1) and the
// calibration export (CExport) add their own controls and differ only in
// the design below.

#include "exchange/ExchangeCore.h"
#include "platform/forms/Forms.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

class ExportDialog : public forms::ModalForm {
    Q_OBJECT
public:
    // What differs between the two windows on this engine.
    struct Design {
        const char* caption;
        int clientWidth, clientHeight;   // twips
        forms::TwipsRect label11, text1, command1, command2;
        int tickMs;
        bool nameOnTick;     // the tick copies Text1 into OperatorName
        bool numberAtLoad;   // LABEL11 shows SaveNumber from the load, not from the first tick
        const exchange::ExportRequest* request;
    };

    QLabel* LABEL11 = nullptr;         // SaveNumber, white
    QLineEdit* Text1 = nullptr;        // the operator's name
    QPushButton* Command1 = nullptr;   // "开始导出数据"
    QPushButton* Command2 = nullptr;   // "退出"
    QTimer Timer1;                     // enable rule and number

    void Timer1_Timer();
    void Command1_Click();   // the export, without yielding
    void Command2_Click();   // "退出": the only way out

    // The label that tells the export's outcome.
    virtual QLabel* ResultLabel() const = 0;

protected:
    explicit ExportDialog(const Design& design);

    // The load, once the window's own controls are built.
    void Form_Load();
    void Form_Unload() override;

    // The window's own steps of an export: the progress bar, the texts it
    // hands over besides the name.
    virtual void ShowProgress(int) {}
    virtual void TakeTexts() {}

private:
    void ShowNumber();
    void WatchResult();

    const Design design_;
    QTimer watch_;   // while the recorder has not answered a request
};
