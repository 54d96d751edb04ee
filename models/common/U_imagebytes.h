#pragma once
// Byte access to a memory image: 16-bit values little-endian, flags as single bits. Offsets are
// checked: the image layouts are fixed, so an offset outside the buffer is a programming error
// caught here rather than a write past the end.

#include <cassert>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace models {

inline std::uint8_t GetByte(std::span<const std::uint8_t> image, std::size_t offset) {
    assert(offset < image.size());
    return offset < image.size() ? image[offset] : 0xFF;
}

inline void PutByte(std::span<std::uint8_t> image, std::size_t offset, unsigned value) {
    assert(offset < image.size());
    if (offset < image.size()) image[offset] = static_cast<std::uint8_t>(value & 0xFF);
}

inline std::uint16_t GetWord(std::span<const std::uint8_t> image, std::size_t offset) {
    return static_cast<std::uint16_t>(GetByte(image, offset) | (GetByte(image, offset + 1) << 8));
}

inline void PutWord(std::span<std::uint8_t> image, std::size_t offset, unsigned value) {
    PutByte(image, offset, value & 0xFF);
    PutByte(image, offset + 1, (value >> 8) & 0xFF);
}

inline bool HasBit(unsigned value, unsigned bit) {
    return (value >> bit) & 1U;
}
inline unsigned Bit(bool set, unsigned bit) {
    return set ? (1U << bit) : 0U;
}

// One flag of a flag byte or word: the field of a settings record it stands for and its bit. An
// inverted bit is set while the flag is off.
template <class Fields>
struct TFlagBit {
    bool Fields::*field;
    unsigned bit;
    bool inverted = false;
};

// The bits of a flag byte or word from the fields, and the fields back from one; one table
// describes both directions.
template <class Fields, std::size_t N>
unsigned FlagBits(const Fields& fields, const TFlagBit<Fields> (&flags)[N]) {
    unsigned value = 0;
    for (const TFlagBit<Fields>& flag : flags)
        value |= Bit(fields.*flag.field != flag.inverted, flag.bit);
    return value;
}
template <class Fields, std::size_t N>
void TakeFlagBits(unsigned value, Fields& fields, const TFlagBit<Fields> (&flags)[N]) {
    for (const TFlagBit<Fields>& flag : flags)
        fields.*flag.field = HasBit(value, flag.bit) != flag.inverted;
}

// DTMF digits of a number in the image: "0".."9" are 0..9, "A".."D" 10..13, "E" and "*" 14,
// "F" and "#" 15; any other character has no code.
int DtmfCode(char c);     // -1 when the character has no code
char DtmfChar(int code);  // for 0..15

// Writes the codes of the first maxDigits characters followed by 0xFF; a character without a
// code keeps its 0xFF byte but still takes its position.
void PutDtmfNumber(std::span<std::uint8_t> image, std::size_t offset, std::string_view number,
                   std::size_t maxDigits);
// Reads up to maxDigits codes, stopping at 0xFF and skipping bytes above 15.
std::string GetDtmfNumber(std::span<const std::uint8_t> image, std::size_t offset,
                          std::size_t maxDigits);

// The date of programming: day, month, four-digit year (16-bit): the computer's local date, or
// the date that TESSEL_PROGRAMMING_DATE (YYYY-MM-DD) gives.
void PutProgrammingDate(std::span<std::uint8_t> image, std::size_t dayOffset);

}  // namespace models
