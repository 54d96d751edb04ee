#pragma once
// The IAS client: asks the device's information base for one attribute of one class over a
// short LSAP connection to the IAS server, and closes that connection again.

#include <cstdint>
#include <optional>
#include <string>

#include "U_iasframe.h"
#include "U_irlmp.h"

namespace sir {

// The answer when the query went through; nothing when the link or the server failed.
std::optional<SIasAnswer> QueryIas(CIrlmpClient& lmp, const std::string& className,
                                   const std::string& attribute, Deadline deadline);

}  // namespace sir
