// The ports verb: which IrDA platform the program talks through and the serial ports it sees,
// with what the system knows of each, so that a user can find the infrared adapter's port.

#include <iostream>

#include "U_cli.h"
#include "U_irdachoice.h"
#include "U_irdasocket.h"
#include "U_portinfo.h"
#include "U_serialport.h"

namespace cli {

namespace {

int RunPorts(const CArgs& args, CContext& /*context*/) {
    args.ExpectPositional(0);
    const SIrdaPlatformChoice platform = SIrdaPlatformChoice::FromEnvironment();
    const EIrdaMode mode = IrdaModeFromEnvironment();
    std::cout << "platform\t" << DescribeIrdaPlatform(platform) << '\n'
              << "mode\t" << (mode == EIrdaMode::Packet ? "packet" : "stream") << '\n';
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
