#pragma once
// Which IrDA platform the program talks through: the virtual neighbourhood (TESSEL_IRDA_DIR),
// the userspace stack on a serial infrared adapter (TESSEL_IRDA_PORT=/dev/ttyUSB0) or a USB one
// (TESSEL_IRDA_PORT=usb, usb:VID:PID or usb:VID:PID@BUS-PORT), the kernel's IrDA
// sockets where the running system has them, else the virtual neighbourhood's default folder.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "U_irdaplatform.h"
#include "usb/U_usbdevice.h"

enum class EIrdaPlatformKind { Virtual, Sir, Kernel };

struct SIrdaPlatformChoice {
    EIrdaPlatformKind kind = EIrdaPlatformKind::Virtual;
    std::filesystem::path virtualDirectory;  // Virtual
    std::string port;                        // Sir: the adapter's serial port, or "usb..."
    // Virtual: why the default folder is not used (see PrepareIrdaFolder); "" when it is.
    std::string refusal;
    // Named by the environment (TESSEL_IRDA_DIR, TESSEL_IRDA_PORT) or the command line: the
    // window's choice of an adapter does not apply while it is.
    bool fixed = false;

    bool operator==(const SIrdaPlatformChoice&) const = default;

    static SIrdaPlatformChoice FromEnvironment();
    // The same, with the question whether the system has IrDA sockets asked of kernelAvailable.
    static SIrdaPlatformChoice FromEnvironment(const std::function<bool()>& kernelAvailable);
};

// Null for a refused folder: the socket then never opens and the search finds nothing. A USB
// adapter is sought on bus (the host's USB unless a test gives its own).
std::unique_ptr<IIrdaPlatform> MakeIrdaPlatform(const SIrdaPlatformChoice& choice);
std::unique_ptr<IIrdaPlatform> MakeIrdaPlatform(const SIrdaPlatformChoice& choice,
                                                usb::BusFactory bus);

// One line for the user: which platform is in use and where it looks.
std::string DescribeIrdaPlatform(const SIrdaPlatformChoice& choice);
