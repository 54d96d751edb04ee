// The kit's widgets as a screen reader sees them: role, name and value of each, the caption row
// naming its editor, and the scroll bar as a value a reader can set.
#include <QAccessible>
#include <QAccessibleValueInterface>

#include "Zvc_access.h"
#include "Zvc_editor.h"
#include "Zvc_hint.h"
#include "Zvc_knob.h"
#include "Zvc_label.h"
#include "Zvc_panel.h"
#include "Zvc_scrollbar.h"
#include "Zvc_static.h"
#include "kit_fixture.h"

using namespace ZVCL;

namespace {

class KitAccess : public KitFixture {};

QAccessibleInterface* Of(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}

TEST_F(KitAccess, EveryWidgetHasARoleANameAndAValue) {
    auto* row = new TZLabel(Window());
    row->SetLabelText(QStringLiteral(" Мощность передатчика:"));
    row->SetHint(QStringLiteral("Выбор мощности передатчика"));
    auto* stc = new TZStatic;
    stc->SetList({QStringLiteral("Номинальная"), QStringLiteral("Повышенная")});
    stc->SetText(QStringLiteral("Повышенная"));
    auto* knob = new TZKnob;
    knob->SetDropDown(true);
    row->SetEditor(stc, knob);

    auto* editRow = new TZLabel(Window());
    auto* edt = new TZEditor;
    editRow->SetEditor(edt);
    editRow->SetLabelText(QStringLiteral(" Частота вызывного тона, Гц:"));
    edt->SetText(QStringLiteral("1450"));

    auto* bar = new TZVScrollBar(Window());
    bar->SetScroll(0, 90, 12);
    auto* panel = new TZPanel(Window());
    panel->setAccessibleName(QStringLiteral("Передатчик"));
    TZHintWindow hint;
    hint.ActivateHint(QPoint(10, 10), QStringLiteral("Подсказка"));

    struct SCase {
        QObject* widget;
        QAccessible::Role role;
        QString name;
        QString value;
    };
    const std::vector<SCase> cases = {
        {stc, QAccessible::ComboBox, "Мощность передатчика", "Повышенная"},
        {row, QAccessible::StaticText, "Мощность передатчика", "Повышенная"},
        {edt, QAccessible::EditableText, "Частота вызывного тона, Гц", "1450"},
        {knob, QAccessible::Button, "Открыть список", ""},
        {bar, QAccessible::ScrollBar, "Прокрутка", "12"},
        {panel, QAccessible::Grouping, "Передатчик", ""},
        {&hint, QAccessible::ToolTip, "Подсказка", "Подсказка"},
    };
    for (const SCase& c : cases) {
        QAccessibleInterface* iface = Of(c.widget);
        ASSERT_NE(iface, nullptr) << c.name.toStdString();
        EXPECT_EQ(iface->role(), c.role) << c.name.toStdString();
        EXPECT_EQ(iface->text(QAccessible::Name), c.name);
        EXPECT_EQ(iface->text(QAccessible::Value), c.value) << c.name.toStdString();
    }
    EXPECT_EQ(Of(stc)->text(QAccessible::Description), "Выбор мощности передатчика");
    EXPECT_EQ(Of(stc)->textInterface()->text(0, -1), "Повышенная");
    EXPECT_EQ(Of(knob)->text(QAccessible::Description), "Мощность передатчика");
    const auto labelled = Of(row)->relations(QAccessible::Labelled);
    ASSERT_EQ(labelled.size(), 1);
    EXPECT_EQ(labelled[0].first->object(), stc);
}

// A reader sets the scroll bar as a drag of the thumb would, within its range.
TEST_F(KitAccess, AReaderMovesTheScrollBarLikeItsThumb) {
    TZVScrollBar bar(Window());
    bar.SetScroll(0, 90, 12);
    std::vector<std::pair<TScrollDirection, int>> moves;
    bar.OnScroll = [&moves](TScrollDirection d, TScrollChange change, int amount) {
        EXPECT_EQ(change, TScrollChange::Position);
        moves.emplace_back(d, amount);
    };
    QAccessibleValueInterface* value = Of(&bar)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->maximumValue().toInt(), 90);
    value->setCurrentValue(20);
    value->setCurrentValue(500);
    value->setCurrentValue(12);
    const std::vector<std::pair<TScrollDirection, int>> expected = {{TScrollDirection::Down, 8},
                                                                    {TScrollDirection::Down, 78}};
    EXPECT_EQ(moves, expected);
}

}  // namespace
