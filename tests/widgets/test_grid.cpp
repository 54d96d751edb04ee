// Owner-drawn grid: navigation, scrolling, mouse activation, hot cell and hints, scroll bar.
#include "kit_fixture.h"

#include "Zvc_grid.h"
#include "Zvc_scrollbar.h"

#include <QPainter>

using namespace ZVCL;

namespace {

constexpr int kRowHeight = 23;
// Shaped like the channel table: a fixed number column, a zero-width column, two header rows.
const int kWidths[] = {30, 35, 0, 130, 41, 130, 90, 40};

class GridTest : public KitFixture {
  protected:
    void SetUp() override {
        KitFixture::SetUp();
        grid = new TZ_Grid(Window());
        grid->SetCols(8);
        grid->SetRows(102);
        grid->SetFixedCols(1);
        grid->SetFixedRows(2);
        grid->SetDefRowHeight(kRowHeight);
        for (int c = 0; c < 8; ++c) grid->SetColWidths(c, kWidths[c]);
        // Two header rows, ten full rows and part of an eleventh.
        grid->setGeometry(0, 0, 380, 2 * kRowHeight + 10 * kRowHeight + 11);
        grid->show();
        grid->setFocus();
        grid->SetCol(1);
        grid->SetRow(2);
        grid->OnClickCellKey = [this](int c, int r, int key, Qt::KeyboardModifiers) {
            log << QStringLiteral("clickkey %1,%2 %3").arg(c).arg(r).arg(key);
        };
        grid->OnEditCellKey = [this](int c, int r, int key, Qt::KeyboardModifiers) {
            log << QStringLiteral("editkey %1,%2 %3").arg(c).arg(r).arg(key);
        };
        grid->OnClickCellMouse = [this](int c, int r, int, int, Qt::MouseButton,
                                        Qt::KeyboardModifiers) {
            log << QStringLiteral("click %1,%2").arg(c).arg(r);
        };
        grid->OnEditCellMouse = [this](int c, int r, int, int, Qt::MouseButton,
                                       Qt::KeyboardModifiers) {
            log << QStringLiteral("edit %1,%2").arg(c).arg(r);
        };
    }
    void Click(int col, int row, QPoint offset = QPoint(3, 3)) {
        QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier,
                          grid->CellRect(col, row).topLeft() + offset);
    }
    TZ_Grid* grid = nullptr;
    QStringList log;
};

TEST_F(GridTest, DefaultsOfAFreshGrid) {
    TZ_Grid fresh;
    EXPECT_EQ(fresh.DefColWidth(), 75);
    EXPECT_EQ(fresh.DefRowHeight(), 25);
    EXPECT_EQ(fresh.Color(), QColor(255, 250, 240));
    EXPECT_TRUE(fresh.TabStop());
    EXPECT_EQ(fresh.HintPause(), 500);
    EXPECT_EQ(fresh.HintHidePause(), 12000);
}

TEST_F(GridTest, SingleColumnListWithoutFixedCellsStartsAtItsFirstCell) {
    auto* list = new TZ_Grid(Window());
    list->SetCols(1);
    list->SetRows(4);
    list->SetFixedCols(0);
    list->SetFixedRows(0);
    list->SetColWidths(0, 149);
    list->setGeometry(0, 0, 149, 4 * kRowHeight);
    EXPECT_EQ(list->Cols(), 1);
    EXPECT_EQ(list->CellRect(0, 0), QRect(0, 0, 149, 25));
    EXPECT_EQ(list->Col(), 0);
    EXPECT_EQ(list->Row(), 0);
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
    EXPECT_EQ(list->Row(), 2);
}

TEST_F(GridTest, ArrowsStayInScrolledAreaAndPassOverZeroWidthColumn) {
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);  // column 0 is fixed
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(grid->Row(), 2);  // rows 0 and 1 are fixed
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 3);  // the zero-width column 2 would hide the current cell
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);
    QTest::keyClick(grid, Qt::Key_Right);
    for (int i = 0; i < 10; ++i) QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 7);
    EXPECT_GT(grid->LeftCol(), 1);  // scrolled right to show it
    const QRect shown = grid->CellRect(7, 2);
    EXPECT_LE(shown.right(), grid->width() - 1);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_TRUE(log.isEmpty());  // navigation fires no cell key events
}

TEST_F(GridTest, PageKeysMoveByVisibleRowsWithinBounds) {
    ASSERT_EQ(grid->VisibleRows(), 10);
    QTest::keyClick(grid, Qt::Key_PageDown);
    EXPECT_EQ(grid->Row(), 12);
    EXPECT_EQ(grid->TopRow(), 12);
    for (int i = 0; i < 20; ++i) QTest::keyClick(grid, Qt::Key_PageDown);
    EXPECT_EQ(grid->Row(), 101);
    EXPECT_EQ(grid->TopRow(), grid->MaxTopRow());
    EXPECT_EQ(grid->MaxTopRow(), 92);  // rows 92..101 fill the ten full places
    QTest::keyClick(grid, Qt::Key_PageUp);
    EXPECT_EQ(grid->Row(), 91);
    EXPECT_EQ(grid->TopRow(), 82);
    for (int i = 0; i < 20; ++i) QTest::keyClick(grid, Qt::Key_PageUp);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->TopRow(), 2);
}

TEST_F(GridTest, WheelScrollsRowsWithinBoundsKeepingCurrentCell) {
    Wheel(grid, 120);  // away from the user: already at the top
    EXPECT_EQ(grid->TopRow(), 2);
    Wheel(grid, -120);
    EXPECT_EQ(grid->TopRow(), 3);
    Wheel(grid, -60);
    EXPECT_EQ(grid->TopRow(), 3);
    Wheel(grid, -60);
    EXPECT_EQ(grid->TopRow(), 4);
    Wheel(grid, -120 * 500);
    EXPECT_EQ(grid->TopRow(), 92);
    Wheel(grid, 120 * 3);
    EXPECT_EQ(grid->TopRow(), 89);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, HalfShownCellClickOnlyScrollsThenNextClickActs) {
    const int half = grid->TopRow() + 10;
    ASSERT_LT(grid->CellRect(3, half).bottom(), grid->CellRect(3, half).top() + kRowHeight);
    Click(3, half);
    EXPECT_EQ(grid->TopRow(), 3);
    EXPECT_EQ(grid->Row(), half);
    EXPECT_EQ(log, QStringList{QStringLiteral("click 3,%1").arg(half)});
    log.clear();
    Click(3, half);
    EXPECT_EQ(grid->TopRow(), 3);
    EXPECT_EQ(log, (QStringList{QStringLiteral("click 3,%1").arg(half),
                                QStringLiteral("edit 3,%1").arg(half)}));
}

TEST_F(GridTest, FixedCellClicksSelectRowOrColumn) {
    Click(0, 6);
    EXPECT_EQ(grid->Row(), 6);
    EXPECT_EQ(grid->Col(), 1);
    Click(4, 1);
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_EQ(grid->Row(), 6);
    EXPECT_EQ(log, (QStringList{"click 0,6", "edit 0,6", "click 4,1", "edit 4,1"}));
    EXPECT_TRUE(grid->hasFocus());
}

TEST_F(GridTest, OtherKeysFireClickThenEditOnCurrentCell) {
    grid->SetCol(3);
    grid->SetRow(5);
    QTest::keyClick(grid, Qt::Key_Space);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(log, (QStringList{QStringLiteral("clickkey 3,5 %1").arg(Qt::Key_Space),
                                QStringLiteral("editkey 3,5 %1").arg(Qt::Key_Space),
                                QStringLiteral("clickkey 3,5 %1").arg(Qt::Key_Return),
                                QStringLiteral("editkey 3,5 %1").arg(Qt::Key_Return)}));
    grid->OnKeyDown = [](int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Space || key == Qt::Key_Down) key = 0;
    };
    log.clear();
    QTest::keyClick(grid, Qt::Key_Space);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(grid->Row(), 5);
}

TEST_F(GridTest, GeometryQueriesSkipZeroWidthAndScrolledOutCells) {
    const QRect c1 = grid->CellRect(1, 2);
    EXPECT_EQ(c1, QRect(30, 46, 35, kRowHeight));
    EXPECT_EQ(grid->CellRect(3, 2).left(), 65);  // right after the zero-width column
    EXPECT_EQ(grid->PointToCell(65, 50), QPoint(3, 2));
    EXPECT_EQ(grid->PointToCell(64, 50), QPoint(1, 2));
    EXPECT_EQ(grid->PointToCell(10, 10), QPoint(0, 0));
    grid->SetTopRow(10);
    EXPECT_TRUE(grid->CellRect(3, 5).isEmpty());
    EXPECT_EQ(grid->PointToCell(40, 47), QPoint(1, 10));
    EXPECT_EQ(grid->PointToCell(-1, 5), QPoint(-1, -1));
}

TEST_F(GridTest, PaintsEveryShownCellThenAfterGrid) {
    QStringList painted;
    grid->OnBeforeDrawGrid = [&](QPainter&) { painted << "before"; };
    grid->OnDrawCell = [&](int c, int r, const QRect& rect, QPainter&) {
        EXPECT_EQ(rect, grid->CellRect(c, r));
        painted << QStringLiteral("%1,%2").arg(c).arg(r);
    };
    grid->OnAfterDrawGrid = [&](QPainter&) { painted << "after"; };
    grid->grab();
    ASSERT_FALSE(painted.isEmpty());
    EXPECT_EQ(painted.front(), "before");
    EXPECT_EQ(painted.back(), "after");
    EXPECT_TRUE(painted.contains("0,0"));
    EXPECT_TRUE(painted.contains("3,12"));  // the half-shown row is painted too
    EXPECT_FALSE(painted.contains("2,2"));  // a zero-width column has nothing to paint
    EXPECT_FALSE(painted.contains("3,13"));
}

TEST_F(GridTest, HotCellAndHintTiming) {
    QList<QPoint> targets;
    grid->OnTargetCell = [&](int c, int r) { targets << QPoint(c, r); };
    grid->OnHintCell = [](int c, int r, QString& text) {
        if (r < 2) text = QStringLiteral("Включить канал %1").arg(c);
    };
    QTest::mouseMove(grid, grid->CellRect(3, 1).center());
    EXPECT_EQ(targets, QList<QPoint>{QPoint(3, 1)});
    EXPECT_EQ(grid->HotCol(), 3);
    QTest::qWait(300);
    EXPECT_FALSE(grid->HintWindow().IsShown());  // not before 500 ms
    QTRY_VERIFY_WITH_TIMEOUT(grid->HintWindow().IsShown(), 2000);
    EXPECT_EQ(grid->HintWindow().HintText(), "Включить канал 3");
    const QPoint expected = grid->mapToGlobal(grid->CellRect(3, 1).center()) + QPoint(0, 25);
    EXPECT_EQ(grid->HintWindow().pos(), expected);
    QTest::keyClick(grid, Qt::Key_Shift);
    EXPECT_FALSE(grid->HintWindow().IsShown());

    // Shorter timings for the rest: a cell without a hint, a press, leaving, expiry.
    grid->SetHintTiming(20, 150);
    QTest::mouseMove(grid, grid->CellRect(3, 4).center());
    QTest::qWait(80);
    EXPECT_FALSE(grid->HintWindow().IsShown());
    QTest::mouseMove(grid, grid->CellRect(4, 1).center());
    QTRY_VERIFY_WITH_TIMEOUT(grid->HintWindow().IsShown(), 1000);
    QTRY_VERIFY_WITH_TIMEOUT(!grid->HintWindow().IsShown(), 2000);  // expired
    QTest::mouseMove(grid, grid->CellRect(5, 1).center());
    QTRY_VERIFY_WITH_TIMEOUT(grid->HintWindow().IsShown(), 1000);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(grid, &leave);
    EXPECT_FALSE(grid->HintWindow().IsShown());
    EXPECT_EQ(targets.back(), QPoint(-1, -1));
}

TEST_F(GridTest, BoundScrollBarScrollsByLinePageAndPosition) {
    auto* bar = new TZVScrollBar(Window());
    bar->setGeometry(380, 0, 18, grid->height());
    bar->show();
    grid->SetVScrollBar(bar);
    EXPECT_EQ(bar->Min(), 2);
    EXPECT_EQ(bar->Max(), 92);
    EXPECT_EQ(bar->Position(), 2);
    QTest::mouseClick(&bar->DownKnob(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_EQ(grid->TopRow(), 3);
    EXPECT_EQ(bar->Position(), 3);
    QTest::mouseClick(&bar->UpKnob(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QTest::mouseClick(&bar->UpKnob(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_EQ(grid->TopRow(), 2);
    // A press in the track below the thumb pages down.
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                      QPoint(9, bar->TrackRect().bottom() - 2));
    EXPECT_EQ(grid->TopRow(), 12);
    EXPECT_EQ(bar->Position(), 12);
    // Dragging the thumb to the end stops at the last full screen.
    const QPoint thumb = bar->ThumbRect().center();
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
    QMouseEvent drag(QEvent::MouseMove, QPointF(thumb.x(), thumb.y() + 1000),
                     bar->mapToGlobal(QPointF(thumb.x(), thumb.y() + 1000)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &drag);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, thumb);
    EXPECT_EQ(grid->TopRow(), 92);
    EXPECT_EQ(bar->Position(), 92);
    QTest::mouseClick(&bar->DownKnob(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_EQ(grid->TopRow(), 92);
    Wheel(grid, 120);  // any scroll keeps the bar in step
    EXPECT_EQ(bar->Position(), 91);
}

}  // namespace
