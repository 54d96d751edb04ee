#pragma once
// The information access protocol over the IAS LSAP: the GetValueByClass request (class and
// attribute names) and its answer (return code, list of object identifiers and values). Codec
// only; values other than integers are kept as their type.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sir {

namespace iasop {
inline constexpr std::uint8_t kLast = 0x80;
inline constexpr std::uint8_t kAck = 0x40;
inline constexpr std::uint8_t kOpcodeMask = 0x3F;
inline constexpr std::uint8_t kGetValueByClass = 0x04;
}  // namespace iasop

namespace iasreturn {
inline constexpr std::uint8_t kSuccess = 0x00;
inline constexpr std::uint8_t kNoSuchClass = 0x01;
inline constexpr std::uint8_t kNoSuchAttribute = 0x02;
}  // namespace iasreturn

namespace iastype {
inline constexpr std::uint8_t kMissing = 0;
inline constexpr std::uint8_t kInteger = 1;
inline constexpr std::uint8_t kOctets = 2;
inline constexpr std::uint8_t kString = 3;
}  // namespace iastype

struct SIasQuery {
    std::string className;
    std::string attribute;

    // Names longer than 60 bytes cannot be asked for.
    std::optional<std::vector<std::uint8_t>> Encode() const;
    static std::optional<SIasQuery> Parse(std::span<const std::uint8_t> bytes);
};

struct SIasValue {
    std::uint16_t object = 0;
    std::uint8_t type = iastype::kMissing;
    std::int32_t integer = 0;  // integer values
};

struct SIasAnswer {
    std::uint8_t returnCode = iasreturn::kSuccess;
    std::vector<SIasValue> values;

    static std::vector<std::uint8_t> EncodeInteger(std::uint16_t object, std::int32_t value);
    static std::vector<std::uint8_t> EncodeFailure(std::uint8_t returnCode);
    static std::optional<SIasAnswer> Parse(std::span<const std::uint8_t> bytes);
    // The first value when the query succeeded and it is an integer.
    std::optional<std::int32_t> Integer() const;
};

}  // namespace sir
