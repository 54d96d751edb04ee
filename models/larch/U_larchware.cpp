#include "U_larchware.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "U_modellists.h"

namespace {

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

// ---------------------------------------------------------------------------------------------
// The module object

CLarchWare::CLarchWare() : TRadioWareOf(LarchRadio(), "LARCH", "1.1.0") {}
