// Pictures of the parameter pages.

#include "Pictures.h"
#include "app/OverviewFixture.h"
#include "pages/ALM1.h"
#include "pages/FenzuPID.h"
#include "pages/Fenzuout1.h"
#include "pages/PIDC.h"

#include <QApplication>

namespace {

using PagePictures = testsupport::OverviewFixture;

// The alarm page as opened, and with values and the editor open on row 14:
// alarm.png and alarm-editing.png.
TEST_F(PagePictures, Alarm)
{
    ALM1& page = forms::Instance<ALM1>();
    page.show();
    pictures::Save(page, "alarm.png");
    const int values[] = {1200, 20, 5, -50, 20, 5, 300, 20, 5, -300, 20, 5, 100, 125};
    for (int row = 1; row <= 14; ++row)
        page.MSFlexGrid1->Model().SetValueText(
            row, pages::ValueTextOf(ALM1::Page(), row, values[row - 1]));
    page.MSFlexGrid1->setCurrentIndex(page.MSFlexGrid1->Model().index(13, 1));
    page.MSFlexGrid1->clicked(page.MSFlexGrid1->Model().index(13, 1));
    page.Text1->setText(QStringLiteral("12.5"));
    pictures::Save(page, "alarm-editing.png");
    forms::ClosePage(page);
}

// The PID page with values and the editor open on row 5: pid.png.
TEST_F(PagePictures, Pid)
{
    PIDC& page = forms::Instance<PIDC>();
    page.show();
    const int values[] = {200, 120, 100, 1, 20, 200, 120, 100, 1, 20, 0, 1, 10, 10};
    for (int row = 1; row <= 14; ++row)
        page.MSFlexGrid1->Model().SetValueText(
            row, pages::ValueTextOf(PIDC::Page(), row, values[row - 1]));
    page.MSFlexGrid1->setCurrentIndex(page.MSFlexGrid1->Model().index(4, 1));
    page.MSFlexGrid1->clicked(page.MSFlexGrid1->Model().index(4, 1));
    page.Text1->setText(QStringLiteral("2.5"));
    pictures::Save(page, "pid.png");
    forms::ClosePage(page);
}

// The grouped PID page as opened, and with values, the editor on row 3
// and the status bar after its tick: grouped-pid.png, grouped-pid-editing.png.
TEST_F(PagePictures, GroupedPid)
{
    FenzuPID& page = forms::Instance<FenzuPID>();
    page.show();
    page.Timer2_Timer();
    pictures::Save(page, "grouped-pid.png");
    const int values[] = {200, 120, 100, 200, 120, 100};
    for (int row = 1; row <= 60; ++row)
        page.MSFlexGrid1->Model().SetValueText(
            row, pages::ValueTextOf(FenzuPID::Page(), row, values[(row - 1) % 6]));
    page.MSFlexGrid1->setCurrentIndex(page.MSFlexGrid1->Model().index(2, 1));
    page.MSFlexGrid1->clicked(page.MSFlexGrid1->Model().index(2, 1));
    page.Text1->setText(QStringLiteral("10.5"));
    page.Timer2_Timer();
    pictures::Save(page, "grouped-pid-editing.png");
    forms::ClosePage(page);
}

// The grouped output page with the switch on and values:
// grouped-output.png.
TEST_F(PagePictures, GroupedOutput)
{
    Fenzuout1& page = forms::Instance<Fenzuout1>();
    page.show();
    page.D_4WRWC[0]->setText(QStringLiteral("允许"));
    const int values[] = {100, 100, 0, 1};
    for (int row = 1; row <= 40; ++row)
        page.MSFlexGrid1->Model().SetValueText(
            row, pages::ValueTextOf(Fenzuout1::Page(), row, values[(row - 1) % 4] * ((row + 3) / 4)));
    page.Timer2_Timer();
    pictures::Save(page, "grouped-output.png");
    forms::ClosePage(page);
}

} // namespace
