#include "F_alderview.h"

#include "U_alderware.h"
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

using namespace views;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

QStringList Items(std::span<const std::string_view> list) {
    QStringList items;
    for (std::string_view name : list)
        items << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return items;
}

const QStringList& YesNo() {
    static const QStringList items = Items(models::kYesNoList);
    return items;
}

const QStringList& OnOff() {
    static const QStringList items = Items(models::kOnOffList);
    return items;
}

bool Yes(const QString& text) {
    return models::IsYes(S(text));
}

bool On(const QString& text) {
    return models::IsOn(S(text));
}

QString YesNoText(bool value) {
    return Q(models::YesNoName(value));
}

QString OnOffText(bool value) {
    return Q(models::OnOffName(value));
}

// Normal and compact widths of the channel table's columns.
constexpr int kCanalWidths[2][11] = {{30, 35, 0, 130, 41, 130, 90, 40, 90, 83, 81},
                                     {30, 30, 0, 100, 35, 100, 66, 35, 66, 68, 65}};
constexpr int kScanColWidth[2] = {70, 54};
constexpr int kNormalRowWidth = 700;
constexpr int kCompactRowWidth = 564;
constexpr int kGroupIndent = 23;
constexpr int kWide = 373;    // caption width of rows on their own
constexpr int kNarrow = 350;  // caption width of rows in a group

const QString kFrequencyRest = QStringLiteral("(устанавливается из допустимого диапазона частот)");
const QString kToneRest = QStringLiteral(
    "(выбирается из предложенных; при выборе  \"(ОПР)\", конкретное значение устанавливается на "
    "вкладке \"Дополнительные параметры\" в группе \"Частоты CTCSS тонов, определяемые "
    "пользователем\")");

}  // namespace

// The editors the pages fill, by the parameter they show.
struct TAlderView::SEditors {
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
    ZVCL::TZEditor* CTCSS_PRM = nullptr;
    ZVCL::TZEditor* CTCSS_PRD = nullptr;
    ZVCL::TZEditor* DTMF_Number = nullptr;
    ZVCL::TZEditor* DTMF_ChWidth = nullptr;
    ZVCL::TZEditor* DTMF_ChPause = nullptr;
    ZVCL::TZStatic* DTMF_Decode = nullptr;
    ZVCL::TZStatic* DTMF_Sound = nullptr;
    ZVCL::TZEditor* DTMF_Time = nullptr;
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

TAlderView::TAlderView(CRadioWare& ware, TLayout layout, QWidget* parent)
    : QWidget(parent), ware_(ware), layout_(layout), e_(std::make_unique<SEditors>()) {
    setObjectName("TAlderView");
    setFont(ZVCL::TahomaFont(12));
    pgc_Data_ = new QTabWidget(this);
    pgc_Data_->setObjectName("pgc_Data");
    pages_ = std::make_unique<TPageSet>(*pgc_Data_, flags_);
    // Build every page before adding any, since adding the first one shows (fills) it.
    QWidget* canals = BuildCanals();
    QWidget* basics = BuildBasics();
    QWidget* scanning = BuildScanning();
    QWidget* sames = BuildSames();
    QWidget* key = BuildKey();
    pages_->AddPage(
        "tbs_Canals", QStringLiteral("Параметры каналов"), canals, [this] { canals_->Refresh(); },
        true);
    pages_->AddPage("tbs_Basics", QStringLiteral("Основные параметры"), basics,
                    [this] { FillBasics(); });
    pages_->AddPage("tbs_Scanning", QStringLiteral("Параметры сканирования"), scanning,
                    [this] { FillScanning(); });
    pages_->AddPage("tbs_Sames", QStringLiteral("Дополнительные параметры"), sames,
                    [this] { FillSames(); });
    pages_->AddPage("tbs_Key", QStringLiteral("  Ключ  "), key, [this] { key_->Fill(); });
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(pgc_Data_);
}

TAlderView::~TAlderView() {
    // The pages' widgets call back into the helpers below; they go first.
    delete pgc_Data_;
}

CAlderData* TAlderView::Data() const {
    return dynamic_cast<CAlderData*>(ware_.AttachedData());
}

int TAlderView::RowWidth() const {
    return Compact() ? kCompactRowWidth : kNormalRowWidth;
}

int TAlderView::GroupRowWidth() const {
    return RowWidth() - kGroupIndent;
}

void TAlderView::UpdateView() {
    pages_->FillActive();
}

// ---- Channel table ----------------------------------------------------------------------------

QWidget* TAlderView::BuildCanals() {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Canals");
    auto* grid = new ZVCL::TZ_Grid(panel);
    grid->setObjectName("grd_Canals");
    auto* bar = new ZVCL::TZVScrollBar(panel);
    bar->setObjectName("vscrl_Canals");

    const int w = Compact() ? 1 : 0;
    const auto canal = [this](int i) { return Data()->Canal(i); };
    const auto freqText = [this](int value) { return Q(alder::FreqText(*Data(), value)); };
    const auto mask = [canal](int i) {
        return canal(i)->FRQ_Step() == 12500 ? QStringLiteral("199 999 9\\0\\0;_")
                                             : QStringLiteral("199 999 \\0\\0\\0;_");
    };
    const auto step = [this, canal](int i, const QString& text, int direction) {
        const CAlderData& d = *Data();
        const int f = alder::ParseFreqText(d, S(text));
        const int s = canal(i)->FRQ_Step();
        return Q(
            alder::FreqText(d, direction > 0 ? alder::StepUp(d, f, s) : alder::StepDown(d, f, s)));
    };
    const auto tick = [](bool on, int image) { return on ? image : ti_Empty; };

    SCanalGridModel model;
    model.hasData = [this] { return Data() != nullptr; };
    model.enabled = [canal](int i) { return canal(i)->Enabled(); };
    std::vector<SCanalColumn>& c = model.columns;
    c.resize(11);
    for (int col = 0; col < 11; ++col) c[static_cast<size_t>(col)].width = kCanalWidths[w][col];

    c[1].action = TCellAction::Toggle;
    c[1].needsEnabled = false;
    c[1].image = [canal, tick](int i) { return tick(canal(i)->Enabled(), ti_Ticked); };
    c[1].toggle = [canal](int i) {
        CAlderCanal& ch = *canal(i);
        ch.SetEnabled(!ch.Enabled());
        // A channel out of use is not scanned either.
        if (!ch.Enabled()) ch.SetScanning(false);
    };
    c[1].hint = QStringLiteral("Включить канал в список рабочих");
    c[1].hintRows = 3;

    c[2].action = TCellAction::List;
    c[2].text = [this, canal](int i) { return Q(alder::FreqText(*Data(), canal(i)->FRQ_Step())); };
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
        canal(i)->SetFRQ_PRM(alder::ParseFreqText(*Data(), S(text)));
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
        canal(i)->SetFRQ_PRD(alder::ParseFreqText(*Data(), S(text)));
    };
    c[5].hint = QStringLiteral("Частота передачи\n") + kFrequencyRest;

    c[6].action = TCellAction::List;
    c[6].text = [canal](int i) { return Q(alder::ToneName(canal(i)->CSS_PRM())); };
    c[6].list = [](int) { return Items(models::kAlderToneList); };
    c[6].pullRight = 23;
    c[6].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRM(alder::ToneCode(S(text)));
    };
    c[6].hint = QStringLiteral("Приемный тон CTCSS\n") + kToneRest;
    c[6].hintRows = 2;

    c[7].action = TCellAction::Toggle;
    c[7].image = [canal, tick](int i) { return tick(canal(i)->One_CSS(), ti_Equal); };
    c[7].dottedWhenDisabled = true;
    c[7].toggle = [canal](int i) { canal(i)->SetOne_CSS(!canal(i)->One_CSS()); };
    c[7].hint = QStringLiteral(
        "Знак \"=\" устанавливается в случае, если частота приемного тона CTCSS равна частоте "
        "тона передачи CTCSS");
    c[7].hintRows = 2;

    c[8] = c[6];
    c[8].text = [canal](int i) { return Q(alder::ToneName(canal(i)->CSS_PRD())); };
    c[8].allowed = [canal](int i) { return !canal(i)->One_CSS(); };
    c[8].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRD(alder::ToneCode(S(text)));
    };
    c[8].hint = QStringLiteral("Тон передачи CTCSS\n") + kToneRest;

    c[9].action = TCellAction::Toggle;
    // Ticked when transmitting on a busy channel is allowed, that is when it is not blocked.
    c[9].image = [canal, tick](int i) { return tick(!canal(i)->BlockPRDIfBusy(), ti_Ticked); };
    c[9].dottedWhenDisabled = true;
    c[9].toggle = [canal](int i) { canal(i)->SetBlockPRDIfBusy(!canal(i)->BlockPRDIfBusy()); };
    c[9].hint = QStringLiteral("Разрешить передачу на занятом канале");
    c[9].hintRows = 3;

    c[10].action = TCellAction::Toggle;
    c[10].image = [canal, tick](int i) { return tick(canal(i)->LimitPRDOnTime(), ti_Ticked); };
    c[10].dottedWhenDisabled = true;
    c[10].toggle = [canal](int i) { canal(i)->SetLimitPRDOnTime(!canal(i)->LimitPRDOnTime()); };
    c[10].hint = QStringLiteral(
        "Ограничение передачи по времени\n(конкретное время устанавливается на вкладке "
        "\"Основные параметры\" в группе \"Передатчик\")");
    c[10].hintRows = 3;

    model.header = {{0, 0, 0, 1, QStringLiteral("№")},
                    {1, 1, 0, 1, QStringLiteral("Вкл")},
                    {2, 2, 0, 1, QStringLiteral("Шаг,\nкГц ")},
                    {3, 5, 0, 0, QStringLiteral("Частота, Гц")},
                    {3, 3, 1, 1, QStringLiteral("ПРМ")},
                    {4, 4, 1, 1, QStringLiteral("=")},
                    {5, 5, 1, 1, QStringLiteral("ПРД")},
                    {6, 8, 0, 0, QStringLiteral("CTCSS тон, Гц")},
                    {6, 6, 1, 1, QStringLiteral("ПРМ")},
                    {7, 7, 1, 1, QStringLiteral("=")},
                    {8, 8, 1, 1, QStringLiteral("ПРД")},
                    {9, 9, 0, 1, QStringLiteral("ПРД на\nзанятом\nканале")},
                    {10, 10, 0, 1, QStringLiteral("Огранич.\nПРД по\nвремени")}};

    canals_ = std::make_unique<TCanalGrid>(*grid, *bar, flags_, std::move(model));
    // The grid and its scroll bar side by side; the page makes the panel as tall as itself.
    const int gridWidth = canals_->TotalWidth();
    panel->SetBoundSize(1);
    panel->resize(gridWidth + ZVCL::TZVScrollBar::kDefaultWidth + 2, 400);
    const auto place = [panel, grid, bar, gridWidth] {
        const int h = panel->height() - 2;
        grid->setGeometry(1, 1, gridWidth, h);
        bar->setGeometry(1 + gridWidth, 1, ZVCL::TZVScrollBar::kDefaultWidth, h);
    };
    place();
    new TResizeHook(panel, place);  // owned by the panel
    return panel;
}

// ---- Basic parameters -------------------------------------------------------------------------

QWidget* TAlderView::BuildBasics() {
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
            if (CAlderData* d = Data()) store(*d, text);
        };
    };
    const auto number = [this](int (CAlderData::*get)() const, void (CAlderData::*set)(int)) {
        return std::pair<std::function<int()>, std::function<void(int)>>(
            [this, get] { return Data() ? (Data()->*get)() : 0; },
            [this, set](int v) {
                if (CAlderData* d = Data()) (d->*set)(v);
            });
    };
    const auto onOff = [&](const char* name, const char* label, const char* hint,
                           void (CAlderData::*set)(bool)) {
        return b.AddSelector({name, QString::fromUtf8(label), kNarrow, QString::fromUtf8(hint)},
                             OnOff(),
                             with([set](CAlderData& d, const QString& t) { (d.*set)(On(t)); }));
    };

    b.MoveTo(tops[0]);
    auto [toneGet, toneSet] = number(&CAlderData::Tone, &CAlderData::SetTone);
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
        Items(models::kSquelchList),
        with([](CAlderData& d, const QString& t) { d.SetSquelch(alder::SquelchCode(S(t))); }));

    b.MoveTo(tops[2]);
    b.BeginGroup("grp_Transmitter", QStringLiteral(" Передатчик"));
    e.Power = b.AddSelector(
        {"Power", QStringLiteral(" Мощность передатчика:"), kNarrow,
         QStringLiteral("Выбор мощности передатчика\n(выбирается из предложенных уровней: "
                        "номинальная или повышенная)")},
        Items(models::kPowerList),
        with([](CAlderData& d, const QString& t) { d.SetPower(alder::PowerCode(S(t))); }));
    auto [limitGet, limitSet] = number(&CAlderData::LimitPRD, &CAlderData::SetLimitPRD);
    e.LimitPRD = b.AddNumberLine(
        {"LimitPRD", QStringLiteral(" Ограничение времени работы на передачу, с:"), kNarrow,
         QStringLiteral("Ограничение времени работы на передачу\n(выбирается из предложенных "
                        "значений или устанавливается из диапазона 5 - 240 сек)")},
        {3, {"30", "45", "60", "90", "120", "180"}, 5, 240, limitGet, limitSet});
    auto [restGet, restSet] = number(&CAlderData::RestPRD, &CAlderData::SetRestPRD);
    e.RestPRD = b.AddNumberLine(
        {"RestPRD", QStringLiteral(" Пауза после принудительного отключения передачи, с:"), kNarrow,
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
                       &CAlderData::SetShowFreq);
    e.Light = onOff("Light", " Подсветка индикатора и клавиатуры:",
                    "Включение/отключение подсветки индикатора и клавиатуры радиостанции",
                    &CAlderData::SetLight);
    e.BeepPress = onOff("BeepPress", " Звуковой сигнал нажатия клавиш:",
                        "Включение/отключение звукового сигнала нажатия клавиш радиостанции",
                        &CAlderData::SetBeepPress);
    e.BeepBat = onOff("BeepBat", " Звуковой сигнал при разряде аккумулятора:",
                      "Включение/отключение звукового сигнала при разряде аккумулятора "
                      "радиостанции",
                      &CAlderData::SetBeepBat);
    b.EndGroup();

    b.MoveTo(tops[4]);
    b.BeginGroup("grp_OffIndication", QStringLiteral(" Индикация при выключенной радиостанции"));
    e.OffClock = onOff(
        "OffClock", " Отображение текущего времени:",
        "Включение/отключение режима индикации текущего времени на индикаторе выключенной "
        "радиостанции\n(время устанавливается при подключении радиостанции к компьютеру; если "
        "аккумулятор полностью разряжен или радиостанция долгое время находится без "
        "аккумулятора индикация времени отключается)",
        &CAlderData::SetOffClock);
    e.OffTemp = onOff(
        "OffTemp", " Отображение температуры:",
        "Включение/отключение режима индикации температуры процессора на индикаторе "
        "выключенной радиостанции\n(если аккумулятор полностью разряжен или радиостанция долгое "
        "время находится без аккумулятора индикация отключается)",
        &CAlderData::SetOffTemp);
    e.OffBat = onOff("OffBat", " Отображение уровня заряда аккумулятора:",
                     "Включение/отключение режима индикации заряда аккумулятора на индикаторе "
                     "выключенной радиостанции",
                     &CAlderData::SetOffBat);
    b.EndGroup();

    b.MoveTo(tops[5]);
    e.SaveSet = b.AddSelector(
        {"SaveSet", QStringLiteral(" Сохранять изменения параметров при выключении:"), kWide,
         QStringLiteral("Включение/отключение режима сохранения изменений параметров "
                        "радиостанции, произведенных вручную с помощью клавиш радиостанции, при "
                        "выключении радиостанции")},
        YesNo(), with([](CAlderData& d, const QString& t) { d.SetSaveSet(Yes(t)); }));
    panel->resize(RowWidth(), b.Bottom());
    return panel;
}

void TAlderView::FillBasics() {
    const CAlderData* d = Data();
    if (!d) return;
    SEditors& e = *e_;
    ShowNumber(*e.Tone, d->Tone());
    ShowText(*e.Squelch, Q(alder::SquelchName(d->Squelch())));
    ShowText(*e.Power, Q(alder::PowerName(d->Power())));
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

QWidget* TAlderView::BuildScanning() {
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
            if (CAlderData* d = Data()) d->SetPriorCanal(models::ParseChannelNumber(S(t)));
        },
        "txt_no_active1", none);
    e.PriorScanning = b.AddHideableSelector(
        {"PriorScanning", QStringLiteral(" Приоритетное сканирование:"), kWide,
         QStringLiteral("Включение/отключение режима приоритетного сканирования\n(при включении "
                        "этого режима каждый второй сканируемый канал - приоритетный)")},
        OnOff(),
        [this](const QString& t) {
            if (CAlderData* d = Data()) d->SetPriorScanning(On(t));
        },
        "txt_no_active2", none);
    e.StopOnCurrent = b.AddSelector(
        {"StopOnCurrent", QStringLiteral(" Останавливаться на текущем канале:"), kWide,
         QStringLiteral("Если выбрано \"Да\", при прекращении сканирования радиостанция "
                        "переходит на последний сканируемый канал. Если выбрано \"Нет\", при "
                        "прекращении сканирования радиостанция переходит на канал, с которого "
                        "сканирование началось")},
        YesNo(), [this](const QString& t) {
            if (CAlderData* d = Data()) d->SetStopOnCurrent(Yes(t));
        });
    e.DelayScanning = b.AddNumberLine(
        {"DelayScanning", QStringLiteral(" Задержка сканирования при пропадании несущей, с:"),
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
             if (CAlderData* d = Data()) d->SetDelayScanning(v);
         }});
    panel->resize(width, b.Bottom());
    return panel;
}

void TAlderView::FillScanning() {
    scan_->Refresh();
    CAlderData* d = Data();
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

QWidget* TAlderView::BuildSames() {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Sames");
    panel->SetBorderType(ZVCL::bt_None);
    TPageBuilder b(*panel, RowWidth(), GroupRowWidth(), flags_);
    SEditors& e = *e_;
    const bool compact = Compact();
    const auto decimal = [this](int decimals, auto shown, auto set) {
        return SDecimalRule{decimals, [this, shown] { return Data() ? shown(*Data()) : 0.0; },
                            [this, set](double v) {
                                if (CAlderData* d = Data()) set(*d, v);
                            }};
    };
    const auto units = [](int (CAlderData::*get)() const) {
        return [get](const CAlderData& d) { return models::UnitsToMs((d.*get)()); };
    };
    const auto toUnits = [](void (CAlderData::*set)(int)) {
        return [set](CAlderData& d, double ms) { (d.*set)(models::MsToUnits(ms)); };
    };
    const auto yesNo = [this](void (CAlderData::*set)(bool)) {
        return [this, set](const QString& t) {
            if (CAlderData* d = Data()) (d->*set)(Yes(t));
        };
    };

    b.MoveTo(compact ? 5 : 8);
    b.BeginGroup("grp_CTCSS", QStringLiteral(" Частоты CTCSS тонов, определяемые пользователем"));
    e.CTCSS_PRM = b.AddDecimal(
        {"CTCSS_PRM", QStringLiteral(" Частота CTCSS тона приема, Гц:"), kNarrow,
         QStringLiteral("Установка конкретного значения частоты приемного тона CTCSS. Опция "
                        "используется, если на вкладке \"Параметры каналов\" на каком-либо "
                        "рабочем канале (каналах) в столбце CTCSS тон - ПРМ выбрано значение "
                        "(ОПР)\n(устанавливается из диапазона 67,0 - 254,9 Гц)")},
        decimal(
            1, [](const CAlderData& d) { return d.CTCSS_PRM(); },
            [](CAlderData& d, double v) { d.SetCTCSS_PRM(v); }));
    e.CTCSS_PRD = b.AddDecimal(
        {"CTCSS_PRD", QStringLiteral(" Частота CTCSS тона передачи, Гц:"), kNarrow,
         QStringLiteral("Установка конкретного значения частоты тона передачи CTCSS. Опция "
                        "используется, если на вкладке \"Параметры каналов\" на каком-либо "
                        "рабочем канале (каналах) в столбце CTCSS тон - ПРД выбрано значение "
                        "(ОПР)\n(устанавливается из диапазона 67,0 - 254,9 Гц)")},
        decimal(
            1, [](const CAlderData& d) { return d.CTCSS_PRD(); },
            [](CAlderData& d, double v) { d.SetCTCSS_PRD(v); }));
    b.EndGroup();

    b.MoveTo(b.Bottom() + 6);
    b.BeginGroup("grp_DTMF", QStringLiteral(" DTMF"));
    e.DTMF_Number = b.AddDtmfText(
        {"DTMF_Number", QStringLiteral(" Номер, посылаемый при выходе на передачу:"), kNarrow,
         QStringLiteral("Установка конкретного номера, посылаемого при выходе на передачу, может "
                        "содержать  до 16 символов в любом порядке из набора: \"0\", \"1\", "
                        "\"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\", \"9\", \"A\", \"B\", "
                        "\"C\", \"D\", \"E\", \"F\", \"*\", \"#\"")},
        static_cast<int>(twobank::kDtmfDigits), [this](const std::string& text) {
            if (CAlderData* d = Data()) d->SetDTMF_Number(text);
        });
    e.DTMF_ChWidth = b.AddDecimal(
        {"DTMF_ChWidth", QStringLiteral(" Длительность посылки одного DTMF символа, мс:"), kNarrow,
         QStringLiteral("Установка длительности посылки одного DTMF символа в миллисекундах, "
                        "устанавливается из интервала 0 - 1561 мсек, автоматически приводится к "
                        "наименьшему числу, кратному 15,61 мсек")},
        decimal(2, units(&CAlderData::DTMF_ChWidth), toUnits(&CAlderData::SetDTMF_ChWidth)));
    e.DTMF_ChPause = b.AddDecimal(
        {"DTMF_ChPause", QStringLiteral(" Пауза между посылками DTMF символов, мс:"), kNarrow,
         QStringLiteral("Установка длительности паузы между посылками DTMF символов в "
                        "миллисекундах, устанавливается из интервала 0 - 1561 мсек, "
                        "автоматически приводится к наименьшему числу, кратному 15,61 мсек")},
        decimal(2, units(&CAlderData::DTMF_ChPause), toUnits(&CAlderData::SetDTMF_ChPause)));
    e.DTMF_Decode = b.AddSelector(
        {"DTMF_Decode", QStringLiteral(" Декодирование DTMF сигнала при приеме:"), kNarrow,
         QStringLiteral("Включение/отключение режима декодирования DTMF сигнала при приеме")},
        OnOff(), [this](const QString& t) {
            if (CAlderData* d = Data()) d->SetDTMF_Decode(On(t));
        });
    e.DTMF_Sound = b.AddSelector(
        {"DTMF_Sound", QStringLiteral(" Звук при декодировании DTMF сигнала:"), kNarrow,
         QStringLiteral("Включение/отключение звукового сигнала при декодировании DTMF сигнала "
                        "при приеме")},
        YesNo(), yesNo(&CAlderData::SetDTMF_Sound));
    e.DTMF_Time = b.AddDecimal(
        {"DTMF_Time", QStringLiteral(" Время декодирования после обнаружения несущей, мс:"),
         kNarrow, QStringLiteral("Установка времени декодирования при получении DTMF сигнала")},
        decimal(2, units(&CAlderData::DTMF_Time), toUnits(&CAlderData::SetDTMF_Time)));
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
    const int innerTop = b.Bottom() + 6;
    inner->setGeometry(0, innerTop, RowWidth(), 6 * kRowHeight + 40);
    panel->resize(RowWidth(), inner->geometry().bottom() + 1);
    return panel;
}

void TAlderView::BuildPrgPage(QWidget& page) {
    SEditors& e = *e_;
    TPageBuilder b(page, RowWidth() - 8, GroupRowWidth() - 8, flags_);
    b.MoveTo(4);
    const auto yesNoRow = [&](const char* name, const char* label, const char* hint,
                              void (CAlderData::*set)(bool)) {
        return b.AddSelector({name, QString::fromUtf8(label), kWide, QString::fromUtf8(hint)},
                             YesNo(), [this, set](const QString& t) {
                                 if (CAlderData* d = Data()) (d->*set)(Yes(t));
                             });
    };
    e.PRG_IR = yesNoRow("PRG_IR", " Включить ИК-порт:",
                        "Разрешение на переход радиостанции в режим программирования при "
                        "включении",
                        &CAlderData::SetPRG_IR);
    e.PRG_KB = yesNoRow("PRG_KB", " Разрешить изменение параметров с клавиатуры радиостанции:",
                        "Включение/отключение разрешения на изменение параметров с клавиатуры "
                        "радиостанции",
                        &CAlderData::SetPRG_KB);
    e.PRG_ActiveClone =
        yesNoRow("PRG_ActiveClone", " Разрешить копирование параметров радиостанции:",
                 "Включение/отключение разрешения на копирование параметров радиостанции",
                 &CAlderData::SetPRG_ActiveClone);
    e.PRG_ReadClone =
        yesNoRow("PRG_ReadClone", " Разрешить чтение параметров из других радиостанций:",
                 "Включение/отключение разрешения на чтение параметров из других аналогичных "
                 "радиостанций",
                 &CAlderData::SetPRG_ReadClone);
    e.PRG_WriteClone = yesNoRow(
        "PRG_WriteClone", " Разрешить запись параметров в другие радиостанции:",
        "Включение/отключение разрешения на запись параметров в другие аналогичные радиостанции",
        &CAlderData::SetPRG_WriteClone);
    e.PRG_Password = b.AddPassword(
        {"PRG_Password",
         QStringLiteral(" Пароль на изменение параметров с клавиатуры радиостанции:"), kWide,
         QStringLiteral("Ввод пароля, состоящего из 4 цифр, на разрешение изменения параметров "
                        "с клавиатуры радиостанции. Пароль из четырех нулей \"0000\" означает, "
                        "что пароль не установлен.")},
        [this](int value) {
            if (CAlderData* d = Data()) d->SetPRG_Password(value);
        });
}

void TAlderView::BuildVaPage(QWidget& page) {
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
        YesNo(), [this](const QString& t) {
            if (CAlderData* d = Data()) d->SetVA_On(Yes(t));
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
        {"0", "1", "2", "3", "4"}, [this](const QString& t) {
            if (CAlderData* d = Data()) d->SetVA_Pause(models::ParseIntClamped(S(t), 0, 4));
        });
    e.VA_BlockKB = b.AddSelector(
        {"VA_BlockKB", QStringLiteral(" Разрешить включение режима с клавиатуры радиостанции:"),
         kWide,
         QStringLiteral("Разрешение/запрет включения режима акустического включения "
                        "радиостанции на передачу с клавиатуры радиостанции")},
        YesNo(), [this](const QString& t) {
            // The row asks whether switching on is allowed; the radio keeps whether it is
            // blocked.
            if (CAlderData* d = Data()) d->SetVA_BlockKB(!Yes(t));
        });
}

void TAlderView::StoreVaHi(const QString& text) {
    CAlderData* d = Data();
    if (!d) return;
    d->SetVA_Hi(models::VaLevelValue(S(text)));
    if (d->VA_Hi() >= d->VA_Lo()) return;
    d->SetVA_Lo(d->VA_Hi());
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d->VA_Lo())));
}

void TAlderView::StoreVaLo(const QString& text) {
    CAlderData* d = Data();
    if (!d) return;
    d->SetVA_Lo(std::min(models::VaLevelValue(S(text)), d->VA_Hi()));
    const CLoadingScope loading(flags_);
    ShowText(*e_->VA_Lo, Q(models::VaLevelName(d->VA_Lo())));
}

void TAlderView::FillSames() {
    const CAlderData* d = Data();
    if (!d) return;
    SEditors& e = *e_;
    ShowText(*e.CTCSS_PRM, DecimalText(d->CTCSS_PRM(), 1));
    ShowText(*e.CTCSS_PRD, DecimalText(d->CTCSS_PRD(), 1));
    ShowText(*e.DTMF_Number, Q(d->DTMF_Number()));
    ShowText(*e.DTMF_ChWidth, DecimalText(models::UnitsToMs(d->DTMF_ChWidth()), 2));
    ShowText(*e.DTMF_ChPause, DecimalText(models::UnitsToMs(d->DTMF_ChPause()), 2));
    ShowText(*e.DTMF_Decode, OnOffText(d->DTMF_Decode()));
    ShowText(*e.DTMF_Sound, YesNoText(d->DTMF_Sound()));
    ShowText(*e.DTMF_Time, DecimalText(models::UnitsToMs(d->DTMF_Time()), 2));
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

// ---- Key --------------------------------------------------------------------------------------

QWidget* TAlderView::BuildKey() {
    auto* panel = new ZVCL::TZPanel;
    panel->setObjectName("pnl_Key");
    panel->SetBorderType(ZVCL::bt_None);
    TPageBuilder b(*panel, RowWidth(), GroupRowWidth(), flags_);
    SKeyAccess access;
    access.hasData = [this] { return Data() != nullptr; };
    access.get = [this](int group) { return Data()->Key(group); };
    access.set = [this](int group, std::uint8_t value) { Data()->SetKey(group, value); };
    access.modifikator = [this] { return Data()->Modifikator(); };
    access.setModifikator = [this](bool on) { Data()->SetModifikator(on); };
    key_ = std::make_unique<TKeyPage>(b, layout_, std::move(access));
    panel->resize(RowWidth(), b.Bottom());
    return panel;
}

// ---- The module's view ------------------------------------------------------------------------

namespace {

class CAlderViewHost final : public CRadioView {
  public:
    explicit CAlderViewHost(CRadioWare& ware) : view_(new TAlderView(ware, ScreenLayout())) {}
    // The program takes the widget out of its panel before the module frees the view; should
    // a parent have deleted it anyway, the guard knows.
    ~CAlderViewHost() override { delete view_.data(); }
    QWidget* Widget() override { return view_; }
    void Refresh() override {
        if (view_) view_->UpdateView();
    }

  private:
    QPointer<TAlderView> view_;
};

}  // namespace

std::unique_ptr<CRadioView> CreateAlderView(CRadioWare& ware) {
    return std::make_unique<CAlderViewHost>(ware);
}

void InstallAlderView(CRadioWare& ware) {
    ware.SetViewFactory(&CreateAlderView);
}
