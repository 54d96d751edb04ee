// The pages of single parameters: each editor kind's storing rule, the voice-activation
// coupling, the key bytes and the random key, and that showing a page stores nothing.
#include "view_fixture.h"

#include "Zvc_label.h"

#include <QAbstractButton>
#include <QTabBar>

using namespace views;

namespace {

class AlderPagesTest : public AlderViewTest {
  protected:
    void Leave() { Find<QWidget>("pgc_Data")->setFocus(Qt::OtherFocusReason); }
};

TEST_F(AlderPagesTest, DtmfDurationsAreStoredInWholeStepsAndShownAsStored) {
    ShowPage("tbs_Sames");
    struct SCase {
        const char* field;
        const char* typed;
        int units;
        const char* shown;
    };
    const SCase cases[] = {
        {"edt_DTMF_ChWidth", "93,66", 6, "93,66"},  // an exact multiple is not one step less
        {"edt_DTMF_ChWidth", "100", 6, "93,66"},   {"edt_DTMF_ChWidth", "2000", 100, "1561,00"},
        {"edt_DTMF_ChPause", "31.22", 2, "31,22"},  // a point is taken as the comma
        {"edt_DTMF_ChPause", "abc", 0, "0,00"},    {"edt_DTMF_Time", "0", 10, "156,10"},
        {"edt_DTMF_Time", "9999", 255, "3980,55"},
    };
    for (const SCase& c : cases) {
        auto* edt = Find<ZVCL::TZEditor>(c.field);
        Retype(edt, c.typed);
        Leave();
        const int stored = QString(c.field) == "edt_DTMF_ChWidth"   ? Data().DTMF_ChWidth()
                           : QString(c.field) == "edt_DTMF_ChPause" ? Data().DTMF_ChPause()
                                                                    : Data().DTMF_Time();
        EXPECT_EQ(stored, c.units) << c.field << " " << c.typed;
        EXPECT_EQ(edt->Text(), c.shown) << c.field << " " << c.typed;
    }
}

TEST_F(AlderPagesTest, UserTonesAreClampedAndSmallChangesKept) {
    ShowPage("tbs_Sames");
    auto* prm = Find<ZVCL::TZEditor>("edt_CTCSS_PRM");
    auto* prd = Find<ZVCL::TZEditor>("edt_CTCSS_PRD");
    EXPECT_EQ(prm->Text(), "101,0");
    Retype(prm, "101,05");
    Leave();
    EXPECT_DOUBLE_EQ(Data().CTCSS_PRM(), 101.0);
    EXPECT_EQ(prm->Text(), "101,0");
    Retype(prd, "300");
    Leave();
    EXPECT_DOUBLE_EQ(Data().CTCSS_PRD(), 254.9);
    EXPECT_EQ(prd->Text(), "254,9");
    Retype(prd, "123,4");
    EXPECT_DOUBLE_EQ(Data().CTCSS_PRD(), 123.4);
}

TEST_F(AlderPagesTest, EnterInADecimalEditorStoresShowsAndKeepsTheField) {
    ShowPage("tbs_Sames");
    auto* edt = Find<ZVCL::TZEditor>("edt_DTMF_ChWidth");
    Retype(edt, "100");
    QTest::keyClick(edt, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Data().DTMF_ChWidth(), 6);
    EXPECT_EQ(edt->Text(), "93,66");
    EXPECT_TRUE(edt->hasFocus());
    EXPECT_FALSE(View().Flags().enterPressed);
}

TEST_F(AlderPagesTest, NumberLinesStoreEveryChangeClamped) {
    ShowPage("tbs_Basics");
    auto* tone = Find<ZVCL::TZEditor>("edt_Tone");
    EXPECT_EQ(tone->Text(), "1450");
    Settle();
    Retype(tone, "15,0-0");  // only digits reach the field
    EXPECT_EQ(tone->Text(), "1500");
    EXPECT_EQ(Data().Tone(), 1500);
    Retype(tone, "9999");
    EXPECT_EQ(tone->Text(), "9999");
    EXPECT_EQ(Data().Tone(), 3000);
    QTest::keyClick(tone, Qt::Key_Return);
    EXPECT_EQ(tone->Text(), "3000");
    auto* limit = Find<ZVCL::TZEditor>("edt_LimitPRD");
    Retype(limit, "");
    EXPECT_EQ(Data().LimitPRD(), 5);
    Leave();
    EXPECT_EQ(limit->Text(), "5");
    EXPECT_EQ(limit->maxLength(), 3);
    EXPECT_EQ(tone->maxLength(), 4);
}

TEST_F(AlderPagesTest, SelectorsStoreTheirItems) {
    ShowPage("tbs_Basics");
    auto* squelch = Find<ZVCL::TZStatic>("stc_Squelch");
    EXPECT_EQ(squelch->Text(), "Уровень 2");  // code 3
    squelch->setFocus();
    QTest::keyClick(squelch, Qt::Key_Up);
    EXPECT_EQ(Data().Squelch(), 2);
    Wheel(squelch, -120);
    Wheel(squelch, -120);
    EXPECT_EQ(Data().Squelch(), 4);
    auto* light = Find<ZVCL::TZStatic>("stc_Light");
    EXPECT_EQ(light->Text(), "Вкл");
    light->setFocus();
    QTest::keyClick(light, Qt::Key_Down);
    EXPECT_FALSE(Data().Light());
    auto* power = Find<ZVCL::TZStatic>("stc_Power");
    power->setFocus();
    QTest::keyClick(power, Qt::Key_Down);
    EXPECT_EQ(Data().Power(), 1);
    auto* saveSet = Find<ZVCL::TZStatic>("stc_SaveSet");
    saveSet->setFocus();
    QTest::keyClick(saveSet, Qt::Key_Down);
    EXPECT_FALSE(Data().SaveSet());
}

TEST_F(AlderPagesTest, VoiceActivationOffThresholdNeverExceedsOnThreshold) {
    ShowPage("tbs_Sames");
    auto* hi = Find<ZVCL::TZStatic>("stc_VA_Hi");
    auto* lo = Find<ZVCL::TZStatic>("stc_VA_Lo");
    EXPECT_EQ(hi->Text(), "Уровень 4");  // 256
    EXPECT_EQ(lo->Text(), "Уровень 3");  // 80 shows the first level not below it
    hi->setFocus();
    QTest::keyClick(hi, Qt::Key_Up);
    QTest::keyClick(hi, Qt::Key_Up);
    EXPECT_EQ(Data().VA_Hi(), 64);
    EXPECT_EQ(Data().VA_Lo(), 64);
    EXPECT_EQ(lo->Text(), "Уровень 2");
    lo->SetText("Уровень 5");  // as a pick from the list
    EXPECT_EQ(Data().VA_Lo(), 64);
    EXPECT_EQ(lo->Text(), "Уровень 2");
    lo->setFocus();
    QTest::keyClick(lo, Qt::Key_Up);
    EXPECT_EQ(Data().VA_Lo(), 32);
    // A higher switch-on threshold leaves the switch-off one alone.
    hi->SetText("Уровень 7");
    EXPECT_EQ(Data().VA_Hi(), 1536);
    EXPECT_EQ(Data().VA_Lo(), 32);
}

TEST_F(AlderPagesTest, VoiceActivationKeypadRowShowsTheNegation) {
    ShowPage("tbs_Sames");
    auto* block = Find<ZVCL::TZStatic>("stc_VA_BlockKB");
    EXPECT_EQ(block->Text(), "Нет");  // blocked by default
    block->setFocus();
    QTest::keyClick(block, Qt::Key_Up);
    EXPECT_EQ(block->Text(), "Да");
    EXPECT_FALSE(Data().VA_BlockKB());
    auto* pause = Find<ZVCL::TZStatic>("stc_VA_Pause");
    pause->setFocus();
    QTest::keyClick(pause, Qt::Key_Down);
    EXPECT_EQ(Data().VA_Pause(), 4);
}

TEST_F(AlderPagesTest, DtmfNumberTakesItsCharacterSetInUpperCase) {
    ShowPage("tbs_Sames");
    auto* edt = Find<ZVCL::TZEditor>("edt_DTMF_Number");
    Retype(edt, "1b*#g9,e");
    EXPECT_EQ(edt->Text(), "1B*#9E");
    EXPECT_EQ(Data().DTMF_Number(), "1B*#9E");
    QTest::keyClicks(edt, "0123456789ABCDEF");
    EXPECT_EQ(Data().DTMF_Number().size(), 16u);
    // Pasted text is held to the same characters.
    edt->clear();
    edt->insert("*1a-g\tc");
    EXPECT_EQ(edt->Text(), "*1AC");
    EXPECT_EQ(Data().DTMF_Number(), "*1AC");
}

TEST_F(AlderPagesTest, PasswordShowsFourDigitsAndStoresTheNumber) {
    Data().SetPRG_Password(7);
    ShowPage("tbs_Sames");
    auto* edt = Find<ZVCL::TZEditor>("edt_PRG_Password");
    EXPECT_EQ(edt->Text(), "0007");
    edt->setFocus(Qt::TabFocusReason);
    edt->setCursorPosition(0);
    QTest::keyClicks(edt, "12");
    EXPECT_EQ(edt->Text(), "1207");
    EXPECT_EQ(Data().PRG_Password(), 1207);
}

TEST_F(AlderPagesTest, KeyBytesMoveOnWhenFullAndAreStoredWhenLeft) {
    ShowPage("tbs_Key");
    auto* key3 = Find<ZVCL::TZEditor>("edKey3");
    auto* key4 = Find<ZVCL::TZEditor>("edKey4");
    EXPECT_EQ(key3->Text(), KeyByteText(CAlderData::kDefaultKey[2]));
    EXPECT_FALSE(key3->hasFocus());
    key3->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(key3, "g");
    EXPECT_EQ(key3->Text(), KeyByteText(CAlderData::kDefaultKey[2]));
    EXPECT_TRUE(key3->hasFocus());
    QTest::keyClicks(key3, "a1");
    EXPECT_TRUE(key4->hasFocus());
    EXPECT_EQ(key3->Text(), "A1");
    EXPECT_EQ(Data().Key(3), 161);
    // The last field hands the focus to the page.
    auto* key16 = Find<ZVCL::TZEditor>("edKey16");
    key16->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(key16, "0f");
    EXPECT_TRUE(Find<QWidget>("pnl_Key")->hasFocus());
    EXPECT_EQ(Data().Key(16), 0x0F);
    EXPECT_EQ(key16->Text(), "0F");
}

// Wherever a click leaves the cursor in a filled byte, the first digit starts the byte afresh
// and the focus moves on only after the second.
TEST_F(AlderPagesTest, TwoDigitsTypedAfterAClickReplaceTheKeyByte) {
    ShowPage("tbs_Key");
    auto* key3 = Find<ZVCL::TZEditor>("edKey3");
    auto* key4 = Find<ZVCL::TZEditor>("edKey4");
    for (const int x : {1, key3->width() / 2, key3->width() - 2}) {
        key4->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(key3, Qt::LeftButton, {}, QPoint(x, key3->height() / 2));
        ASSERT_TRUE(key3->hasFocus()) << x;
        QTest::keyClicks(key3, "a");
        EXPECT_TRUE(key3->hasFocus()) << x;
        EXPECT_EQ(key3->Text().trimmed(), "a") << x;
        QTest::keyClicks(key3, "1");
        EXPECT_TRUE(key4->hasFocus()) << x;
        EXPECT_EQ(key3->Text(), "A1") << x;
        EXPECT_EQ(Data().Key(3), 0xA1) << x;
        EXPECT_EQ(key4->Text(), KeyByteText(CAlderData::kDefaultKey[3])) << x;
    }
}

TEST_F(AlderPagesTest, AShortKeyFieldGetsALeadingZero) {
    ShowPage("tbs_Key");
    auto* key1 = Find<ZVCL::TZEditor>("edKey1");
    key1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(key1, Qt::Key_Delete);
    QTest::keyClicks(key1, "c");
    Leave();
    EXPECT_EQ(Data().Key(1), 0x0C);
    EXPECT_EQ(key1->Text(), "0C");
}

TEST_F(AlderPagesTest, RandomKeyIsStoredFieldByFieldAndRepeatsWithinASecond) {
    ShowPage("tbs_Key");
    TKeyPage& page = View().KeyPage();
    page.CreateRandomKey(1700000000);
    std::array<std::uint8_t, 16> first{};
    for (int g = 1; g <= 16; ++g) {
        first[static_cast<size_t>(g - 1)] = Data().Key(g);
        EXPECT_EQ(page.KeyField(g).Text(), KeyByteText(Data().Key(g))) << g;
    }
    EXPECT_TRUE(Find<QWidget>("pnl_Key")->hasFocus());
    page.CreateRandomKey(1700000000);
    for (int g = 1; g <= 16; ++g) EXPECT_EQ(Data().Key(g), first[static_cast<size_t>(g - 1)]);
    page.CreateRandomKey(1700000001);
    int same = 0;
    for (int g = 1; g <= 16; ++g) same += Data().Key(g) == first[static_cast<size_t>(g - 1)];
    EXPECT_LT(same, 16);
    // The button does the same with the clock.
    Settle();
    QTest::mouseClick(&page.RandomKeyButton(), Qt::LeftButton);
    EXPECT_TRUE(Modified());
    for (int g = 1; g <= 16; ++g)
        EXPECT_EQ(page.KeyField(g).Text(), KeyByteText(Data().Key(g))) << g;
}

TEST_F(AlderPagesTest, ShowingAndRefreshingPagesNeverStores) {
    // Values that no editor shows exactly: filling must not write back what it shows.
    CAlderData& d = Data();
    d.SetVA_Lo(80);
    d.SetVA_Hi(300);
    d.SetSquelch(0);
    d.SetCTCSS_PRM(123.45);
    d.SetDTMF_ChWidth(7);
    d.SetPRG_Password(42);
    d.SetKey(5, 0x0A);
    d.Canal(12)->SetEnabled(true);
    d.Canal(12)->SetScanning(true);
    d.SetDTMF_Number("12AB");
    Settle();
    for (const char* page : {"tbs_Canals", "tbs_Basics", "tbs_Scanning", "tbs_Sames", "tbs_Key"}) {
        ShowPage(page);
        View().UpdateView();
        Ware().UpdateView();
        EXPECT_FALSE(Modified()) << page;
        EXPECT_EQ(Notifications(), 0) << page;
    }
    EXPECT_EQ(d.VA_Lo(), 80);
    EXPECT_EQ(d.VA_Hi(), 300);
    EXPECT_DOUBLE_EQ(d.CTCSS_PRM(), 123.45);
    EXPECT_EQ(Find<ZVCL::TZEditor>("edKey5")->Text(), "0A");
    EXPECT_EQ(Find<ZVCL::TZStatic>("stc_Squelch")->Text(), "(шумоподавитель выключен)");
}

TEST_F(AlderPagesTest, RowsCarryTheirCaptionsWidthsAndHints) {
    ExpectCaptions({
        {"lbl_Tone", " Частота вызывного тона, Гц:", 373},
        {"lbl_Power", " Мощность передатчика:", 350},
        {"lbl_OffBat", " Отображение уровня заряда аккумулятора:", 350},
        {"lbl_SaveSet", " Сохранять изменения параметров при выключении:", 373},
        {"lbl_DelayScanning", " Задержка сканирования при пропадании несущей, с:", 373},
        {"lbl_DTMF_Time", " Время декодирования после обнаружения несущей, мс:", 350},
        {"lbl_PRG_Password", " Пароль на изменение параметров с клавиатуры радиостанции:", 373},
        {"lbl_VA_On", " Включить режим \"Активация голосом\":", 373},
        {"lbl_Modifikator", " Изменение ключа по каналам:", 350},
    });
    EXPECT_EQ(Find<ZVCL::TZLabel>("lbl_DelayScanning")->toolTip(),
              "Устанавливается время  ожидания  возврата к режиму сканирования после окончания "
              "переговоров. Если выбрано \"0\", после окончания переговоров сканирование "
              "прекращается");
    EXPECT_EQ(View().Pages().tabText(4), "  Ключ  ");
    EXPECT_EQ(Find<QWidget>("imgCreateRandomKey")->toolTip(), "Сформировать случайный ключ");
}

TEST_F(AlderPagesTest, BasicPageRowsStandAtTheirPlacesInBothLayouts) {
    const int normal[] = {0, 46, 92, 207, 322, 437};
    const int compact[] = {0, 23, 46, 138, 253, 345};
    const char* names[] = {"lbl_Tone",       "lbl_Squelch",       "grp_Transmitter",
                           "grp_Indication", "grp_OffIndication", "lbl_SaveSet"};
    for (const TLayout layout : {TLayout::Normal, TLayout::Compact}) {
        TAlderView view(Ware(), layout);
        const int* tops = layout == TLayout::Normal ? normal : compact;
        for (int i = 0; i < 6; ++i) {
            auto* w = view.findChild<QWidget*>(names[i]);
            ASSERT_NE(w, nullptr) << names[i];
            EXPECT_EQ(w->y(), tops[i]) << names[i];
        }
        if (layout == TLayout::Compact) {
            // The priority rows sit right under the channel selection.
            const char* scanRows[] = {"lbl_PriorCanal", "lbl_PriorScanning", "lbl_StopOnCurrent",
                                      "lbl_DelayScanning"};
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(view.findChild<QWidget*>(scanRows[i])->y(), 253 + 23 * i) << i;
            EXPECT_EQ(view.findChild<QWidget*>("grd_ScanCanals")->width(), 540);
            EXPECT_EQ(view.findChild<QWidget*>("lbl_Tone")->width(), 564);
            EXPECT_EQ(view.findChild<QWidget*>("lbl_Power")->width(), 541);
            EXPECT_EQ(view.findChild<ZVCL::TZLabel*>("lbl_Key")->LabelText(),
                      " Ключ, 16-ричный формат:");
        }
    }
}

// On an 800-pixel screen the window leaves the view 635 pixels beside the radio column (800 less
// its 162 pixels and the 3-pixel split): every page caption stands there whole, none behind the
// tab bar's scroll arrows.
TEST_F(AlderPagesTest, CompactTabsAllFitBesideTheRadioColumn) {
    TAlderView view(Ware(), TLayout::Compact);
    view.resize(635, 520);
    view.show();
    QApplication::processEvents();
    const QTabBar* tabs = view.Pages().tabBar();
    ASSERT_EQ(tabs->count(), 5);
    const QStringList captions = {"Параметры каналов", "Основные параметры",
                                  "Параметры сканирования", "Дополнительные параметры", "  Ключ  "};
    int total = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_GT(tabs->tabRect(i).width(), tabs->fontMetrics().horizontalAdvance(captions[i]))
            << i;
        total += tabs->tabRect(i).width();
    }
    EXPECT_LE(total, 635);
    for (const QAbstractButton* arrow : tabs->findChildren<QAbstractButton*>())
        EXPECT_FALSE(arrow->isVisible());
}

TEST_F(AlderPagesTest, PagesAreCentredHorizontally) {
    ShowPage("tbs_Basics");
    QWidget* page = Find<QWidget>("tbs_Basics");
    QWidget* inner = Find<QWidget>("pnl_Basics");
    EXPECT_NEAR(inner->x(), (page->width() - inner->width()) / 2, 1);
    View().window()->resize(View().window()->width() + 100, View().window()->height());
    QApplication::processEvents();
    EXPECT_NEAR(inner->x(), (page->width() - inner->width()) / 2, 1);
}

}  // namespace
