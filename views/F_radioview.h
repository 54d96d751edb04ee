// What every radio view is built of: the page control over the parameter set the module object
// has attached last, the channel table page, the scanning page's channel selection, the key
// page, the row widths of both layouts, and the wrapper through which the module object hands
// the view out.
#pragma once

#include "F_canaledit.h"
#include "F_canalgrid.h"
#include "F_commonrows.h"
#include "F_editorrows.h"
#include "F_keypage.h"
#include "F_pageset.h"
#include "F_rowfills.h"
#include "F_scangrid.h"
#include "F_viewflags.h"

#include <QPointer>
#include <QString>
#include <QTabWidget>
#include <QWidget>

#include <memory>

#include "U_ware.h"
#include "Zvc_panel.h"

namespace views {

// Whether a page hands the focus to its inner panel once it is filled.
enum class TPageFocus { Unchanged, InnerPanel };

class TRadioView : public QWidget {
  public:
    TRadioView(CRadioWare& ware, TLayout layout, const QString& name, QWidget* parent = nullptr);
    ~TRadioView() override;

    // Fills the page shown now from the attached parameter set.
    void UpdateView();
    TLayout Layout() const { return layout_; }
    const SViewFlags& Flags() const { return flags_; }
    QTabWidget& Pages() const { return *pgc_Data_; }
    TCanalGrid& CanalGrid() const { return *canals_; }
    TScanGrid& ScanGrid() const { return *scan_; }
    // Whole-channel editing of the channel table; null for a view that offers none.
    TCanalEditing* CanalEditing() const { return canalEditing_.get(); }

  protected:
    // The inner panels of the pages, built before any page is added, since adding the first
    // one shows (fills) it. A view without a key page leaves key empty.
    struct SPagePanels {
        QWidget* canals;
        QWidget* basics;
        QWidget* scanning;
        QWidget* sames;
        QWidget* key = nullptr;
    };
    void AddPages(const SPagePanels& panels, TPageFocus focus = TPageFocus::Unchanged);
    // A page fills its bound rows; the scanning page its channel selection first.
    virtual void FillBasics();
    virtual void FillScanning();
    virtual void FillSames();

    // The pages' widgets call back into the view's own editors and helpers, so a view that
    // keeps such things deletes the pages first thing in its destructor.
    void DeletePages();

    CRadioData* AttachedData() const { return ware_.AttachedData(); }
    template <class Data>
    Data* DataAs() const {
        return dynamic_cast<Data*>(AttachedData());
    }
    // Rows over the attached set as Data, filled with the page of fills.
    template <class Data>
    TDataRows<Data> RowsOf(TPageBuilder& b, TRowFills& fills) const {
        return {b, [this] { return DataAs<Data>(); }, fills};
    }
    bool Compact() const { return layout_ == TLayout::Compact; }
    int RowWidth() const;
    int GroupRowWidth() const;
    // The channel table column widths of this layout, from a normal and a compact row.
    template <std::size_t N>
    int CanalWidth(const int (&widths)[2][N], std::size_t col) const {
        return widths[Compact() ? 1 : 0][col];
    }
    // A channel table of N columns sized for this layout; enabled tells a channel in use.
    template <std::size_t N>
    SCanalGridModel CanalModel(const int (&widths)[2][N],
                               std::function<bool(int canal)> enabled) const {
        SCanalGridModel model;
        model.enabled = std::move(enabled);
        model.columns.resize(N);
        for (std::size_t col = 0; col < N; ++col)
            model.columns[col].width = CanalWidth(widths, col);
        return model;
    }

    // The channel table page: the grid and its scroll bar side by side on a panel that the
    // page makes as tall as itself.
    QWidget* BuildCanalPanel(SCanalGridModel model);
    // Copy, paste, insert, delete, move, clear and fill over the model's channels, once the
    // channel table page is built.
    void EnableCanalEditing(std::unique_ptr<ICanalAccess> access);

    // The top of the scanning page: its caption, the 10 by 10 channel selection under it and
    // the two buttons that mark and unmark every channel; the builder it returns lays the
    // page's rows out below them. The model's hasData and changed are the view's: a change
    // refills the whole page.
    TPageBuilder BuildScanPage(SScanGridModel model);

    // A plain page panel with no border, named name.
    static ZVCL::TZPanel* NewPagePanel(const char* name);
    // A page of rows: a new page panel named name and the builder that lays rows out on it as
    // wide as this layout's rows.
    TPageBuilder NewRowsPage(const char* name);
    // The same laid out at fixed places, one list of tops for each layout.
    template <std::size_t N>
    TPageBuilder NewRowsPage(const char* name, const int (&places)[2][N]) {
        TPageBuilder b = NewRowsPage(name);
        b.SetPlaces(places[Compact() ? 1 : 0]);
        return b;
    }

    // The key page over a parameter set that keeps the scrambler key and its modifier.
    template <class Data>
    QWidget* BuildKeyPanel() {
        SKeyAccess access;
        access.hasData = [this] { return DataAs<Data>() != nullptr; };
        access.get = [this](int group) { return DataAs<Data>()->Key(group); };
        access.set = [this](int group, std::uint8_t value) {
            DataAs<Data>()->SetKey(group, value);
        };
        access.modifikator = [this] { return DataAs<Data>()->Modifikator(); };
        access.setModifikator = [this](bool on) { DataAs<Data>()->SetModifikator(on); };
        return BuildKeyPanel(std::move(access));
    }
    QWidget* BuildKeyPanel(SKeyAccess access);

    SViewFlags flags_;
    std::unique_ptr<TCanalGrid> canals_;
    std::unique_ptr<TScanGrid> scan_;
    std::unique_ptr<TKeyPage> key_;
    std::unique_ptr<TCanalEditing> canalEditing_;
    // The bound rows of the three settings pages.
    TRowFills basics_;
    TRowFills scanning_;
    TRowFills sames_;

  private:
    CRadioWare& ware_;
    TLayout layout_;
    QPointer<QTabWidget> pgc_Data_;
    std::unique_ptr<TPageSet> pages_;
};

// The view as the module object hands it out: created on the first GetView, destroyed by
// FreeView.
template <class View>
class TRadioViewHost final : public CRadioView {
  public:
    explicit TRadioViewHost(CRadioWare& ware) : view_(new View(ware, ScreenLayout())) {}
    // The program takes the widget out of its panel before the module frees the view; should
    // a parent have deleted it anyway, the guard knows.
    ~TRadioViewHost() override { delete view_.data(); }
    QWidget* Widget() override { return view_; }
    void Refresh() override {
        if (view_) view_->UpdateView();
    }

  private:
    QPointer<View> view_;
};

template <class View>
std::unique_ptr<CRadioView> CreateHostedView(CRadioWare& ware) {
    return std::make_unique<TRadioViewHost<View>>(ware);
}

}  // namespace views
