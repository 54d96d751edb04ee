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

std::string RadioNameText(const std::string& name) {
    return "Параметры \"" + name + "\"";
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
