// The program editor on the simulated line: its load, "读仪表" and its
// failure, typed values and their writes, the timer's table, both editors
// open at once, the curve selection, the way back, and the profile drawn
// at each Enter in the segment editor.

#include "program/Tech.h"

#include "device/Met1.h"
#include "pages/PageFixture.h"


namespace {

using testsupport::CellText;
using testsupport::ClickCell;
using testsupport::LetTheLineSettle;
using testsupport::PressKey;
using testsupport::RunEventsUntil;
using testsupport::TypeAndEnter;
using zc4160sim::Fault;
using WriteList = std::vector<std::pair<int, uint16_t>>;

class ProgramEditor : public testsupport::PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        Tech::State() = Tech::Kept{};
    }
    void TearDown() override
    {
        LeavePage<Tech>();
        PageFixture::TearDown();
    }
    // "曲线设置" on the shown overview.
    Tech& Open() { return OpenPage<Tech>(window->Command14); }
    static program::ProgramValues& Values() { return Tech::State().Values; }
    // Whether the canvas shows red (a ramp) near a point in canvas units.
    static bool RedNear(const Tech& page, double x, double y)
    {
        const QImage image = page.pt1->Image().toImage();
        const int px = int(x * image.width() / program::kCanvasWidth);
        const int py = int(y * image.height() / program::kCanvasHeight);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const QPoint at(std::clamp(px + dx, 0, image.width() - 1),
                                std::clamp(py + dy, 0, image.height() - 1));
                if (image.pixelColor(at) == QColor(255, 0, 0))
                    return true;
            }
        return false;
    }
    static std::vector<QString> Texts(std::span<QLabel* const> labels)
    {
        std::vector<QString> texts;
        for (const QLabel* label : labels)
            texts.push_back(label->text());
        return texts;
    }
    static std::vector<QString> Numbers(int count, int step, int width = 0)
    {
        std::vector<QString> texts;
        for (int j = 0; j < count; ++j)
            texts.push_back(QStringLiteral("%1").arg(j * step, width, 10, QLatin1Char('0')));
        return texts;
    }
};

TEST_F(ProgramEditor, OpensWithTheDefaultsWithoutTouchingTheLine)
{
    Tech& page = Open();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(page.windowTitle(), QStringLiteral("工艺曲线设定"));
    EXPECT_EQ(page.size(), QSize(1575, 803));   // 23625 x 12045 twips
    EXPECT_TRUE(page.CloseGuard);
    EXPECT_EQ(page.Timer1.interval(), 1000);
    EXPECT_TRUE(page.Timer1.isActive());
    EXPECT_EQ(page.Label1->text(), QStringLiteral("当前曲线"));
    EXPECT_EQ(page.D_4W[6]->text(), QStringLiteral("1"));
    EXPECT_EQ(page.D_4W[6]->palette().color(QPalette::Window), QColor(255, 192, 128));
    ASSERT_EQ(page.Combo4->count(), 20);
    EXPECT_EQ(page.Combo4->itemText(0), QStringLiteral("1 "));
    EXPECT_EQ(page.Combo4->itemText(19), QStringLiteral("20 "));
    EXPECT_EQ(page.Combo4->currentText(), QStringLiteral("1 "));
    EXPECT_EQ(page.Command27->text(), QStringLiteral("曲线选择"));
    EXPECT_EQ(page.Command2->text(), QStringLiteral("读仪表"));
    EXPECT_EQ(page.Command11->text(), QStringLiteral(" Esc 返回"));
    EXPECT_EQ(page.Command11->palette().color(QPalette::Button), QColor(255, 0, 0));
    EXPECT_EQ(page.Command1->text(), QStringLiteral("下载"));
    EXPECT_FALSE(page.Command1->isVisible());
    EXPECT_EQ(page.Label4->text(), QStringLiteral("当前程序曲线："));
    EXPECT_FALSE(page.ProgressBar1->isVisible());
    EXPECT_FALSE(page.FaultLabel->isVisible());
    EXPECT_EQ(page.ProgressBar1->geometry(), QRect(1058, 752, 253, 25));
    EXPECT_EQ(page.StatusBar1->PanelCount(), 16);
    EXPECT_EQ(page.StatusBar1->PanelText(1), QStringLiteral("PV"));
    EXPECT_EQ(page.MSFlexGrid1->geometry(), QRect(90, 0, 1481, 115));
    EXPECT_EQ(page.MSFlexGrid2->geometry(), QRect(1046, 118, 525, 605));

    const struct {
        pages::ParameterGrid* grid;
        const char* header0;
        int widths[5];
        int rows;
    } grids[] = {
        {page.MSFlexGrid1, "曲线基本功能 ", {127, 67, 53, 87, 1167}, 13},
        {page.MSFlexGrid2, "程序曲线段设置 ", {150, 60, 37, 107, 147}, 500},
    };
    const char* headers[] = {nullptr, "参数值", "地址", "参数范围", "参数说明"};
    for (const auto& g : grids) {
        SCOPED_TRACE(g.header0);
        const pages::ParameterModel& model = g.grid->Model();
        ASSERT_EQ(model.rowCount(), g.rows);
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                      QString::fromUtf8(c == 0 ? g.header0 : headers[c]));
            EXPECT_EQ(g.grid->columnWidth(c), g.widths[c]);
        }
        EXPECT_EQ(g.grid->font().pointSizeF(), 9.75);
        EXPECT_FALSE(g.grid->wordWrap());
        EXPECT_EQ(model.data(model.index(g.rows - 1, 4), Qt::TextAlignmentRole)
                      .value<Qt::Alignment>(),
                  Qt::AlignLeft | Qt::AlignBottom);
        // The current cell after the load: the last row's help cell.
        EXPECT_EQ(g.grid->currentIndex(), model.index(g.rows - 1, 4));
        EXPECT_TRUE(g.grid->isEnabled());
    }
    const char* defaults[] = {"1", "1", "0", "1", "1", "0", "1", "1", "1", "0", "0", "0", "0"};
    for (int row = 1; row <= 13; ++row) {
        EXPECT_EQ(CellText(*page.MSFlexGrid1, row), QString::fromUtf8(defaults[row - 1]));
        EXPECT_EQ(CellText(*page.MSFlexGrid1, row, 2), QString::number(1000 + row));
    }
    for (int row = 1; row <= 500; ++row) {
        ASSERT_EQ(CellText(*page.MSFlexGrid2, row), QStringLiteral("0")) << row;
        ASSERT_EQ(CellText(*page.MSFlexGrid2, row, 2), QString::number(1016 + row)) << row;
    }
    EXPECT_EQ(CellText(*page.MSFlexGrid1, 10, 0), QStringLiteral("曲线开始设定值"));
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 500, 0), QStringLiteral("第 50 段：段等待偏差值"));
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 500, 2), QStringLiteral("1516"));
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 2, 0), QStringLiteral("第 1 段：升温速率  "));
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 2, 2), QStringLiteral("1018"));
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 2, 3), QStringLiteral("0.0-1000.0 LSB"));
    EXPECT_FALSE(page.Text1->isVisible());
    EXPECT_FALSE(page.Text2->isVisible());
    EXPECT_EQ(page.Text2->palette().color(QPalette::Base), QColor(192, 255, 255));
    LetTheLineSettle();
    EXPECT_TRUE((*line)->requests().empty());
}

// Nine reads back to back, nothing of the poll between them, the poll on
// afterwards even though it was off; the rates divided by ten; the grids
// show the values at the next tick.
TEST_F(ProgramEditor, ReadsTheProgramInNineBlocksWithNoPollBetween)
{
    (*line)->setReg(1005, 3);
    (*line)->setReg(1017, 100);
    (*line)->setReg(1018, 15);
    (*line)->setReg(1028, 25);
    (*line)->setReg(1038, 35);
    (*line)->setReg(1048, -15);
    (*line)->setReg(1014, 99);
    (*line)->setReg(1527, 98);
    (*line)->setReg(1019, 0);
    Tech& page = Open();
    ASSERT_FALSE(Met1::instance().Timer1.isActive());

    struct Seen {
        int progress;
        bool gridsEnabled, barShown, pollOn, timerOn;
    };
    std::vector<Seen> seen;
    QObject::connect(page.ProgressBar1, &QProgressBar::valueChanged, [&](int value) {
        seen.push_back({value, page.MSFlexGrid1->isEnabled() || page.MSFlexGrid2->isEnabled(),
                        page.ProgressBar1->isVisible(), Met1::instance().Timer1.isActive(),
                        page.Timer1.isActive()});
    });
    page.Command2->click();

    const std::vector<int> progress = {0, 8, 19, 29, 39, 49, 59, 69, 78, 91, 100};
    ASSERT_EQ(seen.size(), progress.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].progress, progress[i]);
        EXPECT_FALSE(seen[i].gridsEnabled);
        EXPECT_TRUE(seen[i].barShown);
        EXPECT_FALSE(seen[i].pollOn);
        EXPECT_FALSE(seen[i].timerOn);
    }
    for (pages::ParameterGrid* grid : {page.MSFlexGrid1, page.MSFlexGrid2}) {
        EXPECT_TRUE(grid->isEnabled());
        EXPECT_TRUE(grid->updatesEnabled());
    }
    EXPECT_FALSE(page.ProgressBar1->isVisible());
    EXPECT_FALSE(page.FaultLabel->isVisible());
    EXPECT_TRUE(page.Timer1.isActive());
    EXPECT_TRUE(Met1::instance().Timer1.isActive());

    const std::vector<std::pair<int, int>> nine = {{1001, 16}, {1017, 64}, {1081, 64},
                                                   {1145, 64}, {1209, 64}, {1273, 64},
                                                   {1337, 64}, {1401, 64}, {1465, 64}};
    EXPECT_EQ(Reads(), nine);
    // The poll's reads follow.
    ASSERT_TRUE(RunEventsUntil([&] { return Reads().size() >= 12; }, 3000));
    const std::vector<std::pair<int, int>> poll = {{1, 64}, {65, 16}, {301, 32}};
    const std::vector<std::pair<int, int>> reads = Reads();
    EXPECT_EQ((std::vector<std::pair<int, int>>(reads.begin() + 9, reads.begin() + 12)), poll);

    ASSERT_TRUE(RunEventsUntil([&] { return CellText(*page.MSFlexGrid2, 1) == QStringLiteral("100"); },
                               2000));
    const struct {
        int row;
        const char* text;
    } cells[] = {{1, "100"}, {2, "2"}, {12, "2"}, {22, "4"}, {32, "-2"}, {3, "0"}};
    for (const auto& c : cells)
        EXPECT_EQ(CellText(*page.MSFlexGrid2, c.row), QString::fromUtf8(c.text)) << c.row;
    EXPECT_EQ(CellText(*page.MSFlexGrid1, 5), QStringLiteral("3"));
    EXPECT_EQ(Values().BasicValues[13], 99);     // read, shown nowhere
    EXPECT_EQ(Values().SegmentValues[510], 98);
}

// A controller silent from the third request: the grids keep their values,
// "读仪表失败" stands where the bar stood, the poll and the timer run again;
// the next good "读仪表" clears it.
TEST_F(ProgramEditor, AFailedReadChangesNothingAndSaysSo)
{
    (*line)->setReg(1017, 100);
    Tech& page = Open();
    const QMetaObject::Connection silence =
        QObject::connect(page.ProgressBar1, &QProgressBar::valueChanged, [&](int value) {
            if (value == 19)
                (*line)->setFault(Fault::NoAnswer);
        });
    page.Command2->click();
    QObject::disconnect(silence);
    EXPECT_EQ(Reads().size(), 3u);
    EXPECT_TRUE(page.FaultLabel->isVisible());
    EXPECT_EQ(page.FaultLabel->text(), QStringLiteral("读仪表失败"));
    EXPECT_EQ(page.FaultLabel->geometry(), page.ProgressBar1->geometry());
    EXPECT_FALSE(page.ProgressBar1->isVisible());
    EXPECT_TRUE(page.MSFlexGrid1->isEnabled());
    EXPECT_TRUE(page.MSFlexGrid2->isEnabled());
    EXPECT_TRUE(page.Timer1.isActive());
    EXPECT_TRUE(Met1::instance().Timer1.isActive());
    page.Timer1_Timer();
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 1), QStringLiteral("0"));
    EXPECT_EQ(CellText(*page.MSFlexGrid1, 1), QStringLiteral("1"));
    (*line)->setFault(Fault::None);
    ASSERT_TRUE(RunEventsUntil([&] { return Reads().size() >= 4; }, 3000));
    EXPECT_EQ(Reads()[3], (std::pair<int, int>{1, 64}));

    page.Command2->click();
    EXPECT_FALSE(page.FaultLabel->isVisible());
    page.Timer1_Timer();
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 1), QStringLiteral("100"));
}

// What Enter sends for a typed text, what the array keeps and what the cell
// shows; refused values send nothing and put the cell back as it was.
TEST_F(ProgramEditor, TypedTextsOnBothGrids)
{
    Tech& page = Open();
    page.Timer1.stop();
    Values().SegmentValues[0] = 7;   // the cell of 1017 shows it: "7"
    Values().BasicValues[9] = 5;
    page.Timer1_Timer();
    page.Timer1.stop();
    const std::optional<uint16_t> none;
    const struct {
        int grid;   // 1 basic, 2 segments
        int row;
        const char* typed;
        std::optional<uint16_t> sent;
        int32_t element;   // the array element afterwards
        const char* cell;  // the cell right after Enter
    } cases[] = {
        {2, 2, "1.5", 15, 2, "1.5"},      {2, 2, "2.5", 25, 2, "2.5"},
        {2, 2, "0.25", 2, 0, "0.25"},     {2, 3, "3.5", 4, 4, "3.5"},
        {2, 11, "3.5", 4, 4, "3.5"},      {2, 500, "3.5", 4, 4, "3.5"},
        {2, 492, "-1.5", 0xFFF1, -2, "-1.5"},
        {1, 5, "12abc", 12, 12, "12"},    {1, 4, "", 0, 0, "0"},
        {1, 3, "007", 7, 7, "7"},
        {2, 1, "-5", 0xFFFB, -5, "-5"},
        // Refused: the cell shows what it showed before, nothing is sent.
        {1, 10, "40000", none, 5, "5"},   {2, 1, "-40000", none, -5, "-5"},
        {2, 12, "4000", none, 0, "0"},    {1, 1, "1e40", none, 1, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " on row " + std::to_string(c.row) + " of grid "
                     + std::to_string(c.grid));
        pages::ParameterGrid& grid = c.grid == 1 ? *page.MSFlexGrid1 : *page.MSFlexGrid2;
        pages::CellEditor* editor = c.grid == 1 ? page.Text1 : page.Text2;
        const int base = c.grid == 1 ? 1000 : 1016;
        (*line)->clearRequests();
        ClickCell(grid, c.row, 1);
        ASSERT_TRUE(editor->isVisible());
        TypeAndEnter(editor, QString::fromUtf8(c.typed));
        LetTheLineSettle();
        WriteList expected;
        if (c.sent)
            expected.emplace_back(base + c.row, *c.sent);
        EXPECT_EQ(Writes(), expected);
        const int32_t element = c.grid == 1 ? Values().BasicValues[size_t(c.row - 1)]
                                            : Values().SegmentValues[size_t(c.row - 1)];
        EXPECT_EQ(element, c.element);
        EXPECT_EQ(CellText(grid, c.row), QString::fromUtf8(c.cell));
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(page.FaultLabel->isVisible(), !c.sent);
        if (!c.sent) {
            EXPECT_EQ(page.FaultLabel->text(), QStringLiteral("写入失败 %1").arg(base + c.row));
        }
        page.Timer1.stop();
    }
    // The next tick shows what the arrays hold: the rates as whole numbers.
    page.Timer1_Timer();
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 2), QStringLiteral("0"));
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 3), QStringLiteral("4"));
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 492), QStringLiteral("-2"));
}

// A first result that fails sends the write once more; a final failure
// leaves the array and the cell as they were and says which register.
TEST_F(ProgramEditor, AWriteThatFinallyFailsIsNotKept)
{
    Tech& page = Open();
    page.Timer1.stop();
    const struct {
        const char* name;
        void (*arrange)(zc4160sim::Simulator&);
        size_t frames;
        bool kept;
    } cases[] = {
        {"exception twice", [](zc4160sim::Simulator& s) { s.setFault(Fault::Exception); }, 2, false},
        {"silent twice", [](zc4160sim::Simulator& s) { s.setFault(Fault::NoAnswer); }, 2, false},
        {"no answer once", [](zc4160sim::Simulator& s) { s.silenceNext(1); }, 2, true},
        {"normal", [](zc4160sim::Simulator&) {}, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Values().BasicValues[2] = 0;
        page.MSFlexGrid1->Model().SetValueText(3, QStringLiteral("0"));
        (*line)->setFault(Fault::None);
        c.arrange(line->sim());
        (*line)->clearRequests();
        ClickCell(*page.MSFlexGrid1, 3, 1);
        TypeAndEnter(page.Text1, QStringLiteral("2"));
        page.Timer1.stop();
        LetTheLineSettle();
        EXPECT_EQ(Writes(), WriteList(c.frames, {1003, 2}));
        EXPECT_EQ(Values().BasicValues[2], c.kept ? 2 : 0);
        EXPECT_EQ(CellText(*page.MSFlexGrid1, 3), c.kept ? QStringLiteral("2") : QStringLiteral("0"));
        EXPECT_EQ(page.FaultLabel->isVisible(), !c.kept);
        if (!c.kept) {
            EXPECT_EQ(page.FaultLabel->text(), QStringLiteral("写入失败 1003"));
        }
    }
}

// The timer's table: running from the load, stopped by a value click in
// the segment grid and by "读仪表" until its end, started by any Enter in
// the basic editor; an Enter in the segment editor or a click in the
// basic grid leaves it as it is. While it is stopped, nothing is refreshed.
TEST_F(ProgramEditor, TheTimerFollowsItsTable)
{
    Tech& page = Open();
    EXPECT_TRUE(page.Timer1.isActive());
    ClickCell(*page.MSFlexGrid1, 2, 1);
    EXPECT_TRUE(page.Timer1.isActive());
    ClickCell(*page.MSFlexGrid2, 4, 0);   // a name cell: nothing
    EXPECT_TRUE(page.Timer1.isActive());
    ClickCell(*page.MSFlexGrid2, 4, 1);
    EXPECT_FALSE(page.Timer1.isActive());
    TypeAndEnter(page.Text2, QStringLiteral("3"));
    EXPECT_FALSE(page.Timer1.isActive());

    StatusValues[0] = 25.5f;
    CommandValues[6] = 7;
    testsupport::RunEventsFor(1200);
    EXPECT_EQ(page.D_4W[6]->text(), QStringLiteral("1"));
    EXPECT_EQ(page.StatusBar1->PanelText(2), QString());

    TypeAndEnter(page.Text1, QStringLiteral("1"));   // the editor still open over row 2
    EXPECT_TRUE(page.Timer1.isActive());
    PressKey(page.Text1, Qt::Key_Return);             // hidden now: the timer runs on
    EXPECT_TRUE(page.Timer1.isActive());
    ASSERT_TRUE(RunEventsUntil([&] { return page.D_4W[6]->text() == QStringLiteral("7"); }, 2000));
    EXPECT_EQ(page.StatusBar1->PanelText(2), QStringLiteral("25.5"));

    // A tick touches only the cells whose value changed.
    std::vector<std::pair<int, int>> changes;
    QObject::connect(&page.MSFlexGrid2->Model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) {
                         changes.emplace_back(from.row(), to.row());
                     });
    Values().SegmentValues[99] = 5;
    page.Timer1_Timer();
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{99, 99}}));
    page.Timer1_Timer();
    EXPECT_EQ(changes.size(), 1u);
}

// Each grid keeps the row under its own editor: with both editors open,
// each Enter writes its own row.
TEST_F(ProgramEditor, BothEditorsOpenAtOnce)
{
    Tech& page = Open();
    ClickCell(*page.MSFlexGrid1, 3, 1);
    ClickCell(*page.MSFlexGrid2, 5, 1);
    EXPECT_TRUE(page.Text1->isVisible());
    EXPECT_TRUE(page.Text2->isVisible());
    EXPECT_EQ(Tech::State().Edit.EditRow, 5);
    page.Text2->setText(QStringLiteral("4"));
    TypeAndEnter(page.Text1, QStringLiteral("2"));
    EXPECT_TRUE(page.Text2->isVisible());
    PressKey(page.Text2, Qt::Key_Return);
    LetTheLineSettle();
    EXPECT_EQ(Writes(), (WriteList{{1003, 2}, {1021, 4}}));
    EXPECT_EQ(Values().BasicValues[2], 2);
    EXPECT_EQ(Values().SegmentValues[4], 4);
}

// Both grids' editors reach an accessibility client walking the window:
// each open one is a showing editable text, the one last clicked focused;
// Enter hides its own and leaves the other showing.
TEST_F(ProgramEditor, TheOpenEditorsAreReachedByAnAccessibilityClient)
{
    Tech& page = Open();
    ASSERT_TRUE(testsupport::Activate(page));
    page.MSFlexGrid1->Model().SetValueText(3, QStringLiteral("12"));
    page.MSFlexGrid2->Model().SetValueText(5, QStringLiteral("-4.5"));
    ClickCell(*page.MSFlexGrid2, 5, 1);
    testsupport::ExpectEditorOnTheBus(*page.MSFlexGrid2, 5);
    ClickCell(*page.MSFlexGrid1, 3, 1);
    testsupport::ExpectEditorOnTheBus(*page.MSFlexGrid1, 3);
    QAccessibleInterface* segment = testsupport::FoundInTheWalk(&page, page.Text2);
    ASSERT_NE(segment, nullptr);
    EXPECT_FALSE(segment->state().invisible);
    EXPECT_FALSE(segment->state().focused);

    PressKey(page.Text1, Qt::Key_Return);
    LetTheLineSettle();
    ASSERT_NE(testsupport::FoundInTheWalk(&page, page.Text1), nullptr);
    EXPECT_TRUE(testsupport::FoundInTheWalk(&page, page.Text1)->state().invisible);
    EXPECT_FALSE(testsupport::FoundInTheWalk(&page, page.Text2)->state().invisible);
}

// "曲线选择" writes the list's number to 307, again only after no answer; a
// text whose number does not fit sends nothing and leaves CommPar(19).
TEST_F(ProgramEditor, CurveSelection)
{
    Tech& page = Open();
    const struct {
        const char* text;
        void (*arrange)(zc4160sim::Simulator&);
        WriteList sent;
        int32_t commPar19;
    } cases[] = {
        {"7 ", [](zc4160sim::Simulator&) {}, {{307, 7}}, 7},
        {"20 ", [](zc4160sim::Simulator& s) { s.silenceNext(1); }, {{307, 20}, {307, 20}}, 20},
        {"3 ", [](zc4160sim::Simulator& s) { s.setFault(Fault::Exception); }, {{307, 3}}, 3},
        {"abc", [](zc4160sim::Simulator&) {}, {{307, 0}}, 0},
        {"1e12", [](zc4160sim::Simulator&) {}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        (*line)->setFault(Fault::None);
        c.arrange(line->sim());
        (*line)->clearRequests();
        page.Combo4->SetText(QString::fromUtf8(c.text));
        page.Command27->click();
        LetTheLineSettle();
        EXPECT_EQ(Writes(), c.sent);
        EXPECT_EQ(CommPar[19], c.commPar19);
    }
    (*line)->setFault(Fault::None);
    page.Combo4->setCurrentIndex(6);
    page.Command27->click();
    SwitchLivePoll(true);
    ASSERT_TRUE(RunEventsUntil([&] { return page.D_4W[6]->text() == QStringLiteral("7"); }, 3000));
}

// " Esc 返回" shows the overview; the close box and Esc do nothing; a reopen
// sends nothing and shows the defaults, while the arrays' unshown elements
// and the edit state are kept.
TEST_F(ProgramEditor, ReturnAndReopen)
{
    (*line)->setReg(1002, 2);
    (*line)->setReg(1017, 300);
    (*line)->setReg(1517, 44);
    Tech& first = Open();
    first.Command2->click();
    first.Timer1_Timer();
    EXPECT_EQ(CellText(*first.MSFlexGrid1, 2), QStringLiteral("2"));
    ClickCell(*first.MSFlexGrid2, 7, 1);

    EXPECT_FALSE(first.close());
    PressKey(&first, Qt::Key_Escape);
    PressKey(first.Text2, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(forms::IsLoaded<Tech>());
    EXPECT_TRUE(first.isVisible());
    EXPECT_TRUE(first.Text2->isVisible());

    first.Command11->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(forms::IsLoaded<Tech>());
    EXPECT_TRUE(window->isVisible());
    SwitchLivePoll(false);
    LetTheLineSettle();
    (*line)->clearRequests();

    Tech& second = Open();
    EXPECT_EQ(CellText(*second.MSFlexGrid1, 2), QStringLiteral("1"));
    EXPECT_EQ(CellText(*second.MSFlexGrid2, 1), QStringLiteral("0"));
    EXPECT_EQ(Values().SegmentValues[500], 44);
    EXPECT_EQ(Tech::State().Edit.EditRow, 7);
    EXPECT_FALSE(second.Text2->isVisible());
    LetTheLineSettle();
    EXPECT_TRUE((*line)->requests().empty());
}

// The load draws the empty frame: the grid, the time axis of the last
// redraw (0 to 15 in a fresh run), the value labels' first texts.
TEST_F(ProgramEditor, TheLoadDrawsTheEmptyFrame)
{
    Tech& page = Open();
    EXPECT_EQ(page.pt1->geometry(), QRect(42, 120, 1001, 601));
    EXPECT_EQ(Texts(page.Label6), Numbers(10, 4000));
    EXPECT_EQ(Texts(page.Label8), Numbers(16, 1));
    EXPECT_EQ(page.Label7[0]->text(), QStringLiteral("VALUE "));
    EXPECT_EQ(page.Label7[1]->text(), QStringLiteral("时间   MIN"));
    EXPECT_TRUE(page.Label5->text().isEmpty());
    EXPECT_TRUE(page.Label10->text().isEmpty());
    EXPECT_TRUE(page.LABEL11->text().isEmpty());
    const QImage image = page.pt1->Image().toImage();
    ASSERT_EQ(image.size(), QSize(1001, 601));
    EXPECT_EQ(image.pixelColor(500, 300), QColor(Qt::white));
    int gridPixels = 0;   // the dotted line at y = 0
    for (int x = 0; x < 40; ++x)
        gridPixels += image.pixelColor(x, 0) == QColor(64, 64, 0);
    EXPECT_GT(gridPixels, 5);
    EXPECT_FALSE(RedNear(page, 7500, 9008));
}

// Segments typed with Enter: the labels and the ramps of the worked
// example; "读仪表" leaves the profile as it was drawn; a reopen shows the
// time labels of the last redraw.
TEST_F(ProgramEditor, EachEnterInTheSegmentEditorRedrawsTheProfile)
{
    Tech& page = Open();
    const struct {
        int row;
        const char* typed;
    } typed[] = {{1, "100"}, {3, "10"}, {11, "300"}, {13, "20"}, {21, "300"}, {23, "30"}};
    for (const auto& t : typed) {
        ClickCell(*page.MSFlexGrid2, t.row, 1);
        TypeAndEnter(page.Text2, QString::fromUtf8(t.typed));
    }
    EXPECT_EQ(page.Label5->text(), QStringLiteral("300"));
    EXPECT_EQ(page.Label10->text(), QStringLiteral("0"));
    EXPECT_EQ(page.LABEL11->text(), QStringLiteral("40"));
    EXPECT_EQ(Texts(page.Label6), Numbers(10, 40, 5));
    EXPECT_EQ(Texts(page.Label8), Numbers(16, 5));
    EXPECT_EQ(page.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(RedNear(page, 1000, 7758));    // the first ramp's middle
    EXPECT_TRUE(RedNear(page, 9000, 1508));    // the soak
    EXPECT_TRUE(RedNear(page, 12000, 5000));   // the drop at the end
    EXPECT_FALSE(RedNear(page, 13000, 1508));

    (*line)->setReg(1017, 999);
    page.Command2->click();
    page.Timer1_Timer();
    EXPECT_EQ(CellText(*page.MSFlexGrid2, 1), QStringLiteral("999"));
    EXPECT_EQ(page.Label5->text(), QStringLiteral("300"));
    EXPECT_TRUE(RedNear(page, 9000, 1508));

    page.Command11->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Tech& second = Open();
    EXPECT_EQ(Texts(second.Label8), Numbers(16, 5));
    EXPECT_EQ(Texts(second.Label6), Numbers(10, 4000));
    EXPECT_TRUE(second.Label5->text().isEmpty());
    EXPECT_EQ(CellText(*second.MSFlexGrid2, 1), QStringLiteral("0"));
    EXPECT_FALSE(RedNear(second, 9000, 1508));
}

// A fresh load and one Enter: one flat line along the bottom edge, every
// value label "00000", and the window still at work.
TEST_F(ProgramEditor, AnAllZeroProgramIsOneFlatLine)
{
    Tech& page = Open();
    ClickCell(*page.MSFlexGrid2, 5, 1);
    PressKey(page.Text2, Qt::Key_Return);
    EXPECT_EQ(Texts(page.Label6), std::vector<QString>(10, QStringLiteral("00000")));
    EXPECT_EQ(page.LABEL11->text(), QStringLiteral("0"));
    EXPECT_TRUE(RedNear(page, 0, 9008));
    EXPECT_FALSE(RedNear(page, 7500, 9008));   // all 50 ramps are one point at x 0
    ClickCell(*page.MSFlexGrid2, 3, 1);   // segment 1 lasts 15: a line to x 7500
    TypeAndEnter(page.Text2, QStringLiteral("15"));
    EXPECT_EQ(page.Label8[1]->text(), QStringLiteral("2"));
    EXPECT_TRUE(RedNear(page, 3000, 9008));
    EXPECT_TRUE(RedNear(page, 7500, 9008));
    EXPECT_FALSE(RedNear(page, 9000, 9008));
    EXPECT_TRUE(forms::IsLoaded<Tech>());
}

} // namespace
