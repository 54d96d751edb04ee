#pragma once
// The files of the channel lists, the printable list and the copies before a write: written
// whole or not at all through the parameter files' own path (a temporary file beside the target,
// renamed over it), read only when they are regular files of bounded size.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "U_fileio.h"

namespace interchange {

// "" when written; otherwise why not, for a person (the target is then as it was). A new file
// gets newMode less the umask; a replaced one keeps its permissions.
std::string WriteOutputFile(const std::filesystem::path& file, std::string_view bytes,
                            mode_t newMode = 0666);
// "" when the whole file is in bytes; otherwise why not, for a person.
std::string ReadInputFile(const std::filesystem::path& file, std::string& bytes,
                          std::size_t limit = fileio::kInputLimit);

}  // namespace interchange
