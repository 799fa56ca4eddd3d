// The alarm page on the simulated line: its set-up, its read cadence, what
// typed texts send, the editor's rules, the state kept across a reopen and
// the way back.

#include "pages/ALM1.h"

#include "GridPageTest.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

using testsupport::ClickCell;
using testsupport::LetTheLineSettle;
using testsupport::PressKey;
using testsupport::RunEventsUntil;
using testsupport::TypeAndEnter;
using zc4160sim::Fault;

class AlarmPage : public testsupport::GridPageTest<ALM1> {
protected:
    // "报警设定" on the shown overview.
    AlarmPage() : GridPageTest(&ssqx::Command15) {}
};

TEST_F(AlarmPage, OpensAsDesignedWithoutTouchingTheLine)
{
    ALM1& page = Open();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(page.windowTitle(), QStringLiteral("ALARM"));
    EXPECT_EQ(page.size(), QSize(1203, 718));   // 18045 x 10770 twips
    EXPECT_FALSE(page.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(page.Label1->text(), QStringLiteral("报警参数设定"));
    EXPECT_EQ(page.Command1->text(), QStringLiteral("返回"));
    EXPECT_TRUE(page.CloseGuard);
    EXPECT_EQ(page.Timer1.interval(), 500);

    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    ASSERT_EQ(grid.Model().rowCount(), 14);
    const int widths[] = {200, 100, 73, 107, 700};   // 3000, 1500, 1100, 1600, 10500 twips
    testsupport::ExpectPageGrid(grid, widths);
    testsupport::ExpectWholeGridInView(grid);
    auto text = [&](int row, int column) { return testsupport::CellText(grid, row, column); };
    // Spot texts with their blanks, and the rows the map singles out.
    EXPECT_EQ(text(1, 0), QStringLiteral("报警1 设定值或偏差值"));
    EXPECT_EQ(text(1, 3), QStringLiteral("99999~99999"));
    EXPECT_EQ(text(10, 3), QStringLiteral("-99999~99999"));
    EXPECT_TRUE(text(10, 4).contains(QStringLiteral("参数值位报警设定值")));
    EXPECT_TRUE(text(7, 4).contains(QStringLiteral("参数值为报警设定值")));
    EXPECT_EQ(text(14, 0), QStringLiteral("加热器断线判断输出值"));
    EXPECT_EQ(text(14, 3), QStringLiteral("0.0%-100.0%"));
    for (int row = 1; row <= 14; ++row)
        EXPECT_EQ(text(row, 2), QString::number(600 + row));
    EXPECT_FALSE(page.Text1->isVisible());
    EXPECT_EQ(page.Text1->palette().color(QPalette::Base), QColor(192, 255, 255));
    EXPECT_EQ(page.Text1->parentWidget(), grid.parentWidget());
    EXPECT_EQ(page.Text1->font().toString(), grid.font().toString());
    EXPECT_EQ(page.focusWidget(), page.Command1);
    EXPECT_EQ(testsupport::NextTabStop(page.Command1), &grid);
    // Seven pictures at their places and natural sizes.
    const int pictureWidths[] = {359, 351, 400, 389, 353, 248, 171};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(page.Image[i]->size(), QSize(pictureWidths[i], 200));
    }
    EXPECT_EQ(page.Image[0]->pos(), QPoint(4, 324));
    LetTheLineSettle();
    EXPECT_TRUE((*line)->requests().empty());
}

// One read of 16 from 601 every 500 ms, the first about 500 ms after the
// opening; "返回" shows the overview and the reads stop; the close box and
// Esc change nothing.
TEST_F(AlarmPage, ReadsEveryHalfSecondUntilReturn)
{
    (*line)->setReg(601, -5);
    (*line)->setReg(602, 20);
    (*line)->setReg(614, 125);
    (*line)->setReg(615, 777);
    QElapsedTimer clock;
    clock.start();
    ALM1& page = Open();
    const std::vector<qint64> at = ReadTimes(clock, 3, 2000);
    EXPECT_GE(at[0], 475);
    EXPECT_LE(at[0], 500 + testsupport::kLateTimerMs);
    EXPECT_GE(at[2], 1425);
    EXPECT_LE(at[2], 1500 + testsupport::kLateTimerMs);
    for (const auto& read : Reads())
        EXPECT_EQ(read, (std::pair<int, int>{601, 16}));
    EXPECT_EQ(Values(page)[0], QStringLiteral("-5"));
    EXPECT_EQ(Values(page)[1], QStringLiteral("20"));
    EXPECT_EQ(Values(page)[13], QStringLiteral("12.5"));
    for (const QString& v : Values(page))
        EXPECT_NE(v, QStringLiteral("777"));

    EXPECT_FALSE(page.close());
    PressKey(&page, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(forms::IsLoaded<ALM1>());
    EXPECT_TRUE(page.isVisible());

    page.Command1->click();
    EXPECT_FALSE(forms::IsLoaded<ALM1>());
    EXPECT_TRUE(window->isVisible());
    (*line)->clearRequests();
    testsupport::RunEventsFor(1200);
    EXPECT_TRUE(Reads().empty());
}

// What Enter sends for a typed text, and the echo left in the cell.
TEST_F(AlarmPage, TypedTextsSendTheirValueAndEchoTheParsedNumber)
{
    ALM1& page = Open();
    page.Timer1.stop();   // the echo stays until a read
    const std::optional<uint16_t> none;
    const testsupport::TypedCase cases[] = {
        {14, "12.5", 125, "12.5"},     {14, "12.25", 122, "12.25"}, {14, "12.75", 128, "12.75"},
        {2, "12.5", 12, "12.5"},       {2, "13.5", 14, "13.5"},     {1, "-5", 0xFFFB, "-5"},
        {1, "abc", 0, "0"},            {1, "7abc", 7, "7"},         {1, "", 0, "0"},
        {1, "40000", none, "40000"},   {13, "-99999", none, "-99999"},
        {1, "1e12", none, "1000000000000"},
    };
    ExpectTyped(page, cases);
}

// A Chinese input method left in full-width mode types every character in
// full width and the space bar as the ideographic space, and with Chinese
// punctuation "。" for the point; a pasted text may carry a no-break space.
// They send the number they show. Full-width letters are letters, and send
// 0 as ordinary ones do.
TEST_F(AlarmPage, FullWidthFormsSendTheirNumber)
{
    ALM1& page = Open();
    page.Timer1.stop();   // the echo stays until a read
    const std::optional<uint16_t> none;
    const testsupport::TypedCase cases[] = {
        {1, "１２３", 123, "123"},     {1, "－５", 0xFFFB, "-5"},   {14, "１２．５", 125, "12.5"},
        {2, "１3．５", 14, "13.5"},    {1, "ａｂｃ", 0, "0"},       {1, "abc", 0, "0"},
        {1, "　　１２３", 123, "123"}, {1, "－　５", 0xFFFB, "-5"}, {1, "１ｅ３", 1000, "1000"},
        {14, "12。5", 125, "12.5"},    {1, "\u00A07", 7, "7"},     {1, "１Ｅ５", none, "100000"},
    };
    ExpectTyped(page, cases);
}

// A first answer that is an exception or missing sends the same write once
// more; a normal answer, once.
TEST_F(AlarmPage, AFailedWriteIsSentTwice)
{
    ALM1& page = Open();
    page.Timer1.stop();
    const struct {
        const char* name;
        void (*arrange)(zc4160sim::Simulator&);
        size_t frames;
    } cases[] = {
        {"exception", [](zc4160sim::Simulator& s) { s.setFault(Fault::Exception); }, 2},
        {"no answer once", [](zc4160sim::Simulator& s) { s.silenceNext(1); }, 2},
        {"normal", [](zc4160sim::Simulator&) {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        (*line)->setFault(Fault::None);
        c.arrange(line->sim());
        (*line)->clearRequests();
        ClickCell(*page.MSFlexGrid1, 3, 1);
        TypeAndEnter(page.Text1, QStringLiteral("30"));
        LetTheLineSettle();
        const std::vector<std::pair<int, uint16_t>> expected(c.frames, {603, 30});
        EXPECT_EQ(Writes(), expected);
    }
}

// Enter and keypad Enter commit; Esc does nothing; a click on another value
// cell moves the editor with that cell's text and drops the typing; a
// click on a register, range or help cell leaves it open with its text, and
// Enter then writes the row under it; scrolling moves it with its cell; a
// read rewrites the cell under it but not the typing.
TEST_F(AlarmPage, EditorRules)
{
    ALM1& page = Open();
    page.Timer1.stop();
    pages::ParameterGrid& grid = *page.MSFlexGrid1;

    // Before the first read a value cell is empty, and Enter there sends 0.
    ClickCell(grid, 7, 1);
    EXPECT_TRUE(page.Text1->text().isEmpty());
    PressKey(page.Text1, Qt::Key_Return);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, uint16_t>>{{607, 0}}));

    grid.Model().SetValueText(5, QStringLiteral("20"));
    grid.Model().SetValueText(6, QStringLiteral("3"));
    ClickCell(grid, 5, 1);
    EXPECT_TRUE(page.Text1->isVisible());
    EXPECT_EQ(page.Text1->text(), QStringLiteral("20"));
    EXPECT_EQ(page.Text1->selectedText(), QStringLiteral("20"));
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(5, 1));
    EXPECT_EQ(ALM1::State().EditRow, 5);
    EXPECT_EQ(ALM1::State().EditCol, 1);

    page.Text1->setText(QStringLiteral("99"));
    PressKey(page.Text1, Qt::Key_Escape);
    EXPECT_TRUE(page.Text1->isVisible());
    EXPECT_EQ(page.Text1->text(), QStringLiteral("99"));

    ClickCell(grid, 6, 1);   // another value cell: moves, typing dropped
    EXPECT_EQ(page.Text1->text(), QStringLiteral("3"));
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(6, 1));
    page.Text1->setText(QStringLiteral("4"));
    for (int column : {0, 2, 3, 4}) {   // the editor stays, with its text
        ClickCell(grid, 9, column);
        EXPECT_TRUE(page.Text1->isVisible());
        EXPECT_EQ(page.Text1->text(), QStringLiteral("4"));
    }
    EXPECT_EQ(ALM1::State().EditRow, 6);

    // Scrolled with the editor open, the editor stays over its cell.
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(6, 1));
    grid.verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(6, 1));

    // A read while the editor is open rewrites the cell under it and leaves
    // the typing alone.
    (*line)->setReg(606, 77);
    ASSERT_TRUE(page.Timer1_Timer());
    EXPECT_EQ(Values(page)[5], QStringLiteral("77"));
    EXPECT_TRUE(page.Text1->isVisible());
    EXPECT_EQ(page.Text1->text(), QStringLiteral("4"));

    (*line)->clearRequests();
    PressKey(page.Text1, Qt::Key_Enter, Qt::KeypadModifier);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, uint16_t>>{{606, 4}}));
    EXPECT_FALSE(page.Text1->isVisible());
    EXPECT_EQ(Values(page)[5], QStringLiteral("4"));
}

// An accessibility client walking the window's tree finds the open editor
// as the one showing editable text, focused, with its cell's text and over
// its cell; it types into the focus widget without clicking it, and as the
// value is wholly selected "7" and Enter write 7 to register 602 in place
// of the value shown, and the hidden editor is no longer showing. A key the
// editor leaves unused goes on to the grid and reaches the window once.
TEST_F(AlarmPage, TheOpenEditorIsReachedByAnAccessibilityClient)
{
    ALM1& page = Open();
    page.Timer1.stop();
    ASSERT_TRUE(testsupport::Activate(page));
    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    EXPECT_EQ(testsupport::ShowingEditableText(&page), nullptr);

    grid.Model().SetValueText(5, QStringLiteral("20"));
    ClickCell(grid, 5, 1);
    testsupport::ExpectEditorOnTheBus(grid, 5);
    ClickCell(grid, 9, 3);   // a click beside it leaves it where it is
    testsupport::ExpectEditorOnTheBus(grid, 5);

    grid.Model().SetValueText(2, QStringLiteral("1000"));
    ClickCell(grid, 2, 1);   // register 602
    testsupport::ExpectEditorOnTheBus(grid, 2);
    QAccessibleInterface* text = testsupport::ShowingEditableText(&page);
    ASSERT_EQ(text, testsupport::FoundInTheWalk(&page, page.Text1));
    // What lies on top where the client sees the editor is the editor.
    const QPoint at = text->rect().center();
    EXPECT_EQ(page.childAt(page.mapFromGlobal(at)), page.Text1);
    ASSERT_EQ(QApplication::focusWidget(), text->object());
    EXPECT_EQ(page.Text1->selectedText(), QStringLiteral("1000"));
    QKeyEvent seven(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    QCoreApplication::sendEvent(QApplication::focusWidget(), &seven);
    PressKey(QApplication::focusWidget(), Qt::Key_Return);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, uint16_t>>{{602, 7}}));
    EXPECT_EQ(testsupport::ShowingEditableText(&page), nullptr);
    ASSERT_NE(testsupport::FoundInTheWalk(&page, page.Text1), nullptr);
    EXPECT_TRUE(testsupport::FoundInTheWalk(&page, page.Text1)->state().invisible);

    // Down is no key of a text box: the grid uses it and moves its current
    // cell a row. F5, used by neither, reaches the window once, not once
    // from the grid and again from the editor.
    ClickCell(grid, 3, 1);
    struct KeyCount : QObject {
        int presses = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            presses += event->type() == QEvent::KeyPress;
            return false;
        }
    } atWindow;
    page.installEventFilter(&atWindow);
    PressKey(page.Text1, Qt::Key_Down);
    EXPECT_EQ(grid.currentIndex(), grid.Model().index(3, 1));
    EXPECT_EQ(atWindow.presses, 0);
    PressKey(page.Text1, Qt::Key_F5);
    EXPECT_EQ(atWindow.presses, 1);
    page.removeEventFilter(&atWindow);
    EXPECT_TRUE(page.Text1->isVisible());
}

// A click in the open editor places the caret as in any text box: opened
// on "1000", a click just left of its second character, "5" and Enter
// give "15000" and write 15000 to register 602.
TEST_F(AlarmPage, AClickInTheOpenEditorPlacesTheCaret)
{
    ALM1& page = Open();
    page.Timer1.stop();
    ASSERT_TRUE(testsupport::Activate(page));
    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    grid.Model().SetValueText(2, QStringLiteral("1000"));
    ClickCell(grid, 2, 1);   // register 602
    pages::CellEditor* editor = page.Text1;
    ASSERT_TRUE(editor->isVisible());
    ASSERT_EQ(editor->text(), QStringLiteral("1000"));

    // Where the caret stands between "1" and the first "0", measured by
    // putting it there for a moment (one digit's width from where it stands
    // before the "1"); then the whole text is selected again, as the editor
    // opened it.
    editor->setCursorPosition(1);
    const QRect caret = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    editor->setCursorPosition(0);
    const QRect start = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    editor->selectAll();
    ASSERT_NEAR(caret.left() - start.left(), QFontMetrics(editor->font()).horizontalAdvance('1'),
                1);
    const QPoint justLeftOfTheFirstZero(caret.center().x(), editor->rect().center().y());
    ASSERT_EQ(editor->cursorPositionAt(justLeftOfTheFirstZero), 1);
    ASSERT_EQ(editor->selectedText(), QStringLiteral("1000"));

    (*line)->clearRequests();
    testsupport::Click(editor, justLeftOfTheFirstZero);
    EXPECT_FALSE(editor->hasSelectedText());
    EXPECT_EQ(editor->cursorPosition(), 1);
    QKeyEvent five(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QCoreApplication::sendEvent(editor, &five);
    EXPECT_EQ(editor->text(), QStringLiteral("15000"));
    PressKey(editor, Qt::Key_Return);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, uint16_t>>{{602, 15000}}));
    EXPECT_EQ((*line)->reg(602), 15000);
    EXPECT_EQ(grid.Model().ValueText(2), QStringLiteral("15000"));
    EXPECT_FALSE(editor->isVisible());
}

// On a grid made too low for its rows the editor still lies over its cell
// and shows only the part of it inside the viewport, as a child of the
// viewport would; a wheel turn on it scrolls the grid; it moves, hides and
// shows with the grid.
TEST_F(AlarmPage, TheEditorFollowsItsCellAndTheGrid)
{
    ALM1& page = Open();
    page.Timer1.stop();
    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    const int rowHeight = grid.rowHeight(0);
    // Some four rows in view.
    grid.resize(grid.width(), grid.height() - grid.viewport()->height() + 9 * rowHeight / 2);
    QCoreApplication::processEvents();
    ASSERT_GT(grid.verticalScrollBar()->maximum(), 0);
    const QColor editorColour(192, 255, 255);
    auto colourAt = [&](const QPoint& inViewport) {
        const QImage picture = page.grab().toImage();
        return QColor(picture.pixel(grid.viewport()->mapTo(&page, inViewport)));
    };

    // The row cut by the viewport's lower edge.
    const int bottom = grid.viewport()->rect().bottom();
    int cut = 1;
    while (grid.CellRect(cut, 1).bottom() <= bottom)
        ++cut;
    ASSERT_LT(grid.CellRect(cut, 1).top(), bottom - 4);
    ClickCell(grid, cut, 1);   // scrolls the row into view
    grid.verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    QRect cell = grid.CellRect(cut, 1);
    EXPECT_EQ(testsupport::EditorRect(grid), cell);
    EXPECT_EQ(colourAt(QPoint(cell.center().x(), cell.top() + 2)), editorColour);
    EXPECT_NE(colourAt(QPoint(cell.center().x(), bottom + 3)),
              editorColour);   // the scroll bar, not the editor

    QWheelEvent down(QPointF(5, 5), page.Text1->mapToGlobal(QPointF(5, 5)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(page.Text1, &down);
    QCoreApplication::processEvents();
    EXPECT_GT(grid.verticalScrollBar()->value(), 0);
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(cut, 1));

    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    cell = grid.CellRect(cut, 1);
    ASSERT_FALSE(cell.intersects(grid.viewport()->rect()));
    EXPECT_EQ(testsupport::EditorRect(grid), cell);
    // A mask that leaves nothing of it (no mask at all would show it whole).
    EXPECT_FALSE(page.Text1->mask().isEmpty());
    EXPECT_TRUE((page.Text1->mask() & QRegion(page.Text1->rect())).isEmpty());
    EXPECT_TRUE(page.Text1->isVisible());   // still open, out of view

    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->minimum());
    QCoreApplication::processEvents();
    grid.move(grid.pos() + QPoint(12, 7));
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(cut, 1));
    grid.hide();
    EXPECT_FALSE(page.Text1->isVisible());
    grid.show();
    EXPECT_TRUE(page.Text1->isVisible());
    EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(cut, 1));
}

// A grid given another parent with its editor open takes the editor
// along: to another widget, to no parent (a window of its own, the editor
// then on its viewport) and back to the page, the editor is the grid's
// sibling (or on its viewport), hidden while Qt keeps the moved grid
// hidden, and once the grid is shown again it lies over its cell, on top,
// with its text; Enter there still writes its row.
TEST_F(AlarmPage, TheEditorFollowsItsGridToAnotherParent)
{
    ALM1& page = Open();
    page.Timer1.stop();
    pages::ParameterGrid& grid = *page.MSFlexGrid1;
    grid.Model().SetValueText(3, QStringLiteral("42"));
    ClickCell(grid, 3, 1);   // register 603
    pages::CellEditor* editor = page.Text1;
    ASSERT_TRUE(editor->isVisible());

    auto* frame = new QWidget(&page);
    frame->setGeometry(20, 30, grid.width() + 40, grid.height() + 40);
    frame->show();
    const struct {
        const char* what;
        QWidget* parent;
        QPoint at;
    } cases[] = {
        {"another widget", frame, QPoint(11, 7)},
        {"no parent", nullptr, QPoint(0, 0)},
        {"the page again", &page, grid.pos()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        grid.setParent(c.parent);
        QWidget* home = c.parent ? c.parent : grid.viewport();
        EXPECT_EQ(editor->parentWidget(), home);
        EXPECT_EQ(editor->isVisible(), grid.isVisible());
        grid.move(c.at);
        grid.show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(editor->isVisible());
        EXPECT_EQ(testsupport::EditorRect(grid), grid.CellRect(3, 1));
        EXPECT_EQ(editor->mapToGlobal(QPoint(0, 0)),
                  grid.viewport()->mapToGlobal(grid.CellRect(3, 1).topLeft()));
        EXPECT_EQ(home->childAt(editor->geometry().center()), editor);
        EXPECT_EQ(editor->text(), QStringLiteral("42"));
    }

    (*line)->clearRequests();
    PressKey(editor, Qt::Key_Return);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, uint16_t>>{{603, 42}}));
    EXPECT_FALSE(editor->isVisible());
}

// EditRow, EditCol and PageBuffer outlive the window; a reopen shows fresh
// texts and empty values; on a dead line a reopened page shows nothing
// rather than the last visit's values, and a failed read brings back the
// visit's last good read, not zeros.
TEST_F(AlarmPage, StateOutlivesTheWindowAndAFailedReadShowsNoZeros)
{
    (*line)->setReg(604, 321);
    ALM1& first = Open();
    ASSERT_TRUE(RunEventsUntil([&] { return Values(first)[3] == QStringLiteral("321"); }, 2000));
    first.Timer1.stop();
    ClickCell(*first.MSFlexGrid1, 4, 1);
    TypeAndEnter(first.Text1, QStringLiteral("55"));
    EXPECT_EQ(Values(first)[3], QStringLiteral("55"));
    (*line)->setFault(Fault::NoAnswer);
    first.Timer1_Timer();
    EXPECT_EQ(Values(first)[3], QStringLiteral("321"));   // the echo goes, no zero comes
    first.Command1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(ALM1::State().EditRow, 4);
    EXPECT_EQ(ALM1::State().EditCol, 1);
    ALM1& second = Open();
    for (const QString& v : Values(second))
        EXPECT_TRUE(v.isEmpty());
    second.Timer1_Timer();   // the line is still silent
    for (const QString& v : Values(second))
        EXPECT_TRUE(v.isEmpty());
    EXPECT_FALSE(second.Text1->isVisible());
    EXPECT_EQ(ALM1::State().PageBuffer[3], 321);
}

} // namespace
