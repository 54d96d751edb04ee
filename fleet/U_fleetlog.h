#pragma once
// The log of a group write: a CSV file with one row per attempt on a radio, appended and
// flushed to disk after each radio. Every row goes out in one write(2) on a descriptor opened
// with O_APPEND, so a crash leaves at worst a torn last line, never a row mixed into another;
// such a torn line is cut off when the log is opened again and reported, so it is neither
// counted nor written twice.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fleet {

enum class EResult { Written, Failed, Skipped };

// "written", "failed", "skipped".
const char* ResultWord(EResult result);
std::optional<EResult> ParseResultWord(const std::string& word);

struct SLogRow {
    std::string time;  // local time, 2026-12-09T10:15:02
    std::string model;
    std::string serial;
    EResult result = EResult::Failed;
    std::string file;      // the parameter file
    std::string checksum;  // "sha256:" and the file's SHA-256 in hexadecimal
    std::string backup;    // the copy of the radio's memory taken before the write
    std::string message;
};

// The first line of every log.
inline constexpr const char* kLogHeader = "time,model,serial,result,file,checksum,backup,message";

// The log beside a parameter file: its name with the extension .fleet.csv.
std::filesystem::path DefaultLogFile(const std::filesystem::path& parameterFile);
// The current local time as the log writes it.
std::string LogTime();
// The checksum as the log records it for the file's bytes.
std::string FileChecksum(const std::string& bytes);

class CFleetLog {
  public:
    // Opens (creates when missing) the log and reads the rows it holds; a torn last line is cut
    // off and kept in TornLine. Throws std::runtime_error (a message for the user) when the file
    // cannot be opened or is not a group log.
    explicit CFleetLog(const std::filesystem::path& file);
    CFleetLog(const CFleetLog&) = delete;
    CFleetLog& operator=(const CFleetLog&) = delete;

    const std::filesystem::path& File() const { return file_; }
    const std::vector<SLogRow>& Rows() const { return rows_; }
    // The incomplete last line found on opening, without its line end; "" when there was none.
    const std::string& TornLine() const { return torn_; }
    // Whether the radio was written with the file of this checksum according to the log.
    bool WasWritten(const std::string& model, const std::string& serial,
                    const std::string& checksum) const;
    // Appends the row as one line and flushes it to the disk; throws std::runtime_error when it
    // cannot.
    void Append(const SLogRow& row);

  private:
    void WriteLine(const std::string& line);

    std::filesystem::path file_;
    struct SFd {
        int fd = -1;
        ~SFd();
    } fd_;
    std::vector<SLogRow> rows_;
    std::string torn_;
};

// The log's line for a row, CR LF ended; line breaks inside fields become spaces, so that each
// row stays one line.
std::string LogLine(const SLogRow& row);

}  // namespace fleet
