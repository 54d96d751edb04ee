// The edit history on every model's set with all 100 channels in use: one undo and one redo
// (the snapshot read back into the set and taken again), and the memory that 100 steps hold.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "U_modules.h"
#include "U_undo.h"

namespace fs = std::filesystem;

namespace {

// Every channel working and scanning; channel `changed` (if any) on another frequency, so
// that each step differs from the one before.
std::string FullBody(const IRadio& radio, int changed) {
    std::ostringstream body;
    body << "\r\n";
    const int step = 12500;
    for (int i = 0; i < 100; ++i) {
        const int frequency = radio.MinFrequency() + step * (i + 1 + (i == changed ? 200 : 0));
        body << i << "Enabled=1\r\n"
             << i << "FRQ_PRM=" << frequency << "\r\n"
             << i << "FRQ_PRD=" << frequency + step << "\r\n"
             << i << "Scanning=1\r\n";
    }
    return body.str();
}

// A history of 100 steps, each a channel changed by a different one.
void FillHistory(CEditHistories& histories, IRadio& radio) {
    radio.Ware()->AttachData(&radio, nullptr, nullptr);
    std::istringstream first(FullBody(radio, -1));
    radio.Data()->Load(first, false);
    histories.Track(&radio);
    for (int i = 0; i < static_cast<int>(CUndoHistory::kDefaultDepth); ++i) {
        std::istringstream body(FullBody(radio, i));
        radio.Data()->Load(body, true);
        histories.Changed(&radio);
        histories.Flush();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const char* root = std::getenv("TESSEL_MODULE_ROOT");
    CModules modules(root ? fs::path(root) : fs::path(TESSEL_BENCH_MODULE_ROOT));
    std::vector<IRadio*> radios = RadioList(modules);
    CEditHistories histories;
    for (IRadio* radio : radios) {
        FillHistory(histories, *radio);
        const std::string name = radio->Ware()->Description();
        benchmark::RegisterBenchmark((name + "/undo").c_str(), [&histories,
                                                                radio](benchmark::State& state) {
            for (auto _ : state) {
                histories.Undo(radio);
                state.PauseTiming();
                histories.Redo(radio);
                state.ResumeTiming();
            }
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/redo").c_str(), [&histories,
                                                                radio](benchmark::State& state) {
            for (auto _ : state) {
                state.PauseTiming();
                histories.Undo(radio);
                state.ResumeTiming();
                histories.Redo(radio);
            }
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(
            (name + "/100 steps").c_str(), [&histories, radio](benchmark::State& state) {
                const CUndoHistory& history = *histories.Of(radio);
                for (auto _ : state) benchmark::DoNotOptimize(history.Footprint());
                state.counters["steps"] = static_cast<double>(history.UndoDepth());
                state.counters["KiB"] = static_cast<double>(history.Footprint()) / 1024.0;
            });
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (IRadio* radio : radios) radio->Ware()->AttachData(radio, nullptr, nullptr);
    return 0;
}
