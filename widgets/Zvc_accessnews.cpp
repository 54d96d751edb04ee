#include "Zvc_accessnews.h"

#include <QAccessible>
#include <QWidget>

namespace ZVCL {

void NotifyCurrentCell(QWidget& table, int row, int column, TCellNews news) {
    // Asked also without an active reader, so that the table's events can be watched by a handler
    // of the process's own (the interfaces are made once and kept).
    if (!table.hasFocus()) return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&table);
    QAccessibleTableInterface* cells = iface ? iface->tableInterface() : nullptr;
    if (!cells) return;
    QAccessibleInterface* cell = cells->cellAt(row, column);
    if (!cell) return;
    QAccessibleEvent event(
        &table, news == TCellNews::Focused ? QAccessible::Focus : QAccessible::NameChanged);
    event.setChild(iface->indexOfChild(cell));
    QAccessible::updateAccessibility(&event);
}

void NotifyValueChanged(QWidget& widget) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&widget);
    if (!iface) return;
    QAccessibleValueChangeEvent event(&widget, iface->text(QAccessible::Value));
    QAccessible::updateAccessibility(&event);
}

QString CaptionName(const QString& caption) {
    QString name = caption.trimmed();
    if (name.endsWith(QLatin1Char(':'))) name.chop(1);
    return name;
}

}  // namespace ZVCL
