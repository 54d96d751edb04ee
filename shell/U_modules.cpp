#include "U_modules.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace fs = std::filesystem;

namespace {
constexpr const char* kModuleRootName = "РС";
constexpr const char* kLibrarySuffix = ".so";
// Far beyond the few milliseconds a plug-in takes to load.
constexpr std::chrono::milliseconds kTrialLoadLimit{5000};
}  // namespace

fs::path CModules::DefaultModuleRoot() {
    return platform::ExecutableDirectory() / kModuleRootName;
}

CModules::CModules(const fs::path& moduleRoot) {
    Discover(moduleRoot);
    // Byte order of the library's file name, as unsigned bytes (std::string compares so).
    std::stable_sort(modules_.begin(), modules_.end(), [](const SModule& a, const SModule& b) {
        return fs::path(a.path).filename().string() < fs::path(b.path).filename().string();
    });
}

void CModules::Discover(const fs::path& moduleRoot) {
    std::error_code error;
    fs::directory_iterator entries(moduleRoot, error);
    if (error) return;  // no module root: the program runs with no radios
    for (const fs::directory_entry& entry : entries) {
        std::error_code typeError;
        if (!entry.is_directory(typeError)) continue;
        const std::string name = entry.path().filename().string();
        const fs::path candidate = entry.path() / (name + kLibrarySuffix);
        if (!fs::is_regular_file(candidate, typeError)) continue;

        // A library whose own initialisation throws would end the program from inside the
        // loader, where no handler of ours is reached: it is tried in a copy of the process
        // first and passed over, like one that does not load.
        if (!platform::SurvivesLoading(candidate, kTrialLoadLimit)) continue;
        SModule module;
        module.path = candidate.string();
        try {
            module.hLib = platform::LoadLibrary(candidate);
        } catch (...) {
            continue;  // where the loader lets the exception through after all
        }
        const auto getWare = reinterpret_cast<GetRadioWareFunc>(
            platform::FindExport(module.hLib, kGetRadioWareName));
        if (!getWare) {
            platform::FreeLibrary(module.hLib);
            continue;
        }
        try {
            module.ware = getWare();
        } catch (...) {
            // A plug-in that fails to build its module object is passed over; its library
            // stays loaded, as whatever it set up may still be referenced.
            continue;
        }
        if (!module.ware) {
            platform::FreeLibrary(module.hLib);
            continue;
        }
        modules_.push_back(std::move(module));
    }
}

CModules::~CModules() {
    for (SModule& module : modules_) {
        const auto release = reinterpret_cast<ReleaseRadioWareFunc>(
            platform::FindExport(module.hLib, kReleaseRadioWareName));
        if (release) release();
        platform::FreeLibrary(module.hLib);
    }
}

std::string CModules::Summary() const {
    std::string text = "Модули: ";
    for (std::size_t i = 0; i < modules_.size(); ++i) {
        if (i > 0) text += "; ";
        text += modules_[i].ware->Description();
        // An identifier may carry one "#" that is not shown.
        if (const std::size_t hash = text.find('#'); hash != std::string::npos) text.erase(hash, 1);
        text += " (версия " + modules_[i].ware->Version() + ")";
    }
    return text;
}

std::vector<IRadio*> RadioList(const CModules& modules) {
    std::vector<IRadio*> radios;
    for (int m = 0; m < modules.Count(); ++m) {
        IRadioWare* ware = modules.Get(m).ware;
        for (int r = 0; r < ware->RadioCount(); ++r) radios.push_back(ware->GetRadio(r));
    }
    return radios;
}
