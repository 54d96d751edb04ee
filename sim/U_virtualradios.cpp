#include "U_virtualradios.h"

#include <cstdlib>
#include <stdexcept>

#include "U_simoptions.h"
#include "U_sirradio.h"

namespace sim {

namespace {

std::filesystem::path MakePrivateDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tessel-radios-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a directory for the virtual radios");
    return pattern;
}

}  // namespace

CVirtualRadios::CVirtualRadios(const std::vector<std::string>& descriptions)
    : directory_(MakePrivateDirectory()) {
    try {
        for (std::size_t i = 0; i < descriptions.size(); ++i) {
            SVirtualRadioOptions options;
            std::string error;
            if (!ParseVirtualRadio(descriptions[i], options, error))
                throw std::invalid_argument(error);
            // Radios are reported in the order given.
            if (!options.deviceId) options.deviceId = static_cast<std::uint32_t>(i + 1);
            auto radio = CVirtualRadio::Create(options, error);
            if (!radio) throw std::invalid_argument(error);
            radios_.push_back(std::move(radio));
            CVirtualRadio& added = *radios_.back();
            if (options.sir) {
                servers_.push_back(std::make_unique<CSirRadioServer>(added));
                sirPort_ = servers_.back()->Address();
            } else if (options.link == ELink::Irda) {
                servers_.push_back(std::make_unique<CIrdaRadioServer>(added, directory_));
            } else {
                servers_.push_back(std::make_unique<CSerialRadioServer>(added));
                serialPorts_.push_back(servers_.back()->Address());
            }
        }
    } catch (...) {
        servers_.clear();
        std::error_code ec;
        std::filesystem::remove_all(directory_, ec);
        throw;
    }
}

CVirtualRadios::~CVirtualRadios() {
    servers_.clear();  // stops the threads before the radios they serve go
    radios_.clear();
    std::error_code ec;
    std::filesystem::remove_all(directory_, ec);
}

SLinkConfig CVirtualRadios::LinkConfig() const {
    SLinkConfig config;
    config.irdaDirectory = directory_;
    config.irdaMode = IrdaModeFromEnvironment();
    config.serialPorts = serialPorts_;
    if (!sirPort_.empty()) {
        // A radio on a serial infrared line is reached through the adapter stack instead.
        config.irdaPlatform = EIrdaPlatformKind::Sir;
        config.irdaPort = sirPort_;
    }
    return config;
}

}  // namespace sim
