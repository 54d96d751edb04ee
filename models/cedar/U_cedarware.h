#pragma once
// The Cedar radio: the Birch and Cedar design on the band 136000000..174000000 Hz.

#include "U_birchcedarware.h"

// The band and identity of the model.
const SBirchCedarModel& CedarModel();

using CCedarWare = TBirchCedarWare<CedarModel>;
using CCedarData = CCedarWare::Data;
using CCedar = CCedarWare::Radio;
using CCedarCanal = CBirchCedarCanal;
