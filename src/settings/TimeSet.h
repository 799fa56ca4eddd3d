#pragma once
// The clock page "时钟设置": the controller's clock beside the PC's, and the
// six fields year to second that set it, one with its "DOWN" or all with
// "一键下载". The 800 ms timer reads the controller's clock from load to
// unload; the 200 ms timer, while refreshing, shows what was read and
// fills the fields with the PC's date and time. To send typed values the
// operator pauses the refresh first.

#include "platform/forms/Forms.h"
#include "settings/DeviceSettings.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <array>
#include <map>

class TimeSet : public forms::Form {
    Q_OBJECT
public:
    // The load: refreshing, both timers on, no device access.
    TimeSet();

    forms::Frame* Frame12 = nullptr;                              // "时间设置"
    // 0 to 5 the units "年" to "秒", 6 to 11 the rows' "地址：3001" to "地址：3006".
    std::array<QLabel*, 12> Label12{};
    std::array<QLabel*, settings::kClockFields> T_Label{};        // the controller's values
    std::array<QLineEdit*, settings::kClockFields> Text1{};       // the values to send
    std::array<forms::CommandButton*, settings::kClockFields> Command28{};   // "DOWN"
    std::map<int, QLabel*> Label2;                                // 9 the PC's date, 10 its time
    QLabel* Image1 = nullptr;
    forms::CommandButton* Command1 = nullptr;   // "返回"
    forms::CommandButton* Command2 = nullptr;   // "暂停刷新" / "继续刷新"
    forms::CommandButton* Command3 = nullptr;   // "一键下载"
    QTimer Timer1;   // 200 ms, the display refresh, on while RefreshRunning
    QTimer Timer2;   // 800 ms, the block read, on from load to unload

    bool RefreshRunning = false;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command28_Click(int Index);
    void Timer1_Timer();
    void Timer2_Timer();

protected:
    // The timers stop with the unload, not only when the window goes.
    void Form_Unload() override;
};
