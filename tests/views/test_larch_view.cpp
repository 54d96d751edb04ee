// The Larch view: the run of working channels from channel 00, eight-digit frequencies, the
// call tone shared by all channels, the squelch switch and level in one selector, the service
// channel, the programming selectors, and pages that store nothing while they are filled.
#include "F_larchview.h"
#include "U_larchware.h"
#include "Zvc_label.h"
#include "larch_view_fixture.h"

#include <QPushButton>

using namespace views;

namespace {

class LarchViewTest : public LarchViewFixture {
  protected:
    int LastWorking() const {
        int last = -1;
        for (int i = 0; i < kLarchCanalCount; ++i)
            if (Canal(i).Enabled()) last = i;
        return last;
    }
    static void Step(ZVCL::TZStatic* s, int key, int times = 1) {
        s->setFocus();
        for (int n = 0; n < times; ++n) QTest::keyClick(s, static_cast<Qt::Key>(key));
    }
};

// ---- Working channels ---------------------------------------------------------------------------

TEST_F(LarchViewTest, OnlyTheEndOfTheRunOfWorkingChannelsMoves) {
    // A click follows the same rule as Space.
    WorkingRun(4);
    Click(1, 6);
    EXPECT_EQ(LastWorking(), 4);
    Click(1, 5);
    EXPECT_EQ(LastWorking(), 5);

    struct SCase {
        int canal;
        int lastAfter;  // the run 00..lastAfter afterwards
        bool changes;
    };
    // Each case starts from channels 00..04 in use.
    const SCase cases[] = {
        {6, 4, false},  // beyond the channel after the run
        {5, 5, true},   // the channel after the run joins it
        {2, 4, false},  // inside the run: channel 03 is still in use
        {4, 3, true},   // the last of the run leaves it
        {0, 4, false},  // the first, while the run goes on
        {99, 4, false},
    };
    for (const SCase& c : cases) {
        WorkingRun(4);
        Key(1, c.canal, Qt::Key_Space);
        EXPECT_EQ(LastWorking(), c.lastAfter) << c.canal;
        for (int i = 0; i <= c.lastAfter; ++i) EXPECT_TRUE(Canal(i).Enabled()) << c.canal;
        EXPECT_EQ(Modified(), c.changes) << c.canal;
    }
}

TEST_F(LarchViewTest, TheRunEndsAtChannel94) {
    WorkingRun(94);
    Key(1, 95, Qt::Key_Space);
    EXPECT_FALSE(Canal(95).Enabled());
    EXPECT_FALSE(Modified());
    EXPECT_EQ(Notifications(), 0);
    Key(1, 94, Qt::Key_Space);
    EXPECT_EQ(LastWorking(), 93);
    // From an empty table the run starts at 00 and only there.
    WorkingRun(-1);
    Key(1, 1, Qt::Key_Space);
    EXPECT_EQ(LastWorking(), -1);
    Key(1, 0, Qt::Key_Space);
    EXPECT_EQ(LastWorking(), 0);
    Key(1, 0, Qt::Key_Space);
    EXPECT_EQ(LastWorking(), -1);
}

TEST_F(LarchViewTest, AChannelLeavingTheRunLeavesScanningAndTheServiceChannel) {
    WorkingRun(3);
    Canal(3).SetScanning(true);
    Canal(2).SetScanning(true);
    Data().SetServiceCanal(3);
    Key(1, 3, Qt::Key_Space);
    EXPECT_FALSE(Canal(3).Scanning());
    EXPECT_EQ(Data().ServiceCanal(), 0);
    Data().SetServiceCanal(1);
    Key(1, 2, Qt::Key_Space);
    EXPECT_FALSE(Canal(2).Scanning());
    EXPECT_EQ(Data().ServiceCanal(), 1);
}

// ---- The channel table --------------------------------------------------------------------------

TEST_F(LarchViewTest, FrequencyTextHasEightDigitsAndReadsBackFromTenCharacters) {
    CLarchData& d = Data();
    EXPECT_EQ(larchview::FreqText(d, 39012500), "39 012 500");
    EXPECT_EQ(larchview::FreqText(d, 49000000), "49 000 000");
    // Shown inside the allowed ranges.
    EXPECT_EQ(larchview::FreqText(d, 51000000), "49 000 000");
    EXPECT_EQ(larchview::FreqText(d, 1000), "39 000 000");
    struct SCase {
        const char* text;
        int value;
    };
    const SCase cases[] = {{"39 012 500", 39012500}, {"48 999 000", 48999000},
                           {"39012500", 39000000},   {"439 012 500", 39000000},
                           {"4x 000 000", 39000000}, {"", 39000000},
                           {"59 000 000", 49000000}};
    for (const SCase& c : cases)
        EXPECT_EQ(larchview::ParseFreqText(d, QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST_F(LarchViewTest, FrequencyEditorTakesWholeKilohertzInTenCharacters) {
    WorkingRun(0);
    Canal(0).SetFRQ_PRM(39025000);
    Key(3, 0, Qt::Key_Return);
    ASSERT_TRUE(edt->isVisible());
    EXPECT_EQ(edt->Text(), "39 025 000");
    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(edt->Text(), "39 050 000");
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(Canal(0).FRQ_PRM(), 39050000);
    EXPECT_EQ(Canal(0).FRQ_PRD(), 39050000);
    // The transmit cell opens only without "=".
    Key(5, 0, Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    Key(4, 0, Qt::Key_Space);
    TypeInCell(5, 0, "41,05");
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(Canal(0).FRQ_PRD(), 41050000);
    EXPECT_EQ(Canal(0).FRQ_PRM(), 39050000);
}

TEST_F(LarchViewTest, GridShapeAndWhatEachColumnDoes) {
    ExpectBothLayouts(
        {30, 35, 0, 139, 52, 139, 0, 110, 48, 0, 110, 0, 87},
        {30, 35, 0, 107, 35, 107, 0, 85, 34, 0, 85, 0, 77},
        [](const QStringList& texts, bool small) {
            EXPECT_TRUE(texts.contains(small ? "CTCSS  тон,  Гц" : "Субтон (CTCSS),  Гц "));
            EXPECT_TRUE(texts.contains("Частота,  Гц"));
            EXPECT_TRUE(texts.contains("Блокировка\nПРД"));
        });
    EXPECT_EQ(View().Pages().count(), 5);

    WorkingRun(0);
    // The step, the two system places and the call tone only show.
    for (int col : {2, 6, 9, 11}) {
        Key(col, 0, Qt::Key_Return);
        Key(col, 0, Qt::Key_Space);
    }
    EXPECT_FALSE(EditorOpen());
    EXPECT_FALSE(Modified());
    const std::vector<SCanalColumn>& c = View().CanalGrid().Model().columns;
    EXPECT_EQ(c[11].text(0), "1000");

    Key(12, 0, Qt::Key_Space);
    EXPECT_TRUE(Canal(0).BlockPRD());
    EXPECT_EQ(c[12].image(0), ti_Ticked);
    Key(7, 0, Qt::Key_Return);
    ASSERT_TRUE(stc->isVisible());
    EXPECT_EQ(stc->List().size(), 51);
    EXPECT_EQ(stc->Text(), "(нет)");
    QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_EQ(Canal(0).CTCSS_PRM(), 2);
    EXPECT_EQ(Canal(0).CTCSS_PRD(), 2);
    EXPECT_EQ(c[10].text(0), "69,3");
    Key(10, 0, Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    Key(8, 0, Qt::Key_Space);
    Click(10, 0);
    ASSERT_TRUE(stc->isVisible());
    QTest::keyClick(stc, Qt::Key_Up);
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_EQ(Canal(0).CTCSS_PRD(), 1);
    EXPECT_EQ(Canal(0).CTCSS_PRM(), 2);
}

TEST_F(LarchViewTest, HeaderHints) {
    EXPECT_EQ(Hint(1, 0), "Включить канал в список рабочих");
    EXPECT_EQ(Hint(7, 1), "Приемный тон CTCSS\n(выбирается из списка)");
    EXPECT_EQ(Hint(10, 1), "Тон передачи CTCSS\n(выбирается из списка)");
    EXPECT_EQ(Hint(8, 1),
              "Знак \"=\" устанавливается в случае, если частота приемного тона CTCSS\nравна "
              "частоте тона передачи CTCSS");
    EXPECT_EQ(Hint(11, 0), "Вызывной тон");
    EXPECT_EQ(Hint(12, 1), "Блокировка выхода на передачу");
    EXPECT_EQ(Hint(7, 0), "");
}

// ---- The pages ----------------------------------------------------------------------------------

TEST_F(LarchViewTest, TheBasicPageShowsChannel00sToneAndATypedToneGoesToEveryChannel) {
    Canal(0).SetTone(1450);
    Canal(1).SetTone(2100);
    Canal(99).SetTone(500);
    Settle();
    // Showing the page, and refreshing it as an open or a read does, changes nothing.
    ShowPage("tbs_Basics");
    View().UpdateView();
    EXPECT_EQ(Find<ZVCL::TZEditor>("edt_Tone")->Text(), "1450");
    EXPECT_EQ(Canal(1).Tone(), 2100);
    EXPECT_EQ(Canal(99).Tone(), 500);
    EXPECT_FALSE(Data().IsModified());
    // A typed tone goes to all channels, clamped.
    auto* tone = Find<ZVCL::TZEditor>("edt_Tone");
    Retype(tone, "2100");
    for (int i : {0, 42, 99}) EXPECT_EQ(Canal(i).Tone(), 2100) << i;
    Retype(tone, "9999");
    EXPECT_EQ(Canal(57).Tone(), 3000);
    QTest::keyClick(tone, Qt::Key_Return);
    EXPECT_EQ(tone->Text(), "3000");
}

TEST_F(LarchViewTest, SquelchSelectorCarriesTheSwitchAndTheLevel) {
    CLarchData& d = Data();
    d.SetSquelchLevel(5);
    ShowPage("tbs_Basics");
    auto* squelch = Find<ZVCL::TZStatic>("stc_SquelchLevel");
    EXPECT_EQ(squelch->Text(), "Уровень 5");
    d.SetSquelchOn(false);
    View().UpdateView();
    EXPECT_EQ(squelch->Text(), "(шумоподавитель выключен)");
    Step(squelch, Qt::Key_Down, 4);  // "Уровень 3"
    EXPECT_TRUE(d.SquelchOn());
    EXPECT_EQ(d.SquelchLevel(), 3);
    Step(squelch, Qt::Key_Up, 4);
    EXPECT_FALSE(d.SquelchOn());
    EXPECT_EQ(d.SquelchLevel(), 0);
}

TEST_F(LarchViewTest, PowerVolumeAndProgrammingSelectorsStoreWhatIsChosen) {
    CLarchData& d = Data();
    d.SetPower(2);
    ShowPage("tbs_Basics");
    auto* power = Find<ZVCL::TZStatic>("stc_Power");
    EXPECT_EQ(power->List(), QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_EQ(power->Text(), "2");
    Step(power, Qt::Key_Down, 9);
    EXPECT_EQ(d.Power(), 5);
    auto* volume = Find<ZVCL::TZStatic>("stc_VolumeLevel");
    EXPECT_EQ(volume->Text(), "7");
    EXPECT_EQ(volume->List().size(), 11);
    Step(volume, Qt::Key_Down, 5);
    EXPECT_EQ(d.VolumeLevel(), 10);

    ShowPage("tbs_Sames");
    auto* ir = Find<ZVCL::TZStatic>("stc_PRG_IR");
    auto* enabled = Find<ZVCL::TZStatic>("stc_PRG_Enabled");
    EXPECT_EQ(ir->Text(), "Да");
    EXPECT_EQ(enabled->Text(), "Да");
    Step(ir, Qt::Key_Down);
    EXPECT_FALSE(d.PRG_IR());
    Step(enabled, Qt::Key_Down);
    EXPECT_FALSE(d.PRG_Enabled());
    Step(enabled, Qt::Key_Up);
    EXPECT_TRUE(d.PRG_Enabled());
}

TEST_F(LarchViewTest, ScanningPageOffersTheWorkingChannelsAsServiceChannel) {
    WorkingRun(2);
    Data().SetServiceCanal(1);
    ShowPage("tbs_Scanning");
    auto* service = Find<ZVCL::TZStatic>("stc_ServiceCanal");
    EXPECT_EQ(service->List(), QStringList({"00", "01", "02"}));
    EXPECT_EQ(service->Text(), "01");
    Step(service, Qt::Key_Down);
    EXPECT_EQ(Data().ServiceCanal(), 2);
    EXPECT_TRUE(Find<QWidget>("stc_PriorScanning")->isVisible());

    // The longest delay is offered, fits and is kept.
    auto* delay = Find<ZVCL::TZEditor>("edt_DelayScanning");
    EXPECT_TRUE(delay->List().contains("100"));
    Retype(delay, "100");
    EXPECT_EQ(delay->Text(), "100");
    EXPECT_EQ(Data().DelayScanning(), 100);
    Retype(delay, "250");
    EXPECT_EQ(Data().DelayScanning(), 100);

    // Scanning a channel takes a click on the grid, and only on a working one.
    QTest::mouseClick(&View().ScanGrid().Grid(), Qt::LeftButton, Qt::NoModifier,
                      View().ScanGrid().Grid().CellRect(0, 1).center());
    EXPECT_TRUE(Canal(1).Scanning());
    QTest::mouseClick(&View().ScanGrid().Grid(), Qt::LeftButton, Qt::NoModifier,
                      View().ScanGrid().Grid().CellRect(0, 5).center());
    EXPECT_FALSE(Canal(5).Scanning());
}

TEST_F(LarchViewTest, PagesStoreNothingWhileFilledAndTakeTheFocusToTheirPanel) {
    CLarchData& d = Data();
    d.SetPower(0);  // no item of the list
    d.SetVolumeLevel(12);
    d.SetSquelchLevel(9);
    d.SetKey(3, 0x0B);
    d.SetServiceCanal(7);
    Canal(0).SetEnabled(true);
    Settle();
    const char* panels[] = {"pnl_Canals", "pnl_Basics", "pnl_Scanning", "pnl_Sames", "pnl_Key"};
    const char* pages[] = {"tbs_Canals", "tbs_Basics", "tbs_Scanning", "tbs_Sames", "tbs_Key"};
    for (int p = 4; p >= 0; --p) {
        ShowPage(pages[p]);
        View().UpdateView();
        EXPECT_FALSE(Modified()) << pages[p];
        EXPECT_EQ(Notifications(), 0) << pages[p];
        EXPECT_TRUE(Find<QWidget>(panels[p])->hasFocus()) << pages[p];
    }
    EXPECT_EQ(d.Power(), 0);
    EXPECT_EQ(d.VolumeLevel(), 12);
    EXPECT_EQ(d.SquelchLevel(), 9);
    EXPECT_EQ(d.ServiceCanal(), 7);
    EXPECT_EQ(Find<ZVCL::TZEditor>("edKey3")->Text(), "0B");
}

}  // namespace
