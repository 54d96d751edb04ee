// The Larch set as the views and the printed sheet show it.
#include "U_larchware.h"

#include <algorithm>
#include <array>

#include "U_modellists.h"
#include "U_shownvalues.h"

std::vector<SShownValue> CLarchData::ShownSettings() {
    using namespace models;
    std::vector<SShownValue> out;
    const int squelchItem = SquelchOn() ? std::clamp(SquelchLevel() + 1, 1, 8) : 0;
    // The page shows channel 00's call tone, and showing it gives every channel that tone.
    CShownPage basics(out, kBasicsPage);
    basics.Row("Частота вызывного тона, Гц", std::to_string(LarchCanal(0).Tone()))
        .Row("Порог срабатывания шумоподавителя", SquelchName(squelchItem))
        .Group("Передатчик")
        .Row("Мощность передатчика, Вт", std::to_string(Power()))
        .Group("Начальные установки")
        .Row("Уровень громкости", std::to_string(VolumeLevel()));
    ShownIndication(basics, ShowFreq(), Light(), BeepPress())
        .Group("")
        .Row("Сохранять изменения параметров при выключении", YesNoName(SaveSet()));
    CShownPage(out, kScanningPage)
        .Row("Приоритетный канал", ChannelNumberText(ServiceCanal()))
        .Row("Приоритетное сканирование", OnOffName(PriorScanning()))
        .Row("Останавливаться на текущем канале", YesNoName(StopOnCurrent()))
        .Row("Задержка сканирования при пропадании несущей, сек", std::to_string(DelayScanning()));
    CShownPage(out, kSamesPage)
        .Group("Программирование станции")
        .Row("Включить ИК-порт", YesNoName(PRG_IR()))
        .Row("Разрешить программирование", YesNoName(PRG_Enabled()));
    std::array<std::uint8_t, 16> key{};
    for (int group = 1; group <= 16; ++group) key[static_cast<std::size_t>(group - 1)] = Key(group);
    CShownPage(out, kKeyPage)
        .Group("Ключ маскирования")
        .Row("Ключ, шестнадцатеричный формат", KeyText(key), true)
        .Row("Изменение ключа по каналам", YesNoName(Modifikator()));
    return out;
}

std::vector<SShownValue> CLarchData::ShownCanal(int index) {
    using namespace models;
    const CLarchCanal& canal = LarchCanal(index);
    const auto frequency = [this](int hz) { return GroupedHz(SnapToRanges(Ranges(), hz)); };
    std::vector<SShownValue> out;
    CShownPage(out, "")
        .Row("Частота ПРМ, Гц", frequency(canal.FRQ_PRM()))
        .Row("Частота ПРД, Гц", frequency(canal.FRQ_PRD()))
        .Row("Субтон (CTCSS) ПРМ, Гц", ListName(kLarchToneList, canal.CTCSS_PRM()))
        .Row("Субтон (CTCSS) ПРД, Гц", ListName(kLarchToneList, canal.CTCSS_PRD()))
        .Row("Вызывной тон, Гц", std::to_string(canal.Tone()))
        .Row("Блокировка ПРД", YesNoName(canal.BlockPRD()))
        .Row("Сканирование", YesNoName(canal.Scanning()));
    return out;
}
