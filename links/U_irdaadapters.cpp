#include "U_irdaadapters.h"

#include <algorithm>
#include <memory>

#include "U_portinfo.h"
#include "U_serialport.h"
#include "kirda/U_kernelirda.h"
#include "usb/U_usbadapters.h"
#include "usb/U_usbplatform.h"

namespace {

// What the system knows of a serial port, for the window: "драйвер ftdi_sio, USB 0403:6001,
// FTDI FT232R USB UART".
std::string SerialPortLabel(const SPortInfo& info) {
    std::string text;
    const auto add = [&text](const std::string& part) {
        if (part.empty()) return;
        if (!text.empty()) text += ", ";
        text += part;
    };
    if (!info.driver.empty()) add("драйвер " + info.driver);
    if (info.IsUsb()) add("USB " + info.usbVendor + ":" + info.usbProduct);
    add((info.manufacturer + " " + info.product).substr(info.manufacturer.empty() ? 1 : 0));
    return text;
}

// A plugged USB adapter, for the window: "SigmaTel STIr4200 066f:4200, порт USB 1-2, серийный
// номер 12345 (Maker Product)".
std::string UsbAdapterLabel(const usb::SUsbAdapter& adapter) {
    const usb::SUsbDeviceInfo& info = adapter.info;
    std::string text = usb::KindName(adapter.kind) + " " + usb::IdText(info.vendor, info.product) +
                       ", порт USB " + info.busPath;
    if (!info.serial.empty()) text += ", серийный номер " + info.serial;
    std::string names = info.manufacturer;
    if (!info.productName.empty()) names += (names.empty() ? "" : " ") + info.productName;
    if (!names.empty()) text += " (" + names + ")";
    return text;
}

// The platform the automatic choice gives, in the window's words.
std::string PlatformLabel(const SIrdaPlatformChoice& choice) {
    switch (choice.kind) {
        case EIrdaPlatformKind::Sir:
            return (usb::IsUsbPortName(choice.port) ? "ИК-адаптер USB " : "ИК-адаптер на порту ") +
                   choice.port;
        case EIrdaPlatformKind::Kernel:
            return "ИК-порт системы (сокеты IrDA ядра)";
        case EIrdaPlatformKind::Virtual:
            break;
    }
    if (!choice.refusal.empty()) return choice.refusal;
    return "виртуальные радиостанции в папке " + choice.virtualDirectory.string();
}

}  // namespace

SIrdaAdapterSources SIrdaAdapterSources::Host(usb::BusFactory usbBus) {
    return {[] { return KernelIrdaAvailable(); }, [] { return EnumerateSerialPorts(); },
            [](const std::string& port) { return SerialPortLabel(DescribeSerialPort(port)); },
            std::move(usbBus)};
}

std::vector<SIrdaAdapterOption> ListIrdaAdapters(const SIrdaPlatformChoice& automatic,
                                                 const SIrdaAdapterSources& sources,
                                                 const std::string& kept) {
    std::vector<SIrdaAdapterOption> options;
    options.push_back({"", "Автоматически: " + PlatformLabel(automatic)});
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
            options.push_back({adapter.Selector(), "ИК-адаптер USB " + UsbAdapterLabel(adapter)});
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
