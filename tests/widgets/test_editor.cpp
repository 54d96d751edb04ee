// Line editor: input masks, the character hook, keys and wheel.
#include "kit_fixture.h"

#include "Zvc_editor.h"

using namespace ZVCL;

namespace {

class EditorTest : public KitFixture {
  protected:
    void SetUp() override {
        KitFixture::SetUp();
        edt = new TZEditor(Window());
        edt->setGeometry(10, 10, 120, 22);
        edt->show();
        edt->setFocus();
        edt->OnChange = [this] { ++changes; };
    }
    TZEditor* edt = nullptr;
    int changes = 0;
};

// The frequency pattern of a 12,5 kHz channel: fixed 1, digit positions, fixed blanks and zeros.
const QString kFreqMask = QStringLiteral("199 999 9\\0\\0;_");

TEST_F(EditorTest, FrequencyMaskKeepsFixedCharactersAndEmptyDigitsReadZero) {
    edt->SetEditMask(kFreqMask);
    edt->SetText("145 012 500");
    EXPECT_EQ(edt->Text(), "145 012 500");
    edt->setCursorPosition(11);
    for (int i = 0; i < 3; ++i) QTest::keyClick(edt, Qt::Key_Backspace);
    // The trailing fixed zeros stay; the digit before them is empty and counts as 0.
    EXPECT_EQ(edt->Text().size(), 11);
    EXPECT_TRUE(edt->Text().endsWith("00"));
    EXPECT_EQ(edt->Text().left(1), "1");
    EXPECT_EQ(edt->Text()[8], QChar('0'));
    edt->SetText("100 000 000");
    edt->setCursorPosition(1);
    QTest::keyClicks(edt, "47x8");  // letters are refused in digit positions
    EXPECT_EQ(edt->Text(), "147 800 000");
}

TEST_F(EditorTest, ThousandsStepMaskAndEmptyEditor) {
    edt->SetEditMask("199 999 \\0\\0\\0;_");
    edt->SetText("");
    EXPECT_EQ(edt->Text(), "100 000 000");
    edt->setCursorPosition(1);
    QTest::keyClicks(edt, "73");
    EXPECT_EQ(edt->Text(), "173 000 000");
}

TEST_F(EditorTest, PasswordDigitsShowAndCountEmptyAsZero) {
    edt->SetEditMask("9999;0");
    edt->SetText("");
    EXPECT_EQ(edt->displayText(), "0000");
    EXPECT_EQ(edt->Text(), "0000");
    edt->setCursorPosition(0);
    QTest::keyClicks(edt, "12");
    EXPECT_EQ(edt->Text(), "1200");
    edt->SetText("0707");
    EXPECT_EQ(edt->Text(), "0707");
}

TEST_F(EditorTest, KeyByteMaskWithHexFilterAndUpperCase) {
    edt->SetEditMask("NN; ");
    edt->OnKeyPress = [](QChar& ch) {
        if (ch.unicode() < 32) return;
        ch = ch.toUpper();
        if (!QStringLiteral("0123456789ABCDEF").contains(ch)) ch = QChar();
    };
    edt->SetText("");
    EXPECT_EQ(edt->Text(), "  ");
    edt->setCursorPosition(0);
    QTest::keyClicks(edt, "g");
    EXPECT_EQ(edt->Text(), "  ");
    QTest::keyClicks(edt, "a1");
    EXPECT_EQ(edt->Text(), "A1");
}

TEST_F(EditorTest, CharacterHookFiltersPlainTextAndMaxLengthHolds) {
    edt->SetMaxLength(4);
    edt->OnKeyPress = [](QChar& ch) {
        if (ch.unicode() >= 32 && !ch.isDigit()) ch = QChar();
    };
    QTest::keyClicks(edt, "1a2b345");
    EXPECT_EQ(edt->Text(), "1234");
    QTest::keyClick(edt, Qt::Key_Backspace);  // control characters pass
    EXPECT_EQ(edt->Text(), "123");
}

TEST_F(EditorTest, SetTextOnlyOnChangeAndSelectsAll) {
    edt->SetText("1450");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edt->selectedText(), "1450");
    edt->SetText("1450");
    EXPECT_EQ(changes, 1);
}

TEST_F(EditorTest, UpDownSwallowedWithoutList) {
    edt->SetText("30");
    edt->setCursorPosition(1);
    changes = 0;
    QTest::keyClick(edt, Qt::Key_Up);
    QTest::keyClick(edt, Qt::Key_Down);
    EXPECT_EQ(edt->Text(), "30");
    EXPECT_EQ(edt->cursorPosition(), 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(EditorTest, WheelWithoutListFiresPlusAndMinus) {
    int plus = 0;
    int minus = 0;
    edt->OnMouseWheelPlus = [&] { ++plus; };
    edt->OnMouseWheelMinus = [&] { ++minus; };
    Wheel(edt, 240);
    Wheel(edt, -120);
    Wheel(edt, 40);
    EXPECT_EQ(plus, 2);
    EXPECT_EQ(minus, 1);
}

TEST_F(EditorTest, WheelWithListStepsSuggestions) {
    int selected = 0;
    edt->OnSelect = [&] { ++selected; };
    edt->SetList({"30", "45", "60"});
    edt->SetText("45");
    Wheel(edt, 120);  // away: previous item
    EXPECT_EQ(edt->Text(), "30");
    Wheel(edt, 120);
    EXPECT_EQ(edt->Text(), "30");
    Wheel(edt, -240);
    EXPECT_EQ(edt->Text(), "60");
    EXPECT_EQ(selected, 3);
}

TEST_F(EditorTest, OpenListSteeredByArrowsAndTakenByEnter) {
    edt->SetList({"0", "5", "10", "15", "20"});
    edt->SetText("5");
    QTest::keyClick(edt, Qt::Key_F4);
    ASSERT_TRUE(edt->IsListOpen());
    QTest::keyClick(edt, Qt::Key_Down);
    QTest::keyClick(edt, Qt::Key_Down);
    EXPECT_EQ(edt->Text(), "5");  // only the highlight moved
    QTest::keyClick(edt, Qt::Key_Return);
    EXPECT_FALSE(edt->IsListOpen());
    EXPECT_EQ(edt->Text(), "15");
}

TEST_F(EditorTest, EscapeRestoresTextFromFocusTime) {
    int hidden = 0;
    edt->OnHideImplant = [&] { ++hidden; };
    edt->hide();  // an in-cell editor is hidden until it is opened
    edt->SetText("145 000 000");
    ASSERT_TRUE(edt->ShowImplant(10, 10, 73, 0));
    QTest::keyClicks(edt, "9");
    EXPECT_EQ(edt->Text(), "9");
    QTest::keyClick(edt, Qt::Key_Escape);
    EXPECT_EQ(edt->Text(), "145 000 000");
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(edt->isVisible());
}

TEST_F(EditorTest, OwnerSeesKeysFirst) {
    int steps = 0;
    edt->OnKeyDown = [&](int& key, Qt::KeyboardModifiers shift) {
        if (key == Qt::Key_Up && (shift & Qt::ShiftModifier)) {
            ++steps;
            key = 0;
        }
    };
    edt->SetList({"1", "2"});
    edt->DropList();
    QTest::keyClick(edt, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(edt->Text(), "");
    edt->CloseList();
}

}  // namespace
