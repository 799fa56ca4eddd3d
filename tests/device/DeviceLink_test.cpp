#include "device/DeviceFixture.h"

using testsupport::CallLog;
using testsupport::SimLine;
using zc4160sim::Fault;
using zc4160sim::Request;

namespace {

class DeviceLink : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetStation(); }
    void TearDown() override { testsupport::ResetStation(); }
};

} // namespace

TEST_F(DeviceLink, OpenWithTheDefaultSelectionsUsesPort1Baud3Parity2Station1)
{
    SimLine line{1};
    CallLog log;
    EXPECT_EQ(OpenLink(testsupport::DefaultSelection()), 0);
    EXPECT_EQ(CommPar[0], 1);
    EXPECT_EQ(CommPar[1], 3);
    EXPECT_EQ(CommPar[2], 2);
    EXPECT_EQ(CommPar[3], 1);
    EXPECT_EQ(CommPar[20], 0);
    EXPECT_EQ(OpenResultText(), "0");
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0].call, modbus::Call::Open);
    EXPECT_EQ(log.calls[0].port, 1);
    EXPECT_FALSE(Met1::instance().Timer1.isActive());   // the caller switches it on

    int32_t buffer[32] = {};
    EXPECT_EQ(ReadBlock(301, buffer), 0);
    WriteRegister(309, 1, WriteRule::NoAnswer);
    const std::vector<Request> expected = {{1, 3, 300, 32}, {1, 6, 308, 1}};
    EXPECT_EQ(line->requests(), expected);
}

TEST_F(DeviceLink, OpenReadsTheControlTextsByTheLeadingNumberRule)
{
    setenv("ZC4160_PORT12", "/nonexistent/zc4160-line", 1);
    CommPar[2] = 1;
    EXPECT_EQ(OpenLink({"12 ", "8: 921600 BPS", {false, false, false}, ""}), modbus::kPortNotOpen);
    EXPECT_EQ(CommPar[0], 12);
    EXPECT_EQ(CommPar[1], 8);
    EXPECT_EQ(CommPar[2], 1);   // no parity button selected: kept
    EXPECT_EQ(CommPar[3], 0);   // an empty text gives 0
    EXPECT_EQ(CommPar[20], -1);
    EXPECT_EQ(OpenResultText(), "-1");

    // A number too large for 32 bits fails its own step only; 2.5 rounds to 2.
    OpenLink({"1e12", "2.5", {true, false, true}, " 3"});
    EXPECT_EQ(CommPar[0], 12);
    EXPECT_EQ(CommPar[1], 2);
    EXPECT_EQ(CommPar[2], 2);   // the last selected button wins
    EXPECT_EQ(CommPar[3], 3);
}

// The writer gets the result of the last attempt: the repeat's where there
// was one.
TEST_F(DeviceLink, AFailedWriteIsRepeatedOnceUnderTheWritersRule)
{
    SimLine line{1};
    ASSERT_EQ(OpenLink(testsupport::DefaultSelection()), 0);
    using modbus::kNoAnswer, modbus::kException, modbus::kDamaged;
    const struct { WriteRule rule; Fault fault; size_t frames; int32_t result; } cases[] = {
        {WriteRule::NoAnswer, Fault::None, 1, 0},
        {WriteRule::NoAnswer, Fault::NoAnswer, 2, kNoAnswer},
        {WriteRule::NoAnswer, Fault::Exception, 1, kException},
        {WriteRule::NoAnswer, Fault::DamagedCrc, 1, kDamaged},
        {WriteRule::AnyNegative, Fault::None, 1, 0},
        {WriteRule::AnyNegative, Fault::NoAnswer, 2, kNoAnswer},
        {WriteRule::AnyNegative, Fault::Exception, 2, kException},
        {WriteRule::AnyNegative, Fault::DamagedCrc, 2, kDamaged},
        {WriteRule::AnyNegative, Fault::OtherStation, 2, kDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(zc4160sim::FaultName(c.fault))
                     + (c.rule == WriteRule::NoAnswer ? " overview rule" : " grid rule"));
        line->setFault(c.fault);
        line->clearRequests();
        EXPECT_EQ(WriteRegister(302, 250, c.rule), c.result);
        testsupport::LetTheLineSettle();
        const std::vector<Request> one = {{1, 6, 301, 250}};
        std::vector<Request> expected;
        for (size_t i = 0; i < c.frames; ++i)
            expected.push_back(one[0]);
        EXPECT_EQ(line->requests(), expected);
    }

    // Only the first answer lost: the repeat's success is the result.
    line->setFault(Fault::None);
    for (WriteRule rule : {WriteRule::NoAnswer, WriteRule::AnyNegative}) {
        line->silenceNext(1);
        EXPECT_EQ(WriteRegister(302, 250, rule), 0);
    }
}

TEST_F(DeviceLink, AWriteToAClosedPortIsRepeatedOnlyUnderTheGridRule)
{
    // Nothing reaches a line here, so the calls into the Modbus layer count.
    CommPar[0] = 5;
    CommPar[3] = 1;
    const struct { WriteRule rule; size_t calls; } cases[] = {
        {WriteRule::NoAnswer, 1},
        {WriteRule::AnyNegative, 2},
    };
    for (const auto& c : cases) {
        CallLog log;
        WriteRegister(4097, 1, c.rule);
        ASSERT_EQ(log.count(modbus::Call::Write), c.calls);
        for (const auto& call : log.calls) {
            EXPECT_EQ(call.result, modbus::kPortNotOpen);
            EXPECT_EQ(call.port, 5);
            EXPECT_EQ(call.reg, 4097);
        }
    }
}

TEST_F(DeviceLink, BeforeTheFirstOpenCallsGoToPort0AndStation0)
{
    CallLog log;
    int32_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 3);
    EXPECT_EQ(ReadBlock(601, buffer), modbus::kPortNotOpen);
    WriteRegister(309, 1, WriteRule::NoAnswer);
    CloseLink();
    ASSERT_EQ(log.calls.size(), 3u);
    for (const auto& call : log.calls) {
        EXPECT_EQ(call.port, 0);
        EXPECT_EQ(call.station, 0);
    }
    EXPECT_EQ(log.calls[2].call, modbus::Call::Close);
    EXPECT_EQ(buffer[0], 3);
    EXPECT_FALSE(Met1::instance().Timer1.isActive());
}

TEST_F(DeviceLink, ASecondOpenOfAnotherPortLeavesTheFirstOpenAndCloseClosesTheLast)
{
    SimLine first{1};
    SimLine second{2};
    ASSERT_EQ(OpenLink(testsupport::DefaultSelection()), 0);
    SwitchLivePoll(true);
    ASSERT_EQ(OpenLink({"2 ", "1: 9600 BPS", {true, false, false}, "1 "}), 0);
    CloseLink();
    EXPECT_FALSE(Met1::instance().Timer1.isActive());
    EXPECT_EQ(CommPar[0], 2);   // kept by the close
    EXPECT_EQ(CommPar[3], 1);
    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(1, 1, 1, 1, &v), 0);
    EXPECT_EQ(Get_4X_DX(2, 1, 1, 1, &v), modbus::kPortNotOpen);
    EXPECT_EQ(ReadBlock(1, std::span(&v, 1)), modbus::kPortNotOpen);
}

// The read's count is its view's size: a view of 1 or 64 is one frame of
// that many registers and fills the view alone; a view outside 1 to 64
// (an empty one, one longer than a block) sends nothing and leaves its
// elements as they were.
TEST_F(DeviceLink, AReadAsksForExactlyItsViewAndFillsNothingBeyond)
{
    SimLine line{1};
    ASSERT_EQ(OpenLink(testsupport::DefaultSelection()), 0);
    for (int reg = 301; reg <= 366; ++reg)
        line->setReg(reg, reg);
    const struct {
        size_t size;
        int32_t result;
    } cases[] = {{1, 0}, {64, 0}, {0, modbus::kUnsafe}, {65, modbus::kUnsafe}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::array<int32_t, 66> buffer;
        buffer.fill(-7);
        line->clearRequests();
        EXPECT_EQ(ReadBlock(301, std::span(buffer).first(c.size)), c.result);
        std::vector<Request> expected;
        if (c.result == 0)
            expected.push_back({1, 3, 300, uint16_t(c.size)});
        EXPECT_EQ(line->requests(), expected);
        for (size_t i = 0; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], c.result == 0 && i < c.size ? int32_t(301 + i) : -7) << i;
    }
}
