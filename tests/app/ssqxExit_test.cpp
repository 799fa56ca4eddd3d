// "退出" and Esc: the overview closes its database, unloads and the station
// ends at once, leaving the port, the poll and the recorder as they were.

#include "OverviewFixture.h"

#include "db/FileAlone.h"
#include "db/TempDatabase.h"
#include "trend/RecorderShared.h"
#include "app/ssqxChart.h"

#include <QKeyEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <csignal>
#include <cstring>

namespace {

// What the station looked like when the end came.
struct AtTheEnd {
    int ends = 0;
    bool overviewLoaded = true;
    bool overviewVisible = true;
    bool curveOpen = true;
    bool connection = true;
    bool pollRunning = false;
    size_t portCloses = 0;
};

class ExitTest : public testsupport::OverviewFixture {
protected:
    void SetUp() override
    {
        OverviewFixture::SetUp();
        savedEnd = ssqx::EndProcess();
        ssqx::EndProcess() = [this] {
            ++end.ends;
            end.overviewLoaded = forms::IsLoaded<ssqx>();
            end.overviewVisible = window->isVisible();   // deleted later, not yet
            end.curveOpen = CurveOpen;
            end.connection = QSqlDatabase::contains(ssqx::kConnection);
            end.pollRunning = Met1::instance().Timer1.isActive();
            end.portCloses = calls.count(modbus::Call::Close);
        };
    }
    void TearDown() override
    {
        ssqx::EndProcess() = savedEnd;
        OverviewFixture::TearDown();
    }
    // The chart's hooks as the station installs them, on a fresh overview.
    void LoadWithTheChart()
    {
        window->CloseGuard = false;
        window->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        chart::InstallOverviewChart();
        window = &forms::Instance<ssqx>();
    }
    std::function<void()> savedEnd;
    AtTheEnd end;
    testsupport::CallLog calls;
};

void ExpectEndedAsDesigned(const AtTheEnd& end)
{
    EXPECT_EQ(end.ends, 1);
    EXPECT_FALSE(end.overviewLoaded);
    EXPECT_FALSE(end.overviewVisible);
    EXPECT_FALSE(end.curveOpen);
    EXPECT_FALSE(end.connection);
    EXPECT_TRUE(end.pollRunning);      // no other window's unload ran
    EXPECT_EQ(end.portCloses, 0u);     // the port goes with the process
}

TEST_F(ExitTest, ExitButtonEndsWithThePortOpenAndThePollRunning)
{
    testsupport::SimLine line{1};
    ASSERT_TRUE(line.started());
    LoadWithTheChart();
    window->show();
    window->Command9->click();
    ASSERT_TRUE(testsupport::RunEventsUntil([&] { return line->requests().size() >= 3; }, 10000));
    window->Command1->click();
    ExpectEndedAsDesigned(end);
}

// Esc reaches "退出" through the chart's key handler, whichever control has
// the focus.
TEST_F(ExitTest, EscEndsAsExitDoes)
{
    LoadWithTheChart();
    SwitchLivePoll(true);
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    window->Text1[301]->setFocus();
    QWidget* focus = QApplication::focusWidget();
    QWidget* target = focus && focus->window() == window ? focus : window;
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &esc);
    ExpectEndedAsDesigned(end);
}

// The close box is refused, again and again, and "退出" still leaves.
TEST_F(ExitTest, CloseBoxIsRefusedAndExitStillLeaves)
{
    SwitchLivePoll(true);
    window->show();
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(window->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(forms::IsLoaded<ssqx>());
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->CloseGuard);
    }
    EXPECT_EQ(end.ends, 0);
    window->Command1->click();
    ExpectEndedAsDesigned(end);
}

// The station as its main() starts it, offscreen, in a process of its own;
// ZC4160_DB and ZC4160_PORT1 are the test's.
void StartStationChild(QProcess& child, const QStringList& arguments)
{
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(STATION_EXIT_CHILD), arguments);
}

// The station itself, started as its main() starts it, opened on a
// simulated controller and ended with Esc: the process ends at once with
// no exit handler run and no port closed, and the database holds the rows
// the recorder committed, sound.
TEST(StationExit, EscEndsTheProcessAndLeavesTheDatabaseSound)
{
    testsupport::SimLine line{1};
    ASSERT_TRUE(line.started());
    line->setReg(1, 123);   // PV
    TempDatabase database;
    database.outside().close();

    QProcess child;
    StartStationChild(child, {});
    ASSERT_TRUE(child.waitForStarted(10000));
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray out = child.readAllStandardOutput();
    const QByteArray err = child.readAllStandardError();
    SCOPED_TRACE(out.toStdString() + err.toStdString());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(out.contains("esc\n"));
    EXPECT_FALSE(out.contains("atexit"));
    EXPECT_FALSE(out.contains("close"));
    EXPECT_FALSE(out.contains("still running"));
    // Its database closed: nothing of it is left in a journal.
    EXPECT_FALSE(QFileInfo::exists(database.path() + QStringLiteral("-wal")));
    EXPECT_FALSE(QFileInfo::exists(database.path() + QStringLiteral("-shm")));

    ASSERT_TRUE(database.outside().open());
    EXPECT_EQ(database.scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
              QStringLiteral("ok"));
    const auto rows = database.rows(QStringLiteral("select * from pv_data order by w_id"));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows.back()[3].toDouble(), 123.0);
    EXPECT_EQ(database.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(),
              rows.back()[0].toInt());
}

// A log-out, a shut-down or Ctrl+C ends the station as "退出" does: the
// database closed, nothing of it in a journal, the rows stored in the file
// alone; no exit handler run and no port closed. The station ends by the
// signal, as it would have without handling it.
TEST(StationExit, ASignalEndsTheStationWithItsDatabaseClosed)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        // A line and a database of its own for each signal.
        testsupport::SimLine line{1};
        ASSERT_TRUE(line.started());
        line->setReg(1, 123);   // PV
        TempDatabase database;
        database.outside().close();
        QProcess child;
        StartStationChild(child, {QStringLiteral("signal")});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray out;
        QElapsedTimer waited;
        waited.start();
        while (!out.contains("ready\n") && child.state() == QProcess::Running && waited.elapsed() < 60000) {
            child.waitForReadyRead(1000);
            out += child.readAllStandardOutput();
        }
        ASSERT_TRUE(out.contains("ready\n")) << out.toStdString() << child.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(child.processId()), signal);
        ASSERT_TRUE(child.waitForFinished(30000));
        out += child.readAllStandardOutput();
        SCOPED_TRACE(out.toStdString() + child.readAllStandardError().toStdString());
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
        EXPECT_FALSE(out.contains("atexit"));
        EXPECT_FALSE(out.contains("close"));
        EXPECT_FALSE(out.contains("still running"));
        EXPECT_FALSE(QFileInfo::exists(database.path() + QStringLiteral("-wal")));
        EXPECT_FALSE(QFileInfo::exists(database.path() + QStringLiteral("-shm")));

        FileAlone alone(database.path());
        ASSERT_TRUE(alone.copied());
        EXPECT_EQ(alone.scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
        const int rows = alone.count("pv_data");
        EXPECT_GE(rows, 2);
        EXPECT_EQ(alone.scalar(QStringLiteral("select ShortHead from sl_void")).toInt(), rows);
        EXPECT_EQ(alone.scalar(QStringLiteral("select ShortPv0 from pv_data where w_id = %1").arg(rows)).toDouble(),
                  123.0);
    }
}

} // namespace
