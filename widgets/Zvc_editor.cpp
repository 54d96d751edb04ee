#include "Zvc_editor.h"

#include <QKeyEvent>

namespace ZVCL {

TZEditor::TZEditor(QWidget* parent)
    : QLineEdit(parent), TZDropListControl(static_cast<QWidget&>(*this)) {
    setFrame(false);
    setFont(TahomaFont(12));
    SetColor(kFaceColor);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange();
    });
}

QString TZEditor::Text() const {
    if (slots_.empty()) return text();
    const QString shown = displayText();
    QString result;
    result.reserve(static_cast<qsizetype>(slots_.size()));
    for (size_t i = 0; i < slots_.size(); ++i) {
        const QChar ch = i < static_cast<size_t>(shown.size()) ? shown[i] : blank_;
        if (slots_[i] != SlotKind::Fixed && ch == blank_)
            result += slots_[i] == SlotKind::Digit ? QLatin1Char('0') : QLatin1Char(' ');
        else
            result += ch;
    }
    return result;
}

void TZEditor::SetText(const QString& text) {
    if (text == Text()) return;
    setText(text);
    // Selected for the user to type over; an editor without the focus shows no selection.
    if (hasFocus())
        selectAll();
    else
        deselect();
}

void TZEditor::SetEditMask(const QString& mask) {
    editMask_ = mask;
    slots_.clear();
    blank_ = QLatin1Char(' ');
    // Mirror the mask's positions so that Text() can tell an empty position from a typed one.
    const qsizetype separator = mask.lastIndexOf(QLatin1Char(';'));
    const bool hasBlank = separator >= 0 && separator == mask.size() - 2 &&
                          (separator == 0 || mask[separator - 1] != QLatin1Char('\\'));
    const QString body = hasBlank ? mask.left(separator) : mask;
    if (hasBlank) blank_ = mask.back();
    static const QString digitSlots = QStringLiteral("90Dd#Bb");
    static const QString otherSlots = QStringLiteral("AaNnXxHh");
    static const QString modifiers = QStringLiteral("<>![]{}");
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar ch = body[i];
        if (ch == QLatin1Char('\\') && i + 1 < body.size()) {
            slots_.push_back(SlotKind::Fixed);
            ++i;
        } else if (digitSlots.contains(ch)) {
            slots_.push_back(SlotKind::Digit);
        } else if (otherSlots.contains(ch)) {
            slots_.push_back(SlotKind::Other);
        } else if (!modifiers.contains(ch)) {
            slots_.push_back(SlotKind::Fixed);
        }
    }
    setInputMask(body.isEmpty() ? QString() : body + QLatin1Char(';') + blank_);
}

void TZEditor::SetPasswordChar(QChar ch) {
    passwordChar_ = ch;
    setEchoMode(ch.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TZEditor::SetColor(const QColor& color) {
    color_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
}

void TZEditor::keyPressEvent(QKeyEvent* event) {
    const int key = FireKey(OnKeyDown, *event);
    if (key == 0) {
        event->accept();
        return;
    }
    switch (key) {
        case Qt::Key_Escape:
            core_.EscapeKey();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            core_.EnterKey();
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            core_.PageOpenList(key == Qt::Key_PageDown, false);
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            core_.MoveOpenHighlight(key == Qt::Key_Down ? +1 : -1);
            break;
        case Qt::Key_F4:
            core_.ToggleList();
            break;
        default: {
            const QString typed = event->text();
            if (!OnKeyPress || typed.size() != 1) {
                QLineEdit::keyPressEvent(event);
                return;
            }
            QChar ch = typed.front();
            OnKeyPress(ch);
            if (ch.isNull()) break;
            if (ch == typed.front()) {
                QLineEdit::keyPressEvent(event);
                return;
            }
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(ch),
                               event->isAutoRepeat(), event->count());
            QLineEdit::keyPressEvent(&replaced);
            return;
        }
    }
    event->accept();
}

void TZEditor::keyReleaseEvent(QKeyEvent* event) {
    FireKey(OnKeyUp, *event);
    QLineEdit::keyReleaseEvent(event);
}

void TZEditor::mousePressEvent(QMouseEvent* event) {
    FireMouse(OnMouseDown, *event);
    QLineEdit::mousePressEvent(event);
}

void TZEditor::mouseReleaseEvent(QMouseEvent* event) {
    FireMouse(OnMouseUp, *event);
    QLineEdit::mouseReleaseEvent(event);
}

void TZEditor::mouseMoveEvent(QMouseEvent* event) {
    FireMouseMove(OnMouseMove, *event);
    QLineEdit::mouseMoveEvent(event);
}

void TZEditor::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int steps = wheel_.Add(event->angleDelta().y());
    for (int i = 0; i < std::abs(steps); ++i) {
        const bool away = steps > 0;
        if (list_.isEmpty()) {
            const TNotifyEvent& handler = away ? OnMouseWheelPlus : OnMouseWheelMinus;
            if (handler) handler();
        } else if (!core_.MoveOpenHighlight(away ? -1 : +1)) {
            if (away)
                PrevRow();
            else
                NextRow();
        }
    }
}

void TZEditor::focusInEvent(QFocusEvent* event) {
    core_.RememberFocusText();
    QLineEdit::focusInEvent(event);
    if (autoSelect_ && event->reason() != Qt::MouseFocusReason) selectAll();
    if (OnEnter) OnEnter();
}

void TZEditor::focusOutEvent(QFocusEvent* event) {
    core_.FocusLost();
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason) deselect();
    if (OnExit) OnExit();
}

void TZEditor::HostItemTaken() {
    if (OnSelect) OnSelect();
}

}  // namespace ZVCL
