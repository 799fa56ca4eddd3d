// The overview's nineteen command rows, seen from the line: what the
// simulated controller receives for a control text or a typed value.

#include "OverviewFixture.h"

#include "platform/modbus/modbus_rtu.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <memory>
#include <optional>

namespace {

using testsupport::LetTheLineSettle;

// Port 1 opened at 38400 baud, even parity, station 1, on a simulated
// controller whose process stands still; the poll stays off, so the line
// carries only what the commands send.
class CommandRowsTest : public testsupport::OverviewFixture {
protected:
    void SetUp() override
    {
        OverviewFixture::SetUp();
        line = std::make_unique<testsupport::SimLine>(1);
        ASSERT_TRUE(line->started());
        ASSERT_EQ(OpenPort_Modbus(1, 3, 2), 0);
        CommPar[0] = 1;
        CommPar[3] = 1;
        window->show();
    }
    void TearDown() override
    {
        line.reset();
        OverviewFixture::TearDown();
    }
    // The single-register writes that reached the controller, as
    // (register, 16-bit value).
    std::vector<std::pair<int, uint16_t>> Writes()
    {
        std::vector<std::pair<int, uint16_t>> writes;
        for (const zc4160sim::Request& r : (*line)->requests())
            if (r.function == 6 && r.station == 1)
                writes.emplace_back(r.reg(), r.countOrValue);
        return writes;
    }
    std::unique_ptr<testsupport::SimLine> line;
};

struct RowCase {
    const char* row;
    forms::CommandButton* ssqx::* button;
    forms::DropDownList* ssqx::* list;  // or nullptr for a typed value
    int box;                            // Text1 index of a typed value
    const char* text;
    int reg;
    std::optional<int> sent;            // nothing sent when empty
};

constexpr auto none = std::nullopt;

const RowCase kRowCases[] = {
    // Each list row with an item of its own.
    {"A/M/STB", &ssqx::Command11, &ssqx::Combo32, -1, "1:手动 ", 309, 1},
    {"A/M/STB", &ssqx::Command11, &ssqx::Combo32, -1, "2:待机 ", 309, 2},
    {"SV1/SV2", &ssqx::Command12, &ssqx::Combo3, -1, "1:设定值SV2 ", 310, 1},
    {"SV/PROG", &ssqx::Command13, &ssqx::Combo4, -1, "1:程序模式 ", 311, 1},
    {"ATUN", &ssqx::Command17, &ssqx::Combo5, -1, "1:自整定开 ", 313, 1},
    {"程序状态", &ssqx::Command25, &ssqx::Combo6, -1, "4:结束 ", 305, 4},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "20 ", 307, 20},
    {"Force DO1", &ssqx::Command30, &ssqx::Combo8, -1, "1:CLOSE ", 317, 1},
    {"Force DO2", &ssqx::Command31, &ssqx::Combo9, -1, "1:CLOSE ", 318, 1},
    {"Force DO3", &ssqx::Command32, &ssqx::Combo10, -1, "1:CLOSE ", 319, 1},
    {"Force DO4", &ssqx::Command33, &ssqx::Combo11, -1, "1:CLOSE ", 320, 1},
    {"Force DO5", &ssqx::Command34, &ssqx::Combo12, -1, "1:CLOSE ", 321, 1},
    {"Force DO6", &ssqx::Command35, &ssqx::Combo13, -1, "1:CLOSE ", 322, 1},
    {"Force DO7", &ssqx::Command36, &ssqx::Combo14, -1, "1:CLOSE ", 323, 1},
    {"Force DO8", &ssqx::Command37, &ssqx::Combo15, -1, "1:CLOSE ", 324, 1},
    {"Force DO9", &ssqx::Command38, &ssqx::Combo16, -1, "0:OPEN ", 325, 0},
    // Typed into a list: the leading number, rounded half to even, goes out
    // as it is while the line can carry it.
    {"A/M/STB", &ssqx::Command11, &ssqx::Combo32, -1, "abc", 309, 0},
    {"A/M/STB", &ssqx::Command11, &ssqx::Combo32, -1, "2.5", 309, 2},
    {"A/M/STB", &ssqx::Command11, &ssqx::Combo32, -1, "3.5", 309, 4},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, " 3 5x", 307, 35},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "-32768", 307, -32768},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "40000", 307, 40000},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "65535", 307, 65535},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "65536", 307, none},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "-32769", 307, none},
    // Too large for a whole number: nothing, not the stale CommPar(19).
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "99999999999", 307, none},
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "1e999", 307, none},
    // OP: 0 to 100, sent at ten times.
    {"OP", &ssqx::Command18, nullptr, 300, "100", 301, 1000},
    {"OP", &ssqx::Command18, nullptr, 300, "0", 301, 0},
    {"OP", &ssqx::Command18, nullptr, 300, "", 301, 0},
    {"OP", &ssqx::Command18, nullptr, 300, "text", 301, 0},
    {"OP", &ssqx::Command18, nullptr, 300, "0.25", 301, 2},
    {"OP", &ssqx::Command18, nullptr, 300, "0.75", 301, 8},
    {"OP", &ssqx::Command18, nullptr, 300, "5E1", 301, 500},
    {"OP", &ssqx::Command18, nullptr, 300, "100.01", 301, none},
    {"OP", &ssqx::Command18, nullptr, 300, "-0.5", 301, none},
    {"OP", &ssqx::Command18, nullptr, 300, "1e999", 301, none},
    // SV1 and SV2: signed, the ten-fold within 16 bits.
    {"SV1", &ssqx::Command19, nullptr, 301, "25", 302, 250},
    {"SV1", &ssqx::Command19, nullptr, 301, "-12.34", 302, -123},
    {"SV1", &ssqx::Command19, nullptr, 301, "2.5e2", 302, 2500},
    {"SV1", &ssqx::Command19, nullptr, 301, "-3276.8", 302, -32768},
    {"SV1", &ssqx::Command19, nullptr, 301, "3276.7", 302, 32767},
    {"SV1", &ssqx::Command19, nullptr, 301, "3276.75", 302, none},   // 32767.5 rounds to 32768
    {"SV1", &ssqx::Command19, nullptr, 301, "4000", 302, none},
    {"SV1", &ssqx::Command19, nullptr, 301, "-99999", 302, none},
    {"SV1", &ssqx::Command19, nullptr, 301, "99999.5", 302, none},
    {"SV1", &ssqx::Command19, nullptr, 301, "-1e999", 302, none},
    {"SV2", &ssqx::Command20, nullptr, 302, "-1", 303, -10},
    {"SV2", &ssqx::Command20, nullptr, 302, "1 2.5", 303, 125},
    {"SV2", &ssqx::Command20, nullptr, 302, "-3276.9", 303, none},
    // The program jump: 0 to 50.
    {"程序跳段", &ssqx::Command28, nullptr, 305, "50", 306, 500},
    {"程序跳段", &ssqx::Command28, nullptr, 305, "12abc", 306, 120},
    {"程序跳段", &ssqx::Command28, nullptr, 305, "51", 306, none},
    {"程序跳段", &ssqx::Command28, nullptr, 305, "-1", 306, none},
    // Typed with a Chinese input method in full-width mode, or pasted with
    // a no-break space: the same as the ASCII text, never 0.
    {"OP", &ssqx::Command18, nullptr, 300, "　１２３", 301, none},
    {"OP", &ssqx::Command18, nullptr, 300, "　　５０", 301, 500},
    {"OP", &ssqx::Command18, nullptr, 300, "１２。５", 301, 125},
    {"OP", &ssqx::Command18, nullptr, 300, "\u00A099", 301, 990},
    {"SV1", &ssqx::Command19, nullptr, 301, "－　１ｅ２", 302, -1000},
    {"SV2", &ssqx::Command20, nullptr, 302, "１Ｅ４", 303, none},   // 100000: out of 16 bits
    {"曲线选择", &ssqx::Command27, &ssqx::Combo7, -1, "　１２", 307, 12},
};

TEST_F(CommandRowsTest, EachRowSendsItsValueToItsRegisterOrNothing)
{
    for (const RowCase& c : kRowCases) {
        SCOPED_TRACE(std::string(c.row) + " \"" + c.text + "\"");
        if (c.list)
            (window->*c.list)->SetText(QString::fromUtf8(c.text));
        else
            window->Text1[static_cast<size_t>(c.box)]->setText(QString::fromUtf8(c.text));
        // A stale value from an earlier command, which must never go out
        // in place of the row's own.
        CommPar[19] = 7;
        CommPar[24] = 7;
        (*line)->clearRequests();
        (window->*c.button)->click();
        if (!c.sent)
            LetTheLineSettle();
        const auto writes = Writes();
        if (c.sent) {
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_EQ(writes[0].first, c.reg);
            EXPECT_EQ(writes[0].second, static_cast<uint16_t>(*c.sent));
            EXPECT_EQ(CommPar[c.list ? 19 : 24], *c.sent);
        } else {
            EXPECT_TRUE(writes.empty()) << writes.size() << " sent";
            EXPECT_EQ((*line)->requests().size(), 0u);
        }
        // The input keeps its text and nothing is read back.
        const QString shown = c.list ? (window->*c.list)->currentText()
                                     : window->Text1[static_cast<size_t>(c.box)]->text();
        EXPECT_EQ(shown, QString::fromUtf8(c.text));
    }
}

// Each row on its tab, on one line: its caption above it, then from left
// to right the value label of the register it writes, the input and the
// button "确定".
TEST_F(CommandRowsTest, EachRowStandsOnItsTabWithItsCaption)
{
    struct Layout {
        forms::CommandButton* ssqx::* button;
        const char* tab;
        const char* caption;
        int reg;
        forms::DropDownList* ssqx::* list;  // or nullptr for a typed value
        int box;
    };
    const Layout rows[] = {
        {&ssqx::Command11, "固定SV", "A/M/STB", 309, &ssqx::Combo32, -1},
        {&ssqx::Command12, "固定SV", "SV1/SV2", 310, &ssqx::Combo3, -1},
        {&ssqx::Command13, "固定SV", "SV/PROG", 311, &ssqx::Combo4, -1},
        {&ssqx::Command17, "固定SV", "ATUN", 313, &ssqx::Combo5, -1},
        {&ssqx::Command18, "固定SV", "OP", 301, nullptr, 300},
        {&ssqx::Command19, "固定SV", "SV1", 302, nullptr, 301},
        {&ssqx::Command20, "固定SV", "SV2", 303, nullptr, 302},
        {&ssqx::Command25, "程序模式", "程序状态", 305, &ssqx::Combo6, -1},
        {&ssqx::Command27, "程序模式", "曲线选择", 307, &ssqx::Combo7, -1},
        {&ssqx::Command28, "程序模式", "程序跳段", 306, nullptr, 305},
        {&ssqx::Command30, "通讯DO", "Force DO1", 317, &ssqx::Combo8, -1},
        {&ssqx::Command31, "通讯DO", "Force DO2", 318, &ssqx::Combo9, -1},
        {&ssqx::Command32, "通讯DO", "Force DO3", 319, &ssqx::Combo10, -1},
        {&ssqx::Command33, "通讯DO", "Force DO4", 320, &ssqx::Combo11, -1},
        {&ssqx::Command34, "通讯DO", "Force DO5", 321, &ssqx::Combo12, -1},
        {&ssqx::Command35, "通讯DO", "Force DO6", 322, &ssqx::Combo13, -1},
        {&ssqx::Command36, "通讯DO", "Force DO7", 323, &ssqx::Combo14, -1},
        {&ssqx::Command37, "通讯DO", "Force DO8", 324, &ssqx::Combo15, -1},
        {&ssqx::Command38, "通讯DO", "Force DO9", 325, &ssqx::Combo16, -1},
    };
    QTabWidget* tabs = window->SSTab2;
    ASSERT_EQ(tabs->count(), 3);
    for (const Layout& row : rows) {
        SCOPED_TRACE(row.caption);
        const QPushButton* button = window->*row.button;
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QStringLiteral("确定"));
        int tab = -1;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(button))
                tab = i;
        ASSERT_GE(tab, 0);
        EXPECT_EQ(tabs->tabText(tab), QString::fromUtf8(row.tab));
        const QWidget* input = row.list ? static_cast<QWidget*>(window->*row.list)
                                        : window->Text1[static_cast<size_t>(row.box)];
        const QLabel* value = window->D_4WW[static_cast<size_t>(row.reg - 1)];
        ASSERT_NE(input, nullptr);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(input->parentWidget(), button->parentWidget());
        EXPECT_EQ(value->parentWidget(), button->parentWidget());
        const QLabel* caption = nullptr;
        for (const QLabel* l : button->parentWidget()->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(row.caption))
                caption = l;
        ASSERT_NE(caption, nullptr);
        // One line, left to right, the caption just above the value label.
        EXPECT_LE(caption->geometry().bottom(), value->geometry().top());
        EXPECT_GT(caption->geometry().bottom(), value->geometry().top() - 8);
        EXPECT_LT(value->geometry().right(), input->geometry().left());
        EXPECT_LT(input->geometry().right(), button->geometry().left());
        for (const QWidget* w : {static_cast<const QWidget*>(value), input})
            EXPECT_NEAR(w->geometry().center().y(), button->geometry().center().y(), 4);
    }
}

// The controller holds what was sent: the poll's view of a negative SV1 is
// the number typed, ten-fold.
TEST_F(CommandRowsTest, RegistersHoldWhatWasSent)
{
    window->Text1[301]->setText(QStringLiteral("-3276.8"));
    window->Command19->click();
    EXPECT_EQ((*line)->reg(302), -32768);
    window->Combo12->SetText(QStringLiteral("1:CLOSE "));
    window->Command34->click();
    EXPECT_EQ((*line)->reg(321), 1);
}

// Each press sends again, whatever the controller holds; Enter in a box
// sends nothing.
TEST_F(CommandRowsTest, EveryPressSendsAndNoKeySends)
{
    window->Combo6->SetText(QStringLiteral("1:运行 "));
    window->Command25->click();
    window->Command25->click();
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, uint16_t>>{{305, 1}, {305, 1}}));

    (*line)->clearRequests();
    window->activateWindow();
    window->Text1[300]->setFocus();
    window->Text1[300]->setText(QStringLiteral("50"));
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window->Text1[300], &press);
    }
    LetTheLineSettle();
    EXPECT_TRUE(Writes().empty());
}

// A first result of -8888 sends the same write once more; any other result,
// and the second result whatever it is, nothing further.
TEST_F(CommandRowsTest, NoAnswerRepeatsOnceOnly)
{
    using zc4160sim::Fault;
    window->Combo32->SetText(QStringLiteral("1:手动 "));
    window->Text1[302]->setText(QStringLiteral("12.3"));
    struct Case {
        const char* what;
        Fault fault;
        bool firstLost;
        forms::CommandButton* ssqx::* button;
        std::pair<int, uint16_t> write;
        size_t frames;
    };
    const Case cases[] = {
        {"list, first answer lost", Fault::None, true, &ssqx::Command11, {309, 1}, 2},
        {"typed, first answer lost", Fault::None, true, &ssqx::Command20, {303, 123}, 2},
        {"silent controller", Fault::NoAnswer, false, &ssqx::Command11, {309, 1}, 2},
        {"answers at once", Fault::None, false, &ssqx::Command11, {309, 1}, 1},
        {"exception answer", Fault::Exception, false, &ssqx::Command11, {309, 1}, 1},
        {"damaged answer", Fault::DamagedCrc, false, &ssqx::Command20, {303, 123}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        (*line)->setFault(c.fault);
        if (c.firstLost)
            (*line)->silenceNext();
        (*line)->clearRequests();
        (window->*c.button)->click();
        LetTheLineSettle();
        EXPECT_EQ(Writes(), (std::vector<std::pair<int, uint16_t>>(c.frames, c.write)));
        (*line)->setFault(Fault::None);
    }
    // The repeat after the lost answer reached the controller.
    EXPECT_EQ((*line)->reg(309), 1);
}

// Before the first "打开" the write goes to the library with port 0 and
// station 0, which has no such port open.
TEST_F(CommandRowsTest, BeforeOpenTheWriteUsesPortAndStationZero)
{
    CommPar.fill(0);
    testsupport::CallLog log;
    window->Combo32->SetText(QStringLiteral("1:手动 "));
    window->Command11->click();
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0].call, modbus::Call::Write);
    EXPECT_EQ(log.calls[0].port, 0);
    EXPECT_EQ(log.calls[0].station, 0);
    EXPECT_EQ(log.calls[0].reg, 309);
    EXPECT_EQ(log.calls[0].countOrValue, 1);
    EXPECT_EQ(log.calls[0].result, modbus::kPortNotOpen);
    LetTheLineSettle();
    EXPECT_TRUE(Writes().empty());
}

} // namespace
