#pragma once
// The copy of a radio's memory taken before every write, and the check of a write by reading
// the radio back. Both borrow the radio's parameter set for a whole read and give it back as it
// was.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "U_radioware.h"

namespace backup {

// Copies kept per radio (model and serial number); older ones are removed.
inline constexpr std::size_t kKeptPerRadio = 50;

// $XDG_DATA_HOME/tessel/backups, or ~/.local/share/tessel/backups, or without either
// tessel-backups-<uid> in the temporary folder. Made for the user alone (0700).
std::filesystem::path BackupFolder();

// Writes the radio's parameter set, just read from the radio, as a parameter file
// <model>-<serial>-<date-time>.<ext> in the folder, without touching the set's file name or
// modified flag, readable by the user alone; then keeps that copy and the newest
// kKeptPerRadio - 1 others of that radio. A folder of another user, or one others may enter, is
// refused. Throws paramfile::CFileError with the reason.
std::filesystem::path SaveBackup(IRadio& radio, const std::filesystem::path& folder);
// Removes all but the newest keep copies whose names start with prefix; taken, when given, is
// one of the kept whatever its name.
void PruneBackups(const std::filesystem::path& folder, const std::string& prefix, std::size_t keep,
                  const std::filesystem::path& taken = {});

// The radio's parameter set lent out for a read: on return (at the latest when the loan ends)
// every value, the modified flag and the file name are as they were.
class CSetLoan {
  public:
    explicit CSetLoan(IRadio& radio);
    ~CSetLoan();
    CSetLoan(const CSetLoan&) = delete;
    CSetLoan& operator=(const CSetLoan&) = delete;
    void Return();

  private:
    IRadio& radio_;
    std::function<void()> keeper_;
    bool modified_;
    std::string fileName_;
};

// The set's text form.
std::string Body(CRadioData& data);
// The text form of the set as the radio holds it after a write: the set's image decoded. The
// set itself stays as it was.
std::string BodyAfterWrite(IRadio& radio);
// The keys whose values differ between two text forms, in the order of the first.
std::vector<std::string> DifferingKeys(const std::string& expected, const std::string& actual);
// The message of a write that the read-back contradicts.
std::string VerifyFailureText(const std::vector<std::string>& keys);
// The failed write's message with the copy that keeps the radio's former parameters.
std::string WithBackupNote(const std::string& message, const std::filesystem::path& backup);

}  // namespace backup
