// The IrLAP primary station against a scripted secondary that answers each frame at once:
// discovery, the connection and its negotiation, the window with go-back-N retransmission,
// sequence checks, and the secondary's disconnect.

#include <gtest/gtest.h>

#include <functional>

#include "sir/U_irlap.h"

namespace {

using namespace sir;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPrimary = 0x11111111;
constexpr std::uint32_t kRadio = 0x0A0B0C0D;

// The line to a secondary whose answers to each frame are there to read as soon as the frame
// is written; silence reads as nothing at once, so timers run out without waiting.
class CScriptedSecondary final : public ISirBytes {
  public:
    std::function<std::vector<SLapFrame>(const SLapFrame&)> answer;
    std::vector<SLapFrame> heard;
    std::vector<int> bauds;

    bool Write(std::span<const std::uint8_t> bytes, Deadline) override {
        for (const std::uint8_t byte : bytes) {
            if (deframer_.Feed(byte) != CDeframer::EResult::Frame) continue;
            const SLapFrame frame = *SLapFrame::Parse(deframer_.Body());
            heard.push_back(frame);
            if (!answer) continue;
            for (const SLapFrame& reply : answer(frame)) {
                const Bytes wrapped = Wrap(reply.Encode(), 0);
                waiting_.insert(waiting_.end(), wrapped.begin(), wrapped.end());
            }
        }
        return true;
    }
    long Read(std::span<std::uint8_t> buffer, Deadline) override {
        const std::size_t n = std::min(buffer.size(), waiting_.size());
        std::copy_n(waiting_.begin(), n, buffer.begin());
        waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<long>(n);
    }
    bool SetBaud(int baud, Deadline) override {
        bauds.push_back(baud);
        return true;
    }

  private:
    CDeframer deframer_{kLargestFrame};
    Bytes waiting_;
};

SLapFrame Response(std::uint8_t connection, std::uint8_t control, Bytes info = {}) {
    SLapFrame frame;
    frame.connection = connection;
    frame.command = false;
    frame.control = control;
    frame.info = std::move(info);
    return frame;
}

SLapFrame Ua(const SLapFrame& snrm, std::uint16_t baud) {
    const auto request = SConnectInfo::ParseSnrm(snrm.info);
    SConnectInfo ua;
    ua.source = kRadio;
    ua.destination = kPrimary;
    ua.params.baud = baud;
    ua.params.dataSize = 0x01;
    ua.params.window = 0x7F;
    return Response(request->connection, ucontrol::kUa | kPollFinal, ua.EncodeUa());
}

struct SStation {
    explicit SStation(int maxBaud = 115200)
        : line(secondary, nullptr), primary(line, SPrimaryConfig{kPrimary, maxBaud, 6, {}}) {}

    // Connected with the secondary's UA; afterwards every frame goes to onData.
    bool Connect(std::uint16_t radioBauds = 0x3E) {
        secondary.answer = [this, radioBauds](const SLapFrame& frame) {
            if (frame.Kind() == ELapKind::SNRM) {
                connection = SConnectInfo::ParseSnrm(frame.info)->connection;
                return std::vector<SLapFrame>{Ua(frame, radioBauds)};
            }
            return onData ? onData(frame) : std::vector<SLapFrame>{};
        };
        return primary.Connect(kRadio, LinkClock::now() + 1s);
    }
    std::vector<int> SentNs() const {
        std::vector<int> ns;
        for (const SLapFrame& frame : secondary.heard)
            if (frame.Kind() == ELapKind::I) ns.push_back(frame.Ns());
        return ns;
    }

    CScriptedSecondary secondary;
    CSirLine line;
    CIrlapPrimary primary;
    std::uint8_t connection = 0;
    std::function<std::vector<SLapFrame>(const SLapFrame&)> onData;
};

TEST(IrlapPrimary, DiscoveryListsEachDeviceOnceAndOnlyAnswersToThisStation) {
    SStation station;
    station.secondary.answer = [](const SLapFrame& frame) {
        std::vector<SLapFrame> answers;
        const auto xid = SXidInfo::Parse(frame.info);
        if (!xid || xid->slot == SXidInfo::kFinalSlot) return answers;
        for (const std::uint32_t device : {kRadio, 0x22222222u}) {
            SXidInfo answer;
            answer.source = device;
            answer.destination = device == kRadio || xid->slot == 2 ? kPrimary : 0x33333333;
            answer.slot = xid->slot;
            answer.flags = xid->flags;
            answer.discovery = SDiscoveryInfo{{0x84, 0x04}, 0x00, "ALDER"}.Encode();
            answers.push_back(Response(kBroadcastConnection, ucontrol::kXidResponse | kPollFinal,
                                       answer.Encode()));
        }
        return answers;
    };
    const auto found = station.primary.Discover(LinkClock::now() + 1s);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].address, kRadio);
    EXPECT_EQ(found[0].info.nickname, "ALDER");
    EXPECT_EQ(found[1].address, 0x22222222u);
    // Six slots, then the final frame with this station's own discovery information.
    ASSERT_EQ(station.secondary.heard.size(), 7u);
    EXPECT_EQ(SXidInfo::Parse(station.secondary.heard.back().info)->slot, SXidInfo::kFinalSlot);
}

TEST(IrlapPrimary, ConnectionAgreesOnTheHighestCommonRateWithinTheCap) {
    struct SCase {
        int cap;
        std::uint16_t radio;
        int rate;
    };
    for (const SCase c :
         {SCase{115200, 0x3E, 115200}, SCase{38400, 0x3E, 38400}, SCase{115200, 0x02, 9600}}) {
        SStation station(c.cap);
        ASSERT_TRUE(station.Connect(c.radio));
        EXPECT_EQ(station.line.Baud(), c.rate) << c.cap;
        EXPECT_EQ(station.primary.MaxInfo(), 64u);
    }
}

TEST(IrlapPrimary, RefusedOrUnansweredConnectionFails) {
    SStation refused;
    refused.secondary.answer = [](const SLapFrame&) {
        return std::vector<SLapFrame>{Response(kBroadcastConnection, ucontrol::kDm | kPollFinal)};
    };
    EXPECT_FALSE(refused.primary.Connect(kRadio, LinkClock::now() + 1s));
    EXPECT_EQ(refused.secondary.heard.size(), 1u);

    SStation silent;
    EXPECT_FALSE(silent.primary.Connect(kRadio, LinkClock::now() + 200ms));
    EXPECT_EQ(silent.line.Baud(), 9600);
}

TEST(IrlapPrimary, WindowIsSentAgainFromTheFirstFrameNotAcknowledged) {
    SStation station;
    int polls = 0;
    station.onData = [&](const SLapFrame& frame) {
        std::vector<SLapFrame> answers;
        if (!frame.PollFinal()) return answers;
        // The first window is acknowledged up to frame 3 only.
        const int nr = ++polls == 1 ? 3 : (frame.Ns() + 1) % 8;
        answers.push_back(Response(station.connection, SControl(ELapKind::RR, nr, true)));
        return answers;
    };
    ASSERT_TRUE(station.Connect());
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(station.primary.Queue(Bytes{static_cast<std::uint8_t>(i)}));
    ASSERT_TRUE(station.primary.Flush(LinkClock::now() + 1s));
    EXPECT_EQ(station.SentNs(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 3, 4, 5, 6, 7, 0}));
}

TEST(IrlapPrimary, FramesOutOfSequenceAreNotDelivered) {
    SStation station;
    station.onData = [&](const SLapFrame& frame) {
        std::vector<SLapFrame> answers;
        if (frame.Kind() != ELapKind::RR || !frame.PollFinal() || frame.Nr() != 0) return answers;
        answers.push_back(Response(station.connection, IControl(0, 0, false), {0xA0}));
        answers.push_back(Response(station.connection, IControl(2, 0, true), {0xA2}));
        return answers;
    };
    ASSERT_TRUE(station.Connect());
    EXPECT_EQ(station.primary.Receive(LinkClock::now() + 1s), Bytes{0xA0});
    EXPECT_FALSE(station.primary.Receive(LinkClock::now() + 50ms));
    // The next poll tells the secondary where to start again.
    EXPECT_EQ(station.secondary.heard.back().Nr(), 1);
}

TEST(IrlapPrimary, SecondaryAskingToDisconnectGetsDiscAndTheLinkIsDown) {
    SStation station;
    station.onData = [&](const SLapFrame& frame) {
        if (frame.Kind() == ELapKind::DISC) return std::vector<SLapFrame>{};
        return std::vector<SLapFrame>{
            Response(station.connection, ucontrol::kDisc | kPollFinal)};  // RD
    };
    ASSERT_TRUE(station.Connect());
    EXPECT_FALSE(station.primary.Send(Bytes{0x01}, LinkClock::now() + 1s));
    EXPECT_FALSE(station.primary.Connected());
    EXPECT_EQ(station.secondary.heard.back().Kind(), ELapKind::DISC);
}

TEST(IrlapPrimary, InvalidAcknowledgementIsIgnored) {
    SStation station;
    station.onData = [&](const SLapFrame& frame) {
        // N(R) 5 acknowledges frames never sent; the answer is dropped and the frame polled
        // again until the deadline.
        if (!frame.PollFinal()) return std::vector<SLapFrame>{};
        return std::vector<SLapFrame>{
            Response(station.connection, SControl(ELapKind::RR, 5, true))};
    };
    ASSERT_TRUE(station.Connect());
    const auto start = LinkClock::now();
    EXPECT_FALSE(station.primary.Send(Bytes{0x01}, start + 100ms));
    EXPECT_LT(LinkClock::now() - start, 1s);
    EXPECT_GT(station.SentNs().size(), 1u);
}

}  // namespace
