// The choice among several radios of one model, driven by the keyboard and the buttons.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "F_radiochoice.h"

namespace {

struct SChoiceCase {
    const char* name;
    std::function<void(Tfrm_RadioChoice&)> act;
    std::optional<std::size_t> chosen;
};

TEST(RadioChoiceDialog, ChoosesBySerialNumberAndEscapeCancels) {
    const std::vector<SChoiceCase> cases = {
        {"Escape", [](Tfrm_RadioChoice& d) { QTest::keyClick(d.List(), Qt::Key_Escape); }, {}},
        {"Enter keeps the preselected",
         [](Tfrm_RadioChoice& d) { QTest::keyClick(d.List(), Qt::Key_Return); }, 1},
        {"Down, Enter",
         [](Tfrm_RadioChoice& d) {
             QTest::keyClick(d.List(), Qt::Key_Down);
             QTest::keyClick(d.List(), Qt::Key_Return);
         },
         2},
        {"Отменить", [](Tfrm_RadioChoice& d) { d.CancelButton()->click(); }, {}},
        {"Выбрать after Up",
         [](Tfrm_RadioChoice& d) {
             QTest::keyClick(d.List(), Qt::Key_Up);
             d.AcceptButton()->click();
         },
         0},
    };
    Tfrm_RadioChoice dialog;
    for (const SChoiceCase& c : cases) {
        QTimer::singleShot(0, &dialog, [&dialog, &c] { c.act(dialog); });
        EXPECT_EQ(dialog.Execute("Ольха-1", {"11", "22", "33"}, 1), c.chosen) << c.name;
    }
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Выбор радиостанции");
    EXPECT_EQ(dialog.List()->count(), 3);
    EXPECT_EQ(dialog.List()->item(2)->text().toStdString(), "Заводской номер 33");
    EXPECT_NE(dialog.findChild<QLabel*>("lbl_Radios")->text().indexOf("\"Ольха-1\""), -1);
    // A preselection past the end marks the last radio.
    dialog.Prepare("Ольха-1", {"11", "22"}, 5);
    EXPECT_EQ(dialog.Chosen(), std::optional<std::size_t>(1));
}

}  // namespace
