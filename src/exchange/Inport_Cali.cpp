#include "exchange/Inport_Cali.h"

namespace {

// Layout (twips); the client area is 22890 by 13095.
const ImportPage::Design kDesign{
    "数据导入",
    "Inport_Cali",
    22890,
    13095,
    {90, 90, 22755, 12135},       // Dg1
    {90, 12270, 6045, 795},       // Frame1
    {7380, 12360, 1245, 285},     // Label5
    {9210, 12360, 1245, 285},     // Label4
    {6330, 12690, 5625, 375},     // ProgressBar1
    {12300, 12360, 7965, 675},    // Label6
    {20640, 12360, 1725, 495},    // Command8
    "警告：请谨慎使用本操作，有可能会对设备造成损坏，严禁下载过程中关机和断电等非法操作!",
    "返回上层 ",
    &exchange::CalibrationGrid(),
    &exchange::CalibrationImport(),
};

} // namespace

Inport_Cali::Inport_Cali() : ImportPage(kDesign)
{
    Form_Load();
}
