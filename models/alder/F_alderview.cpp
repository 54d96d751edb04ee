#include "F_alderview.h"

#include "F_viewtexts.h"
#include "U_alderware.h"
#include "U_modellists.h"
#include "Zvc_editor.h"
#include "Zvc_static.h"

using namespace views;

namespace {

// Normal and compact widths of the channel table's columns.
constexpr int kCanalWidths[2][11] = {{30, 35, 0, 130, 41, 130, 90, 40, 90, 83, 81},
                                     {30, 30, 0, 100, 35, 100, 66, 35, 66, 68, 65}};

const QString kToneRest = QStringLiteral(
    "(выбирается из предложенных; при выборе  \"(ОПР)\", конкретное значение устанавливается на "
    "вкладке \"Дополнительные параметры\" в группе \"Частоты CTCSS тонов, определяемые "
    "пользователем\")");

}  // namespace

TAlderView::TAlderView(CRadioWare& ware, TLayout layout, QWidget* parent)
    : TTwoBankView(ware, layout, QStringLiteral("TAlderView"),
                   {QStringLiteral("с"), QStringLiteral("мс")}, parent) {
    AddPages(
        {BuildCanals(), BuildBasics(), BuildScanning(), BuildSames(), BuildKeyPanel<CAlderData>()});
    EnableTwoBankCanalEditing(Items(models::kAlderToneList));
}

TAlderView::~TAlderView() {
    DeletePages();
}

// ---- Channel table ----------------------------------------------------------------------------

QWidget* TAlderView::BuildCanals() {
    const auto canal = [this](int i) { return DataAs<CAlderData>()->Canal(i); };

    SCanalGridModel model = TwoBankCanalModel(kCanalWidths, [canal](int i) {
        CAlderCanal& ch = *canal(i);
        ch.SetEnabled(!ch.Enabled());
        // A channel out of use is not scanned either.
        if (!ch.Enabled()) ch.SetScanning(false);
    });
    std::vector<SCanalColumn>& c = model.columns;

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
    TPageBuilder b = NewRowsPage("pnl_Sames");
    const TDataRows<CAlderData> rows = RowsOf<CAlderData>(b, sames_);
    using D = CAlderData;
    // The user-defined tone of one direction: its tone's words and its column's heading.
    const auto userTone = [](const char* name, const char* label, const char* tone,
                             const char* column) {
        return SRowSpec{
            name, QString::fromUtf8(label), kNarrowCaption,
            QStringLiteral("Установка конкретного значения частоты %1 CTCSS. Опция используется, "
                           "если на вкладке \"Параметры каналов\" на каком-либо рабочем канале "
                           "(каналах) в столбце CTCSS тон - %2 выбрано значение "
                           "(ОПР)\n(устанавливается из диапазона 67,0 - 254,9 Гц)")
                .arg(QString::fromUtf8(tone), QString::fromUtf8(column))};
    };

    b.MoveTo(Compact() ? 5 : 8);
    b.BeginGroup("grp_CTCSS", QStringLiteral(" Частоты CTCSS тонов, определяемые пользователем"));
    rows.Decimal(
        userTone("CTCSS_PRM", " Частота CTCSS тона приема, Гц:", "приемного тона", "ПРМ"), 1,
        [](const D& d) { return d.CTCSS_PRM(); }, [](D& d, double v) { d.SetCTCSS_PRM(v); });
    rows.Decimal(
        userTone("CTCSS_PRD", " Частота CTCSS тона передачи, Гц:", "тона передачи", "ПРД"), 1,
        [](const D& d) { return d.CTCSS_PRD(); }, [](D& d, double v) { d.SetCTCSS_PRD(v); });
    b.EndGroup();

    b.MoveTo(b.Bottom() + 6);
    b.BeginGroup("grp_DTMF", QStringLiteral(" DTMF"));
    AddDtmfSendRows(b);
    rows.OnOff(
        {"DTMF_Decode", QStringLiteral(" Декодирование DTMF сигнала при приеме:"), kNarrowCaption,
         QStringLiteral("Включение/отключение режима декодирования DTMF сигнала при приеме")},
        &D::DTMF_Decode, &D::SetDTMF_Decode);
    rows.YesNo(
        {"DTMF_Sound", QStringLiteral(" Звук при декодировании DTMF сигнала:"), kNarrowCaption,
         QStringLiteral("Включение/отключение звукового сигнала при декодировании DTMF сигнала "
                        "при приеме")},
        &D::DTMF_Sound, &D::SetDTMF_Sound);
    rows.Decimal(
        {"DTMF_Time", QStringLiteral(" Время декодирования после обнаружения несущей, мс:"),
         kNarrowCaption,
         QStringLiteral("Установка времени декодирования при получении DTMF сигнала")},
        2, [](const D& d) { return models::UnitsToMs(d.DTMF_Time()); },
        [](D& d, double ms) { d.SetDTMF_Time(models::MsToUnits(ms)); });
    b.EndGroup();

    return b.FinishPage(AddPrgVaTabs(b.Panel(), b.Bottom() + 6));
}

// ---- The module's view ------------------------------------------------------------------------

std::unique_ptr<CRadioView> CreateAlderView(CRadioWare& ware) {
    return CreateHostedView<TAlderView>(ware);
}

void InstallAlderView(CRadioWare& ware) {
    ware.SetViewFactory(&CreateAlderView);
}
