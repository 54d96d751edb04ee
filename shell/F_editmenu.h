#pragma once
// The window's "Правка" menu: undo and redo of the current radio's edits, named after the step
// they take back or do again; the channel table's commands (copy, cut, paste, insert, delete,
// move, clear, fill, select all) with their keys wherever the focus is; and the status-line
// reports and step names that a view raises for its edits.

class QMainWindow;
class CRadios;

namespace editmenu {

// Places the menu after the first one of the window's menu bar and keeps its captions in step
// with the current radio's history.
void AddEditMenu(QMainWindow& window, CRadios& radios);

}  // namespace editmenu
