#include "U_sirframe.h"

namespace sir {

namespace {

constexpr std::size_t kCheckSize = 2;
// Address and control at least, then the check.
constexpr std::size_t kShortestFrame = 2 + kCheckSize;

}  // namespace

std::vector<std::uint8_t> Wrap(std::span<const std::uint8_t> frame, int extraBofs) {
    return WrapWithCheck(frame, extraBofs, FrameCheck(frame));
}

std::vector<std::uint8_t> WrapWithCheck(std::span<const std::uint8_t> frame, int extraBofs,
                                        std::uint16_t check) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(extraBofs > 0 ? extraBofs : 0),
                                  kExtraBof);
    hdlc::AppendFrame(out, frame, check);
    return out;
}

CDeframer::CDeframer(std::size_t maxFrame) : maxFrame_(maxFrame + kCheckSize) {
    buffer_.reserve(maxFrame_);
}

void CDeframer::Reset() {
    buffer_.clear();
    state_ = EState::Hunt;
}

CDeframer::EResult CDeframer::Drop() {
    Reset();
    return EResult::Dropped;
}

CDeframer::EResult CDeframer::Feed(std::uint8_t byte) {
    if (byte == kBof) {
        // A BOF always starts a frame: repeated BOFs, or a frame cut short by a new one.
        const bool aborted = state_ != EState::Hunt && !buffer_.empty();
        buffer_.clear();
        state_ = EState::Inside;
        return aborted ? EResult::Dropped : EResult::More;
    }
    switch (state_) {
        case EState::Hunt:
            if (!buffer_.empty()) buffer_.clear();  // the last frame has been taken
            return EResult::More;
        case EState::Escaped:
            if (byte == kEof || byte == kEscape) return Drop();
            state_ = EState::Inside;
            byte ^= hdlc::kEscapeXor;
            break;
        case EState::Inside:
            if (byte == kEscape) {
                state_ = EState::Escaped;
                return EResult::More;
            }
            if (byte == kEof) {
                if (buffer_.size() < kShortestFrame || UpdateCheck(0xFFFF, buffer_) != kGoodResidue)
                    return Drop();
                buffer_.resize(buffer_.size() - kCheckSize);
                state_ = EState::Hunt;
                return EResult::Frame;
            }
            break;
    }
    if (buffer_.size() >= maxFrame_) return Drop();
    buffer_.push_back(byte);
    return EResult::More;
}

std::span<const std::uint8_t> CDeframer::Body() const {
    return buffer_;
}

}  // namespace sir
