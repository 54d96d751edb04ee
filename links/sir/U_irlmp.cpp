#include "U_irlmp.h"

namespace sir {

namespace {
// Client LSAPs taken in turn, so a late PDU of an earlier connection cannot pass for the new one.
constexpr std::uint8_t kFirstClientLsap = 0x10;
constexpr std::uint8_t kLastClientLsap = 0x6F;
constexpr std::size_t kDataHeader = 2;
}  // namespace

CIrlmpClient::CIrlmpClient(CIrlapPrimary& lap) : lap_(lap) {}

std::size_t CIrlmpClient::MaxData() const {
    return lap_.MaxInfo() > kDataHeader ? lap_.MaxInfo() - kDataHeader : 0;
}

std::optional<std::vector<std::uint8_t>> CIrlmpClient::Connect(
    std::uint8_t theirs, std::span<const std::uint8_t> userData, Deadline deadline) {
    if (connected_) Disconnect(deadline);
    ours_ = ours_ >= kLastClientLsap ? kFirstClientLsap : static_cast<std::uint8_t>(ours_ + 1);
    theirs_ = theirs & kLsapMask;
    const auto request = SLmpPdu::Control(theirs_, ours_, lmpop::kConnect, 0x00, userData);
    if (!lap_.Send(request.Encode(), deadline)) return std::nullopt;
    while (LinkClock::now() < deadline) {
        auto info = lap_.Receive(deadline);
        if (!info) return std::nullopt;
        const auto pdu = SLmpPdu::Parse(*info);
        if (!pdu || !pdu->control || pdu->destination != ours_ || pdu->source != theirs_) continue;
        if (pdu->opcode == lmpop::kConnectConfirm) {
            connected_ = true;
            return pdu->data;
        }
        if (pdu->opcode == lmpop::kDisconnect) return std::nullopt;
    }
    return std::nullopt;
}

void CIrlmpClient::Disconnect(Deadline deadline) {
    if (!connected_) return;
    connected_ = false;
    const auto pdu = SLmpPdu::Control(theirs_, ours_, lmpop::kDisconnect, lmpreason::kUserRequest);
    if (lap_.Connected()) lap_.Send(pdu.Encode(), deadline);
}

bool CIrlmpClient::Send(std::span<const std::uint8_t> data, Deadline deadline) {
    return Queue(data) && Flush(deadline);
}

bool CIrlmpClient::Queue(std::span<const std::uint8_t> data) {
    if (!connected_ || data.size() > MaxData()) return false;
    return lap_.Queue(SLmpPdu::Data(theirs_, ours_, data).Encode());
}

std::optional<SLmpReceived> CIrlmpClient::Route(std::span<const std::uint8_t> info,
                                                Deadline deadline) {
    const auto pdu = SLmpPdu::Parse(info);
    if (!pdu) return std::nullopt;
    const bool ours = connected_ && pdu->destination == ours_ && pdu->source == theirs_;
    if (pdu->control) {
        if (pdu->opcode == lmpop::kConnect) {
            // Nobody here takes connections from the radio.
            const auto refusal = SLmpPdu::Control(pdu->source, pdu->destination, lmpop::kDisconnect,
                                                  lmpreason::kNoClient);
            lap_.Send(refusal.Encode(), deadline);
            return std::nullopt;
        }
        if (ours && pdu->opcode == lmpop::kDisconnect) {
            connected_ = false;
            return SLmpReceived{ELmpEvent::Disconnected, pdu->data};
        }
        return std::nullopt;
    }
    if (!ours) return std::nullopt;
    return SLmpReceived{ELmpEvent::Data, pdu->data};
}

std::optional<SLmpReceived> CIrlmpClient::ReceiveArrived() {
    while (auto info = lap_.TakeReceived())
        if (auto received = Route(*info, LinkClock::now() + std::chrono::milliseconds(500)))
            return received;
    return std::nullopt;
}

SLmpReceived CIrlmpClient::Receive(Deadline deadline) {
    for (;;) {
        if (auto arrived = ReceiveArrived()) return *arrived;
        if (!lap_.Connected()) {
            connected_ = false;
            return {ELmpEvent::LinkLost, {}};
        }
        if (!connected_) return {ELmpEvent::Disconnected, {}};
        if (LinkClock::now() >= deadline) return {ELmpEvent::TimedOut, {}};
        auto info = lap_.Receive(deadline);
        if (!info) continue;  // the loop tells a lost link from a passed deadline
        if (auto received = Route(*info, deadline)) return *received;
    }
}

}  // namespace sir
