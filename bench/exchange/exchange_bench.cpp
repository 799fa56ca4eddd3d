// Runs the configuration export ("开始导出数据": three reads of 64
// registers) and the configuration import ("导入": 161 single-register
// writes, each after a yield) through the windows' own handlers against the
// simulated controller paced at 38400 and 9600 baud, and prints each as a
// ratio of the physical line time of its transactions: 11-bit characters,
// request and answer, and the silent gap before each frame. No master can
// leave the gaps out; the ratio to the characters alone is printed beside
// it, to show what they cost.
//
// The import is also set against a minimal master on the same line (plain
// libmodbus, one thread, the same 161 writes, nothing in between): the
// window's yields, its progress and its repaint may cost at most 5 % over
// what the line itself costs such a master. The window is shown, as the
// operator has it, so its repaint is in the figure; the two alternate run by
// run so a change in the machine's load falls on both.

#include "common/MeanMs.h"
#include "common/MinimalMaster.h"
#include "common/PacedLine.h"
#include "device/Met1.h"
#include "exchange/ExchangeShared.h"
#include "exchange/Inport1.h"
#include "exchange/Inportb.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "platform/modbus/modbus_rtu.h"
#include "trend/RecorderShared.h"
#include "trend/mscom.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

namespace {

// A write echoes its 8 characters.
constexpr Transaction kRead64 = ReadTransaction(64);
constexpr Transaction kWrite{8, 8};
constexpr int kReads = 3;
constexpr int kWrites = 161;
constexpr int kRuns = 5;

void Report(int baud, const char* what, double meanMs, int count, const Transaction& t,
            double target)
{
    const double lineMs = count * LineMs(baud, t);
    const double ratio = meanMs / lineMs;
    std::printf("%6d baud: %-32s %8.1f ms, line time %8.1f ms, ratio %.3f (target <= %.2f) %s; "
                "to the characters alone %.3f\n",
                baud, what, meanMs, lineMs, ratio, target, ratio <= target ? "ok" : "MISSED",
                meanMs / (count * CharactersMs(baud, t)));
}

bool Run(int baudIndex, const std::string& dir, mscom& recorder)
{
    const int baud = modbus::BaudRate(baudIndex);
    const auto sim = StartPacedLine(baudIndex, dir);
    if (!sim)
        return false;

    Inport1& out = forms::Instance<Inport1>();
    out.Text1->setText(QStringLiteral("bench"));
    out.Timer1_Timer();
    const double exportMs = MeanMs(kRuns, [&] { out.Command1_Click(); });
    const bool exported = SaveConfFlag;
    recorder.Timer1_Timer();
    out.Command2_Click();
    if (!exported || SaveConfResult.outcome != SaveOutcome::Stored) {
        std::fprintf(stderr, "the export was not stored\n");
        return false;
    }

    Inportb& in = forms::Instance<Inportb>();
    in.MaskEdBox1->setText(QString::number(SaveConfResult.recordNumber));
    in.Command2_Click();
    if (!in.Command1->isEnabled()) {
        std::fprintf(stderr, "the record was not found\n");
        return false;
    }
    in.show();
    QApplication::processEvents();
    bool ok = true;
    auto import = [&] {
        in.Command1_Click();
        ok = ok && in.Label4->text() == QStringLiteral(" DOWN OK");
    };
    auto master = [&] {
        // The station's port is closed meanwhile: one master on the line.
        SwitchLivePoll(false);
        ClosePort_Modbus(1);
        double ms = 0;
        {
            MinimalMaster m(sim->linkPath(), baud);
            QElapsedTimer t;
            t.start();
            ok = ok && m.Write(4097, kWrites, [](int i) { return ImportBuf[size_t(i)]; });
            ms = t.nsecsElapsed() / 1e6;
        }
        ok = OpenPort1(baudIndex) && ok;
        return ms;
    };
    import();   // warm up
    master();
    double importMs = 0, masterMs = 0;
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer t;
        t.start();
        import();
        importMs += t.nsecsElapsed() / 1e6;
        masterMs += master();
    }
    importMs /= kRuns;
    masterMs /= kRuns;
    in.Command8_Click();
    SwitchLivePoll(false);
    ClosePort_Modbus(1);
    if (!ok) {
        std::fprintf(stderr, "the import or the minimal master failed\n");
        return false;
    }

    Report(baud, "export, 3 reads of 64", exportMs, kReads, kRead64, 1.05);
    Report(baud, "import, 161 writes with yields", importMs, kWrites, kWrite, 1.10);
    Report(baud, "minimal master, the 161 writes", masterMs, kWrites, kWrite, 1.10);
    const double ratio = importMs / masterMs;
    std::printf("%6d baud: import %.1f ms against the minimal master's %.1f ms: ratio %.3f "
                "(target <= 1.05) %s\n",
                baud, importMs, masterMs, ratio, ratio <= 1.05 ? "ok" : "MISSED");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    forms::SetUpStation(app);
    QLoggingCategory::setFilterRules("zc4160.*=false");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Rdatabj.db"));
    qputenv("ZC4160_DB", file.toUtf8());
    if (!db::InstallAt(file)) {
        std::fprintf(stderr, "cannot install the database\n");
        return 1;
    }
    mscom recorder([] { return QDateTime::currentDateTime(); }, QStringLiteral("bench-recorder"));
    recorder.Timer1.stop();
    const std::string path = dir.path().toStdString();
    const bool ok = Run(3, path, recorder) && Run(1, path, recorder);
    return ok ? 0 : 1;
}
