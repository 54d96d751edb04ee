#include "U_twobankdata.h"

#include <algorithm>
#include <array>
#include <istream>
#include <ostream>
#include <utility>

#include "U_codepage.h"
#include "U_imagebytes.h"
#include "U_modellists.h"

using models::Bit;
using models::GetByte;
using models::GetWord;
using models::HasBit;
using models::PutByte;
using models::PutWord;
using textform::ChannelKey;

// ---------------------------------------------------------------------------------------------
// Channel record

CTwoBankCanal::CTwoBankCanal(CTwoBankData& data, int index) : CRadioCanal(data, index) {
    ResetToDefaults();
}

CTwoBankData& CTwoBankCanal::Owner() const {
    return static_cast<CTwoBankData&>(Data());
}

const STwoBankModel& CTwoBankCanal::Model() const {
    return Owner().Model();
}

void CTwoBankCanal::ResetToDefaults() {
    f_ = SCanalFields{};
    f_.frqStep = Model().defaultStep;
    f_.frqPrm = Model().bandLow;
    f_.frqPrd = Model().bandLow;
}

int CTwoBankCanal::OnRaster(int frequency) const {
    const int clamped = std::clamp(frequency, Model().bandLow, Model().bandHigh);
    return clamped / f_.frqStep * f_.frqStep;
}

unsigned CTwoBankCanal::FrequencyCode(int frequency) const {
    return static_cast<unsigned>((frequency - Model().frequencyCodeBase) / twobank::kRaster);
}

int CTwoBankCanal::CodeFrequency(unsigned code) const {
    return static_cast<int>(code) * twobank::kRaster + Model().frequencyCodeBase;
}

void CTwoBankCanal::SetEnabled(bool value) {
    if (!AssignIfChanged(f_.enabled, value)) return;
    Owner().UpdatePriority();
    SetModified();
}

void CTwoBankCanal::SetFRQ_PRM(int value) {
    if (value == f_.frqPrm) return;
    f_.frqPrm = OnRaster(value);
    if (f_.oneFrq) f_.frqPrd = f_.frqPrm;
    SetModified();
}

void CTwoBankCanal::SetFRQ_PRD(int value) {
    if (value == f_.frqPrd) return;
    f_.frqPrd = OnRaster(value);
    if (f_.frqPrm != f_.frqPrd) f_.oneFrq = false;
    SetModified();
}

void CTwoBankCanal::SetCSS_PRM(int value) {
    if (value == f_.cssPrm) return;
    if (value < Model().cssLow || value > Model().cssPrmHigh) value = 0;
    f_.cssPrm = value;
    if (f_.oneCss) {
        // A receive-only code has no transmit counterpart: the directions part.
        if (value <= Model().cssPrdHigh)
            f_.cssPrd = value;
        else
            f_.oneCss = false;
    }
    SetModified();
}

void CTwoBankCanal::SetCSS_PRD(int value) {
    if (value == f_.cssPrd) return;
    if (value < Model().cssLow || value > Model().cssPrdHigh) value = 0;
    f_.cssPrd = value;
    if (f_.cssPrm != f_.cssPrd) f_.oneCss = false;
    SetModified();
}

void CTwoBankCanal::SetOne_FRQ(bool value) {
    if (!AssignIfChanged(f_.oneFrq, value)) return;
    if (value) f_.frqPrd = f_.frqPrm;
    SetModified();
}

void CTwoBankCanal::SetOne_CSS(bool value) {
    if (value == f_.oneCss) return;
    if (!value) {
        f_.oneCss = false;
    } else if (f_.cssPrm <= Model().cssPrdHigh) {
        f_.oneCss = true;
        f_.cssPrd = f_.cssPrm;
    }
    // Also a refused request notifies, so the view redraws the flag it had toggled.
    SetModified();
}

void CTwoBankCanal::SetScanning(bool value) {
    if (!AssignIfChanged(f_.scanning, value)) return;
    Owner().UpdatePriority();
    SetModified();
}

void CTwoBankCanal::SetBlockPRDIfBusy(bool value) {
    if (AssignIfChanged(f_.blockPrdIfBusy, value)) SetModified();
}

void CTwoBankCanal::SetLimitPRDOnTime(bool value) {
    if (AssignIfChanged(f_.limitPrdOnTime, value)) SetModified();
}

// ---------------------------------------------------------------------------------------------
// Parameter set: defaults, setters, priority, ranges

CTwoBankData::CTwoBankData(CRadio& radio, const STwoBankModel& model)
    : CRadioData(radio), model_(model) {}

void CTwoBankData::CreateCanals(
    const std::function<std::unique_ptr<CTwoBankCanal>(int index)>& make) {
    canals_.clear();
    for (int i = 0; i < twobank::kCanalCount; ++i) canals_.push_back(make(i));
}

CTwoBankCanal* CTwoBankData::Canal(int index) {
    if (index < 0 || index >= twobank::kCanalCount) index = 0;
    return canals_[static_cast<std::size_t>(index)].get();
}

const CTwoBankCanal& CTwoBankData::CanalAt(int index) const {
    if (index < 0 || index >= twobank::kCanalCount) index = 0;
    return *canals_[static_cast<std::size_t>(index)];
}

void CTwoBankData::ResetSettings() {
    s_ = STwoBankSettings{};
    s_.ranges = model_.defaultRanges;
    s_.squelch = model_.defaultSquelch;
    s_.showFreq = model_.defaultShowFreq;
    s_.beepPress = model_.defaultBeepPress;
    s_.offBat = model_.defaultOffBat;
    s_.prgKb = model_.defaultPrgKb;
    SetRadioConverterType(-1);
    ResetModelFields();
}

void CTwoBankData::SetDefaults() {
    ResetSettings();
    for (const auto& canal : canals_) canal->ResetToDefaults();
}

int CTwoBankData::FR(int n) const {
    if (n < 1 || n > 8) n = 1;
    return s_.ranges[static_cast<std::size_t>(n - 1)];
}

namespace {

// The setters' two range rules.
bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

template <class T>
void StoreIfChanged(CRadioData& data, T& field, const T& value) {
    if (AssignIfChanged(field, value)) data.SetModified();
}

void StoreIfInRange(CRadioData& data, int& field, int value, int low, int high) {
    if (InRange(value, low, high)) StoreIfChanged(data, field, value);
}

void StoreClamped(CRadioData& data, int& field, int value, int low, int high) {
    StoreIfChanged(data, field, std::clamp(value, low, high));
}

}  // namespace

void CTwoBankData::SetTone(int value) {
    StoreIfInRange(*this, s_.tone, value, 500, 3000);
}
void CTwoBankData::SetSquelch(int value) {
    StoreIfInRange(*this, s_.squelch, value, 0, 8);
}
void CTwoBankData::SetPower(int value) {
    StoreIfInRange(*this, s_.power, value, 0, 1);
}
void CTwoBankData::SetLimitPRD(int value) {
    StoreIfInRange(*this, s_.limitPrd, value, 5, 240);
}
void CTwoBankData::SetRestPRD(int value) {
    StoreIfInRange(*this, s_.restPrd, value, 0, 240);
}
void CTwoBankData::SetShowFreq(bool value) {
    StoreIfChanged(*this, s_.showFreq, value);
}
void CTwoBankData::SetLight(bool value) {
    StoreIfChanged(*this, s_.light, value);
}
void CTwoBankData::SetBeepPress(bool value) {
    StoreIfChanged(*this, s_.beepPress, value);
}
void CTwoBankData::SetBeepBat(bool value) {
    StoreIfChanged(*this, s_.beepBat, value);
}
void CTwoBankData::SetOffClock(bool value) {
    StoreIfChanged(*this, s_.offClock, value);
}
void CTwoBankData::SetOffTemp(bool value) {
    StoreIfChanged(*this, s_.offTemp, value);
}
void CTwoBankData::SetOffBat(bool value) {
    StoreIfChanged(*this, s_.offBat, value);
}
void CTwoBankData::SetSaveSet(bool value) {
    StoreIfChanged(*this, s_.saveSet, value);
}

void CTwoBankData::SetPriorCanal(int value) {
    if (!InRange(value, 0, twobank::kCanalCount - 1)) return;
    const CTwoBankCanal& canal = CanalAt(value);
    if (canal.Enabled() && canal.Scanning()) StoreIfChanged(*this, s_.priorCanal, value);
}

void CTwoBankData::SetPriorScanning(bool value) {
    if (s_.priorCanal != -1) StoreIfChanged(*this, s_.priorScanning, value);
}

void CTwoBankData::SetStopOnCurrent(bool value) {
    StoreIfChanged(*this, s_.stopOnCurrent, value);
}
void CTwoBankData::SetDelayScanning(int value) {
    StoreIfInRange(*this, s_.delayScanning, value, 0, 60);
}
void CTwoBankData::SetDTMF_Number(const std::string& value) {
    StoreIfChanged(*this, s_.dtmfNumber, value);
}
void CTwoBankData::SetDTMF_ChWidth(int value) {
    StoreClamped(*this, s_.dtmfChWidth, value, 0, 100);
}
void CTwoBankData::SetDTMF_ChPause(int value) {
    StoreClamped(*this, s_.dtmfChPause, value, 0, 100);
}
void CTwoBankData::SetDTMF_Decode(bool value) {
    StoreIfChanged(*this, s_.dtmfDecode, value);
}
void CTwoBankData::SetDTMF_Sound(bool value) {
    StoreIfChanged(*this, s_.dtmfSound, value);
}
void CTwoBankData::SetDTMF_Time(int value) {
    StoreClamped(*this, s_.dtmfTime, value, 10, 255);
}
void CTwoBankData::SetPRG_IR(bool value) {
    StoreIfChanged(*this, s_.prgIr, value);
}
void CTwoBankData::SetPRG_KB(bool value) {
    StoreIfChanged(*this, s_.prgKb, value);
}
void CTwoBankData::SetPRG_Password(int value) {
    StoreIfInRange(*this, s_.prgPassword, value, 0, 9999);
}
void CTwoBankData::SetPRG_ActiveClone(bool value) {
    StoreIfChanged(*this, s_.prgActiveClone, value);
}
void CTwoBankData::SetPRG_ReadClone(bool value) {
    StoreIfChanged(*this, s_.prgReadClone, value);
}
void CTwoBankData::SetPRG_WriteClone(bool value) {
    StoreIfChanged(*this, s_.prgWriteClone, value);
}
void CTwoBankData::SetVA_On(bool value) {
    StoreIfChanged(*this, s_.vaOn, value);
}
void CTwoBankData::SetVA_Hi(int value) {
    StoreIfInRange(*this, s_.vaHi, value, 1, 4096);
}
void CTwoBankData::SetVA_Lo(int value) {
    StoreIfInRange(*this, s_.vaLo, value, 1, 4096);
}
void CTwoBankData::SetVA_Pause(int value) {
    StoreIfInRange(*this, s_.vaPause, value, 0, 4);
}
void CTwoBankData::SetVA_BlockKB(bool value) {
    StoreIfChanged(*this, s_.vaBlockKb, value);
}
void CTwoBankData::SetEconom(bool value) {
    StoreIfChanged(*this, s_.econom, value);
}
void CTwoBankData::SetEconomT1(int value) {
    StoreIfInRange(*this, s_.economT1, value, model_.economT1Low, model_.economT1High);
}
void CTwoBankData::SetEconomT2(int value) {
    StoreIfInRange(*this, s_.economT2, value, model_.economT2Low, model_.economT2High);
}
void CTwoBankData::SetRadioFlagB(bool value) {
    StoreIfChanged(*this, s_.radioFlagB, value);
}
void CTwoBankData::SetRadioText(const std::string& value) {
    if (Utf8ToCp1251(value).size() <= twobank::kRadioTextLength)
        StoreIfChanged(*this, s_.radioText, value);
}

void CTwoBankData::UpdatePriority() {
    auto usable = [this](int index) {
        const CTwoBankCanal& canal = CanalAt(index);
        return canal.Enabled() && canal.Scanning();
    };
    if (s_.priorCanal != -1 && !(InRange(s_.priorCanal, 0, 99) && usable(s_.priorCanal))) {
        s_.priorCanal = -1;
        SetModified();
    }
    if (s_.priorCanal == -1) {
        for (int i = 0; i < twobank::kCanalCount; ++i) {
            if (!usable(i)) continue;
            s_.priorCanal = i;
            SetModified();
            break;
        }
    }
    if (s_.priorCanal == -1) s_.priorScanning = false;
}

bool CTwoBankData::HasEnabledCanal() const {
    return LowestEnabledCanal() != -1;
}

int CTwoBankData::LowestEnabledCanal() const {
    for (int i = 0; i < twobank::kCanalCount; ++i)
        if (CanalAt(i).Enabled()) return i;
    return -1;
}

bool CTwoBankData::EnabledCanalsWithin(const FreqRanges& ranges) const {
    auto allowed = [&ranges](int frequency) {
        for (std::size_t i = 0; i < ranges.size(); i += 2) {
            if (ranges[i] == ranges[i + 1]) break;
            if (frequency >= ranges[i] && frequency <= ranges[i + 1]) return true;
        }
        return false;
    };
    return std::ranges::all_of(canals_, [&allowed](const auto& canal) {
        return !canal->Enabled() || (allowed(canal->FRQ_PRM()) && allowed(canal->FRQ_PRD()));
    });
}

bool CTwoBankData::Validate(std::string& message) {
    message.clear();
    if (!HasEnabledCanal()) {
        message = "Нет активных каналов для записи параметров";
        return false;
    }
    if (!RangesAllowWriting()) {
        message = "Запрещенный для записи диапазон частот";
        return false;
    }
    return true;
}

std::string CTwoBankData::RangeText() const {
    return ::RangeText(s_.ranges);
}

// ---------------------------------------------------------------------------------------------
// Text form

namespace {

// The channel keys after "Enabled", in file order.
struct SCanalKey {
    std::string_view field;
    // The value text of a channel.
    std::string (*write)(const CTwoBankCanal& canal,
                         const std::function<std::string(int)>& toneName);
    // Converts and applies a value; false when it does not convert.
    bool (*read)(CTwoBankCanal& canal, std::string_view text,
                 const std::function<int(std::string_view)>& toneCode);
};

template <void (CTwoBankCanal::*Set)(int)>
bool ReadIntInto(CTwoBankCanal& canal, std::string_view text,
                 const std::function<int(std::string_view)>&) {
    const std::optional<int> value = textform::ParseInt(text);
    if (value) (canal.*Set)(*value);
    return value.has_value();
}

template <void (CTwoBankCanal::*Set)(bool)>
bool ReadFlagInto(CTwoBankCanal& canal, std::string_view text,
                  const std::function<int(std::string_view)>&) {
    const std::optional<bool> value = textform::ParseFlag(text);
    if (value) (canal.*Set)(*value);
    return value.has_value();
}

template <void (CTwoBankCanal::*Set)(int)>
bool ReadToneInto(CTwoBankCanal& canal, std::string_view text,
                  const std::function<int(std::string_view)>& toneCode) {
    (canal.*Set)(toneCode(text));
    return true;
}

template <int (CTwoBankCanal::*Get)() const>
std::string WriteInt(const CTwoBankCanal& canal, const std::function<std::string(int)>&) {
    return std::to_string((canal.*Get)());
}

template <bool (CTwoBankCanal::*Get)() const>
std::string WriteFlag(const CTwoBankCanal& canal, const std::function<std::string(int)>&) {
    return (canal.*Get)() ? "1" : "0";
}

template <int (CTwoBankCanal::*Get)() const>
std::string WriteTone(const CTwoBankCanal& canal, const std::function<std::string(int)>& name) {
    return name((canal.*Get)());
}

constexpr SCanalKey kCanalKeys[] = {
    {"FRQ_Step", WriteInt<&CTwoBankCanal::FRQ_Step>, ReadIntInto<&CTwoBankCanal::SetFRQ_Step>},
    {"FRQ_PRM", WriteInt<&CTwoBankCanal::FRQ_PRM>, ReadIntInto<&CTwoBankCanal::SetFRQ_PRM>},
    {"FRQ_PRD", WriteInt<&CTwoBankCanal::FRQ_PRD>, ReadIntInto<&CTwoBankCanal::SetFRQ_PRD>},
    {"CSS_PRM", WriteTone<&CTwoBankCanal::CSS_PRM>, ReadToneInto<&CTwoBankCanal::SetCSS_PRM>},
    {"CSS_PRD", WriteTone<&CTwoBankCanal::CSS_PRD>, ReadToneInto<&CTwoBankCanal::SetCSS_PRD>},
    {"One_FRQ", WriteFlag<&CTwoBankCanal::One_FRQ>, ReadFlagInto<&CTwoBankCanal::SetOne_FRQ>},
    {"One_CSS", WriteFlag<&CTwoBankCanal::One_CSS>, ReadFlagInto<&CTwoBankCanal::SetOne_CSS>},
    {"Scanning", WriteFlag<&CTwoBankCanal::Scanning>, ReadFlagInto<&CTwoBankCanal::SetScanning>},
    {"BlockPRDIfBusy", WriteFlag<&CTwoBankCanal::BlockPRDIfBusy>,
     ReadFlagInto<&CTwoBankCanal::SetBlockPRDIfBusy>},
    {"LimitPRDOnTime", WriteFlag<&CTwoBankCanal::LimitPRDOnTime>,
     ReadFlagInto<&CTwoBankCanal::SetLimitPRDOnTime>},
};

constexpr std::array<std::string_view, 8> kRangeKeys = {"FR1", "FR2", "FR3", "FR4",
                                                        "FR5", "FR6", "FR7", "FR8"};

}  // namespace

std::vector<SDataKey> CTwoBankData::StationKeys() {
    using D = CTwoBankData;
    return {IntKey("Tone", *this, &D::Tone, &D::SetTone),
            IntKey("Squelch", *this, &D::Squelch, &D::SetSquelch),
            IntKey("Power", *this, &D::Power, &D::SetPower),
            IntKey("LimitPRD", *this, &D::LimitPRD, &D::SetLimitPRD),
            IntKey("RestPRD", *this, &D::RestPRD, &D::SetRestPRD),
            FlagKey("ShowFreq", *this, &D::ShowFreq, &D::SetShowFreq),
            FlagKey("Light", *this, &D::Light, &D::SetLight),
            FlagKey("BeepPress", *this, &D::BeepPress, &D::SetBeepPress),
            FlagKey("BeepBat", *this, &D::BeepBat, &D::SetBeepBat),
            FlagKey("OffClock", *this, &D::OffClock, &D::SetOffClock),
            FlagKey("OffTemp", *this, &D::OffTemp, &D::SetOffTemp),
            FlagKey("OffBat", *this, &D::OffBat, &D::SetOffBat),
            FlagKey("SaveSet", *this, &D::SaveSet, &D::SetSaveSet)};
}

std::vector<SDataKey> CTwoBankData::ScanKeys() {
    using D = CTwoBankData;
    return {IntKey("PriorCanal", *this, &D::PriorCanal, &D::SetPriorCanal),
            FlagKey("PriorScanning", *this, &D::PriorScanning, &D::SetPriorScanning),
            FlagKey("StopOnCurrent", *this, &D::StopOnCurrent, &D::SetStopOnCurrent),
            IntKey("DelayScanning", *this, &D::DelayScanning, &D::SetDelayScanning)};
}

std::vector<SDataKey> CTwoBankData::DtmfSendKeys() {
    using D = CTwoBankData;
    SDataKey number{"DTMF_Number",
                    [this](textform::CTextWriter& w) { w.Put("DTMF_Number", DTMF_Number()); },
                    [this](std::string_view text) {
                        SetDTMF_Number(std::string(text));
                        return true;
                    }};
    return {std::move(number), IntKey("DTMF_ChWidth", *this, &D::DTMF_ChWidth, &D::SetDTMF_ChWidth),
            IntKey("DTMF_ChPause", *this, &D::DTMF_ChPause, &D::SetDTMF_ChPause)};
}

std::vector<SDataKey> CTwoBankData::DtmfDecodeKeys() {
    using D = CTwoBankData;
    return {FlagKey("DTMF_Decode", *this, &D::DTMF_Decode, &D::SetDTMF_Decode),
            FlagKey("DTMF_Sound", *this, &D::DTMF_Sound, &D::SetDTMF_Sound),
            IntKey("DTMF_Time", *this, &D::DTMF_Time, &D::SetDTMF_Time)};
}

std::vector<SDataKey> CTwoBankData::AccessKeys() {
    using D = CTwoBankData;
    return {FlagKey("PRG_IR", *this, &D::PRG_IR, &D::SetPRG_IR),
            FlagKey("PRG_KB", *this, &D::PRG_KB, &D::SetPRG_KB),
            IntKey("PRG_Password", *this, &D::PRG_Password, &D::SetPRG_Password),
            FlagKey("PRG_ActiveClone", *this, &D::PRG_ActiveClone, &D::SetPRG_ActiveClone),
            FlagKey("PRG_ReadClone", *this, &D::PRG_ReadClone, &D::SetPRG_ReadClone),
            FlagKey("PRG_WriteClone", *this, &D::PRG_WriteClone, &D::SetPRG_WriteClone),
            FlagKey("VA_On", *this, &D::VA_On, &D::SetVA_On),
            IntKey("VA_Hi", *this, &D::VA_Hi, &D::SetVA_Hi),
            IntKey("VA_Lo", *this, &D::VA_Lo, &D::SetVA_Lo),
            IntKey("VA_Pause", *this, &D::VA_Pause, &D::SetVA_Pause),
            FlagKey("VA_BlockKB", *this, &D::VA_BlockKB, &D::SetVA_BlockKB)};
}

std::vector<SDataKey> CTwoBankData::EconomKeys() {
    using D = CTwoBankData;
    return {FlagKey("Econom", *this, &D::Econom, &D::SetEconom),
            IntKey("EconomT1", *this, &D::EconomT1, &D::SetEconomT1),
            IntKey("EconomT2", *this, &D::EconomT2, &D::SetEconomT2)};
}

bool CTwoBankData::WriteText(std::ostream& out) {
    textform::CTextWriter writer;
    for (std::size_t i = 0; i < kRangeKeys.size(); ++i) writer.PutInt(kRangeKeys[i], s_.ranges[i]);
    const auto toneName = [this](int code) { return CanalToneName(code); };
    for (const auto& canal : canals_) {
        const int index = canal->Index();
        writer.PutFlag(ChannelKey(index, "Enabled"), canal->Enabled());
        if (!canal->Enabled()) continue;
        for (const SCanalKey& key : kCanalKeys)
            writer.Put(ChannelKey(index, key.field), key.write(*canal, toneName));
    }
    for (const SDataKey& key : DataKeys()) key.write(writer);
    return writer.WriteTo(out);
}

std::function<void()> CTwoBankData::Keeper() {
    std::vector<SCanalFields> canals;
    for (const auto& canal : canals_) canals.push_back(canal->f_);
    return [this, settings = s_, converterType = RadioConverterType(), canals = std::move(canals),
            restoreModelFields = ModelFieldsRestorer()] {
        s_ = settings;
        SetRadioConverterType(converterType);
        for (std::size_t i = 0; i < canals_.size(); ++i) canals_[i]->f_ = canals[i];
        restoreModelFields();
    };
}

bool CTwoBankData::ReadText(std::istream& in) {
    const std::optional<textform::CTextBody> body = textform::CTextBody::Read(in);
    if (!body) return false;
    // A rejected body leaves the set as it was: keep everything, put it back on failure.
    const STwoBankSettings keptSettings = s_;
    const int keptConverterType = RadioConverterType();
    std::vector<SCanalFields> keptCanals;
    for (const auto& canal : canals_) keptCanals.push_back(canal->f_);
    const std::function<void()> restoreModelFields = ModelFieldsRestorer();
    if (ReadBody(*body)) return true;
    s_ = keptSettings;
    SetRadioConverterType(keptConverterType);
    for (std::size_t i = 0; i < canals_.size(); ++i) canals_[i]->f_ = keptCanals[i];
    restoreModelFields();
    return false;
}

bool CTwoBankData::ReadBody(const textform::CTextBody& body) {
    ResetSettings();
    for (std::size_t i = 0; i < kRangeKeys.size(); ++i) {
        const auto text = body.Find(kRangeKeys[i]);
        if (!text) continue;
        const std::optional<int> value = textform::ParseInt(*text);
        if (!value) return false;
        s_.ranges[i] = *value;
    }
    NormalizeRanges(s_.ranges, model_.bandLow, model_.bandHigh);
    for (const auto& canal : canals_) ReadCanal(body, *canal);
    for (const SDataKey& key : DataKeys()) {
        const auto text = body.Find(key.key);
        if (text && !key.read(*text)) return false;
    }
    UpdatePriority();
    return true;
}

void CTwoBankData::ReadCanal(const textform::CTextBody& body, CTwoBankCanal& canal) {
    canal.ResetToDefaults();
    const int index = canal.Index();
    const auto enabledText = body.Find(ChannelKey(index, "Enabled"));
    if (!enabledText) return;  // without its "Enabled" line a channel keeps its defaults
    const std::optional<bool> enabled = textform::ParseFlag(*enabledText);
    if (!enabled) return;
    canal.f_.enabled = *enabled;
    const auto toneCode = [this](std::string_view name) { return CanalToneCode(name); };
    for (const SCanalKey& key : kCanalKeys) {
        const auto text = body.Find(ChannelKey(index, key.field));
        if (text && !key.read(canal, *text, toneCode)) {
            // One bad value spoils only its own channel.
            canal.ResetToDefaults();
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The channel in common terms

SCanalTone CTwoBankData::ToneOfCode(int code, bool /*transmit*/) const {
    return models::ToneOfListName(CanalToneName(code));
}

std::optional<int> CTwoBankData::CodeOfTone(const SCanalTone& tone, bool /*transmit*/) const {
    if (tone.kind == SCanalTone::EKind::None) return 0;
    const int code = CanalToneCode(models::ToneListName(tone));
    if (code == 0) return std::nullopt;
    return code;
}

bool CTwoBankData::InRanges(int frequency) const {
    if (frequency < model_.bandLow || frequency > model_.bandHigh) return false;
    for (std::size_t pair = 0; pair < s_.ranges.size(); pair += 2) {
        const int low = s_.ranges[pair], high = s_.ranges[pair + 1];
        if (low == high) break;
        if (frequency >= low && frequency <= high) return true;
    }
    return false;
}

SCanalCommon CTwoBankCanal::Common() const {
    return {f_.enabled,
            f_.frqStep,
            f_.frqPrm,
            f_.frqPrd,
            Owner().ToneOfCode(f_.cssPrm, false),
            Owner().ToneOfCode(f_.cssPrd, true),
            f_.scanning};
}

ECanalMisfit CTwoBankCanal::Misfit(const SCanalCommon& values) const {
    if (!Owner().InRanges(values.rxFrequency)) return ECanalMisfit::RxFrequency;
    if (!Owner().InRanges(values.txFrequency)) return ECanalMisfit::TxFrequency;
    if (models::FittingStep(values.step, values.rxFrequency, values.txFrequency, Steps()) == 0)
        return models::FittingStep(values.step, values.rxFrequency, values.rxFrequency, Steps()) ==
                       0
                   ? ECanalMisfit::RxGrid
                   : ECanalMisfit::TxGrid;
    if (!Owner().CodeOfTone(values.rxTone, false)) return ECanalMisfit::RxTone;
    if (!Owner().CodeOfTone(values.txTone, true)) return ECanalMisfit::TxTone;
    return ECanalMisfit::None;
}

void CTwoBankCanal::PutCommon(const SCanalCommon& values) {
    if (Misfit(values) != ECanalMisfit::None) return;
    const int step =
        models::FittingStep(values.step, values.rxFrequency, values.txFrequency, Steps());
    if (step != f_.frqStep) SetFRQ_Step(step);
    SetOne_FRQ(values.rxFrequency == values.txFrequency);
    SetFRQ_PRM(values.rxFrequency);
    SetFRQ_PRD(values.txFrequency);
    const int rxCode = *Owner().CodeOfTone(values.rxTone, false);
    const int txCode = *Owner().CodeOfTone(values.txTone, true);
    SetOne_CSS(rxCode == txCode);
    SetCSS_PRM(rxCode);
    SetCSS_PRD(txCode);
    SetScanning(values.scanning);
    SetEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// Memory image

void CTwoBankData::EncodeImage(std::span<std::uint8_t> image) {
    using namespace twobank;
    std::ranges::fill(image, 0xFF);
    for (const auto& canal : canals_) {
        const std::size_t slot =
            Offset::kCanalSlots + Offset::kCanalSlotSize * static_cast<std::size_t>(canal->Index());
        canal->EncodeCanal(image.subspan(slot, Offset::kCanalRecordSize));
    }
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
    PutWord(image, Offset::kFlagsA, Bit(s_.vaOn, kVaOn) | Bit(s_.squelch != 0, kSquelchOn));
    PutWord(image, Offset::kFlagsB,
            Bit(s_.showFreq, kShowFreq) | Bit(s_.prgKb, kPrgKb) | Bit(s_.dtmfDecode, kDtmfDecode) |
                Bit(s_.light, kLight) | Bit(s_.prgIr, kPrgIr) | Bit(s_.beepPress, kBeepPress));
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
    PutWord(image, Offset::kFlagsE,
            Bit(s_.priorScanning, kPriorScanning) | Bit(s_.stopOnCurrent, kStopOnCurrent));
    PutByte(image, Offset::kLimitPrd, static_cast<unsigned>(s_.limitPrd));
    PutByte(image, Offset::kFlagsC,
            Bit(s_.prgActiveClone, kActiveClone) | Bit(s_.prgReadClone, kReadClone) |
                Bit(s_.prgWriteClone, kWriteClone) | Bit(!s_.offClock, kOffClockOff) |
                Bit(!s_.offBat, kOffBatOff) | Bit(!s_.offTemp, kOffTempOff) |
                Bit(s_.dtmfSound, kDtmfSound) | Bit(!s_.econom, kEconomOff));
    PutByte(image, Offset::kFlagsD,
            Bit(s_.vaBlockKb, kVaBlockKb) | Bit(true, model_.headerModelBit) |
                Bit(s_.beepBat, kBeepBat) | Bit(!s_.saveSet, kSaveSetOff) |
                Bit(s_.radioFlagB, kRadioFlagB));
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
    for (const auto& canal : canals_) {
        const std::size_t slot =
            Offset::kCanalSlots + Offset::kCanalSlotSize * static_cast<std::size_t>(canal->Index());
        canal->DecodeCanal(bytes.subspan(slot, Offset::kCanalRecordSize));
    }
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
    s_.vaOn = HasBit(flagsA, kVaOn);
    const bool squelchOn = HasBit(flagsA, kSquelchOn);
    const unsigned flagsB = GetWord(image, Offset::kFlagsB);
    s_.showFreq = HasBit(flagsB, kShowFreq);
    s_.prgKb = HasBit(flagsB, kPrgKb);
    s_.dtmfDecode = HasBit(flagsB, kDtmfDecode);
    s_.light = HasBit(flagsB, kLight);
    s_.prgIr = HasBit(flagsB, kPrgIr);
    s_.beepPress = HasBit(flagsB, kBeepPress);
    s_.power = GetByte(image, Offset::kPower) == 0 ? 0 : 1;
    // A number that names no channel is no priority channel.
    const int prior = GetWord(image, Offset::kPriorCanal);
    s_.priorCanal = prior < kCanalCount ? prior : -1;
    s_.tone = GetWord(image, Offset::kTone);
    s_.squelch = squelchOn ? GetByte(image, Offset::kSquelchLevel) + 1 : 0;
    s_.vaHi = GetWord(image, Offset::kVaHi);
    s_.vaLo = GetWord(image, Offset::kVaLo);
    s_.vaPause = std::clamp((GetWord(image, Offset::kVaPause) + 63) / 64, 0, 4);
    const unsigned flagsE = GetWord(image, Offset::kFlagsE);
    s_.priorScanning = HasBit(flagsE, kPriorScanning);
    s_.stopOnCurrent = HasBit(flagsE, kStopOnCurrent);
    s_.limitPrd = GetByte(image, Offset::kLimitPrd);
    const unsigned flagsC = GetByte(image, Offset::kFlagsC);
    s_.prgActiveClone = HasBit(flagsC, kActiveClone);
    s_.prgReadClone = HasBit(flagsC, kReadClone);
    s_.prgWriteClone = HasBit(flagsC, kWriteClone);
    s_.offClock = !HasBit(flagsC, kOffClockOff);
    s_.offBat = !HasBit(flagsC, kOffBatOff);
    s_.offTemp = !HasBit(flagsC, kOffTempOff);
    s_.dtmfSound = HasBit(flagsC, kDtmfSound);
    s_.econom = !HasBit(flagsC, kEconomOff);
    const unsigned flagsD = GetByte(image, Offset::kFlagsD);
    s_.vaBlockKb = HasBit(flagsD, kVaBlockKb);
    s_.beepBat = HasBit(flagsD, kBeepBat);
    s_.saveSet = !HasBit(flagsD, kSaveSetOff);
    s_.radioFlagB = HasBit(flagsD, kRadioFlagB);
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

// ---------------------------------------------------------------------------------------------
// Frequency text

namespace twobank {

namespace {

std::string Grouped(int value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0 && digits[at - 1] != '-'; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ' ');
    return digits;
}

}  // namespace

std::string FreqText(const CTwoBankData& data, int value) {
    if (value == 12500) return "12,5";
    if (value == 25000) return "25";
    return Grouped(SnapToRanges(data, value));
}

int ParseFreqText(const CTwoBankData& data, std::string_view text) {
    if (text == "12,5") return 12500;
    if (text == "25") return 25000;
    const std::size_t length = Grouped(data.Model().bandHigh).size();
    if (text.size() != length || length < 8) return data.Model().bandLow;
    std::string digits(text);
    digits.erase(length - 4, 1);
    digits.erase(length - 8, 1);
    const std::optional<int> value = textform::ParseInt(digits);
    return value ? SnapToRanges(data, *value) : data.Model().bandLow;
}

int SnapToRanges(const CTwoBankData& data, int frequency) {
    return ::SnapToRanges(data.Ranges(), frequency);
}

int StepUp(const CTwoBankData& data, int frequency, int step) {
    return ::StepUp(data.Ranges(), frequency, step);
}

int StepDown(const CTwoBankData& data, int frequency, int step) {
    return ::StepDown(data.Ranges(), frequency, step);
}

}  // namespace twobank

// ---- The values as the view shows them --------------------------------------------------------

std::vector<SShownValue> CTwoBankData::ShownSettings() {
    using namespace models;
    const SShownWords words = ShownWords();
    std::vector<SShownValue> out;
    CShownPage(out, kBasicsPage)
        .Row("Частота вызывного тона, Гц", std::to_string(Tone()))
        .Row("Порог срабатывания шумоподавителя", SquelchName(Squelch()))
        .Group("Передатчик")
        .Row("Мощность передатчика", ListName(kPowerList, Power()))
        .Row(WithUnit("Ограничение времени работы на передачу", words.seconds),
             std::to_string(LimitPRD()))
        .Row(WithUnit("Пауза после принудительного отключения передачи", words.seconds),
             std::to_string(RestPRD()))
        .Group("Индикация")
        .Row("Отображение частоты текущего канала", OnOffName(ShowFreq()))
        .Row("Подсветка индикатора и клавиатуры", OnOffName(Light()))
        .Row("Звуковой сигнал нажатия клавиш", OnOffName(BeepPress()))
        .Row("Звуковой сигнал при разряде аккумулятора", OnOffName(BeepBat()))
        .Group("Индикация при выключенной радиостанции")
        .Row("Отображение текущего времени", OnOffName(OffClock()))
        .Row("Отображение температуры", OnOffName(OffTemp()))
        .Row("Отображение уровня заряда аккумулятора", OnOffName(OffBat()))
        .Group("")
        .Row("Сохранять изменения параметров при выключении", YesNoName(SaveSet()));
    // Without a scanned channel the page shows this in place of both priority rows.
    const std::string noScanned = "(нет каналов сканирования)";
    const bool priority = PriorCanal() >= 0;
    CShownPage(out, kScanningPage)
        .Row("Приоритетный канал", priority ? ChannelNumberText(PriorCanal()) : noScanned)
        .Row("Приоритетное сканирование", priority ? OnOffName(PriorScanning()) : noScanned)
        .Row("Останавливаться на текущем канале", YesNoName(StopOnCurrent()))
        .Row(WithUnit("Задержка сканирования при пропадании несущей", words.seconds),
             std::to_string(DelayScanning()));
    AppendShownSames(out);
    return out;
}

void CTwoBankData::AppendShownDtmfSend(models::CShownPage& page) const {
    using namespace models;
    const SShownWords words = ShownWords();
    page.Row("Номер, посылаемый при выходе на передачу", DTMF_Number())
        .Row(WithUnit("Длительность посылки одного DTMF символа", words.milliseconds),
             DecimalText(UnitsToMs(DTMF_ChWidth()), 2))
        .Row(WithUnit("Пауза между посылками DTMF символов", words.milliseconds),
             DecimalText(UnitsToMs(DTMF_ChPause()), 2));
}

void CTwoBankData::AppendShownPrgVa(std::vector<SShownValue>& out) const {
    using namespace models;
    CShownPage(out, kSamesPage)
        .Group("Программирование")
        .Row("Включить ИК-порт", YesNoName(PRG_IR()))
        .Row("Разрешить изменение параметров с клавиатуры радиостанции", YesNoName(PRG_KB()))
        .Row("Разрешить копирование параметров радиостанции", YesNoName(PRG_ActiveClone()))
        .Row("Разрешить чтение параметров из других радиостанций", YesNoName(PRG_ReadClone()))
        .Row("Разрешить запись параметров в другие радиостанции", YesNoName(PRG_WriteClone()))
        .Row("Пароль на изменение параметров с клавиатуры радиостанции",
             PasswordText(PRG_Password()), true)
        .Group("Активация голосом")
        .Row("Включить режим \"Активация голосом\"", YesNoName(VA_On()))
        .Row("Порог включения передачи", VaLevelName(VA_Hi()))
        .Row("Порог выключения передачи", VaLevelName(VA_Lo()))
        .Row("Допустимая пауза между словами, сек", std::to_string(VA_Pause()))
        // The row asks whether switching on is allowed; the set keeps whether it is blocked.
        .Row("Разрешить включение режима с клавиатуры радиостанции", YesNoName(!VA_BlockKB()));
}

std::vector<SShownValue> CTwoBankData::ShownCanal(int index) {
    using namespace models;
    const CTwoBankCanal& canal = CanalAt(index);
    const SShownWords words = ShownWords();
    const auto tone = [&words](std::string_view direction) {
        return std::string(words.toneHeading) + ' ' + std::string(direction) +
               std::string(words.toneUnit);
    };
    std::vector<SShownValue> out;
    CShownPage row(out, "");
    if (words.stepColumn) row.Row("Шаг, кГц", twobank::FreqText(*this, canal.FRQ_Step()));
    row.Row("Частота ПРМ, Гц", twobank::FreqText(*this, canal.FRQ_PRM()))
        .Row("Частота ПРД, Гц", twobank::FreqText(*this, canal.FRQ_PRD()))
        .Row(tone("ПРМ"), ShownTone(canal.CSS_PRM()))
        .Row(tone("ПРД"), ShownTone(canal.CSS_PRD()))
        // The column asks whether transmitting on a busy channel is allowed.
        .Row("ПРД на занятом канале", YesNoName(!canal.BlockPRDIfBusy()))
        .Row("Огранич. ПРД по времени", YesNoName(canal.LimitPRDOnTime()))
        .Row("Сканирование", YesNoName(canal.Scanning()));
    return out;
}
