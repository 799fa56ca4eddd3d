#include "exchange/ImportPage.h"

#include "device/Met1.h"
#include "platform/basic/logtext.h"
#include "platform/basic/twips.h"
#include "platform/db/DatabaseFile.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPointer>

#include <algorithm>

using forms::PlaceTwips;
using forms::TwipsRect;

namespace {

// The query row, at the same places in both windows (twips, within the
// frame).
constexpr TwipsRect kLabel2{180, 330, 1365, 315};
constexpr TwipsRect kMaskEdBox1{1620, 240, 915, 405};
constexpr TwipsRect kCommand2{2760, 210, 1455, 480};
constexpr TwipsRect kCommand1{4380, 210, 1455, 480};

} // namespace

ImportPage::ImportPage(const Design& design)
    : design_(design),
      tableFault_(QStringLiteral("%1: a query of %2")
                      .arg(QString::fromUtf8(design.record->what),
                           QString::fromLatin1(design.record->table)))
{
    setWindowTitle(QString::fromUtf8(design_.caption));
    setFixedSize(basic::TwipsToPixels(design_.clientWidth),
                 basic::TwipsToPixels(design_.clientHeight));

    model_ = new exchange::RecordGridModel(ConnectionName(), *design_.grid, tableFault_, this);
    Dg1 = new QTableView(this);
    PlaceTwips(Dg1, design_.dg1);
    Dg1->setModel(model_);
    Dg1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Dg1->verticalHeader()->setDefaultSectionSize(basic::TwipsToPixels(285));

    Frame1 = new forms::Frame(QString(), this);
    PlaceTwips(Frame1, design_.frame1);
    Label2 = new QLabel(QStringLiteral("数据编号："), Frame1);
    PlaceTwips(Label2, kLabel2);
    MaskEdBox1 = new QLineEdit(Frame1);
    PlaceTwips(MaskEdBox1, kMaskEdBox1);
    Command2 = new QPushButton(QStringLiteral("按编号查询"), Frame1);
    PlaceTwips(Command2, kCommand2);
    Command1 = new QPushButton(QStringLiteral("导入"), Frame1);
    PlaceTwips(Command1, kCommand1);

    Label5 = new QLabel(this);
    PlaceTwips(Label5, design_.label5);
    Label4 = new QLabel(this);
    PlaceTwips(Label4, design_.label4);
    ProgressBar1 = new QProgressBar(this);
    PlaceTwips(ProgressBar1, design_.progressBar1);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Label6 = new QLabel(QString::fromUtf8(design_.warning), this);
    PlaceTwips(Label6, design_.label6);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    forms::SetTextColour(Label6, forms::Rgb(255, 0, 0));
    Command8 = new QPushButton(QString::fromUtf8(design_.returnCaption), this);
    PlaceTwips(Command8, design_.command8);

    connect(Command2, &QPushButton::clicked, this, &ImportPage::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &ImportPage::Command1_Click);
    connect(Command8, &QPushButton::clicked, this, &ImportPage::Command8_Click);
    CentreOnScreen(this);
}

void ImportPage::Form_Load()
{
    CloseGuard = true;
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
    // Nothing to import until a query of this opening found a record.
    Command1->setEnabled(false);
    if (!db::OpenConnection(ConnectionName()).isOpen())
        qCWarning(lcExchange, "%s: cannot open the database %s; no record can be listed",
                  design_.record->what, qUtf8Printable(basic::LogEscaped(db::DatabasePath())));
    model_->ShowAll();
    tableFault_.TryOver();
}

void ImportPage::Form_Unload()
{
    model_->Release();
    db::CloseConnection(ConnectionName());
}

void ImportPage::Command2_Click()
{
    Label4->clear();
    const std::optional<qint64> number = exchange::RecordNumberOf(MaskEdBox1->text());
    const auto values = exchange::FindWholeRecord(ConnectionName(), *design_.record, number,
                                                  &tableFault_);
    // A lookup the database refused shows no record in the grid as well:
    // the grid's query of the same table would fail too, or list a record
    // that cannot be imported.
    bool listed = false;
    if (tableFault_.FailedThisTry())
        model_->ShowNoRecord();
    else
        listed = model_->ShowRecord(number);
    // Only a whole record that the grid shows goes into the buffer; any
    // other query leaves it as it was and "导入" off.
    recordLoaded_ = values.has_value() && listed;
    if (recordLoaded_)
        std::copy(values->begin(), values->end(), design_.record->buffer.begin());
    Command1->setEnabled(recordLoaded_);
    tableFault_.TryOver();
}

void ImportPage::Command1_Click()
{
    if (importing_ || !recordLoaded_)
        return;
    importing_ = true;
    ProgressBar1->show();
    Command8->setEnabled(false);
    Command2->setEnabled(false);
    Command1->setEnabled(false);
    SwitchLivePoll(false);

    const QPointer<ImportPage> self = this;
    exchange::ProgressPace pace;
    const exchange::WriteRun run = exchange::RunWrites(
        *design_.record,
        [&self] {
            QCoreApplication::processEvents();
            return !self.isNull();
        },
        [this, &pace](const exchange::WriteRun& r, int i) {
            if (!pace.Due(r.Last(i)))
                return;
            const double p = r.Percent(i);
            ProgressBar1->setValue(static_cast<int>(p));
            Label5->setText(exchange::PercentText(p));
        });
    if (!self) {
        // The window went during a yield; the poll comes back all the same.
        SwitchLivePoll(true);
        return;
    }
    Label4->setText(run.EndText());
    Command8->setEnabled(true);
    Command2->setEnabled(true);
    Command1->setEnabled(recordLoaded_);
    SwitchLivePoll(true);
    importing_ = false;
}

void ImportPage::Command8_Click()
{
    forms::ClosePage(*this);
}
