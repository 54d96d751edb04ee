#pragma once
// Serial infrared framing: a frame travels as extra BOFs, BOF, the frame and its 16-bit check
// with control-escape transparency, EOF. The deframer keeps at most a bounded frame and
// resynchronises on the next BOF after garbage, an abort or an overflow.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sir {

inline constexpr std::uint8_t kBof = 0xC0;
inline constexpr std::uint8_t kEof = 0xC1;
inline constexpr std::uint8_t kEscape = 0x7D;
inline constexpr std::uint8_t kExtraBof = 0xFF;
inline constexpr std::uint8_t kEscapeFlip = 0x20;
// The running check over a frame and its own (complemented) check ends at this value.
inline constexpr std::uint16_t kGoodResidue = 0xF0B8;

// The running 16-bit check (reflected CCITT polynomial), not complemented.
std::uint16_t UpdateCheck(std::uint16_t check, std::span<const std::uint8_t> bytes);
// The check a frame carries: the complemented running check from 0xFFFF, sent low byte first.
std::uint16_t FrameCheck(std::span<const std::uint8_t> frame);

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
