// The Cedar plug-in's two entry points.
#include "U_cedarware.h"

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    return CWareSingleton<CCedarWare>::Get();
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CCedarWare>::Release();
}
