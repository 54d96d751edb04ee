// Knob repeat, hint window sizing, caption rows and panels.
#include "kit_fixture.h"

#include "Zvc_editor.h"
#include "Zvc_hint.h"
#include "Zvc_knob.h"
#include "Zvc_label.h"
#include "Zvc_panel.h"

#include <QElapsedTimer>
#include <QFontMetrics>

using namespace ZVCL;

namespace {

class KnobTest : public KitFixture {
  protected:
    void SetUp() override {
        KitFixture::SetUp();
        knob = new TZKnob(Window());
        knob->setGeometry(10, 10, 16, 16);
        knob->show();
        knob->OnMousePress = [this](TZ_Knob&) { ++presses; };
    }
    void MoveHeld(const QPoint& pos) {
        QMouseEvent move(QEvent::MouseMove, QPointF(pos), knob->mapToGlobal(QPointF(pos)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(knob, &move);
    }
    TZKnob* knob = nullptr;
    int presses = 0;
};

TEST_F(KnobTest, DefaultsOfAKnob) {
    EXPECT_EQ(knob->BkGrdColor(), QColor(255, 250, 240));
    EXPECT_EQ(knob->Color(), QColor(215, 210, 200));
    EXPECT_FALSE(knob->DropDown());
    EXPECT_EQ(knob->GlyphKind(), gk_None);
    EXPECT_EQ(knob->RepeatDelay(), 400);
    EXPECT_EQ(knob->RepeatInterval(), 60);
}

TEST_F(KnobTest, PressActsOnceThenRepeatsAfterDelayPausesOutsideStopsOnRelease) {
    QElapsedTimer clock;
    clock.start();
    QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(presses, 1);
    QTest::qWait(250);
    if (clock.elapsed() < 390) {
        EXPECT_EQ(presses, 1);  // no repeat before 400 ms
    }
    QTRY_VERIFY_WITH_TIMEOUT(presses >= 4, 2000);  // 400 ms, then every 60 ms
    EXPECT_GE(clock.elapsed(), 400 + 2 * 60);

    MoveHeld(QPoint(40, 40));
    QTest::qWait(70);
    const int paused = presses;
    QTest::qWait(200);
    EXPECT_EQ(presses, paused);
    MoveHeld(QPoint(5, 5));
    QTRY_VERIFY_WITH_TIMEOUT(presses > paused, 1000);

    QTest::mouseRelease(knob, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    const int released = presses;
    QTest::qWait(150);
    EXPECT_EQ(presses, released);
    EXPECT_FALSE(knob->IsPressed());
}

TEST_F(KnobTest, HandlerMayEndThePress) {
    knob->OnMousePress = [this](TZ_Knob& k) {
        ++presses;
        k.EndPress();
    };
    knob->SetRepeatTiming(20, 10);
    QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::qWait(100);
    EXPECT_EQ(presses, 1);
    QTest::mouseRelease(knob, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

TEST_F(KnobTest, PressFocusesFocusingControl) {
    auto* edt = new TZEditor(Window());
    edt->setGeometry(40, 10, 80, 20);
    edt->show();
    knob->SetFocusing(edt);
    QTest::mouseClick(knob, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(edt->hasFocus());
    EXPECT_EQ(presses, 1);
}

int BlockHeight(const QFont& font, const QString& text, int width) {
    return QFontMetrics(font)
        .boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text)
        .height();
}

TEST(HintWindowTest, OneLineTextGetsItsWidthPlusPadding) {
    TZHintWindow hint;
    const QString text = QStringLiteral("Выбор шага сетки частот");
    const QFontMetrics fm(hint.font());
    const QSize size = hint.CalcHintSize(text, 900);
    EXPECT_EQ(size.height(), fm.height() + 10);
    EXPECT_EQ(size.width(),
              fm.boundingRect(QRect(0, 0, 900, 1000), Qt::TextWordWrap, text).width() + 10);
}

TEST(HintWindowTest, SeveralLinesAreNarrowedToEvenLines) {
    TZHintWindow hint;
    const QString text = QStringLiteral(
        "Порог срабатывания шумоподавителя, устанавливается в зависимости от помеховой "
        "обстановки (выбирается из 8 предложенных уровней: 0 - минимальный уровень, 7 - "
        "максимальный уровень)");
    const int limit = 400;
    const QSize size = hint.CalcHintSize(text, limit);
    const int width = size.width() - 10;
    const int height = size.height() - 10;
    EXPECT_LE(width, limit);
    EXPECT_EQ(height, BlockHeight(hint.font(), text, limit));      // no taller than at the limit
    EXPECT_GT(BlockHeight(hint.font(), text, width - 1), height);  // one pixel less: taller
    EXPECT_LT(width, limit - 20);  // the lines really were evened out
}

TEST(HintWindowTest, LinesLimitedToThreeQuartersOfScreen) {
    TZHintWindow hint;
    const QString longLine = QString(QStringLiteral("слово ")).repeated(200);
    const QSize size = hint.CalcHintSize(longLine, QPoint(10, 10));
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_LE(size.width() - 10, screenWidth * 3 / 4);
    EXPECT_GT(size.height() - 10, QFontMetrics(hint.font()).height());
}

// A note asked for near the right or bottom edge, or just past it (below a control at the
// bottom of the screen), is moved so that all of it stays on the screen.
TEST(HintWindowTest, NoteStaysOnTheScreen) {
    TZHintWindow hint;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QString text = QStringLiteral(
        "Приемный тон CTCSS или код DCS\n(выбираются из предложенных; в правом столбце "
        "выбирается система \"открытия\" шумоподавителя CTCSS или DCS, в левом столбце "
        "конкретное значение тона CTCSS или кода DCS)");
    for (const QPoint at :
         {screen.topRight() + QPoint(-5, 40), screen.bottomRight(),
          screen.bottomLeft() + QPoint(10, 20), screen.topRight() + QPoint(30, 5)}) {
        hint.ActivateHint(at, text);
        EXPECT_TRUE(screen.contains(hint.geometry())) << at.x() << "," << at.y();
        hint.ReleaseHint();
    }
}

TEST_F(KnobTest, CaptionRowPlacesEditorAndPassesFocus) {
    auto* row = new TZLabel(Window());
    row->setGeometry(0, 100, 300, 23);
    row->SetLabelText(" Порог срабатывания шумоподавителя:");
    row->SetLabelWidth(200);
    auto* edt = new TZEditor;
    auto* rowKnob = new TZKnob;
    row->SetEditor(edt, rowKnob);
    row->show();
    EXPECT_EQ(edt->geometry(), QRect(203, 3, 94 - 17, 17));
    EXPECT_EQ(rowKnob->geometry(), QRect(203 + 77, 3, 17, 17));
    EXPECT_EQ(row->Focusing(), edt);
    EXPECT_FALSE(row->FocusInside());
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_TRUE(edt->hasFocus());
    EXPECT_TRUE(row->FocusInside());
    edt->setEnabled(false);
    Window()->setFocus();
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_FALSE(edt->hasFocus());  // a disabled editor cannot take it
}

TEST(PanelTest, MarginsFollowBoundsAndShifts) {
    TZPanel panel;
    EXPECT_EQ(panel.Color(), QColor(215, 210, 200));
    EXPECT_EQ(panel.BorderType(), bt_Flat);
    EXPECT_EQ(panel.BorderColor(), QColor(135, 130, 120));
    EXPECT_EQ(panel.contentsMargins(), QMargins(1, 1, 1, 1));
    panel.SetBoundSize(5);
    panel.SetBounds(true, false, true, false);
    panel.SetShifts(2, 0, -5, 3);
    EXPECT_EQ(panel.BoundMargins(), QMargins(5, 0, 5, 0));
    panel.resize(100, 50);
    EXPECT_EQ(panel.ChildArea(), QRect(7, 0, 100 - 7, 47));
}

}  // namespace

namespace {

TEST_F(KnobTest, ApplicationHintsShowToolTipsInKitWindow) {
    ZVCL::TZApplicationHints hints(Window(), 30, 300);
    auto* row = new TZLabel(Window());
    row->setGeometry(0, 150, 300, 23);
    row->SetHint("Выбор мощности передатчика");
    row->show();
    auto* bare = new QWidget(Window());
    bare->setGeometry(0, 200, 300, 23);
    bare->show();
    QTest::mouseMove(row, QPoint(40, 10));
    QTRY_VERIFY_WITH_TIMEOUT(hints.Window().IsShown(), 1000);
    EXPECT_EQ(hints.Window().HintText(), "Выбор мощности передатчика");
    EXPECT_EQ(hints.Window().pos(), row->mapToGlobal(QPoint(40, 10 + 25)));
    QTest::keyClick(Window(), Qt::Key_A);
    EXPECT_FALSE(hints.Window().IsShown());
    QTest::mouseMove(bare, QPoint(40, 10));  // no tool tip: nothing to show
    QTest::qWait(100);
    EXPECT_FALSE(hints.Window().IsShown());
    row->SetShowHint(false);
    QTest::mouseMove(row, QPoint(50, 10));
    QTest::qWait(100);
    EXPECT_FALSE(hints.Window().IsShown());
}

}  // namespace
