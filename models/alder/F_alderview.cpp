#include "F_alderview.h"

#include "F_viewtexts.h"
#include "U_alderware.h"
#include "U_modellists.h"
#include "Zvc_editor.h"
#include "Zvc_static.h"

using namespace views;

namespace {

// Normal and compact widths of the channel table's columns.
constexpr std::size_t kCanalColumns = 11;
constexpr int kCanalWidths[2][kCanalColumns] = {{30, 35, 0, 130, 41, 130, 90, 40, 90, 83, 81},
                                                {30, 30, 0, 100, 35, 100, 66, 35, 66, 68, 65}};

const QString kToneRest = QStringLiteral(
    "(выбирается из предложенных; при выборе  \"(ОПР)\", конкретное значение устанавливается на "
    "вкладке \"Дополнительные параметры\" в группе \"Частоты CTCSS тонов, определяемые "
    "пользователем\")");

}  // namespace

// The editors of the Alder's own rows, by the parameter they show.
struct TAlderView::SEditors {
    ZVCL::TZEditor* CTCSS_PRM = nullptr;
    ZVCL::TZEditor* CTCSS_PRD = nullptr;
    ZVCL::TZStatic* DTMF_Decode = nullptr;
    ZVCL::TZStatic* DTMF_Sound = nullptr;
    ZVCL::TZEditor* DTMF_Time = nullptr;
};

TAlderView::TAlderView(CRadioWare& ware, TLayout layout, QWidget* parent)
    : TTwoBankView(ware, layout, QStringLiteral("TAlderView"),
                   {QStringLiteral("с"), QStringLiteral("мс")}, parent),
      e_(std::make_unique<SEditors>()) {
    AddPages(
        {BuildCanals(), BuildBasics(), BuildScanning(), BuildSames(), BuildKeyPanel<CAlderData>()});
    EnableTwoBankCanalEditing({[](int code) { return alder::ToneName(code); },
                               [](std::string_view name) { return alder::ToneCode(name); },
                               Items(models::kAlderToneList)});
}

TAlderView::~TAlderView() {
    DeletePages();
}

CAlderData* TAlderView::Data() const {
    return DataAs<CAlderData>();
}

// ---- Channel table ----------------------------------------------------------------------------

QWidget* TAlderView::BuildCanals() {
    const auto canal = [this](int i) { return Data()->Canal(i); };
    SCanalGridModel model;
    model.enabled = [canal](int i) { return canal(i)->Enabled(); };
    std::vector<SCanalColumn>& c = model.columns;
    c.resize(kCanalColumns);
    for (std::size_t col = 0; col < kCanalColumns; ++col)
        c[col].width = CanalWidth(kCanalWidths, col);

    SetCanalColumns(c, [canal](int i) {
        CAlderCanal& ch = *canal(i);
        ch.SetEnabled(!ch.Enabled());
        // A channel out of use is not scanned either.
        if (!ch.Enabled()) ch.SetScanning(false);
    });

    c[6].action = TCellAction::List;
    c[6].text = [canal](int i) { return Q(alder::ToneName(canal(i)->CSS_PRM())); };
    c[6].list = [](int) { return Items(models::kAlderToneList); };
    c[6].pullRight = 23;
    c[6].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRM(alder::ToneCode(S(text)));
    };
    c[6].hint = QStringLiteral("Приемный тон CTCSS\n") + kToneRest;
    c[6].hintRows = 2;

    SetOneCssColumn(c[7], QStringLiteral("Знак \"=\" устанавливается в случае, если частота "
                                         "приемного тона CTCSS равна частоте тона передачи CTCSS"));

    c[8] = c[6];
    c[8].text = [canal](int i) { return Q(alder::ToneName(canal(i)->CSS_PRD())); };
    c[8].allowed = [canal](int i) { return !canal(i)->One_CSS(); };
    c[8].store = [canal](int i, const QString& text) {
        canal(i)->SetCSS_PRD(alder::ToneCode(S(text)));
    };
    c[8].hint = QStringLiteral("Тон передачи CTCSS\n") + kToneRest;

    SetTransmitterColumns(c[9], c[10]);

    model.header = CanalHeaderToFrequencies();
    model.header.insert(model.header.end(),
                        {{6, 8, 0, 0, QStringLiteral("CTCSS тон, Гц")},
                         {6, 6, 1, 1, QStringLiteral("ПРМ")},
                         {7, 7, 1, 1, QStringLiteral("=")},
                         {8, 8, 1, 1, QStringLiteral("ПРД")},
                         {9, 9, 0, 1, QStringLiteral("ПРД на\nзанятом\nканале")},
                         {10, 10, 0, 1, QStringLiteral("Огранич.\nПРД по\nвремени")}});
    return BuildCanalPanel(std::move(model));
}

// ---- Additional parameters --------------------------------------------------------------------

QWidget* TAlderView::BuildSames() {
    ZVCL::TZPanel* panel = NewPagePanel("pnl_Sames");
    TPageBuilder b(*panel, RowWidth(), GroupRowWidth(), flags_);
    SEditors& e = *e_;
    const auto decimal = [this](int decimals, auto shown, auto set) {
        return SDecimalRule{decimals, [this, shown] { return Data() ? shown(*Data()) : 0.0; },
                            [this, set](double v) {
                                if (CAlderData* d = Data()) set(*d, v);
                            }};
    };

    b.MoveTo(Compact() ? 5 : 8);
    b.BeginGroup("grp_CTCSS", QStringLiteral(" Частоты CTCSS тонов, определяемые пользователем"));
    e.CTCSS_PRM = b.AddDecimal(
        {"CTCSS_PRM", QStringLiteral(" Частота CTCSS тона приема, Гц:"), kNarrowCaption,
         QStringLiteral("Установка конкретного значения частоты приемного тона CTCSS. Опция "
                        "используется, если на вкладке \"Параметры каналов\" на каком-либо "
                        "рабочем канале (каналах) в столбце CTCSS тон - ПРМ выбрано значение "
                        "(ОПР)\n(устанавливается из диапазона 67,0 - 254,9 Гц)")},
        decimal(
            1, [](const CAlderData& d) { return d.CTCSS_PRM(); },
            [](CAlderData& d, double v) { d.SetCTCSS_PRM(v); }));
    e.CTCSS_PRD = b.AddDecimal(
        {"CTCSS_PRD", QStringLiteral(" Частота CTCSS тона передачи, Гц:"), kNarrowCaption,
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
    AddDtmfSendRows(b);
    e.DTMF_Decode = b.AddSelector(
        {"DTMF_Decode", QStringLiteral(" Декодирование DTMF сигнала при приеме:"), kNarrowCaption,
         QStringLiteral("Включение/отключение режима декодирования DTMF сигнала при приеме")},
        OnOffItems(), [this](const QString& t) {
            if (CAlderData* d = Data()) d->SetDTMF_Decode(On(t));
        });
    e.DTMF_Sound = b.AddSelector(
        {"DTMF_Sound", QStringLiteral(" Звук при декодировании DTMF сигнала:"), kNarrowCaption,
         QStringLiteral("Включение/отключение звукового сигнала при декодировании DTMF сигнала "
                        "при приеме")},
        YesNoItems(), [this](const QString& t) {
            if (CAlderData* d = Data()) d->SetDTMF_Sound(Yes(t));
        });
    e.DTMF_Time = b.AddDecimal(
        {"DTMF_Time", QStringLiteral(" Время декодирования после обнаружения несущей, мс:"),
         kNarrowCaption,
         QStringLiteral("Установка времени декодирования при получении DTMF сигнала")},
        decimal(
            2, [](const CAlderData& d) { return models::UnitsToMs(d.DTMF_Time()); },
            [](CAlderData& d, double ms) { d.SetDTMF_Time(models::MsToUnits(ms)); }));
    b.EndGroup();

    panel->resize(RowWidth(), AddPrgVaTabs(*panel, b.Bottom() + 6));
    return panel;
}

void TAlderView::FillSames() {
    const CAlderData* d = Data();
    if (!d) return;
    SEditors& e = *e_;
    ShowText(*e.CTCSS_PRM, DecimalText(d->CTCSS_PRM(), 1));
    ShowText(*e.CTCSS_PRD, DecimalText(d->CTCSS_PRD(), 1));
    ShowText(*e.DTMF_Decode, OnOffText(d->DTMF_Decode()));
    ShowText(*e.DTMF_Sound, YesNoText(d->DTMF_Sound()));
    ShowText(*e.DTMF_Time, DecimalText(models::UnitsToMs(d->DTMF_Time()), 2));
    FillDtmfSendAndPrgVa(*d);
}

// ---- The module's view ------------------------------------------------------------------------

std::unique_ptr<CRadioView> CreateAlderView(CRadioWare& ware) {
    return CreateHostedView<TAlderView>(ware);
}

void InstallAlderView(CRadioWare& ware) {
    ware.SetViewFactory(&CreateAlderView);
}
