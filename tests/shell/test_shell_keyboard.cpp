// The window at the keyboard: the Правка menu's channel commands with their keys wherever the
// focus is, the file keys, and what the window says about files and documents.
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include "U_radioware.h"
#include "Zvc_grid.h"
#include "shell_fixture.h"

namespace {

class ShellKeys : public ShellTest {
  protected:
    bool Enabled(int canal) {
        return static_cast<CRadioData*>(RadioOf("ALDER")->Data())->Canal(canal)->Common().enabled;
    }
    QStringList Log() {
        QStringList texts;
        for (const SLogEntry& e : Window().MessageLog().Entries()) texts << e.text;
        return texts;
    }
};

TEST_F(ShellKeys, MenusHoldTheCommandsWithTheirKeys) {
    Start();
    const struct {
        const char* action;
        QKeySequence key;
    } cases[] = {
        {"act_Edit_CopyCanals", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"act_Edit_CutCanals", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"act_Edit_PasteCanals", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {"act_Edit_InsertCanal", QKeySequence(Qt::Key_Insert)},
        {"act_Edit_DeleteCanals", QKeySequence(Qt::Key_Delete)},
        {"act_Edit_ClearCanals", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {"act_Edit_FillCanals", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"act_Edit_SelectAllCanals", QKeySequence(Qt::CTRL | Qt::Key_A)},
        {"act_SaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"act_Print", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"act_Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    const QList<QAction*> edit = Find<QMenu>("mnu_Edit")->actions();
    for (const auto& c : cases) {
        QAction* action = Find<QAction>(c.action);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->shortcut(), c.key) << c.action;
        if (QString::fromUtf8(c.action).startsWith("act_Edit_")) {
            EXPECT_TRUE(edit.contains(action)) << c.action;
        }
    }
}

// The menu bar keeps the focus after Escape closed its menu: the keys still reach the table.
TEST_F(ShellKeys, TableKeysWorkAfterAMenuWasClosedWithEscape) {
    Start();
    ZVCL::TZ_Grid* g = Grid();
    ASSERT_NE(g, nullptr);
    g->setFocus();
    g->SetRow(2);
    QTest::keyClick(g, Qt::Key_Space);  // "Вкл" of channel 00
    ASSERT_TRUE(Enabled(0));
    QMenuBar* bar = Window().menuBar();
    QMenu* edit = Find<QMenu>("mnu_Edit");
    bar->setActiveAction(edit->menuAction());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(edit));
    QTest::keyClick(edit, Qt::Key_Escape);
    QApplication::processEvents();
    QGuiApplication::clipboard()->clear();
    Press(QKeySequence(Qt::CTRL | Qt::Key_C));
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->text().startsWith("00\t1\t")) << mime->text().toStdString();
    Press(QKeySequence(Qt::Key_Insert));
    EXPECT_FALSE(Enabled(0));
    EXPECT_TRUE(Enabled(1));
    EXPECT_EQ(Find<QAction>("act_Undo")->text(), "Отменить: вставка канала 00");
}

TEST_F(ShellKeys, FilesAreNamedOnTheStatusLineAndInTheLog) {
    Start();
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    const std::string file = HomeFile("a.ald");
    dialogs_.saveAnswers.push_back(file);
    Press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
    EXPECT_EQ(Status().toStdString(), "Параметры сохранены в файле «" + file + "»");
    dialogs_.openAnswers.push_back(file);
    Press(QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(Log().mid(Log().size() - 2),
              (QStringList{QString::fromStdString("Параметры сохранены в файле «" + file + "»"),
                           QString::fromStdString("Открыт файл «" + file + "»")}));
}

TEST_F(ShellKeys, DocumentsWithoutAViewerAreNamedInAMessage) {
    Start();
    dialogs_.viewerStarts = false;
    WriteFile(HomeFile("И1_РВ.pdf"), "%PDF-1.4\n");
    Press(QKeySequence(Qt::Key_F1));
    dialogs_.saveAnswers.push_back(HomeFile("list.pdf"));
    Press(QKeySequence(Qt::CTRL | Qt::Key_P));
    ASSERT_EQ(dialogs_.errors.size(), 2u);
    for (const std::string& file : {HomeFile("И1_РВ.pdf"), HomeFile("list.pdf")}) {
        const auto& text = dialogs_.errors[file.ends_with("list.pdf") ? 1 : 0].text;
        EXPECT_TRUE(text.starts_with("Не удалось открыть файл")) << text;
        EXPECT_TRUE(text.ends_with("Файл: " + file)) << text;
    }
}

}  // namespace
