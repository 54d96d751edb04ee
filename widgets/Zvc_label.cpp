#include "Zvc_label.h"

#include "Zvc_accessnews.h"
#include "Zvc_knob.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace ZVCL {

TZLabel::TZLabel(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFont(TahomaFont(12));
    // Repaint the frame whenever the focus enters or leaves the row.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const auto inside = [this](const QWidget* w) {
            return w && (w == this || isAncestorOf(w));
        };
        if (inside(old) != inside(now)) update();
    });
}

void TZLabel::SetLabelText(const QString& text) {
    labelText_ = text;
    NameEditor();
    update();
}

void TZLabel::SetLabelWidth(int width) {
    labelWidth_ = std::max(0, width);
    LayoutEditor();
    update();
}

void TZLabel::SetShowHint(bool on) {
    showHint_ = on;
    setToolTip(on ? hint_ : QString());
}

void TZLabel::SetHint(const QString& hint) {
    hint_ = hint;
    setToolTip(showHint_ ? hint_ : QString());
    NameEditor();
}

// A screen reader names the row's editor (Qt's line editor included) by the row's caption and
// reads the row's hint as its description.
void TZLabel::NameEditor() {
    const QString caption = CaptionName(labelText_);
    if (editor_) {
        editor_->setAccessibleName(caption);
        editor_->setAccessibleDescription(hint_);
    }
    if (knob_) knob_->setAccessibleDescription(caption);
}

QRect TZLabel::EditorArea() const {
    return QRect(labelWidth_, 0, width() - labelWidth_, height())
        .adjusted(kInset, kInset, -kInset, -kInset);
}

void TZLabel::SetEditor(QWidget* editor, TZ_Knob* knob) {
    editor_ = editor;
    knob_ = knob;
    if (editor) {
        editor->setParent(this);
        editor->show();
        focusing_ = editor;
    }
    if (knob) {
        knob->setParent(this);
        knob->show();
    }
    NameEditor();
    LayoutEditor();
}

void TZLabel::LayoutEditor() {
    const QRect area = EditorArea();
    int editorRight = area.right();
    if (knob_) {
        const int side = area.height();
        knob_->setGeometry(area.right() - side + 1, area.top(), side, side);
        editorRight -= side;
    }
    if (editor_) editor_->setGeometry(QRect(area.topLeft(), QPoint(editorRight, area.bottom())));
}

bool TZLabel::FocusInside() const {
    const QWidget* f = QApplication::focusWidget();
    return f && (f == this || isAncestorOf(f));
}

void TZLabel::PassFocus(Qt::FocusReason reason) {
    if (CanFocus(focusing_)) focusing_->setFocus(reason);
}

void TZLabel::resizeEvent(QResizeEvent*) {
    LayoutEditor();
}

void TZLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) PassFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void TZLabel::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    PassFocus(event->reason());
}

void TZLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), color_);
    p.setFont(font());
    p.setPen(isEnabled() ? QColor(0, 0, 0) : QColor(195, 190, 180));
    p.drawText(QRect(0, 0, labelWidth_, height()), Qt::AlignLeft | Qt::AlignVCenter, labelText_);
    if (!FocusInside()) return;
    // One-pixel frame just inside the edge; the corner pixels stay in the row colour, which
    // rounds the frame off.
    const QRect r = rect();
    p.setPen(palette().color(QPalette::Highlight));
    p.drawLine(r.left() + 1, r.top(), r.right() - 1, r.top());
    p.drawLine(r.left() + 1, r.bottom(), r.right() - 1, r.bottom());
    p.drawLine(r.left(), r.top() + 1, r.left(), r.bottom() - 1);
    p.drawLine(r.right(), r.top() + 1, r.right(), r.bottom() - 1);
}

}  // namespace ZVCL
