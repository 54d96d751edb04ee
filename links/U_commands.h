#pragma once
// The radio's commands, the same on both links and on both sides of them (the program and the
// virtual radio). On the infrared link a reply carries its command code with kReplyBit set.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace command {

inline constexpr std::uint8_t kIdentify = 0x01;
inline constexpr std::uint8_t kGetSegment = 0x02;
inline constexpr std::uint8_t kPutSegment = 0x03;
inline constexpr std::uint8_t kReleaseSegment = 0x04;
inline constexpr std::uint8_t kEndSession = 0x05;
inline constexpr std::uint8_t kReplyBit = 0x80;

// A segment command and its answer begin alike: the code, 0x00, then the segment number, low
// byte first.
inline constexpr std::size_t kSegmentHeader = 4;

inline std::vector<std::uint8_t> SegmentRequest(std::uint8_t code, std::uint16_t segment,
                                                std::span<const std::uint8_t> data = {}) {
    std::vector<std::uint8_t> request{code, 0x00, static_cast<std::uint8_t>(segment & 0xFF),
                                      static_cast<std::uint8_t>(segment >> 8)};
    request.insert(request.end(), data.begin(), data.end());
    return request;
}

// The segment number of a head; 0 for bytes too short to hold one.
inline std::uint16_t SegmentOf(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kSegmentHeader ? static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8)
                                          : 0;
}

// Frequencies computed from a radio's words in 64 bits, kept to what an int holds.
inline int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

}  // namespace command
