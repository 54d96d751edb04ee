// The Alder plug-in's two entry points.
#include "U_alderware.h"
#include "U_modelplugin.h"
#ifdef TESSEL_MODEL_VIEW
#include "F_alderview.h"
TESSEL_MODEL_PLUGIN(CAlderWare, InstallAlderView)
#else
TESSEL_MODEL_PLUGIN(CAlderWare, nullptr)
#endif
