// What the views of the three two-bank radios (Alder, Birch, Cedar) have in common, since their
// parameter sets are one design: the channel table's step, frequency and transmit columns, the
// basic and scanning pages, the DTMF sending rows, and the programming and voice-activation
// tabs of the additional page. The radios differ only in how the pages write their units.
#pragma once

#include "F_commonrows.h"
#include "F_radioview.h"

#include <QString>

#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class CTwoBankData;

// The unit words of a radio's captions.
struct STwoBankUnits {
    QString seconds;       // "с" or "сек"
    QString milliseconds;  // "мс" or "мсек"
};

class TTwoBankView : public views::TRadioView {
  public:
    TTwoBankView(CRadioWare& ware, views::TLayout layout, const QString& name, STwoBankUnits units,
                 QWidget* parent = nullptr);
    ~TTwoBankView() override;

  protected:
    CTwoBankData* TwoBankData() const;

    // A channel table of N columns sized for this layout, a channel in use while enabled, with
    // columns 1 ("Вкл") to 5 (transmit frequency) set; switching a channel on or off goes
    // through toggleEnabled.
    template <std::size_t N>
    views::SCanalGridModel TwoBankCanalModel(const int (&widths)[2][N],
                                             std::function<void(int canal)> toggleEnabled) const {
        views::SCanalGridModel model = CanalModel(widths, [this](int i) { return InUse(i); });
        SetCanalColumns(model.columns, std::move(toggleEnabled));
        return model;
    }
    // The "=" column that makes the transmit tone follow the receive tone.
    void SetOneCssColumn(views::SCanalColumn& c, const QString& hint) const;
    // The two transmitter columns at the end of the table: transmitting on a busy channel and
    // the transmit time limit.
    void SetTransmitterColumns(views::SCanalColumn& busy, views::SCanalColumn& limit) const;
    // The header over columns 0 to 5: number, "on", step and the two frequencies.
    static std::vector<views::SHeaderBlock> CanalHeaderToFrequencies();

    QWidget* BuildBasics();
    QWidget* BuildScanning();
    // Rows over the attached set, filled with the page of fills.
    views::TDataRows<CTwoBankData> Rows(views::TPageBuilder& b, views::TRowFills& fills) const;
    // The DTMF number and the two sending durations, in the builder's open group of the
    // additional page.
    void AddDtmfSendRows(views::TPageBuilder& b);
    // The programming and voice-activation tabs at top of the additional page; returns the
    // page's height with them.
    int AddPrgVaTabs(QWidget& panel, int top);

    // Whole-channel editing of the channel table over the radio's tones.
    void EnableTwoBankCanalEditing(QStringList toneNames);

    const STwoBankUnits& Units() const { return units_; }

  private:
    bool InUse(int canal) const;
    void SetCanalColumns(std::vector<views::SCanalColumn>& c,
                         std::function<void(int canal)> toggleEnabled) const;
    void BuildPrgPage(QWidget& page);
    void BuildVaPage(QWidget& page);
    // The priority editors show only while some channel is scanned.
    void FillPriority(const CTwoBankData& d);
    // Voice activation: the switch-off threshold never above the switch-on one.
    void StoreVaHi(CTwoBankData& d, const QString& text);
    void StoreVaLo(CTwoBankData& d, const QString& text);

    STwoBankUnits units_;
    struct SEditors;
    std::unique_ptr<SEditors> e_;
};
