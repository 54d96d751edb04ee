// The Birch plug-in's two entry points.
#include "U_birchware.h"

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    return CWareSingleton<CBirchWare>::Get();
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CBirchWare>::Release();
}
