#pragma once
// One write of a parameter set into one radio, as every write goes: the radio's memory read
// and kept as a copy first (nothing is written without it), the fields that belong to the
// radio taken from that read, the model's check, the write into the bank not in use, and the
// read-back over a fresh link to the same radio compared with what was written. The set
// itself is the same afterwards as before.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "U_fleetlog.h"
#include "U_fleetradios.h"
#include "U_writesteps.h"

namespace fleet {

// The status text and the progress of the write in percent (-1: no progress to show).
using ProgressSink = std::function<void(const std::string& status, int percent)>;

struct SWriteOutcome {
    EResult result = EResult::Failed;
    std::string message;
    std::filesystem::path backup;  // empty when no copy was taken
};

struct SRadioWriteSetup {
    IRadio& radio;          // its set holds the parameters to write
    IFleetRadios& radios;   // for the read-back
    SetCaller onSet;        // direct call when empty
    ProgressSink progress;  // none when empty
    std::filesystem::path backupFolder;
};

// Writes into the radio behind net, found with the serial number, and tells how it went;
// never throws. The link is closed when it returns.
SWriteOutcome WriteRadio(const SRadioWriteSetup& setup, std::unique_ptr<CRadioNet> net,
                         const std::string& serial);

}  // namespace fleet
