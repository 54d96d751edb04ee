// The two entry points of the Larch plug-in.
#include "U_larchware.h"

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    return CWareSingleton<CLarchWare>::Get();
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CLarchWare>::Release();
}
