// The memory image of the two-bank models: the channel table, the header and the settings
// block, and the settings that only the image carries.
#include "U_twobankdata.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "U_codepage.h"
#include "U_imagebytes.h"

// Byte and flag access of the image.
using namespace models;

namespace {

// The settings that the header's flag words carry bit by bit.
using SFlag = TFlagBit<STwoBankSettings>;
using S = STwoBankSettings;
namespace Bits = twobank::HeaderBit;
constexpr SFlag kFlagsA[] = {{&S::vaOn, Bits::kVaOn}};
constexpr SFlag kFlagsB[] = {
    {&S::showFreq, Bits::kShowFreq}, {&S::prgKb, Bits::kPrgKb}, {&S::dtmfDecode, Bits::kDtmfDecode},
    {&S::light, Bits::kLight},       {&S::prgIr, Bits::kPrgIr}, {&S::beepPress, Bits::kBeepPress}};
constexpr SFlag kFlagsE[] = {{&S::priorScanning, Bits::kPriorScanning},
                             {&S::stopOnCurrent, Bits::kStopOnCurrent}};
constexpr SFlag kFlagsC[] = {
    {&S::prgActiveClone, Bits::kActiveClone}, {&S::prgReadClone, Bits::kReadClone},
    {&S::prgWriteClone, Bits::kWriteClone},   {&S::offClock, Bits::kOffClockOff, true},
    {&S::offBat, Bits::kOffBatOff, true},     {&S::offTemp, Bits::kOffTempOff, true},
    {&S::dtmfSound, Bits::kDtmfSound},        {&S::econom, Bits::kEconomOff, true}};
constexpr SFlag kFlagsD[] = {{&S::vaBlockKb, Bits::kVaBlockKb},
                             {&S::beepBat, Bits::kBeepBat},
                             {&S::saveSet, Bits::kSaveSetOff, true},
                             {&S::radioFlagB, Bits::kRadioFlagB}};

// A channel's record in the image's channel table.
template <class Byte>
std::span<Byte> CanalRecord(std::span<Byte> image, int index) {
    using namespace twobank;
    return image.subspan(
        Offset::kCanalSlots + Offset::kCanalSlotSize * static_cast<std::size_t>(index),
        Offset::kCanalRecordSize);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Channel record

void CTwoBankCanal::EncodeCanal(std::span<std::uint8_t> record) const {
    if (!f_.enabled) return;
    using namespace twobank;
    using namespace twobank::CanalBit;
    // Codes below 0 (DCS) are kept as their magnitude with the direction's DCS bit.
    PutWord(record, RecordOffset::kFlags,
            Bit(f_.cssPrm < 0, kReceiveDcs) | Bit(f_.cssPrd < 0, kTransmitDcs) |
                Bit(f_.frqStep == 12500, Model().canalStepBit) | Bit(!f_.scanning, kNotScanning) |
                Bit(f_.blockPrdIfBusy, kBlockPrdIfBusy) | Bit(f_.limitPrdOnTime, kLimitPrdOnTime));
    PutWord(record, RecordOffset::kFrqPrd, FrequencyCode(f_.frqPrd));
    PutWord(record, RecordOffset::kFrqPrm, FrequencyCode(f_.frqPrm));
    PutByte(record, RecordOffset::kCssPrm, static_cast<unsigned>(std::abs(f_.cssPrm)));
    PutByte(record, RecordOffset::kCssPrd, static_cast<unsigned>(std::abs(f_.cssPrd)));
}

void CTwoBankCanal::DecodeCanal(std::span<const std::uint8_t> record) {
    using namespace twobank;
    using namespace twobank::CanalBit;
    const unsigned flags = GetWord(record, RecordOffset::kFlags);
    if (HasBit(flags, kEmpty)) {
        ResetToDefaults();
        return;
    }
    f_.enabled = true;
    f_.scanning = !HasBit(flags, kNotScanning);
    f_.blockPrdIfBusy = HasBit(flags, kBlockPrdIfBusy);
    f_.limitPrdOnTime = HasBit(flags, kLimitPrdOnTime);
    f_.frqStep = HasBit(flags, Model().canalStepBit) ? 12500 : 25000;
    f_.frqPrd = CodeFrequency(GetWord(record, RecordOffset::kFrqPrd));
    f_.frqPrm = CodeFrequency(GetWord(record, RecordOffset::kFrqPrm));
    f_.cssPrm = ToneFromImage(GetByte(record, RecordOffset::kCssPrm), HasBit(flags, kReceiveDcs),
                              Model().css.prmHigh);
    f_.cssPrd = ToneFromImage(GetByte(record, RecordOffset::kCssPrd), HasBit(flags, kTransmitDcs),
                              Model().css.prdHigh);
    f_.oneFrq = f_.frqPrm == f_.frqPrd;
    f_.oneCss = f_.cssPrm == f_.cssPrd;
}

int CTwoBankCanal::ToneFromImage(unsigned magnitude, bool dcs, int highest) const {
    const int code = static_cast<int>(magnitude);
    // A model without DCS codes has no DCS bits: there the bit is noise and the byte a CTCSS code.
    if (dcs && Model().css.low < 0) return code <= -Model().css.low ? -code : 0;
    return code <= highest ? code : 0;
}

// ---------------------------------------------------------------------------------------------
// Memory image

void CTwoBankData::EncodeImage(std::span<std::uint8_t> image) {
    using namespace twobank;
    std::ranges::fill(image, 0xFF);
    for (const auto& canal : canals_) canal->EncodeCanal(CanalRecord(image, canal->Index()));
    EncodeHeader(image);
    EncodeSettings(image);
    // The date goes last: it wins over the end of a long radio text.
    PutWord(image, Offset::kZeros77A, 0);
    models::PutProgrammingDate(image, Offset::kProgrammingDay);
}

void CTwoBankData::EncodeHeader(std::span<std::uint8_t> image) const {
    using namespace twobank;
    using namespace twobank::HeaderBit;
    const int lowest = std::max(0, LowestEnabledCanal());
    PutByte(image, 0x00, 0x00);
    PutByte(image, 0x01, 0x00);
    PutByte(image, Offset::kStartCanal, CanalAt(1).Enabled() ? 1 : lowest);
    PutByte(image, 0x03, 0x00);
    PutWord(image, Offset::kFlagsA, FlagBits(s_, kFlagsA) | Bit(s_.squelch != 0, kSquelchOn));
    PutWord(image, Offset::kFlagsB, FlagBits(s_, kFlagsB));
    PutByte(image, Offset::kPower, static_cast<unsigned>(s_.power));
    PutByte(image, Offset::kConst09, 0x01);
    PutByte(image, Offset::kConst0A, 0x02);
    for (std::size_t i = 0; i < 9; ++i) PutByte(image, Offset::kZeros0B + i, 0x00);
    PutWord(image, Offset::kPriorCanal,
            static_cast<unsigned>(s_.priorCanal != -1 ? s_.priorCanal : lowest));
    PutWord(image, Offset::kTone, static_cast<unsigned>(s_.tone));
    PutByte(image, Offset::kSquelchLevel,
            static_cast<unsigned>(s_.squelch > 0 ? s_.squelch - 1 : 0));
    PutByte(image, Offset::kConst19, 0x01);
    PutWord(image, Offset::kVaHi, static_cast<unsigned>(s_.vaHi));
    PutWord(image, Offset::kVaLo, static_cast<unsigned>(s_.vaLo));
    PutWord(image, Offset::kVaPause, static_cast<unsigned>(std::min(s_.vaPause * 64, 254)));
    PutWord(image, Offset::kFlagsE, FlagBits(s_, kFlagsE));
    PutByte(image, Offset::kLimitPrd, static_cast<unsigned>(s_.limitPrd));
    PutByte(image, Offset::kFlagsC, FlagBits(s_, kFlagsC));
    PutByte(image, Offset::kFlagsD, FlagBits(s_, kFlagsD) | Bit(true, model_.headerModelBit));
}

void CTwoBankData::EncodeSettings(std::span<std::uint8_t> image) const {
    using namespace twobank;
    PutByte(image, Offset::kDelayScanning, static_cast<unsigned>(s_.delayScanning));
    PutByte(image, Offset::kLimitPrdCopy, static_cast<unsigned>(s_.limitPrd));
    PutByte(image, Offset::kRestPrd, static_cast<unsigned>(s_.restPrd));
    PutWord(image, Offset::kZeros6CC, 0);
    PutWord(image, Offset::kPrgPassword, static_cast<unsigned>(s_.prgPassword));
    PutByte(image, Offset::kDtmfChWidth, static_cast<unsigned>(s_.dtmfChWidth));
    PutByte(image, Offset::kDtmfChPause, static_cast<unsigned>(s_.dtmfChPause));
    models::PutDtmfNumber(image, Offset::kDtmfNumber, s_.dtmfNumber, kDtmfDigits);
    PutByte(image, Offset::kDtmfTime, static_cast<unsigned>(s_.dtmfTime));
    PutWord(image, Offset::kEconomT1, static_cast<unsigned>(s_.economT1));
    PutWord(image, Offset::kEconomT2, static_cast<unsigned>(s_.economT2));
    EncodeModelSettings(image);
    std::string text = Utf8ToCp1251(s_.radioText);
    if (text.size() > kRadioTextLength) text.resize(kRadioTextLength);
    text += '$';
    for (std::size_t i = 0; i < text.size(); ++i)
        PutByte(image, Offset::kRadioText + i, static_cast<unsigned char>(text[i]));
}

void CTwoBankData::DecodeImage(std::span<std::uint8_t> image) {
    using namespace twobank;
    const std::span<const std::uint8_t> bytes = image;
    for (const auto& canal : canals_) canal->DecodeCanal(CanalRecord(bytes, canal->Index()));
    DecodeHeader(bytes);
    DecodeSettings(bytes);
    DecodeModelSettings(bytes);
    for (std::size_t k = 0; k < s_.ranges.size(); ++k)
        s_.ranges[k] = model_.frequencyCodeBase +
                       GetWord(bytes, Offset::kFactoryRanges + 2 * k) * twobank::kRaster;
    // A radio whose channels all lie in the factory ranges gets them exactly; otherwise its own
    // ranges stay, and writing is refused until the set comes from elsewhere.
    if (EnabledCanalsWithin(model_.defaultRanges)) s_.ranges = model_.defaultRanges;
    SetModified();
}

namespace {

// Settings that a model's text form may leave out, by the key that would carry them; those
// without a key are in no model's text form.
struct SImageOnlySetting {
    std::string_view key;
    void (*take)(STwoBankSettings& to, const STwoBankSettings& from);
};

constexpr SImageOnlySetting kImageOnlySettings[] = {
    {"Econom", [](STwoBankSettings& to, const STwoBankSettings& from) { to.econom = from.econom; }},
    {"EconomT1",
     [](STwoBankSettings& to, const STwoBankSettings& from) { to.economT1 = from.economT1; }},
    {"EconomT2",
     [](STwoBankSettings& to, const STwoBankSettings& from) { to.economT2 = from.economT2; }},
    {"DTMF_Decode",
     [](STwoBankSettings& to, const STwoBankSettings& from) { to.dtmfDecode = from.dtmfDecode; }},
    {"DTMF_Sound",
     [](STwoBankSettings& to, const STwoBankSettings& from) { to.dtmfSound = from.dtmfSound; }},
    {"DTMF_Time",
     [](STwoBankSettings& to, const STwoBankSettings& from) { to.dtmfTime = from.dtmfTime; }},
    {{},
     [](STwoBankSettings& to, const STwoBankSettings& from) { to.radioFlagB = from.radioFlagB; }},
    {{}, [](STwoBankSettings& to, const STwoBankSettings& from) { to.radioText = from.radioText; }},
};

}  // namespace

void CTwoBankData::TakeImageOnlyFields(std::span<const std::uint8_t> image) {
    if (image.size() < twobank::kImageSize) return;
    const STwoBankSettings kept = s_;
    DecodeHeader(image);
    DecodeSettings(image);
    const STwoBankSettings stored = std::exchange(s_, kept);
    const std::vector<SDataKey> keys = DataKeys();
    const auto inText = [&keys](std::string_view key) {
        return !key.empty() &&
               std::ranges::any_of(keys, [key](const SDataKey& k) { return k.key == key; });
    };
    for (const SImageOnlySetting& setting : kImageOnlySettings)
        if (!inText(setting.key)) setting.take(s_, stored);
}

void CTwoBankData::DecodeHeader(std::span<const std::uint8_t> image) {
    using namespace twobank;
    using namespace twobank::HeaderBit;
    const unsigned flagsA = GetWord(image, Offset::kFlagsA);
    TakeFlagBits(flagsA, s_, kFlagsA);
    const bool squelchOn = HasBit(flagsA, kSquelchOn);
    TakeFlagBits(GetWord(image, Offset::kFlagsB), s_, kFlagsB);
    s_.power = GetByte(image, Offset::kPower) == 0 ? 0 : 1;
    // A number that names no channel is no priority channel.
    const int prior = GetWord(image, Offset::kPriorCanal);
    s_.priorCanal = prior < kCanalCount ? prior : -1;
    s_.tone = GetWord(image, Offset::kTone);
    s_.squelch = squelchOn ? GetByte(image, Offset::kSquelchLevel) + 1 : 0;
    s_.vaHi = GetWord(image, Offset::kVaHi);
    s_.vaLo = GetWord(image, Offset::kVaLo);
    s_.vaPause = std::clamp((GetWord(image, Offset::kVaPause) + 63) / 64, 0, 4);
    TakeFlagBits(GetWord(image, Offset::kFlagsE), s_, kFlagsE);
    s_.limitPrd = GetByte(image, Offset::kLimitPrd);
    TakeFlagBits(GetByte(image, Offset::kFlagsC), s_, kFlagsC);
    TakeFlagBits(GetByte(image, Offset::kFlagsD), s_, kFlagsD);
}

void CTwoBankData::DecodeSettings(std::span<const std::uint8_t> image) {
    using namespace twobank;
    s_.delayScanning = GetByte(image, Offset::kDelayScanning);
    s_.restPrd = GetByte(image, Offset::kRestPrd);
    s_.prgPassword = GetWord(image, Offset::kPrgPassword);
    s_.dtmfChWidth = GetByte(image, Offset::kDtmfChWidth);
    s_.dtmfChPause = GetByte(image, Offset::kDtmfChPause);
    s_.dtmfNumber = models::GetDtmfNumber(image, Offset::kDtmfNumber, kDtmfDigits);
    s_.dtmfTime = GetByte(image, Offset::kDtmfTime);
    s_.economT1 = GetWord(image, Offset::kEconomT1);
    s_.economT2 = GetWord(image, Offset::kEconomT2);
    // The radio text ends at "$", at a zero byte, or before the last byte of its area.
    std::string text;
    for (std::size_t at = Offset::kRadioText; at < Offset::kRadioTextEnd; ++at) {
        const std::uint8_t byte = GetByte(image, at);
        if (byte == '$' || byte == 0) break;
        text += static_cast<char>(byte);
    }
    s_.radioText = Cp1251ToUtf8(text);
}
