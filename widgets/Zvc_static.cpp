#include "Zvc_static.h"

#include "Zvc_accessnews.h"

#include <QKeyEvent>
#include <QPainter>

namespace ZVCL {

Qt::Alignment ToQtAlignment(TAlignment alignment) {
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                       Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter,
                                                     Qt::AlignBottom};
    const int a = static_cast<int>(alignment);
    return horizontal[a / 3] | vertical[a % 3];
}

TZStatic::TZStatic(QWidget* parent)
    : QWidget(parent), TZDropListControl(static_cast<QWidget&>(*this)) {
    setFocusPolicy(Qt::StrongFocus);
    setFont(TahomaFont(12));
}

void TZStatic::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
    NotifyValueChanged(*this);
    if (OnSelect) OnSelect();
}

void TZStatic::SetIndents(int left, int top, int right, int bottom) {
    indents_ = QMargins(left, top, right, bottom);
    update();
}

void TZStatic::SetTabStop(bool on) {
    setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

void TZStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), color_);
    const QRect area = rect().marginsRemoved(indents_);
    QColor textColor = isEnabled() ? QColor(0, 0, 0) : QColor(195, 190, 180);
    if (hasFocus()) {
        // The chosen item stands out while the selector has the keyboard, as in a drop list.
        p.fillRect(rect().adjusted(1, 1, -1, -1), palette().color(QPalette::Highlight));
        textColor = palette().color(QPalette::HighlightedText);
    }
    p.setPen(textColor);
    p.setFont(font());
    int flags = static_cast<int>(ToQtAlignment(alignment_));
    flags |= wordWarp_ ? Qt::TextWordWrap : Qt::TextSingleLine;
    p.drawText(area, flags, text_);
}

void TZStatic::keyPressEvent(QKeyEvent* event) {
    const int key = FireKey(OnKeyDown, *event);
    if (key == 0) return;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            core_.EnterKey();
            break;
        case Qt::Key_Escape:
            core_.EscapeKey();
            break;
        case Qt::Key_Up:
            PrevRow();
            break;
        case Qt::Key_Down:
            NextRow();
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            core_.PageOpenList(key == Qt::Key_PageDown, true);
            break;
        case Qt::Key_F4:
            core_.ToggleList();
            break;
        default:
            if (OnKeyPress && !event->text().isEmpty()) {
                QChar ch = event->text().front();
                OnKeyPress(ch);
            }
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void TZStatic::keyReleaseEvent(QKeyEvent* event) {
    FireKey(OnKeyUp, *event);
    QWidget::keyReleaseEvent(event);
}

void TZStatic::mousePressEvent(QMouseEvent* event) {
    FireMouse(OnMouseDown, *event);
    if (event->button() != Qt::LeftButton) return;
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    DropList();
}

void TZStatic::mouseReleaseEvent(QMouseEvent* event) {
    FireMouse(OnMouseUp, *event);
}

void TZStatic::mouseMoveEvent(QMouseEvent* event) {
    FireMouseMove(OnMouseMove, *event);
}

void TZStatic::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int steps = wheel_.Add(event->angleDelta().y());
    // Away from the user (positive) goes up the list, towards the user down it.
    for (int i = 0; i < std::abs(steps); ++i) {
        const int delta = steps > 0 ? -1 : +1;
        if (core_.MoveOpenHighlight(delta)) continue;
        if (delta > 0)
            NextRow();
        else
            PrevRow();
    }
}

void TZStatic::focusInEvent(QFocusEvent* event) {
    core_.RememberFocusText();
    QWidget::focusInEvent(event);
    update();
}

void TZStatic::focusOutEvent(QFocusEvent* event) {
    core_.FocusLost();
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace ZVCL
