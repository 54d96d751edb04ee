#include "U_kernelirda.h"

// PENDING: replaced by the kernel socket unit.
bool KernelIrdaAvailable() {
    return false;
}

std::unique_ptr<IIrdaPlatform> MakeKernelIrdaPlatform() {
    return nullptr;
}
