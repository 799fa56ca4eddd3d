#include "program/Tech.h"

#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "platform/basic/numbers.h"
#include "platform/basic/twips.h"

#include <vector>

using forms::PlaceTwips;
using forms::TwipsRect;

namespace {

const pages::GridLayout kBasicGrid{
    {"曲线基本功能 ", "参数值", "地址", "参数范围", "参数说明"},
    {1900, 1000, 800, 1300, 17500},
    9.75,
};
const pages::GridLayout kSegmentGrid{
    {"程序曲线段设置 ", "参数值", "地址", "参数范围", "参数说明"},
    {2250, 900, 550, 1600, 2200},
    9.75,
};

// Layout (twips).
constexpr int kClientWidth = 23625;
constexpr int kClientHeight = 12045;
constexpr TwipsRect kLabel1{120, 30, 825, 225};
constexpr TwipsRect kCurveLabel{90, 330, 1125, 285};   // D_4W(6)
constexpr TwipsRect kCombo4{90, 690, 1155, 300};
constexpr TwipsRect kCommand27{120, 1080, 1125, 285};
constexpr TwipsRect kBasicPlace{1350, 0, 22215, 1725};
constexpr TwipsRect kSegmentPlace{15690, 1770, 7875, 9075};
constexpr TwipsRect kLabel4{-450, 11280, 1515, 255};
constexpr TwipsRect kProgressBar1{15870, 11280, 3795, 375};
constexpr TwipsRect kCommand2{19950, 11130, 1485, 375};
constexpr TwipsRect kCommand11{21630, 11130, 1470, 375};
constexpr TwipsRect kCommand1{8160, 11220, 1485, 375};
constexpr TwipsRect kStatusBar1{0, 11700, 23625, 345};

constexpr basic::Rgb kCurveBack{255, 192, 128};
constexpr basic::Rgb kReturnFace{255, 0, 0};
constexpr basic::Rgb kFaultText{255, 0, 0};

// Register 307: the curve the controller runs.
constexpr int kCurveRegister = 307;
constexpr size_t kCurveCommand = 6;       // CommandValues(6) = register 307
constexpr size_t kListWriteValue = 19;    // CommPar(19)

// After the load the current cells are the last help cells; the grids
// still show their first rows.
void SetLoadCurrentCell(pages::ParameterGrid& grid)
{
    const bool autoScroll = grid.hasAutoScroll();
    grid.setAutoScroll(false);
    grid.selectionModel()->setCurrentIndex(
        grid.Model().index(grid.Page().RowCount() - 1, pages::HelpColumn),
        QItemSelectionModel::NoUpdate);
    grid.setAutoScroll(autoScroll);
}

void ShowArray(pages::ParameterGrid& grid, std::span<const int32_t> values)
{
    std::vector<QString> texts(size_t(grid.Page().RowCount()));
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = basic::PlainText(int64_t(values[i]));
    grid.Model().SetValueTexts(texts);
}

} // namespace

Tech::Kept& Tech::State()
{
    static Kept kept;
    return kept;
}

Tech::Tech()
{
    setWindowTitle(QStringLiteral("工艺曲线设定"));
    setObjectName(QStringLiteral("Tech"));
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));

    Label1 = new QLabel(QStringLiteral("当前曲线"), this);
    PlaceTwips(Label1, kLabel1);

    QLabel* curve = new QLabel(this);
    curve->setObjectName(QStringLiteral("D_4W6"));
    curve->setAutoFillBackground(true);
    forms::SetBackColour(curve, forms::Colour(kCurveBack));
    PlaceTwips(curve, kCurveLabel);
    D_4W[kCurveCommand] = curve;

    Combo4 = new forms::DropDownList(this);
    Combo4->setObjectName(QStringLiteral("Combo4"));
    PlaceTwips(Combo4, kCombo4);

    Command27 = new forms::CommandButton(QStringLiteral("曲线选择"), this);
    PlaceTwips(Command27, kCommand27);

    Kept& kept = State();
    MSFlexGrid1 = new pages::ParameterGrid(program::BasicPage(), kBasicGrid, kept.Edit, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    PlaceTwips(MSFlexGrid1, kBasicPlace);
    Text1 = MSFlexGrid1->Editor();
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(MSFlexGrid1->font());

    MSFlexGrid2 = new pages::ParameterGrid(program::SegmentPage(), kSegmentGrid, kept.Edit, this);
    MSFlexGrid2->setObjectName(QStringLiteral("MSFlexGrid2"));
    PlaceTwips(MSFlexGrid2, kSegmentPlace);
    Text2 = MSFlexGrid2->Editor();
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setFont(MSFlexGrid2->font());

    Label4 = new QLabel(QStringLiteral("当前程序曲线："), this);
    PlaceTwips(Label4, kLabel4);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    PlaceTwips(ProgressBar1, kProgressBar1);
    ProgressBar1->hide();

    FaultLabel = new QLabel(this);
    FaultLabel->setObjectName(QStringLiteral("FaultLabel"));
    forms::SetTextColour(FaultLabel, forms::Colour(kFaultText));
    PlaceTwips(FaultLabel, kProgressBar1);
    FaultLabel->hide();

    Command2 = new forms::CommandButton(QStringLiteral("读仪表"), this);
    PlaceTwips(Command2, kCommand2);
    Command11 = new forms::CommandButton(QStringLiteral(" Esc 返回"), this);
    forms::SetBackColour(Command11, forms::Colour(kReturnFace));
    PlaceTwips(Command11, kCommand11);
    Command1 = new forms::CommandButton(QStringLiteral("下载"), this);
    PlaceTwips(Command1, kCommand1);
    Command1->hide();

    StatusBar1 = new pages::LiveValueBar(pages::TimeForm::Minutes, this);
    PlaceTwips(StatusBar1, kStatusBar1);

    Timer1.setInterval(program::BasicPage().timerMs);
    connect(&Timer1, &QTimer::timeout, this, &Tech::Timer1_Timer);
    connect(Command2, &QPushButton::clicked, this, &Tech::Command2_Click);
    connect(Command27, &QPushButton::clicked, this, &Tech::Command27_Click);
    connect(Command11, &QPushButton::clicked, this, &Tech::Command11_Click);
    connect(MSFlexGrid1, &pages::ParameterGrid::Click, this, &Tech::MSFlexGrid1_Click);
    connect(MSFlexGrid2, &pages::ParameterGrid::Click, this, &Tech::MSFlexGrid2_Click);
    connect(Text1, &pages::CellEditor::KeyPress, this, &Tech::Text1_KeyPress);
    connect(Text2, &pages::CellEditor::KeyPress, this, &Tech::Text2_KeyPress);

    Form_Load();
}

void Tech::Form_Load()
{
    // Every opening shows the defaults, not what an earlier visit read; the
    // controller is not touched until "读仪表".
    CloseGuard = true;
    D_4W[kCurveCommand]->setText(QStringLiteral("1"));
    forms::FillList(*Combo4, forms::ListItems{{}, 20, 0});
    program::LoadDefaults(State().Values);
    ShowValues();
    SetLoadCurrentCell(*MSFlexGrid1);
    SetLoadCurrentCell(*MSFlexGrid2);
    Timer1.start();
}

void Tech::Form_Unload() { Timer1.stop(); }

void Tech::ShowValues()
{
    ShowArray(*MSFlexGrid1, State().Values.BasicValues);
    ShowArray(*MSFlexGrid2, State().Values.SegmentValues);
}

void Tech::ShowFault(const QString& text)
{
    FaultLabel->setText(text);
    FaultLabel->show();
    FaultLabel->raise();
}

void Tech::Command2_Click()
{
    // One run from the first read to the last without yielding: nothing of
    // the station, the live poll included, gets between the nine reads.
    // The grids take no input meanwhile. They are not repainted either:
    // the bar's progress repaints the window as the reads go, and greying
    // two grids there would cost more than a twentieth of the line time.
    Timer1.stop();
    for (pages::ParameterGrid* grid : {MSFlexGrid1, MSFlexGrid2}) {
        grid->setUpdatesEnabled(false);
        grid->setEnabled(false);
    }
    FaultLabel->hide();
    ProgressBar1->show();
    SwitchLivePoll(false);
    const int32_t result = program::ReadProgram(State().Values,
                                                [this](int value) { ProgressBar1->setValue(value); });
    for (pages::ParameterGrid* grid : {MSFlexGrid1, MSFlexGrid2}) {
        grid->setEnabled(true);
        grid->setUpdatesEnabled(true);
    }
    ProgressBar1->hide();
    if (result != 0)
        ShowFault(QStringLiteral("读仪表失败"));
    // On again whatever it was before: a poll on a closed port fails at
    // once and costs nothing.
    SwitchLivePoll(true);
    Timer1.start();
}

void Tech::Command27_Click()
{
    // A text whose number does not fit sends nothing, rather than the value
    // the last list write left in CommPar(19).
    const std::optional<int32_t> curve =
        basic::RoundToLong(basic::LeadingNumber(Combo4->currentText()));
    if (!curve)
        return;
    CommPar[kListWriteValue] = *curve;
    WriteRegister(kCurveRegister, CommPar[kListWriteValue], WriteRule::NoAnswer);
}

void Tech::MSFlexGrid1_Click() { MSFlexGrid1->ShowCellEditor(); }

void Tech::MSFlexGrid2_Click()
{
    // While a segment is typed, the timer stops, so the grids, the status
    // bar and the curve label hold still.
    if (MSFlexGrid2->ShowCellEditor())
        Timer1.stop();
}

void Tech::CommitEdit(pages::ParameterGrid& grid, std::span<int32_t> values)
{
    FaultLabel->hide();
    const int row = grid.EditingRow();
    if (row < 1 || !grid.Editor()->isVisible())
        return;
    // With no read on the timer an echo would stand as if accepted: the
    // array takes the typed number only once the controller took it, and a
    // refused or failed write puts the cell back and says so.
    const QString before = grid.Model().ValueText(row);
    pages::CellEntry entry;
    const std::optional<int32_t> result = grid.CommitCellEdit(&entry);
    if (result && *result >= 0 && entry.typed
        && basic::AssignRounded(values[size_t(row - 1)], *entry.typed))
        return;
    grid.Model().SetValueText(row, before);
    ShowFault(QStringLiteral("写入失败 ") + QString::number(grid.Page().Register(row)));
}

void Tech::Text1_KeyPress(int keyAscii)
{
    if (keyAscii != 13)
        return;
    CommitEdit(*MSFlexGrid1, State().Values.BasicValues);
    if (!Timer1.isActive())
        Timer1.start();
}

void Tech::Text2_KeyPress(int keyAscii)
{
    if (keyAscii != 13)
        return;
    CommitEdit(*MSFlexGrid2, State().Values.SegmentValues);
}

void Tech::Timer1_Timer()
{
    StatusBar1->ShowLiveValues();
    D_4W[kCurveCommand]->setText(basic::PlainText(CommandValues[kCurveCommand]));
    ShowValues();
}

void Tech::Command11_Click() { forms::ClosePage(*this); }
