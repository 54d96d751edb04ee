// Drop-list selector and in-cell editor (implant) behaviour the views rely on.
#include "kit_fixture.h"

#include "Zvc_editor.h"
#include "Zvc_main.h"
#include "Zvc_static.h"

#include <QStringList>

using namespace ZVCL;

namespace {

const QStringList kSteps = {"12,5", "25"};
const QStringList kLevels = {"Уровень 1", "Уровень 2", "Уровень 3"};

class SelectorTest : public KitFixture {
  protected:
    void SetUp() override {
        KitFixture::SetUp();
        stc = new TZStatic(Window());
        stc->setGeometry(10, 10, 150, 20);
        stc->SetList(kLevels);
        stc->show();
        stc->OnSelect = [this] { selects << stc->Text(); };
    }
    TZStatic* stc = nullptr;
    QStringList selects;
};

TEST_F(SelectorTest, TextOutsideListDownTakesFirstUpDoesNothing) {
    stc->SetText("(нет)");
    selects.clear();
    stc->PrevRow();
    EXPECT_EQ(stc->Text(), "(нет)");
    EXPECT_TRUE(selects.isEmpty());
    stc->NextRow();
    EXPECT_EQ(stc->Text(), "Уровень 1");
    EXPECT_EQ(selects, QStringList{"Уровень 1"});
}

TEST_F(SelectorTest, RowStepsStopAtTheEndsWithoutSelect) {
    stc->SetText("Уровень 3");
    selects.clear();
    stc->NextRow();
    stc->SetText("Уровень 3");  // unchanged text is not a selection either
    EXPECT_TRUE(selects.isEmpty());
    stc->PrevRow();
    stc->PrevRow();
    stc->PrevRow();
    EXPECT_EQ(stc->Text(), "Уровень 1");
    EXPECT_EQ(selects, (QStringList{"Уровень 2", "Уровень 1"}));
}

TEST_F(SelectorTest, ArrowKeysAndWheelStepThroughTheList) {
    stc->setFocus();
    stc->SetText("Уровень 1");
    QTest::keyClick(stc, Qt::Key_Down);
    EXPECT_EQ(stc->Text(), "Уровень 2");
    QTest::keyClick(stc, Qt::Key_Up);
    EXPECT_EQ(stc->Text(), "Уровень 1");
    Wheel(stc, -120);  // towards the user: next item
    EXPECT_EQ(stc->Text(), "Уровень 2");
    Wheel(stc, 60);  // half a notch does nothing yet
    EXPECT_EQ(stc->Text(), "Уровень 2");
    Wheel(stc, 60);
    EXPECT_EQ(stc->Text(), "Уровень 1");
    Wheel(stc, -360);
    EXPECT_EQ(stc->Text(), "Уровень 3");
}

TEST_F(SelectorTest, OwnerKeyHandlerCanConsumeKey) {
    stc->SetText("Уровень 1");
    stc->setFocus();
    stc->OnKeyDown = [](int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Down) key = 0;
    };
    QTest::keyClick(stc, Qt::Key_Down);
    EXPECT_EQ(stc->Text(), "Уровень 1");
}

TEST_F(SelectorTest, EscapeRestoresFocusTextAndHidesImplant) {
    int hidden = 0;
    stc->OnHideImplant = [&] { ++hidden; };
    stc->SetText("Уровень 2");
    ASSERT_TRUE(stc->ShowImplant(20, 20, 0, 0));
    EXPECT_EQ(stc->width(), 150);  // 0 keeps the size
    QTest::keyClick(stc, Qt::Key_Down);
    EXPECT_EQ(stc->Text(), "Уровень 3");
    selects.clear();
    QTest::keyClick(stc, Qt::Key_Escape);
    EXPECT_EQ(stc->Text(), "Уровень 2");
    EXPECT_EQ(selects, QStringList{"Уровень 2"});  // the owner hears of the restore
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(stc->isVisible());
    EXPECT_EQ(CurrentImplant(), nullptr);
}

TEST_F(SelectorTest, EnterHidesImplantKeepingText) {
    int hidden = 0;
    stc->OnHideImplant = [&] { ++hidden; };
    stc->SetText("Уровень 1");
    ASSERT_TRUE(stc->ShowImplant(20, 20, 100, 22));
    QTest::keyClick(stc, Qt::Key_Down);
    QTest::keyClick(stc, Qt::Key_Return);
    EXPECT_EQ(stc->Text(), "Уровень 2");
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(stc->IsImplantOpen());
}

TEST_F(SelectorTest, SecondImplantRefusedUntilFirstHidden) {
    auto* edt = new TZEditor(Window());
    edt->setGeometry(10, 50, 100, 20);
    edt->hide();
    ASSERT_TRUE(stc->ShowImplant(10, 10, 100, 20));
    EXPECT_FALSE(edt->ShowImplant(10, 50, 100, 20));
    EXPECT_FALSE(edt->isVisible());
    EXPECT_EQ(CurrentImplant(), stc);
    edt->HideImplant();  // not the open one: nothing happens
    EXPECT_TRUE(stc->IsImplantOpen());
    stc->HideImplant();
    EXPECT_TRUE(edt->ShowImplant(10, 50, 100, 20));
    EXPECT_TRUE(edt->isVisible());
    EXPECT_TRUE(edt->hasFocus());
    edt->HideImplant();
}

TEST_F(SelectorTest, PressOutsideHidesImplantPressInsideDoesNot) {
    auto* other = new QWidget(Window());
    other->setGeometry(200, 200, 50, 50);
    other->show();
    stc->SetList({});
    ASSERT_TRUE(stc->ShowImplant(10, 10, 100, 20));
    QTest::mouseClick(stc, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(stc->IsImplantOpen());
    QTest::mouseClick(other, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(stc->IsImplantOpen());
    EXPECT_FALSE(stc->isVisible());
}

TEST_F(SelectorTest, DestroyedImplantFreesTheSlot) {
    auto* first = new TZStatic(Window());
    ASSERT_TRUE(first->ShowImplant(0, 0, 50, 20));
    delete first;
    EXPECT_EQ(CurrentImplant(), nullptr);
    EXPECT_TRUE(stc->ShowImplant(0, 0, 50, 20));
    stc->HideImplant();
}

TEST_F(SelectorTest, LeftPressFocusesAndDropsList) {
    stc->SetText("Уровень 2");
    QTest::mouseClick(stc, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(stc->hasFocus());
    ASSERT_TRUE(stc->IsListOpen());
    // A second press on the selector closes the list instead of opening it again.
    QTest::mouseClick(stc, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(stc->IsListOpen());
    EXPECT_EQ(stc->Text(), "Уровень 2");
}

TEST_F(SelectorTest, F4TogglesListAndOpenListSteersKeys) {
    stc->SetText("Уровень 1");
    stc->setFocus();
    QTest::keyClick(stc, Qt::Key_F4);
    ASSERT_TRUE(stc->IsListOpen());
    QTest::keyClick(stc, Qt::Key_Down);  // text and highlight move together
    EXPECT_EQ(stc->Text(), "Уровень 2");
    Wheel(stc, -120);  // while open the wheel moves only the highlight
    EXPECT_EQ(stc->Text(), "Уровень 2");
    QTest::keyClick(stc, Qt::Key_Return);  // takes the highlighted item
    EXPECT_FALSE(stc->IsListOpen());
    EXPECT_EQ(stc->Text(), "Уровень 3");
    QTest::keyClick(stc, Qt::Key_F4);
    EXPECT_TRUE(stc->IsListOpen());
    QTest::keyClick(stc, Qt::Key_F4);
    EXPECT_FALSE(stc->IsListOpen());
}

TEST_F(SelectorTest, PageKeysTakeThePagedItem) {
    QStringList many;
    for (int i = 0; i < 30; ++i) many << QString::number(i);
    stc->SetList(many);
    stc->SetText("0");
    stc->setFocus();
    QTest::keyClick(stc, Qt::Key_PageDown);  // closed: nothing
    EXPECT_EQ(stc->Text(), "0");
    QTest::keyClick(stc, Qt::Key_F4);
    QTest::keyClick(stc, Qt::Key_PageDown);
    EXPECT_EQ(stc->Text(), "12");
    QTest::keyClick(stc, Qt::Key_PageDown);
    QTest::keyClick(stc, Qt::Key_PageDown);
    EXPECT_EQ(stc->Text(), "29");
    QTest::keyClick(stc, Qt::Key_PageUp);
    EXPECT_EQ(stc->Text(), "17");
    stc->CloseList();
}

TEST_F(SelectorTest, FocusLeavingClosesList) {
    auto* edt = new TZEditor(Window());
    edt->setGeometry(10, 60, 100, 20);
    edt->show();
    stc->setFocus();
    stc->DropList();
    ASSERT_TRUE(stc->IsListOpen());
    edt->setFocus();
    EXPECT_FALSE(stc->IsListOpen());
}

}  // namespace
