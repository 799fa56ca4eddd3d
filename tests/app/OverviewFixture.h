#pragma once
// A freshly loaded overview per test, on a database of the test's own,
// with the station-wide tables as at start-up; unloaded afterwards.

#include "app/Pages.h"
#include "app/ssqx.h"
#include "device/DeviceFixture.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "trend/ChartShared.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testsupport {

class OverviewFixture : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir dir;
        qputenv("ZC4160_DB", dir.filePath(QStringLiteral("Rdatabj.db")).toUtf8());
        db::InstallIfMissing();
    }
    void SetUp() override
    {
        forms::SetUpStation(*qApp);
        InstallHomeWindow();
        ResetStation();
        ssqx::ChartHooks() = {};
        window = &forms::Instance<ssqx>();
    }
    void TearDown() override
    {
        if (forms::IsLoaded<ssqx>()) {
            forms::Instance<ssqx>().CloseGuard = false;
            forms::Instance<ssqx>().Unload();
        }
        ssqx::ChartHooks() = {};
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ResetStation();
    }
    ssqx* window = nullptr;
};

} // namespace testsupport
