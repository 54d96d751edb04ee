#pragma once
// Output files written whole or not at all: the text goes to a temporary file beside the
// target, which is then renamed over it, so a failure never leaves half a file.

#include <filesystem>
#include <string_view>

namespace interchange {

// False when the file could not be written; the target is then as it was.
bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);
// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes);

}  // namespace interchange
