// The Alder view as the program gets it, over the attached parameter set.
#pragma once

#include "F_alderview.h"
#include "U_alderware.h"
#include "radio_view_fixture.h"

class AlderViewTest : public RadioViewTest<CAlderWare, TAlderView, CAlderData, &InstallAlderView> {
  protected:
    CAlderCanal& Canal(int i) const { return *Data().Canal(i); }
};
