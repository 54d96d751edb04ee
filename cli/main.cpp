// tessel-cli: reads, converts and writes parameter files, memory images and radios without the
// window, with the plug-ins found the way the program finds them.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "U_cli.h"
#include "tessel_version.h"

#ifndef TESSEL_CLI_PRINT
std::span<const cli::SCommand> cli::PrintCommands() {
    return {};
}
#endif

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage:\n";
    for (const auto& group :
         {cli::FileCommands(), cli::RadioCommands(), cli::PortCommands(),
          cli::InterchangeCommands(), cli::FleetCommands(), cli::PrintCommands()})
        for (const cli::SCommand& command : group) out << "  " << command.usage << '\n';
    out << "Every verb also takes --virtual-radio MODEL[,option=value...] (repeatable) to put a "
           "virtual radio in range.\n";
}

const cli::SCommand* FindCommand(std::string_view name) {
    for (const auto& group :
         {cli::FileCommands(), cli::RadioCommands(), cli::PortCommands(),
          cli::InterchangeCommands(), cli::FleetCommands(), cli::PrintCommands()})
        for (const cli::SCommand& command : group)
            if (command.name == name) return &command;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h") {
        PrintUsage(words.empty() ? std::cerr : std::cout);
        return words.empty() ? cli::kExitUsage : cli::kExitOk;
    }
    if (words[0] == "--version") {
        std::cout << "tessel-cli " TESSEL_VERSION "\n";
        return cli::kExitOk;
    }
    const cli::SCommand* command = FindCommand(words[0]);
    if (!command) {
        std::cerr << "unknown command " << words[0] << '\n';
        PrintUsage(std::cerr);
        return cli::kExitUsage;
    }
    try {
        const cli::CArgs args(std::span<const std::string>(words).subspan(1), command->options,
                              command->flags);
        cli::CContext context;
        return command->run(args, context);
    } catch (const cli::CUsageError& error) {
        std::cerr << error.what() << "\nusage: " << command->usage << '\n';
        return cli::kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return cli::kExitFailure;
    }
}
