// What a screen reader learns of the kit's widgets: a role, a name and a value for each, the
// grid as a table whose cells tell their column's heading, and focus events that follow the
// grid's current cell, so that a reader speaks what the keyboard reaches.
#pragma once

#include <QString>

class QWidget;

namespace ZVCL {

class TZ_Grid;

// Installs the kit's accessibility factory for the process; the first copy of the kit that asks
// installs it (the program's), later calls do nothing. Line editors are Qt's own.
void InstallAccessibility();

// Tells a screen reader, while the grid has the focus, that its current cell now has the focus,
// or that the cell's value may have changed (a key acted on it).
enum class TCellNews { Focused, ValueChanged };
void NotifyCurrentCell(TZ_Grid& grid, TCellNews news = TCellNews::Focused);
// Tells it that a widget's shown value changed.
void NotifyValueChanged(QWidget& widget);

// A caption row's text as a name: without the blank in front and the colon at the end.
QString CaptionName(const QString& caption);

// The name a reader gives a widget: its accessible name, else the caption of the caption row
// it sits in (without the blank in front and the colon), else empty.
QString AccessibleNameOf(const QWidget& widget);

}  // namespace ZVCL
