#include "basic/LogLines.h"
#include "db/LogCapture.h"
#include "modbus/SimLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace std::chrono;
using testsupport::CallLog;
using testsupport::SimLine;
using zc4160sim::Fault;
using zc4160sim::Request;

namespace {

constexpr int kBaud19200 = 2;
constexpr int kBaud38400 = 3;
constexpr int kEven = 2;

class ModbusLine : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(line.started());
        ASSERT_EQ(OpenPort_Modbus(1, kBaud38400, kEven), 0);
    }
    SimLine line{1};
};

} // namespace

TEST(ModbusTimeout, IsTheLongestAnswerOnTheLinePlus100Ms)
{
    // 133 characters of 11 bits.
    const struct { int index; int baud; int ms; } cases[] = {
        {0, 4800, 305 + 100}, {1, 9600, 153 + 100}, {3, 38400, 39 + 100}, {8, 921600, 2 + 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(modbus::BaudRate(c.index), c.baud);
        EXPECT_EQ(modbus::ResponseTimeoutMs(c.index), c.ms) << c.baud;
    }
    EXPECT_EQ(modbus::ResponseTimeoutMs(9), 0);
    EXPECT_EQ(modbus::ResponseTimeoutMs(-1), 0);
}

TEST_F(ModbusLine, WritesAndReadsBackAtTheRegistersThatMatter)
{
    const int regs[] = {1, 65, 301, 4097, 24577};
    const struct { int sent; int held; int readBack; } values[] = {
        {1234, 1234, 1234}, {-25, 0xFFE7, -25}, {-32768, 0x8000, -32768},
        {32767, 32767, 32767}, {65535, 0xFFFF, -1}, {0, 0, 0},
    };
    for (int reg : regs) {
        for (const auto& v : values) {
            line->clearRequests();
            ASSERT_EQ(Set_4X_D1(1, 1, reg, v.sent), 0) << reg;
            EXPECT_EQ(line->reg(reg), int16_t(uint16_t(v.held))) << reg;
            int32_t got = 777;
            ASSERT_EQ(Get_4X_DX(1, 1, reg, 1, &got), 0);
            EXPECT_EQ(got, v.readBack) << reg << " " << v.sent;
            const std::vector<Request> expected = {
                {1, 6, uint16_t(reg - 1), uint16_t(v.held)}, {1, 3, uint16_t(reg - 1), 1}};
            EXPECT_EQ(line->requests(), expected) << reg;
        }
    }
}

TEST_F(ModbusLine, RegisterNGoesOnTheLineAsAddressNMinusOne)
{
    for (int k = 0; k < 64; ++k)
        line->setReg(4097 + k, 100 + k);
    std::array<int32_t, 66> buffer{};
    buffer.fill(-9);
    ASSERT_EQ(Get_4X_DX(1, 1, 4097, 64, buffer.data() + 1), 0);
    EXPECT_EQ(buffer[0], -9);
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(buffer[size_t(k + 1)], 100 + k);
    EXPECT_EQ(buffer[65], -9);   // nothing beyond count
    ASSERT_EQ(line->requests().size(), 1u);
    EXPECT_EQ(line->requests()[0], (Request{1, 3, 0x1000, 64}));
}

TEST_F(ModbusLine, RequestsWithUnsafeArgumentsAreNotSent)
{
    const struct { int station, reg, countOrValue; bool read; } cases[] = {
        {1, 1, 0, true},     {1, 1, 65, true},     {1, 1, -1, true},      {0, 1, 4, true},
        {248, 1, 4, true},   {-1, 1, 4, true},     {1, 0, 4, true},       {1, 65534, 4, true},
        {1, 1, 65536, false}, {1, 1, -32769, false}, {1, 302, 999990, false}, {0, 309, 1, false},
        {248, 309, 1, false}, {1, 0, 1, false},    {1, 65537, 1, false},
    };
    int32_t buffer[64];
    for (const auto& c : cases) {
        buffer[0] = 4242;
        const int32_t result = c.read ? Get_4X_DX(1, c.station, c.reg, c.countOrValue, buffer)
                                      : Set_4X_D1(1, c.station, c.reg, c.countOrValue);
        EXPECT_EQ(result, modbus::kUnsafe) << c.station << " " << c.reg << " " << c.countOrValue;
        EXPECT_EQ(buffer[0], 4242);
    }
    EXPECT_EQ(Get_4X_DX(1, 1, 1, 4, nullptr), modbus::kUnsafe);
    // The highest registers are still reachable.
    EXPECT_EQ(Get_4X_DX(1, 1, 65473, 64, buffer), 0);
    EXPECT_EQ(Set_4X_D1(1, 247, 65536, 1), modbus::kNoAnswer);   // another station: silence
    testsupport::LetTheLineSettle();
    const std::vector<Request> expected = {{1, 3, 65472, 64}, {247, 6, 65535, 1}};
    EXPECT_EQ(line->requests(), expected);
}

TEST_F(ModbusLine, EveryFaultReturnsItsCodeInTimeAndTheNextCallAfterItSucceeds)
{
    const struct { Fault fault; int32_t code; } cases[] = {
        {Fault::NoAnswer, modbus::kNoAnswer},   {Fault::DamagedCrc, modbus::kDamaged},
        {Fault::Exception, modbus::kException}, {Fault::OtherStation, modbus::kDamaged},
        {Fault::LineClosed, modbus::kPortNotOpen},
    };
    line->setReg(65, 321);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(zc4160sim::FaultName(c.fault)));
        line->setFault(c.fault);
        std::array<int32_t, 16> buffer;
        buffer.fill(-7);
        auto start = steady_clock::now();
        EXPECT_EQ(Get_4X_DX(1, 1, 65, 16, buffer.data()), c.code);
        EXPECT_EQ(Set_4X_D1(1, 1, 301, 5), c.code);
        // Generous: one response timeout is 139 ms at this rate, libmodbus's
        // own default would be 500 ms a call.
        EXPECT_LT(steady_clock::now() - start, seconds(2));
        for (int32_t v : buffer)
            EXPECT_EQ(v, -7);   // a failed read leaves the buffer as it was

        line->setFault(Fault::None);
        EXPECT_EQ(Get_4X_DX(1, 1, 65, 16, buffer.data()), 0);
        EXPECT_EQ(buffer[0], 321);
        EXPECT_EQ(Set_4X_D1(1, 1, 301, 6), 0);
    }
}

// On a line paced at the real rate the rest of a bad answer is still coming
// in when the master has seen enough of it to give up, and a late answer
// may be waiting when the next request is due. Through a USB adapter the
// answer arrives in bursts, with pauses longer than a frame gap while the
// line is still busy.
struct PacedLineCase {
    const char* name;
    int baud, baudIndex, burstMs;
};

class ModbusPacedLine : public ::testing::TestWithParam<PacedLineCase> {};

INSTANTIATE_TEST_SUITE_P(Delivery, ModbusPacedLine,
                         ::testing::Values(PacedLineCase{"ByTheCharacter", 38400, kBaud38400, 0},
                                           PacedLineCase{"InUsbBursts", 19200, kBaud19200, 16}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_P(ModbusPacedLine, AfterEveryKindOfBadAnswerTheNextCallsAreAnsweredInStep)
{
    zc4160sim::Options paced;
    paced.pacingBaud = GetParam().baud;
    paced.deliveryBurstMs = GetParam().burstMs;
    SimLine line{1, paced};
    ASSERT_TRUE(line.started());
    ASSERT_EQ(OpenPort_Modbus(1, GetParam().baudIndex, kEven), 0);
    // Calls made while the fault lasts: the poll's three reads and a
    // command's write, twice; only one read for a late answer, which the
    // simulator sends while the master already waits for the next one.
    const struct { Fault fault; int rounds; } cases[] = {
        {Fault::Garbage, 2}, {Fault::DamagedCrc, 2},   {Fault::Exception, 2},
        {Fault::OtherStation, 2}, {Fault::NoAnswer, 2}, {Fault::Late, 0},
    };
    std::array<int32_t, 64> buffer{};
    int16_t value = 0;
    uint64_t sent = 0;   // every call below puts one request on the line
    auto read = [&](int first, int count) {
        ++sent;
        return Get_4X_DX(1, 1, first, count, buffer.data());
    };
    auto write = [&](int reg, int v) {
        ++sent;
        return Set_4X_D1(1, 1, reg, v);
    };
    // What went wrong is gathered and told at the end, after the link's own
    // log lines, where a failure on a loaded runner is easy to find.
    std::string wrongAnswers, failedOnTime, neverInStep;
    for (const auto& c : cases) {
        const std::string fault(zc4160sim::FaultName(c.fault));
        line->setFault(c.fault);
        read(1, 64);
        for (int round = 0; round < c.rounds; ++round) {
            read(65, 16);
            read(301, 32);
            write(309, 1);
            read(1, 64);
        }
        // New values, so that an answer left over from the fault shows.
        ++value;
        line->setReg(1, value);
        line->setReg(65, value + 100);
        line->setReg(301, value + 200);
        line->setFault(Fault::None);
        // The pause between two poll ticks, lasting until the controller has
        // sent all it owes. On a busy machine a pause inside a bad answer
        // (the simulator late to send) can pass for its end, the master's
        // next request then waits behind it, and the answers queued up can
        // outlast any fixed pause; the master cannot tell an answer left
        // over from the answer to a request sent before it came.
        ASSERT_TRUE(line->waitForHandled(sent, seconds(10))) << fault;

        // Then the poll's calls and a command's write, until two rounds in a
        // row are answered. An answer meant for another request must never
        // be taken. A call may fail only on a pause as long as the link's
        // byte timeout in what came in as its answer, which the link rightly
        // takes for the end of an answer: the simulator stalled there (a
        // machine can wake even its real-time thread that late), inside the
        // call's own answer or, where the call's request went out before the
        // answers owed after such a stall had come in, in the answer that
        // stalled. It must then be back in step by the next round.
        struct Failure {
            uint64_t request;
            std::string where;
            int32_t result;
        };
        std::vector<Failure> failures;
        int cleanRounds = 0;
        for (int round = 0; round < 4 && cleanRounds < 2; ++round) {
            bool clean = true;
            auto check = [&](int32_t result, const char* call, std::optional<int32_t> expected) {
                const std::string where =
                    fault + ", round " + std::to_string(round + 1) + ", " + call;
                if (result != 0) {
                    clean = false;
                    failures.push_back({sent, where, result});
                } else if (expected && buffer[0] != *expected) {
                    wrongAnswers += "\n  " + where + ": " + std::to_string(buffer[0])
                                    + " where " + std::to_string(*expected) + " was due";
                }
            };
            check(read(1, 64), "read at 1", value);
            check(read(65, 16), "read at 65", value + 100);
            check(read(301, 32), "read at 301", value + 200);
            check(write(309, 0), "write at 309", std::nullopt);
            cleanRounds = clean ? cleanRounds + 1 : 0;
        }
        // The simulator tells how an answer went once it has gone out.
        ASSERT_TRUE(line->waitForHandled(sent, seconds(10))) << fault;
        std::string failed, excused, unexcused;
        for (const Failure& f : failures) {
            const auto stall = line->stallInAnswerTo(f.request);
            std::string what = "\n  " + f.where + " (request " + std::to_string(f.request)
                               + "): " + std::to_string(f.result) + ", ";
            if (!stall)
                what += "its answer did not stall";
            else
                what += (stall->answer == f.request
                             ? std::string("its answer stalled")
                             : "out of step since the answer to request "
                                   + std::to_string(stall->answer) + " stalled")
                        + ", " + testsupport::PauseText(*stall);
            failed += what;
            (testsupport::ExcusesAFailure(stall) ? excused : unexcused) += what;
        }
        if (cleanRounds < 2) {
            neverInStep += "\n  " + fault + failed;
        } else {
            failedOnTime += unexcused;
            if (!excused.empty())
                std::cout << "Calls that failed on a pause as long as the byte timeout in "
                             "what came in as their answer:"
                          << excused << "\n";
        }
    }
    EXPECT_TRUE(wrongAnswers.empty()) << "Answers taken for the wrong request:" << wrongAnswers;
    EXPECT_TRUE(failedOnTime.empty())
        << "Calls that failed with no pause as long as the byte timeout ("
        << modbus::kByteTimeoutMs << " ms) in what came in as their answer:" << failedOnTime;
    EXPECT_TRUE(neverInStep.empty()) << "No two rounds in a row answered after:" << neverInStep;
    EXPECT_EQ(line->rushedRequests(), 0u);
}

TEST_F(ModbusLine, OpensWithTheBaudAndParityOfTheIndices)
{
    // The kernel drops parity on a pseudo-terminal, so only the rate shows
    // on the simulator's side; every parity must still open.
    const struct { int baudIndex, parityIndex, baud; } cases[] = {
        {0, 0, 4800}, {1, 1, 9600}, {3, 2, 38400}, {8, 2, 921600},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(OpenPort_Modbus(1, c.baudIndex, c.parityIndex), 0);   // reopens
        EXPECT_EQ(line->lineSettings().baud, c.baud);
        int32_t v = 0;
        EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), 0);
    }
    EXPECT_EQ(OpenPort_Modbus(1, 9, 2), modbus::kPortNotOpen);
    EXPECT_EQ(OpenPort_Modbus(1, 3, 3), modbus::kPortNotOpen);
    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(1, 1, 301, 1, &v), modbus::kPortNotOpen);   // the failed reopen closed it
}

TEST(ModbusPorts, CallsOnAPortThatIsNotOpenReturnAtOnce)
{
    SimLine line{2};
    ASSERT_TRUE(line.started());
    int32_t buffer[4] = {5, 6, 7, 8};
    const auto start = steady_clock::now();
    for (int port : {0, 2, 21, -1}) {
        EXPECT_EQ(Get_4X_DX(port, 1, 1, 4, buffer), modbus::kPortNotOpen) << port;
        EXPECT_EQ(Set_4X_D1(port, 1, 309, 1), modbus::kPortNotOpen) << port;
        EXPECT_EQ(Get_4X_DX(port, 0, 0, 0, buffer), modbus::kPortNotOpen) << port;
        EXPECT_EQ(ClosePort_Modbus(port), 0);   // closing a closed port does nothing
    }
    EXPECT_LT(steady_clock::now() - start, milliseconds(500));
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(buffer[3], 8);
    testsupport::LetTheLineSettle();
    EXPECT_TRUE(line->requests().empty());

    ASSERT_EQ(OpenPort_Modbus(2, 3, 2), 0);
    EXPECT_EQ(Get_4X_DX(2, 1, 1, 4, buffer), 0);
    ASSERT_EQ(ClosePort_Modbus(2), 0);
    EXPECT_EQ(Get_4X_DX(2, 1, 1, 4, buffer), modbus::kPortNotOpen);
    EXPECT_EQ(line->requests().size(), 1u);
}

TEST(ModbusPorts, OpenFailsOnAMissingDeviceOrPortNumber)
{
    setenv("ZC4160_PORT7", "/nonexistent/zc4160-line", 1);
    EXPECT_EQ(OpenPort_Modbus(7, 3, 2), modbus::kPortNotOpen);
    EXPECT_EQ(OpenPort_Modbus(0, 3, 2), modbus::kPortNotOpen);
    EXPECT_EQ(OpenPort_Modbus(21, 3, 2), modbus::kPortNotOpen);
    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(7, 1, 1, 1, &v), modbus::kPortNotOpen);
}

// A device path from the environment may hold anything: the lines that
// name it stay one short line of the station's own each, whether the port
// opens or not.
TEST(ModbusPorts, ADevicePathIsShownEscapedAndShort)
{
    for (const testsupport::ForgedText& forged : testsupport::ForgedTexts()) {
        SCOPED_TRACE(forged.shown.toStdString());
        const QByteArray path = "/nonexistent/" + forged.text.toUtf8();
        setenv("ZC4160_PORT8", path.constData(), 1);
        LogCapture log("zc4160.modbus");
        EXPECT_EQ(OpenPort_Modbus(8, 3, 2), modbus::kPortNotOpen);
        ASSERT_EQ(log.warnings().size(), 1) << log.warnings().join(u'\n').toStdString();
        EXPECT_TRUE(log.Warned(0, QStringLiteral("open port 8 (/nonexistent/")));
        EXPECT_TRUE(log.Warned(0, forged.shown));
        EXPECT_TRUE(testsupport::SafeLine("zc4160.modbus", log.warnings()[0]));
    }

    // The simulator's line under a forged name opens, and its note names it
    // as safely.
    SimLine line{8};
    ASSERT_TRUE(line.started());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const testsupport::ForgedText& forged = testsupport::ForgedTexts().front();
    const QString link = dir.filePath(forged.text);
    ASSERT_TRUE(QFile::link(QString::fromStdString(line->linkPath()), link));
    setenv("ZC4160_PORT8", QFile::encodeName(link).constData(), 1);
    LogCapture log("zc4160.modbus");
    ASSERT_EQ(OpenPort_Modbus(8, 3, 2), 0);
    ASSERT_EQ(log.infos().size(), 1) << log.infos().join(u'\n').toStdString();
    EXPECT_TRUE(log.infos()[0].contains(forged.shown)) << log.infos()[0].toStdString();
    EXPECT_TRUE(testsupport::SafeLine("zc4160.modbus", log.infos()[0]));
    ClosePort_Modbus(8);
}

TEST(ModbusPorts, EachPortNumberHasItsOwnConnection)
{
    SimLine first{3};
    zc4160sim::Options station2;
    station2.station = 2;
    SimLine second{4, station2};
    first->setReg(301, 11);
    second->setReg(301, 22);
    ASSERT_EQ(OpenPort_Modbus(3, 3, 2), 0);
    ASSERT_EQ(OpenPort_Modbus(4, 1, 0), 0);   // the first stays open
    int32_t a = 0, b = 0;
    EXPECT_EQ(Get_4X_DX(3, 1, 301, 1, &a), 0);
    EXPECT_EQ(Get_4X_DX(4, 2, 301, 1, &b), 0);
    EXPECT_EQ(a, 11);
    EXPECT_EQ(b, 22);
    EXPECT_EQ(first->lineSettings().baud, 38400);
    EXPECT_EQ(second->lineSettings().baud, 9600);
}

TEST(ModbusPorts, TheObserverSeesEveryCallWithItsResult)
{
    CallLog log;
    int32_t v = 0;
    Get_4X_DX(0, 0, 1, 64, &v);
    Set_4X_D1(0, 0, 309, 1);
    ASSERT_EQ(log.calls.size(), 2u);
    EXPECT_EQ(log.calls[0].call, modbus::Call::Read);
    EXPECT_EQ(log.calls[0].reg, 1);
    EXPECT_EQ(log.calls[0].countOrValue, 64);
    EXPECT_EQ(log.calls[1].call, modbus::Call::Write);
    EXPECT_EQ(log.calls[1].countOrValue, 1);
    EXPECT_EQ(log.calls[1].result, modbus::kPortNotOpen);
}
