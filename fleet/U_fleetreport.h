#pragma once
// The printed report of a group write: an A4 PDF with the file and its checksum, the date, the
// operator's note, the counts and every radio with its outcome. Needs a QGuiApplication
// (offscreen will do).

#include <filesystem>
#include <string>
#include <vector>

#include "U_fleetlog.h"

namespace fleet {

struct SFleetReport {
    std::string model;  // the radio's name, as the window shows it
    std::filesystem::path file;
    std::string checksum;
    std::string note;  // the operator's, may be empty
    std::vector<SLogRow> rows;
};

// The rows of a log that belong to the group of this file and checksum.
std::vector<SLogRow> GroupRows(const std::vector<SLogRow>& rows, const std::string& checksum);
// False when the report cannot be drawn or written (the file is then as it was).
bool PrintFleetReport(const SFleetReport& report, const std::filesystem::path& out);

}  // namespace fleet
