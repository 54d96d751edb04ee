// The Larch editing view: the channel table (working channels form one run from channel 00, a
// CTCSS tone per direction and a call tone per channel), the basic parameters with the call
// tone shared by all channels, the scanning page with the service channel, the programming
// permissions and the scrambler key.
#pragma once

#include "F_canalgrid.h"
#include "F_editorrows.h"
#include "F_keypage.h"
#include "F_pageset.h"
#include "F_scangrid.h"
#include "F_viewflags.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class CRadioWare;
class CRadioView;
class CLarchData;
class QTabWidget;

namespace larchview {

// Frequencies as eight digits in three groups ("39 012 500"), moved into the allowed ranges.
QString FreqText(const CLarchData& data, int value);
// Exactly ten characters with the two separators dropped; any other text, or one that is not
// a number, gives the band's lowest frequency.
int ParseFreqText(const CLarchData& data, const QString& text);

// "Вкл" of channel n: the working channels stay one run from channel 00 of at most
// kLarchMaxWorkingCanals, so only the channel after the run can be added and only the last one
// of the run taken away; anything else leaves the set untouched. A channel taken out of use is
// no longer scanned nor the service channel.
void ToggleWorkingCanal(CLarchData& data, int canal);

// The call tone is one for the whole radio: clamped and given to every channel.
void SetToneOfAllCanals(CLarchData& data, int tone);

// The squelch selector's item for the stored switch and level, and a choice back into them.
QString SquelchText(const CLarchData& data);
void StoreSquelch(CLarchData& data, const QString& text);

}  // namespace larchview

class TLarchView : public QWidget {
  public:
    TLarchView(CRadioWare& ware, views::TLayout layout, QWidget* parent = nullptr);
    ~TLarchView() override;

    // Fills the page shown now from the attached parameter set.
    void UpdateView();
    views::TLayout Layout() const { return layout_; }
    const views::SViewFlags& Flags() const { return flags_; }
    QTabWidget& Pages() const { return *pgc_Data_; }
    views::TCanalGrid& CanalGrid() const { return *canals_; }
    views::TScanGrid& ScanGrid() const { return *scan_; }
    views::TKeyPage& KeyPage() const { return *key_; }

  private:
    CLarchData* Data() const;
    bool Compact() const { return layout_ == views::TLayout::Compact; }
    int RowWidth() const;
    int GroupRowWidth() const;
    // Each page leaves the focus on its inner panel after filling.
    void AddPage(const char* name, const QString& caption, QWidget* inner,
                 std::function<void()> fill, bool fillHeight = false);

    QWidget* BuildCanals();
    QWidget* BuildBasics();
    QWidget* BuildScanning();
    QWidget* BuildSames();
    QWidget* BuildKey();

    void FillBasics();
    void FillScanning();
    void FillSames();

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
std::unique_ptr<CRadioView> CreateLarchView(CRadioWare& ware);
// Makes the module object create this view.
void InstallLarchView(CRadioWare& ware);
