#pragma once
// Two parameter sets of one model side by side: the channels and settings that differ, with
// the captions and the values the model's view shows ("Номинальная", "93,66", "Вкл").

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "U_radioware.h"

namespace interchange {

// A set as its view shows it: the working channels' values, and the settings page by page.
struct SShownSet {
    std::array<std::vector<SShownValue>, kRadioCanalCount> canals;  // empty: not in use
    std::vector<SShownValue> settings;
};

SShownSet ShownSetOf(CRadioData& data);
// The same for a text body (Windows-1251) read into data for the moment; data keeps its own
// values. Empty when the body cannot be read.
std::optional<SShownSet> ShownSetOfBody(CRadioData& data, const std::string& body);

struct SDifference {
    std::string place;    // "Канал 07", or the view's page for a setting
    std::string caption;  // "Частота ПРМ, Гц", "Мощность передатчика"
    std::string left;
    std::string right;
};

// Each differing value once: a channel in use on one side only is one difference, its values
// are compared only when both sides use it.
std::vector<SDifference> CompareShown(const SShownSet& left, const SShownSet& right);

// The differences under the titles of the two sides ("Файл a.ald", "Радиостанция").
struct SComparison {
    std::string leftTitle;
    std::string rightTitle;
    std::vector<SDifference> differences;
};

// Plain text in aligned columns under a title row; "Различий нет" when there are none.
std::string DifferencesText(const SComparison& comparison);
// A rich-text table for a message box: at most shownRows rows, the rest counted.
std::string DifferencesHtml(const SComparison& comparison, std::size_t shownRows);

}  // namespace interchange
