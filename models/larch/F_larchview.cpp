#include "F_larchview.h"

#include "F_viewtexts.h"
#include "U_larchware.h"
#include "U_modellists.h"
#include "Zvc_editor.h"
#include "Zvc_static.h"

#include <algorithm>

using namespace views;

namespace {

// Normal and compact widths of the channel table's columns; the step, the two system columns
// of the two-bank radios and the call tone have no room here.
constexpr std::size_t kCanalColumns = 13;
constexpr int kCanalWidths[2][kCanalColumns] = {
    {30, 35, 0, 139, 52, 139, 0, 110, 48, 0, 110, 0, 87},
    {30, 35, 0, 107, 35, 107, 0, 85, 34, 0, 85, 0, 77}};

const QString kFrequencyRest = QStringLiteral("(устанавливается из допустимого диапазона частот)");
const QString kListRest = QStringLiteral("(выбирается из списка)");

}  // namespace

// ---- Rules of the Larch channel table and pages -----------------------------------------------

namespace larchview {

QString FreqText(const CLarchData& data, int value) {
    QString digits = QString::number(SnapToRanges(data.Ranges(), value));
    for (qsizetype at = digits.size() - 3; at > 0 && digits[at - 1] != QLatin1Char('-'); at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

int ParseFreqText(const CLarchData& data, const QString& text) {
    constexpr qsizetype kLength = 10;  // "39 012 500"
    if (text.size() != kLength) return kLarchBandLow;
    QString digits = text;
    digits.remove(6, 1);
    digits.remove(2, 1);
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? SnapToRanges(data.Ranges(), value) : kLarchBandLow;
}

void ToggleWorkingCanal(CLarchData& data, int canal) {
    if (canal < 0 || canal >= kLarchCanalCount) return;
    // Only the end of the run moves.
    if (canal > 0 && !data.LarchCanal(canal - 1).Enabled()) return;
    CLarchCanal& ch = data.LarchCanal(canal);
    const bool on = !ch.Enabled();
    // The image holds no more working channels than this.
    if (on && canal >= kLarchMaxWorkingCanals) return;
    if (!on && canal + 1 < kLarchCanalCount && data.LarchCanal(canal + 1).Enabled()) return;
    ch.SetEnabled(on);
    if (on) return;
    ch.SetScanning(false);
    if (data.ServiceCanal() == canal) data.SetServiceCanal(0);
}

void SetToneOfAllCanals(CLarchData& data, int tone) {
    const int clamped = std::clamp(tone, kLarchToneMin, kLarchToneMax);
    for (int i = 0; i < kLarchCanalCount; ++i) data.LarchCanal(i).SetTone(clamped);
}

QString SquelchText(const CLarchData& data) {
    const int last = static_cast<int>(models::kSquelchList.size()) - 1;
    const int item = data.SquelchOn() ? std::clamp(data.SquelchLevel() + 1, 1, last) : 0;
    return Q(models::kSquelchList[static_cast<std::size_t>(item)]);
}

void StoreSquelch(CLarchData& data, const QString& text) {
    const int item = models::ListCode(models::kSquelchList, S(text));
    if (item == 0) {
        data.SetSquelchOn(false);
        return;
    }
    data.SetSquelchOn(true);
    data.SetSquelchLevel(item - 1);
}

}  // namespace larchview

// The editors the pages fill, by the parameter they show.
struct TLarchView::SEditors {
    // Basic page.
    ZVCL::TZEditor* Tone = nullptr;
    ZVCL::TZStatic* SquelchLevel = nullptr;
    ZVCL::TZStatic* Power = nullptr;
    ZVCL::TZStatic* VolumeLevel = nullptr;
    ZVCL::TZStatic* ShowFreq = nullptr;
    ZVCL::TZStatic* Light = nullptr;
    ZVCL::TZStatic* BeepPress = nullptr;
    ZVCL::TZStatic* SaveSet = nullptr;
    // Scanning page.
    ZVCL::TZStatic* ServiceCanal = nullptr;
    ZVCL::TZStatic* PriorScanning = nullptr;
    ZVCL::TZStatic* StopOnCurrent = nullptr;
    ZVCL::TZEditor* DelayScanning = nullptr;
    // Additional page.
    ZVCL::TZStatic* PRG_IR = nullptr;
    ZVCL::TZStatic* PRG_Enabled = nullptr;
};

namespace {

// The Larch channels as the table operations see them: values go through the channel setters,
// the working channels stay one run from 00, and the priority (service) channel follows its
// channel as the view's "on" toggle has it.
class TLarchCanalAccess final : public ICanalAccess {
  public:
    explicit TLarchCanalAccess(std::function<CLarchData*()> data) : data_(std::move(data)) {}

    int Count() const override { return data_() ? kLarchCanalCount : 0; }

    SCanalRecord Get(int canal) const override {
        const CLarchCanal& c = data_()->LarchCanal(canal);
        SCanalRecord r;
        r.enabled = c.Enabled();
        r.step = c.FRQ_Step();
        r.rx = c.FRQ_PRM();
        r.tx = c.FRQ_PRD();
        r.oneFrq = c.One_FRQ();
        r.rxTone = Q(models::ListName(models::kLarchToneList, c.CTCSS_PRM()));
        r.txTone = Q(models::ListName(models::kLarchToneList, c.CTCSS_PRD()));
        r.oneCss = c.One_CSS();
        r.scanning = c.Scanning();
        r.blocked = c.BlockPRD();
        r.callTone = c.Tone();
        return r;
    }

    QString Misfit(const SCanalRecord& r) const override {
        const int step = r.step == 12500 ? 12500 : 25000;
        for (const int hz : {r.rx, r.tx}) {
            if (hz < kLarchBandLow || hz > kLarchBandHigh)
                return QStringLiteral("частота %1 вне диапазона радиостанции").arg(GroupedHz(hz));
            if (hz % step != 0)
                return QStringLiteral("частота %1 не кратна шагу сетки").arg(GroupedHz(hz));
        }
        for (const QString& tone : {r.rxTone, r.txTone})
            if (!Items(models::kLarchToneList).contains(tone))
                return QStringLiteral("тон %1 не поддерживается").arg(tone);
        return {};
    }

    void Put(int canal, const SCanalRecord& r) override {
        CLarchCanal& c = data_()->LarchCanal(canal);
        if (!r.enabled) c.SetScanning(false);
        c.SetFRQ_Step(r.step);
        c.SetOne_FRQ(false);
        c.SetFRQ_PRM(r.rx);
        c.SetFRQ_PRD(r.tx);
        c.SetOne_FRQ(r.oneFrq);
        c.SetOne_CSS(false);
        c.SetCTCSS_PRM(models::ListCode(models::kLarchToneList, S(r.rxTone)));
        c.SetCTCSS_PRD(models::ListCode(models::kLarchToneList, S(r.txTone)));
        c.SetOne_CSS(r.oneCss);
        if (r.callTone > 0) c.SetTone(r.callTone);
        c.SetBlockPRD(r.blocked);
        c.SetEnabled(r.enabled);
        c.SetScanning(r.enabled && r.scanning);
    }

    // A fresh channel carries the call tone every channel shares, channel 00's.
    SCanalRecord Empty() const override {
        SCanalRecord r;
        const SLarchCanalState fresh;
        r.step = fresh.FRQ_Step;
        r.rx = fresh.FRQ_PRM;
        r.tx = fresh.FRQ_PRD;
        r.callTone = data_()->LarchCanal(0).Tone();
        return r;
    }

    int Anchor() const override { return data_()->ServiceCanal(); }

    void SetAnchor(int canal) override {
        CLarchData& d = *data_();
        d.SetServiceCanal(canal >= 0 && d.LarchCanal(canal).Enabled() ? canal : 0);
    }

    int RunLimit() const override { return kLarchMaxWorkingCanals; }

    int SnapFrequency(int hz) const override { return SnapToRanges(data_()->Ranges(), hz); }

    QStringList ToneNames() const override { return Items(models::kLarchToneList); }

  private:
    std::function<CLarchData*()> data_;
};

}  // namespace

TLarchView::TLarchView(CRadioWare& ware, TLayout layout, QWidget* parent)
    : TRadioView(ware, layout, QStringLiteral("TLarchView"), parent),
      e_(std::make_unique<SEditors>()) {
    // Each page leaves the focus on its inner panel after filling.
    AddPages(
        {BuildCanals(), BuildBasics(), BuildScanning(), BuildSames(), BuildKeyPanel<CLarchData>()},
        TPageFocus::InnerPanel);
    EnableCanalEditing(std::make_unique<TLarchCanalAccess>([this] { return Data(); }));
}

TLarchView::~TLarchView() {
    DeletePages();
}

CLarchData* TLarchView::Data() const {
    return DataAs<CLarchData>();
}

// ---- Channel table ----------------------------------------------------------------------------

QWidget* TLarchView::BuildCanals() {
    const auto canal = [this](int i) -> CLarchCanal& { return Data()->LarchCanal(i); };
    const auto freqText = [this](int value) { return larchview::FreqText(*Data(), value); };
    const auto step = [this, canal](int i, const QString& text, int direction) {
        const CLarchData& d = *Data();
        const int f = larchview::ParseFreqText(d, text);
        const int s = canal(i).FRQ_Step();
        return larchview::FreqText(
            d, direction > 0 ? StepUp(d.Ranges(), f, s) : StepDown(d.Ranges(), f, s));
    };
    const auto toneText = [](int code) {
        return Q(models::ListName(models::kLarchToneList, code));
    };
    const auto tick = [](bool on, int image) { return on ? image : ti_Empty; };

    SCanalGridModel model;
    model.enabled = [canal](int i) { return canal(i).Enabled(); };
    std::vector<SCanalColumn>& c = model.columns;
    c.resize(kCanalColumns);
    for (std::size_t col = 0; col < kCanalColumns; ++col)
        c[col].width = CanalWidth(kCanalWidths, col);

    c[1].action = TCellAction::Toggle;
    c[1].needsEnabled = false;
    c[1].image = [canal, tick](int i) { return tick(canal(i).Enabled(), ti_Ticked); };
    c[1].toggle = [this](int i) { larchview::ToggleWorkingCanal(*Data(), i); };
    c[1].hint = QStringLiteral("Включить канал в список рабочих");
    c[1].hintRows = 3;

    c[2].text = [this, canal](int i) {
        return canal(i).FRQ_Step() == 12500 ? QStringLiteral("12,5") : QStringLiteral("25");
    };

    c[3].action = TCellAction::Frequency;
    c[3].text = [canal, freqText](int i) { return freqText(canal(i).FRQ_PRM()); };
    c[3].step = step;
    c[3].frequency = [canal](int i) { return canal(i).FRQ_PRM(); };
    c[3].snap = [this](int hz) { return SnapToRanges(Data()->Ranges(), hz); };
    c[3].stepOf = [canal](int i) { return canal(i).FRQ_Step(); };
    c[3].store = [this, canal](int i, const QString& text) {
        canal(i).SetFRQ_PRM(larchview::ParseFreqText(*Data(), text));
    };
    c[3].hint = QStringLiteral("Частота приема\n") + kFrequencyRest;
    c[3].hintRows = 2;

    c[4].action = TCellAction::Toggle;
    c[4].image = [canal, tick](int i) { return tick(canal(i).One_FRQ(), ti_Equal); };
    c[4].dottedWhenDisabled = true;
    c[4].toggle = [canal](int i) { canal(i).SetOne_FRQ(!canal(i).One_FRQ()); };
    c[4].hint = QStringLiteral(
        "Знак \"=\" устанавливается в случае, если частота приема равна частоте передачи");
    c[4].hintRows = 2;

    c[5] = c[3];
    c[5].text = [canal, freqText](int i) { return freqText(canal(i).FRQ_PRD()); };
    c[5].frequency = [canal](int i) { return canal(i).FRQ_PRD(); };
    c[5].allowed = [canal](int i) { return !canal(i).One_FRQ(); };
    c[5].store = [this, canal](int i, const QString& text) {
        canal(i).SetFRQ_PRD(larchview::ParseFreqText(*Data(), text));
    };
    c[5].hint = QStringLiteral("Частота передачи\n") + kFrequencyRest;

    const QString receiveHint = QStringLiteral("Приемный тон CTCSS\n") + kListRest;
    c[6].hint = receiveHint;
    c[6].hintRows = 2;

    c[7].action = TCellAction::List;
    c[7].text = [canal, toneText](int i) { return toneText(canal(i).CTCSS_PRM()); };
    c[7].list = [](int) { return Items(models::kLarchToneList); };
    c[7].pullRight = 23;
    c[7].store = [canal](int i, const QString& text) {
        canal(i).SetCTCSS_PRM(models::ListCode(models::kLarchToneList, S(text)));
    };
    c[7].hint = receiveHint;
    c[7].hintRows = 2;

    c[8].action = TCellAction::Toggle;
    c[8].image = [canal, tick](int i) { return tick(canal(i).One_CSS(), ti_Equal); };
    c[8].dottedWhenDisabled = true;
    c[8].toggle = [canal](int i) { canal(i).SetOne_CSS(!canal(i).One_CSS()); };
    c[8].hint = QStringLiteral(
        "Знак \"=\" устанавливается в случае, если частота приемного тона CTCSS\nравна частоте "
        "тона передачи CTCSS");
    c[8].hintRows = 2;

    const QString transmitHint = QStringLiteral("Тон передачи CTCSS\n") + kListRest;
    c[9].hint = transmitHint;
    c[9].hintRows = 2;

    c[10] = c[7];
    c[10].text = [canal, toneText](int i) { return toneText(canal(i).CTCSS_PRD()); };
    c[10].allowed = [canal](int i) { return !canal(i).One_CSS(); };
    c[10].store = [canal](int i, const QString& text) {
        canal(i).SetCTCSS_PRD(models::ListCode(models::kLarchToneList, S(text)));
    };
    c[10].hint = transmitHint;

    c[11].text = [canal](int i) { return QString::number(canal(i).Tone()); };
    c[11].hint = QStringLiteral("Вызывной тон");
    c[11].hintRows = 3;

    c[12].action = TCellAction::Toggle;
    c[12].image = [canal, tick](int i) { return tick(canal(i).BlockPRD(), ti_Ticked); };
    c[12].dottedWhenDisabled = true;
    c[12].toggle = [canal](int i) { canal(i).SetBlockPRD(!canal(i).BlockPRD()); };
    c[12].hint = QStringLiteral("Блокировка выхода на передачу");
    c[12].hintRows = 3;

    model.header = {
        {0, 0, 0, 1, QStringLiteral("№")},
        {1, 1, 0, 1, QStringLiteral("Вкл")},
        {3, 5, 0, 0, QStringLiteral("Частота,  Гц")},
        {3, 3, 1, 1, QStringLiteral("ПРМ")},
        {4, 4, 1, 1, QStringLiteral("=")},
        {5, 5, 1, 1, QStringLiteral("ПРД")},
        {7, 10, 0, 0,
         Compact() ? QStringLiteral("CTCSS  тон,  Гц") : QStringLiteral("Субтон (CTCSS),  Гц ")},
        {6, 7, 1, 1, QStringLiteral("ПРМ")},
        {8, 8, 1, 1, QStringLiteral("=")},
        {9, 10, 1, 1, QStringLiteral("ПРД")},
        {11, 11, 0, 1, QStringLiteral("Вызывной\nтон,  Гц")},
        {12, 12, 0, 1, QStringLiteral("Блокировка\nПРД")}};

    return BuildCanalPanel(std::move(model));
}

// ---- Basic parameters -------------------------------------------------------------------------

QWidget* TLarchView::BuildBasics() {
    ZVCL::TZPanel* panel = NewPagePanel("pnl_Basics");
    TPageBuilder b(*panel, RowWidth(), GroupRowWidth(), flags_);
    SEditors& e = *e_;
    const bool compact = Compact();
    const int tops[6] = {0,
                         compact ? 23 : 46,
                         compact ? 46 : 92,
                         compact ? 98 : 161,
                         compact ? 150 : 230,
                         compact ? 248 : 345};
    // Stores through the attached set, if there is one.
    const auto with = [this](auto store) {
        return [this, store](const QString& text) {
            if (CLarchData* d = Data()) store(*d, text);
        };
    };
    const auto onOff = [&](const char* name, const char* label, const char* hint,
                           void (CLarchData::*set)(bool)) {
        return b.AddSelector(
            {name, QString::fromUtf8(label), kNarrowCaption, QString::fromUtf8(hint)}, OnOffItems(),
            with([set](CLarchData& d, const QString& t) { (d.*set)(On(t)); }));
    };

    b.MoveTo(tops[0]);
    e.Tone =
        b.AddNumberLine({"Tone", QStringLiteral(" Частота вызывного тона, Гц:"), kWideCaption,
                         QStringLiteral("Частота вызывного тона\n(выбирается из предложенных или "
                                        "устанавливается из диапазона 500 - 3000 Гц)")},
                        {4,
                         {"1000", "1450", "2100"},
                         kLarchToneMin,
                         kLarchToneMax,
                         [this] { return Data() ? Data()->LarchCanal(0).Tone() : kLarchToneMin; },
                         [this](int tone) {
                             if (CLarchData* d = Data()) larchview::SetToneOfAllCanals(*d, tone);
                         }});
    b.MoveTo(tops[1]);
    e.SquelchLevel = b.AddSelector(
        {"SquelchLevel", QStringLiteral(" Порог срабатывания шумоподавителя:"), kWideCaption,
         QStringLiteral("Порог срабатывания шумоподавителя, устанавливается в зависимости от "
                        "помеховой обстановки")},
        Items(models::kSquelchList), with(&larchview::StoreSquelch));

    b.MoveTo(tops[2]);
    b.BeginGroup("grp_Transmitter", QStringLiteral(" Передатчик"));
    e.Power = b.AddSelector({"Power", QStringLiteral(" Мощность передатчика, Вт:"), kNarrowCaption,
                             QStringLiteral("Выбор мощности передатчика\n(выбирается из "
                                            "предложенных уровней)")},
                            NumberItems(1, 5), with([](CLarchData& d, const QString& t) {
                                d.SetPower(models::ParseIntClamped(S(t), 1, 5));
                            }));
    b.EndGroup();

    b.MoveTo(tops[3]);
    b.BeginGroup("grp_Initial", QStringLiteral(" Начальные установки"));
    e.VolumeLevel = b.AddSelector(
        {"VolumeLevel", QStringLiteral(" Уровень громкости:"), kNarrowCaption, QString()},
        NumberItems(0, 10), with([](CLarchData& d, const QString& t) {
            d.SetVolumeLevel(models::ParseIntClamped(S(t), 0, 10));
        }));
    b.EndGroup();

    b.MoveTo(tops[4]);
    b.BeginGroup("grp_Indication", QStringLiteral(" Индикация"));
    e.ShowFreq = onOff("ShowFreq", " Отображение частоты текущего канала:",
                       "Включение/отключение индикации частоты текущего канала на индикаторе "
                       "радиостанции",
                       &CLarchData::SetShowFreq);
    e.Light = onOff("Light", " Подсветка индикатора и клавиатуры:",
                    "Включение/отключение подсветки индикатора и клавиатуры радиостанции",
                    &CLarchData::SetLight);
    e.BeepPress = onOff("BeepPress", " Звуковой сигнал нажатия клавиш:",
                        "Включение/отключение звукового сигнала нажатия клавиш радиостанции",
                        &CLarchData::SetBeepPress);
    b.EndGroup();

    b.MoveTo(tops[5]);
    e.SaveSet = b.AddSelector(
        {"SaveSet", QStringLiteral(" Сохранять изменения параметров при выключении:"), kWideCaption,
         QStringLiteral("Включение/отключение режима сохранения изменений параметров "
                        "радиостанции, произведенных вручную с помощью клавиш радиостанции, при "
                        "выключении радиостанции")},
        YesNoItems(), with([](CLarchData& d, const QString& t) { d.SetSaveSet(Yes(t)); }));
    panel->resize(RowWidth(), b.Bottom());
    return panel;
}

void TLarchView::FillBasics() {
    CLarchData* d = Data();
    if (!d) return;
    SEditors& e = *e_;
    ShowNumber(*e.Tone, d->LarchCanal(0).Tone());
    ShowText(*e.SquelchLevel, larchview::SquelchText(*d));
    ShowText(*e.Power, QString::number(d->Power()));
    ShowText(*e.VolumeLevel, QString::number(d->VolumeLevel()));
    ShowText(*e.ShowFreq, OnOffText(d->ShowFreq()));
    ShowText(*e.Light, OnOffText(d->Light()));
    ShowText(*e.BeepPress, OnOffText(d->BeepPress()));
    ShowText(*e.SaveSet, YesNoText(d->SaveSet()));
    // Channel 00's tone stands for the radio's one call tone; it reaches the other channels
    // only when the user changes it, so that merely looking at the page leaves the set as read.
}

// ---- Scanning ---------------------------------------------------------------------------------

QWidget* TLarchView::BuildScanning() {
    SScanGridModel model;
    model.enabled = [this](int i) { return Data()->LarchCanal(i).Enabled(); };
    model.scanning = [this](int i) { return Data()->LarchCanal(i).Scanning(); };
    model.setScanning = [this](int i, bool on) { Data()->LarchCanal(i).SetScanning(on); };
    const SScanPanel scan = BuildScanPanel(std::move(model));

    TPageBuilder b(*scan.panel, scan.width, scan.groupWidth, flags_);
    SEditors& e = *e_;
    b.MoveTo(scan.rowsTop);
    e.ServiceCanal = b.AddSelector(
        {"ServiceCanal", QStringLiteral(" Приоритетный канал:"), kWideCaption,
         QStringLiteral("Выбор номера приоритетного канала\n(выбирается из предложенного "
                        "списка рабочих каналов)")},
        {}, [this](const QString& t) {
            if (CLarchData* d = Data()) d->SetServiceCanal(models::ParseChannelNumber(S(t)));
        });
    e.PriorScanning = b.AddSelector(
        {"PriorScanning", QStringLiteral(" Приоритетное сканирование:"), kWideCaption,
         QStringLiteral("Включение/отключение режима приоритетного сканирования\n(при включении "
                        "этого режима каждый второй сканируемый канал - приоритетный)")},
        OnOffItems(), [this](const QString& t) {
            if (CLarchData* d = Data()) d->SetPriorScanning(On(t));
        });
    e.StopOnCurrent = b.AddSelector(
        {"StopOnCurrent", QStringLiteral(" Останавливаться на текущем канале:"), kWideCaption,
         QStringLiteral("Если выбрано \"Да\", при прекращении сканирования радиостанция "
                        "переходит на последний сканируемый канал. Если выбрано \"Нет\", при "
                        "прекращении сканирования радиостанция переходит на канал, с которого "
                        "сканирование началось")},
        YesNoItems(), [this](const QString& t) {
            if (CLarchData* d = Data()) d->SetStopOnCurrent(Yes(t));
        });
    // Three characters, so that the longest delay (100 s, also offered in the list) fits.
    e.DelayScanning = b.AddNumberLine(
        {"DelayScanning", QStringLiteral(" Задержка сканирования при пропадании несущей, сек:"),
         kWideCaption,
         QStringLiteral("Устанавливается время  ожидания  возврата к режиму сканирования после "
                        "окончания переговоров. Если выбрано \"0\", после окончания переговоров "
                        "сканирование прекращается")},
        {3,
         {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"},
         0,
         100,
         [this] { return Data() ? Data()->DelayScanning() : 0; },
         [this](int v) {
             if (CLarchData* d = Data()) d->SetDelayScanning(v);
         }});
    scan.panel->resize(scan.width, b.Bottom());
    return scan.panel;
}

void TLarchView::FillScanning() {
    scan_->Refresh();
    CLarchData* d = Data();
    if (!d) return;
    SEditors& e = *e_;
    QStringList numbers;
    for (int i = 0; i < kLarchCanalCount; ++i)
        if (d->LarchCanal(i).Enabled()) numbers << Q(models::ChannelNumberText(i));
    e.ServiceCanal->SetList(numbers);
    ShowText(*e.ServiceCanal, Q(models::ChannelNumberText(d->ServiceCanal())));
    ShowText(*e.PriorScanning, OnOffText(d->PriorScanning()));
    ShowText(*e.StopOnCurrent, YesNoText(d->StopOnCurrent()));
    ShowNumber(*e.DelayScanning, d->DelayScanning());
}

// ---- Additional parameters --------------------------------------------------------------------

QWidget* TLarchView::BuildSames() {
    ZVCL::TZPanel* panel = NewPagePanel("pnl_Sames");
    TPageBuilder b(*panel, RowWidth(), GroupRowWidth(), flags_);
    SEditors& e = *e_;
    b.MoveTo(Compact() ? 5 : 8);
    b.BeginGroup("grp_PRG", QStringLiteral(" Программирование станции"));
    e.PRG_IR = b.AddSelector(
        {"PRG_IR", QStringLiteral(" Включить ИК-порт:"), kNarrowCaption,
         QStringLiteral("Разрешение на переход радиостанции в режим программирования при "
                        "включении")},
        YesNoItems(), [this](const QString& t) {
            if (CLarchData* d = Data()) d->SetPRG_IR(Yes(t));
        });
    e.PRG_Enabled = b.AddSelector(
        {"PRG_Enabled", QStringLiteral(" Разрешить программирование:"), kNarrowCaption, QString()},
        YesNoItems(), [this](const QString& t) {
            if (CLarchData* d = Data()) d->SetPRG_Enabled(Yes(t));
        });
    b.EndGroup();
    panel->resize(RowWidth(), b.Bottom());
    return panel;
}

void TLarchView::FillSames() {
    const CLarchData* d = Data();
    if (!d) return;
    ShowText(*e_->PRG_IR, YesNoText(d->PRG_IR()));
    ShowText(*e_->PRG_Enabled, YesNoText(d->PRG_Enabled()));
}

// ---- The module's view ------------------------------------------------------------------------

std::unique_ptr<CRadioView> CreateLarchView(CRadioWare& ware) {
    return CreateHostedView<TLarchView>(ware);
}

void InstallLarchView(CRadioWare& ware) {
    ware.SetViewFactory(&CreateLarchView);
}
