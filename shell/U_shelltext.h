#pragma once
// The window's texts that are composed from a radio's name, file or state. Kept apart from the
// widgets so that their exact wording is checked without a window.

#include <span>
#include <string>
#include <vector>

#include "U_radioware.h"
#include "U_transfertext.h"
#include "tessel_version.h"

namespace shelltext {

// The texts of a search and a transfer, shared with the group write and the command line.
using namespace transfertext;

inline constexpr const char* kApplicationTitle = "Программатор Тессел";
inline constexpr const char* kBaseCaption = "Программатор радиостанций \"Тессел\"";
inline constexpr const char* kVersionLine = "Версия " TESSEL_VERSION;

inline constexpr const char* kOpenTitle = "Открыть параметры из файла";
inline constexpr const char* kSaveTitle = "Сохранение параметров в файле";
inline constexpr const char* kParamsFolder = "Параметры";
inline constexpr const char* kHelpFile = "И1_РВ.pdf";
inline constexpr const char* kMsgNoHelp =
    "Отсутствует инструкция по программированию параметров радиостанций (файл \"И1_РВ.pdf\")!";

inline constexpr const char* kRadioListHint =
    "Выбор радиостанции для работы с параметрами\n(знак \"*\" появляется у наименования "
    "радиостанции после какого-либо изменения параметров)";

// B, B - [Файл "F"], or B - [Файл "F"] * with F the file part of fileName.
std::string ComposeCaption(const std::string& base, const std::string& fileName, bool modified);

// "Файлы с параметрами N (*.e)|*.e" per radio, then "Все файлы (*.*)|*.*", joined by "|".
std::string FileTypeFilter(std::span<IRadio* const> radios);

// The question before unsaved parameters are replaced.
std::string SaveChangesQuestion(const std::string& name, const std::string& fileName);

std::string OpenAsTitle(const std::string& name);  // Открыть ... в формате радиостанции "N"
std::string RadioNameText(const std::string& name);  // Параметры "N"

// The speech-converter type as the properties panel names it; empty for an unknown code.
std::string UprTypeName(int code);

}  // namespace shelltext
