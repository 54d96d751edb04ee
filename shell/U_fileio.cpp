#include "U_fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <ctime>

namespace fs = std::filesystem;

namespace fileio {

namespace {

constexpr std::string_view kTempMark = ".tessel~";
constexpr std::size_t kRandomChars = 6;  // mkstemp's XXXXXX

// Closes a descriptor on every path.
class CFd {
  public:
    explicit CFd(int fd) : fd_(fd) {}
    ~CFd() {
        if (fd_ >= 0) close(fd_);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

std::size_t NameMax(const fs::path& folder) {
    const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// An existing target may be replaced only when it is a regular file someone may write; a
// device node or FIFO would otherwise become a plain file, a read-only file silently change.
bool MayReplace(const fs::path& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISREG(st.st_mode)) return false;
    return (st.st_mode & 0222) != 0 && access(target.c_str(), W_OK) == 0;
}

bool IsLeftover(const fs::path& file) {
    struct stat st {};
    if (lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid())
        return false;
    if (std::time(nullptr) - st.st_mtime < kLeftoverAge.count()) return false;
    // A save under way holds its lock from the moment its file exists.
    const CFd fd(open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return fd.Get() >= 0 && flock(fd.Get(), LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

EReadResult ReadWholeFile(const fs::path& file, std::string& bytes, std::size_t limit) {
    // Non-blocking, so that a FIFO without a writer cannot hold the open; its type is then
    // known before anything is read.
    const CFd fd(open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0) return EReadResult::Unreadable;
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return EReadResult::Unreadable;
    if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > limit)
        return EReadResult::TooLarge;
    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return EReadResult::Unreadable;
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > limit) return EReadResult::TooLarge;  // grew while being read
    }
    bytes = std::move(data);
    return EReadResult::Read;
}

std::string TemporaryPattern(const std::string& targetName, std::size_t nameMax) {
    const std::size_t overhead = 1 + kTempMark.size() + kRandomChars;
    std::size_t keep = std::min(targetName.size(), nameMax > overhead ? nameMax - overhead : 0);
    // Cut at a character boundary, so that the name stays readable UTF-8.
    while (keep > 0 && keep < targetName.size() &&
           (static_cast<unsigned char>(targetName[keep]) & 0xC0) == 0x80)
        --keep;
    return "." + targetName.substr(0, keep) + std::string(kTempMark) +
           std::string(kRandomChars, 'X');
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() < 1 + kTempMark.size() + kRandomChars || name.front() != '.') return false;
    const std::string_view tail = name.substr(name.size() - kRandomChars);
    const std::string_view mark =
        name.substr(name.size() - kRandomChars - kTempMark.size(), kTempMark.size());
    return mark == kTempMark && std::all_of(tail.begin(), tail.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0;
           });
}

void RemoveLeftovers(const fs::path& folder) {
    std::error_code error;
    fs::directory_iterator entries(folder.empty() ? fs::path(".") : folder, error);
    if (error) return;
    for (const fs::directory_entry& entry : entries) {
        const fs::path& path = entry.path();
        if (IsTemporaryName(path.filename().string()) && IsLeftover(path)) unlink(path.c_str());
    }
}

CReplacement::CReplacement(const fs::path& target) : target_(target) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target_ = fs::canonical(target, error);
        if (error) return;
    }
    if (!MayReplace(target_)) return;
    const fs::path folder = target_.parent_path();
    RemoveLeftovers(folder);
    std::string pattern =
        (folder / TemporaryPattern(target_.filename().string(), NameMax(folder))).string();
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return;
    fd_ = fd;
    tempPath_ = pattern;
    // Marks the file as a save under way for RemoveLeftovers of other saves.
    flock(fd_, LOCK_EX | LOCK_NB);
}

CReplacement::~CReplacement() {
    if (fd_ >= 0) close(fd_);
    if (!tempPath_.empty()) unlink(tempPath_.c_str());
}

bool CReplacement::Commit(std::string_view bytes) {
    if (fd_ < 0 || !WriteAll(fd_, bytes)) return false;
    struct stat existing {};
    if (stat(target_.c_str(), &existing) == 0) {
        // Owner first: a change of owner may clear the mode's special bits.
        if (existing.st_uid != geteuid() || existing.st_gid != getegid())
            (void)fchown(fd_, existing.st_uid, existing.st_gid);  // kept where allowed
        if (fchmod(fd_, existing.st_mode & 07777) != 0) return false;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        if (fchmod(fd_, 0666 & ~mask) != 0) return false;
    }
    if (fsync(fd_) != 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return false;
    if (rename(tempPath_.c_str(), target_.c_str()) != 0) return false;
    tempPath_.clear();
    return true;
}

bool ReplaceFile(const fs::path& target, std::string_view bytes) {
    CReplacement replacement(target);
    return replacement.Ready() && replacement.Commit(bytes);
}

}  // namespace fileio
