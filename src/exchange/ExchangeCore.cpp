#include "exchange/ExchangeCore.h"

#include "device/DeviceLink.h"
#include "exchange/ExchangeShared.h"
#include "platform/basic/daynumbers.h"
#include "platform/basic/logtext.h"
#include "platform/basic/numbers.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Tables.h"
#include "platform/modbus/modbus_rtu.h"

#include <algorithm>
#include <chrono>
#include <cmath>

Q_LOGGING_CATEGORY(lcExchange, "zc4160.exchange")

namespace exchange {

namespace {

// The registers of the configuration record in three reads of 64, the bar
// at 20, 40 and 60 after each; the calibration block in one read of 64.
constexpr ExportRead kConfigReads[] = {
    {4097, 64, 0, 20},
    {4161, 64, 64, 40},
    {4225, 64, 128, 60},
};
constexpr ExportRead kCalibrationReads[] = {
    {24577, 64, 0, 0},
};

// Every read of an export lands inside the buffer it fills.
template <size_t N>
constexpr bool ReadsFit(const ExportRead (&reads)[N], size_t bufferSize)
{
    return std::ranges::all_of(reads, [bufferSize](const ExportRead& read) {
        return BlockFits(read.element, read.count, bufferSize);
    });
}
static_assert(ReadsFit(kConfigReads, std::tuple_size_v<decltype(ConfBuf)>));
static_assert(ReadsFit(kCalibrationReads, std::tuple_size_v<decltype(CaliBuf)>));

const ExportRequest kConfigExport{"configuration export", kConfigReads, ConfBuf, &SaveConfFlag,
                                  &SaveConfResult};
const ExportRequest kCalibrationExport{"calibration export", kCalibrationReads, CaliBuf,
                                       &SaveCaliFlag, &SaveCaliResult};

// 161 values: the configuration tabs' block 4097..4255 and 4256, 4257; the
// rest of the record (4258..4288) is kept in the database only.
constexpr int kConfigImportCount = 161;
const ImportRecord kConfigImport{"configuration import", db::ConfTable, db::conf::FirstValue,
                                 kConfigImportCount, 4097, ImportBuf};
const ImportRecord kCalibrationImport{"calibration import", db::CaliTable,
                                      db::cali::FirstValue, db::cali::ValueCount, 24577,
                                      CaliImportBuf};

} // namespace

// ---- Texts ---------------------------------------------------------------

QString PercentText(double percent)
{
    return basic::DigitPatternText(percent, 1, 2) + u'%';
}

Stamp StampOf(const QDateTime& local)
{
    const basic::DayStamp day = basic::SplitDayStamp(local.addMSecs(-local.time().msec()));
    return {static_cast<float>(day.date), static_cast<float>(day.time)};
}

QString SaveNumberText(const Stamp& stamp)
{
    // A single-precision sum: for present-day dates it moves in steps of
    // 1/256 day.
    const float sum = stamp.StampDate + stamp.StampTime;
    return basic::DigitPatternText(static_cast<double>(sum), 5, 4);
}

// ---- Export --------------------------------------------------------------

const ExportRequest& ConfigExport() { return kConfigExport; }
const ExportRequest& CalibrationExport() { return kCalibrationExport; }

void WithdrawRequest(const ExportRequest& request)
{
    *request.flag = false;
    *request.result = {};
}

bool RunExport(const ExportRequest& request, const std::function<void(int)>& progress)
{
    // The reads land in a copy; the buffer takes them only all together.
    std::vector<int32_t> staged(request.buffer.begin(), request.buffer.end());
    bool ok = true;
    for (const ExportRead& read : request.reads) {
        const int32_t result = ReadBlock(
            read.first, std::span(staged).subspan(size_t(read.element), size_t(read.count)));
        if (result != 0 && ok)
            qCWarning(lcExchange, "%s: the read of %d registers from %d failed (%d); no record "
                                  "requested",
                      request.what, read.count, read.first, result);
        ok = ok && result == 0;
        if (progress)
            progress(read.progress);
    }
    if (!ok)
        return false;
    std::copy(staged.begin(), staged.end(), request.buffer.begin());
    *request.flag = true;
    *request.result = {SaveOutcome::Pending, 0};
    return true;
}

std::optional<QString> ExportResultText(const SaveResult& result)
{
    switch (result.outcome) {
    case SaveOutcome::Stored: return QString::fromUtf8(kExportStored);
    case SaveOutcome::Failed: return QString::fromUtf8(kExportFailed);
    case SaveOutcome::None:
    case SaveOutcome::Pending: break;
    }
    return std::nullopt;
}

// ---- Import --------------------------------------------------------------

const ImportRecord& ConfigImport() { return kConfigImport; }
const ImportRecord& CalibrationImport() { return kCalibrationImport; }

namespace {

QStringList FieldNamesOf(const ImportRecord& record)
{
    const db::TableLayout* table = db::FindTable(QString::fromLatin1(record.table));
    return table ? db::FieldNames(*table) : QStringList();
}

// A field's value as the log shows it: a text or a byte array from the
// file quoted, escaped and cut (it may hold anything), a number as it is.
QString ValueText(const QVariant& field)
{
    return basic::LogValue(field, QStringLiteral("nothing"));
}

} // namespace

QString RecordQuerySql(const ImportRecord& record)
{
    const QStringList names = FieldNamesOf(record);
    const QString table = db::QuotedName(QString::fromLatin1(record.table)) + u'.';
    QStringList values;
    for (const QString& name : names.mid(record.firstValueField, record.count))
        values << table + db::QuotedName(name);
    return QStringLiteral("select %1 from  %2 where %3")
        .arg(values.join(QStringLiteral(", ")), table.chopped(1),
             db::RecordNumberTest(QString::fromLatin1(record.table), names.value(0)));
}

std::optional<qint64> RecordNumberOf(const QString& entry)
{
    const double n = basic::LeadingNumber(entry);
    // Whole numbers only, and only those a double holds exactly.
    if (n == 0 || !std::isfinite(n) || n != std::floor(n)
        || std::fabs(n) > double(db::MaxRecordNumber))
        return std::nullopt;
    return static_cast<qint64>(n);
}

std::optional<int32_t> RegisterValueOf(const QVariant& field)
{
    bool ok = false;
    const double v = field.isNull() ? 0.0 : field.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v != std::floor(v) || !modbus::FitsRegister(v))
        return std::nullopt;
    return static_cast<int32_t>(v);
}

std::optional<std::vector<int32_t>> WholeValues(const QVariantList& fields, int* refused)
{
    std::vector<int32_t> values;
    values.reserve(static_cast<size_t>(fields.size()));
    for (const QVariant& field : fields) {
        const std::optional<int32_t> v = RegisterValueOf(field);
        if (!v) {
            if (refused)
                *refused = static_cast<int>(values.size());
            return std::nullopt;
        }
        values.push_back(*v);
    }
    return values;
}

std::optional<std::vector<int32_t>> FindWholeRecord(const QString& connection,
                                                    const ImportRecord& record,
                                                    std::optional<qint64> number,
                                                    QueryFault* fault)
{
    if (!number)
        return std::nullopt;
    db::RecordSet rs(connection);
    const bool opened = rs.Open(RecordQuerySql(record), {*number});
    const bool found = opened && !rs.AtEnd();
    // A connection that is not open was logged by the window's load; what
    // counts here is a statement the database refused, at its start or at
    // its first row.
    if (rs.LastSqlError().isValid()) {
        if (fault)
            fault->Failed(rs.LastError());
        return std::nullopt;
    }
    if (!found)
        return std::nullopt;
    QVariantList fields;
    for (int i = 0; i < record.count; ++i)
        fields << rs.Field(i);
    rs.Close();
    int refused = 0;
    auto values = WholeValues(fields, &refused);
    if (!values)
        qCWarning(lcExchange, "%s: record %lld is not imported: its field \"%s\" (register %d) "
                              "holds %s, which is no value a register can be written with",
                  record.what, static_cast<long long>(*number),
                  qUtf8Printable(FieldNamesOf(record).value(record.firstValueField + refused)),
                  record.firstRegister + refused, qUtf8Printable(ValueText(fields.value(refused))));
    return values;
}

WriteRun::WriteRun(int32_t firstRegister, int count)
    : first_(firstRegister), count_(count), sent_(count)
{
}

void WriteRun::Record(int i, int32_t result)
{
    if (result == 0)
        return;
    ++failures_;
    if (!firstFailed_)
        firstFailed_ = first_ + i;
}

double WriteRun::Percent(int i) const
{
    return count_ > 1 ? static_cast<double>(i) / static_cast<double>(count_ - 1) * 100.0 : 100.0;
}

QString WriteRun::EndText() const
{
    if (Succeeded())
        return QStringLiteral(" DOWN OK");
    const int32_t named = firstFailed_ ? *firstFailed_ : first_ + sent_;
    return QStringLiteral(" DOWN ERR ") + basic::PlainText(int64_t(named));
}

ProgressPace::ProgressPace(Clock clock) : clock_(std::move(clock))
{
    if (!clock_)
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
}

bool ProgressPace::Due(bool last)
{
    const qint64 now = clock_();
    if (!last && shown_ && now - *shown_ < kProgressFrameMs)
        return false;
    shown_ = now;
    return true;
}

WriteRun RunWrites(const ImportRecord& record, const std::function<bool()>& yield,
                   const std::function<void(const WriteRun&, int)>& step)
{
    WriteRun run(record.firstRegister, record.count);
    for (int i = 0; i < record.count; ++i) {
        if (!yield()) {
            run.CutShort(i);
            break;
        }
        run.Record(i, WriteRegister(record.firstRegister + i, record.buffer[size_t(i)],
                                    WriteRule::NoAnswer));
        step(run, i);
    }
    if (run.FirstFailed())
        qCWarning(lcExchange, "%s: %d of %d writes failed, the first at register %d",
                  record.what, run.Failures(), run.Count(), *run.FirstFailed());
    // The controller now holds part of the record and part of what it had:
    // say where the record stops.
    const int left = run.Count() - run.Sent();
    if (left > 0 && run.Sent() > 0)
        qCWarning(lcExchange, "%s cut short: its window went away; the last register written "
                              "is %d, %d of %d writes left",
                  record.what, record.firstRegister + run.Sent() - 1, left, run.Count());
    else if (left > 0)
        qCWarning(lcExchange, "%s cut short: its window went away before the first write; "
                              "%d of %d writes left",
                  record.what, left, run.Count());
    return run;
}

} // namespace exchange
