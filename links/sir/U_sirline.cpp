#include "U_sirline.h"

#include <thread>

#include "U_irdatrace.h"

namespace sir {

std::chrono::microseconds WireTime(std::size_t bytes, int baud) {
    if (baud <= 0) return std::chrono::microseconds::zero();
    return std::chrono::microseconds(static_cast<long long>(bytes) * 10 * 1000000LL / baud);
}

CSirLine::CSirLine(ISirBytes& bytes, CIrdaTrace* trace) : bytes_(bytes), trace_(trace) {}

bool CSirLine::Send(const SLapFrame& frame, Deadline deadline) {
    // The other station's receiver needs a moment after its own transmission.
    const auto ready = lastReceived_ + minTurn_;
    if (ready > LinkClock::now()) std::this_thread::sleep_until(std::min(ready, deadline));
    const std::vector<std::uint8_t> bytes = frame.Encode();
    if (trace_) trace_->Record(bytes, true);
    return bytes_.Write(Wrap(bytes, extraBofs_), deadline);
}

std::optional<SLapFrame> CSirLine::Receive(Deadline deadline) {
    failed_ = false;
    for (;;) {
        while (pendingAt_ < pending_.size()) {
            switch (deframer_.Feed(pending_[pendingAt_++])) {
                case CDeframer::EResult::More:
                    break;
                case CDeframer::EResult::Dropped:
                    ++dropped_;
                    break;
                case CDeframer::EResult::Frame: {
                    lastReceived_ = LinkClock::now();
                    const auto body = deframer_.Body();
                    if (trace_) trace_->Record(body, false);
                    if (auto frame = SLapFrame::Parse(body)) return frame;
                    break;
                }
            }
        }
        pending_.resize(4096);
        pendingAt_ = 0;
        const long n = bytes_.Read(pending_, deadline);
        if (n <= 0) {
            pending_.clear();
            failed_ = n < 0;
            return std::nullopt;
        }
        pending_.resize(static_cast<std::size_t>(n));
    }
}

bool CSirLine::SetBaud(int baud, Deadline deadline) {
    if (baud == baud_) return true;
    if (!bytes_.SetBaud(baud, deadline)) return false;
    baud_ = baud;
    return true;
}

void CSirLine::SetPeerNeeds(int extraBofsAt115200, int minTurnMicros) {
    // The count asked for holds at 115200 baud; slower lines need proportionally fewer.
    extraBofs_ = static_cast<int>(static_cast<long long>(extraBofsAt115200) * baud_ / 115200);
    minTurn_ = std::chrono::microseconds(minTurnMicros);
}

void CSirLine::Reset(Deadline deadline) {
    SetBaud(9600, deadline);
    extraBofs_ = 0;
    minTurn_ = std::chrono::microseconds::zero();
    pending_.clear();
    pendingAt_ = 0;
    deframer_.Reset();
}

}  // namespace sir
