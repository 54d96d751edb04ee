#pragma once
// The Cedar radio: the Birch and Cedar design on the band 136000000..174000000 Hz.

#include "U_birchcedarware.h"

// The band and identity of the model.
const SBirchCedarModel& CedarModel();

class CCedarData final : public CBirchCedarData {
  public:
    explicit CCedarData(CRadio& radio) : CBirchCedarData(radio, CedarModel()) {}
};

using CCedarCanal = CBirchCedarCanal;
using CCedarQualifier = CBirchCedarQualifier;
using CCedarRW = CBirchCedarRW;

class CCedarWare;
using CCedar = TBirchCedarRadio<CCedarWare>;

class CCedarWare final : public TBirchCedarWare<CCedarData> {
  public:
    CCedarWare();
};

// The plug-in's radio description, alive while the library is loaded.
CCedar& CedarRadio();
