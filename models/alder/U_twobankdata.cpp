#include "U_twobankdata.h"

#include <algorithm>

#include "U_codepage.h"
#include "U_modellists.h"

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
    if (value < Model().css.low || value > Model().css.prmHigh) value = 0;
    f_.cssPrm = value;
    if (f_.oneCss) {
        // A receive-only code has no transmit counterpart: the directions part.
        if (value <= Model().css.prdHigh)
            f_.cssPrd = value;
        else
            f_.oneCss = false;
    }
    SetModified();
}

void CTwoBankCanal::SetCSS_PRD(int value) {
    if (value == f_.cssPrd) return;
    if (value < Model().css.low || value > Model().css.prdHigh) value = 0;
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
    } else if (f_.cssPrm <= Model().css.prdHigh) {
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

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

}  // namespace

void CTwoBankData::StoreInRange(int& field, int value, int low, int high) {
    if (InRange(value, low, high)) Store(field, value);
}

void CTwoBankData::StoreClamped(int& field, int value, int low, int high) {
    Store(field, std::clamp(value, low, high));
}

void CTwoBankData::SetPriorCanal(int value) {
    if (!InRange(value, 0, twobank::kCanalCount - 1)) return;
    const CTwoBankCanal& canal = CanalAt(value);
    if (canal.Enabled() && canal.Scanning()) Store(s_.priorCanal, value);
}

void CTwoBankData::SetPriorScanning(bool value) {
    if (s_.priorCanal != -1) Store(s_.priorScanning, value);
}

void CTwoBankData::SetRadioText(const std::string& value) {
    if (Utf8ToCp1251(value).size() <= twobank::kRadioTextLength) Store(s_.radioText, value);
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
// The channel in common terms

SCanalTone CTwoBankData::ToneOfCode(int code, bool /*transmit*/) const {
    return models::ToneOfListName(model_.tones.name(code));
}

std::optional<int> CTwoBankData::CodeOfTone(const SCanalTone& tone, bool /*transmit*/) const {
    if (tone.kind == SCanalTone::EKind::None) return 0;
    const int code = model_.tones.code(models::ToneListName(tone));
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
