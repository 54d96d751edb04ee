#include "Zvc_panel.h"

#include <QPainter>

namespace ZVCL {

TZPanel::TZPanel(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    UpdateMargins();
}

void TZPanel::SetBoundSize(int size) {
    boundSize_ = std::max(0, size);
    UpdateMargins();
}

void TZPanel::SetBounds(bool left, bool top, bool right, bool bottom) {
    bounds_[0] = left;
    bounds_[1] = top;
    bounds_[2] = right;
    bounds_[3] = bottom;
    UpdateMargins();
}

void TZPanel::SetShifts(int left, int top, int right, int bottom) {
    shifts_ = QMargins(left, top, right, bottom);
    UpdateMargins();
}

QMargins TZPanel::BoundMargins() const {
    return QMargins(bounds_[0] ? boundSize_ : 0, bounds_[1] ? boundSize_ : 0,
                    bounds_[2] ? boundSize_ : 0, bounds_[3] ? boundSize_ : 0);
}

void TZPanel::UpdateMargins() {
    // A layout set on the panel follows the contents margins, so children land in ChildArea.
    setContentsMargins(BoundMargins() + shifts_);
    update();
}

void TZPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), color_);
    if (borderType_ == bt_Flat) {
        p.setPen(borderColor_);
        const QRect r = rect();
        if (bounds_[0] && boundSize_ > 0) p.drawLine(r.topLeft(), r.bottomLeft());
        if (bounds_[1] && boundSize_ > 0) p.drawLine(r.topLeft(), r.topRight());
        if (bounds_[2] && boundSize_ > 0) p.drawLine(r.topRight(), r.bottomRight());
        if (bounds_[3] && boundSize_ > 0) p.drawLine(r.bottomLeft(), r.bottomRight());
    }
    if (OnDrawBound) OnDrawBound(p, rect());
}

}  // namespace ZVCL
