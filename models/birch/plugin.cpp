// The Birch plug-in's two entry points.
#include "U_birchware.h"
#include "U_modelplugin.h"
#ifdef TESSEL_MODEL_VIEW
#include "F_birchcedarview.h"
TESSEL_MODEL_PLUGIN(CBirchWare, InstallBirchCedarView)
#else
TESSEL_MODEL_PLUGIN(CBirchWare, nullptr)
#endif
