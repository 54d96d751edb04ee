#include "U_backup.h"

#include <string_view>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <utility>

#include <unistd.h>

#include "U_fileio.h"
#include "U_outfile.h"
#include "U_paramfile.h"

namespace backup {

namespace {

// The copies are for this user alone.
constexpr mode_t kCopyMode = 0600;

CRadioData& ModelData(IRadio& radio) {
    return RequireOwnRadioData(radio.Data());
}

std::string Lowercase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A serial number as part of a file name: letters and digits only.
std::string SerialPart(const std::string& serial) {
    std::string part;
    for (const char c : serial)
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) part += c;
    return part.empty() ? "0" : part;
}

// "20261208-091502-347": sorts as it was taken.
std::string Timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d-%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

std::vector<std::pair<std::string, std::string>> Lines(const std::string& body) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream in(body);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

}  // namespace

std::filesystem::path BackupFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data && *data) return std::filesystem::path(data) / "tessel" / "backups";
    if (home && *home) return std::filesystem::path(home) / ".local/share" / "tessel" / "backups";
    // A folder of this user's own, never one that all users share.
    return std::filesystem::temp_directory_path() /
           ("tessel-backups-" + std::to_string(::geteuid()));
}

std::filesystem::path SaveBackup(IRadio& radio, const std::filesystem::path& folder) {
    const std::string prefix =
        Lowercase(radio.Ware()->Description()) + '-' + SerialPart(radio.SerialNumber()) + '-';
    const std::filesystem::path file =
        folder / (prefix + Timestamp() + '.' + radio.FileExtension());
    std::error_code error;
    if (folder.has_parent_path()) std::filesystem::create_directories(folder.parent_path(), error);
    // The copies hold the radio's whole memory: for this user alone. A folder of ours left open
    // by an older version is closed; one of another user is not used.
    const std::string refusal =
        fileio::PreparePrivateFolder(folder, "Папка копий параметров " + folder.string(), true);
    if (!refusal.empty()) throw paramfile::CFileError(refusal);
    const std::string bytes = paramfile::ContainerHeader(radio) + Body(ModelData(radio));
    const std::string problem = interchange::WriteOutputFile(file, bytes, kCopyMode);
    if (!problem.empty()) throw paramfile::CFileError(problem);
    PruneBackups(folder, prefix, kKeptPerRadio, file);
    return file;
}

void PruneBackups(const std::filesystem::path& folder, const std::string& prefix, std::size_t keep,
                  const std::filesystem::path& taken) {
    std::error_code error;
    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        // The copy just taken is kept whatever the others' names say (a clock set back makes
        // older copies look newer).
        if (!taken.empty() && entry.path().filename() == taken.filename()) continue;
        if (entry.is_regular_file() && entry.path().filename().string().starts_with(prefix))
            copies.push_back(entry.path());
    }
    if (!taken.empty() && keep > 0) --keep;
    if (copies.size() <= keep) return;
    std::ranges::sort(copies);
    for (std::size_t i = 0; i + keep < copies.size(); ++i)
        std::filesystem::remove(copies[i], error);
}

CSetLoan::CSetLoan(IRadio& radio)
    : radio_(radio),
      keeper_(ModelData(radio).Keeper()),
      modified_(radio.Data()->IsModified()),
      fileName_(radio.FileName()) {}

CSetLoan::~CSetLoan() {
    Return();
}

void CSetLoan::Return() {
    if (!keeper_) return;
    std::exchange(keeper_, nullptr)();
    CRadioData& data = ModelData(radio_);
    if (modified_)
        data.SetModified();
    else
        data.MarkSaved();
    radio_.SetFileName(fileName_);
}

std::string Body(CRadioData& data) {
    std::ostringstream out;
    data.WriteText(out);
    return out.str();
}

std::string BodyAfterWrite(IRadio& radio) {
    const CSetLoan loan(radio);
    CRadioData& data = ModelData(radio);
    std::vector<std::uint8_t> image(data.ImageSize(), 0xFF);
    data.EncodeImage(image);
    data.DecodeImage(image);
    return Body(data);
}

std::vector<std::string> DifferingKeys(const std::string& expected, const std::string& actual) {
    const auto actualLines = Lines(actual);
    std::vector<std::string> keys;
    for (const auto& [key, value] : Lines(expected)) {
        const auto it = std::ranges::find(actualLines, key, [](const auto& p) { return p.first; });
        if (it == actualLines.end() || it->second != value) keys.push_back(key);
    }
    return keys;
}

std::string VerifyFailureText(const std::vector<std::string>& keys) {
    std::string text = "Проверка записи: в радиостанции другие значения";
    for (std::size_t i = 0; i < keys.size() && i < 10; ++i) text += (i ? ", " : ": ") + keys[i];
    if (keys.size() > 10) text += " и еще " + std::to_string(keys.size() - 10);
    return text;
}

std::string WithBackupNote(const std::string& message, const std::filesystem::path& backup) {
    const bool closed =
        !message.empty() && std::string_view(".!?)").find(message.back()) != std::string_view::npos;
    return message + (closed ? " " : ". ") + "Прежние параметры радиостанции: " + backup.string();
}

}  // namespace backup
