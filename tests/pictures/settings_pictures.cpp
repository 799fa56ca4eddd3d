// Pictures of the clock page and the network page.

#include "Pictures.h"
#include "device/DeviceFixture.h"
#include "settings/EtheernetSET.h"
#include "settings/TimeSet.h"

#include <QApplication>

namespace {

class SettingsPictures : public testing::Test {
protected:
    void SetUp() override
    {
        forms::SetUpStation(*qApp);
        testsupport::ResetStation();
    }
    void TearDown() override
    {
        settings::PcClock() = [] { return QDateTime::currentDateTime(); };
        ClockBuffer.fill(0);
        NetParamBuffer.fill(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    template <class T>
    static void Unload()
    {
        if (forms::IsLoaded<T>()) {
            forms::Instance<T>().CloseGuard = false;
            forms::Instance<T>().Unload();
        }
    }
};

// timeset.png refreshing, with the controller a little behind the PC, and
// timeset-paused.png with typed values.
TEST_F(SettingsPictures, ClockPage)
{
    ClockBuffer = {2030, 1, 2, 3, 4, 5};
    settings::PcClock() = [] { return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); };
    TimeSet& page = forms::Instance<TimeSet>();
    page.show();
    page.Timer1_Timer();
    pictures::Save(page, "timeset.png");
    page.Command2->click();
    page.Text1[1]->setText(QStringLiteral("12.5"));
    pictures::Save(page, "timeset-paused.png");
    Unload<TimeSet>();
}

// ethernet.png as loaded from the buffer (no port open), with one dot
// marked.
TEST_F(SettingsPictures, NetworkPage)
{
    NetParamBuffer = {192, 168, 1, 100, 255, 255, 255, 0, 192, 168, 1, 1};
    EtheernetSET& page = forms::Instance<EtheernetSET>();
    page.show();
    page.Option1[1]->click();
    pictures::Save(page, "ethernet.png");
    Unload<EtheernetSET>();
}

} // namespace
