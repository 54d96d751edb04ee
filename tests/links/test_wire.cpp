// The link protocols byte by byte: the serial frame and its check value, the infrared packet
// mode, and the two identification layouts. Expected bytes come from the protocol tables.

#include <gtest/gtest.h>

#include <deque>

#include "U_frame.h"
#include "U_irdasocket.h"
#include "U_radioserial.h"
#include "U_radiosocket.h"
#include "scripted_line.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- serial frame ----

TEST(SerialFrame, IdentificationRequestTravelsAsTheDocumentedFrame) {
    const Bytes payload{0x01, 0x00};
    EXPECT_EQ(hdlc::FrameCheck(payload), 0x169F);
    EXPECT_EQ(frame::Build(payload), (Bytes{0xC0, 0x01, 0x00, 0x9F, 0x16, 0xC1}));
}

TEST(SerialFrame, ReservedBytesAreStuffed) {
    const Bytes payload{0xC0, 0xC1, 0x7D, 0x42};
    const Bytes built = frame::Build(payload);
    ASSERT_GE(built.size(), 9u);
    EXPECT_EQ(Bytes(built.begin(), built.begin() + 8),
              (Bytes{0xC0, 0x7D, 0xE0, 0x7D, 0xE1, 0x7D, 0x5D, 0x42}));
    EXPECT_EQ(built.back(), 0xC1);
    // The check value is stuffed too: no 0xC0 or 0xC1 may appear inside the frame.
    for (std::size_t i = 1; i + 1 < built.size(); ++i) {
        EXPECT_NE(built[i], 0xC0) << i;
        EXPECT_NE(built[i], 0xC1) << i;
    }
}

TEST(SerialFrame, GoodBodyLeavesTheKnownResidue) {
    for (const Bytes& payload :
         {Bytes{0x01, 0x00}, Bytes{0x02, 0x00, 0x05, 0x00}, Bytes(300, 0xC0)}) {
        const std::uint16_t check = hdlc::FrameCheck(payload);
        std::uint16_t crc = hdlc::kCheckStart;
        for (const auto b : payload) crc = hdlc::CheckStep(crc, b);
        crc = hdlc::CheckStep(crc, check & 0xFF);
        crc = hdlc::CheckStep(crc, check >> 8);
        EXPECT_EQ(crc, 0xF0B8);
    }
}

struct SFeedCase {
    const char* name;
    Bytes stream;
    std::size_t capacity;
    frame::CReceiver::Result last;
    Bytes body;  // expected when a frame is complete
};

void PrintTo(const SFeedCase& c, std::ostream* out) {
    *out << c.name;
}

frame::CReceiver::Result FeedAll(frame::CReceiver& receiver, const Bytes& stream) {
    for (const auto byte : stream) {
        const auto result = receiver.Feed(byte);
        if (result != frame::CReceiver::Result::More) return result;
    }
    return frame::CReceiver::Result::More;
}

class ReceiverCases : public ::testing::TestWithParam<SFeedCase> {};

TEST_P(ReceiverCases, Parses) {
    const SFeedCase& c = GetParam();
    frame::CReceiver receiver(c.capacity);
    EXPECT_EQ(FeedAll(receiver, c.stream), c.last);
    if (c.last == frame::CReceiver::Result::Frame) {
        const auto body = receiver.Body();
        EXPECT_EQ(Bytes(body.begin(), body.end()), c.body);
    }
}

using R = frame::CReceiver::Result;
INSTANTIATE_TEST_SUITE_P(
    SerialFrame, ReceiverCases,
    ::testing::Values(
        SFeedCase{
            "plain", {0xC0, 0x01, 0x00, 0x9F, 0x16, 0xC1}, 512, R::Frame, {0x01, 0x00, 0x9F, 0x16}},
        SFeedCase{"junkBeforeStart",
                  {0x11, 0x7D, 0xC1, 0x55, 0xC0, 0x01, 0x00, 0x9F, 0x16, 0xC1},
                  512,
                  R::Frame,
                  {0x01, 0x00, 0x9F, 0x16}},
        SFeedCase{"brokenFrameThenGood",
                  {0xC0, 0x05, 0x06, 0x07, 0xC0, 0x01, 0x00, 0x9F, 0x16, 0xC1},
                  512,
                  R::Frame,
                  {0x01, 0x00, 0x9F, 0x16}},
        SFeedCase{"wrongCheckDroppedThenGood",
                  {0xC0, 0x01, 0x00, 0x9F, 0x17, 0xC1, 0xC0, 0x01, 0x00, 0x9F, 0x16, 0xC1},
                  512,
                  R::Frame,
                  {0x01, 0x00, 0x9F, 0x16}},
        SFeedCase{"wrongCheckOnly", {0xC0, 0x01, 0x00, 0x9F, 0x17, 0xC1}, 512, R::More, {}},
        SFeedCase{"overCapacity", {0xC0, 0x01, 0x00, 0x9F, 0x16, 0xC1}, 3, R::Overflow, {}},
        SFeedCase{"exactlyAtCapacity",
                  {0xC0, 0x01, 0x00, 0x9F, 0x16, 0xC1},
                  4,
                  R::Frame,
                  {0x01, 0x00, 0x9F, 0x16}},
        // Two stored bytes whose residue is right (the check value of an empty payload) are
        // still no frame.
        SFeedCase{"twoStoredBytes", {0xC0, 0x00, 0x00, 0xC1}, 512, R::More, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SerialFrame, EscapedBodyRoundTrips) {
    const Bytes payload{0x03, 0x00, 0xC0, 0xC1, 0x7D, 0x20, 0xE0};
    frame::CReceiver receiver(64);
    ASSERT_EQ(FeedAll(receiver, frame::Build(payload)), R::Frame);
    const auto body = receiver.Body();
    ASSERT_EQ(body.size(), payload.size() + 2);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), body.begin()));
}

TEST(SerialFrame, StuffedBytesAreRestoredBeforeTheCheck) {
    const Bytes payload{0xC0, 0xC1, 0x7D};
    const std::uint16_t check = hdlc::FrameCheck(payload);
    Bytes stream{0xC0, 0x7D, 0xE0, 0x7D, 0xE1, 0x7D, 0x5D};
    for (const std::uint8_t b :
         {static_cast<std::uint8_t>(check & 0xFF), static_cast<std::uint8_t>(check >> 8)}) {
        if (b == 0xC0 || b == 0xC1 || b == 0x7D) {
            stream.push_back(0x7D);
            stream.push_back(b ^ 0x20);
        } else {
            stream.push_back(b);
        }
    }
    stream.push_back(0xC1);
    frame::CReceiver receiver(16);
    ASSERT_EQ(FeedAll(receiver, stream), R::Frame);
    const auto body = receiver.Body();
    EXPECT_EQ(Bytes(body.begin(), body.begin() + 3), payload);
}

TEST(SerialFrame, EmptyPayloadFrameIsNotAccepted) {
    // An empty payload's check value makes a body of exactly two bytes.
    frame::CReceiver receiver(64);
    EXPECT_EQ(FeedAll(receiver, frame::Build(Bytes{})), R::More);
}

// ---- infrared packet mode ----

// A platform that records what is sent and hands out prepared records.
class CScriptedIrda final : public IIrdaPlatform {
  public:
    bool Open() override { return open = true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    bool QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize> answer) override {
        std::copy(deviceList.begin(), deviceList.end(), answer.begin());
        return true;
    }
    bool QueryService(const SIrdaAddress&, const std::string&) override { return open; }
    bool SetTinyTP(bool on) override {
        tinyTp = on;
        return true;
    }
    bool Connect(const SIrdaAddress&, Deadline) override { return open; }
    void DiscardPending() override {}
    long Send(std::span<const std::uint8_t> data, Deadline) override {
        sent.emplace_back(data.begin(), data.end());
        return static_cast<long>(data.size());
    }
    long Receive(std::span<std::uint8_t> buffer, Deadline) override {
        return linktest::TakeRecord(replies, buffer);
    }

    bool open = false;
    bool tinyTp = true;
    std::vector<Bytes> sent;
    std::deque<Bytes> replies;
    std::array<std::uint8_t, SIrdaDeviceList::kBufferSize> deviceList{};
};

struct PacketMode : ::testing::Test {
    PacketMode() {
        auto platform = std::make_unique<CScriptedIrda>();
        script = platform.get();
        socket = std::make_unique<CIrDASocket>(std::move(platform), EIrdaMode::Packet);
    }
    Deadline Soon() const { return LinkClock::now() + std::chrono::milliseconds(100); }

    CScriptedIrda* script;
    std::unique_ptr<CIrDASocket> socket;
};

TEST_F(PacketMode, LongRequestIsCutIntoPacketsOfSixtyTwo) {
    Bytes request(130);
    for (std::size_t i = 0; i < request.size(); ++i) request[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(socket->send(request, Soon()), 130);
    ASSERT_EQ(script->sent.size(), 3u);
    EXPECT_EQ(script->sent[0].size(), 62u);
    EXPECT_EQ(script->sent[1].size(), 62u);
    EXPECT_EQ(script->sent[2].size(), 9u);
    EXPECT_EQ(script->sent[0][0], 0x80);
    EXPECT_EQ(script->sent[1][0], 0x80);
    EXPECT_EQ(script->sent[2][0], 0x00);
    EXPECT_EQ(script->sent[1][1], 61);  // data continues where the first packet stopped
    EXPECT_EQ(script->sent[2][8], 129);
}

TEST_F(PacketMode, ExactlySixtyOneBytesIsOnePacket) {
    EXPECT_EQ(socket->send(Bytes(61, 0x55), Soon()), 61);
    ASSERT_EQ(script->sent.size(), 1u);
    EXPECT_EQ(script->sent[0][0], 0x00);
}

TEST_F(PacketMode, ReplyPacketsAreJoinedAndCutToCapacity) {
    Bytes first(62, 0x11);
    first[0] = 0x80;
    Bytes second{0x00, 0x22, 0x23, 0x24};
    script->replies = {first, second};
    Bytes buffer(63);
    EXPECT_EQ(socket->recv(buffer, Soon()), 63);
    EXPECT_EQ(buffer[60], 0x11);
    EXPECT_EQ(buffer[61], 0x22);
    EXPECT_EQ(buffer[62], 0x23);  // 0x24 does not fit
}

TEST_F(PacketMode, UnknownHeaderFailsTheExchange) {
    ASSERT_TRUE(socket->open());
    script->replies = {Bytes{0x40, 0x82, 0x00, 0x05, 0x00}};
    Bytes reply(4);
    EXPECT_FALSE(IrdaExchange(*socket, Bytes{0x02, 0x00, 0x05, 0x00}, reply, 4).has_value());
}

TEST_F(PacketMode, ConnectSwitchesTinyTpOff) {
    ASSERT_TRUE(socket->open());
    EXPECT_TRUE(socket->connect(SIrdaAddress::ForService(kIrdaServiceName)));
    EXPECT_FALSE(script->tinyTp);
}

TEST_F(PacketMode, DeviceCountBeyondTheAnswerReadsOnlyWhatIsThere) {
    // The platform claims 1000 devices; only the records that fit the answer exist.
    script->deviceList[0] = 0xE8;
    script->deviceList[1] = 0x03;
    script->deviceList[4] = 0xAB;  // identifier of the first record
    std::array<SIrdaDevice, 5> devices{};
    const auto count = socket->enumerate(devices);
    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(*count, 1000);
    EXPECT_EQ(devices[0].id[0], 0xAB);
}

TEST(IrdaAddress, CarriesFamilyDeviceAndService) {
    SIrdaAddress address = SIrdaAddress::ForService("Varnex");
    const std::array<std::uint8_t, 4> id{1, 2, 3, 4};
    address.SetDeviceId(id);
    EXPECT_EQ(address.bytes.size(), 32u);
    EXPECT_EQ(address.bytes[0], 26);
    EXPECT_EQ(address.bytes[1], 0);
    EXPECT_EQ(address.bytes[2], 1);
    EXPECT_EQ(address.bytes[5], 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&address.bytes[6])), "Varnex");
    EXPECT_EQ(address.bytes[31], 0);
}

// ---- infrared identification ----

// Info bytes: "ALDER", 0, flags, serial, base (100 Hz), ranges (12.5 kHz above the base).
Bytes AlderInfo(std::size_t length, std::uint32_t serial = 123456, std::uint8_t flags = 0x01) {
    Bytes info{'A', 'L', 'D', 'E', 'R', 0x00, flags};
    for (int i = 0; i < 4; ++i) info.push_back(static_cast<std::uint8_t>(serial >> (8 * i)));
    const std::uint32_t base = 1450000;  // 145 MHz
    for (int i = 0; i < 4; ++i) info.push_back(static_cast<std::uint8_t>(base >> (8 * i)));
    // (0, 320) = 145-149 MHz, (1600, 2320) = 165-174 MHz
    for (const std::uint16_t edge : {0, 320, 1600, 2320}) {
        info.push_back(edge & 0xFF);
        info.push_back(edge >> 8);
    }
    info.resize(length, 0x00);
    return info;
}

// The low and high edges of the first ranges an identification names, range by range.
template <class Info>
std::vector<int> Edges(const Info& info, int ranges) {
    std::vector<int> edges;
    for (int i = 0; i < ranges; ++i)
        for (int edge : {0, 1}) edges.push_back(info.RangeEdge(i, edge));
    return edges;
}

TEST(RadioInfo, FieldsFromTheIdentification) {
    const CRadioInfo info(AlderInfo(24));
    EXPECT_EQ(info.FW(), "ALDER");
    EXPECT_EQ(info.SN(), "123456");
    EXPECT_EQ(info.BankFlag(), 1);
    EXPECT_EQ(info.RangeCount(), 2);
    EXPECT_EQ(Edges(info, 2), (std::vector<int>{145000000, 149000000, 165000000, 174000000}));
}

TEST(RadioInfo, BankFlagIsBitZeroOnly) {
    EXPECT_EQ(CRadioInfo(AlderInfo(24, 1, 0xFE)).BankFlag(), 0);
}

TEST(RadioInfo, RangeCountFollowsTheLength) {
    // A reply of 20 bytes carries 19 info bytes: no range; 21 bytes carry one.
    EXPECT_EQ(CRadioInfo(AlderInfo(19)).RangeCount(), 0);
    EXPECT_EQ(CRadioInfo(AlderInfo(20)).RangeCount(), 1);
    EXPECT_EQ(CRadioInfo(AlderInfo(23)).RangeCount(), 1);
    EXPECT_EQ(CRadioInfo(AlderInfo(63)).RangeCount(), 11);
    EXPECT_EQ(CRadioInfo(Bytes{}).RangeCount(), 0);
}

TEST(RadioInfo, NoRangesMeansBaseFrequencyBothWays) {
    const CRadioInfo info(AlderInfo(19));
    EXPECT_EQ(info.RangeEdge(0, 0), 145000000);
    EXPECT_EQ(info.RangeEdge(info.RangeCount() - 1, 1), 145000000);
}

TEST(RadioInfo, SerialNumberAboveTwoToThe31IsNegative) {
    EXPECT_EQ(CRadioInfo(AlderInfo(24, 2147483648u)).SN(), "-2147483648");
    EXPECT_EQ(CRadioInfo(AlderInfo(24, 0xFFFFFFFFu)).SN(), "-1");
    EXPECT_EQ(CRadioInfo(AlderInfo(24, 2147483647u)).SN(), "2147483647");
}

TEST(RadioInfo, EdgeOutsideTheRangesIsTheBase) {
    const CRadioInfo info(AlderInfo(24));
    for (const auto& [index, edge] : {std::pair{-1, 0}, {2, 0}, {2, 1}, {0, 2}, {0, -1}})
        EXPECT_EQ(info.RangeEdge(index, edge), 145000000) << index << ',' << edge;
}

TEST(RadioInfo, HugeBaseDoesNotOverflow) {
    Bytes info = AlderInfo(24);
    std::fill(info.begin() + 11, info.begin() + 15, 0xFF);
    EXPECT_EQ(CRadioInfo(info).RangeEdge(0, 0), std::numeric_limits<int>::max());
}

// ---- serial identification ----

Bytes SerialIdentification() {
    Bytes payload(124, 0);
    payload[0] = 0x01;
    payload[10] = '1';
    payload[11] = '2';
    payload[12] = '0';
    const std::string model = "CEDAR";
    std::copy(model.begin(), model.end(), payload.begin() + 20);
    const auto put = [&payload](std::size_t at, unsigned v) {
        payload[at] = v & 0xFF;
        payload[at + 1] = v >> 8;
    };
    put(100, 0x1234);  // word A
    put(102, 10880);   // base in steps: 136 MHz
    put(104, 0x5678);  // word B
    put(106, 12500);   // step
    put(108, 0);       // range 0: 136..174 MHz
    put(110, 3040);
    put(112, 1);  // range 1: one step each side
    put(114, 2);
    return payload;
}

TEST(DeviceInfo, FieldsFromTheIdentification) {
    const CDeviceInfo info(SerialIdentification());
    EXPECT_EQ(info.FW(), "CEDAR");
    EXPECT_EQ(info.Revision(), "120");
    EXPECT_EQ(info.AuxWordA(), 0x1234);
    EXPECT_EQ(info.BaseUnits(), 10880);
    EXPECT_EQ(info.AuxWordB(), 0x5678);
    EXPECT_EQ(info.StepHz(), 12500);
    EXPECT_EQ(Edges(info, 2), (std::vector<int>{136000000, 174000000, 136012500, 136025000}));
    EXPECT_EQ(info.RangeEdge(3, 1), 136000000);  // all four are computed, unused ones at the base
}

TEST(DeviceInfo, ShortPayloadReadsNothingBeyondIt) {
    const Bytes full = SerialIdentification();
    const Bytes truncated(full.begin(), full.begin() + 22);
    const CDeviceInfo info(truncated);
    EXPECT_EQ(info.FW(), std::string("CE\0\0\0", 5));
    EXPECT_EQ(info.StepHz(), 0);
    EXPECT_EQ(info.RangeEdge(0, 0), 0);
}

TEST(DeviceInfo, ArgumentsOutsideTheRangesGiveTheBase) {
    const CDeviceInfo info(SerialIdentification());
    EXPECT_EQ(info.RangeEdge(4, 0), 136000000);
    EXPECT_EQ(info.RangeEdge(-1, 0), 136000000);
    EXPECT_EQ(info.RangeEdge(0, 2), 136000000);
}

}  // namespace
