#include "U_outfile.h"

namespace interchange {

std::string WriteOutputFile(const std::filesystem::path& file, std::string_view bytes,
                            mode_t newMode) {
    return fileio::WriteProblemText(file, fileio::ReplaceFile(file, bytes, newMode));
}

std::string ReadInputFile(const std::filesystem::path& file, std::string& bytes,
                          std::size_t limit) {
    int error = 0;
    const fileio::EReadResult result = fileio::ReadWholeFile(file, bytes, limit, &error);
    return fileio::ReadProblemText(file, result, error, limit);
}

}  // namespace interchange
