#pragma once
// The group's view of the radios in range, on the program's links.

#include "U_fleetradios.h"

namespace fleet {

class CLinkFleetRadios final : public IFleetRadios {
  public:
    explicit CLinkFleetRadios(CLinkPorts& ports) : ports_(ports) {}
    std::vector<SRadioInRange> InRange(IRadio& wanted) override;
    std::unique_ptr<CRadioNet> Open(IRadio& wanted, const std::string& serial) override;
    std::string Failure() const override;

  private:
    CLinkPorts& ports_;
    bool openedIrda_ = false;  // the last Open searched the infrared link
};

}  // namespace fleet
