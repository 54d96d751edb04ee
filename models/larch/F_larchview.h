// The Larch editing view: the channel table (working channels form one run from channel 00, a
// CTCSS tone per direction and a call tone per channel), the basic parameters with the call
// tone shared by all channels, the scanning page with the service channel, the programming
// permissions and the scrambler key.
#pragma once

#include "F_commonrows.h"
#include "F_radioview.h"

#include <QString>

#include <memory>

class CRadioWare;
class CRadioView;
class CLarchData;

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

class TLarchView : public views::TRadioView {
  public:
    TLarchView(CRadioWare& ware, views::TLayout layout, QWidget* parent = nullptr);
    ~TLarchView() override;

    views::TKeyPage& KeyPage() const { return *key_; }

  private:
    CLarchData* Data() const;
    views::TDataRows<CLarchData> Rows(views::TPageBuilder& b, views::TRowFills& fills) const;

    QWidget* BuildCanals();
    QWidget* BuildBasics();
    QWidget* BuildScanning();
    QWidget* BuildSames();

    // The service channel's list follows the working channels.
    void FillScanning() override;

    struct SEditors;
    std::unique_ptr<SEditors> e_;
};

// The view as the module object hands it out: created on the first GetView, destroyed by
// FreeView.
std::unique_ptr<CRadioView> CreateLarchView(CRadioWare& ware);
// Makes the module object create this view.
void InstallLarchView(CRadioWare& ware);
