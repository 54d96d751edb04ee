#include "Zvc_knob.h"

#include "Zvc_droplist.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace ZVCL {

TZ_Knob::TZ_Knob(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    repeatTimer_.setSingleShot(false);
    // Coarse timers may fire a few percent early; the first repeat must not come before 400 ms.
    repeatTimer_.setTimerType(Qt::PreciseTimer);
    connect(&repeatTimer_, &QTimer::timeout, this, [this] { Repeat(); });
}

void TZ_Knob::SetRepeatTiming(int delayMs, int intervalMs) {
    repeatDelay_ = delayMs;
    repeatInterval_ = intervalMs;
}

void TZ_Knob::EndPress() {
    pressed_ = false;
    repeatTimer_.stop();
    update();
}

void TZ_Knob::PressAction() {
    if (OnMousePress) OnMousePress(*this);
}

void TZ_Knob::Repeat() {
    if (!pressed_) {
        repeatTimer_.stop();
        return;
    }
    repeatTimer_.setInterval(repeatInterval_);
    if (mouseInside_) PressAction();  // held outside the knob: wait, do not act
}

void TZ_Knob::mousePressEvent(QMouseEvent* event) {
    FireMouse(OnMouseDown, *event);
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    mouseInside_ = true;
    update();
    repeatTimer_.start(repeatDelay_);
    PressAction();
}

void TZ_Knob::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) EndPress();
    FireMouse(OnMouseUp, *event);
}

void TZ_Knob::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const bool inside = rect().contains(pos);
    if (inside != mouseInside_) {
        mouseInside_ = inside;
        update();
    }
    FireMouseMove(OnMouseMove, *event);
}

void TZ_Knob::DrawKnob(QPainter& painter, const QRect& rect, bool pressed) {
    painter.fillRect(rect, pressed ? kBorderColor : kPanelColor);
}

void TZ_Knob::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool shownPressed = pressed_ && mouseInside_;
    if (OnDrawKnob)
        OnDrawKnob(p, rect(), shownPressed);
    else
        DrawKnob(p, rect(), shownPressed);
}

TZKnob::TZKnob(QWidget* parent) : TZ_Knob(parent) {}

void TZKnob::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && CanFocus(focusing_))
        focusing_->setFocus(Qt::MouseFocusReason);
    TZ_Knob::mousePressEvent(event);
}

void TZKnob::PressAction() {
    if (!dropDown_) {
        TZ_Knob::PressAction();
        return;
    }
    if (auto* owner = dynamic_cast<IZDropListOwner*>(focusing_.data())) owner->DropList();
    EndPress();
}

void TZKnob::DrawKnob(QPainter& painter, const QRect& rect, bool pressed) {
    painter.fillRect(rect, bkGrdColor_);
    const QRect face = rect.adjusted(1, 1, -1, -1);
    painter.fillRect(face, pressed ? color_.darker(115) : color_);
    if (glyphKind_ == gk_None) return;
    const QColor glyph = isEnabled() ? QColor(0, 0, 0) : kBorderColor;
    DrawArrowGlyph(painter, pressed ? face.translated(1, 1) : face, glyphKind_ == gk_ArrowUp,
                   glyph);
}

void DrawArrowGlyph(QPainter& painter, const QRect& rect, bool up, const QColor& color) {
    const int half = std::max(2, std::min(rect.width(), rect.height()) / 4);
    const QPointF c = QRectF(rect).center();
    const double dy = up ? -half / 2.0 : half / 2.0;
    QPainterPath path;
    path.moveTo(c.x() - half, c.y() - dy);
    path.lineTo(c.x() + half, c.y() - dy);
    path.lineTo(c.x(), c.y() + dy);
    path.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path);
    painter.restore();
}

}  // namespace ZVCL
