// An owner-drawn grid: the owner paints every cell and reacts to keys and clicks on cells; the
// grid keeps the current cell, the scroll position, the cell under the mouse (the hot cell) and
// the cell hints.
#pragma once

#include "Zvc_hint.h"
#include "Zvc_main.h"
#include "Zvc_property.h"
#include "Zvc_scrollbar.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

class QPainter;

namespace ZVCL {

class TZ_Grid : public QWidget, public TZInputEvents {
  public:
    explicit TZ_Grid(QWidget* parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor& c) { SetShown(*this, color_, c); }
    int DefColWidth() const { return defColWidth_; }
    void SetDefColWidth(int width);  // also sets every column to it
    int DefRowHeight() const { return defRowHeight_; }
    void SetDefRowHeight(int height);  // also sets every row to it

    int Cols() const { return static_cast<int>(colWidths_.size()); }
    int Rows() const { return static_cast<int>(rowHeights_.size()); }
    void SetCols(int cols);
    void SetRows(int rows);
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    void SetFixedCols(int n);
    void SetFixedRows(int n);
    void SetColWidths(int col, int width);
    int GetColWidths(int col) const;
    void SetRowHeights(int row, int height);
    int GetRowHeights(int row) const;

    // The current cell.
    int Col() const { return col_; }
    int Row() const { return row_; }
    void SetCol(int col);
    void SetRow(int row);
    // The first scrolled column and row shown after the fixed ones.
    int LeftCol() const { return leftCol_; }
    int TopRow() const { return topRow_; }
    void SetLeftCol(int col);
    void SetTopRow(int row);
    // Non-fixed columns and rows shown in full.
    int VisibleCols() const;
    int VisibleRows() const;
    // The largest TopRow that still fills the grid: the last row sits at the bottom.
    int MaxTopRow() const;
    // The nearest column at or past col (in direction, else back) that is drawn at all.
    int ShownCol(int col, int direction) const;
    int MaxLeftCol() const;

    // The cell under the mouse, (-1, -1) when none.
    int HotCol() const { return hotCol_; }
    int HotRow() const { return hotRow_; }

    TZVScrollBar* VScrollBar() const { return vScrollBar_; }
    // Binds a scroll bar: its line, page and thumb moves scroll the rows, and the grid keeps
    // the bar in step with every scroll.
    void SetVScrollBar(TZVScrollBar* bar);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on) { setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus); }

    // Rectangle of a shown cell in widget coordinates (it may run past the edge when the cell is
    // partly shown); an empty rectangle for a cell scrolled out of view.
    QRect CellRect(int col, int row) const;
    // The cell at a widget position, (-1, -1) when none.
    QPoint PointToCell(int x, int y) const;
    // Scrolls so that the cell is shown in full.
    void ShowCell(int col, int row);
    // Brings the bound scroll bar in step with the rows.
    void AdjustScroll();
    void KillHint();

    // Hint timing: pause before a cell hint, and how long it stays.
    int HintPause() const { return hintTimer_.interval(); }
    int HintHidePause() const { return hintHideTimer_.interval(); }
    void SetHintTiming(int pauseMs, int hidePauseMs);
    TZHintWindow& HintWindow() { return *hintWindow_; }

    std::function<void(int col, int row, const QRect& rect, QPainter& painter)> OnDrawCell;
    std::function<void(QPainter& painter)> OnBeforeDrawGrid;
    std::function<void(QPainter& painter)> OnAfterDrawGrid;
    std::function<void(int col, int row)> OnTargetCell;
    std::function<void(int col, int row, QString& text)> OnHintCell;
    std::function<void(int col, int row, int key, Qt::KeyboardModifiers shift)> OnClickCellKey;
    std::function<void(int col, int row, int key, Qt::KeyboardModifiers shift)> OnEditCellKey;
    using TCellMouseEvent = std::function<void(
        int col, int row, int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers shift)>;
    TCellMouseEvent OnClickCellMouse;
    TCellMouseEvent OnEditCellMouse;
    // What a screen reader reads: a cell's value in words, a column's heading on one line.
    std::function<QString(int col, int row)> OnCellText;
    std::function<QString(int col)> OnColumnHeading;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int ColLeft(int col) const;  // -1 when the column is scrolled out of view
    int RowTop(int row) const;
    bool IsFullyShown(int col, int row) const;
    void MoveCurrent(int col, int row);
    void SetHot(int col, int row);
    void ShowCellHint();
    void ScrollRows(int delta);
    void ClampScroll();

    QColor color_ = kFaceColor;
    int defColWidth_ = 75;
    int defRowHeight_ = 25;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int col_ = 1;
    int row_ = 1;
    int leftCol_ = 1;
    int topRow_ = 1;
    int hotCol_ = -1;
    int hotRow_ = -1;
    QPoint hintMousePos_;
    QPointer<TZVScrollBar> vScrollBar_;
    TZHintWindow* hintWindow_;
    QTimer hintTimer_;
    QTimer hintHideTimer_;
    TZWheelSteps wheel_;
};

}  // namespace ZVCL
