#pragma once
// The two entry points every model plug-in exports: the module object, with the model's view
// installed on it where the build has windows, and its release when the plug-in is unloaded.

#include "U_radioware.h"
#include "U_ware.h"

namespace models {

template <class Ware>
IRadioWare* OpenPluginWare(void (*installView)(CRadioWare& ware)) {
    Ware* ware = CWareSingleton<Ware>::Get();
    if (installView != nullptr) installView(*ware);
    return ware;
}

}  // namespace models

// Defines both entry points for the module object Ware; installView may be nullptr.
#define TESSEL_MODEL_PLUGIN(Ware, installView)            \
    TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {    \
        return models::OpenPluginWare<Ware>(installView); \
    }                                                     \
    TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {       \
        CWareSingleton<Ware>::Release();                  \
    }
