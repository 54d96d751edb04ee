// The print verb: the printable channel list of a parameter file as a PDF.

#include <QGuiApplication>

#include "U_cli.h"
#include "U_printlist.h"

namespace cli {

namespace {

int RunPrint(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const std::string out = args.Required("-o");
    const int current = context.Open(args.Positional()[0]);
    // Fonts and the PDF writer need a GUI application; no window is shown, so no display is.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "tessel-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);
    const std::string problem =
        interchange::PrintCanalList(*context.Radios()[static_cast<std::size_t>(current)], out);
    if (!problem.empty()) throw CFailure(problem);
    return kExitOk;
}

constexpr std::string_view kPrintOptions[] = {"-o", "--virtual-radio"};

constexpr SCommand kCommands[] = {
    {"print", "tessel-cli print FILE -o LIST.pdf", kPrintOptions, RunPrint},
};

}  // namespace

std::span<const SCommand> PrintCommands() {
    return kCommands;
}

}  // namespace cli
