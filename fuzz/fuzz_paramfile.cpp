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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    std::vector<IRadio*> radios;
    for (IRadioWare* ware : fuzzing::Wares()) radios.push_back(ware->GetRadio(0));
    const int target = bytes[0] % 5 == 4 ? paramfile::kTargetFromFile : bytes[0] % 5;

    const int fd = memfd_create("paramfile", 0);
    if (fd < 0 || write(fd, bytes + 1, size - 1) != static_cast<ssize_t>(size - 1))
        __builtin_trap();
    CHost host(radios);
    int current = -1;
    try {
        if (paramfile::OpenParameterFile("/proc/self/fd/" + std::to_string(fd), target, radios,
                                         host, current) == paramfile::EOpenResult::Loaded)
            fuzzing::CheckTextRoundTrip(static_cast<CRadioData&>(*radios[current]->Data()), true);
    } catch (const paramfile::CFileError&) {
        // a rejected file is an answer, not a fault
    }
    close(fd);
    return 0;
}
