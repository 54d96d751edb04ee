#include "U_undo.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "U_radioware.h"

// ---- one set's steps ------------------------------------------------------------------------

CUndoHistory::CUndoHistory(std::string current, std::size_t depth, SImageSide side)
    : current_(std::move(current)),
      currentSide_(std::move(side)),
      depth_(std::max<std::size_t>(depth, 1)) {}

bool CUndoHistory::Record(std::string text, const std::string& name, SImageSide side) {
    if (text == current_) {
        currentSide_ = std::move(side);
        return false;
    }
    std::string stepName = name.empty() ? NameOfChange(current_, text) : name;
    undo_.push_back(SStep{std::move(current_), std::move(currentSide_), std::move(stepName)});
    if (undo_.size() > depth_) undo_.pop_front();
    redo_.clear();
    current_ = std::move(text);
    currentSide_ = std::move(side);
    return true;
}

const std::string* CUndoHistory::Undo() {
    return Step(undo_, redo_);
}

const std::string* CUndoHistory::Redo() {
    return Step(redo_, undo_);
}

const std::string* CUndoHistory::Step(std::deque<SStep>& from, std::deque<SStep>& to) {
    if (from.empty()) return nullptr;
    SStep step = std::move(from.back());
    from.pop_back();
    to.push_back(SStep{std::move(current_), std::move(currentSide_), step.name});
    current_ = std::move(step.text);
    currentSide_ = std::move(step.side);
    return &current_;
}

const std::string& CUndoHistory::UndoName() const {
    return LastName(undo_);
}

const std::string& CUndoHistory::RedoName() const {
    return LastName(redo_);
}

const std::string& CUndoHistory::LastName(const std::deque<SStep>& steps) {
    static const std::string none;
    return steps.empty() ? none : steps.back().name;
}

std::size_t CUndoHistory::Footprint() const {
    std::size_t bytes =
        current_.capacity() + currentSide_.image.capacity() + (clean_ ? clean_->capacity() : 0);
    for (const auto* steps : {&undo_, &redo_})
        for (const SStep& step : *steps)
            bytes += sizeof(SStep) + step.text.capacity() + step.side.image.capacity() +
                     step.name.capacity();
    return bytes;
}

// ---- naming a step --------------------------------------------------------------------------

namespace {

using TLines = std::vector<std::pair<std::string_view, std::string_view>>;

TLines KeyLines(const std::string& text) {
    TLines lines;
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos)
            lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    std::ranges::sort(lines);
    return lines;
}

// Keys present in one text only, or with another value.
std::vector<std::string_view> DifferingKeys(const std::string& before, const std::string& after) {
    const TLines a = KeyLines(before);
    const TLines b = KeyLines(after);
    std::vector<std::string_view> keys;
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() || j != b.end()) {
        if (j == b.end() || (i != a.end() && i->first < j->first)) {
            keys.push_back((i++)->first);
        } else if (i == a.end() || j->first < i->first) {
            keys.push_back((j++)->first);
        } else {
            if (i->second != j->second) keys.push_back(i->first);
            ++i;
            ++j;
        }
    }
    return keys;
}

struct SCaption {
    std::string_view field;
    std::string_view caption;
};

// What the user calls a channel's field.
constexpr SCaption kCanalCaptions[] = {
    {"Enabled", "включение канала"},
    {"FRQ_Step", "шаг канала"},
    {"FRQ_PRM", "частота канала"},
    {"FRQ_PRD", "частота канала"},
    {"One_FRQ", "частота канала"},
    {"CSS_PRM", "тон канала"},
    {"CSS_PRD", "тон канала"},
    {"CTCSS_PRM", "тон канала"},
    {"CTCSS_PRD", "тон канала"},
    {"One_CSS", "тон канала"},
    {"Scanning", "сканирование канала"},
    {"BlockPRDIfBusy", "передача на занятом канале"},
    {"BlockPRD", "блокировка передачи канала"},
    {"LimitPRDOnTime", "ограничение передачи канала"},
    {"Tone", "вызывной тон канала"},
};

// What the user calls a setting; settings not listed get the generic name.
constexpr SCaption kSettingCaptions[] = {
    {"Tone", "частота вызывного тона"},
    {"Squelch", "шумоподавитель"},
    {"SquelchOn", "шумоподавитель"},
    {"SquelchLevel", "шумоподавитель"},
    {"Power", "мощность передатчика"},
    {"LimitPRD", "ограничение времени передачи"},
    {"RestPRD", "пауза после отключения передачи"},
    {"PriorCanal", "приоритетный канал"},
    {"ServiceCanal", "приоритетный канал"},
    {"PriorScanning", "приоритетное сканирование"},
    {"DelayScanning", "задержка сканирования"},
    {"DTMF_Number", "номер DTMF"},
    {"PRG_Password", "пароль"},
    {"VolumeLevel", "уровень громкости"},
};

constexpr std::string_view kGenericName = "изменение параметров";

std::string_view CaptionOf(const SCaption* begin, const SCaption* end, std::string_view field) {
    const auto* found =
        std::find_if(begin, end, [field](const SCaption& c) { return c.field == field; });
    return found == end ? std::string_view{} : found->caption;
}

std::string TwoDigits(int canal) {
    return std::string(1, static_cast<char>('0' + canal / 10)) +
           static_cast<char>('0' + canal % 10);
}

}  // namespace

std::string NameOfChange(const std::string& before, const std::string& after) {
    std::set<int> canals;
    std::set<std::string_view> canalCaptions;
    std::set<std::string_view> settingCaptions;
    bool unnamedSetting = false;
    for (const std::string_view key : DifferingKeys(before, after)) {
        std::size_t digits = 0;
        while (digits < key.size() && std::isdigit(static_cast<unsigned char>(key[digits])))
            ++digits;
        if (digits > 0 && digits <= 2) {
            canals.insert(std::stoi(std::string(key.substr(0, digits))));
            const std::string_view field = key.substr(digits);
            canalCaptions.insert(
                CaptionOf(std::begin(kCanalCaptions), std::end(kCanalCaptions), field));
            continue;
        }
        if (key.starts_with("Key")) {
            settingCaptions.insert("ключ");
            continue;
        }
        const std::string_view caption =
            CaptionOf(std::begin(kSettingCaptions), std::end(kSettingCaptions), key);
        if (caption.empty())
            unnamedSetting = true;
        else
            settingCaptions.insert(caption);
    }
    // The priority follows its channels: a channel change that moved it is still that change.
    if (!canals.empty()) {
        if (canals.size() > 1)
            return "каналы " + TwoDigits(*canals.begin()) + "–" + TwoDigits(*canals.rbegin());
        const int canal = *canals.begin();
        if (canalCaptions.contains("включение канала"))
            return "включение канала " + TwoDigits(canal);
        if (canalCaptions.size() == 1 && !canalCaptions.begin()->empty())
            return std::string(*canalCaptions.begin()) + " " + TwoDigits(canal);
        return "канал " + TwoDigits(canal);
    }
    if (!unnamedSetting && settingCaptions.size() == 1)
        return std::string(*settingCaptions.begin());
    return std::string(kGenericName);
}

// ---- the histories of the list --------------------------------------------------------------

CRadioData* SnapshotSource(IRadio* radio) {
    return radio ? OwnRadioData(radio->Data()) : nullptr;
}

std::string SnapshotOf(CRadioData& data) {
    std::ostringstream out;
    data.WriteText(out);
    return std::move(out).str();
}

SImageSide ImageSideOf(CRadioData& data) {
    SImageSide side{std::vector<std::uint8_t>(data.ImageSize()), data.RadioConverterType()};
    data.EncodeImage(side.image);
    return side;
}

CUndoHistory* CEditHistories::Of(IRadio* radio) {
    const auto found = histories_.find(radio);
    return found == histories_.end() ? nullptr : &found->second;
}

void CEditHistories::Track(IRadio* radio) {
    CRadioData* const source = SnapshotSource(radio);
    if (!source) return;
    Flush();
    if (!histories_.contains(radio)) {
        CRadioData& data = *source;
        CUndoHistory& history =
            histories_
                .emplace(radio, CUndoHistory(SnapshotOf(data), CUndoHistory::kDefaultDepth,
                                             ImageSideOf(data)))
                .first->second;
        if (!data.IsModified()) history.MarkClean();
        emit HistoryChanged();
        return;
    }
    Commit(radio);
}

void CEditHistories::Changed(IRadio* radio, const std::string& name) {
    if (applying_ || !radio) return;
    std::string& pending = pending_[radio];
    if (pending.empty()) pending = name;
    if (flushQueued_) return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(this, &CEditHistories::Flush, Qt::QueuedConnection);
}

void CEditHistories::Flush() {
    flushQueued_ = false;
    if (pending_.empty()) return;
    auto pending = std::move(pending_);
    pending_.clear();
    for (const auto& [radio, name] : pending) {
        auto found = histories_.find(radio);
        if (found == histories_.end()) {
            Track(radio);
            continue;
        }
        CRadioData* data = SnapshotSource(radio);
        if (!data) continue;
        found->second.Record(SnapshotOf(*data), name, ImageSideOf(*data));
        if (!data->IsModified()) found->second.MarkClean();
    }
    emit HistoryChanged();
}

void CEditHistories::Commit(IRadio* radio) {
    CUndoHistory* history = Of(radio);
    CRadioData* data = SnapshotSource(radio);
    if (!history || !data) return;
    history->Record(SnapshotOf(*data), {}, ImageSideOf(*data));
    if (!data->IsModified()) history->MarkClean();
    emit HistoryChanged();
}

bool CEditHistories::Undo(IRadio* radio) {
    Flush();
    CUndoHistory* history = Of(radio);
    return history && Apply(radio, history->Undo());
}

bool CEditHistories::Redo(IRadio* radio) {
    Flush();
    CUndoHistory* history = Of(radio);
    return history && Apply(radio, history->Redo());
}

bool CEditHistories::Apply(IRadio* radio, const std::string* text) {
    CRadioData* data = SnapshotSource(radio);
    if (!text || !data) return false;
    std::istringstream in(*text);
    applying_ = true;
    CUndoHistory& history = *Of(radio);
    const bool loaded = data->Load(in, !history.IsClean(*text));
    if (loaded) {
        const SImageSide& side = history.CurrentSide();
        if (side.image.size() == data->ImageSize()) data->TakeImageOnlyFields(side.image);
        data->SetRadioConverterType(side.converterType);
    }
    applying_ = false;
    history.Resync(SnapshotOf(*data));
    radio->Ware()->UpdateView();
    emit HistoryChanged();
    return loaded;
}
