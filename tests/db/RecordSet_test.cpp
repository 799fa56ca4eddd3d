#include "db/TempDatabase.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Tables.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <algorithm>
#include <optional>
#include <set>

namespace {

const QString kConn = QStringLiteral("test-recordset");

class RecordSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db::OpenConnection(kConn).isOpen());
        rs = std::make_unique<db::RecordSet>(kConn);
    }
    void TearDown() override
    {
        rs.reset();
        db::CloseConnection(kConn);
    }
    // Short-ring rows with ids first..last, the date rising with the id.
    void fillShortRing(int first, int last)
    {
        t.exec(QStringLiteral("BEGIN"));
        for (int id = first; id <= last; ++id)
            t.exec(QStringLiteral("insert into pv_data values (?, ?, ?, 0,0,0,0,0,0,0,0)"),
                   {id, 46000.0 + id / 86400.0, (id % 86400) / 86400.0});
        t.exec(QStringLiteral("COMMIT"));
    }
    std::vector<int> ids(const QString& sql, const QVariantList& binds = {})
    {
        std::vector<int> out;
        EXPECT_TRUE(rs->Open(sql, binds)) << rs->LastError().toStdString();
        for (; !rs->AtEnd(); rs->MoveNext())
            out.push_back(rs->Field(0).toInt());
        rs->Close();
        return out;
    }

    TempDatabase t;
    std::unique_ptr<db::RecordSet> rs;
};

} // namespace

TEST_F(RecordSetTest, FieldsByPositionMovesAndCount)
{
    fillShortRing(1, 5);
    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  pv_data")));
    EXPECT_EQ(rs->FieldCount(), db::ring::FieldCount);
    EXPECT_EQ(rs->FieldName(0), QStringLiteral("w_id"));
    EXPECT_EQ(rs->Field(0).toInt(), 1);   // the first row is current
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->Field(0).toInt(), 1);   // counting does not move
    EXPECT_TRUE(rs->Find(0, 4));
    EXPECT_EQ(rs->Field(0).toInt(), 4);
    EXPECT_FALSE(rs->Find(0, 2));          // searches onward only
    EXPECT_TRUE(rs->AtEnd());
    EXPECT_FALSE(rs->Field(0).isValid());
    EXPECT_TRUE(rs->MoveFirst());
    EXPECT_EQ(rs->Field(0).toInt(), 1);
    EXPECT_FALSE(rs->Field(11).isValid());
    rs->Close();
    EXPECT_FALSE(rs->IsOpen());
    EXPECT_FALSE(rs->Open(QStringLiteral("select * from  no_such_table")));
    EXPECT_FALSE(rs->LastError().isEmpty());
}

TEST_F(RecordSetTest, AddNewThenUpdateInPlace)
{
    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  pv_data where w_id=?"), {7}));
    EXPECT_EQ(rs->RecordCount(), 0);
    ASSERT_TRUE(rs->AddNew());
    for (int i = 0; i < db::ring::FieldCount; ++i)
        ASSERT_TRUE(rs->SetField(i, i == 0 ? QVariant(7) : QVariant(double(i))));
    ASSERT_TRUE(rs->Update()) << rs->LastError().toStdString();
    rs->Close();

    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  pv_data where w_id=?"), {7}));
    ASSERT_EQ(rs->RecordCount(), 1);
    ASSERT_TRUE(rs->SetField(1, 99.0));
    EXPECT_EQ(rs->Field(1).toDouble(), 99.0);   // the pending value shows
    ASSERT_TRUE(rs->Update());
    rs->Close();
    auto rows = t.rows(QStringLiteral("select * from pv_data"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toInt(), 7);
    EXPECT_EQ(rows[0][1].toDouble(), 99.0);
    EXPECT_EQ(rows[0][10].toDouble(), 10.0);

    // A table without a key is changed in place too.
    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  sl_void")));
    ASSERT_TRUE(rs->SetField(2, 42) && rs->SetField(3, 42) && rs->Update());
    rs->Close();
    EXPECT_EQ(t.rows(QStringLiteral("select * from sl_void"))[0], (QVariantList{0, 0, 42, 42}));
}

TEST_F(RecordSetTest, AddedRecordShowsItsNumberAndTextIsBoundVerbatim)
{
    const QString name = QStringLiteral("O'Brien\"; drop table CONF; -- 张三");
    for (int n = 1; n <= 2; ++n) {
        ASSERT_TRUE(rs->Open(QStringLiteral("select * from  CONF")));
        ASSERT_TRUE(rs->AddNew());
        ASSERT_TRUE(rs->SetField(db::conf::Operator, name));
        ASSERT_TRUE(rs->SetField(db::conf::FirstValue + 191, -32768));
        ASSERT_TRUE(rs->Update()) << rs->LastError().toStdString();
        EXPECT_EQ(rs->Field(db::conf::RecordNumber).toInt(), n);
        rs->Close();
    }
    auto rows = t.rows(QStringLiteral("select * from CONF"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1].toString(), name);
    EXPECT_EQ(rows[1][195].toInt(), -32768);
}

namespace {

// CONF and Calibration: their key and a value field.
struct RecordTable {
    const char* name;
    const char* key;
    int valueField;
};
constexpr RecordTable kRecordTables[] = {{"CONF", "C_ID", db::conf::FirstValue},
                                         {"Calibration", "ID", db::cali::FirstValue}};

} // namespace

// A table that another program rebuilt without its integer key numbers no
// record itself: a record added there gets the number after the highest,
// stored with its values in one step. One that cannot be numbered, or whose
// number another record holds as well, is not stored at all.
TEST_F(RecordSetTest, ARecordAddedToATableWithoutItsKeyGetsTheNextNumberOrIsNotStored)
{
    for (const RecordTable& tb : kRecordTables) {
        SCOPED_TRACE(tb.name);
        const QString table = QString::fromLatin1(tb.name);
        const QString key = QString::fromLatin1(tb.key);
        auto add = [&](int value) -> std::optional<qint64> {
            EXPECT_TRUE(rs->Open(QStringLiteral("select * from  ") + table));
            EXPECT_TRUE(rs->AddNew());
            EXPECT_TRUE(rs->SetField(tb.valueField, value));
            const bool stored = rs->Update();
            const qint64 number = rs->Field(0).toLongLong();
            rs->Close();
            return stored ? std::optional(number) : std::nullopt;
        };
        auto numberOf = [&](int value) {
            return t.rows(QStringLiteral("select \"%1\" from \"%2\" where \"%3\"=?")
                              .arg(key, table, db::FieldNames(*db::FindTable(table))[tb.valueField]),
                          {value});
        };
        EXPECT_EQ(add(10), 1);
        EXPECT_EQ(add(20), 2);
        t.dropKey(table);
        EXPECT_EQ(add(30), 3);
        EXPECT_EQ(add(40), 4);
        EXPECT_EQ(numberOf(30), (std::vector<QVariantList>{{3}}));
        EXPECT_EQ(numberOf(40), (std::vector<QVariantList>{{4}}));

        // A table that takes the number away again, or puts one another
        // record holds in its place: nothing is stored.
        t.renumber(table, key, QStringLiteral("NULL"));
        EXPECT_FALSE(add(50));
        EXPECT_TRUE(rs->LastError().contains(QStringLiteral("no number"))) << rs->LastError().toStdString();
        t.stopRenumbering();
        t.renumber(table, key, QStringLiteral("1"));
        EXPECT_FALSE(add(51));
        EXPECT_TRUE(rs->LastError().contains(QStringLiteral("its number 1 finds 2 records")))
            << rs->LastError().toStdString();
        t.stopRenumbering();
        // The text of a number another record holds: the lookup by that
        // number finds the other record, not this one.
        t.renumber(table, key, QStringLiteral("'1'"));
        EXPECT_FALSE(add(52));
        EXPECT_TRUE(rs->LastError().contains(QStringLiteral("its number 1 finds another record")))
            << rs->LastError().toStdString();
        t.stopRenumbering();
        EXPECT_TRUE(numberOf(50).empty());
        EXPECT_TRUE(numberOf(51).empty());
        EXPECT_TRUE(numberOf(52).empty());
        EXPECT_EQ(t.scalar(QStringLiteral("select count(*) from \"%1\"").arg(table)), 4);
        EXPECT_EQ(add(60), 5);
    }
}

// The numbers a keyless table holds as another program left them, texts
// and fractions among them: the next record takes the number after the
// highest as the operator's entry reads them, compared as numbers, and
// no other record holds it; where no record number is left above the
// highest, nothing is stored.
TEST_F(RecordSetTest, ANewRecordsNumberIsAboveEveryNumberTheTableHolds)
{
    struct Case {
        const char* held;   // the keys of the records there, as SQL values
        std::optional<qint64> first, second;
    };
    const Case cases[] = {
        {"", 1, 2},
        {"(1), (2), ('7')", 8, 9},        // a text sorts above every number
        {"(1), ('abc')", 2, 3},           // a text without a number has none
        {"(' 12xy'), (3)", 13, 14},       // a text by its leading number
        {"(2.5), (1)", 3, 4},
        {"(NULL), (4)", 5, 6},
        {"('-3')", 1, 2},
        {"(x'3130')", 11, 12},            // the bytes of "10"
        {"(8999999999999999)", 9000000000000000, std::nullopt},
        {"('1e999')", std::nullopt, std::nullopt},
        // Told quoted and short: the highest may be a text of any length.
        {"('1e999' || char(10) || printf('%.100000c', 'x'))", std::nullopt, std::nullopt},
    };
    for (const RecordTable& tb : kRecordTables) {
        const QString table = QString::fromLatin1(tb.name);
        const QString key = QString::fromLatin1(tb.key);
        t.dropKey(table);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(tb.name) + " holding " + c.held);
            t.exec(QStringLiteral("delete from \"%1\"").arg(table));
            if (*c.held)
                t.exec(QStringLiteral("insert into \"%1\" (\"%2\") values %3")
                           .arg(table, key, QLatin1String(c.held)));
            for (std::optional<qint64> expected : {c.first, c.second}) {
                const QVariant before =
                    t.scalar(QStringLiteral("select count(*) from \"%1\"").arg(table));
                ASSERT_TRUE(rs->Open(QStringLiteral("select * from  ") + table));
                ASSERT_TRUE(rs->AddNew());
                ASSERT_TRUE(rs->SetField(tb.valueField, 5));
                const bool stored = rs->Update();
                const QVariant number = rs->Field(0);
                const QString error = rs->LastError();
                rs->Close();
                if (!expected) {
                    EXPECT_FALSE(stored);
                    EXPECT_TRUE(error.contains(QStringLiteral("no record number can be given")))
                        << error.toStdString();
                    EXPECT_FALSE(error.contains(u'\n'));
                    EXPECT_LT(error.size(), 300);
                    EXPECT_EQ(t.scalar(QStringLiteral("select count(*) from \"%1\"").arg(table)),
                              before);
                    break;
                }
                ASSERT_TRUE(stored) << error.toStdString();
                EXPECT_EQ(number, *expected);
                // Found by its number as the import looks it up, alone.
                EXPECT_EQ(t.rows(QStringLiteral("select \"%2\" from \"%1\" where \"%2\"=?")
                                     .arg(table, key),
                                 {*expected}),
                          (std::vector<QVariantList>{{*expected}}));
            }
        }
    }
}

TEST_F(RecordSetTest, SinglesReadBackAsTheSingleTheyAre)
{
    const float values[] = {0.1f, -273.15f, 1.0f / 3.0f, 16777217.0f, 1e-30f};
    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  pv_data where w_id=?"), {1}));
    ASSERT_TRUE(rs->AddNew());
    ASSERT_TRUE(rs->SetField(0, 1));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(rs->SetField(db::ring::FirstValue + i, static_cast<double>(values[i])));
    ASSERT_TRUE(rs->Update());
    rs->Close();
    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  pv_data")));
    for (int i = 0; i < 5; ++i) {
        const double back = rs->Field(db::ring::FirstValue + i).toDouble();
        EXPECT_EQ(back, static_cast<double>(values[i]));
        EXPECT_EQ(static_cast<float>(back), values[i]);
    }
}

TEST_F(RecordSetTest, OnlySelectStarCanBeWrittenBack)
{
    fillShortRing(1, 2);
    ASSERT_TRUE(rs->Open(QStringLiteral("select w_id, w_date from pv_data")));
    EXPECT_EQ(rs->FieldCount(), 2);
    EXPECT_FALSE(rs->AddNew());
    EXPECT_TRUE(rs->SetField(1, 5.0));
    EXPECT_FALSE(rs->Update());
    rs->Close();
    EXPECT_EQ(t.scalar(QStringLiteral("select w_date from pv_data where w_id = 1")).toDouble(),
              46000.0 + 1 / 86400.0);
}

// Over a table of the station's the star stands for the table's fields by
// name: rebuilt by another program in another order, the set still has the
// design's fields at the design's positions and writes back into them;
// rebuilt without a field, the query fails and says which. The statements
// the set keeps from before a rebuild run on the new shape or fail.
TEST_F(RecordSetTest, AStarIsTheDesignsFieldsByNameWhateverOrderTheFileKeeps)
{
    fillShortRing(1, 3);
    t.exec(QStringLiteral("update pv_data set ShortPv0 = w_id * 10, ShortPv7 = w_id * 17"));
    const QString find = QStringLiteral("select * from  pv_data where w_id=?");
    EXPECT_EQ(ids(find, {2}), std::vector<int>{2});
    QStringList names = db::FieldNames(db::Tables()[0]);
    std::reverse(names.begin(), names.end());
    QStringList without = names;
    without.removeOne(QStringLiteral("ShortPv7"));
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        t.keep(QStringLiteral("pv_data"));
        t.rebuild(QStringLiteral("pv_data"), names, QStringLiteral("w_id"));
        ASSERT_TRUE(rs->Open(find, {2})) << rs->LastError().toStdString();
        ASSERT_EQ(rs->FieldCount(), db::ring::FieldCount);
        EXPECT_EQ(rs->FieldName(0), QStringLiteral("w_id"));
        EXPECT_EQ(rs->Field(0).toInt(), 2);
        EXPECT_EQ(rs->Field(db::ring::FirstValue).toDouble(), 20.0);
        EXPECT_EQ(rs->Field(db::ring::FirstValue + 7).toDouble(), 34.0 + round - 1);
        ASSERT_TRUE(rs->SetField(db::ring::FirstValue + 7, 34.0 + round) && rs->Update());
        rs->Close();
        EXPECT_EQ(t.scalar(QStringLiteral("select ShortPv7 from pv_data where w_id = 2")).toDouble(),
                  34.0 + round);

        t.keep(QStringLiteral("pv_data"));
        t.rebuild(QStringLiteral("pv_data"), without, QStringLiteral("w_id"));
        EXPECT_FALSE(rs->Open(find, {2}));
        EXPECT_TRUE(rs->LastError().contains(QStringLiteral("no such column: ShortPv7")))
            << rs->LastError().toStdString();
        // Back with the field, at the end of the table.
        t.rebuild(QStringLiteral("pv_data"), without + QStringList{QStringLiteral("ShortPv7")},
                  QStringLiteral("w_id"));
        std::reverse(names.begin(), names.end());   // the next round the other way round
    }

    // Queries sent without a record set get the same names.
    EXPECT_EQ(db::SpellOutStar(QStringLiteral("select * from  sl_void")),
              QStringLiteral("select \"ShortHead\", \"ShortHeadCopy\", \"LongHead\", "
                             "\"LongHeadCopy\" from  sl_void"));
    for (const char* as : {"select * from  other where a=1", "select w_id from pv_data"})
        EXPECT_EQ(db::SpellOutStar(QString::fromLatin1(as)), QString::fromLatin1(as));
}

// The charts' window queries name the larger bound first and write table
// names in another letter case; the equivalents sent here must select the
// ids a symmetric range would.
TEST_F(RecordSetTest, RangeAndTableCaseGiveTheRowsOfTheChartQueries)
{
    fillShortRing(1, 400);
    t.exec(QStringLiteral("insert into Lpv_wdjl select * from pv_data"));
    struct Case {
        qint64 first, second;
        bool negated;
    };
    const Case cases[] = {{300, 60, false}, {60, 300, false}, {101, 350, true}, {350, 101, true},
                          {5, 5, false}};
    for (const Case& c : cases) {
        std::vector<int> expected;
        const qint64 lo = std::min(c.first, c.second), hi = std::max(c.first, c.second);
        for (int id = 1; id <= 400; ++id)
            if ((id >= lo && id <= hi) != c.negated)
                expected.push_back(id);
        for (const char* table : {"pv_data", "lpv_wdjl", "LPV_WDJL"}) {
            const QString field = QString::fromLatin1(table)[0].toLower() == QLatin1Char('p')
                                      ? QStringLiteral("w_id") : QStringLiteral("lw_id");
            const db::SqlPart range = db::RangeTest(field, c.first, c.second, c.negated);
            EXPECT_EQ(ids(QStringLiteral("select * from  %1 where %2 order by w_date,w_time")
                              .arg(QString::fromLatin1(table), range.sql), range.binds),
                      expected) << table << " " << c.first << " " << c.second;
        }
    }
    // Bare BETWEEN with the larger bound first matches nothing here, which
    // is why the equivalent is needed at all.
    EXPECT_TRUE(ids(QStringLiteral("select * from  pv_data where w_id  between ? and ?"), {300, 60}).empty());

    // A lower-case table name still allows writing back.
    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  lpv_wdjl where lw_id = ?"), {3}));
    ASSERT_TRUE(rs->SetField(1, 1.5) && rs->Update());
    rs->Close();
    EXPECT_EQ(t.scalar(QStringLiteral("select w_date from Lpv_wdjl where lw_id = 3")).toDouble(), 1.5);
}

TEST_F(RecordSetTest, ClosedConnectionFailsEveryCall)
{
    db::RecordSet lost(QStringLiteral("no-such-connection"));
    EXPECT_FALSE(lost.Open(QStringLiteral("select * from  sl_void")));
    EXPECT_TRUE(lost.AtEnd());
    EXPECT_FALSE(lost.AddNew());
    EXPECT_FALSE(lost.SetField(0, 1));
    EXPECT_FALSE(lost.Update());
    EXPECT_EQ(lost.RecordCount(), 0);
}

TEST_F(RecordSetTest, GoesOnAfterTheConnectionIsOpenedAgain)
{
    fillShortRing(1, 3);
    EXPECT_EQ(ids(QStringLiteral("select * from  pv_data where w_id=?"), {2}), std::vector<int>{2});
    QSqlDatabase d = QSqlDatabase::database(kConn, false);
    d.close();
    EXPECT_FALSE(rs->Open(QStringLiteral("select * from  pv_data where w_id=?"), {2}));
    ASSERT_TRUE(db::OpenConnection(kConn).isOpen());
    EXPECT_EQ(ids(QStringLiteral("select * from  pv_data where w_id=?"), {3}), std::vector<int>{3});
    ASSERT_TRUE(rs->Open(QStringLiteral("select * from  pv_data where w_id=?"), {3}));
    ASSERT_TRUE(rs->SetField(1, 2.0) && rs->Update()) << rs->LastError().toStdString();
}

// A file that another program keeps in rollback-journal mode, reading it
// when the connection opened (so the switch to WAL did not take) and while
// the records are added: a commit must wait for the reader and gives up.
// The record is not stored, and no transaction stays open behind it. Here
// the clean-up's own release cannot end the transaction either (it waits
// on the same reader), so only the last rollback ends it; left open, it
// would take in the next record, which would then be told stored with
// nothing in the file.
TEST_F(RecordSetTest, ARecordWhoseCommitWaitsOnAReaderLeavesNoTransactionOpen)
{
    db::CloseConnection(kConn);
    t.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    t.exec(QStringLiteral("BEGIN"));
    ASSERT_EQ(t.scalar(QStringLiteral("select count(*) from CONF")), 0);
    ASSERT_TRUE(db::OpenConnection(kConn, 100).isOpen());
    QSqlQuery mode(QSqlDatabase::database(kConn, false));
    ASSERT_TRUE(mode.exec(QStringLiteral("PRAGMA journal_mode")) && mode.next());
    ASSERT_EQ(mode.value(0).toString(), QStringLiteral("delete"));
    mode.finish();

    auto add = [&](const RecordTable& tb) {
        EXPECT_TRUE(rs->Open(QStringLiteral("select * from  ") + QString::fromLatin1(tb.name)));
        EXPECT_TRUE(rs->AddNew());
        EXPECT_TRUE(rs->SetField(tb.valueField, 5));
        const bool stored = rs->Update();
        rs->Close();
        return stored;
    };
    for (const RecordTable& tb : kRecordTables) {
        SCOPED_TRACE(tb.name);
        EXPECT_FALSE(add(tb));
        EXPECT_TRUE(rs->LastError().contains(QStringLiteral("locked"))) << rs->LastError().toStdString();
        EXPECT_FALSE(db::InTransaction(QSqlDatabase::database(kConn, false)));
    }
    t.exec(QStringLiteral("COMMIT"));
    for (const RecordTable& tb : kRecordTables) {
        SCOPED_TRACE(tb.name);
        EXPECT_EQ(t.scalar(QStringLiteral("select count(*) from \"%1\"").arg(QLatin1String(tb.name))), 0);
        ASSERT_TRUE(add(tb)) << rs->LastError().toStdString();
        EXPECT_EQ(t.scalar(QStringLiteral("select \"%1\" from \"%2\"")
                               .arg(QLatin1String(tb.key), QLatin1String(tb.name))),
                  1);
    }
}
