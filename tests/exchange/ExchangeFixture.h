#pragma once
// The exchange windows on a database of the test's own, with the simulated
// controller on port 1 ("打开" pressed), a recorder that ticks when the test
// says so, and a stand-in for the configuration page that opens the four
// windows as the page's buttons will.

#include "ExchangeReset.h"
#include "db/TempDatabase.h"
#include "device/DeviceFixture.h"
#include "exchange/CExport.h"
#include "exchange/ExchangeShared.h"
#include "exchange/Inport1.h"
#include "exchange/Inport_Cali.h"
#include "exchange/Inportb.h"
#include "platform/forms/Forms.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QApplication>
#include <QPointer>
#include <functional>
#include <memory>

namespace testsupport {

// The configuration page as far as the exchange windows see it: a page
// with the four buttons, each wired as the page will wire it.
class StandInPage : public forms::Form {
public:
    StandInPage()
    {
        setWindowTitle(QStringLiteral("CONFIG"));
        auto button = [this](const char* caption, int left, std::function<void()> handler) {
            auto* b = new QPushButton(QString::fromUtf8(caption), this);
            b->setGeometry(left, 10, 80, 30);
            connect(b, &QPushButton::clicked, this, handler);
            return b;
        };
        ExportButton = button("数据导出", 10, [this] { forms::ShowModal<Inport1>(this); });
        ImportButton = button("数据导入", 100, [this] {
            forms::ShowInPlaceOf(forms::Instance<Inportb>(), *this);
        });
        CaliExportButton = button("校准导出", 190, [this] { forms::ShowModal<CExport>(this); });
        CaliImportButton = button("校准导入", 280, [this] {
            forms::ShowInPlaceOf(forms::Instance<Inport_Cali>(), *this);
        });
        CloseGuard = true;
    }
    QPushButton *ExportButton, *ImportButton, *CaliExportButton, *CaliImportButton;
};

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
        UnloadIfLoaded<StandInPage>();
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
    StandInPage& Page()
    {
        StandInPage& page = forms::Instance<StandInPage>();
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

} // namespace testsupport
