#pragma once
// IrLMP PDUs inside IrLAP I frames: destination and source LSAP selectors, a control bit for
// the connect and disconnect PDUs, and the discovery information (hints, character set,
// nickname) carried in discovery XID frames. Codec only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sir {

inline constexpr std::uint8_t kIasLsap = 0x00;
inline constexpr std::uint8_t kLsapMask = 0x7F;

namespace lmpop {
inline constexpr std::uint8_t kConnect = 0x01;
inline constexpr std::uint8_t kConnectConfirm = 0x81;
inline constexpr std::uint8_t kDisconnect = 0x02;
}  // namespace lmpop

namespace lmpreason {
inline constexpr std::uint8_t kUserRequest = 0x01;
inline constexpr std::uint8_t kNoClient = 0x08;
}  // namespace lmpreason

struct SLmpPdu {
    bool control = false;
    std::uint8_t destination = 0;    // the receiver's LSAP
    std::uint8_t source = 0;         // the sender's LSAP
    std::uint8_t opcode = 0;         // control PDUs
    std::uint8_t parameter = 0;      // control PDUs: reserved on connect, the reason on disconnect
    std::vector<std::uint8_t> data;  // user data

    static SLmpPdu Data(std::uint8_t destination, std::uint8_t source,
                        std::span<const std::uint8_t> data);
    static SLmpPdu Control(std::uint8_t destination, std::uint8_t source, std::uint8_t opcode,
                           std::uint8_t parameter, std::span<const std::uint8_t> data = {});

    std::vector<std::uint8_t> Encode() const;
    static std::optional<SLmpPdu> Parse(std::span<const std::uint8_t> bytes);
};

// The discovery information: service hints (bit 7 of a hint byte says another follows), the
// character set of the nickname, the nickname.
struct SDiscoveryInfo {
    std::vector<std::uint8_t> hints{0x00};
    std::uint8_t charset = 0x00;  // ASCII
    std::string nickname;

    std::vector<std::uint8_t> Encode() const;
    static std::optional<SDiscoveryInfo> Parse(std::span<const std::uint8_t> bytes);
};

}  // namespace sir
