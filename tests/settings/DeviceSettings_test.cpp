// The clock and network rules without windows: what a typed field may send,
// the texts of one refresh, and the reads and writes as the simulated
// controller receives them.

#include "settings/DeviceSettings.h"

#include "ControllerClock.h"
#include "device/DeviceFixture.h"

#include <optional>

namespace {

using testsupport::LetTheLineSettle;
using zc4160sim::Fault;
using zc4160sim::Request;

constexpr auto refused = std::nullopt;

struct FieldCase {
    int row;
    const char* text;
    std::optional<int32_t> sent;
};

// The range is tested on the number as typed, then it is rounded half to
// even; an empty field reads 0, which only hour, minute and second accept.
const FieldCase kFieldCases[] = {
    {0, "2018", 2018},  {0, "2100", 2100},  {0, "2100.4", refused}, {0, "2017.9", refused},
    {0, "", refused},   {0, "2024年", 2024},
    {1, "12.5", refused}, {1, "1.5", 2},    {1, "12", 12},          {1, "0.5", refused},
    {1, "13", refused},   {1, "", refused}, {1, " 1 1", 11},
    {2, "31", 31},      {2, "", refused},   {2, "0", refused},      {2, "32", refused},
    {3, "0.5", 0},      {3, "1.5", 2},      {3, "22.5", 22},        {3, "", 0},
    {3, "23.5", refused}, {3, "-0.4", refused},
    {4, "59.5", refused}, {4, "59", 59},    {4, "", 0},
    {5, "", 0},         {5, "-1", refused}, {5, "60", refused},     {5, "1e1", 10},
    // typed in full width
    {0, "２０２４", 2024}, {1, "１２．５", refused}, {3, "２２．５", 22}, {5, "－１", refused},
    {3, "　１２", 12}, {3, "\u00A012", 12}, {3, "１２。５", 12}, {0, "２．０２４ｅ３", 2024}, {4, "ａｂ", 0},
};

TEST(ClockRules, DownAcceptsEachRowsRangeBeforeRounding)
{
    for (const FieldCase& c : kFieldCases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " text \"" << c.text << "\"");
        EXPECT_EQ(settings::ClockFieldValue(c.row, QString::fromUtf8(c.text)), c.sent);
    }
    EXPECT_EQ(settings::ClockFieldValue(-1, "1"), refused);
    EXPECT_EQ(settings::ClockFieldValue(6, "1"), refused);
}

TEST(ClockRules, RowsWriteTheirOwnRegisters)
{
    EXPECT_EQ(settings::ClockRegister(0), 3001);
    EXPECT_EQ(settings::ClockRegister(5), 3006);
    EXPECT_EQ(settings::ClockAddressText(0), QStringLiteral("地址：3001"));
    EXPECT_EQ(settings::ClockAddressText(5), QStringLiteral("地址：3006"));
    EXPECT_STREQ(settings::kClockFieldTable[0].unit, "年");
    EXPECT_STREQ(settings::kClockFieldTable[5].unit, "秒");
}

// Date, time and fields of one refresh all come from the one reading, in
// their forms: two-digit month and day, four-digit year, 24-hour time, and
// fields without leading zeros.
TEST(ClockRules, RefreshTextsFromOneReading)
{
    const settings::ClockTexts march =
        settings::ClockTextsAt(QDateTime(QDate(2001, 3, 12), QTime(7, 5, 9)));
    EXPECT_EQ(march.date, QStringLiteral("03-12-2001"));
    EXPECT_EQ(march.time, QStringLiteral("07:05:09"));
    const std::array<QString, 6> marchFields = {"2001", "3", "12", "7", "5", "9"};
    EXPECT_EQ(march.fields, marchFields);

    const settings::ClockTexts evening =
        settings::ClockTextsAt(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 999)));
    EXPECT_EQ(evening.date, QStringLiteral("12-31-2024"));
    EXPECT_EQ(evening.time, QStringLiteral("23:59:59"));
    const std::array<QString, 6> eveningFields = {"2024", "12", "31", "23", "59", "59"};
    EXPECT_EQ(evening.fields, eveningFields);
}

TEST(ClockRules, ControllerValuesInPlainDecimal)
{
    ClockBuffer.fill(0);
    ClockBuffer[0] = 2030;
    ClockBuffer[5] = -1;
    EXPECT_EQ(settings::ControllerClockText(0), QStringLiteral("2030"));
    EXPECT_EQ(settings::ControllerClockText(1), QStringLiteral("0"));
    EXPECT_EQ(settings::ControllerClockText(5), QStringLiteral("-1"));
    ClockBuffer.fill(0);
}

struct OctetCase {
    const char* text;
    std::optional<int32_t> sent;
};

TEST(NetworkRules, OctetsFromZeroTo255BeforeRounding)
{
    const OctetCase cases[] = {
        {"", 0},        {"0", 0},          {"255", 255},     {"255.4", refused},
        {"-0.4", refused}, {"256", refused}, {"254.5", 254}, {"0.5", 0},
        {"1.5", 2},     {"192.168", 192},  {"abc", 0},       {" 1 0", 10},
        {"２５５", 255}, {"２５６", refused}, {"１９２．１６８", 192}, {"ａｂｃ", 0},
        {"　１９２", 192}, {"\u00A0１０", 10}, {"２。５", 2}, {"１ｅ２", 100}, {"３ｅ２", refused},
    };
    for (const OctetCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(settings::OctetValue(QString::fromUtf8(c.text)), c.sent);
    }
}

TEST(NetworkRules, GroupsInRegisterOrder)
{
    EXPECT_STREQ(settings::kOctetGroups[0].caption, "IP 地址");
    EXPECT_STREQ(settings::kOctetGroups[1].caption, "子网掩码");
    EXPECT_STREQ(settings::kOctetGroups[2].caption, "默认网关");
    for (int g = 0; g < settings::kOctetGroupCount; ++g)
        EXPECT_EQ(settings::kOctetGroups[g].firstBox, g * settings::kOctetsPerGroup);
}

// ---- On the line ---------------------------------------------------------

// Port 1 open to a simulated controller that holds a clock and a network
// address; the live poll stays off, so the line carries only what the
// settings send.
class SettingsLine : public testsupport::LinkTest {
protected:
    void SetUp() override
    {
        ClockBuffer.fill(0);
        NetParamBuffer.fill(0);
        LinkTest::SetUp();
        testsupport::SetControllerClock(line);
        const int network[] = {192, 168, 1, 100, 255, 255, 255, 0, 192, 168, 1, 1};
        for (int j = 0; j < 12; ++j)
            line->setReg(3201 + j, network[j]);
    }
    void TearDown() override
    {
        ClockBuffer.fill(0);
        NetParamBuffer.fill(0);
        LinkTest::TearDown();
    }
    std::vector<Request> Requests()
    {
        LetTheLineSettle();
        return line->requests();
    }
};

TEST_F(SettingsLine, ClockReadIsOneBlockOfEight)
{
    ClockBuffer[8] = 99;
    settings::ReadClockBlock();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 3, 3000, 8}}));
    std::array<int32_t, 6> fields{};
    std::copy_n(ClockBuffer.begin(), 6, fields.begin());
    EXPECT_TRUE(testsupport::ShowsSetClock(fields));
    EXPECT_EQ(ClockBuffer[6], 3);   // the weekday of 2 January 2030, unused
    EXPECT_EQ(ClockBuffer[8], 99);

    // A read that gets no answer leaves the last values to be shown.
    const std::array<int32_t, 11> read = ClockBuffer;
    testsupport::SetControllerClock(line, 2031);
    line->setFault(Fault::NoAnswer);
    settings::ReadClockBlock();
    EXPECT_EQ(ClockBuffer, read);
}

// "DOWN" sends through CommPar(257), which keeps the value sent; a refused
// field sends nothing and leaves it.
TEST_F(SettingsLine, DownWritesOneRegisterOrNothing)
{
    EXPECT_FALSE(settings::WriteClockField(1, "12.5"));
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(CommPar[257], 0);

    EXPECT_TRUE(settings::WriteClockField(3, ""));
    EXPECT_TRUE(settings::WriteClockField(1, "1.5"));
    EXPECT_FALSE(settings::WriteClockField(0, ""));
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3003, 0}, {1, 6, 3001, 2}}));
    EXPECT_EQ(line->reg(3002), 2);
    EXPECT_EQ(CommPar[257], 2);
}

TEST_F(SettingsLine, DownAllSendsSixFieldsYearFirstOrNone)
{
    const std::array<QString, 6> good = {"2024", "5", "17", "8", "30", "0"};
    EXPECT_TRUE(settings::WriteClockFields(good));
    const std::vector<Request> six = {{1, 6, 3000, 2024}, {1, 6, 3001, 5}, {1, 6, 3002, 17},
                                      {1, 6, 3003, 8},    {1, 6, 3004, 30}, {1, 6, 3005, 0}};
    EXPECT_EQ(Requests(), six);
    EXPECT_EQ(CommPar[257], 0);

    // One bad field anywhere keeps all six from going, the good ones
    // before it included.
    const std::array<std::array<QString, 6>, 4> bad = {{
        {"2024", "13", "17", "8", "30", "0"},
        {"2024", "5", "17", "8", "30", "-1"},
        {"", "5", "17", "8", "30", "0"},
        {"2024", "5", "17", "8", "30", "59.5"},
    }};
    for (const auto& fields : bad) {
        line->clearRequests();
        CommPar[257] = 77;
        EXPECT_FALSE(settings::WriteClockFields(fields));
        EXPECT_TRUE(Requests().empty());
        EXPECT_EQ(CommPar[257], 77);
    }
}

// The clock repeats a write only on no answer, the network page on any
// failure.
TEST_F(SettingsLine, EachPageRepeatsUnderItsOwnRule)
{
    line->silenceNext(1);
    settings::WriteClockField(4, "30");
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3004, 30}, {1, 6, 3004, 30}}));

    line->clearRequests();
    line->setFault(Fault::Exception);
    settings::WriteClockField(4, "31");
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3004, 31}}));

    line->clearRequests();
    const std::array<QString, 4> gateway = {"10", "0", "0", "1"};
    EXPECT_TRUE(settings::WriteOctetGroup(2, gateway));
    const std::vector<Request> twice = {{1, 6, 3208, 10}, {1, 6, 3208, 10}, {1, 6, 3209, 0},
                                        {1, 6, 3209, 0},  {1, 6, 3210, 0},  {1, 6, 3210, 0},
                                        {1, 6, 3211, 1},  {1, 6, 3211, 1},  {1, 3, 3200, 12}};
    EXPECT_EQ(Requests(), twice);
}

TEST_F(SettingsLine, NetworkReadFillsTheBoxTexts)
{
    NetParamBuffer[12] = 99;
    settings::ReadNetworkBlock();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 3, 3200, 12}}));
    const std::array<QString, 12> texts = {"192", "168", "1", "100", "255", "255",
                                           "255", "0",   "192", "168", "1", "1"};
    EXPECT_EQ(settings::NetworkBoxTexts(), texts);
    EXPECT_EQ(NetParamBuffer[12], 99);
}

// A group goes out whole, ascending, and is read back with the other two;
// a group with one bad octet, wherever it stands, sends nothing and reads
// nothing.
TEST_F(SettingsLine, GroupWritesAllFourAndRereadsOrNothing)
{
    const std::array<QString, 4> ip = {"10", "0", "0", "254.5"};
    EXPECT_TRUE(settings::WriteOctetGroup(0, ip));
    const std::vector<Request> written = {{1, 6, 3200, 10}, {1, 6, 3201, 0}, {1, 6, 3202, 0},
                                          {1, 6, 3203, 254}, {1, 3, 3200, 12}};
    EXPECT_EQ(Requests(), written);
    const std::array<int32_t, 8> now = {10, 0, 0, 254, 255, 255, 255, 0};
    EXPECT_TRUE(std::equal(now.begin(), now.end(), NetParamBuffer.begin()));

    const std::array<std::array<QString, 4>, 4> bad = {{
        {"255", "255", "256", "0"},
        {"-0.4", "255", "255", "0"},
        {"255", "255", "255", "255.4"},
        {"255", "x", "255", "300"},
    }};
    for (const auto& mask : bad) {
        line->clearRequests();
        EXPECT_FALSE(settings::WriteOctetGroup(1, mask));
        EXPECT_TRUE(Requests().empty());
    }
    EXPECT_EQ(line->reg(3205), 255);
    EXPECT_EQ(line->reg(3207), 255);
}

} // namespace
