#pragma once
// The curve selection dialog: which of the seven live quantities the
// real-time chart draws. It fills its boxes from CurveSel when it loads;
// "确定(Enter)" writes them back, "取消(Esc)" and every other way of
// closing it (the close box too: the dialog has no close guard) leave
// CurveSel as it was. Each of them unloads the dialog.

#include "platform/forms/Forms.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <array>

class frmLogin : public forms::ModalForm {
    Q_OBJECT
public:
    frmLogin();

    QWidget* Image1 = nullptr;   // the banner
    QLabel* Label3 = nullptr;    // "曲线选择"
    QLabel* Label5 = nullptr;    // "TOVAR"
    forms::Frame* Frame1 = nullptr;
    std::array<QCheckBox*, 7> Check1{};   // in the order of CurveSel
    QPushButton* cmdOK = nullptr;         // "确定(Enter)", the default button
    QPushButton* cmdCancel = nullptr;     // "取消(Esc)", the cancel button

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void Form_Load();
};
