#pragma once
// The texts of a search for a radio and of a read or write: the status line of the window, the
// group write's log and the command line's messages say the same.

#include <string>
#include <vector>

#include "U_irdachoice.h"
#include "U_irdasocket.h"

namespace transfertext {

// Status line texts of the radio workers.
inline constexpr const char* kRadioNotFound = "Радиостанция не найдена";
inline constexpr const char* kRadioFound = "Радиостанция найдена...";
// A device answered the search and then nothing more.
inline constexpr const char* kRadioSilent = "Радиостанция не отвечает";
inline constexpr const char* kReadStart = "Чтение параметров из радиостанции...";
inline constexpr const char* kReadError = "Ошибка чтения параметров из радиостанции...";
inline constexpr const char* kReadDone = "Параметры из радиостанции считаны успешно";
inline constexpr const char* kWriteStart = "Запись параметров в радиостанцию...";
inline constexpr const char* kWriteError = "Ошибка записи параметров в радиостанцию";
inline constexpr const char* kWriteDone = "Параметры в радиостанцию записаны успешно";
// The answer to the end of the write session was lost; the radio, asked again, told which bank
// it uses.
inline constexpr const char* kWriteUnconfirmed =
    "Параметры в радиостанцию записаны (радиостанция не подтвердила окончание записи)";
inline constexpr const char* kWriteUnknown =
    "Ошибка записи параметров в радиостанцию (радиостанция не ответила, записаны ли параметры, "
    "неизвестно)";
// Around a write: the copy of the radio's memory before it and the read-back after it.
inline constexpr const char* kBackupStart = "Сохранение копии параметров радиостанции...";
inline constexpr const char* kBackupError =
    "Не удалось сохранить копию параметров радиостанции, запись не начата";
inline constexpr const char* kVerifyStart = "Проверка записи...";
inline constexpr const char* kVerifyReadError =
    "Проверка записи: ошибка чтения параметров из радиостанции";

// "Радиостанция не найдена (ИК-адаптер /dev/ttyUSB0)": the not-found text with the infrared
// platform that was searched, so that a user whose adapter is not in use sees why.
std::string RadioNotFoundText(const SIrdaPlatformChoice& platform);
// The same after a search on irda: an adapter that could not be opened (busy) is named instead,
// one that went away during the search follows "Радиостанция не найдена: ", a device that went
// quiet makes it "Радиостанция не отвечает (...)", another problem of the platform (the trace)
// follows the text.
std::string RadioNotFoundText(const SIrdaPlatformChoice& platform, const CIrDASocket& irda);

// A failed read's or write's message followed by why the link broke, when that is known:
// "Ошибка чтения параметров из радиостанции: ИК-адаптер … отключён".
std::string WithFailure(const std::string& text, const std::string& failure);

std::string SearchText(const std::string& name);  // Поиск радиостанции "N"...

// Which radio a search found and a transfer used, named by model and serial number.
// Радиостанция "N" найдена, заводской номер S...
std::string RadioFoundText(const std::string& name, const std::string& serialNumber);
// T — радиостанция "N", заводской номер S: the last text of a read or write.
std::string WithRadio(const std::string& text, const std::string& name,
                      const std::string& serialNumber);
// Радиостанция "W" не найдена, найдена радиостанция "F": said before a read switches the
// selection to the model found.
std::string FallbackText(const std::string& wanted, const std::string& found);
// Several radios "N" in range and none chosen: the serial numbers found, for the command line.
std::string SeveralRadiosText(const std::string& name, const std::vector<std::string>& serials);
// No radio "N" with serial number S in range.
std::string SerialNotFoundText(const std::string& name, const std::string& serialNumber);

}  // namespace transfertext
