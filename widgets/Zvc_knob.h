// Step knobs: small buttons that act once on a press and keep acting while held, like the arrow
// of a spin box; the kit's scroll bar and the editor rows use them.
#pragma once

#include "Zvc_main.h"
#include "Zvc_property.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QPainter;

namespace ZVCL {

class TZ_Knob : public QWidget {
  public:
    explicit TZ_Knob(QWidget* parent = nullptr);

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseEvent OnMouseMove;
    // Draws the knob instead of the default face; pressed tells whether it is held down.
    std::function<void(QPainter& painter, const QRect& rect, bool pressed)> OnDrawKnob;
    // The repeated action: once on the press, after RepeatDelay ms, then every RepeatInterval ms.
    std::function<void(TZ_Knob& knob)> OnMousePress;

    bool IsPressed() const { return pressed_; }
    // Ends the current press: no more repeats until the button is pressed again.
    void EndPress();
    // One press step without the mouse (a screen reader's press action).
    void Click() { PressAction(); }

    int RepeatDelay() const { return repeatDelay_; }
    int RepeatInterval() const { return repeatInterval_; }
    void SetRepeatTiming(int delayMs, int intervalMs);

    static constexpr int kDefaultRepeatDelay = 400;
    static constexpr int kDefaultRepeatInterval = 60;

  protected:
    // The action of one press step; the base fires OnMousePress.
    virtual void PressAction();
    // Draws the knob face when no OnDrawKnob handler is set.
    virtual void DrawKnob(QPainter& painter, const QRect& rect, bool pressed);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Repeat();

    bool pressed_ = false;
    bool mouseInside_ = false;
    int repeatDelay_ = kDefaultRepeatDelay;
    int repeatInterval_ = kDefaultRepeatInterval;
    QTimer repeatTimer_;
};

enum TGlyphKind { gk_None, gk_ArrowUp, gk_ArrowDown };

class TZKnob : public TZ_Knob {
  public:
    explicit TZKnob(QWidget* parent = nullptr);

    QColor BkGrdColor() const { return bkGrdColor_; }
    void SetBkGrdColor(const QColor& c) { SetShown(*this, bkGrdColor_, c); }
    QColor Color() const { return color_; }
    void SetColor(const QColor& c) { SetShown(*this, color_, c); }
    // With DropDown the knob opens the pop-up list of its Focusing control (a TZStatic or a
    // TZEditor) instead of repeating.
    bool DropDown() const { return dropDown_; }
    void SetDropDown(bool on) { dropDown_ = on; }
    QWidget* Focusing() const { return focusing_; }
    void SetFocusing(QWidget* w) { focusing_ = w; }
    TGlyphKind GlyphKind() const { return glyphKind_; }
    void SetGlyphKind(TGlyphKind kind) { SetShown(*this, glyphKind_, kind); }

  protected:
    void PressAction() override;
    void DrawKnob(QPainter& painter, const QRect& rect, bool pressed) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QColor bkGrdColor_ = kFaceColor;
    QColor color_ = kPanelColor;
    bool dropDown_ = false;
    QPointer<QWidget> focusing_;
    TGlyphKind glyphKind_ = gk_None;
};

// Draws a small filled arrow centred in rect; shared by the knobs and the scroll bar.
void DrawArrowGlyph(QPainter& painter, const QRect& rect, bool up, const QColor& color);

}  // namespace ZVCL
