#pragma once
// What a group write needs from the radio search: which radios are in range now, by model and
// serial number, and a link to one of them chosen by its serial number.

#include <memory>
#include <string>
#include <vector>

#include "U_radionet.h"
#include "U_radioware.h"

namespace fleet {

struct SRadioInRange {
    std::string model;   // the five-character identifier the radio reports
    std::string serial;  // its serial number
};

class IFleetRadios {
  public:
    virtual ~IFleetRadios() = default;
    // Every radio in range now, of whatever model, in the order found. wanted is the model the
    // group writes (searched first where the search goes by model).
    virtual std::vector<SRadioInRange> InRange(IRadio& wanted) = 0;
    // A link to the radio of wanted's model with this serial number, accepted by the model's
    // recogniser (which has stored the serial number in wanted); null when it is not in range
    // or not accepted.
    virtual std::unique_ptr<CRadioNet> Open(IRadio& wanted, const std::string& serial) = 0;
    // Why the last Open made no link when the link itself was to blame (the adapter pulled
    // out: "ИК-адаптер … отключён"); "" when unknown.
    virtual std::string Failure() const { return {}; }
};

}  // namespace fleet
