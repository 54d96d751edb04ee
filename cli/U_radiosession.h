#pragma once
// The links of one command: the virtual radios given on its line, else the machine's.

#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "U_cli.h"
#include "U_radionet.h"
#include "U_virtualradios.h"

namespace cli {

// The links of one run: the virtual radios of the command line when there are any (and then
// nothing else is in range), else the machine's.
class CRadioSession {
  public:
    explicit CRadioSession(const CArgs& args) {
        const std::vector<std::string> radios = args.All("--virtual-radio");
        if (radios.empty()) {
            ports_ = std::make_unique<CLinkPorts>();
            // Said before the search, which then finds no infrared radio.
            if (!ports_->IrdaRefusal().empty())
                std::cerr << "tessel-cli: " << ports_->IrdaRefusal() << '\n';
            return;
        }
        try {
            virtualRadios_ = std::make_unique<sim::CVirtualRadios>(radios);
        } catch (const std::invalid_argument& error) {
            throw CUsageError(error.what());
        }
        ports_ = std::make_unique<CLinkPorts>(virtualRadios_->LinkConfig());
    }

    CLinkPorts& Ports() { return *ports_; }

  private:
    // Declared first, destroyed last: the links close before the radios leave.
    std::unique_ptr<sim::CVirtualRadios> virtualRadios_;
    std::unique_ptr<CLinkPorts> ports_;
};

}  // namespace cli
