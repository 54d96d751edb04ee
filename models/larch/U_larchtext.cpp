// The parameter text form of the Larch: the ranges, the channels and the settings, read whole
// or not at all.
#include "U_larchware.h"

#include <algorithm>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "U_textform.h"

namespace {

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
