// The main window: start-up, caption, the radio list, help, About, the converter gesture and
// the status-line timer.

#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpression>

#include "F_about.h"
#include "F_messagelog.h"
#include "Zvc_grid.h"
#include "Zvc_scrollbar.h"
#include "shell_fixture.h"

namespace {

TEST_F(ShellTest, CommandsWaitForTheWindowAndTheFirstRadioIsSelected) {
    Start({}, false);
    for (const char* name : {"act_New", "act_Open", "act_Save", "act_SaveAs", "act_Read",
                             "act_Write", "act_Help", "act_About", "act_Exit"})
        EXPECT_FALSE(Find<QAction>(name)->isEnabled()) << name;
    EXPECT_EQ(List().Current(), -1);

    ShowWindow();
    for (const char* name : {"act_New", "act_Open", "act_Save", "act_SaveAs", "act_Read",
                             "act_Write", "act_Help", "act_About", "act_Exit"})
        EXPECT_TRUE(Find<QAction>(name)->isEnabled()) << name;
    EXPECT_EQ(List().Current(), 0);
    EXPECT_EQ(Caption(), "Программатор радиостанций \"Тессел\"");
    EXPECT_EQ(Find<QLabel>("stspnl_RName")->text().toStdString(),
              "Параметры \"" + List().Get(0).name + "\"");
    // The list in registry order, and "Open as" with one item per radio in the same order.
    ASSERT_GE(List().Count(), 2);
    EXPECT_EQ(List().Get(0).radio->Ware()->Description(), "ALDER");
    const QList<QAction*> openAs = Find<QMenu>("mnu_OpenAs")->actions();
    ASSERT_EQ(openAs.size(), List().Count());
    for (int i = 0; i < List().Count(); ++i)
        EXPECT_EQ(openAs[i]->text().toStdString(), List().Get(i).name);
    EXPECT_EQ(Find<QAction>("act_Read")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(Find<QAction>("act_Write")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(Find<QAction>("act_Open")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(Find<QAction>("act_Save")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
}

TEST_F(ShellTest, WindowCannotShrinkBelowTheMinimumClientArea) {
    Start();
    const int menu = Window().menuBar()->height();
    EXPECT_GE(Window().minimumWidth(), Window().MinClientWidth());
    EXPECT_GE(Window().minimumHeight() - menu, Window().MinClientHeight());
    Window().resize(300, 200);
    EXPECT_GE(Window().height() - menu, Window().MinClientHeight());
}

// Edits never add a file part; a file shows its name, and an edit after it adds " *". The list
// follows with " *" after the name, the current radio in bold.
TEST_F(ShellTest, CaptionAndListFollowFileAndModifiedState) {
    Start();
    const int alder = IndexOf("ALDER");
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    EXPECT_EQ(Caption(), Base());
    EXPECT_EQ(Window().RadioRowText(alder).toStdString(), " Ольха-1 *");
    EXPECT_TRUE(Window().RadioRowFont(alder).bold());
    EXPECT_FALSE(Window().RadioRowFont(IndexOf("LARCH")).bold());
    EXPECT_EQ(Window().RadioRowText(IndexOf("LARCH")).toStdString(), " Лиственница-1");

    dialogs_.saveAnswers.push_back(HomeFile("a.ald"));
    Press(QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(Caption(), Base() + " - [Файл \"a.ald\"]");
    EXPECT_EQ(Window().RadioRowText(alder).toStdString(), " Ольха-1");

    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    EXPECT_EQ(Caption(), Base() + " - [Файл \"a.ald\"] *");
}

// Closing asks about every modified set in list order, showing each while asking; Cancel keeps
// the program, No goes on, Yes saves as Save does.
TEST_F(ShellTest, ClosingAsksAboutEveryModifiedSet) {
    Start();
    List().Select(IndexOf("LARCH"));
    ASSERT_TRUE(LoadBody(RadioOf("LARCH"), kWritableBody, true));
    List().Select(IndexOf("ALDER"));
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    const std::string alder =
        "Параметры \"Ольха-1\" были изменены. Сохранить изменения в новом файле?";
    const std::string larch =
        "Параметры \"Лиственница-1\" были изменены. Сохранить изменения в новом файле?";

    dialogs_.answers = {EAnswer::No, EAnswer::Cancel};
    EXPECT_FALSE(Window().close());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(List().Current(), IndexOf("LARCH"));
    EXPECT_TRUE(Entry("LARCH").modified);

    dialogs_.answers = {EAnswer::No, EAnswer::Yes};
    dialogs_.saveAnswers.push_back(HomeFile("l.lch"));
    Find<QAction>("act_Exit")->trigger();
    EXPECT_FALSE(Window().isVisible());
    std::vector<std::string> asked;
    for (const auto& q : dialogs_.questions) {
        asked.push_back(q.text);
        EXPECT_EQ(q.title, Base());
    }
    EXPECT_EQ(asked, (std::vector<std::string>{alder, larch, alder, larch}));
    EXPECT_EQ(RadioOf("LARCH")->FileName(), HomeFile("l.lch"));
    EXPECT_TRUE(fs::exists(HomeFile("l.lch")));
}

// Status texts stay readable after the line has cleared: Справка → Журнал сообщений lists them
// newest first with their times, and follows new ones while it is open.
TEST_F(ShellTest, MessageLogKeepsTheStatusTextsWithTheirTimes) {
    Start();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    Window().ShowStatus("Радиостанция не найдена");
    Window().ShowStatus("");
    Window().ShowStatus("Нет активных каналов для записи параметров");
    const auto& entries = Window().MessageLog().Entries();
    ASSERT_EQ(entries.size(), 2u);
    for (const SLogEntry& e : entries) {
        EXPECT_GE(e.time, before);
        EXPECT_LE(e.time, QDateTime::currentDateTime());
    }
    const QList<QAction*> help = Window().menuBar()->actions().last()->menu()->actions();
    ASSERT_TRUE(help.contains(Find<QAction>("act_MessageLog")));
    Find<QAction>("act_MessageLog")->trigger();
    Tfrm_MessageLog& box = Window().MessageLogBox();
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.windowTitle(), "Журнал сообщений");
    const QRegularExpression line(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  (.+)$"));
    const auto texts = [&] {
        QStringList shown;
        for (const QString& l : box.LogText().split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = line.match(l);
            shown << (m.hasMatch() ? m.captured(1) : QStringLiteral("?") + l);
        }
        return shown;
    };
    EXPECT_EQ(texts(), (QStringList{"Нет активных каналов для записи параметров",
                                    "Радиостанция не найдена"}));
    Window().ShowStatus("Радиостанция найдена...");
    EXPECT_EQ(texts().value(0), "Радиостанция найдена...");
    box.close();
}

TEST(MessageLog, KeepsTheLastEntriesAndDatesThoseOfEarlierDays) {
    CMessageLog log(3);
    const QDate today(2026, 12, 8);
    const QDateTime morning(today, QTime(9, 5, 7));
    for (const char* text : {"x", "a"}) log.Add(QString::fromUtf8(text), morning.addDays(-1));
    for (const char* text : {"b", " ", "c"}) log.Add(QString::fromUtf8(text), morning);
    ASSERT_EQ(log.Entries().size(), 3u);
    EXPECT_EQ(log.Entries().front().text, "a");
    EXPECT_EQ(log.Text(today), "09:05:07  c\n09:05:07  b\n07.12.2026 09:05:07  a");
}

// Four ranges do not fit one line of the panel: the text wraps and is whole, and the hint
// carries it too.
TEST_F(ShellTest, FourRangesStandWholeInThePropertiesPanel) {
    Start();
    std::string body = "\r\n";
    const int mhz[] = {147, 148, 166, 167, 170, 171, 172, 173};
    for (int k = 0; k < 8; ++k)
        body += "FR" + std::to_string(k + 1) + "=" + std::to_string(mhz[k] * 1000000) + "\r\n";
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), body, false));
    Window().UpdateState();
    auto* ranges = Find<QLabel>("txt_FreqRanges");
    const QString text = QString::fromStdString(RadioOf("ALDER")->Data()->RangeText());
    ASSERT_EQ(text.count(QStringLiteral(", ")), 3) << text.toStdString();
    EXPECT_EQ(ranges->text(), text);
    EXPECT_GE(ranges->height(), ranges->heightForWidth(ranges->width()));
    EXPECT_TRUE(ranges->toolTip().contains(text));
    EXPECT_TRUE(ranges->toolTip().startsWith("Допустимый диапазон частот"));
    auto* panel = Find<QWidget>("pnl_Properties");
    panel->layout()->activate();
    EXPECT_LE(Find<QLabel>("lbl_SN")->geometry().bottom(), panel->height());
}

TEST_F(ShellTest, ListRowsAreSelectedByClickEnterAndSpace) {
    Start();
    auto* grid = Find<ZVCL::TZ_Grid>("grd_RadioList");
    const int larch = IndexOf("LARCH");
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(0, larch).center());
    EXPECT_EQ(List().Current(), larch);
    EXPECT_EQ(Find<QLabel>("stspnl_RName")->text().toStdString(), "Параметры \"Лиственница-1\"");
    EXPECT_EQ(Find<QLabel>("txt_FreqRanges")->text().toStdString(),
              RadioOf("LARCH")->Data()->RangeText());

    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Up);  // moves the cursor only
    EXPECT_EQ(List().Current(), larch);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(List().Current(), larch - 1);
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(List().Current(), larch - 2);
}

// The dotted separator at y = 22 of a 149-pixel row runs from x 4 to x 144: three-pixel dashes
// with three-pixel gaps.
TEST_F(ShellTest, RowSeparatorIsDottedAndCentred) {
    Start();
    auto* grid = Find<ZVCL::TZ_Grid>("grd_RadioList");
    const QImage image = grid->grab().toImage();
    const QRect row = grid->CellRect(0, 1);
    ASSERT_EQ(row.width(), 149);
    const auto at = [&](int x) { return image.pixelColor(row.left() + x, row.top() + 22); };
    const QColor pen(0xE6, 0xE1, 0xD7), gap(0xFF, 0xFA, 0xF0);
    for (int x : {4, 5, 6, 10, 142, 143, 144}) EXPECT_EQ(at(x), pen) << x;
    for (int x : {3, 7, 8, 9, 139, 145}) EXPECT_NE(at(x), pen) << x;
    EXPECT_EQ(at(8), gap);
}

TEST_F(ShellTest, HelpOpensTheInstructionOrSaysItIsMissing) {
    Start();
    Press(QKeySequence(Qt::Key_F1));
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(dialogs_.errors[0].title, Base());
    EXPECT_EQ(dialogs_.errors[0].text,
              "Отсутствует инструкция по программированию параметров радиостанций (файл "
              "\"И1_РВ.pdf\")!");
    EXPECT_TRUE(dialogs_.documents.empty());

    WriteFile(HomeFile("И1_РВ.pdf"), "%PDF-1.4\n");
    Press(QKeySequence(Qt::Key_F1));
    EXPECT_EQ(dialogs_.errors.size(), 1u);
    ASSERT_EQ(dialogs_.documents.size(), 1u);
    EXPECT_EQ(dialogs_.documents[0], HomeFile("И1_РВ.pdf"));
}

TEST_F(ShellTest, AboutListsTheModulesWithTheirVersions) {
    Start();
    Find<QAction>("act_About")->trigger();
    EXPECT_EQ(dialogs_.aboutShown, 1);
    const std::string text = Window().findChild<Tfrm_About*>()->ModuleText().toStdString();
    EXPECT_EQ(text.rfind("Модули: ALDER (версия 1.1.0); ", 0), 0u) << text;
    EXPECT_NE(text.find("LARCH (версия 1.1.0)"), std::string::npos) << text;
}

// Ctrl+Alt and a released button on the "УПР" caption opens the dialog just above it; a plain
// click does nothing. The chosen type shows in bold and leaves the parameters unmodified.
TEST_F(ShellTest, ConverterGestureFixesTheTypeOfTheCurrentRadio) {
    Start();
    auto* caption = Find<QLabel>("lbl_UPR");
    auto* panel = Find<QWidget>("pnl_Properties");
    QTest::mouseClick(caption, Qt::LeftButton);
    QTest::mouseClick(caption, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(dialogs_.converterCodes.empty());

    dialogs_.converterAnswer = [](Tfrm_UPR&) { return 5; };
    QTest::mouseClick(caption, Qt::RightButton,
                      Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_EQ(dialogs_.converterCodes, std::vector<int>{-1});
    const QPoint panelTop = panel->mapToGlobal(QPoint(0, 0));
    const int captionTop = caption->mapTo(panel, QPoint(0, 0)).y();
    auto* dialog = Window().findChild<Tfrm_UPR*>();
    EXPECT_EQ(dialogs_.converterPosition,
              QPoint(panelTop.x() + 7, panelTop.y() + captionTop - dialog->height() - 6));

    auto* value = Find<QLabel>("txt_Maskirator");
    EXPECT_EQ(value->text().toStdString(), "УПР-В3");
    EXPECT_TRUE(value->font().bold());
    EXPECT_EQ(value->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(RadioOf("ALDER")->ConverterType(), 5);
    EXPECT_FALSE(Entry("ALDER").modified);

    // A type the dialog does not offer opens on "determine" and survives an accept untouched.
    RadioOf("ALDER")->SetConverterType(16);
    dialogs_.converterAnswer = [](Tfrm_UPR& d) {
        EXPECT_TRUE(d.Choice(0)->isChecked());
        return d.Value();
    };
    QTest::mouseClick(caption, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(RadioOf("ALDER")->ConverterType(), 16);
    EXPECT_EQ(value->text().toStdString(), "УПР-Г4");

    // Cancel changes nothing; "determine when writing" empties the panel.
    dialogs_.converterAnswer = [](Tfrm_UPR&) { return std::nullopt; };
    QTest::mouseClick(caption, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(RadioOf("ALDER")->ConverterType(), 16);
    dialogs_.converterAnswer = [](Tfrm_UPR&) { return -1; };
    QTest::mouseClick(caption, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(value->text(), QString());
}

TEST_F(ShellTest, WriteCheckMessageVanishesAfterTheTimer) {
    Start();
    auto* timer = Find<QTimer>("tmr_ClearText");
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_TRUE(timer->isSingleShot());
    timer->setInterval(30);
    Press(QKeySequence(Qt::Key_F5));  // fresh Alder parameters: no channel in use
    EXPECT_EQ(Status().toStdString(), "Нет активных каналов для записи параметров");
    EXPECT_FALSE(List().Workers().Busy());
    EXPECT_TRUE(WaitFor([&] { return Status().isEmpty(); }, 2000));
}

// With no module the window still works: nothing is current, and the file and radio commands
// do nothing at all.
TEST_F(ShellTest, WithoutModulesTheCommandsDoNothing) {
    Start({}, true, Home() / "РС");
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(List().Current(), -1);
    for (QKeySequence key : {QKeySequence(Qt::CTRL | Qt::Key_O), QKeySequence(Qt::CTRL | Qt::Key_S),
                             QKeySequence(Qt::Key_F3), QKeySequence(Qt::Key_F5)})
        Press(key);
    Find<QAction>("act_New")->trigger();
    Find<QAction>("act_SaveAs")->trigger();
    EXPECT_FALSE(List().Workers().Busy());
    EXPECT_TRUE(dialogs_.openRequests.empty());
    EXPECT_TRUE(dialogs_.saveRequests.empty());
    EXPECT_TRUE(dialogs_.errors.empty());
    EXPECT_EQ(Caption(), Base());
    Find<QAction>("act_About")->trigger();
    EXPECT_EQ(Window().findChild<Tfrm_About*>()->ModuleText().toStdString(), "Модули: ");
}

}  // namespace
