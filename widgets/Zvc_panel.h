// A flat panel: a coloured area with a margin on chosen sides, edged with a one-pixel line, in
// which children are laid out moved inwards (or outwards, over the margin) by the shifts.
#pragma once

#include "Zvc_main.h"
#include "Zvc_property.h"

#include <QWidget>

class QPainter;

namespace ZVCL {

enum TBorderType { bt_None, bt_Flat };

class TZPanel : public QWidget {
  public:
    explicit TZPanel(QWidget* parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor& c) { SetShown(*this, color_, c); }
    TBorderType BorderType() const { return borderType_; }
    void SetBorderType(TBorderType type) { SetShown(*this, borderType_, type); }
    QColor BorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor& c) { SetShown(*this, borderColor_, c); }
    int BoundSize() const { return boundSize_; }
    void SetBoundSize(int size);
    // Which sides carry the margin (left, top, right, bottom).
    void SetBounds(bool left, bool top, bool right, bool bottom);
    bool BoundLeft() const { return bounds_[0]; }
    bool BoundTop() const { return bounds_[1]; }
    bool BoundRight() const { return bounds_[2]; }
    bool BoundBottom() const { return bounds_[3]; }
    void SetShifts(int left, int top, int right, int bottom);
    QMargins Shifts() const { return shifts_; }
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on) { setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus); }

    // The margins on each side, before the shifts.
    QMargins BoundMargins() const;
    // Where children go: the area inside the margins, moved by the shifts.
    QRect ChildArea() const { return contentsRect(); }

    // Called after the margins are painted, with the rectangle of the whole panel.
    std::function<void(QPainter& painter, const QRect& rect)> OnDrawBound;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void UpdateMargins();

    QColor color_ = kPanelColor;
    TBorderType borderType_ = bt_Flat;
    QColor borderColor_ = kBorderColor;
    int boundSize_ = 1;
    bool bounds_[4] = {true, true, true, true};
    QMargins shifts_;
};

}  // namespace ZVCL
