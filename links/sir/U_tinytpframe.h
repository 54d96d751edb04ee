#pragma once
// TinyTP PDUs inside IrLMP data and connect PDUs: the connect header (parameter bit, initial
// credit, optional MaxSduSize) and the data header (more bit, credit delta). Codec only.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sir {

inline constexpr std::uint8_t kTtpMaxCredit = 0x7F;

struct STtpConnect {
    std::uint8_t credit = 0;
    std::uint16_t maxSdu = 0;  // 0: no segmentation and reassembly offered

    std::vector<std::uint8_t> Encode() const;
    static std::optional<STtpConnect> Parse(std::span<const std::uint8_t> bytes);
};

struct STtpData {
    bool more = false;
    std::uint8_t credit = 0;
    std::vector<std::uint8_t> data;

    static std::vector<std::uint8_t> Encode(bool more, std::uint8_t credit,
                                            std::span<const std::uint8_t> data);
    static std::optional<STtpData> Parse(std::span<const std::uint8_t> bytes);
};

}  // namespace sir
