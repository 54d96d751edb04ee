#pragma once
// The asynchronous HDLC byte framing that both the radio's serial line and serial infrared use:
// a frame opens with 0xC0 and closes with 0xC1; 0xC0, 0xC1 and 0x7D inside it travel as 0x7D
// followed by the byte XOR 0x20; its 16-bit check (CRC-16/X-25, the IrDA FCS) follows the body,
// low byte first.

#include <cstdint>
#include <span>
#include <vector>

namespace hdlc {

inline constexpr std::uint8_t kOpen = 0xC0;
inline constexpr std::uint8_t kClose = 0xC1;
inline constexpr std::uint8_t kEscape = 0x7D;
inline constexpr std::uint8_t kEscapeXor = 0x20;
inline constexpr std::uint16_t kCheckStart = 0xFFFF;
// The running check over a body and its own (complemented) check ends at this value.
inline constexpr std::uint16_t kGoodResidue = 0xF0B8;

// One byte through the running check (reflected polynomial 0x8408, not complemented).
std::uint16_t CheckStep(std::uint16_t check, std::uint8_t byte);
std::uint16_t UpdateCheck(std::uint16_t check, std::span<const std::uint8_t> bytes);
// The check a frame carries: the complemented running check from kCheckStart.
std::uint16_t FrameCheck(std::span<const std::uint8_t> body);

// Appends the opening byte, the escaped body and check, and the closing byte.
void AppendFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> body,
                 std::uint16_t check);

}  // namespace hdlc
