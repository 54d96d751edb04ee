#include "Zvc_scrollbar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ZVCL {

namespace {
constexpr int kMinThumb = 10;
const QColor kTrackColor{235, 230, 220};
}  // namespace

TZVScrollBar::TZVScrollBar(QWidget* parent)
    : QWidget(parent), up_(new TZKnob(this)), down_(new TZKnob(this)) {
    setFocusPolicy(Qt::NoFocus);
    setFixedWidth(kDefaultWidth);
    up_->SetGlyphKind(gk_ArrowUp);
    down_->SetGlyphKind(gk_ArrowDown);
    up_->SetBkGrdColor(kTrackColor);
    down_->SetBkGrdColor(kTrackColor);
    up_->OnMousePress = [this](TZ_Knob&) { Fire(TScrollDirection::Up, TScrollChange::Line, 1); };
    down_->OnMousePress = [this](TZ_Knob&) {
        Fire(TScrollDirection::Down, TScrollChange::Line, 1);
    };
}

void TZVScrollBar::SetScroll(int min, int max, int position) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position, min_, max_);
    update();
}

void TZVScrollBar::SetPageSize(int pageSize) {
    pageSize_ = std::max(1, pageSize);
    update();
}

void TZVScrollBar::Fire(TScrollDirection direction, TScrollChange change, int amount) {
    if (OnScroll && amount > 0) OnScroll(direction, change, amount);
}

QRect TZVScrollBar::TrackRect() const {
    return QRect(0, kEndZone, width(), std::max(0, height() - 2 * kEndZone));
}

QRect TZVScrollBar::ThumbRect() const {
    const QRect track = TrackRect();
    const int range = max_ - min_;
    if (range <= 0 || track.height() <= 0) return QRect();
    const int thumb =
        std::clamp(track.height() * pageSize_ / (range + pageSize_), kMinThumb, track.height());
    const int travel = track.height() - thumb;
    const int top =
        track.top() +
        static_cast<int>(std::lround(static_cast<double>(travel) * (position_ - min_) / range));
    return QRect(1, top, width() - 2, thumb);
}

void TZVScrollBar::resizeEvent(QResizeEvent*) {
    const int x = (width() - kKnobSize) / 2;
    const int inset = (kEndZone - kKnobSize) / 2;
    up_->setGeometry(x, inset, kKnobSize, kKnobSize);
    down_->setGeometry(x, height() - kEndZone + inset, kKnobSize, kKnobSize);
}

void TZVScrollBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kTrackColor);
    const QRect thumb = ThumbRect();
    if (thumb.isValid()) {
        p.fillRect(thumb, dragging_ ? kBorderColor : kPanelColor);
        p.setPen(kBorderColor);
        p.drawRect(thumb.adjusted(0, 0, -1, -1));
    }
}

void TZVScrollBar::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    FireMouse(OnMouseDown, *event);
    if (event->button() != Qt::LeftButton) return;
    const QRect thumb = ThumbRect();
    if (!thumb.isValid() || !TrackRect().contains(pos)) return;
    if (pos.y() < thumb.top()) {
        Fire(TScrollDirection::Up, TScrollChange::Page, pageSize_);
    } else if (pos.y() > thumb.bottom()) {
        Fire(TScrollDirection::Down, TScrollChange::Page, pageSize_);
    } else {
        dragging_ = true;
        dragStartY_ = pos.y();
        dragStartPosition_ = position_;
        update();
    }
}

void TZVScrollBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    FireMouseMove(OnMouseMove, *event);
    if (!dragging_) return;
    const int travel = TrackRect().height() - ThumbRect().height();
    if (travel <= 0) return;
    const double perPixel = static_cast<double>(max_ - min_) / travel;
    const int target = std::clamp(
        dragStartPosition_ + static_cast<int>(std::lround((pos.y() - dragStartY_) * perPixel)),
        min_, max_);
    const int moved = target - position_;
    if (moved < 0) Fire(TScrollDirection::Up, TScrollChange::Position, -moved);
    if (moved > 0) Fire(TScrollDirection::Down, TScrollChange::Position, moved);
}

void TZVScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        update();
    }
    FireMouse(OnMouseUp, *event);
}

}  // namespace ZVCL
