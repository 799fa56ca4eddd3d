#pragma once
// The program editor "工艺曲线设定": the program curve's basic functions and
// its 50 segments in two page grids, filled from the editor's own value
// arrays; "读仪表" reads the whole program from the controller, a cell is
// written on Enter, "曲线选择" selects the curve the controller runs.
//
// Unlike the parameter pages, the editor never reads on its timer: the
// timer shows what the arrays hold, and only "读仪表" brings the
// controller's values in. Left of the segment grid the profile of the
// curve is drawn anew at every Enter in the segment editor.

#include "pages/LiveValueBar.h"
#include "pages/ParameterGrid.h"
#include "platform/forms/Forms.h"
#include "program/ProfileCanvas.h"
#include "program/ProgramMap.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <array>
#include <span>

class Tech : public forms::Form {
    Q_OBJECT
public:
    Tech();

    // What the editor keeps across " Esc 返回" and a reopen: the value
    // arrays, the edit state that both grids share (EditRow, EditCol,
    // EditValue) and the profile's state.
    struct Kept {
        program::ProgramValues Values;
        pages::PageState Edit;   // no buffer: the grids read nothing themselves
        program::PlotState Plot;
    };
    static Kept& State();

    QLabel* Label1 = nullptr;                    // "当前曲线"
    std::array<QLabel*, 7> D_4W{};               // only element 6, the running curve
    forms::DropDownList* Combo4 = nullptr;       // curve number "1 " to "20 "
    forms::CommandButton* Command27 = nullptr;   // "曲线选择"
    pages::ParameterGrid* MSFlexGrid1 = nullptr; // basic functions, 1001 to 1013
    pages::ParameterGrid* MSFlexGrid2 = nullptr; // segments, 1017 to 1516
    pages::CellEditor* Text1 = nullptr;          // MSFlexGrid1's editor
    pages::CellEditor* Text2 = nullptr;          // MSFlexGrid2's editor
    QLabel* Label4 = nullptr;                    // "当前程序曲线："
    QProgressBar* ProgressBar1 = nullptr;        // progress of "读仪表"
    // Where the progress bar stands: "读仪表失败" or "写入失败 " and the
    // register, until the next "读仪表" or Enter.
    QLabel* FaultLabel = nullptr;
    forms::CommandButton* Command2 = nullptr;    // "读仪表"
    forms::CommandButton* Command11 = nullptr;   // " Esc 返回"
    forms::CommandButton* Command1 = nullptr;    // "下载", hidden, no action
    pages::LiveValueBar* StatusBar1 = nullptr;
    QTimer Timer1;                               // 1000 ms, from the load

    // The profile: its canvas and the labels around it.
    program::ProfileCanvas* pt1 = nullptr;
    std::array<QLabel*, 10> Label6{};            // value axis, bottom to top
    std::array<QFrame*, 10> Line1{};             // its red ticks
    std::array<QLabel*, 16> Label8{};            // time axis, left to right
    std::array<QFrame*, 16> Line2{};             // its blue ticks
    std::array<QLabel*, 2> Label7{};             // "VALUE ", "时间   MIN"
    QLabel* Label5 = nullptr;                    // ProfileMax
    QLabel* Label10 = nullptr;                   // ProfileMin
    QLabel* LABEL11 = nullptr;                   // ValueStep

    // The profile anew from the arrays: labels, grid, time axis, ramps.
    void RedrawProfile();
    void DrawPlotGrid();
    void DrawTimeAxis();

    void Command2_Click();
    void Command27_Click();
    void MSFlexGrid1_Click();
    void MSFlexGrid2_Click();
    void Text1_KeyPress(int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void Timer1_Timer();
    void Command11_Click();

protected:
    void Form_Unload() override;

private:
    void Form_Load();
    // Every value cell of both grids from the arrays (only changed cells
    // are touched).
    void ShowValues();
    // Enter in a grid's editor, the write included; values is the grid's
    // array.
    void CommitEdit(pages::ParameterGrid& grid, std::span<int32_t> values);
    void ShowFault(const QString& text);
    void CreatePlot();
    void ShowTimeLabels(const std::array<QString, 16>& texts);
};
