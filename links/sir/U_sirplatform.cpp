#include "U_sirplatform.h"

// PENDING: replaced by the stack itself; until then the adapter cannot be opened.
std::unique_ptr<IIrdaPlatform> MakeSirIrdaPlatform(const std::string& /*port*/) {
    return nullptr;
}
