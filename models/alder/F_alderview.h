// The Alder editing view: the channel table, the basic, scanning and additional parameters and
// the scrambler key, as five pages over the parameter set the module has attached last.
#pragma once

#include "F_twobankview.h"

#include <memory>

class CRadioWare;
class CRadioView;
class CAlderData;

class TAlderView : public TTwoBankView {
  public:
    TAlderView(CRadioWare& ware, views::TLayout layout, QWidget* parent = nullptr);
    ~TAlderView() override;

    views::TKeyPage& KeyPage() const { return *key_; }

  private:
    QWidget* BuildCanals();
    QWidget* BuildSames();
};

// The view as the module object hands it out: created on the first GetView, destroyed by
// FreeView.
std::unique_ptr<CRadioView> CreateAlderView(CRadioWare& ware);
// Makes the module object create this view.
void InstallAlderView(CRadioWare& ware);
