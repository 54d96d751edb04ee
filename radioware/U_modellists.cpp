#include "U_modellists.h"

#include <algorithm>
#include <cmath>

#include "U_textform.h"

namespace models {

int ListCode(std::span<const std::string_view> list, std::string_view name) {
    return std::max(0, textform::IndexOfText(list, name));
}

std::string ListName(std::span<const std::string_view> list, int code) {
    if (list.empty()) return {};
    if (code < 0 || static_cast<std::size_t>(code) >= list.size()) code = 0;
    return std::string(list[static_cast<std::size_t>(code)]);
}

std::string YesNoName(bool value) {
    return std::string(kYesNoList[value ? 0 : 1]);
}
bool IsYes(std::string_view name) {
    return textform::SameText(name, kYesNoList[0]);
}
std::string OnOffName(bool value) {
    return std::string(kOnOffList[value ? 0 : 1]);
}
bool IsOn(std::string_view name) {
    return textform::SameText(name, kOnOffList[0]);
}

std::string ChannelNumberText(int channel) {
    channel = std::clamp(channel, 0, 99);
    return (channel < 10 ? "0" : "") + std::to_string(channel);
}

int ParseChannelNumber(std::string_view text) {
    return ParseIntClamped(text, 0, 99);
}

int ParseIntClamped(std::string_view text, int low, int high) {
    const std::optional<int> value = textform::ParseInt(text);
    return value ? std::clamp(*value, low, high) : low;
}

double UnitsToMs(int units) {
    return units * 15.61;
}

int MsToUnits(double milliseconds) {
    if (!std::isfinite(milliseconds) || milliseconds <= 0) return 0;
    constexpr double kLargest = 1e9;  // far beyond every duration field; keeps the cast defined
    const double hundredths = std::round(std::min(milliseconds, kLargest) * 100.0);
    return static_cast<int>(static_cast<long long>(hundredths) / 1561);
}

std::string VaLevelName(int value) {
    for (std::size_t i = 0; i < kVaLevelThresholds.size(); ++i)
        if (kVaLevelThresholds[i] >= value) return std::string(kVaLevelList[i]);
    return std::string(kVaLevelList.back());
}

int VaLevelValue(std::string_view name) {
    const int index = textform::IndexOfText(kVaLevelList, name);
    return index < 0 ? kVaLevelThresholds.front()
                     : kVaLevelThresholds[static_cast<std::size_t>(index)];
}

std::string ToneListName(const SCanalTone& tone) {
    switch (tone.kind) {
        case SCanalTone::EKind::Ctcss:
            return std::to_string(tone.value / 10) + ',' + std::to_string(tone.value % 10);
        case SCanalTone::EKind::Dcs: {
            std::string digits = std::to_string(tone.value);
            return std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
        }
        case SCanalTone::EKind::None:
            break;
    }
    return std::string(kNoTone);
}

SCanalTone ToneOfListName(std::string_view name) {
    const auto digitsOnly = [](std::string_view text) {
        return !text.empty() &&
               std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::size_t comma = name.find(',');
    if (comma != std::string_view::npos && comma + 2 == name.size() &&
        digitsOnly(name.substr(0, comma)) && digitsOnly(name.substr(comma + 1)))
        return {SCanalTone::EKind::Ctcss,
                std::stoi(std::string(name.substr(0, comma))) * 10 + (name[comma + 1] - '0')};
    if (name.size() == 3 && digitsOnly(name))
        return {SCanalTone::EKind::Dcs, std::stoi(std::string(name))};
    return {};
}

int FittingStep(int requested, int rxFrequency, int txFrequency, std::span<const int> steps) {
    const auto fits = [&](int step) {
        return step > 0 && rxFrequency % step == 0 && txFrequency % step == 0 &&
               std::ranges::find(steps, step) != steps.end();
    };
    if (fits(requested)) return requested;
    for (const int step : steps)
        if (fits(step)) return step;
    return 0;
}

}  // namespace models
