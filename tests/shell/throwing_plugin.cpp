// A model whose exchange throws, for the rule that a worker meeting an exception still closes
// the link, gives the exchange object back and returns the window to idle. The Alder virtual
// radio stands in for it (reporting "THROW" as its model). TESSEL_TEST_THROW_AT chooses where
// it throws: "step" (on the worker thread) or "done" (when the read is complete, which the
// worker hands to the UI thread). LiveExchangeObjects tells the test what was not given back.

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "U_exchange.h"
#include "U_ware.h"

namespace {

std::atomic<int> liveExchanges{0};

bool ThrowsAt(const char* where) {
    const char* chosen = std::getenv("TESSEL_TEST_THROW_AT");
    return chosen && std::string(chosen) == where;
}

class CThrowingRW final : public CTwoBankRW {
  public:
    CThrowingRW(CRadio& radio, IRadioSocket& link) : CTwoBankRW(radio, link) { ++liveExchanges; }
    ~CThrowingRW() override { --liveExchanges; }

    bool Step() override {
        if (++steps_ == 3 && ThrowsAt("step")) throw std::runtime_error("the exchange broke");
        return CTwoBankRW::Step();
    }
    bool IsDone() override {
        const bool done = CTwoBankRW::IsDone();
        if (done && ThrowsAt("done")) throw std::runtime_error("the image does not decode");
        return done;
    }

  private:
    int steps_ = 0;
};

class CThrowingQualifier final : public CTwoBankQualifier {
  public:
    using CTwoBankQualifier::CTwoBankQualifier;

  protected:
    bool ApplyConverterRule(std::span<const std::uint8_t>, CRadioData&) override { return true; }
};

// Parameters that only need to exist: one value and a two-bank image.
class CThrowingData final : public CRadioData {
  public:
    explicit CThrowingData(CRadio& radio) : CRadioData(radio) {}
    bool Validate(std::string& message) override {
        message.clear();
        return true;
    }
    std::string RangeText() const override { return "145-175 МГц"; }
    void SetDefaults() override {}
    bool ReadText(std::istream&) override { return true; }
    bool WriteText(std::ostream& out) override { return static_cast<bool>(out << "\r\n"); }
    CRadioCanal* Canal(int) override { return nullptr; }
    void EncodeImage(std::span<std::uint8_t> image) override {
        std::fill(image.begin(), image.end(), 0xFF);
    }
    void DecodeImage(std::span<std::uint8_t>) override { SetModified(); }
    std::size_t ImageSize() const override { return CTwoBankRW::kImageSize; }
};

class CThrowingRadio final : public CRadio {
  public:
    CThrowingRadio() : CRadio("00", "Сбой-1", 145000000, 175000000, "thr") {}
    IRadioWare* Ware() const override;
};

CThrowingRadio radio;

class CThrowingWare final : public TRadioWareOf<CThrowingData, CThrowingQualifier, CThrowingRW> {
  public:
    CThrowingWare() : TRadioWareOf(radio, "THROW", "0.0.1") {}
};

IRadioWare* CThrowingRadio::Ware() const {
    return CWareSingleton<CThrowingWare>::Get();
}

}  // namespace

TESSEL_PLUGIN_EXPORT IRadioWare* _GetRadioWare() {
    return CWareSingleton<CThrowingWare>::Get();
}
TESSEL_PLUGIN_EXPORT void _ReleaseRadioWare() {
    CWareSingleton<CThrowingWare>::Release();
}
TESSEL_PLUGIN_EXPORT int LiveExchangeObjects() {
    return liveExchanges;
}
