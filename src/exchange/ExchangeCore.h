#pragma once
// What the export and import windows do without windows: the texts they
// show, the export's reads and its request to the recorder, the import's
// record lookup, its check that a record is whole, and its write loop. The
// configuration and calibration pairs share each of these; they differ only
// in the constant descriptions below.

#include "exchange/QueryFault.h"
#include "trend/RecorderShared.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QString>
#include <QVariantList>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace exchange {

// ---- Texts ---------------------------------------------------------------

// An import's progress: p in the pattern "0.00" followed by "%".
QString PercentText(double percent);

// The clock as the export windows stamp it: the day number and the time of
// day in whole seconds as a fraction of a day, both single precision.
struct Stamp {
    float StampDate = 0;
    float StampTime = 0;
};
Stamp StampOf(const QDateTime& local);

// SaveNumber: the single-precision sum of the two, in "00000.0000". Shown
// only; stored nowhere.
QString SaveNumberText(const Stamp& stamp);

// ---- Export --------------------------------------------------------------

// One block read of an export: count registers from first into the request
// buffer from element on; progress is the bar's value once it is done.
struct ExportRead {
    int32_t first;
    int32_t count;
    int32_t element;
    int progress;
};

// An export's hand-over to the recorder.
struct ExportRequest {
    const char* what;                  // for the log
    std::span<const ExportRead> reads;
    std::span<int32_t> buffer;         // ConfBuf, CaliBuf
    bool* flag;                        // SaveConfFlag, SaveCaliFlag
    SaveResult* result;                // SaveConfResult, SaveCaliResult
};

// Registers 4097..4288 in three reads; the 64 calibration registers from
// 24577 in one.
const ExportRequest& ConfigExport();
const ExportRequest& CalibrationExport();

// The window's load: a request the recorder has not taken yet is withdrawn
// and the outcome of an earlier one forgotten.
void WithdrawRequest(const ExportRequest& request);

// Every read of the request in order, without yielding, progress(p) after
// each. Only when all of them succeeded do the values go into the buffer,
// the flag rise and the result become Pending; a failed export leaves the
// buffer, the flag and the result as they were, so neither a request still
// pending nor the recorder ever sees a buffer mixed from two exports.
bool RunExport(const ExportRequest& request, const std::function<void(int)>& progress = {});

// The result label: "数据导出成功" once the recorder stored the row,
// "数据导出失败" when it could not; nothing while the request is pending.
inline constexpr const char* kExportStored = "数据导出成功";
inline constexpr const char* kExportFailed = "数据导出失败";
std::optional<QString> ExportResultText(const SaveResult& result);

// ---- Import --------------------------------------------------------------

// A record table as an import reads it back: count values from field
// firstValueField on go to the registers from firstRegister on, through the
// buffer that outlives the window.
struct ImportRecord {
    const char* what;   // for the log
    const char* table;
    int firstValueField;
    int count;
    int32_t firstRegister;
    std::span<int32_t> buffer;   // ImportBuf, CaliImportBuf
};

// CONF fields 4..164 to registers 4097..4257; Calibration fields 5..46 to
// registers 24577..24618.
const ImportRecord& ConfigImport();
const ImportRecord& CalibrationImport();

// "select "CONF"."1", … "CONF"."161" from  "CONF" where "CONF"."C_ID"=?":
// the values the import writes, by their field names, of the record with
// the number bound as a value; the key is the table's field 0. Every name is
// quoted, as in all the station's SQL, and carries its table: SQLite reads a
// lone quoted name that the table lacks as a text where it is allowed to,
// but never a qualified one, so a missing field is an error on every
// connection.
QString RecordQuerySql(const ImportRecord& record);

// The record number of the operator's entry: its leading number when that
// is whole and not 0 ("12xy" is 12, " 7" is 7). Nothing for an entry
// without a number ("abc", "", which read as 0; the database numbers its
// records from 1) or with a fraction ("2.5"): such an entry finds no record.
std::optional<qint64> RecordNumberOf(const QString& entry);

// A record's field as the value its register is written with: a whole
// number that a register write carries (modbus::FitsRegister, the rule the
// write itself applies). Nothing for an empty field, a text that is no
// number, a fraction or a number beyond the register.
std::optional<int32_t> RegisterValueOf(const QVariant& field);

// The values when every field is a register value; nothing otherwise, and
// then the position of the first field that is not in refused, when given.
// A record made of such values is written whole or not at all.
std::optional<std::vector<int32_t>> WholeValues(const QVariantList& fields,
                                                int* refused = nullptr);

// The record's values on the named connection, when the record is there and
// whole; nothing when there is no number, no such record, or a field that is
// no register value, which is logged with the field's name and value. A
// query the database refuses (the table gone, or without its key or a field
// the import writes) finds nothing too and goes to fault, when given. The
// table's other fields, and the order of its fields, do not matter.
std::optional<std::vector<int32_t>> FindWholeRecord(const QString& connection,
                                                    const ImportRecord& record,
                                                    std::optional<qint64> number,
                                                    QueryFault* fault = nullptr);

// The bookkeeping of one import's writes: progress and the end text.
class WriteRun {
public:
    WriteRun(int32_t firstRegister, int count);
    int Count() const { return count_; }
    // After write i: its result (of the repeat, when there was one).
    void Record(int i, int32_t result);
    // p = i / (count - 1) x 100, in floating point.
    double Percent(int i) const;
    bool Last(int i) const { return i == count_ - 1; }
    int Failures() const { return failures_; }
    std::optional<int32_t> FirstFailed() const { return firstFailed_; }
    // The run ended before write i: writes i to the last were never sent.
    void CutShort(int i) { sent_ = i; }
    int Sent() const { return sent_; }
    bool Complete() const { return sent_ == count_; }
    // Every write was sent and succeeded.
    bool Succeeded() const { return Complete() && !firstFailed_; }
    // " DOWN OK" when every write was sent and succeeded, else " DOWN ERR "
    // followed by the first register whose write failed or, in a run cut
    // short without a failure, the first that was not written.
    QString EndText() const;

private:
    int32_t first_;
    int count_;
    int sent_;
    int failures_ = 0;
    std::optional<int32_t> firstFailed_;
};

// How often a run's progress is shown. A write at 38400 baud takes a few
// milliseconds and the bar and the percentage repaint in the yield after
// it, so showing every step would repaint them several times a display
// frame for nothing an eye can see, and on a real display the repaints add
// up to several per cent of the run. A step is shown once a frame has
// passed since the last one shown; the first and the last step always are.
inline constexpr qint64 kProgressFrameMs = 16;

class ProgressPace {
public:
    using Clock = std::function<qint64()>;   // milliseconds, never going back
    explicit ProgressPace(Clock clock = {});
    // Whether the step is to be shown; one that is counts as shown now.
    bool Due(bool last);

private:
    Clock clock_;
    std::optional<qint64> shown_;
};

// The import's loop: for each value in order, yield() first, then the write
// of its register, sent once more on no answer, then step(run, i). Every
// write is sent whatever the earlier ones returned. A yield() that returns
// false ends the loop there (the window went away) and cuts the run short.
// A run with failed writes is logged in one line, and so is a run cut
// short, with the last register written and the number of writes left.
WriteRun RunWrites(const ImportRecord& record, const std::function<bool()>& yield,
                   const std::function<void(const WriteRun&, int)>& step);

} // namespace exchange
