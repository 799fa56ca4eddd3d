// The configuration export: its layout and load, the enable rule, the
// three reads and the request, what the recorder makes of it, and the
// result label's truth.

#include "ExchangeFixture.h"

#include "platform/basic/daynumbers.h"

using namespace testsupport;

namespace {

class Inport1Test : public ExchangeFixture {
protected:
    Inport1& Open() { return forms::Instance<Inport1>(); }
    // Waits for the result label as the dialog's own timers run.
    bool ResultShows(Inport1& w, const char* text)
    {
        return RunEventsUntil([&] { return w.LabelResult->text() == QString::fromUtf8(text); }, 2000);
    }
};

TEST_F(Inport1Test, LoadsAtItsLayoutAndWithdrawsAPendingRequest)
{
    SaveConfFlag = true;
    SaveConfResult = {SaveOutcome::Pending, 0};
    const QString before = exchange::SaveNumberText(exchange::StampOf(QDateTime::currentDateTime()));
    Inport1& w = Open();
    const QString after = exchange::SaveNumberText(exchange::StampOf(QDateTime::currentDateTime()));
    EXPECT_FALSE(SaveConfFlag);
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::None);

    EXPECT_EQ(w.windowTitle(), QStringLiteral("数据导出操作"));
    EXPECT_EQ(w.size(), QSize(445, 220));
    EXPECT_TRUE(w.CloseGuard);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("任务进程"));
    EXPECT_EQ(w.Label2[0]->text(), QStringLiteral("保存编号"));
    EXPECT_EQ(w.Label2[1]->text(), QStringLiteral("操作人："));
    EXPECT_EQ(w.Command1->text(), QStringLiteral("开始导出数据"));
    EXPECT_EQ(w.Command2->text(), QStringLiteral("退出"));
    EXPECT_EQ(w.ProgressBar1->geometry(), QRect(10, 32, 425, 27));
    EXPECT_EQ(w.LABEL11->geometry(), QRect(178, 66, 129, 21));
    EXPECT_EQ(w.Text1->geometry(), QRect(178, 96, 129, 21));
    EXPECT_EQ(w.Command1->geometry(), QRect(74, 182, 91, 29));
    // The result label sits under the name, clear of the buttons.
    EXPECT_GT(w.LabelResult->geometry().top(), w.Text1->geometry().bottom());
    EXPECT_LT(w.LabelResult->geometry().bottom(), w.Command1->geometry().top());
    EXPECT_TRUE(w.LabelResult->text().isEmpty());

    // The number replaces "-99999" at load already.
    EXPECT_TRUE(w.LABEL11->text() == before || w.LABEL11->text() == after) << w.LABEL11->text().toStdString();
    EXPECT_FALSE(w.Command1->isEnabled());
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_EQ(w.ProgressBar1->value(), 0);
    EXPECT_EQ(w.Timer1.interval(), 100);
    EXPECT_TRUE(w.Timer1.isActive());

    // Only "退出" closes it.
    w.show();
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(forms::IsLoaded<Inport1>());
    w.Command2->click();
    EXPECT_FALSE(forms::IsLoaded<Inport1>());
}

TEST_F(Inport1Test, ANameEnablesTheStartAndEveryTickCopiesIt)
{
    Inport1& w = Open();
    struct Case {
        const char* name;
        bool enabled;
    };
    const Case cases[] = {{"op1", true}, {"", false}, {" ", true}, {"", false}};
    for (const Case& c : cases) {
        w.Text1->setText(QString::fromUtf8(c.name));
        // The next tick (its 100 ms are checked with the design).
        w.Timer1_Timer();
        EXPECT_EQ(w.Command1->isEnabled(), c.enabled) << "'" << c.name << "'";
        EXPECT_EQ(OperatorName, QString::fromUtf8(c.name));
    }
}

TEST_F(Inport1Test, ExportReadsBackToBackAndTheRecorderStoresTheRecord)
{
    SetRegisters(4097, 4288);
    SwitchLivePoll(true);
    Inport1& w = Open();
    line->clearRequests();
    Export(w, QStringLiteral("op1"));
    EXPECT_EQ(line->requests(), (std::vector<Req>{{1, 3, 4096, 64}, {1, 3, 4160, 64}, {1, 3, 4224, 64}}));
    EXPECT_EQ(w.ProgressBar1->value(), 100);
    EXPECT_TRUE(SaveConfFlag);
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_TRUE(w.LabelResult->text().isEmpty());
    EXPECT_TRUE(Met1::instance().Timer1.isActive());   // the export leaves the poll alone

    Tick();
    EXPECT_FALSE(SaveConfFlag);
    const auto rows = Rows("CONF");
    ASSERT_EQ(rows.size(), 1u);
    const QVariantList& r = rows[0];
    ASSERT_EQ(r.size(), 196);
    EXPECT_EQ(r[1].toString(), QStringLiteral("op1"));
    EXPECT_EQ(r[2].toDouble(), basic::DayNumber(QDate::currentDate()));
    for (int i = 0; i < 192; ++i)
        ASSERT_EQ(r[4 + i].toInt(), ValueOf(4097 + i)) << i;
    EXPECT_TRUE(ResultShows(w, "数据导出成功"));
}

TEST_F(Inport1Test, ASilentControllerOrALostRowIsAFailure)
{
    SetRegisters(4097, 4288);
    Inport1& w = Open();
    line->setFault(zc4160sim::Fault::NoAnswer);
    line->clearRequests();
    Export(w, QStringLiteral("op1"));
    EXPECT_EQ(line->requests().size(), 3u);
    EXPECT_FALSE(SaveConfFlag);
    EXPECT_EQ(w.LabelResult->text(), QStringLiteral("数据导出失败"));
    EXPECT_EQ(w.ProgressBar1->value(), 60);
    EXPECT_TRUE(w.Command2->isEnabled());
    Tick();
    EXPECT_TRUE(Rows("CONF").empty());

    // The reads arrive but the recorder cannot store the row.
    line->setFault(zc4160sim::Fault::None);
    w.Command1->click();
    EXPECT_TRUE(SaveConfFlag);
    EXPECT_TRUE(w.LabelResult->text().isEmpty());
    db.exec(QStringLiteral("drop table CONF"));
    Tick();
    EXPECT_FALSE(SaveConfFlag);
    EXPECT_TRUE(ResultShows(w, "数据导出失败"));
}

TEST_F(Inport1Test, TwoExportsBeforeATickMakeOneRecordOfTheSecond)
{
    SetRegisters(4097, 4288);
    Inport1& w = Open();
    Export(w, QStringLiteral("first"));
    SetRegisters(4097, 4288, 1);
    Export(w, QStringLiteral("second"));
    Tick();
    const auto rows = Rows("CONF");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("second"));
    for (int i = 0; i < 192; ++i)
        ASSERT_EQ(rows[0][4 + i].toInt(), ValueOf(4097 + i, 1)) << i;
}

TEST_F(Inport1Test, ExitKeepsTheRequestAndOnlyAReopeningWithdrawsIt)
{
    SetRegisters(4097, 4288);
    Export(Open(), QStringLiteral("kept"));
    Open().Command2->click();
    Tick();
    EXPECT_EQ(Rows("CONF").size(), 1u);

    Export(Open(), QStringLiteral("withdrawn"));
    Open().Command2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Inport1& again = Open();
    Tick();
    EXPECT_EQ(Rows("CONF").size(), 1u);
    EXPECT_TRUE(again.LabelResult->text().isEmpty());
}

} // namespace
