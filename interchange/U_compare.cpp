#include "U_compare.h"

#include <algorithm>
#include <utility>

#include "U_modellists.h"

namespace interchange {

namespace {

const std::string kInUse = "Рабочий канал";

std::string CanalPlace(int index) {
    return "Канал " + models::ChannelNumberText(index);
}

// Characters, not bytes, so that Cyrillic columns line up.
std::size_t Width(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width > Width(text) ? width - Width(text) : 0, ' ');
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

bool SameRow(const SShownValue& a, const SShownValue& b) {
    return a.page == b.page && a.group == b.group && a.caption == b.caption;
}

void CompareValues(const std::string& place, const std::vector<SShownValue>& left,
                   const std::vector<SShownValue>& right, std::vector<SDifference>& out) {
    const auto placeOf = [&place](const SShownValue& v) { return place.empty() ? v.page : place; };
    for (const SShownValue& a : left) {
        const auto b =
            std::ranges::find_if(right, [&a](const SShownValue& v) { return SameRow(a, v); });
        const std::string other = b == right.end() ? std::string() : b->value;
        if (other != a.value) out.push_back({placeOf(a), a.caption, a.value, other});
    }
    for (const SShownValue& b : right)
        if (std::ranges::none_of(left, [&b](const SShownValue& v) { return SameRow(b, v); }))
            out.push_back({placeOf(b), b.caption, std::string(), b.value});
}

}  // namespace

SShownSet ShownSetOf(CRadioData& data) {
    SShownSet set;
    for (int index = 0; index < kRadioCanalCount; ++index)
        if (data.Canal(index)->Common().enabled)
            set.canals[static_cast<std::size_t>(index)] = data.ShownCanal(index);
    set.settings = data.ShownSettings();
    return set;
}

std::optional<SShownSet> ShownSetOfBody(CRadioData& data, const std::string& body) {
    SShownSet set;
    if (!data.WithBody(body, [&] { set = ShownSetOf(data); })) return std::nullopt;
    return set;
}

std::vector<SDifference> CompareShown(const SShownSet& left, const SShownSet& right) {
    std::vector<SDifference> differences;
    for (int index = 0; index < kRadioCanalCount; ++index) {
        const auto& a = left.canals[static_cast<std::size_t>(index)];
        const auto& b = right.canals[static_cast<std::size_t>(index)];
        if (a.empty() != b.empty())
            differences.push_back({CanalPlace(index), kInUse, models::YesNoName(!a.empty()),
                                   models::YesNoName(!b.empty())});
        else
            CompareValues(CanalPlace(index), a, b, differences);
    }
    CompareValues(std::string(), left.settings, right.settings, differences);
    return differences;
}

std::string DifferencesText(const SComparison& comparison) {
    if (comparison.differences.empty()) return "Различий нет\n";
    std::array<std::size_t, 4> widths = {Width("Где"), Width("Параметр"),
                                         Width(comparison.leftTitle), 0};
    for (const SDifference& d : comparison.differences) {
        widths[0] = std::max(widths[0], Width(d.place));
        widths[1] = std::max(widths[1], Width(d.caption));
        widths[2] = std::max(widths[2], Width(d.left));
    }
    const auto line = [&widths](const std::string& place, const std::string& caption,
                                const std::string& left, const std::string& right) {
        std::string text = Padded(place, widths[0]) + "  " + Padded(caption, widths[1]) + "  " +
                           Padded(left, widths[2]) + "  " + right;
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text + '\n';
    };
    std::string text = line("Где", "Параметр", comparison.leftTitle, comparison.rightTitle);
    for (const SDifference& d : comparison.differences)
        text += line(d.place, d.caption, d.left, d.right);
    return text;
}

std::string DifferencesHtml(const SComparison& comparison, std::size_t shownRows) {
    if (comparison.differences.empty()) return "Различий нет";
    std::string html =
        "<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\"><tr><th>Где</th>"
        "<th>Параметр</th><th>" +
        Escaped(comparison.leftTitle) + "</th><th>" + Escaped(comparison.rightTitle) + "</th></tr>";
    const std::size_t shown = std::min(shownRows, comparison.differences.size());
    for (std::size_t i = 0; i < shown; ++i) {
        const SDifference& d = comparison.differences[i];
        html += "<tr><td>" + Escaped(d.place) + "</td><td>" + Escaped(d.caption) + "</td><td>" +
                Escaped(d.left) + "</td><td>" + Escaped(d.right) + "</td></tr>";
    }
    html += "</table>";
    if (shown < comparison.differences.size())
        html +=
            "<p>И еще различий: " + std::to_string(comparison.differences.size() - shown) + "</p>";
    return html;
}

}  // namespace interchange
