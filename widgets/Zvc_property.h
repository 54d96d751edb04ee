#pragma once
// A property that only changes how a control looks: the value is kept and the control painted
// again.

#include <QWidget>

namespace ZVCL {

template <class T>
void SetShown(QWidget& widget, T& field, const T& value) {
    field = value;
    widget.update();
}

}  // namespace ZVCL
