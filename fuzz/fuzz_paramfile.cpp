// A parameter file, container and body, opened by the program: the first byte chooses "Open"
// or "Open as" one of the four radios, the rest is the file.

#include <sys/mman.h>
#include <unistd.h>

#include <sstream>

#include "U_paramfile.h"
#include "fuzz_models.h"

namespace {

class CHost final : public paramfile::IOpenHost {
  public:
    explicit CHost(std::span<IRadio* const> radios) : radios_(radios) {}
    void Select(int index) override {
        IRadio* radio = radios_[static_cast<std::size_t>(index)];
        radio->Ware()->AttachData(radio, nullptr, nullptr);
    }
    bool QuerySaveChanges(const std::string&) override { return true; }

  private:
    std::span<IRadio* const> radios_;
};

// The four radios and the file the inputs are written to, made once for the whole run.
struct SFixture {
    std::vector<IRadio*> radios;
    int fd = -1;
    std::string path;
};

SFixture& Fixture() {
    static SFixture fixture = [] {
        SFixture made;
        for (IRadioWare* ware : fuzzing::Wares()) made.radios.push_back(ware->GetRadio(0));
        made.fd = memfd_create("paramfile", 0);
        if (made.fd < 0) __builtin_trap();
        made.path = "/proc/self/fd/" + std::to_string(made.fd);
        return made;
    }();
    return fixture;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fixture();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    SFixture& fixture = Fixture();
    const int target = bytes[0] % 5 == 4 ? paramfile::kTargetFromFile : bytes[0] % 5;
    if (ftruncate(fixture.fd, 0) != 0 ||
        pwrite(fixture.fd, bytes + 1, size - 1, 0) != static_cast<ssize_t>(size - 1))
        __builtin_trap();
    CHost host(fixture.radios);
    int current = -1;
    try {
        if (paramfile::OpenParameterFile(fixture.path, target, fixture.radios, host, current) ==
            paramfile::EOpenResult::Loaded)
            fuzzing::CheckTextRoundTrip(
                static_cast<CRadioData&>(
                    *fixture.radios[static_cast<std::size_t>(current)]->Data()),
                true);
    } catch (const paramfile::CFileError&) {
        // a rejected file is an answer, not a fault
    }
    return 0;
}
