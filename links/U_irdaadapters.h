#pragma once
// The infrared adapters a user may choose among in the window, and what a kept choice means:
// "" for the automatic choice (what the environment or the system gives), "kernel" for the
// system's IrDA sockets, a serial port ("/dev/ttyUSB0") or a USB adapter's selector
// ("usb:066f:4200@1-2").

#include <functional>
#include <string>
#include <vector>

#include "U_irdachoice.h"
#include "usb/U_usbdevice.h"

inline constexpr const char* kKernelIrdaSetting = "kernel";

struct SIrdaAdapterOption {
    std::string setting;  // as kept in the settings
    std::string label;    // for the list, in Russian
    bool present = true;  // false: the kept choice, not found now

    bool operator==(const SIrdaAdapterOption&) const = default;
};

// Where the list looks; Host() asks the running system.
struct SIrdaAdapterSources {
    std::function<bool()> kernelAvailable;
    std::function<std::vector<std::string>()> serialPorts;
    std::function<std::string(const std::string& port)> serialSummary;  // "" when unknown
    usb::BusFactory usbBus;

    static SIrdaAdapterSources Host(usb::BusFactory usbBus);
};

// The automatic choice first, then the system's sockets when it has them, each serial port and
// each plugged USB adapter; the kept choice at the end when it is none of those.
std::vector<SIrdaAdapterOption> ListIrdaAdapters(const SIrdaPlatformChoice& automatic,
                                                 const SIrdaAdapterSources& sources,
                                                 const std::string& kept);

// The platform a kept choice names; the automatic one for "" and while the environment fixes
// the platform.
SIrdaPlatformChoice ChosenIrdaPlatform(const SIrdaPlatformChoice& automatic,
                                       const std::string& setting);
