#pragma once
// The network page "Ethernet SET": the controller's IP address, subnet mask
// and default gateway, four octet boxes each. The load reads all twelve
// registers once; a group's "修改参数" writes its four octets and reads all
// twelve again. Nothing happens without the operator.

#include "platform/forms/Forms.h"
#include "settings/DeviceSettings.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

class EtheernetSET : public forms::Form {
    Q_OBJECT
public:
    // The load: reads the twelve registers and fills the boxes.
    EtheernetSET();

    QLabel* Label1 = nullptr;                                       // "网络参数设置"
    std::array<forms::Frame*, settings::kOctetGroupCount> Frame1{}; // one per group
    std::array<QLabel*, settings::kOctetGroupCount> Label2{};       // the group's name
    std::array<QLineEdit*, settings::kNetworkBoxes> Text1{};        // box j: register 3201 + j
    // The dots between the boxes, three a group; they only mark.
    std::array<QRadioButton*, 9> Option1{};
    forms::CommandButton* Command1 = nullptr;   // "修改参数" of "IP 地址"
    forms::CommandButton* Command2 = nullptr;   // "修改参数" of "子网掩码"
    forms::CommandButton* Command3 = nullptr;   // "修改参数" of "默认网关"
    forms::CommandButton* Command4 = nullptr;   // "返回"

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Text1_GotFocus(int Index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Reload();
    void ShowBoxes();
    void WriteGroup(int group);
};
