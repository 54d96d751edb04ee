#pragma once
// IrLMP on the primary's side: one LSAP connection at a time to the secondary (the IAS server
// first, then the radio's service), its connect and disconnect, and its data. PDUs for other
// LSAPs are answered or dropped as IrLMP asks.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "U_irlap.h"
#include "U_irlmpframe.h"

namespace sir {

enum class ELmpEvent { Data, Disconnected, TimedOut, LinkLost };

struct SLmpReceived {
    ELmpEvent event = ELmpEvent::TimedOut;
    std::vector<std::uint8_t> data;
};

class CIrlmpClient {
  public:
    explicit CIrlmpClient(CIrlapPrimary& lap);

    // Connect request with the user data; the confirm's user data on success.
    std::optional<std::vector<std::uint8_t>> Connect(std::uint8_t theirs,
                                                     std::span<const std::uint8_t> userData,
                                                     Deadline deadline);
    void Disconnect(Deadline deadline);
    bool IsConnected() const { return connected_; }
    std::size_t MaxData() const;

    bool Send(std::span<const std::uint8_t> data, Deadline deadline);
    // Several data PDUs in one window: queued, then flushed together.
    bool Queue(std::span<const std::uint8_t> data);
    bool Flush(Deadline deadline) { return lap_.Flush(deadline); }
    // Data already arrived first; else polls until the deadline.
    SLmpReceived Receive(Deadline deadline);
    // Only what has arrived, without polling.
    std::optional<SLmpReceived> ReceiveArrived();

  private:
    std::optional<SLmpReceived> Route(std::span<const std::uint8_t> info, Deadline deadline);

    CIrlapPrimary& lap_;
    std::uint8_t ours_ = 0x10;
    std::uint8_t theirs_ = 0;
    bool connected_ = false;
};

}  // namespace sir
