// Every link command: the request it sends and the replies it accepts, on both links.

#include <gtest/gtest.h>

#include <deque>

#include "U_radionet.h"
#include "scripted_line.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// ---- infrared ----

class CScriptedIrda final : public IIrdaPlatform {
  public:
    bool Open() override { return open = true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    bool QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize>) override {
        return open;
    }
    bool QueryService(const SIrdaAddress&, const std::string&) override { return open; }
    bool SetTinyTP(bool) override { return true; }
    bool Connect(const SIrdaAddress&, Deadline) override { return open; }
    void DiscardPending() override { early.clear(); }
    long Send(std::span<const std::uint8_t> data, Deadline) override {
        sent.insert(sent.end(), data.begin(), data.end());
        return static_cast<long>(data.size());
    }
    long Receive(std::span<std::uint8_t> buffer, Deadline) override {
        return linktest::TakeRecord(early.empty() ? replies : early, buffer);
    }

    bool open = true;
    Bytes sent;
    std::deque<Bytes> early;    // arrived before the request went out: a reply come too late
    std::deque<Bytes> replies;  // the answers to the request
};

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct IrdaCommands : ::testing::Test {
    IrdaCommands() {
        auto platform = std::make_unique<CScriptedIrda>();
        script = platform.get();
        socket = std::make_unique<CIrDASocket>(std::move(platform), EIrdaMode::Stream);
        link = std::make_unique<CRadioSocket>(*socket, std::make_unique<CRadioInfo>(Bytes(19)));
    }
    CScriptedIrda* script;
    std::unique_ptr<CIrDASocket> socket;
    std::unique_ptr<CRadioSocket> link;
};

struct SIrdaCase {
    const char* name;
    std::vector<Bytes> replies;
    bool accepted;
    std::vector<Bytes> early = {};
};
void PrintTo(const SIrdaCase& c, std::ostream* out) {
    *out << c.name;
}

class IrdaGetSegment : public IrdaCommands, public ::testing::WithParamInterface<SIrdaCase> {};

TEST_P(IrdaGetSegment, Acceptance) {
    for (const Bytes& r : GetParam().replies) script->replies.push_back(r);
    for (const Bytes& r : GetParam().early) script->early.push_back(r);
    Bytes data(4, 0xEE);
    EXPECT_EQ(link->GetSegment(0x0205, data), GetParam().accepted);
    EXPECT_EQ(script->sent, (Bytes{0x02, 0x00, 0x05, 0x02}));
    if (GetParam().accepted) {
        EXPECT_EQ(data, (Bytes{1, 2, 3, 4}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Irda, IrdaGetSegment,
    ::testing::Values(
        SIrdaCase{"good", {{0x82, 0x77, 0x05, 0x02, 1, 2, 3, 4}}, true},
        SIrdaCase{"inTwoPieces", {{0x82, 0x00, 0x05}, {0x02, 1, 2, 3, 4}}, true},
        SIrdaCase{"plainCode", {{0x02, 0x00, 0x05, 0x02, 1, 2, 3, 4}}, false},
        SIrdaCase{"otherSegmentLow", {{0x82, 0x00, 0x06, 0x02, 1, 2, 3, 4}}, false},
        SIrdaCase{"otherSegmentHigh", {{0x82, 0x00, 0x05, 0x03, 1, 2, 3, 4}}, false},
        SIrdaCase{"short", {{0x82, 0x00, 0x05, 0x02, 1, 2, 3}}, false},
        SIrdaCase{"silent", {}, false},
        // A reply to an earlier request, come after its window, is not the answer.
        SIrdaCase{
            "afterLateClockReply", {Bytes(25, 0x81), {0x82, 0x00, 0x05, 0x02, 1, 2, 3, 4}}, true},
        SIrdaCase{"afterLateOtherSegment",
                  {{0x82, 0x00, 0x06, 0x02, 9, 9, 9, 9}, {0x82, 0x00, 0x05, 0x02, 1, 2, 3, 4}},
                  true},
        SIrdaCase{"waitingBeforeTheRequest",
                  {{0x82, 0x00, 0x05, 0x02, 1, 2, 3, 4}},
                  true,
                  {{0x82, 0x00, 0x05, 0x02, 9, 9, 9, 9}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IrdaCommands, PutSegmentSendsTheDataAndWantsItsEcho) {
    const Bytes data{9, 8, 7};
    script->replies = {{0x83, 0x00, 0x00, 0x02}};
    EXPECT_TRUE(link->PutSegment(512, data));
    EXPECT_EQ(script->sent, Concat({0x03, 0x00, 0x00, 0x02}, data));

    script->sent.clear();
    script->replies = {{0x83, 0x00, 0x01, 0x02}};
    EXPECT_FALSE(link->PutSegment(512, data));
    script->replies = {{0x84, 0x00, 0x00, 0x02}};
    EXPECT_FALSE(link->PutSegment(512, data));
    script->replies = {{0x83, 0x00, 0x00}};
    EXPECT_FALSE(link->PutSegment(512, data));
}

TEST_F(IrdaCommands, ReleaseSegmentNamesTheSegment) {
    script->replies = {{0x84, 0x00, 0x00, 0x01}};
    EXPECT_TRUE(link->ReleaseSegment(256));
    EXPECT_EQ(script->sent, (Bytes{0x04, 0x00, 0x00, 0x01}));
    script->replies = {{0x84, 0x00, 0x00, 0x02}};
    EXPECT_FALSE(link->ReleaseSegment(256));
    script->replies = {{0x04, 0x00, 0x00, 0x01}};
    EXPECT_FALSE(link->ReleaseSegment(256));
}

TEST_F(IrdaCommands, EndSessionWantsTheReplyCode) {
    script->replies = {{0x85}};
    EXPECT_TRUE(link->EndSession());
    EXPECT_EQ(script->sent, (Bytes{0x05}));
    script->replies = {{0x05}};
    EXPECT_FALSE(link->EndSession());
    script->replies = {};
    EXPECT_FALSE(link->EndSession());
}

TEST_F(IrdaCommands, SetClockSendsDateAndTimeAndWantsAnIdentificationLongReply) {
    script->replies = {Bytes(20, 0x81)};
    EXPECT_TRUE(link->SetClockTo({26, 12, 8, 13, 45, 59}));
    EXPECT_EQ(script->sent, (Bytes{0x01, 26, 12, 8, 13, 45, 59}));
    script->replies = {Bytes(19, 0x81)};
    EXPECT_FALSE(link->SetClockTo({26, 12, 8, 13, 45, 59}));
    // A segment's reply that came too late is long enough, but it is not the clock's.
    script->replies = {
        Bytes{0x82, 0x00, 0x05, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    EXPECT_FALSE(link->SetClockTo({26, 12, 8, 13, 45, 59}));
}

TEST_F(IrdaCommands, SetClockUsesTheComputersLocalTime) {
    script->replies = {Bytes(20, 0x81)};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_TRUE(link->SetClock());
    ASSERT_EQ(script->sent.size(), 7u);
    EXPECT_EQ(script->sent[0], 0x01);
    EXPECT_EQ(script->sent[1], local.tm_year % 100);
    EXPECT_EQ(script->sent[2], local.tm_mon + 1);
    EXPECT_EQ(script->sent[3], local.tm_mday);
}

TEST_F(IrdaCommands, IdentificationWantsReplyCodeAndTwentyBytes) {
    Bytes reply(21, 0x00);
    reply[0] = 0x81;
    script->replies = {reply};
    auto info = IdentifyIrda(*socket);
    ASSERT_TRUE(info);
    EXPECT_EQ(script->sent, (Bytes{0x01}));
    EXPECT_EQ(info->RangeCount(), 1);

    reply[0] = 0x01;
    script->replies = {reply};
    EXPECT_FALSE(IdentifyIrda(*socket));
    script->replies = {Bytes{0x81, 0x00}};
    EXPECT_FALSE(IdentifyIrda(*socket));
}

TEST_F(IrdaCommands, ClosedLinkEndsTheExchangeAtOnce) {
    // A platform receive of 0 bytes is the radio hanging up: no point waiting the window.
    script->replies = {Bytes{}};
    Bytes data(4);
    EXPECT_FALSE(link->GetSegment(5, data));
}

// ---- serial ----

struct SerialCommands : ::testing::Test {
    SerialCommands() : port(std::vector<std::string>{line.Path()}) {
        port.setWindow(300ms);
        EXPECT_TRUE(port.open(line.Path()));
        port.applySettings();
        link = std::make_unique<CRadioSerial>(port, std::make_unique<CDeviceInfo>(Bytes(124)));
    }
    linktest::CScriptedLine line;
    SerialPort port;
    std::unique_ptr<CRadioSerial> link;
};

struct SSerialCase {
    const char* name;
    Bytes raw;  // what the radio sends back
    bool accepted;
};
void PrintTo(const SSerialCase& c, std::ostream* out) {
    *out << c.name;
}

Bytes Framed(const Bytes& payload) {
    return frame::Build(payload);
}

class SerialGetSegment : public SerialCommands,
                         public ::testing::WithParamInterface<SSerialCase> {};

TEST_P(SerialGetSegment, Acceptance) {
    line.Answer(GetParam().raw);
    Bytes data(4, 0xEE);
    EXPECT_EQ(link->GetSegment(0x0102, data), GetParam().accepted);
    ASSERT_EQ(line.Requests().size(), 1u);
    EXPECT_EQ(line.Requests()[0], (Bytes{0x02, 0x00, 0x02, 0x01}));
    if (GetParam().accepted) {
        EXPECT_EQ(data, (Bytes{1, 2, 3, 4}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Serial, SerialGetSegment,
    ::testing::Values(
        SSerialCase{"good", Framed({0x02, 0x55, 0x02, 0x01, 1, 2, 3, 4}), true},
        SSerialCase{"afterNoiseAndBrokenFrame",
                    Concat({0x33, 0xC0, 0x02, 0x00}, Framed({0x02, 0x00, 0x02, 0x01, 1, 2, 3, 4})),
                    true},
        SSerialCase{"afterBadCheck",
                    Concat({0xC0, 0x02, 0x00, 0x02, 0x01, 1, 2, 3, 4, 0x00, 0x00, 0xC1},
                           Framed({0x02, 0x00, 0x02, 0x01, 1, 2, 3, 4})),
                    true},
        SSerialCase{
            "badCheckOnly", {0xC0, 0x02, 0x00, 0x02, 0x01, 1, 2, 3, 4, 0x00, 0x00, 0xC1}, false},
        SSerialCase{"replyCode", Framed({0x82, 0x00, 0x02, 0x01, 1, 2, 3, 4}), false},
        SSerialCase{"otherSegment", Framed({0x02, 0x00, 0x03, 0x01, 1, 2, 3, 4}), false},
        // Two data bytes missing: the check bytes must not pass for data.
        SSerialCase{"twoBytesShort", Framed({0x02, 0x00, 0x02, 0x01, 1, 2}), false},
        SSerialCase{"overCapacity", Framed({0x02, 0x00, 0x02, 0x01, 1, 2, 3, 4, 5}), false},
        SSerialCase{"silent", {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialCommands, PutSegmentCarriesTheDataAndWantsTheEcho) {
    const Bytes data{0xC0, 0x11};
    line.AnswerPayload({0x03, 0x00, 0x09, 0x00});
    EXPECT_TRUE(link->PutSegment(9, data));
    EXPECT_EQ(line.Requests().back(), (Bytes{0x03, 0x00, 0x09, 0x00, 0xC0, 0x11}));
    line.AnswerPayload({0x03, 0x00, 0x08, 0x00});
    EXPECT_FALSE(link->PutSegment(9, data));
    line.AnswerPayload({0x03, 0x00});
    EXPECT_FALSE(link->PutSegment(9, data));
}

TEST_F(SerialCommands, EndSessionWantsItsEcho) {
    line.AnswerPayload({0x05, 0x00});
    EXPECT_TRUE(link->EndSession());
    EXPECT_EQ(line.Requests().back(), (Bytes{0x05, 0x00}));
    // The bare command code with its check value is answer enough.
    line.AnswerPayload({0x05});
    EXPECT_TRUE(link->EndSession());
    line.AnswerPayload({0x85, 0x00});
    EXPECT_FALSE(link->EndSession());
}

TEST_F(SerialCommands, ReleaseSegmentSendsNothing) {
    EXPECT_TRUE(link->ReleaseSegment(256));
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(line.Requests().empty());
}

TEST_F(SerialCommands, IdentificationWantsTheFullPayload) {
    Bytes reply(124, 0x00);
    reply[0] = 0x01;
    line.AnswerPayload(reply);
    EXPECT_TRUE(IdentifySerial(port));
    EXPECT_EQ(line.Requests().back(), (Bytes{0x01, 0x00}));

    line.AnswerPayload(Bytes(reply.begin(), reply.end() - 1));
    EXPECT_FALSE(IdentifySerial(port));
    reply[0] = 0x81;
    line.AnswerPayload(reply);
    EXPECT_FALSE(IdentifySerial(port));
}

TEST_F(SerialCommands, SilenceEndsWithTheWindow) {
    Bytes data(4);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link->GetSegment(1, data));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 1000ms);
}

TEST(SerialPortWrite, ALineThatNeverDrainsEndsWithTheWindow) {
    // The far end holds the line open and reads nothing: the driver's buffers fill up.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    char name[128] = {};
    ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);
    SerialPort port(std::vector<std::string>{name});
    port.setWindow(200ms);
    ASSERT_TRUE(port.open(name));
    port.applySettings();
    const Bytes flood(1 << 20, 0x55);
    std::size_t moved = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.write(flood, moved));
    EXPECT_LT(moved, flood.size());
    port.close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    ::close(master);
}

TEST(SerialPortList, ColonSeparatedNamesInOrder) {
    EXPECT_EQ(SerialPortsFromList("/dev/a::/dev/b:"),
              (std::vector<std::string>{"/dev/a", "/dev/b"}));
    EXPECT_EQ(SerialPortsFromList("1:2:3:4:5:6:7:8:9:10:11").size(), kMaxSerialPorts);
}

TEST(SerialPortList, EnvironmentReplacesTheMachinesPorts) {
    setenv("TESSEL_SERIAL_PORTS", "/dev/x:/dev/y", 1);
    EXPECT_EQ(EnumerateSerialPorts(), (std::vector<std::string>{"/dev/x", "/dev/y"}));
    setenv("TESSEL_SERIAL_PORTS", "", 1);
    // No port at all still names one to probe.
    EXPECT_EQ(EnumerateSerialPorts(), (std::vector<std::string>{kFallbackSerialPort}));
    unsetenv("TESSEL_SERIAL_PORTS");
}

}  // namespace
