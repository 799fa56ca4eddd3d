// The configuration page on the simulated line: its set-up, when it reads
// (only the visible tab, only when a read is due), what Enter sends, the
// hint lists, one editing row per grid, what a failed read shows, and the
// way back.

#include "pages/CONFIG1.h"

#include "PageFixture.h"
#include "pages/ConfigRegisterMap.h"
#include "platform/basic/twips.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QRegularExpression>

namespace {

using testsupport::ClickCell;
using testsupport::LetTheLineSettle;
using testsupport::PressKey;
using testsupport::RunEventsUntil;
using testsupport::TypeAndEnter;
using zc4160sim::Fault;
using ReadList = std::vector<std::pair<int, int>>;
using WriteList = std::vector<std::pair<int, uint16_t>>;

constexpr int kComm = 4;

const pages::PageDescription& PageOf(int tab) { return pages::config::Tabs()[size_t(tab)].page; }

// A window of the tests' own that the page hides behind, as the import
// window will: it shows the page again on its return.
class StandIn : public forms::Form {
public:
    StandIn() { CloseGuard = true; }
};

class ConfigPage : public testsupport::PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        CONFIG1::State() = pages::PageState(pages::config::kBufferSize);
    }
    void TearDown() override
    {
        LeavePage<StandIn>();
        LeavePage<CONFIG1>();
        PageFixture::TearDown();
    }
    // "CONFIG" on the shown overview.
    CONFIG1& Open() { return OpenPage<CONFIG1>(window->Command21); }
    // Opened with its timer stopped: the test ticks by hand.
    CONFIG1& OpenStill()
    {
        CONFIG1& page = Open();
        page.Timer1.stop();
        return page;
    }
    // The reads that one tick sends.
    ReadList Tick(CONFIG1& page)
    {
        (*line)->clearRequests();
        page.Timer1_Timer();
        LetTheLineSettle();
        return Reads();
    }
    static std::vector<QString> Values(CONFIG1& page, int tab)
    {
        return testsupport::ValueTexts(*page.MSFlexGrid[size_t(tab)]);
    }
    // Gives the registers of a tab's rows the values base + row * 3 (as
    // shown), and returns their cell texts.
    std::vector<QString> FillTab(int tab)
    {
        std::vector<QString> texts;
        const pages::PageDescription& page = PageOf(tab);
        for (int row = 1; row <= page.RowCount(); ++row) {
            const int value = (tab + 1) * 100 + row * 3;
            (*line)->setReg(page.Register(row), value);
            texts.push_back(pages::ValueTextOf(page, row, value));
        }
        return texts;
    }
};

TEST_F(ConfigPage, OpensAsDesignedWithoutTouchingTheLine)
{
    CONFIG1& page = Open();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(page.windowTitle(), QStringLiteral("ZC4160 CONFIG "));
    EXPECT_EQ(page.size(), QSize(1272, 719));   // 19080 x 10785 twips
    EXPECT_EQ(page.Label1->text(), QStringLiteral("系统配置参数"));
    ASSERT_EQ(page.SSTab1->count(), 11);
    for (int t = 0; t < 11; ++t)
        EXPECT_EQ(page.SSTab1->tabText(t), QString::fromUtf8(pages::config::Tabs()[size_t(t)].caption));
    EXPECT_EQ(page.SSTab1->tabText(kComm), QStringLiteral("COMM"));
    EXPECT_EQ(page.SSTab1->tabText(7), QStringLiteral("时标和DO功能 "));
    EXPECT_EQ(page.SSTab1->currentIndex(), kComm);
    EXPECT_EQ(page.LastTab, kComm);
    EXPECT_TRUE(page.RefreshPending);
    EXPECT_TRUE(page.CloseGuard);
    EXPECT_TRUE(page.Timer1.isActive());
    EXPECT_EQ(page.Timer1.interval(), 1000);

    // Under the tabs: the terminals on the left, the help line and the
    // buttons on the right, left to right as listed; no key presses them.
    const QRect tabs = page.SSTab1->geometry();
    EXPECT_GE(page.Image2->y(), tabs.bottom());
    EXPECT_EQ(page.Label2->text(),
              QStringLiteral("帮助：单元格内容超出范围，单击单元格会下拉提示列表，取消单击其他单元格消隐"));
    EXPECT_GT(page.Label2->x(), page.Image2->geometry().right());
    const std::pair<forms::CommandButton*, const char*> buttons[] = {
        {page.Command3, "校准导入"}, {page.Command4, "校准导出"}, {page.Command2, "数据导入"},
        {page.Command1, "数据导出"}, {page.Command11, " Esc 返回"}};
    int left = page.Label2->x() - 1;
    for (const auto& [button, caption] : buttons) {
        EXPECT_EQ(button->text(), QString::fromUtf8(caption));
        EXPECT_GT(button->x(), left);
        EXPECT_GE(button->y(), page.Label2->geometry().bottom());
        EXPECT_LE(button->geometry().right(), page.width());
        EXPECT_FALSE(button->isDefault() || button->autoDefault());
        left = button->geometry().right();
    }
    // The valve and its wiring lie on tab 9, under its grid.
    for (QWidget* picture : {static_cast<QWidget*>(page.Image1), static_cast<QWidget*>(page.Image3)}) {
        EXPECT_TRUE(page.SSTab1->widget(9)->isAncestorOf(picture));
        EXPECT_GE(picture->y(), page.MSFlexGrid[9]->geometry().bottom());
    }
    EXPECT_EQ(page.StatusBar1->PanelCount(), 16);
    EXPECT_EQ(page.StatusBar1->PanelText(1), QStringLiteral("PV"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$"))
                    .match(page.StatusBar1->PanelText(16)).hasMatch());

    const int widths[][5] = {
        {1600, 1000, 800, 1500, 13800}, {1600, 1000, 800, 1500, 13800},
        {1100, 750, 600, 1400, 15000},  {1600, 1000, 800, 1500, 13800},
        {1800, 1000, 800, 1200, 17800}, {2000, 1000, 800, 1500, 13800},
        {2000, 1000, 800, 1500, 13250}, {2000, 1000, 800, 1500, 13250},
        {2000, 1000, 800, 1500, 13250}, {2000, 1000, 800, 1500, 13250},
        {2000, 1000, 800, 1500, 13250},
    };
    const char* headers[] = {"参数名称", "当前值", "Addr", "数值范围", "参数说明"};
    const Qt::Alignment leftBottom = Qt::AlignLeft | Qt::AlignBottom;
    for (int t = 0; t < 11; ++t) {
        SCOPED_TRACE("tab " + std::to_string(t));
        pages::ParameterGrid& grid = *page.MSFlexGrid[size_t(t)];
        const pages::ParameterModel& model = grid.Model();
        const int n = PageOf(t).RowCount();
        EXPECT_EQ(grid.objectName(), QStringLiteral("MSFlexGrid%1").arg(t + 1));
        EXPECT_TRUE(page.SSTab1->widget(t)->isAncestorOf(&grid));
        ASSERT_EQ(model.rowCount(), n);
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                      QString::fromUtf8(headers[c]));
            EXPECT_EQ(grid.columnWidth(c), basic::TwipsToPixels(widths[t][c]));
        }
        EXPECT_EQ(grid.font().pointSizeF(), 9.75);
        EXPECT_EQ(grid.wordWrap(), t != 1);
        EXPECT_EQ(model.headerData(4, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                  leftBottom);
        for (int row = 1; row <= n; ++row) {
            const QModelIndex help = model.index(row - 1, 4);
            const bool lastOfOneOrTwo = row == n && (t == 1 || t == 2);
            EXPECT_EQ(model.data(help, Qt::TextAlignmentRole).value<Qt::Alignment>() == leftBottom,
                      !lastOfOneOrTwo) << row;
            EXPECT_EQ(model.data(model.index(row - 1, 2), Qt::DisplayRole).toString(),
                      QString::number(PageOf(t).pageBase + row));
            EXPECT_TRUE(model.ValueText(row).isEmpty());
        }
        pages::CellEditor* editor = page.Text[size_t(t)];
        EXPECT_EQ(editor->objectName(), QStringLiteral("Text%1").arg(t + 1));
        EXPECT_TRUE(editor->isHidden());
        EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(192, 255, 255));
        EXPECT_EQ(editor->parentWidget(), grid.parentWidget());
        EXPECT_EQ(editor->font().toString(), grid.font().toString());
    }
    // The blank rows show their register numbers.
    const pages::ParameterModel& ai = page.MSFlexGrid[1]->Model();
    EXPECT_EQ(ai.data(ai.index(8, 2), Qt::DisplayRole).toString(), QStringLiteral("4121"));
    EXPECT_TRUE(ai.data(ai.index(8, 0), Qt::DisplayRole).toString().isEmpty());

    const struct {
        forms::DropDownList* list;
        int tab, items;
        const char* shown;
    } lists[] = {{page.Combo1, 0, 27, "0:NONE "}, {page.Combo2, 1, 47, "0:K(-200-1300)"},
                 {page.Combo7, 6, 21, "0:无 "}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.shown);
        EXPECT_TRUE(l.list->isHidden());
        EXPECT_EQ(l.list->count(), l.items);
        EXPECT_EQ(l.list->currentText(), QString::fromUtf8(l.shown));
        EXPECT_EQ(l.list->parentWidget(), page.MSFlexGrid[size_t(l.tab)]->viewport());
    }
    EXPECT_TRUE((*line)->requests().empty());
}

// Within a second of the opening one read of "COMM"'s block, then nothing
// while nothing changes; a selected tab is read once within a second; a
// tab left and come back to between two ticks is not read.
TEST_F(ConfigPage, ReadsTheVisibleTabOnlyWhenAReadIsDue)
{
    const std::vector<QString> comm = FillTab(kComm);
    const std::vector<QString> timing = FillTab(7);
    (*line)->setReg(4158, 31);   // the row before "COMM": tab 3's
    (*line)->setReg(4230, 777);  // read with tab 7, never shown
    QElapsedTimer clock;
    clock.start();
    CONFIG1& page = Open();
    EXPECT_TRUE(Values(page, kComm)[0].isEmpty());
    ASSERT_TRUE(RunEventsUntil([&] { return !Reads().empty(); }, 2000));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LE(clock.elapsed(), 1000 + testsupport::kLateTimerMs);
    EXPECT_EQ(Values(page, kComm), comm);
    testsupport::RunEventsFor(2300);
    EXPECT_EQ(Reads(), (ReadList{{4159, 13}}));
    EXPECT_FALSE(page.RefreshPending);

    (*line)->clearRequests();
    page.SSTab1->setCurrentIndex(7);
    clock.restart();
    ASSERT_TRUE(
        RunEventsUntil([&] { return !Reads().empty(); }, 1000 + 2 * testsupport::kLateTimerMs));
    EXPECT_LE(clock.elapsed(), 1000 + testsupport::kLateTimerMs);
    EXPECT_EQ(Reads(), (ReadList{{4202, 29}}));
    EXPECT_EQ(Values(page, 7), timing);
    for (int t = 0; t < 11; ++t)
        for (const QString& v : Values(page, t))
            EXPECT_NE(v, QStringLiteral("777"));

    // Away and back at once after a read: the next ticks find the same tab.
    page.SSTab1->setCurrentIndex(3);
    page.SSTab1->setCurrentIndex(7);
    testsupport::RunEventsFor(2300);
    EXPECT_EQ(Reads(), (ReadList{{4202, 29}}));
    EXPECT_TRUE(Values(page, 3)[0].isEmpty());
}

// Tick by tick: the load, another tab found, every Enter whatever it sent;
// not a tab visited between two ticks, the exchange buttons, a list
// choice, or the return from a window shown in the page's place.
TEST_F(ConfigPage, WhatMakesAReadDue)
{
    CONFIG1& page = OpenStill();
    StatusValues[1] = 12.5f;
    EXPECT_EQ(Tick(page), (ReadList{{4159, 13}}));
    EXPECT_EQ(page.StatusBar1->PanelText(4), QStringLiteral("12.5"));   // OP, every tick
    EXPECT_EQ(Tick(page), ReadList{});
    page.SSTab1->setCurrentIndex(0);
    LetTheLineSettle();
    EXPECT_TRUE(Reads().empty());   // the tab control itself tells nobody
    EXPECT_EQ(Tick(page), (ReadList{{4097, 16}}));
    EXPECT_EQ(page.LastTab, 0);
    page.SSTab1->setCurrentIndex(5);
    page.SSTab1->setCurrentIndex(0);
    EXPECT_EQ(Tick(page), ReadList{});

    // Enter, with a value sent or not.
    for (const char* typed : {"1", "40000", "abc"}) {
        SCOPED_TRACE(typed);
        ClickCell(*page.MSFlexGrid[0], 1, 1);
        TypeAndEnter(page.Text[0], QString::fromUtf8(typed));
        EXPECT_TRUE(page.RefreshPending);
        EXPECT_EQ(Tick(page), (ReadList{{4097, 16}}));
        EXPECT_EQ(Tick(page), ReadList{});
    }

    // A list choice writes nothing.
    (*line)->clearRequests();
    ClickCell(*page.MSFlexGrid[0], 13, 4);
    page.Combo1->setCurrentIndex(5);
    EXPECT_EQ(page.Combo1->currentText(), QStringLiteral("5:mBar "));
    EXPECT_TRUE(page.isVisible());
    EXPECT_FALSE(page.RefreshPending);
    EXPECT_EQ(Tick(page), ReadList{});
    EXPECT_TRUE(Writes().empty());

    // Hidden behind a window in its place and shown again by its return:
    // still loaded, its values kept, and no read.
    const QString kept = Values(page, 0)[0];
    forms::ShowInPlaceOf(forms::Instance<StandIn>(), page);
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(Tick(page), ReadList{});
    forms::ClosePage(forms::Instance<StandIn>());
    ASSERT_TRUE(forms::IsLoaded<CONFIG1>());
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(Tick(page), ReadList{});
    EXPECT_EQ(Values(page, 0)[0], kept);
}

// What Enter sends on a row, whole or decimal; out of 16 bits nothing. The
// next tick shows what the controller holds.
TEST_F(ConfigPage, EnterWritesTheRowAndTheNextTickShowsTheController)
{
    CONFIG1& page = OpenStill();
    const std::optional<uint16_t> none;
    const struct {
        int tab, row;
        const char* typed;
        std::optional<uint16_t> sent;
        const char* echo;
        const char* shown;   // after the next read; the register held 41 before
    } cases[] = {
        {1, 6, "12.5", 125, "12.5", "12.5"},   {0, 7, "1.5", 15, "1.5", "1.5"},
        {3, 4, "0.25", 2, "0.25", "0.2"},      {9, 4, "2.0", 20, "2", "2"},
        {4, 1, "3", 3, "3", "3"},              {7, 28, "30000", 30000, "30000", "30000"},
        {0, 10, "-32768", 0x8000, "-32768", "-32768"},
        {0, 10, "-99999", none, "-99999", "41"},
        {0, 11, "99999", none, "99999", "41"}, {1, 9, "7", 7, "7", "7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " on tab " + std::to_string(c.tab) + " row "
                     + std::to_string(c.row));
        (*line)->setReg(PageOf(c.tab).Register(c.row), 41);
        page.SSTab1->setCurrentIndex(c.tab);
        Tick(page);
        (*line)->clearRequests();
        ClickCell(*page.MSFlexGrid[size_t(c.tab)], c.row, 1);
        pages::CellEditor* editor = page.Text[size_t(c.tab)];
        ASSERT_TRUE(editor->isVisible());
        TypeAndEnter(editor, QString::fromUtf8(c.typed));
        LetTheLineSettle();
        WriteList expected;
        if (c.sent)
            expected.emplace_back(PageOf(c.tab).Register(c.row), *c.sent);
        EXPECT_EQ(Writes(), expected);
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(page.MSFlexGrid[size_t(c.tab)]->Model().ValueText(c.row), QString::fromUtf8(c.echo));
        const ReadList read = Tick(page);
        EXPECT_EQ(read, (ReadList{{PageOf(c.tab).readFirst, PageOf(c.tab).readCount}}));
        EXPECT_EQ(page.MSFlexGrid[size_t(c.tab)]->Model().ValueText(c.row), QString::fromUtf8(c.shown));
    }
}

// A help cell of a listed row lays its list over it with its text; any
// other click in that grid hides it, clicks in other grids leave it, and a
// double click hides the unit list only.
TEST_F(ConfigPage, HintListsOverTheHelpCells)
{
    CONFIG1& page = OpenStill();
    page.SSTab1->setCurrentIndex(1);
    pages::ParameterGrid& ai = *page.MSFlexGrid[1];
    auto help = [](pages::ParameterGrid& grid, int row) {
        return grid.Model().data(grid.Model().index(row - 1, 4), Qt::DisplayRole).toString();
    };
    for (int row : {1, 12}) {
        SCOPED_TRACE(row);
        ClickCell(ai, row, 4);
        ASSERT_TRUE(page.Combo2->isVisible());
        EXPECT_EQ(page.Combo2->geometry(), ai.CellRect(row, 4));
        EXPECT_EQ(page.Combo2->currentText(), help(ai, row));
        EXPECT_TRUE(page.focusWidget() == page.Combo2 || page.focusWidget() == page.Combo2->lineEdit());
        EXPECT_EQ(page.Combo2->lineEdit()->selectedText(), help(ai, row));
        ClickCell(ai, 2, 4);
        EXPECT_FALSE(page.Combo2->isVisible());
    }
    ClickCell(ai, 12, 4);
    ClickCell(ai, 12, 1);   // a value click hides it too, and opens the editor
    EXPECT_FALSE(page.Combo2->isVisible());
    EXPECT_TRUE(page.Text[1]->isVisible());

    // Input functions: rows 10 to 18 only.
    page.SSTab1->setCurrentIndex(6);
    pages::ParameterGrid& dio = *page.MSFlexGrid[6];
    for (int row = 8; row <= 20; ++row) {
        SCOPED_TRACE(row);
        ClickCell(dio, row, 4);
        EXPECT_EQ(page.Combo7->isVisible(), row >= 10 && row <= 18);
    }

    // Left open on its tab, a list stays there through clicks elsewhere and
    // shows again with its tab.
    page.SSTab1->setCurrentIndex(1);
    ClickCell(ai, 1, 4);
    page.SSTab1->setCurrentIndex(0);
    for (int column : {1, 2, 4})
        ClickCell(*page.MSFlexGrid[0], 3, column);
    EXPECT_FALSE(page.Combo2->isHidden());
    page.SSTab1->setCurrentIndex(1);
    EXPECT_TRUE(page.Combo2->isVisible());

    // A double click hides the unit list, and no other.
    auto doubleClick = [](QWidget* target) {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    doubleClick(page.Combo2->lineEdit());
    EXPECT_TRUE(page.Combo2->isVisible());
    page.SSTab1->setCurrentIndex(0);
    ClickCell(*page.MSFlexGrid[0], 13, 4);
    ASSERT_TRUE(page.Combo1->isVisible());
    EXPECT_EQ(page.Combo1->currentText(), help(*page.MSFlexGrid[0], 13));
    ClickCell(*page.MSFlexGrid[0], 12, 4);   // the row above has no list
    EXPECT_FALSE(page.Combo1->isVisible());
    ClickCell(*page.MSFlexGrid[0], 13, 4);
    doubleClick(page.Combo1->lineEdit());
    EXPECT_FALSE(page.Combo1->isVisible());
    LetTheLineSettle();
    EXPECT_TRUE(Writes().empty());
}

// Each grid writes the row under its own editor: an editor left open on
// one tab while a value of another tab is clicked still writes its row.
// Several editors stay open at once.
TEST_F(ConfigPage, EachGridWritesTheRowUnderItsEditor)
{
    CONFIG1& page = OpenStill();
    page.SSTab1->setCurrentIndex(0);
    ClickCell(*page.MSFlexGrid[0], 3, 1);
    page.Text[0]->setText(QStringLiteral("5"));
    page.SSTab1->setCurrentIndex(1);
    ClickCell(*page.MSFlexGrid[1], 5, 1);
    EXPECT_EQ(CONFIG1::State().EditRow, 5);
    page.Text[1]->setText(QStringLiteral("7"));
    page.SSTab1->setCurrentIndex(0);
    EXPECT_TRUE(page.Text[0]->isVisible());
    EXPECT_FALSE(page.Text[1]->isHidden());
    EXPECT_EQ(page.Text[0]->text(), QStringLiteral("5"));

    (*line)->clearRequests();
    PressKey(page.Text[0], Qt::Key_Return);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (WriteList{{4099, 5}}));
    EXPECT_EQ(page.MSFlexGrid[0]->Model().ValueText(3), QStringLiteral("5"));
    EXPECT_TRUE(page.MSFlexGrid[0]->Model().ValueText(5).isEmpty());
    page.SSTab1->setCurrentIndex(1);
    (*line)->clearRequests();
    PressKey(page.Text[1], Qt::Key_Return);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (WriteList{{4117, 7}}));
}

// A tab's open editor reaches an accessibility client walking the window
// while its tab shows, and does not show while another tab does.
TEST_F(ConfigPage, TheOpenEditorIsReachedByAnAccessibilityClient)
{
    CONFIG1& page = OpenStill();
    ASSERT_TRUE(testsupport::Activate(page));
    page.SSTab1->setCurrentIndex(1);
    pages::ParameterGrid& grid = *page.MSFlexGrid[1];
    grid.Model().SetValueText(5, QStringLiteral("42"));
    ClickCell(grid, 5, 1);
    testsupport::ExpectEditorOnTheBus(grid, 5);

    auto showing = [&] {
        const QAccessibleInterface* text = testsupport::FoundInTheWalk(&page, page.Text[1]);
        return text && !text->state().invisible;
    };
    page.SSTab1->setCurrentIndex(0);
    EXPECT_FALSE(showing());
    page.SSTab1->setCurrentIndex(1);
    EXPECT_TRUE(showing());
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(5, 1));
}

// A failed read shows each tab its own last good read of this visit (empty
// where there was none, never another tab's numbers, no echo) and keeps
// the read due, so every tick asks again until the controller answers.
TEST_F(ConfigPage, AFailedReadShowsTheTabsOwnValuesAndAsksAgain)
{
    const std::vector<QString> comm = FillTab(kComm);
    const std::vector<QString> timing = FillTab(7);
    CONFIG1& page = OpenStill();
    Tick(page);
    ASSERT_EQ(Values(page, kComm), comm);

    (*line)->setFault(Fault::NoAnswer);
    page.SSTab1->setCurrentIndex(7);
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(Tick(page), (ReadList{{4202, 29}}));
        EXPECT_TRUE(page.RefreshPending);
        for (const QString& v : Values(page, 7))
            EXPECT_TRUE(v.isEmpty());
    }
    (*line)->setFault(Fault::None);
    EXPECT_EQ(Tick(page), (ReadList{{4202, 29}}));
    EXPECT_FALSE(page.RefreshPending);
    EXPECT_EQ(Values(page, 7), timing);
    EXPECT_EQ(Tick(page), ReadList{});

    // An echo on a dead line goes at the next tick: the last good read
    // comes back, and the read stays due.
    (*line)->setFault(Fault::NoAnswer);
    ClickCell(*page.MSFlexGrid[7], 1, 1);
    TypeAndEnter(page.Text[7], QStringLiteral("9"));
    EXPECT_EQ(Values(page, 7)[0], QStringLiteral("9"));
    Tick(page);
    EXPECT_EQ(Values(page, 7), timing);
    EXPECT_TRUE(page.RefreshPending);
    page.SSTab1->setCurrentIndex(kComm);
    EXPECT_EQ(Tick(page), (ReadList{{4159, 13}}));
    EXPECT_EQ(Values(page, kComm), comm);
}

// Esc and the close box leave the page open; " Esc 返回" shows the overview
// and stops the reads; the next opening starts afresh on "COMM" with empty
// values and a read due, while EditRow and EditCol remain.
TEST_F(ConfigPage, TheWayBackAndAFreshLoad)
{
    FillTab(kComm);
    CONFIG1& first = OpenStill();
    Tick(first);
    first.SSTab1->setCurrentIndex(2);
    ClickCell(*first.MSFlexGrid[2], 4, 1);
    PressKey(first.Text[2], Qt::Key_Escape);
    PressKey(&first, Qt::Key_Escape);
    EXPECT_TRUE(first.Text[2]->isVisible());
    EXPECT_FALSE(first.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(forms::IsLoaded<CONFIG1>());
    EXPECT_TRUE(first.isVisible());

    first.Command11->click();
    EXPECT_FALSE(forms::IsLoaded<CONFIG1>());
    EXPECT_TRUE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    (*line)->clearRequests();
    testsupport::RunEventsFor(1200);
    EXPECT_TRUE(Reads().empty());

    CONFIG1& second = Open();
    EXPECT_EQ(second.SSTab1->currentIndex(), kComm);
    EXPECT_EQ(second.LastTab, kComm);
    EXPECT_TRUE(second.RefreshPending);
    for (const QString& v : Values(second, kComm))
        EXPECT_TRUE(v.isEmpty());
    EXPECT_EQ(CONFIG1::State().EditRow, 4);
    EXPECT_EQ(CONFIG1::State().EditCol, 1);
    second.Timer1.stop();
    EXPECT_EQ(Tick(second), (ReadList{{4159, 13}}));
}

} // namespace
