#include "U_irlap.h"

#include <algorithm>
#include <random>
#include <set>
#include <thread>

namespace sir {

namespace {

using namespace std::chrono_literals;

constexpr int kSnrmTries = 3;
// A station that cannot tell the secondary's turnaround assumes the longest.
constexpr auto kLongestTurnaround = 500ms;
// The time a secondary has to answer in a discovery slot, after the command has left.
constexpr auto kSlotTime = 80ms;
// Holding back a poll when the last one brought nothing keeps an idle link from spinning.
constexpr auto kIdlePoll = 3ms;
// Received fields kept before the secondary is told to hold back (RNR).
constexpr std::size_t kReceiveQueue = 32;

std::uint8_t RandomConnection() {
    std::random_device device;
    return static_cast<std::uint8_t>(1 + device() % 0x7E);
}

Deadline Earliest(Deadline a, LinkClock::time_point b) {
    return std::min(a, b);
}

}  // namespace

CIrlapPrimary::CIrlapPrimary(ILapLine& line, SPrimaryConfig config)
    : line_(line), config_(std::move(config)) {}

std::vector<SDiscovered> CIrlapPrimary::Discover(Deadline deadline) {
    const auto start = LinkClock::now();
    std::set<std::uint8_t> stale;
    if (config_.slots > 1) {
        // Most often one device is in range: a discovery of one slot finds it in a fraction of
        // the time. Two devices would answer in that slot together, so only one clean answer
        // and nothing damaged on the line counts; anything else asks for all the slots.
        const std::size_t dropped = line_.Dropped();
        std::vector<SDiscovered> quick = DiscoverOnce(deadline, stale, 1);
        if (line_.Failed()) return quick;
        if (quick.size() == 1 && stale.empty() && line_.Dropped() == dropped) return quick;
    }
    if (stale.empty()) {
        std::vector<SDiscovered> found = DiscoverOnce(deadline, stale, config_.slots);
        if (stale.empty() || line_.Failed()) return found;
    }
    // A secondary still in a connection we have left answers with that connection's frames
    // and never with XID: close that connection properly, then discover afresh.
    for (const std::uint8_t connection : stale) Close(connection, kLongestTurnaround, threshold_);
    std::set<std::uint8_t> ignored;
    return DiscoverOnce(LinkClock::now() + (deadline - start), ignored, config_.slots);
}

std::vector<SDiscovered> CIrlapPrimary::DiscoverOnce(Deadline deadline,
                                                     std::set<std::uint8_t>& stale, int slotCount) {
    std::vector<SDiscovered> found;
    const std::uint8_t code = SlotCountCode(slotCount).value_or(1);
    const int slots = SlotCount(code);
    std::set<std::uint32_t> seen;
    for (int slot = 0; slot <= slots; ++slot) {
        const bool final = slot == slots;
        SXidInfo xid;
        xid.source = config_.address;
        xid.flags = code;
        xid.slot = final ? SXidInfo::kFinalSlot : static_cast<std::uint8_t>(slot);
        if (final) xid.discovery = config_.info.Encode();
        SLapFrame frame;
        frame.control = ucontrol::kXidCommand | kPollFinal;
        frame.info = xid.Encode();
        const std::size_t size = Wrap(frame.Encode(), 0).size();
        if (!line_.Send(frame, deadline)) return found;
        if (final) break;
        const Deadline slotEnd =
            Earliest(deadline, LinkClock::now() + WireTime(size, line_.Baud()) + kSlotTime);
        while (auto answer = line_.Receive(slotEnd)) {
            if (answer->Kind() != ELapKind::XID) {
                if (!answer->command && answer->connection != kBroadcastConnection)
                    stale.insert(answer->connection);
                continue;
            }
            const auto info = SXidInfo::Parse(answer->info);
            if (!info || info->destination != config_.address || !seen.insert(info->source).second)
                continue;
            SDiscovered device;
            device.address = info->source;
            if (auto discovery = SDiscoveryInfo::Parse(info->discovery)) device.info = *discovery;
            found.push_back(std::move(device));
        }
        if (line_.Failed() || LinkClock::now() >= deadline) return found;
    }
    return found;
}

bool CIrlapPrimary::Connect(std::uint32_t device, Deadline deadline) {
    Disconnect();
    connection_ = RandomConnection();
    SConnectInfo snrm;
    snrm.source = config_.address;
    snrm.destination = device;
    snrm.connection = connection_;
    snrm.params.baud = static_cast<std::uint16_t>(BaudBitsUpTo(config_.maxBaud) & config_.baudMask);
    snrm.params.turnaround = 0x01;  // 500 ms
    snrm.params.dataSize = config_.dataSize;
    snrm.params.window = config_.window;
    snrm.params.extraBofs = config_.extraBofs;
    snrm.params.minTurn = config_.minTurn;
    snrm.params.disconnect = 0x01;  // 3 s: the exchange's own window is no longer
    SLapFrame frame;
    frame.control = ucontrol::kSnrm | kPollFinal;
    frame.info = snrm.EncodeSnrm();
    for (int attempt = 0; attempt < kSnrmTries && LinkClock::now() < deadline; ++attempt) {
        if (!line_.Send(frame, deadline)) return false;
        const Deadline wait = Earliest(
            deadline, LinkClock::now() + 500ms + WireTime(frame.info.size() * 2 + 64, 9600));
        while (auto answer = line_.Receive(wait)) {
            if (answer->command) continue;
            if (answer->Kind() == ELapKind::DM) return false;
            if (answer->Kind() != ELapKind::UA || answer->connection != connection_) continue;
            const auto ua = SConnectInfo::ParseUa(answer->info);
            if (!ua || ua->source != device) continue;
            const std::uint16_t baud = HighestCommon(snrm.params.baud, ua->params.baud);
            const int rate = BaudOf(baud ? baud : 0x02);
            if (!line_.SetBaud(rate, deadline)) return false;
            line_.SetPeerNeeds(ExtraBofsOf(ua->params.extraBofs),
                               MinTurnMicrosOf(ua->params.minTurn));
            peer_ = device;
            maxInfo_ = static_cast<std::size_t>(std::max(DataSizeOf(ua->params.dataSize), 64));
            window_ = std::clamp(WindowOf(ua->params.window), 1, 7);
            peerTurnaroundMs_ = std::max(TurnaroundMsOf(ua->params.turnaround), 50);
            const std::uint16_t common = HighestCommon(0x01, ua->params.disconnect);
            threshold_ = std::chrono::seconds(DisconnectSecondsOf(common ? common : 0x01));
            vs_ = va_ = vr_ = 0;
            peerBusy_ = retransmit_ = false;
            pending_.clear();
            unacked_.clear();
            received_.clear();
            lastHeard_ = LinkClock::now();
            connected_ = true;
            return true;
        }
        if (line_.Failed()) return false;
    }
    return false;
}

std::chrono::milliseconds CIrlapPrimary::FinalTimeout() const {
    // The secondary may hold the line for its turnaround time, and a full window at this rate
    // takes its own time on top.
    const auto window =
        WireTime(static_cast<std::size_t>(window_) * (maxInfo_ + 8) * 2, line_.Baud());
    return std::chrono::milliseconds(peerTurnaroundMs_) +
           std::chrono::duration_cast<std::chrono::milliseconds>(window) + 100ms;
}

void CIrlapPrimary::Lose() {
    connected_ = false;
    pending_.clear();
    unacked_.clear();
}

bool CIrlapPrimary::Acknowledge(int nr) {
    // Nr must lie between the oldest unacknowledged frame and the next to be sent.
    const int outstanding = (vs_ - va_ + 8) % 8;
    const int acked = (nr - va_ + 8) % 8;
    if (acked > outstanding) return false;
    for (int i = 0; i < acked && !unacked_.empty(); ++i) unacked_.pop_front();
    va_ = nr;
    return true;
}

void CIrlapPrimary::Deliver(const SLapFrame& frame) {
    if (frame.Ns() != vr_) return;  // out of sequence: the secondary sends it again
    vr_ = (vr_ + 1) % 8;
    received_.push_back(frame.info);
}

bool CIrlapPrimary::Cycle(Deadline deadline) {
    if (!connected_) return false;
    if (retransmit_) {
        // Go back to the oldest unacknowledged frame.
        while (!unacked_.empty()) {
            pending_.push_front(std::move(unacked_.back()));
            unacked_.pop_back();
        }
        vs_ = va_;
        retransmit_ = false;
    }
    std::vector<SLapFrame> out;
    while (!peerBusy_ && !pending_.empty() && static_cast<int>(unacked_.size()) < window_) {
        SLapFrame frame;
        frame.connection = connection_;
        frame.info = pending_.front();
        frame.control = IControl(vs_, vr_, false);
        unacked_.push_back(std::move(pending_.front()));
        pending_.pop_front();
        vs_ = (vs_ + 1) % 8;
        out.push_back(std::move(frame));
    }
    if (out.empty()) {
        SLapFrame poll;
        poll.connection = connection_;
        poll.control =
            SControl(received_.size() >= kReceiveQueue ? ELapKind::RNR : ELapKind::RR, vr_, true);
        out.push_back(std::move(poll));
    } else {
        out.back().control |= kPollFinal;
    }
    for (const SLapFrame& frame : out)
        if (!line_.Send(frame, deadline)) {
            Lose();
            return false;
        }

    const Deadline finalEnd = Earliest(deadline, LinkClock::now() + FinalTimeout());
    while (auto answer = line_.Receive(finalEnd)) {
        if (answer->command || answer->connection != connection_) continue;
        switch (answer->Kind()) {
            case ELapKind::I:
                if (!Acknowledge(answer->Nr())) continue;
                Deliver(*answer);
                break;
            case ELapKind::RR:
            case ELapKind::RNR:
            case ELapKind::REJ:
            case ELapKind::SREJ:
                if (!Acknowledge(answer->Nr())) continue;
                peerBusy_ = answer->Kind() == ELapKind::RNR;
                break;
            case ELapKind::RD:
                // The secondary wants the link closed: close it as asked.
                Disconnect();
                return false;
            case ELapKind::DM:
            case ELapKind::FRMR:
                Lose();
                return false;
            default:
                continue;
        }
        lastHeard_ = LinkClock::now();
        if (answer->PollFinal()) {
            // What the secondary did not acknowledge by its final frame goes again.
            if (!unacked_.empty()) retransmit_ = true;
            return true;
        }
    }
    if (line_.Failed()) {
        Lose();
        return false;
    }
    // The final-timer ran out: poll again, sending again what was not acknowledged.
    if (!unacked_.empty()) retransmit_ = true;
    if (LinkClock::now() - lastHeard_ >= threshold_) {
        Lose();
        return false;
    }
    return true;
}

bool CIrlapPrimary::Send(std::vector<std::uint8_t> info, Deadline deadline) {
    return Queue(std::move(info)) && Flush(deadline);
}

bool CIrlapPrimary::Queue(std::vector<std::uint8_t> info) {
    if (!connected_ || info.size() > maxInfo_) return false;
    pending_.push_back(std::move(info));
    return true;
}

bool CIrlapPrimary::Flush(Deadline deadline) {
    while (!pending_.empty() || !unacked_.empty()) {
        if (LinkClock::now() >= deadline || !Cycle(deadline)) return false;
        if (peerBusy_) std::this_thread::sleep_for(kIdlePoll);
    }
    return true;
}

bool CIrlapPrimary::Poll(Deadline deadline) {
    return Cycle(deadline);
}

std::optional<std::vector<std::uint8_t>> CIrlapPrimary::TakeReceived() {
    if (received_.empty()) return std::nullopt;
    auto info = std::move(received_.front());
    received_.pop_front();
    return info;
}

std::optional<std::vector<std::uint8_t>> CIrlapPrimary::Receive(Deadline deadline) {
    for (bool first = true;; first = false) {
        if (auto info = TakeReceived()) return info;
        if (!connected_ || LinkClock::now() >= deadline) return std::nullopt;
        if (!first) std::this_thread::sleep_until(Earliest(deadline, LinkClock::now() + kIdlePoll));
        if (!Cycle(deadline)) return TakeReceived();
    }
}

void CIrlapPrimary::Disconnect() {
    if (!connected_) return;
    Close(connection_, std::chrono::milliseconds(peerTurnaroundMs_), threshold_);
    Lose();
    received_.clear();
}

bool CIrlapPrimary::Close(std::uint8_t connection, std::chrono::milliseconds turnaround,
                          std::chrono::seconds threshold) {
    SLapFrame disc;
    disc.connection = connection;
    disc.control = ucontrol::kDisc | kPollFinal;
    // The final-timer for an answer of a few bytes; DISC goes again each time it runs out,
    // until as many tries as fit into the disconnect threshold have gone unanswered.
    const auto finalTimeout = turnaround + WireTime(2 * 16, line_.Baud()) + 100ms;
    const auto tries = std::max<long long>(1, threshold / finalTimeout);
    for (long long attempt = 0; attempt < tries; ++attempt) {
        const Deadline wait = LinkClock::now() + finalTimeout;
        if (!line_.Send(disc, wait)) return false;
        while (auto answer = line_.Receive(wait)) {
            if (!answer->command && answer->connection == connection &&
                (answer->Kind() == ELapKind::UA || answer->Kind() == ELapKind::DM))
                return true;
        }
        if (line_.Failed()) return false;
    }
    return false;
}

}  // namespace sir
