#include "U_fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
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
SWriteResult MayReplace(const fs::path& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        return {EWriteProblem::Failed, errno};
    }
    if (!S_ISREG(st.st_mode)) return {EWriteProblem::NotRegular, 0};
    if ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0)
        return {EWriteProblem::ReadOnly, 0};
    return {};
}

mode_t Unmasked(mode_t mode) {
    const mode_t mask = umask(0);
    umask(mask);
    return mode & ~mask;
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

EReadResult ReadWholeFile(const fs::path& file, std::string& bytes, std::size_t limit, int* error) {
    const auto unreadable = [error] {
        if (error) *error = errno;
        return EReadResult::Unreadable;
    };
    // Non-blocking, so that a FIFO without a writer cannot hold the open; its type is then
    // known before anything is read.
    const CFd fd(open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0) return unreadable();
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0) return unreadable();
    if (!S_ISREG(st.st_mode)) return EReadResult::NotRegular;
    if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > limit)
        return EReadResult::TooLarge;
    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return unreadable();
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

CReplacement::CReplacement(const fs::path& target, mode_t newMode)
    : target_(target), newMode_(newMode) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target_ = fs::canonical(target, error);
        if (error) {
            Fail(EWriteProblem::Failed, error.value());
            return;
        }
    }
    result_ = MayReplace(target_);
    if (!result_) return;
    const fs::path folder = target_.parent_path();
    RemoveLeftovers(folder);
    std::string pattern =
        (folder / TemporaryPattern(target_.filename().string(), NameMax(folder))).string();
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        Fail(EWriteProblem::Failed, errno);
        return;
    }
    fd_ = fd;
    tempPath_ = pattern;
    // Marks the file as a save under way for RemoveLeftovers of other saves.
    flock(fd_, LOCK_EX | LOCK_NB);
}

CReplacement::~CReplacement() {
    if (fd_ >= 0) close(fd_);
    if (!tempPath_.empty()) unlink(tempPath_.c_str());
}

bool CReplacement::Fail(EWriteProblem problem, int error) {
    result_ = {problem, error};
    return false;
}

bool CReplacement::Commit(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (!WriteAll(fd_, bytes)) return Fail(EWriteProblem::Failed, errno);
    struct stat existing {};
    if (stat(target_.c_str(), &existing) == 0) {
        // Owner first: a change of owner may clear the mode's special bits.
        if (existing.st_uid != geteuid() || existing.st_gid != getegid())
            (void)fchown(fd_, existing.st_uid, existing.st_gid);  // kept where allowed
        if (fchmod(fd_, existing.st_mode & 07777) != 0) return Fail(EWriteProblem::Failed, errno);
    } else if (fchmod(fd_, Unmasked(newMode_)) != 0) {
        return Fail(EWriteProblem::Failed, errno);
    }
    if (fsync(fd_) != 0) return Fail(EWriteProblem::Failed, errno);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return Fail(EWriteProblem::Failed, errno);
    if (rename(tempPath_.c_str(), target_.c_str()) != 0) return Fail(EWriteProblem::Failed, errno);
    tempPath_.clear();
    return true;
}

SWriteResult ReplaceFile(const fs::path& target, std::string_view bytes, mode_t newMode) {
    CReplacement replacement(target, newMode);
    if (replacement.Ready()) replacement.Commit(bytes);
    return replacement.Result();
}

int CreateStreamFile(const fs::path& file, mode_t newMode, SWriteResult& result) {
    result = {};
    // Non-blocking and without truncation until the type is known: a FIFO neither holds the
    // open nor is written, a device is not cut.
    const int fd =
        open(file.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, newMode);
    if (fd < 0) {
        result = {errno == ENXIO ? EWriteProblem::NotRegular : EWriteProblem::Failed, errno};
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result = {EWriteProblem::NotRegular, 0};
        close(fd);
        return -1;
    }
    if (ftruncate(fd, 0) != 0 || fcntl(fd, F_SETFL, 0) != 0) {
        result = {EWriteProblem::Failed, errno};
        close(fd);
        return -1;
    }
    return fd;
}

std::string ErrorText(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "нет места на диске";
        case EACCES:
        case EPERM:
            return "нет доступа";
        case ENOENT:
            return "нет такого файла или папки";
        case ENOTDIR:
            return "в пути не папка";
        case EROFS:
            return "диск только для чтения";
        case EISDIR:
            return "это папка";
        case ENAMETOOLONG:
            return "слишком длинное имя";
        case EIO:
            return "ошибка ввода-вывода";
        default:
            return "ошибка " + std::to_string(error);
    }
}

namespace {

constexpr std::string_view kNotRegular =
    "это не обычный файл (папка, устройство или именованный канал)";

// "Файл "<file>" не прочитан", and why when known.
std::string FileProblem(const fs::path& file, std::string_view outcome, const std::string& why) {
    return "Файл \"" + file.string() + "\" " + std::string(outcome) +
           (why.empty() ? "" : ": " + why);
}

}  // namespace

std::string ReadProblemText(const fs::path& file, EReadResult result, int error,
                            std::size_t limit) {
    constexpr std::string_view kOutcome = "не прочитан";
    switch (result) {
        case EReadResult::Read:
            return {};
        case EReadResult::NotRegular:
            return FileProblem(file, kOutcome, std::string(kNotRegular));
        case EReadResult::TooLarge:
            return FileProblem(
                file, kOutcome,
                "он больше " + (limit % (1u << 20) == 0 ? std::to_string(limit >> 20) + " МиБ"
                                                        : std::to_string(limit >> 10) + " КиБ"));
        case EReadResult::Unreadable:
            break;
    }
    return FileProblem(file, kOutcome, error ? ErrorText(error) : std::string());
}

std::string WriteProblemText(const fs::path& file, const SWriteResult& result) {
    constexpr std::string_view kOutcome = "не записан";
    switch (result.problem) {
        case EWriteProblem::None:
            return {};
        case EWriteProblem::NotRegular:
            return FileProblem(file, kOutcome, std::string(kNotRegular));
        case EWriteProblem::ReadOnly:
            return FileProblem(file, kOutcome, "он только для чтения");
        case EWriteProblem::Failed:
            break;
    }
    return FileProblem(file, kOutcome, result.error ? ErrorText(result.error) : std::string());
}

std::string PreparePrivateFolder(const fs::path& folder, const std::string& name, bool tighten) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return name + " не создана: " + ErrorText(errno);
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return name + " не папка; она не используется";
    if (st.st_uid != geteuid())
        return name + " принадлежит другому пользователю; она не используется";
    // Only a folder of ours left open is closed: a shared one (sticky or writable by all, as
    // /tmp) is never changed, it is refused.
    const bool shared = (st.st_mode & (S_ISVTX | S_IWOTH)) != 0;
    if ((st.st_mode & 077) != 0 &&
        !(tighten && !shared && chmod(folder.c_str(), st.st_mode & 0700) == 0)) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        return name + " открыта другим пользователям (права " + mode + "); она не используется";
    }
    return {};
}

}  // namespace fileio
