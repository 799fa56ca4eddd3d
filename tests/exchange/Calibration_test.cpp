// The calibration export and import: what CExport shows before its first
// tick, the one read and the 42 stored values, the result text, the 42
// writes with "导入" off during the run, and both exports' requests in one
// recorder tick.

#include "ExchangeFixture.h"

#include "platform/modbus/modbus_link.h"

using namespace testsupport;

namespace {

class CalibrationTest : public ExchangeFixture {};

TEST_F(CalibrationTest, ExportDialogStartsDisabledWithTheDesignNumber)
{
    OperatorName = QStringLiteral("before");
    SaveCaliFlag = true;
    CExport& w = forms::Instance<CExport>();
    EXPECT_FALSE(SaveCaliFlag);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("校准参数导出"));
    EXPECT_EQ(w.size(), QSize(575, 230));
    EXPECT_EQ(w.Label2[0]->text(), QStringLiteral("本次操作自动ID编码"));
    EXPECT_EQ(w.Label2[1]->text(), QStringLiteral("操作人："));
    EXPECT_EQ(w.Label2[2]->text(), QStringLiteral("操作备注信息："));
    EXPECT_EQ(w.Text2->geometry(), QRect(148, 84, 417, 65));
    EXPECT_EQ(w.Label1->geometry(), QRect(218, 158, 195, 25));
    EXPECT_EQ(w.LABEL11->text(), QStringLiteral("-99999"));
    EXPECT_FALSE(w.Command1->isEnabled());
    EXPECT_TRUE(w.Label1->text().isEmpty());
    EXPECT_EQ(w.Timer1.interval(), 1000);

    // The tick: the enable rule and the number, but not the name.
    w.Timer1_Timer();
    EXPECT_FALSE(w.Command1->isEnabled());
    EXPECT_NE(w.LABEL11->text(), QStringLiteral("-99999"));
    w.Text1->setText(QStringLiteral("cal"));
    w.Timer1_Timer();
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_EQ(OperatorName, QStringLiteral("before"));
    EXPECT_FALSE(w.close());
}

TEST_F(CalibrationTest, ExportStoresTheFortyTwoValuesAndTellsTheTruth)
{
    SetRegisters(24577, 24640);
    CExport& w = forms::Instance<CExport>();
    w.Text2->setText(QStringLiteral("r1"));
    line->clearRequests();
    Export(w, QStringLiteral("cal"));
    EXPECT_EQ(line->requests(), (std::vector<Req>{{1, 3, 24576, 64}}));
    EXPECT_TRUE(SaveCaliFlag);
    EXPECT_EQ(CaliNote, QStringLiteral("r1"));
    EXPECT_TRUE(w.Label1->text().isEmpty());   // not before the recorder has stored it
    Tick();
    const auto rows = Rows("Calibration");
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].size(), 47);
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("cal"));
    EXPECT_EQ(rows[0][4].toString(), QStringLiteral("r1"));
    for (int i = 0; i < 42; ++i)
        ASSERT_EQ(rows[0][5 + i].toInt(), ValueOf(24577 + i)) << i;
    EXPECT_TRUE(RunEventsUntil([&] { return w.Label1->text() == QStringLiteral("数据导出成功"); }, 2000));

    // Silent: no row, and never the success text.
    line->setFault(zc4160sim::Fault::NoAnswer);
    w.Command1->click();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("数据导出失败"));
    Tick();
    EXPECT_EQ(Rows("Calibration").size(), 1u);
    RunEventsUntil([] { return false; }, 300);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("数据导出失败"));
}

TEST_F(CalibrationTest, BothRequestsInOneTickCarryTheLastNameWritten)
{
    SetRegisters(4097, 4288);
    SetRegisters(24577, 24640);
    Export(forms::Instance<Inport1>(), QStringLiteral("op1"));
    forms::Instance<Inport1>().Command2->click();
    Export(forms::Instance<CExport>(), QStringLiteral("cal"));
    EXPECT_TRUE(SaveConfFlag);   // opening CExport withdraws only its own request
    Tick();
    const auto conf = Rows("CONF");
    const auto cali = Rows("Calibration");
    ASSERT_EQ(conf.size(), 1u);
    ASSERT_EQ(cali.size(), 1u);
    EXPECT_EQ(conf[0][1].toString(), QStringLiteral("cal"));
    EXPECT_EQ(cali[0][1].toString(), QStringLiteral("cal"));
}

TEST_F(CalibrationTest, ImportWritesTheFortyTwoRegistersWithTheButtonOff)
{
    SetRegisters(24577, 24640);
    Export(forms::Instance<CExport>(), QStringLiteral("cal"));
    Tick();
    const qint64 number = SaveCaliResult.recordNumber;
    forms::Instance<CExport>().Command2->click();
    SetRegisters(24577, 24640, 3);

    Inport_Cali& w = forms::Instance<Inport_Cali>();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("数据导入"));
    EXPECT_EQ(w.size(), QSize(1526, 873));
    EXPECT_EQ(w.Command8->text(), QStringLiteral("返回上层 "));
    EXPECT_TRUE(w.Label6->text().endsWith(QStringLiteral("非法操作!")));
    EXPECT_EQ(w.Dg1->model()->columnCount(), 45);
    EXPECT_FALSE(w.Command1->isEnabled());
    w.MaskEdBox1->setText(QString::number(number));
    w.Command2->click();
    ASSERT_TRUE(w.Command1->isEnabled());
    ASSERT_EQ(w.Dg1->model()->rowCount(), 1);

    SwitchLivePoll(true);
    line->clearRequests();
    std::vector<QString> percents;
    bool offThroughout = true;
    modbus::SetCallObserver([&](const modbus::CallRecord& c) {
        if (c.call != modbus::Call::Write)
            return;
        percents.push_back(w.Label5->text());
        offThroughout = offThroughout && !w.Command1->isEnabled() && !w.Command2->isEnabled()
                        && !w.Command8->isEnabled() && !Met1::instance().Timer1.isActive();
    });
    w.Command1->click();
    modbus::SetCallObserver({});

    const auto requests = line->requests();
    ASSERT_EQ(requests.size(), 42u);
    for (int i = 0; i < 42; ++i)
        ASSERT_EQ(requests[size_t(i)], (Req{1, 6, uint16_t(24576 + i), uint16_t(ValueOf(24577 + i))})) << i;
    for (int r = 24619; r <= 24640; ++r)
        EXPECT_EQ(line->reg(r), ValueOf(r, 3)) << r;
    EXPECT_TRUE(offThroughout);
    ExpectProgressBehind(percents, 42);
    EXPECT_EQ(w.Label5->text(), QStringLiteral("100.00%"));
    EXPECT_EQ(w.Label4->text(), QStringLiteral(" DOWN OK"));
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_TRUE(Met1::instance().Timer1.isActive());
    for (int i = 0; i < 42; ++i)
        EXPECT_EQ(CaliImportBuf[size_t(i)], ValueOf(24577 + i)) << i;
}

} // namespace
