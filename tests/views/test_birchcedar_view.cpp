// The Birch and Cedar view: the squelch system columns and their sign rules, frequencies in
// eight and nine digits, the grid's shape in both layouts, and the four pages storing through
// the setters and never while they are filled.
#include "F_birchcedarview.h"
#include "F_viewtexts.h"
#include "U_birchware.h"
#include "U_cedarware.h"
#include "Zvc_label.h"
#include "radio_view_fixture.h"

#include <QPushButton>

#include <span>

using namespace views;

namespace {

template <class Ware>
class BclViewTest
    : public RadioViewTest<Ware, TBirchCedarView, CBirchCedarData, &InstallBirchCedarView> {
  protected:
    CBirchCedarCanal& Canal(int i) const { return *this->Data().Canal(i); }
    // Opens a list cell, steps to the item and closes it with Enter.
    void Choose(int col, int canal, const QString& item) {
        ZVCL::TZStatic* stc = this->stc;
        this->Key(col, canal, Qt::Key_Return);
        ASSERT_TRUE(stc->isVisible()) << col;
        const qsizetype at = stc->List().indexOf(item);
        ASSERT_GE(at, 0) << item.toStdString();
        const qsizetype from = stc->List().indexOf(stc->Text());
        const int key = at > from ? Qt::Key_Down : Qt::Key_Up;
        for (qsizetype n = std::abs(at - std::max<qsizetype>(from, 0)); n > 0; --n)
            QTest::keyClick(stc, static_cast<Qt::Key>(key));
        if (from < 0) QTest::keyClick(stc, Qt::Key_Down);  // the first Down takes item 0
        ASSERT_EQ(stc->Text(), item);
        QTest::keyClick(stc, Qt::Key_Return);
        ASSERT_FALSE(stc->isVisible());
    }
};

using CedarViewTest = BclViewTest<CCedarWare>;
using BirchViewTest = BclViewTest<CBirchWare>;

// ---- The sign rules of the squelch system cells -------------------------------------------------

// A stored code, the text chosen in a cell and the code the choice leaves.
struct SChoice {
    int stored;
    const char* text;
    int result;
};

void ExpectChoices(int (*choose)(int, const QString&), std::span<const SChoice> cases) {
    for (const SChoice& c : cases)
        EXPECT_EQ(choose(c.stored, QString::fromUtf8(c.text)), c.result)
            << c.stored << " " << c.text;
}

TEST(BirchCedarSquelchRules, ASystemChoiceKeepsAValueOfTheSameSignAndOtherwiseStartsAnew) {
    const SChoice cases[] = {
        {2, "CTCSS", 2},  {2, "DCS", -1},   {2, "(нет)", 0}, {-5, "DCS", -5},
        {-5, "CTCSS", 1}, {-5, "(нет)", 0}, {0, "CTCSS", 1}, {0, "DCS", -1},
        {0, "(нет)", 0},  {7, "dcs?", 0},   {-83, "", 0},    {51, "CTCSS", 51},
    };
    ExpectChoices(birchcedar::CodeAfterSystemChoice, cases);
}

TEST(BirchCedarSquelchRules, AValueIsLookedUpInTheListOfTheStoredSystem) {
    const SChoice cases[] = {
        {1, "67,0", 1},  // the first tone of the list is a tone, not "absent"
        {1, "71,9", 2},  {5, "254,1", 51}, {9, "69,3", 39}, {-1, "023", -1},
        {-1, "032", -5}, {-7, "754", -83}, {3, "032", 0},  // a code under CTCSS
        {-2, "71,9", 0},                                   // a tone under DCS
        {0, "71,9", 0},  {4, "88.5", 0},
    };
    ExpectChoices(birchcedar::CodeAfterValueChoice, cases);
}

TEST(BirchCedarSquelchRules, CellsShowSystemAndValueAndOfferTheMatchingList) {
    EXPECT_EQ(birchcedar::SystemText(0), "(нет)");
    EXPECT_EQ(birchcedar::SystemText(12), "CTCSS");
    EXPECT_EQ(birchcedar::SystemText(-12), "DCS");
    EXPECT_EQ(birchcedar::ValueText(0), "");
    EXPECT_EQ(birchcedar::ValueText(2), "71,9");
    EXPECT_EQ(birchcedar::ValueText(-83), "754");
    EXPECT_TRUE(birchcedar::ValueList(0).isEmpty());
    const QStringList ctcss = birchcedar::ValueList(4);
    ASSERT_EQ(ctcss.size(), 51);
    EXPECT_EQ(ctcss.front(), "67,0");
    EXPECT_EQ(ctcss.back(), "254,1");
    const QStringList dcs = birchcedar::ValueList(-4);
    ASSERT_EQ(dcs.size(), 83);
    EXPECT_EQ(dcs.front(), "023");
    EXPECT_EQ(dcs.back(), "754");
}

// ---- The channel table --------------------------------------------------------------------------

TEST_F(CedarViewTest, GridShapeWidthsAndHeadersOfBothLayouts) {
    EXPECT_EQ(grid->Cols(), 13);
    EXPECT_EQ(grid->Rows(), 102);
    ExpectBothLayouts(
        {30, 35, 45, 120, 35, 120, 50, 50, 35, 50, 50, 65, 65},
        {30, 30, 36, 90, 30, 90, 45, 42, 30, 45, 42, 44, 46},
        [](const QStringList& texts, bool small) {
            EXPECT_TRUE(texts.contains("CTCSS тон, Гц / DCS код"));
            EXPECT_TRUE(texts.contains(small ? "ПРД\nна з/к" : "ПРД на\nзанятом\nканале"));
            EXPECT_TRUE(texts.contains(small ? "ПРД\nогр. п/в" : "Огранич.\nПРД по\nвремени"));
        });
    // Four pages: no key page on these radios.
    ASSERT_EQ(View().Pages().count(), 4);
    EXPECT_EQ(View().Pages().tabText(3), "Дополнительные параметры");
}

TEST_F(CedarViewTest, ReceiveSystemSwitching) {
    Canal(0).SetEnabled(true);
    Canal(0).SetCSS_PRM(2);  // "71,9"
    const SCanalColumn& value = View().CanalGrid().Model().columns[7];
    EXPECT_EQ(View().CanalGrid().Model().columns[6].text(0), "CTCSS");
    EXPECT_EQ(value.text(0), "71,9");

    Choose(6, 0, "CTCSS");
    EXPECT_EQ(Canal(0).CSS_PRM(), 2);
    EXPECT_EQ(value.text(0), "71,9");

    Choose(6, 0, "DCS");
    EXPECT_EQ(Canal(0).CSS_PRM(), -1);
    EXPECT_EQ(value.text(0), "023");
    // "=" is on: the transmit side follows.
    EXPECT_EQ(Canal(0).CSS_PRD(), -1);

    Choose(6, 0, "(нет)");
    EXPECT_EQ(Canal(0).CSS_PRM(), 0);
    EXPECT_EQ(value.text(0), "");
    Key(7, 0, Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    Click(7, 0);
    EXPECT_FALSE(EditorOpen());
    EXPECT_FALSE(stc->isVisible());
}

TEST_F(CedarViewTest, ValueCellOffersTheListOfItsSystemAndStoresThePosition) {
    Canal(3).SetEnabled(true);
    Canal(3).SetCSS_PRM(-1);
    Key(7, 3, Qt::Key_Return);
    ASSERT_TRUE(stc->isVisible());
    EXPECT_EQ(stc->List().size(), 83);
    EXPECT_EQ(stc->Text(), "023");
    for (int n = 0; n < 4; ++n) QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_EQ(Canal(3).CSS_PRM(), -5);  // "032"
    EXPECT_EQ(View().CanalGrid().Model().columns[7].text(3), "032");

    Choose(6, 3, "CTCSS");
    Choose(7, 3, "69,3");
    EXPECT_EQ(Canal(3).CSS_PRM(), 39);
}

TEST_F(CedarViewTest, TransmitSideIsShutWhileItFollowsTheReceiveSide) {
    Canal(4).SetEnabled(true);
    Canal(4).SetCSS_PRM(8);
    for (int col : {9, 10}) {
        Key(col, 4, Qt::Key_Return);
        EXPECT_FALSE(EditorOpen()) << col;
    }
    Key(8, 4, Qt::Key_Space);
    ASSERT_FALSE(Canal(4).One_CSS());
    Choose(9, 4, "DCS");
    EXPECT_EQ(Canal(4).CSS_PRD(), -1);
    EXPECT_EQ(Canal(4).CSS_PRM(), 8);
    Choose(10, 4, "754");
    EXPECT_EQ(Canal(4).CSS_PRD(), -83);
    Choose(9, 4, "(нет)");
    EXPECT_EQ(Canal(4).CSS_PRD(), 0);
    Key(10, 4, Qt::Key_Return);
    EXPECT_FALSE(EditorOpen());
    // "=" back on copies the receive tone.
    Click(8, 4);
    EXPECT_EQ(Canal(4).CSS_PRD(), 8);
}

TEST_F(CedarViewTest, TogglesAndTheStepList) {
    Key(1, 6, Qt::Key_Space);
    ASSERT_TRUE(Canal(6).Enabled());
    Canal(6).SetScanning(true);
    // Taking a channel out of use leaves its scanning mark alone.
    Click(1, 6);
    EXPECT_FALSE(Canal(6).Enabled());
    EXPECT_TRUE(Canal(6).Scanning());
    Click(1, 6);
    Key(11, 6, Qt::Key_Space);
    EXPECT_TRUE(Canal(6).BlockPRDIfBusy());
    EXPECT_EQ(View().CanalGrid().Model().columns[11].image(6), ti_Empty);
    Click(12, 6);
    EXPECT_FALSE(Canal(6).LimitPRDOnTime());
    // Enter opens nothing on toggles, Space nothing on lists.
    Key(12, 6, Qt::Key_Return);
    Key(6, 6, Qt::Key_Space);
    EXPECT_FALSE(EditorOpen());
    EXPECT_FALSE(Canal(6).LimitPRDOnTime());

    EXPECT_EQ(Canal(6).FRQ_Step(), 25000);
    Choose(2, 6, "12,5");
    EXPECT_EQ(Canal(6).FRQ_Step(), 12500);
    Key(3, 6, Qt::Key_Return);
    ASSERT_TRUE(edt->isVisible());
    EXPECT_EQ(edt->Text(), "136 000 000");
    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(Canal(6).FRQ_PRM(), 136012500);
}

TEST_F(CedarViewTest, HeaderHintsOfTheSquelchColumns) {
    EXPECT_TRUE(Hint(6, 1).startsWith("Приемный тон CTCSS или код DCS\n(выбираются из"));
    EXPECT_EQ(Hint(7, 1), Hint(6, 1));
    EXPECT_TRUE(Hint(9, 1).startsWith("Тон передачи CTCSS или код DCS\n"));
    EXPECT_EQ(Hint(10, 1), Hint(9, 1));
    EXPECT_TRUE(Hint(8, 1).endsWith("или приемный код DCS равен коду передачи DCS"));
    EXPECT_EQ(Hint(6, 0), "");
    EXPECT_EQ(Hint(11, 0), "Разрешить передачу на занятом канале");
    EXPECT_EQ(Hint(12, 1), Hint(12, 0));
}

TEST_F(BirchViewTest, EightDigitFrequenciesShownTypedAndReadBack) {
    Canal(0).SetEnabled(true);
    Canal(0).SetFRQ_Step(12500);
    Canal(0).SetFRQ_PRM(39012500);
    const SCanalColumn& prm = View().CanalGrid().Model().columns[3];
    EXPECT_EQ(prm.text(0), "39 012 500");

    Key(3, 0, Qt::Key_Return);
    ASSERT_TRUE(edt->isVisible());
    EXPECT_EQ(edt->Text(), "39 012 500");
    EXPECT_EQ(edt->cursorPosition(), 10);
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(Canal(0).FRQ_PRM(), 39012500);

    TypeInCell(3, 0, "45 678 500");
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_EQ(Canal(0).FRQ_PRM(), 45678500 / 12500 * 12500);
}

// ---- The pages ----------------------------------------------------------------------------------

TEST_F(CedarViewTest, PagesStoreThroughTheSettersAndNeverWhileFilled) {
    CBirchCedarData& d = Data();
    d.SetVA_Hi(300);
    d.SetVA_Lo(80);
    d.SetDTMF_ChWidth(7);
    d.SetEconomT2(3333);
    d.SetSquelch(0);
    Canal(12).SetEnabled(true);
    Canal(12).SetScanning(true);
    Settle();
    for (const char* page : {"tbs_Canals", "tbs_Basics", "tbs_Scanning", "tbs_Sames"}) {
        ShowPage(page);
        View().UpdateView();
        EXPECT_FALSE(Modified()) << page;
        EXPECT_EQ(Notifications(), 0) << page;
    }
    EXPECT_EQ(d.VA_Hi(), 300);
    EXPECT_EQ(Find<ZVCL::TZEditor>("edt_EconomT2")->Text(), "3333");

    ShowPage("tbs_Sames");
    auto* econom = Find<ZVCL::TZStatic>("stc_Econom");
    EXPECT_EQ(econom->Text(), "Нет");
    econom->setFocus();
    QTest::keyClick(econom, Qt::Key_Up);
    EXPECT_TRUE(d.Econom());
    auto* t1 = Find<ZVCL::TZEditor>("edt_EconomT1");
    EXPECT_EQ(t1->maxLength(), 3);
    Retype(t1, "999");
    EXPECT_EQ(d.EconomT1(), 600);
    Retype(t1, "");
    EXPECT_EQ(d.EconomT1(), 10);
    auto* t2 = Find<ZVCL::TZEditor>("edt_EconomT2");
    EXPECT_EQ(t2->maxLength(), 4);
    Retype(t2, "9999");
    EXPECT_EQ(d.EconomT2(), 3600);
    Retype(Find<ZVCL::TZEditor>("edt_DTMF_ChWidth"), "100");
    EXPECT_EQ(d.DTMF_ChWidth(), 6);

    ShowPage("tbs_Basics");
    Retype(Find<ZVCL::TZEditor>("edt_LimitPRD"), "17");
    EXPECT_EQ(d.LimitPRD(), 17);
    EXPECT_TRUE(Modified());
}

TEST_F(CedarViewTest, VoiceActivationOffThresholdIsHeldToTheOnThreshold) {
    ShowPage("tbs_Sames");
    auto* hi = Find<ZVCL::TZStatic>("stc_VA_Hi");
    auto* lo = Find<ZVCL::TZStatic>("stc_VA_Lo");
    hi->SetText("Уровень 2");  // 64, below the stored switch-off threshold of 80
    EXPECT_EQ(Data().VA_Hi(), 64);
    EXPECT_EQ(Data().VA_Lo(), 64);
    EXPECT_EQ(lo->Text(), "Уровень 2");
    lo->SetText("Уровень 5");
    EXPECT_EQ(Data().VA_Lo(), 64);
    EXPECT_EQ(lo->Text(), "Уровень 2");
}

TEST_F(BirchViewTest, RowsCarryTheirOwnCaptions) {
    ExpectCaptions({
        {"lbl_LimitPRD", " Ограничение времени работы на передачу, сек:", 350},
        {"lbl_RestPRD", " Пауза после принудительного отключения передачи, сек:", 350},
        {"lbl_DelayScanning", " Задержка сканирования при пропадании несущей, сек:", 373},
        {"lbl_DTMF_ChWidth", " Длительность посылки одного DTMF символа, мсек:", 350},
        {"lbl_DTMF_ChPause", " Пауза между посылками DTMF символов, мсек:", 350},
        {"lbl_Econom", " Включить режим экономии энергии:", 350},
        {"lbl_EconomT1", " Время включения режима №1, сек:", 350},
        {"lbl_EconomT2", " Время включения режима №2, сек:", 350},
    });
    // What these radios lack.
    for (const char* absent : {"lbl_CTCSS_PRM", "lbl_DTMF_Decode", "lbl_DTMF_Time", "edKey1"})
        EXPECT_EQ(View().findChild<QWidget*>(absent), nullptr) << absent;
}

TEST_F(CedarViewTest, CheckAllBringsThePriorityEditorsUpToDate) {
    Canal(2).SetEnabled(true);
    Canal(7).SetEnabled(true);
    ShowPage("tbs_Scanning");
    EXPECT_FALSE(Find<QWidget>("pnl_PriorCanal")->isVisible());
    QTest::mouseClick(Find<QPushButton>("btn_check_all"), Qt::LeftButton);
    EXPECT_TRUE(Canal(2).Scanning());
    EXPECT_TRUE(Canal(7).Scanning());
    ASSERT_TRUE(Find<QWidget>("pnl_PriorCanal")->isVisible());
    auto* prior = Find<ZVCL::TZStatic>("stc_PriorCanal");
    EXPECT_EQ(prior->List(), QStringList({"02", "07"}));
    EXPECT_EQ(prior->Text(), "02");
    QTest::mouseClick(Find<QPushButton>("btn_uncheck_all"), Qt::LeftButton);
    EXPECT_EQ(Data().PriorCanal(), -1);
    EXPECT_FALSE(Find<QWidget>("pnl_PriorCanal")->isVisible());
}

}  // namespace
