#include "U_radionet.h"

#include <cstdio>
#include <cstdlib>

#include "U_virtualirda.h"
#include "usb/U_usbplatform.h"

SLinkConfig SLinkConfig::FromEnvironment() {
    const SIrdaPlatformChoice choice = SIrdaPlatformChoice::FromEnvironment();
    SLinkConfig config;
    config.irdaDirectory = choice.virtualDirectory;
    config.irdaPlatform = choice.kind;
    config.irdaPort = choice.port;
    config.irdaRefusal = choice.refusal;
    config.irdaFixed = choice.fixed;
    config.irdaMode = IrdaModeFromEnvironment();
    config.serialPorts = EnumerateSerialPorts();
    return config;
}

SIrdaPlatformChoice SLinkConfig::IrdaChoice() const {
    return {irdaPlatform, irdaDirectory, irdaPort, irdaRefusal, irdaFixed};
}

CLinkPorts::CLinkPorts() : CLinkPorts(SLinkConfig::FromEnvironment()) {}

CLinkPorts::CLinkPorts(const SLinkConfig& config)
    : automatic_(config.IrdaChoice()),
      irdaPlatform_(automatic_),
      usbBus_(usb::HostBus()),
      irda_(MakeIrdaPlatform(irdaPlatform_, usbBus_), config.irdaMode),
      serial_(config.serialPorts.empty() ? std::vector<std::string>{kFallbackSerialPort}
                                         : config.serialPorts) {}

void CLinkPorts::ChooseIrdaPlatform(const std::string& setting) {
    const SIrdaPlatformChoice chosen = ChosenIrdaPlatform(automatic_, setting);
    if (!(chosen == irdaPlatform_)) UsePlatform(chosen);
}

std::vector<SIrdaAdapterOption> CLinkPorts::IrdaAdapters(const std::string& kept) const {
    return ListIrdaAdapters(automatic_, SIrdaAdapterSources::Host(usbBus_), kept);
}

void CLinkPorts::SetUsbBus(usb::BusFactory bus) {
    usbBus_ = std::move(bus);
    UsePlatform(irdaPlatform_);
}

void CLinkPorts::UsePlatform(const SIrdaPlatformChoice& choice) {
    irdaPlatform_ = choice;
    irda_.setPlatform(MakeIrdaPlatform(irdaPlatform_, usbBus_));
}

void CLinkPorts::SetWindow(std::chrono::milliseconds window) {
    irda_.setWindow(window);
    serial_.setWindow(window);
}

CRadioNet::CRadioNet(std::unique_ptr<CRadioSocket> socket)
    : kind_(PR_NET_IRDA), socket_(std::move(socket)) {}

CRadioNet::CRadioNet(std::unique_ptr<CRadioSerial> serial)
    : kind_(PR_NET_SP), serial_(std::move(serial)) {}

ESessionEnd CRadioNet::SessionEnd() const {
    return socket_ ? socket_->SessionEnd() : ESessionEnd::Open;
}

std::string CRadioNet::Failure() const {
    return socket_ ? socket_->Failure() : serial_ ? serial_->Failure() : std::string();
}

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

std::string IrdaDeviceText(std::span<const std::uint8_t, 4> id) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(id[i]) << (8 * i);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", value);
    return text;
}

namespace {

int SearchedKind(const IRadioQualifier& qualifier) {
    const IRadio* radio = qualifier.Radio();
    const IRadioWare* ware = radio ? radio->Ware() : nullptr;
    const int kinds = ware ? ware->LinkKinds() : 0;
    if (kinds & PR_NET_IRDA) return PR_NET_IRDA;
    if (kinds & PR_NET_SP) return PR_NET_SP;
    return 0;
}

SFoundRadio FoundOnIrda(const CRadioSocket& link, const SIrdaDevice& device) {
    const CRadioInfo& info = link.Info();
    return {info.FW(), info.SN(), PR_NET_IRDA, IrdaDeviceText(device.id)};
}

// The serial identification carries no serial number: the qualifier's radio has just taken it.
SFoundRadio FoundOnSerial(const CRadioSerial& link, const std::string& port,
                          const IRadioQualifier& qualifier) {
    return {link.Info().FW(), qualifier.Radio()->SerialNumber(), PR_NET_SP, port};
}

}  // namespace

SRadioSearch SearchRadios(IRadioQualifier& qualifier, CLinkPorts& ports) {
    SRadioSearch result;
    std::vector<SFoundRadio>& found = result.found;
    switch (SearchedKind(qualifier)) {
        case PR_NET_IRDA: {
            SIrdaSearch search;
            // The last device's link is kept while it is the only radio: nothing follows that
            // could need the socket.
            search.take = [&found](const CRadioSocket& link, const SIrdaDevice& device, bool last) {
                found.push_back(FoundOnIrda(link, device));
                return last && found.size() == 1;
            };
            if (auto socket = SearchIrda(ports.Irda(), qualifier, search))
                result.net = std::make_unique<CRadioNet>(std::move(socket));
            break;
        }
        case PR_NET_SP: {
            const SerialTake take = [&found, &qualifier](const CRadioSerial& link,
                                                         const std::string& port, bool last) {
                found.push_back(FoundOnSerial(link, port, qualifier));
                return last && found.size() == 1;
            };
            if (auto serial = SearchSerial(ports.Serial(), qualifier, take))
                result.net = std::make_unique<CRadioNet>(std::move(serial));
            break;
        }
    }
    return result;
}

std::vector<SFoundRadio> ListRadios(IRadioQualifier& qualifier, CLinkPorts& ports) {
    return SearchRadios(qualifier, ports).found;  // the link kept, if any, closes here
}

std::unique_ptr<CRadioNet> OpenRadio(IRadioQualifier& qualifier, CLinkPorts& ports,
                                     const std::string& serialNumber) {
    switch (SearchedKind(qualifier)) {
        case PR_NET_IRDA: {
            SIrdaSearch search;
            search.wanted = [&serialNumber](const CRadioInfo& info) {
                return info.SN() == serialNumber;
            };
            auto socket = SearchIrda(ports.Irda(), qualifier, search);
            return socket ? std::make_unique<CRadioNet>(std::move(socket)) : nullptr;
        }
        case PR_NET_SP: {
            auto serial = SearchSerial(
                ports.Serial(), qualifier,
                [&serialNumber, &qualifier](const CRadioSerial&, const std::string&, bool) {
                    return qualifier.Radio()->SerialNumber() == serialNumber;
                });
            return serial ? std::make_unique<CRadioNet>(std::move(serial)) : nullptr;
        }
    }
    return nullptr;
}
