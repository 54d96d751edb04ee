#pragma once
// The module registry: every plug-in found under "РС" next to the executable, loaded once at
// start-up, kept in byte order of its library's file name, released and unloaded at the end.

#include <filesystem>
#include <string>
#include <vector>

#include "U_library.h"
#include "U_radioware.h"

struct SModule {
    platform::LibraryHandle hLib = nullptr;
    std::string path;
    IRadioWare* ware = nullptr;
};

class CModules {
  public:
    // Discovers and loads the plug-ins under moduleRoot; a missing root gives no modules.
    explicit CModules(const std::filesystem::path& moduleRoot = DefaultModuleRoot());
    ~CModules();
    CModules(const CModules&) = delete;
    CModules& operator=(const CModules&) = delete;

    int Count() const { return static_cast<int>(modules_.size()); }
    const SModule& Get(int index) const { return modules_.at(static_cast<std::size_t>(index)); }

    // The About box's module list: "Модули: ALDER (версия 1.1.0); BIRCH (версия 1.2.3)".
    std::string Summary() const;

    // "РС" beside the running executable.
    static std::filesystem::path DefaultModuleRoot();

  private:
    void Discover(const std::filesystem::path& moduleRoot);

    std::vector<SModule> modules_;
};

// The radios of all modules in registry order, each module's radios in its own order: the
// order of the radio list, of the file-type filter and of "Open as".
std::vector<IRadio*> RadioList(const CModules& modules);
