#include "U_frame.h"

#include <array>

namespace frame {

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

void PutStuffed(std::vector<std::uint8_t>& out, std::uint8_t byte) {
    if (byte == kStart || byte == kEnd || byte == kEscape) {
        out.push_back(kEscape);
        out.push_back(byte ^ kEscapeXor);
    } else {
        out.push_back(byte);
    }
}

}  // namespace

std::uint16_t CrcStep(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>(kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8));
}

std::uint16_t CheckValue(std::span<const std::uint8_t> payload) {
    std::uint16_t crc = kCrcInit;
    for (const std::uint8_t byte : payload) crc = CrcStep(crc, byte);
    return static_cast<std::uint16_t>(crc ^ 0xFFFF);
}

std::vector<std::uint8_t> Build(std::span<const std::uint8_t> payload) {
    return Build(payload, CheckValue(payload));
}

std::vector<std::uint8_t> Build(std::span<const std::uint8_t> payload, std::uint16_t check) {
    std::vector<std::uint8_t> out;
    out.reserve(2 * (payload.size() + 2) + 2);
    out.push_back(kStart);
    for (const std::uint8_t byte : payload) PutStuffed(out, byte);
    PutStuffed(out, static_cast<std::uint8_t>(check & 0xFF));
    PutStuffed(out, static_cast<std::uint8_t>(check >> 8));
    out.push_back(kEnd);
    return out;
}

void CReceiver::StartFrame() {
    inFrame_ = true;
    length_ = 0;
    crc_ = kCrcInit;
    escape_ = false;
}

void CReceiver::Reset() {
    inFrame_ = false;
    length_ = 0;
    crc_ = kCrcInit;
    escape_ = false;
}

CReceiver::Result CReceiver::Feed(std::uint8_t byte) {
    if (byte == kStart) {
        StartFrame();
        return Result::More;
    }
    if (!inFrame_) return Result::More;
    if (byte == kEscape) {
        escape_ = true;
        return Result::More;
    }
    if (byte == kEnd) {
        // A frame needs at least one payload byte besides its check value.
        if (crc_ == kGoodResidue && length_ > 2) {
            inFrame_ = false;
            return Result::Frame;
        }
        Reset();
        return Result::More;
    }
    if (length_ >= body_.size()) return Result::Overflow;
    const std::uint8_t stored = escape_ ? byte ^ kEscapeXor : byte;
    body_[length_++] = stored;
    crc_ = CrcStep(crc_, stored);
    escape_ = false;
    return Result::More;
}

}  // namespace frame
