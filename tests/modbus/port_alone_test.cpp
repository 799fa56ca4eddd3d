// A port is one station's alone: a second station, or a serial program
// that locks it the same way, does not open it beside the first, and the
// first does not open one another holds; its own reopens still work. The
// port is free again the moment its station ends, however it ends, also
// for an operator's user. And an open is told only for a line that runs at
// the rate asked for.

#include "db/LogCapture.h"
#include "modbus/SimLine.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <link.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using testsupport::SimLine;

namespace {

constexpr int kBaud9600 = 1;
constexpr int kBaud38400 = 3;
constexpr int kEven = 2;
const char* const kInUse = "in use by another program";

const QString kAsNobody = QStringLiteral("--as-nobody");

// The line's device as a user in the serial group may open it. The user
// nobody stands for that user: the pseudo-terminal is made openable for
// anyone, and named by its own path, since the test's folder with the
// link is root's alone.
std::string DeviceForOperators(SimLine& line)
{
    const std::string device = line->linePath();
    EXPECT_EQ(::chmod(device.c_str(), 0666), 0) << device << ": " << std::strerror(errno);
    return device;
}

// A second station's link (or, with --plain, a program that takes no lock)
// in a process of its own, on the device of port 1; with --as-nobody as an
// operator's user. extraEnvironment goes into its environment.
class SecondStation {
public:
    SecondStation(SimLine& line, QStringList arguments, const QProcessEnvironment& extraEnvironment = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const std::string device = arguments.contains(kAsNobody) ? DeviceForOperators(line)
                                                                  : line->linkPath();
        env.insert(QStringLiteral("ZC4160_PORT1"), QString::fromStdString(device));
        env.insert(extraEnvironment);
        child_.setProcessEnvironment(env);
        child_.start(QStringLiteral(PORT_OPEN_CHILD), arguments);
    }
    ~SecondStation()
    {
        if (child_.state() != QProcess::NotRunning) {
            child_.kill();
            child_.waitForFinished(10000);
        }
    }
    // The first line it printed: "open <result>", "plain <errno>" or
    // "cannot drop"; empty if it printed none within a wide limit.
    std::string Said()
    {
        QElapsedTimer clock;
        clock.start();
        while (!child_.canReadLine() && child_.state() != QProcess::NotRunning
               && clock.elapsed() < 60000)
            child_.waitForReadyRead(100);
        return child_.readLine().trimmed().toStdString();
    }
    // Ends its hold of the port; what it logged.
    QString End()
    {
        child_.closeWriteChannel();
        EXPECT_TRUE(child_.waitForFinished(20000));
        return QString::fromUtf8(child_.readAllStandardError());
    }
    // Ends it by a signal, as a log-out (SIGTERM) or kill -9 does, and
    // waits until it has gone.
    void Signal(int signal)
    {
        ASSERT_EQ(::kill(pid_t(child_.processId()), signal), 0) << std::strerror(errno);
        ASSERT_TRUE(child_.waitForFinished(20000));
        EXPECT_EQ(child_.exitStatus(), QProcess::CrashExit);
    }

private:
    QProcess child_;
};

// What a second station's open of the port came to, and its log.
struct SecondOpen {
    std::string said;
    QString log;
};

SecondOpen OpenBeside(SimLine& line, QStringList arguments = {},
                      const QProcessEnvironment& extraEnvironment = {})
{
    SecondStation second(line, arguments, extraEnvironment);
    SecondOpen result;
    result.said = second.Said();
    result.log = second.End();
    return result;
}

// One log line told why the open failed: the port is in use.
::testing::AssertionResult ToldInUse(const QString& log)
{
    const QStringList lines = log.split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() == 1 && lines[0].contains(QStringLiteral("open port 1"))
        && lines[0].contains(QLatin1String(kInUse)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "log:\n" << log.toStdString();
}

// Another program's hold on the device through a descriptor of its own:
// the lock serial programs take for an exclusive open, or TIOCEXCL alone.
class OtherProgram {
public:
    explicit OtherProgram(SimLine& line)
        : fd_(::open(line->linkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        EXPECT_GE(fd_, 0) << std::strerror(errno);
    }
    ~OtherProgram() { Release(); }
    bool Lock() { return flock(fd_, LOCK_EX | LOCK_NB) == 0; }
    bool Exclusive() { return ioctl(fd_, TIOCEXCL) == 0; }
    void Release()
    {
        if (fd_ < 0)
            return;
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

const QStringList kAsOperator{kAsNobody};
const QStringList kPlainAsOperator{QStringLiteral("--plain"), kAsNobody};

// Skips the test where the child cannot become an ordinary user.
#define SKIP_IF_CANNOT_DROP(said)                                                                  \
    if ((said) == "cannot drop")                                                                   \
    GTEST_SKIP() << "a child process cannot become the user nobody here"

const std::string kPlainOpened = "plain 0";

} // namespace

TEST(ModbusPortAlone, ASecondStationDoesNotOpenThePortTheFirstHolds)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);

    // The lock keeps out root and an operator's user alike.
    for (const QStringList& arguments : {QStringList{}, kAsOperator}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const SecondOpen second = OpenBeside(line, arguments);
        SKIP_IF_CANNOT_DROP(second.said);
        EXPECT_EQ(second.said, "open -1");
        EXPECT_TRUE(ToldInUse(second.log));
    }
    // A program that merely opens the device, taking no lock, is not
    // noticed: nothing the station could set on the device keeps such a
    // program out without keeping everyone out after a crash.
    EXPECT_EQ(OpenBeside(line, kPlainAsOperator).said, kPlainOpened);

    // The first station goes on as before.
    line->setReg(301, 42);
    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
    EXPECT_EQ(v, 42);

    // Closed, the port is free for anyone.
    ASSERT_EQ(ClosePort_Modbus(1), 0);
    EXPECT_EQ(OpenBeside(line, kPlainAsOperator).said, kPlainOpened);
    EXPECT_EQ(OpenBeside(line, kAsOperator).said, "open 0");
    EXPECT_EQ(OpenBeside(line).said, "open 0");
}

// A station (root here) that holds the port and ends, by its own close, a
// log-out's SIGTERM or a kill -9, leaves the port free at once: an
// operator's user opens it right after, the device alone and as a station.
// Whatever a station set on the device itself would outlive a crash: on a
// serial device the exclusive flag stays after the last close, and on a
// pseudo-terminal while its master (the simulator) stays open. A killed
// station also leaves the line as it set it, which the next station's
// setup (even parity, on a line that drops parity) must still get past.
TEST(ModbusPortAlone, APortIsFreeTheMomentItsStationEndsHoweverItEnds)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    SKIP_IF_CANNOT_DROP(OpenBeside(line, kPlainAsOperator).said);
    const struct {
        const char* how;
        int signal;   // 0: the station closes the port and ends
    } endings[] = {{"closed", 0}, {"SIGTERM", SIGTERM}, {"SIGKILL", SIGKILL}};
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.how);
        {
            SecondStation holder(line, {QStringLiteral("--hold")});
            ASSERT_EQ(holder.Said(), "open 0");
            EXPECT_EQ(OpenBeside(line, kAsOperator).said, "open -1");
            if (ending.signal)
                holder.Signal(ending.signal);
            else
                holder.End();
        }
        EXPECT_EQ(OpenBeside(line, kPlainAsOperator).said, kPlainOpened);
        const SecondOpen after = OpenBeside(line, kAsOperator);
        EXPECT_EQ(after.said, "open 0") << after.log.toStdString();
    }
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);
    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
}

TEST(ModbusPortAlone, AStationDoesNotOpenAPortASecondStationHolds)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    SecondStation first(line, {QStringLiteral("--hold")});
    ASSERT_EQ(first.Said(), "open 0");
    {
        LogCapture log("zc4160.modbus");
        EXPECT_EQ(OpenPort_Modbus(1, kBaud9600, kEven), modbus::kPortNotOpen);
        ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
        EXPECT_TRUE(log.Warned(0, QLatin1String(kInUse)));
    }
    // The line the other station holds keeps its settings, and has seen
    // nothing of this one.
    EXPECT_EQ(line->lineSettings().baud, 38400);
    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), modbus::kPortNotOpen);
    testsupport::LetTheLineSettle();
    EXPECT_TRUE(line->requests().empty());

    first.End();
    ASSERT_EQ(OpenPort_Modbus(1, kBaud9600, kEven), 0);
    EXPECT_EQ(line->lineSettings().baud, 9600);
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
}

TEST(ModbusPortAlone, APortAnotherProgramHoldsDoesNotOpen)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    {
        // The lock of another program's exclusive open holds for root too.
        OtherProgram other(line);
        ASSERT_TRUE(other.Lock());
        LogCapture log("zc4160.modbus");
        EXPECT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), modbus::kPortNotOpen);
        ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
        EXPECT_TRUE(log.Warned(0, QLatin1String(kInUse)));
    }
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);
    ASSERT_EQ(ClosePort_Modbus(1), 0);
    {
        // Another program's TIOCEXCL, which root passes and an operator's
        // user does not.
        OtherProgram other(line);
        ASSERT_TRUE(other.Exclusive());
        const SecondOpen second = OpenBeside(line, kAsOperator);
        SKIP_IF_CANNOT_DROP(second.said);
        EXPECT_EQ(second.said, "open -1");
        EXPECT_TRUE(ToldInUse(second.log));
    }
    EXPECT_EQ(OpenBeside(line, kAsOperator).said, "open 0");
}

// A second "打开" reopens the port, and a line lost and back is opened again
// by the next call; either way the port is this station's again, and only
// its.
TEST(ModbusPortAlone, ReopenedThePortIsTheStationsAloneAgain)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    line->setReg(301, 7);
    int32_t v = 0;
    auto expectHeldAlone = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(OpenBeside(line).said, "open -1");
        const SecondOpen operators = OpenBeside(line, kAsOperator);
        if (operators.said != "cannot drop") {
            EXPECT_EQ(operators.said, "open -1");
        }
        v = 0;
        EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
        EXPECT_EQ(v, 7);
    };
    {
        // An operator's user, for whom the kernel's checks hold that root
        // passes: nothing left on the device by the release refuses the
        // station its own second open.
        SecondStation operatorsStation(line, {kAsNobody, QStringLiteral("--again")});
        const std::string first = operatorsStation.Said();
        SKIP_IF_CANNOT_DROP(first);
        EXPECT_EQ(first, "open 0");
        EXPECT_EQ(operatorsStation.Said(), "open 0");
        operatorsStation.End();
    }
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);
    expectHeldAlone("after a second open");
    ASSERT_EQ(OpenPort_Modbus(1, kBaud9600, kEven), 0);
    expectHeldAlone("after an open at another rate");

    line->setFault(zc4160sim::Fault::LineClosed);
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), modbus::kPortNotOpen);
    line->setFault(zc4160sim::Fault::None);   // a new device at the same name
    {
        LogCapture log("zc4160.modbus");
        EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
        EXPECT_TRUE(log.infos().join(u'\n').contains(QStringLiteral("opened again")));
    }
    expectHeldAlone("after the line came back");

    ASSERT_EQ(ClosePort_Modbus(1), 0);
    EXPECT_EQ(OpenBeside(line, kPlainAsOperator).said, kPlainOpened);
}

// While its device is held elsewhere a lost line is not opened again, and
// says why once, however many calls try.
TEST(ModbusPortAlone, ALostLineHeldElsewhereIsToldOnceAndOpenedOnceFree)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);
    int32_t v = 0;
    line->setFault(zc4160sim::Fault::LineClosed);
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), modbus::kPortNotOpen);
    line->setFault(zc4160sim::Fault::None);
    {
        OtherProgram other(line);
        ASSERT_TRUE(other.Lock());
        LogCapture log("zc4160.modbus");
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), modbus::kPortNotOpen);
        int told = 0;
        for (const QString& w : log.warnings())
            told += w.contains(QLatin1String(kInUse));
        EXPECT_EQ(told, 1) << log.warnings().join(u'\n').toStdString();
    }
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
}

// The rate a line runs at is read back after the open. A UART that cannot
// run the rate asked for keeps its old one, and must not count as open; a
// pseudo-terminal cannot show that, so the comparison is checked alone.
TEST(ModbusLineRate, TheLineRunsAtTheRateOnlyWhenBothSpeedsReadItBack)
{
    const struct { int32_t baud; speed_t input, output; bool runs; } cases[] = {
        {38400, B38400, B38400, true},
        {230400, B230400, B230400, true},
        {921600, B921600, B921600, true},
        {4800, B4800, B4800, true},
        {9600, 0, B9600, true},               // an input speed of 0 is the output's
        {230400, B38400, B38400, false},      // a 16550 left at its old rate
        {460800, B230400, B230400, false},
        {9600, B9600, B19200, false},
        {9600, B19200, B9600, false},
        {9600, B9600, B0, false},
        {9600, 0, B0, false},
        {12345, B9600, B9600, false},         // not a rate of the table
        {0, B0, B0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modbus::LineRunsAt(c.baud, c.input, c.output), c.runs)
            << c.baud << " " << c.input << " " << c.output;
}

namespace {

// The file of a library loaded into this process whose name starts with
// stem; empty when none is.
std::string LoadedLibrary(const std::string& stem)
{
    struct Search {
        const std::string& stem;
        std::string found;
    } search{stem, {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto& s = *static_cast<Search*>(data);
            const std::string path = info->dlpi_name ? info->dlpi_name : "";
            const std::string name = path.substr(path.rfind('/') + 1);
            if (name.rfind(s.stem, 0) != 0)
                return 0;
            s.found = path;
            return 1;
        },
        &search);
    return search.found;
}

// The preload that makes a child's line keep its old rate. A child built
// with AddressSanitizer (as this test then is) needs its runtime first in
// the list.
QString KeepSpeedPreload()
{
    QString preload = QStringLiteral(KEEP_SPEED_SHIM);
    if (const std::string asan = LoadedLibrary("libasan.so"); !asan.empty())
        preload.prepend(QString::fromStdString(asan) + u':');
    return preload;
}

} // namespace

// A line that keeps its old rate when asked for another (as a UART that
// cannot run it does) is not taken as open: the rate is read back after
// the open. The child's tcsetattr applies every setting but the speeds.
TEST(ModbusLineRate, ALineThatKeepsItsOldRateDoesNotOpen)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    const int kBaud230400 = 6;
    QProcessEnvironment keepsSpeed;
    keepsSpeed.insert(QStringLiteral("LD_PRELOAD"), KeepSpeedPreload());
    const QStringList at230400{QStringLiteral("--baud"), QString::number(kBaud230400)};

    // The line runs at 38400 baud.
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);
    ASSERT_EQ(ClosePort_Modbus(1), 0);
    ASSERT_EQ(line->lineSettings().baud, 38400);

    const SecondOpen refused = OpenBeside(line, at230400, keepsSpeed);
    EXPECT_EQ(refused.said, "open -1");
    const QStringList lines = refused.log.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << refused.log.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral(
        "open port 1 (%1, 230400 baud, even parity): the line did not take 230400 baud (it runs at "
        "38400 baud)").arg(QString::fromStdString(line->linkPath()))))
        << lines[0].toStdString();
    // Nothing is left open: this station opens the port next.
    EXPECT_EQ(OpenBeside(line).said, "open 0");

    // The same line opens at the rate it runs at, and without the preload
    // at the other rate too: what refused it was the rate alone.
    EXPECT_EQ(OpenBeside(line, {}, keepsSpeed).said, "open 0");
    EXPECT_EQ(OpenBeside(line, at230400).said, "open 0");
}

TEST(ModbusLineRate, TheSimulatorsLineOpensAtEveryRate)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    line->setReg(301, 5);
    for (int index = 0; index < 9; ++index) {
        SCOPED_TRACE(modbus::BaudRate(index));
        ASSERT_EQ(OpenPort_Modbus(1, index, kEven), 0);
        EXPECT_EQ(line->lineSettings().baud, modbus::BaudRate(index));
        int32_t v = 0;
        EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
        EXPECT_EQ(v, 5);
    }
}
