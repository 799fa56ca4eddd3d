#pragma once
// A fixture for one single-grid page window on the simulated line: the
// page's state as at the start of the run, the page opened through its
// overview button, and the page closed after the test. Helpers read the
// value column and click a button as the operator does (the press moves
// the focus first).

#include "PageFixture.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QScrollBar>
#include <span>
#include <string>
#include <vector>

namespace testsupport {

// A table of typed texts on a page: what reached the line and the echo.
struct TypedCase {
    int row;
    const char* typed;
    std::optional<uint16_t> sent;   // the register's 16 bits, or nothing sent
    const char* echo;
};

// The fixed texts of a row, as a table of spot checks.
struct RowTexts {
    int row;
    const char* name;
    const char* range;
    const char* help;
};

// A page grid as every page sets it up: the header row, the column widths
// (pixels), the Song face at 12 points without word wrap, and each row
// with its register, an empty value and its help at the left and bottom.
inline void ExpectPageGrid(pages::ParameterGrid& grid, std::span<const int> widths)
{
    const pages::ParameterModel& model = grid.Model();
    const char* headers[] = {"功能 ", "参数值", "地址", "参数范围", "参数说明"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromUtf8(headers[c]));
        EXPECT_EQ(grid.columnWidth(c), widths[size_t(c)]);
    }
    EXPECT_FALSE(grid.wordWrap());
    EXPECT_EQ(grid.font().pointSizeF(), 12);
    for (int row = 1; row <= model.rowCount(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(CellText(grid, row, 2), QString::number(grid.Page().Register(row)));
        EXPECT_TRUE(CellText(grid, row, 1).isEmpty());
        EXPECT_EQ(model.data(model.index(row - 1, 4), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                  Qt::AlignLeft | Qt::AlignBottom);
    }
}

// The whole grid in view at once: no scroll bar, the last row inside the
// viewport.
inline void ExpectWholeGridInView(pages::ParameterGrid& grid)
{
    EXPECT_FALSE(grid.verticalScrollBar()->isVisible());
    EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
    const int last = grid.Model().rowCount();
    EXPECT_TRUE(grid.viewport()->rect().contains(grid.CellRect(last, 4).bottomLeft()));
}

inline void ExpectRowTexts(pages::ParameterGrid& grid, std::span<const RowTexts> rows)
{
    for (const RowTexts& r : rows) {
        SCOPED_TRACE(r.row);
        EXPECT_EQ(CellText(grid, r.row, 0), QString::fromUtf8(r.name));
        EXPECT_EQ(CellText(grid, r.row, 3), QString::fromUtf8(r.range));
        EXPECT_EQ(CellText(grid, r.row, 4), QString::fromUtf8(r.help));
    }
}

template <class PageWindow>
class GridPageTest : public PageFixture {
protected:
    // The overview's button that opens the page.
    explicit GridPageTest(forms::CommandButton* ssqx::* button) : button_(button) {}

    void SetUp() override
    {
        PageFixture::SetUp();
        PageWindow::State() = pages::PageState(PageWindow::State().PageBuffer.size());
    }
    void TearDown() override
    {
        LeavePage<PageWindow>();
        PageFixture::TearDown();
    }
    PageWindow& Open()
    {
        PageWindow& page = OpenPage<PageWindow>(window->*button_);
        EXPECT_FALSE(window->isVisible());
        return page;
    }
    // "返回", and the deferred deletion of the window.
    void Return(PageWindow& page)
    {
        page.Command1->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(forms::IsLoaded<PageWindow>());
        EXPECT_TRUE(window->isVisible());
    }
    static std::vector<QString> Values(PageWindow& page) { return ValueTexts(*page.MSFlexGrid1); }
    // Waits for the first count reads after the opening (each within
    // timeoutMs of the one before) and returns their times from the opening
    // on, taken as the page makes them: the moment the test notices a read
    // lags it, and unevenly on a busy machine, which would make the spaces
    // between reads look shorter than they are.
    std::vector<qint64> ReadTimes(const QElapsedTimer& sinceOpen, size_t count, int timeoutMs)
    {
        std::vector<qint64> at;
        modbus::SetCallObserver([&](const modbus::CallRecord& c) {
            if (c.call == modbus::Call::Read)
                at.push_back(sinceOpen.elapsed());
        });
        for (size_t n = 1; n <= count; ++n)
            EXPECT_TRUE(RunEventsUntil([&] { return at.size() >= n; }, timeoutMs)) << n;
        modbus::SetCallObserver({});
        at.resize(count, -1);
        return at;
    }
    // The times of the first read after the opening and of the next one.
    std::pair<qint64, qint64> FirstTwoReads(const QElapsedTimer& sinceOpen, int timeoutMs)
    {
        const std::vector<qint64> at = ReadTimes(sinceOpen, 2, timeoutMs);
        return {at[0], at[1]};
    }

    // Each case: a click on the row's value cell, the text typed and Enter;
    // then the writes on the line, the echo, and the editor hidden.
    void ExpectTyped(PageWindow& page, std::span<const TypedCase> cases)
    {
        for (const TypedCase& c : cases) {
            SCOPED_TRACE(std::string(c.typed) + " on row " + std::to_string(c.row));
            (*line)->clearRequests();
            ClickCell(*page.MSFlexGrid1, c.row, 1);
            ASSERT_TRUE(page.Text1->isVisible());
            TypeAndEnter(page.Text1, QString::fromUtf8(c.typed));
            LetTheLineSettle();
            std::vector<std::pair<int, uint16_t>> expected;
            if (c.sent)
                expected.emplace_back(PageWindow::Page().Register(c.row), *c.sent);
            EXPECT_EQ(Writes(), expected);
            EXPECT_EQ(page.MSFlexGrid1->Model().ValueText(c.row), QString::fromUtf8(c.echo));
            EXPECT_FALSE(page.Text1->isVisible());
        }
    }

private:
    forms::CommandButton* ssqx::* button_;
};

// The page's window centred on the screen's available area.
inline QPoint CentredPlace(const QWidget& page)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return area.center() - page.rect().center();
}

// A mouse click on a control as the operator makes it, at a point of the
// control: the press first gives the control the focus when it takes the
// focus by a click (Qt does that for the window system's own events, not
// for events sent by hand), then press and release click it.
inline void Click(QWidget* control, QPoint at)
{
    if (control->focusPolicy() & Qt::ClickFocus)
        control->setFocus(Qt::MouseFocusReason);
    QMouseEvent press(QEvent::MouseButtonPress, at, control->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, control->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &release);
}

// The same at the control's centre.
inline void Click(QWidget* control) { Click(control, control->rect().center()); }

// The same for a cell of a page grid: the grid takes the focus, then the
// click lands on the cell.
inline void ClickCellWithFocus(pages::ParameterGrid& grid, int row, int column)
{
    grid.setFocus(Qt::MouseFocusReason);
    ClickCell(grid, row, column);
}

} // namespace testsupport
