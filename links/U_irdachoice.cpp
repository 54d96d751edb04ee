#include "U_irdachoice.h"

#include <cstdlib>

#include "U_virtualirda.h"
#include "kirda/U_kernelirda.h"
#include "sir/U_sirplatform.h"
#include "usb/U_usbadapters.h"
#include "usb/U_usbplatform.h"

namespace {
const char* NonEmptyEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}
}  // namespace

SIrdaPlatformChoice SIrdaPlatformChoice::FromEnvironment() {
    return FromEnvironment([] { return KernelIrdaAvailable(); });
}

SIrdaPlatformChoice SIrdaPlatformChoice::FromEnvironment(
    const std::function<bool()>& kernelAvailable) {
    SIrdaPlatformChoice choice;
    if (NonEmptyEnvironment("TESSEL_IRDA_DIR")) {
        choice.kind = EIrdaPlatformKind::Virtual;
        choice.fixed = true;
    } else if (const char* port = NonEmptyEnvironment("TESSEL_IRDA_PORT")) {
        choice.kind = EIrdaPlatformKind::Sir;
        choice.port = port;
        choice.fixed = true;
        return choice;
    } else if (kernelAvailable()) {
        choice.kind = EIrdaPlatformKind::Kernel;
        return choice;
    }
    choice.virtualDirectory = DefaultIrdaDirectory();
    // A folder the user named is the user's business; the default one must be private.
    if (!NonEmptyEnvironment("TESSEL_IRDA_DIR"))
        choice.refusal = PrepareIrdaFolder(choice.virtualDirectory);
    return choice;
}

std::unique_ptr<IIrdaPlatform> MakeIrdaPlatform(const SIrdaPlatformChoice& choice) {
    return MakeIrdaPlatform(choice, usb::HostBus());
}

std::unique_ptr<IIrdaPlatform> MakeIrdaPlatform(const SIrdaPlatformChoice& choice,
                                                usb::BusFactory bus) {
    switch (choice.kind) {
        case EIrdaPlatformKind::Sir:
            if (usb::IsUsbPortName(choice.port))
                return usb::MakeUsbIrdaPlatform(choice.port, SSirSettings::FromEnvironment(),
                                                std::move(bus));
            return MakeSirIrdaPlatform(choice.port);
        case EIrdaPlatformKind::Kernel:
            return MakeKernelIrdaPlatform();
        case EIrdaPlatformKind::Virtual:
            break;
    }
    if (!choice.refusal.empty()) return nullptr;
    return std::make_unique<CVirtualIrda>(choice.virtualDirectory);
}

std::string DescribeIrdaPlatform(const SIrdaPlatformChoice& choice) {
    switch (choice.kind) {
        case EIrdaPlatformKind::Sir:
            if (usb::IsUsbPortName(choice.port))
                return "IrDA: userspace stack on the USB infrared adapter " + choice.port;
            return "IrDA: userspace stack on the infrared adapter " + choice.port;
        case EIrdaPlatformKind::Kernel:
            return "IrDA: the system's IrDA sockets";
        case EIrdaPlatformKind::Virtual:
            break;
    }
    if (!choice.refusal.empty()) return "IrDA: " + choice.refusal;
    return "IrDA: virtual neighbourhood in " + choice.virtualDirectory.string();
}
