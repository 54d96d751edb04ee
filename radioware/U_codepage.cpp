#include "U_codepage.h"

#include <array>
#include <cstdint>

namespace {

// Code points of bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

// A byte's character in UTF-8: up to three bytes, the length first.
struct SUtf8Of {
    std::uint8_t length;
    char bytes[3];
};

constexpr SUtf8Of EncodeUtf8(char32_t cp) {
    if (cp < 0x80) return {1, {static_cast<char>(cp), 0, 0}};
    if (cp < 0x800)
        return {2, {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}};
    return {3,
            {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
             static_cast<char>(0x80 | (cp & 0x3F))}};
}

constexpr std::array<SUtf8Of, 128> kHighHalfUtf8 = [] {
    std::array<SUtf8Of, 128> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = EncodeUtf8(kHighHalf[i]);
    return table;
}();

// The byte of each code point below U+0500 that has one (Latin-1 signs, the Cyrillic block);
// 0 where none. The few others (dashes, quotes, the euro, the numero) are looked up in
// kHighHalf itself.
constexpr char32_t kDirectLimit = 0x500;
constexpr std::array<std::uint8_t, kDirectLimit> kDirectByte = [] {
    std::array<std::uint8_t, kDirectLimit> table{};
    for (std::size_t i = 0; i < kHighHalf.size(); ++i)
        if (kHighHalf[i] < kDirectLimit) table[kHighHalf[i]] = static_cast<std::uint8_t>(0x80 + i);
    return table;
}();

char ByteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);  // an overlong sequence of an ASCII character
    if (cp < kDirectLimit) {
        const std::uint8_t byte = kDirectByte[cp];
        return byte != 0 ? static_cast<char>(byte) : '?';
    }
    for (std::size_t i = 0; i < kHighHalf.size(); ++i)
        if (kHighHalf[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 sequence that begins at pos with a byte of 0x80 or above; returns U+FFFD for a
// malformed one and advances past it.
char32_t NextCodePoint(std::string_view s, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byte(pos);
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + extra >= s.size()) {  // truncated sequence
        pos = s.size();
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            pos += i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    pos += extra + 1;
    return cp;
}

// How many bytes from pos on are ASCII: those pass through either conversion unchanged, in
// one copy (parameter files are mostly ASCII).
std::size_t AsciiRun(std::string_view s, std::size_t pos) {
    std::size_t end = pos;
    while (end < s.size() && static_cast<std::uint8_t>(s[end]) < 0x80) ++end;
    return end - pos;
}

// The ASCII runs of text copied whole; each other character taken from pos on, converted and
// appended by convert.
template <class Convert>
std::string ConvertBeyondAscii(std::string_view text, std::size_t reserve, Convert convert) {
    std::string out;
    out.reserve(reserve);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t ascii = AsciiRun(text, pos);
        out.append(text.substr(pos, ascii));
        pos += ascii;
        if (pos < text.size()) convert(out, pos);
    }
    return out;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view bytes) {
    return ConvertBeyondAscii(
        bytes, bytes.size() + bytes.size() / 2, [bytes](std::string& out, std::size_t& pos) {
            const SUtf8Of& utf8 = kHighHalfUtf8[static_cast<std::uint8_t>(bytes[pos++]) - 0x80];
            out.append(utf8.bytes, utf8.length);
        });
}

std::string Utf8ToCp1251(std::string_view utf8) {
    return ConvertBeyondAscii(utf8, utf8.size(), [utf8](std::string& out, std::size_t& pos) {
        out += ByteOf(NextCodePoint(utf8, pos));
    });
}
