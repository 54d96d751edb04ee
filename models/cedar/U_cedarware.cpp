#include "U_cedarware.h"

const SBirchCedarModel& CedarModel() {
    static const SBirchCedarModel model{"CEDAR", "1.2.2", "Кедр-1", "cdr",
                                        BirchCedarParameters(136000000, 174000000)};
    return model;
}
