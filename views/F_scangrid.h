// The channel selection grid of the scanning page: 10 by 10 cells, channel 10 * column + row,
// each with its tick and number; Space or a click marks the channel for scanning.
#pragma once

#include <QPointer>

#include <functional>

class QPainter;
class QRect;

#include "Zvc_grid.h"
#include "Zvc_scrollbar.h"

namespace views {

struct SScanGridModel {
    std::function<bool()> hasData;
    std::function<bool(int canal)> enabled;
    std::function<bool(int canal)> scanning;
    std::function<void(int canal, bool on)> setScanning;
    // After a change made here: the page refills (priority editors and all).
    std::function<void()> changed;
};

inline constexpr int kScanGridSide = 10;

class TScanGrid {
  public:
    TScanGrid(ZVCL::TZ_Grid& grid, int colWidth, SScanGridModel model);
    TScanGrid(const TScanGrid&) = delete;
    TScanGrid& operator=(const TScanGrid&) = delete;

    ZVCL::TZ_Grid& Grid() const { return *grid_; }
    static int CanalOf(int col, int row) { return kScanGridSide * col + row; }

    // Flips a channel's mark if the channel is in use.
    void Toggle(int canal);
    // Every channel in use is marked; every mark is taken off.
    void CheckAll();
    void UncheckAll();
    void Refresh();

  private:
    bool HasData() const { return !model_.hasData || model_.hasData(); }
    // The grid's own keys: the ends of the rows and columns, and Up/Down wrapping round.
    void OwnKey(int& key);
    void DrawCell(int col, int row, const QRect& rect, QPainter& p);

    QPointer<ZVCL::TZ_Grid> grid_;
    SScanGridModel model_;
};

}  // namespace views
