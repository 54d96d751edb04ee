#pragma once
// The kernel's IrDA sockets (the out-of-tree irda module), as an IrDA platform.

#include <memory>

#include "U_irdaplatform.h"

// True when the running system creates a socket of the IrDA family.
bool KernelIrdaAvailable();
std::unique_ptr<IIrdaPlatform> MakeKernelIrdaPlatform();
