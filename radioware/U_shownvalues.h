#pragma once
// Building a parameter set's values as its view shows them: page by page, group by group, each
// row's caption as the row writes it and the value in the words of the model's lists.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "U_radioware.h"

namespace models {

// The pages of the views, as their tabs name them.
inline constexpr std::string_view kBasicsPage = "Основные параметры";
inline constexpr std::string_view kScanningPage = "Параметры сканирования";
inline constexpr std::string_view kSamesPage = "Дополнительные параметры";
inline constexpr std::string_view kKeyPage = "Ключ";

// Appends the rows of one page in the order the page shows them.
class CShownPage {
  public:
    CShownPage(std::vector<SShownValue>& out, std::string_view page) : out_(out), page_(page) {}

    // The rows after this stand in the group (an empty name: outside any group).
    CShownPage& Group(std::string_view group) {
        group_ = group;
        return *this;
    }
    CShownPage& Row(std::string_view caption, std::string value, bool secret = false) {
        out_.push_back({page_, group_, std::string(caption), std::move(value), secret});
        return *this;
    }

  private:
    std::vector<SShownValue>& out_;
    std::string page_;
    std::string group_;
};

// "101,0", "93,66": a decimal comma and a fixed number of decimals.
std::string DecimalText(double value, int decimals);
// A four-digit password with its leading zeros.
std::string PasswordText(int value);
// The squelch list's entry, the code clamped into the list.
std::string SquelchName(int code);
// The scrambler key as the key page shows it: two upper-case hexadecimal digits a group.
std::string KeyText(std::span<const std::uint8_t> groups);
// Hertz with a blank between groups of three digits: "39 012 500".
std::string GroupedHz(int hz);
// A caption with its unit, as the rows write it: "Пауза между словами, сек".
std::string WithUnit(std::string_view caption, std::string_view unit);

// The "Индикация" group of the basics page with the rows every model has in it; the model's own
// rows may follow.
CShownPage& ShownIndication(CShownPage& page, bool showFreq, bool light, bool beepPress);

}  // namespace models
