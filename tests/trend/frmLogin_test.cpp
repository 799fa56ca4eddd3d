// The curve selection dialog: what it shows, what OK, Cancel, Esc and the
// close box leave in CurveSel, and the overview's chart drawing only the
// chosen series.

#include "HistoryFixture.h"
#include "forms/ModalCheck.h"

#include <QDir>

using namespace chart;
using namespace chart::testing;

namespace {

std::array<bool, 7> Shown(const frmLogin& d)
{
    std::array<bool, 7> ticked{};
    for (size_t i = 0; i < 7; ++i)
        ticked[i] = d.Check1[i]->isChecked();
    return ticked;
}

std::array<bool, 7> Selection()
{
    std::array<bool, 7> s{};
    std::copy_n(CurveSel.begin(), 7, s.begin());
    return s;
}

// The next control that Tab moves the focus to.
QWidget* NextTabStop(QWidget* w)
{
    QWidget* next = w->nextInFocusChain();
    while (next != w && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

void SendKey(QWidget* target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}

// The dialog as "选择" loads it, without running it modal.
frmLogin& Dialog()
{
    return forms::Instance<frmLogin>();
}

TEST_F(HistoryTest, DialogShowsTheSelectionWithItsCaptions)
{
    Overview();   // its load turns PV, OP and SV on
    frmLogin& d = Dialog();
    EXPECT_EQ(Shown(d), (std::array<bool, 7>{true, true, true, false, false, false, false}));
    const char* captions[] = {"PV-当前测量值",   "OP-当前输出值",   "SV-当前设定值",
                              "PV1-输入1测量值", "PV1-输入2测量值", "SV1-设定值1",
                              "SV2-设定值2"};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(d.Check1[i]->text(), QString::fromUtf8(captions[i]));
    EXPECT_EQ(d.cmdOK->text(), QStringLiteral("确定(Enter)"));
    EXPECT_EQ(d.cmdCancel->text(), QStringLiteral("取消(Esc)"));
    EXPECT_TRUE(d.cmdOK->isDefault());
    // No title text; an empty title would show the program's name.
    EXPECT_FALSE(d.windowTitle().isEmpty());
    EXPECT_TRUE(d.windowTitle().trimmed().isEmpty());
    EXPECT_EQ(d.size(), QSize(400, 201));
    EXPECT_EQ(NextTabStop(d.cmdOK), d.cmdCancel);
    EXPECT_EQ(NextTabStop(d.cmdCancel), d.Check1[0]);
    for (size_t i = 1; i < 7; ++i)
        EXPECT_EQ(NextTabStop(d.Check1[i - 1]), d.Check1[i]);
    EXPECT_EQ(NextTabStop(d.Check1[6]), d.cmdOK);
    EXPECT_FALSE(d.CloseGuard);
    d.Unload();
}

// Enter presses OK from the dialog or from a check box; Esc, Cancel and
// the close box leave CurveSel alone, and the next opening shows it.
TEST_F(HistoryTest, DialogOkWritesTheSelectionAndEveryOtherWayKeepsIt)
{
    Overview();
    const std::array<bool, 7> before = Selection();
    const std::array<bool, 7> chosen{false, true, true, false, true, false, true};
    struct Way {
        const char* name;
        void (*close)(frmLogin&);
        bool writes;
    };
    const Way ways[] = {
        {"Enter", [](frmLogin& d) { SendKey(&d, Qt::Key_Return); }, true},
        {"Enter on a box", [](frmLogin& d) { SendKey(d.Check1[3], Qt::Key_Enter); }, true},
        {"OK", [](frmLogin& d) { d.cmdOK->click(); }, true},
        {"Esc", [](frmLogin& d) { SendKey(&d, Qt::Key_Escape); }, false},
        {"Cancel", [](frmLogin& d) { d.cmdCancel->click(); }, false},
        {"close box", [](frmLogin& d) { d.close(); }, false},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        std::copy(before.begin(), before.end(), CurveSel.begin());
        frmLogin& d = Dialog();
        d.show();
        for (size_t i = 0; i < 7; ++i)
            d.Check1[i]->setChecked(chosen[i]);
        way.close(d);
        EXPECT_FALSE(d.isVisible());
        EXPECT_FALSE(forms::IsLoaded<frmLogin>());
        EXPECT_EQ(Selection(), way.writes ? chosen : before);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmLogin& next = Dialog();
        EXPECT_EQ(Shown(next), Selection());
        next.Unload();
    }
}

// "选择" runs the dialog modal and returns when it has closed.
TEST_F(HistoryTest, SelectButtonRunsTheDialogModal)
{
    ssqx& overview = Overview();
    overview.show();
    struct Run {
        int key;
        std::array<bool, 7> after;
    };
    const Run runs[] = {
        {Qt::Key_Return, {true, true, true, true, false, false, false}},
        {Qt::Key_Escape, {true, true, true, true, false, false, false}},
    };
    for (const Run& run : runs) {
        bool seen = false;
        testsupport::ModalCheck check([&] {
            auto* d = qobject_cast<frmLogin*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            seen = d->isModal() && d->parentWidget() == &overview
                   && d->focusWidget() == d->cmdOK;   // the focus starts on OK
            d->Check1[3]->setChecked(!d->Check1[3]->isChecked());
            SendKey(d, run.key);
        });
        overview.Command41->click();
        EXPECT_TRUE(seen);
        EXPECT_EQ(Selection(), run.after);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

// The overview's chart draws only the series chosen, from its next redraw;
// with every box cleared it draws no curve at all.
TEST_F(HistoryTest, OverviewChartDrawsOnlyTheChosenSeries)
{
    ssqx& overview = Overview();
    const Rgb pv{255, 0, 0}, op{0, 0, 255}, pv2{255, 0, 255};
    EXPECT_FALSE(Curves(OverviewPicture(), pv).empty());
    EXPECT_TRUE(Curves(OverviewPicture(), pv2).empty());
    {
        frmLogin& d = Dialog();
        d.Check1[0]->setChecked(false);
        d.Check1[4]->setChecked(true);
        d.cmdOK_Click();
    }
    overview.Timer2_Timer();
    EXPECT_TRUE(Curves(OverviewPicture(), pv).empty());
    EXPECT_FALSE(Curves(OverviewPicture(), op).empty());
    EXPECT_FALSE(Curves(OverviewPicture(), pv2).empty());

    {
        frmLogin& d = Dialog();
        for (QCheckBox* box : d.Check1)
            box->setChecked(false);
        d.cmdOK_Click();
    }
    overview.Timer2_Timer();
    EXPECT_TRUE(AllCurves(OverviewPicture()).empty());

    // PV2 chosen, then the history window and back: PV2 still chosen, and
    // PV, OP and SV on again.
    CurveSel[4] = true;
    OpenHistory().Command1->click();
    EXPECT_EQ(Selection(), (std::array<bool, 7>{true, true, true, false, true, false, false}));
    EXPECT_FALSE(Curves(OverviewPicture(), pv).empty());
    EXPECT_FALSE(Curves(OverviewPicture(), pv2).empty());
}

} // namespace
