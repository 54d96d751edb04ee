// What the kit's widgets tell a screen reader themselves: that the current cell of a table moved
// or changed, that a shown value changed. The accessibility layer (Zvc_access) sits above the
// widget types and answers the reader's questions about them; this part needs none of them.
#pragma once

#include <QString>

class QWidget;

namespace ZVCL {

// Tells a screen reader, while the table has the focus, that its cell at row and column now has
// the focus, or that the cell's value may have changed (a key acted on it). Rows count from the
// first row below the headings.
enum class TCellNews { Focused, ValueChanged };
void NotifyCurrentCell(QWidget& table, int row, int column, TCellNews news = TCellNews::Focused);
// Tells it that a widget's shown value changed.
void NotifyValueChanged(QWidget& widget);

// A caption row's text as a name: without the blank in front and the colon at the end.
QString CaptionName(const QString& caption);

}  // namespace ZVCL
