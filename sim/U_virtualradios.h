#pragma once
// Virtual radios put in range inside the program (--virtual-radio, repeatable): each runs on its
// own server thread, the infrared ones in a private neighbourhood directory, the serial ones on
// their own pseudo-terminals. Destroying the set stops every thread and removes the directory.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "U_radionet.h"
#include "U_simradio.h"
#include "U_simserver.h"

namespace sim {

class CVirtualRadios {
  public:
    // Each text as ParseVirtualRadio reads it. Throws std::invalid_argument on a description
    // that is not a radio and std::runtime_error when a radio cannot be started.
    explicit CVirtualRadios(const std::vector<std::string>& descriptions);
    ~CVirtualRadios();
    CVirtualRadios(const CVirtualRadios&) = delete;
    CVirtualRadios& operator=(const CVirtualRadios&) = delete;

    std::size_t Count() const { return radios_.size(); }
    CVirtualRadio& Radio(std::size_t index) const { return *radios_.at(index); }
    const CRadioServer& Server(std::size_t index) const { return *servers_.at(index); }
    const std::filesystem::path& Directory() const { return directory_; }
    // The links of a program that sees these radios and nothing else.
    SLinkConfig LinkConfig() const;

  private:
    std::filesystem::path directory_;
    std::vector<std::unique_ptr<CVirtualRadio>> radios_;
    std::vector<std::unique_ptr<CRadioServer>> servers_;
    std::vector<std::string> serialPorts_;
    std::string sirPort_;  // the last radio on a serial infrared line
};

}  // namespace sim
