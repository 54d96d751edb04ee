#include "F_scangrid.h"

#include "F_viewpaint.h"
#include "Zvc_grid.h"
#include "Zvc_scrollbar.h"

#include <QPainter>
#include <QPalette>

namespace views {

namespace {
constexpr int kLast = kScanGridSide - 1;
constexpr int kTickLeft = 6, kTickTop = 1;
constexpr int kNumberLeft = 28, kNumberTop = 3;
}  // namespace

TScanGrid::TScanGrid(ZVCL::TZ_Grid& grid, int colWidth, SScanGridModel model)
    : grid_(&grid), model_(std::move(model)) {
    grid.SetCols(kScanGridSide);
    grid.SetRows(kScanGridSide);
    grid.SetFixedCols(0);
    grid.SetFixedRows(0);
    grid.SetDefColWidth(colWidth);
    grid.SetDefRowHeight(23);
    grid.SetCol(0);
    grid.SetRow(0);
    grid.setAccessibleName(QStringLiteral("Каналы сканирования"));
    grid.OnCellText = [this](int col, int row) {
        const int canal = CanalOf(col, row);
        const QString number = QStringLiteral("Канал %1").arg(canal, 2, 10, QLatin1Char('0'));
        if (!HasData() || !model_.enabled(canal)) return number + QStringLiteral(" не рабочий");
        return number + QStringLiteral(", сканирование: ") +
               (model_.scanning(canal) ? QStringLiteral("Да") : QStringLiteral("Нет"));
    };
    grid.OnColumnHeading = [](int col) {
        return QStringLiteral("Каналы %1–%2")
            .arg(kScanGridSide * col, 2, 10, QLatin1Char('0'))
            .arg(kScanGridSide * col + kScanGridSide - 1, 2, 10, QLatin1Char('0'));
    };
    grid.OnDrawCell = [this](int col, int row, const QRect& rect, QPainter& p) {
        DrawCell(col, row, rect, p);
    };
    grid.OnKeyDown = [this](int& key, Qt::KeyboardModifiers) { OwnKey(key); };
    grid.OnEditCellKey = [this](int col, int row, int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Space) Toggle(CanalOf(col, row));
    };
    grid.OnEditCellMouse = [this](int col, int row, int, int, Qt::MouseButton button,
                                  Qt::KeyboardModifiers) {
        if (button == Qt::LeftButton) Toggle(CanalOf(col, row));
    };
}

void TScanGrid::OwnKey(int& key) {
    ZVCL::TZ_Grid& g = *grid_;
    const int col = g.Col();
    const int row = g.Row();
    switch (key) {
        case Qt::Key_Home:
            g.SetCol(0);
            break;
        case Qt::Key_End:
            g.SetCol(kLast);
            break;
        case Qt::Key_PageUp:
            g.SetRow(0);
            break;
        case Qt::Key_PageDown:
            g.SetRow(kLast);
            break;
        case Qt::Key_Up:
            if (row != 0) return;  // the grid moves one row itself
            g.SetCol(col == 0 ? kLast : col - 1);
            g.SetRow(kLast);
            break;
        case Qt::Key_Down:
            if (row != kLast) return;
            g.SetCol(col == kLast ? 0 : col + 1);
            g.SetRow(0);
            break;
        default:
            return;
    }
    key = 0;
}

void TScanGrid::Toggle(int canal) {
    if (!HasData() || canal < 0 || canal >= kScanGridSide * kScanGridSide) return;
    if (!model_.enabled(canal)) return;
    model_.setScanning(canal, !model_.scanning(canal));
    grid_->update();
    if (model_.changed) model_.changed();
}

void TScanGrid::CheckAll() {
    if (!HasData()) return;
    for (int canal = 0; canal < kScanGridSide * kScanGridSide; ++canal)
        if (model_.enabled(canal) && !model_.scanning(canal)) model_.setScanning(canal, true);
    grid_->update();
    if (model_.changed) model_.changed();
}

void TScanGrid::UncheckAll() {
    if (!HasData()) return;
    for (int canal = 0; canal < kScanGridSide * kScanGridSide; ++canal)
        if (model_.scanning(canal)) model_.setScanning(canal, false);
    grid_->update();
    if (model_.changed) model_.changed();
}

void TScanGrid::Refresh() {
    grid_->update();
}

void TScanGrid::DrawCell(int col, int row, const QRect& rect, QPainter& p) {
    const int canal = CanalOf(col, row);
    const bool data = HasData();
    const bool enabled = data && model_.enabled(canal);
    const bool scanning = data && model_.scanning(canal);
    p.fillRect(rect, (col + row) % 2 == 0 ? kRowOddColor : kRowEvenColor);
    PaintOuterFrame(p, rect, kCellBorderColor);
    p.drawImage(rect.left() + kTickLeft, rect.top() + kTickTop,
                TickImage(TickFor(scanning ? ti_Ticked : ti_Empty, enabled)));
    p.setFont(CellFont());
    p.setPen(enabled ? QColor(0, 0, 0) : kDisabledTextColor);
    const QRect textRect(rect.left() + kNumberLeft, rect.top() + kNumberTop,
                         rect.width() - kNumberLeft, rect.height() - kNumberTop);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("%1").arg(canal, 2, 10, QLatin1Char('0')));
    const QColor highlight = QPalette().color(QPalette::Highlight);
    if (col == grid_->Col() && row == grid_->Row() && grid_->hasFocus())
        PaintInnerFrame(p, rect, highlight);
    else if (col == grid_->HotCol() && row == grid_->HotRow())
        PaintCornerMarks(p, rect, highlight);
}

}  // namespace views
