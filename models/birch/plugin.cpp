// The Birch plug-in's two entry points.
#include "U_birchware.h"
#ifdef TESSEL_BIRCHCEDAR_VIEW
#include "F_birchcedarview.h"
#endif

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    CBirchWare* ware = CWareSingleton<CBirchWare>::Get();
#ifdef TESSEL_BIRCHCEDAR_VIEW
    InstallBirchCedarView(*ware);
#endif
    return ware;
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CBirchWare>::Release();
}
