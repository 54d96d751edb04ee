// The shared pop-up list: size, placement, picking with the mouse and closing.
#include "kit_fixture.h"

#include "Zvc_knob.h"
#include "Zvc_popup.h"
#include "Zvc_scrollbar.h"
#include "Zvc_static.h"

#include <QScreen>

#include <stdexcept>

using namespace ZVCL;

namespace {

QStringList Numbers(int count) {
    QStringList items;
    for (int i = 0; i < count; ++i) items << QStringLiteral("%1").arg(i, 2, 10, QChar('0'));
    return items;
}

class PopUpTest : public KitFixture {
  protected:
    void SetUp() override {
        KitFixture::SetUp();
        stc = new TZStatic(Window());
        stc->setGeometry(20, 20, 100, 20);
        stc->show();
        stc->setFocus();
    }
    // The kit's one list; it exists while a selector does.
    TZPopUpList& List() const {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = dynamic_cast<TZPopUpList*>(w)) return *p;
        throw std::runtime_error("no pop-up list");
    }
    TZStatic* stc = nullptr;
};

TEST_F(PopUpTest, ShowsAtMostTwelveRowsAndScrollBarBeyond) {
    struct Case {
        int items;
        int rows;
        bool bar;
    };
    for (const Case c :
         {Case{52, 12, true}, Case{2, 2, false}, Case{12, 12, false}, Case{13, 12, true}}) {
        stc->SetList(Numbers(c.items));
        stc->SetText("01");
        stc->DropList();
        ASSERT_TRUE(stc->IsListOpen()) << c.items;
        const TZPopUpList& list = List();
        EXPECT_EQ(list.VisibleRows(), c.rows) << c.items;
        EXPECT_EQ(list.ScrollBarShown(), c.bar) << c.items;
        EXPECT_EQ(list.ScrollBar().isVisible(), c.bar) << c.items;
        EXPECT_EQ(list.RowsRect().height(), c.rows * TZPopUpList::kRowHeight) << c.items;
        EXPECT_EQ(list.Highlighted(), 1) << c.items;
        stc->CloseList();
        EXPECT_FALSE(list.isVisible());
    }
}

TEST_F(PopUpTest, OpensBelowWiderByFourOrAboveNearScreenBottom) {
    stc->SetList(Numbers(5));
    stc->DropList();
    const QRect pull(stc->mapToGlobal(QPoint(0, 0)), stc->size());
    QRect shown = List().geometry();
    EXPECT_EQ(shown.left(), pull.left() - 2);
    EXPECT_EQ(shown.width(), pull.width() + 4);
    EXPECT_EQ(shown.top(), pull.bottom() + 1);
    stc->CloseList();

    // The owner widens the rectangle; near the bottom of the screen the list opens above it.
    const int screenBottom = QGuiApplication::primaryScreen()->geometry().bottom();
    stc->OnAdjustPullRect = [&](QRect& r) {
        r.moveTop(screenBottom - 30);
        r.adjust(-3, 0, 23, 0);
    };
    stc->DropList();
    shown = List().geometry();
    EXPECT_EQ(shown.bottom(), screenBottom - 30 - 1);
    EXPECT_EQ(shown.width(), pull.width() + 26 + 4);
    stc->CloseList();
}

TEST_F(PopUpTest, NeverTakesFocusAndNotOpenedForEmptyList) {
    stc->DropList();
    EXPECT_FALSE(stc->IsListOpen());
    stc->SetList(Numbers(3));
    stc->DropList();
    EXPECT_TRUE(stc->IsListOpen());
    EXPECT_TRUE(stc->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), stc);
    stc->CloseList();
}

TEST_F(PopUpTest, MousePickSetsTextAndHidesImplant) {
    QStringList picked;
    int closeUps = 0;
    stc->SetList(Numbers(30));
    stc->SetText("00");
    stc->OnSelect = [&] { picked << stc->Text(); };
    stc->OnCloseUp = [&](int index) { closeUps += index; };
    ASSERT_TRUE(stc->ShowImplant(20, 20, 100, 20));
    stc->DropList();
    TZPopUpList& list = List();
    const QPoint row3 = list.RowsRect().topLeft() + QPoint(5, 3 * TZPopUpList::kRowHeight + 4);
    QTest::mouseMove(&list, row3);
    EXPECT_EQ(list.Highlighted(), 3);
    QTest::mousePress(&list, Qt::LeftButton, Qt::NoModifier, row3);
    EXPECT_TRUE(stc->IsListOpen());  // the press only starts the pick
    QTest::mouseRelease(&list, Qt::LeftButton, Qt::NoModifier, row3);
    EXPECT_FALSE(stc->IsListOpen());
    EXPECT_EQ(stc->Text(), "03");
    EXPECT_EQ(picked, QStringList{"03"});
    EXPECT_EQ(closeUps, 3);
    EXPECT_FALSE(stc->IsImplantOpen());  // the mouse was outside the selector
}

TEST_F(PopUpTest, PressOutsideClosesWithoutPick) {
    auto* other = new QWidget(Window());
    other->setGeometry(250, 200, 40, 40);
    other->show();
    int closedWith = 99;
    stc->SetList(Numbers(4));
    stc->SetText("02");
    stc->OnCloseUp = [&](int index) { closedWith = index; };
    stc->DropList();
    QTest::mouseMove(&List(), List().RowsRect().topLeft() + QPoint(3, 3));
    QTest::mouseClick(other, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_FALSE(stc->IsListOpen());
    EXPECT_EQ(closedWith, -1);
    EXPECT_EQ(stc->Text(), "02");
}

TEST_F(PopUpTest, ScrollBarScrollsWithoutClosing) {
    stc->SetList(Numbers(52));
    stc->SetText("00");
    stc->DropList();
    TZPopUpList& list = List();
    auto& bar = const_cast<TZVScrollBar&>(list.ScrollBar());
    QTest::mouseClick(&bar.DownKnob(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_TRUE(stc->IsListOpen());
    EXPECT_EQ(list.TopIndex(), 1);
    Wheel(&list, -120 * 100);
    EXPECT_EQ(list.TopIndex(), 52 - 12);
    stc->CloseList();
}

TEST_F(PopUpTest, DropDownKnobOpensAndClosesFocusingList) {
    auto* knob = new TZKnob(Window());
    knob->setGeometry(130, 20, 20, 20);
    knob->SetDropDown(true);
    knob->SetFocusing(stc);
    knob->SetGlyphKind(gk_ArrowDown);
    knob->show();
    stc->SetList(Numbers(3));
    Window()->setFocus();
    QTest::mouseClick(knob, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(stc->hasFocus());
    EXPECT_TRUE(stc->IsListOpen());
    EXPECT_FALSE(knob->IsPressed());
    QTest::mouseClick(knob, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(stc->IsListOpen());
}

}  // namespace
