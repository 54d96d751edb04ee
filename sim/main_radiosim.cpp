// tessel-radiosim: a virtual radio for a second terminal. It serves the infrared neighbourhood
// (TESSEL_IRDA_DIR) or a pseudo-terminal, whose path it prints, until interrupted.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>

#include "U_simoptions.h"
#include "U_simserver.h"
#include "U_sirradio.h"
#include "U_virtualirda.h"
#include "tessel_version.h"

namespace {

constexpr const char* kUsage =
    "usage: tessel-radiosim MODEL [--blank] [--sn=N] [--bank=0|1] [--converter=BYTE] "
    "[--image=FILE]\n"
    "                       [--link=irda|serial|sir] [--id=HEX] [--fw=TEXT] [--range=LOW-HIGH]...\n"
    "                       [--fault=KIND[@N]]... [--delay=MS] [--baud=RATE] [--memory FILE]\n"
    "                       [--fleet=COUNT] [--fleetfault=K:KIND[@N]]...\n"
    "  MODEL is ALDER, BIRCH, CEDAR or LARCH; KIND is silent, late, echo, segment, crc,\n"
    "  short, drop or lose, aimed at the N-th request (every request without @N); with link=sir\n"
    "  also lose@N (N-th frame heard), fcs@N (N-th frame sent), nosnrm[@N], cut@N and rnr@N\n"
    "  (N-th request). link=sir prints the pseudo-terminal's path as its first line.\n"
    "  --memory FILE keeps the radio's memory in FILE across restarts. The memory holds\n"
    "  a few demonstration channels; --blank erases it. --fleet=COUNT brings COUNT radios\n"
    "  into range one after another (serial numbers N, N+1, ...), the next once the one in\n"
    "  range was written and read back; --fleetfault aims a fault at the K-th of them.\n";

// A radio that a script cannot stop blocks the next run.
constexpr std::chrono::milliseconds kStopLimit{900};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (std::string(argv[1]) == "--version") {
        std::puts("tessel-radiosim " TESSEL_VERSION);
        return 0;
    }
    // The same description as --virtual-radio takes, one option per argument.
    std::string description = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--memory" && i + 1 < argc) option += std::string("=") + argv[++i];
        if (option.rfind("--", 0) == 0) option.erase(0, 2);
        description += "," + option;
    }
    sim::SVirtualRadioOptions options;
    std::string error;
    if (!sim::ParseVirtualRadio(description, options, error)) {
        std::fprintf(stderr, "tessel-radiosim: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    auto radio = sim::CVirtualRadio::Create(options, error);
    if (!radio) {
        std::fprintf(stderr, "tessel-radiosim: %s\n", error.c_str());
        return 1;
    }

    // Signals are taken by sigwait below, so the servers stop and clean up normally.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const std::filesystem::path folder = DefaultIrdaDirectory();
    if (const char* named = std::getenv("TESSEL_IRDA_DIR");
        options.link == sim::ELink::Irda && !options.sir && !(named && *named)) {
        // The program refuses a default folder that others could plant radios in; so does the
        // radio.
        if (const std::string refusal = PrepareIrdaFolder(folder); !refusal.empty()) {
            std::fprintf(stderr, "tessel-radiosim: %s\n", refusal.c_str());
            return 1;
        }
    }
    try {
        std::unique_ptr<sim::CRadioServer> server;
        if (options.sir)
            server = std::make_unique<sim::CSirRadioServer>(*radio);
        else if (options.link == sim::ELink::Irda)
            server = std::make_unique<sim::CIrdaRadioServer>(*radio, folder);
        else
            server = std::make_unique<sim::CSerialRadioServer>(*radio);
        // A serial infrared radio's line is what a script needs first.
        if (options.sir) std::printf("%s\n", server->Address().c_str());
        std::printf("%s radio, serial number %u, bank %d: %s\n", radio->Model().id.c_str(),
                    options.serial, radio->BankFlag(), server->Address().c_str());
        if (options.fleet > 1)
            std::printf("a fleet of %d radios, serial numbers %u to %u, one after another\n",
                        options.fleet, options.serial,
                        options.serial + static_cast<std::uint32_t>(options.fleet - 1));
        std::fflush(stdout);
        int received = 0;
        sigwait(&signals, &received);
        // Every wait of the servers ends on the stop, so they are gone at once. Should one
        // still hang, the process ends anyway: the memory file is only ever replaced whole.
        std::thread([] {
            std::this_thread::sleep_for(kStopLimit);
            std::fputs("tessel-radiosim: the radio did not stop in time\n", stderr);
            std::_Exit(3);
        }).detach();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessel-radiosim: %s\n", e.what());
        return 1;
    }
    return 0;
}
