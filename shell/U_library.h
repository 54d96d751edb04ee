#pragma once
// Loading shared libraries by path and finding their exports: the one place that talks to the
// platform's dynamic loader.

#include <chrono>
#include <filesystem>
#include <string>

namespace platform {

using LibraryHandle = void*;

// Null when the library does not load.
LibraryHandle LoadLibrary(const std::filesystem::path& path);
// Loads the library once in a short-lived copy of the process first. False when that copy
// did not come through: the library's own initialisation threw (which the loader turns into
// the end of the process), crashed or did not finish within limit. True otherwise, also when
// no copy could be made.
bool SurvivesLoading(const std::filesystem::path& path, std::chrono::milliseconds limit);
// Null when the library has no export of that name.
void* FindExport(LibraryHandle library, const char* name);
void FreeLibrary(LibraryHandle library);

// The directory of the running executable.
std::filesystem::path ExecutableDirectory();

}  // namespace platform
