#pragma once
// The parameter set, channel record, text form and memory image shared by the three models that
// keep their parameters in two banks (Alder, Birch, Cedar). A model supplies its band and
// defaults, its channel record's step and flag word, its tone names, its extra keys and the
// few image bytes of its own.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "U_radioware.h"
#include "U_ranges.h"
#include "U_shownvalues.h"
#include "U_textform.h"

namespace twobank {

inline constexpr int kCanalCount = 100;
inline constexpr std::size_t kImageSize = 2688;
inline constexpr int kRaster = 12500;  // the frequency codes of the image count this step

// Byte offsets of the image, from the start of the buffer.
namespace Offset {
// Header.
constexpr std::size_t kStartCanal = 0x02;
constexpr std::size_t kFlagsA = 0x04;
constexpr std::size_t kFlagsB = 0x06;
constexpr std::size_t kPower = 0x08;
constexpr std::size_t kConst09 = 0x09;
constexpr std::size_t kConst0A = 0x0A;
constexpr std::size_t kZeros0B = 0x0B;  // nine zero bytes
constexpr std::size_t kPriorCanal = 0x14;
constexpr std::size_t kTone = 0x16;
constexpr std::size_t kSquelchLevel = 0x18;
constexpr std::size_t kConst19 = 0x19;
constexpr std::size_t kVaHi = 0x1A;
constexpr std::size_t kVaLo = 0x1C;
constexpr std::size_t kVaPause = 0x1E;
constexpr std::size_t kFlagsE = 0x20;
constexpr std::size_t kLimitPrd = 0x23;
constexpr std::size_t kFlagsC = 0x25;
constexpr std::size_t kFlagsD = 0x26;
// Channel table: 100 slots of 16 bytes, of which the first 8 hold the record.
constexpr std::size_t kCanalSlots = 0x080;
constexpr std::size_t kCanalSlotSize = 16;
constexpr std::size_t kCanalRecordSize = 8;
// Settings block.
constexpr std::size_t kSettingsHead = 0x6C0;  // Alder: a constant; Birch, Cedar: converter code
constexpr std::size_t kDelayScanning = 0x6C1;
constexpr std::size_t kLimitPrdCopy = 0x6C2;
constexpr std::size_t kRestPrd = 0x6C3;
constexpr std::size_t kZeros6CC = 0x6CC;
constexpr std::size_t kPrgPassword = 0x6CE;
constexpr std::size_t kDtmfChWidth = 0x6D0;
constexpr std::size_t kDtmfChPause = 0x6D1;
constexpr std::size_t kDtmfNumber = 0x6D2;
constexpr std::size_t kDtmfTime = 0x6E4;
constexpr std::size_t kEconomT1 = 0x6E6;
constexpr std::size_t kEconomT2 = 0x6E8;
constexpr std::size_t kRadioText = 0x700;
constexpr std::size_t kRadioTextEnd = 0x77F;  // a text without "$" ends here
constexpr std::size_t kZeros77A = 0x77A;
constexpr std::size_t kProgrammingDay = 0x77C;  // day, month, 16-bit year
// Factory block: FR1..FR8 as eight 16-bit codes.
constexpr std::size_t kFactoryRanges = 0x8A4;
}  // namespace Offset

// Bits of the header's flag words.
namespace HeaderBit {
constexpr unsigned kVaOn = 11, kSquelchOn = 12;                        // word A
constexpr unsigned kShowFreq = 4, kPrgKb = 5, kDtmfDecode = 9;         // word B
constexpr unsigned kLight = 10, kPrgIr = 12, kBeepPress = 14;          // word B
constexpr unsigned kPriorScanning = 8, kStopOnCurrent = 11;            // word E
constexpr unsigned kActiveClone = 0, kReadClone = 1, kWriteClone = 2;  // flags C
constexpr unsigned kOffClockOff = 3, kOffBatOff = 4, kOffTempOff = 5;  // flags C, inverted
constexpr unsigned kDtmfSound = 6, kEconomOff = 7;                     // flags C
constexpr unsigned kVaBlockKb = 0, kBeepBat = 3, kSaveSetOff = 4, kRadioFlagB = 5;  // flags D
}  // namespace HeaderBit

// Offsets within a channel record.
namespace RecordOffset {
constexpr std::size_t kFlags = 0;
constexpr std::size_t kFrqPrd = 2;
constexpr std::size_t kFrqPrm = 4;
constexpr std::size_t kCssPrm = 6;  // the code's magnitude; the flag word tells CTCSS or DCS
constexpr std::size_t kCssPrd = 7;
}  // namespace RecordOffset

// Bits of a channel record's flag word; the bit of the 12.5 kHz step is the model's own.
namespace CanalBit {
constexpr unsigned kEmpty = 0;
constexpr unsigned kReceiveDcs = 1;  // only in a model with DCS codes
constexpr unsigned kTransmitDcs = 3;
constexpr unsigned kNotScanning = 6;
constexpr unsigned kBlockPrdIfBusy = 9;
constexpr unsigned kLimitPrdOnTime = 10;
}  // namespace CanalBit

inline constexpr std::size_t kDtmfDigits = 16;
inline constexpr std::size_t kRadioTextLength = 127;

}  // namespace twobank

// How a model's view writes its units and shows its channels' tones.
struct STwoBankWords {
    std::string_view seconds;       // "с" or "сек"
    std::string_view milliseconds;  // "мс" or "мсек"
    std::string_view toneHeading;   // the tone columns' heading: "ПРМ" or "ПРД" goes
    std::string_view toneUnit;      // between the two ("CTCSS тон ПРМ, Гц")
    bool stepColumn;                // the channel table shows the step
};

// A model's channel tone codes: their names in the text form and back (0 for a name it lacks),
// and how the channel table shows them.
struct STwoBankTones {
    std::string (*name)(int code);
    int (*code)(std::string_view name);
    std::string (*shown)(int code);
};

// The tone codes of a channel: from low (below 0 the DCS codes) up to each direction's highest.
struct STwoBankToneCodes {
    int low;
    int prmHigh;  // highest receive tone code
    int prdHigh;  // highest transmit tone code
};

// The range a setting is clamped into.
struct STwoBankRange {
    int low;
    int high;
};

// What distinguishes one of the three models from the others in the shared mechanics.
struct STwoBankModel {
    int bandLow;
    int bandHigh;
    FreqRanges defaultRanges;
    int frequencyCodeBase;    // the frequency that image code 0 stands for
    unsigned headerModelBit;  // the bit of header flags D that is always set
    unsigned canalStepBit;    // the bit of a channel's flag word that marks the 12.5 kHz step
    int defaultStep;
    STwoBankToneCodes css;
    int defaultSquelch = 3;
    bool defaultShowFreq = false;
    bool defaultBeepPress = true;
    bool defaultOffBat = false;
    bool defaultPrgKb = false;
    STwoBankRange economT1;  // seconds
    STwoBankRange economT2;
    STwoBankTones tones;
    STwoBankWords words;
};

class CTwoBankData;

// A channel's values, kept together so that a set can be put back as it was.
struct SCanalFields {
    bool enabled = false;
    int frqStep = 12500;
    int frqPrm = 0;
    int frqPrd = 0;
    int cssPrm = 0;
    int cssPrd = 0;
    bool oneFrq = true;
    bool oneCss = true;
    bool scanning = false;
    bool blockPrdIfBusy = false;
    bool limitPrdOnTime = true;
    bool operator==(const SCanalFields&) const = default;
};

class CTwoBankCanal : public CRadioCanal {
  public:
    CTwoBankCanal(CTwoBankData& data, int index);

    bool Enabled() const { return f_.enabled; }
    int FRQ_Step() const { return f_.frqStep; }
    int FRQ_PRM() const { return f_.frqPrm; }
    int FRQ_PRD() const { return f_.frqPrd; }
    int CSS_PRM() const { return f_.cssPrm; }
    int CSS_PRD() const { return f_.cssPrd; }
    bool One_FRQ() const { return f_.oneFrq; }
    bool One_CSS() const { return f_.oneCss; }
    bool Scanning() const { return f_.scanning; }
    bool BlockPRDIfBusy() const { return f_.blockPrdIfBusy; }
    bool LimitPRDOnTime() const { return f_.limitPrdOnTime; }
    const SCanalFields& Fields() const { return f_; }

    void SetEnabled(bool value);
    virtual void SetFRQ_Step(int value) = 0;
    void SetFRQ_PRM(int value);
    void SetFRQ_PRD(int value);
    void SetCSS_PRM(int value);
    void SetCSS_PRD(int value);
    void SetOne_FRQ(bool value);
    void SetOne_CSS(bool value);
    void SetScanning(bool value);
    void SetBlockPRDIfBusy(bool value);
    void SetLimitPRDOnTime(bool value);

    // Back to the defaults (disabled), without notification.
    void ResetToDefaults();

    // The 8-byte record of the channel table; a disabled channel leaves it erased.
    void EncodeCanal(std::span<std::uint8_t> record) const override;
    void DecodeCanal(std::span<const std::uint8_t> record) override;

    SCanalCommon Common() const override;
    ECanalMisfit Misfit(const SCanalCommon& values) const override;
    void PutCommon(const SCanalCommon& values) override;

  protected:
    friend class CTwoBankData;

    // The channel steps the model programs.
    virtual std::span<const int> Steps() const = 0;

    CTwoBankData& Owner() const;
    const STwoBankModel& Model() const;
    // Clamped into the band and rounded down to the channel's step.
    int OnRaster(int frequency) const;
    // The image's 16-bit code of a frequency, and back.
    unsigned FrequencyCode(int frequency) const;
    int CodeFrequency(unsigned code) const;

    SCanalFields f_;

  private:
    // A stored tone byte back to a code (negative for DCS); 0 for a byte the model lacks.
    int ToneFromImage(unsigned magnitude, bool dcs, int highest) const;
};

// One key of the text form's data part: how its value is written and read back.
struct SDataKey {
    std::string_view key;
    std::function<void(textform::CTextWriter&)> write;
    // False when the value does not convert.
    std::function<bool(std::string_view)> read;
};

// A set's own values apart from the channels, kept together for the same reason.
struct STwoBankSettings {
    FreqRanges ranges{};
    int tone = 1450;
    int squelch = 3;
    int power = 0;
    int limitPrd = 60;
    int restPrd = 5;
    bool showFreq = false;
    bool light = true;
    bool beepPress = true;
    bool beepBat = true;
    bool offClock = false;
    bool offTemp = false;
    bool offBat = false;
    bool saveSet = true;
    int priorCanal = -1;
    bool priorScanning = false;
    bool stopOnCurrent = true;
    int delayScanning = 5;
    std::string dtmfNumber;
    int dtmfChWidth = 6;
    int dtmfChPause = 6;
    bool dtmfDecode = false;
    bool dtmfSound = false;
    int dtmfTime = 20;
    bool prgIr = true;
    bool prgKb = false;
    int prgPassword = 0;
    bool prgActiveClone = true;
    bool prgReadClone = true;
    bool prgWriteClone = true;
    bool vaOn = false;
    int vaHi = 256;
    int vaLo = 80;
    int vaPause = 3;
    bool vaBlockKb = true;
    bool econom = false;
    int economT1 = 120;
    int economT2 = 180;
    bool radioFlagB = false;
    std::string radioText;
    bool operator==(const STwoBankSettings&) const = default;
};

class CTwoBankData : public CRadioData {
  public:
    CTwoBankData(CRadio& radio, const STwoBankModel& model);

    bool Validate(std::string& message) override;
    std::string RangeText() const override;
    void SetDefaults() final;
    bool ReadText(std::istream& in) final;
    bool WriteText(std::ostream& out) final;
    CTwoBankCanal* Canal(int index) override;
    const CTwoBankCanal& CanalAt(int index) const;
    void EncodeImage(std::span<std::uint8_t> image) final;
    void DecodeImage(std::span<std::uint8_t> image) final;
    std::size_t ImageSize() const final { return twobank::kImageSize; }
    std::function<void()> Keeper() final;
    void TakeImageOnlyFields(std::span<const std::uint8_t> image) final;
    std::vector<SShownValue> ShownSettings() final;
    std::vector<SShownValue> ShownCanal(int index) final;

    const STwoBankModel& Model() const { return model_; }
    const STwoBankSettings& Settings() const { return s_; }

    const FreqRanges& Ranges() const { return s_.ranges; }
    int FR(int n) const;  // n = 1..8
    int Tone() const { return s_.tone; }
    int Squelch() const { return s_.squelch; }
    int Power() const { return s_.power; }
    int LimitPRD() const { return s_.limitPrd; }
    int RestPRD() const { return s_.restPrd; }
    bool ShowFreq() const { return s_.showFreq; }
    bool Light() const { return s_.light; }
    bool BeepPress() const { return s_.beepPress; }
    bool BeepBat() const { return s_.beepBat; }
    bool OffClock() const { return s_.offClock; }
    bool OffTemp() const { return s_.offTemp; }
    bool OffBat() const { return s_.offBat; }
    bool SaveSet() const { return s_.saveSet; }
    int PriorCanal() const { return s_.priorCanal; }
    bool PriorScanning() const { return s_.priorScanning; }
    bool StopOnCurrent() const { return s_.stopOnCurrent; }
    int DelayScanning() const { return s_.delayScanning; }
    const std::string& DTMF_Number() const { return s_.dtmfNumber; }
    int DTMF_ChWidth() const { return s_.dtmfChWidth; }
    int DTMF_ChPause() const { return s_.dtmfChPause; }
    bool DTMF_Decode() const { return s_.dtmfDecode; }
    bool DTMF_Sound() const { return s_.dtmfSound; }
    int DTMF_Time() const { return s_.dtmfTime; }
    bool PRG_IR() const { return s_.prgIr; }
    bool PRG_KB() const { return s_.prgKb; }
    int PRG_Password() const { return s_.prgPassword; }
    bool PRG_ActiveClone() const { return s_.prgActiveClone; }
    bool PRG_ReadClone() const { return s_.prgReadClone; }
    bool PRG_WriteClone() const { return s_.prgWriteClone; }
    bool VA_On() const { return s_.vaOn; }
    int VA_Hi() const { return s_.vaHi; }
    int VA_Lo() const { return s_.vaLo; }
    int VA_Pause() const { return s_.vaPause; }
    bool VA_BlockKB() const { return s_.vaBlockKb; }
    bool Econom() const { return s_.econom; }
    int EconomT1() const { return s_.economT1; }
    int EconomT2() const { return s_.economT2; }
    bool RadioFlagB() const { return s_.radioFlagB; }
    const std::string& RadioText() const { return s_.radioText; }

    void SetTone(int value) { StoreInRange(s_.tone, value, 500, 3000); }
    void SetSquelch(int value) { StoreInRange(s_.squelch, value, 0, 8); }
    void SetPower(int value) { StoreInRange(s_.power, value, 0, 1); }
    void SetLimitPRD(int value) { StoreInRange(s_.limitPrd, value, 5, 240); }
    void SetRestPRD(int value) { StoreInRange(s_.restPrd, value, 0, 240); }
    void SetShowFreq(bool value) { Store(s_.showFreq, value); }
    void SetLight(bool value) { Store(s_.light, value); }
    void SetBeepPress(bool value) { Store(s_.beepPress, value); }
    void SetBeepBat(bool value) { Store(s_.beepBat, value); }
    void SetOffClock(bool value) { Store(s_.offClock, value); }
    void SetOffTemp(bool value) { Store(s_.offTemp, value); }
    void SetOffBat(bool value) { Store(s_.offBat, value); }
    void SetSaveSet(bool value) { Store(s_.saveSet, value); }
    void SetPriorCanal(int value);
    void SetPriorScanning(bool value);
    void SetStopOnCurrent(bool value) { Store(s_.stopOnCurrent, value); }
    void SetDelayScanning(int value) { StoreInRange(s_.delayScanning, value, 0, 60); }
    void SetDTMF_Number(const std::string& value) { Store(s_.dtmfNumber, value); }
    void SetDTMF_ChWidth(int value) { StoreClamped(s_.dtmfChWidth, value, 0, 100); }
    void SetDTMF_ChPause(int value) { StoreClamped(s_.dtmfChPause, value, 0, 100); }
    void SetDTMF_Decode(bool value) { Store(s_.dtmfDecode, value); }
    void SetDTMF_Sound(bool value) { Store(s_.dtmfSound, value); }
    void SetDTMF_Time(int value) { StoreClamped(s_.dtmfTime, value, 10, 255); }
    void SetPRG_IR(bool value) { Store(s_.prgIr, value); }
    void SetPRG_KB(bool value) { Store(s_.prgKb, value); }
    void SetPRG_Password(int value) { StoreInRange(s_.prgPassword, value, 0, 9999); }
    void SetPRG_ActiveClone(bool value) { Store(s_.prgActiveClone, value); }
    void SetPRG_ReadClone(bool value) { Store(s_.prgReadClone, value); }
    void SetPRG_WriteClone(bool value) { Store(s_.prgWriteClone, value); }
    void SetVA_On(bool value) { Store(s_.vaOn, value); }
    void SetVA_Hi(int value) { StoreInRange(s_.vaHi, value, 1, 4096); }
    void SetVA_Lo(int value) { StoreInRange(s_.vaLo, value, 1, 4096); }
    void SetVA_Pause(int value) { StoreInRange(s_.vaPause, value, 0, 4); }
    void SetVA_BlockKB(bool value) { Store(s_.vaBlockKb, value); }
    void SetEconom(bool value) { Store(s_.econom, value); }
    void SetEconomT1(int value) {
        StoreInRange(s_.economT1, value, model_.economT1.low, model_.economT1.high);
    }
    void SetEconomT2(int value) {
        StoreInRange(s_.economT2, value, model_.economT2.low, model_.economT2.high);
    }
    void SetRadioFlagB(bool value) { Store(s_.radioFlagB, value); }
    void SetRadioText(const std::string& value);  // ignored beyond 127 characters

    // A channel tone code in common terms, and back; no code when the model lacks the tone.
    virtual SCanalTone ToneOfCode(int code, bool transmit) const;
    virtual std::optional<int> CodeOfTone(const SCanalTone& tone, bool transmit) const;
    // Whether a frequency lies in the band and in one of the allowed ranges.
    bool InRanges(int frequency) const;

    // Keeps PriorCanal on a channel that is enabled and scanning while there is one.
    void UpdatePriority();
    bool HasEnabledCanal() const;

  protected:
    // Builds the channel table of the model's channel class; each model's constructor calls
    // it, then SetDefaults.
    template <class Canal>
    void CreateCanals() {
        CreateCanals([this](int index) { return std::make_unique<Canal>(*this, index); });
    }
    void CreateCanals(const std::function<std::unique_ptr<CTwoBankCanal>(int index)>& make);

    // The model's own fields to their defaults (not the channels).
    virtual void ResetModelFields() {}
    // A way back to the model's own fields as they are now.
    virtual std::function<void()> ModelFieldsRestorer() {
        return [] {};
    }
    // The data keys of the text form in writing order.
    virtual std::vector<SDataKey> DataKeys() = 0;
    // The image bytes only this model writes and reads.
    virtual void EncodeModelSettings(std::span<std::uint8_t> image) const = 0;
    virtual void DecodeModelSettings(std::span<const std::uint8_t> image) = 0;
    // Whether the ranges allow writing into the radio (a model may first settle them).
    virtual bool RangesAllowWriting() = 0;

    // The rows of the model's "Дополнительные параметры" and of any further page.
    virtual void AppendShownSames(std::vector<SShownValue>& out) = 0;
    // Row groups the models share on that page.
    void AppendShownDtmfSend(models::CShownPage& page) const;
    void AppendShownPrgVa(std::vector<SShownValue>& out) const;

    // Groups of data keys shared by the models, in the order they appear in the file.
    std::vector<SDataKey> StationKeys();     // Tone .. SaveSet
    std::vector<SDataKey> ScanKeys();        // PriorCanal .. DelayScanning
    std::vector<SDataKey> DtmfSendKeys();    // DTMF_Number, DTMF_ChWidth, DTMF_ChPause
    std::vector<SDataKey> DtmfDecodeKeys();  // DTMF_Decode, DTMF_Sound, DTMF_Time
    std::vector<SDataKey> AccessKeys();      // PRG_IR .. VA_BlockKB
    std::vector<SDataKey> EconomKeys();      // Econom, EconomT1, EconomT2

    // Whether every enabled channel lies within the ranges given.
    bool EnabledCanalsWithin(const FreqRanges& ranges) const;
    void SetRangesDirectly(const FreqRanges& ranges) { s_.ranges = ranges; }

  private:
    // The setters' rules: a value only when it changes, one outside its range ignored, or
    // one brought into its range.
    template <class T>
    void Store(T& field, const T& value) {
        if (AssignIfChanged(field, value)) SetModified();
    }
    void StoreInRange(int& field, int value, int low, int high);
    void StoreClamped(int& field, int value, int low, int high);
    void ResetSettings();
    bool ReadBody(const textform::CTextBody& body);
    void ReadCanal(const textform::CTextBody& body, CTwoBankCanal& canal);
    void EncodeHeader(std::span<std::uint8_t> image) const;
    void EncodeSettings(std::span<std::uint8_t> image) const;
    void DecodeHeader(std::span<const std::uint8_t> image);
    void DecodeSettings(std::span<const std::uint8_t> image);
    int LowestEnabledCanal() const;  // -1 when none

    const STwoBankModel& model_;
    STwoBankSettings s_;
    std::vector<std::unique_ptr<CTwoBankCanal>> canals_;
};

// Helpers that bind a text key to a field's accessor and setter.
template <class Obj, class Value>
SDataKey IntKey(std::string_view key, Obj& obj, Value (Obj::*get)() const,
                void (Obj::*set)(Value)) {
    return {key, [key, &obj, get](textform::CTextWriter& w) { w.PutInt(key, (obj.*get)()); },
            [&obj, set](std::string_view text) {
                const std::optional<int> value = textform::ParseInt(text);
                if (value) (obj.*set)(static_cast<Value>(*value));
                return value.has_value();
            }};
}

template <class Obj>
SDataKey FlagKey(std::string_view key, Obj& obj, bool (Obj::*get)() const, void (Obj::*set)(bool)) {
    return {key, [key, &obj, get](textform::CTextWriter& w) { w.PutFlag(key, (obj.*get)()); },
            [&obj, set](std::string_view text) {
                const std::optional<bool> value = textform::ParseFlag(text);
                if (value) (obj.*set)(*value);
                return value.has_value();
            }};
}

// Appends a group of keys to a model's list.
inline void AppendKeys(std::vector<SDataKey>& to, std::vector<SDataKey> group) {
    for (SDataKey& key : group) to.push_back(std::move(key));
}

// Frequencies as the views show them: whole hertz with a blank between groups of three digits.
// Those that need the ranges take the parameter set whose ranges apply.
namespace twobank {
// "12,5" and "25" for the two steps; any other value moved into the ranges and grouped.
std::string FreqText(const CTwoBankData& data, int value);
// The grouped text back: exactly as long as the band's highest frequency written grouped, the
// two separators dropped; any other text gives the band's lowest frequency.
int ParseFreqText(const CTwoBankData& data, std::string_view text);
int SnapToRanges(const CTwoBankData& data, int frequency);
int StepUp(const CTwoBankData& data, int frequency, int step);
int StepDown(const CTwoBankData& data, int frequency, int step);
}  // namespace twobank
