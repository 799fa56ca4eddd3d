// The configuration register map as data: the eleven tabs' bases, rows and
// read blocks, the registers no row shows, the decimal rows against their
// range texts, the hint lists, and spot texts with their edge blanks.

#include "pages/ConfigRegisterMap.h"

#include "platform/basic/numbers.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <set>

namespace {

using pages::config::HintLists;
using pages::config::Tabs;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(ConfigRegisterMap, TabsBasesRowsAndReadBlocks)
{
    const struct {
        const char* caption;
        int base, rows, first, count;
    } expected[] = {
        {"Instrment", 4096, 14, 4097, 16},     {"AI Input", 4112, 18, 4113, 20},
        {"输入应用", 4132, 8, 4133, 10},        {"DA Output", 4142, 16, 4143, 16},
        {"COMM", 4158, 13, 4159, 13},          {"RELAY ALARM", 4172, 6, 4173, 6},
        {"DIO", 4180, 20, 4181, 20},           {"时标和DO功能 ", 4201, 28, 4202, 29},
        {"8点线性化输入", 4230, 16, 4231, 16}, {"阀位控制", 4246, 4, 4247, 4},
        {"碳势功能", 4252, 3, 4253, 4},
    };
    ASSERT_EQ(Tabs().size(), std::size(expected));
    int total = 0;
    for (size_t t = 0; t < Tabs().size(); ++t) {
        SCOPED_TRACE(t);
        const pages::config::Tab& tab = Tabs()[t];
        const pages::PageDescription& page = tab.page;
        EXPECT_EQ(Text(tab.caption), Text(expected[t].caption));
        EXPECT_EQ(page.pageBase, expected[t].base);
        EXPECT_EQ(page.RowCount(), expected[t].rows);
        EXPECT_EQ(page.readFirst, expected[t].first);
        EXPECT_EQ(page.readCount, expected[t].count);
        // Every tab's block lands from element 1 of the one buffer: element
        // i feeds row i, and the longest block fits.
        EXPECT_EQ(page.bufferElement, 1);
        for (int row = 1; row <= page.RowCount(); ++row)
            EXPECT_EQ(page.Element(row), row);
        EXPECT_LE(page.bufferElement + page.readCount, int(pages::config::kBufferSize));
        EXPECT_EQ(page.valueText, pages::ValueText::Whole);
        EXPECT_EQ(page.typedValue, pages::TypedValue::Double);
        EXPECT_EQ(page.enterOrder, pages::EnterOrder::WriteEchoHide);
        EXPECT_EQ(page.timerMs, 1000);
        total += page.RowCount();
    }
    EXPECT_EQ(total, 146);
}

// Each register from 4097 to 4255 is shown by one row at most; thirteen
// by none. The blocks read eight registers past their rows, which no tab
// shows, and never reach the six others.
TEST(ConfigRegisterMap, RegistersWithoutARowAndTheTailsRead)
{
    std::set<int> shown, read;
    for (const pages::config::Tab& tab : Tabs()) {
        for (int row = 1; row <= tab.page.RowCount(); ++row)
            EXPECT_TRUE(shown.insert(tab.page.Register(row)).second) << tab.page.Register(row);
        for (int r = tab.page.readFirst; r < tab.page.readFirst + tab.page.readCount; ++r)
            read.insert(r);
    }
    std::set<int> without;
    for (int r = 4097; r <= 4255; ++r)
        if (!shown.count(r))
            without.insert(r);
    EXPECT_EQ(without, (std::set<int>{4111, 4112, 4131, 4132, 4141, 4142, 4172, 4179, 4180, 4201,
                                      4230, 4251, 4252}));
    EXPECT_EQ(*shown.begin(), 4097);
    EXPECT_EQ(*shown.rbegin(), 4255);
    std::set<int> tails;
    for (int r : read)
        if (!shown.count(r))
            tails.insert(r);
    EXPECT_EQ(tails, (std::set<int>{4111, 4112, 4131, 4132, 4141, 4142, 4230, 4256}));
    for (int r : {4172, 4179, 4180, 4201, 4251, 4252})
        EXPECT_FALSE(read.count(r)) << r;
}

// A row holds ten times its shown value exactly when its range text shows
// one decimal place ("0.1%～10.0%" does, "15%～36%" does not).
TEST(ConfigRegisterMap, DecimalRowsAreTheRowsWithOneDecimalPlace)
{
    const QRegularExpression oneDecimal(QStringLiteral("\\d\\.\\d(?!\\d)"));
    std::vector<int> decimalRegisters;
    for (const pages::config::Tab& tab : Tabs()) {
        for (int row = 1; row <= tab.page.RowCount(); ++row) {
            const QString range = Text(tab.page.rows[size_t(row - 1)].range);
            SCOPED_TRACE(range.toStdString());
            EXPECT_EQ(tab.page.IsDecimalRow(row), range.contains(oneDecimal));
            if (tab.page.IsDecimalRow(row))
                decimalRegisters.push_back(tab.page.Register(row));
        }
    }
    EXPECT_EQ(decimalRegisters, (std::vector<int>{4103, 4118, 4129, 4146, 4147, 4152, 4153, 4156,
                                                  4157, 4247, 4248, 4250}));
}

// Each list serves the coded rows of its tab; its items are numbered from
// 0 in order, by their leading number.
TEST(ConfigRegisterMap, HintListsAndTheirRows)
{
    const struct {
        int tab;
        std::vector<int> rows;
        size_t items;
        const char* name;   // the name of the first row served
    } expected[] = {
        {0, {13}, 27, "单位"},
        {1, {1, 12}, 47, "输入1类型"},
        {6, {10, 11, 12, 13, 14, 15, 16, 17, 18}, 21, "DI1输入功能定义"},
    };
    ASSERT_EQ(HintLists().size(), std::size(expected));
    for (size_t i = 0; i < HintLists().size(); ++i) {
        SCOPED_TRACE(i);
        const pages::config::HintList& list = HintLists()[i];
        EXPECT_EQ(list.tab, expected[i].tab);
        EXPECT_EQ(std::vector<int>(list.rows.begin(), list.rows.end()), expected[i].rows);
        ASSERT_EQ(list.items.size(), expected[i].items);
        for (size_t k = 0; k < list.items.size(); ++k)
            EXPECT_EQ(basic::LeadingNumber(Text(list.items[k])), double(k)) << list.items[k];
        const pages::PageDescription& page = Tabs()[size_t(list.tab)].page;
        EXPECT_EQ(Text(page.rows[size_t(list.rows[0] - 1)].name), Text(expected[i].name));
    }
    const pages::PageDescription& dio = Tabs()[6].page;
    for (int row = 10; row <= 18; ++row)
        EXPECT_EQ(Text(dio.rows[size_t(row - 1)].name),
                  QStringLiteral("DI%1输入功能定义").arg(row - 9));
}

// Texts as the controller's documentation has them, blanks at either end
// and blank rows included.
TEST(ConfigRegisterMap, SpotTextsKeepTheirBlanks)
{
    enum Part { Name, Range, Help };
    const struct {
        int tab, row;
        Part part;
        const char* text;
    } cases[] = {
        {0, 1, Name, "按键锁"},
        {0, 13, Help, "0:NONE，1:PH，2:mmHg，3:Ohms，4:Bar，5:mBar，6:%RH，7:PSI，8:PSIG，9:%O2，"
                      "10:PPM，11:%CO2，12:%CO，13:%CP，14:V，15:KV，16:mV，17:A，18:mA，19:KA，"
                      "20:W，21:KW，22:Kg，23:g，24:℃，25:℉，26:K"},
        {0, 14, Help, "0：internal（内部补偿），1：0度，2：45度，4：50度"},
        {1, 1, Help, "0-9：热电偶，10-16 热电阻， 17-31：线性信号，32-46：热电阻"},
        {1, 9, Name, ""},
        {1, 9, Range, ""},
        {1, 10, Help, " "},
        {1, 17, Range, "0.0 -100.0"},
        {1, 18, Range, "-1000 -  1000"},
        {2, 4, Range, "0-4 "},
        {2, 6, Name, ""},
        {2, 6, Range, " "},
        {2, 6, Help, ""},
        {3, 6, Name, " "},
        {3, 6, Range, ""},
        {3, 12, Range, " "},
        {3, 8, Range, "1"},
        {3, 16, Help, "0：变送测量值，1：变送设定值，2：变送输出值，3：变送偏差值 "},
        {4, 8, Help, " 0：4800BPS，1：9600BPS，2：19.2K BPS，3：38.4K BPS，4：57.6K BPS"},
        {4, 13, Name, "串口2联机功能 "},
        {4, 13, Range, "0-12 "},
        {5, 1, Help, "0：无，1：上限报警，2：下限报警，3：上偏差报警，4：下偏差报警，5：偏差带报警，"
                     "6：断线报警，7：传感器报警，8：程序结束，9：氧探头清洗  "},
        {5, 2, Help, "0：无，1：上限报警，2：下限报警，3：上偏差报警，4：下偏差报警，5：偏差带报警，"
                     "6：断线报警，7：传感器报警，8：程序结束，9：氧探头清洗 "},
        {6, 10, Help, "0：无，1：手自动切换（闭合手动/断开自动），2：遥控设定（闭合遥控模拟SV/断开本地"
                      "给定），3：自整定，4：程序运行，5：程序暂停，6：程序停止，7：程序运行中跳段，"
                      "8：程序运行中回跳一段。。。。。 "},
        {6, 11, Help, "0：无，1：手自动切换（闭合手动/断开自动），2：遥控设定（闭合遥控模拟SV/断开本地"
                      "给定），3：自整定，4：程序运行，5：程序暂停，6：程序停止，7：程序运行中跳段，"
                      "8：程序运行中回跳一段。。。。。"},
        {6, 18, Range, "0-19"},
        {7, 2, Range, "0-6"},
        {7, 28, Name, "DO9时标闭合时间"},
        {8, 1, Name, "输入电压电流值1 "},
        {8, 3, Name, "输入电压电流值2  "},
        {8, 1, Help, "输入1标定点1电气值  "},
        {8, 16, Help, "输入1标定点8工程显示值   "},
        {9, 3, Help, "0：阀位反馈开路时阀门全关，1：阀位反馈开路时阀门全开，2：阀位反馈开路时阀门不"
                     "动作。默认值：0全关   "},
        {9, 4, Range, "0.1%～10.0%"},
        {10, 1, Range, "15%～36%"},
        {10, 3, Help, "自动执行清洗氧探头的执行时间。默认值：10 秒   "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("tab " + std::to_string(c.tab) + " row " + std::to_string(c.row));
        const pages::ParameterRow& row = Tabs()[size_t(c.tab)].page.rows[size_t(c.row - 1)];
        const char* texts[] = {row.name, row.range, row.help};
        EXPECT_EQ(Text(texts[c.part]), Text(c.text));
    }
    const struct {
        size_t list, index;
        const char* item;
    } items[] = {
        {0, 0, "0:NONE "},          {0, 7, "7:PSI  "},         {0, 26, "26:K "},
        {1, 0, "0:K(-200-1300)"},   {1, 8, "8 WRe325(0-2300)"}, {1, 14, "14:0Ω80(0～80Ω) "},
        {1, 46, "46:Ni1000(-200-850) "}, {2, 0, "0:无 "},      {2, 13, "13:报警继电器动作解除"},
        {2, 20, "20:氧探头手动清洗 "},
    };
    for (const auto& c : items)
        EXPECT_EQ(Text(HintLists()[c.list].items[c.index]), Text(c.item));
}

} // namespace
