#include "U_birchcedarware.h"

#include <algorithm>

#include "U_imagebytes.h"
#include "U_modellists.h"

using models::GetByte;
using models::PutByte;

STwoBankModel BirchCedarParameters(int bandLow, int bandHigh) {
    return {
        .bandLow = bandLow,
        .bandHigh = bandHigh,
        .defaultRanges = {bandLow, bandHigh, bandHigh, bandHigh, bandHigh, bandHigh, bandHigh,
                          bandHigh},
        .frequencyCodeBase = 0,
        .headerModelBit = 2,
        .canalStepBit = 5,
        .defaultStep = 25000,
        .css = {.low = -birchcedar::kDcsCount,
                .prmHigh = birchcedar::kCtcssCount,
                .prdHigh = birchcedar::kCtcssCount},
        .economT1 = {10, 600},
        .economT2 = {10, 3600},
        .tones = {birchcedar::ToneName, birchcedar::ToneCode, birchcedar::ShownTone},
        .words = {"сек", "мсек", "CTCSS тон / DCS код", "", true},
    };
}

namespace birchcedar {

int ConverterByteFromType(int type) {
    switch (type) {
        case 1:
        case 2:
            return type;
        case 5:
            return 7;
        default:
            return 0;
    }
}

int ConverterTypeFromByte(int byte) {
    switch (byte) {
        case 1:
        case 2:
            return byte;
        case 7:
            return 5;
        default:
            return 0;
    }
}

std::string ToneName(int code) {
    if (code >= 1 && code <= kCtcssCount)
        return std::string(models::kBirchCedarCtcssList[static_cast<std::size_t>(code - 1)]);
    if (code <= -1 && code >= -kDcsCount)
        return std::string(models::kDcsList[static_cast<std::size_t>(-code - 1)]);
    return std::string(models::kNoTone);
}

int ToneCode(std::string_view name) {
    if (textform::SameText(name, models::kNoTone)) return 0;
    if (name.find(',') != std::string_view::npos) {
        const int position = textform::IndexOfText(models::kBirchCedarCtcssList, name);
        return position < 0 ? 0 : position + 1;
    }
    const int position = textform::IndexOfText(models::kDcsList, name);
    return position < 0 ? 0 : -(position + 1);
}

// The view's table shows the squelch system and the tone or code in two cells.
std::string ShownTone(int code) {
    if (code == 0) return ToneName(0);
    const std::string_view system = models::kSquelchSystemList[code > 0 ? 1 : 2];
    return std::string(system) + ' ' + ToneName(code);
}

}  // namespace birchcedar

// ---------------------------------------------------------------------------------------------
// Channel

void CBirchCedarCanal::SetFRQ_Step(int value) {
    if (value == f_.frqStep) return;
    f_.frqStep = value == 12500 ? 12500 : 25000;
    f_.frqPrm = f_.frqPrm / f_.frqStep * f_.frqStep;
    f_.frqPrd = f_.frqPrd / f_.frqStep * f_.frqStep;
    SetModified();
}

std::span<const int> CBirchCedarCanal::Steps() const {
    return models::kStepValues;
}

// ---------------------------------------------------------------------------------------------
// Parameter set

CBirchCedarData::CBirchCedarData(CRadio& radio, const SBirchCedarModel& model)
    : CTwoBankData(radio, model.parameters) {
    CreateCanals<CBirchCedarCanal>();
    SetDefaults();
}

CBirchCedarCanal* CBirchCedarData::Canal(int index) {
    return static_cast<CBirchCedarCanal*>(CTwoBankData::Canal(index));
}

std::vector<SDataKey> CBirchCedarData::DataKeys() {
    std::vector<SDataKey> keys = StationKeys();
    AppendKeys(keys, ScanKeys());
    AppendKeys(keys, DtmfSendKeys());
    AppendKeys(keys, AccessKeys());
    AppendKeys(keys, EconomKeys());
    return keys;
}

void CBirchCedarData::EncodeModelSettings(std::span<std::uint8_t> image) const {
    // A type the operator chose wins over the one found in the radio.
    const int chosen = OwnerRadio().ConverterType();
    const int type = chosen != -1 ? chosen : RadioConverterType();
    PutByte(image, birchcedar::Offset::kConverterCode,
            static_cast<unsigned>(birchcedar::ConverterByteFromType(type)));
}

void CBirchCedarData::DecodeModelSettings(std::span<const std::uint8_t> image) {
    SetRadioConverterType(
        birchcedar::ConverterTypeFromByte(GetByte(image, birchcedar::Offset::kConverterCode)));
}

bool CBirchCedarData::RangesAllowWriting() {
    if (EnabledCanalsWithin(Model().defaultRanges)) SetRangesDirectly(Model().defaultRanges);
    const FreqRanges& r = Ranges();
    return r[0] == Model().bandLow && r[1] == Model().bandHigh && r[2] == r[3] && r[4] == r[5] &&
           r[6] == r[7];
}

// ---- The values as the view shows them --------------------------------------------------------

void CBirchCedarData::AppendShownSames(std::vector<SShownValue>& out) {
    using namespace models;
    CShownPage sames(out, kSamesPage);
    sames.Group("DTMF");
    AppendShownDtmfSend(sames);
    sames.Group("Режим экономии энергии")
        .Row("Включить режим экономии энергии", YesNoName(Econom()))
        .Row("Время включения режима №1, сек", std::to_string(EconomT1()))
        .Row("Время включения режима №2, сек", std::to_string(EconomT2()));
    AppendShownPrgVa(out);
}
