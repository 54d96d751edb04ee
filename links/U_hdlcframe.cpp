#include "U_hdlcframe.h"

#include <array>

namespace hdlc {

namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

void PutEscaped(std::vector<std::uint8_t>& out, std::uint8_t byte) {
    if (byte == kOpen || byte == kClose || byte == kEscape) {
        out.push_back(kEscape);
        out.push_back(byte ^ kEscapeXor);
    } else {
        out.push_back(byte);
    }
}

}  // namespace

std::uint16_t CheckStep(std::uint16_t check, std::uint8_t byte) {
    return static_cast<std::uint16_t>(kTable[(check ^ byte) & 0xFF] ^ (check >> 8));
}

std::uint16_t UpdateCheck(std::uint16_t check, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) check = CheckStep(check, byte);
    return check;
}

std::uint16_t FrameCheck(std::span<const std::uint8_t> body) {
    return static_cast<std::uint16_t>(~UpdateCheck(kCheckStart, body));
}

void AppendFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> body,
                 std::uint16_t check) {
    out.reserve(out.size() + 2 * (body.size() + 2) + 2);
    out.push_back(kOpen);
    for (const std::uint8_t byte : body) PutEscaped(out, byte);
    PutEscaped(out, static_cast<std::uint8_t>(check & 0xFF));
    PutEscaped(out, static_cast<std::uint8_t>(check >> 8));
    out.push_back(kClose);
}

}  // namespace hdlc
