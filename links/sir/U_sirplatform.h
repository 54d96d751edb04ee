#pragma once
// The userspace IrDA stack on a serial infrared adapter, as an IrDA platform.

#include <memory>
#include <string>

#include "U_irdaplatform.h"

std::unique_ptr<IIrdaPlatform> MakeSirIrdaPlatform(const std::string& port);
