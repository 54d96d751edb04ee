// Verbs that exchange channel lists with other programs: export, import.

#include <iostream>

#include "U_canalcsv.h"
#include "U_cli.h"
#include "U_outfile.h"

namespace cli {

namespace {

CRadioData& ModelData(IRadioData& data) {
    return RequireOwnRadioData(&data);
}

void WriteOut(const std::string& file, std::string_view bytes) {
    if (const std::string problem = interchange::WriteOutputFile(file, bytes); !problem.empty())
        throw CFailure(problem);
}

int RunExport(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const std::string out = args.Required("-o");
    const int current = context.Open(args.Positional()[0]);
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(current)];
    WriteOut(out, interchange::ExportCanals(ModelData(*radio.Data())));
    return kExitOk;
}

// The list goes into a fresh set of the model (-o) or into a parameter file (--into); rows that
// do not fit are listed, and then nothing is written unless --skip-bad lets the others through.
int RunImport(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const std::optional<std::string> out = args.Option("-o");
    const std::optional<std::string> into = args.Option("--into");
    if (out.has_value() == into.has_value()) throw CUsageError("give either -o or --into");
    const int index = context.RadioIndex(args.Required("--model"));
    if (into) {
        context.Open(*into, index);
    } else {
        context.Attach(index).Reset();
        context.Radios()[static_cast<std::size_t>(index)]->SetConverterType(-1);
    }
    std::string csv;
    if (const std::string problem = interchange::ReadInputFile(args.Positional()[0], csv);
        !problem.empty())
        throw CFailure(problem);
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(index)];
    CRadioData& data = ModelData(*radio.Data());
    const interchange::SCanalImport plan = interchange::PlanCanalImport(data, csv);
    std::cerr << interchange::ImportReport(plan, plan.issues.size());
    if (!plan.fileError.empty()) return kExitFailure;
    if (!plan.issues.empty() && !args.Flag("--skip-bad")) return kExitFailure;
    interchange::ApplyCanalImport(data, plan);
    paramfile::SaveParameterFile(out ? *out : *into, radio);
    std::cerr << "Принято каналов: " << plan.canals.size() << '\n';
    return kExitOk;
}

constexpr std::string_view kExportOptions[] = {"-o", "--virtual-radio"};
constexpr std::string_view kImportOptions[] = {"-o", "--into", "--model", "--virtual-radio"};
constexpr std::string_view kImportFlags[] = {"--skip-bad"};

constexpr SCommand kCommands[] = {
    {"export", "tessel-cli export FILE -o CHANNELS.csv", kExportOptions, RunExport},
    {"import", "tessel-cli import CHANNELS.csv --model MODEL (-o FILE | --into FILE) [--skip-bad]",
     kImportOptions, RunImport, kImportFlags},
};

}  // namespace

std::span<const SCommand> InterchangeCommands() {
    return kCommands;
}

}  // namespace cli
