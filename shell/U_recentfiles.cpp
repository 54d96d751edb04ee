#include "U_recentfiles.h"

#include <algorithm>
#include <sstream>

#include "U_settings.h"

namespace {

// One file per line under one key of the program's settings.
constexpr std::string_view kKey = "RecentFiles";

}  // namespace

std::vector<std::string> CRecentFiles::Files() const {
    std::vector<std::string> files;
    std::istringstream lines(CSettings().Text(kKey));
    for (std::string line; std::getline(lines, line) && files.size() < kMaxFiles;)
        if (!line.empty()) files.push_back(line);
    return files;
}

void CRecentFiles::Add(const std::string& file) {
    std::vector<std::string> files = Files();
    std::erase(files, file);
    files.insert(files.begin(), file);
    if (files.size() > kMaxFiles) files.resize(kMaxFiles);
    std::string text;
    for (const std::string& entry : files) text += entry + '\n';
    CSettings().SetText(kKey, text);
}
