#pragma once
// A model's recogniser for one search, given back to its module on every path.

#include "U_radioware.h"

class CQualifierLease {
  public:
    explicit CQualifierLease(IRadio& radio)
        : ware_(*radio.Ware()), qualifier_(ware_.CreateQualifier(&radio)) {}
    ~CQualifierLease() {
        if (qualifier_) ware_.ReleaseQualifier(qualifier_);
    }
    CQualifierLease(const CQualifierLease&) = delete;
    CQualifierLease& operator=(const CQualifierLease&) = delete;
    IRadioQualifier* Get() const { return qualifier_; }

  private:
    IRadioWare& ware_;
    IRadioQualifier* qualifier_;
};
