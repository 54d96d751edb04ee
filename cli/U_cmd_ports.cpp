// The ports verb: which IrDA platform the program talks through and the serial ports it sees,
// with what the system knows of each, and the USB infrared adapters plugged in, so that a user
// can find the infrared adapter's port.

#include <unistd.h>

#include <iostream>
#include <string>

#include "U_cli.h"
#include "U_irdachoice.h"
#include "U_irdasocket.h"
#include "U_portinfo.h"
#include "U_serialport.h"
#include "usb/U_usbadapters.h"
#include "usb/U_usbplatform.h"

namespace cli {

namespace {

// Whether the USB adapter chosen is plugged in.
std::string UsbAdapterState(const std::string& port,
                            const std::vector<usb::SUsbAdapter>& adapters) {
    const auto selector = usb::ParseUsbSelector(port);
    if (!selector) return "not understood (usb, usb:VID:PID or usb:VID:PID@BUS-PORT)";
    for (const usb::SUsbAdapter& adapter : adapters)
        if (selector->Matches(adapter.info)) return "present: " + adapter.Selector();
    return "missing";
}

// Whether the adapter named can be used at all, before any radio is sought on it.
std::string AdapterState(const std::string& port) {
    if (::access(port.c_str(), F_OK) != 0) return "missing";
    if (::access(port.c_str(), R_OK | W_OK) != 0)
        return "no read and write access (the user needs the group dialout)";
    return "present";
}

int RunPorts(const CArgs& args, CContext& /*context*/) {
    args.ExpectPositional(0);
    const SIrdaPlatformChoice platform = SIrdaPlatformChoice::FromEnvironment();
    const EIrdaMode mode = IrdaModeFromEnvironment();
    std::cout << "platform\t" << DescribeIrdaPlatform(platform) << '\n'
              << "mode\t" << (mode == EIrdaMode::Packet ? "packet" : "stream") << '\n';
    const std::vector<usb::SUsbAdapter> adapters = usb::ListUsbAdapters();
    if (platform.kind == EIrdaPlatformKind::Sir)
        std::cout << "adapter\t" << platform.port << '\t'
                  << (usb::IsUsbPortName(platform.port) ? UsbAdapterState(platform.port, adapters)
                                                        : AdapterState(platform.port))
                  << '\n';
    if (platform.kind == EIrdaPlatformKind::Kernel && mode == EIrdaMode::Packet)
        std::cout << "note\tthe system's IrDA sockets always run TinyTP: the packet mode needs "
                     "an adapter named by TESSEL_IRDA_PORT\n";
    for (const std::string& port : EnumerateSerialPorts()) {
        const std::string summary = DescribeSerialPort(port).Summary();
        std::cout << "port\t" << port << (summary.empty() ? "" : "\t" + summary) << '\n';
    }
    // Each as TESSEL_IRDA_PORT names it, with the bus path that tells two alike apart.
    for (const usb::SUsbAdapter& adapter : adapters)
        std::cout << "usb\t" << adapter.Selector() << '\t' << adapter.Summary() << '\n';
    return kExitOk;
}

constexpr SCommand kCommands[] = {
    {"ports", "tessel-cli ports", {}, RunPorts},
};

}  // namespace

std::span<const SCommand> PortCommands() {
    return kCommands;
}

}  // namespace cli
