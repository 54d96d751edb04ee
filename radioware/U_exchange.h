#pragma once
// Recognition of a radio on a link and the segment-by-segment exchange of its memory image.
// Written once for all models; a model names its probe, its converter rule and its layout.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "U_radiolinks.h"
#include "U_radioware.h"

// What a recogniser needs of the module it belongs to: the model identifier its radios report,
// and the parameter set that takes what recognition finds. The module implements it, so the
// recogniser does not depend on the module that creates it.
class IQualifierModule {
  public:
    virtual std::string Description() const = 0;
    // The radio's parameter set, created with defaults when it has none.
    virtual CRadioData& EnsureData() = 0;

  protected:
    ~IQualifierModule() = default;
};

class CRadioQualifier : public IRadioQualifier {
  public:
    CRadioQualifier(CRadio& radio, IQualifierModule& module) : radio_(radio), module_(module) {}
    virtual ~CRadioQualifier() = default;

    IRadio* Radio() const override { return &radio_; }
    // The common part: model identifier, reported ranges inside the band, the probe segment
    // readable; then the serial number, a parameter set, and the model's converter rule.
    bool Qualification(void* link) override;

  protected:
    virtual std::uint16_t ProbeSegment(int bankFlag) const = 0;
    virtual std::size_t ProbeLength() const = 0;
    // Sets the converter code from the probe segment; false rejects the radio.
    virtual bool ApplyConverterRule(std::span<const std::uint8_t> probe, CRadioData& data) = 0;

  private:
    CRadio& radio_;
    IQualifierModule& module_;
};

// The three segment layouts in use.
class CTwoBankQualifier : public CRadioQualifier {
  public:
    using CRadioQualifier::CRadioQualifier;

  protected:
    std::uint16_t ProbeSegment(int bankFlag) const override { return bankFlag == 1 ? 6 : 2; }
    std::size_t ProbeLength() const override { return 512; }
};

// Converter codes of Birch and Cedar from byte 64 of the probe: 0, 1, 2 as they are, 7 is 5.
bool ConverterCodeFromProbe(std::span<const std::uint8_t> probe, int& code);

// One step of an exchange.
struct SExchangeStep {
    enum class Action { Get, Put, PutThenEnd, ReleaseThenEnd };
    Action action;
    std::uint16_t segment;
    std::size_t offset;  // into the image
    std::size_t length;
    int progress;
};

class CRadioRW : public IRadioRW {
  public:
    CRadioRW(CRadio& radio, IRadioSocket& link, std::size_t imageSize);
    virtual ~CRadioRW() = default;

    bool IsDone() override;
    int Progress() const override { return progress_; }
    IRadio* Radio() const override { return &radio_; }
    void BeginRead() override;
    void BeginWrite() override;
    bool Step() override;

    std::span<const std::uint8_t> Image() const { return image_; }

  protected:
    virtual int StepCount() const = 0;
    // The action of step n (1-based) for the bank in use.
    virtual SExchangeStep StepAt(bool reading, int bankFlag, int step) const = 0;

  private:
    std::vector<std::uint8_t> image_;
    int step_ = 0;
    int progress_ = 0;
    bool reading_ = false;
    bool failed_ = false;
    bool decoded_ = false;
    CRadio& radio_;
    IRadioSocket& link_;
};

// Alder, Birch and Cedar: a header and four data segments in each of two banks, and the
// factory segment 1. A write fills the bank not in use and names the bank in use last.
class CTwoBankRW : public CRadioRW {
  public:
    static constexpr std::size_t kImageSize = 2688;
    CTwoBankRW(CRadio& radio, IRadioSocket& link) : CRadioRW(radio, link, kImageSize) {}

  protected:
    int StepCount() const override { return 6; }
    SExchangeStep StepAt(bool reading, int bankFlag, int step) const override;
};

// Larch: segments 119, 120 and 512, no banks.
class CThreeSegmentRW : public CRadioRW {
  public:
    static constexpr std::size_t kImageSize = 896;
    CThreeSegmentRW(CRadio& radio, IRadioSocket& link) : CRadioRW(radio, link, kImageSize) {}

  protected:
    int StepCount() const override { return 3; }
    SExchangeStep StepAt(bool reading, int bankFlag, int step) const override;
};
