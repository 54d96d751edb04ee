#include "F_twobankview.h"

#include "F_viewtexts.h"
#include "U_modellists.h"
#include "U_shownvalues.h"
#include "U_twobankdata.h"
#include "Zvc_editor.h"
#include "Zvc_static.h"

#include <QTabWidget>

#include <algorithm>
#include <utility>

using namespace views;

namespace {

// The places of the basic page: where its rows and groups start, in the normal and the compact
// layout.
constexpr int kBasicsPlaces[2][6] = {{0, 46, 92, 207, 322, 437}, {0, 23, 46, 138, 253, 345}};

// The channels of a two-bank set as the table operations see them. Every value goes through
// the channel's setters, so the step, the band, the couplings and the priority hold as for a
// typed edit.
class TTwoBankCanalAccess final : public ICanalAccess {
  public:
    TTwoBankCanalAccess(std::function<CTwoBankData*()> data, QStringList toneNames)
        : data_(std::move(data)), toneNames_(std::move(toneNames)) {}

    int Count() const override { return data_() ? twobank::kCanalCount : 0; }

    SCanalRecord Get(int canal) const override {
        const CTwoBankCanal& c = data_()->CanalAt(canal);
        SCanalRecord r = CommonRecordOf(c);
        r.rxTone = Q(Tones().name(c.CSS_PRM()));
        r.txTone = Q(Tones().name(c.CSS_PRD()));
        r.blocked = c.BlockPRDIfBusy();
        r.limited = c.LimitPRDOnTime();
        return r;
    }

    QString Misfit(const SCanalRecord& r) const override {
        const STwoBankModel& model = data_()->Model();
        return RecordMisfit(r, model.bandLow, model.bandHigh, twobank::kRaster,
                            [this](const QString& tone) { return Known(tone); });
    }

    void Put(int canal, const SCanalRecord& r) override {
        CTwoBankCanal& c = *data_()->Canal(canal);
        PutFrequencies(c, r);
        c.SetCSS_PRM(Tones().code(S(r.rxTone)));
        c.SetCSS_PRD(Tones().code(S(r.txTone)));
        c.SetOne_CSS(r.oneCss);
        c.SetBlockPRDIfBusy(r.blocked);
        c.SetLimitPRDOnTime(r.limited);
        PutUse(c, r);
    }

    SCanalRecord Empty() const override {
        SCanalRecord r;
        r.step = data_()->Model().defaultStep;
        r.rx = r.tx = data_()->Model().bandLow;
        r.rxTone = r.txTone = Q(Tones().name(0));
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

    QStringList ToneNames() const override { return toneNames_; }

  private:
    const STwoBankTones& Tones() const { return data_()->Model().tones; }
    bool Known(const QString& tone) const {
        const std::string name = S(tone);
        return Tones().code(name) != 0 || name == Tones().name(0);
    }

    std::function<CTwoBankData*()> data_;
    QStringList toneNames_;  // every name, in list order
};

}  // namespace

void TTwoBankView::EnableTwoBankCanalEditing(QStringList toneNames) {
    EnableCanalEditing(std::make_unique<TTwoBankCanalAccess>([this] { return TwoBankData(); },
                                                             std::move(toneNames)));
}

// The editors the pages refill apart from their bound rows.
struct TTwoBankView::SEditors {
    TPageBuilder::SHideableSelector PriorCanal{};
    TPageBuilder::SHideableSelector PriorScanning{};
    ZVCL::TZStatic* VA_Lo = nullptr;
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

TDataRows<CTwoBankData> TTwoBankView::Rows(TPageBuilder& b, TRowFills& fills) const {
    return RowsOf<CTwoBankData>(b, fills);
}

// ---- Channel table ----------------------------------------------------------------------------

bool TTwoBankView::InUse(int canal) const {
    return TwoBankData()->Canal(canal)->Enabled();
}

void TTwoBankView::SetCanalColumns(std::vector<SCanalColumn>& c,
                                   std::function<void(int canal)> toggleEnabled) const {
    const auto canal = [this](int i) -> CTwoBankCanal& { return *TwoBankData()->Canal(i); };
    SFrequencyForm form;
    form.text = [this](int hz) { return Q(twobank::FreqText(*TwoBankData(), hz)); };
    form.parse = [this](const QString& text) {
        return twobank::ParseFreqText(*TwoBankData(), S(text));
    };
    form.stepped = [this](int hz, int step, int direction) {
        const CTwoBankData& d = *TwoBankData();
        return direction > 0 ? twobank::StepUp(d, hz, step) : twobank::StepDown(d, hz, step);
    };
    form.snap = [this](int hz) { return twobank::SnapToRanges(*TwoBankData(), hz); };
    SetFrequencyColumns(c, canal, std::move(form), std::move(toggleEnabled));

    c[2].action = TCellAction::List;
    c[2].text = [this, canal](int i) {
        return Q(twobank::FreqText(*TwoBankData(), canal(i).FRQ_Step()));
    };
    c[2].list = [](int) { return Items(models::kStepList); };
    c[2].store = [canal](int i, const QString& text) {
        const int code = models::ListCode(models::kStepList, S(text));
        canal(i).SetFRQ_Step(models::kStepValues[static_cast<size_t>(code)]);
    };
    c[2].hint = QStringLiteral("Выбор шага сетки частот");
    c[2].hintRows = 3;
}

void TTwoBankView::SetOneCssColumn(SCanalColumn& c, const QString& hint) const {
    const auto canal = [this](int i) { return TwoBankData()->Canal(i); };
    SetEqualColumn(
        c, [canal](int i) { return canal(i)->One_CSS(); },
        [canal](int i, bool on) { canal(i)->SetOne_CSS(on); }, hint);
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
    busy.image = [canal](int i) { return Tick(!canal(i)->BlockPRDIfBusy(), ti_Ticked); };
    busy.dottedWhenDisabled = true;
    busy.toggle = [canal](int i) { canal(i)->SetBlockPRDIfBusy(!canal(i)->BlockPRDIfBusy()); };
    busy.hint = QStringLiteral("Разрешить передачу на занятом канале");
    busy.hintRows = 3;

    limit.action = TCellAction::Toggle;
    limit.image = [canal](int i) { return Tick(canal(i)->LimitPRDOnTime(), ti_Ticked); };
    limit.dottedWhenDisabled = true;
    limit.toggle = [canal](int i) { canal(i)->SetLimitPRDOnTime(!canal(i)->LimitPRDOnTime()); };
    limit.hint = QStringLiteral(
        "Ограничение передачи по времени\n(конкретное время устанавливается на вкладке "
        "\"Основные параметры\" в группе \"Передатчик\")");
    limit.hintRows = 3;
}

// ---- Basic parameters -------------------------------------------------------------------------

QWidget* TTwoBankView::BuildBasics() {
    TPageBuilder b = NewRowsPage("pnl_Basics", kBasicsPlaces);
    const TDataRows<CTwoBankData> rows = Rows(b, basics_);
    using D = CTwoBankData;

    b.MoveToPlace(0);
    rows.Number(CallToneRow(), {4, {"1450", "2100"}, 500, 3000}, &D::Tone, &D::SetTone);
    b.MoveToPlace(1);
    rows.Selector(
        SquelchRow("Squelch", QStringLiteral("\n(выбирается из 8 предложенных уровней: 0 - "
                                             "минимальный уровень, 7 - максимальный уровень)")),
        Items(models::kSquelchList),
        [](D& d, const QString& t) { d.SetSquelch(models::ListCode(models::kSquelchList, S(t))); },
        [](const D& d) { return Q(models::SquelchName(d.Squelch())); });

    b.MoveToPlace(2);
    b.BeginGroup("grp_Transmitter", QStringLiteral(" Передатчик"));
    rows.Selector(
        {"Power", QStringLiteral(" Мощность передатчика:"), kNarrowCaption,
         QStringLiteral("Выбор мощности передатчика\n(выбирается из предложенных уровней: "
                        "номинальная или повышенная)")},
        Items(models::kPowerList),
        [](D& d, const QString& t) { d.SetPower(models::ListCode(models::kPowerList, S(t))); },
        [](const D& d) { return Q(models::ListName(models::kPowerList, d.Power())); });
    rows.Number({"LimitPRD", UnitCaption(" Ограничение времени работы на передачу", units_.seconds),
                 kNarrowCaption,
                 QStringLiteral("Ограничение времени работы на передачу\n(выбирается из "
                                "предложенных значений или устанавливается из диапазона 5 - 240 "
                                "сек)")},
                {3, {"30", "45", "60", "90", "120", "180"}, 5, 240}, &D::LimitPRD, &D::SetLimitPRD);
    rows.Number(
        {"RestPRD", UnitCaption(" Пауза после принудительного отключения передачи", units_.seconds),
         kNarrowCaption,
         QStringLiteral("Время запрета выхода на передачу после принудительного отключения "
                        "передачи\n(выбирается из предложенных значений или устанавливается из "
                        "диапазона 0 - 240 сек)")},
        {3, {"0", "5", "10", "15", "20"}, 0, 240}, &D::RestPRD, &D::SetRestPRD);
    b.EndGroup();

    b.MoveToPlace(3);
    b.BeginGroup("grp_Indication", QStringLiteral(" Индикация"));
    AddIndicationRows(rows);
    rows.OnOff(
        {"BeepBat", QStringLiteral(" Звуковой сигнал при разряде аккумулятора:"), kNarrowCaption,
         QStringLiteral("Включение/отключение звукового сигнала при разряде аккумулятора "
                        "радиостанции")},
        &D::BeepBat, &D::SetBeepBat);
    b.EndGroup();

    b.MoveToPlace(4);
    b.BeginGroup("grp_OffIndication", QStringLiteral(" Индикация при выключенной радиостанции"));
    rows.OnOff(
        {"OffClock", QStringLiteral(" Отображение текущего времени:"), kNarrowCaption,
         QStringLiteral("Включение/отключение режима индикации текущего времени на индикаторе "
                        "выключенной радиостанции\n(время устанавливается при подключении "
                        "радиостанции к компьютеру; если аккумулятор полностью разряжен или "
                        "радиостанция долгое время находится без аккумулятора индикация "
                        "времени отключается)")},
        &D::OffClock, &D::SetOffClock);
    rows.OnOff({"OffTemp", QStringLiteral(" Отображение температуры:"), kNarrowCaption,
                QStringLiteral("Включение/отключение режима индикации температуры процессора на "
                               "индикаторе выключенной радиостанции\n(если аккумулятор полностью "
                               "разряжен или радиостанция долгое время находится без аккумулятора "
                               "индикация отключается)")},
               &D::OffTemp, &D::SetOffTemp);
    rows.OnOff(
        {"OffBat", QStringLiteral(" Отображение уровня заряда аккумулятора:"), kNarrowCaption,
         QStringLiteral("Включение/отключение режима индикации заряда аккумулятора на "
                        "индикаторе выключенной радиостанции")},
        &D::OffBat, &D::SetOffBat);
    b.EndGroup();

    b.MoveToPlace(5);
    rows.YesNo(SaveSetRow(), &D::SaveSet, &D::SetSaveSet);
    return b.FinishPage();
}

// ---- Scanning ---------------------------------------------------------------------------------

QWidget* TTwoBankView::BuildScanning() {
    // The priority editors follow every change of the scan list, the two buttons' included,
    // so that they never offer a channel that is no longer scanned.
    TPageBuilder b = BuildScanPage(
        ScanModelOver([this](int i) -> CTwoBankCanal& { return *TwoBankData()->Canal(i); }));
    const TDataRows<CTwoBankData> rows = Rows(b, scanning_);
    SEditors& e = *e_;
    using D = CTwoBankData;
    const QString none = QStringLiteral("(нет каналов сканирования)");
    e.PriorCanal = b.AddHideableSelector(PriorCanalRow("PriorCanal"), {},
                                         rows.With([](D& d, const QString& t) {
                                             d.SetPriorCanal(models::ParseChannelNumber(S(t)));
                                         }),
                                         "txt_no_active1", none);
    e.PriorScanning =
        b.AddHideableSelector(PriorScanningRow(), OnOffItems(),
                              rows.With([](D& d, const QString& t) { d.SetPriorScanning(On(t)); }),
                              "txt_no_active2", none);
    rows.Fill([this](const D& d) { FillPriority(d); });
    rows.YesNo(StopOnCurrentRow(), &D::StopOnCurrent, &D::SetStopOnCurrent);
    rows.Number(DelayScanningRow(units_.seconds),
                {2, {"0", "5", "10", "15", "20", "25", "30", "40", "50", "60"}, 0, 60},
                &D::DelayScanning, &D::SetDelayScanning);
    return b.FinishPage();
}

void TTwoBankView::FillPriority(const CTwoBankData& d) {
    const SEditors& e = *e_;
    const bool hasPriority = d.PriorCanal() != -1;
    e.PriorCanal.panel->setVisible(hasPriority);
    e.PriorScanning.panel->setVisible(hasPriority);
    if (!hasPriority) return;
    e.PriorCanal.selector->SetList(CanalNumbers(twobank::kCanalCount, [&d](int i) {
        return d.CanalAt(i).Enabled() && d.CanalAt(i).Scanning();
    }));
    ShowText(*e.PriorCanal.selector, Q(models::ChannelNumberText(d.PriorCanal())));
    ShowText(*e.PriorScanning.selector, OnOffText(d.PriorScanning()));
}

// ---- Additional parameters --------------------------------------------------------------------

void TTwoBankView::AddDtmfSendRows(TPageBuilder& b) {
    const TDataRows<CTwoBankData> rows = Rows(b, sames_);
    using D = CTwoBankData;
    const auto ms = [](int (D::*get)() const) {
        return [get](const D& d) { return models::UnitsToMs((d.*get)()); };
    };
    const auto toUnits = [](void (D::*set)(int)) {
        return [set](D& d, double ms) { (d.*set)(models::MsToUnits(ms)); };
    };
    rows.Dtmf(
        {"DTMF_Number", QStringLiteral(" Номер, посылаемый при выходе на передачу:"),
         kNarrowCaption,
         QStringLiteral("Установка конкретного номера, посылаемого при выходе на передачу, может "
                        "содержать  до 16 символов в любом порядке из набора: \"0\", \"1\", "
                        "\"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\", \"9\", \"A\", \"B\", "
                        "\"C\", \"D\", \"E\", \"F\", \"*\", \"#\"")},
        static_cast<int>(twobank::kDtmfDigits), &D::DTMF_Number, &D::SetDTMF_Number);
    rows.Decimal(
        {"DTMF_ChWidth",
         UnitCaption(" Длительность посылки одного DTMF символа", units_.milliseconds),
         kNarrowCaption,
         QStringLiteral("Установка длительности посылки одного DTMF символа в миллисекундах, "
                        "устанавливается из интервала 0 - 1561 мсек, автоматически приводится к "
                        "наименьшему числу, кратному 15,61 мсек")},
        2, ms(&D::DTMF_ChWidth), toUnits(&D::SetDTMF_ChWidth));
    rows.Decimal(
        {"DTMF_ChPause", UnitCaption(" Пауза между посылками DTMF символов", units_.milliseconds),
         kNarrowCaption,
         QStringLiteral("Установка длительности паузы между посылками DTMF символов в "
                        "миллисекундах, устанавливается из интервала 0 - 1561 мсек, "
                        "автоматически приводится к наименьшему числу, кратному 15,61 мсек")},
        2, ms(&D::DTMF_ChPause), toUnits(&D::SetDTMF_ChPause));
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
    TPageBuilder b(page, RowWidth() - 8, GroupRowWidth() - 8, flags_);
    const TDataRows<CTwoBankData> rows = Rows(b, sames_);
    using D = CTwoBankData;
    b.MoveTo(4);
    const auto yesNo = [&rows](const char* name, const char* label, const char* hint,
                               bool (D::*get)() const, void (D::*set)(bool)) {
        rows.YesNo({name, QString::fromUtf8(label), kWideCaption, QString::fromUtf8(hint)}, get,
                   set);
    };
    rows.YesNo(InfraredPortRow(kWideCaption), &D::PRG_IR, &D::SetPRG_IR);
    yesNo("PRG_KB", " Разрешить изменение параметров с клавиатуры радиостанции:",
          "Включение/отключение разрешения на изменение параметров с клавиатуры радиостанции",
          &D::PRG_KB, &D::SetPRG_KB);
    yesNo("PRG_ActiveClone", " Разрешить копирование параметров радиостанции:",
          "Включение/отключение разрешения на копирование параметров радиостанции",
          &D::PRG_ActiveClone, &D::SetPRG_ActiveClone);
    yesNo("PRG_ReadClone", " Разрешить чтение параметров из других радиостанций:",
          "Включение/отключение разрешения на чтение параметров из других аналогичных "
          "радиостанций",
          &D::PRG_ReadClone, &D::SetPRG_ReadClone);
    yesNo("PRG_WriteClone", " Разрешить запись параметров в другие радиостанции:",
          "Включение/отключение разрешения на запись параметров в другие аналогичные радиостанции",
          &D::PRG_WriteClone, &D::SetPRG_WriteClone);
    rows.Password(
        {"PRG_Password",
         QStringLiteral(" Пароль на изменение параметров с клавиатуры радиостанции:"), kWideCaption,
         QStringLiteral("Ввод пароля, состоящего из 4 цифр, на разрешение изменения параметров "
                        "с клавиатуры радиостанции. Пароль из четырех нулей \"0000\" означает, "
                        "что пароль не установлен.")},
        &D::PRG_Password, &D::SetPRG_Password);
}

void TTwoBankView::BuildVaPage(QWidget& page) {
    TPageBuilder b(page, RowWidth() - 8, GroupRowWidth() - 8, flags_);
    const TDataRows<CTwoBankData> rows = Rows(b, sames_);
    using D = CTwoBankData;
    b.MoveTo(4);
    const QString levelRest = QStringLiteral(
        "\n(выбирается из 10 предложенных уровней: 1 - минимальный уровень, 10 - максимальный "
        "уровень)");
    rows.YesNo({"VA_On", QStringLiteral(" Включить режим \"Активация голосом\":"), kWideCaption,
                QStringLiteral("Включение/отключение режима акустического включения "
                               "радиостанции на передачу")},
               &D::VA_On, &D::SetVA_On);
    const auto levelName = [](int (D::*get)() const) {
        return [get](const D& d) { return Q(models::VaLevelName((d.*get)())); };
    };
    rows.Selector(
        {"VA_Hi", QStringLiteral(" Порог включения передачи:"), kWideCaption,
         QStringLiteral("Установка уровня акустического включения радиостанции на передачу, "
                        "устанавливается в зависимости от помеховой обстановки") +
             levelRest},
        Items(models::kVaLevelList), [this](D& d, const QString& t) { StoreVaHi(d, t); },
        levelName(&D::VA_Hi));
    e_->VA_Lo = rows.Selector(
        {"VA_Lo", QStringLiteral(" Порог выключения передачи:"), kWideCaption,
         QStringLiteral("Установка уровня акустического выключения режима передачи, "
                        "устанавливается в зависимости от помеховой обстановки") +
             levelRest},
        Items(models::kVaLevelList), [this](D& d, const QString& t) { StoreVaLo(d, t); },
        levelName(&D::VA_Lo));
    rows.Count(
        {"VA_Pause", QStringLiteral(" Допустимая пауза между словами, сек:"), kWideCaption,
         QStringLiteral("Установка допустимой длительности паузы между словами при работе в "
                        "режиме акустического включения радиостанции на передачу\n(выбирается "
                        "из 5 значений: 0, 1, 2, 3, 4 сек)")},
        0, 4, &D::VA_Pause, &D::SetVA_Pause);
    // The row asks whether switching on is allowed; the radio keeps whether it is blocked.
    rows.Selector(
        {"VA_BlockKB", QStringLiteral(" Разрешить включение режима с клавиатуры радиостанции:"),
         kWideCaption,
         QStringLiteral("Разрешение/запрет включения режима акустического включения "
                        "радиостанции на передачу с клавиатуры радиостанции")},
        YesNoItems(), [](D& d, const QString& t) { d.SetVA_BlockKB(!Yes(t)); },
        [](const D& d) { return YesNoText(!d.VA_BlockKB()); });
}

void TTwoBankView::StoreVaHi(CTwoBankData& d, const QString& text) {
    d.SetVA_Hi(models::VaLevelValue(S(text)));
    if (d.VA_Hi() >= d.VA_Lo()) return;
    d.SetVA_Lo(d.VA_Hi());
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d.VA_Lo())));
}

void TTwoBankView::StoreVaLo(CTwoBankData& d, const QString& text) {
    d.SetVA_Lo(std::min(models::VaLevelValue(S(text)), d.VA_Hi()));
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d.VA_Lo())));
}
