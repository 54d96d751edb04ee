#pragma once
// What the fault matrix and the soak share: the delivered models as the program loads them, a
// small model on the serial link (the delivered ones are infrared only), the radio search and
// exchange driven the way the program's workers drive them, and probes of the process's own
// resources.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "../delivered_radios.h"
#include "../serial_socket_view.h"
#include "U_exchange.h"
#include "U_radionet.h"
#include "U_ware.h"

namespace stress {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// ---- the delivered models ----

// Image offsets of the two-bank layout: the converter type is byte 64 of the probe segment (the
// fourth data segment of either bank, at 1664), and the factory segment, never written, sits at
// the end.
inline constexpr std::size_t kConverterByteOffset = 1664 + 64;
inline constexpr std::size_t kFactoryOffset = 2176;

struct SModelTraits {
    std::string id;
    bool twoBanks;
    std::size_t imageSize;
    int bank;  // the bank in use the virtual radio starts with
};

// Both starting banks are covered among the two-bank models.
inline const std::vector<SModelTraits>& DeliveredModels() {
    static const std::vector<SModelTraits> models{{"ALDER", true, 2688, 0},
                                                  {"BIRCH", true, 2688, 1},
                                                  {"CEDAR", true, 2688, 0},
                                                  {"LARCH", false, 896, 0}};
    return models;
}

inline const SModelTraits& Traits(const std::string& id) {
    for (const SModelTraits& model : DeliveredModels())
        if (model.id == id) return model;
    throw std::logic_error("no such model " + id);
}

// Images are written with a fixed date, so two writes of one parameter set are byte-equal.
inline void FixProgrammingDate() {
    ::setenv("TESSEL_PROGRAMMING_DATE", "2024-05-17", 1);
}

inline std::string Text(IRadioData& data) {
    std::ostringstream out;
    data.Save(out);
    return out.str();
}

// The first line where two parameter texts differ; empty when they are equal.
inline std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream left(a), right(b);
    std::string l, r;
    for (int line = 1;; ++line) {
        const bool moreLeft = static_cast<bool>(std::getline(left, l));
        const bool moreRight = static_cast<bool>(std::getline(right, r));
        if (!moreLeft && !moreRight) return {};
        if (moreLeft != moreRight || l != r)
            return "line " + std::to_string(line) + ": \"" + (moreLeft ? l : "") + "\" vs \"" +
                   (moreRight ? r : "") + "\"";
    }
}

// A memory image whose every segment differs from what a model encodes from its defaults, so a
// segment that was or was not overwritten can be told apart.
inline Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>((i * 7 + seed) ^ (i >> 8));
    return image;
}

// An image file for the virtual radio to start from, removed with the object.
class CTempImage {
  public:
    CTempImage(const std::string& name, const Bytes& image)
        : path_(std::filesystem::path(::testing::TempDir()) /
                ("stress-" + std::to_string(::getpid()) + "-" + name + ".img")) {
        std::ofstream file(path_, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        if (!file) throw std::runtime_error("cannot write " + path_.string());
    }
    ~CTempImage() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    CTempImage(const CTempImage&) = delete;
    CTempImage& operator=(const CTempImage&) = delete;

    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

// ---- a two-bank model on the serial link ----

// The parameter set of the serial test model is its memory image, saved as hexadecimal lines.
class CImageSet final : public CRadioData {
  public:
    CImageSet(CRadio& radio, std::size_t size) : CRadioData(radio), image_(size, 0x00) {}
    ~CImageSet() override = default;

    bool Validate(std::string&) override { return true; }
    std::string RangeText() const override { return {}; }
    void SetDefaults() override { std::fill(image_.begin(), image_.end(), 0x00); }
    bool ReadText(std::istream& in) override {
        Bytes image;
        std::string line;
        while (std::getline(in, line)) {
            const auto equals = line.find('=');
            if (equals == std::string::npos) return false;
            const std::string hex = line.substr(equals + 1);
            if (hex.size() % 2 != 0) return false;
            for (std::size_t i = 0; i < hex.size(); i += 2)
                image.push_back(
                    static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        }
        if (image.size() != image_.size()) return false;
        image_ = std::move(image);
        return true;
    }
    bool WriteText(std::ostream& out) override {
        constexpr std::size_t kLine = 32;
        for (std::size_t at = 0; at < image_.size(); at += kLine) {
            out << "Bytes" << at << '=';
            for (std::size_t i = at; i < at + kLine && i < image_.size(); ++i)
                out << std::hex << std::setw(2) << std::setfill('0') << int{image_[i]} << std::dec;
            out << '\n';
        }
        return true;
    }
    CRadioCanal* Canal(int) override { return nullptr; }
    void EncodeImage(std::span<std::uint8_t> out) override {
        std::copy_n(image_.begin(), std::min(image_.size(), out.size()), out.begin());
    }
    void DecodeImage(std::span<std::uint8_t> in) override {
        image_.assign(in.begin(), in.end());
        SetModified();
    }
    std::size_t ImageSize() const override { return image_.size(); }

    void SetImage(Bytes image) { image_ = std::move(image); }

  private:
    Bytes image_;
};

class CSerialTestWare;

class CSerialTestRadio final : public CRadio {
  public:
    explicit CSerialTestRadio(CSerialTestWare& ware)
        : CRadio("00", "Ольха-П", 145000000, 175000000, "tsp"), ware_(ware) {}
    ~CSerialTestRadio() = default;
    IRadioWare* Ware() const override;

    // The bank in use, as the radio reported it when it was recognised.
    int bank = 0;

  private:
    CSerialTestWare& ware_;
};

// The serial radio's identification carries its bank flag at payload offset 29; the link's
// description does not keep it, so the model asks the radio once more.
inline std::optional<int> QuerySerialBank(SerialPort& port) {
    constexpr std::size_t kBankOffset = 29;
    constexpr std::size_t kCheckBytes = 2;
    const std::array<std::uint8_t, 2> request{0x01, 0x00};
    Bytes reply(512);
    const auto length = ExchangeFrame(port, request, reply);
    if (!length || *length < CDeviceInfo::kMinimumPayload + kCheckBytes || reply[0] != 0x01)
        return std::nullopt;
    return reply[kBankOffset] & 1;
}

class CSerialTestQualifier final : public CRadioQualifier {
  public:
    CSerialTestQualifier(CSerialTestRadio& radio, CRadioWare& ware, SerialPort& port)
        : CRadioQualifier(radio, ware), radio_(radio), ware_(ware), port_(port) {}

    bool Qualification(void* link) override {
        auto& serial = *static_cast<IRadioSerial*>(link);
        const IDeviceInfo& info = *serial.GetInfo();
        if (info.FW() != ware_.Description()) return false;
        for (int range = 0; range < CDeviceInfo::kRanges; ++range)
            if (info.RangeEdge(range, 0) < radio_.MinFrequency() ||
                info.RangeEdge(range, 1) > radio_.MaxFrequency())
                return false;
        const std::optional<int> bank = QuerySerialBank(port_);
        if (!bank) return false;
        Bytes probe(ProbeLength());
        if (!serial.GetSegment(ProbeSegment(*bank), probe)) return false;
        radio_.bank = *bank;
        return ApplyConverterRule(probe, ware_.EnsureData());
    }

  protected:
    std::uint16_t ProbeSegment(int bankFlag) const override { return bankFlag == 1 ? 6 : 2; }
    std::size_t ProbeLength() const override { return 512; }
    bool ApplyConverterRule(std::span<const std::uint8_t>, CRadioData& data) override {
        data.SetRadioConverterType(16);
        return true;
    }

  private:
    CSerialTestRadio& radio_;
    CRadioWare& ware_;
    SerialPort& port_;
};

struct SSerialRadioHolder {
    explicit SSerialRadioHolder(CSerialTestWare& ware) : testRadio_(ware) {}
    CSerialTestRadio testRadio_;
};

// An Alder-like model that declares the serial link only.
class CSerialTestWare final : private SSerialRadioHolder, public CRadioWare {
  public:
    CSerialTestWare() : SSerialRadioHolder(*this), CRadioWare(testRadio_, "ALDER", "0.0.1") {}
    ~CSerialTestWare() override = default;

    int LinkKinds() const override { return PR_NET_SP; }
    // The port the radio is searched on; recognition asks the radio for its bank there.
    void UsePort(SerialPort& port) { port_ = &port; }
    CSerialTestRadio& TestRadio() { return testRadio_; }
    CImageSet& Set() { return static_cast<CImageSet&>(EnsureData()); }

  protected:
    std::unique_ptr<CRadioData> NewData(CRadio& radio) override {
        return std::make_unique<CImageSet>(radio, CTwoBankRW::kImageSize);
    }
    std::unique_ptr<CRadioQualifier> NewQualifier(CRadio&) override {
        if (!port_) throw std::logic_error("the serial test model has no port");
        return std::make_unique<CSerialTestQualifier>(testRadio_, *this, *port_);
    }
    std::unique_ptr<CRadioRW> NewRW(CRadio& radio, void* link) override {
        return std::make_unique<testlinks::CSerialTwoBankRW>(
            radio, *static_cast<IRadioSerial*>(link), testRadio_.bank);
    }

  private:
    SerialPort* port_ = nullptr;
};

inline IRadioWare* CSerialTestRadio::Ware() const {
    return &ware_;
}

// ---- one search and one transfer, as the workers run them ----

enum class EOp { Read, Write };

struct SOutcome {
    bool found = false;
    bool ok = false;
    int failedStep = 0;  // the step whose Step returned false
    ESessionEnd sessionEnd = ESessionEnd::Open;
    std::vector<int> progress;
    std::chrono::milliseconds elapsed{0};
};

// `afterSearch` runs once the radio is recognised and before the exchange begins: what a read
// must leave alone is taken there, after recognition has had its say.
template <class AfterSearch>
SOutcome Transfer(IRadio& radio, CLinkPorts& ports, EOp op, AfterSearch&& afterSearch) {
    SOutcome outcome;
    IRadioWare& ware = *radio.Ware();
    const auto start = Clock::now();
    IRadioQualifier* qualifier = ware.CreateQualifier(&radio);
    std::unique_ptr<CRadioNet> net = FindRadio(*qualifier, ports);
    ware.ReleaseQualifier(qualifier);
    if (net) {
        outcome.found = true;
        const auto searched = Clock::now();
        afterSearch();
        const auto resumed = Clock::now();
        IRadioRW* rw = ware.CreateRW(&radio, net->link());
        op == EOp::Read ? rw->BeginRead() : rw->BeginWrite();
        outcome.ok = true;
        for (int step = 1; !rw->IsDone(); ++step) {
            if (!rw->Step()) {
                outcome.ok = false;
                outcome.failedStep = step;
                break;
            }
            outcome.progress.push_back(rw->Progress());
        }
        ware.ReleaseRW(rw);
        outcome.sessionEnd = net->SessionEnd();
        net.reset();  // the worker deletes the link: the socket or port closes
        outcome.elapsed -=
            std::chrono::duration_cast<std::chrono::milliseconds>(resumed - searched);
    }
    outcome.elapsed += std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return outcome;
}

inline SOutcome Transfer(IRadio& radio, CLinkPorts& ports, EOp op) {
    return Transfer(radio, ports, op, [] {});
}

// ---- the process's own resources ----

inline long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

inline int ThreadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

inline int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

}  // namespace stress
