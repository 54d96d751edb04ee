#pragma once
// The memory a demonstration radio comes with: the model's factory state (its defaults, encoded
// by the model's own code) plus a handful of working channels with tones and a scan list, so
// that a first read in a demonstration shows a plausible radio instead of erased memory.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sim {

struct SDemoCanal {
    int index;  // 0..99
    int receiveHz;
    int transmitHz;         // equal to receiveHz for a simplex channel
    std::string_view tone;  // CTCSS tone as the tone lists name it ("88,5"); empty for none
    bool scanning;          // in the scan list
};

// The demonstration channels of a model (ALDER, BIRCH, CEDAR or LARCH); empty for any other.
std::span<const SDemoCanal> DemoCanals(std::string_view modelId);

// The model's memory image with its defaults and the demonstration channels; empty for a model
// without them.
std::vector<std::uint8_t> DemoImage(std::string_view modelId);

}  // namespace sim
