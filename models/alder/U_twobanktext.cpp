// The parameter text form of the two-bank models: the ranges, the channels and the model's
// data keys, read whole or not at all.
#include "U_twobankdata.h"

#include <array>
#include <istream>
#include <ostream>

using textform::ChannelKey;

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
    for (const auto& canal : canals_) {
        const int index = canal->Index();
        writer.PutFlag(ChannelKey(index, "Enabled"), canal->Enabled());
        if (!canal->Enabled()) continue;
        for (const SCanalKey& key : kCanalKeys)
            writer.Put(ChannelKey(index, key.field), key.write(*canal, model_.tones.name));
    }
    for (const SDataKey& key : DataKeys()) key.write(writer);
    return writer.WriteTo(out);
}

bool CTwoBankData::ReadText(std::istream& in) {
    const std::optional<textform::CTextBody> body = textform::CTextBody::Read(in);
    if (!body) return false;
    // A rejected body leaves the set as it was.
    const std::function<void()> restore = Keeper();
    if (ReadBody(*body)) return true;
    restore();
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
    for (const SCanalKey& key : kCanalKeys) {
        const auto text = body.Find(ChannelKey(index, key.field));
        if (text && !key.read(canal, *text, model_.tones.code)) {
            // One bad value spoils only its own channel.
            canal.ResetToDefaults();
            return;
        }
    }
}
