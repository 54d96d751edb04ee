#pragma once
// Serial infrared framing: a frame travels as extra BOFs, BOF, the frame and its 16-bit check
// with control-escape transparency, EOF. The deframer keeps at most a bounded frame and
// resynchronises on the next BOF after garbage, an abort or an overflow.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "U_hdlcframe.h"

namespace sir {

inline constexpr std::uint8_t kBof = hdlc::kOpen;
inline constexpr std::uint8_t kEof = hdlc::kClose;
inline constexpr std::uint8_t kEscape = hdlc::kEscape;
inline constexpr std::uint8_t kExtraBof = 0xFF;

using hdlc::FrameCheck;
using hdlc::kGoodResidue;
using hdlc::UpdateCheck;

// The bytes on the line for one frame (address, control and information).
std::vector<std::uint8_t> Wrap(std::span<const std::uint8_t> frame, int extraBofs);
// The same with the check given (a test's or the virtual radio's wrong one).
std::vector<std::uint8_t> WrapWithCheck(std::span<const std::uint8_t> frame, int extraBofs,
                                        std::uint16_t check);

class CDeframer {
  public:
    enum class EResult { More, Frame, Dropped };

    explicit CDeframer(std::size_t maxFrame);

    // Frame: Body() holds the frame without its check until the next Feed. Dropped: a frame
    // ended with a bad check, too short, aborted or too long.
    EResult Feed(std::uint8_t byte);
    std::span<const std::uint8_t> Body() const;
    void Reset();

  private:
    enum class EState { Hunt, Inside, Escaped };
    EResult Drop();

    std::size_t maxFrame_;
    std::vector<std::uint8_t> buffer_;
    EState state_ = EState::Hunt;
};

}  // namespace sir
