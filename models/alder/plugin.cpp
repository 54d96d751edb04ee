// The Alder plug-in's two entry points.
#include "U_alderware.h"
#ifdef TESSEL_ALDER_VIEW
#include "F_alderview.h"
#endif

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    CAlderWare* ware = CWareSingleton<CAlderWare>::Get();
#ifdef TESSEL_ALDER_VIEW
    InstallAlderView(*ware);
#endif
    return ware;
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CAlderWare>::Release();
}
