#include "U_textform.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>

#include "U_codepage.h"

namespace textform {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<char, 256> kAsciiLower = [] {
    std::array<char, 256> table{};
    for (std::size_t b = 0; b < table.size(); ++b)
        table[b] = static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
    return table;
}();

// Folds text into out, which has room for as many bytes: every folded letter keeps the length
// of its UTF-8 sequence, so offsets into the text stay valid in the folded copy.
void FoldInto(std::string_view text, char* out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        out[i] = kAsciiLower[b];
        // Cyrillic capitals U+0400..U+042F are the two-byte sequences D0 80..D0 AF.
        if (b != 0xD0 || i + 1 == text.size()) continue;
        const auto c = static_cast<unsigned char>(text[i + 1]);
        if (c >= 0x90 && c <= 0x9F) {  // А..П -> а..п (D0 B0..D0 BF)
            out[++i] = static_cast<char>(c + 0x20);
        } else if (c >= 0xA0 && c <= 0xAF) {  // Р..Я -> р..я (D1 80..D1 8F)
            out[i] = static_cast<char>(0xD1);
            out[++i] = static_cast<char>(c - 0x20);
        } else if (c >= 0x80 && c <= 0x8F) {  // Ѐ..Џ -> ѐ..џ (D1 90..D1 9F)
            out[i] = static_cast<char>(0xD1);
            out[++i] = static_cast<char>(c + 0x10);
        }
    }
}

// FNV-1a: cheap, and the table's keys are few and short.
std::uint64_t HashOf(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return hash;
}

}  // namespace

std::optional<CTextBody> CTextBody::Read(std::istream& in) {
    char first[2] = {};
    if (!in.read(first, 2) || first[0] != '\r' || first[1] != '\n') return std::nullopt;
    std::ostringstream rest;
    if (in.peek() != std::char_traits<char>::eof()) rest << in.rdbuf();
    return FromText(Cp1251ToUtf8(rest.view()));
}

CTextBody CTextBody::FromLines(std::string_view utf8) {
    return FromText(std::string(utf8));
}

// One pass over the lines keeps offsets: the keys are folded in a copy of the text and put in
// an open-addressing table by hash, so that reading a set of a hundred channels builds no
// string per line or per lookup.
CTextBody CTextBody::FromText(std::string utf8) {
    CTextBody body;
    body.text_ = std::move(utf8);
    body.folded_ = body.text_;
    const std::string_view text = body.text_;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        const std::size_t start = pos;
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        FoldInto(line.substr(0, eq), body.folded_.data() + start);
        const std::string_view folded = std::string_view(body.folded_).substr(start, eq);
        body.lines_.push_back({start, eq, start + eq + 1, line.size() - eq - 1, HashOf(folded)});
    }
    std::size_t slots = 16;
    while (slots < 2 * body.lines_.size()) slots *= 2;
    body.slots_.assign(slots, 0);
    for (std::uint32_t i = 0; i < body.lines_.size(); ++i) {
        const SLine& line = body.lines_[i];
        std::uint32_t& slot = body.slots_[body.SlotIndex(body.FoldedKey(line), line.hash)];
        if (slot == 0) slot = i + 1;  // the first line of a key wins
    }
    return body;
}

std::string_view CTextBody::FoldedKey(const SLine& line) const {
    return std::string_view(folded_).substr(line.key, line.keyLength);
}

std::size_t CTextBody::SlotIndex(std::string_view folded, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::uint32_t slot = slots_[i];
        if (slot == 0) return i;
        const SLine& line = lines_[slot - 1];
        if (line.hash == hash && FoldedKey(line) == folded) return i;
    }
}

std::optional<std::string_view> CTextBody::Find(std::string_view key) const {
    const std::string folded = FoldCase(key);
    const std::uint32_t slot = slots_[SlotIndex(folded, HashOf(folded))];
    if (slot == 0) return std::nullopt;
    const SLine& line = lines_[slot - 1];
    return std::string_view(text_).substr(line.value, line.valueLength);
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
    std::string out(text.size(), '\0');
    FoldInto(text, out.data());
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
