// The import grids' model: the design's columns by field name with their
// captions, the display formats, all records or the one asked for.

#include "db/LogCapture.h"
#include "db/TempDatabase.h"
#include "exchange/RecordGrid.h"
#include "platform/basic/daynumbers.h"
#include "platform/db/Tables.h"

using namespace exchange;

namespace {

TEST(RecordGridCells, DatesTimesAndGeneralValuesShowAsTheGridShowsThem)
{
    // A time stored as a single reads back a hair off the second taken.
    const auto single = [](int seconds) { return double(float(seconds / 86400.0)); };
    struct Case {
        QVariant value;
        CellFormat format;
        const char* text;
    };
    const Case cases[] = {
        {basic::DayNumber(QDate(2026, 1, 5)), CellFormat::Date, "2026-1-5"},
        {double(float(basic::DayNumber(QDate(2019, 12, 13)))), CellFormat::Date, "2019-12-13"},
        {single(13 * 3600 + 5), CellFormat::Time, "13:00:05"},
        {(13 * 3600 + 5 - 0.001) / 86400, CellFormat::Time, "13:00:05"},
        {(13 * 3600 + 5 + 0.001) / 86400, CellFormat::Time, "13:00:05"},
        {single(86399), CellFormat::Time, "23:59:59"},
        {0.0, CellFormat::Time, "0:00:00"},
        {0.5, CellFormat::Time, "12:00:00"},
        {QVariant(), CellFormat::Date, ""},
        {QVariant(), CellFormat::General, ""},
        {qint64(-42), CellFormat::General, "-42"},
        {double(float(43812.0)), CellFormat::General, "43812"},
        {single(13 * 3600 + 5), CellFormat::General, "0.5417246"},
        {0.1, CellFormat::General, "0.1"},
        {QStringLiteral(" op1 "), CellFormat::General, " op1 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CellText(c.value, c.format), QString::fromUtf8(c.text))
            << c.value.toString().toStdString();
}

class RecordGridTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db::OpenConnection(kConn).isOpen()); }
    void TearDown() override { db::CloseConnection(kConn); }
    void AddConf(const QString& name, double day, double time)
    {
        t.exec(QStringLiteral("insert into CONF (CAZZ, DAT, TI, \"1\", \"120\", \"121\") "
                              "values (?, ?, ?, 11, 1200, 1210)"),
               {name, day, time});
    }
    static inline const QString kConn = QStringLiteral("test-grid");
    TempDatabase t;
    QueryFault fault{QStringLiteral("test: a query of the grid")};
};

TEST_F(RecordGridTest, ConfigurationGridListsAllOrOneWithItsColumns)
{
    const double day = basic::DayNumber(QDate(2026, 3, 14));
    AddConf(QStringLiteral("op1"), day, double(float(0.5)));
    AddConf(QStringLiteral("op2"), day + 1, double(float((9 * 3600 + 7) / 86400.0)));
    RecordGridModel model(kConn, ConfigGrid(), fault);
    model.ShowAll();
    ASSERT_EQ(model.columnCount(), 124);
    ASSERT_EQ(model.rowCount(), 2);
    const char* captions[] = {"编号", "用户", "日期", "时间", "1", "2"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(captions[c]));
    EXPECT_EQ(model.headerData(123, Qt::Horizontal).toString(), QStringLiteral("120"));
    auto cell = [&](int row, int column) { return model.index(row, column).data().toString(); };
    EXPECT_EQ(cell(1, 0), QStringLiteral("2"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("op2"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("2026-3-15"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("9:00:07"));
    EXPECT_EQ(cell(1, 4), QStringLiteral("11"));
    EXPECT_EQ(cell(1, 123), QStringLiteral("1200"));   // field "121" has no column

    model.ShowRecord(2);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(cell(0, 1), QStringLiteral("op2"));
    for (std::optional<qint64> none : {std::optional<qint64>(7), std::optional<qint64>()}) {
        model.ShowRecord(none);
        EXPECT_EQ(model.rowCount(), 0);
        EXPECT_EQ(model.columnCount(), 124);
    }
    model.Release();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(RecordGridTest, CalibrationGridShowsEveryColumnInGeneralFormat)
{
    const double day = basic::DayNumber(QDate(2026, 3, 14));
    t.exec(QStringLiteral("insert into Calibration (USER, DATE, TIME, NOTE, \"P-10VHI\", \"CLEAR\", "
                          "F45, F46) values ('cal', ?, ?, 'r1', 5, 44, 45, 46)"),
           {day, double(float(0.25))});
    RecordGridModel model(kConn, CalibrationGrid(), fault);
    model.ShowRecord(1);
    ASSERT_EQ(model.columnCount(), 45);
    ASSERT_EQ(model.rowCount(), 1);
    const char* captions[] = {"序号", "操作信息", "日期", "时间", "操作摘要", "P-10VHI"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(captions[c]));
    EXPECT_EQ(model.headerData(18, Qt::Horizontal).toString(), QStringLiteral("S-10VHI"));
    EXPECT_EQ(model.headerData(44, Qt::Horizontal).toString(), QStringLiteral("CLEAR"));
    const QStringList row = [&] {
        QStringList r;
        for (int c = 0; c < 6; ++c)
            r << model.index(0, c).data().toString();
        return r;
    }();
    EXPECT_EQ(row, (QStringList{"1", "cal", QString::number(qint64(day)), "0.25", "r1", "5"}));
    EXPECT_EQ(model.index(0, 44).data().toString(), QStringLiteral("44"));
}

TEST_F(RecordGridTest, ARefusedQueryShowsNoRecordAndIsLoggedOncePerFault)
{
    struct Case {
        const GridDesign* design;
        const char* table;
        int columns;
    };
    const Case cases[] = {{&ConfigGrid(), "CONF", 124}, {&CalibrationGrid(), "Calibration", 45}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const QString table = QString::fromLatin1(c.table);
        QueryFault tableFault(QStringLiteral("test: a query of ") + table);
        RecordGridModel model(kConn, *c.design, tableFault);
        LogCapture log("zc4160.exchange");
        // Each call is a try of its own, as a window's load and presses are.
        auto tryOnce = [&](auto query) {
            const bool ran = query();
            tableFault.TryOver();
            return ran;
        };
        t.exec(QStringLiteral("alter table %1 rename to away").arg(table));
        EXPECT_FALSE(tryOnce([&] { return model.ShowAll(); }));
        EXPECT_FALSE(tryOnce([&] { return model.ShowRecord(1); }));
        EXPECT_FALSE(tryOnce([&] { return model.ShowAll(); }));
        // No record, under the design's columns.
        EXPECT_EQ(model.rowCount(), 0);
        EXPECT_EQ(model.columnCount(), c.columns);
        ASSERT_EQ(log.warnings().size(), 1);
        EXPECT_TRUE(log.warnings()[0].contains(QStringLiteral("no such table: ") + table))
            << log.warnings()[0].toStdString();

        // A try that runs ends the fault; the next failure logs again.
        t.exec(QStringLiteral("alter table away rename to %1").arg(table));
        EXPECT_TRUE(tryOnce([&] { return model.ShowRecord(1); }));
        EXPECT_EQ(model.rowCount(), 0);
        EXPECT_EQ(log.warnings().size(), 1);
        t.exec(QStringLiteral("alter table %1 rename to away").arg(table));
        EXPECT_FALSE(tryOnce([&] { return model.ShowRecord(1); }));
        EXPECT_EQ(log.warnings().size(), 2);
        t.exec(QStringLiteral("alter table away rename to %1").arg(table));
    }
}

TEST_F(RecordGridTest, WithoutADatabaseTheGridIsEmpty)
{
    db::CloseConnection(kConn);
    RecordGridModel model(kConn, ConfigGrid(), fault);
    LogCapture log("zc4160.exchange");
    EXPECT_TRUE(model.ShowAll());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(model.ShowRecord(1));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(fault.FailedThisTry());
    EXPECT_TRUE(log.warnings().isEmpty());   // the window's load says it
}

} // namespace
