// The two entry points of the Larch plug-in.
#include "U_larchware.h"
#ifdef TESSEL_LARCH_VIEW
#include "F_larchview.h"
#endif

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    CLarchWare* ware = CWareSingleton<CLarchWare>::Get();
#ifdef TESSEL_LARCH_VIEW
    InstallLarchView(*ware);
#endif
    return ware;
}

TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CLarchWare>::Release();
}
