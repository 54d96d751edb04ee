#include "U_tinytpframe.h"

namespace sir {

namespace {
constexpr std::uint8_t kFlagBit = 0x80;  // parameters on connect, more on data
constexpr std::uint8_t kPiMaxSdu = 0x01;
}  // namespace

std::vector<std::uint8_t> STtpConnect::Encode() const {
    const std::uint8_t c = credit & kTtpMaxCredit;
    if (maxSdu == 0) return {c};
    return {static_cast<std::uint8_t>(kFlagBit | c),
            0x04,
            kPiMaxSdu,
            0x02,
            static_cast<std::uint8_t>(maxSdu >> 8),
            static_cast<std::uint8_t>(maxSdu & 0xFF)};
}

std::optional<STtpConnect> STtpConnect::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return std::nullopt;
    STtpConnect connect;
    connect.credit = bytes[0] & kTtpMaxCredit;
    if ((bytes[0] & kFlagBit) == 0) return connect;
    if (bytes.size() < 2) return std::nullopt;
    const std::size_t length = bytes[1];
    if (2 + length > bytes.size()) return std::nullopt;
    std::size_t at = 2;
    while (at < 2 + length) {
        if (at + 2 > 2 + length) return std::nullopt;
        const std::uint8_t pi = bytes[at];
        const std::size_t pl = bytes[at + 1];
        if (at + 2 + pl > 2 + length) return std::nullopt;
        if (pi == kPiMaxSdu) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < pl; ++i) value = value << 8 | bytes[at + 2 + i];
            connect.maxSdu = static_cast<std::uint16_t>(value > 0xFFFF ? 0xFFFF : value);
        }
        at += 2 + pl;
    }
    return connect;
}

std::vector<std::uint8_t> STtpData::Encode(bool more, std::uint8_t credit,
                                           std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    out.reserve(1 + data.size());
    out.push_back(static_cast<std::uint8_t>((more ? kFlagBit : 0) | (credit & kTtpMaxCredit)));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::optional<STtpData> STtpData::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return std::nullopt;
    STtpData pdu;
    pdu.more = (bytes[0] & kFlagBit) != 0;
    pdu.credit = bytes[0] & kTtpMaxCredit;
    pdu.data.assign(bytes.begin() + 1, bytes.end());
    return pdu;
}

}  // namespace sir
