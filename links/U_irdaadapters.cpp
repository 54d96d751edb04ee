#include "U_irdaadapters.h"

#include <algorithm>
#include <memory>

#include "U_portinfo.h"
#include "U_serialport.h"
#include "kirda/U_kernelirda.h"
#include "usb/U_usbplatform.h"

SIrdaAdapterSources SIrdaAdapterSources::Host(usb::BusFactory usbBus) {
    return {[] { return KernelIrdaAvailable(); }, [] { return EnumerateSerialPorts(); },
            [](const std::string& port) { return DescribeSerialPort(port).Summary(); },
            std::move(usbBus)};
}

std::vector<SIrdaAdapterOption> ListIrdaAdapters(const SIrdaPlatformChoice& automatic,
                                                 const SIrdaAdapterSources& sources,
                                                 const std::string& kept) {
    std::vector<SIrdaAdapterOption> options;
    options.push_back({"", "Автоматически: " + DescribeIrdaPlatform(automatic)});
    if (sources.kernelAvailable && sources.kernelAvailable())
        options.push_back({kKernelIrdaSetting, "ИК-порт системы (сокеты IrDA ядра)"});
    if (sources.serialPorts)
        for (const std::string& port : sources.serialPorts()) {
            const std::string summary = sources.serialSummary ? sources.serialSummary(port) : "";
            options.push_back(
                {port, "ИК-адаптер на порту " + port + (summary.empty() ? "" : " — " + summary)});
        }
    if (const std::unique_ptr<usb::IUsbBus> bus = sources.usbBus ? sources.usbBus() : nullptr)
        for (const usb::SUsbAdapter& adapter : usb::ListUsbAdapters(*bus))
            options.push_back({adapter.Selector(), "ИК-адаптер USB " + adapter.Summary()});
    // An adapter kept but unplugged now stays visible, so the user sees what is chosen.
    if (!kept.empty() && std::none_of(options.begin(), options.end(),
                                      [&kept](const auto& o) { return o.setting == kept; }))
        options.push_back({kept, kept + " (не найден)", false});
    return options;
}

SIrdaPlatformChoice ChosenIrdaPlatform(const SIrdaPlatformChoice& automatic,
                                       const std::string& setting) {
    if (automatic.fixed || setting.empty()) return automatic;
    SIrdaPlatformChoice choice;
    if (setting == kKernelIrdaSetting) {
        choice.kind = EIrdaPlatformKind::Kernel;
        return choice;
    }
    choice.kind = EIrdaPlatformKind::Sir;
    choice.port = setting;
    return choice;
}
