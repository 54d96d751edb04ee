#pragma once
// The Birch radio: the Birch and Cedar design on the band 39000000..49000000 Hz.

#include "U_birchcedarware.h"

// The band and identity of the model.
const SBirchCedarModel& BirchModel();

using CBirchWare = TBirchCedarWare<BirchModel>;
using CBirchData = CBirchWare::Data;
using CBirch = CBirchWare::Radio;
