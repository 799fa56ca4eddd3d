#include "app/ssqx.h"

#include "OverviewFixture.h"

#include "app/StatusPanel.h"
#include "device/DeviceLink.h"
#include "device/Met1.h"
#include "device/DeviceFixture.h"
#include "platform/basic/twips.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "trend/ChartShared.h"
#include "trend/RecorderShared.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A fresh overview per test, on a database file of the tests' own.
using OverviewTest = testsupport::OverviewFixture;

QStringList Items(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

QStringList Numbered(int n)
{
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QString::number(i) + QLatin1Char(' ');
    return items;
}

TEST_F(OverviewTest, ListsHoldTheirItemsAndShowTheirDefault)
{
    const QStringList force{QStringLiteral("0:OPEN "), QStringLiteral("1:CLOSE ")};
    struct Expected {
        const char* name;
        forms::DropDownList* list;
        QStringList items;
        const char* shown;
    };
    const Expected lists[] = {
        {"Combo1", window->Combo1, Numbered(20), "1 "},
        {"Combo2", window->Combo2, Numbered(16), "1 "},
        {"Combo17", window->Combo17,
         {"0:4800 BPS", "1:9600 BPS", "2:19200 BPS", "3: 38400 BPS", "4: 57600 BPS",
          "5: 115200 BPS", "6: 230400 BPS", "7: 460800 BPS", "8: 921600 BPS"},
         "3: 38400 BPS"},
        {"Combo32", window->Combo32, {"0:自动 ", "1:手动 ", "2:待机 "}, "0:自动 "},
        {"Combo3", window->Combo3, {"0:设定值SV1 ", "1:设定值SV2 "}, "0:设定值SV1 "},
        {"Combo4", window->Combo4, {"0:固定SV模式 ", "1:程序模式 "}, "0:固定SV模式 "},
        {"Combo5", window->Combo5, {"0:自整定关 ", "1:自整定开 "}, "0:自整定关 "},
        {"Combo6", window->Combo6, {"0:停止 ", "1:运行 ", "2:暂停 ", "4:结束 "}, "0:停止 "},
        {"Combo7", window->Combo7, Numbered(20), "1 "},
        {"Combo8", window->Combo8, force, "0:OPEN "},
        {"Combo9", window->Combo9, force, "0:OPEN "},
        {"Combo10", window->Combo10, force, "0:OPEN "},
        {"Combo11", window->Combo11, force, "0:OPEN "},
        {"Combo12", window->Combo12, force, "0:OPEN "},
        {"Combo13", window->Combo13, force, "0:OPEN "},
        {"Combo14", window->Combo14, force, "0:OPEN "},
        {"Combo15", window->Combo15, force, "0:OPEN "},
        {"Combo16", window->Combo16, force, "0:OPEN "},
    };
    for (const Expected& e : lists) {
        SCOPED_TRACE(e.name);
        ASSERT_NE(e.list, nullptr);
        EXPECT_TRUE(e.list->isEditable());
        EXPECT_EQ(Items(e.list), e.items);
        EXPECT_EQ(e.list->currentText(), QString::fromUtf8(e.shown));
    }
    EXPECT_FALSE(window->Option2[0]->isChecked());
    EXPECT_FALSE(window->Option2[1]->isChecked());
    EXPECT_TRUE(window->Option2[2]->isChecked());
    EXPECT_EQ(window->Option2[2]->text(), QStringLiteral("偶校验"));
}

// Typed text stays what was typed and never becomes an item, Enter included.
TEST_F(OverviewTest, TypedListTextIsNotAddedAsItem)
{
    window->show();
    window->Combo1->setFocus();
    window->Combo1->lineEdit()->clear();
    QKeyEvent five(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QCoreApplication::sendEvent(window->Combo1->lineEdit(), &five);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(window->Combo1->lineEdit(), &enter);
    EXPECT_EQ(window->Combo1->currentText(), QStringLiteral("5"));
    EXPECT_EQ(window->Combo1->count(), 20);
}

TEST_F(OverviewTest, LoadSetsUpTheWindow)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("过程控制器DAQ ZC4160  OverView"));
    EXPECT_EQ(window->size(), QSize(1296, 762));  // 19440 x 11430 twips
    EXPECT_TRUE(window->CloseGuard);
    EXPECT_TRUE(CurveSel[0] && CurveSel[1] && CurveSel[2]);
    EXPECT_EQ(window->Timer1.interval(), 200);
    EXPECT_TRUE(window->Timer1.isActive());
    EXPECT_TRUE(window->Timer2.isActive());
    EXPECT_TRUE(window->Timer3.isActive());
    EXPECT_FALSE(window->Timer4.isActive());
    EXPECT_FALSE(window->hc->isEnabled());
    EXPECT_EQ(window->hc->minimum(), -1);
    EXPECT_EQ(window->hc->maximum(), 12001);
    EXPECT_FALSE(window->Command3->isEnabled());  // F2 放大
    EXPECT_FALSE(window->Command7->isEnabled());  // F6 左移
    EXPECT_FALSE(window->Command2->isEnabled());  // F3 打印
    EXPECT_FALSE(window->Command6->isEnabled());  // F5 选择
    EXPECT_TRUE(window->Command4->isEnabled());
    EXPECT_EQ(window->pt->size(), QSize(801, 501));  // 12008 x 7508 twips
    EXPECT_EQ(window->SSTab1->tabText(window->SSTab1->currentIndex()), QStringLiteral("DO Status"));
    EXPECT_EQ(window->SSTab2->tabText(window->SSTab2->currentIndex()), QStringLiteral("通讯DO"));
    for (int i : {300, 301, 302, 305})
        EXPECT_EQ(window->Text1[static_cast<size_t>(i)]->text(), QStringLiteral("0")) << i;
    EXPECT_EQ(window->YKD->text(), QString());
    EXPECT_EQ(window->YKD1->text(), QStringLiteral("0"));
    window->show();
    EXPECT_FALSE(window->Label13->isVisible());
    EXPECT_EQ(window->Label13->text(), QStringLiteral("端口返回值"));
    EXPECT_FALSE(window->Command23->isVisible());
    EXPECT_EQ(window->Command23->text(), QStringLiteral("参数校准"));
    EXPECT_EQ(window->StatusBar1->PanelCount(), 16);
    // Odd panels carry the captions, the even ones before the date wait for
    // the live tick's values.
    const char* captions[] = {"PV", "OP", "SV", "PV1", "PV2", "SV1", "SV2"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(window->StatusBar1->PanelText(2 * i + 1), QString::fromUtf8(captions[i]));
        EXPECT_EQ(window->StatusBar1->PanelText(2 * i + 2), QString()) << 2 * i + 2;
    }
    EXPECT_FALSE(window->StatusBar1->PanelText(15).isEmpty());  // date
    EXPECT_FALSE(window->StatusBar1->PanelText(16).isEmpty());  // time
}

// Every region of the window stands at its twips place (15 twips a pixel)
// with its caption: the operator clicks "打开" where the layout puts it.
TEST_F(OverviewTest, RegionsStandAtTheirLayoutPlaces)
{
    struct Region {
        const char* name;
        QWidget* control;
        int left, top, width, height;
        const char* caption;  // a frame's or button's caption; nullptr: none checked
    };
    const Region regions[] = {
        {"Frame6", window->Frame6, 30, 0, 2115, 585, "通讯端口选择"},
        {"Frame5(0)", window->Frame5[0], 2220, 0, 2175, 585, "从站地址"},
        {"Frame2(1)", window->Frame2[1], 4470, 0, 2865, 585, "波特率"},
        {"Frame5(1)", window->Frame5[1], 7410, 30, 3255, 585, "校验方式"},
        {"Command9", window->Command9, 10710, 120, 825, 435, "打开"},
        {"Command10", window->Command10, 11610, 120, 825, 435, "关闭"},
        {"Command39", window->Command39, 12780, 30, 825, 525, "TIME SET"},
        {"Label2(9)", window->Label2[9], 13590, 0, 1335, 285, nullptr},
        {"Label2(10)", window->Label2[10], 13590, 300, 1335, 285, nullptr},
        {"Frame1", window->Frame1, 15030, 0, 4305, 765, "Value Position"},
        {"Frame4", window->Frame4, 30, 570, 4125, 1335, "Process Parmeters"},
        {"Frame8", window->Frame8, 4560, 570, 2145, 1335, "Sensor Alarm"},
        {"Frame9", window->Frame9, 7110, 570, 2145, 1335, "Alarm Type"},
        {"Frame7", window->Frame7, 9660, 570, 5325, 1335, "Program Status"},
        {"Frame10", window->Frame10, 15060, 780, 4335, 825, "Relay Action"},
        {"SSTab1", window->SSTab1, 15030, 780, 4335, 3465, nullptr},
        {"SSTab2", window->SSTab2, 15030, 4290, 4365, 5805, nullptr},
        {"Frame2(0)", window->Frame2[0], 60, 1950, 1035, 7965, ""},
        {"hc", window->hc, 1170, 1980, 12255, 225, nullptr},
        {"pt0", window->pt0, 1290, 2190, 12010, 7510, nullptr},
        {"pt", window->pt, 0, 30, 12008, 7508, nullptr},
        {"Frame3", window->Frame3, 13590, 2040, 1395, 7695, "功能"},
        {"Label9", window->Label9, 240, 10650, 900, 315, nullptr},
        {"Frame11", window->Frame11, 4440, 10410, 10185, 645, ""},
        {"Command40", window->Command40, 14850, 10530, 1785, 405, "Ethernet SET"},
        {"D_4WH(8)", window->D_4WH[8], 16860, 10560, 855, 285, nullptr},
        {"D_4WH(9)", window->D_4WH[9], 17940, 10560, 855, 285, nullptr},
        {"StatusBar1", window->StatusBar1, 0, 11085, 19440, 345, nullptr},
    };
    using basic::TwipsToPixels;
    for (const Region& r : regions) {
        SCOPED_TRACE(r.name);
        ASSERT_NE(r.control, nullptr);
        EXPECT_EQ(r.control->geometry(), QRect(TwipsToPixels(r.left), TwipsToPixels(r.top),
                                               TwipsToPixels(r.width), TwipsToPixels(r.height)));
        if (!r.caption)
            continue;
        if (const auto* frame = qobject_cast<const forms::Frame*>(r.control))
            EXPECT_EQ(frame->caption(), QString::fromUtf8(r.caption));
        else if (const auto* button = qobject_cast<const QPushButton*>(r.control))
            EXPECT_EQ(button->text(), QString::fromUtf8(r.caption));
        else
            ADD_FAILURE() << "no caption to check";
    }
    // The Y range editor ends with "修改Y" at the region's right edge.
    EXPECT_EQ(window->Command26->geometry().right() + 1, TwipsToPixels(240 + 3915));
    EXPECT_EQ(window->Label1[88]->text(), QStringLiteral("当前状态"));
    EXPECT_EQ(window->Label1[89]->text(), QStringLiteral("当前SV取值"));
    const QStringList tabs1{"DI Status", "DO Status", "Current Parm"};
    const QStringList tabs2{"固定SV", "程序模式", "通讯DO"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(window->SSTab1->tabText(i), tabs1[i]);
        EXPECT_EQ(window->SSTab2->tabText(i), tabs2[i]);
    }
}

// The deselected curves come back at each load; the others keep theirs.
TEST_F(OverviewTest, EveryLoadSelectsPvOpSv)
{
    CurveSel[1] = false;
    CurveSel[4] = true;
    window->CloseGuard = false;
    window->Unload();
    ssqx& again = forms::Instance<ssqx>();
    EXPECT_NE(&again, window);
    EXPECT_TRUE(CurveSel[1]);
    EXPECT_TRUE(CurveSel[4]);
    CurveSel[4] = false;
}

TEST_F(OverviewTest, DesignTextsUntilTheFirstRefresh)
{
    EXPECT_EQ(window->D_4WH[0]->text(), QStringLiteral("-99999"));
    EXPECT_EQ(window->D_4WH[31]->text(), QStringLiteral("-99999"));
    EXPECT_EQ(window->D_4WH[25]->text(), QString());
    EXPECT_EQ(window->D_4WH[32]->text(), QStringLiteral("32"));
    EXPECT_EQ(window->D_4WH[76]->text(), QStringLiteral("76"));
    EXPECT_EQ(window->D_4WW[300]->text(), QStringLiteral("300"));
    EXPECT_EQ(window->D_4WW[324]->text(), QStringLiteral("324"));
    // Every label on the window: "-99999" for the process values, program
    // numbers and sensors, its own index for the rest, "当前" empty.
    auto startsAtMinus99999 = [](int e) {
        return (e >= 0 && e <= 6) || e == 8 || e == 9 || (e >= 12 && e <= 14)
               || (e >= 16 && e <= 24) || (e >= 28 && e <= 31);
    };
    for (int e : panel::D_4WHElements()) {
        ASSERT_NE(window->D_4WH[static_cast<size_t>(e)], nullptr) << e;
        const QString expected = e == 25 ? QString()
                                 : startsAtMinus99999(e) ? QStringLiteral("-99999")
                                                         : QString::number(e);
        EXPECT_EQ(window->D_4WH[static_cast<size_t>(e)]->text(), expected) << "D_4WH(" << e << ")";
    }
    for (int e : panel::D_4WWElements()) {
        ASSERT_NE(window->D_4WW[static_cast<size_t>(e)], nullptr) << e;
        EXPECT_EQ(window->D_4WW[static_cast<size_t>(e)]->text(), QString::number(e)) << e;
    }
    for (int missing : {7, 10, 11, 15, 26, 27, 58, 59, 67, 77, 78, 79})
        EXPECT_EQ(window->D_4WH[static_cast<size_t>(missing)], nullptr) << missing;
    for (int missing : {303, 307, 311, 313, 314, 315})
        EXPECT_EQ(window->D_4WW[static_cast<size_t>(missing)], nullptr) << missing;
}

// The panel applies texts and colours; a value without a code leaves the
// label's text and colour, and a numeric label's colour is never touched.
TEST_F(OverviewTest, RefreshWritesLabelsAndLeavesUnknownCodes)
{
    QLabel* programStatus = window->D_4WH[16];
    QLabel* sensor = window->D_4WH[28];
    QLabel* pv = window->D_4WH[0];
    const QColor yellow(255, 255, 0);
    forms::SetBackColour(pv, yellow);  // as the ruler readout leaves it

    window->RefreshStatusPanel();
    EXPECT_EQ(programStatus->text(), QStringLiteral("停止"));
    EXPECT_EQ(programStatus->palette().color(QPalette::Window), QColor(255, 192, 192));
    EXPECT_EQ(sensor->text(), QStringLiteral("OK"));
    EXPECT_EQ(sensor->palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(window->D_4WH[25]->text(), QString());

    StatusValues[28] = 1;
    StatusValues[0] = 12.5f;
    window->RefreshStatusPanel();
    EXPECT_EQ(sensor->text(), QStringLiteral("BAD"));
    EXPECT_EQ(sensor->palette().color(QPalette::Window), QColor(255, 192, 192));
    EXPECT_EQ(pv->text(), QStringLiteral("12.5"));
    EXPECT_EQ(pv->palette().color(QPalette::Window), yellow);

    StatusValues[28] = 2;
    StatusValues[16] = 3;
    CommandValues[8] = 1;  // register 309
    window->RefreshStatusPanel();
    EXPECT_EQ(sensor->text(), QStringLiteral("BAD"));
    EXPECT_EQ(sensor->palette().color(QPalette::Window), QColor(255, 192, 192));
    EXPECT_EQ(programStatus->text(), QStringLiteral("停止"));
    EXPECT_EQ(window->D_4WW[308]->text(), QStringLiteral("手动"));
}

// The 200 ms tick: status bar values first, then the chart's steps, then
// the panel, then Label19.
TEST_F(OverviewTest, LiveTickRunsItsStepsInOrder)
{
    StatusValues = {};
    StatusValues[0] = 12.5f;
    StatusValues[6] = -3;
    QStringList order;
    ssqx::ChartHooks().liveTickSteps = [&](ssqx& w) {
        order << QStringLiteral("chart panel2=%1 D_4WH0=%2")
                     .arg(w.StatusBar1->PanelText(2), w.D_4WH[0]->text());
    };
    ssqx::ChartHooks().stepXText = [&](ssqx& w) {
        order << QStringLiteral("stepX D_4WH0=%1").arg(w.D_4WH[0]->text());
        return QStringLiteral("50");
    };
    window->Timer1_Timer();
    EXPECT_EQ(order, (QStringList{QStringLiteral("chart panel2=12.5 D_4WH0=-99999"),
                                  QStringLiteral("stepX D_4WH0=12.5")}));
    EXPECT_EQ(window->Label19->text(), QStringLiteral("50"));
    EXPECT_EQ(window->StatusBar1->PanelText(14), QStringLiteral("-3"));
    EXPECT_EQ(window->StatusBar1->PanelText(4), QStringLiteral("0"));
    EXPECT_EQ(window->StatusBar1->PanelText(1), QStringLiteral("PV"));
    EXPECT_EQ(window->StatusBar1->PanelText(15).isEmpty(), false);
}

// While the guard is set, the close box does nothing at all: the window, its
// connection and the chart's hand-shake stay as they were. The clean-up runs
// once, when an unload goes through.
TEST_F(OverviewTest, CloseBoxIsRefusedWithoutTearingDown)
{
    int unloads = 0;
    ssqx::ChartHooks().unload = [&](ssqx&) { ++unloads; };
    window->show();
    EXPECT_TRUE(CurveOpen);
    EXPECT_TRUE(QSqlDatabase::database(ssqx::kConnection, false).isOpen());
    EXPECT_FALSE(window->close());
    EXPECT_FALSE(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(forms::IsLoaded<ssqx>());
    EXPECT_EQ(&forms::Instance<ssqx>(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Timer1.isActive());
    EXPECT_EQ(unloads, 0);
    EXPECT_TRUE(CurveOpen);
    EXPECT_TRUE(QSqlDatabase::database(ssqx::kConnection, false).isOpen());

    window->CloseGuard = false;
    EXPECT_TRUE(window->Unload());
    EXPECT_FALSE(forms::IsLoaded<ssqx>());
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(CurveOpen);
    EXPECT_FALSE(QSqlDatabase::contains(ssqx::kConnection));
}

// The window sees a key before the control with the focus, once.
TEST_F(OverviewTest, KeyPreviewSeesKeysFirst)
{
    std::vector<int> keys;
    ssqx::ChartHooks().keyDown = [&](ssqx&, QKeyEvent* event) {
        keys.push_back(event->key());
        return event->key() == Qt::Key_F4;
    };
    window->show();
    window->activateWindow();
    window->YKD->setFocus();
    QApplication::setActiveWindow(window);
    window->YKD->setFocus();
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QCoreApplication::sendEvent(window->YKD, &f4);
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);  // unused, offered to parents
    QCoreApplication::sendEvent(window->YKD, &f5);
    QKeyEvent seven(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    QCoreApplication::sendEvent(window->YKD, &seven);
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_F4, Qt::Key_F5, Qt::Key_7}));
    EXPECT_EQ(window->YKD->text(), QStringLiteral("7"));
}

// "打开" with the controls as the load left them opens port 1 at 38400 baud,
// even parity, station 1, through the real link to the simulated controller;
// the poll then brings its values onto the panel. "关闭" stops the poll.
TEST_F(OverviewTest, OpenWithTheDefaultsUsesPort1Baud3Parity2Station1)
{
    testsupport::ResetStation();
    testsupport::SimLine line{1};
    ASSERT_TRUE(line.started());
    line->setReg(1, 123);   // PV
    line->setReg(2, 456);   // OP, in tenths
    line->setReg(9, 1);     // manual
    line->setReg(35, 5);    // alarm 3: deviation band
    line->setReg(309, 2);   // read back of the mode command: standby
    window->show();
    window->Command9->click();
    EXPECT_EQ(CommPar[0], 1);
    EXPECT_EQ(CommPar[1], 3);
    EXPECT_EQ(CommPar[2], 2);
    EXPECT_EQ(CommPar[3], 1);
    EXPECT_EQ(CommPar[20], 0);
    EXPECT_EQ(window->Label13->text(), QStringLiteral("0"));
    EXPECT_FALSE(window->Label13->isVisible());
    EXPECT_TRUE(Met1::instance().Timer1.isActive());
    // A pseudo-terminal keeps no parity; the rate it does keep.
    EXPECT_EQ(line->lineSettings().baud, 38400);

    EXPECT_TRUE(testsupport::RunEventsUntil(
        [&] { return window->D_4WW[308]->text() == QStringLiteral("待机"); }, 10000));
    EXPECT_EQ(window->D_4WH[0]->text(), QStringLiteral("123"));
    EXPECT_EQ(window->D_4WH[1]->text(), QStringLiteral("45.6"));
    EXPECT_EQ(window->D_4WH[8]->text(), QStringLiteral("手动"));
    EXPECT_EQ(window->D_4WH[34]->text(), QStringLiteral("偏差带3"));
    EXPECT_EQ(window->D_4WH[34]->palette().color(QPalette::Window), QColor(255, 192, 192));
    EXPECT_EQ(window->StatusBar1->PanelText(2), QStringLiteral("123"));
    const auto requests = line->requests();
    ASSERT_GE(requests.size(), 3u);
    const std::vector<zc4160sim::Request> firstTick(requests.begin(), requests.begin() + 3);
    const std::vector<zc4160sim::Request> expected{{1, 3, 0, 64}, {1, 3, 64, 16}, {1, 3, 300, 32}};
    EXPECT_EQ(firstTick, expected);
    window->grab().save(QDir(QStringLiteral(ZC4160_TEST_OUTPUT_DIR))
                            .filePath(QStringLiteral("overview-live.png")));

    window->Command10->click();
    EXPECT_FALSE(Met1::instance().Timer1.isActive());
    testsupport::ResetStation();
}

// A typed port is read by its leading number, and the result goes into the
// hidden label whatever it is.
TEST_F(OverviewTest, OpenReadsTypedPortText)
{
    testsupport::ResetStation();
    qputenv("ZC4160_PORT5", "/nonexistent/zc4160-line");
    window->Combo1->SetText(QStringLiteral("5"));
    window->Option2[0]->setChecked(true);
    window->Command9_Click();
    EXPECT_EQ(CommPar[0], 5);
    EXPECT_EQ(CommPar[2], 0);
    EXPECT_EQ(window->Label13->text(), QStringLiteral("-1"));
    EXPECT_TRUE(Met1::instance().Timer1.isActive());  // whatever the result
    window->Command10_Click();
    testsupport::ResetStation();
}

} // namespace
