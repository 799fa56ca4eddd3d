// Pictures of the clock page and the network page, each opened from the
// overview on a simulated controller.

#include "Pictures.h"
#include "settings/SettingsPageFixture.h"

namespace {

using SettingsPictures = testsupport::SettingsPageFixture;

// timeset.png refreshing, the controller's clock beside a PC clock just
// before New Year, and timeset-paused.png with a typed month.
TEST_F(SettingsPictures, ClockPage)
{
    settings::PcClock() = [] { return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); };
    window->Command39->click();
    TimeSet& page = forms::Instance<TimeSet>();
    page.Timer2_Timer();
    page.Timer1_Timer();
    pictures::Save(page, "timeset.png");
    page.Command2->click();
    page.Text1[1]->setText(QStringLiteral("12.5"));
    pictures::Save(page, "timeset-paused.png");
}

// ethernet.png as loaded, with one dot marked.
TEST_F(SettingsPictures, NetworkPage)
{
    window->Command40->click();
    EtheernetSET& page = forms::Instance<EtheernetSET>();
    page.Option1[1]->click();
    pictures::Save(page, "ethernet.png");
}

} // namespace
