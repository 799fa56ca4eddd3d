// The configuration import: the round trip from the controller through a
// CONF record back into the controller, the query rule, the guard on
// "导入", the run's progress and end texts, the labels of ImportBuf, and the
// window's own connection.

#include "ExchangeFixture.h"

#include "db/LogCapture.h"
#include "platform/modbus/modbus_link.h"

#include <QKeyEvent>
#include <QSqlDatabase>
#include <QTimer>

using namespace testsupport;

namespace {

class InportbTest : public ExchangeFixture {
protected:
    Inportb& Open() { return forms::Instance<Inportb>(); }

    // A record exported from the simulator's registers, stored by the
    // recorder; its number.
    qint64 ExportRecord(const QString& name, int salt)
    {
        SetRegisters(4097, 4288, salt);
        Export(forms::Instance<Inport1>(), name);
        forms::Instance<Inport1>().Command2->click();
        Tick();
        EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Stored);
        return SaveConfResult.recordNumber;
    }
    void Query(Inportb& w, const QString& entry)
    {
        w.MaskEdBox1->setText(entry);
        w.Command2->click();
    }
};

TEST_F(InportbTest, ExportedRecordGoesBackIntoTheRegistersItCameFrom)
{
    const qint64 number = ExportRecord(QStringLiteral("op1"), 0);
    const auto stored = Rows("CONF");
    // The controller's configuration changes; then the record is imported.
    SetRegisters(4097, 4288, 7);
    Inportb& w = Open();
    w.show();
    Query(w, QString::number(number));
    ASSERT_TRUE(w.Command1->isEnabled());
    SwitchLivePoll(true);
    line->clearRequests();

    // What the run looks like from inside, at every write: the labels show
    // a step before it, the buttons stay off and the poll stays off.
    std::vector<QString> percents;
    bool buttonsOffThroughout = true, pollOffThroughout = true;
    {
        modbus::SetCallObserver([&](const modbus::CallRecord& c) {
            if (c.call != modbus::Call::Write)
                return;
            percents.push_back(w.Label5->text());
            buttonsOffThroughout = buttonsOffThroughout && !w.Command1->isEnabled()
                                   && !w.Command2->isEnabled() && !w.Command8->isEnabled();
            pollOffThroughout = pollOffThroughout && !Met1::instance().Timer1.isActive();
        });
        // A press of "导入" during the run starts nothing.
        QTimer::singleShot(0, &w, [&] { w.Command1_Click(); });
        w.Command1->click();
        modbus::SetCallObserver({});
    }
    ExpectProgressBehind(percents, 161);
    EXPECT_TRUE(buttonsOffThroughout);
    EXPECT_TRUE(pollOffThroughout);

    const auto requests = line->requests();
    ASSERT_EQ(requests.size(), 161u);   // no read of the poll, no second run
    for (int i = 0; i < 161; ++i)
        ASSERT_EQ(requests[size_t(i)], (Req{1, 6, uint16_t(4096 + i), uint16_t(ValueOf(4097 + i))})) << i;
    for (int r = 4097; r <= 4257; ++r)
        ASSERT_EQ(line->reg(r), ValueOf(r)) << r;
    for (int r = 4258; r <= 4288; ++r)
        ASSERT_EQ(line->reg(r), ValueOf(r, 7)) << r;
    EXPECT_EQ(w.Label5->text(), QStringLiteral("100.00%"));
    EXPECT_EQ(w.ProgressBar1->value(), 100);
    EXPECT_TRUE(w.ProgressBar1->isVisible());
    EXPECT_EQ(w.Label4->text(), QStringLiteral(" DOWN OK"));
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_TRUE(w.Command8->isEnabled());
    EXPECT_TRUE(Met1::instance().Timer1.isActive());
    EXPECT_EQ(Rows("CONF"), stored);

    // The poll was off before: it is on after the run all the same.
    SwitchLivePoll(false);
    w.Command1->click();
    EXPECT_TRUE(Met1::instance().Timer1.isActive());
    // A new query clears the end text.
    w.Command2->click();
    EXPECT_TRUE(w.Label4->text().isEmpty());
}

TEST_F(InportbTest, TheQueryFindsTheWholeNumberAndOnlyAWholeRecordEnablesTheImport)
{
    for (int n = 1; n <= 12; ++n)
        ASSERT_EQ(ExportRecord(QStringLiteral("op%1").arg(n), n), n);
    // Record 3 lost a value that the import would write.
    db.exec(QStringLiteral("update CONF set \"161\"=NULL where C_ID=3"));
    Inportb& w = Open();
    EXPECT_EQ(w.Dg1->model()->rowCount(), 12);
    // Nothing loaded in this opening: "导入" is off although the last
    // export's values are around.
    EXPECT_FALSE(w.Command1->isEnabled());

    auto loaded = [&](int n) {
        for (int i = 0; i < 161; ++i)
            if (ImportBuf[size_t(i)] != ValueOf(4097 + i, n))
                return false;
        return true;
    };
    struct Case {
        const char* entry;
        int shown;     // the record the grid shows, 0 for none
        bool enabled;  // "导入" after the query
        int buffer;    // the record ImportBuf holds afterwards
    };
    const Case cases[] = {
        {" 7", 7, true, 7},   {"abc", 0, false, 7}, {"12xy", 12, true, 12},
        {"2.5", 0, false, 12}, {"", 0, false, 12},  {"3", 3, false, 12},
        {"99", 0, false, 12},
        // Typed in full width, with the ideographic space in front: the
        // same record as in ASCII.
        {"１ｅ１", 10, true, 10}, {"　　１１", 11, true, 11}, {"１。０", 1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        w.Label4->setText(QStringLiteral(" DOWN OK"));
        Query(w, QString::fromUtf8(c.entry));
        EXPECT_TRUE(w.Label4->text().isEmpty());
        ASSERT_EQ(w.Dg1->model()->rowCount(), c.shown ? 1 : 0);
        if (c.shown) {
            EXPECT_EQ(w.Dg1->model()->index(0, 0).data().toString(), QString::number(c.shown));
        }
        EXPECT_EQ(w.Dg1->model()->columnCount(), 124);
        EXPECT_EQ(w.Command1->isEnabled(), c.enabled);
        EXPECT_TRUE(loaded(c.buffer));
    }
}

TEST_F(InportbTest, TheLabelsShowTheBufferAndItOutlivesTheWindow)
{
    Inportb& w = Open();
    EXPECT_EQ(w.Timer1.interval(), 1500);
    EXPECT_TRUE(w.Label1[0]->text().isEmpty());
    EXPECT_TRUE(RunEventsUntil([&] { return w.Label1[0]->text() == QStringLiteral("0"); }, 2500));
    EXPECT_EQ(w.Label1[1]->text(), QStringLiteral("0"));
    w.Command8->click();

    const qint64 number = ExportRecord(QStringLiteral("op1"), 2);
    Inportb& second = Open();
    Query(second, QString::number(number));
    second.Timer1_Timer();
    EXPECT_EQ(second.Label1[0]->text(), QString::number(ValueOf(4102, 2)));
    EXPECT_EQ(second.Label1[1]->text(), QString::number(ValueOf(4103, 2)));
    // The return unloads the window: the next opening is a new one (its
    // address may well be the old one's, so the old one is watched).
    const QPointer<Inportb> gone = &second;
    second.Command8->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());

    Inportb& third = Open();
    third.Timer1_Timer();
    EXPECT_EQ(third.Label1[0]->text(), QString::number(ValueOf(4102, 2)));
    EXPECT_FALSE(third.Command1->isEnabled());   // a query of this opening first
}

TEST_F(InportbTest, AFailedWriteIsNamedInTheEndTextAfterEveryWriteWasSent)
{
    const qint64 number = ExportRecord(QStringLiteral("op1"), 0);
    Inportb& w = Open();
    Query(w, QString::number(number));
    line->refuseWritesTo(4101);
    line->clearRequests();
    LogCapture log("zc4160.exchange");
    w.Command1->click();
    EXPECT_EQ(line->requests().size(), 161u);
    EXPECT_EQ(w.Label4->text(), QStringLiteral(" DOWN ERR 4101"));
    EXPECT_EQ(w.Label5->text(), QStringLiteral("100.00%"));
    EXPECT_TRUE(Met1::instance().Timer1.isActive());
    EXPECT_EQ(log.warnings().size(), 1);

    // The port closed: every write fails at once, the first is named.
    line->refuseWritesTo(0);
    CloseLink();
    w.Command1->click();
    EXPECT_EQ(w.Label4->text(), QStringLiteral(" DOWN ERR 4097"));
}

TEST_F(InportbTest, ADroppedTableShowsNoRecordAndIsLoggedOncePerOpening)
{
    const qint64 number = ExportRecord(QStringLiteral("op1"), 0);
    Inportb& w = Open();
    ASSERT_EQ(w.Dg1->model()->rowCount(), 1);
    db.exec(QStringLiteral("drop table CONF"));
    LogCapture log("zc4160.exchange");
    for (int press = 0; press < 2; ++press) {
        Query(w, QString::number(number));
        EXPECT_EQ(w.Dg1->model()->rowCount(), 0);
        EXPECT_EQ(w.Dg1->model()->columnCount(), 124);
        EXPECT_FALSE(w.Command1->isEnabled());
    }
    // The record's lookup and the grid's query fail alike: one fault of the
    // window's table, one line.
    ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
    EXPECT_TRUE(log.warnings()[0].contains(QStringLiteral("no such table: CONF")))
        << log.warnings()[0].toStdString();
    // The window goes on: back and opened again, it lists nothing and logs
    // the fault of its new opening once.
    w.Command8->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Inportb& again = Open();
    Query(again, QString::number(number));
    Query(again, QString::number(number));
    EXPECT_EQ(again.Dg1->model()->rowCount(), 0);
    EXPECT_EQ(log.warnings().size(), 2);
}

TEST_F(InportbTest, LayoutKeysAndTheOwnConnection)
{
    Inportb& w = Open();
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("数据导入"));
    EXPECT_EQ(w.size(), QSize(894, 544));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("数据导入到仪表"));
    EXPECT_EQ(w.Label6->text(),
              QStringLiteral("警告：请谨慎使用本操作，有可能会对设备造成损坏，严禁下载过程中关机和断电等非法操作"));
    EXPECT_EQ(w.Command8->text(), QStringLiteral("Esc 返回 "));
    EXPECT_EQ(w.Command2->text(), QStringLiteral("按编号查询"));
    EXPECT_EQ(w.Command1->text(), QStringLiteral("导入"));
    EXPECT_EQ(w.Label2->text(), QStringLiteral("数据编号："));
    EXPECT_EQ(w.Dg1->geometry(), QRect(4, 30, 885, 451));
    EXPECT_EQ(w.Frame1->geometry(), QRect(6, 484, 403, 53));
    EXPECT_EQ(w.Command1->parentWidget(), w.Frame1);
    EXPECT_EQ(w.Command1->geometry(), QRect(292, 14, 97, 32));
    EXPECT_EQ(w.Command8->geometry(), QRect(766, 502, 115, 33));
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_EQ(w.Dg1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(w.Dg1->model()->columnCount(), 124);
    EXPECT_EQ(w.Dg1->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("时间"));
    EXPECT_TRUE(QSqlDatabase::database(w.ConnectionName(), false).isOpen());

    // No key does anything, Esc included; the close box is refused.
    for (QWidget* target : {static_cast<QWidget*>(&w), static_cast<QWidget*>(w.MaskEdBox1)}) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &esc);
    }
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(forms::IsLoaded<Inportb>());
    EXPECT_TRUE(w.isVisible());

    const QString connection = w.ConnectionName();
    w.Command8->click();
    EXPECT_FALSE(forms::IsLoaded<Inportb>());
    EXPECT_FALSE(QSqlDatabase::contains(connection));
}

} // namespace
