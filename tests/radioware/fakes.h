#pragma once
// A small model and a scripted link for testing the shared contract code without a plug-in.

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "U_exchange.h"
#include "U_radiolinks.h"
#include "U_textform.h"
#include "U_ware.h"

namespace fake {

class Data final : public CRadioData {
  public:
    explicit Data(CRadio& radio) : CRadioData(radio) {}
    bool Validate(std::string& message) override {
        message.clear();
        return true;
    }
    std::string RangeText() const override { return "145-175 МГц"; }
    void SetDefaults() override { value = 0; }
    bool ReadText(std::istream& in) override {
        const auto body = textform::CTextBody::Read(in);
        if (!body) return false;
        const auto v = textform::ParseInt(body->Find("Value").value_or("0"));
        if (!v) return false;
        SetValue(*v);  // a setter during reading must not notify
        return true;
    }
    bool WriteText(std::ostream& out) override {
        if (failWriting) return false;
        textform::CTextWriter writer;
        writer.PutInt("Value", value);
        return writer.WriteTo(out);
    }
    CRadioCanal* Canal(int) override { return nullptr; }
    void EncodeImage(std::span<std::uint8_t> image) override {
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + value);
    }
    void DecodeImage(std::span<std::uint8_t> image) override {
        decoded.assign(image.begin(), image.end());
        SetModified();
    }
    std::size_t ImageSize() const override { return imageSize; }
    void SetValue(int v) {
        if (AssignIfChanged(value, v)) SetModified();
    }

    int value = 0;
    std::size_t imageSize = CTwoBankRW::kImageSize;
    std::vector<std::uint8_t> decoded;
    bool failWriting = false;
};

class Ware;

class Radio final : public CRadio {
  public:
    explicit Radio(std::string name = "Проба-1", std::string code = "00")
        : CRadio(std::move(code), std::move(name), 145000000, 175000000, "tst") {}
    IRadioWare* Ware() const override;
    fake::Ware* ware = nullptr;
};

enum class Layout { TwoBanks, ThreeSegments };

class Qualifier final : public CTwoBankQualifier {
  public:
    Qualifier(CRadio& radio, CRadioWare& ware, bool converterRule)
        : CTwoBankQualifier(radio, ware), converterRule_(converterRule) {}

  protected:
    bool ApplyConverterRule(std::span<const std::uint8_t> probe, CRadioData& data) override {
        if (!converterRule_) {
            data.SetRadioConverterType(16);
            return true;
        }
        int code = -1;
        if (!ConverterCodeFromProbe(probe, code)) return false;
        data.SetRadioConverterType(code);
        return true;
    }

  private:
    bool converterRule_;
};

class Ware final : public CRadioWare {
  public:
    explicit Ware(fake::Radio& radio, Layout layout = Layout::TwoBanks, bool converterRule = false,
                  std::string description = "PROBE")
        : CRadioWare(radio, std::move(description), "0.0.1"),
          layout_(layout),
          converterRule_(converterRule) {
        radio.ware = this;
    }
    ~Ware() override = default;

  protected:
    std::unique_ptr<CRadioData> NewData(CRadio& radio) override {
        return std::make_unique<Data>(radio);
    }
    std::unique_ptr<CRadioQualifier> NewQualifier(CRadio& radio) override {
        return std::make_unique<Qualifier>(radio, *this, converterRule_);
    }
    std::unique_ptr<CRadioRW> NewRW(CRadio& radio, void* link) override {
        auto& socket = *static_cast<IRadioSocket*>(link);
        if (layout_ == Layout::ThreeSegments)
            return std::make_unique<CThreeSegmentRW>(radio, socket);
        return std::make_unique<CTwoBankRW>(radio, socket);
    }

  private:
    Layout layout_;
    bool converterRule_;
};

inline IRadioWare* Radio::Ware() const {
    return ware;
}

// A radio on a link: segments by number, a log of every request, and a step that fails.
class Link final : public IRadioSocket, public IRadioInfo {
  public:
    ~Link() = default;

    // IRadioInfo
    std::string FW() const override { return fw; }
    std::string SN() const override { return sn; }
    int BankFlag() const override { return bankFlag; }
    int RangeCount() const override { return static_cast<int>(ranges.size()); }
    int RangeEdge(int index, int edge) const override {
        if (index < 0 || index >= RangeCount() || edge < 0 || edge > 1) return base;
        return edge == 0 ? ranges[static_cast<std::size_t>(index)].first
                         : ranges[static_cast<std::size_t>(index)].second;
    }

    // IRadioSocket
    IRadioInfo* GetInfo() override { return this; }
    bool SetClock() override {
        log.push_back("clock");
        return true;
    }
    bool GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) override {
        log.push_back("get " + std::to_string(segment));
        if (Fails()) return false;
        auto& bytes = segments[segment];
        bytes.resize(destination.size(), 0);
        std::copy(bytes.begin(), bytes.end(), destination.begin());
        return true;
    }
    bool PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) override {
        log.push_back("put " + std::to_string(segment));
        if (Fails()) return false;
        segments[segment].assign(source.begin(), source.end());
        return true;
    }
    bool ReleaseSegment(std::uint16_t segment) override {
        log.push_back("release " + std::to_string(segment));
        return !Fails();
    }
    bool EndSession() override {
        log.push_back("end");
        return !Fails();
    }

    std::string fw = "PROBE";
    std::string sn = "12345";
    int bankFlag = 0;
    int base = 145000000;
    std::vector<std::pair<int, int>> ranges = {{145000000, 175000000}};
    std::map<std::uint16_t, std::vector<std::uint8_t>> segments;
    std::vector<std::string> log;
    int failAtRequest = -1;  // 0-based index into the log

  private:
    bool Fails() const { return static_cast<int>(log.size()) - 1 == failAtRequest; }
};

}  // namespace fake
