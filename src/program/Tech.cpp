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
    .headers = {"曲线基本功能 ", "参数值", "地址", "参数范围", "参数说明"},
    .widthsTwips = {1900, 1000, 800, 1300, 17500},
    .fontPoints = 9.75,
};
const pages::GridLayout kSegmentGrid{
    .headers = {"程序曲线段设置 ", "参数值", "地址", "参数范围", "参数说明"},
    .widthsTwips = {2250, 900, 550, 1600, 2200},
    .fontPoints = 9.75,
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

// The profile's canvas and the labels around it.
constexpr TwipsRect kCanvas{630, 1800, int(program::kCanvasWidth), int(program::kCanvasHeight)};
constexpr int kLabelHeight = 255;
// Value labels beside canvas heights 9008 - 1000 j, right-aligned against
// the canvas, each with a tick from x 300 to the canvas.
constexpr int kValueLabelTops[10] = {10830, 9780, 8790, 7830, 6840, 5850, 4860, 3840, 2850, 1860};
constexpr int kValueLabelWidth = 675;
constexpr int kValueLabelStep = 4000;   // the texts before the first redraw
constexpr int kValueTickLeft = 300;
// Time labels under canvas x = 1000 j, centred on where a label 300 wide
// at these lefts would centre them (wide enough for five digits); ticks
// from y 10860 to 11100 at x 660 + 998 j.
constexpr int kTimeLabelLefts[16] = {480,  1440,  2460,  3450,  4440,  5430,  6450,  7440,
                                     8430, 9450, 10440, 11460, 12420, 13440, 14430, 15270};
constexpr int kTimeLabelTop = 11100;
constexpr int kTimeLabelWidth = 600;
constexpr int kTimeLabelCentre = 150;
constexpr int kTimeTickLeft = 660;
constexpr int kTimeTickStep = 998;
constexpr int kTimeTickTop = 10860;
struct Caption {
    const char* text;
    TwipsRect place;
};
constexpr Caption kLabel7[2] = {{"VALUE ", {0, 10200, 645, kLabelHeight}},
                                {"时间   MIN", {1110, 11280, 1500, kLabelHeight}}};
constexpr TwipsRect kLabel5{2820, 11280, 690, kLabelHeight};
constexpr TwipsRect kLabel10{3510, 11280, 870, kLabelHeight};
constexpr TwipsRect kLABEL11{4380, 11280, 1500, kLabelHeight};
constexpr basic::Rgb kValueAxisColour{255, 0, 0};
constexpr basic::Rgb kTimeAxisColour{0, 0, 255};

constexpr basic::Rgb kCurveBack{255, 192, 128};
constexpr basic::Rgb kReturnFace{255, 0, 0};
constexpr basic::Rgb kFaultText{255, 0, 0};

// Register 307: the curve the controller runs.
constexpr int kCurveRegister = 307;
constexpr size_t kCurveCommand = 6;       // CommandValues(6) = register 307

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

QFrame* Tick(QFrame::Shape shape, basic::Rgb colour, const TwipsRect& place, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Plain);
    forms::SetTextColour(line, forms::Colour(colour));
    PlaceTwips(line, place);
    return line;
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

    MSFlexGrid2 = new pages::ParameterGrid(program::SegmentPage(), kSegmentGrid, kept.Edit, this);
    MSFlexGrid2->setObjectName(QStringLiteral("MSFlexGrid2"));
    PlaceTwips(MSFlexGrid2, kSegmentPlace);
    Text2 = MSFlexGrid2->Editor();
    Text2->setObjectName(QStringLiteral("Text2"));

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

    CreatePlot();

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

void Tech::CreatePlot()
{
    for (size_t j = 0; j < Label6.size(); ++j) {
        Label6[j] = new QLabel(QString::number(int(j) * kValueLabelStep), this);
        Label6[j]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        PlaceTwips(Label6[j], {kCanvas.left - kValueLabelWidth, kValueLabelTops[j],
                               kValueLabelWidth, kLabelHeight});
        const int y = kCanvas.top + int(program::kCanvasHeight) - 1000 * int(j);
        Line1[j] = Tick(QFrame::HLine, kValueAxisColour,
                        {kValueTickLeft, y, kCanvas.left - kValueTickLeft, 15}, this);
    }
    for (size_t j = 0; j < Label8.size(); ++j) {
        Label8[j] = new QLabel(this);
        Label8[j]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        forms::SetTextColour(Label8[j], forms::Colour(kTimeAxisColour));
        PlaceTwips(Label8[j], {kTimeLabelLefts[j] + kTimeLabelCentre - kTimeLabelWidth / 2,
                               kTimeLabelTop, kTimeLabelWidth, kLabelHeight});
        Line2[j] = Tick(QFrame::VLine, kTimeAxisColour,
                        {kTimeTickLeft + kTimeTickStep * int(j), kTimeTickTop, 15,
                         kTimeLabelTop - kTimeTickTop},
                        this);
    }
    for (size_t i = 0; i < Label7.size(); ++i) {
        Label7[i] = new QLabel(QString::fromUtf8(kLabel7[i].text), this);
        forms::SetTextColour(Label7[i], forms::Colour(kValueAxisColour));
        PlaceTwips(Label7[i], kLabel7[i].place);
    }
    Label5 = new QLabel(this);
    PlaceTwips(Label5, kLabel5);
    Label10 = new QLabel(this);
    PlaceTwips(Label10, kLabel10);
    LABEL11 = new QLabel(this);
    PlaceTwips(LABEL11, kLABEL11);
    // Created last: the canvas lies over the labels' ends that reach it.
    pt1 = new program::ProfileCanvas(this);
    pt1->setObjectName(QStringLiteral("pt1"));
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
    // The empty frame; the time labels follow the durations of the last
    // redraw of the run, which the plot's state keeps.
    PlaceTwips(pt1, kCanvas);
    pt1->Clear();
    DrawPlotGrid();
    DrawTimeAxis();
    Timer1.start();
}

void Tech::ShowTimeLabels(const std::array<QString, 16>& texts)
{
    for (size_t j = 0; j < Label8.size(); ++j)
        Label8[j]->setText(texts[j]);
}

void Tech::DrawPlotGrid() { pt1->Draw(program::PlotGrid()); }

void Tech::DrawTimeAxis() { ShowTimeLabels(program::DrawTimeAxis(State().Plot)); }

void Tech::RedrawProfile()
{
    Kept& kept = State();
    const program::ProfilePicture picture =
        program::RedrawProfile(kept.Plot, kept.Values, StatusValues[0]);
    Label5->setText(picture.Label5);
    Label10->setText(picture.Label10);
    LABEL11->setText(picture.LABEL11);
    for (size_t j = 0; j < Label6.size(); ++j)
        Label6[j]->setText(picture.Label6[j]);
    setCursor(Qt::WaitCursor);
    pt1->Clear();
    ShowTimeLabels(picture.Label8);
    pt1->Draw(picture.lines);
    unsetCursor();
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
    WriteListValue(Combo4->currentText(), kCurveRegister);
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
    RedrawProfile();
}

void Tech::Timer1_Timer()
{
    StatusBar1->ShowLiveValues();
    D_4W[kCurveCommand]->setText(basic::PlainText(CommandValues[kCurveCommand]));
    ShowValues();
}

void Tech::Command11_Click() { forms::ClosePage(*this); }
