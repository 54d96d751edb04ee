// Whole channels in the channel tables of every model: the marked channels, copy, cut and
// paste (also from and to spreadsheet text and across models), insert, delete, move, clear and
// fill, with the priority channel following its channel and Larch keeping its run from 00.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStatusTipEvent>

#include "F_birchcedarview.h"
#include "F_larchview.h"
#include "U_cedarware.h"
#include "U_larchware.h"
#include "larch_view_fixture.h"
#include "view_fixture.h"

using namespace views;

namespace {

// Status-line reports that reach the window.
class TipCatcher : public QObject {
  public:
    QStringList tips;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::StatusTip) tips << static_cast<QStatusTipEvent*>(e)->tip();
        return false;
    }
};

// What every model's test needs to reach the table operations.
template <class Base>
class EditTest : public Base {
  protected:
    void SetUp() override {
        Base::SetUp();
        this->View().window()->installEventFilter(&tips_);
    }
    TCanalEditing& Editing() { return *this->View().CanalEditing(); }
    TCanalGrid& Table() { return this->View().CanalGrid(); }
    // A key on the channel table with the current row on canal.
    void KeyOn(int canal, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        this->grid->setFocus();
        Table().SelectCanals({canal});
        QTest::keyClick(this->grid, static_cast<Qt::Key>(key), mods);
    }
    void ClickWith(int col, int canal, Qt::KeyboardModifiers mods) {
        QTest::mouseClick(this->grid, Qt::LeftButton, mods,
                          this->grid->CellRect(col, this->Row(canal)).center());
    }
    // Marks first..last with Shift+Down from first.
    void Mark(int first, int last) {
        this->grid->setFocus();
        Table().SelectCanals({first});
        for (int c = first; c < last; ++c)
            QTest::keyClick(this->grid, Qt::Key_Down, Qt::ShiftModifier);
    }
    void MenuItem(const char* name) {
        QAction* action = Editing().ContextMenu().template findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    static void Clip(const char* text) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
    }
    QStringList Tips() const { return tips_.tips; }

  private:
    TipCatcher tips_;
};

using AlderEdit = EditTest<AlderViewTest>;

class CedarEdit
    : public EditTest<
          RadioViewTest<CCedarWare, TBirchCedarView, CBirchCedarData, &InstallBirchCedarView>> {
  protected:
    CTwoBankCanal& Canal(int i) const { return *Data().Canal(i); }
};

class LarchEdit : public EditTest<LarchViewFixture> {
  protected:
    int RunEnd() const {
        int i = 0;
        while (i < kLarchCanalCount && Canal(i).Enabled()) ++i;
        for (int j = i; j < kLarchCanalCount; ++j)
            if (Canal(j).Enabled()) return -100;  // a gap: no run at all
        return i - 1;
    }
};

// A working Alder channel with every field away from its default.
void SetUpCanal(CAlderCanal& c, int rx, int tx) {
    c.SetEnabled(true);
    c.SetFRQ_PRM(rx);
    c.SetFRQ_PRD(tx);
    c.SetCSS_PRM(5);
    c.SetCSS_PRD(7);
    c.SetScanning(true);
    c.SetBlockPRDIfBusy(true);
    c.SetLimitPRDOnTime(false);
}

// ---- marking ---------------------------------------------------------------------------------

TEST_F(AlderEdit, ChannelsAreMarkedByShiftArrowsShiftAndCtrlClicksAndTheNumberColumn) {
    Mark(3, 5);
    EXPECT_EQ(Table().Selection(), (std::set<int>{3, 4, 5}));
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(Table().Selection(), (std::set<int>{6}));
    ClickWith(1, 8, Qt::ShiftModifier);
    EXPECT_EQ(Table().Selection(), (std::set<int>{6, 7, 8}));
    EXPECT_FALSE(Canal(8).Enabled()) << "a marking click does not act on its cell";
    ClickWith(3, 10, Qt::ControlModifier);
    ClickWith(3, 7, Qt::ControlModifier);
    EXPECT_EQ(Table().Selection(), (std::set<int>{6, 8, 10}));
    ClickWith(0, 12, Qt::NoModifier);
    EXPECT_EQ(Table().Selection(), (std::set<int>{12}));
    EXPECT_FALSE(Modified());
}

// ---- clipboard -------------------------------------------------------------------------------

TEST_F(AlderEdit, ACopiedChannelPastesWithEveryFieldAndAsSpreadsheetText) {
    SetUpCanal(Canal(2), 146012500, 147000000);
    Settle();
    KeyOn(2, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime->hasFormat(kCanalMimeType));
    EXPECT_EQ(mime->text(),
              QStringLiteral("02\t1\t146012500\t147000000\t77,0\t82,5\t1\t1\t0\t12500\t0\r\n"));
    KeyOn(40, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Canal(40).Fields(), Canal(2).Fields());

    // The same text typed into a spreadsheet comes back; "=" follows from equal values.
    Clip("41\t1\t146 000 000\t146000000\t67,0\t67,0\t0\t0\t1\n");
    KeyOn(41, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(Canal(41).Enabled());
    EXPECT_EQ(Canal(41).FRQ_PRM(), 146000000);
    EXPECT_TRUE(Canal(41).One_FRQ());
    EXPECT_EQ(Canal(41).CSS_PRM(), 1);
    EXPECT_TRUE(Canal(41).LimitPRDOnTime());
}

TEST_F(AlderEdit, CutLeavesAnEmptyChannel) {
    SetUpCanal(Canal(2), 146012500, 146012500);
    Settle();
    KeyOn(2, Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(Canal(2).Enabled());
    EXPECT_FALSE(Canal(2).Scanning());
    KeyOn(9, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Canal(9).FRQ_PRM(), 146012500);
    EXPECT_EQ(Data().PriorCanal(), 9) << "the only scanned channel is the priority";
}

TEST_F(AlderEdit, WhatDoesNotFitTheModelIsReportedAndLeftAlone) {
    Clip(
        "00\t1\t40000000\t40000000\t(нет)\t(нет)\t0\t0\t1\n"
        "01\t1\t146000000\t146000000\t023\t023\t0\t0\t1\n"
        "02\t1\t146006000\t146006000\t(нет)\t(нет)\t0\t0\t1\n"
        "03\t1\t146000000\t146000000\t(ОПР)\t(нет)\t0\t0\t1\n");
    KeyOn(20, Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(Canal(20).Enabled());
    EXPECT_FALSE(Canal(21).Enabled());
    EXPECT_FALSE(Canal(22).Enabled());
    EXPECT_TRUE(Canal(23).Enabled());
    EXPECT_EQ(Canal(23).CSS_PRM(), 51);
    ASSERT_EQ(Tips().size(), 1);
    EXPECT_EQ(Tips()[0].toStdString(),
              "Не изменены каналы: 20: частота 40 000 000 вне диапазона радиостанции; "
              "21: тон 023 не поддерживается; 22: частота 146 006 000 не кратна шагу сетки");
}

TEST_F(CedarEdit, AnotherModelsChannelPastesByToneNameAndClearEmptiesIt) {
    // Alder's "(ОПР)" has no Cedar counterpart; "82,5" is a Cedar tone in Cedar's own order.
    Clip(
        "05\t1\t150000000\t150000000\t82,5\t(нет)\t1\t0\t1\t12500\t0\n"
        "06\t1\t150000000\t150000000\t(ОПР)\t(ОПР)\t1\t0\t1\t12500\t0\n");
    KeyOn(0, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(Canal(0).Enabled());
    EXPECT_EQ(birchcedar::ToneName(Canal(0).CSS_PRM()), "82,5");
    EXPECT_EQ(Canal(0).CSS_PRD(), 0);
    EXPECT_FALSE(Canal(0).One_CSS());
    EXPECT_FALSE(Canal(1).Enabled());
    ASSERT_EQ(Tips().size(), 1);
    EXPECT_TRUE(Tips()[0].contains(QStringLiteral("01: тон (ОПР) не поддерживается")));

    KeyOn(0, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(Canal(0).Enabled());
    EXPECT_EQ(Canal(0).CSS_PRM(), 0);
    EXPECT_EQ(Data().PriorCanal(), -1);
}

// ---- insert, delete, move --------------------------------------------------------------------

TEST_F(AlderEdit, InsertShiftsTheChannelsDownAndAsksBeforeLosingChannel99) {
    SetUpCanal(Canal(10), 150000000, 150000000);
    SetUpCanal(Canal(99), 170000000, 170000000);
    Data().SetPriorCanal(10);
    Settle();
    QStringList asked;
    for (const bool answer : {false, true}) {
        Editing().confirm = [&asked, answer](const QString& q) {
            asked << q;
            return answer;
        };
        KeyOn(4, Qt::Key_Insert);
    }
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].toStdString(), "Канал 99 включен и будет потерян. Вставить канал?");
    EXPECT_FALSE(Canal(4).Enabled());
    EXPECT_TRUE(Canal(11).Enabled());
    EXPECT_EQ(Canal(11).FRQ_PRM(), 150000000);
    EXPECT_FALSE(Canal(10).Enabled());
    EXPECT_FALSE(Canal(99).Enabled()) << "channel 99 fell off, 98 (empty) took its place";
    EXPECT_EQ(Data().PriorCanal(), 11) << "the priority follows its channel";
}

TEST_F(AlderEdit, DeleteShiftsUpAndThePriorityFollowsOrMovesToTheLowestScannedChannel) {
    const struct {
        int deleted;
        int priority;
    } cases[] = {{8, 3}, {3, 7}};
    for (const auto& c : cases) {
        for (int i = 0; i < 100; ++i) Canal(i).SetEnabled(false);
        SetUpCanal(Canal(3), 150000000, 150000000);
        SetUpCanal(Canal(8), 160000000, 160000000);
        Data().SetPriorCanal(8);
        Settle();
        KeyOn(c.deleted, Qt::Key_Delete);
        EXPECT_EQ(Data().PriorCanal(), c.priority) << "deleting " << c.deleted;
        EXPECT_FALSE(Canal(99).Enabled());
    }
}

TEST_F(AlderEdit, MarkedChannelsMoveTogetherAndStopAtTheTop) {
    SetUpCanal(Canal(2), 150000000, 150000000);
    SetUpCanal(Canal(3), 151000000, 151000000);
    SetUpCanal(Canal(4), 152000000, 152000000);
    Settle();
    Mark(2, 3);
    QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Canal(2).FRQ_PRM(), 152000000);
    EXPECT_EQ(Canal(3).FRQ_PRM(), 150000000);
    EXPECT_EQ(Canal(4).FRQ_PRM(), 151000000);
    EXPECT_EQ(Table().Selection(), (std::set<int>{3, 4}));
    Settle();
    KeyOn(0, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(Modified()) << "channel 00 has nowhere to go";
}

// ---- fill ------------------------------------------------------------------------------------

TEST_F(AlderEdit, FillSetsFrequenciesFromAStartByAStepSnappedAsTypedAndOptionalTones) {
    Mark(0, 3);
    // The right button on the table offers the operations; it keeps the marked channels.
    QTest::mouseClick(grid, Qt::RightButton, Qt::NoModifier, grid->CellRect(3, Row(1)).center());
    const QPoint at = grid->CellRect(3, Row(1)).center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, grid->mapToGlobal(at));
    QApplication::sendEvent(grid, &menuEvent);
    EXPECT_TRUE(Editing().ContextMenu().isVisible());
    Editing().ContextMenu().hide();
    EXPECT_EQ(Table().Selection(), (std::set<int>{0, 1, 2, 3}));
    Editing().runFill = [](TFillDialog& d) {
        d.findChild<QLineEdit*>("edt_Start")->setText("173 975 000");
        d.findChild<QLineEdit*>("edt_Step")->setText("12,5");
        d.findChild<QCheckBox*>("chk_Tones")->setChecked(true);
        d.findChild<QComboBox*>("stc_RxTone")->setCurrentText("67,0");
        d.findChild<QComboBox*>("stc_TxTone")->setCurrentText("67,0");
        return true;
    };
    MenuItem("act_FillCanals");
    const int expected[] = {173975000, 173987500, 174000000, 174000000};  // the top range ends
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Canal(i).Enabled());
        EXPECT_EQ(Canal(i).FRQ_PRM(), expected[i]) << i;
        EXPECT_EQ(Canal(i).FRQ_PRD(), expected[i]) << i;
        EXPECT_EQ(Canal(i).CSS_PRM(), 1);
    }
    EXPECT_FALSE(Canal(4).Enabled());
}

// ---- Larch: the run of working channels from 00 ----------------------------------------------

TEST_F(LarchEdit, EveryOperationKeepsTheRunOfWorkingChannelsFrom00) {
    const struct {
        const char* what;
        int canal;
        int key;
        Qt::KeyboardModifiers mods;
        int runEnd;
    } cases[] = {
        {"insert inside the run adds a working channel", 2, Qt::Key_Insert, Qt::NoModifier, 5},
        {"insert past the run does nothing", 7, Qt::Key_Insert, Qt::NoModifier, 4},
        {"delete shortens the run", 1, Qt::Key_Delete, Qt::NoModifier, 3},
        {"clear inside the run keeps the channel working", 2, Qt::Key_Delete, Qt::ControlModifier,
         4},
        {"clear at the end shortens the run", 4, Qt::Key_Delete, Qt::ControlModifier, 3},
        {"the last working channel does not move past the run", 4, Qt::Key_Down, Qt::AltModifier,
         4},
    };
    for (const auto& c : cases) {
        WorkingRun(4);
        Canal(2).SetFRQ_PRM(45000000);
        KeyOn(c.canal, c.key, c.mods);
        EXPECT_EQ(RunEnd(), c.runEnd) << c.what;
    }
    // A pasted working channel beyond the run would not be one in the radio.
    WorkingRun(4);
    Clip("00\t1\t40000000\t40000000\t(нет)\t(нет)\t0\t0\t0\t25000\t1000\n");
    KeyOn(8, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(RunEnd(), 4);
    // (A move that could not go further has said so before.)
    ASSERT_FALSE(Tips().isEmpty());
    EXPECT_EQ(Tips().back().toStdString(),
              "Не изменены каналы: 08: вне ряда рабочих каналов от 00");
}

TEST_F(LarchEdit, InsertIntoAFullRunAsksFirstAndTheServiceChannelFollows) {
    WorkingRun(kLarchMaxWorkingCanals - 1);
    Data().SetServiceCanal(6);
    Settle();
    int asked = 0;
    Editing().confirm = [&asked](const QString&) { return ++asked > 0; };
    KeyOn(3, Qt::Key_Insert);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(RunEnd(), kLarchMaxWorkingCanals - 1);
    EXPECT_EQ(Data().ServiceCanal(), 7);
}

}  // namespace
