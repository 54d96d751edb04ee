#include "U_iasframe.h"

namespace sir {

namespace {

constexpr std::size_t kLongestName = 60;
constexpr std::uint8_t kGetValueByClassFrame = iasop::kLast | iasop::kGetValueByClass;

std::uint16_t Be16(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

std::optional<std::string> LengthPrefixed(std::span<const std::uint8_t> bytes, std::size_t& at) {
    if (at >= bytes.size()) return std::nullopt;
    const std::size_t length = bytes[at++];
    if (at + length > bytes.size()) return std::nullopt;
    std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
    return text;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> SIasQuery::Encode() const {
    if (className.size() > kLongestName || attribute.size() > kLongestName) return std::nullopt;
    std::vector<std::uint8_t> out{kGetValueByClassFrame,
                                  static_cast<std::uint8_t>(className.size())};
    out.insert(out.end(), className.begin(), className.end());
    out.push_back(static_cast<std::uint8_t>(attribute.size()));
    out.insert(out.end(), attribute.begin(), attribute.end());
    return out;
}

std::optional<SIasQuery> SIasQuery::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes[0] != kGetValueByClassFrame) return std::nullopt;
    std::size_t at = 1;
    SIasQuery query;
    auto className = LengthPrefixed(bytes, at);
    auto attribute = LengthPrefixed(bytes, at);
    if (!className || !attribute || at != bytes.size()) return std::nullopt;
    query.className = std::move(*className);
    query.attribute = std::move(*attribute);
    return query;
}

std::vector<std::uint8_t> SIasAnswer::EncodeInteger(std::uint16_t object, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {kGetValueByClassFrame,
            iasreturn::kSuccess,
            0x00,
            0x01,
            static_cast<std::uint8_t>(object >> 8),
            static_cast<std::uint8_t>(object & 0xFF),
            iastype::kInteger,
            static_cast<std::uint8_t>(v >> 24),
            static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
}

std::vector<std::uint8_t> SIasAnswer::EncodeFailure(std::uint8_t returnCode) {
    return {kGetValueByClassFrame, returnCode};
}

std::optional<SIasAnswer> SIasAnswer::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || (bytes[0] & iasop::kOpcodeMask) != iasop::kGetValueByClass)
        return std::nullopt;
    SIasAnswer answer;
    answer.returnCode = bytes[1];
    if (answer.returnCode != iasreturn::kSuccess) return answer;
    if (bytes.size() < 4) return std::nullopt;
    const std::size_t count = Be16(bytes.subspan(2, 2));
    std::size_t at = 4;
    for (std::size_t i = 0; i < count; ++i) {
        if (at + 3 > bytes.size()) return std::nullopt;
        SIasValue value;
        value.object = Be16(bytes.subspan(at, 2));
        value.type = bytes[at + 2];
        at += 3;
        switch (value.type) {
            case iastype::kMissing:
                break;
            case iastype::kInteger:
                if (at + 4 > bytes.size()) return std::nullopt;
                value.integer = static_cast<std::int32_t>(
                    static_cast<std::uint32_t>(bytes[at]) << 24 |
                    static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
                    static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3]);
                at += 4;
                break;
            case iastype::kOctets: {
                if (at + 2 > bytes.size()) return std::nullopt;
                const std::size_t length = Be16(bytes.subspan(at, 2));
                at += 2 + length;
                break;
            }
            case iastype::kString:
                if (at + 2 > bytes.size()) return std::nullopt;
                at += 2 + bytes[at + 1];  // character set, length, text
                break;
            default:
                return std::nullopt;
        }
        if (at > bytes.size()) return std::nullopt;
        answer.values.push_back(value);
    }
    return answer;
}

std::optional<std::int32_t> SIasAnswer::Integer() const {
    if (returnCode != iasreturn::kSuccess || values.empty() ||
        values.front().type != iastype::kInteger)
        return std::nullopt;
    return values.front().integer;
}

}  // namespace sir
