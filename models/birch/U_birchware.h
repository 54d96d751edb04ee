#pragma once
// The Birch radio: the Birch and Cedar design on the band 39000000..49000000 Hz.

#include "U_birchcedarware.h"

// The band and identity of the model.
const SBirchCedarModel& BirchModel();

class CBirchData final : public CBirchCedarData {
  public:
    explicit CBirchData(CRadio& radio) : CBirchCedarData(radio, BirchModel()) {}
};

using CBirchCanal = CBirchCedarCanal;
using CBirchQualifier = CBirchCedarQualifier;
using CBirchRW = CBirchCedarRW;

class CBirchWare;
using CBirch = TBirchCedarRadio<CBirchWare>;

class CBirchWare final : public TBirchCedarWare<CBirchData> {
  public:
    CBirchWare();
};

// The plug-in's radio description, alive while the library is loaded.
CBirch& BirchRadio();
