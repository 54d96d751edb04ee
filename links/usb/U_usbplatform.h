#pragma once
// The userspace IrDA stack on a USB infrared adapter: the adapter chosen by the user's
// selector, its driver, and under IrLAP either the SIR line on the host-wrapping chips or the
// bridge's own frames. Also the list of plugged adapters for the port lists.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "U_usbadapters.h"
#include "U_usbdevice.h"
#include "sir/U_sirplatform.h"

namespace usb {

// The host's own USB.
BusFactory HostBus();

struct SUsbAdapter {
    SUsbDeviceInfo info;
    EAdapterKind kind = EAdapterKind::IrdaBridge;

    // The selector that names exactly this adapter: "usb:066f:4200@1-2".
    std::string Selector() const;
    // "SigmaTel STIr4200 066f:4200 bus 1-2 serial 12345 (Maker Product)".
    std::string Summary() const;
};

std::vector<SUsbAdapter> ListUsbAdapters(IUsbBus& bus);
// Through the host's USB; empty when it has none.
std::vector<SUsbAdapter> ListUsbAdapters();

// The medium for the stack: opened on Open, the bus asked afresh each time.
std::unique_ptr<sir::ILapMedium> MakeUsbMedium(const std::string& port, BusFactory bus);

std::unique_ptr<IIrdaPlatform> MakeUsbIrdaPlatform(const std::string& port,
                                                   const SSirSettings& settings,
                                                   BusFactory bus = HostBus());

}  // namespace usb
