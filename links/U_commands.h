#pragma once
// The radio's commands, the same on both links and on both sides of them (the program and the
// virtual radio). On the infrared link a reply carries its command code with kReplyBit set.

#include <algorithm>
#include <cstdint>
#include <limits>

namespace command {

inline constexpr std::uint8_t kIdentify = 0x01;
inline constexpr std::uint8_t kGetSegment = 0x02;
inline constexpr std::uint8_t kPutSegment = 0x03;
inline constexpr std::uint8_t kReleaseSegment = 0x04;
inline constexpr std::uint8_t kEndSession = 0x05;
inline constexpr std::uint8_t kReplyBit = 0x80;

// Frequencies computed from a radio's words in 64 bits, kept to what an int holds.
inline int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

}  // namespace command
