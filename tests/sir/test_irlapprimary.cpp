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

SLapFrame XidAnswer(const SXidInfo& command, std::uint32_t device, std::uint32_t to) {
    SXidInfo answer;
    answer.source = device;
    answer.destination = to;
    answer.slot = command.slot;
    answer.flags = command.flags;
    answer.discovery = SDiscoveryInfo{{0x84, 0x04}, 0x00, "ALDER"}.Encode();
    return Response(kBroadcastConnection, ucontrol::kXidResponse | kPollFinal, answer.Encode());
}

// One slot first; all six when that one did not bring exactly one clean answer.
TEST(IrlapPrimary, DiscoveryListsEachDeviceOnceAndOnlyAnswersToThisStation) {
    struct {
        bool second;  // a second device, answering in every slot, to us only in slot 2
        std::size_t found;
        std::size_t heard;
    } const cases[] = {{false, 1, 2}, {true, 2, 2 + 7}};
    for (const auto& c : cases) {
        SStation station;
        station.secondary.answer = [&](const SLapFrame& frame) {
            std::vector<SLapFrame> answers;
            const auto xid = SXidInfo::Parse(frame.info);
            if (!xid || xid->slot == SXidInfo::kFinalSlot) return answers;
            answers.push_back(XidAnswer(*xid, kRadio, kPrimary));
            const bool toUs = xid->slot == 2 || SlotCount(xid->flags) == 1;
            if (c.second) answers.push_back(XidAnswer(*xid, 0x22222222, toUs ? kPrimary : 3));
            return answers;
        };
        const auto found = station.primary.Discover(LinkClock::now() + 1s);
        ASSERT_EQ(found.size(), c.found);
        EXPECT_EQ(found[0].address, kRadio);
        EXPECT_EQ(found[0].info.nickname, "ALDER");
        if (c.second) {
            EXPECT_EQ(found[1].address, 0x22222222u);
        }
        ASSERT_EQ(station.secondary.heard.size(), c.heard) << c.second;
        // The last frame is the final slot with this station's own discovery information.
        EXPECT_EQ(SXidInfo::Parse(station.secondary.heard.back().info)->slot, SXidInfo::kFinalSlot);
    }
}

// A secondary still in a connection answers discovery with that connection's frames: it is
// sent DISC on that address until it answers, and a fresh discovery finds it.
TEST(IrlapPrimary, SecondaryStillConnectedIsDisconnectedAndDiscoveredAgain) {
    constexpr std::uint8_t kOld = 0x33;
    SStation station;
    bool connected = true;
    int discs = 0;
    station.secondary.answer = [&](const SLapFrame& frame) {
        std::vector<SLapFrame> answers;
        if (frame.Kind() == ELapKind::DISC && frame.connection == kOld) {
            // The first DISC is lost; the one sent again on the final-timer is answered.
            if (++discs == 2) {
                connected = false;
                answers.push_back(Response(kOld, ucontrol::kUa | kPollFinal));
            }
            return answers;
        }
        const auto xid = SXidInfo::Parse(frame.info);
        if (!xid || xid->slot == SXidInfo::kFinalSlot) return answers;
        if (connected)
            answers.push_back(Response(kOld, SControl(ELapKind::RR, 0, true)));
        else
            answers.push_back(XidAnswer(*xid, kRadio, kPrimary));
        return answers;
    };
    const auto found = station.primary.Discover(LinkClock::now() + 1s);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].address, kRadio);
    EXPECT_EQ(discs, 2);
}

// IrLAP's disconnect: DISC again each time the final-timer runs out, until UA or DM, at most
// as many tries as fit into the disconnect threshold; the link is down afterwards either way.
TEST(IrlapPrimary, DisconnectWaitsForUaOrDmAndRetriesOnTheFinalTimer) {
    struct {
        int answeredAt;  // the DISC answered; 0 none
        ELapKind answer;
        int sent;
    } const cases[] = {{1, ELapKind::UA, 1}, {3, ELapKind::DM, 3}, {0, ELapKind::UA, 4}};
    for (const auto& c : cases) {
        SStation station;
        int discs = 0;
        station.onData = [&](const SLapFrame& frame) {
            std::vector<SLapFrame> answers;
            if (frame.Kind() != ELapKind::DISC || ++discs != c.answeredAt) return answers;
            answers.push_back(
                Response(station.connection,
                         (c.answer == ELapKind::UA ? ucontrol::kUa : ucontrol::kDm) | kPollFinal));
            return answers;
        };
        ASSERT_TRUE(station.Connect());
        station.primary.Disconnect();
        EXPECT_FALSE(station.primary.Connected());
        // 3 s threshold over a final-timer of 500 ms turnaround and a little: 4 tries.
        EXPECT_EQ(discs, c.sent) << c.answeredAt;
    }
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
