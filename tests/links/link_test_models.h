#pragma once
// Small radio models built only for these tests, on the shared recognition and exchange
// classes, so the links can be tried before and besides the real models. Their parameter set
// is the memory image itself.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../serial_socket_view.h"
#include "U_exchange.h"
#include "U_radionet.h"
#include "U_ware.h"

namespace linktest {

class CImageData final : public CRadioData {
  public:
    CImageData(CRadio& radio, std::size_t size) : CRadioData(radio), image(size, 0x00) {}

    bool Validate(std::string&) override { return true; }
    std::string RangeText() const override { return {}; }
    void SetDefaults() override { std::fill(image.begin(), image.end(), 0x00); }
    bool ReadText(std::istream&) override { return false; }
    bool WriteText(std::ostream&) override { return false; }
    CRadioCanal* Canal(int) override { return nullptr; }
    void EncodeImage(std::span<std::uint8_t> out) override {
        std::copy_n(image.begin(), std::min(image.size(), out.size()), out.begin());
    }
    void DecodeImage(std::span<std::uint8_t> in) override {
        image.assign(in.begin(), in.end());
        ++decodes;
        SetModified();
    }
    std::size_t ImageSize() const override { return image.size(); }

    std::vector<std::uint8_t> image;
    int decodes = 0;
};

class CTestWare;

class CTestRadio final : public CRadio {
  public:
    CTestRadio(CTestWare& ware, int minHz, int maxHz)
        : CRadio("00", "Test", minHz, maxHz, "tst"), ware_(ware) {}
    ~CTestRadio() = default;
    IRadioWare* Ware() const override;

  private:
    CTestWare& ware_;
};

// Birch and Cedar's rule: byte 64 of the probe gives the converter code or rejects the radio.
class CTestTwoBankQualifier final : public CTwoBankQualifier {
  public:
    using CTwoBankQualifier::CTwoBankQualifier;

  protected:
    bool ApplyConverterRule(std::span<const std::uint8_t> probe, CRadioData& data) override {
        int code = -1;
        if (!ConverterCodeFromProbe(probe, code)) return false;
        data.SetRadioConverterType(code);
        return true;
    }
};

class CTestThreeSegmentQualifier final : public CRadioQualifier {
  public:
    using CRadioQualifier::CRadioQualifier;

  protected:
    std::uint16_t ProbeSegment(int) const override { return 512; }
    std::size_t ProbeLength() const override { return 128; }
    bool ApplyConverterRule(std::span<const std::uint8_t>, CRadioData&) override { return true; }
};

// A model on the serial link only: the link handed over is the program's IRadioSerial.
class CTestSerialQualifier final : public CRadioQualifier {
  public:
    using CRadioQualifier::CRadioQualifier;

    bool Qualification(void* link) override {
        auto* serial = static_cast<IRadioSerial*>(link);
        const IDeviceInfo* info = serial ? serial->GetInfo() : nullptr;
        if (!info || info->FW() != Radio()->Ware()->Description()) return false;
        std::vector<std::uint8_t> probe(512);
        if (!serial->GetSegment(2, probe)) return false;
        // The serial identification has no serial number: the converter byte of the probe
        // stands in for one, so that radios on several ports can be told apart.
        Radio()->SetSerialNumber("serial-" + std::to_string(probe[64]));
        return true;
    }

  protected:
    std::uint16_t ProbeSegment(int) const override { return 2; }
    std::size_t ProbeLength() const override { return 512; }
    bool ApplyConverterRule(std::span<const std::uint8_t>, CRadioData&) override { return true; }
};

enum class ELayout { TwoBanks, ThreeSegments };

// The radio outlives the ware's parameter set, as a plug-in's module-level radio does: it is
// built before the ware's base and destroyed after it.
struct STestRadioHolder {
    STestRadioHolder(CTestWare& ware, int minHz, int maxHz) : testRadio_(ware, minHz, maxHz) {}
    CTestRadio testRadio_;
};

class CTestWare final : private STestRadioHolder, public CRadioWare {
  public:
    // The description is the model identifier the radio must report.
    CTestWare(std::string description, ELayout layout, int minHz, int maxHz, int linkKinds = 1)
        : STestRadioHolder(*this, minHz, maxHz),
          CRadioWare(testRadio_, description, "0.0.1"),
          layout_(layout),
          linkKinds_(linkKinds) {}
    ~CTestWare() override = default;

    int LinkKinds() const override { return linkKinds_; }
    CTestRadio& TestRadio() { return testRadio_; }
    CImageData* Data() { return static_cast<CImageData*>(testRadio_.ModelData()); }
    std::size_t ImageSize() const {
        return layout_ == ELayout::TwoBanks ? CTwoBankRW::kImageSize : CThreeSegmentRW::kImageSize;
    }

  protected:
    std::unique_ptr<CRadioData> NewData(CRadio& radio) override {
        return std::make_unique<CImageData>(radio, ImageSize());
    }
    std::unique_ptr<CRadioQualifier> NewQualifier(CRadio& radio) override {
        if (linkKinds_ == PR_NET_SP) return std::make_unique<CTestSerialQualifier>(radio, *this);
        if (layout_ == ELayout::TwoBanks)
            return std::make_unique<CTestTwoBankQualifier>(radio, *this);
        return std::make_unique<CTestThreeSegmentQualifier>(radio, *this);
    }
    std::unique_ptr<CRadioRW> NewRW(CRadio& radio, void* link) override {
        // A model of the serial link only is handed the serial link, never a socket.
        if (linkKinds_ == PR_NET_SP)
            return std::make_unique<testlinks::CSerialTwoBankRW>(
                radio, *static_cast<IRadioSerial*>(link), 0);
        auto& socket = *static_cast<IRadioSocket*>(link);
        if (layout_ == ELayout::TwoBanks) return std::make_unique<CTwoBankRW>(radio, socket);
        return std::make_unique<CThreeSegmentRW>(radio, socket);
    }

  private:
    ELayout layout_;
    int linkKinds_;
};

inline IRadioWare* CTestRadio::Ware() const {
    return &ware_;
}

// A model of each layout with the bands of the delivered models.
inline std::unique_ptr<CTestWare> AlderLike(int linkKinds = 1) {
    return std::make_unique<CTestWare>("ALDER", ELayout::TwoBanks, 145000000, 175000000, linkKinds);
}
inline std::unique_ptr<CTestWare> BirchLike(int linkKinds = 1) {
    return std::make_unique<CTestWare>("BIRCH", ELayout::TwoBanks, 39000000, 49000000, linkKinds);
}
inline std::unique_ptr<CTestWare> LarchLike(int linkKinds = 1) {
    return std::make_unique<CTestWare>("LARCH", ELayout::ThreeSegments, 39000000, 49000000,
                                       linkKinds);
}

// One search and one read or write, the way the program's workers drive them.
struct STransfer {
    bool found = false;
    bool ok = false;
    bool unconfirmed = false;  // written, but the radio's answer to the end of session was lost
    std::vector<int> progress;
    std::chrono::milliseconds elapsed{0};
};

inline STransfer RunTransfer(IRadioWare& ware, IRadio& radio, CLinkPorts& ports, bool reading) {
    STransfer result;
    const auto start = std::chrono::steady_clock::now();
    IRadioQualifier* qualifier = ware.CreateQualifier(&radio);
    std::unique_ptr<CRadioNet> net = FindRadio(*qualifier, ports);
    ware.ReleaseQualifier(qualifier);
    if (net) {
        result.found = true;
        IRadioRW* rw = ware.CreateRW(&radio, net->link());
        reading ? rw->BeginRead() : rw->BeginWrite();
        result.ok = true;
        while (!rw->IsDone()) {
            if (!rw->Step()) {
                result.ok = false;
                break;
            }
            result.progress.push_back(rw->Progress());
        }
        ware.ReleaseRW(rw);
        result.unconfirmed = net->WriteUnconfirmed();
        net.reset();
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    return result;
}

// Threads of this process, to see that nothing is left running.
inline int ThreadCount() {
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer starts a thread of its own along with the first thread the program makes;
    // let it exist before anything is counted.
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
#endif
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

}  // namespace linktest
