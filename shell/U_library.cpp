#include "U_library.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <system_error>

namespace platform {

namespace {

constexpr int kTrialLoaded = 0, kTrialNotLoaded = 1, kTrialThrew = 2;

// The loader is declared not to throw, but a library's static initialisation can throw through
// it. Called through a pointer the compiler cannot see through, the handlers around the call
// are kept.
void* OpenMayThrow(const char* path, int mode) {
    void* (*volatile open)(const char*, int) = &dlopen;
    return open(path, mode);
}

}  // namespace

LibraryHandle LoadLibrary(const std::filesystem::path& path) {
    // Each plug-in keeps its symbols to itself; they share only the program's libraries.
    return OpenMayThrow(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

bool SurvivesLoading(const std::filesystem::path& path, std::chrono::milliseconds limit) {
    const pid_t child = fork();
    if (child < 0) return true;
    if (child == 0) {
        // What the copy's end prints is not the program's to show.
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        // Whatever the initialisation throws ends the copy here, never in the caller's code.
        std::set_terminate([] { _exit(kTrialThrew); });
        int code = kTrialThrew;
        try {
            code =
                OpenMayThrow(path.c_str(), RTLD_NOW | RTLD_LOCAL) ? kTrialLoaded : kTrialNotLoaded;
        } catch (...) {
        }
        _exit(code);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        // A library that does not load fails in the caller too, without harm.
        if (done == child)
            return WIFEXITED(status) &&
                   (WEXITSTATUS(status) == kTrialLoaded || WEXITSTATUS(status) == kTrialNotLoaded);
        if (done < 0) return true;  // gone without a word: load as usual
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        usleep(500);
    }
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
