// The line editor: a single-line editor with an optional input mask and an optional list of
// suggestions; also serves as an in-cell editor of a grid (an implant).
//
// EditMask uses the Qt input-mask language: "9" a digit position, "0" an optional digit, "N" a
// letter or digit, "H" a hexadecimal digit, "\\" makes the next character a fixed one, any other
// character is fixed; ";c" at the end sets the character shown in an empty position. Examples:
//   "199 999 9\\0\\0;_"   eleven characters, fixed leading 1, fixed blanks and trailing zeros
//   "9999;0"              four digits, an empty position shows as 0
//   "NN; "                two letter-or-digit positions shown blank while empty
// Text() of a masked editor gives every position: an empty digit position reads as "0", any
// other empty position as a blank.
#pragma once

#include "Zvc_main.h"
#include "Zvc_popup.h"

#include <QLineEdit>
#include <QStringList>

namespace ZVCL {

class TZEditor : public QLineEdit, public TZDropListControl, public TZInputEvents {
  public:
    explicit TZEditor(QWidget* parent = nullptr);

    QString Text() const;
    // Changes the text only if it differs; then selects it all and fires OnChange.
    void SetText(const QString& text);
    const QStringList& List() const { return list_; }
    void SetList(const QStringList& list) { list_ = list; }
    const QString& EditMask() const { return editMask_; }
    void SetEditMask(const QString& mask);
    int MaxLength() const { return maxLength(); }
    void SetMaxLength(int length) { setMaxLength(length > 0 ? length : 32767); }
    // A non-null character hides the text as a password (shown with the style's bullet).
    QChar PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(QChar ch);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on) { setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus); }

    TNotifyEvent OnMouseWheelPlus;   // a wheel notch away from the user, with no List
    TNotifyEvent OnMouseWheelMinus;  // a wheel notch towards the user, with no List
    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // IZTextHost
    QString HostText() const override { return Text(); }
    void HostSetText(const QString& text) override { SetText(text); }
    const QStringList& HostList() const override { return list_; }
    void HostItemTaken() override;

    enum class SlotKind { Fixed, Digit, Other };
    QStringList list_;
    QString editMask_;
    std::vector<SlotKind> slots_;  // one per displayed position of the mask
    QChar blank_ = QLatin1Char('_');
    QChar passwordChar_;
    bool autoSelect_ = true;
    QColor color_ = kFaceColor;
    TZWheelSteps wheel_;
};

}  // namespace ZVCL
