#include "Zvc_grid.h"

#include "Zvc_accessnews.h"
#include "Zvc_scrollbar.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace ZVCL {

namespace {
constexpr int kDefaultCells = 5;
constexpr int kHintBelowMouse = 25;
constexpr int kDefaultHintPause = 500;
constexpr int kDefaultHintHidePause = 12000;

// The reader's table has no heading rows: its rows count from the grid's first non-fixed row.
void NotifyCurrentOf(TZ_Grid& grid, TCellNews news = TCellNews::Focused) {
    NotifyCurrentCell(grid, grid.Row() - grid.FixedRows(), grid.Col(), news);
}

// A line's size (a column's width, a row's height); 0 for a line the grid does not have.
int LineSize(const std::vector<int>& sizes, int line) {
    return (line >= 0 && line < static_cast<int>(sizes.size())) ? sizes[line] : 0;
}

// Sets a line's size, never below 0; false, and nothing set, for a line the grid does not have.
bool SetLineSize(std::vector<int>& sizes, int line, int size) {
    if (line < 0 || line >= static_cast<int>(sizes.size())) return false;
    sizes[line] = std::max(0, size);
    return true;
}

// One direction of the grid, its columns or its rows: each line's size, how many lead as fixed
// lines, the first scrolling line shown and the room the widget has for them.
struct SAxis {
    const std::vector<int>& sizes;
    int fixed;
    int first;
    int extent;

    int Count() const { return static_cast<int>(sizes.size()); }

    // The first scrolling line that still fills the room to the end.
    int MaxFirst() const {
        int available = extent;
        for (int i = 0; i < fixed; ++i) available -= sizes[i];
        int line = Count();
        while (line - 1 >= fixed && sizes[line - 1] <= available) {
            available -= sizes[line - 1];
            --line;
        }
        return std::clamp(line, fixed, Count() - 1);
    }

    // How many scrolling lines fit whole.
    int Visible() const {
        int at = 0;
        for (int i = 0; i < fixed; ++i) at += sizes[i];
        int count = 0;
        for (int i = first; i < Count() && at + sizes[i] <= extent; ++i, ++count) at += sizes[i];
        return count;
    }

    // Where a line begins; -1 when it is scrolled out of view.
    int Start(int line) const {
        if (line < 0 || line >= Count() || (line >= fixed && line < first)) return -1;
        int at = 0;
        for (int i = 0; i < fixed && i < line; ++i) at += sizes[i];
        if (line >= fixed)
            for (int i = first; i < line; ++i) at += sizes[i];
        return at < extent || (at == extent && sizes[line] == 0) ? at : -1;
    }

    // The first scrolling line that brings a line whole into view, as far as the axis scrolls.
    int FirstShowing(int line) const {
        if (line < fixed || line >= Count()) return first;
        SAxis moved = *this;
        moved.first = std::min(first, line);
        const int last = MaxFirst();
        while (moved.first < line && moved.first < last &&
               (moved.Start(line) < 0 || moved.Start(line) + sizes[line] > extent))
            ++moved.first;
        return moved.first;
    }
};
}  // namespace

TZ_Grid::TZ_Grid(QWidget* parent)
    : QWidget(parent),
      colWidths_(kDefaultCells, defColWidth_),
      rowHeights_(kDefaultCells, defRowHeight_),
      hintWindow_(new TZHintWindow(this)) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setFont(TahomaFont(12));
    hintTimer_.setSingleShot(true);
    hintTimer_.setInterval(kDefaultHintPause);
    hintHideTimer_.setSingleShot(true);
    hintHideTimer_.setInterval(kDefaultHintHidePause);
    connect(&hintTimer_, &QTimer::timeout, this, [this] { ShowCellHint(); });
    connect(&hintHideTimer_, &QTimer::timeout, this, [this] { KillHint(); });
}

void TZ_Grid::SetDefColWidth(int width) {
    defColWidth_ = std::max(0, width);
    std::fill(colWidths_.begin(), colWidths_.end(), defColWidth_);
    ClampScroll();
}

void TZ_Grid::SetDefRowHeight(int height) {
    defRowHeight_ = std::max(0, height);
    std::fill(rowHeights_.begin(), rowHeights_.end(), defRowHeight_);
    ClampScroll();
}

void TZ_Grid::SetCols(int cols) {
    colWidths_.resize(std::max(cols, 1), defColWidth_);
    fixedCols_ = std::min(fixedCols_, Cols() - 1);
    ClampScroll();
}

void TZ_Grid::SetRows(int rows) {
    rowHeights_.resize(std::max(rows, 1), defRowHeight_);
    fixedRows_ = std::min(fixedRows_, Rows() - 1);
    ClampScroll();
}

// A new fixed count starts the scrolled area, and the current cell, at its first column (row),
// as in a fresh grid.
void TZ_Grid::SetFixedCols(int n) {
    fixedCols_ = std::clamp(n, 0, Cols() - 1);
    leftCol_ = fixedCols_;
    col_ = fixedCols_;
    ClampScroll();
}

void TZ_Grid::SetFixedRows(int n) {
    fixedRows_ = std::clamp(n, 0, Rows() - 1);
    topRow_ = fixedRows_;
    row_ = fixedRows_;
    ClampScroll();
}

void TZ_Grid::SetColWidths(int col, int width) {
    if (SetLineSize(colWidths_, col, width)) ClampScroll();
}

int TZ_Grid::GetColWidths(int col) const {
    return LineSize(colWidths_, col);
}

void TZ_Grid::SetRowHeights(int row, int height) {
    if (SetLineSize(rowHeights_, row, height)) ClampScroll();
}

int TZ_Grid::GetRowHeights(int row) const {
    return LineSize(rowHeights_, row);
}

// Keeps the current cell in the scrolled area and the scroll position within its bounds after
// the shape of the grid changed.
void TZ_Grid::ClampScroll() {
    col_ = std::clamp(col_, fixedCols_, Cols() - 1);
    row_ = std::clamp(row_, fixedRows_, Rows() - 1);
    leftCol_ = std::clamp(leftCol_, fixedCols_, MaxLeftCol());
    topRow_ = std::clamp(topRow_, fixedRows_, MaxTopRow());
    AdjustScroll();
    update();
}

void TZ_Grid::SetCol(int col) {
    MoveCurrent(col, row_);
}
void TZ_Grid::SetRow(int row) {
    MoveCurrent(col_, row);
}

int TZ_Grid::ShownCol(int col, int direction) const {
    const int last = Cols() - 1;
    col = std::clamp(col, fixedCols_, last);
    for (const int way : {direction, -direction})
        for (int c = col; c >= fixedCols_ && c <= last; c += way)
            if (colWidths_[static_cast<std::size_t>(c)] > 0) return c;
    return col;
}

void TZ_Grid::MoveCurrent(int col, int row) {
    const QPoint before(col_, row_);
    col_ = std::clamp(col, fixedCols_, Cols() - 1);
    row_ = std::clamp(row, fixedRows_, Rows() - 1);
    ShowCell(col_, row_);
    update();
    if (QPoint(col_, row_) != before) NotifyCurrentOf(*this);
}

void TZ_Grid::SetLeftCol(int col) {
    leftCol_ = std::clamp(col, fixedCols_, MaxLeftCol());
    update();
}

void TZ_Grid::SetTopRow(int row) {
    topRow_ = std::clamp(row, fixedRows_, MaxTopRow());
    AdjustScroll();
    update();
}

int TZ_Grid::MaxTopRow() const {
    return SAxis{rowHeights_, fixedRows_, topRow_, height()}.MaxFirst();
}

int TZ_Grid::MaxLeftCol() const {
    return SAxis{colWidths_, fixedCols_, leftCol_, width()}.MaxFirst();
}

int TZ_Grid::VisibleCols() const {
    return SAxis{colWidths_, fixedCols_, leftCol_, width()}.Visible();
}

int TZ_Grid::VisibleRows() const {
    return SAxis{rowHeights_, fixedRows_, topRow_, height()}.Visible();
}

int TZ_Grid::ColLeft(int col) const {
    return SAxis{colWidths_, fixedCols_, leftCol_, width()}.Start(col);
}

int TZ_Grid::RowTop(int row) const {
    return SAxis{rowHeights_, fixedRows_, topRow_, height()}.Start(row);
}

QRect TZ_Grid::CellRect(int col, int row) const {
    const int x = ColLeft(col);
    const int y = RowTop(row);
    if (x < 0 || y < 0) return QRect();
    return QRect(x, y, colWidths_[col], rowHeights_[row]);
}

QPoint TZ_Grid::PointToCell(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return QPoint(-1, -1);
    int col = -1;
    for (int c = 0; c < Cols() && col < 0; ++c) {
        const int left = ColLeft(c);
        if (left >= 0 && x >= left && x < left + colWidths_[c]) col = c;
    }
    int row = -1;
    for (int r = 0; r < Rows() && row < 0; ++r) {
        const int top = RowTop(r);
        if (top >= 0 && y >= top && y < top + rowHeights_[r]) row = r;
    }
    if (col < 0 || row < 0) return QPoint(-1, -1);
    return QPoint(col, row);
}

bool TZ_Grid::IsFullyShown(int col, int row) const {
    const int x = ColLeft(col);
    const int y = RowTop(row);
    if (x < 0 || y < 0) return false;
    return x + colWidths_[col] <= width() && y + rowHeights_[row] <= height();
}

void TZ_Grid::ShowCell(int col, int row) {
    leftCol_ = SAxis{colWidths_, fixedCols_, leftCol_, width()}.FirstShowing(col);
    topRow_ = SAxis{rowHeights_, fixedRows_, topRow_, height()}.FirstShowing(row);
    AdjustScroll();
    update();
}

void TZ_Grid::SetVScrollBar(TZVScrollBar* bar) {
    if (vScrollBar_) vScrollBar_->OnScroll = nullptr;
    vScrollBar_ = bar;
    if (bar) {
        bar->OnScroll = [this](TScrollDirection direction, TScrollChange change, int amount) {
            const int rows = change == TScrollChange::Page   ? VisibleRows()
                             : change == TScrollChange::Line ? 1
                                                             : amount;
            ScrollRows(direction == TScrollDirection::Up ? -rows : rows);
        };
    }
    AdjustScroll();
}

void TZ_Grid::ScrollRows(int delta) {
    KillHint();
    SetTopRow(topRow_ + delta);
}

void TZ_Grid::AdjustScroll() {
    if (!vScrollBar_) return;
    vScrollBar_->SetPageSize(std::max(1, VisibleRows()));
    vScrollBar_->SetScroll(fixedRows_, MaxTopRow(), topRow_);
}

void TZ_Grid::SetHintTiming(int pauseMs, int hidePauseMs) {
    hintTimer_.setInterval(pauseMs);
    hintHideTimer_.setInterval(hidePauseMs);
}

void TZ_Grid::KillHint() {
    hintTimer_.stop();
    hintHideTimer_.stop();
    hintWindow_->ReleaseHint();
}

void TZ_Grid::SetHot(int col, int row) {
    if (col == hotCol_ && row == hotRow_) return;
    hotCol_ = col;
    hotRow_ = row;
    KillHint();
    if (OnTargetCell) OnTargetCell(col, row);
    if (col >= 0 && row >= 0) hintTimer_.start();
    update();
}

void TZ_Grid::ShowCellHint() {
    if (hotCol_ < 0 || hotRow_ < 0 || !OnHintCell) return;
    QString text;
    OnHintCell(hotCol_, hotRow_, text);
    if (text.isEmpty()) return;
    hintWindow_->ActivateHint(hintMousePos_ + QPoint(0, kHintBelowMouse), text);
    hintHideTimer_.start();
}

void TZ_Grid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), color_);
    p.setFont(font());
    if (OnBeforeDrawGrid) OnBeforeDrawGrid(p);
    for (int row = 0; row < Rows(); ++row) {
        const int y = RowTop(row);
        if (y < 0 || rowHeights_[row] == 0) continue;
        for (int col = 0; col < Cols(); ++col) {
            const int x = ColLeft(col);
            if (x < 0 || colWidths_[col] == 0) continue;
            const QRect cell(x, y, colWidths_[col], rowHeights_[row]);
            p.save();
            p.setClipRect(cell);
            if (OnDrawCell) {
                OnDrawCell(col, row, cell, p);
            } else {
                const bool fixed = col < fixedCols_ || row < fixedRows_;
                p.fillRect(cell, fixed ? kPanelColor : color_);
                p.setPen(kPanelColor);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
            }
            p.restore();
        }
    }
    if (OnAfterDrawGrid) OnAfterDrawGrid(p);
}

void TZ_Grid::resizeEvent(QResizeEvent*) {
    ClampScroll();
}

void TZ_Grid::keyPressEvent(QKeyEvent* event) {
    KillHint();
    int key = event->key();
    const Qt::KeyboardModifiers shift = event->modifiers();
    if (OnKeyDown) OnKeyDown(key, shift);
    event->accept();
    if (key == 0) return;
    switch (key) {
        // A column drawn zero wide (Alder's step column) cannot show the current cell: the
        // arrows pass over it, so that no key reaches a value the user cannot see.
        case Qt::Key_Left:
            MoveCurrent(ShownCol(col_ - 1, -1), row_);
            break;
        case Qt::Key_Right:
            MoveCurrent(ShownCol(col_ + 1, +1), row_);
            break;
        case Qt::Key_Up:
            MoveCurrent(col_, row_ - 1);
            break;
        case Qt::Key_Down:
            MoveCurrent(col_, row_ + 1);
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            const int page = std::max(1, VisibleRows());
            const int delta = key == Qt::Key_PageDown ? page : -page;
            topRow_ = std::clamp(topRow_ + delta, fixedRows_, MaxTopRow());
            MoveCurrent(col_, row_ + delta);
            break;
        }
        default:
            if (OnClickCellKey) OnClickCellKey(col_, row_, key, shift);
            update();
            if (OnEditCellKey) OnEditCellKey(col_, row_, key, shift);
            NotifyCurrentOf(*this, TCellNews::ValueChanged);
            break;
    }
}

void TZ_Grid::keyReleaseEvent(QKeyEvent* event) {
    FireKey(OnKeyUp, *event);
    QWidget::keyReleaseEvent(event);
}

void TZ_Grid::mousePressEvent(QMouseEvent* event) {
    KillHint();
    const QPoint pos = event->position().toPoint();
    FireMouse(OnMouseDown, *event);
    const QPoint cell = PointToCell(pos.x(), pos.y());
    if (cell.x() < 0) {
        if (TabStop()) setFocus(Qt::MouseFocusReason);
        return;
    }
    const int col = cell.x();
    const int row = cell.y();
    const QRect rectBefore = CellRect(col, row);
    const bool fixedCol = col < fixedCols_;
    const bool fixedRow = row < fixedRows_;
    bool scrolled = false;
    if (!fixedCol && !fixedRow) {
        col_ = col;
        row_ = row;
        if (!IsFullyShown(col, row)) {
            // A half-shown cell is first brought into view; it is not acted on until the user
            // clicks it again where it can be seen.
            const int left = leftCol_;
            const int top = topRow_;
            ShowCell(col, row);
            scrolled = left != leftCol_ || top != topRow_;
        }
    } else if (fixedCol && !fixedRow) {
        row_ = row;
    } else if (fixedRow && !fixedCol) {
        col_ = col;
    }
    const int x = pos.x() - rectBefore.x();
    const int y = pos.y() - rectBefore.y();
    if (OnClickCellMouse) OnClickCellMouse(col, row, x, y, event->button(), event->modifiers());
    if (hasFocus() || !TabStop())
        update();
    else
        setFocus(Qt::MouseFocusReason);
    update();
    if (!scrolled && OnEditCellMouse)
        OnEditCellMouse(col, row, x, y, event->button(), event->modifiers());
}

void TZ_Grid::mouseReleaseEvent(QMouseEvent* event) {
    FireMouse(OnMouseUp, *event);
}

void TZ_Grid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    hintMousePos_ = event->globalPosition().toPoint();
    FireMouseMove(OnMouseMove, *event);
    const QPoint cell = PointToCell(pos.x(), pos.y());
    SetHot(cell.x(), cell.y());
}

void TZ_Grid::leaveEvent(QEvent* event) {
    KillHint();
    SetHot(-1, -1);
    QWidget::leaveEvent(event);
}

void TZ_Grid::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int steps = wheel_.Add(event->angleDelta().y());
    if (steps != 0) ScrollRows(-steps);
}

void TZ_Grid::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
    // After the toolkit has announced the grid, the reader is led on to its current cell.
    QMetaObject::invokeMethod(
        this, [this] { NotifyCurrentOf(*this); }, Qt::QueuedConnection);
}

void TZ_Grid::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace ZVCL
