#include "exchange/CExport.h"

using forms::PlaceTwips;
using forms::TwipsRect;

namespace {

// Layout (twips); the client area is 8625 by 3450.
constexpr TwipsRect kLabel2[] = {
    {180, 270, 1905, 285}, {480, 750, 1155, 285}, {450, 1290, 1365, 285}};
constexpr const char* kLabel2Text[] = {"本次操作自动ID编码", "操作人：", "操作备注信息："};
constexpr TwipsRect kText2{2220, 1260, 6255, 975};
constexpr TwipsRect kLabel1{3270, 2370, 2925, 375};

const ExportDialog::Design kDesign{
    "校准参数导出",
    8625,
    3450,
    {2220, 240, 6255, 315},    // LABEL11
    {2220, 720, 6255, 315},    // Text1
    {2160, 2820, 1365, 435},   // Command1 "开始导出数据"
    {5970, 2820, 1365, 435},   // Command2 "退出"
    1000,
    false,
    false,
    &exchange::CalibrationExport(),
};

} // namespace

CExport::CExport() : ExportDialog(kDesign)
{
    for (size_t i = 0; i < Label2.size(); ++i) {
        Label2[i] = new QLabel(QString::fromUtf8(kLabel2Text[i]), this);
        PlaceTwips(Label2[i], kLabel2[i]);
    }
    // A tall box of one line, the text at its top.
    Text2 = new QLineEdit(this);
    PlaceTwips(Text2, kText2);
    Text2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1 = new QLabel(this);
    PlaceTwips(Label1, kLabel1);
    forms::SetTextColour(Label1, forms::Rgb(255, 0, 0));
    setTabOrder(Text1, Text2);
    Form_Load();
}

void CExport::TakeTexts()
{
    CaliNote = Text2->text();
}
