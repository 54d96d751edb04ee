#pragma once
// The Alder model: a VHF handheld (145..175 MHz) with 100 channels, CTCSS tones with a
// user-defined tone per direction, and a speech-scrambler key.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "U_twobankdata.h"
#include "U_twobankware.h"

namespace alder {

inline constexpr int kBandLow = 145000000;
inline constexpr int kBandHigh = 175000000;
inline constexpr int kKeyGroups = 16;
inline constexpr int kConverterType = 16;
// The receive tone code that has no name in the tone list (the radio accepts it on receive).
inline constexpr int kReceiveOnlyTone = 52;
inline constexpr int kUserTone = 51;  // "(ОПР)": the set's CTCSS_PRM or CTCSS_PRD
inline constexpr double kUserToneLow = 67.0;
inline constexpr double kUserToneHigh = 254.9;

// The model's own bytes of the settings block.
namespace Offset {
constexpr std::size_t kSettingsConst = 0x6C0;     // 0x03
constexpr std::size_t kUserToneRxTenths = 0x6C4;  // CTCSS_PRM in 0.1 Hz
constexpr std::size_t kUserToneRxWord = 0x6C6;    // receive tone generator word
constexpr std::size_t kUserToneTxTenths = 0x6C8;  // CTCSS_PRD in 0.1 Hz
constexpr std::size_t kUserToneTxWord = 0x6CA;    // transmit tone generator word
constexpr std::size_t kKeyMarker = 0x6EA;         // 0x0A, also the seed of the check byte
constexpr std::size_t kKeys = 0x6EB;              // Key1..Key16
constexpr std::size_t kKeyCheck = 0x6FB;
constexpr std::size_t kModifikator = 0x6FC;  // 0x55 on, 0xEE off
}  // namespace Offset

// The tone generator words the radio takes for a user-defined tone of f Hz.
unsigned ReceiveToneWord(double f);
unsigned TransmitToneWord(double f);
// The user tone in tenths of a hertz, truncated, as the image stores it.
unsigned ToneTenths(double f);

// Conversions for the view.
std::string ToneName(int code);       // "(нет)" outside the codes
int ToneCode(std::string_view name);  // 0 for an unknown name
std::string PowerName(int code);
int PowerCode(std::string_view name);
std::string SquelchName(int code);  // the code clamped to 0..8
int SquelchCode(std::string_view name);
using twobank::FreqText;
using twobank::ParseFreqText;
using twobank::SnapToRanges;
using twobank::StepDown;
using twobank::StepUp;

}  // namespace alder

class CAlderCanal final : public CTwoBankCanal {
  public:
    using CTwoBankCanal::CTwoBankCanal;

    // The radio is programmed on the 12.5 kHz raster only; a 25 kHz step comes from an image.
    void SetFRQ_Step(int value) override;
    void DecodeCanal(std::span<const std::uint8_t> record) override;

  protected:
    std::span<const int> Steps() const override;
};

class CAlderData final : public CTwoBankData {
  public:
    explicit CAlderData(CRadio& radio);

    CAlderCanal* Canal(int index) override;
    // The user-defined tone of each direction stands for code 51.
    SCanalTone ToneOfCode(int code, bool transmit) const override;
    std::optional<int> CodeOfTone(const SCanalTone& tone, bool transmit) const override;

    std::uint8_t Key(int group) const;  // group = 1..16
    bool Modifikator() const { return own_.modifikator; }
    double CTCSS_PRM() const { return own_.ctcssPrm; }
    double CTCSS_PRD() const { return own_.ctcssPrd; }

    void SetKey(int group, std::uint8_t value);  // group = 1..16; others ignored
    void SetModifikator(bool value);
    void SetCTCSS_PRM(double value);
    void SetCTCSS_PRD(double value);

    // The scrambler key a fresh set carries.
    static constexpr std::array<std::uint8_t, alder::kKeyGroups> kDefaultKey = {
        0x3A, 0x5C, 0x71, 0x0E, 0x94, 0xD2, 0x27, 0xB8,
        0x6F, 0x13, 0xE5, 0x48, 0xA1, 0x8D, 0x56, 0xC9};

  protected:
    void ResetModelFields() override;
    std::function<void()> ModelFieldsRestorer() override;
    std::vector<SDataKey> DataKeys() override;
    void AppendShownSames(std::vector<SShownValue>& out) override;
    void EncodeModelSettings(std::span<std::uint8_t> image) const override;
    void DecodeModelSettings(std::span<const std::uint8_t> image) override;
    bool RangesAllowWriting() override;

  private:
    struct SOwnFields {
        std::array<std::uint8_t, alder::kKeyGroups> keys = kDefaultKey;
        bool modifikator = true;
        double ctcssPrm = 101.0;
        double ctcssPrd = 101.0;
    };
    void StoreUserTone(double& field, double value);

    SOwnFields own_;
};

class CAlder final : public CRadio {
  public:
    CAlder();
    IRadioWare* Ware() const override;
};

// The radio does not report its converter; Alder radios carry type 16.
class CAlderWare final : public TTwoBankWare<CAlderData, alder::kConverterType> {
  public:
    CAlderWare();
};

// The plug-in's radio description, alive while the library is loaded.
CAlder& AlderRadio();
