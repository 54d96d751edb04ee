#pragma once
// The group's view of the radios in range, on the program's links.

#include "U_fleetradios.h"

namespace fleet {

class CLinkFleetRadios final : public IFleetRadios {
  public:
    explicit CLinkFleetRadios(CLinkPorts& ports) : ports_(ports) {}
    std::vector<SRadioInRange> InRange(IRadio& wanted) override;
    std::unique_ptr<CRadioNet> Open(IRadio& wanted, const std::string& serial) override;

  private:
    CLinkPorts& ports_;
};

}  // namespace fleet
