// A group write of twenty Alders on the in-process virtual radio (no link delay):
// - against twenty single writes of the same file into one radio, each with its copy before and
//   its read-back after (goal: the group within 1.2 times them);
// - the program's own time between two radios, from the end of one radio's read-back to the
//   start of the search for the next (goal: under 0.5 s).

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "../../tests/delivered_radios.h"
#include "U_demomemory.h"
#include "U_fleet.h"
#include "U_fleetsearch.h"
#include "U_paramfile.h"
#include "U_virtualradios.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kRadios = 20;

IRadio& Alder() {
    return DeliveredRadio("ALDER");
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Notes when each radio's write (read-back included) ended and when the next search began.
class CTimedWriter final : public fleet::IRadioWriter, public fleet::IFleetObserver {
  public:
    explicit CTimedWriter(fleet::IRadioWriter& inner) : inner_(inner) {}
    fleet::SWriteOutcome Write(IRadio& radio, const std::string& serial) override {
        fleet::SWriteOutcome outcome = inner_.Write(radio, serial);
        ended_ = Clock::now();
        return outcome;
    }
    void Searching() override {
        if (ended_) longestGap = std::max(longestGap, Clock::now() - *ended_);
        ended_.reset();
    }
    Clock::duration longestGap{};

  private:
    fleet::IRadioWriter& inner_;
    std::optional<Clock::time_point> ended_;
};

void BM_GroupOfTwenty(benchmark::State& state) {
    char pattern[] = "/tmp/tessel-bench-fleet-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    IRadio& alder = Alder();
    alder.Ware()->AttachData(&alder, nullptr, nullptr);
    std::vector<std::uint8_t> image = sim::DemoImage("ALDER");
    RequireOwnRadioData(alder.Data()).DecodeImage(image);
    const fs::path file = dir / "a.ald";
    paramfile::SaveParameterFile(file, alder);
    const std::string checksum = fleet::FileChecksum("bench");
    double group = 0, single = 0, gap = 0;
    for (auto _ : state) {
        {  // twenty single writes into one radio
            sim::CVirtualRadios radios({"alder,sn=1"});
            CLinkPorts ports(radios.LinkConfig());
            fleet::CLinkFleetRadios fleetRadios(ports);
            const fleet::SRadioWriteSetup setup{alder, fleetRadios, {}, {}, dir / "backups"};
            const Clock::time_point start = Clock::now();
            for (int i = 0; i < kRadios; ++i) {
                IRadioQualifier* qualifier = alder.Ware()->CreateQualifier(&alder);
                std::unique_ptr<CRadioNet> net = FindRadio(*qualifier, ports);
                alder.Ware()->ReleaseQualifier(qualifier);
                if (fleet::WriteRadio(setup, std::move(net), "1").result != fleet::EResult::Written)
                    state.SkipWithError("single write failed");
            }
            single += Ms(Clock::now() - start);
        }
        {  // the group
            fs::remove(dir / "log.csv");
            sim::CVirtualRadios radios({"alder,sn=1,fleet=20"});
            CLinkPorts ports(radios.LinkConfig());
            fleet::CLinkFleetRadios fleetRadios(ports);
            fleet::CLinkRadioWriter writer(fleetRadios, {}, {}, dir / "backups");
            CTimedWriter timed(writer);
            fleet::CFleetLog log(dir / "log.csv");
            fleet::CFleetGroup run(
                alder, fleetRadios, timed, log,
                {file, checksum, kRadios, std::nullopt, std::chrono::milliseconds(100)});
            const Clock::time_point start = Clock::now();
            if (run.Run(timed).written != kRadios) state.SkipWithError("group write failed");
            group += Ms(Clock::now() - start);
            gap = std::max(gap, Ms(timed.longestGap));
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["group_ms"] = group / n;
    state.counters["singles_ms"] = single / n;
    state.counters["ratio"] = group / single;
    state.counters["longest_gap_ms"] = gap;
    fs::remove_all(dir);
}
BENCHMARK(BM_GroupOfTwenty)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
