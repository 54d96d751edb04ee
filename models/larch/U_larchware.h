#pragma once
// The Larch model: a 39..49 MHz handheld, the simplest of the family. Its parameter set, its
// channel record, the parameter text form, the 896-byte memory image, and the recogniser and
// exchange objects of the plug-in. No windows here: the view sits on top of this library.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "U_exchange.h"
#include "U_radioware.h"
#include "U_ranges.h"
#include "U_ware.h"

inline constexpr int kLarchBandLow = 39000000;
inline constexpr int kLarchBandHigh = 49000000;
inline constexpr int kLarchCanalCount = 100;
// Channel records start at 0x008 and the settings at 0x300: only 95 records fit between.
inline constexpr int kLarchMaxWorkingCanals = 95;
inline constexpr int kLarchToneMin = 500;
inline constexpr int kLarchToneMax = 3000;
inline constexpr std::size_t kLarchImageSize = 896;

// The radio description of the plug-in.
class CLarch final : public CRadio {
  public:
    CLarch();
    IRadioWare* Ware() const override;
};
// The plug-in's one radio description; it lives until the plug-in is unloaded.
CLarch& LarchRadio();

// What a channel holds; plain values, so that a whole table can be kept and put back.
struct SLarchCanalState {
    bool Enabled = false;
    int FRQ_Step = 25000;
    int FRQ_PRM = kLarchBandLow;
    int FRQ_PRD = kLarchBandLow;
    int Tone = 1000;
    int CTCSS_PRM = 0;
    int CTCSS_PRD = 0;
    bool One_FRQ = true;
    bool One_CSS = true;  // the transmit tone follows the receive tone; not saved in files
    bool Scanning = false;
    bool BlockPRD = false;

    bool operator==(const SLarchCanalState&) const = default;
};

class CLarchData;

class CLarchCanal final : public CRadioCanal {
  public:
    CLarchCanal(CLarchData& data, int index);

    // The 8-byte record in the image; a disabled channel writes nothing.
    void EncodeCanal(std::span<std::uint8_t> record) const override;
    // Makes the channel a working one with the record's values.
    void DecodeCanal(std::span<const std::uint8_t> record) override;

    bool Enabled() const { return state_.Enabled; }
    int FRQ_Step() const { return state_.FRQ_Step; }
    int FRQ_PRM() const { return state_.FRQ_PRM; }
    int FRQ_PRD() const { return state_.FRQ_PRD; }
    int Tone() const { return state_.Tone; }
    int CTCSS_PRM() const { return state_.CTCSS_PRM; }
    int CTCSS_PRD() const { return state_.CTCSS_PRD; }
    bool One_FRQ() const { return state_.One_FRQ; }
    bool One_CSS() const { return state_.One_CSS; }
    bool Scanning() const { return state_.Scanning; }
    bool BlockPRD() const { return state_.BlockPRD; }

    // Each setter does nothing for an unchanged value, otherwise stores and notifies.
    void SetEnabled(bool value);
    // 12 500 or 25 000, anything else is 25 000; both frequencies are rounded down to it.
    void SetFRQ_Step(int value);
    // Clamped to the band and rounded down to the step; followed by the transmit frequency
    // while One_FRQ is set.
    void SetFRQ_PRM(int value);
    // Clamped and rounded; a transmit frequency that differs clears One_FRQ.
    void SetFRQ_PRD(int value);
    // The channel's call tone, clamped to 500..3000 Hz.
    void SetTone(int value);
    // Tone codes index the "(нет)" and 50-tone list; the receive code is copied to the
    // transmit code while One_CSS is set.
    void SetCTCSS_PRM(int code);
    void SetCTCSS_PRD(int code);
    void SetOne_FRQ(bool value);
    void SetOne_CSS(bool value);
    void SetScanning(bool value);
    void SetBlockPRD(bool value);

    SCanalCommon Common() const override;
    // Besides band and step, the two tones must be equal: the parameter file keeps one.
    ECanalMisfit Misfit(const SCanalCommon& values) const override;
    void PutCommon(const SCanalCommon& values) override;

    const SLarchCanalState& State() const { return state_; }
    // Bulk assignment (defaults, image, undoing a rejected file): no rules, no notification.
    void Assign(const SLarchCanalState& state) { state_ = state; }
    void ResetToDefaults() { state_ = SLarchCanalState{}; }

  private:
    int FitFrequency(int value) const;
    template <class T>
    void Store(T& field, T value) {
        if (AssignIfChanged(field, value)) SetModified();
    }

    SLarchCanalState state_;
};

// The parameter set's own values, in the order the radio documents them.
struct SLarchSettings {
    FreqRanges Ranges = {kLarchBandLow,  kLarchBandHigh, kLarchBandHigh, kLarchBandHigh,
                         kLarchBandHigh, kLarchBandHigh, kLarchBandHigh, kLarchBandHigh};
    int ImageCanalCount = 0;
    int CanalOnFirstPowerOn = 0;
    int ServiceCanal = 0;
    int VolumeLevel = 7;
    bool SquelchOn = true;
    int SquelchLevel = 2;
    int Power = 0;
    bool ShowFreq = true;
    bool Light = true;
    bool BeepPress = true;
    bool SaveSet = true;
    std::array<std::uint8_t, 16> Keys = {0x3A, 0x7C, 0x15, 0xE2, 0x58, 0x9D, 0x04, 0xB6,
                                         0x61, 0xCF, 0x2E, 0x93, 0x47, 0xF8, 0x0B, 0xD5};
    bool Modifikator = true;
    bool PriorScanning = false;
    bool StopOnCurrent = true;
    int DelayScanning = 5;
    std::string Notes;  // UTF-8; Windows-1251 in files and images
    bool PRG_IR = true;
    bool PRG_Enabled = true;
    bool BlockHandOn = true;
    bool VA_On = false;
    int VA_Hi = 256;
    int VA_Lo = 80;
    int VA_Pause = 3;

    bool operator==(const SLarchSettings&) const = default;
};

class CLarchData final : public CRadioData {
  public:
    explicit CLarchData(CRadio& radio);

    bool Validate(std::string& message) override;
    std::string RangeText() const override;
    void SetDefaults() override;
    bool ReadText(std::istream& in) override;
    bool WriteText(std::ostream& out) override;
    CRadioCanal* Canal(int index) override { return &LarchCanal(index); }
    void EncodeImage(std::span<std::uint8_t> image) override;
    void DecodeImage(std::span<std::uint8_t> image) override;
    std::size_t ImageSize() const override { return kLarchImageSize; }

    // Channel by index; an index outside 0..99 yields channel 0.
    CLarchCanal& LarchCanal(int index);
    const CLarchCanal& LarchCanal(int index) const;
    int EnabledCanalCount() const;

    const FreqRanges& Ranges() const { return settings_.Ranges; }
    // The number of channels taken from the last image read; 0 after defaults or a file.
    int ImageCanalCount() const { return settings_.ImageCanalCount; }
    int CanalOnFirstPowerOn() const { return settings_.CanalOnFirstPowerOn; }
    int ServiceCanal() const { return settings_.ServiceCanal; }
    int VolumeLevel() const { return settings_.VolumeLevel; }
    bool SquelchOn() const { return settings_.SquelchOn; }
    int SquelchLevel() const { return settings_.SquelchLevel; }
    int Power() const { return settings_.Power; }
    bool ShowFreq() const { return settings_.ShowFreq; }
    bool Light() const { return settings_.Light; }
    bool BeepPress() const { return settings_.BeepPress; }
    bool SaveSet() const { return settings_.SaveSet; }
    // Scrambler key groups 1..16; any other number reads 0.
    std::uint8_t Key(int number) const;
    bool Modifikator() const { return settings_.Modifikator; }
    bool PriorScanning() const { return settings_.PriorScanning; }
    bool StopOnCurrent() const { return settings_.StopOnCurrent; }
    int DelayScanning() const { return settings_.DelayScanning; }
    const std::string& Notes() const { return settings_.Notes; }
    bool PRG_IR() const { return settings_.PRG_IR; }
    bool PRG_Enabled() const { return settings_.PRG_Enabled; }
    bool BlockHandOn() const { return settings_.BlockHandOn; }
    bool VA_On() const { return settings_.VA_On; }
    int VA_Hi() const { return settings_.VA_Hi; }
    int VA_Lo() const { return settings_.VA_Lo; }
    int VA_Pause() const { return settings_.VA_Pause; }

    // The radio checks none of these values: each setter only ignores an unchanged value.
    void SetCanalOnFirstPowerOn(int value) { Store(settings_.CanalOnFirstPowerOn, value); }
    void SetServiceCanal(int value) { Store(settings_.ServiceCanal, value); }
    void SetVolumeLevel(int value) { Store(settings_.VolumeLevel, value); }
    void SetSquelchOn(bool value) { Store(settings_.SquelchOn, value); }
    void SetSquelchLevel(int value) { Store(settings_.SquelchLevel, value); }
    void SetPower(int value) { Store(settings_.Power, value); }
    void SetShowFreq(bool value) { Store(settings_.ShowFreq, value); }
    void SetLight(bool value) { Store(settings_.Light, value); }
    void SetBeepPress(bool value) { Store(settings_.BeepPress, value); }
    void SetSaveSet(bool value) { Store(settings_.SaveSet, value); }
    // Key group 1..16; any other number is ignored.
    void SetKey(int number, std::uint8_t value);
    void SetModifikator(bool value) { Store(settings_.Modifikator, value); }
    void SetPriorScanning(bool value) { Store(settings_.PriorScanning, value); }
    void SetStopOnCurrent(bool value) { Store(settings_.StopOnCurrent, value); }
    void SetDelayScanning(int value) { Store(settings_.DelayScanning, value); }
    void SetNotes(const std::string& value) { Store(settings_.Notes, value); }
    void SetPRG_IR(bool value) { Store(settings_.PRG_IR, value); }
    void SetPRG_Enabled(bool value) { Store(settings_.PRG_Enabled, value); }
    void SetBlockHandOn(bool value) { Store(settings_.BlockHandOn, value); }
    void SetVA_On(bool value) { Store(settings_.VA_On, value); }
    void SetVA_Hi(int value) { Store(settings_.VA_Hi, value); }
    void SetVA_Lo(int value) { Store(settings_.VA_Lo, value); }
    void SetVA_Pause(int value) { Store(settings_.VA_Pause, value); }

    const SLarchSettings& Settings() const { return settings_; }
    std::function<void()> Keeper() override;
    std::vector<SShownValue> ShownSettings() override;
    std::vector<SShownValue> ShownCanal(int index) override;

  private:
    struct SSnapshot {
        SLarchSettings settings;
        std::array<SLarchCanalState, kLarchCanalCount> canals;
    };
    SSnapshot TakeSnapshot() const;
    void Restore(const SSnapshot& snapshot);

    template <class T>
    void Store(T& field, const T& value) {
        if (AssignIfChanged(field, value)) SetModified();
    }

    SLarchSettings settings_;
    std::array<std::unique_ptr<CLarchCanal>, kLarchCanalCount> canals_;
};

// Larch has no converter code: a radio that passes the common checks is accepted.
class CLarchQualifier final : public CRadioQualifier {
  public:
    using CRadioQualifier::CRadioQualifier;

  protected:
    std::uint16_t ProbeSegment(int /*bankFlag*/) const override { return 512; }
    std::size_t ProbeLength() const override { return 128; }
    bool ApplyConverterRule(std::span<const std::uint8_t> /*probe*/,
                            CRadioData& /*data*/) override {
        return true;
    }
};

class CLarchWare final : public TRadioWareOf<CLarchData, CLarchQualifier, CThreeSegmentRW> {
  public:
    CLarchWare();
};
