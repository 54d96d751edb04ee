// The ports verb: which IrDA platform the program talks through and the serial ports it sees,
// with what the system knows of each, so that a user can find the infrared adapter's port.

#include <unistd.h>

#include <iostream>
#include <string>

#include "U_cli.h"
#include "U_irdachoice.h"
#include "U_irdasocket.h"
#include "U_portinfo.h"
#include "U_serialport.h"

namespace cli {

namespace {

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
    if (platform.kind == EIrdaPlatformKind::Sir)
        std::cout << "adapter\t" << platform.port << '\t' << AdapterState(platform.port) << '\n';
    if (platform.kind == EIrdaPlatformKind::Kernel && mode == EIrdaMode::Packet)
        std::cout << "note\tthe system's IrDA sockets always run TinyTP: the packet mode needs "
                     "an adapter named by TESSEL_IRDA_PORT\n";
    for (const std::string& port : EnumerateSerialPorts()) {
        const std::string summary = DescribeSerialPort(port).Summary();
        std::cout << "port\t" << port << (summary.empty() ? "" : "\t" + summary) << '\n';
    }
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
