// The editing view of the Birch and Cedar radios: the channel table with a squelch system and a
// tone or DCS code per direction, the basic and scanning parameters, and the additional page
// with DTMF, programming, voice activation and energy saving. The two radios differ only in how
// a frequency is written (eight digits on the 39..49 MHz band, nine on 136..174 MHz), which the
// view takes from the band of the attached set.
#pragma once

#include "F_twobankview.h"

#include <QString>
#include <QStringList>

#include <memory>

class CRadioWare;
class CRadioView;
class CBirchCedarData;

namespace birchcedar {

// The squelch system of a channel direction and how a choice in the cells is stored.
enum class TSquelchSystem { None, Ctcss, Dcs };
TSquelchSystem SystemOf(int code);
QString SystemText(int code);
// The value a system choice leaves: the stored one when its sign already fits, otherwise the
// first tone (1), the first code (-1) or none (0).
int CodeAfterSystemChoice(int stored, const QString& choice);
// A tone or code text under the system of the stored value; 0 when it is not in that list.
int CodeAfterValueChoice(int stored, const QString& text);
// What the value cell shows: the tone or the code, empty for none.
QString ValueText(int code);
// The list the value cell offers under the stored value's system.
QStringList ValueList(int code);

}  // namespace birchcedar

class TBirchCedarView : public TTwoBankView {
  public:
    TBirchCedarView(CRadioWare& ware, views::TLayout layout, QWidget* parent = nullptr);
    ~TBirchCedarView() override;

  private:
    QWidget* BuildCanals();
    QWidget* BuildSames();
};

// The two radios' views are one view.
using TBirchView = TBirchCedarView;
using TCedarView = TBirchCedarView;

// The view as the module object hands it out: created on the first GetView, destroyed by
// FreeView.
std::unique_ptr<CRadioView> CreateBirchCedarView(CRadioWare& ware);
// Makes the module object create this view.
void InstallBirchCedarView(CRadioWare& ware);
