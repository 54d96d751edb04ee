#include "U_birchware.h"

namespace {

STwoBankModel BirchParameters() {
    STwoBankModel parameters = BirchCedarParameters(39000000, 49000000);
    parameters.defaultSquelch = 1;
    parameters.defaultShowFreq = true;
    parameters.defaultBeepPress = false;
    parameters.defaultOffBat = true;
    parameters.defaultPrgKb = true;
    return parameters;
}

}  // namespace

const SBirchCedarModel& BirchModel() {
    static const SBirchCedarModel model{"BIRCH", "1.2.3", "Берёза-1", "brc", BirchParameters()};
    return model;
}
