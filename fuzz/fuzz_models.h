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

// What every set must keep: its own text reads back; a set that came from a file (its values
// already through the setters' rules) reads back into the very same text.
inline void CheckTextRoundTrip(CRadioData& data, bool exact) {
    std::ostringstream first;
    if (!data.WriteText(first)) __builtin_trap();
    std::istringstream in(first.str());
    if (!data.Load(in, false)) __builtin_trap();
    std::ostringstream second;
    data.WriteText(second);
    if (exact && second.str() != first.str()) __builtin_trap();
}

}  // namespace fuzzing
