#include "U_frame.h"

namespace frame {

std::vector<std::uint8_t> Build(std::span<const std::uint8_t> payload) {
    return Build(payload, hdlc::FrameCheck(payload));
}

std::vector<std::uint8_t> Build(std::span<const std::uint8_t> payload, std::uint16_t check) {
    std::vector<std::uint8_t> out;
    hdlc::AppendFrame(out, payload, check);
    return out;
}

void CReceiver::StartFrame() {
    inFrame_ = true;
    length_ = 0;
    crc_ = hdlc::kCheckStart;
    escape_ = false;
}

void CReceiver::Reset() {
    inFrame_ = false;
    length_ = 0;
    crc_ = hdlc::kCheckStart;
    escape_ = false;
}

CReceiver::Result CReceiver::Feed(std::uint8_t byte) {
    if (byte == kStart) {
        StartFrame();
        return Result::More;
    }
    if (!inFrame_) return Result::More;
    if (byte == hdlc::kEscape) {
        escape_ = true;
        return Result::More;
    }
    if (byte == kEnd) {
        // A frame needs at least one payload byte besides its check value.
        if (crc_ == hdlc::kGoodResidue && length_ > 2) {
            inFrame_ = false;
            return Result::Frame;
        }
        Reset();
        return Result::More;
    }
    if (length_ >= body_.size()) return Result::Overflow;
    const std::uint8_t stored = escape_ ? byte ^ hdlc::kEscapeXor : byte;
    body_[length_++] = stored;
    crc_ = hdlc::CheckStep(crc_, stored);
    escape_ = false;
    return Result::More;
}

}  // namespace frame
