#pragma once
// Loading shared libraries by path and finding their exports: the one place that talks to the
// platform's dynamic loader.

#include <filesystem>
#include <string>

namespace platform {

using LibraryHandle = void*;

// Null when the library does not load.
LibraryHandle LoadLibrary(const std::filesystem::path& path);
// Null when the library has no export of that name.
void* FindExport(LibraryHandle library, const char* name);
void FreeLibrary(LibraryHandle library);

// The directory of the running executable.
std::filesystem::path ExecutableDirectory();

}  // namespace platform
