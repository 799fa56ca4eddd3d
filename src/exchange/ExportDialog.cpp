#include "exchange/ExportDialog.h"

#include "platform/basic/twips.h"

using forms::PlaceTwips;

namespace {

// How soon the result label follows the recorder, which ticks every 100 ms.
constexpr int kWatchMs = 100;

} // namespace

ExportDialog::ExportDialog(const Design& design) : design_(design)
{
    setWindowTitle(QString::fromUtf8(design_.caption));
    setFixedSize(basic::TwipsToPixels(design_.clientWidth),
                 basic::TwipsToPixels(design_.clientHeight));

    LABEL11 = new QLabel(QStringLiteral("-99999"), this);
    PlaceTwips(LABEL11, design_.label11);
    forms::SetBackColour(LABEL11, forms::Rgb(255, 255, 255));
    Text1 = new QLineEdit(this);
    PlaceTwips(Text1, design_.text1);
    Command1 = new QPushButton(QStringLiteral("开始导出数据"), this);
    PlaceTwips(Command1, design_.command1);
    Command2 = new QPushButton(QStringLiteral("退出"), this);
    PlaceTwips(Command2, design_.command2);

    Timer1.setInterval(design_.tickMs);
    watch_.setInterval(kWatchMs);
    connect(&Timer1, &QTimer::timeout, this, &ExportDialog::Timer1_Timer);
    connect(&watch_, &QTimer::timeout, this, &ExportDialog::WatchResult);
    connect(Command1, &QPushButton::clicked, this, &ExportDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ExportDialog::Command2_Click);
}

void ExportDialog::Form_Load()
{
    // Opening the dialog withdraws a request the recorder has not taken.
    exchange::WithdrawRequest(*design_.request);
    CloseGuard = true;
    Command1->setEnabled(false);
    ShowProgress(0);
    if (design_.numberAtLoad)
        ShowNumber();
    ResultLabel()->clear();
    Text1->setFocus();
    Timer1.start();
}

void ExportDialog::Form_Unload()
{
    Timer1.stop();
    watch_.stop();
}

void ExportDialog::ShowNumber()
{
    LABEL11->setText(exchange::SaveNumberText(exchange::StampOf(QDateTime::currentDateTime())));
}

void ExportDialog::Timer1_Timer()
{
    // A name of blanks is a name.
    Command1->setEnabled(!Text1->text().isEmpty());
    ShowNumber();
    if (design_.nameOnTick)
        OperatorName = Text1->text();
}

void ExportDialog::Command1_Click()
{
    ShowProgress(0);
    Command2->setEnabled(false);
    ShowNumber();
    OperatorName = Text1->text();
    TakeTexts();
    ResultLabel()->clear();
    watch_.stop();
    if (exchange::RunExport(*design_.request, [this](int p) { ShowProgress(p); })) {
        ShowProgress(100);
        watch_.start();
    } else {
        ResultLabel()->setText(QString::fromUtf8(exchange::kExportFailed));
    }
    Command2->setEnabled(true);
}

void ExportDialog::WatchResult()
{
    if (const auto text = exchange::ExportResultText(*design_.request->result)) {
        ResultLabel()->setText(*text);
        watch_.stop();
    }
}

void ExportDialog::Command2_Click()
{
    CloseGuard = false;
    Unload();
}
