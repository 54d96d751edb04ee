#pragma once
// Comma-separated text as spreadsheet programs and radio tools write it: fields in double
// quotes may hold commas, line breaks and doubled quotes; lines end in CR LF or LF.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace interchange {

struct SCsvRow {
    int line = 0;  // 1-based line of the text the row starts on
    std::vector<std::string> fields;
};

// Every row of the text, blank lines left out; a UTF-8 byte order mark is dropped.
std::vector<SCsvRow> ParseCsv(std::string_view text);

// One row, fields quoted where they need it, ended by CR LF.
std::string CsvLine(std::span<const std::string> fields);

}  // namespace interchange
