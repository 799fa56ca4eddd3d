#include "trend/lsqx.h"

#include "device/Met1.h"
#include "platform/basic/numbers.h"
#include "platform/basic/twips.h"
#include "platform/db/DatabaseFile.h"
#include "trend/ChartCanvas.h"
#include "trend/ChartEngine.h"
#include "trend/ChartProfile.h"
#include "trend/ChartWidgetBinding.h"
#include "trend/RecorderShared.h"

#include <QEvent>
#include <QKeyEvent>
#include <algorithm>

using forms::PlaceTwips;
using forms::TwipsRect;
using forms::Rgb;

namespace {

// ---- Layout tables (twips) ---------------------------------------------

constexpr int kClientWidth = 15120;
constexpr int kClientHeight = 10440;


// Top row: the title left of centre, the clock labels side by side at the
// top right.
constexpr TwipsRect kTitle{4800, 90, 3000, 420};
constexpr TwipsRect kDateLabel{12180, 150, 1335, 285};
constexpr TwipsRect kTimeLabel{13605, 150, 1335, 285};

// The value strip across the full width, two rows of value labels with
// their captions to their left.
constexpr TwipsRect kStrip{60, 600, 15000, 1020};
constexpr int kStripColumnLeft[] = {240, 3960, 7680, 11400};
constexpr int kStripRowTop[] = {180, 600};
constexpr int kStripCaptionWidth = 1020;
constexpr int kStripValueLeft = 1050;   // from the column's left
constexpr int kStripValueWidth = 1335;
constexpr int kStripValueHeight = 285;

// The value labels: caption as stored (they do not name the value beside
// them: "PV1值" shows PV, "SV2值" shows SV1), the series shown, and where it
// stands. The caption takes the colour of that series' curve.
struct StripValue {
    int index;          // D_3W, also the series shown
    const char* caption;
    int column, row;
};
constexpr StripValue kStripValues[] = {
    {0, "PV1值", 0, 0}, {1, "输出OP", 1, 1}, {2, "SV值", 1, 0},
    {3, "PV2值", 2, 0}, {4, "SV1值", 3, 1}, {5, "SV2值", 3, 0},
};
constexpr chart::Rgb kStripPink{255, 192, 255};

// Controls the strip carries without function; the layout hides them.
constexpr const char* kStripButtons[] = {"手动", "主自整定", "副自整定"};
struct HiddenLabel {
    int index;
    const char* text;
};
constexpr HiddenLabel kHiddenD1RW[] = {{0, "手自动"}, {6, "整定关"}, {7, "整定关"}};
constexpr HiddenLabel kHiddenD3W[] = {{6, "报警1无报警"}, {7, "报警2无报警"}};

// The chart: slider just above the picture box, which frames the canvas;
// time and date labels under it.
constexpr TwipsRect kSlider{1170, 1770, 12255, 225};
constexpr TwipsRect kChartFrame{1290, 1980, 12010, 7510};
constexpr TwipsRect kChartCanvas{0, 30, 12008, 7508};
constexpr int kTimeLabelsTop = 9555;
constexpr int kDateLabelsTop = 9840;
constexpr int kAxisLabelPitch = 1500;

// The left column and where the canvas's bottom edge falls in it.
// The column ends just below the canvas, clear of the first time label.
constexpr TwipsRect kAxisFrame{60, 1740, 1035, 7800};
constexpr int kAxisCanvasTop = kChartFrame.top + kChartCanvas.top - kAxisFrame.top;
constexpr int kAxisCanvasBottom = kAxisCanvasTop + kChartCanvas.height;
constexpr const char* kYDesign[] = {"0", "100", "200", "300", "400", "500", "600"};
constexpr const char* kPercentScale[] = {"0", "20", "40", "60", "80", "100", "120"};

struct Legend {
    const char* text;
    chart::Rgb colour;
    int left;
};
constexpr Legend kLegend[] = {   // Label8(0..2)
    {"PV", {255, 0, 0}, 60},
    {"OP", {0, 0, 255}, 380},
    {"SV", {0, 128, 0}, 700},
};
constexpr int kLegendTop = 6840;

// The Y range editor over the upper Y labels, in the column's coordinates.
// Its rows join without a gap, so no Y label shows through between them.
constexpr TwipsRect kYMaxCaption{30, 15, 465, 315};
constexpr TwipsRect kYMaxBox{495, 15, 510, 315};
constexpr TwipsRect kYMinCaption{30, 330, 465, 315};
constexpr TwipsRect kYMinBox{495, 330, 510, 315};
constexpr TwipsRect kYAccept{30, 645, 975, 360};

// The right column: eight buttons of one size, "返回" after a wider gap.
constexpr TwipsRect kFunctions{13590, 1830, 1395, 7695};
struct FunctionButton {
    forms::CommandButton* lsqx::* button;
    const char* caption;
    bool enabled;
};
constexpr FunctionButton kFunctionButtons[] = {
    {&lsqx::Command4, "F1 缩小", true},  {&lsqx::Command3, "F2 放大", true},
    {&lsqx::Command2, "F3 打印", false}, {&lsqx::Command5, "F4 标尺", true},
    {&lsqx::Command6, "F5 选择", false}, {&lsqx::Command7, "F6 左移", true},
    {&lsqx::Command8, "F7 右移", true},  {&lsqx::Command1, "返回", true},
};
constexpr int kFunctionLeft = 120;
constexpr int kFunctionFirstTop = 360;
constexpr int kFunctionPitch = 870;
constexpr int kFunctionWidth = 1155;
constexpr int kFunctionHeight = 600;
constexpr int kReturnExtraGap = 300;
constexpr chart::Rgb kReturnPink{255, 128, 255};

constexpr chart::Rgb kClockGreen{128, 255, 128};
constexpr chart::Rgb kChartFrameBlue{192, 192, 255};

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// The colour of the curve this window draws for series k.
QColor CurveColour(int k)
{
    for (const chart::SeriesStyle& s : chart::kHistoryChart.series)
        if (s.k == k)
            return forms::Colour(s.colour);
    return Qt::black;
}


} // namespace

const QString lsqx::kConnection = QStringLiteral("history");

lsqx::lsqx()
{
    setWindowTitle(QStringLiteral("过程控制仪表"));
    setObjectName(QStringLiteral("lsqx"));
    setFont(forms::SongFont(9, true));
    setFixedSize(basic::TwipsToPixels(kClientWidth), basic::TwipsToPixels(kClientHeight));
    BuildLayout();

    Timer1.setInterval(200);
    Timer2.setInterval(1000);
    Timer3.setInterval(1000);
    Timer4.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &lsqx::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &lsqx::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &lsqx::Timer3_Timer);

    chart::ChartControls c;
    c.pt = pt;
    c.hc = hc;
    c.dateLabel = Label2.at(9);
    c.timeLabel = Label2.at(10);
    c.yLabels = Label5;
    c.timeLabels = Label4;
    c.dateLabels = Label7;
    std::copy_n(D_3W.begin(), 6, c.readout.begin());
    c.Command4 = Command4;
    c.Command3 = Command3;
    c.Command5 = Command5;
    c.Command7 = Command7;
    c.Command8 = Command8;
    c.Timer1 = &Timer1;
    c.yEditor = {Label9, YKD, Label10, YKD1, Command26};
    c.Command1_Click = [this] { Command1_Click(); };
    binding_ = std::make_unique<chart::ChartWidgetBinding>(std::move(c));
    engine_ = std::make_unique<chart::ChartEngine>(chart::kHistoryChart, *binding_,
                                                   chart::ChartHandshake{&CurveOpen, &NewLongRec});
    chart::ConnectChartControls(binding_->Controls(), *engine_);
    connect(Command2, &QAbstractButton::clicked, this, [this] { engine_->Command2_Click(); });
    connect(Command6, &QAbstractButton::clicked, this, [this] { engine_->Command6_Click(); });
    connect(Command1, &QAbstractButton::clicked, this, &lsqx::Command1_Click);
    connect(Command26, &QAbstractButton::clicked, this, &lsqx::Command26_Click);
    for (QLabel* label : Label5)
        label->installEventFilter(this);
    // The engine sees every key before the control with the focus; a key
    // it acts on goes no further, the others go on to the control.
    keyPreview_ = new forms::KeyPreview(this, [this](QKeyEvent* event) {
        return engine_->Form_KeyDown(event->key());
    });

    forms::CentreOnScreen(this);

    Form_Load();
}

lsqx::~lsqx()
{
    // The key preview and the controls refer to the engine: they go first.
    delete keyPreview_;
}

void lsqx::BuildLayout()
{
    const QColor red = Rgb(255, 0, 0), blue = Rgb(0, 0, 255);

    // Top row.
    Label12 = new QLabel(QStringLiteral("历史长周期曲线"), this);
    PlaceTwips(Label12, kTitle);
    Label12->setAlignment(Qt::AlignCenter);
    Label12->setFont(forms::SongFont(15, true));
    for (int index : {9, 10}) {
        auto* label = new forms::BoxLabel(QString(), this);
        PlaceTwips(label, index == 9 ? kDateLabel : kTimeLabel);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(forms::ArialFont(10.5, true));
        forms::SetTextColour(label, red);
        forms::SetBackColour(label, forms::Colour(kClockGreen));
        Label2[index] = label;
    }

    // Value strip.
    Frame4 = new forms::Frame(QString(), this);
    PlaceTwips(Frame4, kStrip);
    for (const StripValue& v : kStripValues) {
        const int left = kStripColumnLeft[v.column];
        const int top = kStripRowTop[v.row];
        auto* caption = new QLabel(Utf8(v.caption), Frame4);
        PlaceTwips(caption, left, top, kStripCaptionWidth, kStripValueHeight);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setFont(forms::SongFont(10.5, true));
        forms::SetTextColour(caption, CurveColour(v.index));
        D_3WCaption[static_cast<size_t>(v.index)] = caption;

        auto* value = new forms::BoxLabel(QStringLiteral("0"), Frame4);
        PlaceTwips(value, left + kStripValueLeft, top, kStripValueWidth, kStripValueHeight);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFont(forms::SongFont(10.5, true));
        chart::SetLabelBackground(value, kStripPink);
        D_3W[static_cast<size_t>(v.index)] = value;
    }
    for (size_t i = 0; i < std::size(kStripButtons); ++i) {
        auto* button = new forms::CommandButton(Utf8(kStripButtons[i]), Frame4);
        PlaceTwips(button, kStripColumnLeft[0] + static_cast<int>(i) * 900, kStripRowTop[1], 855,
                   kStripValueHeight);
        button->setVisible(false);
        StripButton[i] = button;
    }
    for (const HiddenLabel& h : kHiddenD1RW) {
        auto* label = new QLabel(Utf8(h.text), Frame4);
        PlaceTwips(label, kStripColumnLeft[2], kStripRowTop[1], 900, kStripValueHeight);
        label->setVisible(false);
        D_1RW[h.index] = label;
    }
    for (const HiddenLabel& h : kHiddenD3W) {
        auto* label = new QLabel(Utf8(h.text), Frame4);
        PlaceTwips(label, kStripColumnLeft[2], kStripRowTop[1], 1500, kStripValueHeight);
        label->setVisible(false);
        D_3W[static_cast<size_t>(h.index)] = label;
    }

    // Left column: each Y label just above its grid line, its percent just
    // below it.
    Frame2[0] = new forms::Frame(QString(), this);
    PlaceTwips(Frame2[0], kAxisFrame);
    for (int i = 0; i < 7; ++i) {
        const int line = kAxisCanvasBottom - i * kChartCanvas.height / 6;
        // The bottom pair stands wholly above the bottom edge, inside the
        // column.
        const int valueTop = i == 0 ? line - 495 : std::max(15, line - 300);
        const int percentTop = i == 0 ? line - 255 : line - 75;
        auto* value = new QLabel(Utf8(kYDesign[i]), Frame2[0]);
        PlaceTwips(value, 30, valueTop, kAxisFrame.width - 90, 240);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFont(forms::SongFont(10.5, true));
        forms::SetTextColour(value, red);
        Label5[static_cast<size_t>(i)] = value;
        auto* percent = new QLabel(Utf8(kPercentScale[i]), Frame2[0]);
        PlaceTwips(percent, 30, percentTop, kAxisFrame.width - 90, 240);
        percent->setAlignment(Qt::AlignRight | Qt::AlignTop);
        percent->setFont(forms::SongFont(9, true));
        forms::SetTextColour(percent, blue);
        Label6[static_cast<size_t>(i)] = percent;
    }
    for (size_t i = 0; i < std::size(kLegend); ++i) {
        auto* label = new QLabel(Utf8(kLegend[i].text), Frame2[0]);
        PlaceTwips(label, kLegend[i].left, kLegendTop, 330, 270);
        label->setFont(forms::SongFont(9, true));
        forms::SetTextColour(label, forms::Colour(kLegend[i].colour));
        Label8[i] = label;
    }
    Label11 = new QLabel(QStringLiteral("量程"), Frame2[0]);
    PlaceTwips(Label11, 60, 3180, 915, 330);
    Label11->setAlignment(Qt::AlignCenter);
    Label11->setFont(forms::SongFont(12, true));
    forms::SetTextColour(Label11, red);

    // The Y range editor lies over the upper Y labels: opaque, and hidden
    // until a Y label is double-clicked.
    Label9 = new QLabel(QStringLiteral("Y最大"), Frame2[0]);
    PlaceTwips(Label9, kYMaxCaption);
    YKD = new QLineEdit(Frame2[0]);
    PlaceTwips(YKD, kYMaxBox);
    Label10 = new QLabel(QStringLiteral("Y最小"), Frame2[0]);
    PlaceTwips(Label10, kYMinCaption);
    YKD1 = new QLineEdit(QStringLiteral("0"), Frame2[0]);
    PlaceTwips(YKD1, kYMinBox);
    Command26 = new forms::CommandButton(QStringLiteral("修改Y"), Frame2[0]);
    PlaceTwips(Command26, kYAccept);
    for (QLabel* label : {Label9, Label10}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setAutoFillBackground(true);
    }
    for (QLineEdit* box : {YKD, YKD1}) {
        box->setFont(forms::SongFont(9, true));
        box->setTextMargins(0, 0, 0, 0);
        forms::SetBackColour(box, Qt::white);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{Label9, YKD, Label10, YKD1, Command26}) {
        w->raise();
        w->setVisible(false);
    }

    // Chart.
    hc = new QSlider(Qt::Horizontal, this);
    hc->setObjectName(QStringLiteral("hc"));
    PlaceTwips(hc, kSlider);   // range and steps come with the chart's binding

    pt0 = new QWidget(this);
    pt0->setObjectName(QStringLiteral("pt0"));
    forms::SetBackColour(pt0, forms::Colour(kChartFrameBlue));
    pt = new chart::ChartCanvas(pt0);
    pt->setObjectName(QStringLiteral("pt"));
    PlaceTwips(pt0, kChartFrame);
    PlaceTwips(pt, kChartCanvas);

    for (int i = 0; i < 9; ++i) {
        const int centre = kChartFrame.left + i * kAxisLabelPitch;
        auto* time = new QLabel(QStringLiteral("00:00:00"), this);
        PlaceTwips(time, centre - 600, kTimeLabelsTop, 1200, 285);
        auto* date = new QLabel(QStringLiteral("2001/07/19"), this);
        PlaceTwips(date, centre - 600, kDateLabelsTop, 1200, 285);
        for (QLabel* label : {time, date}) {
            label->setAlignment(Qt::AlignCenter);
            label->setFont(forms::SongFont(10.5, true));
            forms::SetTextColour(label, Rgb(64, 64, 64));
        }
        Label4[static_cast<size_t>(i)] = time;
        Label7[static_cast<size_t>(i)] = date;
    }
    Label19 = new QLabel(this);
    PlaceTwips(Label19, 60, 9900, 900, 255);
    Label19->setVisible(false);
    Label20 = new QLabel(this);
    PlaceTwips(Label20, 60, 10155, 900, 255);
    Label20->setVisible(false);

    // Right column.
    Frame3 = new forms::Frame(QStringLiteral("功能"), this);
    PlaceTwips(Frame3, kFunctions);
    for (size_t i = 0; i < std::size(kFunctionButtons); ++i) {
        const FunctionButton& def = kFunctionButtons[i];
        auto* button = new forms::CommandButton(Utf8(def.caption), Frame3);
        const bool isReturn = def.button == &lsqx::Command1;
        const int top = kFunctionFirstTop + static_cast<int>(i) * kFunctionPitch
                        + (isReturn ? kReturnExtraGap : 0);
        PlaceTwips(button, kFunctionLeft, top, kFunctionWidth, kFunctionHeight);
        button->setEnabled(def.enabled);
        if (isReturn)
            forms::SetBackColour(button, forms::Colour(kReturnPink));
        this->*def.button = button;
    }
}

void lsqx::Form_Load()
{
    CloseGuard = true;
    PlaceTwips(pt0, kChartFrame.left, kChartFrame.top, kChartFrame.width, kChartFrame.height);
    PlaceTwips(pt, kChartCanvas.left, kChartCanvas.top, kChartCanvas.width, kChartCanvas.height);
    Label19->setText(QString::number(kChartCanvas.width));
    Label20->setText(QString::number(kChartCanvas.height));
    // The set-up starts at zoom level 1, live, with the ruler off, on the
    // window's own connection; it sets CurveOpen and draws.
    engine_->Setup(db::OpenConnection(kConnection));

    Timer1.start();
    Timer2.start();
    Timer3.start();
}

void lsqx::Form_Unload()
{
    // The chart lets go of the connection before it is closed.
    engine_->Teardown();
    db::CloseConnection(kConnection);
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
}

void lsqx::Command1_Click()
{
    // Esc may reach this twice for one key press (the overview loaded here
    // installs its key preview while the key is being filtered).
    if (leaving_)
        return;
    leaving_ = true;
    // The unload closes the chart's connection and clears CurveOpen; the
    // overview, loaded afresh as the home window, then opens its own and
    // sets CurveOpen again.
    forms::ClosePage(*this);
}

void lsqx::Command26_Click()
{
    engine_->Command26_Click(YKD->text(), YKD1->text());
}

void lsqx::Label5_DblClick()
{
    engine_->Label5_DblClick();
}

void lsqx::Timer1_Timer()
{
    engine_->LiveTick(StatusValues);
    for (size_t k = 0; k < 6; ++k)
        D_3W[k]->setText(basic::PlainText(StatusValues[k]));
    Label19->setText(engine_->StepXText());
}

void lsqx::Timer2_Timer()
{
    engine_->RedrawTick();
}

void lsqx::Timer3_Timer()
{
    engine_->ClockTick();
}

bool lsqx::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick
        && std::find(Label5.begin(), Label5.end(), watched) != Label5.end())
        Label5_DblClick();
    return forms::Form::eventFilter(watched, event);
}
