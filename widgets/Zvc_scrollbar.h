// A flat vertical scroll bar that does not scroll anything itself: it reports what the user
// asked for (a line, a page, or a thumb drag of so many positions) and its owner, normally a
// grid, scrolls and sets the bar back in step.
#pragma once

#include "Zvc_knob.h"
#include "Zvc_main.h"

#include <QWidget>

namespace ZVCL {

enum class TScrollDirection { Up, Down };
enum class TScrollChange { Line, Page, Position };

class TZVScrollBar : public QWidget {
  public:
    explicit TZVScrollBar(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // How many positions one screenful covers; sizes the thumb and is the amount of a page.
    int PageSize() const { return pageSize_; }
    void SetScroll(int min, int max, int position);
    void SetPageSize(int pageSize);

    std::function<void(TScrollDirection direction, TScrollChange change, int amount)> OnScroll;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseEvent OnMouseMove;

    QRect ThumbRect() const;
    QRect TrackRect() const;
    TZKnob& UpKnob() { return *up_; }
    TZKnob& DownKnob() { return *down_; }

    static constexpr int kEndZone = 18;
    static constexpr int kKnobSize = 16;
    static constexpr int kDefaultWidth = 18;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Fire(TScrollDirection direction, TScrollChange change, int amount);

    int min_ = 0;
    int max_ = 0;
    int position_ = 0;
    int pageSize_ = 1;
    TZKnob* up_;
    TZKnob* down_;
    bool dragging_ = false;
    int dragStartY_ = 0;
    int dragStartPosition_ = 0;
};

}  // namespace ZVCL
