// The Larch view as the program gets it, over the attached parameter set.
#pragma once

#include "F_larchview.h"
#include "U_larchware.h"
#include "radio_view_fixture.h"

class LarchViewFixture
    : public RadioViewTest<CLarchWare, TLarchView, CLarchData, &InstallLarchView> {
  protected:
    CLarchCanal& Canal(int i) const { return Data().LarchCanal(i); }
    // Channels 00..last in use and nothing else, counted as saved.
    void WorkingRun(int last) {
        for (int i = 0; i < kLarchCanalCount; ++i) Canal(i).SetEnabled(i <= last);
        Settle();
    }
};
