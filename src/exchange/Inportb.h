#pragma once
// The configuration import: lists the CONF records, loads one by its number
// into ImportBuf and writes its 161 values back into registers 4097..4257.
// Shown by the configuration page's "数据导入" in the page's place:
//
//     forms::ShowInPlaceOf(forms::Instance<Inportb>(), *this);
//
// "Esc 返回 " shows the page again (no key presses it). Every 1.5 s the two
// Label1 show ImportBuf 5 and 6, registers 4102 and 4103 of the loaded
// record.

#include "exchange/ImportPage.h"

#include <QTimer>
#include <array>

class Inportb : public ImportPage {
    Q_OBJECT
public:
    Inportb();

    QLabel* Label3 = nullptr;          // "数据导入到仪表"
    std::array<QLabel*, 2> Label1{};   // ImportBuf 5 and 6
    QTimer Timer1;                     // 1500 ms

    void Timer1_Timer();

protected:
    void Form_Unload() override;
};
