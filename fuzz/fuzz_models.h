#pragma once
// The four models, linked in directly, as the fuzz targets reach them.

#include <array>
#include <sstream>

#include "U_alderware.h"
#include "U_birchware.h"
#include "U_cedarware.h"
#include "U_larchware.h"

namespace fuzzing {

inline std::array<IRadioWare*, 4> Wares() {
    return {CWareSingleton<CAlderWare>::Get(), CWareSingleton<CBirchWare>::Get(),
            CWareSingleton<CCedarWare>::Get(), CWareSingleton<CLarchWare>::Get()};
}

// The radio's parameter set, attached (created with defaults when it has none).
inline CRadioData& DataOf(IRadioWare& ware) {
    IRadio* radio = ware.GetRadio(0);
    ware.AttachData(radio, nullptr, nullptr);
    return static_cast<CRadioData&>(*radio->Data());
}

// The radio's parameter set, attached once: later inputs reuse it (Reset puts the defaults
// back) instead of building a fresh set of 100 channels each time.
inline CRadioData& AttachedData(IRadioWare& ware) {
    IRadio* radio = ware.GetRadio(0);
    if (!radio->Data()) ware.AttachData(radio, nullptr, nullptr);
    return static_cast<CRadioData&>(*radio->Data());
}

inline std::string TextOf(CRadioData& data) {
    std::ostringstream out;
    if (!data.WriteText(out)) __builtin_trap();
    return out.str();
}

// What every set must keep: its own text (as written just now) reads back; a set that came from
// a file (its values already through the setters' rules) reads back into the very same text.
inline void CheckTextReadsBack(CRadioData& data, const std::string& text, bool exact) {
    std::istringstream in(text);
    if (!data.Load(in, false)) __builtin_trap();
    if (exact && TextOf(data) != text) __builtin_trap();
}

inline void CheckTextRoundTrip(CRadioData& data, bool exact) {
    CheckTextReadsBack(data, TextOf(data), exact);
}

}  // namespace fuzzing
