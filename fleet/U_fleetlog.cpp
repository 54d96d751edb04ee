#include "U_fleetlog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "U_csv.h"
#include "U_sha256.h"

namespace fleet {

namespace {

constexpr std::size_t kColumns = 8;

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::runtime_error LogError(const std::filesystem::path& file, const std::string& what) {
    return std::runtime_error("Журнал записи группы " + file.string() + ": " + what);
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

std::optional<SLogRow> RowOf(const std::vector<std::string>& fields) {
    if (fields.size() != kColumns) return std::nullopt;
    const std::optional<EResult> result = ParseResultWord(fields[3]);
    if (!result) return std::nullopt;
    return SLogRow{fields[0], fields[1], fields[2], *result,
                   fields[4], fields[5], fields[6], fields[7]};
}

}  // namespace

const char* ResultWord(EResult result) {
    switch (result) {
        case EResult::Written:
            return "written";
        case EResult::Skipped:
            return "skipped";
        case EResult::Failed:
            break;
    }
    return "failed";
}

std::optional<EResult> ParseResultWord(const std::string& word) {
    for (const EResult result : {EResult::Written, EResult::Failed, EResult::Skipped})
        if (word == ResultWord(result)) return result;
    return std::nullopt;
}

std::filesystem::path DefaultLogFile(const std::filesystem::path& parameterFile) {
    std::filesystem::path log = parameterFile;
    return log.replace_extension(".fleet.csv");
}

std::string LogTime() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::string FileChecksum(const std::string& bytes) {
    return "sha256:" + Sha256Hex(bytes);
}

std::string LogLine(const SLogRow& row) {
    const std::string fields[kColumns] = {
        OneLine(row.time), OneLine(row.model),    OneLine(row.serial), ResultWord(row.result),
        OneLine(row.file), OneLine(row.checksum), OneLine(row.backup), OneLine(row.message)};
    return interchange::CsvLine(fields);
}

CFleetLog::CFleetLog(const std::filesystem::path& file) : file_(file) {
    fd_.fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_.fd < 0) throw LogError(file, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd_.fd, &info) != 0 || !S_ISREG(info.st_mode))
        throw LogError(file, "это не обычный файл");
    std::string text = ReadAll(fd_.fd);
    // Rows end in a line break; whatever follows the last one was being written when the
    // program stopped.
    const std::size_t end =
        text.find_last_of('\n') == std::string::npos ? 0 : text.find_last_of('\n') + 1;
    if (end < text.size()) {
        torn_ = text.substr(end);
        if (!torn_.empty() && torn_.back() == '\r') torn_.pop_back();
        text.resize(end);
        if (::ftruncate(fd_.fd, static_cast<off_t>(end)) != 0 || ::fsync(fd_.fd) != 0)
            throw LogError(file, std::strerror(errno));
    }
    const std::vector<interchange::SCsvRow> rows = interchange::ParseCsv(text);
    if (rows.empty()) {
        WriteLine(std::string(kLogHeader) + "\r\n");
        return;
    }
    if (interchange::CsvLine(rows.front().fields) !=
        interchange::CsvLine(interchange::ParseCsv(kLogHeader).front().fields))
        throw LogError(file, "файл не является журналом записи группы");
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (std::optional<SLogRow> row = RowOf(rows[i].fields)) rows_.push_back(std::move(*row));
}

CFleetLog::SFd::~SFd() {
    if (fd >= 0) ::close(fd);
}

bool CFleetLog::WasWritten(const std::string& model, const std::string& serial,
                           const std::string& checksum) const {
    for (const SLogRow& row : rows_)
        if (row.result == EResult::Written && row.model == model && row.serial == serial &&
            row.checksum == checksum)
            return true;
    return false;
}

void CFleetLog::Append(const SLogRow& row) {
    WriteLine(LogLine(row));
    rows_.push_back(row);
}

void CFleetLog::WriteLine(const std::string& line) {
    // One write(2) for the whole line: with O_APPEND nothing else lands inside it.
    ssize_t n;
    do {
        n = ::write(fd_.fd, line.data(), line.size());
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(line.size()) || ::fsync(fd_.fd) != 0)
        throw LogError(file_, n < 0 ? std::strerror(errno) : "запись прервана");
}

}  // namespace fleet
