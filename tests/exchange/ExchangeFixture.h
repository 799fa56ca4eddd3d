#pragma once
// The exchange windows on a database of the test's own, with the simulated
// controller on port 1 ("打开" pressed), a recorder that ticks when the test
// says so, and the configuration page that opens the four windows.

#include "ExchangeReset.h"
#include "db/TempDatabase.h"
#include "device/DeviceFixture.h"
#include "exchange/CExport.h"
#include "exchange/ExchangeCore.h"
#include "exchange/ExchangeShared.h"
#include "exchange/Inport1.h"
#include "exchange/Inport_Cali.h"
#include "exchange/Inportb.h"
#include "pages/CONFIG1.h"
#include "platform/forms/Forms.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QApplication>
#include <QPointer>
#include <algorithm>
#include <memory>
#include <vector>

namespace testsupport {

template <class T> void UnloadIfLoaded()
{
    if (forms::IsLoaded<T>()) {
        T& w = forms::Instance<T>();
        w.CloseGuard = false;
        w.Unload();
    }
}

class ExchangeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        forms::SetUpStation(*qApp);
        ResetStation();
        ResetExchange();
        ASSERT_TRUE(line.started());
        ASSERT_EQ(OpenLink(DefaultSelection()), 0);
        recorder = std::make_unique<mscom>([] { return QDateTime::currentDateTime(); }, kRecorder);
        recorder->Timer1.stop();   // the tests tick by hand
    }
    void TearDown() override
    {
        UnloadIfLoaded<Inport1>();
        UnloadIfLoaded<CExport>();
        UnloadIfLoaded<Inportb>();
        UnloadIfLoaded<Inport_Cali>();
        UnloadIfLoaded<CONFIG1>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        recorder.reset();
        db::CloseConnection(kRecorder);
        ResetStation();
        ResetExchange();
    }

    // The recorder's tick.
    void Tick() { recorder->Timer1_Timer(); }

    // Registers first..last of the simulator hold ValueOf(r, salt).
    void SetRegisters(int first, int last, int salt = 0)
    {
        for (int r = first; r <= last; ++r)
            line->setReg(r, ValueOf(r, salt));
    }

    std::vector<QVariantList> Rows(const char* table)
    {
        return db.rows(QStringLiteral("select * from %1 order by rowid").arg(QLatin1String(table)));
    }

    // The page the windows are opened from, shown.
    CONFIG1& Page()
    {
        CONFIG1& page = forms::Instance<CONFIG1>();
        page.show();
        return page;
    }

    // An export through the dialog as the operator makes it.
    void Export(ExportDialog& dialog, const QString& name)
    {
        dialog.Text1->setText(name);
        dialog.Timer1_Timer();
        ASSERT_TRUE(dialog.Command1->isEnabled());
        dialog.Command1->click();
    }

    static inline const QString kRecorder = QStringLiteral("test-recorder");
    TempDatabase db;
    SimLine line{1};
    std::unique_ptr<mscom> recorder;
};

using Req = zc4160sim::Request;

// The percentage a run of count writes showed at each write: the first
// step's "0.00%" before the second, and at every later write a step before
// it, never going back. The steps
// between are shown at most once a display frame, so which of them a write
// sees depends on the clock.
inline void ExpectProgressBehind(const std::vector<QString>& seen, int count)
{
    ASSERT_EQ(seen.size(), size_t(count));
    const exchange::WriteRun run(0, count);
    EXPECT_EQ(seen[1], exchange::PercentText(0));
    int shown = 0;
    for (int i = 2; i < count; ++i) {
        int step = shown;
        while (step < i && exchange::PercentText(run.Percent(step)) != seen[size_t(i)])
            ++step;
        EXPECT_LT(step, i) << "write " << i << " saw " << seen[size_t(i)].toStdString();
        shown = std::min(step, i - 1);
    }
}

} // namespace testsupport
