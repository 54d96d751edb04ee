// The values of a two-bank set as the views and the printed sheet show them.
#include "U_twobankdata.h"

#include "U_modellists.h"
#include "U_shownvalues.h"

std::vector<SShownValue> CTwoBankData::ShownSettings() {
    using namespace models;
    const STwoBankWords& words = model_.words;
    std::vector<SShownValue> out;
    CShownPage basics(out, kBasicsPage);
    basics.Row("Частота вызывного тона, Гц", std::to_string(Tone()))
        .Row("Порог срабатывания шумоподавителя", SquelchName(Squelch()))
        .Group("Передатчик")
        .Row("Мощность передатчика", ListName(kPowerList, Power()))
        .Row(WithUnit("Ограничение времени работы на передачу", words.seconds),
             std::to_string(LimitPRD()))
        .Row(WithUnit("Пауза после принудительного отключения передачи", words.seconds),
             std::to_string(RestPRD()));
    ShownIndication(basics, ShowFreq(), Light(), BeepPress())
        .Row("Звуковой сигнал при разряде аккумулятора", OnOffName(BeepBat()))
        .Group("Индикация при выключенной радиостанции")
        .Row("Отображение текущего времени", OnOffName(OffClock()))
        .Row("Отображение температуры", OnOffName(OffTemp()))
        .Row("Отображение уровня заряда аккумулятора", OnOffName(OffBat()))
        .Group("")
        .Row("Сохранять изменения параметров при выключении", YesNoName(SaveSet()));
    // Without a scanned channel the page shows this in place of both priority rows.
    const std::string noScanned = "(нет каналов сканирования)";
    const bool priority = PriorCanal() >= 0;
    CShownPage(out, kScanningPage)
        .Row("Приоритетный канал", priority ? ChannelNumberText(PriorCanal()) : noScanned)
        .Row("Приоритетное сканирование", priority ? OnOffName(PriorScanning()) : noScanned)
        .Row("Останавливаться на текущем канале", YesNoName(StopOnCurrent()))
        .Row(WithUnit("Задержка сканирования при пропадании несущей", words.seconds),
             std::to_string(DelayScanning()));
    AppendShownSames(out);
    return out;
}

void CTwoBankData::AppendShownDtmfSend(models::CShownPage& page) const {
    using namespace models;
    const STwoBankWords& words = model_.words;
    page.Row("Номер, посылаемый при выходе на передачу", DTMF_Number())
        .Row(WithUnit("Длительность посылки одного DTMF символа", words.milliseconds),
             DecimalText(UnitsToMs(DTMF_ChWidth()), 2))
        .Row(WithUnit("Пауза между посылками DTMF символов", words.milliseconds),
             DecimalText(UnitsToMs(DTMF_ChPause()), 2));
}

void CTwoBankData::AppendShownPrgVa(std::vector<SShownValue>& out) const {
    using namespace models;
    CShownPage(out, kSamesPage)
        .Group("Программирование")
        .Row("Включить ИК-порт", YesNoName(PRG_IR()))
        .Row("Разрешить изменение параметров с клавиатуры радиостанции", YesNoName(PRG_KB()))
        .Row("Разрешить копирование параметров радиостанции", YesNoName(PRG_ActiveClone()))
        .Row("Разрешить чтение параметров из других радиостанций", YesNoName(PRG_ReadClone()))
        .Row("Разрешить запись параметров в другие радиостанции", YesNoName(PRG_WriteClone()))
        .Row("Пароль на изменение параметров с клавиатуры радиостанции",
             PasswordText(PRG_Password()), true)
        .Group("Активация голосом")
        .Row("Включить режим \"Активация голосом\"", YesNoName(VA_On()))
        .Row("Порог включения передачи", VaLevelName(VA_Hi()))
        .Row("Порог выключения передачи", VaLevelName(VA_Lo()))
        .Row("Допустимая пауза между словами, сек", std::to_string(VA_Pause()))
        // The row asks whether switching on is allowed; the set keeps whether it is blocked.
        .Row("Разрешить включение режима с клавиатуры радиостанции", YesNoName(!VA_BlockKB()));
}

std::vector<SShownValue> CTwoBankData::ShownCanal(int index) {
    using namespace models;
    const CTwoBankCanal& canal = CanalAt(index);
    const STwoBankWords& words = model_.words;
    const auto tone = [&words](std::string_view direction) {
        return std::string(words.toneHeading) + ' ' + std::string(direction) +
               std::string(words.toneUnit);
    };
    std::vector<SShownValue> out;
    CShownPage row(out, "");
    if (words.stepColumn) row.Row("Шаг, кГц", twobank::FreqText(*this, canal.FRQ_Step()));
    row.Row("Частота ПРМ, Гц", twobank::FreqText(*this, canal.FRQ_PRM()))
        .Row("Частота ПРД, Гц", twobank::FreqText(*this, canal.FRQ_PRD()))
        .Row(tone("ПРМ"), model_.tones.shown(canal.CSS_PRM()))
        .Row(tone("ПРД"), model_.tones.shown(canal.CSS_PRD()))
        // The column asks whether transmitting on a busy channel is allowed.
        .Row("ПРД на занятом канале", YesNoName(!canal.BlockPRDIfBusy()))
        .Row("Огранич. ПРД по времени", YesNoName(canal.LimitPRDOnTime()))
        .Row("Сканирование", YesNoName(canal.Scanning()));
    return out;
}
