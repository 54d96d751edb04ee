#pragma once
// The IrLAP primary station: discovery over XID slots, the connection (SNRM/UA with the
// negotiation, then the agreed rate), normal response mode with I, RR and RNR frames, sequence
// numbers and a window, retransmission when the final-timer runs out, the link-disconnect
// threshold, and DISC. Driven from the calling thread; every call ends by its deadline.

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <vector>

#include "U_irlapframe.h"
#include "U_irlmpframe.h"
#include "U_sirline.h"

namespace sir {

struct SDiscovered {
    std::uint32_t address = 0;
    SDiscoveryInfo info;
};

struct SPrimaryConfig {
    std::uint32_t address = 0;  // this station's device address
    int maxBaud = 115200;
    int slots = 6;
    SDiscoveryInfo info;  // what this station tells in the last discovery frame
    // What this station offers in SNRM beyond the rate: the defaults suit a host that wraps
    // the frames itself; an adapter that frames in hardware tells its own.
    std::uint16_t baudMask = 0xFFFF;
    std::uint8_t dataSize = 0x3F;   // up to 2048 bytes
    std::uint8_t window = 0x7F;     // up to 7 frames
    std::uint8_t extraBofs = 0x80;  // none
    std::uint8_t minTurn = 0x04;    // 1 ms
};

class CIrlapPrimary {
  public:
    CIrlapPrimary(ILapLine& line, SPrimaryConfig config);

    // One slot first, then all the configured slots unless that found one device cleanly; a
    // secondary found still in an earlier connection is disconnected and the discovery run
    // once more.
    std::vector<SDiscovered> Discover(Deadline deadline);
    // SNRM until UA (or DM, or no answer), then the agreed parameters and rate.
    bool Connect(std::uint32_t device, Deadline deadline);
    bool Connected() const { return connected_; }
    std::uint32_t Peer() const { return peer_; }
    // The most the secondary takes in one I frame.
    std::size_t MaxInfo() const { return maxInfo_; }

    // Queues one information field and polls until the secondary has acknowledged it.
    bool Send(std::vector<std::uint8_t> info, Deadline deadline);
    // Queues without polling, so that several fields go in one window; Flush polls until the
    // secondary has acknowledged all that is queued.
    bool Queue(std::vector<std::uint8_t> info);
    bool Flush(Deadline deadline);
    // The next information field from the secondary, polling for it until the deadline.
    std::optional<std::vector<std::uint8_t>> Receive(Deadline deadline);
    // One poll cycle when nothing waits to go out; what arrives is kept for Receive.
    bool Poll(Deadline deadline);
    // What has arrived and not been taken, without polling.
    std::optional<std::vector<std::uint8_t>> TakeReceived();

    // IrLAP's disconnect: DISC until UA or DM, sent again each time the final-timer runs out
    // within the disconnect threshold; the link is down (NDM) afterwards either way. Bounded
    // by the threshold itself, not by a caller's deadline that may have passed.
    void Disconnect();

  private:
    std::vector<SDiscovered> DiscoverOnce(Deadline deadline, std::set<std::uint8_t>& stale,
                                          int slotCount);
    // True when the secondary answered the DISC on that connection address.
    bool Close(std::uint8_t connection, std::chrono::milliseconds turnaround,
               std::chrono::seconds threshold);
    bool Cycle(Deadline deadline);
    void Lose();
    bool Acknowledge(int nr);
    void Deliver(const SLapFrame& frame);
    std::chrono::milliseconds FinalTimeout() const;

    ILapLine& line_;
    SPrimaryConfig config_;
    bool connected_ = false;
    std::uint32_t peer_ = 0;
    std::uint8_t connection_ = 0;
    std::size_t maxInfo_ = 0;
    int window_ = 1;
    int peerTurnaroundMs_ = 500;
    std::chrono::seconds threshold_{3};
    int vs_ = 0, va_ = 0, vr_ = 0;
    bool peerBusy_ = false;
    bool retransmit_ = false;
    std::deque<std::vector<std::uint8_t>> pending_;  // not yet sent
    std::deque<std::vector<std::uint8_t>> unacked_;  // sent, from Ns va_ on
    std::deque<std::vector<std::uint8_t>> received_;
    LinkClock::time_point lastHeard_{};
};

}  // namespace sir
