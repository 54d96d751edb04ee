#pragma once
// A group write: one parameter file into radio after radio of its model, each found in range,
// named by its serial number, written and verified once (unless asked again), each attempt a
// row of the group's log. A radio already written with this file according to the log (an
// earlier run of the same group) is passed over, so a group cut short carries on where it
// stopped.

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "U_fleetlog.h"
#include "U_fleetradios.h"
#include "U_radiowrite.h"

namespace fleet {

// The write of one radio, found by serial number; the group's only way to the radios' memory.
class IRadioWriter {
  public:
    virtual ~IRadioWriter() = default;
    virtual SWriteOutcome Write(IRadio& radio, const std::string& serial) = 0;
};

// The write every group uses outside tests: a link opened to the serial number, then WriteRadio.
class CLinkRadioWriter final : public IRadioWriter {
  public:
    CLinkRadioWriter(IFleetRadios& radios, SetCaller onSet, ProgressSink progress,
                     std::filesystem::path backupFolder);
    SWriteOutcome Write(IRadio& radio, const std::string& serial) override;

  private:
    IFleetRadios& radios_;
    SetCaller onSet_;
    ProgressSink progress_;
    std::filesystem::path backupFolder_;
};

// What the group tells and asks while it runs; called on the group's thread.
class IFleetObserver {
  public:
    virtual ~IFleetObserver() = default;
    // The group looks for the next radio (the operator may put it now).
    virtual void Searching() {}
    // A radio is being worked on.
    virtual void Started(const SRadioInRange& /*radio*/) {}
    // The attempt's row, just in the log.
    virtual void Done(const SLogRow& /*row*/) {}
    // A radio in range that this group wrote before, passed over.
    virtual void AlreadyWritten(const SRadioInRange& /*radio*/) {}
    // Asked between radios and while waiting: end the group now.
    virtual bool ShouldStop() { return false; }
    // Asked between radios: serial numbers the operator wants written once more.
    virtual std::vector<std::string> TakeAgain() { return {}; }
};

struct SFleetSettings {
    std::filesystem::path file;  // the parameter file, as the log names it
    std::string checksum;        // FileChecksum of its bytes
    int count = 0;               // end after this many radios written; 0: no limit
    // End when no new radio came for this long; none: wait until stopped.
    std::optional<std::chrono::milliseconds> wait;
    // How often the range is looked at again while no new radio is there.
    std::chrono::milliseconds poll{100};
};

struct SFleetCounts {
    int written = 0;
    int failed = 0;
    int skipped = 0;
    int Attempted() const { return written + failed + skipped; }
};

class CFleetGroup {
  public:
    CFleetGroup(IRadio& radio, IFleetRadios& radios, IRadioWriter& writer, CFleetLog& log,
                SFleetSettings settings);

    // Works until the count is reached, the wait has passed or the observer asks to stop;
    // never stops inside a radio's write. Throws std::runtime_error when the log cannot be
    // written (the group cannot go on without its record).
    SFleetCounts Run(IFleetObserver& observer);

  private:
    // The next radio to work on among those in range, or none; radios passed over are noted.
    std::optional<SRadioInRange> Next(IFleetObserver& observer);
    void Attempt(const SRadioInRange& radio, IFleetObserver& observer);
    // Sleeps one poll interval in short steps; false when asked to stop.
    bool Pause(IFleetObserver& observer) const;

    IRadio& radio_;
    IFleetRadios& radios_;
    IRadioWriter& writer_;
    CFleetLog& log_;
    SFleetSettings settings_;
    std::string model_;
    std::set<std::string> done_;     // serial numbers attempted or passed over in this run
    std::set<std::string> again_;    // asked to be written once more
    std::set<std::string> foreign_;  // radios of other models, "model/serial"
    SFleetCounts counts_;
};

}  // namespace fleet
