#include "U_larchware.h"

#include <algorithm>
#include <array>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "U_codepage.h"
#include "U_imagebytes.h"
#include "U_modellists.h"
#include "U_shownvalues.h"
#include "U_textform.h"

using models::Bit;
using models::GetByte;
using models::GetWord;
using models::HasBit;
using models::PutByte;
using models::PutWord;

namespace {

// The memory image: the channel count, the channel records, then the settings.
struct LarchOffset {
    static constexpr std::size_t kCanalCount = 0x000;
    static constexpr std::size_t kFirstRecord = 0x008;
    static constexpr std::size_t kRecordSize = 8;
    static constexpr std::size_t kCanalOnFirstPowerOn = 0x300;
    static constexpr std::size_t kServiceCanal = 0x302;
    static constexpr std::size_t kVolumeLevel = 0x303;
    static constexpr std::size_t kSquelchLevel = 0x305;
    static constexpr std::size_t kPower = 0x306;
    static constexpr std::size_t kVoiceFlags = 0x308;
    static constexpr std::size_t kScanFlags = 0x309;
    static constexpr std::size_t kDelayScanning = 0x30A;
    static constexpr std::size_t kDisplayFlags = 0x30C;
    static constexpr std::size_t kProgrammingFlags = 0x30D;
    static constexpr std::size_t kKeyStart = 0x30F;
    static constexpr std::size_t kKeys = 0x310;
    static constexpr std::size_t kKeyCheck = 0x320;
    static constexpr std::size_t kModifikator = 0x321;
    static constexpr std::size_t kVA_Hi = 0x322;
    static constexpr std::size_t kVA_Lo = 0x324;
    static constexpr std::size_t kVA_Pause = 0x326;
    static constexpr std::size_t kNotes = 0x328;

    static constexpr std::size_t Record(int slot) {
        return kFirstRecord + kRecordSize * static_cast<std::size_t>(slot);
    }
};
static_assert(LarchOffset::Record(kLarchMaxWorkingCanals) == LarchOffset::kCanalOnFirstPowerOn,
              "the last record must end where the settings begin");

// Bits of the flag bytes.
constexpr unsigned kVA_OnBit = 0, kBlockHandOnBit = 1, kSquelchOnBit = 3;
constexpr unsigned kPriorScanningBit = 0, kStopOnCurrentBit = 1;
constexpr unsigned kShowFreqBit = 0, kLightBit = 1, kBeepPressBit = 2, kSaveSetBit = 3;
constexpr unsigned kPRG_IRBit = 0, kPRG_EnabledBit = 1;
// Bits of a channel record's first word; the call tone fills bits 4..15.
constexpr unsigned kScanningBit = 0, kBlockPRDBit = 1, kToneShift = 4;

constexpr unsigned kKeyStartValue = 0x0A;
constexpr unsigned kModifikatorOn = 0x55, kModifikatorOff = 0xEE;
// What the radio keeps after the voice-activation words; the notes are read from here.
constexpr std::uint8_t kTrailer[4] = {0x05, 0x00, 0x00, 0x00};
constexpr std::size_t kMaxNotesBytes = 50;

// Frequency units of a channel record.
constexpr int kPrdUnit = 5000;
constexpr int kPrmUnit = 25000;
constexpr int kStepFine = 12500;
constexpr int kStepCoarse = 25000;

constexpr std::string_view kNoWorkingCanals = "Нет активных каналов для записи параметров";
constexpr std::string_view kTooManyWorkingCanals =
    "Превышено допустимое число рабочих каналов (не более 95)";

int NormalStep(int step) {
    return step == kStepFine || step == kStepCoarse ? step : kStepCoarse;
}

int RoundDown(int frequency, int step) {
    return frequency - frequency % step;
}

// A text value on one line of its own: a line break from an image would start a new key.
std::string LineSafe(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

// A key=value line of the body: how it is written, and how a value is taken (false when the
// value does not convert).
template <class Owner>
struct STextKey {
    std::string_view key;
    std::function<std::string(const Owner&)> write;
    std::function<bool(Owner&, std::string_view)> read;
};

template <class Owner, class Get, class Set>
STextKey<Owner> IntKey(std::string_view key, Get get, Set set) {
    return {key, [get](const Owner& o) { return std::to_string(std::invoke(get, o)); },
            [set](Owner& o, std::string_view text) {
                const std::optional<int> value = textform::ParseInt(text);
                if (value) std::invoke(set, o, *value);
                return value.has_value();
            }};
}

template <class Owner, class Get, class Set>
STextKey<Owner> FlagKey(std::string_view key, Get get, Set set) {
    return {key, [get](const Owner& o) { return std::string(std::invoke(get, o) ? "1" : "0"); },
            [set](Owner& o, std::string_view text) {
                const std::optional<bool> value = textform::ParseFlag(text);
                if (value) std::invoke(set, o, *value);
                return value.has_value();
            }};
}

// Channel keys after "Enabled", in the order of the file; read in the same order, so that the
// couplings of the setters apply as the lines come.
const std::vector<STextKey<CLarchCanal>>& CanalKeys() {
    using C = CLarchCanal;
    static const std::vector<STextKey<C>> keys = {
        IntKey<C>("FRQ_Step", &C::FRQ_Step, &C::SetFRQ_Step),
        IntKey<C>("FRQ_PRM", &C::FRQ_PRM, &C::SetFRQ_PRM),
        IntKey<C>("FRQ_PRD", &C::FRQ_PRD, &C::SetFRQ_PRD),
        FlagKey<C>("One_FRQ", &C::One_FRQ, &C::SetOne_FRQ),
        IntKey<C>("CTCSS_PRD", &C::CTCSS_PRD, &C::SetCTCSS_PRD),
        IntKey<C>("CTCSS_PRM", &C::CTCSS_PRM, &C::SetCTCSS_PRM),
        IntKey<C>("Tone", &C::Tone, &C::SetTone),
        FlagKey<C>("Scanning", &C::Scanning, &C::SetScanning),
        FlagKey<C>("BlockPRD", &C::BlockPRD, &C::SetBlockPRD),
    };
    return keys;
}

STextKey<CLarchData> ScramblerKey(int number) {
    static constexpr std::string_view kNames[16] = {
        "Key1", "Key2",  "Key3",  "Key4",  "Key5",  "Key6",  "Key7",  "Key8",
        "Key9", "Key10", "Key11", "Key12", "Key13", "Key14", "Key15", "Key16"};
    return {kNames[number - 1],
            [number](const CLarchData& d) { return std::to_string(d.Key(number)); },
            [number](CLarchData& d, std::string_view text) {
                const std::optional<int> value = textform::ParseInt(text);
                // The radio keeps a byte per group.
                if (value) d.SetKey(number, static_cast<std::uint8_t>(*value & 0xFF));
                return value.has_value();
            }};
}

// The parameter set's keys, in the order of the file.
const std::vector<STextKey<CLarchData>>& DataKeys() {
    using D = CLarchData;
    static const std::vector<STextKey<D>> keys = [] {
        std::vector<STextKey<D>> k = {
            IntKey<D>("CanalOnFirstPowerOn", &D::CanalOnFirstPowerOn, &D::SetCanalOnFirstPowerOn),
            IntKey<D>("ServiceCanal", &D::ServiceCanal, &D::SetServiceCanal),
            IntKey<D>("VolumeLevel", &D::VolumeLevel, &D::SetVolumeLevel),
            FlagKey<D>("SquelchOn", &D::SquelchOn, &D::SetSquelchOn),
            IntKey<D>("SquelchLevel", &D::SquelchLevel, &D::SetSquelchLevel),
            IntKey<D>("Power", &D::Power, &D::SetPower),
            FlagKey<D>("ShowFreq", &D::ShowFreq, &D::SetShowFreq),
            FlagKey<D>("Light", &D::Light, &D::SetLight),
            FlagKey<D>("BeepPress", &D::BeepPress, &D::SetBeepPress),
            FlagKey<D>("SaveSet", &D::SaveSet, &D::SetSaveSet),
        };
        for (int number = 1; number <= 16; ++number) k.push_back(ScramblerKey(number));
        const std::vector<STextKey<D>> rest = {
            FlagKey<D>("Modifikator", &D::Modifikator, &D::SetModifikator),
            FlagKey<D>("PriorScanning", &D::PriorScanning, &D::SetPriorScanning),
            FlagKey<D>("StopOnCurrent", &D::StopOnCurrent, &D::SetStopOnCurrent),
            IntKey<D>("DelayScanning", &D::DelayScanning, &D::SetDelayScanning),
            {"Notes", [](const D& d) { return LineSafe(d.Notes()); },
             [](D& d, std::string_view text) {
                 d.SetNotes(std::string(text));
                 return true;
             }},
            FlagKey<D>("PRG_IR", &D::PRG_IR, &D::SetPRG_IR),
            FlagKey<D>("PRG_Enabled", &D::PRG_Enabled, &D::SetPRG_Enabled),
            FlagKey<D>("BlockHandOn", &D::BlockHandOn, &D::SetBlockHandOn),
            FlagKey<D>("VA_On", &D::VA_On, &D::SetVA_On),
            IntKey<D>("VA_Hi", &D::VA_Hi, &D::SetVA_Hi),
            IntKey<D>("VA_Lo", &D::VA_Lo, &D::SetVA_Lo),
            IntKey<D>("VA_Pause", &D::VA_Pause, &D::SetVA_Pause),
        };
        k.insert(k.end(), rest.begin(), rest.end());
        return k;
    }();
    return keys;
}

constexpr std::string_view kRangeKeys[8] = {"FR1", "FR2", "FR3", "FR4", "FR5", "FR6", "FR7", "FR8"};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The radio

CLarch::CLarch() : CRadio("00", "Лиственница-1", kLarchBandLow, kLarchBandHigh, "lrc") {}

IRadioWare* CLarch::Ware() const {
    return CWareSingleton<CLarchWare>::Get();
}

CLarch& LarchRadio() {
    static CLarch radio;
    return radio;
}

// ---------------------------------------------------------------------------------------------
// A channel

CLarchCanal::CLarchCanal(CLarchData& data, int index) : CRadioCanal(data, index) {}

int CLarchCanal::FitFrequency(int value) const {
    return RoundDown(std::clamp(value, kLarchBandLow, kLarchBandHigh), state_.FRQ_Step);
}

void CLarchCanal::SetEnabled(bool value) {
    Store(state_.Enabled, value);
}

void CLarchCanal::SetFRQ_Step(int value) {
    const int step = NormalStep(value);
    if (step == state_.FRQ_Step) return;
    state_.FRQ_Step = step;
    state_.FRQ_PRM = RoundDown(state_.FRQ_PRM, step);
    state_.FRQ_PRD = RoundDown(state_.FRQ_PRD, step);
    SetModified();
}

void CLarchCanal::SetFRQ_PRM(int value) {
    const int frequency = FitFrequency(value);
    if (frequency == state_.FRQ_PRM) return;
    state_.FRQ_PRM = frequency;
    if (state_.One_FRQ) state_.FRQ_PRD = frequency;
    SetModified();
}

void CLarchCanal::SetFRQ_PRD(int value) {
    const int frequency = FitFrequency(value);
    if (frequency == state_.FRQ_PRD) return;
    state_.FRQ_PRD = frequency;
    if (state_.FRQ_PRM != frequency) state_.One_FRQ = false;
    SetModified();
}

void CLarchCanal::SetTone(int value) {
    Store(state_.Tone, std::clamp(value, kLarchToneMin, kLarchToneMax));
}

void CLarchCanal::SetCTCSS_PRM(int code) {
    if (code == state_.CTCSS_PRM) return;
    state_.CTCSS_PRM = code;
    if (state_.One_CSS) state_.CTCSS_PRD = code;
    SetModified();
}

void CLarchCanal::SetCTCSS_PRD(int code) {
    Store(state_.CTCSS_PRD, code);
}

void CLarchCanal::SetOne_FRQ(bool value) {
    if (value == state_.One_FRQ) return;
    state_.One_FRQ = value;
    if (value) state_.FRQ_PRD = state_.FRQ_PRM;
    SetModified();
}

void CLarchCanal::SetOne_CSS(bool value) {
    if (value == state_.One_CSS) return;
    state_.One_CSS = value;
    if (value) state_.CTCSS_PRD = state_.CTCSS_PRM;
    SetModified();
}

void CLarchCanal::SetScanning(bool value) {
    Store(state_.Scanning, value);
}

void CLarchCanal::SetBlockPRD(bool value) {
    Store(state_.BlockPRD, value);
}

namespace {

// The Larch tone code of a tone; none when the list lacks it.
std::optional<int> LarchToneCode(const SCanalTone& tone) {
    if (tone.kind == SCanalTone::EKind::None) return 0;
    if (tone.kind != SCanalTone::EKind::Ctcss) return std::nullopt;
    const int code = models::ListCode(models::kLarchToneList, models::ToneListName(tone));
    if (code == 0) return std::nullopt;
    return code;
}

bool InLarchBand(int frequency) {
    return frequency >= kLarchBandLow && frequency <= kLarchBandHigh;
}

}  // namespace

SCanalCommon CLarchCanal::Common() const {
    const auto tone = [](int code) {
        return models::ToneOfListName(models::ListName(models::kLarchToneList, code));
    };
    return {state_.Enabled,         state_.FRQ_Step,        state_.FRQ_PRM, state_.FRQ_PRD,
            tone(state_.CTCSS_PRM), tone(state_.CTCSS_PRD), state_.Scanning};
}

ECanalMisfit CLarchCanal::Misfit(const SCanalCommon& values) const {
    if (!InLarchBand(values.rxFrequency)) return ECanalMisfit::RxFrequency;
    if (!InLarchBand(values.txFrequency)) return ECanalMisfit::TxFrequency;
    if (models::FittingStep(values.step, values.rxFrequency, values.txFrequency,
                            models::kStepValues) == 0)
        return models::FittingStep(values.step, values.rxFrequency, values.rxFrequency,
                                   models::kStepValues) == 0
                   ? ECanalMisfit::RxGrid
                   : ECanalMisfit::TxGrid;
    if (!LarchToneCode(values.rxTone)) return ECanalMisfit::RxTone;
    if (!LarchToneCode(values.txTone)) return ECanalMisfit::TxTone;
    if (values.rxTone != values.txTone) return ECanalMisfit::ToneSplit;
    return ECanalMisfit::None;
}

void CLarchCanal::PutCommon(const SCanalCommon& values) {
    if (Misfit(values) != ECanalMisfit::None) return;
    SetFRQ_Step(models::FittingStep(values.step, values.rxFrequency, values.txFrequency,
                                    models::kStepValues));
    SetOne_FRQ(values.rxFrequency == values.txFrequency);
    SetFRQ_PRM(values.rxFrequency);
    SetFRQ_PRD(values.txFrequency);
    SetOne_CSS(true);
    SetCTCSS_PRM(*LarchToneCode(values.rxTone));
    SetScanning(values.scanning);
    SetEnabled(true);
}

void CLarchCanal::EncodeCanal(std::span<std::uint8_t> record) const {
    if (!state_.Enabled || record.size() < LarchOffset::kRecordSize) return;
    const unsigned word = Bit(state_.Scanning, kScanningBit) | Bit(state_.BlockPRD, kBlockPRDBit) |
                          ((static_cast<unsigned>(state_.Tone) & 0xFFF) << kToneShift);
    PutWord(record, 0, word);
    // The radio keeps the transmit frequency in 5 kHz and the receive frequency in 25 kHz
    // units; a finer remainder is lost.
    PutWord(record, 2, static_cast<unsigned>(state_.FRQ_PRD / kPrdUnit));
    PutWord(record, 4, static_cast<unsigned>(state_.FRQ_PRM / kPrmUnit));
    PutByte(record, 6, static_cast<unsigned>(state_.CTCSS_PRD));
    PutByte(record, 7, static_cast<unsigned>(state_.CTCSS_PRM));
}

void CLarchCanal::DecodeCanal(std::span<const std::uint8_t> record) {
    if (record.size() < LarchOffset::kRecordSize) return;
    const unsigned word = GetWord(record, 0);
    SLarchCanalState state;
    state.Enabled = true;
    state.FRQ_Step = kStepCoarse;
    state.FRQ_PRD = GetWord(record, 2) * kPrdUnit;
    state.FRQ_PRM = GetWord(record, 4) * kPrmUnit;
    state.Tone = static_cast<int>(word >> kToneShift);
    state.CTCSS_PRD = GetByte(record, 6);
    state.CTCSS_PRM = GetByte(record, 7);
    state.Scanning = HasBit(word, kScanningBit);
    state.BlockPRD = HasBit(word, kBlockPRDBit);
    // The record has no coupling flags. Taking them from equality keeps a split channel split:
    // a set coupling would let the next save and open put the receive values over the
    // transmit ones.
    state.One_FRQ = state.FRQ_PRM == state.FRQ_PRD;
    state.One_CSS = state.CTCSS_PRM == state.CTCSS_PRD;
    state_ = state;
}

// ---------------------------------------------------------------------------------------------
// The parameter set

CLarchData::CLarchData(CRadio& radio) : CRadioData(radio) {
    for (int i = 0; i < kLarchCanalCount; ++i)
        canals_[static_cast<std::size_t>(i)] = std::make_unique<CLarchCanal>(*this, i);
    SetDefaults();
}

CLarchCanal& CLarchData::LarchCanal(int index) {
    if (index < 0 || index >= kLarchCanalCount) index = 0;
    return *canals_[static_cast<std::size_t>(index)];
}

const CLarchCanal& CLarchData::LarchCanal(int index) const {
    if (index < 0 || index >= kLarchCanalCount) index = 0;
    return *canals_[static_cast<std::size_t>(index)];
}

int CLarchData::EnabledCanalCount() const {
    return static_cast<int>(
        std::count_if(canals_.begin(), canals_.end(), [](const auto& c) { return c->Enabled(); }));
}

std::uint8_t CLarchData::Key(int number) const {
    if (number < 1 || number > 16) return 0;
    return settings_.Keys[static_cast<std::size_t>(number - 1)];
}

void CLarchData::SetKey(int number, std::uint8_t value) {
    if (number < 1 || number > 16) return;
    Store(settings_.Keys[static_cast<std::size_t>(number - 1)], value);
}

void CLarchData::SetDefaults() {
    settings_ = SLarchSettings{};
    for (const auto& canal : canals_) canal->ResetToDefaults();
    SetRadioConverterType(-1);
}

bool CLarchData::Validate(std::string& message) {
    message.clear();
    const int working = EnabledCanalCount();
    if (working == 0) {
        message = kNoWorkingCanals;
        return false;
    }
    if (working > kLarchMaxWorkingCanals) {
        message = kTooManyWorkingCanals;
        return false;
    }
    return true;
}

std::string CLarchData::RangeText() const {
    return ::RangeText(settings_.Ranges);
}

CLarchData::SSnapshot CLarchData::TakeSnapshot() const {
    SSnapshot snapshot{settings_, {}};
    for (std::size_t i = 0; i < canals_.size(); ++i) snapshot.canals[i] = canals_[i]->State();
    return snapshot;
}

std::function<void()> CLarchData::Keeper() {
    return [this, kept = TakeSnapshot(), converterType = RadioConverterType()] {
        Restore(kept);
        SetRadioConverterType(converterType);
    };
}

void CLarchData::Restore(const SSnapshot& snapshot) {
    settings_ = snapshot.settings;
    for (std::size_t i = 0; i < canals_.size(); ++i) canals_[i]->Assign(snapshot.canals[i]);
}

bool CLarchData::ReadText(std::istream& in) {
    const std::optional<textform::CTextBody> body = textform::CTextBody::Read(in);
    if (!body) return false;

    // A body rejected half-way must not leave a half-read set behind.
    const SSnapshot before = TakeSnapshot();
    const auto reject = [&] {
        Restore(before);
        return false;
    };

    settings_ = SLarchSettings{};
    for (std::size_t i = 0; i < std::size(kRangeKeys); ++i) {
        const std::optional<std::string_view> text = body->Find(kRangeKeys[i]);
        if (!text) continue;
        const std::optional<int> value = textform::ParseInt(*text);
        if (!value) return reject();
        settings_.Ranges[i] = *value;
    }
    NormalizeRanges(settings_.Ranges, kLarchBandLow, kLarchBandHigh);

    for (int i = 0; i < kLarchCanalCount; ++i) {
        CLarchCanal& canal = LarchCanal(i);
        canal.ResetToDefaults();
        const std::optional<std::string_view> enabled =
            body->Find(textform::ChannelKey(i, "Enabled"));
        if (!enabled) continue;
        const std::optional<bool> flag = textform::ParseFlag(*enabled);
        bool converted = flag.has_value();
        if (converted) {
            SLarchCanalState state = canal.State();
            state.Enabled = *flag;
            canal.Assign(state);
        }
        for (const auto& key : CanalKeys()) {
            if (!converted) break;
            const std::optional<std::string_view> text =
                body->Find(textform::ChannelKey(i, key.key));
            if (text) converted = key.read(canal, *text);
        }
        // A bad channel line costs that channel only.
        if (!converted) canal.ResetToDefaults();
    }

    for (const auto& key : DataKeys()) {
        const std::optional<std::string_view> text = body->Find(key.key);
        if (text && !key.read(*this, *text)) return reject();
    }
    return true;
}

bool CLarchData::WriteText(std::ostream& out) {
    textform::CTextWriter writer;
    for (std::size_t i = 0; i < std::size(kRangeKeys); ++i)
        writer.PutInt(kRangeKeys[i], settings_.Ranges[i]);
    for (int i = 0; i < kLarchCanalCount; ++i) {
        const CLarchCanal& canal = LarchCanal(i);
        writer.PutFlag(textform::ChannelKey(i, "Enabled"), canal.Enabled());
        if (!canal.Enabled()) continue;
        for (const auto& key : CanalKeys())
            writer.Put(textform::ChannelKey(i, key.key), key.write(canal));
    }
    for (const auto& key : DataKeys()) writer.Put(key.key, key.write(*this));
    return writer.WriteTo(out);
}

void CLarchData::EncodeImage(std::span<std::uint8_t> image) {
    if (image.size() < kLarchImageSize) return;
    std::fill(image.begin(), image.end(), std::uint8_t{0xFF});

    // The radio reads its working channels as one run of records from the first; channels
    // that come with gaps (from a file) are packed in channel order, and no record may reach
    // into the settings.
    int slot = 0;
    for (const auto& canal : canals_) {
        if (!canal->Enabled()) continue;
        if (slot == kLarchMaxWorkingCanals) break;
        canal->EncodeCanal(image.subspan(LarchOffset::Record(slot), LarchOffset::kRecordSize));
        ++slot;
    }
    PutByte(image, LarchOffset::kCanalCount, static_cast<unsigned>(slot));

    const SLarchSettings& s = settings_;
    PutByte(image, LarchOffset::kCanalOnFirstPowerOn, static_cast<unsigned>(s.CanalOnFirstPowerOn));
    PutByte(image, LarchOffset::kServiceCanal, static_cast<unsigned>(s.ServiceCanal));
    PutByte(image, LarchOffset::kVolumeLevel, static_cast<unsigned>(s.VolumeLevel));
    PutByte(image, LarchOffset::kSquelchLevel, static_cast<unsigned>(s.SquelchLevel));
    PutByte(image, LarchOffset::kPower, static_cast<unsigned>(s.Power));
    PutByte(image, LarchOffset::kVoiceFlags,
            Bit(s.VA_On, kVA_OnBit) | Bit(s.BlockHandOn, kBlockHandOnBit) |
                Bit(s.SquelchOn, kSquelchOnBit));
    PutByte(image, LarchOffset::kScanFlags,
            Bit(s.PriorScanning, kPriorScanningBit) | Bit(s.StopOnCurrent, kStopOnCurrentBit));
    PutWord(image, LarchOffset::kDelayScanning, static_cast<unsigned>(s.DelayScanning));
    PutByte(image, LarchOffset::kDisplayFlags,
            Bit(s.ShowFreq, kShowFreqBit) | Bit(s.Light, kLightBit) |
                Bit(s.BeepPress, kBeepPressBit) | Bit(s.SaveSet, kSaveSetBit));
    PutByte(image, LarchOffset::kProgrammingFlags,
            Bit(s.PRG_IR, kPRG_IRBit) | Bit(s.PRG_Enabled, kPRG_EnabledBit));
    PutByte(image, LarchOffset::kKeyStart, kKeyStartValue);
    unsigned check = kKeyStartValue;
    for (std::size_t i = 0; i < s.Keys.size(); ++i) {
        PutByte(image, LarchOffset::kKeys + i, s.Keys[i]);
        check += s.Keys[i];
    }
    PutByte(image, LarchOffset::kKeyCheck, check & 0xFF);
    PutByte(image, LarchOffset::kModifikator, s.Modifikator ? kModifikatorOn : kModifikatorOff);
    PutWord(image, LarchOffset::kVA_Hi, static_cast<unsigned>(s.VA_Hi));
    PutWord(image, LarchOffset::kVA_Lo, static_cast<unsigned>(s.VA_Lo));
    PutWord(image, LarchOffset::kVA_Pause, static_cast<unsigned>(s.VA_Pause));
    std::copy(std::begin(kTrailer), std::end(kTrailer),
              image.begin() + static_cast<std::ptrdiff_t>(LarchOffset::kNotes));
}

void CLarchData::DecodeImage(std::span<std::uint8_t> image) {
    if (image.size() < kLarchImageSize) return;
    const std::span<const std::uint8_t> in = image;

    for (const auto& canal : canals_) canal->ResetToDefaults();
    // The count comes from the radio's memory: never more records than fit before the settings.
    const int count = std::min<int>(GetByte(in, LarchOffset::kCanalCount), kLarchMaxWorkingCanals);
    for (int slot = 0; slot < count; ++slot)
        LarchCanal(slot).DecodeCanal(
            in.subspan(LarchOffset::Record(slot), LarchOffset::kRecordSize));

    SLarchSettings& s = settings_;
    s.ImageCanalCount = count;
    s.CanalOnFirstPowerOn = GetByte(in, LarchOffset::kCanalOnFirstPowerOn);
    s.ServiceCanal = GetByte(in, LarchOffset::kServiceCanal);
    s.VolumeLevel = GetByte(in, LarchOffset::kVolumeLevel);
    s.SquelchLevel = GetByte(in, LarchOffset::kSquelchLevel);
    s.Power = GetByte(in, LarchOffset::kPower);
    const unsigned voice = GetByte(in, LarchOffset::kVoiceFlags);
    s.VA_On = HasBit(voice, kVA_OnBit);
    s.BlockHandOn = HasBit(voice, kBlockHandOnBit);
    s.SquelchOn = HasBit(voice, kSquelchOnBit);
    const unsigned scan = GetByte(in, LarchOffset::kScanFlags);
    s.PriorScanning = HasBit(scan, kPriorScanningBit);
    s.StopOnCurrent = HasBit(scan, kStopOnCurrentBit);
    s.DelayScanning = GetWord(in, LarchOffset::kDelayScanning);
    const unsigned display = GetByte(in, LarchOffset::kDisplayFlags);
    s.ShowFreq = HasBit(display, kShowFreqBit);
    s.Light = HasBit(display, kLightBit);
    s.BeepPress = HasBit(display, kBeepPressBit);
    s.SaveSet = HasBit(display, kSaveSetBit);
    const unsigned programming = GetByte(in, LarchOffset::kProgrammingFlags);
    s.PRG_IR = HasBit(programming, kPRG_IRBit);
    s.PRG_Enabled = HasBit(programming, kPRG_EnabledBit);
    for (std::size_t i = 0; i < s.Keys.size(); ++i) s.Keys[i] = GetByte(in, LarchOffset::kKeys + i);
    s.Modifikator = GetByte(in, LarchOffset::kModifikator) == kModifikatorOn;
    s.VA_Hi = GetWord(in, LarchOffset::kVA_Hi);
    s.VA_Lo = GetWord(in, LarchOffset::kVA_Lo);
    s.VA_Pause = GetWord(in, LarchOffset::kVA_Pause);

    std::string notes;
    for (std::size_t i = 0; i < kMaxNotesBytes; ++i) {
        const std::uint8_t byte = GetByte(in, LarchOffset::kNotes + i);
        if (byte == 0) break;
        notes += static_cast<char>(byte);
    }
    s.Notes = Cp1251ToUtf8(notes);
    SetModified();
}

// ---------------------------------------------------------------------------------------------
// The module object

CLarchWare::CLarchWare() : TRadioWareOf(LarchRadio(), "LARCH", "1.1.0") {}

// ---- The values as the view shows them --------------------------------------------------------

std::vector<SShownValue> CLarchData::ShownSettings() {
    using namespace models;
    std::vector<SShownValue> out;
    const int squelchItem = SquelchOn() ? std::clamp(SquelchLevel() + 1, 1, 8) : 0;
    // The page shows channel 00's call tone, and showing it gives every channel that tone.
    CShownPage(out, kBasicsPage)
        .Row("Частота вызывного тона, Гц", std::to_string(LarchCanal(0).Tone()))
        .Row("Порог срабатывания шумоподавителя", SquelchName(squelchItem))
        .Group("Передатчик")
        .Row("Мощность передатчика, Вт", std::to_string(Power()))
        .Group("Начальные установки")
        .Row("Уровень громкости", std::to_string(VolumeLevel()))
        .Group("Индикация")
        .Row("Отображение частоты текущего канала", OnOffName(ShowFreq()))
        .Row("Подсветка индикатора и клавиатуры", OnOffName(Light()))
        .Row("Звуковой сигнал нажатия клавиш", OnOffName(BeepPress()))
        .Group("")
        .Row("Сохранять изменения параметров при выключении", YesNoName(SaveSet()));
    CShownPage(out, kScanningPage)
        .Row("Приоритетный канал", ChannelNumberText(ServiceCanal()))
        .Row("Приоритетное сканирование", OnOffName(PriorScanning()))
        .Row("Останавливаться на текущем канале", YesNoName(StopOnCurrent()))
        .Row("Задержка сканирования при пропадании несущей, сек", std::to_string(DelayScanning()));
    CShownPage(out, kSamesPage)
        .Group("Программирование станции")
        .Row("Включить ИК-порт", YesNoName(PRG_IR()))
        .Row("Разрешить программирование", YesNoName(PRG_Enabled()));
    std::array<std::uint8_t, 16> key{};
    for (int group = 1; group <= 16; ++group) key[static_cast<std::size_t>(group - 1)] = Key(group);
    CShownPage(out, kKeyPage)
        .Group("Ключ маскирования")
        .Row("Ключ, шестнадцатеричный формат", KeyText(key), true)
        .Row("Изменение ключа по каналам", YesNoName(Modifikator()));
    return out;
}

std::vector<SShownValue> CLarchData::ShownCanal(int index) {
    using namespace models;
    const CLarchCanal& canal = LarchCanal(index);
    const auto frequency = [this](int hz) { return GroupedHz(SnapToRanges(Ranges(), hz)); };
    std::vector<SShownValue> out;
    CShownPage(out, "")
        .Row("Частота ПРМ, Гц", frequency(canal.FRQ_PRM()))
        .Row("Частота ПРД, Гц", frequency(canal.FRQ_PRD()))
        .Row("Субтон (CTCSS) ПРМ, Гц", ListName(kLarchToneList, canal.CTCSS_PRM()))
        .Row("Субтон (CTCSS) ПРД, Гц", ListName(kLarchToneList, canal.CTCSS_PRD()))
        .Row("Вызывной тон, Гц", std::to_string(canal.Tone()))
        .Row("Блокировка ПРД", YesNoName(canal.BlockPRD()))
        .Row("Сканирование", YesNoName(canal.Scanning()));
    return out;
}
