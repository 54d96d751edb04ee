#include "U_library.h"

#include <dlfcn.h>

#include <system_error>

namespace platform {

LibraryHandle LoadLibrary(const std::filesystem::path& path) {
    // Each plug-in keeps its symbols to itself; they share only the program's libraries.
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindExport(LibraryHandle library, const char* name) {
    return library ? dlsym(library, name) : nullptr;
}

void FreeLibrary(LibraryHandle library) {
    if (library) dlclose(library);
}

std::filesystem::path ExecutableDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error);
    return self.parent_path();
}

}  // namespace platform
