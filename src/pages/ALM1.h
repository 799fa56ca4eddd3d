#pragma once
// The alarm page: the fourteen alarm parameters, registers 601 to 614, in
// one page grid read every 500 ms, with seven pictures that explain the
// alarm types.

#include "pages/ParameterGrid.h"
#include "platform/forms/Forms.h"

#include <QLabel>
#include <QTimer>
#include <array>

class ALM1 : public forms::Form {
    Q_OBJECT
public:
    ALM1();

    // The page as data, and what it keeps across "返回" and a reopen
    // (EditRow, EditCol, PageBuffer).
    static const pages::PageDescription& Page();
    static pages::PageState& State();

    QLabel* Label1 = nullptr;                      // "报警参数设定"
    pages::ParameterGrid* MSFlexGrid1 = nullptr;
    pages::CellEditor* Text1 = nullptr;            // the grid's editor
    forms::CommandButton* Command1 = nullptr;      // "返回"
    std::array<forms::PaintedPicture*, 7> Image{}; // Image1 to Image7
    QTimer Timer1;                                 // 500 ms, from the load

    void MSFlexGrid1_Click();
    void Text1_KeyPress(int keyAscii);
    void Timer1_Timer();
    void Command1_Click();

protected:
    void Form_Unload() override;

private:
    void Form_Load();
};
