#pragma once
// The parameter files last opened or saved, newest first, kept from one run of the program to
// the next among the program's settings (CSettings).

#include <string>
#include <vector>

class CRecentFiles {
  public:
    static constexpr std::size_t kMaxFiles = 10;

    std::vector<std::string> Files() const;
    // Puts the file first; an older entry of the same file goes, and so does the eleventh.
    void Add(const std::string& file);
};
