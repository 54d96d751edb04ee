#include "U_csv.h"

namespace interchange {

namespace {

// UTF-8's byte-order mark. Editors that save a file again in UTF-8 may put a second one before
// the first.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::vector<SCsvRow> ParseCsv(std::string_view text) {
    while (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<SCsvRow> rows;
    SCsvRow row{1, {}};
    std::string field;
    bool quoted = false;
    bool rowHasText = false;
    int line = 1;
    const auto endRow = [&] {
        if (rowHasText) {
            row.fields.push_back(std::move(field));
            rows.push_back(std::move(row));
        }
        field.clear();
        row = SCsvRow{line, {}};
        rowHasText = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            rowHasText = true;
        } else if (c == ',') {
            row.fields.push_back(std::move(field));
            field.clear();
            rowHasText = true;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;  // the LF ends the row
        } else if (c == '\n' || c == '\r') {
            ++line;
            endRow();
        } else {
            field += c;
            rowHasText = true;
        }
    }
    endRow();
    return rows;
}

std::string CsvLine(std::span<const std::string> fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        const std::string& field = fields[i];
        // A mark at a field's start would be taken for the file's own mark on the first line.
        if (field.find_first_of(",\"\r\n") == std::string::npos &&
            !field.starts_with(kByteOrderMark)) {
            line += field;
            continue;
        }
        line += '"';
        for (const char c : field) {
            if (c == '"') line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

}  // namespace interchange
