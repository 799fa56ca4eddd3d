#include "exchange/Inport1.h"

using forms::PlaceTwips;
using forms::TwipsRect;

namespace {

// Layout (twips); the client area is 6675 by 3300.
constexpr TwipsRect kLabel1{180, 90, 1365, 285};
constexpr TwipsRect kProgressBar1{150, 480, 6375, 405};
constexpr TwipsRect kLabel2[] = {{1380, 1020, 1155, 285}, {1380, 1500, 1155, 285}};
constexpr const char* kLabel2Text[] = {"保存编号", "操作人："};
// The outcome of the export, on the line under the name, from the captions'
// left edge to the name field's right one.
constexpr TwipsRect kLabelResult{1380, 1980, 3225, 285};

const ExportDialog::Design kDesign{
    "数据导出操作",
    6675,
    3300,
    {2670, 990, 1935, 315},    // LABEL11
    {2670, 1440, 1935, 315},   // Text1
    {1110, 2730, 1365, 435},   // Command1 "开始导出数据"
    {4110, 2730, 1365, 435},   // Command2 "退出"
    100,
    true,
    true,
    &exchange::ConfigExport(),
};

} // namespace

Inport1::Inport1() : ExportDialog(kDesign)
{
    Label1 = new QLabel(QStringLiteral("任务进程"), this);
    PlaceTwips(Label1, kLabel1);
    ProgressBar1 = new QProgressBar(this);
    PlaceTwips(ProgressBar1, kProgressBar1);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    for (size_t i = 0; i < Label2.size(); ++i) {
        Label2[i] = new QLabel(QString::fromUtf8(kLabel2Text[i]), this);
        PlaceTwips(Label2[i], kLabel2[i]);
    }
    LabelResult = new QLabel(this);
    PlaceTwips(LabelResult, kLabelResult);
    forms::SetTextColour(LabelResult, forms::Rgb(255, 0, 0));
    Form_Load();
}

void Inport1::ShowProgress(int value)
{
    ProgressBar1->setValue(value);
}
