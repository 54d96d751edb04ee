#pragma once
// Value lists and conversions of the radios' parameters, shared by the models, their views and the
// exchange files. The position of a name in its list is the code stored in the parameter set.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "U_radioware.h"

namespace models {

// "(нет)", the 50 standard CTCSS tones in ascending order, and "(ОПР)" (the user-defined tone).
// Alder uses all 52 codes; Larch the codes 0..50.
inline constexpr std::array<std::string_view, 52> kAlderToneList = {
    "(нет)", "67,0",  "69,3",  "71,9",  "74,4",  "77,0",  "79,7",  "82,5",  "85,4",
    "88,5",  "91,5",  "94,8",  "97,4",  "100,0", "103,5", "107,2", "110,9", "114,8",
    "118,8", "123,0", "127,3", "131,8", "136,5", "141,3", "146,2", "151,4", "156,7",
    "159,8", "162,2", "165,5", "167,9", "171,3", "173,8", "177,3", "179,9", "183,5",
    "186,2", "189,9", "192,8", "196,6", "199,5", "203,5", "206,5", "210,7", "218,1",
    "225,7", "229,1", "233,6", "241,8", "250,3", "254,1", "(ОПР)"};
inline constexpr std::span<const std::string_view> kLarchToneList{kAlderToneList.data(), 51};

// Birch and Cedar: CTCSS codes 1..51 in the radio's own order, DCS codes -1..-83.
inline constexpr std::array<std::string_view, 51> kBirchCedarCtcssList = {
    "67,0",  "71,9",  "74,4",  "77,0",  "79,7",  "82,5",  "85,4",  "88,5",  "91,5",
    "94,8",  "97,4",  "100,0", "103,5", "107,2", "110,9", "114,8", "118,8", "123,0",
    "127,3", "131,8", "136,5", "141,3", "146,2", "151,4", "156,7", "162,2", "167,9",
    "173,8", "179,9", "186,2", "192,8", "203,5", "210,7", "218,1", "225,7", "233,6",
    "241,8", "250,3", "69,3",  "62,5",  "159,8", "165,5", "171,3", "177,3", "183,5",
    "189,9", "196,6", "199,5", "206,5", "229,1", "254,1"};
inline constexpr std::array<std::string_view, 83> kDcsList = {
    "023", "025", "026", "031", "032", "043", "047", "051", "054", "065", "071", "072",
    "073", "074", "114", "115", "116", "125", "131", "132", "134", "143", "152", "155",
    "156", "162", "165", "172", "174", "205", "223", "226", "243", "244", "245", "251",
    "261", "263", "265", "271", "306", "311", "315", "331", "343", "346", "351", "364",
    "365", "371", "411", "412", "413", "423", "431", "432", "445", "464", "465", "466",
    "503", "506", "516", "532", "546", "565", "606", "612", "624", "627", "631", "632",
    "654", "662", "664", "703", "712", "723", "731", "732", "734", "743", "754"};
inline constexpr std::string_view kNoTone = "(нет)";
// The squelch systems a Birch or Cedar channel chooses from.
inline constexpr std::array<std::string_view, 3> kSquelchSystemList = {"(нет)", "CTCSS", "DCS"};

inline constexpr std::array<std::string_view, 2> kStepList = {"12,5", "25"};
inline constexpr std::array<int, 2> kStepValues = {12500, 25000};
inline constexpr std::array<std::string_view, 2> kPowerList = {"Номинальная", "Повышенная"};
inline constexpr std::array<std::string_view, 9> kSquelchList = {"(шумоподавитель выключен)",
                                                                 "Уровень 0",
                                                                 "Уровень 1",
                                                                 "Уровень 2",
                                                                 "Уровень 3",
                                                                 "Уровень 4",
                                                                 "Уровень 5",
                                                                 "Уровень 6",
                                                                 "Уровень 7"};
inline constexpr std::array<std::string_view, 2> kYesNoList = {"Да", "Нет"};
inline constexpr std::array<std::string_view, 2> kOnOffList = {"Вкл", "Выкл"};
inline constexpr std::array<std::string_view, 10> kVaLevelList = {
    "Уровень 1", "Уровень 2", "Уровень 3", "Уровень 4", "Уровень 5",
    "Уровень 6", "Уровень 7", "Уровень 8", "Уровень 9", "Уровень 10"};
inline constexpr std::array<int, 10> kVaLevelThresholds = {32,   64,   128,  256,  512,
                                                           1024, 1536, 2048, 2560, 3072};

// Position of a name in a list, compared case-insensitively; 0 when absent.
int ListCode(std::span<const std::string_view> list, std::string_view name);
// The name of a code, or the first entry when the code is outside the list.
std::string ListName(std::span<const std::string_view> list, int code);

std::string YesNoName(bool value);
bool IsYes(std::string_view name);
std::string OnOffName(bool value);
bool IsOn(std::string_view name);

// "07", "42": the channel number clamped to 0..99.
std::string ChannelNumberText(int channel);
// An integer clamped to 0..99; text that is not an integer gives 0.
int ParseChannelNumber(std::string_view text);
// An integer clamped to low..high; text that is not an integer gives low.
int ParseIntClamped(std::string_view text, int low, int high);

// DTMF durations are kept in steps of 15.61 ms.
double UnitsToMs(int units);
// The whole number of steps not exceeding a duration, taken on hundredths of a millisecond so
// that a duration shown as an exact multiple (93,66) gives that multiple (6).
int MsToUnits(double milliseconds);

// The first voice-activation level whose threshold is at least the value ("Уровень 10" above).
std::string VaLevelName(int value);
// The threshold of a level name; 32 for an unknown name.
int VaLevelValue(std::string_view name);

// A tone as the lists name it: "88,5", "023", "(нет)"; and back, where a name that is neither a
// CTCSS nor a DCS name is no tone.
std::string ToneListName(const SCanalTone& tone);
SCanalTone ToneOfListName(std::string_view name);

// The step a channel takes for its two frequencies: the one asked for when the model has it
// and both frequencies lie on it, else the first of the model's steps they both lie on; 0 when
// there is none.
int FittingStep(int requested, int rxFrequency, int txFrequency, std::span<const int> steps);

}  // namespace models
