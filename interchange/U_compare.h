#pragma once
// Two parameter sets of one model side by side: the channels and settings that differ, named
// by the captions the user knows from the window.

#include <string>
#include <vector>

#include "U_radioware.h"

namespace interchange {

struct SDifference {
    std::string place;    // "Канал 07", or "Параметры" for the settings
    std::string caption;  // "Частота приема, Гц"
    std::string left;
    std::string right;
};

// The caption of a text key's field ("FRQ_PRM", "Squelch"); the key itself when it has none.
std::string FieldCaption(const std::string& field);

// The differences between two sets of one model: a channel in use on one side only is one
// difference, its fields are compared only when both sides use it.
std::vector<SDifference> CompareSets(CRadioData& left, CRadioData& right);
// The same, from the two sets' text forms (Windows-1251 bodies).
std::vector<SDifference> CompareBodies(const std::string& left, const std::string& right);

// One line per difference: "Канал 07: Частота приема, Гц: 145012500 → 145025000".
std::string DifferencesText(const std::vector<SDifference>& differences);

}  // namespace interchange
