#pragma once
// The curve selection dialog: which of the seven live quantities the
// real-time chart draws. It fills its boxes from CurveSel when it loads;
// "确定(Enter)" writes them back, "取消(Esc)" and every other way of
// closing it leave CurveSel as it was.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <array>

namespace forms {
class Frame;
}

class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(QWidget* owner = nullptr);

    // Loads the dialog modal over owner and returns when it has closed.
    static void ShowModal(QWidget* owner);

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
