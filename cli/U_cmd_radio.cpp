// Verbs that talk to a radio: info, read, write. They are added with the links.

#include "U_cli.h"

namespace cli {

std::span<const SCommand> RadioCommands() {
    return {};
}

}  // namespace cli
