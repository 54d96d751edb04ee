#pragma once
// Whole-file input and output for everything the program and the tool write or read: output
// goes to a temporary file beside the target that is renamed over it, so a save that fails or
// is cut short never leaves the previous file empty or cut; input takes only regular files of
// bounded size and never waits on a FIFO.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace fileio {

// Far above any parameter file or memory image; a larger input is not one of ours.
inline constexpr std::size_t kInputLimit = std::size_t{1} << 20;

// A temporary file left by a save that was cut short is removed after this long.
inline constexpr std::chrono::seconds kLeftoverAge{60};

enum class EReadResult { Read, Unreadable, TooLarge };

// Reads the whole of a regular file of at most limit bytes. A file that does not open, a
// directory, FIFO or device, and a failing read are Unreadable.
EReadResult ReadWholeFile(const std::filesystem::path& file, std::string& bytes,
                          std::size_t limit = kInputLimit);

// A replacement of one file: the target is checked and the temporary file made on
// construction; Commit writes the bytes and puts them in place. Dropped without a successful
// Commit, it leaves the target as it was and removes its temporary file.
class CReplacement {
  public:
    // A symbolic link is kept: the file it names is replaced. Refused (not Ready) when the
    // target exists and is not a regular file or is read-only, or no temporary file can be made.
    explicit CReplacement(const std::filesystem::path& target);
    ~CReplacement();
    CReplacement(const CReplacement&) = delete;
    CReplacement& operator=(const CReplacement&) = delete;

    bool Ready() const { return fd_ >= 0; }
    // Writes bytes, gives them the target's permissions (a new file those of a plain new file),
    // makes them durable and renames them over the target.
    bool Commit(std::string_view bytes);

  private:
    std::filesystem::path target_;
    std::string tempPath_;
    int fd_ = -1;
};

// Replaces target with bytes through a CReplacement.
bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

// The name of a temporary file for target, within the file-name limit of its folder, and the
// test whether a name is one of ours (as made by mkstemp from that pattern).
std::string TemporaryPattern(const std::string& targetName, std::size_t nameMax);
bool IsTemporaryName(std::string_view name);

// Removes the temporary files that saves cut short left in folder: only names of ours, only
// regular files of this user, older than kLeftoverAge and not locked by a save under way.
void RemoveLeftovers(const std::filesystem::path& folder);

}  // namespace fileio
