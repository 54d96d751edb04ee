// The group write from the window: the menu saves unsaved parameters first, the dialog writes
// each radio in range once, counts and lists them, and writes one again when asked.

#include <QPushButton>
#include <QTableWidget>

#include "F_fleet.h"
#include "shell_fixture.h"

namespace {

class ShellFleet : public ShellTest {};

TEST_F(ShellFleet, WritesEachRadioInRangeOnceAndOneAgainWhenAsked) {
    Start({"alder,sn=501", "alder,sn=502"});
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    List().Select(IndexOf("ALDER"));
    dialogs_.saveAnswers.push_back(HomeFile("g.ald"));
    bool checked = false;
    // The dialog is modal: it is driven from inside its own loop.
    QTimer::singleShot(0, [&] {
        auto* dialog = Window().findChild<Tfrm_Fleet*>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->Start());
        EXPECT_TRUE(WaitFor([&] { return dialog->Counts().written == 2; }, 20000));
        QTest::qWait(300);  // both still in range: neither is written twice
        EXPECT_EQ(dialog->Table()->rowCount(), 2);
        dialog->Table()->selectRow(0);
        const QString again = dialog->Table()->item(0, 0)->text();
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Записать еще раз")) button->click();
        EXPECT_TRUE(WaitFor([&] { return dialog->Counts().written == 3; }, 20000));
        EXPECT_EQ(dialog->Table()->item(2, 0)->text(), again);
        EXPECT_EQ(dialog->Table()->item(2, 2)->text(), QStringLiteral("записана"));
        dialog->reject();
        checked = true;
    });
    Window().findChild<QAction*>("act_Fleet")->trigger();
    ASSERT_TRUE(checked);
    EXPECT_FALSE(Entry("ALDER").modified);  // saved before the group
    std::ifstream log(HomeFile("g.fleet.csv"));
    int written = 0;
    for (std::string line; std::getline(log, line);)
        written += line.find(",written,") != std::string::npos;
    EXPECT_EQ(written, 3);
    EXPECT_TRUE(Find<QAction>("act_Read")->isEnabled());
}

}  // namespace
