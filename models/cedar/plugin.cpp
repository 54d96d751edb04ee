// The Cedar plug-in's two entry points.
#include "U_cedarware.h"
#ifdef TESSEL_BIRCHCEDAR_VIEW
#include "F_birchcedarview.h"
#endif

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    CCedarWare* ware = CWareSingleton<CCedarWare>::Get();
#ifdef TESSEL_BIRCHCEDAR_VIEW
    InstallBirchCedarView(*ware);
#endif
    return ware;
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CCedarWare>::Release();
}
