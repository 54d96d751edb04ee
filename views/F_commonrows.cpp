#include "F_commonrows.h"

#include "U_modellists.h"

namespace views {

QString UnitCaption(const char* caption, const QString& unit) {
    return QString::fromUtf8(caption) + QStringLiteral(", ") + unit + QStringLiteral(":");
}

SRowSpec CallToneRow() {
    return {"Tone", QStringLiteral(" Частота вызывного тона, Гц:"), kWideCaption,
            QStringLiteral("Частота вызывного тона\n(выбирается из предложенных или "
                           "устанавливается из диапазона 500 - 3000 Гц)")};
}

SRowSpec SquelchRow(const QString& name, const QString& hintTail) {
    return {name, QStringLiteral(" Порог срабатывания шумоподавителя:"), kWideCaption,
            QStringLiteral("Порог срабатывания шумоподавителя, устанавливается в зависимости от "
                           "помеховой обстановки") +
                hintTail};
}

SRowSpec ShowFreqRow() {
    return {"ShowFreq", QStringLiteral(" Отображение частоты текущего канала:"), kNarrowCaption,
            QStringLiteral("Включение/отключение индикации частоты текущего канала на "
                           "индикаторе радиостанции")};
}

SRowSpec LightRow() {
    return {"Light", QStringLiteral(" Подсветка индикатора и клавиатуры:"), kNarrowCaption,
            QStringLiteral("Включение/отключение подсветки индикатора и клавиатуры радиостанции")};
}

SRowSpec BeepPressRow() {
    return {"BeepPress", QStringLiteral(" Звуковой сигнал нажатия клавиш:"), kNarrowCaption,
            QStringLiteral("Включение/отключение звукового сигнала нажатия клавиш радиостанции")};
}

SRowSpec SaveSetRow() {
    return {"SaveSet", QStringLiteral(" Сохранять изменения параметров при выключении:"),
            kWideCaption,
            QStringLiteral("Включение/отключение режима сохранения изменений параметров "
                           "радиостанции, произведенных вручную с помощью клавиш радиостанции, "
                           "при выключении радиостанции")};
}

SRowSpec PriorCanalRow(const QString& name) {
    return {name, QStringLiteral(" Приоритетный канал:"), kWideCaption,
            QStringLiteral("Выбор номера приоритетного канала\n(выбирается из предложенного "
                           "списка рабочих каналов)")};
}

SRowSpec PriorScanningRow() {
    return {"PriorScanning", QStringLiteral(" Приоритетное сканирование:"), kWideCaption,
            QStringLiteral("Включение/отключение режима приоритетного сканирования\n(при "
                           "включении этого режима каждый второй сканируемый канал - "
                           "приоритетный)")};
}

SRowSpec StopOnCurrentRow() {
    return {"StopOnCurrent", QStringLiteral(" Останавливаться на текущем канале:"), kWideCaption,
            QStringLiteral("Если выбрано \"Да\", при прекращении сканирования радиостанция "
                           "переходит на последний сканируемый канал. Если выбрано \"Нет\", при "
                           "прекращении сканирования радиостанция переходит на канал, с "
                           "которого сканирование началось")};
}

SRowSpec DelayScanningRow(const QString& secondsWord) {
    return {"DelayScanning",
            UnitCaption(" Задержка сканирования при пропадании несущей", secondsWord), kWideCaption,
            QStringLiteral("Устанавливается время  ожидания  возврата к режиму сканирования "
                           "после окончания переговоров. Если выбрано \"0\", после окончания "
                           "переговоров сканирование прекращается")};
}

SRowSpec InfraredPortRow(int labelWidth) {
    return {"PRG_IR", QStringLiteral(" Включить ИК-порт:"), labelWidth,
            QStringLiteral("Разрешение на переход радиостанции в режим программирования при "
                           "включении")};
}

QStringList CanalNumbers(int count, const std::function<bool(int canal)>& offered) {
    QStringList numbers;
    for (int i = 0; i < count; ++i)
        if (offered(i)) numbers << Q(models::ChannelNumberText(i));
    return numbers;
}

QString RecordMisfit(const SCanalRecord& r, int low, int high, int raster,
                     const std::function<bool(const QString& tone)>& knownTone) {
    for (const int hz : {r.rx, r.tx}) {
        if (hz < low || hz > high)
            return QStringLiteral("частота %1 вне диапазона радиостанции").arg(GroupedHz(hz));
        if (hz % raster != 0)
            return QStringLiteral("частота %1 не кратна шагу сетки").arg(GroupedHz(hz));
    }
    for (const QString& tone : {r.rxTone, r.txTone})
        if (!knownTone(tone)) return QStringLiteral("тон %1 не поддерживается").arg(tone);
    return {};
}

}  // namespace views
