#include "U_textform.h"

#include <charconv>
#include <istream>
#include <iterator>
#include <ostream>

#include "U_codepage.h"

namespace textform {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
}

std::optional<CTextBody> CTextBody::Read(std::istream& in) {
    char first[2] = {};
    if (!in.read(first, 2) || first[0] != '\r' || first[1] != '\n') return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return FromLines(Cp1251ToUtf8(bytes));
}

CTextBody CTextBody::FromLines(std::string_view utf8) {
    CTextBody body;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t end = utf8.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = utf8.size();
        const std::string_view line = utf8.substr(pos, end - pos);
        pos = end + 1;
        if (end + 1 < utf8.size() && utf8[end] == '\r' && utf8[end + 1] == '\n') ++pos;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        body.firstValue_.try_emplace(FoldCase(line.substr(0, eq)), line.substr(eq + 1));
    }
    return body;
}

std::optional<std::string_view> CTextBody::Find(std::string_view key) const {
    const auto it = firstValue_.find(FoldCase(key));
    if (it == firstValue_.end()) return std::nullopt;
    return std::string_view(it->second);
}

CTextWriter::CTextWriter() : text_(kLineEnd) {}

void CTextWriter::Put(std::string_view key, std::string_view value) {
    text_.append(key).append("=").append(value).append(kLineEnd);
}

void CTextWriter::PutInt(std::string_view key, long long value) {
    Put(key, std::to_string(value));
}

void CTextWriter::PutReal(std::string_view key, double value) {
    Put(key, FormatReal(value));
}

bool CTextWriter::WriteTo(std::ostream& out) const {
    const std::string bytes = Utf8ToCp1251(text_);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

std::string ChannelKey(int index, std::string_view field) {
    std::string key = std::to_string(index);
    key.append(field);
    return key;
}

std::optional<int> ParseInt(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> ParseFlag(std::string_view text) {
    const std::optional<int> value = ParseInt(text);
    if (!value) return std::nullopt;
    return *value != 0;
}

std::optional<double> ParseReal(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::string plain(text);
    bool comma = false;
    for (char& c : plain) {
        const bool allowed = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == 'e' ||
                             c == 'E' || (c == ',' && !comma);
        if (!allowed) return std::nullopt;  // also keeps out "inf", "nan" and a decimal point
        if (c == ',') {
            comma = true;
            c = '.';
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    return value;
}

std::string FormatReal(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c == '.') c = ',';
    return text;
}

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 'A' && b <= 'Z') {
            out += static_cast<char>(b + 32);
            continue;
        }
        // Cyrillic capitals U+0400..U+042F are the two-byte sequences D0 80..D0 AF.
        if (b == 0xD0 && i + 1 < text.size()) {
            const auto c = static_cast<unsigned char>(text[i + 1]);
            if (c >= 0x90 && c <= 0x9F) {  // А..П -> а..п (D0 B0..D0 BF)
                out += static_cast<char>(0xD0);
                out += static_cast<char>(c + 0x20);
                ++i;
                continue;
            }
            if (c >= 0xA0 && c <= 0xAF) {  // Р..Я -> р..я (D1 80..D1 8F)
                out += static_cast<char>(0xD1);
                out += static_cast<char>(c - 0x20);
                ++i;
                continue;
            }
            if (c >= 0x80 && c <= 0x8F) {  // Ѐ..Џ -> ѐ..џ (D1 90..D1 9F)
                out += static_cast<char>(0xD1);
                out += static_cast<char>(c + 0x10);
                ++i;
                continue;
            }
        }
        out += static_cast<char>(b);
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    return FoldCase(a) == FoldCase(b);
}

int IndexOfText(std::span<const std::string> list, std::string_view name) {
    const std::string folded = FoldCase(name);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (FoldCase(list[i]) == folded) return static_cast<int>(i);
    return -1;
}

int IndexOfText(std::span<const std::string_view> list, std::string_view name) {
    const std::string folded = FoldCase(name);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (FoldCase(list[i]) == folded) return static_cast<int>(i);
    return -1;
}

}  // namespace textform
