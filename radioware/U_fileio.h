#pragma once
// Whole-file input and output for everything the program, the tool and the virtual radio write
// or read: output goes to a temporary file beside the target that is renamed over it, so a save
// that fails or is cut short never leaves the previous file empty or cut; input takes only
// regular files of bounded size and never waits on a FIFO. Also the checks of a private folder
// and of a file written as it goes (a trace), and the Russian words for what went wrong.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace fileio {

// Far above any parameter file or memory image; a larger input is not one of ours.
inline constexpr std::size_t kInputLimit = std::size_t{1} << 20;

// A temporary file left by a save that was cut short is removed after this long.
inline constexpr std::chrono::seconds kLeftoverAge{60};

enum class EReadResult { Read, Unreadable, NotRegular, TooLarge };

// Reads the whole of a regular file of at most limit bytes. A directory, FIFO or device is
// NotRegular; a file that does not open and a failing read are Unreadable, with the errno in
// *error when asked for.
EReadResult ReadWholeFile(const std::filesystem::path& file, std::string& bytes,
                          std::size_t limit = kInputLimit, int* error = nullptr);

// Why an output was not written: the target is a directory, device or FIFO, or read-only, or
// the writing failed (error holds the errno then, 0 when unknown).
enum class EWriteProblem { None, NotRegular, ReadOnly, Failed };
struct SWriteResult {
    EWriteProblem problem = EWriteProblem::None;
    int error = 0;
    explicit operator bool() const { return problem == EWriteProblem::None; }
};

// A replacement of one file: the target is checked and the temporary file made on
// construction; Commit writes the bytes and puts them in place. Dropped without a successful
// Commit, it leaves the target as it was and removes its temporary file.
class CReplacement {
  public:
    // A symbolic link is kept: the file it names is replaced. Refused (not Ready) when the
    // target exists and is not a regular file or is read-only, or no temporary file can be made.
    // A new file gets newMode less the umask.
    explicit CReplacement(const std::filesystem::path& target, mode_t newMode = 0666);
    ~CReplacement();
    CReplacement(const CReplacement&) = delete;
    CReplacement& operator=(const CReplacement&) = delete;

    bool Ready() const { return fd_ >= 0; }
    // Writes bytes, gives them the target's permissions (a new file those of a plain new file),
    // makes them durable and renames them over the target.
    bool Commit(std::string_view bytes);
    // Why the replacement was refused or its Commit failed.
    const SWriteResult& Result() const { return result_; }

  private:
    bool Fail(EWriteProblem problem, int error);

    std::filesystem::path target_;
    std::string tempPath_;
    mode_t newMode_;
    int fd_ = -1;
    SWriteResult result_;
};

// Replaces target with bytes through a CReplacement.
SWriteResult ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                         mode_t newMode = 0666);

// A file that is written as it goes (a protocol trace): created or truncated, only when it is a
// regular file or does not exist; never waits on a FIFO. The open descriptor, or -1 with result
// telling why.
int CreateStreamFile(const std::filesystem::path& file, mode_t newMode, SWriteResult& result);

// Russian texts for a person: "Файл "F" ..." saying why a file was not read or written.
std::string ReadProblemText(const std::filesystem::path& file, EReadResult result, int error,
                            std::size_t limit = kInputLimit);
std::string WriteProblemText(const std::filesystem::path& file, const SWriteResult& result);
// The cause behind an errno, as a short Russian phrase ("нет места на диске").
std::string ErrorText(int error);

// Makes folder for the user alone (0700) when it is missing. Anyone who
// can write there could plant files that the program then trusts, so a folder that is not a
// directory, belongs to another user or that others may enter is refused: the reason in
// Russian, beginning with name ("Папка ... /x"), or "" when it is usable. With tighten, a folder
// of this user that is open to others is closed (0700) instead of refused.
std::string PreparePrivateFolder(const std::filesystem::path& folder, const std::string& name,
                                 bool tighten = false);

// The name of a temporary file for target, within the file-name limit of its folder, and the
// test whether a name is one of ours (as made by mkstemp from that pattern).
std::string TemporaryPattern(const std::string& targetName, std::size_t nameMax);
bool IsTemporaryName(std::string_view name);

// Removes the temporary files that saves cut short left in folder: only names of ours, only
// regular files of this user, older than kLeftoverAge and not locked by a save under way.
void RemoveLeftovers(const std::filesystem::path& folder);

}  // namespace fileio
