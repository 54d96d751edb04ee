#include "U_compare.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <sstream>
#include <string_view>
#include <utility>

#include "U_codepage.h"

namespace interchange {

namespace {

// Text keys and their captions, for every model; the channel table's columns first.
constexpr std::array<std::pair<std::string_view, std::string_view>, 66> kCaptions = {{
    {"Enabled", "Рабочий канал"},
    {"FRQ_Step", "Шаг сетки частот, Гц"},
    {"FRQ_PRM", "Частота приема, Гц"},
    {"FRQ_PRD", "Частота передачи, Гц"},
    {"CSS_PRM", "Тон приема"},
    {"CSS_PRD", "Тон передачи"},
    {"One_FRQ", "Частота передачи равна частоте приема"},
    {"One_CSS", "Тон передачи равен тону приема"},
    {"Scanning", "Сканирование"},
    {"BlockPRDIfBusy", "Запрет передачи при занятом канале"},
    {"LimitPRDOnTime", "Ограничение передачи по времени"},
    {"BlockPRD", "Запрет передачи при занятом канале"},
    {"FR1", "Диапазоны частот"},
    {"FR2", "Диапазоны частот"},
    {"FR3", "Диапазоны частот"},
    {"FR4", "Диапазоны частот"},
    {"FR5", "Диапазоны частот"},
    {"FR6", "Диапазоны частот"},
    {"FR7", "Диапазоны частот"},
    {"FR8", "Диапазоны частот"},
    {"Tone", "Частота вызывного тона, Гц"},
    {"Squelch", "Порог срабатывания шумоподавителя"},
    {"SquelchOn", "Шумоподавитель включен"},
    {"SquelchLevel", "Порог срабатывания шумоподавителя"},
    {"Power", "Мощность передатчика"},
    {"VolumeLevel", "Уровень громкости"},
    {"LimitPRD", "Ограничение времени работы на передачу, сек"},
    {"RestPRD", "Пауза после принудительного отключения передачи, сек"},
    {"ShowFreq", "Показывать частоту канала"},
    {"Light", "Подсветка"},
    {"BeepPress", "Звук нажатия клавиш"},
    {"BeepBat", "Сигнал разряда батареи"},
    {"OffClock", "В выключенном состоянии показывать время"},
    {"OffTemp", "В выключенном состоянии показывать температуру"},
    {"OffBat", "В выключенном состоянии показывать заряд батареи"},
    {"SaveSet", "Сохранять изменения параметров при выключении"},
    {"CanalOnFirstPowerOn", "Канал при первом включении"},
    {"ServiceCanal", "Приоритетный канал"},
    {"PriorCanal", "Приоритетный канал"},
    {"PriorScanning", "Приоритетное сканирование"},
    {"StopOnCurrent", "Останавливаться на текущем канале"},
    {"DelayScanning", "Задержка сканирования при пропадании несущей, сек"},
    {"CTCSS_PRM", "Частота CTCSS тона приема, Гц"},
    {"CTCSS_PRD", "Частота CTCSS тона передачи, Гц"},
    {"DTMF_Number", "Номер, посылаемый при выходе на передачу"},
    {"DTMF_ChWidth", "Длительность посылки одного DTMF символа"},
    {"DTMF_ChPause", "Пауза между посылками DTMF символов"},
    {"DTMF_Decode", "Декодирование DTMF сигнала при приеме"},
    {"DTMF_Sound", "Звук при декодировании DTMF сигнала"},
    {"DTMF_Time", "Время декодирования после обнаружения несущей"},
    {"PRG_IR", "Включить ИК-порт"},
    {"PRG_KB", "Изменение параметров с клавиатуры радиостанции"},
    {"PRG_Password", "Пароль на изменение параметров с клавиатуры радиостанции"},
    {"PRG_ActiveClone", "Разрешить копирование параметров"},
    {"PRG_ReadClone", "Чтение параметров из другой радиостанции"},
    {"PRG_WriteClone", "Запись параметров в другую радиостанцию"},
    {"PRG_Enabled", "Разрешить программирование"},
    {"BlockHandOn", "Блокировка клавиатуры"},
    {"VA_On", "Включить режим \"Активация голосом\""},
    {"VA_Hi", "Порог включения передачи"},
    {"VA_Lo", "Порог выключения передачи"},
    {"VA_Pause", "Допустимая пауза между словами, сек"},
    {"VA_BlockKB", "Запрет включения режима с клавиатуры радиостанции"},
    {"Modifikator", "Изменение ключа по каналам"},
    {"Notes", "Описание"},
    {"Econom", "Режим экономии энергии"},
}};

// Keys the table names by pattern.
std::string PatternCaption(const std::string& field) {
    if (field.starts_with("Key") && field.size() > 3 &&
        std::all_of(field.begin() + 3, field.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "Ключ маскиратора, группа " + field.substr(3);
    if (field == "EconomT1") return "Время включения режима №1, сек";
    if (field == "EconomT2") return "Время включения режима №2, сек";
    return field;
}

struct SParsedBody {
    std::map<int, std::vector<std::pair<std::string, std::string>>> canals;
    std::vector<std::pair<std::string, std::string>> settings;
};

SParsedBody Parse(const std::string& body) {
    SParsedBody parsed;
    std::istringstream in(Cp1251ToUtf8(body));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        std::size_t digits = 0;
        while (digits < key.size() && std::isdigit(static_cast<unsigned char>(key[digits])))
            ++digits;
        if (digits > 0 && digits < key.size())
            parsed.canals[std::stoi(key.substr(0, digits))].emplace_back(key.substr(digits), value);
        else
            parsed.settings.emplace_back(key, value);
    }
    return parsed;
}

std::string CanalPlace(int index) {
    return std::string("Канал ") + (index < 10 ? "0" : "") + std::to_string(index);
}

std::string ValueOf(const std::vector<std::pair<std::string, std::string>>& fields,
                    const std::string& key) {
    const auto it = std::ranges::find(fields, key, [](const auto& f) { return f.first; });
    return it == fields.end() ? std::string() : it->second;
}

void CompareFields(const std::string& place,
                   const std::vector<std::pair<std::string, std::string>>& left,
                   const std::vector<std::pair<std::string, std::string>>& right,
                   std::vector<SDifference>& out) {
    for (const auto& [key, value] : left) {
        const std::string other = ValueOf(right, key);
        if (other != value) out.push_back({place, FieldCaption(key), value, other});
    }
    for (const auto& [key, value] : right)
        if (std::ranges::find(left, key, [](const auto& f) { return f.first; }) == left.end())
            out.push_back({place, FieldCaption(key), "", value});
}

std::string BodyOf(CRadioData& data) {
    std::ostringstream out;
    data.WriteText(out);
    return out.str();
}

}  // namespace

std::string FieldCaption(const std::string& field) {
    for (const auto& [key, caption] : kCaptions)
        if (key == field) return std::string(caption);
    return PatternCaption(field);
}

std::vector<SDifference> CompareBodies(const std::string& left, const std::string& right) {
    const SParsedBody a = Parse(left), b = Parse(right);
    std::vector<SDifference> differences;
    for (int index = 0; index < kRadioCanalCount; ++index) {
        const auto fieldsA = a.canals.find(index), fieldsB = b.canals.find(index);
        const auto none = std::vector<std::pair<std::string, std::string>>();
        const auto& fa = fieldsA == a.canals.end() ? none : fieldsA->second;
        const auto& fb = fieldsB == b.canals.end() ? none : fieldsB->second;
        const bool usedA = ValueOf(fa, "Enabled") == "1", usedB = ValueOf(fb, "Enabled") == "1";
        if (usedA != usedB) {
            differences.push_back({CanalPlace(index), FieldCaption("Enabled"), usedA ? "да" : "нет",
                                   usedB ? "да" : "нет"});
        } else if (usedA) {
            CompareFields(CanalPlace(index), fa, fb, differences);
        }
    }
    CompareFields("Параметры", a.settings, b.settings, differences);
    return differences;
}

std::vector<SDifference> CompareSets(CRadioData& left, CRadioData& right) {
    return CompareBodies(BodyOf(left), BodyOf(right));
}

std::string DifferencesText(const std::vector<SDifference>& differences) {
    if (differences.empty()) return "Различий нет\n";
    std::string text;
    for (const SDifference& d : differences)
        text += d.place + ": " + d.caption + ": " + d.left + " → " + d.right + '\n';
    return text;
}

}  // namespace interchange
