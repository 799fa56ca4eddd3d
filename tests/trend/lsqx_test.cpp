// The history window: its fixed curves, the way in from the overview and
// back, a fresh start at every opening, the shared Y range, the value strip
// and the refused close box.

#include "HistoryFixture.h"
#include "platform/basic/numbers.h"
#include "trend/ChartEngine.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSqlDatabase>

using namespace chart;
using namespace chart::testing;

namespace {

// y of a constant value on the canvas (7508 twips high) at span 1500 from
// 0: the engineering scale puts 5 twips to a unit, the history window's
// percent scale 62.5 twips to a percent from the bottom edge.
double EngineeringY(double v) { return 7508 - 5 * v; }
double PercentY(double v) { return 7508 - 62.5 * v; }

TEST_F(HistoryTest, DrawsItsSixFixedSeriesInColourWidthAndScale)
{
    lsqx& w = OpenHistory();
    const ChartPicture& picture = w.pt->Picture();
    EXPECT_EQ(picture.background, (Rgb{192, 255, 255}));

    struct Expected {
        const char* series;
        Rgb colour;
        int width;
        double y;
    };
    const Expected series[] = {   // in drawing order
        {"SV", {0, 64, 0}, 2, EngineeringY(kLongValues[2])},
        {"PV", {255, 0, 0}, 2, EngineeringY(kLongValues[0])},
        {"OP", {128, 128, 0}, 1, PercentY(kLongValues[1])},
        {"PV1", {255, 0, 255}, 1, EngineeringY(kLongValues[3])},
        {"PV2", {192, 64, 0}, 1, PercentY(kLongValues[4])},   // on OP's percent scale
        {"SV1", {0, 0, 255}, 1, EngineeringY(kLongValues[5])},
    };
    for (const Expected& e : series) {
        SCOPED_TRACE(e.series);
        const auto lines = Curves(picture, e.colour);
        // Zoom level 1, live: samples 180 to 240, 60 steps.
        ASSERT_EQ(lines.size(), 60u);
        for (const LinePrimitive& l : lines) {
            EXPECT_EQ(l.width, e.width);
            EXPECT_DOUBLE_EQ(l.from.y(), e.y);
            EXPECT_DOUBLE_EQ(l.to.y(), e.y);
        }
        EXPECT_DOUBLE_EQ(lines.front().from.x(), 0);
        EXPECT_DOUBLE_EQ(lines.back().to.x(), 9000);
    }
    // Six segments per step, in the history window's order; SV2 never.
    const auto all = AllCurves(picture);
    ASSERT_EQ(all.size(), 360u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(all[i].colour, series[i].colour) << series[i].series;
    EXPECT_TRUE(Curves(picture, {128, 64, 64}).empty());

    // CurveSel is the overview's alone: clearing it changes nothing here.
    CurveSel.fill(false);
    w.Timer2_Timer();
    EXPECT_EQ(AllCurves(w.pt->Picture()).size(), 360u);
}

// "返回" and Esc end the same way: the history window gone with its
// connection, the overview loaded afresh with its defaults, its own
// connection and CurveOpen set.
TEST_F(HistoryTest, ReturnButtonAndEscEndInTheSameState)
{
    struct Way {
        const char* name;
        void (*leave)(lsqx&);
    };
    const Way ways[] = {
        {"返回", [](lsqx& w) { w.Command1->click(); }},
        {"Esc", [](lsqx& w) { PressKey(&w, Qt::Key_Escape); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Overview().Combo1->SetText(QStringLiteral("7 "));
        Overview().Text1[300]->setText(QStringLiteral("55"));
        CurveSel[0] = false;
        lsqx& w = OpenHistory();
        EXPECT_FALSE(forms::IsLoaded<ssqx>());
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(CurveOpen);
        EXPECT_TRUE(QSqlDatabase::contains(lsqx::kConnection));
        EXPECT_FALSE(QSqlDatabase::contains(ssqx::kConnection));

        way.leave(w);
        EXPECT_FALSE(forms::IsLoaded<lsqx>());
        EXPECT_FALSE(QSqlDatabase::contains(lsqx::kConnection));
        ASSERT_TRUE(forms::IsLoaded<ssqx>());
        ssqx& overview = Overview();
        EXPECT_TRUE(overview.isVisible());
        EXPECT_TRUE(overview.CloseGuard);
        EXPECT_TRUE(CurveOpen);
        EXPECT_TRUE(CurveSel[0] && CurveSel[1] && CurveSel[2]);
        EXPECT_EQ(overview.Combo1->currentText(), QStringLiteral("1 "));
        EXPECT_EQ(overview.Text1[300]->text(), QStringLiteral("0"));
        EXPECT_TRUE(QSqlDatabase::contains(ssqx::kConnection));
        EXPECT_TRUE(overview.Timer1.isActive());
        // The overview's chart is drawn from the short ring again.
        EXPECT_FALSE(AllCurves(OverviewPicture()).empty());
    }
}

// Whatever the last visit left (zoom, paging, ruler, Y editor shown), the
// next opening starts at zoom level 1, live, on the newest 241 rows.
TEST_F(HistoryTest, EveryOpeningStartsFreshAtZoomOneAndLive)
{
    for (int visit = 0; visit < 2; ++visit) {
        SCOPED_TRACE(visit);
        lsqx& w = OpenHistory();
        EXPECT_EQ(w.size(), QSize(1008, 696));   // 15120 x 10440 twips
        const ChartState& s = w.Engine().State();
        EXPECT_EQ(s.ZoomLevel, 1);
        EXPECT_EQ(s.PageBack, 0);
        EXPECT_FALSE(s.RulerMode);
        EXPECT_FALSE(s.AtOldest);
        EXPECT_EQ(s.HeadId, kLongHead);
        EXPECT_EQ(s.WindowEnd, kLongHead);
        EXPECT_EQ(s.WindowSize, 241);
        EXPECT_EQ(s.PointCount, 241);
        EXPECT_EQ(s.LastIndex, 241);
        EXPECT_EQ(s.TrendVal[7][241], float(kLongHead));   // the newest row
        EXPECT_EQ(s.TrendVal[7][1], float(kLongHead - 240));
        EXPECT_FALSE(w.Command3->isEnabled());
        EXPECT_TRUE(w.Command4->isEnabled());
        EXPECT_FALSE(w.Command7->isEnabled());
        EXPECT_TRUE(w.Command8->isEnabled());
        EXPECT_EQ(w.Command5->text(), QStringLiteral("F4 标尺"));
        EXPECT_FALSE(w.hc->isEnabled());
        EXPECT_EQ(w.hc->value(), 0);
        EXPECT_FALSE(w.YKD->isVisible());
        EXPECT_TRUE(w.Timer1.isActive());

        // Leave it in every other state there is.
        PressKey(&w, Qt::Key_F1);
        PressKey(&w, Qt::Key_F1);
        PressKey(&w, Qt::Key_F7);
        PressKey(&w, Qt::Key_F4);
        w.Label5_DblClick();
        EXPECT_EQ(s.ZoomLevel, 3);
        EXPECT_EQ(s.PageBack, 1);
        EXPECT_TRUE(s.RulerMode);
        EXPECT_TRUE(w.YKD->isVisible());
        w.Command1_Click();
    }
}

TEST_F(HistoryTest, YRangeSetInOneWindowHoldsInTheOther)
{
    lsqx& w = OpenHistory();
    w.Label5_DblClick();
    EXPECT_TRUE(w.Command26->isVisible());
    w.YKD->setText(QStringLiteral("1000"));
    w.YKD1->setText(QStringLiteral("200"));
    w.Command26->click();
    EXPECT_EQ(YMin, 200);
    EXPECT_EQ(YSpan, 800);
    EXPECT_FALSE(w.Command26->isVisible());   // hidden again after a valid range
    w.Timer1_Timer();
    EXPECT_EQ(w.Label5[0]->text(), QStringLiteral("200"));
    EXPECT_EQ(w.Label5[6]->text(), QStringLiteral("1000"));

    w.Command1->click();
    ssqx& overview = Overview();
    overview.Timer1_Timer();
    EXPECT_EQ(overview.Label5[0]->text(), QStringLiteral("200"));
    EXPECT_EQ(overview.Label5[6]->text(), QStringLiteral("1000"));

    overview.YKD->setText(QStringLiteral("3000"));
    overview.YKD1->setText(QStringLiteral("0"));
    overview.Command26->click();
    lsqx& again = OpenHistory();
    again.Timer1_Timer();
    EXPECT_EQ(again.Label5[6]->text(), QStringLiteral("3000"));
    EXPECT_EQ(again.Label5[3]->text(), QStringLiteral("1500"));
    // SV 750 at 2.5 twips a unit.
    const auto sv = Curves(again.pt->Picture(), {0, 64, 0});
    ASSERT_FALSE(sv.empty());
    EXPECT_DOUBLE_EQ(sv.front().from.y(), 7508 - 2.5 * kLongValues[2]);
}

// The strip shows the first six live values every tick under its captions
// as stored, which do not name them; each caption has its series' colour.
TEST_F(HistoryTest, ValueStripFollowsTheLiveValues)
{
    lsqx& w = OpenHistory();
    struct Expected {
        const char* caption;
        Rgb colour;
    };
    const Expected strip[] = {
        {"PV1值", {255, 0, 0}},   {"输出OP", {128, 128, 0}}, {"SV值", {0, 64, 0}},
        {"PV2值", {255, 0, 255}}, {"SV1值", {192, 64, 0}},   {"SV2值", {0, 0, 255}},
    };
    for (const auto& values : {std::array<float, 7>{123.5f, 45.6f, 700, 11, 22, 33, 99},
                               std::array<float, 7>{-5, 0, 1, 2.25f, 3, 4, 5}}) {
        std::copy(values.begin(), values.end(), StatusValues.begin());
        w.Timer1_Timer();
        for (size_t k = 0; k < 6; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(w.D_3W[k]->text(), basic::PlainText(values[k]));
            EXPECT_EQ(w.D_3WCaption[k]->text(), QString::fromUtf8(strip[k].caption));
            const QColor c = w.D_3WCaption[k]->palette().color(QPalette::WindowText);
            EXPECT_EQ(c, QColor(strip[k].colour.red, strip[k].colour.green, strip[k].colour.blue));
            EXPECT_EQ(w.D_3W[k]->palette().color(QPalette::Window), QColor(255, 192, 255));
        }
    }
    EXPECT_EQ(w.D_3W[5]->text(), QStringLiteral("4"));   // beside "SV2值": SV1

    // Two rows: 0, 2, 3, 5 above, 1 under 2 and 4 under 5.
    auto at = [&](size_t k) { return w.D_3W[k]->geometry(); };
    EXPECT_LT(at(0).x(), at(2).x());
    EXPECT_LT(at(2).x(), at(3).x());
    EXPECT_LT(at(3).x(), at(5).x());
    EXPECT_EQ(at(1).x(), at(2).x());
    EXPECT_GT(at(1).y(), at(2).bottom());
    EXPECT_EQ(at(4).x(), at(5).x());
    EXPECT_GT(at(4).y(), at(5).bottom());
}

// A long-ring row appends the first six live values; the short ring's flag
// is the overview's and stays raised.
TEST_F(HistoryTest, NewLongRowAppendsSixLiveValues)
{
    lsqx& w = OpenHistory();
    const std::array<float, 7> values{1, 2, 3, 4, 5, 6, 7};
    std::copy(values.begin(), values.end(), StatusValues.begin());
    NewLongRec = true;
    NewShortRec = true;
    w.Timer1_Timer();
    const ChartState& s = w.Engine().State();
    EXPECT_EQ(s.LastIndex, 242);
    EXPECT_FALSE(NewLongRec);
    EXPECT_TRUE(NewShortRec);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(s.TrendVal[k][242], values[k]);
    EXPECT_EQ(s.TrendVal[6][242], 0);
}

// The keys given to the control that has the focus as each is pressed,
// after the window's key preview had them.
class KeysGiven : public QObject {
public:
    KeysGiven(QWidget* window, std::function<void(QWidget*, int)> press)
        : window_(window), press_(std::move(press))
    {
        for (QWidget* control : window->findChildren<QWidget*>())
            control->installEventFilter(this);
    }
    void Press(int key)
    {
        focus_ = QApplication::focusWidget();
        press_(window_, key);
        focus_ = nullptr;
    }
    std::vector<std::string> keys;   // by name, for the failure message

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && watched == focus_)
            keys.push_back(QKeySequence(static_cast<QKeyEvent*>(event)->key()).toString().toStdString());
        return false;
    }

private:
    QWidget* window_;
    std::function<void(QWidget*, int)> press_;
    QObject* focus_ = nullptr;
};

// A chart key is the chart's alone, whatever control has the keyboard: F4
// on the overview's port list switches the ruler on without opening the
// list, and the slider then takes the arrow keys (Right three times and Down
// at the layout's step of 50: 100). The same in the history window and in
// the overview loaded again after it. No control is given F3, F4 or F5; a
// key the chart does not use still reaches the control.
TEST_F(HistoryTest, ChartKeysBelongToTheChartWhateverControlHasTheFocus)
{
    auto rulerByKeys = [](QWidget* window, QWidget* focus, QSlider* hc, QPushButton* ruler) {
        window->show();
        QApplication::setActiveWindow(window);
        focus->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focus);
        KeysGiven given(window, &PressKey);
        given.Press(Qt::Key_F4);
        EXPECT_EQ(ruler->text(), QStringLiteral("F4 复原"));
        EXPECT_TRUE(hc->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), hc);
        const std::vector<int> sliders = {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down,
                                          Qt::Key_Return};
        for (int key : sliders)
            given.Press(key);
        EXPECT_EQ(hc->value(), 100);
        for (int key : {Qt::Key_F3, Qt::Key_F5})
            given.Press(key);
        EXPECT_EQ(given.keys,
                  (std::vector<std::string>{"Right", "Right", "Right", "Down", "Return"}));
    };
    auto onThePortList = [&](ssqx& overview) {
        SCOPED_TRACE("overview");
        rulerByKeys(&overview, overview.Combo1, overview.hc, overview.Command5);
        const bool listOpened = overview.Combo1->view()->isVisible();
        overview.Combo1->hidePopup();
        EXPECT_FALSE(listOpened);
        EXPECT_EQ(overview.Combo1->currentText(), QStringLiteral("1 "));
        // The ruler off again, Down on the list is the list's.
        PressKey(&overview, Qt::Key_F4);
        EXPECT_EQ(overview.Command5->text(), QStringLiteral("F4 标尺"));
        overview.Combo1->setFocus();
        PressKey(&overview, Qt::Key_Down);
        EXPECT_EQ(overview.Combo1->currentText(), QStringLiteral("2 "));
        overview.Combo1->setCurrentIndex(0);
    };

    onThePortList(Overview());
    lsqx& w = OpenHistory();
    {
        SCOPED_TRACE("history");
        rulerByKeys(&w, w.Command1, w.hc, w.Command5);
        EXPECT_TRUE(forms::IsLoaded<lsqx>());   // Return was the slider's, not "返回"'s
    }
    w.Command1->click();
    ASSERT_TRUE(forms::IsLoaded<ssqx>());
    onThePortList(Overview());
}

// The close box is refused and leaves the window as it was: connection,
// CurveOpen and a chart that still loads its rows.
TEST_F(HistoryTest, CloseBoxIsRefusedWithoutSideEffects)
{
    lsqx& w = OpenHistory();
    EXPECT_FALSE(w.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(forms::IsLoaded<lsqx>());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.CloseGuard);
    EXPECT_TRUE(CurveOpen);
    EXPECT_TRUE(QSqlDatabase::contains(lsqx::kConnection));
    EXPECT_FALSE(forms::IsLoaded<ssqx>());
    PressKey(&w, Qt::Key_F4);
    PressKey(&w, Qt::Key_F4);   // off: a live load from the ring
    EXPECT_EQ(w.Engine().State().TrendVal[7][241], float(kLongHead));
}

} // namespace
