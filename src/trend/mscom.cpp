#include "trend/mscom.h"

#include "device/Met1.h"
#include "platform/basic/logtext.h"
#include "platform/basic/numbers.h"
#include "platform/db/DatabaseFile.h"
#include "platform/db/Tables.h"
#include "trend/RecorderShared.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <optional>
#include <span>
#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcRecorder, "zc4160.recorder")

namespace {

// The recorder runs on the window thread: a lock held by another writer
// may cost a tick this long, not more.
constexpr int kBusyTimeoutMs = 200;
constexpr int kTickMs = 100;

} // namespace

// What differs between the short and the long ring.
struct mscom::Ring {
    const char* findSql;     // the row with a given id
    const char* newestSql;   // the newest row by date and time
    int headField;
};

const mscom::Ring mscom::kShortRing{
    "select * from  pv_data where w_id=?",
    "select * from  pv_data order by w_date desc, w_time desc, w_id desc limit 1",
    db::heads::ShortHead};
const mscom::Ring mscom::kLongRing{
    "select * from  Lpv_wdjl   Where lw_id = ?",
    "select * from  Lpv_wdjl order by w_date desc, w_time desc, lw_id desc limit 1",
    db::heads::LongHead};

namespace {

const char* const kHeadsSql = "select * from  sl_void";

// Whether the connection may write its file: SQLite opens a file that it
// may not write read-only, and the connection stays so.
bool Writes(const QSqlDatabase& d)
{
    sqlite3* handle = db::NativeHandle(d);
    return handle && sqlite3_db_readonly(handle, "main") == 0;
}

} // namespace

mscom& mscom::instance()
{
    static mscom* m = new mscom([] { return QDateTime::currentDateTime(); });
    return *m;
}

mscom::mscom(Clock clock, QString connectionName, db::SteadyClock steady)
    : clock_(std::move(clock)), connection_(std::move(connectionName)), rs_(connection_),
      pacing_(steady), lockPacing_(std::move(steady))
{
    Form_Load();
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (connected_)
            FollowPath();
    });
    WatchFolder();
    Timer1.setInterval(kTickMs);
    connect(&Timer1, &QTimer::timeout, this, &mscom::Timer1_Timer);
    Timer1.start();
}

mscom::~mscom()
{
    rs_.Release();
}

void mscom::Form_Load()
{
    QSqlDatabase d = db::OpenConnection(connection_, kBusyTimeoutMs);
    pacing_.Opened();
    connected_ = d.isOpen();
    if (connected_)
        return;
    qCWarning(lcRecorder, "cannot open the database %s (%s): nothing is recorded",
              qUtf8Printable(basic::LogEscaped(db::DatabasePath())),
              qUtf8Printable(basic::LogEscaped(d.lastError().text())));
    // The ring rows are lost from here on: the line above began that fault,
    // and the first row stored after a reopen ends it.
    ringFault_.active = true;
    reopen_ = true;
}

void mscom::Reconnect()
{
    // The cached statements belong to the connection that is closed now.
    rs_.Release();
    folder_.Release(QSqlDatabase::database(connection_, false));
    // A file that could not be installed at start (its folder was not
    // writable) is installed now, the same way.
    db::InstallIfMissing();
    connected_ = db::ReopenConnection(connection_, kBusyTimeoutMs).isOpen();
    reopen_ = !connected_;
    // What failed was the old connection; the new one has not tried yet,
    // so its first stored row ends the fault.
    ringFailing_[0] = ringFailing_[1] = false;
}

void mscom::WatchFolder()
{
    // A folder renamed or deleted drops out of the watch: it is watched
    // again once there is one at the path.
    const QString folder = QFileInfo(db::DatabasePath()).absolutePath();
    const QStringList watched = watcher_.directories();
    if (watched.size() == 1 && watched[0] == folder)
        return;
    if (!watched.isEmpty())
        watcher_.removePaths(watched);
    if (QFileInfo(folder).isDir())
        watcher_.addPath(folder);
}

void mscom::FollowPath()
{
    if (!db::FileMoved(QSqlDatabase::database(connection_, false)))
        return;
    if (!followHeld_)
        qCWarning(lcRecorder, "the database file at %s is not the file the station opened (deleted "
                              "or replaced): its connections are opened again at that path",
                  qUtf8Printable(basic::LogEscaped(db::DatabasePath())));
    rs_.Release();
    folder_.Release(QSqlDatabase::database(connection_, false));
    const std::optional<QStringList> open = db::ReopenAllAtPath();
    if (!open) {
        // A reader of the old file holds frames of its log that the file
        // lacks: the station stays on it, storing on, until they are in.
        if (!followHeld_)
            qCWarning(lcRecorder, "a reader holds the log of the file the station opened: the "
                                  "station stays on that file until the log is in it");
        followHeld_ = true;
        return;
    }
    followHeld_ = false;
    connected_ = open->contains(connection_);
    reopen_ = !connected_;
    pacing_.Opened();
    ringFailing_[0] = ringFailing_[1] = false;
    headsKnown_ = false;   // the ids held are the old file's
}

bool mscom::TakeRings()
{
    const QString path = db::DatabasePath();
    // A file that could not even be opened for the lock is tried again when
    // the lock is due, as a file that cannot be locked.
    const bool sameFile = lock_.HasFile() ? lock_.OnFileAt(path) : ringLock_ != RingLock::Untried;
    const bool writes = Writes(QSqlDatabase::database(connection_, false));
    // The lock is tried again when it is due, at once on another file, and
    // at once when the connection was opened again and now may write, or
    // may no longer.
    if (sameFile && ringLock_ != RingLock::Untried && writes == lockTriedWriting_
        && (ringLock_ == RingLock::Held || !lockPacing_.Due()))
        return ringLock_ != RingLock::Refused;
    lockPacing_.Opened();
    lockTriedWriting_ = writes;
    const RingLock before = sameFile ? ringLock_ : RingLock::Untried;
    const db::FileLock::State got = lock_.Take(path);
    if (got == db::FileLock::State::Refused) {
        if (before != RingLock::Refused) {
            const qint64 holder = lock_.Holder();
            qCWarning(lcRecorder, "another station%s records into %s: this one writes no ring rows "
                                  "until it ends",
                      holder ? qPrintable(QStringLiteral(" (process %1)").arg(holder)) : "",
                      qUtf8Printable(basic::LogEscaped(path)));
        }
        ringLock_ = RingLock::Refused;
        return false;
    }
    if (got == db::FileLock::State::Unavailable) {
        if (before != RingLock::Unavailable)
            qCWarning(lcRecorder, "the rings of %s cannot be locked (%s): this station records "
                                  "them without knowing whether another station does too",
                      qUtf8Printable(basic::LogEscaped(path)),
                      qUtf8Printable(basic::LogEscaped(lock_.Error())));
        ringLock_ = RingLock::Unavailable;
        return true;
    }
    if (before == RingLock::Refused) {
        qCInfo(lcRecorder, "the other station has ended: this one records the rings of %s",
               qUtf8Printable(basic::LogEscaped(path)));
        // It moved the heads on meanwhile: the ids held are not the file's.
        headsKnown_ = false;
    }
    if (!writes)
        lock_.Release();
    ringLock_ = writes ? RingLock::Held : RingLock::Free;
    return true;
}

void mscom::Failed(const QString& text, const QSqlError& cause)
{
    error_ = text;
    if (db::CannotWrite(cause))
        reopen_ = true;
}

void mscom::Report(Fault& fault, bool ok, const char* what)
{
    if (ok) {
        if (fault.active)
            qCInfo(lcRecorder, "%s: stored again", what);
        fault.active = false;
        return;
    }
    if (!fault.active)
        qCWarning(lcRecorder, "%s: cannot be stored (%s)", what,
                  qUtf8Printable(basic::LogEscaped(error_)));
    fault.active = true;
}

void mscom::ReportRing(int ring, bool ok)
{
    // Both rings fail together when the file is read-only or locked: that is
    // one fault and one line, and it is over once neither ring fails.
    ringFailing_[ring] = !ok;
    Report(ringFault_, !ringFailing_[0] && !ringFailing_[1], "the ring rows");
}

double mscom::okitime() const
{
    return basic::RoundHalfEven(
        std::fabs(((now_.date - ShortRecDate) + (now_.time - ShortRecTime)) * 24 * 60 * 60));
}

double mscom::Rec1_time() const
{
    return basic::RoundHalfEven(
        std::fabs(((now_.date - LongRecDate) + (now_.time - LongRecTime)) * 24 * 60 * 60));
}

bool mscom::Begin()
{
    // IMMEDIATE takes the write lock first: a deferred transaction that read
    // before another writer committed could not write at all.
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    Failed(q.lastError().text(), q.lastError());
    rs_.Close();
    return false;
}

bool mscom::End(bool commit)
{
    rs_.Close();
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (commit && q.exec(QStringLiteral("COMMIT")))
        return true;
    if (commit)
        Failed(q.lastError().text(), q.lastError());
    q.exec(QStringLiteral("ROLLBACK"));
    return false;
}

// What differs between the configuration and the calibration record. Both
// tables keep the record number, the operator and the stamps at the same
// places.
struct mscom::Record {
    const char* table;
    const char* what;                  // for the log
    bool* requested;                   // SaveConfFlag, SaveCaliFlag
    SaveResult* result;                // SaveConfResult, SaveCaliResult
    const QString* note;               // CaliNote at noteField; none for CONF
    int noteField;
    int firstValue;
    std::span<const int32_t> values;   // the buffer's part the record keeps
};
static_assert(db::conf::RecordNumber == db::cali::RecordNumber
              && db::conf::Operator == db::cali::Operator && db::conf::Date == db::cali::Date
              && db::conf::Time == db::cali::Time);

const mscom::Record mscom::kConfRecord{
    db::ConfTable, "a configuration record", &SaveConfFlag, &SaveConfResult, nullptr, 0,
    db::conf::FirstValue, std::span<const int32_t>(ConfBuf).first(db::conf::ValueCount)};
const mscom::Record mscom::kCaliRecord{
    db::CaliTable, "a calibration record", &SaveCaliFlag, &SaveCaliResult, &CaliNote,
    db::cali::Note, db::cali::FirstValue,
    std::span<const int32_t>(CaliBuf).first(db::cali::ValueCount)};

bool mscom::StoreRecord(const Record& record, qint64& recordNumber)
{
    using namespace db::conf;
    // The set's fields are the table's by name (RecordSet), so a table
    // rebuilt in another order still gets each value in its own field.
    bool ok = rs_.Open(QStringLiteral("select * from  ")
                       + db::QuotedName(QString::fromLatin1(record.table)))
              && rs_.AddNew() && rs_.SetField(Operator, OperatorName)
              && rs_.SetField(Date, static_cast<double>(SaveDate))
              && rs_.SetField(Time, static_cast<double>(SaveTime))
              && (!record.note || rs_.SetField(record.noteField, *record.note));
    for (size_t i = 0; ok && i < record.values.size(); ++i)
        ok = rs_.SetField(record.firstValue + int(i), record.values[i]);
    ok = ok && rs_.Update();
    recordNumber = ok ? rs_.Field(RecordNumber).toLongLong() : 0;
    if (!ok)
        Failed(rs_.LastError(), rs_.LastSqlError());
    rs_.Close();
    return ok;
}

void mscom::ServeRequest(const Record& record, Fault& fault)
{
    if (!*record.requested)
        return;
    SaveTime = static_cast<float>(now_.time);
    SaveDate = static_cast<float>(now_.date);
    qint64 number = 0;
    const bool ok = connected_ && StoreRecord(record, number);
    if (connected_)
        Report(fault, ok, record.what);
    *record.result = {ok ? SaveOutcome::Stored : SaveOutcome::Failed, number};
    *record.requested = false;
}

std::optional<int32_t> mscom::NewestId(const Ring& ring)
{
    // Best guess: the row with the latest stamp. A clock that was set back
    // makes this pick a row older than the true head, so a few rows written
    // before the change may be overwritten early; it still keeps the ids
    // inside the ring and the head naming a stored row.
    int32_t id = 0;
    if (!rs_.Open(QString::fromLatin1(ring.newestSql)))
        return std::nullopt;
    if (!rs_.AtEnd())
        basic::AssignRounded(id, rs_.Field(db::ring::Id).toDouble());
    rs_.Close();
    if (id < 0 || id > db::ring::MaxId)
        id = 0;
    return id;
}

void mscom::ReadHeads()
{
    if (!rs_.Open(QString::fromLatin1(kHeadsSql)))
        return;   // the ids stay as they were in memory
    const bool haveRow = !rs_.AtEnd();
    bool shortOk = false, longOk = false;
    if (haveRow) {
        const QVariant s = rs_.Field(db::heads::ShortHead);
        const QVariant l = rs_.Field(db::heads::LongHead);
        int32_t v = 0;
        if (!s.isNull() && basic::AssignRounded(v, s.toDouble()) && v >= 0) {
            ShortRingId = v;
            shortOk = true;
        }
        if (!l.isNull() && basic::AssignRounded(v, l.toDouble()) && v >= 0) {
            LongRingId = v;
            longOk = true;
        }
    }
    rs_.Close();
    if (shortOk && longOk) {
        headsKnown_ = true;
        headFault_.active = false;
        return;
    }

    // No row, or a head that is empty or negative: counting on from it would
    // write ids outside the ring, or overwrite the ring from id 1 while no
    // head is stored. While the recorder runs it holds the true head of each
    // ring in memory and keeps it: the newest stamp may belong to a row
    // written before the clock was set back, and going back to it would
    // overwrite every row written since. Only at the start of a file, with
    // no id of its own yet, does it take the newest row of each such ring.
    // Either way the ids are stored as the heads, so the file names them
    // again.
    const bool guessed = !headsKnown_;
    if (guessed) {
        const std::optional<int32_t> newestShort =
            shortOk ? std::optional(ShortRingId) : NewestId(kShortRing);
        const std::optional<int32_t> newestLong =
            longOk ? std::optional(LongRingId) : NewestId(kLongRing);
        if (!newestShort || !newestLong)
            return;   // tried again next tick; the ids stay as they were
        ShortRingId = *newestShort;
        LongRingId = *newestLong;
        headsKnown_ = true;
    }
    bool ok = Begin() && rs_.Open(QString::fromLatin1(kHeadsSql));
    if (ok && rs_.AtEnd())
        ok = rs_.AddNew();
    using namespace db::heads;
    if (ok && (!haveRow || !shortOk))
        ok = rs_.SetField(ShortHead, ShortRingId) && rs_.SetField(ShortHeadCopy, ShortRingId);
    if (ok && (!haveRow || !longOk))
        ok = rs_.SetField(LongHead, LongRingId) && rs_.SetField(LongHeadCopy, LongRingId);
    ok = End(ok && rs_.Update());
    if (!headFault_.active)
        qCWarning(lcRecorder, "the ring heads were %s; %s (%d, %d)%s",
                  haveRow ? "empty or negative" : "missing",
                  guessed ? "taken from the newest rows" : "kept as the recorder held them",
                  ShortRingId, LongRingId, ok ? "" : " but not stored");
    headFault_.active = true;
}

bool mscom::StoreRingRow(const Ring& ring, int32_t id, const basic::DayStamp& stamp)
{
    // Row and head in one transaction: the head names a row only once the
    // row is stored, and a crash leaves both or neither.
    error_.clear();
    bool ok = Begin() && rs_.Open(QString::fromLatin1(ring.findSql), {id});
    if (ok && rs_.RecordCount() == 0)
        ok = rs_.AddNew();
    using namespace db::ring;
    ok = ok && rs_.SetField(Id, id) && rs_.SetField(Date, stamp.date)
         && rs_.SetField(Time, stamp.time);
    for (int i = 0; ok && i < ValueCount; ++i)
        ok = rs_.SetField(FirstValue + i, static_cast<double>(StatusValues[i]));
    ok = ok && rs_.Update();
    rs_.Close();
    ok = ok && rs_.Open(QString::fromLatin1(kHeadsSql));
    if (ok && rs_.AtEnd()) {
        // The row vanished since this tick read it: store both heads anew.
        ok = rs_.AddNew() && rs_.SetField(db::heads::ShortHead, ShortRingId)
             && rs_.SetField(db::heads::ShortHeadCopy, ShortRingId)
             && rs_.SetField(db::heads::LongHead, LongRingId)
             && rs_.SetField(db::heads::LongHeadCopy, LongRingId);
    }
    ok = ok && rs_.SetField(ring.headField, id) && rs_.SetField(ring.headField + 1, id)
         && rs_.Update();
    if (!ok && error_.isEmpty())
        Failed(rs_.LastError(), rs_.LastSqlError());
    return End(ok);
}

void mscom::Timer1_Timer()
{
    // One reading of the clock, in whole seconds as the stamps are kept,
    // serves every stamp and elapsed test of this tick: a tick at midnight
    // cannot stamp a date of one day with a time of the other.
    QDateTime reading = clock_();
    reading = reading.addMSecs(-reading.time().msec());
    now_ = basic::SplitDayStamp(reading);

    // A fold asked last tick is over long since, unless the disk is slow.
    folder_.Await();
    WatchFolder();
    if (connected_)
        FollowPath();
    if (reopen_ && pacing_.Due())
        Reconnect();

    ServeRequest(kConfRecord, confFault_);
    ServeRequest(kCaliRecord, caliFault_);

    const bool rings = connected_ && TakeRings();
    if (rings)
        ReadHeads();
    if (ShortRingId >= db::ring::MaxId)
        ShortRingId = 0;
    if (LongRingId >= db::ring::MaxId)
        LongRingId = 0;

    if (okitime() >= 1) {
        ShortRingId = ShortRingId + 1;
        ShortRecTime = now_.time;
        ShortRecDate = now_.date;
        if (rings)
            ReportRing(0, StoreRingRow(kShortRing, ShortRingId, now_));
        if (CurveOpen)
            NewShortRec = true;
    }
    if (Rec1_time() >= 10) {
        LongRingId = LongRingId + 1;
        LongRecTime = now_.time;
        LongRecDate = now_.date;
        if (rings)
            ReportRing(1, StoreRingRow(kLongRing, LongRingId, now_));
        if (CurveOpen)
            NewLongRec = true;
    }

    // Whatever this tick or an earlier one stored goes from the log into the
    // file now; a fold that a reader held up is tried again every tick.
    if (connected_)
        folder_.Fold(QSqlDatabase::database(connection_, false));
}
