#pragma once
// The serial wire format: each payload in the HDLC byte framing, one frame after the other with
// nothing between them. The program and the virtual radio both speak it, so it lives on its own.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "U_hdlcframe.h"

namespace frame {

inline constexpr std::uint8_t kStart = hdlc::kOpen;
inline constexpr std::uint8_t kEnd = hdlc::kClose;

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
    std::uint16_t crc_ = hdlc::kCheckStart;
    bool inFrame_ = false;
    bool escape_ = false;
};

}  // namespace frame
