#include "exchange/Inportb.h"

#include "exchange/ExchangeShared.h"
#include "platform/basic/numbers.h"

using forms::PlaceTwips;
using forms::TwipsRect;

namespace {

// Layout (twips); the client area is 13410 by 8160.
constexpr TwipsRect kLabel3{90, 30, 2565, 375};
constexpr TwipsRect kLabel1[] = {{11190, 7230, 1125, 285}, {12390, 7230, 1125, 285}};
// The buffer elements the two labels show.
constexpr size_t kLabel1Element[] = {5, 6};
constexpr int kTimer1Ms = 1500;

const ImportPage::Design kDesign{
    "数据导入",
    "Inportb",
    13410,
    8160,
    {60, 450, 13275, 6765},     // Dg1
    {90, 7260, 6045, 795},      // Frame1
    {7860, 7350, 1245, 285},    // Label5
    {9690, 7350, 1245, 285},    // Label4
    {6300, 7680, 4905, 375},    // ProgressBar1
    {2640, 30, 10635, 315},     // Label6
    {11490, 7530, 1725, 495},   // Command8
    "警告：请谨慎使用本操作，有可能会对设备造成损坏，严禁下载过程中关机和断电等非法操作",
    "Esc 返回 ",
    &exchange::ConfigGrid(),
    &exchange::ConfigImport(),
};

} // namespace

Inportb::Inportb() : ImportPage(kDesign)
{
    Label3 = new QLabel(QStringLiteral("数据导入到仪表"), this);
    PlaceTwips(Label3, kLabel3);
    Label3->setFont(forms::ArialFont(14.25, true));
    for (size_t i = 0; i < Label1.size(); ++i) {
        Label1[i] = new QLabel(this);
        PlaceTwips(Label1[i], kLabel1[i]);
    }
    Timer1.setInterval(kTimer1Ms);
    connect(&Timer1, &QTimer::timeout, this, &Inportb::Timer1_Timer);
    Form_Load();
    Timer1.start();
}

void Inportb::Form_Unload()
{
    Timer1.stop();
    ImportPage::Form_Unload();
}

void Inportb::Timer1_Timer()
{
    for (size_t i = 0; i < Label1.size(); ++i)
        Label1[i]->setText(basic::PlainText(int64_t(ImportBuf[kLabel1Element[i]])));
}
