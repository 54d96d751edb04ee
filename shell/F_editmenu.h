#pragma once
// The window's "Правка" menu: undo and redo of the current radio's edits, named after the step
// they take back or do again; the channel table's commands (copy, cut, paste, insert, delete,
// move, clear, fill, select all) with their keys wherever the focus is; and the status-line
// reports and step names that a view raises for its edits.

#include <string>

class CEditHistories;
class CUndoHistory;
class IRadio;
class QMainWindow;

namespace editmenu {

// What the menu needs of the radio list.
class IEditHost {
  public:
    virtual CEditHistories& Histories() = 0;
    // The current radio's history, null when none is current.
    virtual CUndoHistory* CurrentHistory() = 0;
    // Null when none is current.
    virtual IRadio* CurrentRadio() const = 0;
    // A search or transfer runs: the set is the worker's.
    virtual bool TransferRunning() const = 0;
    virtual void UndoCommand() = 0;
    virtual void RedoCommand() = 0;
    // A message on the status line that clears itself.
    virtual void Report(const std::string& text) = 0;

  protected:
    ~IEditHost() = default;
};

// Places the menu after the first one of the window's menu bar and keeps its captions in step
// with the current radio's history.
void AddEditMenu(QMainWindow& window, IEditHost& radios);

}  // namespace editmenu
