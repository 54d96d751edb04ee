// The channel table at the keyboard: frequencies typed in megahertz or hertz, what the table
// says when it stores something other than what was typed or refuses a key, channel keys that
// close an open cell editor, the page keys, and the step names the operations announce.
#include <QStatusTipEvent>

#include "U_channelops.h"
#include "Zvc_notice.h"
#include "view_fixture.h"

using namespace views;

namespace {

// Status tips and step names that reach the window.
class TNoticeCatcher : public QObject {
  public:
    QStringList tips;
    QStringList steps;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::StatusTip) tips << static_cast<QStatusTipEvent*>(e)->tip();
        if (e->type() == ZVCL::TEditStepEvent::kType)
            steps << static_cast<ZVCL::TEditStepEvent*>(e)->Name();
        return false;
    }
};

class CanalKeys : public AlderViewTest {
  protected:
    void SetUp() override {
        AlderViewTest::SetUp();
        View().window()->installEventFilter(&notices);
    }
    void At(int col, int canal) {
        grid->setFocus();
        grid->SetCol(col);
        grid->SetRow(Row(canal));
    }
    // Types a frequency straight into the cell: the first key opens the editor.
    void TypeFrequency(int canal, const QString& text) {
        At(3, canal);
        QTest::keyClicks(grid, text.left(1));
        ASSERT_TRUE(edt->isVisible());
        QTest::keyClicks(edt, text.mid(1));
        QTest::keyClick(edt, Qt::Key_Return);
    }
    QString LastTip() const { return notices.tips.isEmpty() ? QString() : notices.tips.back(); }

    TNoticeCatcher notices;
};

TEST(FrequencyEntry, MegahertzWithPointOrCommaShortNumbersAndHertz) {
    const struct {
        const char* text;
        std::optional<int> hz;
    } cases[] = {
        {"146.52", 146520000},
        {"146,52", 146520000},
        {"146,", 146000000},
        {"146", 146000000},
        {"999", 999000000},
        {"1000", 1000},
        {"145 012 500", 145012500},
        {"145012500", 145012500},
        {" 39,0125 ", 39012500},
        {"146,512345", 146512345},
        {"146,5123456", {}},
        {"1.2.3", {}},
        {"146,5x", {}},
        {"", {}},
        {",", {}},
        {"12345,1", {}},
        {"99999999999", 2147483647},
        {"2147,483647", 2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadFrequencyEntry(QString::fromUtf8(c.text)), c.hz) << c.text;
    EXPECT_EQ(MegahertzText(149000000), "149,000000");
    EXPECT_EQ(MegahertzText(39012500), "39,012500");
    EXPECT_EQ(CanalsText({1, 3, 4, 5, 9}), "01, 03–05, 09");
}

TEST_F(CanalKeys, ATypedFrequencyIsStoredAndWhatWasKeptInsteadIsSaid) {
    Canal(0).SetEnabled(true);
    const struct {
        const char* typed;
        int stored;
        const char* tip;  // empty: nothing to say
    } cases[] = {
        {"146,525", 146525000, ""},
        // Parsed as 146 520 000 Hz; the 12.5 kHz raster keeps the multiple below it.
        {"146,52", 146512500, "Частота приведена к сетке 12,5 кГц: 146,512500 МГц"},
        {"146.5213", 146512500, "Частота приведена к сетке 12,5 кГц: 146,512500 МГц"},
        {"150", 149000000, "Частота ограничена диапазоном: 149,000000 МГц"},
        {"180.5", 174000000, "Частота ограничена диапазоном: 174,000000 МГц"},
        {"145 012 500", 145012500, ""},
        {"1..2", 145012500, "Частота «1..2» не распознана: оставлено 145,012500 МГц"},
    };
    for (const auto& c : cases) {
        notices.tips.clear();
        TypeFrequency(0, QString::fromUtf8(c.typed));
        EXPECT_FALSE(EditorOpen()) << c.typed;
        EXPECT_EQ(Canal(0).FRQ_PRM(), c.stored) << c.typed;
        EXPECT_EQ(LastTip(), QString::fromUtf8(c.tip)) << c.typed;
    }
    // Stepping starts from what was typed, in megahertz too.
    At(3, 0);
    QTest::keyClicks(grid, "1");
    QTest::keyClicks(edt, "48,9875");
    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(edt->Text(), "149 000 000");
    QTest::keyClick(edt, Qt::Key_Escape);
}

TEST_F(CanalKeys, ARefusedKeyOrClickSaysWhy) {
    Canal(4).SetEnabled(true);
    const struct {
        int col;
        int canal;
        int key;  // 0: a click
        const char* tip;
    } cases[] = {
        {3, 7, 0, "Канал 07 выключен: включите его (столбец «Вкл»), чтобы изменить"},
        {6, 7, Qt::Key_Return, "Канал 07 выключен: включите его (столбец «Вкл»), чтобы изменить"},
        {5, 4, Qt::Key_Return,
         "Передача следует за приемом (знак «=»): снимите «=», чтобы задать ее отдельно"},
        {3, 4, Qt::Key_Space, "Пробел переключает отметки; значение этой ячейки меняет Enter"},
        {1, 4, Qt::Key_Return, "Enter открывает списки и частоты; отметку переключает пробел"},
    };
    for (const auto& c : cases) {
        notices.tips.clear();
        if (c.key == 0) {
            Click(c.col, c.canal);
        } else {
            At(c.col, c.canal);
            QTest::keyClick(grid, static_cast<Qt::Key>(c.key));
        }
        EXPECT_FALSE(EditorOpen()) << c.tip;
        EXPECT_EQ(LastTip(), QString::fromUtf8(c.tip));
    }
    EXPECT_TRUE(Canal(4).Enabled());
}

// A click on a second cell opens its list at once; the channel keys must still reach the
// channels, with the value chosen so far stored first.
TEST_F(CanalKeys, ChannelKeysCloseAnOpenEditorStoreItAndAct) {
    for (int i = 2; i <= 4; ++i) Canal(i).SetEnabled(true);
    Click(6, 3);
    ASSERT_TRUE(stc->isVisible());
    QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Canal(4).CSS_PRM(), 1) << "the chosen tone moved down with its channel";
    EXPECT_EQ(Canal(3).CSS_PRM(), 0);

    TypeInCell(3, 2, "146");
    QTest::keyClick(edt, Qt::Key_Insert);
    EXPECT_FALSE(EditorOpen());
    EXPECT_FALSE(Canal(2).Enabled()) << "an empty channel was inserted";
    EXPECT_EQ(Canal(3).FRQ_PRM(), 146000000);

    // The line editor keeps Delete for its text.
    Click(3, 3);
    ASSERT_TRUE(edt->isVisible());
    edt->setCursorPosition(0);
    QTest::keyClick(edt, Qt::Key_Delete);
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(edt->Text(), "46 000 000");
    QTest::keyClick(edt, Qt::Key_Escape);
    EXPECT_EQ(notices.steps, (QStringList{"перемещение канала 03 вниз", "вставка канала 02"}));
}

TEST_F(CanalKeys, OperationsNameTheirStepsAndSelectAllMarksEveryChannel) {
    for (int i = 0; i <= 6; ++i) Canal(i).SetEnabled(true);
    View().CanalGrid().SelectCanals({3, 4, 5});
    QTest::keyClick(grid, Qt::Key_Delete);
    At(1, 4);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(View().CanalGrid().Selection().size(), 100u);
    EXPECT_EQ(notices.steps, (QStringList{"удаление каналов 03–05", "очистка канала 04"}));
}

TEST_F(CanalKeys, PageKeysTurnThePagesFromAnywhereInTheView) {
    QTabWidget& pages = View().Pages();
    const int last = pages.count() - 1;
    At(1, 0);
    const struct {
        QKeyCombination key;
        int page;
    } cases[] = {
        {Qt::CTRL | Qt::Key_Tab, 1},       {Qt::CTRL | Qt::Key_PageDown, 2},
        {Qt::CTRL | Qt::Key_PageUp, 1},    {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, 0},
        {Qt::CTRL | Qt::Key_PageUp, last}, {Qt::CTRL | Qt::Key_PageDown, 0},
    };
    for (const auto& c : cases) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, c.key.key(), c.key.keyboardModifiers());
        EXPECT_EQ(pages.currentIndex(), c.page);
    }
}

}  // namespace
