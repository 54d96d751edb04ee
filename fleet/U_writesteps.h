#pragma once
// The steps every write into a radio is made of, whoever drives it (the window's worker, the
// command line, the group write): the exchange stepped to its end, the copy of the radio's
// memory taken before the write, and the read-back over a fresh link compared with what was
// written. Each caller composes them with its own messages and checks.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "U_radionet.h"
#include "U_radioware.h"

namespace fleet {

// Runs a call that touches the parameter set where the set may be touched (the window's
// thread) and returns after it has run; what the call throws is thrown again to the caller.
using SetCaller = std::function<void(const std::function<void()>&)>;
// A new link to the very radio written; null when it is not in range.
using RadioOpener = std::function<std::unique_ptr<CRadioNet>()>;

// The copy of the radio's memory: the file, or the reason there is none.
struct SBackupCopy {
    std::filesystem::path file;
    std::string problem;  // the save's own message; empty when the read failed or all went well
};

// A model's exchange object for one transfer on a link, given back to its module on every path
// unless a caller takes it over.
class CExchangeLease {
  public:
    CExchangeLease(IRadio& radio, CRadioNet& net)
        : ware_(*radio.Ware()), rw_(ware_.CreateRW(&radio, net.link())) {}
    ~CExchangeLease() { Release(); }
    CExchangeLease(const CExchangeLease&) = delete;
    CExchangeLease& operator=(const CExchangeLease&) = delete;

    IRadioRW* Get() const { return rw_; }
    IRadioRW* Take() { return std::exchange(rw_, nullptr); }
    void Release() {
        if (rw_) ware_.ReleaseRW(Take());
    }

  private:
    IRadioWare& ware_;
    IRadioRW* rw_;
};

class CWriteSteps {
  public:
    // onSet empty: the calls that touch the set run directly. refreshView: the radio's view is
    // brought up to date whenever the set is given back after a read.
    CWriteSteps(IRadio& radio, SetCaller onSet, bool refreshView = false);

    void OnSet(const std::function<void()>& call) const;

    // Begins a read or a write on rw and steps it until it is done; progress (when given)
    // after each step. False at the first failed step: no retry.
    bool Exchange(IRadioRW& rw, bool reading, const std::function<void(int)>& progress = {}) const;

    // A whole read with an exchange object of its own on net; the radio's memory is then in
    // the set.
    bool ReadWhole(CRadioNet& net) const;

    // The radio's memory as it is, kept as a parameter file in folder; afterwards the set holds
    // what it held before. withMemory runs on the set while the radio's memory is in it; what
    // it throws counts as a failed copy.
    SBackupCopy TakeBackup(CRadioNet& net, const std::filesystem::path& folder,
                           const std::function<void()>& withMemory = {}) const;

    // After a write: net closed, the radio connected again through open (it has changed banks)
    // and read back; the keys that differ from what was written, nothing when the read failed.
    // net holds the new link afterwards.
    std::optional<std::vector<std::string>> ReadBack(std::unique_ptr<CRadioNet>& net,
                                                     const RadioOpener& open) const;

  private:
    IRadio& radio_;
    SetCaller onSet_;
    bool refreshView_;
};

// Whether a write whose step failed may still have reached the radio: the radio's answer to
// the end of the session was lost and its bank does not show the write (a radio with one bank
// never switches), so only what it now holds can tell.
bool MayBeWritten(ESessionEnd end);
// The message of a write whose step failed.
const char* WriteFailureText(ESessionEnd end);
// The message of a read or write whose step failed on net, followed by why the link broke
// when that is known ("ИК-адаптер … отключён").
std::string TransferFailureText(bool reading, const CRadioNet& net);
// The message of a read-back that did not confirm the write; empty when it did. A read-back
// that failed as a transfer is followed by why its link broke when that is known (failure:
// "ИК-адаптер … отключён"); contents that differ are told as they are.
std::string ReadBackFailureText(const std::optional<std::vector<std::string>>& differing,
                                const std::string& failure);

}  // namespace fleet
