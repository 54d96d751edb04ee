// What a screen reader learns of every model's view: the channel table as a table whose cells
// read their column's heading and value, a focus event that follows the current cell, and every
// row of the single-parameter pages named by its caption with the value its editor shows, the
// same caption and value the model's description gives for print and comparison.
#include <QAccessible>
#include <QTabWidget>

#include <map>
#include <set>

#include "F_birchcedarview.h"
#include "F_larchview.h"
#include "U_birchware.h"
#include "U_cedarware.h"
#include "U_larchware.h"
#include "Zvc_access.h"
#include "Zvc_label.h"
#include "view_fixture.h"

namespace {

template <class WareT, class ViewT, class DataT, void (*Install)(CRadioWare&)>
struct TModel {
    using Fixture = RadioViewTest<WareT, ViewT, DataT, Install>;
};

using Models =
    ::testing::Types<TModel<CAlderWare, TAlderView, CAlderData, &InstallAlderView>,
                     TModel<CBirchWare, TBirchCedarView, CBirchCedarData, &InstallBirchCedarView>,
                     TModel<CCedarWare, TBirchCedarView, CBirchCedarData, &InstallBirchCedarView>,
                     TModel<CLarchWare, TLarchView, CLarchData, &InstallLarchView>>;

// What the page shows and the description does not, or shows otherwise, one line each.
std::string Differences(const std::map<std::string, std::string>& page,
                        const std::map<std::string, std::string>& described) {
    std::string out;
    for (const auto& [caption, value] : page) {
        const auto it = described.find(caption);
        if (it == described.end())
            out += "only on the page: " + caption + "\n";
        else if (it->second != value)
            out += caption + ": page " + value + ", description " + it->second + "\n";
    }
    for (const auto& [caption, value] : described)
        if (!page.contains(caption)) out += "only described: " + caption + "\n";
    return out;
}

template <class M>
class ViewAccess : public M::Fixture {
  protected:
    void SetUp() override {
        M::Fixture::SetUp();
        // Channel 00 in use and scanned, so that every row of every page is shown.
        CRadioData& data = this->Data();
        SCanalCommon common = data.Canal(0)->Common();
        common.enabled = true;
        common.scanning = true;
        common.rxFrequency = common.txFrequency = data.Radio()->MinFrequency();
        data.Canal(0)->PutCommon(common);
        this->View().UpdateView();
    }

    static QAccessibleInterface* Of(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

    // The rows of the shown page as (caption, value), each inner page of it in turn.
    std::map<std::string, std::string> RowsOf(const char* page) {
        this->ShowPage(page);
        QWidget* panel = this->template Find<QWidget>(page);
        std::map<std::string, std::string> rows;
        const auto take = [&] {
            for (QWidget* widget : panel->findChildren<QWidget*>()) {
                // The kit's widgets have no meta-object of their own: told apart by type.
                auto* row = dynamic_cast<ZVCL::TZLabel*>(widget);
                if (!row || !row->isVisible() || row->objectName().endsWith("_caption") ||
                    row->objectName() == "txt_ScanCanals")
                    continue;
                const QString caption =
                    ZVCL::CaptionName(row->LabelText()).replace("16-ричный", "шестнадцатеричный");
                if (QWidget* editor = row->Focusing()) {
                    QAccessibleInterface* iface = Of(editor);
                    EXPECT_EQ(iface->text(QAccessible::Name), caption);
                    EXPECT_TRUE(iface->role() == QAccessible::ComboBox ||
                                iface->role() == QAccessible::EditableText)
                        << caption.toStdString();
                    EXPECT_EQ(Of(row)->text(QAccessible::Name), caption);
                    // A masked editor reads as Qt's line editor gives it, where a digit
                    // position left empty (the password's "0") is no character; the page
                    // shows every position.
                    auto* masked = dynamic_cast<ZVCL::TZEditor*>(editor);
                    rows[caption.toStdString()] =
                        (masked && !masked->EditMask().isEmpty() ? masked->Text()
                                                                 : iface->text(QAccessible::Value))
                            .toStdString();
                } else {  // the key: sixteen fields of two digits, named by their group
                    QStringList groups;
                    for (auto* field : row->findChildren<QLineEdit*>()) {
                        EXPECT_TRUE(Of(field)->text(QAccessible::Name).startsWith("Ключ, группа"));
                        groups << field->text();
                    }
                    rows[caption.toStdString()] = groups.join(' ').toStdString();
                }
            }
        };
        const auto inner = panel->findChildren<QTabWidget*>();
        if (inner.isEmpty()) take();
        for (QTabWidget* tabs : inner)
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                take();
            }
        return rows;
    }
};
TYPED_TEST_SUITE(ViewAccess, Models);

TYPED_TEST(ViewAccess, TheChannelTableIsATableWhoseCellsReadHeadingAndValue) {
    QAccessibleInterface* table = this->Of(this->grid);
    ASSERT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), "Параметры каналов");
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 100);
    EXPECT_EQ(cells->columnCount(), this->grid->Cols());

    const std::vector<SShownValue> shown = this->Data().ShownCanal(0);
    const std::map<int, std::pair<QString, std::string>> expected = {
        {1, {"Вкл", "Да"}},
        {3, {"Частота, Гц ПРМ", shown[shown[0].caption == "Шаг, кГц" ? 1 : 0].value}},
        {4, {"Частота, Гц =", "Да"}}};
    for (const auto& [col, want] : expected) {
        QAccessibleInterface* cell = cells->cellAt(0, col);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), want.second) << col;
        EXPECT_EQ(cell->text(QAccessible::Description).simplified(), want.first) << col;
        const auto headers = cell->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1);
        EXPECT_EQ(headers[0]->text(QAccessible::Name).simplified(), want.first);
        EXPECT_EQ(table->indexOfChild(cell), col);
    }
    EXPECT_EQ(cells->cellAt(1, 1)->text(QAccessible::Name), "Нет");  // channel 01 not in use
}

// The reader's focus is the current cell (the events that carry it to a reader are checked
// through AT-SPI: Qt sends none on the offscreen platform).
TYPED_TEST(ViewAccess, TheCurrentCellIsTheFocusedAndSelectedOne) {
    this->grid->setFocus();
    this->grid->SetCol(5);
    this->grid->SetRow(views::TCanalGrid::RowOfCanal(2));
    QAccessibleInterface* table = this->Of(this->grid);
    const int cols = this->grid->Cols();
    QAccessibleInterface* cell = table->child(2 * cols + 5);
    EXPECT_TRUE(cell->state().focused);
    EXPECT_FALSE(table->child(2 * cols + 4)->state().focused);
    ASSERT_EQ(table->tableInterface()->selectedCells().size(), 1);
    EXPECT_EQ(table->tableInterface()->selectedCells()[0], cell);
    EXPECT_EQ(table->text(QAccessible::Value), cell->text(QAccessible::Name));
}

// Every row a page shows is in the model's description with the same caption and value, and
// the description has nothing the pages do not show.
TYPED_TEST(ViewAccess, EveryRowIsNamedByItsCaptionAndAgreesWithTheDescription) {
    std::map<std::string, std::map<std::string, std::string>> described;
    for (const SShownValue& v : this->Data().ShownSettings())
        described[v.page][v.caption] = v.value;
    const std::vector<std::pair<const char*, std::string>> pages = {
        {"tbs_Basics", "Основные параметры"},
        {"tbs_Scanning", "Параметры сканирования"},
        {"tbs_Sames", "Дополнительные параметры"},
        {"tbs_Key", "Ключ"}};
    for (const auto& [page, name] : pages) {
        if (!this->View().template findChild<QWidget*>(page)) {
            EXPECT_FALSE(described.contains(name));
            continue;
        }
        EXPECT_EQ(Differences(this->RowsOf(page), described[name]), "") << name;
    }
}

// A page's panel is sized to its rows, so that the scroll area neither cuts the last row off
// nor scrolls past it (a row keeps a one-pixel gap under it).
TYPED_TEST(ViewAccess, EveryPagePanelEndsWithItsRows) {
    for (const char* name : {"pnl_Basics", "pnl_Scanning", "pnl_Sames", "pnl_Key"}) {
        const QWidget* panel = this->View().template findChild<QWidget*>(name);
        if (!panel) continue;
        const QRect rows = panel->childrenRect();
        EXPECT_EQ(rows.right() + 1, panel->width()) << name;
        EXPECT_NEAR(rows.bottom() + 1, panel->height(), 1) << name;
    }
}

}  // namespace
