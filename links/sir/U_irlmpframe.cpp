#include "U_irlmpframe.h"

namespace sir {

namespace {
constexpr std::uint8_t kControlBit = 0x80;
constexpr std::uint8_t kHintExtension = 0x80;
}  // namespace

SLmpPdu SLmpPdu::Data(std::uint8_t destination, std::uint8_t source,
                      std::span<const std::uint8_t> data) {
    SLmpPdu pdu;
    pdu.destination = destination & kLsapMask;
    pdu.source = source & kLsapMask;
    pdu.data.assign(data.begin(), data.end());
    return pdu;
}

SLmpPdu SLmpPdu::Control(std::uint8_t destination, std::uint8_t source, std::uint8_t opcode,
                         std::uint8_t parameter, std::span<const std::uint8_t> data) {
    SLmpPdu pdu = Data(destination, source, data);
    pdu.control = true;
    pdu.opcode = opcode;
    pdu.parameter = parameter;
    return pdu;
}

std::vector<std::uint8_t> SLmpPdu::Encode() const {
    std::vector<std::uint8_t> out;
    out.reserve(4 + data.size());
    out.push_back(
        static_cast<std::uint8_t>((control ? kControlBit : 0) | (destination & kLsapMask)));
    out.push_back(source & kLsapMask);
    if (control) {
        out.push_back(opcode);
        out.push_back(parameter);
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::optional<SLmpPdu> SLmpPdu::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2) return std::nullopt;
    SLmpPdu pdu;
    pdu.control = (bytes[0] & kControlBit) != 0;
    pdu.destination = bytes[0] & kLsapMask;
    pdu.source = bytes[1] & kLsapMask;
    std::size_t at = 2;
    if (pdu.control) {
        // The access-mode PDUs are not used here and read as unknown opcodes.
        if (bytes.size() < 3) return std::nullopt;
        pdu.opcode = bytes[2];
        pdu.parameter = bytes.size() > 3 ? bytes[3] : 0;
        at = std::min<std::size_t>(4, bytes.size());
    }
    pdu.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    return pdu;
}

std::vector<std::uint8_t> SDiscoveryInfo::Encode() const {
    std::vector<std::uint8_t> out;
    if (hints.empty()) {
        out.push_back(0);
    } else {
        for (std::size_t i = 0; i < hints.size(); ++i) {
            const bool more = i + 1 < hints.size();
            out.push_back(static_cast<std::uint8_t>((hints[i] & ~kHintExtension) |
                                                    (more ? kHintExtension : 0)));
        }
    }
    out.push_back(charset);
    out.insert(out.end(), nickname.begin(), nickname.end());
    return out;
}

std::optional<SDiscoveryInfo> SDiscoveryInfo::Parse(std::span<const std::uint8_t> bytes) {
    SDiscoveryInfo info;
    info.hints.clear();
    std::size_t at = 0;
    for (;;) {
        if (at >= bytes.size()) return std::nullopt;
        info.hints.push_back(bytes[at]);
        if ((bytes[at++] & kHintExtension) == 0) break;
    }
    if (at >= bytes.size()) return std::nullopt;
    info.charset = bytes[at++];
    info.nickname.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    return info;
}

}  // namespace sir
