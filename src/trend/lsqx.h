#pragma once
// The history window: the long-period curve over the long ring, drawn by
// the chart engine with the history profile, the value strip D_3W with the
// first six live values, and "返回" back to a freshly loaded overview. It
// replaces the overview while it is open.

#include "platform/forms/Forms.h"

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <array>
#include <map>
#include <memory>

namespace chart {
class ChartCanvas;
class ChartEngine;
class ChartWidgetBinding;
} // namespace chart

class lsqx : public forms::Form {
    Q_OBJECT
public:
    lsqx();
    ~lsqx() override;

    // The name of the window's database connection.
    static const QString kConnection;

    // Timer1 200 ms (live tick), Timer2 1 s (redraw), Timer3 1 s (clock
    // labels); Timer4 1 s, never switched on.
    QTimer Timer1, Timer2, Timer3, Timer4;

    // Top row.
    QLabel* Label12 = nullptr;       // "历史长周期曲线"
    std::map<int, QLabel*> Label2;   // 9 date, 10 time

    // Value strip: D_3W(0..5) show PV, OP, SV, PV1, PV2, SV1 under the
    // captions as stored; D_3W(6), D_3W(7) and the rest are hidden.
    forms::Frame* Frame4 = nullptr;
    std::array<QLabel*, 8> D_3W{};
    std::array<QLabel*, 6> D_3WCaption{};
    std::map<int, QLabel*> D_1RW;    // 0, 6, 7: hidden
    std::array<forms::CommandButton*, 3> StripButton{};   // hidden: "手动", "主自整定", "副自整定"

    // Left column.
    std::array<forms::Frame*, 1> Frame2{};
    std::array<QLabel*, 7> Label5{};  // Y axis, bottom to top
    std::array<QLabel*, 7> Label6{};  // percent scale
    std::array<QLabel*, 3> Label8{};  // legend: 0 PV, 1 OP, 2 SV
    QLabel* Label11 = nullptr;        // "量程"
    QLabel* Label9 = nullptr;         // the Y range editor, hidden in the layout
    QLineEdit* YKD = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* YKD1 = nullptr;
    forms::CommandButton* Command26 = nullptr;

    // Chart.
    QSlider* hc = nullptr;
    QWidget* pt0 = nullptr;
    chart::ChartCanvas* pt = nullptr;
    std::array<QLabel*, 9> Label4{};  // times under the canvas
    std::array<QLabel*, 9> Label7{};  // dates under the times
    QLabel* Label19 = nullptr;        // hidden: StepX
    QLabel* Label20 = nullptr;        // hidden: the canvas height

    // Right column "功能".
    forms::Frame* Frame3 = nullptr;
    forms::CommandButton *Command4 = nullptr, *Command3 = nullptr, *Command2 = nullptr,
                         *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr,
                         *Command8 = nullptr, *Command1 = nullptr;

    chart::ChartEngine& Engine() { return *engine_; }

    // Handlers.
    void Command1_Click();   // "返回", also Esc
    void Command26_Click();  // "修改Y"
    void Label5_DblClick();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

protected:
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void Form_Load();

    std::unique_ptr<chart::ChartWidgetBinding> binding_;
    std::unique_ptr<chart::ChartEngine> engine_;
    forms::KeyPreview* keyPreview_ = nullptr;
    bool leaving_ = false;
};
