#pragma once
// TinyTP's credit-based flow control on one connection: how many PDUs this side may still send,
// how many the peer may still send, and the credit owed to the peer. Pure accounting.

#include <cstdint>

#include "U_tinytpframe.h"

namespace sir {

class CTinyTpFlow {
  public:
    // The credit this side grants when connecting.
    static constexpr std::uint8_t kInitialCredit = 14;

    void Start(std::uint8_t grantedToPeer, std::uint8_t grantedToUs);
    bool CanSend() const { return sendCredit_ > 0; }
    // The credit to put into an outgoing data PDU; the PDU uses one of ours.
    std::uint8_t TakeForSend();
    // An arrived data PDU: its credit is ours to use; it used one of the peer's.
    void Received(std::uint8_t credit);
    // True when the peer is running out and a PDU without data should carry new credit.
    bool PeerNeedsCredit() const;
    // The credit for a PDU without data.
    std::uint8_t TakeForCredit();
    int SendCredit() const { return sendCredit_; }

  private:
    int sendCredit_ = 0;
    int peerCredit_ = 0;
    int owed_ = 0;
};

}  // namespace sir
