#include "U_radionet.h"

#include <cstdlib>

#include "U_virtualirda.h"

SLinkConfig SLinkConfig::FromEnvironment() {
    const SIrdaPlatformChoice choice = SIrdaPlatformChoice::FromEnvironment();
    SLinkConfig config;
    config.irdaDirectory = choice.virtualDirectory;
    config.irdaPlatform = choice.kind;
    config.irdaPort = choice.port;
    config.irdaMode = IrdaModeFromEnvironment();
    config.serialPorts = EnumerateSerialPorts();
    return config;
}

SIrdaPlatformChoice SLinkConfig::IrdaChoice() const {
    return {irdaPlatform, irdaDirectory, irdaPort};
}

CLinkPorts::CLinkPorts() : CLinkPorts(SLinkConfig::FromEnvironment()) {}

CLinkPorts::CLinkPorts(const SLinkConfig& config)
    : irdaPlatform_(config.IrdaChoice()),
      irda_(MakeIrdaPlatform(irdaPlatform_), config.irdaMode),
      serial_(config.serialPorts.empty() ? std::vector<std::string>{kFallbackSerialPort}
                                         : config.serialPorts) {}

void CLinkPorts::SetWindow(std::chrono::milliseconds window) {
    irda_.setWindow(window);
    serial_.setWindow(window);
}

CRadioNet::CRadioNet(std::unique_ptr<CRadioSocket> socket)
    : kind_(PR_NET_IRDA), socket_(std::move(socket)) {}

CRadioNet::CRadioNet(std::unique_ptr<CRadioSerial> serial)
    : kind_(PR_NET_SP), serial_(std::move(serial)) {}

void* CRadioNet::link() const {
    if (kind_ == PR_NET_IRDA) return static_cast<IRadioSocket*>(socket_.get());
    return static_cast<IRadioSerial*>(serial_.get());
}

std::unique_ptr<CRadioNet> FindRadio(IRadioQualifier& qualifier, CLinkPorts& ports) {
    const IRadio* radio = qualifier.Radio();
    const IRadioWare* ware = radio ? radio->Ware() : nullptr;
    if (!ware) return nullptr;
    const int kinds = ware->LinkKinds();
    if (kinds & PR_NET_IRDA) {
        auto socket = SearchIrda(ports.Irda(), qualifier);
        return socket ? std::make_unique<CRadioNet>(std::move(socket)) : nullptr;
    }
    if (kinds & PR_NET_SP) {
        auto serial = SearchSerial(ports.Serial(), qualifier);
        return serial ? std::make_unique<CRadioNet>(std::move(serial)) : nullptr;
    }
    return nullptr;
}
