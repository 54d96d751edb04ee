#pragma once
// The parameter text form every model writes: an empty first line, then key=value lines,
// each ended by CR LF, in Windows-1251. Keys are looked up case-insensitively, first match
// wins; values are taken untrimmed.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace textform {

// The lines of a body, by key.
class CTextBody {
  public:
    // Reads the rest of the stream. Empty when the body does not begin with CR LF.
    static std::optional<CTextBody> Read(std::istream& in);
    // Lines of UTF-8 text that follow the empty first line.
    static CTextBody FromLines(std::string_view utf8);

    std::optional<std::string_view> Find(std::string_view key) const;
    bool Has(std::string_view key) const { return Find(key).has_value(); }

  private:
    // A line's key and value, as offsets into text_ (folded_ for the key).
    struct SLine {
        std::size_t key, keyLength, value, valueLength;
        std::uint64_t hash;  // of the folded key
    };
    static CTextBody FromText(std::string utf8);
    std::string_view FoldedKey(const SLine& line) const;
    // Where in slots_ the key is, or the free slot where it would go.
    std::size_t SlotIndex(std::string_view folded, std::uint64_t hash) const;

    std::string text_;          // the body in UTF-8
    std::string folded_;        // the same with every key folded in place, at the same offsets
    std::vector<SLine> lines_;  // the lines with a key, in file order
    std::vector<std::uint32_t> slots_;  // open addressing by hash: 1 + index into lines_, 0 free
};

// Builds a body in UTF-8 and writes it in Windows-1251.
class CTextWriter {
  public:
    CTextWriter();
    void Put(std::string_view key, std::string_view value);
    void PutInt(std::string_view key, long long value);
    void PutFlag(std::string_view key, bool value) { Put(key, value ? "1" : "0"); }
    void PutReal(std::string_view key, double value);
    // False when the stream could not take all of it.
    bool WriteTo(std::ostream& out) const;
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

// A channel's key: its index without leading zeros, then the field name ("17FRQ_PRM").
std::string ChannelKey(int index, std::string_view field);

// Value formats. Each is empty when the text does not convert.
std::optional<int> ParseInt(std::string_view text);
std::optional<bool> ParseFlag(std::string_view text);  // an integer; non-zero is true
// Decimal comma whatever the locale: "88,5".
std::optional<double> ParseReal(std::string_view text);
// Shortest form with at most 15 significant digits and a decimal comma: 101, 67,5.
std::string FormatReal(double value);

// Case-insensitive comparison of UTF-8 text (Latin and Cyrillic letters).
std::string FoldCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
// Position of a name in a value list, compared as above; -1 when absent.
int IndexOfText(std::span<const std::string> list, std::string_view name);
int IndexOfText(std::span<const std::string_view> list, std::string_view name);

}  // namespace textform
