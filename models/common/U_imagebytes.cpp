#include "U_imagebytes.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "U_codepage.h"

namespace models {

int DtmfCode(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c == '*') return 14;
    if (c == '#') return 15;
    return -1;
}

char DtmfChar(int code) {
    return code < 10 ? static_cast<char>('0' + code) : static_cast<char>('A' + code - 10);
}

void PutDtmfNumber(std::span<std::uint8_t> image, std::size_t offset, std::string_view number,
                   std::size_t maxDigits) {
    // The radio counts characters of the Windows-1251 text: a Cyrillic letter, two bytes in
    // the program, is one position (without a code) in the image.
    const std::string text = Utf8ToCp1251(number);
    const std::size_t count = std::min(text.size(), maxDigits);
    for (std::size_t i = 0; i < count; ++i) {
        const int code = DtmfCode(text[i]);
        if (code >= 0) PutByte(image, offset + i, static_cast<unsigned>(code));
    }
    PutByte(image, offset + count, 0xFF);
}

std::string GetDtmfNumber(std::span<const std::uint8_t> image, std::size_t offset,
                          std::size_t maxDigits) {
    std::string number;
    for (std::size_t i = 0; i < maxDigits; ++i) {
        const std::uint8_t code = GetByte(image, offset + i);
        if (code == 0xFF) break;
        if (code <= 15) number += DtmfChar(code);
    }
    return number;
}

namespace {

struct SDate {
    int year, month, day;
};

// TESSEL_PROGRAMMING_DATE=YYYY-MM-DD fixes the date, so that an image can be made for another
// day and tests get the same bytes every day.
std::optional<SDate> DateFromEnvironment() {
    const char* text = std::getenv("TESSEL_PROGRAMMING_DATE");
    if (!text) return std::nullopt;
    SDate date{};
    char tail = 0;
    if (std::sscanf(text, "%4d-%2d-%2d%c", &date.year, &date.month, &date.day, &tail) != 3)
        return std::nullopt;
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return std::nullopt;
    return date;
}

SDate Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace

void PutProgrammingDate(std::span<std::uint8_t> image, std::size_t dayOffset) {
    const SDate date = DateFromEnvironment().value_or(Today());
    PutByte(image, dayOffset, static_cast<unsigned>(date.day));
    PutByte(image, dayOffset + 1, static_cast<unsigned>(date.month));
    PutWord(image, dayOffset + 2, static_cast<unsigned>(date.year));
}

}  // namespace models
