// The edit history: steps named after what changed, one step per user action, a history per
// radio, a read and an open as steps of their own, the modified mark coming back with the
// saved state, and the depth of the history.
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "../foreign_model.h"
#include "U_radioware.h"
#include "U_undo.h"
#include "Zvc_grid.h"
#include "shell_fixture.h"

namespace {

class ShellUndo : public ShellTest {
  protected:
    QAction* Undo() { return Find<QAction>("act_Undo"); }
    QAction* Redo() { return Find<QAction>("act_Redo"); }
    // A press on "Вкл" of a channel, as the user turns it on or off.
    void ToggleOn(int canal) {
        ZVCL::TZ_Grid* g = Grid();
        g->parentWidget()->window()->activateWindow();
        const QRect cell = g->CellRect(1, canal + 2);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, cell.center());
        QApplication::processEvents();
    }
    void Settle() { QApplication::processEvents(); }
    // The body without its ranges: a fresh set keeps its unused ranges where the text form
    // does not put them back (at the band's top), so only the values a user edits compare.
    std::string Edited(const std::string& description) {
        std::istringstream in(BodyOf(RadioOf(description)));
        std::string kept, line;
        while (std::getline(in, line))
            if (!line.starts_with("FR")) kept += line + "\n";
        return kept;
    }
};

TEST_F(ShellUndo, AnEditIsUndoneAndRedoneByItsKeysAndNamedAfterIt) {
    Start();
    const std::string fresh = Edited("ALDER");
    EXPECT_FALSE(Undo()->isEnabled());
    ToggleOn(5);
    ASSERT_TRUE(Undo()->isEnabled());
    EXPECT_EQ(Undo()->text().toStdString(), "Отменить: включение канала 05");
    const std::string edited = Edited("ALDER");
    EXPECT_NE(edited, fresh);

    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(Edited("ALDER"), fresh);
    EXPECT_FALSE(Entry("ALDER").modified) << "back at the state nobody changed";
    EXPECT_EQ(Caption(), Base());
    EXPECT_EQ(Redo()->text().toStdString(), "Повторить: включение канала 05");

    for (const QKeySequence& redo :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        Press(redo);
        EXPECT_EQ(Edited("ALDER"), edited);
        EXPECT_TRUE(Entry("ALDER").modified);
        Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    }
    // The menu offers the same two commands.
    QMenu* edit = Find<QMenu>("mnu_Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->actions().contains(Undo()));
    EXPECT_TRUE(edit->actions().contains(Redo()));
}

TEST_F(ShellUndo, APasteOfSeveralChannelsIsOneStep) {
    Start();
    const std::string fresh = Edited("ALDER");
    QGuiApplication::clipboard()->setText(
        "00\t1\t146000000\t146000000\t67,0\t67,0\t1\t0\t1\n"
        "01\t1\t146012500\t146012500\t(нет)\t(нет)\t0\t0\t1\n"
        "02\t1\t165000000\t166000000\t(нет)\t(нет)\t0\t0\t1\n");
    ZVCL::TZ_Grid* g = Grid();
    g->setFocus();
    g->SetRow(2);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(List().CurrentHistory()->UndoDepth(), 1u);
    EXPECT_EQ(Undo()->text().toStdString(), "Отменить: вставка из буфера в каналы 00–02");
    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(Edited("ALDER"), fresh);
}

// A read brings fields that the text form does not carry (Alder's power saving, Birch's DTMF
// decoder, the radio's flag and text, the converter type found in the radio). An edit, an undo
// and a redo must leave them as they were, or the next write changes those bytes of the radio.
TEST_F(ShellUndo, UndoAndRedoKeepWhatOnlyTheRadiosMemoryCarries) {
    struct SPoke {
        std::size_t at;
        std::uint8_t set, clear;
    };
    const struct {
        const char* model;
        std::vector<SPoke> pokes;
    } cases[] = {
        {"ALDER", {{0x25, 0x00, 0x80}, {0x6E6, 0xC8, 0xFF}}},  // power saving on, T1 = 200
        {"BIRCH", {{0x07, 0x02, 0x00}, {0x25, 0x40, 0x00}, {0x6E4, 33, 0xFF}}},  // DTMF decoder
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        List().Select(IndexOf(c.model));
        Settle();
        CRadioData& data = *SnapshotSource(RadioOf(c.model));
        std::vector<std::uint8_t> image(data.ImageSize());
        data.EncodeImage(image);
        std::vector<SPoke> pokes = c.pokes;
        pokes.push_back({0x26, 0x20, 0x00});  // the radio's flag B
        for (const SPoke& p : pokes) image[p.at] = (image[p.at] & ~p.clear) | p.set;
        const std::uint8_t text[] = {0xA8, 0xEB, 0xEA, 0xE0, '$'};  // "Ёлка" in Windows-1251
        std::ranges::copy(text, image.begin() + 0x700);
        data.DecodeImage(image);
        data.SetRadioConverterType(16);
        Settle();
        const auto encoded = [&data] {
            std::vector<std::uint8_t> bytes(data.ImageSize());
            data.EncodeImage(bytes);
            return bytes;
        };
        const std::vector<std::uint8_t> read = encoded();
        ToggleOn(4);
        const std::vector<std::uint8_t> edited = encoded();
        ASSERT_NE(edited, read);
        Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
        EXPECT_EQ(encoded(), read);
        EXPECT_EQ(data.RadioConverterType(), 16);
        Press(QKeySequence(Qt::CTRL | Qt::Key_Y));
        EXPECT_EQ(encoded(), edited);
    }
}

TEST_F(ShellUndo, EachRadioKeepsItsOwnHistory) {
    Start();
    ToggleOn(1);
    const std::string alder = Edited("ALDER");
    List().Select(IndexOf("BIRCH"));
    Settle();
    EXPECT_FALSE(Undo()->isEnabled()) << "the Alder step is not Birch's";
    ToggleOn(3);
    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(Edited("ALDER"), alder) << "undo on Birch leaves Alder alone";
    List().Select(IndexOf("ALDER"));
    Settle();
    EXPECT_EQ(Undo()->text().toStdString(), "Отменить: включение канала 01");
    EXPECT_EQ(Redo()->isEnabled(), false);
}

TEST_F(ShellUndo, AReadFromTheRadioIsAStepOfItsOwn) {
    Start({"alder"});
    // The radio holds what a write put there, channels 00 and 02.
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), "\r\n0Enabled=1\r\n2Enabled=1\r\n", true));
    Transfer(QKeySequence(Qt::Key_F5));
    ToggleOn(7);
    dialogs_.answers.push_back(EAnswer::No);  // not saved before the read
    const std::string beforeRead = Edited("ALDER");
    Transfer(QKeySequence(Qt::Key_F3));
    ASSERT_TRUE(WaitFor(
        [this] { return Undo()->text().toStdString() == "Отменить: чтение из радиостанции"; },
        3000));
    const std::string read = Edited("ALDER");
    ASSERT_NE(read, beforeRead);
    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(Edited("ALDER"), beforeRead);
    EXPECT_TRUE(Entry("ALDER").modified);
    Press(QKeySequence(Qt::CTRL | Qt::Key_Y));
    // The radio's channels come back; values the image held outside the setters' rules (here a
    // priority on a channel that is not scanned) come back as the text form keeps them.
    const std::string redone = Edited("ALDER");
    for (const char* line : {"\n0Enabled=1", "\n2Enabled=1", "\n7Enabled=0"})
        EXPECT_NE(redone.find(line), std::string::npos) << line;
}

TEST_F(ShellUndo, UndoingBackToASavedFileClearsTheMark) {
    Start();
    ToggleOn(0);
    const std::string file = HomeFile("a.ald");
    dialogs_.saveAnswers.push_back(file);
    Press(QKeySequence(Qt::CTRL | Qt::Key_S));
    Settle();
    ToggleOn(4);
    EXPECT_TRUE(Entry("ALDER").modified);
    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_FALSE(Entry("ALDER").modified);
    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(Entry("ALDER").modified) << "the state before the save is not in the file";
}

// ---- the history itself, without a window ---------------------------------------------------

TEST(UndoHistory, ASetFromAPlugInBuiltElsewhereKeepsNoHistoryAndIsNeverCast) {
    SForeignModel foreign;
    CEditHistories histories;
    histories.Track(&foreign);
    histories.Changed(&foreign);
    histories.Flush();
    EXPECT_EQ(histories.Of(&foreign), nullptr) << "undo stays unavailable";
    EXPECT_FALSE(histories.Undo(&foreign));
    EXPECT_FALSE(histories.Redo(&foreign));
    EXPECT_EQ(foreign.body, "\r\nForeign=1\r\n");
}

TEST(UndoHistory, KeepsTheNewestStepsUpToItsDepthAndForgetsRedoOnANewStep) {
    CUndoHistory history("0", 100);
    for (int i = 1; i <= 150; ++i) history.Record(std::to_string(i), "step");
    EXPECT_EQ(history.UndoDepth(), 100u);
    EXPECT_FALSE(history.Record("150")) << "an unchanged set is no step";
    for (int i = 0; i < 100; ++i) ASSERT_NE(history.Undo(), nullptr);
    EXPECT_EQ(history.Current(), "50");
    EXPECT_EQ(history.Undo(), nullptr);
    history.Redo();
    history.Record("x");
    EXPECT_FALSE(history.CanRedo());
}

TEST(UndoHistory, NamesAStepAfterTheKeysThatDiffer) {
    const std::string base =
        "\r\nFR1=1\r\n5Enabled=1\r\n5FRQ_PRM=1\r\n5FRQ_PRD=1\r\n5CSS_PRM=(нет)\r\n"
        "12Enabled=0\r\nSquelch=3\r\nKey1=1\r\nKey2=2\r\nPriorCanal=-1\r\n";
    const auto with = [&base](const std::string& from, const std::string& to) {
        std::string text = base;
        const std::size_t at = text.find(from);
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const struct {
        std::string after;
        std::string name;
    } cases[] = {
        {with("5FRQ_PRM=1\r\n5FRQ_PRD=1", "5FRQ_PRM=2\r\n5FRQ_PRD=2"), "частота канала 05"},
        {with("5CSS_PRM=(нет)", "5CSS_PRM=67,0"), "тон канала 05"},
        {with("12Enabled=0", "12Enabled=1\r\n12FRQ_PRM=1"), "включение канала 12"},
        {with("5FRQ_PRM=1", "5FRQ_PRM=2") + "12Enabled=1\r\n", "каналы 05–12"},
        {with("5CSS_PRM=(нет)\r\n", "5CSS_PRM=67,0\r\n5Scanning=1\r\n"), "канал 05"},
        {with("Squelch=3", "Squelch=4"), "шумоподавитель"},
        {with("Key1=1\r\nKey2=2", "Key1=9\r\nKey2=8"), "ключ"},
        {with("FR1=1", "FR1=2"), "изменение параметров"},
        {with("5Enabled=1", "5Enabled=0") + "PriorCanal=3\r\n", "включение канала 05"},
    };
    for (const auto& c : cases) EXPECT_EQ(NameOfChange(base, c.after), c.name) << c.after;
}

}  // namespace

namespace {

// Every whole-channel action on the channel table, by its key, is one step that undo takes
// back and redo does again.
TEST_F(ShellUndo, EveryChannelActionIsOneStepBackAndForth) {
    Start();
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"),
                         "\r\n0Enabled=1\r\n0FRQ_PRM=146000000\r\n0Scanning=1\r\n"
                         "1Enabled=1\r\n1FRQ_PRM=147000000\r\n2Enabled=1\r\n"
                         "2FRQ_PRM=148000000\r\n2Scanning=1\r\nPriorCanal=2\r\n",
                         true));
    Settle();
    List().Histories().Flush();
    const struct {
        const char* what;
        int key;
        Qt::KeyboardModifiers mods;
    } actions[] = {
        {"insert", Qt::Key_Insert, Qt::NoModifier},
        {"delete", Qt::Key_Delete, Qt::NoModifier},
        {"move down", Qt::Key_Down, Qt::AltModifier},
        {"clear", Qt::Key_Delete, Qt::ControlModifier},
        {"cut", Qt::Key_X, Qt::ControlModifier},
    };
    for (const auto& a : actions) {
        const std::string before = Edited("ALDER");
        const std::size_t depth = List().CurrentHistory()->UndoDepth();
        ZVCL::TZ_Grid* g = Grid();
        g->setFocus();
        g->SetRow(2 + 1);  // channel 01
        QTest::keyClick(g, static_cast<Qt::Key>(a.key), a.mods);
        Settle();
        const std::string after = Edited("ALDER");
        ASSERT_NE(after, before) << a.what;
        EXPECT_EQ(List().CurrentHistory()->UndoDepth(), depth + 1) << a.what;
        Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
        EXPECT_EQ(Edited("ALDER"), before) << a.what;
        Press(QKeySequence(Qt::CTRL | Qt::Key_Y));
        EXPECT_EQ(Edited("ALDER"), after) << a.what;
        Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    }
}

}  // namespace
