// The Cedar plug-in's two entry points.
#include "U_cedarware.h"
#include "U_modelplugin.h"
#ifdef TESSEL_MODEL_VIEW
#include "F_birchcedarview.h"
TESSEL_MODEL_PLUGIN(CCedarWare, InstallBirchCedarView)
#else
TESSEL_MODEL_PLUGIN(CCedarWare, nullptr)
#endif
