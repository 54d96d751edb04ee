#include "U_shownvalues.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "U_modellists.h"

namespace models {

std::string DecimalText(double value, int decimals) {
    // to_chars, unlike printf, ignores the locale the window runs in.
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::fixed, std::clamp(decimals, 0, 9));
    std::string text(buffer, error == std::errc() ? end : buffer);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string PasswordText(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04d", std::clamp(value, 0, 9999));
    return buffer;
}

std::string SquelchName(int code) {
    const int last = static_cast<int>(kSquelchList.size()) - 1;
    return std::string(kSquelchList[static_cast<std::size_t>(std::clamp(code, 0, last))]);
}

std::string KeyText(std::span<const std::uint8_t> groups) {
    std::string text;
    for (const std::uint8_t group : groups) {
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(group));
        if (!text.empty()) text += ' ';
        text += buffer;
    }
    return text;
}

std::string GroupedHz(int hz) {
    std::string digits = std::to_string(hz);
    const std::size_t first = digits.starts_with('-') ? 1 : 0;
    for (std::size_t at = digits.size(); at > first + 3; at -= 3) digits.insert(at - 3, 1, ' ');
    return digits;
}

std::string WithUnit(std::string_view caption, std::string_view unit) {
    return std::string(caption) + ", " + std::string(unit);
}

CShownPage& ShownIndication(CShownPage& page, bool showFreq, bool light, bool beepPress) {
    return page.Group("Индикация")
        .Row("Отображение частоты текущего канала", OnOffName(showFreq))
        .Row("Подсветка индикатора и клавиатуры", OnOffName(light))
        .Row("Звуковой сигнал нажатия клавиш", OnOffName(beepPress));
}

}  // namespace models
