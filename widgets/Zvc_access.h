// What a screen reader learns of the kit's widgets: a role, a name and a value for each, the
// grid as a table whose cells tell their column's heading, and focus events that follow the
// grid's current cell, so that a reader speaks what the keyboard reaches.
#pragma once

#include <QString>

#include "Zvc_accessnews.h"

class QWidget;

namespace ZVCL {

// Installs the kit's accessibility factory for the process; the first copy of the kit that asks
// installs it (the program's), later calls do nothing. Line editors are Qt's own.
void InstallAccessibility();

// The name a reader gives a widget: its accessible name, else the caption of the caption row
// it sits in (without the blank in front and the colon), else empty.
QString AccessibleNameOf(const QWidget& widget);

}  // namespace ZVCL
