#pragma once
// tessel-cli: the program's core without windows. One unit per group of verbs, one parser,
// the same exit codes everywhere: 0 success, 1 failure (the system's message on stderr),
// 2 usage error (with the usage text).

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "U_modules.h"
#include "U_paramfile.h"

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A wrong command line; main prints the verb's usage.
class CUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A failure reported with the system's own message text.
class CFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The words of a command line after the verb: positional arguments and options with values.
class CArgs {
  public:
    // Options is the set of options the verb takes, each followed by a value ("-o", "--model");
    // flags are the options that stand alone ("--no-verify").
    CArgs(std::span<const std::string> words, std::span<const std::string_view> options,
          std::span<const std::string_view> flags = {});

    const std::vector<std::string>& Positional() const { return positional_; }
    // The single value of an option; a usage error when it was given twice.
    std::optional<std::string> Option(std::string_view name) const;
    std::vector<std::string> All(std::string_view name) const;
    std::string Required(std::string_view name) const;
    void ExpectPositional(std::size_t count) const;
    bool Flag(std::string_view name) const { return flags_.contains(name); }

  private:
    std::set<std::string, std::less<>> flags_;
    std::vector<std::string> positional_;
    std::multimap<std::string, std::string, std::less<>> options_;
};

// What every verb works on: the plug-ins found beside the executable and their radios in list
// order.
class CContext {
  public:
    CContext();
    CModules& Modules() { return modules_; }
    const std::vector<IRadio*>& Radios() const { return radios_; }
    // The radio whose module identifier or display name is model (case-insensitive).
    int RadioIndex(std::string_view model) const;
    // Attaches the radio's parameter set (created with defaults when it has none).
    IRadioData& Attach(int index);
    // Opens a parameter file as the window's Open does, or as its "Open as" with a target.
    int Open(const std::filesystem::path& file, int target = paramfile::kTargetFromFile);

  private:
    CModules modules_;
    std::vector<IRadio*> radios_;
};

struct SCommand {
    std::string_view name;
    std::string_view usage;
    std::span<const std::string_view> options;
    int (*run)(const CArgs& args, CContext& context);
    std::span<const std::string_view> flags = {};
};

// The verbs of each unit.
std::span<const SCommand> FileCommands();
std::span<const SCommand> RadioCommands();
std::span<const SCommand> PortCommands();
std::span<const SCommand> InterchangeCommands();
std::span<const SCommand> FleetCommands();
// Empty where the tool is built without Qt.
std::span<const SCommand> PrintCommands();

}  // namespace cli
