#include "U_irdachoice.h"

#include <cstdlib>

#include "U_virtualirda.h"
#include "kirda/U_kernelirda.h"
#include "sir/U_sirplatform.h"

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
    } else if (const char* port = NonEmptyEnvironment("TESSEL_IRDA_PORT")) {
        choice.kind = EIrdaPlatformKind::Sir;
        choice.port = port;
        return choice;
    } else if (kernelAvailable()) {
        choice.kind = EIrdaPlatformKind::Kernel;
        return choice;
    }
    choice.virtualDirectory = DefaultIrdaDirectory();
    return choice;
}

std::unique_ptr<IIrdaPlatform> MakeIrdaPlatform(const SIrdaPlatformChoice& choice) {
    switch (choice.kind) {
        case EIrdaPlatformKind::Sir:
            return MakeSirIrdaPlatform(choice.port);
        case EIrdaPlatformKind::Kernel:
            return MakeKernelIrdaPlatform();
        case EIrdaPlatformKind::Virtual:
            break;
    }
    return std::make_unique<CVirtualIrda>(choice.virtualDirectory);
}

std::string DescribeIrdaPlatform(const SIrdaPlatformChoice& choice) {
    switch (choice.kind) {
        case EIrdaPlatformKind::Sir:
            return "IrDA: userspace stack on the infrared adapter " + choice.port;
        case EIrdaPlatformKind::Kernel:
            return "IrDA: the system's IrDA sockets";
        case EIrdaPlatformKind::Virtual:
            break;
    }
    return "IrDA: virtual neighbourhood in " + choice.virtualDirectory.string();
}
