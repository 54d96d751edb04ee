#include "U_irlapframe.h"

#include <array>
#include <bit>

namespace sir {

namespace {

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t Le32(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

int HighestBit(unsigned bits) {
    return bits == 0 ? -1 : static_cast<int>(std::bit_width(bits)) - 1;
}

// Parameter identifiers; bit 7 set marks a parameter each station sets for itself.
constexpr std::uint8_t kPiBaud = 0x01;
constexpr std::uint8_t kPiTurnaround = 0x82;
constexpr std::uint8_t kPiDataSize = 0x83;
constexpr std::uint8_t kPiWindow = 0x84;
constexpr std::uint8_t kPiExtraBofs = 0x85;
constexpr std::uint8_t kPiMinTurn = 0x86;
constexpr std::uint8_t kPiDisconnect = 0x08;

constexpr std::array<int, 9> kBauds = {2400,   9600,   19200,   38400,  57600,
                                       115200, 576000, 1152000, 4000000};

// The unnumbered frames: what a control field stands for as a command and as a response.
struct SUnnumbered {
    std::uint8_t control;
    ELapKind command;
    ELapKind response;
};
constexpr std::array<SUnnumbered, 9> kUnnumbered = {{
    {ucontrol::kSnrm, ELapKind::SNRM, ELapKind::Other},
    {ucontrol::kDisc, ELapKind::DISC, ELapKind::RD},
    {ucontrol::kUi, ELapKind::UI, ELapKind::UI},
    {ucontrol::kXidCommand, ELapKind::XID, ELapKind::Other},
    {ucontrol::kXidResponse, ELapKind::Other, ELapKind::XID},
    {ucontrol::kTest, ELapKind::TEST, ELapKind::TEST},
    {ucontrol::kUa, ELapKind::Other, ELapKind::UA},
    {ucontrol::kFrmr, ELapKind::Other, ELapKind::FRMR},
    {ucontrol::kDm, ELapKind::Other, ELapKind::DM},
}};

// The one-byte parameters, in the order they are sent after the rate.
struct SByteParam {
    std::uint8_t pi;
    std::uint8_t SLapParams::*field;
};
constexpr std::array<SByteParam, 6> kByteParams = {{{kPiTurnaround, &SLapParams::turnaround},
                                                    {kPiDataSize, &SLapParams::dataSize},
                                                    {kPiWindow, &SLapParams::window},
                                                    {kPiExtraBofs, &SLapParams::extraBofs},
                                                    {kPiMinTurn, &SLapParams::minTurn},
                                                    {kPiDisconnect, &SLapParams::disconnect}}};

// The value a field's highest set bit stands for, among the field's N bits; 0 for none.
template <std::size_t N>
int ValueOfHighestBit(unsigned bits, const std::array<int, N>& values) {
    const int bit = HighestBit(bits & ((1u << N) - 1));
    return bit < 0 ? 0 : values[static_cast<std::size_t>(bit)];
}

// The SNRM's information and the UA's: the two addresses, the SNRM then the connection
// address, then the parameters.
std::vector<std::uint8_t> EncodeConnect(const SConnectInfo& connect, bool snrm) {
    std::vector<std::uint8_t> out;
    PutLe32(out, connect.source);
    PutLe32(out, connect.destination);
    if (snrm) out.push_back(static_cast<std::uint8_t>(connect.connection << 1));
    const auto p = connect.params.Encode();
    out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::optional<SConnectInfo> ParseConnect(std::span<const std::uint8_t> info, bool snrm) {
    const std::size_t head = snrm ? 9 : 8;
    if (info.size() < head) return std::nullopt;
    SConnectInfo connect;
    connect.source = Le32(info.subspan(0, 4));
    connect.destination = Le32(info.subspan(4, 4));
    if (snrm) connect.connection = info[8] >> 1;
    const auto params = SLapParams::Parse(info.subspan(head));
    if (!params) return std::nullopt;
    connect.params = *params;
    return connect;
}

}  // namespace

ELapKind SLapFrame::Kind() const {
    if ((control & 0x01) == 0) return ELapKind::I;
    if ((control & 0x03) == 0x01) {
        static constexpr std::array<ELapKind, 4> kinds = {ELapKind::RR, ELapKind::RNR,
                                                          ELapKind::REJ, ELapKind::SREJ};
        return kinds[(control >> 2) & 3];
    }
    const auto bits = static_cast<std::uint8_t>(control & ~kPollFinal & 0xFF);
    for (const SUnnumbered& kind : kUnnumbered)
        if (kind.control == bits) return command ? kind.command : kind.response;
    return ELapKind::Other;
}

std::vector<std::uint8_t> SLapFrame::Encode() const {
    std::vector<std::uint8_t> out;
    out.reserve(2 + info.size());
    out.push_back(static_cast<std::uint8_t>((connection << 1) | (command ? 1 : 0)));
    out.push_back(control);
    out.insert(out.end(), info.begin(), info.end());
    return out;
}

std::optional<SLapFrame> SLapFrame::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2) return std::nullopt;
    SLapFrame frame;
    frame.connection = bytes[0] >> 1;
    frame.command = (bytes[0] & 1) != 0;
    frame.control = bytes[1];
    frame.info.assign(bytes.begin() + 2, bytes.end());
    return frame;
}

std::uint8_t IControl(int ns, int nr, bool pollFinal) {
    return static_cast<std::uint8_t>(((nr & 7) << 5) | (pollFinal ? kPollFinal : 0) |
                                     ((ns & 7) << 1));
}

std::uint8_t SControl(ELapKind kind, int nr, bool pollFinal) {
    const int type = kind == ELapKind::RNR    ? 1
                     : kind == ELapKind::REJ  ? 2
                     : kind == ELapKind::SREJ ? 3
                                              : 0;
    return static_cast<std::uint8_t>(((nr & 7) << 5) | (pollFinal ? kPollFinal : 0) | (type << 2) |
                                     0x01);
}

std::vector<std::uint8_t> SXidInfo::Encode() const {
    std::vector<std::uint8_t> out{kFormat};
    PutLe32(out, source);
    PutLe32(out, destination);
    out.push_back(flags);
    out.push_back(slot);
    out.push_back(version);
    out.insert(out.end(), discovery.begin(), discovery.end());
    return out;
}

std::optional<SXidInfo> SXidInfo::Parse(std::span<const std::uint8_t> info) {
    if (info.size() < 12 || info[0] != kFormat) return std::nullopt;
    SXidInfo xid;
    xid.source = Le32(info.subspan(1, 4));
    xid.destination = Le32(info.subspan(5, 4));
    xid.flags = info[9];
    xid.slot = info[10];
    xid.version = info[11];
    xid.discovery.assign(info.begin() + 12, info.end());
    return xid;
}

std::optional<std::uint8_t> SlotCountCode(int slots) {
    switch (slots) {
        case 1:
            return 0;
        case 6:
            return 1;
        case 8:
            return 2;
        case 16:
            return 3;
        default:
            return std::nullopt;
    }
}

int SlotCount(std::uint8_t flags) {
    static constexpr std::array<int, 4> counts = {1, 6, 8, 16};
    return counts[flags & 3];
}

std::vector<std::uint8_t> SLapParams::Encode() const {
    std::vector<std::uint8_t> out;
    if (baud > 0xFF)
        out.insert(out.end(), {kPiBaud, 2, static_cast<std::uint8_t>(baud & 0xFF),
                               static_cast<std::uint8_t>(baud >> 8)});
    else
        out.insert(out.end(), {kPiBaud, 1, static_cast<std::uint8_t>(baud)});
    for (const SByteParam& param : kByteParams)
        out.insert(out.end(), {param.pi, 1, this->*param.field});
    return out;
}

std::optional<SLapParams> SLapParams::Parse(std::span<const std::uint8_t> bytes) {
    SLapParams params;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (at + 2 > bytes.size()) return std::nullopt;
        const std::uint8_t pi = bytes[at];
        const std::size_t length = bytes[at + 1];
        if (at + 2 + length > bytes.size()) return std::nullopt;
        const auto value = bytes.subspan(at + 2, length);
        at += 2 + length;
        if (length == 0) continue;
        if (pi == kPiBaud) {
            params.baud = static_cast<std::uint16_t>(value[0] | (length > 1 ? value[1] << 8 : 0));
            continue;
        }
        for (const SByteParam& param : kByteParams)
            if (param.pi == pi) params.*param.field = value[0];
    }
    return params;
}

int BaudOf(std::uint16_t bits) {
    return ValueOfHighestBit(bits, kBauds);
}

int TurnaroundMsOf(std::uint8_t bits) {
    return ValueOfHighestBit(bits, std::array{500, 250, 100, 50});
}

int DataSizeOf(std::uint8_t bits) {
    const int bit = HighestBit(bits & 0x3F);
    return bit < 0 ? 0 : 64 << bit;
}

int WindowOf(std::uint8_t bits) {
    const int bit = HighestBit(bits & 0x7F);
    return bit + 1;
}

int ExtraBofsOf(std::uint8_t bits) {
    return ValueOfHighestBit(bits, std::array{48, 24, 12, 5, 3, 2, 1, 0});
}

int MinTurnMicrosOf(std::uint8_t bits) {
    return ValueOfHighestBit(bits, std::array{10000, 5000, 1000, 500, 100, 50, 10, 0});
}

int DisconnectSecondsOf(std::uint8_t bits) {
    return ValueOfHighestBit(bits, std::array{3, 8, 12, 16, 20, 25, 30, 40});
}

std::uint16_t BaudBitsUpTo(int baud) {
    std::uint16_t bits = 0;
    for (std::size_t i = 0; i < kBauds.size(); ++i)
        if (kBauds[i] <= baud) bits |= static_cast<std::uint16_t>(1u << i);
    return bits;
}

std::uint16_t HighestCommon(std::uint16_t ours, std::uint16_t theirs) {
    const int bit = HighestBit(static_cast<unsigned>(ours & theirs));
    return bit < 0 ? 0 : static_cast<std::uint16_t>(1u << bit);
}

std::vector<std::uint8_t> SConnectInfo::EncodeSnrm() const {
    return EncodeConnect(*this, true);
}

std::vector<std::uint8_t> SConnectInfo::EncodeUa() const {
    return EncodeConnect(*this, false);
}

std::optional<SConnectInfo> SConnectInfo::ParseSnrm(std::span<const std::uint8_t> info) {
    return ParseConnect(info, true);
}

std::optional<SConnectInfo> SConnectInfo::ParseUa(std::span<const std::uint8_t> info) {
    return ParseConnect(info, false);
}

}  // namespace sir
