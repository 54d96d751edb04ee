#include "F_birchcedarview.h"

#include "F_viewtexts.h"
#include "U_birchcedarware.h"
#include "U_modellists.h"
#include "Zvc_editor.h"
#include "Zvc_grid.h"
#include "Zvc_label.h"
#include "Zvc_panel.h"
#include "Zvc_scrollbar.h"
#include "Zvc_static.h"

#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace views;

namespace {

// Normal and compact widths of the channel table's columns.
constexpr int kCanalWidths[2][13] = {{30, 35, 45, 120, 35, 120, 50, 50, 35, 50, 50, 65, 65},
                                     {30, 30, 45, 90, 30, 90, 45, 45, 30, 45, 45, 35, 35}};
constexpr int kCanalColumns = 13;
constexpr int kScanColWidth[2] = {70, 54};
constexpr int kNormalRowWidth = 700;
constexpr int kCompactRowWidth = 564;
constexpr int kGroupIndent = 23;
constexpr int kWide = 373;    // caption width of rows on their own
constexpr int kNarrow = 350;  // caption width of rows in a group
constexpr int kGroupGap = 6;

const QString kFrequencyRest = QStringLiteral("(устанавливается из допустимого диапазона частот)");
const QString kSystemRest = QStringLiteral(
    "(выбираются из предложенных; в правом столбце выбирается система \"открытия\" "
    "шумоподавителя CTCSS или DCS, в левом столбце конкретное значение тона CTCSS или кода "
    "DCS)");

QString SquelchText(int value) {
    const int last = static_cast<int>(models::kSquelchList.size()) - 1;
    return Q(models::kSquelchList[static_cast<std::size_t>(std::clamp(value, 0, last))]);
}

}  // namespace

// ---- Squelch systems of a channel -------------------------------------------------------------

namespace birchcedar {

TSquelchSystem SystemOf(int code) {
    if (code > 0) return TSquelchSystem::Ctcss;
    if (code < 0) return TSquelchSystem::Dcs;
    return TSquelchSystem::None;
}

QString SystemText(int code) {
    return Q(models::kSquelchSystemList[static_cast<std::size_t>(SystemOf(code))]);
}

int CodeAfterSystemChoice(int stored, const QString& choice) {
    int chosen = 0;
    if (choice == Q(models::kSquelchSystemList[1])) chosen = 1;
    if (choice == Q(models::kSquelchSystemList[2])) chosen = -1;
    // The same system again keeps the tone or code already chosen.
    return SystemOf(stored) == SystemOf(chosen) ? stored : chosen;
}

int CodeAfterValueChoice(int stored, const QString& text) {
    switch (SystemOf(stored)) {
        case TSquelchSystem::Ctcss: {
            const int p = IndexIn(models::kBirchCedarCtcssList, text);
            return p >= 0 ? p + 1 : 0;
        }
        case TSquelchSystem::Dcs: {
            const int p = IndexIn(models::kDcsList, text);
            return p >= 0 ? -(p + 1) : 0;
        }
        case TSquelchSystem::None:
            break;
    }
    return 0;
}

QString ValueText(int code) {
    return code == 0 ? QString() : Q(ToneName(code));
}

QStringList ValueList(int code) {
    switch (SystemOf(code)) {
        case TSquelchSystem::Ctcss:
            return Items(models::kBirchCedarCtcssList);
        case TSquelchSystem::Dcs:
            return Items(models::kDcsList);
        case TSquelchSystem::None:
            break;
    }
    return {};
}

}  // namespace birchcedar

// The editors the pages fill, by the parameter they show.
struct TBirchCedarView::SEditors {
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
    ZVCL::TZStatic* Econom = nullptr;
    ZVCL::TZEditor* EconomT1 = nullptr;
    ZVCL::TZEditor* EconomT2 = nullptr;
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

TBirchCedarView::TBirchCedarView(CRadioWare& ware, TLayout layout, QWidget* parent)
    : QWidget(parent), ware_(ware), layout_(layout), e_(std::make_unique<SEditors>()) {
    setObjectName(ware.Description() == "BIRCH" ? "TBirchView" : "TCedarView");
    setFont(ZVCL::TahomaFont(12));
    pgc_Data_ = new QTabWidget(this);
    pgc_Data_->setObjectName("pgc_Data");
    pages_ = std::make_unique<TPageSet>(*pgc_Data_, flags_);
    // Build every page before adding any, since adding the first one shows (fills) it.
    QWidget* canals = BuildCanals();
    QWidget* basics = BuildBasics();
    QWidget* scanning = BuildScanning();
    QWidget* sames = BuildSames();
    pages_->AddPage(
        "tbs_Canals", QStringLiteral("Параметры каналов"), canals, [this] { canals_->Refresh(); },
        true);
    pages_->AddPage("tbs_Basics", QStringLiteral("Основные параметры"), basics,
                    [this] { FillBasics(); });
    pages_->AddPage("tbs_Scanning", QStringLiteral("Параметры сканирования"), scanning,
                    [this] { FillScanning(); });
    pages_->AddPage("tbs_Sames", QStringLiteral("Дополнительные параметры"), sames,
                    [this] { FillSames(); });
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(pgc_Data_);
}

TBirchCedarView::~TBirchCedarView() {
    // The pages' widgets call back into the helpers below; they go first.
    delete pgc_Data_;
}

CBirchCedarData* TBirchCedarView::Data() const {
    return dynamic_cast<CBirchCedarData*>(ware_.AttachedData());
}

int TBirchCedarView::RowWidth() const {
    return Compact() ? kCompactRowWidth : kNormalRowWidth;
}

int TBirchCedarView::GroupRowWidth() const {
    return RowWidth() - kGroupIndent;
}

void TBirchCedarView::UpdateView() {
    pages_->FillActive();
}

// ---- Channel table ----------------------------------------------------------------------------

QWidget* TBirchCedarView::BuildCanals() {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Canals");
    auto* grid = new ZVCL::TZ_Grid(panel);
    grid->setObjectName("grd_Canals");
    auto* bar = new ZVCL::TZVScrollBar(panel);
    bar->setObjectName("vscrl_Canals");

    const int w = Compact() ? 1 : 0;
    const auto canal = [this](int i) { return Data()->Canal(i); };
    const auto freqText = [this](int value) { return Q(twobank::FreqText(*Data(), value)); };
    const auto mask = [this, canal](int i) {
        const int bandHigh = Data()->Model().bandHigh;
        return FrequencyEditMask(bandHigh, FreqDigitsOfBand(bandHigh),
                                 canal(i)->FRQ_Step() == 12500);
    };
    const auto step = [this, canal](int i, const QString& text, int direction) {
        const CBirchCedarData& d = *Data();
        const int f = twobank::ParseFreqText(d, S(text));
        const int s = canal(i)->FRQ_Step();
        return Q(twobank::FreqText(
            d, direction > 0 ? twobank::StepUp(d, f, s) : twobank::StepDown(d, f, s)));
    };
    const auto tick = [](bool on, int image) { return on ? image : ti_Empty; };

    SCanalGridModel model;
    model.hasData = [this] { return Data() != nullptr; };
    model.enabled = [canal](int i) { return canal(i)->Enabled(); };
    std::vector<SCanalColumn>& c = model.columns;
    c.resize(kCanalColumns);
    for (int col = 0; col < kCanalColumns; ++col)
        c[static_cast<size_t>(col)].width = kCanalWidths[w][col];

    c[1].action = TCellAction::Toggle;
    c[1].needsEnabled = false;
    c[1].image = [canal, tick](int i) { return tick(canal(i)->Enabled(), ti_Ticked); };
    // The scanning mark stays as it is: the radio skips a channel out of use anyway.
    c[1].toggle = [canal](int i) { canal(i)->SetEnabled(!canal(i)->Enabled()); };
    c[1].hint = QStringLiteral("Включить канал в список рабочих");
    c[1].hintRows = 3;

    c[2].action = TCellAction::List;
    c[2].text = [this, canal](int i) {
        return Q(twobank::FreqText(*Data(), canal(i)->FRQ_Step()));
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
    c[3].editMask = mask;
    c[3].step = step;
    c[3].store = [this, canal](int i, const QString& text) {
        canal(i)->SetFRQ_PRM(twobank::ParseFreqText(*Data(), S(text)));
    };
    c[3].hint = QStringLiteral("Частота приема\n") + kFrequencyRest;
    c[3].hintRows = 2;

    c[4].action = TCellAction::Toggle;
    c[4].image = [canal, tick](int i) { return tick(canal(i)->One_FRQ(), ti_Equal); };
    c[4].dottedWhenDisabled = true;
    c[4].toggle = [canal](int i) { canal(i)->SetOne_FRQ(!canal(i)->One_FRQ()); };
    c[4].hint = QStringLiteral(
        "Знак \"=\" устанавливается в случае, если частота приема равна частоте передачи");
    c[4].hintRows = 2;

    c[5] = c[3];
    c[5].text = [canal, freqText](int i) { return freqText(canal(i)->FRQ_PRD()); };
    c[5].allowed = [canal](int i) { return !canal(i)->One_FRQ(); };
    c[5].store = [this, canal](int i, const QString& text) {
        canal(i)->SetFRQ_PRD(twobank::ParseFreqText(*Data(), S(text)));
    };
    c[5].hint = QStringLiteral("Частота передачи\n") + kFrequencyRest;

    // Receive squelch: the system, then the tone or code under it.
    c[6].action = TCellAction::List;
    c[6].text = [canal](int i) { return birchcedar::SystemText(canal(i)->CSS_PRM()); };
    c[6].list = [](int) { return Items(models::kSquelchSystemList); };
    c[6].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRM(birchcedar::CodeAfterSystemChoice(canal(i)->CSS_PRM(), text));
    };
    c[6].hint = QStringLiteral("Приемный тон CTCSS или код DCS\n") + kSystemRest;
    c[6].hintRows = 2;

    c[7].action = TCellAction::List;
    c[7].text = [canal](int i) { return birchcedar::ValueText(canal(i)->CSS_PRM()); };
    c[7].list = [canal](int i) { return birchcedar::ValueList(canal(i)->CSS_PRM()); };
    c[7].allowed = [canal](int i) { return canal(i)->CSS_PRM() != 0; };
    c[7].pullRight = 23;
    c[7].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRM(birchcedar::CodeAfterValueChoice(canal(i)->CSS_PRM(), text));
    };
    c[7].hint = c[6].hint;
    c[7].hintRows = 2;

    c[8].action = TCellAction::Toggle;
    c[8].image = [canal, tick](int i) { return tick(canal(i)->One_CSS(), ti_Equal); };
    c[8].dottedWhenDisabled = true;
    c[8].toggle = [canal](int i) { canal(i)->SetOne_CSS(!canal(i)->One_CSS()); };
    c[8].hint = QStringLiteral(
        "Знак \"=\" устанавливается в случае, если частота приемного тона CTCSS равна частоте "
        "тона передачи CTCSS или приемный код DCS равен коду передачи DCS");
    c[8].hintRows = 2;

    // Transmit squelch, shut while it follows the receive one.
    c[9] = c[6];
    c[9].text = [canal](int i) { return birchcedar::SystemText(canal(i)->CSS_PRD()); };
    c[9].allowed = [canal](int i) { return !canal(i)->One_CSS(); };
    c[9].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRD(birchcedar::CodeAfterSystemChoice(canal(i)->CSS_PRD(), text));
    };
    c[9].hint = QStringLiteral("Тон передачи CTCSS или код DCS\n") + kSystemRest;

    c[10] = c[7];
    c[10].text = [canal](int i) { return birchcedar::ValueText(canal(i)->CSS_PRD()); };
    c[10].list = [canal](int i) { return birchcedar::ValueList(canal(i)->CSS_PRD()); };
    c[10].allowed = [canal](int i) { return !canal(i)->One_CSS() && canal(i)->CSS_PRD() != 0; };
    c[10].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRD(birchcedar::CodeAfterValueChoice(canal(i)->CSS_PRD(), text));
    };
    c[10].hint = c[9].hint;

    c[11].action = TCellAction::Toggle;
    // Ticked when transmitting on a busy channel is allowed, that is when it is not blocked.
    c[11].image = [canal, tick](int i) { return tick(!canal(i)->BlockPRDIfBusy(), ti_Ticked); };
    c[11].dottedWhenDisabled = true;
    c[11].toggle = [canal](int i) { canal(i)->SetBlockPRDIfBusy(!canal(i)->BlockPRDIfBusy()); };
    c[11].hint = QStringLiteral("Разрешить передачу на занятом канале");
    c[11].hintRows = 3;

    c[12].action = TCellAction::Toggle;
    c[12].image = [canal, tick](int i) { return tick(canal(i)->LimitPRDOnTime(), ti_Ticked); };
    c[12].dottedWhenDisabled = true;
    c[12].toggle = [canal](int i) { canal(i)->SetLimitPRDOnTime(!canal(i)->LimitPRDOnTime()); };
    c[12].hint = QStringLiteral(
        "Ограничение передачи по времени\n(конкретное время устанавливается на вкладке "
        "\"Основные параметры\" в группе \"Передатчик\")");
    c[12].hintRows = 3;

    const bool compact = Compact();
    model.header = {
        {0, 0, 0, 1, QStringLiteral("№")},
        {1, 1, 0, 1, QStringLiteral("Вкл")},
        {2, 2, 0, 1, QStringLiteral("Шаг,\nкГц ")},
        {3, 5, 0, 0, QStringLiteral("Частота, Гц")},
        {3, 3, 1, 1, QStringLiteral("ПРМ")},
        {4, 4, 1, 1, QStringLiteral("=")},
        {5, 5, 1, 1, QStringLiteral("ПРД")},
        {6, 10, 0, 0, QStringLiteral("CTCSS тон, Гц / DCS код")},
        {6, 7, 1, 1, QStringLiteral("ПРМ")},
        {8, 8, 1, 1, QStringLiteral("=")},
        {9, 10, 1, 1, QStringLiteral("ПРД")},
        {11, 11, 0, 1,
         compact ? QStringLiteral("ПРД\nна\nз/к") : QStringLiteral("ПРД на\nзанятом\nканале")},
        {12, 12, 0, 1,
         compact ? QStringLiteral("ПРД\nогр.\nп/в") : QStringLiteral("Огранич.\nПРД по\nвремени")}};

    canals_ = std::make_unique<TCanalGrid>(*grid, *bar, flags_, std::move(model));
    // The grid and its scroll bar side by side; the page makes the panel as tall as itself.
    const int gridWidth = canals_->TotalWidth();
    panel->SetBoundSize(1);
    panel->resize(gridWidth + ZVCL::TZVScrollBar::kDefaultWidth + 2, 400);
    const auto place = [panel, grid, bar, gridWidth] {
        const int h = panel->height() - 2;
        grid->setGeometry(1, 1, gridWidth, h);
        bar->setGeometry(1 + gridWidth, 1, ZVCL::TZVScrollBar::kDefaultWidth, h);
        grid->AdjustScroll();
    };
    place();
    new TResizeHook(panel, place);
    return panel;
}

// ---- Basic parameters -------------------------------------------------------------------------

QWidget* TBirchCedarView::BuildBasics() {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Basics");
    panel->SetBorderType(ZVCL::bt_None);
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
            if (CBirchCedarData* d = Data()) store(*d, text);
        };
    };
    const auto number = [this](int (CTwoBankData::*get)() const, void (CTwoBankData::*set)(int)) {
        return std::pair<std::function<int()>, std::function<void(int)>>(
            [this, get] { return Data() ? (Data()->*get)() : 0; },
            [this, set](int v) {
                if (CBirchCedarData* d = Data()) (d->*set)(v);
            });
    };
    const auto onOff = [&](const char* name, const char* label, const char* hint,
                           void (CTwoBankData::*set)(bool)) {
        return b.AddSelector({name, QString::fromUtf8(label), kNarrow, QString::fromUtf8(hint)},
                             OnOffItems(),
                             with([set](CTwoBankData& d, const QString& t) { (d.*set)(On(t)); }));
    };

    b.MoveTo(tops[0]);
    auto [toneGet, toneSet] = number(&CTwoBankData::Tone, &CTwoBankData::SetTone);
    e.Tone =
        b.AddNumberLine({"Tone", QStringLiteral(" Частота вызывного тона, Гц:"), kWide,
                         QStringLiteral("Частота вызывного тона\n(выбирается из предложенных или "
                                        "устанавливается из диапазона 500 - 3000 Гц)")},
                        {4, {"1450", "2100"}, 500, 3000, toneGet, toneSet});
    b.MoveTo(tops[1]);
    e.Squelch = b.AddSelector(
        {"Squelch", QStringLiteral(" Порог срабатывания шумоподавителя:"), kWide,
         QStringLiteral("Порог срабатывания шумоподавителя, устанавливается в зависимости от "
                        "помеховой обстановки\n(выбирается из 8 предложенных уровней: 0 - "
                        "минимальный уровень, 7 - максимальный уровень)")},
        Items(models::kSquelchList), with([](CTwoBankData& d, const QString& t) {
            d.SetSquelch(models::ListCode(models::kSquelchList, S(t)));
        }));

    b.MoveTo(tops[2]);
    b.BeginGroup("grp_Transmitter", QStringLiteral(" Передатчик"));
    e.Power = b.AddSelector(
        {"Power", QStringLiteral(" Мощность передатчика:"), kNarrow,
         QStringLiteral("Выбор мощности передатчика\n(выбирается из предложенных уровней: "
                        "номинальная или повышенная)")},
        Items(models::kPowerList), with([](CTwoBankData& d, const QString& t) {
            d.SetPower(models::ListCode(models::kPowerList, S(t)));
        }));
    auto [limitGet, limitSet] = number(&CTwoBankData::LimitPRD, &CTwoBankData::SetLimitPRD);
    e.LimitPRD = b.AddNumberLine(
        {"LimitPRD", QStringLiteral(" Ограничение времени работы на передачу, сек:"), kNarrow,
         QStringLiteral("Ограничение времени работы на передачу\n(выбирается из предложенных "
                        "значений или устанавливается из диапазона 5 - 240 сек)")},
        {3, {"30", "45", "60", "90", "120", "180"}, 5, 240, limitGet, limitSet});
    auto [restGet, restSet] = number(&CTwoBankData::RestPRD, &CTwoBankData::SetRestPRD);
    e.RestPRD = b.AddNumberLine(
        {"RestPRD", QStringLiteral(" Пауза после принудительного отключения передачи, сек:"),
         kNarrow,
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
        {"SaveSet", QStringLiteral(" Сохранять изменения параметров при выключении:"), kWide,
         QStringLiteral("Включение/отключение режима сохранения изменений параметров "
                        "радиостанции, произведенных вручную с помощью клавиш радиостанции, при "
                        "выключении радиостанции")},
        YesNoItems(), with([](CTwoBankData& d, const QString& t) { d.SetSaveSet(Yes(t)); }));
    panel->resize(RowWidth(), b.Bottom());
    return panel;
}

void TBirchCedarView::FillBasics() {
    const CBirchCedarData* d = Data();
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

QWidget* TBirchCedarView::BuildScanning() {
    const bool compact = Compact();
    const int colWidth = kScanColWidth[compact ? 1 : 0];
    const int gridWidth = colWidth * kScanGridSide;
    const int width = std::max(RowWidth(), gridWidth);
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Scanning");
    panel->SetBorderType(ZVCL::bt_None);

    auto* caption = new ZVCL::TZLabel(panel);
    caption->setObjectName("txt_ScanCanals");
    caption->SetLabelText(QStringLiteral(" Каналы сканирования"));
    caption->SetLabelWidth(width);
    caption->SetHint(QStringLiteral("Выбор каналов, включаемых в список сканируемых"));
    caption->SetColor(ZVCL::kPanelColor);
    caption->setGeometry(0, 0, width, kRowHeight);

    auto* grid = new ZVCL::TZ_Grid(panel);
    grid->setObjectName("grd_ScanCanals");
    grid->setGeometry((width - gridWidth) / 2, kRowHeight, gridWidth, kScanGridSide * 23);
    SScanGridModel model;
    model.hasData = [this] { return Data() != nullptr; };
    model.enabled = [this](int i) { return Data()->Canal(i)->Enabled(); };
    model.scanning = [this](int i) { return Data()->Canal(i)->Scanning(); };
    model.setScanning = [this](int i, bool on) { Data()->Canal(i)->SetScanning(on); };
    // The priority editors follow every change of the scan list, the two buttons' included,
    // so that they never offer a channel that is no longer scanned.
    model.changed = [this] {
        const CLoadingScope loading(flags_);
        FillScanning();
    };
    scan_ = std::make_unique<TScanGrid>(*grid, colWidth, std::move(model));

    const auto button = [panel](const char* name, const QString& text) {
        auto* btn = new QPushButton(text, panel);
        btn->setObjectName(name);
        btn->setFocusPolicy(Qt::TabFocus);
        return btn;
    };
    QPushButton* checkAll = button("btn_check_all", QStringLiteral("Отметить все"));
    QPushButton* uncheckAll = button("btn_uncheck_all", QStringLiteral("\"Снять\" все"));
    constexpr int kButtonWidth = 110;
    uncheckAll->setGeometry(width - kButtonWidth - 1, 1, kButtonWidth, kRowHeight - 2);
    checkAll->setGeometry(width - 2 * kButtonWidth - 5, 1, kButtonWidth, kRowHeight - 2);
    QObject::connect(checkAll, &QPushButton::clicked, panel, [this] { scan_->CheckAll(); });
    QObject::connect(uncheckAll, &QPushButton::clicked, panel, [this] { scan_->UncheckAll(); });

    TPageBuilder b(*panel, width, width - kGroupIndent, flags_);
    SEditors& e = *e_;
    const QString none = QStringLiteral("(нет каналов сканирования)");
    b.MoveTo(kRowHeight + kScanGridSide * 23);
    e.PriorCanal = b.AddHideableSelector(
        {"PriorCanal", QStringLiteral(" Приоритетный канал:"), kWide,
         QStringLiteral("Выбор номера приоритетного канала\n(выбирается из предложенного "
                        "списка рабочих каналов)")},
        {},
        [this](const QString& t) {
            if (CBirchCedarData* d = Data()) d->SetPriorCanal(models::ParseChannelNumber(S(t)));
        },
        "txt_no_active1", none);
    e.PriorScanning = b.AddHideableSelector(
        {"PriorScanning", QStringLiteral(" Приоритетное сканирование:"), kWide,
         QStringLiteral("Включение/отключение режима приоритетного сканирования\n(при включении "
                        "этого режима каждый второй сканируемый канал - приоритетный)")},
        OnOffItems(),
        [this](const QString& t) {
            if (CBirchCedarData* d = Data()) d->SetPriorScanning(On(t));
        },
        "txt_no_active2", none);
    e.StopOnCurrent = b.AddSelector(
        {"StopOnCurrent", QStringLiteral(" Останавливаться на текущем канале:"), kWide,
         QStringLiteral("Если выбрано \"Да\", при прекращении сканирования радиостанция "
                        "переходит на последний сканируемый канал. Если выбрано \"Нет\", при "
                        "прекращении сканирования радиостанция переходит на канал, с которого "
                        "сканирование началось")},
        YesNoItems(), [this](const QString& t) {
            if (CBirchCedarData* d = Data()) d->SetStopOnCurrent(Yes(t));
        });
    e.DelayScanning = b.AddNumberLine(
        {"DelayScanning", QStringLiteral(" Задержка сканирования при пропадании несущей, сек:"),
         kWide,
         QStringLiteral("Устанавливается время  ожидания  возврата к режиму сканирования после "
                        "окончания переговоров. Если выбрано \"0\", после окончания переговоров "
                        "сканирование прекращается")},
        {2,
         {"0", "5", "10", "15", "20", "25", "30", "40", "50", "60"},
         0,
         60,
         [this] { return Data() ? Data()->DelayScanning() : 0; },
         [this](int v) {
             if (CBirchCedarData* d = Data()) d->SetDelayScanning(v);
         }});
    panel->resize(width, b.Bottom());
    return panel;
}

void TBirchCedarView::FillScanning() {
    scan_->Refresh();
    CBirchCedarData* d = Data();
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

QWidget* TBirchCedarView::BuildSames() {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Sames");
    panel->SetBorderType(ZVCL::bt_None);
    TPageBuilder b(*panel, RowWidth(), GroupRowWidth(), flags_);
    SEditors& e = *e_;
    const auto units = [this](int (CTwoBankData::*get)() const) {
        return [this, get] { return Data() ? models::UnitsToMs((Data()->*get)()) : 0.0; };
    };
    const auto toUnits = [this](void (CTwoBankData::*set)(int)) {
        return [this, set](double ms) {
            if (CBirchCedarData* d = Data()) (d->*set)(models::MsToUnits(ms));
        };
    };
    const auto number = [this](int (CTwoBankData::*get)() const, void (CTwoBankData::*set)(int)) {
        return std::pair<std::function<int()>, std::function<void(int)>>(
            [this, get] { return Data() ? (Data()->*get)() : 0; },
            [this, set](int v) {
                if (CBirchCedarData* d = Data()) (d->*set)(v);
            });
    };

    b.MoveTo(Compact() ? 5 : 8);
    b.BeginGroup("grp_DTMF", QStringLiteral(" DTMF"));
    e.DTMF_Number = b.AddDtmfText(
        {"DTMF_Number", QStringLiteral(" Номер, посылаемый при выходе на передачу:"), kNarrow,
         QStringLiteral("Установка конкретного номера, посылаемого при выходе на передачу, может "
                        "содержать  до 16 символов в любом порядке из набора: \"0\", \"1\", "
                        "\"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\", \"9\", \"A\", \"B\", "
                        "\"C\", \"D\", \"E\", \"F\", \"*\", \"#\"")},
        static_cast<int>(twobank::kDtmfDigits), [this](const std::string& text) {
            if (CBirchCedarData* d = Data()) d->SetDTMF_Number(text);
        });
    e.DTMF_ChWidth = b.AddDecimal(
        {"DTMF_ChWidth", QStringLiteral(" Длительность посылки одного DTMF символа, мсек:"),
         kNarrow,
         QStringLiteral("Установка длительности посылки одного DTMF символа в миллисекундах, "
                        "устанавливается из интервала 0 - 1561 мсек, автоматически приводится к "
                        "наименьшему числу, кратному 15,61 мсек")},
        {2, units(&CTwoBankData::DTMF_ChWidth), toUnits(&CTwoBankData::SetDTMF_ChWidth)});
    e.DTMF_ChPause = b.AddDecimal(
        {"DTMF_ChPause", QStringLiteral(" Пауза между посылками DTMF символов, мсек:"), kNarrow,
         QStringLiteral("Установка длительности паузы между посылками DTMF символов в "
                        "миллисекундах, устанавливается из интервала 0 - 1561 мсек, "
                        "автоматически приводится к наименьшему числу, кратному 15,61 мсек")},
        {2, units(&CTwoBankData::DTMF_ChPause), toUnits(&CTwoBankData::SetDTMF_ChPause)});
    b.EndGroup();

    b.MoveTo(b.Bottom() + kGroupGap);
    b.BeginGroup("grp_Econom", QStringLiteral(" Режим экономии энергии"));
    e.Econom = b.AddSelector(
        {"Econom", QStringLiteral(" Включить режим экономии энергии:"), kNarrow,
         QStringLiteral("Включение режима экономии энергии при включении радиостанции")},
        YesNoItems(), [this](const QString& t) {
            if (CBirchCedarData* d = Data()) d->SetEconom(Yes(t));
        });
    const QStringList economTimes = {"15", "30", "45", "60", "90", "120", "180"};
    auto [t1Get, t1Set] = number(&CTwoBankData::EconomT1, &CTwoBankData::SetEconomT1);
    e.EconomT1 = b.AddNumberLine(
        {"EconomT1", QStringLiteral(" Время включения режима №1, сек:"), kNarrow,
         QStringLiteral("Установка времени, по истечении которого радиостанция из режима "
                        "\"дежурный прием\" переключается в режим экономии энергии №1, при этом "
                        "радиостанция поочередно включается и выключается на 250 мс (скважность "
                        "1:1)")},
        {3, economTimes, 10, 600, t1Get, t1Set});
    auto [t2Get, t2Set] = number(&CTwoBankData::EconomT2, &CTwoBankData::SetEconomT2);
    e.EconomT2 = b.AddNumberLine(
        {"EconomT2", QStringLiteral(" Время включения режима №2, сек:"), kNarrow,
         QStringLiteral("Установка времени, по истечении которого радиостанция из режима "
                        "экономии энергии №1 переключается в режим экономии энергии №2, при этом "
                        "радиостанция поочередно включается на 250 мс и отключается на 750 мс "
                        "(скважность 1:3)")},
        {4, economTimes, 10, 3600, t2Get, t2Set});
    b.EndGroup();

    auto* inner = new QTabWidget(panel);
    inner->setObjectName("pgc_PRG_VA");
    auto* prg = new QWidget;
    prg->setObjectName("tbs_PRG");
    auto* va = new QWidget;
    va->setObjectName("tbs_VA");
    BuildPrgPage(*prg);
    BuildVaPage(*va);
    inner->addTab(prg, QStringLiteral("Программирование"));
    inner->addTab(va, QStringLiteral("Активация голосом"));
    const int innerTop = b.Bottom() + kGroupGap;
    inner->setGeometry(0, innerTop, RowWidth(), 6 * kRowHeight + 40);
    panel->resize(RowWidth(), inner->geometry().bottom() + 1);
    return panel;
}

void TBirchCedarView::BuildPrgPage(QWidget& page) {
    SEditors& e = *e_;
    TPageBuilder b(page, RowWidth() - 8, GroupRowWidth() - 8, flags_);
    b.MoveTo(4);
    const auto yesNoRow = [&](const char* name, const char* label, const char* hint,
                              void (CTwoBankData::*set)(bool)) {
        return b.AddSelector({name, QString::fromUtf8(label), kWide, QString::fromUtf8(hint)},
                             YesNoItems(), [this, set](const QString& t) {
                                 if (CBirchCedarData* d = Data()) (d->*set)(Yes(t));
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
         QStringLiteral(" Пароль на изменение параметров с клавиатуры радиостанции:"), kWide,
         QStringLiteral("Ввод пароля, состоящего из 4 цифр, на разрешение изменения параметров "
                        "с клавиатуры радиостанции. Пароль из четырех нулей \"0000\" означает, "
                        "что пароль не установлен.")},
        [this](int value) {
            if (CBirchCedarData* d = Data()) d->SetPRG_Password(value);
        });
}

void TBirchCedarView::BuildVaPage(QWidget& page) {
    SEditors& e = *e_;
    TPageBuilder b(page, RowWidth() - 8, GroupRowWidth() - 8, flags_);
    b.MoveTo(4);
    const QString levelRest = QStringLiteral(
        "\n(выбирается из 10 предложенных уровней: 1 - минимальный уровень, 10 - максимальный "
        "уровень)");
    e.VA_On = b.AddSelector(
        {"VA_On", QStringLiteral(" Включить режим \"Активация голосом\":"), kWide,
         QStringLiteral("Включение/отключение режима акустического включения радиостанции на "
                        "передачу")},
        YesNoItems(), [this](const QString& t) {
            if (CBirchCedarData* d = Data()) d->SetVA_On(Yes(t));
        });
    e.VA_Hi = b.AddSelector(
        {"VA_Hi", QStringLiteral(" Порог включения передачи:"), kWide,
         QStringLiteral("Установка уровня акустического включения радиостанции на передачу, "
                        "устанавливается в зависимости от помеховой обстановки") +
             levelRest},
        Items(models::kVaLevelList), [this](const QString& t) { StoreVaHi(t); });
    e.VA_Lo =
        b.AddSelector({"VA_Lo", QStringLiteral(" Порог выключения передачи:"), kWide,
                       QStringLiteral("Установка уровня акустического выключения режима передачи, "
                                      "устанавливается в зависимости от помеховой обстановки") +
                           levelRest},
                      Items(models::kVaLevelList), [this](const QString& t) { StoreVaLo(t); });
    e.VA_Pause = b.AddSelector(
        {"VA_Pause", QStringLiteral(" Допустимая пауза между словами, сек:"), kWide,
         QStringLiteral("Установка допустимой длительности паузы между словами при работе в "
                        "режиме акустического включения радиостанции на передачу\n(выбирается "
                        "из 5 значений: 0, 1, 2, 3, 4 сек)")},
        NumberItems(0, 4), [this](const QString& t) {
            if (CBirchCedarData* d = Data()) d->SetVA_Pause(models::ParseIntClamped(S(t), 0, 4));
        });
    e.VA_BlockKB = b.AddSelector(
        {"VA_BlockKB", QStringLiteral(" Разрешить включение режима с клавиатуры радиостанции:"),
         kWide,
         QStringLiteral("Разрешение/запрет включения режима акустического включения "
                        "радиостанции на передачу с клавиатуры радиостанции")},
        YesNoItems(), [this](const QString& t) {
            // The row asks whether switching on is allowed; the radio keeps whether it is
            // blocked.
            if (CBirchCedarData* d = Data()) d->SetVA_BlockKB(!Yes(t));
        });
}

void TBirchCedarView::StoreVaHi(const QString& text) {
    CBirchCedarData* d = Data();
    if (!d) return;
    d->SetVA_Hi(models::VaLevelValue(S(text)));
    if (d->VA_Hi() > d->VA_Lo()) return;
    d->SetVA_Lo(d->VA_Hi());
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d->VA_Lo())));
}

void TBirchCedarView::StoreVaLo(const QString& text) {
    CBirchCedarData* d = Data();
    if (!d) return;
    d->SetVA_Lo(models::VaLevelValue(S(text)));
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d->VA_Lo())));
}

void TBirchCedarView::FillSames() {
    const CBirchCedarData* d = Data();
    if (!d) return;
    SEditors& e = *e_;
    ShowText(*e.DTMF_Number, Q(d->DTMF_Number()));
    ShowText(*e.DTMF_ChWidth, DecimalText(models::UnitsToMs(d->DTMF_ChWidth()), 2));
    ShowText(*e.DTMF_ChPause, DecimalText(models::UnitsToMs(d->DTMF_ChPause()), 2));
    ShowText(*e.Econom, YesNoText(d->Econom()));
    ShowNumber(*e.EconomT1, d->EconomT1());
    ShowNumber(*e.EconomT2, d->EconomT2());
    ShowText(*e.PRG_IR, YesNoText(d->PRG_IR()));
    ShowText(*e.PRG_KB, YesNoText(d->PRG_KB()));
    ShowText(*e.PRG_ActiveClone, YesNoText(d->PRG_ActiveClone()));
    ShowText(*e.PRG_ReadClone, YesNoText(d->PRG_ReadClone()));
    ShowText(*e.PRG_WriteClone, YesNoText(d->PRG_WriteClone()));
    ShowText(*e.PRG_Password, PasswordText(d->PRG_Password()));
    ShowText(*e.VA_On, YesNoText(d->VA_On()));
    ShowText(*e.VA_Hi, Q(models::VaLevelName(d->VA_Hi())));
    ShowText(*e.VA_Lo, Q(models::VaLevelName(d->VA_Lo())));
    ShowText(*e.VA_Pause, QString::number(d->VA_Pause()));
    ShowText(*e.VA_BlockKB, YesNoText(!d->VA_BlockKB()));
}

// ---- The module's view ------------------------------------------------------------------------

namespace {

class CBirchCedarViewHost final : public CRadioView {
  public:
    explicit CBirchCedarViewHost(CRadioWare& ware)
        : view_(new TBirchCedarView(ware, ScreenLayout())) {}
    // The program takes the widget out of its panel before the module frees the view; should
    // a parent have deleted it anyway, the guard knows.
    ~CBirchCedarViewHost() override { delete view_.data(); }
    QWidget* Widget() override { return view_; }
    void Refresh() override {
        if (view_) view_->UpdateView();
    }

  private:
    QPointer<TBirchCedarView> view_;
};

}  // namespace

std::unique_ptr<CRadioView> CreateBirchCedarView(CRadioWare& ware) {
    return std::make_unique<CBirchCedarViewHost>(ware);
}

void InstallBirchCedarView(CRadioWare& ware) {
    ware.SetViewFactory(&CreateBirchCedarView);
}
