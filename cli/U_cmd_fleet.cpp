// The fleet verb: one parameter file into every radio of its model that comes into range, each
// backed up, written and verified once, each attempt a row of the group's log.

#include <csignal>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "U_backup.h"
#include "U_cli.h"
#include "U_fleet.h"
#include "U_fleetsearch.h"
#include "U_outfile.h"
#include "U_radiosession.h"
#include "U_virtualradios.h"

#ifdef TESSEL_CLI_PRINT
#include <QGuiApplication>

#include "U_fleetreport.h"
#endif

namespace cli {

namespace {

// Set by SIGINT and SIGTERM; the group ends before the next radio, never inside a write.
volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    g_interrupted = 1;
}

// Ctrl+C asks the group to end instead of ending the process; put back on return.
class CInterruptGuard {
  public:
    CInterruptGuard() {
        g_interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        action.sa_flags = SA_RESTART;  // the link's waits go on; the group looks between radios
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~CInterruptGuard() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

// One line per radio on stderr.
class CProgressLines final : public fleet::IFleetObserver {
  public:
    void Searching() override {
        if (!waiting_) std::cerr << "Поместите следующую радиостанцию в зону связи...\n";
        waiting_ = true;
    }
    void Started(const fleet::SRadioInRange&) override { waiting_ = false; }
    void Done(const fleet::SLogRow& row) override {
        std::cerr << row.model << ' ' << row.serial << ' ' << fleet::ResultWord(row.result) << ": "
                  << row.message << '\n';
        waiting_ = false;
    }
    void AlreadyWritten(const fleet::SRadioInRange& radio) override {
        std::cerr << radio.model << ' ' << radio.serial
                  << ": уже записана этим файлом в этой группе, пропущена\n";
    }
    bool ShouldStop() override { return g_interrupted != 0; }

  private:
    bool waiting_ = false;
};

int Number(const std::optional<std::string>& text, std::string_view option) {
    if (!text) return 0;
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(*text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text->size() || value <= 0)
        throw CUsageError(std::string(option) + " takes a positive whole number");
    return value;
}

#ifdef TESSEL_CLI_PRINT
void PrintReport(const fleet::SFleetReport& report, const std::string& out) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "tessel-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);
    if (!fleet::PrintFleetReport(report, out)) throw CFailure(paramfile::kMsgSaveError);
}
#endif

int RunFleet(const CArgs& args, CContext& context) {
    args.ExpectPositional(1);
    const std::filesystem::path file = std::filesystem::absolute(args.Positional()[0]);
    const int count = Number(args.Option("--count"), "--count");
    const int wait = Number(args.Option("--wait"), "--wait");
    const std::optional<std::string> reportFile = args.Option("--report");
#ifndef TESSEL_CLI_PRINT
    if (reportFile) throw CUsageError("this tessel-cli is built without printing");
#endif
    const int index = context.Open(file);
    IRadio& radio = *context.Radios()[static_cast<std::size_t>(index)];
    // The file itself must pass the model's check; each radio is checked again with its own
    // fields.
    if (std::string message; !radio.Data()->Validate(message)) throw CFailure(message);
    std::string bytes;
    if (!interchange::ReadInputFile(file, bytes).empty()) throw CFailure(paramfile::kMsgReadError);
    const std::string checksum = fleet::FileChecksum(bytes);

    const std::filesystem::path logFile =
        args.Option("--log").value_or(fleet::DefaultLogFile(file).string());
    fleet::CFleetLog log = [&] {
        try {
            return fleet::CFleetLog(logFile);
        } catch (const std::runtime_error& error) {
            throw CFailure(error.what());
        }
    }();
    if (!log.TornLine().empty())
        std::cerr << "tessel-cli: неполная последняя строка журнала отброшена: " << log.TornLine()
                  << '\n';
    std::cerr << "Запись в группу: " << file.string() << ", " << checksum << ", журнал "
              << logFile.string() << '\n';

    CRadioSession session(args);
    fleet::CLinkFleetRadios radios(session.Ports());
    fleet::CLinkRadioWriter writer(radios, {}, {}, backup::BackupFolder());
    fleet::SFleetSettings settings{file, checksum, count, std::nullopt,
                                   std::chrono::milliseconds(100)};
    if (wait > 0) settings.wait = std::chrono::seconds(wait);
    fleet::CFleetGroup group(radio, radios, writer, log, settings);
    CProgressLines progress;
    fleet::SFleetCounts counts;
    {
        const CInterruptGuard interrupts;
        try {
            counts = group.Run(progress);
        } catch (const std::runtime_error& error) {
            throw CFailure(error.what());
        }
    }
    std::cout << "written\t" << counts.written << '\n'
              << "failed\t" << counts.failed << '\n'
              << "skipped\t" << counts.skipped << '\n'
              << "log\t" << logFile.string() << '\n'
              << "checksum\t" << checksum << '\n';
#ifdef TESSEL_CLI_PRINT
    if (reportFile)
        PrintReport({radio.Name(), file, checksum, args.Option("--note").value_or(""),
                     fleet::GroupRows(log.Rows(), checksum)},
                    *reportFile);
#endif
    return counts.written == counts.Attempted() ? kExitOk : kExitFailure;
}

constexpr std::string_view kFleetOptions[] = {"--log",    "--count", "--wait",
                                              "--report", "--note",  "--virtual-radio"};

constexpr SCommand kCommands[] = {
    {"fleet",
     "tessel-cli fleet FILE [--log LOG.csv] [--count N] [--wait SECONDS] [--report R.pdf] "
     "[--note TEXT]",
     kFleetOptions, RunFleet},
};

}  // namespace

std::span<const SCommand> FleetCommands() {
    return kCommands;
}

}  // namespace cli
