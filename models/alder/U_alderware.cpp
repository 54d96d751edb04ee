#include "U_alderware.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "U_imagebytes.h"
#include "U_modellists.h"
#include "U_shownvalues.h"

using models::GetByte;
using models::GetWord;
using models::PutByte;
using models::PutWord;

namespace {

const STwoBankModel kAlderModel = {
    .bandLow = alder::kBandLow,
    .bandHigh = alder::kBandHigh,
    .defaultRanges = {145000000, 149000000, 165000000, 174000000, 174000000, 174000000, 174000000,
                      174000000},
    .frequencyCodeBase = alder::kBandLow,
    .headerModelBit = 1,
    .canalStepBit = 15,
    .defaultStep = 12500,
    .css = {.low = 0, .prmHigh = alder::kReceiveOnlyTone, .prdHigh = alder::kUserTone},
    .economT1 = {0, 0xFFFF},
    .economT2 = {0, 0xFFFF},
    .tones = {alder::ToneName, alder::ToneCode, alder::ToneName},
    .words = {"с", "мс", "CTCSS тон", ", Гц", false},
};

// The name that keeps receive code 52 through a parameter file.
constexpr std::string_view kReceiveOnlyToneName = "(код 52)";

}  // namespace

// ---------------------------------------------------------------------------------------------
// Conversions

namespace alder {

namespace {

// The generator words are defined for the tones the radio makes. A tone taken as stored from
// an erased or damaged radio (0 Hz, 6553.5 Hz) gets the word of the nearest tone it can make,
// never the result of 0 / 0.
double GeneratedTone(double f) {
    if (!(f >= kUserToneLow)) return kUserToneLow;
    return std::min(f, kUserToneHigh);
}

}  // namespace

unsigned ReceiveToneWord(double tone) {
    const double f = GeneratedTone(tone);
    const double a = std::trunc(49056 * f * 0.00001);
    const double b = std::trunc(511.5 - (a * 100000) / (96 * f));
    return static_cast<unsigned>(static_cast<int>(a) * 64 + static_cast<int>(b));
}

unsigned TransmitToneWord(double tone) {
    return static_cast<unsigned>(std::trunc(2359296 * GeneratedTone(tone) * 0.00001 + 0.5));
}

unsigned ToneTenths(double tone) {
    // The stored tenths go back as they came (0..65535); anything else is kept in that word.
    if (!(tone > 0)) return 0;
    return static_cast<unsigned>(std::trunc(std::min(tone * 10, 65535.0)));
}

std::string ToneName(int code) {
    if (code == kReceiveOnlyTone) return std::string(kReceiveOnlyToneName);
    return models::ListName(models::kAlderToneList, code);
}

int ToneCode(std::string_view name) {
    if (textform::SameText(name, kReceiveOnlyToneName)) return kReceiveOnlyTone;
    return models::ListCode(models::kAlderToneList, name);
}

std::string PowerName(int code) {
    return models::ListName(models::kPowerList, code);
}
int PowerCode(std::string_view name) {
    return models::ListCode(models::kPowerList, name);
}

std::string SquelchName(int code) {
    return models::ListName(models::kSquelchList,
                            std::clamp(code, 0, static_cast<int>(models::kSquelchList.size()) - 1));
}
int SquelchCode(std::string_view name) {
    return models::ListCode(models::kSquelchList, name);
}

}  // namespace alder

// ---------------------------------------------------------------------------------------------
// Channel

void CAlderCanal::SetFRQ_Step(int /*value*/) {
    f_.frqStep = 12500;
    SetModified();
}

std::span<const int> CAlderCanal::Steps() const {
    static constexpr int kSteps[] = {12500};
    return kSteps;
}

void CAlderCanal::DecodeCanal(std::span<const std::uint8_t> record) {
    CTwoBankCanal::DecodeCanal(record);
    // A frequency off the 25 kHz raster can only be a 12.5 kHz channel.
    if (f_.enabled && (f_.frqPrm % 25000 != 0 || f_.frqPrd % 25000 != 0)) f_.frqStep = 12500;
}

// ---------------------------------------------------------------------------------------------
// Parameter set

CAlderData::CAlderData(CRadio& radio) : CTwoBankData(radio, kAlderModel) {
    CreateCanals<CAlderCanal>();
    SetDefaults();
}

CAlderCanal* CAlderData::Canal(int index) {
    return static_cast<CAlderCanal*>(CTwoBankData::Canal(index));
}

std::uint8_t CAlderData::Key(int group) const {
    if (group < 1 || group > alder::kKeyGroups) return 0;
    return own_.keys[static_cast<std::size_t>(group - 1)];
}

void CAlderData::SetKey(int group, std::uint8_t value) {
    if (group < 1 || group > alder::kKeyGroups) return;
    if (AssignIfChanged(own_.keys[static_cast<std::size_t>(group - 1)], value)) SetModified();
}

void CAlderData::SetModifikator(bool value) {
    if (AssignIfChanged(own_.modifikator, value)) SetModified();
}

void CAlderData::StoreUserTone(double& field, double value) {
    // Written so that a value that is not a number also lands on the lowest tone.
    if (!(value >= alder::kUserToneLow))
        value = alder::kUserToneLow;
    else if (value > alder::kUserToneHigh)
        value = alder::kUserToneHigh;
    // Differences below the radio's resolution are not changes.
    if (std::fabs(value - field) <= 0.095) return;
    field = value;
    SetModified();
}

void CAlderData::SetCTCSS_PRM(double value) {
    StoreUserTone(own_.ctcssPrm, value);
}
void CAlderData::SetCTCSS_PRD(double value) {
    StoreUserTone(own_.ctcssPrd, value);
}

void CAlderData::ResetModelFields() {
    own_ = SOwnFields{};
}

std::function<void()> CAlderData::ModelFieldsRestorer() {
    return [this, kept = own_] { own_ = kept; };
}

SCanalTone CAlderData::ToneOfCode(int code, bool transmit) const {
    if (code != alder::kUserTone) return CTwoBankData::ToneOfCode(code, transmit);
    const double hertz = transmit ? own_.ctcssPrd : own_.ctcssPrm;
    return {SCanalTone::EKind::Ctcss, static_cast<int>(std::lround(hertz * 10))};
}

std::optional<int> CAlderData::CodeOfTone(const SCanalTone& tone, bool transmit) const {
    if (const std::optional<int> code = CTwoBankData::CodeOfTone(tone, transmit)) return code;
    if (tone.kind == SCanalTone::EKind::Ctcss && ToneOfCode(alder::kUserTone, transmit) == tone)
        return alder::kUserTone;
    return std::nullopt;
}

std::vector<SDataKey> CAlderData::DataKeys() {
    static constexpr std::string_view kKeyNames[alder::kKeyGroups] = {
        "Key1", "Key2",  "Key3",  "Key4",  "Key5",  "Key6",  "Key7",  "Key8",
        "Key9", "Key10", "Key11", "Key12", "Key13", "Key14", "Key15", "Key16"};
    std::vector<SDataKey> keys = StationKeys();
    for (int group = 1; group <= alder::kKeyGroups; ++group) {
        const std::string_view name = kKeyNames[group - 1];
        keys.push_back(
            {name, [this, name, group](textform::CTextWriter& w) { w.PutInt(name, Key(group)); },
             [this, group](std::string_view text) {
                 const std::optional<int> value = textform::ParseInt(text);
                 // Only the low eight bits are a key group.
                 if (value) SetKey(group, static_cast<std::uint8_t>(*value & 0xFF));
                 return value.has_value();
             }});
    }
    keys.push_back(
        FlagKey("Modifikator", *this, &CAlderData::Modifikator, &CAlderData::SetModifikator));
    AppendKeys(keys, ScanKeys());
    const auto realKey = [this](std::string_view name, double (CAlderData::*get)() const,
                                void (CAlderData::*set)(double)) {
        return SDataKey{
            name, [this, name, get](textform::CTextWriter& w) { w.PutReal(name, (this->*get)()); },
            [this, set](std::string_view text) {
                const std::optional<double> value = textform::ParseReal(text);
                if (value) (this->*set)(*value);
                return value.has_value();
            }};
    };
    keys.push_back(realKey("CTCSS_PRM", &CAlderData::CTCSS_PRM, &CAlderData::SetCTCSS_PRM));
    keys.push_back(realKey("CTCSS_PRD", &CAlderData::CTCSS_PRD, &CAlderData::SetCTCSS_PRD));
    AppendKeys(keys, DtmfSendKeys());
    AppendKeys(keys, DtmfDecodeKeys());
    AppendKeys(keys, AccessKeys());
    return keys;
}

void CAlderData::EncodeModelSettings(std::span<std::uint8_t> image) const {
    using namespace alder::Offset;
    PutByte(image, kSettingsConst, 0x03);
    PutWord(image, kUserToneRxTenths, alder::ToneTenths(own_.ctcssPrm));
    PutWord(image, kUserToneRxWord, alder::ReceiveToneWord(own_.ctcssPrm));
    PutWord(image, kUserToneTxTenths, alder::ToneTenths(own_.ctcssPrd));
    PutWord(image, kUserToneTxWord, alder::TransmitToneWord(own_.ctcssPrd));
    constexpr unsigned kMarker = 0x0A;
    PutByte(image, kKeyMarker, kMarker);
    for (std::size_t i = 0; i < own_.keys.size(); ++i) PutByte(image, kKeys + i, own_.keys[i]);
    PutByte(image, kKeyCheck, std::accumulate(own_.keys.begin(), own_.keys.end(), kMarker) & 0xFF);
    PutByte(image, kModifikator, own_.modifikator ? 0x55 : 0xEE);
}

void CAlderData::DecodeModelSettings(std::span<const std::uint8_t> image) {
    using namespace alder::Offset;
    own_.ctcssPrm = GetWord(image, kUserToneRxTenths) * 0.1;
    own_.ctcssPrd = GetWord(image, kUserToneTxTenths) * 0.1;
    for (std::size_t i = 0; i < own_.keys.size(); ++i) own_.keys[i] = GetByte(image, kKeys + i);
    own_.modifikator = GetByte(image, kModifikator) == 0x55;
}

bool CAlderData::RangesAllowWriting() {
    const FreqRanges& r = Ranges();
    const FreqRanges& factory = Model().defaultRanges;
    return std::equal(r.begin(), r.begin() + 4, factory.begin()) && r[4] == r[5] && r[6] == r[7];
}

// ---------------------------------------------------------------------------------------------
// Radio, recogniser, module

CAlder::CAlder() : CRadio("00", "Ольха-1", alder::kBandLow, alder::kBandHigh, "ald") {}

IRadioWare* CAlder::Ware() const {
    return CWareSingleton<CAlderWare>::Get();
}

CAlder& AlderRadio() {
    static CAlder radio;
    return radio;
}

CAlderWare::CAlderWare() : TRadioWareOf(AlderRadio(), "ALDER", "1.1.0") {}

// ---- The values as the view shows them --------------------------------------------------------

void CAlderData::AppendShownSames(std::vector<SShownValue>& out) {
    using namespace models;
    CShownPage sames(out, kSamesPage);
    sames.Group("Частоты CTCSS тонов, определяемые пользователем")
        .Row("Частота CTCSS тона приема, Гц", DecimalText(CTCSS_PRM(), 1))
        .Row("Частота CTCSS тона передачи, Гц", DecimalText(CTCSS_PRD(), 1))
        .Group("DTMF");
    AppendShownDtmfSend(sames);
    sames.Row("Декодирование DTMF сигнала при приеме", OnOffName(DTMF_Decode()))
        .Row("Звук при декодировании DTMF сигнала", YesNoName(DTMF_Sound()))
        .Row("Время декодирования после обнаружения несущей, мс",
             DecimalText(UnitsToMs(DTMF_Time()), 2));
    AppendShownPrgVa(out);
    std::array<std::uint8_t, alder::kKeyGroups> key{};
    for (int group = 1; group <= alder::kKeyGroups; ++group)
        key[static_cast<std::size_t>(group - 1)] = Key(group);
    CShownPage(out, kKeyPage)
        .Group("Ключ маскирования")
        .Row("Ключ, шестнадцатеричный формат", KeyText(key), true)
        .Row("Изменение ключа по каналам", YesNoName(Modifikator()));
}
