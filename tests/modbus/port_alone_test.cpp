// A port is one station's alone: a second station, or another serial
// program, does not open it beside the first, and the first does not open
// one another holds; its own reopens still work. And an open is told only
// for a line that runs at the rate asked for.

#include "db/LogCapture.h"
#include "modbus/SimLine.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using testsupport::SimLine;

namespace {

constexpr int kBaud9600 = 1;
constexpr int kBaud38400 = 3;
constexpr int kEven = 2;
const char* const kInUse = "in use by another program";

// A second station's link (or, with --plain, a program that takes no lock)
// in a process of its own, on the device of port 1.
class SecondStation {
public:
    SecondStation(SimLine& line, QStringList arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZC4160_PORT1"), QString::fromStdString(line->linkPath()));
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

private:
    QProcess child_;
};

// What a second station's open of the port came to, and its log.
struct SecondOpen {
    std::string said;
    QString log;
};

SecondOpen OpenBeside(SimLine& line, QStringList arguments = {})
{
    SecondStation second(line, arguments);
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

const QStringList kWithoutAdmin{QStringLiteral("--without-admin")};
const QStringList kPlainWithoutAdmin{QStringLiteral("--plain"), QStringLiteral("--without-admin")};

// Skips the test where the child cannot give up passing TIOCEXCL.
#define SKIP_IF_CANNOT_DROP(said)                                                                  \
    if ((said) == "cannot drop")                                                   \
    GTEST_SKIP() << "a child process cannot give up CAP_SYS_ADMIN here"

const std::string kBusy = "plain " + std::to_string(EBUSY);
const std::string kPlainOpened = "plain 0";

} // namespace

TEST(ModbusPortAlone, ASecondStationDoesNotOpenThePortTheFirstHolds)
{
    SimLine line{1};
    ASSERT_TRUE(line.started());
    ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);

    // As root, which passes TIOCEXCL, the lock keeps it out; as an
    // operator's user, TIOCEXCL already does.
    for (const QStringList& arguments : {QStringList{}, kWithoutAdmin}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const SecondOpen second = OpenBeside(line, arguments);
        SKIP_IF_CANNOT_DROP(second.said);
        EXPECT_EQ(second.said, "open -1");
        EXPECT_TRUE(ToldInUse(second.log));
    }
    // A program that takes no lock does not open it either.
    const SecondOpen plain = OpenBeside(line, kPlainWithoutAdmin);
    EXPECT_EQ(plain.said, kBusy);

    // The first station goes on as before.
    line->setReg(301, 42);
    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
    EXPECT_EQ(v, 42);

    // Closed, the port is free for anyone: the device keeps its exclusive
    // flag while others (here the simulator) still have it open, unless
    // the station clears it.
    ASSERT_EQ(ClosePort_Modbus(1), 0);
    EXPECT_EQ(OpenBeside(line, kPlainWithoutAdmin).said, kPlainOpened);
    EXPECT_EQ(OpenBeside(line, kWithoutAdmin).said, "open 0");
    EXPECT_EQ(OpenBeside(line).said, "open 0");
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
        // TIOCEXCL alone, which root passes and an operator's user does not.
        OtherProgram other(line);
        ASSERT_TRUE(other.Exclusive());
        const SecondOpen second = OpenBeside(line, kWithoutAdmin);
        SKIP_IF_CANNOT_DROP(second.said);
        EXPECT_EQ(second.said, "open -1");
        EXPECT_TRUE(ToldInUse(second.log));
    }
    EXPECT_EQ(OpenBeside(line, kWithoutAdmin).said, "open 0");
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
        const SecondOpen plain = OpenBeside(line, kPlainWithoutAdmin);
        if (plain.said != "cannot drop") {
            EXPECT_EQ(plain.said, kBusy);
        }
        v = 0;
        EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
        EXPECT_EQ(v, 7);
    };
    {
        // An operator's user, unlike root, is kept out by the exclusive
        // flag: one left set on the device at the release would refuse the
        // station its own second open.
        SecondStation operatorsStation(line, {QStringLiteral("--without-admin"),
                                              QStringLiteral("--again")});
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
    EXPECT_EQ(OpenBeside(line, kPlainWithoutAdmin).said, kPlainOpened);
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
