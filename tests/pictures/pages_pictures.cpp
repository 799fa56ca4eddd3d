// Pictures of the parameter pages.

#include "Pictures.h"
#include "app/OverviewFixture.h"
#include "pages/ALM1.h"
#include "pages/CONFIG1.h"
#include "pages/ConfigRegisterMap.h"
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

namespace {

// The configuration page on several tabs, with values, an open editor and
// an open hint list: config-<tab>.png.
TEST_F(PagePictures, Configuration)
{
    CONFIG1& page = forms::Instance<CONFIG1>();
    page.Timer1.stop();
    page.show();
    pictures::Save(page, "config-opened.png");
    const std::span<const pages::config::Tab> tabs = pages::config::Tabs();
    for (int t = 0; t < pages::config::kTabCount; ++t) {
        const pages::PageDescription& described = tabs[size_t(t)].page;
        for (int row = 1; row <= described.RowCount(); ++row)
            page.MSFlexGrid[size_t(t)]->Model().SetValueText(
                row, pages::ValueTextOf(described, row, row * 7 - 3));
    }
    auto click = [&](int tab, int row, int column) {
        pages::ParameterGrid& grid = *page.MSFlexGrid[size_t(tab)];
        grid.setCurrentIndex(grid.Model().index(row - 1, column));
        emit grid.clicked(grid.Model().index(row - 1, column));
    };
    const struct {
        int tab;
        const char* file;
    } shots[] = {{4, "config-comm.png"}, {0, "config-instrument.png"}, {1, "config-ai-input.png"},
                 {2, "config-input-use.png"}, {3, "config-da-output.png"},
                 {5, "config-relay.png"}, {6, "config-dio.png"}, {7, "config-do.png"},
                 {8, "config-linear.png"}, {9, "config-valve.png"}, {10, "config-carbon.png"}};
    for (const auto& shot : shots) {
        page.SSTab1->setCurrentIndex(shot.tab);
        if (shot.tab == 0)
            click(0, 13, 4);   // the unit list over its help cell
        if (shot.tab == 1) {
            click(1, 6, 1);    // an editor on a decimal row
            page.Text[1]->setText(QStringLiteral("12.5"));
            click(1, 12, 4);   // the input-type list
        }
        if (shot.tab == 6)
            click(6, 10, 4);   // the input-function list
        pictures::Save(page, shot.file);
    }
    forms::ClosePage(page);
}

} // namespace
