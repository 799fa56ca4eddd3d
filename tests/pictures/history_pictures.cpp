// Pictures of the history window and the curve selection dialog.

#include "Pictures.h"
#include "trend/HistoryFixture.h"

using namespace chart;
using namespace chart::testing;

namespace {

// The history window live, with the ruler and with the Y range editor:
// history.png, history-ruler.png and history-yeditor.png.
TEST_F(HistoryTest, History)
{
    lsqx& w = OpenHistory();
    const std::array<float, 7> values{1234.5f, 56.7f, 1250, 987.6f, 43.2f, 1100, 900};
    std::copy(values.begin(), values.end(), StatusValues.begin());
    w.Timer1_Timer();
    w.Timer3_Timer();
    auto save = [&](const char* name) { pictures::Save(w, name); };
    save("history.png");
    PressKey(&w, Qt::Key_F4);
    w.hc->setValue(6000);
    save("history-ruler.png");
    PressKey(&w, Qt::Key_F4);
    w.Label5_DblClick();
    w.YKD->setText(QStringLiteral("1500"));
    save("history-yeditor.png");
}

// The curve selection dialog with PV2 chosen: frmLogin.png.
TEST_F(HistoryTest, CurveSelection)
{
    Overview();
    frmLogin& d = forms::Instance<frmLogin>();
    d.Check1[4]->setChecked(true);
    d.show();
    pictures::Save(d, "frmLogin.png");
}

} // namespace
