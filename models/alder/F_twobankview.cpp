#include "F_twobankview.h"

#include "F_viewtexts.h"
#include "U_modellists.h"
#include "U_twobankdata.h"
#include "Zvc_editor.h"
#include "Zvc_static.h"

#include <QTabWidget>

#include <algorithm>
#include <utility>

using namespace views;

namespace {

const QString kFrequencyRest = QStringLiteral("(устанавливается из допустимого диапазона частот)");

QString SquelchText(int value) {
    const int last = static_cast<int>(models::kSquelchList.size()) - 1;
    return Q(models::kSquelchList[static_cast<std::size_t>(std::clamp(value, 0, last))]);
}

int TickImage(bool on, int image) {
    return on ? image : ti_Empty;
}

// The channels of a two-bank set as the table operations see them. Every value goes through
// the channel's setters, so the step, the band, the couplings and the priority hold as for a
// typed edit.
class TTwoBankCanalAccess final : public ICanalAccess {
  public:
    TTwoBankCanalAccess(std::function<CTwoBankData*()> data, STwoBankTones tones)
        : data_(std::move(data)), tones_(std::move(tones)) {}

    int Count() const override { return data_() ? twobank::kCanalCount : 0; }

    SCanalRecord Get(int canal) const override {
        const CTwoBankCanal& c = data_()->CanalAt(canal);
        SCanalRecord r;
        r.enabled = c.Enabled();
        r.step = c.FRQ_Step();
        r.rx = c.FRQ_PRM();
        r.tx = c.FRQ_PRD();
        r.oneFrq = c.One_FRQ();
        r.rxTone = Q(tones_.name(c.CSS_PRM()));
        r.txTone = Q(tones_.name(c.CSS_PRD()));
        r.oneCss = c.One_CSS();
        r.scanning = c.Scanning();
        r.blocked = c.BlockPRDIfBusy();
        r.limited = c.LimitPRDOnTime();
        return r;
    }

    QString Misfit(const SCanalRecord& r) const override {
        const STwoBankModel& model = data_()->Model();
        for (const int hz : {r.rx, r.tx}) {
            if (hz < model.bandLow || hz > model.bandHigh)
                return QStringLiteral("частота %1 вне диапазона радиостанции").arg(GroupedHz(hz));
            if (hz % twobank::kRaster != 0)
                return QStringLiteral("частота %1 не кратна шагу сетки").arg(GroupedHz(hz));
        }
        for (const QString& tone : {r.rxTone, r.txTone})
            if (!Known(tone)) return QStringLiteral("тон %1 не поддерживается").arg(tone);
        return {};
    }

    void Put(int canal, const SCanalRecord& r) override {
        CTwoBankCanal& c = *data_()->Canal(canal);
        if (!r.enabled) c.SetScanning(false);
        c.SetFRQ_Step(r.step);
        c.SetOne_FRQ(false);
        c.SetFRQ_PRM(r.rx);
        c.SetFRQ_PRD(r.tx);
        c.SetOne_FRQ(r.oneFrq);
        c.SetOne_CSS(false);
        c.SetCSS_PRM(tones_.code(S(r.rxTone)));
        c.SetCSS_PRD(tones_.code(S(r.txTone)));
        c.SetOne_CSS(r.oneCss);
        c.SetBlockPRDIfBusy(r.blocked);
        c.SetLimitPRDOnTime(r.limited);
        c.SetEnabled(r.enabled);
        c.SetScanning(r.enabled && r.scanning);
    }

    SCanalRecord Empty() const override {
        SCanalRecord r;
        r.step = data_()->Model().defaultStep;
        r.rx = r.tx = data_()->Model().bandLow;
        r.rxTone = r.txTone = Q(tones_.name(0));
        r.limited = true;
        return r;
    }

    int Anchor() const override { return data_()->PriorCanal(); }

    void SetAnchor(int canal) override {
        CTwoBankData& d = *data_();
        if (canal < 0) {
            // The model's own choice: the lowest channel that is working and scanned.
            for (int i = 0; i < twobank::kCanalCount && canal < 0; ++i)
                if (d.CanalAt(i).Enabled() && d.CanalAt(i).Scanning()) canal = i;
            if (canal < 0) return;
        }
        d.SetPriorCanal(canal);
    }

    int SnapFrequency(int hz) const override { return twobank::SnapToRanges(*data_(), hz); }

    QStringList ToneNames() const override { return tones_.names; }

  private:
    bool Known(const QString& tone) const {
        const std::string name = S(tone);
        return tones_.code(name) != 0 || name == tones_.name(0);
    }

    std::function<CTwoBankData*()> data_;
    STwoBankTones tones_;
};

}  // namespace

void TTwoBankView::EnableTwoBankCanalEditing(STwoBankTones tones) {
    EnableCanalEditing(
        std::make_unique<TTwoBankCanalAccess>([this] { return TwoBankData(); }, std::move(tones)));
}

// The editors the shared pages fill, by the parameter they show.
struct TTwoBankView::SEditors {
    // Basic page.
    ZVCL::TZEditor* Tone = nullptr;
    ZVCL::TZStatic* Squelch = nullptr;
    ZVCL::TZStatic* Power = nullptr;
    ZVCL::TZEditor* LimitPRD = nullptr;
    ZVCL::TZEditor* RestPRD = nullptr;
    ZVCL::TZStatic* ShowFreq = nullptr;
    ZVCL::TZStatic* Light = nullptr;
    ZVCL::TZStatic* BeepPress = nullptr;
    ZVCL::TZStatic* BeepBat = nullptr;
    ZVCL::TZStatic* OffClock = nullptr;
    ZVCL::TZStatic* OffTemp = nullptr;
    ZVCL::TZStatic* OffBat = nullptr;
    ZVCL::TZStatic* SaveSet = nullptr;
    // Scanning page.
    TPageBuilder::SHideableSelector PriorCanal{};
    TPageBuilder::SHideableSelector PriorScanning{};
    ZVCL::TZStatic* StopOnCurrent = nullptr;
    ZVCL::TZEditor* DelayScanning = nullptr;
    // Additional page.
    ZVCL::TZEditor* DTMF_Number = nullptr;
    ZVCL::TZEditor* DTMF_ChWidth = nullptr;
    ZVCL::TZEditor* DTMF_ChPause = nullptr;
    ZVCL::TZStatic* PRG_IR = nullptr;
    ZVCL::TZStatic* PRG_KB = nullptr;
    ZVCL::TZStatic* PRG_ActiveClone = nullptr;
    ZVCL::TZStatic* PRG_ReadClone = nullptr;
    ZVCL::TZStatic* PRG_WriteClone = nullptr;
    ZVCL::TZEditor* PRG_Password = nullptr;
    ZVCL::TZStatic* VA_On = nullptr;
    ZVCL::TZStatic* VA_Hi = nullptr;
    ZVCL::TZStatic* VA_Lo = nullptr;
    ZVCL::TZStatic* VA_Pause = nullptr;
    ZVCL::TZStatic* VA_BlockKB = nullptr;
};

TTwoBankView::TTwoBankView(CRadioWare& ware, TLayout layout, const QString& name,
                           STwoBankUnits units, QWidget* parent)
    : TRadioView(ware, layout, name, parent),
      units_(std::move(units)),
      e_(std::make_unique<SEditors>()) {}

TTwoBankView::~TTwoBankView() {
    DeletePages();
}

CTwoBankData* TTwoBankView::TwoBankData() const {
    return DataAs<CTwoBankData>();
}

QString TTwoBankView::WithUnit(const char* caption, const QString& unit) const {
    return QString::fromUtf8(caption) + QStringLiteral(", ") + unit + QStringLiteral(":");
}

// ---- Channel table ----------------------------------------------------------------------------

void TTwoBankView::SetCanalColumns(std::vector<SCanalColumn>& c,
                                   std::function<void(int canal)> toggleEnabled) const {
    const auto canal = [this](int i) { return TwoBankData()->Canal(i); };
    const auto freqText = [this](int value) { return Q(twobank::FreqText(*TwoBankData(), value)); };
    const auto step = [this, canal](int i, const QString& text, int direction) {
        const CTwoBankData& d = *TwoBankData();
        const int f = twobank::ParseFreqText(d, S(text));
        const int s = canal(i)->FRQ_Step();
        return Q(twobank::FreqText(
            d, direction > 0 ? twobank::StepUp(d, f, s) : twobank::StepDown(d, f, s)));
    };

    c[1].action = TCellAction::Toggle;
    c[1].needsEnabled = false;
    c[1].image = [canal](int i) { return TickImage(canal(i)->Enabled(), ti_Ticked); };
    c[1].toggle = std::move(toggleEnabled);
    c[1].hint = QStringLiteral("Включить канал в список рабочих");
    c[1].hintRows = 3;

    c[2].action = TCellAction::List;
    c[2].text = [this, canal](int i) {
        return Q(twobank::FreqText(*TwoBankData(), canal(i)->FRQ_Step()));
    };
    c[2].list = [](int) { return Items(models::kStepList); };
    c[2].store = [canal](int i, const QString& text) {
        const int code = models::ListCode(models::kStepList, S(text));
        canal(i)->SetFRQ_Step(models::kStepValues[static_cast<size_t>(code)]);
    };
    c[2].hint = QStringLiteral("Выбор шага сетки частот");
    c[2].hintRows = 3;

    c[3].action = TCellAction::Frequency;
    c[3].text = [canal, freqText](int i) { return freqText(canal(i)->FRQ_PRM()); };
    c[3].step = step;
    c[3].frequency = [canal](int i) { return canal(i)->FRQ_PRM(); };
    c[3].snap = [this](int hz) { return twobank::SnapToRanges(*TwoBankData(), hz); };
    c[3].stepOf = [canal](int i) { return canal(i)->FRQ_Step(); };
    c[3].store = [this, canal](int i, const QString& text) {
        canal(i)->SetFRQ_PRM(twobank::ParseFreqText(*TwoBankData(), S(text)));
    };
    c[3].hint = QStringLiteral("Частота приема\n") + kFrequencyRest;
    c[3].hintRows = 2;

    c[4].action = TCellAction::Toggle;
    c[4].image = [canal](int i) { return TickImage(canal(i)->One_FRQ(), ti_Equal); };
    c[4].dottedWhenDisabled = true;
    c[4].toggle = [canal](int i) { canal(i)->SetOne_FRQ(!canal(i)->One_FRQ()); };
    c[4].hint = QStringLiteral(
        "Знак \"=\" устанавливается в случае, если частота приема равна частоте передачи");
    c[4].hintRows = 2;

    c[5] = c[3];
    c[5].text = [canal, freqText](int i) { return freqText(canal(i)->FRQ_PRD()); };
    c[5].frequency = [canal](int i) { return canal(i)->FRQ_PRD(); };
    c[5].allowed = [canal](int i) { return !canal(i)->One_FRQ(); };
    c[5].store = [this, canal](int i, const QString& text) {
        canal(i)->SetFRQ_PRD(twobank::ParseFreqText(*TwoBankData(), S(text)));
    };
    c[5].hint = QStringLiteral("Частота передачи\n") + kFrequencyRest;
}

void TTwoBankView::SetOneCssColumn(SCanalColumn& c, const QString& hint) const {
    const auto canal = [this](int i) { return TwoBankData()->Canal(i); };
    c.action = TCellAction::Toggle;
    c.image = [canal](int i) { return TickImage(canal(i)->One_CSS(), ti_Equal); };
    c.dottedWhenDisabled = true;
    c.toggle = [canal](int i) { canal(i)->SetOne_CSS(!canal(i)->One_CSS()); };
    c.hint = hint;
    c.hintRows = 2;
}

std::vector<SHeaderBlock> TTwoBankView::CanalHeaderToFrequencies() {
    return {{0, 0, 0, 1, QStringLiteral("№")},          {1, 1, 0, 1, QStringLiteral("Вкл")},
            {2, 2, 0, 1, QStringLiteral("Шаг,\nкГц ")}, {3, 5, 0, 0, QStringLiteral("Частота, Гц")},
            {3, 3, 1, 1, QStringLiteral("ПРМ")},        {4, 4, 1, 1, QStringLiteral("=")},
            {5, 5, 1, 1, QStringLiteral("ПРД")}};
}

void TTwoBankView::SetTransmitterColumns(SCanalColumn& busy, SCanalColumn& limit) const {
    const auto canal = [this](int i) { return TwoBankData()->Canal(i); };
    busy.action = TCellAction::Toggle;
    // Ticked when transmitting on a busy channel is allowed, that is when it is not blocked.
    busy.image = [canal](int i) { return TickImage(!canal(i)->BlockPRDIfBusy(), ti_Ticked); };
    busy.dottedWhenDisabled = true;
    busy.toggle = [canal](int i) { canal(i)->SetBlockPRDIfBusy(!canal(i)->BlockPRDIfBusy()); };
    busy.hint = QStringLiteral("Разрешить передачу на занятом канале");
    busy.hintRows = 3;

    limit.action = TCellAction::Toggle;
    limit.image = [canal](int i) { return TickImage(canal(i)->LimitPRDOnTime(), ti_Ticked); };
    limit.dottedWhenDisabled = true;
    limit.toggle = [canal](int i) { canal(i)->SetLimitPRDOnTime(!canal(i)->LimitPRDOnTime()); };
    limit.hint = QStringLiteral(
        "Ограничение передачи по времени\n(конкретное время устанавливается на вкладке "
        "\"Основные параметры\" в группе \"Передатчик\")");
    limit.hintRows = 3;
}

// ---- Basic parameters -------------------------------------------------------------------------

QWidget* TTwoBankView::BuildBasics() {
    ZVCL::TZPanel* panel = NewPagePanel("pnl_Basics");
    TPageBuilder b(*panel, RowWidth(), GroupRowWidth(), flags_);
    SEditors& e = *e_;
    const bool compact = Compact();
    const int tops[6] = {0,
                         compact ? 23 : 46,
                         compact ? 46 : 92,
                         compact ? 138 : 207,
                         compact ? 253 : 322,
                         compact ? 345 : 437};
    // Stores through the attached set, if there is one.
    const auto with = [this](auto store) {
        return [this, store](const QString& text) {
            if (CTwoBankData* d = TwoBankData()) store(*d, text);
        };
    };
    const auto number = [this](int (CTwoBankData::*get)() const, void (CTwoBankData::*set)(int)) {
        return std::pair<std::function<int()>, std::function<void(int)>>(
            [this, get] { return TwoBankData() ? (TwoBankData()->*get)() : 0; },
            [this, set](int v) {
                if (CTwoBankData* d = TwoBankData()) (d->*set)(v);
            });
    };
    const auto onOff = [&](const char* name, const char* label, const char* hint,
                           void (CTwoBankData::*set)(bool)) {
        return b.AddSelector(
            {name, QString::fromUtf8(label), kNarrowCaption, QString::fromUtf8(hint)}, OnOffItems(),
            with([set](CTwoBankData& d, const QString& t) { (d.*set)(On(t)); }));
    };

    b.MoveTo(tops[0]);
    auto [toneGet, toneSet] = number(&CTwoBankData::Tone, &CTwoBankData::SetTone);
    e.Tone =
        b.AddNumberLine({"Tone", QStringLiteral(" Частота вызывного тона, Гц:"), kWideCaption,
                         QStringLiteral("Частота вызывного тона\n(выбирается из предложенных или "
                                        "устанавливается из диапазона 500 - 3000 Гц)")},
                        {4, {"1450", "2100"}, 500, 3000, toneGet, toneSet});
    b.MoveTo(tops[1]);
    e.Squelch = b.AddSelector(
        {"Squelch", QStringLiteral(" Порог срабатывания шумоподавителя:"), kWideCaption,
         QStringLiteral("Порог срабатывания шумоподавителя, устанавливается в зависимости от "
                        "помеховой обстановки\n(выбирается из 8 предложенных уровней: 0 - "
                        "минимальный уровень, 7 - максимальный уровень)")},
        Items(models::kSquelchList), with([](CTwoBankData& d, const QString& t) {
            d.SetSquelch(models::ListCode(models::kSquelchList, S(t)));
        }));

    b.MoveTo(tops[2]);
    b.BeginGroup("grp_Transmitter", QStringLiteral(" Передатчик"));
    e.Power = b.AddSelector(
        {"Power", QStringLiteral(" Мощность передатчика:"), kNarrowCaption,
         QStringLiteral("Выбор мощности передатчика\n(выбирается из предложенных уровней: "
                        "номинальная или повышенная)")},
        Items(models::kPowerList), with([](CTwoBankData& d, const QString& t) {
            d.SetPower(models::ListCode(models::kPowerList, S(t)));
        }));
    auto [limitGet, limitSet] = number(&CTwoBankData::LimitPRD, &CTwoBankData::SetLimitPRD);
    e.LimitPRD = b.AddNumberLine(
        {"LimitPRD", WithUnit(" Ограничение времени работы на передачу", units_.seconds),
         kNarrowCaption,
         QStringLiteral("Ограничение времени работы на передачу\n(выбирается из предложенных "
                        "значений или устанавливается из диапазона 5 - 240 сек)")},
        {3, {"30", "45", "60", "90", "120", "180"}, 5, 240, limitGet, limitSet});
    auto [restGet, restSet] = number(&CTwoBankData::RestPRD, &CTwoBankData::SetRestPRD);
    e.RestPRD = b.AddNumberLine(
        {"RestPRD", WithUnit(" Пауза после принудительного отключения передачи", units_.seconds),
         kNarrowCaption,
         QStringLiteral("Время запрета выхода на передачу после принудительного отключения "
                        "передачи\n(выбирается из предложенных значений или устанавливается из "
                        "диапазона 0 - 240 сек)")},
        {3, {"0", "5", "10", "15", "20"}, 0, 240, restGet, restSet});
    b.EndGroup();

    b.MoveTo(tops[3]);
    b.BeginGroup("grp_Indication", QStringLiteral(" Индикация"));
    e.ShowFreq = onOff("ShowFreq", " Отображение частоты текущего канала:",
                       "Включение/отключение индикации частоты текущего канала на индикаторе "
                       "радиостанции",
                       &CTwoBankData::SetShowFreq);
    e.Light = onOff("Light", " Подсветка индикатора и клавиатуры:",
                    "Включение/отключение подсветки индикатора и клавиатуры радиостанции",
                    &CTwoBankData::SetLight);
    e.BeepPress = onOff("BeepPress", " Звуковой сигнал нажатия клавиш:",
                        "Включение/отключение звукового сигнала нажатия клавиш радиостанции",
                        &CTwoBankData::SetBeepPress);
    e.BeepBat = onOff("BeepBat", " Звуковой сигнал при разряде аккумулятора:",
                      "Включение/отключение звукового сигнала при разряде аккумулятора "
                      "радиостанции",
                      &CTwoBankData::SetBeepBat);
    b.EndGroup();

    b.MoveTo(tops[4]);
    b.BeginGroup("grp_OffIndication", QStringLiteral(" Индикация при выключенной радиостанции"));
    e.OffClock = onOff(
        "OffClock", " Отображение текущего времени:",
        "Включение/отключение режима индикации текущего времени на индикаторе выключенной "
        "радиостанции\n(время устанавливается при подключении радиостанции к компьютеру; если "
        "аккумулятор полностью разряжен или радиостанция долгое время находится без "
        "аккумулятора индикация времени отключается)",
        &CTwoBankData::SetOffClock);
    e.OffTemp = onOff(
        "OffTemp", " Отображение температуры:",
        "Включение/отключение режима индикации температуры процессора на индикаторе "
        "выключенной радиостанции\n(если аккумулятор полностью разряжен или радиостанция долгое "
        "время находится без аккумулятора индикация отключается)",
        &CTwoBankData::SetOffTemp);
    e.OffBat = onOff("OffBat", " Отображение уровня заряда аккумулятора:",
                     "Включение/отключение режима индикации заряда аккумулятора на индикаторе "
                     "выключенной радиостанции",
                     &CTwoBankData::SetOffBat);
    b.EndGroup();

    b.MoveTo(tops[5]);
    e.SaveSet = b.AddSelector(
        {"SaveSet", QStringLiteral(" Сохранять изменения параметров при выключении:"), kWideCaption,
         QStringLiteral("Включение/отключение режима сохранения изменений параметров "
                        "радиостанции, произведенных вручную с помощью клавиш радиостанции, при "
                        "выключении радиостанции")},
        YesNoItems(), with([](CTwoBankData& d, const QString& t) { d.SetSaveSet(Yes(t)); }));
    panel->resize(RowWidth(), b.Bottom());
    return panel;
}

void TTwoBankView::FillBasics() {
    const CTwoBankData* d = TwoBankData();
    if (!d) return;
    SEditors& e = *e_;
    ShowNumber(*e.Tone, d->Tone());
    ShowText(*e.Squelch, SquelchText(d->Squelch()));
    ShowText(*e.Power, Q(models::ListName(models::kPowerList, d->Power())));
    ShowNumber(*e.LimitPRD, d->LimitPRD());
    ShowNumber(*e.RestPRD, d->RestPRD());
    ShowText(*e.ShowFreq, OnOffText(d->ShowFreq()));
    ShowText(*e.Light, OnOffText(d->Light()));
    ShowText(*e.BeepPress, OnOffText(d->BeepPress()));
    ShowText(*e.BeepBat, OnOffText(d->BeepBat()));
    ShowText(*e.OffClock, OnOffText(d->OffClock()));
    ShowText(*e.OffTemp, OnOffText(d->OffTemp()));
    ShowText(*e.OffBat, OnOffText(d->OffBat()));
    ShowText(*e.SaveSet, YesNoText(d->SaveSet()));
}

// ---- Scanning ---------------------------------------------------------------------------------

QWidget* TTwoBankView::BuildScanning() {
    SScanGridModel model;
    model.enabled = [this](int i) { return TwoBankData()->Canal(i)->Enabled(); };
    model.scanning = [this](int i) { return TwoBankData()->Canal(i)->Scanning(); };
    model.setScanning = [this](int i, bool on) { TwoBankData()->Canal(i)->SetScanning(on); };
    // The priority editors follow every change of the scan list, the two buttons' included,
    // so that they never offer a channel that is no longer scanned.
    const SScanPanel scan = BuildScanPanel(std::move(model));

    TPageBuilder b(*scan.panel, scan.width, scan.groupWidth, flags_);
    SEditors& e = *e_;
    const QString none = QStringLiteral("(нет каналов сканирования)");
    b.MoveTo(scan.rowsTop);
    e.PriorCanal = b.AddHideableSelector(
        {"PriorCanal", QStringLiteral(" Приоритетный канал:"), kWideCaption,
         QStringLiteral("Выбор номера приоритетного канала\n(выбирается из предложенного "
                        "списка рабочих каналов)")},
        {},
        [this](const QString& t) {
            if (CTwoBankData* d = TwoBankData()) d->SetPriorCanal(models::ParseChannelNumber(S(t)));
        },
        "txt_no_active1", none);
    e.PriorScanning = b.AddHideableSelector(
        {"PriorScanning", QStringLiteral(" Приоритетное сканирование:"), kWideCaption,
         QStringLiteral("Включение/отключение режима приоритетного сканирования\n(при включении "
                        "этого режима каждый второй сканируемый канал - приоритетный)")},
        OnOffItems(),
        [this](const QString& t) {
            if (CTwoBankData* d = TwoBankData()) d->SetPriorScanning(On(t));
        },
        "txt_no_active2", none);
    e.StopOnCurrent = b.AddSelector(
        {"StopOnCurrent", QStringLiteral(" Останавливаться на текущем канале:"), kWideCaption,
         QStringLiteral("Если выбрано \"Да\", при прекращении сканирования радиостанция "
                        "переходит на последний сканируемый канал. Если выбрано \"Нет\", при "
                        "прекращении сканирования радиостанция переходит на канал, с которого "
                        "сканирование началось")},
        YesNoItems(), [this](const QString& t) {
            if (CTwoBankData* d = TwoBankData()) d->SetStopOnCurrent(Yes(t));
        });
    e.DelayScanning = b.AddNumberLine(
        {"DelayScanning", WithUnit(" Задержка сканирования при пропадании несущей", units_.seconds),
         kWideCaption,
         QStringLiteral("Устанавливается время  ожидания  возврата к режиму сканирования после "
                        "окончания переговоров. Если выбрано \"0\", после окончания переговоров "
                        "сканирование прекращается")},
        {2,
         {"0", "5", "10", "15", "20", "25", "30", "40", "50", "60"},
         0,
         60,
         [this] { return TwoBankData() ? TwoBankData()->DelayScanning() : 0; },
         [this](int v) {
             if (CTwoBankData* d = TwoBankData()) d->SetDelayScanning(v);
         }});
    scan.panel->resize(scan.width, b.Bottom());
    return scan.panel;
}

void TTwoBankView::FillScanning() {
    scan_->Refresh();
    CTwoBankData* d = TwoBankData();
    if (!d) return;
    SEditors& e = *e_;
    const bool hasPriority = d->PriorCanal() != -1;
    e.PriorCanal.panel->setVisible(hasPriority);
    e.PriorScanning.panel->setVisible(hasPriority);
    if (hasPriority) {
        QStringList numbers;
        for (int i = 0; i < twobank::kCanalCount; ++i)
            if (d->Canal(i)->Enabled() && d->Canal(i)->Scanning())
                numbers << Q(models::ChannelNumberText(i));
        e.PriorCanal.selector->SetList(numbers);
        ShowText(*e.PriorCanal.selector, Q(models::ChannelNumberText(d->PriorCanal())));
        ShowText(*e.PriorScanning.selector, OnOffText(d->PriorScanning()));
    }
    ShowText(*e.StopOnCurrent, YesNoText(d->StopOnCurrent()));
    ShowNumber(*e.DelayScanning, d->DelayScanning());
}

// ---- Additional parameters --------------------------------------------------------------------

void TTwoBankView::AddDtmfSendRows(TPageBuilder& b) {
    SEditors& e = *e_;
    const auto units = [this](int (CTwoBankData::*get)() const) {
        return [this, get] {
            return TwoBankData() ? models::UnitsToMs((TwoBankData()->*get)()) : 0.0;
        };
    };
    const auto toUnits = [this](void (CTwoBankData::*set)(int)) {
        return [this, set](double ms) {
            if (CTwoBankData* d = TwoBankData()) (d->*set)(models::MsToUnits(ms));
        };
    };
    e.DTMF_Number = b.AddDtmfText(
        {"DTMF_Number", QStringLiteral(" Номер, посылаемый при выходе на передачу:"),
         kNarrowCaption,
         QStringLiteral("Установка конкретного номера, посылаемого при выходе на передачу, может "
                        "содержать  до 16 символов в любом порядке из набора: \"0\", \"1\", "
                        "\"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\", \"9\", \"A\", \"B\", "
                        "\"C\", \"D\", \"E\", \"F\", \"*\", \"#\"")},
        static_cast<int>(twobank::kDtmfDigits), [this](const std::string& text) {
            if (CTwoBankData* d = TwoBankData()) d->SetDTMF_Number(text);
        });
    e.DTMF_ChWidth = b.AddDecimal(
        {"DTMF_ChWidth", WithUnit(" Длительность посылки одного DTMF символа", units_.milliseconds),
         kNarrowCaption,
         QStringLiteral("Установка длительности посылки одного DTMF символа в миллисекундах, "
                        "устанавливается из интервала 0 - 1561 мсек, автоматически приводится к "
                        "наименьшему числу, кратному 15,61 мсек")},
        {2, units(&CTwoBankData::DTMF_ChWidth), toUnits(&CTwoBankData::SetDTMF_ChWidth)});
    e.DTMF_ChPause = b.AddDecimal(
        {"DTMF_ChPause", WithUnit(" Пауза между посылками DTMF символов", units_.milliseconds),
         kNarrowCaption,
         QStringLiteral("Установка длительности паузы между посылками DTMF символов в "
                        "миллисекундах, устанавливается из интервала 0 - 1561 мсек, "
                        "автоматически приводится к наименьшему числу, кратному 15,61 мсек")},
        {2, units(&CTwoBankData::DTMF_ChPause), toUnits(&CTwoBankData::SetDTMF_ChPause)});
}

int TTwoBankView::AddPrgVaTabs(QWidget& panel, int top) {
    auto* inner = new QTabWidget(&panel);
    inner->setObjectName("pgc_PRG_VA");
    auto* prg = new QWidget;
    prg->setObjectName("tbs_PRG");
    auto* va = new QWidget;
    va->setObjectName("tbs_VA");
    BuildPrgPage(*prg);
    BuildVaPage(*va);
    inner->addTab(prg, QStringLiteral("Программирование"));
    inner->addTab(va, QStringLiteral("Активация голосом"));
    inner->setGeometry(0, top, RowWidth(), 6 * kRowHeight + 40);
    return inner->geometry().bottom() + 1;
}

void TTwoBankView::BuildPrgPage(QWidget& page) {
    SEditors& e = *e_;
    TPageBuilder b(page, RowWidth() - 8, GroupRowWidth() - 8, flags_);
    b.MoveTo(4);
    const auto yesNoRow = [&](const char* name, const char* label, const char* hint,
                              void (CTwoBankData::*set)(bool)) {
        return b.AddSelector(
            {name, QString::fromUtf8(label), kWideCaption, QString::fromUtf8(hint)}, YesNoItems(),
            [this, set](const QString& t) {
                if (CTwoBankData* d = TwoBankData()) (d->*set)(Yes(t));
            });
    };
    e.PRG_IR = yesNoRow("PRG_IR", " Включить ИК-порт:",
                        "Разрешение на переход радиостанции в режим программирования при "
                        "включении",
                        &CTwoBankData::SetPRG_IR);
    e.PRG_KB = yesNoRow("PRG_KB", " Разрешить изменение параметров с клавиатуры радиостанции:",
                        "Включение/отключение разрешения на изменение параметров с клавиатуры "
                        "радиостанции",
                        &CTwoBankData::SetPRG_KB);
    e.PRG_ActiveClone =
        yesNoRow("PRG_ActiveClone", " Разрешить копирование параметров радиостанции:",
                 "Включение/отключение разрешения на копирование параметров радиостанции",
                 &CTwoBankData::SetPRG_ActiveClone);
    e.PRG_ReadClone =
        yesNoRow("PRG_ReadClone", " Разрешить чтение параметров из других радиостанций:",
                 "Включение/отключение разрешения на чтение параметров из других аналогичных "
                 "радиостанций",
                 &CTwoBankData::SetPRG_ReadClone);
    e.PRG_WriteClone = yesNoRow(
        "PRG_WriteClone", " Разрешить запись параметров в другие радиостанции:",
        "Включение/отключение разрешения на запись параметров в другие аналогичные радиостанции",
        &CTwoBankData::SetPRG_WriteClone);
    e.PRG_Password = b.AddPassword(
        {"PRG_Password",
         QStringLiteral(" Пароль на изменение параметров с клавиатуры радиостанции:"), kWideCaption,
         QStringLiteral("Ввод пароля, состоящего из 4 цифр, на разрешение изменения параметров "
                        "с клавиатуры радиостанции. Пароль из четырех нулей \"0000\" означает, "
                        "что пароль не установлен.")},
        [this](int value) {
            if (CTwoBankData* d = TwoBankData()) d->SetPRG_Password(value);
        });
}

void TTwoBankView::BuildVaPage(QWidget& page) {
    SEditors& e = *e_;
    TPageBuilder b(page, RowWidth() - 8, GroupRowWidth() - 8, flags_);
    b.MoveTo(4);
    const QString levelRest = QStringLiteral(
        "\n(выбирается из 10 предложенных уровней: 1 - минимальный уровень, 10 - максимальный "
        "уровень)");
    e.VA_On = b.AddSelector(
        {"VA_On", QStringLiteral(" Включить режим \"Активация голосом\":"), kWideCaption,
         QStringLiteral("Включение/отключение режима акустического включения радиостанции на "
                        "передачу")},
        YesNoItems(), [this](const QString& t) {
            if (CTwoBankData* d = TwoBankData()) d->SetVA_On(Yes(t));
        });
    e.VA_Hi = b.AddSelector(
        {"VA_Hi", QStringLiteral(" Порог включения передачи:"), kWideCaption,
         QStringLiteral("Установка уровня акустического включения радиостанции на передачу, "
                        "устанавливается в зависимости от помеховой обстановки") +
             levelRest},
        Items(models::kVaLevelList), [this](const QString& t) { StoreVaHi(t); });
    e.VA_Lo =
        b.AddSelector({"VA_Lo", QStringLiteral(" Порог выключения передачи:"), kWideCaption,
                       QStringLiteral("Установка уровня акустического выключения режима передачи, "
                                      "устанавливается в зависимости от помеховой обстановки") +
                           levelRest},
                      Items(models::kVaLevelList), [this](const QString& t) { StoreVaLo(t); });
    e.VA_Pause = b.AddSelector(
        {"VA_Pause", QStringLiteral(" Допустимая пауза между словами, сек:"), kWideCaption,
         QStringLiteral("Установка допустимой длительности паузы между словами при работе в "
                        "режиме акустического включения радиостанции на передачу\n(выбирается "
                        "из 5 значений: 0, 1, 2, 3, 4 сек)")},
        NumberItems(0, 4), [this](const QString& t) {
            if (CTwoBankData* d = TwoBankData())
                d->SetVA_Pause(models::ParseIntClamped(S(t), 0, 4));
        });
    e.VA_BlockKB = b.AddSelector(
        {"VA_BlockKB", QStringLiteral(" Разрешить включение режима с клавиатуры радиостанции:"),
         kWideCaption,
         QStringLiteral("Разрешение/запрет включения режима акустического включения "
                        "радиостанции на передачу с клавиатуры радиостанции")},
        YesNoItems(), [this](const QString& t) {
            // The row asks whether switching on is allowed; the radio keeps whether it is
            // blocked.
            if (CTwoBankData* d = TwoBankData()) d->SetVA_BlockKB(!Yes(t));
        });
}

void TTwoBankView::StoreVaHi(const QString& text) {
    CTwoBankData* d = TwoBankData();
    if (!d) return;
    d->SetVA_Hi(models::VaLevelValue(S(text)));
    if (d->VA_Hi() >= d->VA_Lo()) return;
    d->SetVA_Lo(d->VA_Hi());
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d->VA_Lo())));
}

void TTwoBankView::StoreVaLo(const QString& text) {
    CTwoBankData* d = TwoBankData();
    if (!d) return;
    d->SetVA_Lo(std::min(models::VaLevelValue(S(text)), d->VA_Hi()));
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d->VA_Lo())));
}

void TTwoBankView::FillDtmfSendAndPrgVa(const CTwoBankData& d) {
    SEditors& e = *e_;
    ShowText(*e.DTMF_Number, Q(d.DTMF_Number()));
    ShowText(*e.DTMF_ChWidth, DecimalText(models::UnitsToMs(d.DTMF_ChWidth()), 2));
    ShowText(*e.DTMF_ChPause, DecimalText(models::UnitsToMs(d.DTMF_ChPause()), 2));
    ShowText(*e.PRG_IR, YesNoText(d.PRG_IR()));
    ShowText(*e.PRG_KB, YesNoText(d.PRG_KB()));
    ShowText(*e.PRG_ActiveClone, YesNoText(d.PRG_ActiveClone()));
    ShowText(*e.PRG_ReadClone, YesNoText(d.PRG_ReadClone()));
    ShowText(*e.PRG_WriteClone, YesNoText(d.PRG_WriteClone()));
    ShowText(*e.PRG_Password, PasswordText(d.PRG_Password()));
    ShowText(*e.VA_On, YesNoText(d.VA_On()));
    ShowText(*e.VA_Hi, Q(models::VaLevelName(d.VA_Hi())));
    ShowText(*e.VA_Lo, Q(models::VaLevelName(d.VA_Lo())));
    ShowText(*e.VA_Pause, QString::number(d.VA_Pause()));
    ShowText(*e.VA_BlockKB, YesNoText(!d.VA_BlockKB()));
}
