// The serial infrared deframer meeting an untrusted line: whatever the bytes, every frame it
// gives passes its check and fits the bound, and a frame wrapped for the line comes back whole.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sir/U_sirframe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kMaxFrame = 64;
    const std::span<const std::uint8_t> input(data, size);
    sir::CDeframer deframer(kMaxFrame);
    for (const std::uint8_t byte : input) {
        if (deframer.Feed(byte) != sir::CDeframer::EResult::Frame) continue;
        const auto body = deframer.Body();
        if (body.size() > kMaxFrame || body.size() < 2) __builtin_trap();
    }
    // The input as a frame of its own, after whatever the deframer was left in.
    const auto frame = input.first(std::min(size, kMaxFrame));
    if (frame.size() >= 2) {
        std::vector<std::uint8_t> got;
        for (const std::uint8_t byte : sir::Wrap(frame, static_cast<int>(size % 4)))
            if (deframer.Feed(byte) == sir::CDeframer::EResult::Frame)
                got.assign(deframer.Body().begin(), deframer.Body().end());
        if (got != std::vector<std::uint8_t>(frame.begin(), frame.end())) __builtin_trap();
    }
    return 0;
}
