// The scanning page: the 10 by 10 channel selection with its wrapping keys, the two buttons, and
// the priority editors that show only while a channel is scanned.
#include "view_fixture.h"

#include <QPushButton>

using namespace views;

namespace {

class AlderScanningTest : public AlderViewTest {
  protected:
    void SetUp() override {
        AlderViewTest::SetUp();
        ShowPage("tbs_Scanning");
        grid = &View().ScanGrid().Grid();
        grid->setFocus();
    }
    void Enable(std::initializer_list<int> canals) {
        for (int i : canals) Canal(i).SetEnabled(true);
    }
    void Press(int col, int row, int key) {
        grid->SetCol(col);
        grid->SetRow(row);
        QTest::keyClick(grid, static_cast<Qt::Key>(key));
    }
    QPoint Current() const { return {grid->Col(), grid->Row()}; }

    ZVCL::TZ_Grid* grid = nullptr;
};

TEST_F(AlderScanningTest, KeysMoveToTheEndsAndWrapAroundColumns) {
    struct SCase {
        QPoint from;
        int key;
        QPoint to;
    };
    const SCase cases[] = {
        {{9, 9}, Qt::Key_Down, {0, 0}},  // channel 99 -> 00
        {{0, 0}, Qt::Key_Up, {9, 9}},    // 00 -> 99
        {{3, 0}, Qt::Key_Up, {2, 9}},    // 30 -> 29
        {{4, 9}, Qt::Key_Down, {5, 0}},  // 49 -> 50
        {{4, 5}, Qt::Key_Up, {4, 4}},    // inside a column: one row
        {{4, 5}, Qt::Key_Down, {4, 6}},     {{6, 3}, Qt::Key_Home, {0, 3}},
        {{6, 3}, Qt::Key_End, {9, 3}},      {{6, 3}, Qt::Key_PageUp, {6, 0}},
        {{6, 3}, Qt::Key_PageDown, {6, 9}},
    };
    for (const SCase& c : cases) {
        Press(c.from.x(), c.from.y(), c.key);
        EXPECT_EQ(Current(), c.to) << c.from.x() << "," << c.from.y() << " key " << c.key;
    }
    EXPECT_EQ(TScanGrid::CanalOf(2, 9), 29);
}

TEST_F(AlderScanningTest, SpaceAndClickMarkOnlyChannelsInUse) {
    Enable({23});
    Press(2, 3, Qt::Key_Space);
    EXPECT_TRUE(Canal(23).Scanning());
    Press(3, 2, Qt::Key_Space);  // channel 32 is not in use
    EXPECT_FALSE(Canal(32).Scanning());
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->CellRect(2, 3).center());
    EXPECT_FALSE(Canal(23).Scanning());
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->CellRect(3, 2).center());
    EXPECT_FALSE(Canal(32).Scanning());
}

TEST_F(AlderScanningTest, UncheckAllThenCheckAllMarksExactlyTheChannelsInUse) {
    Enable({0, 17, 42, 99});
    Canal(17).SetScanning(true);
    Canal(50).SetScanning(true);  // refused: not in use
    Find<QPushButton>("btn_uncheck_all")->click();
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(Canal(i).Scanning()) << i;
    EXPECT_FALSE(Find<QWidget>("pnl_PriorCanal")->isVisible());
    Find<QPushButton>("btn_check_all")->click();
    for (int i = 0; i < 100; ++i) EXPECT_EQ(Canal(i).Scanning(), Canal(i).Enabled()) << i;
    EXPECT_TRUE(Find<QWidget>("pnl_PriorCanal")->isVisible());
    EXPECT_EQ(Find<QPushButton>("btn_uncheck_all")->text(), "\"Снять\" все");
}

TEST_F(AlderScanningTest, PriorityEditorsFollowTheScannedChannels) {
    auto* priority = Find<ZVCL::TZStatic>("stc_PriorCanal");
    auto* priorScanning = Find<ZVCL::TZStatic>("stc_PriorScanning");
    EXPECT_FALSE(Find<QWidget>("pnl_PriorCanal")->isVisible());
    EXPECT_FALSE(Find<QWidget>("pnl_PriorScanning")->isVisible());
    EXPECT_EQ(Find<ZVCL::TZStatic>("txt_no_active2")->Text(), "(нет каналов сканирования)");

    Enable({4, 7, 9});
    Press(0, 7, Qt::Key_Space);
    Press(0, 4, Qt::Key_Space);
    EXPECT_TRUE(priority->isVisible());
    EXPECT_TRUE(priorScanning->isVisible());
    EXPECT_EQ(priority->List(), QStringList({"04", "07"}));
    EXPECT_EQ(priority->Text(), "07");  // the first scanned channel kept the priority
    EXPECT_EQ(priorScanning->Text(), "Выкл");

    priority->setFocus();
    QTest::keyClick(priority, Qt::Key_Up);
    EXPECT_EQ(Data().PriorCanal(), 4);
    priorScanning->setFocus();
    QTest::keyClick(priorScanning, Qt::Key_Up);
    EXPECT_TRUE(Data().PriorScanning());

    // Taking the priority channel out of the list moves the priority to the one left.
    Press(0, 4, Qt::Key_Space);
    EXPECT_EQ(Data().PriorCanal(), 7);
    EXPECT_EQ(priority->List(), QStringList({"07"}));
    EXPECT_EQ(priority->Text(), "07");
}

TEST_F(AlderScanningTest, DelayScanningIsClampedAndShownAsStored) {
    auto* edt = Find<ZVCL::TZEditor>("edt_DelayScanning");
    EXPECT_EQ(edt->Text(), "5");
    EXPECT_EQ(edt->List().size(), 10);
    edt->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edt, "7");
    EXPECT_EQ(Data().DelayScanning(), 7);
    edt->selectAll();
    QTest::keyClicks(edt, "9x9");
    EXPECT_EQ(edt->Text(), "99");
    EXPECT_EQ(Data().DelayScanning(), 60);
    grid->setFocus();
    EXPECT_EQ(edt->Text(), "60");
    // An empty field stores the lower bound, and Enter shows it.
    edt->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edt, Qt::Key_Backspace);
    EXPECT_EQ(Data().DelayScanning(), 0);
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(edt->Text(), "0");
    EXPECT_EQ(edt->selectedText(), "0");
}

}  // namespace
