#pragma once
// Birch and Cedar: one radio design for two bands. Channels take a step of 12.5 or 25 kHz and a
// CTCSS tone or a DCS code per direction; the set adds the power-saving times and reports the
// speech converter in the image. A band is described once (SBirchCedarModel) and the thin units
// in models/birch and models/cedar name it.

#include <memory>
#include <string>
#include <string_view>

#include "U_twobankdata.h"
#include "U_twobankware.h"

// What the two radios of the design differ in.
struct SBirchCedarModel {
    std::string_view description;  // module identifier
    std::string_view version;
    std::string_view name;  // display name
    std::string_view fileExtension;
    STwoBankModel parameters;
};

// The shared parameters of a band: everything but the band edges and a few defaults.
STwoBankModel BirchCedarParameters(int bandLow, int bandHigh);

namespace birchcedar {

inline constexpr int kCtcssCount = 51;
inline constexpr int kDcsCount = 83;

// The image byte that tells the radio which speech converter it carries.
namespace Offset {
constexpr std::size_t kConverterCode = 0x6C0;
}

// Converter type codes and the radio's own numbers for them.
int ConverterByteFromType(int type);  // 1 -> 1, 2 -> 2, 5 -> 7, anything else -> 0
int ConverterTypeFromByte(int byte);  // 1 -> 1, 2 -> 2, 7 -> 5, anything else -> 0

// Channel tones: "(нет)" for 0, the CTCSS name for 1..51, the DCS code for -1..-83.
std::string ToneName(int code);
// A name with a comma is a CTCSS tone, any other a DCS code; 0 when it is in neither list.
int ToneCode(std::string_view name);
// The channel table's text of a tone: the squelch system and the tone or code in one.
std::string ShownTone(int code);

}  // namespace birchcedar

class CBirchCedarCanal final : public CTwoBankCanal {
  public:
    using CTwoBankCanal::CTwoBankCanal;

    void SetFRQ_Step(int value) override;

  protected:
    std::span<const int> Steps() const override;
};

class CBirchCedarData : public CTwoBankData {
  public:
    CBirchCedarData(CRadio& radio, const SBirchCedarModel& model);

    CBirchCedarCanal* Canal(int index) override;

  protected:
    std::vector<SDataKey> DataKeys() override;
    void AppendShownSames(std::vector<SShownValue>& out) override;
    void EncodeModelSettings(std::span<std::uint8_t> image) const override;
    void DecodeModelSettings(std::span<const std::uint8_t> image) override;
    // A set whose enabled channels all lie in the band is given the band as its range first.
    bool RangesAllowWriting() override;
};

// The radio description of a band; ModuleWare is the plug-in's module object.
template <class ModuleWare>
class TBirchCedarRadio final : public CRadio {
  public:
    explicit TBirchCedarRadio(const SBirchCedarModel& model)
        : CRadio("00", std::string(model.name), model.parameters.bandLow, model.parameters.bandHigh,
                 std::string(model.fileExtension)) {}
    IRadioWare* Ware() const override { return CWareSingleton<ModuleWare>::Get(); }
};

// The parameter set of the band that Band describes.
template <const SBirchCedarModel& (*Band)()>
class TBirchCedarData final : public CBirchCedarData {
  public:
    explicit TBirchCedarData(CRadio& radio) : CBirchCedarData(radio, Band()) {}
};

// The module object of the band that Band describes; the converter type comes from byte 64 of
// the probe. Its radio description lives while the library is loaded.
template <const SBirchCedarModel& (*Band)()>
class TBirchCedarWare final
    : public TTwoBankWare<TBirchCedarData<Band>, twobank::kConverterFromProbe> {
  public:
    using Data = TBirchCedarData<Band>;
    using Radio = TBirchCedarRadio<TBirchCedarWare>;

    TBirchCedarWare()
        : TTwoBankWare<Data, twobank::kConverterFromProbe>(
              TheRadio(), std::string(Band().description), std::string(Band().version)) {}
    static Radio& TheRadio() {
        static Radio radio(Band());
        return radio;
    }
};
