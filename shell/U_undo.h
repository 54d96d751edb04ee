#pragma once
// The edit history of the parameter sets: every user action leaves one step, a whole text-form
// snapshot of the set, so that any change of any model can be taken back and done again
// without the module knowing. Each radio of the list keeps a history of its own.

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace undotext {
inline constexpr const char* kUndo = "Отменить";
inline constexpr const char* kRedo = "Повторить";
// Steps that are not edits of a field.
inline constexpr const char* kStepOpen = "открытие файла";
inline constexpr const char* kStepRead = "чтение из радиостанции";
inline constexpr const char* kStepNew = "создание параметров";
}  // namespace undotext

class CRadioData;
class IRadio;
class IRadioData;

// What a step keeps beside the text form: the memory image the set encodes to, for the fields
// only the radio's memory carries, and the speech-converter type found in the radio. Without
// them an undo after a read would reset those fields, and the next write change the radio.
struct SImageSide {
    std::vector<std::uint8_t> image;
    int converterType = -1;
};

// The steps of one parameter set: snapshots before and after each action, and the text of the
// state last saved (or opened), so that undoing back to it clears the modified mark again.
class CUndoHistory {
  public:
    static constexpr std::size_t kDefaultDepth = 100;

    explicit CUndoHistory(std::string current, std::size_t depth = kDefaultDepth,
                          SImageSide side = {});

    // The set now reads text after an action; a step is kept when it differs from the state
    // before. The step is named by the caller, or else from the keys that differ. The side
    // always becomes the current state's: fields outside the text form are no step.
    bool Record(std::string text, const std::string& name = {}, SImageSide side = {});
    // The snapshot to apply, and moves through the history; null when there is none.
    const std::string* Undo();
    const std::string* Redo();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    const std::string& UndoName() const;
    const std::string& RedoName() const;
    std::size_t UndoDepth() const { return undo_.size(); }
    const std::string& Current() const { return current_; }
    const SImageSide& CurrentSide() const { return currentSide_; }
    // The set, once a snapshot is applied, writes itself in its own normal form (ranges
    // merged and moved to the band's top): that text is the current state, not a new step.
    void Resync(std::string text) { current_ = std::move(text); }
    // The current state is in a file (or fresh): applying it again is not a modification.
    void MarkClean() { clean_ = current_; }
    bool IsClean(const std::string& text) const { return clean_ && *clean_ == text; }
    // Bytes held by the snapshots, for the memory budget.
    std::size_t Footprint() const;

  private:
    struct SStep {
        std::string text;  // the state the step goes back (or forward) to
        SImageSide side;
        std::string name;
    };
    // The last step of from taken back (or forward), the current state kept in to.
    const std::string* Step(std::deque<SStep>& from, std::deque<SStep>& to);
    static const std::string& LastName(const std::deque<SStep>& steps);

    std::string current_;
    SImageSide currentSide_;
    std::optional<std::string> clean_;
    std::deque<SStep> undo_;
    std::deque<SStep> redo_;
    std::size_t depth_;
};

// The name of a step from the keys in which two text forms differ, for a step no command named
// (a command of the channel table names its own: "удаление каналов 03–05"): "частота канала 05" for
// one channel field, "канал 05" for several fields of one channel, "каналы 03–07" for several
// channels, a setting's caption, or a generic name.
std::string NameOfChange(const std::string& before, const std::string& after);

// The histories of every radio in the list. A change reported by a set is collected until
// control returns to the event loop, so one user action (a paste, a fill, a coupled field)
// becomes one step.
class CEditHistories : public QObject {
    Q_OBJECT
  public:
    explicit CEditHistories(QObject* parent = nullptr) : QObject(parent) {}

    // The radio's history begins (or goes on) with the set as it is now.
    void Track(IRadio* radio);
    // A set reported a change; a name given here names the step (an open, a read).
    void Changed(IRadio* radio, const std::string& name = {});
    // Records pending changes at once (before an undo, a save, a switch of radio).
    void Flush();
    CUndoHistory* Of(IRadio* radio);
    // Applies the previous (next) state of the radio's set; true when there was one.
    bool Undo(IRadio* radio);
    bool Redo(IRadio* radio);
    // While a snapshot is applied the set's own notification is not a new step.
    bool Applying() const { return applying_; }

  signals:
    // Steps were added or moved: the menu captions follow.
    void HistoryChanged();

  private:
    bool Apply(IRadio* radio, const std::string* text);
    void Commit(IRadio* radio);

    std::map<IRadio*, CUndoHistory> histories_;
    std::map<IRadio*, std::string> pending_;  // radio -> name of the step it waits to record
    bool flushQueued_ = false;
    bool applying_ = false;
};

// The radio's set when it is one of this program's models, which can write their text form;
// null for a set from a plug-in built elsewhere (it keeps no history: nothing to undo) and
// for a radio without a set.
CRadioData* SnapshotSource(IRadio* radio);
// The set's text form, as the history keeps it.
std::string SnapshotOf(CRadioData& data);
// The set's memory image and converter type, which the history keeps beside the text form.
SImageSide ImageSideOf(CRadioData& data);
