// The IrDA link meeting a radio whose every answer is untrusted: identification, recognition by
// each model, and a whole read and write, with the replies taken from the input. The first byte
// chooses the model and stream or packet mode; then each reply is a length byte and its bytes.

#include "U_radiosocket.h"
#include "fuzz_models.h"

namespace {

class CScriptedPlatform final : public IIrdaPlatform {
  public:
    explicit CScriptedPlatform(std::span<const std::uint8_t> script) : script_(script) {}

    bool Open() override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool QueryDevices(std::span<std::uint8_t, SIrdaDeviceList::kBufferSize> answer) override {
        std::fill(answer.begin(), answer.end(), 0);
        answer[0] = 1;  // one device in range
        return true;
    }
    bool QueryService(const SIrdaAddress&, const std::string&) override { return open_; }
    bool SetTinyTP(bool) override { return true; }
    bool Connect(const SIrdaAddress&, Deadline) override { return open_; }
    void DiscardPending() override {}
    long Send(std::span<const std::uint8_t> data, Deadline) override {
        return static_cast<long>(data.size());
    }
    long Receive(std::span<std::uint8_t> buffer, Deadline) override {
        if (script_.empty()) return -1;
        const std::size_t length = std::min<std::size_t>(script_[0], script_.size() - 1);
        const std::size_t copied = std::min(length, buffer.size());
        std::copy_n(script_.begin() + 1, copied, buffer.begin());
        script_ = script_.subspan(1 + length);
        return static_cast<long>(copied);
    }

  private:
    std::span<const std::uint8_t> script_;
    bool open_ = false;
};

void RunExchange(IRadioWare& ware, IRadio& radio, CRadioSocket& link, bool reading) {
    IRadioRW* rw = ware.CreateRW(&radio, static_cast<IRadioSocket*>(&link));
    reading ? rw->BeginRead() : rw->BeginWrite();
    for (int steps = 0; !rw->IsDone() && steps < 10; ++steps) {
        if (!rw->Step()) break;
        if (rw->Progress() < 0 || rw->Progress() > 100) __builtin_trap();
    }
    ware.ReleaseRW(rw);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    IRadioWare& ware = *fuzzing::Wares()[bytes[0] % 4];
    const EIrdaMode mode = (bytes[0] & 0x80) ? EIrdaMode::Packet : EIrdaMode::Stream;
    CIrDASocket socket(std::make_unique<CScriptedPlatform>(std::span(bytes + 1, size - 1)), mode);
    IRadio& radio = *ware.GetRadio(0);
    fuzzing::DataOf(ware);

    IRadioQualifier* qualifier = ware.CreateQualifier(&radio);
    std::unique_ptr<CRadioSocket> link = SearchIrda(socket, *qualifier);
    ware.ReleaseQualifier(qualifier);
    if (!link) return 0;
    link->GetInfo()->RangeEdge(-1, 0);
    RunExchange(ware, radio, *link, /*reading=*/true);
    RunExchange(ware, radio, *link, /*reading=*/false);
    return 0;
}
