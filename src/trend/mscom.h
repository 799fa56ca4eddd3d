#pragma once
// The recorder: the hidden window mscom whose 100 ms timer writes the live
// values into the database rings and stores requested records.
//
// Every tick, in this order: a pending CONF record, a pending Calibration
// record, the heads from sl_void, a short-ring row once per clock second, a
// long-ring row every ten seconds, and the new-row flags while a chart is
// open. The hand-shake variables are in trend/RecorderShared.h, the tables
// in platform/db/Tables.h.
//
// A connection that could not be opened, or that cannot write because the
// file or its folder was not writable when it was opened, is opened again
// at most every ten seconds (after installing a file that is still missing),
// so recording comes back by itself once the file can be written.
//
// Before anything is stored the recorder makes sure that the file it writes
// is still the file at the database's path; where another program deleted
// it or put another file there, every connection of the station is opened
// again at the path. After every tick that stored something the log is
// folded into the file, so that the file alone is the whole database
// between ticks: a copy of it is a backup, and a file moved away keeps
// every row and record stored in it. The rings are one station's at a time:
// a lock on the file itself says which (platform/db/FileLock.h), and a
// second station started on the same file writes no ring rows (its records
// are stored as always) until the first has ended.

#include "platform/db/DatabaseFile.h"
#include "platform/db/FileLock.h"
#include "platform/db/RecordSet.h"
#include "platform/basic/daynumbers.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QLoggingCategory>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcRecorder)

class mscom : public QObject {
    Q_OBJECT
public:
    // The local date and time; the recorder reads it once per tick.
    using Clock = std::function<QDateTime()>;

    // The single instance, loaded hidden with its timer running.
    static mscom& instance();

    // A recorder of its own on the named connection (tests, benchmark); the
    // station uses instance(). Its timer runs from here on, as instance()'s.
    // steady spaces the tries to open the connection again.
    explicit mscom(Clock clock, QString connectionName = QStringLiteral("recorder"),
                   db::SteadyClock steady = db::SteadyMs);
    ~mscom() override;

    QTimer Timer1;   // 100 ms, enabled from load, never switched off

    // One tick (Timer1's handler).
    void Timer1_Timer();

    // Whole seconds since the stamp of the last short row and of the last
    // long row, at the clock reading of the current tick.
    double okitime() const;
    double Rec1_time() const;

    // Recorder state, 0 at load.
    int32_t ShortRingId = 0;
    int32_t LongRingId = 0;
    double ShortRecDate = 0, ShortRecTime = 0;
    double LongRecDate = 0, LongRecTime = 0;
    float SaveDate = 0, SaveTime = 0;

    // Whether the connection is open (it may still be unable to write).
    bool Connected() const { return connected_; }
    // Whether this recorder writes the rings (no other station does).
    bool HoldsRings() const { return ringLock_ != RingLock::Refused; }

private:
    struct Fault {
        bool active = false;
    };
    struct Ring;
    static const Ring kShortRing;
    static const Ring kLongRing;
    struct Record;
    static const Record kConfRecord;
    static const Record kCaliRecord;

    void Form_Load();
    void Reconnect();
    // Where the file at the path is not the one the connection writes:
    // one line, and every connection opened again at the path.
    void FollowPath();
    // Takes the lock on the rings when it is due; whether this recorder
    // may write them.
    bool TakeRings();
    // A requested record: stored, its outcome set and the request lowered.
    void ServeRequest(const Record& record, Fault& fault);
    bool StoreRecord(const Record& record, qint64& recordNumber);
    // The heads from sl_void into the ids; see headsKnown_ for a head that
    // cannot be read.
    void ReadHeads();
    // The id of the ring's row with the newest stamp (0 for an empty ring);
    // nothing when the query failed.
    std::optional<int32_t> NewestId(const Ring& ring);
    bool StoreRingRow(const Ring& ring, int32_t id, const basic::DayStamp& stamp);
    bool Begin();
    bool End(bool commit);   // whether it committed
    void Failed(const QString& text, const QSqlError& cause);
    void Report(Fault& fault, bool ok, const char* what);
    void ReportRing(int ring, bool ok);

    Clock clock_;
    QString connection_;
    db::RecordSet rs_;
    bool connected_ = false;
    bool reopen_ = false;   // the connection is closed or cannot write
    db::ReopenPacing pacing_;
    // Folds the log into the file after the ticks that stored something.
    db::LogFolder folder_;
    // The database's folder, watched so that a file moved over the one at
    // the path is followed at once, not at the next tick: until the station
    // lets go of the old file, a program that opens the new one takes the
    // old one's log index, with the old file's size in it.
    QFileSystemWatcher watcher_;
    void WatchFolder();
    // The lock on the file that makes the rings this station's; it is taken
    // again on the file at the path whenever that is another file. Only a
    // connection that may write keeps it, since a station that cannot write
    // would keep the rings from one that can: such a station (Free) gives
    // the lock up at once and its ring writes fail as they would. Where the
    // lock cannot be taken at all (Unavailable) nothing is known about
    // other stations, and the recorder writes as if it held it.
    enum class RingLock { Untried, Held, Refused, Free, Unavailable };
    db::FileLock lock_;
    RingLock ringLock_ = RingLock::Untried;
    bool lockTriedWriting_ = false;   // whether the connection could write at the last try
    db::ReopenPacing lockPacing_;
    QString error_;   // why the last store failed, for the log
    basic::DayStamp now_;

    Fault confFault_, caliFault_, headFault_, ringFault_;
    bool ringFailing_[2] = {false, false};   // short, long
    // Whether the ids in memory are this file's heads: the recorder read or
    // took them from the file it has open. Until then a head that cannot be
    // read is taken from the ring's newest row; from then on it is kept as
    // held in memory. A connection opened on another file (one that
    // replaced the file at the path), or rings taken over from another
    // station, clear it, so that the file's heads are read, or guessed from
    // its own rows.
    bool headsKnown_ = false;
    // The file at the path is another, but a reader of the old one keeps
    // its log from being folded into it (logged once).
    bool followHeld_ = false;
};
