#include "Zvc_access.h"

#include "Zvc_grid.h"
#include "Zvc_hint.h"
#include "Zvc_knob.h"
#include "Zvc_label.h"
#include "Zvc_panel.h"
#include "Zvc_popup.h"
#include "Zvc_scrollbar.h"
#include "Zvc_static.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QPointer>

#include <algorithm>
#include <cstdlib>

namespace ZVCL {

namespace {

constexpr const char* kInstalledProperty = "zvcl.accessibilityInstalled";

// A read-only text for readers that ask the Text interface of what a widget shows.
class CReadOnlyText : public QAccessibleTextInterface {
  public:
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        const QString all = Shown();
        if (end < 0 || end > all.size()) end = static_cast<int>(all.size());
        return start < 0 || start > end ? QString() : all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  protected:
    virtual QString Shown() const = 0;
};

// ---- Grid -------------------------------------------------------------------------------------

class CGridAccessible;

// A cell of the grid; rows count from the first non-fixed row, so that the header rows are the
// columns' headings and not rows of the table. Row -1 is a column's heading itself.
class CGridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    CGridCell(TZ_Grid* grid, int row, int column) : grid_(grid), row_(row), column_(column) {}

    bool isValid() const override { return grid_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(grid_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return IsCurrent(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

  private:
    int GridRow() const { return row_ + grid_->FixedRows(); }
    bool IsCurrent() const {
        return grid_ && row_ >= 0 && grid_->Col() == column_ && grid_->Row() == GridRow();
    }

    QPointer<TZ_Grid> grid_;
    int row_;
    int column_;
};

class CGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit CGridAccessible(TZ_Grid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~CGridAccessible() override {
        for (const QAccessible::Id id : std::as_const(cells_))
            QAccessible::deleteAccessibleInterface(id);
    }

    TZ_Grid* Grid() const { return static_cast<TZ_Grid*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return rowCount() * columnCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount() || columnCount() == 0) return nullptr;
        return cellAt(index / columnCount(), index % columnCount());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* cell = dynamic_cast<const CGridCell*>(child);
        if (!cell || cell->rowIndex() < 0) return -1;
        return cell->rowIndex() * columnCount() + cell->columnIndex();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = Grid()->mapFromGlobal(QPoint(x, y));
        const QPoint cell = Grid()->PointToCell(local.x(), local.y());
        if (cell.x() < 0 || cell.y() < Grid()->FixedRows()) return nullptr;
        return cellAt(cell.y() - Grid()->FixedRows(), cell.x());
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && rowCount() > 0) {
            // The current cell, for readers that only ask the table.
            QAccessibleInterface* current =
                cellAt(Grid()->Row() - Grid()->FixedRows(), Grid()->Col());
            return current ? current->text(QAccessible::Name) : QString();
        }
        return QAccessibleWidget::text(t);
    }

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
        const int key = (row + 1) * columnCount() + column;
        auto it = cells_.constFind(key);
        if (it == cells_.constEnd())
            it = cells_.insert(
                key, QAccessible::registerAccessibleInterface(new CGridCell(Grid(), row, column)));
        return QAccessible::accessibleInterface(*it);
    }
    int selectedCellCount() const override { return rowCount() > 0 ? 1 : 0; }
    QList<QAccessibleInterface*> selectedCells() const override {
        if (rowCount() == 0) return {};
        return {cellAt(Grid()->Row() - Grid()->FixedRows(), Grid()->Col())};
    }
    QString columnDescription(int column) const override {
        return Grid()->OnColumnHeading ? Grid()->OnColumnHeading(column) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return Grid()->Cols(); }
    int rowCount() const override { return Grid()->Rows() - Grid()->FixedRows(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

  private:
    mutable QHash<int, QAccessible::Id> cells_;
};

QWindow* CGridCell::window() const {
    return grid_ ? grid_->window()->windowHandle() : nullptr;
}

QString CGridCell::text(QAccessible::Text t) const {
    if (!grid_) return {};
    const QString heading = grid_->OnColumnHeading ? grid_->OnColumnHeading(column_) : QString();
    if (row_ < 0) return t == QAccessible::Name ? heading : QString();
    switch (t) {
        case QAccessible::Name:
        case QAccessible::Value:
            return grid_->OnCellText ? grid_->OnCellText(column_, GridRow()) : QString();
        case QAccessible::Description:
            return heading;
        default:
            return {};
    }
}

QRect CGridCell::rect() const {
    if (!grid_ || row_ < 0) return {};
    const QRect r = grid_->CellRect(column_, GridRow());
    return r.isEmpty() ? QRect() : QRect(grid_->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::State CGridCell::state() const {
    QAccessible::State s;
    if (!grid_) return s;
    s.focusable = row_ >= 0;
    s.selectable = row_ >= 0;
    s.selected = IsCurrent();
    s.focused = IsCurrent() && grid_->hasFocus();
    s.invisible = row_ >= 0 && grid_->CellRect(column_, GridRow()).width() <= 0;
    return s;
}

QList<QAccessibleInterface*> CGridCell::columnHeaderCells() const {
    auto* table = dynamic_cast<CGridAccessible*>(parent());
    if (!table || row_ < 0) return {};
    return {table->cellAt(-1, column_)};
}

// ---- Selectors, captions, knobs, panels, the scroll bar, the pop-up list, hints --------------

class CStaticAccessible : public QAccessibleWidget, public CReadOnlyText {
  public:
    explicit CStaticAccessible(TZStatic* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return AccessibleNameOf(*widget());
        if (t == QAccessible::Value) return Shown();
        return QAccessibleWidget::text(t);
    }

  protected:
    QString Shown() const override { return static_cast<const TZStatic*>(widget())->Text(); }
};

class CLabelAccessible : public QAccessibleWidget {
  public:
    explicit CLabelAccessible(TZLabel* w) : QAccessibleWidget(w, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        const auto* row = static_cast<const TZLabel*>(widget());
        if (t == QAccessible::Name) return CaptionName(row->LabelText());
        if (t == QAccessible::Value && row->Focusing()) {
            QAccessibleInterface* editor = QAccessible::queryAccessibleInterface(row->Focusing());
            return editor ? editor->text(QAccessible::Value) : QString();
        }
        return QAccessibleWidget::text(t);
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        auto list = QAccessibleWidget::relations(match);
        const auto* row = static_cast<const TZLabel*>(widget());
        if (row->Focusing() && (match & QAccessible::Labelled))
            if (QAccessibleInterface* editor =
                    QAccessible::queryAccessibleInterface(row->Focusing()))
                list.append({editor, QAccessible::Labelled});
        return list;
    }
};

class CKnobAccessible : public QAccessibleWidget {
  public:
    explicit CKnobAccessible(TZ_Knob* w) : QAccessibleWidget(w, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        if (!widget()->accessibleName().isEmpty()) return widget()->accessibleName();
        const auto* knob = dynamic_cast<const TZKnob*>(widget());
        if (knob && knob->DropDown()) return QStringLiteral("Открыть список");
        if (knob && knob->GlyphKind() == gk_ArrowUp) return QStringLiteral("Вверх");
        if (knob && knob->GlyphKind() == gk_ArrowDown) return QStringLiteral("Вниз");
        return QStringLiteral("Кнопка");
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            static_cast<TZ_Knob*>(widget())->Click();
        else
            QAccessibleWidget::doAction(name);
    }
};

class CScrollBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit CScrollBarAccessible(TZVScrollBar* w) : QAccessibleWidget(w, QAccessible::ScrollBar) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return QString::number(Bar()->Position());
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("Прокрутка");
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return Bar()->Position(); }
    // A reader moves the bar as a drag of the thumb would.
    void setCurrentValue(const QVariant& value) override {
        const int target = std::clamp(value.toInt(), Bar()->Min(), Bar()->Max());
        const int delta = target - Bar()->Position();
        if (delta != 0 && Bar()->OnScroll)
            Bar()->OnScroll(delta > 0 ? TScrollDirection::Down : TScrollDirection::Up,
                            TScrollChange::Position, std::abs(delta));
    }
    QVariant maximumValue() const override { return Bar()->Max(); }
    QVariant minimumValue() const override { return Bar()->Min(); }
    QVariant minimumStepSize() const override { return 1; }

  private:
    TZVScrollBar* Bar() const { return static_cast<TZVScrollBar*>(widget()); }
};

class CPopUpAccessible : public QAccessibleWidget {
  public:
    explicit CPopUpAccessible(TZPopUpList* w) : QAccessibleWidget(w, QAccessible::List) {}
    QString text(QAccessible::Text t) const override {
        const auto* list = static_cast<const TZPopUpList*>(widget());
        if (t == QAccessible::Value)
            return list->Highlighted() >= 0 && list->Highlighted() < list->Items().size()
                       ? list->Items()[list->Highlighted()]
                       : QString();
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("Список");
        return QAccessibleWidget::text(t);
    }
};

class CPanelAccessible : public QAccessibleWidget {
  public:
    explicit CPanelAccessible(TZPanel* w)
        : QAccessibleWidget(
              w, w->accessibleName().isEmpty() ? QAccessible::Pane : QAccessible::Grouping) {}
};

class CHintAccessible : public QAccessibleWidget {
  public:
    explicit CHintAccessible(TZHintWindow* w) : QAccessibleWidget(w, QAccessible::ToolTip) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return static_cast<const TZHintWindow*>(widget())->HintText();
        return QAccessibleWidget::text(t);
    }
};

// The kit's widgets carry no meta-object of their own, so the factory is asked with the name of
// the Qt class below them and tells them apart by their C++ type.
QAccessibleInterface* KitFactory(const QString& /*key*/, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w) return nullptr;
    if (auto* grid = dynamic_cast<TZ_Grid*>(w)) return new CGridAccessible(grid);
    if (auto* stc = dynamic_cast<TZStatic*>(w)) return new CStaticAccessible(stc);
    if (auto* row = dynamic_cast<TZLabel*>(w)) return new CLabelAccessible(row);
    if (auto* knob = dynamic_cast<TZ_Knob*>(w)) return new CKnobAccessible(knob);
    if (auto* bar = dynamic_cast<TZVScrollBar*>(w)) return new CScrollBarAccessible(bar);
    if (auto* list = dynamic_cast<TZPopUpList*>(w)) return new CPopUpAccessible(list);
    if (auto* panel = dynamic_cast<TZPanel*>(w)) return new CPanelAccessible(panel);
    if (auto* hint = dynamic_cast<TZHintWindow*>(w)) return new CHintAccessible(hint);
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    if (!qApp || qApp->property(kInstalledProperty).toBool()) return;
    qApp->setProperty(kInstalledProperty, true);
    QAccessible::installFactory(&KitFactory);
}

QString AccessibleNameOf(const QWidget& widget) {
    if (!widget.accessibleName().isEmpty()) return widget.accessibleName();
    for (const QWidget* p = widget.parentWidget(); p; p = p->parentWidget()) {
        if (const auto* row = dynamic_cast<const TZLabel*>(p)) return CaptionName(row->LabelText());
        // An in-cell editor takes its column's heading.
        if (const auto* grid = dynamic_cast<const TZ_Grid*>(p))
            return grid->OnColumnHeading ? grid->OnColumnHeading(grid->Col()) : QString();
    }
    return {};
}

}  // namespace ZVCL
