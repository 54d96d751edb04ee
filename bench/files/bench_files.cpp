// Parameter files and memory images of every model with all 100 channels in use: open and save
// (as the window does them, through the container), encode and decode.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "U_modules.h"
#include "U_paramfile.h"

namespace fs = std::filesystem;

namespace {

class CNoQuestions final : public paramfile::IOpenHost {
  public:
    explicit CNoQuestions(IRadio& radio) : radio_(radio) {}
    void Select(int) override { radio_.Ware()->AttachData(&radio_, nullptr, nullptr); }
    bool QuerySaveChanges(const std::string&) override { return true; }

  private:
    IRadio& radio_;
};

// Every channel working and scanning, with the transmit frequency apart from the receive one.
std::string FullBody(const IRadio& radio) {
    std::ostringstream body;
    body << "\r\n";
    const int step = 12500;
    for (int i = 0; i < 100; ++i) {
        const int frequency = radio.MinFrequency() + step * (i + 1);
        body << i << "Enabled=1\r\n"
             << i << "FRQ_PRM=" << frequency << "\r\n"
             << i << "FRQ_PRD=" << frequency + step << "\r\n"
             << i << "Scanning=1\r\n";
    }
    return body.str();
}

struct SFixture {
    IRadio* radio;
    fs::path file;
};

SFixture Prepare(IRadio& radio, const fs::path& dir) {
    radio.Ware()->AttachData(&radio, nullptr, nullptr);
    std::istringstream body(FullBody(radio));
    radio.Data()->Load(body, true);
    const fs::path file = dir / ("full." + radio.FileExtension());
    paramfile::SaveParameterFile(file, radio);
    return {&radio, file};
}

}  // namespace

int main(int argc, char** argv) {
    setenv("TESSEL_PROGRAMMING_DATE", "2026-12-08", 1);
    const char* root = std::getenv("TESSEL_MODULE_ROOT");
    CModules modules(root ? fs::path(root) : fs::path(TESSEL_BENCH_MODULE_ROOT));
    char pattern[] = "/tmp/tessel-bench-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    std::vector<IRadio*> radios = RadioList(modules);
    for (IRadio* radio : radios) {
        const SFixture fixture = Prepare(*radio, dir);
        const std::string name = radio->Ware()->Description();
        benchmark::RegisterBenchmark((name + "/open").c_str(), [fixture](benchmark::State& state) {
            CNoQuestions host(*fixture.radio);
            std::vector<IRadio*> one{fixture.radio};
            int current = -1;
            for (auto _ : state)
                paramfile::OpenParameterFile(fixture.file, paramfile::kTargetFromFile, one, host,
                                             current);
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/save").c_str(), [fixture](benchmark::State& state) {
            for (auto _ : state) paramfile::SaveParameterFile(fixture.file, *fixture.radio);
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/encode").c_str(), [fixture](
                                                                     benchmark::State& state) {
            auto& data = static_cast<CRadioData&>(*fixture.radio->Data());
            std::vector<std::uint8_t> image(data.ImageSize());
            for (auto _ : state) {
                data.EncodeImage(image);
                benchmark::DoNotOptimize(image.data());
            }
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/decode").c_str(), [fixture](
                                                                     benchmark::State& state) {
            auto& data = static_cast<CRadioData&>(*fixture.radio->Data());
            std::vector<std::uint8_t> image(data.ImageSize());
            data.EncodeImage(image);
            for (auto _ : state) {
                std::vector<std::uint8_t> copy = image;
                data.DecodeImage(copy);
            }
        })->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (IRadio* radio : radios) radio->Ware()->AttachData(radio, nullptr, nullptr);
    fs::remove_all(dir);
    return 0;
}
