#pragma once
// The overview loaded on a test database, port 1 open to a simulated
// controller whose clock was set to 2030-01-02 03:04:05 and which holds the
// network address (3201 to 3212 = 192.168.1.100, 255.255.255.0,
// 192.168.1.1); the live poll stays off, so the line carries only what the
// settings pages send. The pages, their kept buffers and the PC clock are
// put back after each test.

#include "ControllerClock.h"
#include "app/OverviewFixture.h"
#include "settings/DeviceSettings.h"
#include "settings/EtheernetSET.h"
#include "settings/TimeSet.h"

#include <memory>

namespace testsupport {

class SettingsPageFixture : public OverviewFixture {
protected:
    void SetUp() override
    {
        OverviewFixture::SetUp();
        ClockBuffer.fill(0);
        NetParamBuffer.fill(0);
        line = std::make_unique<SimLine>(1);
        ASSERT_TRUE(line->started());
        ASSERT_EQ(OpenLink(DefaultSelection()), 0);
        SetControllerClock(*line);
        const int network[] = {192, 168, 1, 100, 255, 255, 255, 0, 192, 168, 1, 1};
        for (int j = 0; j < 12; ++j)
            (*line)->setReg(3201 + j, network[j]);
        window->show();
    }
    void TearDown() override
    {
        Unload<TimeSet>();
        Unload<EtheernetSET>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        settings::PcClock() = [] { return QDateTime::currentDateTime(); };
        ClockBuffer.fill(0);
        NetParamBuffer.fill(0);
        line.reset();
        OverviewFixture::TearDown();
    }
    template <class T>
    static void Unload()
    {
        if (forms::IsLoaded<T>()) {
            forms::Instance<T>().CloseGuard = false;
            forms::Instance<T>().Unload();
        }
    }
    // What reached the controller, once late frames have had their chance.
    std::vector<zc4160sim::Request> Requests()
    {
        LetTheLineSettle();
        return (*line)->requests();
    }
    std::unique_ptr<SimLine> line;
};

} // namespace testsupport
