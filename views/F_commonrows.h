// What the radios' pages have in common, written once: rows bound to one parameter of the
// attached set (each change stored, the stored value shown again when the page is filled), the
// rows every radio offers with the same caption and hint, the frequency columns of the channel
// table, and the parts of a channel record that every channel keeps alike.
#pragma once

#include "F_canalgrid.h"
#include "F_editorrows.h"
#include "F_rowfills.h"
#include "F_scangrid.h"
#include "F_viewpaint.h"
#include "F_viewtexts.h"
#include "U_channelops.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Zvc_editor.h"
#include "Zvc_static.h"

namespace views {

// Caption widths of a row on its own and of a row inside a group.
inline constexpr int kWideCaption = 373;
inline constexpr int kNarrowCaption = 350;

// The limits of a number line: its length, the values it suggests and the range it stores.
struct SNumberLimits {
    int maxLength = 0;
    QStringList suggestions;
    int low = 0;
    int high = 0;
};

// Adds rows to a page builder, each bound to the parameter set the view has attached (the
// store does nothing while none is) and registered with the page's fills.
template <class Data>
class TDataRows {
  public:
    using TDataOf = std::function<Data*()>;

    TDataRows(TPageBuilder& builder, TDataOf data, TRowFills& fills)
        : b_(builder), data_(std::move(data)), fills_(fills) {}

    TPageBuilder& Builder() const { return b_; }

    // A store that reaches the attached set, if there is one.
    std::function<void(const QString&)> With(
        std::function<void(Data&, const QString&)> store) const {
        return [data = data_, store = std::move(store)](const QString& text) {
            if (Data* d = data()) store(*d, text);
        };
    }

    ZVCL::TZStatic* Selector(const SRowSpec& row, const QStringList& list,
                             std::function<void(Data&, const QString&)> store,
                             std::function<QString(const Data&)> shown) const {
        ZVCL::TZStatic* stc = b_.AddSelector(row, list, With(std::move(store)));
        Fill([stc, shown = std::move(shown)](const Data& d) { ShowText(*stc, shown(d)); });
        return stc;
    }
    ZVCL::TZStatic* OnOff(const SRowSpec& row, bool (Data::*get)() const,
                          void (Data::*set)(bool)) const {
        return Selector(
            row, OnOffItems(), [set](Data& d, const QString& t) { (d.*set)(On(t)); },
            [get](const Data& d) { return OnOffText((d.*get)()); });
    }
    ZVCL::TZStatic* YesNo(const SRowSpec& row, bool (Data::*get)() const,
                          void (Data::*set)(bool)) const {
        return Selector(
            row, YesNoItems(), [set](Data& d, const QString& t) { (d.*set)(Yes(t)); },
            [get](const Data& d) { return YesNoText((d.*get)()); });
    }
    // A choice among the whole numbers low..high.
    ZVCL::TZStatic* Count(const SRowSpec& row, int low, int high, int (Data::*get)() const,
                          void (Data::*set)(int)) const {
        return Selector(
            row, NumberItems(low, high),
            [low, high, set](Data& d, const QString& t) {
                (d.*set)(models::ParseIntClamped(S(t), low, high));
            },
            [get](const Data& d) { return QString::number((d.*get)()); });
    }
    ZVCL::TZEditor* Number(const SRowSpec& row, SNumberLimits limits, int (Data::*get)() const,
                           void (Data::*set)(int)) const {
        ZVCL::TZEditor* edt = b_.AddNumberLine(
            row, {limits.maxLength, std::move(limits.suggestions), limits.low, limits.high,
                  [data = data_, get] { return data() ? (data()->*get)() : 0; },
                  [data = data_, set](int v) {
                      if (Data* d = data()) (d->*set)(v);
                  }});
        Fill([edt, get](const Data& d) { ShowNumber(*edt, (d.*get)()); });
        return edt;
    }
    // shown gives the stored value in the unit typed; set takes a typed one.
    ZVCL::TZEditor* Decimal(const SRowSpec& row, int decimals,
                            std::function<double(const Data&)> shown,
                            std::function<void(Data&, double)> set) const {
        ZVCL::TZEditor* edt = b_.AddDecimal(
            row, {decimals, [data = data_, shown] { return data() ? shown(*data()) : 0.0; },
                  [data = data_, set](double v) {
                      if (Data* d = data()) set(*d, v);
                  }});
        Fill([edt, decimals, shown](const Data& d) {
            ShowText(*edt, DecimalText(shown(d), decimals));
        });
        return edt;
    }
    ZVCL::TZEditor* Dtmf(const SRowSpec& row, int maxLength,
                         const std::string& (Data::*get)() const,
                         void (Data::*set)(const std::string&)) const {
        ZVCL::TZEditor* edt =
            b_.AddDtmfText(row, maxLength, [data = data_, set](const std::string& text) {
                if (Data* d = data()) (d->*set)(text);
            });
        Fill([edt, get](const Data& d) { ShowText(*edt, Q((d.*get)())); });
        return edt;
    }
    ZVCL::TZEditor* Password(const SRowSpec& row, int (Data::*get)() const,
                             void (Data::*set)(int)) const {
        ZVCL::TZEditor* edt = b_.AddPassword(row, [data = data_, set](int value) {
            if (Data* d = data()) (d->*set)(value);
        });
        Fill([edt, get](const Data& d) { ShowText(*edt, PasswordText((d.*get)())); });
        return edt;
    }

    // Shows something of the set when the page is filled, in turn with the rows.
    void Fill(std::function<void(const Data&)> show) const {
        fills_.Add([data = data_, show = std::move(show)] {
            if (const Data* d = data()) show(*d);
        });
    }

  private:
    TPageBuilder& b_;
    TDataOf data_;
    TRowFills& fills_;
};

// A caption with the radio's unit word: " Пауза ..., " + unit + ":".
QString UnitCaption(const char* caption, const QString& unit);

// The rows every radio offers under the same caption and hint.
SRowSpec CallToneRow();
// The squelch level; hintTail says how the radio's list reads.
SRowSpec SquelchRow(const QString& name, const QString& hintTail);
SRowSpec ShowFreqRow();
SRowSpec LightRow();
SRowSpec BeepPressRow();
SRowSpec SaveSetRow();
SRowSpec PriorCanalRow(const QString& name);
SRowSpec PriorScanningRow();
SRowSpec StopOnCurrentRow();
SRowSpec DelayScanningRow(const QString& secondsWord);
SRowSpec InfraredPortRow(int labelWidth);

// The indication rows every radio has: the frequency shown, the light, the key beep.
template <class Data>
void AddIndicationRows(const TDataRows<Data>& rows) {
    rows.OnOff(ShowFreqRow(), &Data::ShowFreq, &Data::SetShowFreq);
    rows.OnOff(LightRow(), &Data::Light, &Data::SetLight);
    rows.OnOff(BeepPressRow(), &Data::BeepPress, &Data::SetBeepPress);
}

// The numbers of the channels a priority selector offers.
QStringList CanalNumbers(int count, const std::function<bool(int canal)>& offered);

inline int Tick(bool on, int image) {
    return on ? image : ti_Empty;
}

// How a radio writes its frequencies: the text of a value moved into the allowed ranges, a
// text back to its value, the value one step up (+1) or down (-1) within the ranges, and a
// value moved into them.
struct SFrequencyForm {
    std::function<QString(int hz)> text;
    std::function<int(const QString& text)> parse;
    std::function<int(int hz, int step, int direction)> stepped;
    std::function<int(int hz)> snap;
};

// A "=" column: the mark that a channel's two directions are alike (frequency or tone), which a
// click toggles; same(i) reads it, setSame(i, on) sets it.
inline void SetEqualColumn(SCanalColumn& c, std::function<bool(int canal)> same,
                           std::function<void(int canal, bool on)> setSame, QString hint) {
    c.action = TCellAction::Toggle;
    c.image = [same](int i) { return Tick(same(i), ti_Equal); };
    c.dottedWhenDisabled = true;
    c.toggle = [same, setSame](int i) { setSame(i, !same(i)); };
    c.hint = std::move(hint);
    c.hintRows = 2;
}

// Columns 1 ("Вкл"), 3 (receive), 4 ("=") and 5 (transmit) of a channel table; canal(i) gives
// the channel, switching one on or off goes through toggleEnabled.
template <class CanalOf>
void SetFrequencyColumns(std::vector<SCanalColumn>& c, CanalOf canal, SFrequencyForm form,
                         std::function<void(int canal)> toggleEnabled) {
    const QString rest = QStringLiteral("(устанавливается из допустимого диапазона частот)");
    c[1].action = TCellAction::Toggle;
    c[1].needsEnabled = false;
    c[1].image = [canal](int i) { return Tick(canal(i).Enabled(), ti_Ticked); };
    c[1].toggle = std::move(toggleEnabled);
    c[1].hint = QStringLiteral("Включить канал в список рабочих");
    c[1].hintRows = 3;

    c[3].action = TCellAction::Frequency;
    c[3].text = [canal, text = form.text](int i) { return text(canal(i).FRQ_PRM()); };
    c[3].step = [canal, form](int i, const QString& text, int direction) {
        return form.text(form.stepped(form.parse(text), canal(i).FRQ_Step(), direction));
    };
    c[3].frequency = [canal](int i) { return canal(i).FRQ_PRM(); };
    c[3].snap = form.snap;
    c[3].stepOf = [canal](int i) { return canal(i).FRQ_Step(); };
    c[3].store = [canal, parse = form.parse](int i, const QString& text) {
        canal(i).SetFRQ_PRM(parse(text));
    };
    c[3].hint = QStringLiteral("Частота приема\n") + rest;
    c[3].hintRows = 2;

    SetEqualColumn(
        c[4], [canal](int i) { return canal(i).One_FRQ(); },
        [canal](int i, bool on) { canal(i).SetOne_FRQ(on); },
        QStringLiteral(
            "Знак \"=\" устанавливается в случае, если частота приема равна частоте передачи"));

    c[5] = c[3];
    c[5].text = [canal, text = form.text](int i) { return text(canal(i).FRQ_PRD()); };
    c[5].frequency = [canal](int i) { return canal(i).FRQ_PRD(); };
    c[5].allowed = [canal](int i) { return !canal(i).One_FRQ(); };
    c[5].store = [canal, parse = form.parse](int i, const QString& text) {
        canal(i).SetFRQ_PRD(parse(text));
    };
    c[5].hint = QStringLiteral("Частота передачи\n") + rest;
}

// The channel selection of the scanning page over canal(i).
template <class CanalOf>
SScanGridModel ScanModelOver(CanalOf canal) {
    SScanGridModel model;
    model.enabled = [canal](int i) { return canal(i).Enabled(); };
    model.scanning = [canal](int i) { return canal(i).Scanning(); };
    model.setScanning = [canal](int i, bool on) { canal(i).SetScanning(on); };
    return model;
}

// The fields of a record every channel keeps alike: use, step, frequencies and the two "=".
template <class Canal>
SCanalRecord CommonRecordOf(const Canal& c) {
    SCanalRecord r;
    r.enabled = c.Enabled();
    r.step = c.FRQ_Step();
    r.rx = c.FRQ_PRM();
    r.tx = c.FRQ_PRD();
    r.oneFrq = c.One_FRQ();
    r.oneCss = c.One_CSS();
    r.scanning = c.Scanning();
    return r;
}

// Putting a record goes in this order, so that the setters' couplings hold as for typed edits:
// PutFrequencies, then the tones and the transmit tone's "=", the channel's own fields, and
// last PutUse.
template <class Canal>
void PutFrequencies(Canal& c, const SCanalRecord& r) {
    if (!r.enabled) c.SetScanning(false);
    c.SetFRQ_Step(r.step);
    c.SetOne_FRQ(false);
    c.SetFRQ_PRM(r.rx);
    c.SetFRQ_PRD(r.tx);
    c.SetOne_FRQ(r.oneFrq);
    c.SetOne_CSS(false);
}
template <class Canal>
void PutUse(Canal& c, const SCanalRecord& r) {
    c.SetEnabled(r.enabled);
    c.SetScanning(r.enabled && r.scanning);
}

// Why a record does not fit a radio of the band low..high, whose frequencies lie on raster and
// whose tones knownTone accepts; empty when it fits.
QString RecordMisfit(const SCanalRecord& r, int low, int high, int raster,
                     const std::function<bool(const QString& tone)>& knownTone);

}  // namespace views
