// The channel table of a radio view: a grid of 100 channel rows under two header rows, whose
// columns a model describes (what a cell shows, what Space, Enter and a click do), with the two
// in-cell editors it lends to a cell: a drop-list selector and a frequency line editor.
#pragma once

#include "F_viewpaint.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <vector>

#include "Zvc_editor.h"
#include "Zvc_grid.h"
#include "Zvc_scrollbar.h"
#include "Zvc_static.h"

namespace views {

struct SViewFlags;

// What activating a cell does.
enum class TCellAction {
    None,       // nothing (the number column, read-only cells)
    Toggle,     // Space or a click flips a flag at once
    List,       // Enter or a click opens the list selector in the cell
    Frequency,  // Enter or a click opens the frequency editor in the cell
};

struct SCanalColumn {
    int width = 0;
    TCellAction action = TCellAction::None;
    // Whether the action needs the channel to be in use (every column but "on" does).
    bool needsEnabled = true;
    // What the cell shows: a text, or a tick image (drawn dotted for a channel not in use
    // when dottedWhenDisabled).
    std::function<QString(int canal)> text;
    std::function<int(int canal)> image;
    bool dottedWhenDisabled = false;
    // A further condition for the action (a transmit cell whose "=" is on stays shut).
    std::function<bool(int canal)> allowed;
    // Toggle.
    std::function<void(int canal)> toggle;
    // List: the items offered and how far the pop-up list reaches past the cell on the right.
    std::function<QStringList(int canal)> list;
    int pullRight = 3;
    // Frequency: one step up (+1) or down (-1) from the frequency text; the value the cell
    // stores, a frequency moved into the allowed ranges (as the cell would show it), and the
    // channel's step, so that the table can say what was stored instead of what was typed.
    std::function<QString(int canal, const QString& text, int direction)> step;
    std::function<int(int canal)> frequency;
    std::function<int(int hz)> snap;
    std::function<int(int canal)> stepOf;
    // List and Frequency: stores the editor's text when it closes (a frequency as the model's
    // frequency text, "145 012 500").
    std::function<void(int canal, const QString& text)> store;
    // Header hint, and which header rows answer with it (bit 0: row 0, bit 1: row 1).
    QString hint;
    int hintRows = 0;
};

struct SCanalGridModel {
    std::vector<SCanalColumn> columns;
    std::vector<SHeaderBlock> header;
    int canalCount = 100;
    // Whether there is a parameter set to show; without one the rows are drawn empty.
    std::function<bool()> hasData;
    std::function<bool(int canal)> enabled;
};

inline constexpr int kHeaderRows = 2;
inline constexpr int kCanalRowHeight = 23;
inline constexpr int kFrequencyEditorWidth = 73;
inline constexpr int kFrequencyEditorTop = 4;

// Wires a grid, its scroll bar and the two in-cell editors to a model's columns. The widgets
// belong to their Qt parents; this object only holds the behaviour and must live as long as
// the grid (make it a member of the view).
class TCanalGrid {
  public:
    TCanalGrid(ZVCL::TZ_Grid& grid, ZVCL::TZVScrollBar& scrollBar, SViewFlags& flags,
               SCanalGridModel model);
    ~TCanalGrid();
    TCanalGrid(const TCanalGrid&) = delete;
    TCanalGrid& operator=(const TCanalGrid&) = delete;

    ZVCL::TZ_Grid& Grid() const { return *grid_; }
    ZVCL::TZStatic& ListEditor() const { return *stc_; }
    ZVCL::TZEditor& FrequencyEditor() const { return *edt_; }
    const SCanalGridModel& Model() const { return model_; }
    // The grid's width with every column shown.
    int TotalWidth() const;

    // Repaints the rows and brings the scroll bar in step.
    void Refresh();
    // Drops an open in-cell editor without storing it: the set was replaced under it (an undo,
    // a read, an open), and its text would otherwise be written over the new value on closing.
    void CancelEditor();
    // Closes an open in-cell editor and stores its value, as leaving it does.
    void CommitEditor();
    bool EditorOpen() const { return editCol_ >= 0; }
    // Activates a cell as Space (toggle), Enter (editors) or a click would; a digit, point or
    // comma on a frequency cell opens its editor with that character typed. A key that does
    // nothing there says why on the status line.
    void ActivateByKey(int col, int row, int key, Qt::KeyboardModifiers shift = {});
    void ActivateByMouse(int col, int row);
    // Marks every channel.
    void SelectAll();

    // The channels a table operation works on: those marked with Shift or Ctrl, or else the
    // current one.
    std::set<int> Selection() const;
    bool IsMarked(int canal) const { return marked_.contains(canal); }
    // Marks the channels and makes the first one current; one channel or none leaves only the
    // current one chosen.
    void SelectCanals(const std::set<int>& canals);
    int CurrentCanal() const { return CanalOfRow(grid_->Row()); }
    // Keys the grid does not navigate with go here first; true consumes the key. IsTableKey
    // tells, without acting, whether OnTableKey takes a key: an open in-cell editor that has
    // no use for such a key closes and passes it on.
    std::function<bool(int key, Qt::KeyboardModifiers shift)> OnTableKey;
    std::function<bool(int key, Qt::KeyboardModifiers shift)> IsTableKey;
    // A text for the window's status line.
    void Report(const QString& text) const;

    static int CanalOfRow(int row) { return row - kHeaderRows; }
    static int RowOfCanal(int canal) { return canal + kHeaderRows; }

  private:
    void Activate(int col, int row);
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    void MarkByMouse(int row, Qt::KeyboardModifiers shift);
    void MarkRange(int fromCanal, int toCanal);
    bool MayAct(const SCanalColumn& column, int canal) const;
    // Why the column's action is refused on the channel; empty when it is not.
    QString Refusal(const SCanalColumn& column, int canal) const;
    // An open editor's key that belongs to the table: closes the editor and acts.
    bool PassToTable(int key, Qt::KeyboardModifiers shift, bool lineEditor);
    void StoreFrequency(const SCanalColumn& column, int canal, const QString& text);
    // Marks the cell as edited and gives its channel.
    int StartEditing(int col, int row);
    void OpenList(int col, int row);
    void OpenFrequency(int col, int row);
    void StepFrequency(int direction);
    void CloseEditor();
    void DrawCell(int col, int row, const QRect& rect, QPainter& p);
    QString HintOf(int col, int row) const;

    QPointer<ZVCL::TZ_Grid> grid_;
    SViewFlags& flags_;
    SCanalGridModel model_;
    QPointer<ZVCL::TZStatic> stc_;
    QPointer<ZVCL::TZEditor> edt_;
    QPointer<QObject> hideHook_;
    int editCol_ = -1;
    int editRow_ = -1;
    std::set<int> marked_;
    int anchor_ = 0;            // where a Shift range starts
    int rowBeforePress_ = -1;   // the current row when the mouse was pressed
    bool pressMarked_ = false;  // the press only marked channels: it does not act on the cell
};

}  // namespace views
