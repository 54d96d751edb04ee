// A radio view as the program gets it (from the module object, over the attached parameter set),
// shown in an active window, with the set's notifications counted; and the ways a user reaches
// its pages, its channel table and its editors.
#pragma once

#include "F_radioview.h"

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "U_ware.h"
#include "Zvc_editor.h"
#include "Zvc_grid.h"
#include "Zvc_label.h"
#include "Zvc_static.h"

template <class WareT, class ViewT, class DataT, void (*Install)(CRadioWare&)>
class RadioViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ware_ = CWareSingleton<WareT>::Get();
        Install(*ware_);
        ASSERT_TRUE(ware_->AttachData(ware_->GetRadio(0), &RadioViewTest::Count, this));
        window_ = std::make_unique<QWidget>();
        view_ = dynamic_cast<ViewT*>(ware_->GetView());
        ASSERT_NE(view_, nullptr);
        auto* layout = new QVBoxLayout(window_.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_);
        window_->resize(900, 640);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        grid = &view_->CanalGrid().Grid();
        stc = &view_->CanalGrid().ListEditor();
        edt = &view_->CanalGrid().FrequencyEditor();
        notifications_ = 0;
    }

    void TearDown() override {
        // The program takes the view out of its panel before the module frees it.
        if (view_) view_->setParent(nullptr);
        ware_->FreeView();
        window_.reset();
        CWareSingleton<WareT>::Release();
    }

    DataT& Data() const { return *dynamic_cast<DataT*>(ware_->AttachedData()); }
    ViewT& View() const { return *view_; }
    CRadioWare& Ware() const { return *ware_; }

    // Values set up by a test count as saved, so that what follows starts unmodified.
    void Settle() {
        Data().MarkSaved();
        notifications_ = 0;
    }
    bool Modified() const { return Data().IsModified(); }
    int Notifications() const { return notifications_; }
    bool EditorOpen() const { return view_->Flags().editing; }

    template <class T>
    T* Find(const char* name) const {
        T* w = view_->template findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void ShowPage(const char* name) {
        view_->Pages().setCurrentWidget(Find<QWidget>(name));
        QApplication::processEvents();
    }

    // The channel table, by channel number.
    static int Row(int canal) { return views::TCanalGrid::RowOfCanal(canal); }
    void Click(int col, int canal) {
        const QRect cell = grid->CellRect(col, Row(canal));
        ASSERT_FALSE(cell.isEmpty());
        QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, cell.center());
    }
    void Key(int col, int canal, int key) {
        grid->setFocus();
        grid->SetCol(col);
        grid->SetRow(Row(canal));
        QTest::keyClick(grid, static_cast<Qt::Key>(key));
    }

    // Opens the frequency editor of a cell by a click and types over its whole text.
    void TypeInCell(int col, int canal, const char* text) {
        Click(col, canal);
        ASSERT_TRUE(edt->isVisible()) << col << " " << canal;
        edt->selectAll();
        QTest::keyClicks(edt, QString::fromUtf8(text));
    }

    // Rows by name with the caption they write and the width it takes.
    struct SRowCaption {
        const char* row;
        const char* label;
        int width;
    };
    void ExpectCaptions(std::initializer_list<SRowCaption> rows) const {
        for (const SRowCaption& c : rows) {
            auto* row = Find<ZVCL::TZLabel>(c.row);
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->LabelText(), QString::fromUtf8(c.label)) << c.row;
            EXPECT_EQ(row->LabelWidth(), c.width) << c.row;
        }
    }

    // A further view of the module's radio in each layout: its channel table's column widths
    // (normal, then compact) and the header texts it shows, which `headers` checks.
    template <class Check>
    static void ExpectBothLayouts(std::initializer_list<int> normal,
                                  std::initializer_list<int> compact, Check headers) {
        for (const views::TLayout layout : {views::TLayout::Normal, views::TLayout::Compact}) {
            ViewT view(*CWareSingleton<WareT>::Get(), layout);
            const bool small = layout == views::TLayout::Compact;
            int c = 0;
            for (const int width : small ? compact : normal)
                EXPECT_EQ(view.CanalGrid().Grid().GetColWidths(c++), width) << c - 1;
            QStringList texts;
            for (const views::SHeaderBlock& block : view.CanalGrid().Model().header)
                texts << block.text;
            headers(texts, small);
        }
    }

    // The hint the channel table gives over a cell.
    QString Hint(int col, int row) const {
        QString text;
        grid->OnHintCell(col, row, text);
        return text;
    }

    // Replaces the whole text as a user would after selecting it.
    static void Retype(ZVCL::TZEditor* e, const char* text) {
        e->setFocus(Qt::TabFocusReason);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, QString::fromUtf8(text));
    }

    static void Wheel(QWidget* w, int delta) {
        const QPoint local = w->rect().center();
        QWheelEvent event(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
    }

    ZVCL::TZ_Grid* grid = nullptr;
    ZVCL::TZStatic* stc = nullptr;
    ZVCL::TZEditor* edt = nullptr;

  private:
    static void Count(void* context, IRadioData*) {
        ++static_cast<RadioViewTest*>(context)->notifications_;
    }

    WareT* ware_ = nullptr;
    std::unique_ptr<QWidget> window_;
    ViewT* view_ = nullptr;
    int notifications_ = 0;
};
