#include "basic/LogLines.h"
#include "db/LogCapture.h"
#include "db/NameSwitch.h"
#include "db/TempDatabase.h"
#include "platform/db/DatabaseFile.h"
#include "platform/db/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iterator>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets or clears environment variables for one test and restores them.
class EnvGuard {
public:
    void set(const char* name, const QString& value)
    {
        keep(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~EnvGuard()
    {
        for (const auto& [name, value, was] : saved_) {
            if (was)
                qputenv(name.constData(), value);
            else
                qunsetenv(name.constData());
        }
    }

private:
    void keep(const char* name)
    {
        saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
    }
    struct Saved {
        QByteArray name;
        QByteArray value;
        bool was;
    };
    std::vector<Saved> saved_;
};

QStringList ColumnNames(TempDatabase& t, const QString& table)
{
    QStringList names;
    for (const QVariantList& row : t.rows(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table)))
        names << row[1].toString();
    return names;
}

} // namespace

TEST(DatabasePath, OverrideThenXdgThenHome)
{
    struct Case {
        const char* db;
        const char* xdg;
        QString expected;
    };
    const QString home = QDir::homePath();
    const Case cases[] = {
        {"/data/x.db", "/xdg", QStringLiteral("/data/x.db")},
        {nullptr, "/xdg", QStringLiteral("/xdg/Lumo/Rdatabj.db")},
        {"", "/xdg", QStringLiteral("/xdg/Lumo/Rdatabj.db")},
        {nullptr, nullptr, home + QStringLiteral("/.local/share/Lumo/Rdatabj.db")},
        {nullptr, "relative/dir", home + QStringLiteral("/.local/share/Lumo/Rdatabj.db")},
    };
    for (const Case& c : cases) {
        EnvGuard env;
        env.set("ZC4160_DB", c.db ? QString::fromUtf8(c.db) : QString());
        env.set("XDG_DATA_HOME", c.xdg ? QString::fromUtf8(c.xdg) : QString());
        EXPECT_EQ(db::DatabasePath(), c.expected) << (c.db ? c.db : "-") << " " << (c.xdg ? c.xdg : "-");
    }
}

TEST(DatabaseInstall, FiveTablesWithFieldsAtTheirPositions)
{
    TempDatabase t(false);
    ASSERT_FALSE(QFileInfo::exists(t.path()));
    ASSERT_TRUE(db::InstallIfMissing());
    ASSERT_TRUE(QFileInfo::exists(t.path()));

    struct Expect {
        const char* table;
        int count;
        std::vector<std::pair<int, const char*>> at;
    };
    const Expect expects[] = {
        {"pv_data", 11, {{0, "w_id"}, {1, "w_date"}, {2, "w_time"}, {3, "ShortPv0"}, {10, "ShortPv7"}}},
        {"Lpv_wdjl", 11, {{0, "lw_id"}, {1, "w_date"}, {2, "w_time"}, {3, "LongPv0"}, {10, "LongPv7"}}},
        {"sl_void", 4, {{0, "ShortHead"}, {1, "ShortHeadCopy"}, {2, "LongHead"}, {3, "LongHeadCopy"}}},
        {"CONF", 196, {{0, "C_ID"}, {1, "CAZZ"}, {2, "DAT"}, {3, "TI"}, {4, "1"}, {123, "120"}, {195, "192"}}},
        {"Calibration", 47, {{0, "ID"}, {1, "USER"}, {2, "DATE"}, {3, "TIME"}, {4, "NOTE"},
                             {5, "P-10VHI"}, {17, "P-80H"}, {18, "S-10VHI"}, {30, "S-80H"},
                             {31, "20I_MARK"}, {44, "CLEAR"}}},
    };
    for (const Expect& e : expects) {
        const QStringList names = ColumnNames(t, QString::fromUtf8(e.table));
        ASSERT_EQ(names.size(), e.count) << e.table;
        for (const auto& [pos, name] : e.at)
            EXPECT_EQ(names[pos], QString::fromUtf8(name)) << e.table << " " << pos;
        const db::TableLayout* layout = db::FindTable(QString::fromUtf8(e.table));
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(layout->fieldCount, e.count);
        EXPECT_EQ(db::FieldNames(*layout), names);
    }
    // Fields 5 to 44 carry the forty names the calibration import binds its
    // grid columns to, in this order.
    const char* const gridNames[] = {
        "P-10VHI", "P-2VHI", "P-MAHI", "P-100MVL", "P-100MVH", "P-20MVL", "P-20MVH",
        "P-4KL", "P-4KH", "P-400L", "P-400H", "P-80L", "P-80H",
        "S-10VHI", "S-2VHI", "S-MAHI", "S-100MVL", "S-100MVH", "S-20MVL", "S-20MVH",
        "S-4KL", "S-4KH", "S-400L", "S-400H", "S-80L", "S-80H",
        "20I_MARK", "DA1_CALIB", "DA2_CALIB", "DA3_CALIB", "COLD_T", "COLS_18", "CALIB_C_T",
        "C_IC", "DA1_Z", "DA2_Z", "DA3_Z", "RELAY", "DO_TEST", "CLEAR"};
    QStringList cali = ColumnNames(t, QStringLiteral("Calibration"));
    ASSERT_EQ(std::size(gridNames), 40u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(cali[5 + i], QString::fromLatin1(gridNames[i])) << 5 + i;
    // The forty grid names are distinct and the two further fields differ
    // from all of them.
    cali.removeDuplicates();
    EXPECT_EQ(cali.size(), 47);

    const QStringList conf = ColumnNames(t, QStringLiteral("CONF"));
    for (int i = 1; i <= 120; ++i)
        EXPECT_EQ(conf[3 + i], QString::number(i));

    auto heads = t.rows(QStringLiteral("select * from sl_void"));
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0], (QVariantList{0, 0, 0, 0}));
    EXPECT_EQ(t.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    EXPECT_FALSE(QFileInfo::exists(t.path() + QStringLiteral(".install-") + QString::number(::getpid())));
}

TEST(DatabaseInstall, RecordNumbersAreGivenAndNeverReused)
{
    TempDatabase t;
    t.exec(QStringLiteral("insert into CONF (CAZZ) values ('a')"));
    t.exec(QStringLiteral("insert into CONF (CAZZ) values ('b')"));
    t.exec(QStringLiteral("delete from CONF where C_ID = 2"));
    t.exec(QStringLiteral("insert into CONF (CAZZ) values ('c')"));
    EXPECT_EQ(t.scalar(QStringLiteral("select max(C_ID) from CONF")).toInt(), 3);
    t.exec(QStringLiteral("insert into Calibration (USER) values ('a')"));
    EXPECT_EQ(t.scalar(QStringLiteral("select ID from Calibration")).toInt(), 1);
}

TEST(DatabaseInstall, AnExistingFileIsLeftAlone)
{
    TempDatabase t(false);
    QDir().mkpath(QFileInfo(t.path()).absolutePath());
    {
        QFile f(t.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not ours");
    }
    EXPECT_TRUE(db::InstallIfMissing());
    QFile f(t.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("not ours"));
    EXPECT_FALSE(db::InstallAt(t.path()));
}

namespace {

// A plain file in the folder, where a folder must go below it: that stops
// even a privileged user. Returns its path.
QString Blocker(const QTemporaryDir& dir)
{
    QFile blocker(dir.path() + QStringLiteral("/blocker"));
    EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
    return blocker.fileName();
}

} // namespace

TEST(DatabaseInstall, AFolderThatCannotBeMadeFailsWithOneLogLine)
{
    QTemporaryDir dir;
    EnvGuard env;
    env.set("ZC4160_DB", Blocker(dir) + QStringLiteral("/Lumo/Rdatabj.db"));
    LogCapture log("zc4160.db");
    EXPECT_FALSE(db::InstallIfMissing());
    EXPECT_FALSE(db::InstallIfMissing());
    EXPECT_EQ(log.warnings().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(db::DatabasePath()));
}

// A path from the environment may hold anything; the line that names it
// twice (the path, and the error that names the folder) stays one short
// line of the station's own.
TEST(DatabaseInstall, AForgedPathStaysInsideItsOneShortLine)
{
    QTemporaryDir dir;
    const QString blocker = Blocker(dir);
    EnvGuard env;
    for (const testsupport::ForgedText& forged : testsupport::ForgedTexts()) {
        SCOPED_TRACE(forged.shown.toStdString());
        env.set("ZC4160_DB",
                blocker + u'/' + forged.text + QStringLiteral("/Rdatabj.db"));
        LogCapture log("zc4160.db");
        EXPECT_FALSE(db::InstallIfMissing());
        ASSERT_EQ(log.warnings().size(), 1);
        const QStringList halves = log.warnings()[0].split(
            QStringLiteral(" and it cannot be installed (cannot create the folder "));
        ASSERT_EQ(halves.size(), 2) << log.warnings()[0].toStdString();
        for (const QString& half : halves)
            EXPECT_TRUE(half.contains(forged.shown)) << half.toStdString();
        EXPECT_TRUE(testsupport::SafeLine("zc4160.db", log.warnings()[0]));
    }
}

TEST(DatabaseConnection, MissingFileIsNotCreated)
{
    TempDatabase t(false);
    EXPECT_FALSE(db::OpenConnection(QStringLiteral("test-missing")).isOpen());
    EXPECT_FALSE(QFileInfo::exists(t.path()));
    db::CloseConnection(QStringLiteral("test-missing"));
    EXPECT_FALSE(QSqlDatabase::contains(QStringLiteral("test-missing")));
}

TEST(DatabaseConnection, NamedPerOwnerWithWalAndBusyTimeout)
{
    TempDatabase t;
    {
        QSqlDatabase a = db::OpenConnection(QStringLiteral("test-a"));
        QSqlDatabase b = db::OpenConnection(QStringLiteral("test-b"), 345);
        ASSERT_TRUE(a.isOpen());
        ASSERT_TRUE(b.isOpen());
        EXPECT_EQ(db::OpenConnection(QStringLiteral("test-a")).connectionName(), QStringLiteral("test-a"));
        QSqlQuery q(b);
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("wal"));
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), 345);
        QSqlQuery qa(a);
        ASSERT_TRUE(qa.exec(QStringLiteral("PRAGMA busy_timeout")) && qa.next());
        EXPECT_EQ(qa.value(0).toInt(), db::DefaultBusyTimeoutMs);

        // A reader keeps reading while another connection holds the write lock.
        t.exec(QStringLiteral("BEGIN IMMEDIATE"));
        t.exec(QStringLiteral("update sl_void set ShortHead = 5"));
        ASSERT_TRUE(qa.exec(QStringLiteral("select ShortHead from sl_void")) && qa.next());
        EXPECT_EQ(qa.value(0).toInt(), 0);
        qa.finish();
        t.exec(QStringLiteral("COMMIT"));

        // A quoted name the file lacks is an error, never a text of that
        // name; one it has reads as before, as does a text in single quotes.
        EXPECT_FALSE(qa.exec(QStringLiteral("select \"NoSuchField\" from sl_void")));
        EXPECT_TRUE(qa.lastError().text().contains(QStringLiteral("no such column: NoSuchField")))
            << qa.lastError().text().toStdString();
        ASSERT_TRUE(qa.exec(QStringLiteral("select \"ShortHead\", 'ShortHead' from sl_void"))
                    && qa.next());
        EXPECT_EQ(qa.value(0).toInt(), 5);
        EXPECT_EQ(qa.value(1).toString(), QStringLiteral("ShortHead"));
        qa.finish();
    }
    db::CloseConnection(QStringLiteral("test-a"));
    db::CloseConnection(QStringLiteral("test-b"));
}

// A connection that reads a quoted name it lacks as a text (here: switched
// back to it) is told by the check, in one line until it is right again.
TEST(DatabaseConnection, TheQuotedNameCheckTellsAConnectionThatReadsThemAsTexts)
{
    TempDatabase t;
    const QString name = QStringLiteral("test-names");
    LogCapture log("zc4160.db");
    {
        QSqlDatabase d = db::OpenConnection(name);
        ASSERT_TRUE(d.isOpen());
        sqlite3* handle = db::NativeHandle(d);
        ASSERT_NE(handle, nullptr);
        auto namesAsTexts = [&](int on) {
            EXPECT_EQ(sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, on, nullptr), SQLITE_OK);
        };
        EXPECT_TRUE(db::QuotedNamesAreNames(d));
        namesAsTexts(1);
        EXPECT_FALSE(db::QuotedNamesAreNames(d));
        EXPECT_FALSE(db::QuotedNamesAreNames(d));
        ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
        EXPECT_TRUE(log.Warned(0, name));
        namesAsTexts(0);
        EXPECT_TRUE(db::QuotedNamesAreNames(d));
        namesAsTexts(1);
        EXPECT_FALSE(db::QuotedNamesAreNames(d));
        EXPECT_EQ(log.warnings().size(), 2);
        namesAsTexts(0);
        EXPECT_TRUE(db::QuotedNamesAreNames(d));
        EXPECT_EQ(db::NativeHandle(QSqlDatabase()), nullptr);
    }
    db::CloseConnection(name);
}

// Opened the way the station opens it, on an SQLite where the switch does
// not take: the open tells it, in one line until a connection opened with
// the switch taking finds it right again.
TEST(DatabaseConnection, AnOpenWhoseNameSwitchDoesNotTakeIsTold)
{
    TempDatabase t;
    const QString first = QStringLiteral("test-names-first");
    const QString second = QStringLiteral("test-names-second");
    LogCapture log("zc4160.db");
    {
        IgnoredNameSwitch ignored;
        ASSERT_TRUE(db::OpenConnection(first).isOpen());
        ASSERT_TRUE(db::OpenConnection(second).isOpen());
        QSqlQuery q(QSqlDatabase::database(second, false));
        EXPECT_TRUE(q.exec(QStringLiteral("select \"no such name\"")));   // read as a text
    }
    ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
    EXPECT_TRUE(log.Warned(0, first));
    EXPECT_TRUE(db::ReopenConnection(second).isOpen());
    EXPECT_EQ(log.warnings().size(), 1);
    {
        IgnoredNameSwitch ignored;
        EXPECT_TRUE(db::ReopenConnection(first).isOpen());
    }
    EXPECT_EQ(log.warnings().size(), 2);
    EXPECT_TRUE(db::ReopenConnection(first).isOpen());
    db::CloseConnection(first);
    db::CloseConnection(second);
}

TEST(DatabaseConnection, PathsWithBlanksAndUriSignsName)
{
    QTemporaryDir dir;
    EnvGuard env;
    const QString path = dir.path() + QStringLiteral("/my data #1/数据 100%?.db");
    env.set("ZC4160_DB", path);
    ASSERT_TRUE(db::InstallIfMissing());
    ASSERT_TRUE(QFileInfo::exists(path));
    {
        QSqlDatabase d = db::OpenConnection(QStringLiteral("test-path"));
        ASSERT_TRUE(d.isOpen()) << d.lastError().text().toStdString();
        QSqlQuery q(d);
        ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from sl_void")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
    }
    db::CloseConnection(QStringLiteral("test-path"));
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/my data #1")).entryList(QDir::Files).size(), 1);
}

TEST(DatabaseConnection, CannotWriteTellsAReadOnlyConnectionFromPassingFaults)
{
    TempDatabase t;
    const QString name = QStringLiteral("test-cannot-write");
    {
        QSqlDatabase d = db::OpenConnection(name, 50);
        ASSERT_TRUE(d.isOpen());
        auto failedWrite = [&] {
            QSqlQuery q(d);
            EXPECT_FALSE(q.exec(QStringLiteral("update sl_void set ShortHead = 1")));
            return q.lastError();
        };
        // Another writer's lock passes by itself.
        t.exec(QStringLiteral("BEGIN IMMEDIATE"));
        EXPECT_FALSE(db::CannotWrite(failedWrite()));
        t.exec(QStringLiteral("COMMIT"));
        // A refusal of the schema's is not the connection's either.
        t.exec(QStringLiteral("create trigger refuse before update on sl_void "
                              "begin select raise(abort, 'refused'); end"));
        EXPECT_FALSE(db::CannotWrite(failedWrite()));
        t.exec(QStringLiteral("drop trigger refuse"));
        // A connection that cannot write at all (query_only gives the error
        // of one that SQLite opened read-only).
        QSqlQuery(d).exec(QStringLiteral("PRAGMA query_only=1"));
        EXPECT_TRUE(db::CannotWrite(failedWrite()));
    }
    {
        // A new connection writes, with the busy timeout asked for.
        QSqlDatabase d = db::ReopenConnection(name, 50);
        ASSERT_TRUE(d.isOpen());
        QSqlQuery q(d);
        EXPECT_TRUE(q.exec(QStringLiteral("update sl_void set ShortHead = 1")))
            << q.lastError().text().toStdString();
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), 50);
    }
    db::CloseConnection(name);
}

TEST(DatabaseConnection, OwnJournalFilesAreMadeWritableBeforeAnOpen)
{
    // SQLite makes -wal and -shm with the database file's permissions and
    // never mends a -shm: one made while the file was read-only would keep
    // every later connection of its owner read-only. A first connection
    // keeps both files there (with a row in the -wal, so that SQLite itself
    // leaves its mode alone); a second one opens over them.
    TempDatabase t;
    const QString first = QStringLiteral("test-journal-first");
    const QString second = QStringLiteral("test-journal-second");
    ASSERT_TRUE(db::OpenConnection(first).isOpen());
    QSqlQuery(QSqlDatabase::database(first, false)).exec(QStringLiteral("update sl_void set ShortHead = 1"));
    const QByteArray file = QFile::encodeName(t.path());
    struct Case {
        mode_t database, journal;
        bool ours;
        mode_t expected;
    };
    const Case cases[] = {
        {0644, 0444, true, 0644},    // the file writable again: the journal follows
        {0444, 0400, true, 0644},    // still read-only: its owner may write it
        {0664, 0644, true, 0664},    // the file's group write too
        {0644, 0666, true, 0666},    // bits are only ever added
        {0644, 0444, false, 0444},   // another user's journal is left alone
    };
    for (const Case& c : cases) {
        if (!c.ours && ::geteuid() != 0)
            continue;   // only root can give a file away
        ASSERT_EQ(::chmod(file.constData(), c.database), 0);
        for (const char* suffix : {"-wal", "-shm"}) {
            const QByteArray journal = file + suffix;
            ASSERT_EQ(::chown(journal.constData(), c.ours ? ::geteuid() : 65534, static_cast<gid_t>(-1)), 0);
            ASSERT_EQ(::chmod(journal.constData(), c.journal), 0);
        }
        ASSERT_TRUE(db::OpenConnection(second).isOpen());
        for (const char* suffix : {"-wal", "-shm"}) {
            struct stat st {};
            ASSERT_EQ(::stat((file + suffix).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, c.expected)
                << suffix << " file " << std::oct << c.database << " journal " << c.journal;
        }
        db::CloseConnection(second);
    }
    db::CloseConnection(first);
}
