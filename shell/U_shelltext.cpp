#include "U_shelltext.h"

#include <filesystem>

namespace shelltext {

std::string ComposeCaption(const std::string& base, const std::string& fileName, bool modified) {
    if (fileName.empty()) return base;
    const std::string file = std::filesystem::path(fileName).filename().string();
    return base + " - [Файл \"" + file + "\"]" + (modified ? " *" : "");
}

std::string FileTypeFilter(std::span<IRadio* const> radios) {
    std::string filter;
    for (IRadio* radio : radios) {
        if (!filter.empty()) filter += "|";
        const std::string extension = radio->FileExtension();
        filter += "Файлы с параметрами " + radio->Name() + " (*." + extension + ")|*." + extension;
    }
    return filter + "|Все файлы (*.*)|*.*";
}

std::string SaveChangesQuestion(const std::string& name, const std::string& fileName) {
    if (fileName.empty())
        return "Параметры \"" + name + "\" были изменены. Сохранить изменения в новом файле?";
    return "Параметры \"" + name + "\" были изменены. Сохранить изменения в файле \"" + fileName +
           "\"?";
}

std::string OpenAsTitle(const std::string& name) {
    return "Открыть параметры из файла в формате радиостанции \"" + name + "\"";
}

std::string RadioNotFoundText(const SIrdaPlatformChoice& platform) {
    std::string place;
    switch (platform.kind) {
        case EIrdaPlatformKind::Sir:
            place = "ИК-адаптер " + platform.port;
            break;
        case EIrdaPlatformKind::Kernel:
            place = "ИК-порт системы";
            break;
        case EIrdaPlatformKind::Virtual:
            place = "виртуальные радиостанции";
            break;
    }
    return std::string(kRadioNotFound) + " (" + place + ")";
}

std::string RadioNotFoundText(const SIrdaPlatformChoice& platform, const CIrDASocket& irda) {
    const std::string problem = irda.problem();
    if (irda.openFailed() && !problem.empty()) return problem;
    std::string text = RadioNotFoundText(platform);
    if (irda.silentDevice())
        text = kRadioSilent + text.substr(std::string_view(kRadioNotFound).size());
    return problem.empty() ? text : text + ". " + problem;
}

std::string SearchText(const std::string& name) {
    return "Поиск радиостанции \"" + name + "\"...";
}

std::string RadioNameText(const std::string& name) {
    return "Параметры \"" + name + "\"";
}

std::string RadioFoundText(const std::string& name, const std::string& serialNumber) {
    return "Радиостанция \"" + name + "\" найдена, заводской номер " + serialNumber + "...";
}

std::string WithRadio(const std::string& text, const std::string& name,
                      const std::string& serialNumber) {
    return text + " — радиостанция \"" + name + "\", заводской номер " + serialNumber;
}

std::string FallbackText(const std::string& wanted, const std::string& found) {
    return "Радиостанция \"" + wanted + "\" не найдена, найдена радиостанция \"" + found + "\"";
}

std::string SeveralRadiosText(const std::string& name, const std::vector<std::string>& serials) {
    std::string text = "В зоне связи несколько радиостанций \"" + name + "\", заводские номера:";
    for (std::size_t i = 0; i < serials.size(); ++i) text += (i ? ", " : " ") + serials[i];
    return text;
}

std::string SerialNotFoundText(const std::string& name, const std::string& serialNumber) {
    return "Радиостанция \"" + name + "\" с заводским номером " + serialNumber + " не найдена";
}

std::string UprTypeName(int code) {
    switch (code) {
        case 0:
            return "Нет";
        case 1:
            return "UPR-A1";  // Latin letters: the radio's own marking of this device
        case 2:
            return "УПР-Б2";
        case 5:
            return "УПР-В3";
        case 16:
            return "УПР-Г4";
        default:
            return "";
    }
}

}  // namespace shelltext
