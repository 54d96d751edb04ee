// The Alder plug-in's two entry points.
#include "U_alderware.h"

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    return CWareSingleton<CAlderWare>::Get();
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CAlderWare>::Release();
}
