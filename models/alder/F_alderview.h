// The Alder editing view: the channel table, the basic, scanning and additional parameters and
// the scrambler key, as five pages over the parameter set the module has attached last.
#pragma once

#include "F_canalgrid.h"
#include "F_keypage.h"
#include "F_pageset.h"
#include "F_scangrid.h"
#include "F_viewflags.h"

#include <QWidget>

#include <memory>

class CRadioWare;
class CRadioView;
class CAlderData;
class QTabWidget;

namespace ZVCL {
class TZEditor;
class TZStatic;
}  // namespace ZVCL

class TAlderView : public QWidget {
  public:
    TAlderView(CRadioWare& ware, views::TLayout layout, QWidget* parent = nullptr);
    ~TAlderView() override;

    // Fills the page shown now from the attached parameter set.
    void UpdateView();
    views::TLayout Layout() const { return layout_; }
    const views::SViewFlags& Flags() const { return flags_; }
    QTabWidget& Pages() const { return *pgc_Data_; }
    views::TCanalGrid& CanalGrid() const { return *canals_; }
    views::TScanGrid& ScanGrid() const { return *scan_; }
    views::TKeyPage& KeyPage() const { return *key_; }

  private:
    CAlderData* Data() const;
    bool Compact() const { return layout_ == views::TLayout::Compact; }
    int RowWidth() const;
    int GroupRowWidth() const;

    QWidget* BuildCanals();
    QWidget* BuildBasics();
    QWidget* BuildScanning();
    QWidget* BuildSames();
    QWidget* BuildKey();
    void BuildPrgPage(QWidget& page);
    void BuildVaPage(QWidget& page);

    void FillBasics();
    void FillScanning();
    void FillSames();

    // Voice activation: the switch-off threshold never above the switch-on one.
    void StoreVaHi(const QString& text);
    void StoreVaLo(const QString& text);

    CRadioWare& ware_;
    views::TLayout layout_;
    views::SViewFlags flags_;
    QTabWidget* pgc_Data_;
    std::unique_ptr<views::TPageSet> pages_;
    std::unique_ptr<views::TCanalGrid> canals_;
    std::unique_ptr<views::TScanGrid> scan_;
    std::unique_ptr<views::TKeyPage> key_;

    struct SEditors;
    std::unique_ptr<SEditors> e_;
};

// The view as the module object hands it out: created on the first GetView, destroyed by
// FreeView.
std::unique_ptr<CRadioView> CreateAlderView(CRadioWare& ware);
// Makes the module object create this view.
void InstallAlderView(CRadioWare& ware);
