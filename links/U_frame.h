#pragma once
// The serial wire format: a frame 0xC0 ... 0xC1 around the payload and its CRC-16/X-25 check
// value, with 0xC0, 0xC1 and 0x7D stuffed as 0x7D followed by the byte XOR 0x20. The program and
// the virtual radio both speak it, so it lives on its own.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace frame {

inline constexpr std::uint8_t kStart = 0xC0;
inline constexpr std::uint8_t kEnd = 0xC1;
inline constexpr std::uint8_t kEscape = 0x7D;
inline constexpr std::uint8_t kEscapeXor = 0x20;
inline constexpr std::uint16_t kCrcInit = 0xFFFF;
// The accumulator over a good body, check bytes included, before the final XOR.
inline constexpr std::uint16_t kGoodResidue = 0xF0B8;

// One byte through the accumulator (reflected polynomial 0x8408, no final XOR).
std::uint16_t CrcStep(std::uint16_t crc, std::uint8_t byte);
// The check value of a payload: accumulator from 0xFFFF, final XOR 0xFFFF.
std::uint16_t CheckValue(std::span<const std::uint8_t> payload);

// The complete frame for a payload; the second form with a given check value.
std::vector<std::uint8_t> Build(std::span<const std::uint8_t> payload);
std::vector<std::uint8_t> Build(std::span<const std::uint8_t> payload, std::uint16_t check);

// Takes received bytes one at a time and keeps the body of the frame in progress. The body
// never grows beyond the capacity it was given, whatever arrives.
class CReceiver {
  public:
    enum class Result { More, Frame, Overflow };

    explicit CReceiver(std::size_t capacity) : body_(capacity) {}

    Result Feed(std::uint8_t byte);
    // After Result::Frame: the stored body, payload followed by its two check bytes.
    std::span<const std::uint8_t> Body() const { return std::span(body_).first(length_); }
    void Reset();

  private:
    void StartFrame();

    std::vector<std::uint8_t> body_;
    std::size_t length_ = 0;
    std::uint16_t crc_ = kCrcInit;
    bool inFrame_ = false;
    bool escape_ = false;
};

}  // namespace frame
