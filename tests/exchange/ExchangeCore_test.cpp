// The exchange windows' widget-free parts: the pattern texts, the record
// number rule and the whole-record check, the export's reads and request,
// and the import's write loop, over a pseudo-terminal to the simulator.

#include "ExchangeReset.h"
#include "basic/LogLines.h"
#include "db/LogCapture.h"
#include "db/TempDatabase.h"
#include "device/DeviceFixture.h"
#include "exchange/ExchangeCore.h"
#include "exchange/ExchangeShared.h"
#include "exchange/RecordGrid.h"
#include "platform/basic/daynumbers.h"
#include "platform/basic/numbers.h"
#include "platform/db/DatabaseFile.h"
#include "platform/db/Tables.h"
#include "platform/modbus/modbus_rtu.h"
#include "trend/mscom.h"

#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <memory>
#include <sqlite3.h>
#include <vector>

using namespace exchange;
using testsupport::ResetExchange;
using testsupport::ValueOf;

namespace {

TEST(ExchangeTexts, PercentShowsTwoDecimalsWithHalvesAwayFromZero)
{
    struct Case {
        int i, last;
        const char* text;
    };
    // p = i / last x 100 as the loops compute it; i / 160 x 100 lands on a
    // half at every odd i.
    const Case cases[] = {
        {0, 160, "0.00%"},   {1, 160, "0.63%"},   {2, 160, "1.25%"},  {3, 160, "1.88%"},
        {5, 160, "3.13%"},   {159, 160, "99.38%"}, {160, 160, "100.00%"},
        {1, 41, "2.44%"},    {40, 41, "97.56%"},  {41, 41, "100.00%"},
    };
    for (const Case& c : cases) {
        WriteRun run(4097, c.last + 1);
        EXPECT_EQ(PercentText(run.Percent(c.i)), QString::fromUtf8(c.text)) << c.i << "/" << c.last;
    }
}

TEST(ExchangeProgress, AStepIsShownOnceAFrameHasPassedAndTheFirstAndLastAlways)
{
    struct Step {
        qint64 ms;
        bool last;
        bool shown;
    };
    // A frame is 16 ms, counted from the last step shown.
    const Step steps[] = {
        {100, false, true},  {105, false, false}, {115, false, false}, {116, false, true},
        {120, false, false}, {131, false, false}, {133, false, true},  {134, true, true},
        {135, true, true},
    };
    qint64 now = 0;
    ProgressPace pace([&] { return now; });
    for (const Step& s : steps) {
        now = s.ms;
        EXPECT_EQ(pace.Due(s.last), s.shown) << s.ms;
    }
    // Without a clock of its own (the steady one) the first and the last
    // step show all the same.
    ProgressPace steady;
    EXPECT_TRUE(steady.Due(false));
    EXPECT_TRUE(steady.Due(true));
}

TEST(ExchangeTexts, DigitPatternRoundsTheFifteenDigitsAPersonReads)
{
    struct Case {
        double value;
        int integers, decimals;
        const char* text;
    };
    const Case cases[] = {
        {2.675, 1, 2, "2.68"},      // the double lies below 2.675
        {-1.005, 1, 2, "-1.01"},    // away from zero on the negative side too
        {0.005, 1, 2, "0.01"},
        {0.004, 1, 2, "0.00"},
        {-0.001, 1, 2, "0.00"},
        {1.25, 5, 4, "00001.2500"},
        {123456.7, 5, 4, "123456.7000"},
        {0, 5, 4, "00000.0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(basic::DigitPatternText(c.value, c.integers, c.decimals), QString::fromUtf8(c.text))
            << c.value;
}

TEST(ExchangeTexts, SaveNumberIsTheSingleSumOfDayAndSecond)
{
    const QDate day43812 = basic::DateFromDayNumber(43812);
    struct Case {
        QDate date;
        QTime time;
        const char* text;
    };
    const Case cases[] = {
        {day43812, QTime(12, 0, 0), "43812.5000"},
        // Steps of 1/256 day: a second later shows the same.
        {day43812, QTime(12, 0, 1), "43812.5000"},
        {day43812, QTime(12, 5, 38), "43812.5039"},
        // Milliseconds are not part of the stamp.
        {day43812, QTime(12, 0, 0, 999), "43812.5000"},
        {basic::DateFromDayNumber(1), QTime(6, 0, 0), "00001.2500"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SaveNumberText(StampOf(QDateTime(c.date, c.time))), QString::fromUtf8(c.text))
            << c.time.toString().toStdString();
    const Stamp noon = StampOf(QDateTime(day43812, QTime(12, 0, 0)));
    EXPECT_EQ(noon.StampDate, 43812.0f);
    EXPECT_EQ(noon.StampTime, 0.5f);
}

TEST(ExchangeImport, RecordNumberIsTheWholeLeadingNumber)
{
    struct Case {
        const char* entry;
        std::optional<qint64> number;
    };
    const Case cases[] = {
        {"abc", std::nullopt}, {" 7", 7},   {"12xy", 12},   {"2.5", std::nullopt},
        {"", std::nullopt},    {"0", std::nullopt}, {"1 2", 12}, {"-3", -3},
        {"3.0", 3},            {"1e400", std::nullopt},
        {"１２", 12},          {"－３", -3}, {"２．５", std::nullopt}, {"ａｂｃ", std::nullopt},
        {"１ｅ１", 10},        {"　１２", 12}, {"\u00A07", 7}, {"２。５", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordNumberOf(QString::fromUtf8(c.entry)), c.number) << c.entry;
}

// A record is made of the values a register write carries, the same rule
// the write applies: so a record that is taken can be written whole.
TEST(ExchangeImport, OnlyPresentWholeValuesThatFitARegisterMakeARecord)
{
    EXPECT_EQ(WholeValues({1, -2, 12.0, QStringLiteral("7"), 65535, -32768}),
              (std::vector<int32_t>{1, -2, 12, 7, 65535, -32768}));
    const QVariant bad[] = {
        QVariant(), 2.5, QStringLiteral("abc"), QStringLiteral(""), 65536, -32769, 70000,
        -40000, 4294967296.0, QVariant::fromValue(qint64(-2147483649LL)),
    };
    for (const QVariant& field : bad) {
        int refused = -1;
        EXPECT_FALSE(WholeValues({1, 2, field}, &refused)) << field.toString().toStdString();
        EXPECT_EQ(refused, 2) << field.toString().toStdString();
        // The write itself refuses what the record refuses.
        EXPECT_FALSE(RegisterValueOf(field).has_value());
        bool ok = false;
        const double v = field.toDouble(&ok);
        if (ok && v == std::floor(v))
            EXPECT_FALSE(modbus::FitsRegister(v)) << v;
    }
}

// Records stored through the recorder, as the export leaves them.
class ImportRecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetExchange();
        recorder = std::make_unique<mscom>([] { return QDateTime::currentDateTime(); }, kRecorder);
        recorder->Timer1.stop();
        db::OpenConnection(kWindow);
    }
    void TearDown() override
    {
        recorder.reset();
        db::CloseConnection(kRecorder);
        db::CloseConnection(kWindow);
        ResetExchange();
    }
    // Exports CONF record n with register r = 1000 n + r - 4097, in one
    // tick of the recorder; SaveConfResult tells what became of it.
    void ExportConf(int n)
    {
        for (int i = 0; i < 192; ++i)
            ConfBuf[size_t(i)] = 1000 * n + i;
        SaveConfFlag = true;
        recorder->Timer1_Timer();
    }
    // The same with Calibration record n, register r = 1000 n + r - 24577.
    void ExportCali(int n)
    {
        for (int i = 0; i < 64; ++i)
            CaliBuf[size_t(i)] = 1000 * n + i;
        SaveCaliFlag = true;
        recorder->Timer1_Timer();
    }
    // Stores them; the number stored.
    qint64 StoreConf(int n)
    {
        ExportConf(n);
        EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Stored);
        return SaveConfResult.recordNumber;
    }
    qint64 StoreCali(int n)
    {
        ExportCali(n);
        EXPECT_EQ(SaveCaliResult.outcome, SaveOutcome::Stored);
        return SaveCaliResult.recordNumber;
    }
    // What the import of record n writes, as StoreConf and StoreCali made it.
    static std::vector<int32_t> Written(const ImportRecord& record, int n)
    {
        std::vector<int32_t> values;
        for (int i = 0; i < record.count; ++i)
            values.push_back(1000 * n + i);
        return values;
    }
    static QStringList Names(const char* table)
    {
        return db::FieldNames(*db::FindTable(QString::fromLatin1(table)));
    }
    static inline const QString kRecorder = QStringLiteral("test-recorder");
    static inline const QString kWindow = QStringLiteral("test-import");
    TempDatabase t;
    std::unique_ptr<mscom> recorder;
};

TEST_F(ImportRecordsTest, TheEntryFindsTheRecordOfItsWholeNumber)
{
    for (int n = 1; n <= 12; ++n)
        ASSERT_EQ(StoreConf(n), n);
    // The values the import writes, by name; the key in the test.
    const QString conf = RecordQuerySql(ConfigImport());
    EXPECT_TRUE(conf.startsWith(QStringLiteral("select \"CONF\".\"1\", \"CONF\".\"2\", ")))
        << conf.toStdString();
    EXPECT_TRUE(conf.endsWith(
        QStringLiteral(", \"CONF\".\"161\" from  \"CONF\" where \"CONF\".\"C_ID\"=?")))
        << conf.toStdString();
    EXPECT_EQ(conf.count(u','), 160);
    const QString cali = RecordQuerySql(CalibrationImport());
    EXPECT_TRUE(cali.startsWith(QStringLiteral("select \"Calibration\".\"P-10VHI\", ")))
        << cali.toStdString();
    EXPECT_TRUE(cali.endsWith(QStringLiteral(
        ", \"Calibration\".\"F46\" from  \"Calibration\" where \"Calibration\".\"ID\"=?")))
        << cali.toStdString();
    EXPECT_EQ(cali.count(u','), 41);
    struct Case {
        const char* entry;
        int found;   // 0: nothing
    };
    const Case cases[] = {{"abc", 0}, {" 7", 7}, {"12xy", 12}, {"2.5", 0}, {"", 0}, {"13", 0}};
    for (const Case& c : cases) {
        const auto values = FindWholeRecord(kWindow, ConfigImport(),
                                            RecordNumberOf(QString::fromUtf8(c.entry)));
        ASSERT_EQ(values.has_value(), c.found != 0) << c.entry;
        if (!values)
            continue;
        ASSERT_EQ(values->size(), 161u);
        EXPECT_EQ(values->front(), 1000 * c.found);
        EXPECT_EQ(values->back(), 1000 * c.found + 160);
    }
}

// A record holding a value that is no register value is refused before any
// write, and the log names its field and value: for both records, whatever
// the reason. A field the import does not write may hold anything.
TEST_F(ImportRecordsTest, ARecordWithAValueNoRegisterHoldsIsRefusedAndSaysWhichField)
{
    struct Case {
        const char* field;
        const char* value;     // SQL
        const char* refused;   // what the warning says of the value; none: imported
        int32_t reg;
    };
    struct Record {
        const ImportRecord* record;
        const char* table;
        std::vector<Case> cases;
    };
    const Record records[] = {
        {&ConfigImport(), "CONF",
         {{"57", "70000", "holds 70000", 4153},
          {"57", "-40000", "holds -40000", 4153},
          {"57", "'abc'", "holds \"abc\"", 4153},
          {"161", "NULL", "holds nothing", 4257},
          {"1", "2.5", "holds 2.5", 4097},
          {"1", "''", "holds \"\"", 4097},
          {"57", "65535", nullptr, 4153},
          {"57", "-32768", nullptr, 4153},
          {"162", "NULL", nullptr, 0},
          {"192", "70000", nullptr, 0}}},
        {&CalibrationImport(), "Calibration",
         {{"P-4KL", "70000", "holds 70000", 0},
          {"F46", "'abc'", "holds \"abc\"", 24618},
          {"P-10VHI", "NULL", "holds nothing", 24577},
          {"F46", "-32768", nullptr, 24618}}},
    };
    for (const Record& r : records) {
        for (int n = 1; n <= 2; ++n)
            r.record == &ConfigImport() ? StoreConf(n) : StoreCali(n);
        const QStringList names = Names(r.table);
        const int first = r.record->firstValueField;
        for (const Case& c : r.cases) {
            SCOPED_TRACE(std::string(r.table) + ": \"" + c.field + "\" = " + c.value);
            const QString field = QString::fromLatin1(c.field);
            t.exec(QStringLiteral("update \"%1\" set \"%2\"=%3 where \"%4\"=2")
                       .arg(QString::fromLatin1(r.table), field, QString::fromLatin1(c.value),
                            names[0]));
            LogCapture log("zc4160.exchange");
            const auto values = FindWholeRecord(kWindow, *r.record, 2);
            EXPECT_TRUE(FindWholeRecord(kWindow, *r.record, 1));   // its neighbour is whole
            if (!c.refused) {
                ASSERT_TRUE(values);
                const int i = int(names.indexOf(field)) - first;
                if (i < r.record->count)
                    EXPECT_EQ((*values)[size_t(i)], QString::fromLatin1(c.value).toInt());
                EXPECT_TRUE(log.warnings().isEmpty()) << log.warnings().join(u'\n').toStdString();
            } else {
                EXPECT_FALSE(values);
                ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
                const int reg = r.record->firstRegister + int(names.indexOf(field)) - first;
                if (c.reg)
                    EXPECT_EQ(reg, c.reg);
                EXPECT_TRUE(log.Warned(0, QStringLiteral("record 2")));
                EXPECT_TRUE(log.Warned(0, QStringLiteral("field \"%1\" (register %2) %3")
                                              .arg(field).arg(reg)
                                              .arg(QString::fromLatin1(c.refused))));
            }
            // Whole again for the next case.
            const int i = int(names.indexOf(field)) - first;
            t.exec(QStringLiteral("update \"%1\" set \"%2\"=%3 where \"%4\"=2")
                       .arg(QString::fromLatin1(r.table), field).arg(2000 + i).arg(names[0]));
        }
    }
    // Without a database nothing is found and nothing fails louder.
    db::CloseConnection(kWindow);
    LogCapture log("zc4160.exchange");
    EXPECT_FALSE(FindWholeRecord(kWindow, ConfigImport(), 2));
    EXPECT_TRUE(log.warnings().isEmpty());
}

// A stored text is the file's, not the station's: in the warning it can
// neither start a line of its own, nor reach the terminal as an escape
// sequence, nor make the line as long as itself.
TEST_F(ImportRecordsTest, ARefusedTextStaysInsideItsOneShortLine)
{
    StoreConf(1);
    StoreConf(2);
    const struct {
        QString value;
        QString shown;
    } cases[] = {
        {QStringLiteral("7\nzc4160.exchange: forged"),
         QStringLiteral("holds \"7\\nzc4160.exchange: forged\", which")},
        {QStringLiteral("\x1B[31mred"), QStringLiteral("holds \"\\x1B[31mred\", which")},
        {QString(100000, u'x'),
         QStringLiteral("holds \"%1\"\u2026 (100000 characters), which").arg(QString(40, u'x'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        t.exec(QStringLiteral("update CONF set \"57\"=? where \"%1\"=2").arg(Names("CONF")[0]),
               {c.value});
        LogCapture log("zc4160.exchange");
        EXPECT_FALSE(FindWholeRecord(kWindow, ConfigImport(), 2));
        ASSERT_EQ(log.warnings().size(), 1);
        const QString& line = log.warnings()[0];
        EXPECT_FALSE(line.contains(u'\n'));
        EXPECT_FALSE(line.contains(QChar(0x1B)));
        EXPECT_LT(line.size(), 1000);
        EXPECT_TRUE(testsupport::SafeLine("zc4160.exchange", line));
        EXPECT_TRUE(log.Warned(0, c.shown));
    }
}

TEST_F(ImportRecordsTest, ARefusedQueryIsLoggedOnceUntilATryRunsAgain)
{
    StoreConf(1);
    QueryFault fault(QStringLiteral("test: a query of CONF"));
    LogCapture log("zc4160.exchange");
    // Each lookup a try of its own, as each press of the window's button.
    auto find = [&](qint64 n) {
        auto values = FindWholeRecord(kWindow, ConfigImport(), n, &fault);
        fault.TryOver();
        return values;
    };

    // The table gone: two queries find nothing, one warning carries the
    // database's own text.
    t.exec(QStringLiteral("alter table CONF rename to CONF_away"));
    EXPECT_FALSE(find(1));
    EXPECT_FALSE(find(1));
    ASSERT_EQ(log.warnings().size(), 1);
    EXPECT_TRUE(log.warnings()[0].contains(QStringLiteral("no such table: CONF")))
        << log.warnings()[0].toStdString();
    EXPECT_TRUE(fault.Active());

    // Back again: a query that runs ends the fault, found or not.
    t.exec(QStringLiteral("alter table CONF_away rename to CONF"));
    EXPECT_TRUE(find(1));
    EXPECT_FALSE(find(99));
    EXPECT_FALSE(fault.Active());
    EXPECT_EQ(log.warnings().size(), 1);

    // A failure in a try ends no fault, whatever ran beside it in that try.
    t.exec(QStringLiteral("alter table CONF rename to CONF_away"));
    EXPECT_FALSE(FindWholeRecord(kWindow, ConfigImport(), 1, &fault));
    EXPECT_TRUE(fault.FailedThisTry());
    fault.TryOver();
    EXPECT_TRUE(fault.Active());
    EXPECT_EQ(log.warnings().size(), 2);
    t.exec(QStringLiteral("alter table CONF_away rename to CONF"));

    // Without a connection nothing is found and nothing more is logged: the
    // window's load has said that the file did not open.
    db::CloseConnection(kWindow);
    fault.TryOver();
    EXPECT_FALSE(find(1));
    EXPECT_FALSE(fault.Active());
    EXPECT_EQ(log.warnings().size(), 2);
}

// The database's error text can carry what the file holds, here the name
// of a table that a view standing for CONF reads: the lookup's warning
// shows it escaped and short.
TEST_F(ImportRecordsTest, AForgedDatabaseErrorStaysInsideItsOneShortLine)
{
    StoreConf(1);
    t.exec(QStringLiteral("alter table CONF rename to CONF_away"));
    for (const testsupport::ForgedText& forged : testsupport::ForgedTexts()) {
        SCOPED_TRACE(forged.shown.toStdString());
        t.exec(QStringLiteral("drop view if exists CONF"));
        t.exec(QStringLiteral("create view CONF as select * from %1")
                   .arg(db::QuotedName(forged.text)));
        QueryFault fault(QStringLiteral("test: a query of CONF"));
        LogCapture log("zc4160.exchange");
        EXPECT_FALSE(FindWholeRecord(kWindow, ConfigImport(), 1, &fault));
        ASSERT_EQ(log.warnings().size(), 1);
        EXPECT_TRUE(log.Warned(0, QStringLiteral("test: a query of CONF failed: no such table")));
        EXPECT_TRUE(log.Warned(0, forged.shown));
        EXPECT_TRUE(testsupport::SafeLine("zc4160.exchange", log.warnings()[0]));
    }
    t.exec(QStringLiteral("drop view CONF"));
    t.exec(QStringLiteral("alter table CONF_away rename to CONF"));
    EXPECT_TRUE(FindWholeRecord(kWindow, ConfigImport(), 1));
}

// A table rebuilt by another program: the lookup reads the record's values
// by their names, so the order and the fields it does not write do not
// matter; without its key or a field it writes it finds nothing and says
// which field. The window's connection is open throughout, as the window's
// is while the table is rebuilt under it.
TEST_F(ImportRecordsTest, TheRecordIsReadByItsFieldNamesWhateverShapeTheTableHas)
{
    for (int n = 1; n <= 3; ++n) {
        StoreConf(n);
        StoreCali(n);
    }
    struct Shape {
        const char* how;
        const char* drop;      // the field left out, if any
        bool extraFirst;       // an empty field of no use in front
        bool reversed;
        const char* missing;   // what the warning names; none: the record is found
    };
    struct Record {
        const ImportRecord* record;
        const char* table;
        std::vector<Shape> shapes;
    };
    const Record records[] = {
        {&ConfigImport(), "CONF",
         {{"a value field in the middle missing", "100", false, false, "100"},
          {"the last value field written missing", "161", false, false, "161"},
          {"the last value field stored missing", "192", false, false, nullptr},
          {"the key missing", "C_ID", false, false, "C_ID"},
          {"an extra field", nullptr, true, false, nullptr},
          {"the fields in reverse order", nullptr, false, true, nullptr}}},
        {&CalibrationImport(), "Calibration",
         {{"a value field in the middle missing", "P-4KL", false, false, "P-4KL"},
          {"the last value field missing", "F46", false, false, "F46"},
          {"the key missing", "ID", false, false, "ID"},
          {"an extra field", nullptr, true, false, nullptr},
          {"the fields in reverse order", nullptr, false, true, nullptr}}},
    };
    for (const Record& r : records) {
        const QString table = QString::fromLatin1(r.table);
        const QStringList names = Names(r.table);
        t.keep(table);
        for (const Shape& shape : r.shapes) {
            SCOPED_TRACE(std::string(r.table) + ": " + shape.how);
            QStringList fields = names;
            if (shape.drop)
                fields.removeOne(QString::fromLatin1(shape.drop));
            if (shape.extraFirst)
                fields.prepend(QStringLiteral("extra"));
            if (shape.reversed)
                std::reverse(fields.begin(), fields.end());
            t.rebuild(table, fields, names[0]);

            QueryFault fault(QStringLiteral("test: a query of ") + table);
            LogCapture log("zc4160.exchange");
            const auto values = FindWholeRecord(kWindow, *r.record, 2, &fault);
            if (!shape.missing) {
                ASSERT_TRUE(values);
                EXPECT_EQ(*values, Written(*r.record, 2));
                EXPECT_TRUE(log.warnings().isEmpty());
                continue;
            }
            EXPECT_FALSE(values);
            ASSERT_EQ(log.warnings().size(), 1);
            EXPECT_TRUE(log.Warned(0, QStringLiteral("no such column: %1.%2")
                                          .arg(table, QString::fromLatin1(shape.missing))));
        }
        t.rebuild(table, names, names[0]);
    }
}

// Where a connection reads a lone quoted name that the table lacks as a
// text (the switch-off did not take), the lookup still refuses a table
// without a field it writes: its names carry their table.
TEST_F(ImportRecordsTest, AMissingFieldIsRefusedEvenWhereNamesReadAsTexts)
{
    StoreConf(1);
    QStringList names = Names("CONF");
    t.keep(QStringLiteral("CONF"));
    names.removeOne(QStringLiteral("100"));
    t.rebuild(QStringLiteral("CONF"), names, names[0]);
    const QSqlDatabase d = QSqlDatabase::database(kWindow, false);
    sqlite3* handle = db::NativeHandle(d);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 1, nullptr), SQLITE_OK);
    QSqlQuery q(d);
    ASSERT_TRUE(q.exec(QStringLiteral("select \"100\" from \"CONF\"")) && q.next());
    EXPECT_EQ(q.value(0), QVariant(QStringLiteral("100")));   // as a text
    q.finish();

    QueryFault fault(QStringLiteral("test: a query of CONF"));
    LogCapture log("zc4160.exchange");
    EXPECT_FALSE(FindWholeRecord(kWindow, ConfigImport(), 1, &fault));
    EXPECT_TRUE(log.Warned(0, QStringLiteral("no such column: CONF.100")));
    ASSERT_EQ(sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr), SQLITE_OK);
    t.rebuild(QStringLiteral("CONF"), Names("CONF"), names[0]);
    EXPECT_TRUE(FindWholeRecord(kWindow, ConfigImport(), 1, &fault));
}

// Another program rebuilds CONF without a field and back again, six times,
// while the window's connection has queried it: every query after a rebuild
// reads the record by its names or refuses, and each refusal is one fault.
// A query of all fields ("*") would be prepared against the shape the
// connection saw before and, run against the new one, overrun the driver's
// row buffer.
TEST_F(ImportRecordsTest, ATableRebuiltAgainAndAgainUnderTheWindowIsReadOrRefused)
{
    StoreConf(1);
    StoreConf(2);
    const QStringList names = Names("CONF");
    QStringList without = names;
    without.removeOne(QStringLiteral("100"));
    QStringList backAtTheEnd = without;
    backAtTheEnd << QStringLiteral("100");
    t.keep(QStringLiteral("CONF"));

    QueryFault fault(QStringLiteral("test: a query of CONF"));
    RecordGridModel grid(kWindow, ConfigGrid(), fault);
    LogCapture log("zc4160.exchange");
    ASSERT_TRUE(grid.ShowAll());
    ASSERT_EQ(grid.rowCount(), 2);
    const int column100 = 4 + 99;   // the four leading columns, then "1" on
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE(round);
        t.rebuild(QStringLiteral("CONF"), without, names[0]);
        EXPECT_FALSE(FindWholeRecord(kWindow, ConfigImport(), 2, &fault));
        EXPECT_FALSE(grid.ShowRecord(2));
        EXPECT_EQ(grid.rowCount(), 0);
        fault.TryOver();
        EXPECT_EQ(log.warnings().size(), round);
        EXPECT_TRUE(log.Warned(-1, QStringLiteral("no such column: CONF.100")));

        t.rebuild(QStringLiteral("CONF"), backAtTheEnd, names[0]);
        const auto values = FindWholeRecord(kWindow, ConfigImport(), 2, &fault);
        ASSERT_TRUE(values);
        EXPECT_EQ(*values, Written(ConfigImport(), 2));
        ASSERT_TRUE(grid.ShowRecord(2));
        ASSERT_EQ(grid.rowCount(), 1);
        EXPECT_EQ(grid.index(0, column100).data().toString(), QStringLiteral("2099"));
        fault.TryOver();
        EXPECT_FALSE(fault.Active());
    }
    EXPECT_EQ(log.warnings().size(), 6);
}

// "数据导出成功" only for a record that its number finds. In every shape
// another program may leave a record table in, an export is told stored
// only where the operator can enter its number and the import's lookup by
// that number finds the new record alone, with the values just exported;
// else it is told failed, with one warning, and nothing of it stays.
TEST_F(ImportRecordsTest, AnExportIsStoredOnlyWhereItsNumberFindsItAlone)
{
    enum Table { Installed, KeyWithoutCount, Keyless };
    struct Shape {
        const char* how;
        Table table;
        const char* held;         // the numbers of the records there, as SQL values
        const char* keyDefault;   // SQL, of a keyless table's number field
        const char* renumbered;   // SQL, the number a trigger writes in place of the given one
        qint64 number;            // the new record's; 0: not stored
    };
    const Shape shapes[] = {
        {"as installed", Installed, "(1), (2)", nullptr, nullptr, 3},
        {"as installed, the highest just below the last number entered", Installed,
         "(8999999999999998)", nullptr, nullptr, 8999999999999999},
        {"as installed, the last number entered held", Installed, "(9000000000000000)",
         nullptr, nullptr, 0},
        {"as installed, the last number SQLite gives held", Installed,
         "(9223372036854775807)", nullptr, nullptr, 0},
        {"its key without the count, the last number entered held", KeyWithoutCount,
         "(9000000000000000)", nullptr, nullptr, 0},
        {"keyless", Keyless, "(1), ('7')", nullptr, nullptr, 8},
        {"keyless, the number's default the text of one held", Keyless, "(1), (9)", "'9'",
         nullptr, 0},
        {"keyless, the number's default the text of none held", Keyless, "(1)", "'9'",
         nullptr, 0},
        {"keyless, the number's default one held", Keyless, "(1), (9)", "9", nullptr, 0},
        {"keyless, the number's default one not held", Keyless, "(1)", "9", nullptr, 9},
        {"keyless, a trigger writing the text of a number held", Keyless, "(1), (9)", nullptr,
         "'9'", 0},
        {"keyless, a trigger writing a number held", Keyless, "(1), (9)", nullptr, "9", 0},
        {"keyless, a trigger writing a number no entry takes", Keyless, "(1)", nullptr,
         "9000000000000001", 0},
        {"keyless, a trigger taking the number away", Keyless, "(1)", nullptr, "NULL", 0},
    };
    struct Record {
        const ImportRecord* record;
        const char* table;
        bool calibration;
        const SaveResult* result;
    };
    const Record records[] = {
        {&ConfigImport(), "CONF", false, &SaveConfResult},
        {&CalibrationImport(), "Calibration", true, &SaveCaliResult},
    };
    for (const Record& r : records) {
        const QString table = QString::fromLatin1(r.table);
        const QString key = Names(r.table)[0];
        for (const Shape& shape : shapes) {
            SCOPED_TRACE(std::string(r.table) + ": " + shape.how);
            t.reinstall(table);
            if (shape.table == KeyWithoutCount) {
                t.keep(table);
                t.rebuild(table, Names(r.table), key);
            } else if (shape.table == Keyless) {
                t.dropKey(table, QString::fromLatin1(shape.keyDefault));
            }
            t.exec(QStringLiteral("insert into \"%1\" (\"%2\") values %3")
                       .arg(table, key, QLatin1String(shape.held)));
            if (shape.renumbered)
                t.renumber(table, key, QString::fromLatin1(shape.renumbered));
            const QVariant before = t.scalar(QStringLiteral("select count(*) from \"%1\"").arg(table));
            // A recorder of its own, so that each shape's fault is told.
            recorder.reset();
            db::CloseConnection(kRecorder);
            recorder = std::make_unique<mscom>([] { return QDateTime::currentDateTime(); },
                                               kRecorder);
            recorder->Timer1.stop();
            LogCapture log("zc4160.recorder");
            if (r.calibration)
                ExportCali(3);
            else
                ExportConf(3);
            t.stopRenumbering();
            if (!shape.number) {
                EXPECT_EQ(r.result->outcome, SaveOutcome::Failed);
                EXPECT_EQ(t.scalar(QStringLiteral("select count(*) from \"%1\"").arg(table)),
                          before);
                EXPECT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
                continue;
            }
            ASSERT_EQ(r.result->outcome, SaveOutcome::Stored)
                << log.warnings().join(u'\n').toStdString();
            EXPECT_EQ(r.result->recordNumber, shape.number);
            EXPECT_TRUE(log.warnings().isEmpty()) << log.warnings().join(u'\n').toStdString();
            // The operator enters the number; the lookup finds the new
            // record, and it alone.
            const std::optional<qint64> entered =
                RecordNumberOf(QString::number(r.result->recordNumber));
            EXPECT_EQ(entered, shape.number);
            const auto values = FindWholeRecord(kWindow, *r.record, entered);
            ASSERT_TRUE(values);
            EXPECT_EQ(*values, Written(*r.record, 3));
            EXPECT_EQ(t.scalar(QStringLiteral("select count(*) from \"%1\" where %2")
                                   .arg(table, db::RecordNumberTest(table, key)),
                               {*entered}),
                      1);
        }
        t.reinstall(table);
    }
}

// The export and the import loop against the simulator.
class ExchangeLinkTest : public testsupport::LinkTest {
protected:
    void SetUp() override
    {
        ResetExchange();
        LinkTest::SetUp();
        for (int r = 4097; r <= 4288; ++r)
            line->setReg(r, ValueOf(r));
        for (int r = 24577; r <= 24640; ++r)
            line->setReg(r, ValueOf(r));
        line->clearRequests();
    }
    void TearDown() override
    {
        LinkTest::TearDown();
        ResetExchange();
    }
};

using Req = zc4160sim::Request;

TEST_F(ExchangeLinkTest, ExportReadsThreeBlocksAndRaisesTheRequestOnlyWhenAllArrived)
{
    std::vector<int> progress;
    ASSERT_TRUE(RunExport(ConfigExport(), [&](int p) { progress.push_back(p); }));
    EXPECT_EQ(line->requests(), (std::vector<Req>{{1, 3, 4096, 64}, {1, 3, 4160, 64}, {1, 3, 4224, 64}}));
    EXPECT_EQ(progress, (std::vector<int>{20, 40, 60}));
    for (int i = 0; i < 192; ++i)
        ASSERT_EQ(ConfBuf[size_t(i)], ValueOf(4097 + i)) << i;
    for (size_t i = 192; i < ConfBuf.size(); ++i)
        ASSERT_EQ(ConfBuf[i], 0) << i;
    EXPECT_TRUE(SaveConfFlag);
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::Pending);

    // A failing export before the recorder's tick leaves the pending
    // request whole: no value of the failed reads gets into ConfBuf.
    const auto before = ConfBuf;
    for (int r = 4097; r <= 4288; ++r)
        line->setReg(r, 1);
    line->silenceNext(1);   // the first read gets no answer, the others do
    progress.clear();
    LogCapture log("zc4160.exchange");
    EXPECT_FALSE(RunExport(ConfigExport(), [&](int p) { progress.push_back(p); }));
    EXPECT_EQ(ConfBuf, before);
    EXPECT_TRUE(SaveConfFlag);
    EXPECT_EQ(progress, (std::vector<int>{20, 40, 60}));
    EXPECT_EQ(log.warnings().size(), 1);

    WithdrawRequest(ConfigExport());
    EXPECT_FALSE(SaveConfFlag);
    EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::None);
}

TEST_F(ExchangeLinkTest, ExportFromASilentOrClosedLineRequestsNothing)
{
    for (auto fault : {zc4160sim::Fault::NoAnswer, zc4160sim::Fault::Exception}) {
        line->setFault(fault);
        line->clearRequests();
        EXPECT_FALSE(RunExport(ConfigExport()));
        EXPECT_EQ(line->requests().size(), 3u);   // every read is still sent
        EXPECT_FALSE(SaveConfFlag);
        EXPECT_EQ(SaveConfResult.outcome, SaveOutcome::None);
        EXPECT_EQ(ConfBuf[0], 0);
    }
    line->setFault(zc4160sim::Fault::None);
    CloseLink();
    EXPECT_FALSE(RunExport(CalibrationExport()));
    EXPECT_FALSE(SaveCaliFlag);

    ASSERT_EQ(OpenLink(testsupport::DefaultSelection()), 0);
    line->clearRequests();
    ASSERT_TRUE(RunExport(CalibrationExport()));
    EXPECT_EQ(line->requests(), (std::vector<Req>{{1, 3, 24576, 64}}));
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(CaliBuf[size_t(i)], ValueOf(24577 + i)) << i;
    EXPECT_TRUE(SaveCaliFlag);
}

TEST_F(ExchangeLinkTest, ResultTextFollowsTheRecorder)
{
    EXPECT_FALSE(ExportResultText({SaveOutcome::None, 0}));
    EXPECT_FALSE(ExportResultText({SaveOutcome::Pending, 0}));
    EXPECT_EQ(ExportResultText({SaveOutcome::Stored, 3}), QStringLiteral("数据导出成功"));
    EXPECT_EQ(ExportResultText({SaveOutcome::Failed, 0}), QStringLiteral("数据导出失败"));
}

// The writes of a run, in order, with their progress.
struct Steps {
    std::vector<QString> percent;
    std::vector<bool> last;
};

WriteRun RunRecorded(const ImportRecord& record, Steps& steps)
{
    return RunWrites(record, [] { return true; }, [&](const WriteRun& run, int i) {
        steps.percent.push_back(PercentText(run.Percent(i)));
        steps.last.push_back(run.Last(i));
    });
}

TEST_F(ExchangeLinkTest, ImportWritesEveryValueInOrderAndTellsTheFirstFailure)
{
    for (int i = 0; i < 161; ++i)
        ImportBuf[size_t(i)] = ValueOf(i) + 3;
    for (int r = 4097; r <= 4288; ++r)
        line->setReg(r, -1);
    line->refuseWritesTo(4101);
    Steps steps;
    LogCapture log("zc4160.exchange");
    const WriteRun run = RunRecorded(ConfigImport(), steps);

    const auto requests = line->requests();
    ASSERT_EQ(requests.size(), 161u);   // an exception is not repeated
    for (int i = 0; i < 161; ++i)
        EXPECT_EQ(requests[size_t(i)], (Req{1, 6, uint16_t(4096 + i), uint16_t(ImportBuf[size_t(i)])})) << i;
    for (int r = 4097; r <= 4257; ++r)
        EXPECT_EQ(line->reg(r), r == 4101 ? -1 : ImportBuf[size_t(r - 4097)]) << r;
    for (int r = 4258; r <= 4288; ++r)
        EXPECT_EQ(line->reg(r), -1) << r;
    EXPECT_EQ(run.EndText(), QStringLiteral(" DOWN ERR 4101"));
    EXPECT_EQ(log.warnings().size(), 1);
    ASSERT_EQ(steps.percent.size(), 161u);
    EXPECT_EQ(steps.percent[0], QStringLiteral("0.00%"));
    EXPECT_EQ(steps.percent[1], QStringLiteral("0.63%"));
    EXPECT_EQ(steps.percent[160], QStringLiteral("100.00%"));
    ASSERT_EQ(steps.last.size(), 161u);
    EXPECT_EQ(std::count(steps.last.begin(), steps.last.end(), true), 1);
    EXPECT_TRUE(steps.last.back());

    line->refuseWritesTo(0);
    line->clearRequests();
    Steps again;
    EXPECT_EQ(RunRecorded(ConfigImport(), again).EndText(), QStringLiteral(" DOWN OK"));
}

TEST_F(ExchangeLinkTest, ANoAnswerIsSentOnceMoreAndOnlyTheRepeatCounts)
{
    struct Case {
        unsigned silent;
        size_t requests;
        const char* end;
    };
    // One lost answer: the repeat arrives. Two: the first register failed.
    const Case cases[] = {{1, 43, " DOWN OK"}, {2, 43, " DOWN ERR 24577"}};
    for (const Case& c : cases) {
        for (int i = 0; i < 42; ++i)
            CaliImportBuf[size_t(i)] = 100 + i;
        line->clearRequests();
        line->silenceNext(c.silent);
        Steps steps;
        EXPECT_EQ(RunRecorded(CalibrationImport(), steps).EndText(), QString::fromUtf8(c.end));
        const auto requests = line->requests();
        ASSERT_EQ(requests.size(), c.requests);
        EXPECT_EQ(requests[0], requests[1]);
        EXPECT_EQ(requests.back(), (Req{1, 6, 24617, 141}));
        ASSERT_EQ(steps.percent.size(), 42u);
        EXPECT_EQ(steps.percent[1], QStringLiteral("2.44%"));
        EXPECT_EQ(steps.percent.back(), QStringLiteral("100.00%"));
    }
}

TEST_F(ExchangeLinkTest, AYieldThatSaysTheWindowWentCutsTheRunShortAndSaysWhere)
{
    struct Case {
        int yields;            // the yields that find the window still there
        int32_t refused;       // a register whose write fails, 0 for none
        size_t sent;
        const char* end;
        const char* cut;       // in the run's last log line
    };
    const Case cases[] = {
        {3, 0, 3, " DOWN ERR 24580", "the last register written is 24579, 39 of 42 writes left"},
        {0, 0, 0, " DOWN ERR 24577", "before the first write; 42 of 42 writes left"},
        {41, 0, 41, " DOWN ERR 24618", "the last register written is 24617, 1 of 42 writes left"},
        {3, 24578, 3, " DOWN ERR 24578", "the last register written is 24579, 39 of 42"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cut);
        line->clearRequests();
        line->refuseWritesTo(c.refused);
        LogCapture log("zc4160.exchange");
        int yields = 0;
        const WriteRun run = RunWrites(
            CalibrationImport(), [&] { return ++yields <= c.yields; }, [](const WriteRun&, int) {});
        EXPECT_EQ(line->requests().size(), c.sent);
        EXPECT_EQ(run.Sent(), int(c.sent));
        EXPECT_FALSE(run.Complete());
        EXPECT_FALSE(run.Succeeded());
        EXPECT_EQ(run.EndText(), QString::fromUtf8(c.end));
        // One line for the cut, after the one for the failed writes.
        ASSERT_EQ(log.warnings().size(), c.refused ? 2 : 1);
        EXPECT_TRUE(log.warnings().back().contains(QString::fromUtf8(c.cut)))
            << log.warnings().back().toStdString();
    }

    // A run that ends with its last write is whole.
    line->refuseWritesTo(0);
    LogCapture log("zc4160.exchange");
    const WriteRun whole =
        RunWrites(CalibrationImport(), [] { return true; }, [](const WriteRun&, int) {});
    EXPECT_TRUE(whole.Complete());
    EXPECT_TRUE(whole.Succeeded());
    EXPECT_EQ(whole.EndText(), QStringLiteral(" DOWN OK"));
    EXPECT_TRUE(log.warnings().isEmpty());
}

} // namespace
