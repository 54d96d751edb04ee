// The two entry points of the Larch plug-in.
#include "U_larchware.h"
#include "U_modelplugin.h"
#ifdef TESSEL_MODEL_VIEW
#include "F_larchview.h"
TESSEL_MODEL_PLUGIN(CLarchWare, InstallLarchView)
#else
TESSEL_MODEL_PLUGIN(CLarchWare, nullptr)
#endif
