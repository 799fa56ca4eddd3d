#pragma once
// A page window over a simulated controller: the overview loaded (the home
// window), port 1 open at 38400 baud on a controller whose process stands
// still, the live poll off, so the line carries only what the page sends.
// Helpers click cells, type into an editor and read the frames back.

#include "app/OverviewFixture.h"
#include "pages/ParameterGrid.h"
#include "platform/modbus/modbus_rtu.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace testsupport {

class PageFixture : public OverviewFixture {
protected:
    void SetUp() override
    {
        OverviewFixture::SetUp();
        line = std::make_unique<SimLine>(1);
        ASSERT_TRUE(line->started());
        ASSERT_EQ(OpenLink(DefaultSelection()), 0);
    }
    void TearDown() override
    {
        line.reset();
        OverviewFixture::TearDown();
    }

    // The single-register writes that reached the controller, as
    // (register, 16-bit value).
    std::vector<std::pair<int, uint16_t>> Writes() const
    {
        std::vector<std::pair<int, uint16_t>> writes;
        for (const zc4160sim::Request& r : (*line)->requests())
            if (r.function == 6)
                writes.emplace_back(r.reg(), r.countOrValue);
        return writes;
    }
    // The block reads that reached the controller, as (first register, count).
    std::vector<std::pair<int, int>> Reads() const
    {
        std::vector<std::pair<int, int>> reads;
        for (const zc4160sim::Request& r : (*line)->requests())
            if (r.function == 3)
                reads.emplace_back(r.reg(), r.countOrValue);
        return reads;
    }

    // Opens page T by its button on the shown overview, as the operator
    // does.
    template <class T>
    T& OpenPage(QAbstractButton* button)
    {
        window->show();
        button->click();
        EXPECT_TRUE(forms::IsLoaded<T>());
        return forms::Instance<T>();
    }
    // Leaves page T by its way back if it is still loaded, and lets the
    // window go before the next test.
    template <class T>
    static void LeavePage()
    {
        if (forms::IsLoaded<T>())
            forms::ClosePage(forms::Instance<T>());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<SimLine> line;
};

// Makes the window the active one, so that focus moves are real.
inline bool Activate(QWidget& w)
{
    w.activateWindow();
    return RunEventsUntil([&] { return QApplication::activeWindow() == &w; }, 1000);
}

// What a cell of a grid shows (row 1..N), by default its value.
inline QString CellText(pages::ParameterGrid& grid, int row, int column = pages::ValueColumn)
{
    const pages::ParameterModel& model = grid.Model();
    return model.data(model.index(row - 1, column), Qt::DisplayRole).toString();
}

// What the value cells of a grid show, rows 1 to N.
inline std::vector<QString> ValueTexts(pages::ParameterGrid& grid)
{
    std::vector<QString> texts;
    for (int row = 1; row <= grid.Model().rowCount(); ++row)
        texts.push_back(grid.Model().ValueText(row));
    return texts;
}

// A mouse click on a cell of a page grid (row 1..N, column 0..4), as the
// operator makes it: press and release over the cell in the viewport.
inline void ClickCell(pages::ParameterGrid& grid, int row, int column)
{
    grid.scrollTo(grid.Model().index(row - 1, column));
    const QPoint at = grid.CellRect(row, column).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, grid.viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &release);
}

// Where a grid's editor lies, in the viewport's coordinates (those of the
// grid's cells), whatever widget it is a child of.
inline QRect EditorRect(pages::ParameterGrid& grid)
{
    const QWidget* editor = grid.Editor();
    return QRect(grid.viewport()->mapFrom(editor->parentWidget(), editor->pos()), editor->size());
}

// The editable texts an accessibility client meets walking the window's
// tree from the window down, child by child.
inline std::vector<QAccessibleInterface*> EditableTextsOf(QWidget* window)
{
    std::vector<QAccessibleInterface*> found;
    std::vector<QAccessibleInterface*> open{QAccessible::queryAccessibleInterface(window)};
    while (!open.empty()) {
        QAccessibleInterface* node = open.back();
        open.pop_back();
        if (!node || !node->isValid())
            continue;
        if (node->role() == QAccessible::EditableText)
            found.push_back(node);
        for (int i = 0; i < node->childCount(); ++i)
            open.push_back(node->child(i));
    }
    return found;
}

// The one editable text of the walk that is showing (not invisible), or
// nothing when none or more than one is.
inline QAccessibleInterface* ShowingEditableText(QWidget* window)
{
    QAccessibleInterface* showing = nullptr;
    for (QAccessibleInterface* text : EditableTextsOf(window)) {
        if (text->state().invisible)
            continue;
        if (showing)
            return nullptr;
        showing = text;
    }
    return showing;
}

// What the walk of the window's tree finds for a control, or nothing.
inline QAccessibleInterface* FoundInTheWalk(QWidget* window, const QObject* control)
{
    for (QAccessibleInterface* text : EditableTextsOf(window))
        if (text->object() == control)
            return text;
    return nullptr;
}

// The grid's open editor as an accessibility client finds it walking the
// window of the grid: an editable text, showing, focused, with the cell's
// text, over the cell on the screen.
inline void ExpectEditorOnTheBus(pages::ParameterGrid& grid, int row)
{
    QAccessibleInterface* text = FoundInTheWalk(grid.window(), grid.Editor());
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->state().invisible);
    EXPECT_TRUE(text->state().focused);
    EXPECT_TRUE(text->state().editable);
    const QString cell = CellText(grid, row);
    EXPECT_EQ(text->text(QAccessible::Value), cell);
    ASSERT_NE(text->textInterface(), nullptr);
    EXPECT_EQ(text->textInterface()->text(0, text->textInterface()->characterCount()), cell);
    const QRect rect = grid.CellRect(row, pages::ValueColumn);
    EXPECT_EQ(text->rect(), QRect(grid.viewport()->mapToGlobal(rect.topLeft()), rect.size()));
}

inline void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
}

// The control that Tab moves the focus to, by Qt's rule: one that takes
// the focus by Tab, has no focus proxy (an editable list's own text field
// has one), and is visible and enabled.
inline QWidget* NextTabStop(QWidget* w)
{
    QWidget* next = w->nextInFocusChain();
    while (next != w
           && (!(next->focusPolicy() & Qt::TabFocus) || next->focusProxy()
               || !next->isVisibleTo(w->window()) || !next->isEnabled()))
        next = next->nextInFocusChain();
    return next;
}

// Types text over the editor's whole text and presses Enter.
inline void TypeAndEnter(QLineEdit* editor, const QString& text)
{
    editor->setText(text);
    PressKey(editor, Qt::Key_Return);
}

} // namespace testsupport
