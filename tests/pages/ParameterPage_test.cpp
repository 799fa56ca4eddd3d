// The grid page mechanism without widgets: the page description's
// arithmetic, the value texts, the typed-value parse, and the model's read
// on the simulated line.

#include "pages/ParameterPage.h"

#include "db/LogCapture.h"
#include "device/DeviceFixture.h"

#include <gtest/gtest.h>

using pages::PageDescription;
using pages::ParameterRow;
using pages::TypedValue;
using pages::ValueText;

namespace {

constexpr ParameterRow kRow{"名称", "0-1", "说明"};
constexpr ParameterRow kFourteen[14] = {kRow, kRow, kRow, kRow, kRow, kRow, kRow,
                                        kRow, kRow, kRow, kRow, kRow, kRow, kRow};
constexpr int kRow14[] = {14};
constexpr int kRows3And6[] = {3, 6};

// The three buffer placements the pages use: the block from PageBase + 1
// into element 0 (alarm, PID), into element 1 (configuration, grouped
// PID), and the block from PageBase into element 0 (grouped output, whose
// element 0 is its switch), each with a tail longer than its rows.
constexpr PageDescription kIntoZero{.pageBase = 600,
                                    .rows = kFourteen,
                                    .readFirst = 601,
                                    .readCount = 16,
                                    .timerMs = 500,
                                    .decimalRows = kRow14,
                                    .valueText = ValueText::Single};
constexpr PageDescription kIntoOne{.pageBase = 4096,
                                   .rows = std::span(kFourteen).first(6),
                                   .readFirst = 4097,
                                   .readCount = 16,
                                   .bufferElement = 1,
                                   .timerMs = 1000,
                                   .decimalRows = kRows3And6};
// Single precision both ways, as the grouped PID page and the program
// editor hold their values.
constexpr PageDescription kSingle{.pageBase = 2200,
                                  .rows = std::span(kFourteen).first(6),
                                  .readFirst = 2201,
                                  .readCount = 64,
                                  .bufferElement = 1,
                                  .timerMs = 1000,
                                  .decimalRows = kRows3And6,
                                  .valueText = ValueText::Single,
                                  .typedValue = TypedValue::Single};
constexpr PageDescription kFromBase{.pageBase = 2501,
                                    .rows = std::span(kFourteen).first(4),
                                    .readFirst = 2501,
                                    .readCount = 64,
                                    .timerMs = 2000,
                                    .typedValue = TypedValue::WholeAtParse};

TEST(PageDescription, RowRegisterAndBufferElement)
{
    const struct {
        const PageDescription* page;
        int row, reg, element;
        bool decimal;
    } cases[] = {
        {&kIntoZero, 1, 601, 0, false},  {&kIntoZero, 13, 613, 12, false},
        {&kIntoZero, 14, 614, 13, true}, {&kIntoOne, 1, 4097, 1, false},
        {&kIntoOne, 3, 4099, 3, true},   {&kIntoOne, 6, 4102, 6, true},
        {&kFromBase, 1, 2502, 1, false}, {&kFromBase, 4, 2505, 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reg);
        EXPECT_EQ(c.page->Register(c.row), c.reg);
        EXPECT_EQ(c.page->Element(c.row), c.element);
        EXPECT_EQ(c.page->IsDecimalRow(c.row), c.decimal);
    }
    // The tails: read, never a row.
    EXPECT_EQ(kIntoZero.RowCount(), 14);
    EXPECT_EQ(kIntoZero.readFirst + kIntoZero.readCount - 1, 616);
}

TEST(PageDescription, ValueTexts)
{
    const struct {
        const PageDescription* page;
        int row;
        int32_t value;
        const char* text;
    } cases[] = {
        {&kIntoZero, 14, 125, "12.5"},  {&kIntoZero, 14, 1000, "100"},
        {&kIntoZero, 14, -5, "-0.5"},   {&kIntoZero, 1, -5, "-5"},
        {&kIntoZero, 1, 32767, "32767"}, {&kIntoOne, 3, 125, "12.5"},
        {&kIntoOne, 3, 120, "12"},      {&kIntoOne, 3, -5, "-0.5"},
        {&kIntoOne, 1, -32768, "-32768"}, {&kFromBase, 1, 0, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(pages::ValueTextOf(*c.page, c.row, c.value), QString::fromUtf8(c.text));
    }
}

// Enter's arithmetic: the echo is the parsed number unscaled; the value is
// scaled on a decimal row, rounded half to even, and refused beyond the
// page's typed form or outside -32768..32767.
TEST(PageDescription, TypedTextGivesEchoAndValue)
{
    const std::optional<int32_t> none;
    const struct {
        const PageDescription* page;
        int row;
        const char* typed;
        const char* echo;
        std::optional<int32_t> value;
    } cases[] = {
        // double typed value (alarm page): row 14 decimal, row 2 plain
        {&kIntoZero, 14, "12.5", "12.5", 125},   {&kIntoZero, 14, "12.50", "12.5", 125},
        {&kIntoZero, 14, "12.25", "12.25", 122}, {&kIntoZero, 14, "12.75", "12.75", 128},
        {&kIntoZero, 14, "12.34", "12.34", 123}, {&kIntoZero, 14, "0.25", "0.25", 2},
        {&kIntoZero, 14, "0.1499999999", "0.1499999999", 1},
        {&kIntoZero, 2, "12.5", "12.5", 12},     {&kIntoZero, 2, "13.5", "13.5", 14},
        {&kIntoZero, 1, "-5", "-5", -5},         {&kIntoZero, 1, "abc", "0", 0},
        {&kIntoZero, 1, "7abc", "7", 7},         {&kIntoZero, 1, "", "0", 0},
        {&kIntoZero, 1, "32767", "32767", 32767}, {&kIntoZero, 1, "-32768", "-32768", -32768},
        {&kIntoZero, 1, "40000", "40000", none}, {&kIntoZero, 1, "-99999", "-99999", none},
        {&kIntoZero, 1, "1e12", "1000000000000", none},
        {&kIntoZero, 14, "3276.8", "3276.8", none},
        // single typed value (grouped PID): rows 3 and 6 decimal
        {&kSingle, 3, "0.25", "0.25", 2},        {&kSingle, 3, "0.1499999999", "0.1499999999", 2},
        {&kSingle, 3, "10.5", "10.5", 105},      {&kSingle, 1, "3.49999999", "3.49999999", 4},
        {&kSingle, 1, "2.5", "2.5", 2},          {&kSingle, 1, "1e39", "1E+39", none},
        // whole number at the parse (grouped output)
        {&kFromBase, 1, "2.5", "2.5", 2},        {&kFromBase, 1, "3.5", "3.5", 4},
        {&kFromBase, 1, "1e10", "10000000000", none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " on row " + std::to_string(c.row));
        double editValue = -1;
        const pages::CellEntry entry =
            pages::ParseCellEntry(*c.page, c.row, QString::fromUtf8(c.typed), editValue);
        EXPECT_EQ(entry.echo, QString::fromUtf8(c.echo));
        EXPECT_EQ(entry.value, c.value);
    }
}

// A typed value that does not fit the page's form leaves EditValue as it
// was, so nothing of an earlier edit goes to the new row.
TEST(PageDescription, EditValueKeepsWhatItHeldWhenTheNumberDoesNotFit)
{
    double editValue = 0;
    pages::ParseCellEntry(kSingle, 3, QStringLiteral("1.5"), editValue);
    EXPECT_EQ(editValue, 15.0);
    EXPECT_FALSE(pages::ParseCellEntry(kSingle, 3, QStringLiteral("1e39"), editValue).value);
    EXPECT_EQ(editValue, 15.0);
    pages::ParseCellEntry(kFromBase, 1, QStringLiteral("2.5"), editValue);
    EXPECT_EQ(editValue, 2.0);
    EXPECT_FALSE(pages::ParseCellEntry(kFromBase, 1, QStringLiteral("1e10"), editValue).value);
    EXPECT_EQ(editValue, 2.0);
}

// The typed number as the page holds it, before the ten-times rule: what a
// page that keeps the typed value beside the register (the program editor)
// stores; nothing where the number does not fit the page's form.
TEST(PageDescription, TheTypedNumberBeforeScaling)
{
    const std::optional<double> none;
    const struct {
        const PageDescription* page;
        int row;
        const char* typed;
        std::optional<double> held;
    } cases[] = {
        {&kIntoOne, 3, "12.34", 12.34},       {&kIntoZero, 1, "7abc", 7.0},
        {&kSingle, 3, "1.5", 1.5},            {&kSingle, 3, "0.1", double(0.1f)},
        {&kSingle, 1, "1e39", none},          {&kSingle, 3, "4000", 4000.0},
        {&kFromBase, 1, "2.5", 2.0},          {&kFromBase, 1, "1e10", none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        double editValue = 0;
        EXPECT_EQ(pages::ParseCellEntry(*c.page, c.row, QString::fromUtf8(c.typed), editValue).typed,
                  c.held);
    }
}

class PageModel : public testsupport::LinkTest {
protected:
    std::vector<QString> Values(const pages::ParameterModel& m)
    {
        std::vector<QString> v;
        for (int row = 1; row <= m.Page().RowCount(); ++row)
            v.push_back(m.ValueText(row));
        return v;
    }
    pages::PageState state{51};
};

// One read of the block shows every row from its element; the tail is
// read and shown nowhere; only cells that changed are touched.
TEST_F(PageModel, ReadShowsEveryRowAndTouchesOnlyChangedCells)
{
    for (int reg = 601; reg <= 616; ++reg)
        line->setReg(reg, 0);
    line->setReg(601, -5);
    line->setReg(602, 20);
    line->setReg(614, 125);
    line->setReg(615, 777);
    pages::ParameterModel model(kIntoZero, state);
    EXPECT_EQ(model.rowCount(), 14);
    EXPECT_TRUE(model.ValueText(1).isEmpty());
    // Each change notice as the span of cells it names.
    std::vector<std::pair<QModelIndex, QModelIndex>> changed;
    QObject::connect(&model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) { changed.emplace_back(from, to); });

    ASSERT_TRUE(model.RefreshPage());
    EXPECT_EQ(line->requests().back(), (zc4160sim::Request{1, 3, 600, 16}));
    EXPECT_EQ(model.ValueText(1), QStringLiteral("-5"));
    EXPECT_EQ(model.ValueText(2), QStringLiteral("20"));
    EXPECT_EQ(model.ValueText(14), QStringLiteral("12.5"));
    EXPECT_EQ(state.PageBuffer[14], 777);   // read, never shown
    for (const QString& text : Values(model))
        EXPECT_NE(text, QStringLiteral("777"));
    EXPECT_EQ(changed.size(), 1u);

    changed.clear();
    ASSERT_TRUE(model.RefreshPage());
    EXPECT_EQ(changed.size(), 0u);
    line->setReg(614, 1000);
    ASSERT_TRUE(model.RefreshPage());
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].first, model.index(13, pages::ValueColumn));
    EXPECT_EQ(changed[0].second, model.index(13, pages::ValueColumn));
    EXPECT_EQ(model.ValueText(14), QStringLiteral("100"));
}

// A failed read shows this visit's last good read again, so an echo goes
// and no zeros appear; a visit without a good read shows empty cells, not
// the previous visit's values that the page buffer still holds.
TEST_F(PageModel, AFailedReadShowsThisVisitsLastGoodRead)
{
    line->setReg(601, 42);
    line->setReg(614, 125);
    {
        pages::ParameterModel visit(kIntoZero, state);
        ASSERT_TRUE(visit.RefreshPage());
        visit.SetValueText(1, QStringLiteral("7"));   // an echo
        line->setFault(zc4160sim::Fault::NoAnswer);
        EXPECT_FALSE(visit.RefreshPage());
        EXPECT_EQ(visit.ValueText(1), QStringLiteral("42"));
        EXPECT_EQ(visit.ValueText(14), QStringLiteral("12.5"));
    }
    pages::ParameterModel next(kIntoZero, state);
    next.SetValueText(2, QStringLiteral("9"));
    EXPECT_FALSE(next.RefreshPage());
    EXPECT_EQ(state.PageBuffer[0], 42);
    for (const QString& text : Values(next))
        EXPECT_TRUE(text.isEmpty());
    line->setFault(zc4160sim::Fault::None);
    EXPECT_TRUE(next.RefreshPage());
    EXPECT_EQ(next.ValueText(1), QStringLiteral("42"));
}

// A page whose read does not fit its state is refused when the model is
// made: one warning then, no read ever (no frame on the line, the buffer
// untouched), empty value cells. The refusals: the block past the end of
// the buffer, a row whose register lies outside the block (before it or
// after it), a block the link would not send, an element before the
// buffer. A page without a read of its own fits any state.
TEST_F(PageModel, APageThatDoesNotFitItsBufferIsRefusedWhereTheModelIsMade)
{
    auto shifted = [](PageDescription page, int readFirst, int readCount, int element) {
        page.readFirst = readFirst;
        page.readCount = readCount;
        page.bufferElement = element;
        return page;
    };
    const struct {
        const char* what;
        PageDescription page;
        size_t bufferSize;
        bool refused;
    } cases[] = {
        {"16 from element 1 in an empty buffer", kIntoOne, 0, true},
        {"16 from element 1 in 16", kIntoOne, 16, true},
        {"16 from element 1 in 17", kIntoOne, 17, false},
        {"14 rows, a block of 13", shifted(kIntoZero, 601, 13, 0), 51, true},
        {"14 rows, a block of 14", shifted(kIntoZero, 601, 14, 0), 51, false},
        {"the block starting after row 1", shifted(kIntoZero, 602, 16, 0), 51, true},
        {"a block of 65", shifted(kIntoZero, 601, 65, 0), 101, true},
        {"an element before the buffer", shifted(kIntoZero, 601, 16, -1), 51, true},
        {"no read of its own, no buffer", shifted(kIntoZero, 601, 0, 0), 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.page.FitsBuffer(c.bufferSize), !c.refused);
        line->clearRequests();
        pages::PageState small(c.bufferSize);
        std::fill(small.PageBuffer.begin(), small.PageBuffer.end(), 7);
        LogCapture log("zc4160.pages");
        pages::ParameterModel model(c.page, small);
        EXPECT_EQ(log.warnings().size(), c.refused ? 1 : 0);
        EXPECT_EQ(model.Reads(), !c.refused && c.page.readCount > 0);
        if (model.Reads()) {
            EXPECT_TRUE(model.RefreshPage());
            EXPECT_EQ(line->requests().size(), 1u);
            continue;
        }
        EXPECT_FALSE(model.RefreshPage());
        EXPECT_FALSE(model.RefreshPage());
        EXPECT_EQ(log.warnings().size(), c.refused ? 1 : 0);   // none per tick
        EXPECT_TRUE(model.ValueText(1).isEmpty());
        EXPECT_EQ(small.PageBuffer, std::vector<int32_t>(c.bufferSize, 7));
        EXPECT_TRUE(line->requests().empty());
    }
}

} // namespace
