// The channel table: toggles, the two in-cell editors opened by key and mouse, frequency
// stepping across the gaps between the allowed windows, and the "=" couplings.
#include "view_fixture.h"

using namespace views;

namespace {

class AlderCanalsTest : public AlderViewTest {
  protected:
    void SetUp() override {
        AlderViewTest::SetUp();
        ShowPage("tbs_Canals");
    }
    void EnableCanal(int i) { Canal(i).SetEnabled(true); }
};

TEST_F(AlderCanalsTest, GridShapeAndColumnWidthsOfBothLayouts) {
    EXPECT_EQ(grid->Cols(), 11);
    EXPECT_EQ(grid->Rows(), 102);
    EXPECT_EQ(grid->FixedRows(), 2);
    EXPECT_EQ(grid->FixedCols(), 1);
    EXPECT_EQ(grid->GetRowHeights(50), 23);
    const int normal[] = {30, 35, 0, 130, 41, 130, 90, 40, 90, 83, 81};
    const int compact[] = {30, 30, 0, 100, 35, 100, 66, 35, 66, 68, 65};
    for (const TLayout layout : {TLayout::Normal, TLayout::Compact}) {
        TAlderView view(Ware(), layout);
        const int* widths = layout == TLayout::Normal ? normal : compact;
        for (int c = 0; c < 11; ++c)
            EXPECT_EQ(view.CanalGrid().Grid().GetColWidths(c), widths[c]) << c;
        const int scanWidth = layout == TLayout::Normal ? 70 : 54;
        EXPECT_EQ(view.ScanGrid().Grid().GetColWidths(4), scanWidth);
    }
}

TEST_F(AlderCanalsTest, OnColumnTogglesByClickAndSpaceButNotEnter) {
    Click(1, 3);
    EXPECT_TRUE(Canal(3).Enabled());
    Key(1, 3, Qt::Key_Return);
    EXPECT_TRUE(Canal(3).Enabled());
    Key(1, 3, Qt::Key_Space);
    EXPECT_FALSE(Canal(3).Enabled());
    Key(1, 3, Qt::Key_Space);
    EXPECT_TRUE(Canal(3).Enabled());
    // Space on a frequency cell opens nothing.
    Key(3, 3, Qt::Key_Space);
    EXPECT_FALSE(EditorOpen());
    EXPECT_FALSE(edt->isVisible());
}

TEST_F(AlderCanalsTest, ClickOnTheNumberSelectsTheRowAndActsOnNothing) {
    Click(0, 7);
    EXPECT_EQ(grid->Row(), 9);
    EXPECT_EQ(grid->Col(), 1);
    Click(0, 7);
    EXPECT_FALSE(Canal(7).Enabled());
    EXPECT_FALSE(Modified());
}

TEST_F(AlderCanalsTest, EveryActionIsIgnoredOnAChannelNotInUse) {
    Settle();
    for (int col : {4, 7, 9, 10}) {
        Click(col, 5);
        Key(col, 5, Qt::Key_Space);
    }
    for (int col : {2, 3, 5, 6, 8}) {
        if (col != 2) Click(col, 5);  // the step column has no width to click on
        Key(col, 5, Qt::Key_Return);
        EXPECT_FALSE(EditorOpen()) << col;
    }
    EXPECT_FALSE(Modified());
    EXPECT_EQ(Notifications(), 0);
    const SCanalFields fresh{false, 12500, 145000000, 145000000, 0,   0,
                             true,  true,  false,     false,     true};
    EXPECT_EQ(Canal(5).Fields(), fresh);
}

TEST_F(AlderCanalsTest, TogglesOfAChannelInUse) {
    EnableCanal(2);
    Key(9, 2, Qt::Key_Space);
    EXPECT_TRUE(Canal(2).BlockPRDIfBusy());
    Click(10, 2);
    EXPECT_FALSE(Canal(2).LimitPRDOnTime());
    // Transmitting on a busy channel is ticked while it is allowed.
    const SCanalColumn& busy = View().CanalGrid().Model().columns[9];
    EXPECT_EQ(busy.image(2), ti_Empty);
    Click(9, 2);
    EXPECT_EQ(busy.image(2), ti_Ticked);
}

TEST_F(AlderCanalsTest, FrequencyEditorStepsAcrossTheGapBetweenWindows) {
    EnableCanal(0);
    Canal(0).SetFRQ_PRM(148987500);
    Key(3, 0, Qt::Key_Return);
    ASSERT_TRUE(EditorOpen());
    ASSERT_TRUE(edt->isVisible());
    EXPECT_TRUE(edt->hasFocus());
    EXPECT_EQ(edt->Text(), "148 987 500");
    EXPECT_EQ(edt->width(), kFrequencyEditorWidth);
    EXPECT_EQ(edt->y(), grid->CellRect(3, Row(0)).top() + kFrequencyEditorTop);
    EXPECT_FALSE(edt->hasSelectedText());
    EXPECT_EQ(edt->cursorPosition(), 11);

    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(edt->Text(), "149 000 000");
    QTest::keyClick(edt, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(edt->Text(), "165 000 000");
    QTest::keyClick(edt, Qt::Key_Up);  // plain arrows do nothing
    EXPECT_EQ(edt->Text(), "165 000 000");
    Wheel(edt, -120);  // towards the user: down, back over the gap
    EXPECT_EQ(edt->Text(), "149 000 000");
    Wheel(edt, 120);
    EXPECT_EQ(edt->Text(), "165 000 000");
    QTest::keyClick(edt, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(edt->Text(), "149 000 000");
    // Nothing is stored until the editor closes.
    EXPECT_EQ(Canal(0).FRQ_PRM(), 148987500);
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    EXPECT_FALSE(edt->isVisible());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(Canal(0).FRQ_PRM(), 149000000);
    // One_FRQ is on: the transmit frequency follows.
    EXPECT_EQ(Canal(0).FRQ_PRD(), 149000000);
}

TEST_F(AlderCanalsTest, TypedFrequencyIsSnappedIntoTheWindowsAndEscapeRestores) {
    EnableCanal(1);
    TypeInCell(3, 1, "16x0 000 000");
    EXPECT_EQ(edt->Text(), "160 000 000");
    QTest::keyClick(edt, Qt::Key_Escape);
    EXPECT_FALSE(edt->isVisible());
    EXPECT_EQ(Canal(1).FRQ_PRM(), 145000000);

    Click(3, 1);
    edt->selectAll();
    QTest::keyClicks(edt, "160000000");
    QTest::keyClick(edt, Qt::Key_Return);
    // 160 MHz lies in the gap, nearer to the upper window.
    EXPECT_EQ(Canal(1).FRQ_PRM(), 165000000);
}

TEST_F(AlderCanalsTest, AMousePressOutsideClosesAndStoresTheFrequency) {
    EnableCanal(4);
    Click(3, 4);
    ASSERT_TRUE(edt->isVisible());
    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->CellRect(0, Row(20)).center());
    EXPECT_FALSE(edt->isVisible());
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Canal(4).FRQ_PRM(), 145012500);
}

TEST_F(AlderCanalsTest, TransmitFrequencyOpensOnlyWithoutEqualSign) {
    EnableCanal(6);
    Key(5, 6, Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    Key(4, 6, Qt::Key_Space);
    EXPECT_FALSE(Canal(6).One_FRQ());
    Click(5, 6);
    ASSERT_TRUE(edt->isVisible());
    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(Canal(6).FRQ_PRD(), 145012500);
    EXPECT_EQ(Canal(6).FRQ_PRM(), 145000000);
    // Putting "=" back copies the receive frequency.
    Click(4, 6);
    EXPECT_TRUE(Canal(6).One_FRQ());
    EXPECT_EQ(Canal(6).FRQ_PRD(), 145000000);
}

// An undo, a read or an open replaces the set while a cell is being edited: the editor goes
// without storing, so closing it cannot write its stale value over the new one.
TEST_F(AlderCanalsTest, ASetReplacedUnderAnOpenCellEditorKeepsTheNewValue) {
    EnableCanal(8);
    Key(6, 8, Qt::Key_Return);
    ASSERT_TRUE(stc->IsListOpen());
    QTest::keyClick(stc, Qt::Key_Down);
    Canal(8).SetCSS_PRM(5);
    Ware().UpdateView();
    EXPECT_FALSE(stc->isVisible());
    EXPECT_FALSE(EditorOpen());
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_EQ(Canal(8).CSS_PRM(), 5);

    Click(3, 8);
    ASSERT_TRUE(edt->isVisible());
    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    Canal(8).SetFRQ_PRM(146000000);
    Ware().UpdateView();
    EXPECT_FALSE(edt->isVisible());
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(Canal(8).FRQ_PRM(), 146000000);
}

TEST_F(AlderCanalsTest, ToneListsAndTheirCoupling) {
    EnableCanal(8);
    Key(6, 8, Qt::Key_Return);
    ASSERT_TRUE(stc->isVisible());
    EXPECT_TRUE(stc->IsListOpen());
    EXPECT_EQ(stc->List().size(), 52);
    EXPECT_EQ(stc->Text(), "(нет)");
    const QRect cell = grid->CellRect(6, Row(8));
    EXPECT_EQ(stc->geometry().topLeft(), cell.topLeft() + QPoint(3, 3));
    EXPECT_EQ(stc->width(), cell.width() - 7);
    QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_FALSE(stc->isVisible());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(Canal(8).CSS_PRM(), 2);  // "69,3"
    EXPECT_EQ(Canal(8).CSS_PRD(), 2);

    // The transmit tone stays shut while "=" is on.
    Key(8, 8, Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    Key(7, 8, Qt::Key_Space);
    EXPECT_FALSE(Canal(8).One_CSS());
    Click(8, 8);
    ASSERT_TRUE(stc->isVisible());
    EXPECT_EQ(stc->Text(), "69,3");
    QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_EQ(Canal(8).CSS_PRD(), 3);
    EXPECT_EQ(Canal(8).CSS_PRM(), 2);
    Key(7, 8, Qt::Key_Space);
    EXPECT_TRUE(Canal(8).One_CSS());
    EXPECT_EQ(Canal(8).CSS_PRD(), 2);
}

TEST_F(AlderCanalsTest, EscapeInTheToneListKeepsTheToneAndStepListKeepsTheRaster) {
    EnableCanal(9);
    Canal(9).SetCSS_PRM(51);
    Click(6, 9);
    ASSERT_TRUE(stc->isVisible());
    EXPECT_EQ(stc->Text(), "(ОПР)");
    QTest::keyClick(stc, Qt::Key_Up);
    QTest::keyClick(stc, Qt::Key_Escape);
    EXPECT_FALSE(stc->isVisible());
    EXPECT_EQ(Canal(9).CSS_PRM(), 51);

    Settle();
    Key(2, 9, Qt::Key_Return);
    ASSERT_TRUE(stc->isVisible());
    EXPECT_EQ(stc->List(), QStringList({"12,5", "25"}));
    QTest::keyClick(stc, Qt::Key_Down);
    EXPECT_EQ(stc->Text(), "25");
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_EQ(Canal(9).FRQ_Step(), 12500);
    EXPECT_EQ(Notifications(), 1);
}

TEST_F(AlderCanalsTest, FrequenciesAreShownInsideTheWindowsWithoutChangingThem) {
    const SCanalColumn& prm = View().CanalGrid().Model().columns[3];
    EnableCanal(0);
    for (const auto& [stored, shown] :
         {std::pair{150000000, "149 000 000"}, std::pair{160000000, "165 000 000"},
          std::pair{157000000, "165 000 000"}, std::pair{175000000, "174 000 000"}}) {
        Canal(0).SetFRQ_PRM(stored);
        EXPECT_EQ(prm.text(0), shown) << stored;
        EXPECT_EQ(Canal(0).FRQ_PRM(), stored);
    }
}

TEST_F(AlderCanalsTest, SwitchingOffThePriorityChannelMovesThePriority) {
    for (int i : {3, 5}) {
        EnableCanal(i);
        Canal(i).SetScanning(true);
    }
    ASSERT_EQ(Data().PriorCanal(), 3);
    Click(1, 3);
    EXPECT_FALSE(Canal(3).Scanning());
    EXPECT_EQ(Data().PriorCanal(), 5);
    Key(1, 5, Qt::Key_Space);
    EXPECT_FALSE(Canal(5).Scanning());
    EXPECT_EQ(Data().PriorCanal(), -1);
    ShowPage("tbs_Scanning");
    EXPECT_FALSE(Find<QWidget>("pnl_PriorCanal")->isVisible());
    EXPECT_FALSE(Find<QWidget>("pnl_PriorScanning")->isVisible());
    EXPECT_TRUE(Find<QWidget>("txt_no_active1")->isVisible());
}

TEST_F(AlderCanalsTest, HeaderHintsAnswerOnTheirRowsOnly) {
    EXPECT_EQ(Hint(1, 0), "Включить канал в список рабочих");
    EXPECT_EQ(Hint(1, 1), Hint(1, 0));
    EXPECT_EQ(Hint(10, 0), Hint(10, 1));
    EXPECT_TRUE(Hint(10, 0).startsWith("Ограничение передачи по времени\n(конкретное"));
    EXPECT_EQ(Hint(3, 0), "");
    EXPECT_EQ(Hint(3, 1), "Частота приема\n(устанавливается из допустимого диапазона частот)");
    EXPECT_TRUE(Hint(6, 1).contains("при выборе  \"(ОПР)\""));
    EXPECT_EQ(Hint(0, 0), "");
    EXPECT_EQ(Hint(0, 1), "");
    EXPECT_EQ(Hint(3, 5), "");
}

TEST_F(AlderCanalsTest, HeaderBlocksAndTheEqualSignHints) {
    struct SBlock {
        int col0, col1, row0, row1;
        const char* text;
    };
    const SBlock expected[] = {
        {0, 0, 0, 1, "№"},
        {1, 1, 0, 1, "Вкл"},
        {2, 2, 0, 1, "Шаг,\nкГц "},
        {3, 5, 0, 0, "Частота, Гц"},
        {3, 3, 1, 1, "ПРМ"},
        {4, 4, 1, 1, "="},
        {5, 5, 1, 1, "ПРД"},
        {6, 8, 0, 0, "CTCSS тон, Гц"},
        {6, 6, 1, 1, "ПРМ"},
        {7, 7, 1, 1, "="},
        {8, 8, 1, 1, "ПРД"},
        {9, 9, 0, 1, "ПРД на\nзанятом\nканале"},
        {10, 10, 0, 1, "Огранич.\nПРД по\nвремени"},
    };
    const std::vector<SHeaderBlock>& header = View().CanalGrid().Model().header;
    ASSERT_EQ(header.size(), std::size(expected));
    for (std::size_t i = 0; i < header.size(); ++i) {
        const SBlock& e = expected[i];
        EXPECT_EQ(header[i].text, QString::fromUtf8(e.text)) << i;
        EXPECT_EQ(
            QRect(QPoint(header[i].col0, header[i].row0), QPoint(header[i].col1, header[i].row1)),
            QRect(QPoint(e.col0, e.row0), QPoint(e.col1, e.row1)))
            << i;
    }
    EXPECT_EQ(Hint(4, 1),
              "Знак \"=\" устанавливается в случае, если частота приема равна частоте передачи");
    EXPECT_EQ(Hint(7, 1),
              "Знак \"=\" устанавливается в случае, если частота приемного тона CTCSS равна "
              "частоте тона передачи CTCSS");
    EXPECT_EQ(Hint(7, 0), "");
}

}  // namespace
