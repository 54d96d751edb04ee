#include "F_birchcedarview.h"

#include "F_viewtexts.h"
#include "U_birchcedarware.h"
#include "U_modellists.h"
#include "Zvc_editor.h"
#include "Zvc_static.h"

using namespace views;

namespace {

// Normal and compact widths of the channel table's columns.
constexpr int kCanalWidths[2][13] = {
    {30, 35, 45, 120, 35, 120, 50, 50, 35, 50, 50, 65, 65},
    // On an 800-pixel screen the step and tone columns give up room to the two transmitter
    // columns, so that their headings stand on two lines with space around them.
    {30, 30, 36, 90, 30, 90, 45, 42, 30, 45, 42, 44, 46}};
constexpr int kGroupGap = 6;

const QString kSystemRest = QStringLiteral(
    "(выбираются из предложенных; в правом столбце выбирается система \"открытия\" "
    "шумоподавителя CTCSS или DCS, в левом столбце конкретное значение тона CTCSS или кода "
    "DCS)");

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

TBirchCedarView::TBirchCedarView(CRadioWare& ware, TLayout layout, QWidget* parent)
    : TTwoBankView(ware, layout,
                   ware.Description() == "BIRCH" ? QStringLiteral("TBirchView")
                                                 : QStringLiteral("TCedarView"),
                   {QStringLiteral("сек"), QStringLiteral("мсек")}, parent) {
    AddPages({BuildCanals(), BuildBasics(), BuildScanning(), BuildSames()});
    EnableTwoBankCanalEditing(QStringList{Q(birchcedar::ToneName(0))} +
                              Items(models::kBirchCedarCtcssList) + Items(models::kDcsList));
}

TBirchCedarView::~TBirchCedarView() {
    DeletePages();
}

// ---- Channel table ----------------------------------------------------------------------------

QWidget* TBirchCedarView::BuildCanals() {
    const auto canal = [this](int i) { return DataAs<CBirchCedarData>()->Canal(i); };

    // The scanning mark stays as it is: the radio skips a channel out of use anyway.
    SCanalGridModel model = TwoBankCanalModel(
        kCanalWidths, [canal](int i) { canal(i)->SetEnabled(!canal(i)->Enabled()); });
    std::vector<SCanalColumn>& c = model.columns;

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

    SetOneCssColumn(
        c[8], QStringLiteral("Знак \"=\" устанавливается в случае, если частота приемного тона "
                             "CTCSS равна частоте тона передачи CTCSS или приемный код DCS "
                             "равен коду передачи DCS"));

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

    SetTransmitterColumns(c[11], c[12]);

    const bool compact = Compact();
    model.header = CanalHeaderToFrequencies();
    model.header.insert(
        model.header.end(),
        {{6, 10, 0, 0, QStringLiteral("CTCSS тон, Гц / DCS код")},
         {6, 7, 1, 1, QStringLiteral("ПРМ")},
         {8, 8, 1, 1, QStringLiteral("=")},
         {9, 10, 1, 1, QStringLiteral("ПРД")},
         {11, 11, 0, 1,
          compact ? QStringLiteral("ПРД\nна з/к") : QStringLiteral("ПРД на\nзанятом\nканале")},
         {12, 12, 0, 1,
          compact ? QStringLiteral("ПРД\nогр. п/в")
                  : QStringLiteral("Огранич.\nПРД по\nвремени")}});
    return BuildCanalPanel(std::move(model));
}

// ---- Additional parameters --------------------------------------------------------------------

QWidget* TBirchCedarView::BuildSames() {
    TPageBuilder b = NewRowsPage("pnl_Sames");
    const TDataRows<CBirchCedarData> rows = RowsOf<CBirchCedarData>(b, sames_);
    using D = CBirchCedarData;

    b.MoveTo(Compact() ? 5 : 8);
    b.BeginGroup("grp_DTMF", QStringLiteral(" DTMF"));
    AddDtmfSendRows(b);
    b.EndGroup();

    b.MoveTo(b.Bottom() + kGroupGap);
    b.BeginGroup("grp_Econom", QStringLiteral(" Режим экономии энергии"));
    rows.YesNo({"Econom", QStringLiteral(" Включить режим экономии энергии:"), kNarrowCaption,
                QStringLiteral("Включение режима экономии энергии при включении радиостанции")},
               &D::Econom, &D::SetEconom);
    const QStringList economTimes = {"15", "30", "45", "60", "90", "120", "180"};
    rows.Number(
        {"EconomT1", QStringLiteral(" Время включения режима №1, сек:"), kNarrowCaption,
         QStringLiteral("Установка времени, по истечении которого радиостанция из режима "
                        "\"дежурный прием\" переключается в режим экономии энергии №1, при этом "
                        "радиостанция поочередно включается и выключается на 250 мс (скважность "
                        "1:1)")},
        {3, economTimes, 10, 600}, &D::EconomT1, &D::SetEconomT1);
    rows.Number(
        {"EconomT2", QStringLiteral(" Время включения режима №2, сек:"), kNarrowCaption,
         QStringLiteral("Установка времени, по истечении которого радиостанция из режима "
                        "экономии энергии №1 переключается в режим экономии энергии №2, при этом "
                        "радиостанция поочередно включается на 250 мс и отключается на 750 мс "
                        "(скважность 1:3)")},
        {4, economTimes, 10, 3600}, &D::EconomT2, &D::SetEconomT2);
    b.EndGroup();

    return b.FinishPage(AddPrgVaTabs(b.Panel(), b.Bottom() + kGroupGap));
}

// ---- The module's view ------------------------------------------------------------------------

std::unique_ptr<CRadioView> CreateBirchCedarView(CRadioWare& ware) {
    return CreateHostedView<TBirchCedarView>(ware);
}

void InstallBirchCedarView(CRadioWare& ware) {
    ware.SetViewFactory(&CreateBirchCedarView);
}
