// The grouped output page on the simulated line: its set-up and generated
// rows, the read from the switch on with the switch's state, what typed
// texts send, and the two switch writers: "修改" and the list's focus loss.

#include "pages/Fenzuout1.h"

#include "GridPageTest.h"

namespace {

using testsupport::Activate;
using testsupport::Click;
using testsupport::ClickCell;
using testsupport::LetTheLineSettle;
using testsupport::PressKey;
using testsupport::NextTabStop;
using testsupport::TypedCase;
using zc4160sim::Fault;
using Writes_t = std::vector<std::pair<int, uint16_t>>;

class GroupedOutputPage : public testsupport::GridPageTest<Fenzuout1> {
protected:
    GroupedOutputPage() : GridPageTest(&ssqx::Command24) {}
    // The page open, active, its timers still (nothing on the line but
    // what the test does) and the list holding the focus.
    Fenzuout1& OpenWithTheListFocused()
    {
        Fenzuout1& page = Open();
        page.Timer1.stop();
        EXPECT_TRUE(Activate(page));
        page.Combo30->setFocus();
        EXPECT_TRUE(testsupport::RunEventsUntil(
            [&] { return QApplication::focusWidget() == page.Combo30; }, 1000));
        return page;
    }
    QString State(Fenzuout1& page) { return page.D_4WRWC[0]->text(); }
};

TEST_F(GroupedOutputPage, OpensAsDesignedWithoutTouchingTheLine)
{
    Fenzuout1& page = Open();
    EXPECT_EQ(page.windowTitle(), QStringLiteral("分组输出限制"));
    EXPECT_EQ(page.size(), QSize(1180, 513));   // 17700 x 7695 twips
    EXPECT_EQ(page.pos(), testsupport::CentredPlace(page));
    EXPECT_EQ(page.Label1[0]->text(), QStringLiteral("当前功能"));
    EXPECT_EQ(page.Label1[1]->text(), QStringLiteral("地址：2501"));
    EXPECT_TRUE(State(page).isEmpty());
    EXPECT_EQ(page.D_4WRWC[0]->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(page.Combo30->isEditable());
    ASSERT_EQ(page.Combo30->count(), 2);
    EXPECT_EQ(page.Combo30->itemText(0), QStringLiteral("0:禁止 "));
    EXPECT_EQ(page.Combo30->itemText(1), QStringLiteral("1:允许 "));
    EXPECT_EQ(page.Combo30->currentText(), QStringLiteral("0:禁止 "));
    EXPECT_EQ(page.Command2->text(), QStringLiteral("修改"));
    EXPECT_EQ(page.Label2->text(), QStringLiteral("更改数据用鼠标选中单元格，输入数据后按回车确认"));
    EXPECT_EQ(page.Timer1.interval(), 2000);
    EXPECT_EQ(page.Timer2.interval(), 100);
    // The switch row lies above the grid, left to right.
    EXPECT_LT(page.Label1[0]->x(), page.D_4WRWC[0]->x());
    EXPECT_LT(page.D_4WRWC[0]->x(), page.Combo30->x());
    EXPECT_LT(page.Combo30->x(), page.Command2->x());
    EXPECT_LT(page.Command2->x(), page.Label1[1]->x());
    EXPECT_LT(page.Combo30->geometry().bottom(), page.MSFlexGrid1->y());

    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    ASSERT_EQ(grid.Model().rowCount(), 40);
    const int widths[] = {153, 80, 47, 107, 759};   // 2300, 1200, 700, 1600, 11380 twips
    testsupport::ExpectPageGrid(grid, widths);
    // Name and help both name the group; the suffixes keep their blanks.
    const testsupport::RowTexts rows[] = {
        {1, "分组 1 设定温度", "-99999~99999",
         "分组 1 设定温度，固定SV 模式时调用的分组PID 分界点，只能固定SV模式使用，对程序曲线无作用"},
        {2, "分组 1 输出上限福 ", "0-100 %",
         "分组 1 输出上限福，本参数对固定SV模式和程序曲线模式都有效，默认值：120"},
        {3, "分组 1 输出下限福 ", "0-100 %",
         "分组 1 输出下限福，本参数对固定SV模式和程序曲线迷失都有效，默认值：0"},
        {4, "分组 1 调用PID ", "0-10",
         "分组 1 固定SV模式调用PID分组号，本参数对曲线模式无效，0：系统默认PID，1-10分组PID，默认值：0"},
        {5, "分组 2 设定温度", "-99999~99999",
         "分组 2 设定温度，固定SV 模式时调用的分组PID 分界点，只能固定SV模式使用，对程序曲线无作用"},
        {40, "分组 10 调用PID ", "0-10",
         "分组 10 固定SV模式调用PID分组号，本参数对曲线模式无效，0：系统默认PID，1-10分组PID，默认值：0"},
    };
    testsupport::ExpectRowTexts(grid, rows);
    // Register 2501 + r from element r (element 0 is the switch); no
    // decimal rows.
    for (int row = 1; row <= 40; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Fenzuout1::Page().Register(row), 2501 + row);
        EXPECT_EQ(Fenzuout1::Page().Element(row), row);
        EXPECT_FALSE(Fenzuout1::Page().IsDecimalRow(row));
    }
    EXPECT_EQ(page.Text1->palette().color(QPalette::Base), QColor(255, 224, 192));
    EXPECT_EQ(page.StatusBar1->PanelCount(), 4);

    // Tab order: "返回", the list, the grid, the editor, "修改".
    EXPECT_EQ(page.focusWidget(), page.Command1);
    EXPECT_EQ(NextTabStop(page.Command1), page.Combo30);
    EXPECT_EQ(NextTabStop(page.Combo30), &grid);
    ClickCell(grid, 1, 1);   // the editor takes part when shown
    EXPECT_EQ(NextTabStop(&grid), page.Text1);
    EXPECT_EQ(NextTabStop(page.Text1), page.Command2);
    EXPECT_EQ(NextTabStop(page.Command2), page.Command1);
    LetTheLineSettle();
    EXPECT_TRUE((*line)->requests().empty());
}

// One read of 64 from the switch, 2501, every 2000 ms: element 0 is the
// switch's state, element r row r; 2542 to 2564 never shown. The state
// reads "禁止" for 0 alone; a failed read leaves cells and state as they
// were, and before a first good read of the visit the state stays empty.
TEST_F(GroupedOutputPage, ReadsFromTheSwitchEveryTwoSeconds)
{
    (*line)->setReg(2501, 0);
    (*line)->setReg(2502, -5);
    (*line)->setReg(2503, 0);
    (*line)->setReg(2541, 10);
    for (int reg = 2542; reg <= 2564; ++reg)
        (*line)->setReg(reg, 4000 + reg);
    QElapsedTimer clock;
    clock.start();
    Fenzuout1& page = Open();
    const auto [first, second] = FirstTwoReads(clock, 3000);
    EXPECT_GE(first, 1900);
    EXPECT_LE(first, 2000 + testsupport::kLateTimerMs);
    EXPECT_GE(second, 3800);
    EXPECT_LE(second, 4000 + testsupport::kLateTimerMs);
    page.Timer1.stop();
    for (const auto& read : Reads())
        EXPECT_EQ(read, (std::pair<int, int>{2501, 64}));
    EXPECT_EQ(State(page), QStringLiteral("禁止"));
    std::vector<QString> values = Values(page);
    EXPECT_EQ(values[0], QStringLiteral("-5"));
    EXPECT_EQ(values[39], QStringLiteral("10"));
    EXPECT_EQ(values[1], QStringLiteral("0"));
    for (const QString& v : values)
        EXPECT_FALSE(v.startsWith(QLatin1String("65")));   // 6542 to 6564 are the tail's
    EXPECT_EQ(Fenzuout1::State().PageBuffer[63], 6564);

    for (const auto& [value, shown] : {std::pair{2, "允许"}, {-1, "允许"}, {0, "禁止"}}) {
        (*line)->setReg(2501, value);
        page.Timer1_Timer();
        EXPECT_EQ(State(page), QString::fromUtf8(shown)) << value;
    }

    (*line)->setReg(2501, 1);
    (*line)->setFault(Fault::NoAnswer);
    page.Timer1_Timer();
    EXPECT_EQ(State(page), QStringLiteral("禁止"));
    EXPECT_EQ(Values(page), values);
    Return(page);

    Fenzuout1& again = Open();
    again.Timer1_Timer();   // the line is still silent
    EXPECT_TRUE(State(again).isEmpty());
    for (const QString& v : Values(again))
        EXPECT_TRUE(v.isEmpty());
}

// The typed value is rounded half to even at the parse; the echo shows
// the typed number unrounded.
TEST_F(GroupedOutputPage, TypedTextsAreRoundedAtTheParse)
{
    Fenzuout1& page = Open();
    page.Timer1.stop();
    const std::optional<uint16_t> none;
    const TypedCase cases[] = {
        {2, "12.5", 12, "12.5"},      {2, "13.5", 14, "13.5"},   {1, "-5", 0xFFFB, "-5"},
        {1, "abc", 0, "0"},           {4, "", 0, "0"},           {4, "7abc", 7, "7"},
        {40, "10", 10, "10"},         {1, "40000", none, "40000"},
        {1, "1e10", none, "10000000000"},
    };
    ExpectTyped(page, cases);
    EXPECT_EQ(Fenzuout1::State().EditValue, 40000.0);   // 1e10 left it as it was
}

// "修改" at once writes the list's "0:禁止 " to 2501 alone; with the list
// focused a click on "修改" writes 4609, then 2501.
TEST_F(GroupedOutputPage, ModifyWritesTheSwitchAndTheListsFocusLossItsCopy)
{
    Fenzuout1& page = Open();
    page.Timer1.stop();
    ASSERT_TRUE(Activate(page));
    (*line)->setReg(2501, 1);   // whatever the controller holds
    Click(page.Command2);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (Writes_t{{2501, 0}}));

    (*line)->clearRequests();
    page.Combo30->setFocus();
    page.Combo30->setCurrentIndex(1);
    EXPECT_EQ(page.Combo30->currentText(), QStringLiteral("1:允许 "));
    Click(page.Command2);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (Writes_t{{4609, 1}, {2501, 1}}));
    EXPECT_EQ(CommPar[19], 1);
    page.Timer1_Timer();
    EXPECT_EQ(State(page), QStringLiteral("允许"));
}

// A focus loss is the focus moving to another control of the window: Tab,
// a click on a value cell or on "返回". Opening the drop-down and the
// window losing its activation are none.
TEST_F(GroupedOutputPage, WhatCountsAsTheListLosingTheFocus)
{
    Fenzuout1& page = OpenWithTheListFocused();
    page.Combo30->setCurrentIndex(1);

    page.Combo30->showPopup();
    QApplication::processEvents();
    page.Combo30->hidePopup();
    QApplication::processEvents();
    LetTheLineSettle();
    EXPECT_TRUE(Writes().empty());

    QWidget elsewhere;
    elsewhere.show();
    ASSERT_TRUE(Activate(elsewhere));
    ASSERT_TRUE(Activate(page));
    LetTheLineSettle();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(QApplication::focusWidget(), page.Combo30);

    PressKey(page.Combo30, Qt::Key_Tab);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (Writes_t{{4609, 1}}));
    EXPECT_EQ(QApplication::focusWidget(), page.MSFlexGrid1);

    // Into a value cell without choosing anything: the copy alone.
    (*line)->clearRequests();
    page.Combo30->setFocus();
    testsupport::ClickCellWithFocus(*page.MSFlexGrid1, 3, 1);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (Writes_t{{4609, 1}}));
    EXPECT_TRUE(page.Text1->hasFocus());

    (*line)->clearRequests();
    page.Combo30->setFocus();
    Click(page.Command1);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (Writes_t{{4609, 1}}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(forms::IsLoaded<Fenzuout1>());
}

// The leading number of whatever the list shows, half to even; repeated
// once on no answer only; a number the register cannot hold sends nothing
// and leaves CommPar(19) as it was.
TEST_F(GroupedOutputPage, SwitchWritersSendTheListsLeadingNumber)
{
    Fenzuout1& page = Open();
    page.Timer1.stop();
    const std::optional<uint16_t> none;
    const struct {
        const char* text;
        std::optional<uint16_t> sent;
    } cases[] = {
        {"1:允许 ", 1}, {"0:禁止 ", 0}, {" 2abc", 2}, {"2.5", 2},     {"3.5", 4},
        {"abc", 0},     {"-1", 0xFFFF}, {"1e10", none}, {"40000", none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CommPar[19] = 77;
        page.Combo30->SetText(QString::fromUtf8(c.text));
        (*line)->clearRequests();
        page.Command2_Click();
        page.Combo30_LostFocus();
        LetTheLineSettle();
        Writes_t expected;
        if (c.sent)
            expected = {{2501, *c.sent}, {4609, *c.sent}};
        EXPECT_EQ(Writes(), expected);
        EXPECT_EQ(CommPar[19], c.sent ? int32_t(int16_t(*c.sent)) : 77);
    }

    // The repeat: on no answer, not on an exception answer.
    page.Combo30->SetText(QStringLiteral("1:允许 "));
    (*line)->clearRequests();
    (*line)->silenceNext(1);
    page.Command2_Click();
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (Writes_t{{2501, 1}, {2501, 1}}));
    (*line)->clearRequests();
    (*line)->setFault(Fault::Exception);
    page.Combo30_LostFocus();
    page.Command2_Click();
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (Writes_t{{4609, 1}, {2501, 1}}));
}

} // namespace
