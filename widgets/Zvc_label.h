// A caption row: the parameter's caption at the left, its editor (and knob) at the right. The
// row hands the focus to its editor and frames itself while the focus is inside it.
#pragma once

#include "Zvc_main.h"
#include "Zvc_property.h"

#include <QPointer>
#include <QWidget>

namespace ZVCL {

class TZ_Knob;

class TZLabel : public QWidget {
  public:
    explicit TZLabel(QWidget* parent = nullptr);

    const QString& LabelText() const { return labelText_; }
    void SetLabelText(const QString& text);
    int LabelWidth() const { return labelWidth_; }
    void SetLabelWidth(int width);
    QWidget* Focusing() const { return focusing_; }
    void SetFocusing(QWidget* w) { focusing_ = w; }
    QColor Color() const { return color_; }
    void SetColor(const QColor& c) { SetShown(*this, color_, c); }
    bool ShowHint() const { return showHint_; }
    // The row's hint is its tool tip, shown by the application's hint window.
    void SetShowHint(bool on);
    void SetHint(const QString& hint);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on) { setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus); }

    // The part of the row right of the caption, inset by 3 pixels: the editor's place.
    QRect EditorArea() const;
    // Places editor in the editor area and knob, if any, as a square at its right end; the row
    // then keeps them there when it is resized. The editor becomes the Focusing control.
    void SetEditor(QWidget* editor, TZ_Knob* knob = nullptr);
    // True while the keyboard focus is on the row or one of its children.
    bool FocusInside() const;

    static constexpr int kInset = 3;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void LayoutEditor();
    void NameEditor();
    void PassFocus(Qt::FocusReason reason);

    QString labelText_;
    int labelWidth_ = 0;
    QPointer<QWidget> focusing_;
    QPointer<QWidget> editor_;
    QPointer<TZ_Knob> knob_;
    QColor color_ = kFaceColor;
    bool showHint_ = true;
    QString hint_;
};

}  // namespace ZVCL
