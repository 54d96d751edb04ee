#include "U_tinytp.h"

#include <algorithm>

namespace sir {

void CTinyTpFlow::Start(std::uint8_t grantedToPeer, std::uint8_t grantedToUs) {
    peerCredit_ = grantedToPeer;
    sendCredit_ = grantedToUs;
    owed_ = 0;
}

std::uint8_t CTinyTpFlow::TakeForSend() {
    --sendCredit_;
    return TakeForCredit();
}

void CTinyTpFlow::Received(std::uint8_t credit) {
    sendCredit_ = std::min(sendCredit_ + credit, 0x7FFF);
    if (peerCredit_ > 0) --peerCredit_;
    ++owed_;  // the data is taken at once, so its credit can go back
}

bool CTinyTpFlow::PeerNeedsCredit() const {
    return owed_ > 0 && peerCredit_ <= kInitialCredit / 2;
}

std::uint8_t CTinyTpFlow::TakeForCredit() {
    const int give = std::min<int>(owed_, kTtpMaxCredit);
    owed_ -= give;
    peerCredit_ += give;
    return static_cast<std::uint8_t>(give);
}

}  // namespace sir
