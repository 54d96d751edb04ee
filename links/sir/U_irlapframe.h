#pragma once
// IrLAP frames: the address byte (7-bit connection address and the command/response bit), the
// control byte (I, S and U formats), the information field; the discovery XID information, the
// SNRM and UA information and the negotiation parameters. Codec only: no timing, no I/O.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sir {

inline constexpr std::uint8_t kBroadcastConnection = 0x7F;
inline constexpr std::uint32_t kBroadcastDevice = 0xFFFFFFFF;
inline constexpr std::uint8_t kPollFinal = 0x10;

// U-frame controls without the poll/final bit.
namespace ucontrol {
inline constexpr std::uint8_t kSnrm = 0x83;  // command; RNRM as a response
inline constexpr std::uint8_t kDisc = 0x43;  // command; RD as a response
inline constexpr std::uint8_t kUi = 0x03;
inline constexpr std::uint8_t kXidCommand = 0x2F;
inline constexpr std::uint8_t kXidResponse = 0xAF;
inline constexpr std::uint8_t kTest = 0xE3;
inline constexpr std::uint8_t kUa = 0x63;
inline constexpr std::uint8_t kFrmr = 0x87;
inline constexpr std::uint8_t kDm = 0x0F;
}  // namespace ucontrol

enum class ELapKind { I, RR, RNR, REJ, SREJ, SNRM, DISC, UI, XID, TEST, UA, FRMR, DM, RD, Other };

struct SLapFrame {
    std::uint8_t connection = kBroadcastConnection;  // 7 bits
    bool command = true;
    std::uint8_t control = 0;
    std::vector<std::uint8_t> info;

    ELapKind Kind() const;
    bool PollFinal() const { return (control & kPollFinal) != 0; }
    // Sequence numbers of I frames (Ns) and of I and S frames (Nr).
    int Ns() const { return (control >> 1) & 7; }
    int Nr() const { return (control >> 5) & 7; }

    std::vector<std::uint8_t> Encode() const;
    static std::optional<SLapFrame> Parse(std::span<const std::uint8_t> bytes);
};

std::uint8_t IControl(int ns, int nr, bool pollFinal);
// kind is RR, RNR, REJ or SREJ.
std::uint8_t SControl(ELapKind kind, int nr, bool pollFinal);

// The discovery XID information field (format identifier 0x01).
struct SXidInfo {
    static constexpr std::uint8_t kFormat = 0x01;
    static constexpr std::uint8_t kFinalSlot = 0xFF;
    std::uint32_t source = 0;
    std::uint32_t destination = kBroadcastDevice;
    std::uint8_t flags = 0;  // bits 0-1 the slot count code, bit 2 a new device address
    std::uint8_t slot = 0;
    std::uint8_t version = 0;
    std::vector<std::uint8_t> discovery;  // IrLMP's discovery information

    std::vector<std::uint8_t> Encode() const;
    static std::optional<SXidInfo> Parse(std::span<const std::uint8_t> info);
};

// 1, 6, 8 or 16 slots as the code of the discovery flags; nothing for other counts.
std::optional<std::uint8_t> SlotCountCode(int slots);
int SlotCount(std::uint8_t flags);

// The negotiation parameters as bit fields: each set bit is a value the station accepts.
struct SLapParams {
    std::uint16_t baud = 0x02;       // 2400, 9600, 19200, 38400, 57600, 115200, ...
    std::uint8_t turnaround = 0x01;  // maximum turnaround time: 500, 250, 100, 50 ms
    std::uint8_t dataSize = 0x01;    // 64, 128, 256, 512, 1024, 2048 bytes
    std::uint8_t window = 0x01;      // 1..7 frames
    std::uint8_t extraBofs = 0x80;   // 48, 24, 12, 5, 3, 2, 1, 0 at 115200 baud
    std::uint8_t minTurn = 0x01;     // 10, 5, 1, 0.5, 0.1, 0.05, 0.01, 0 ms
    std::uint8_t disconnect = 0x01;  // 3, 8, 12, 16, 20, 25, 30, 40 s

    std::vector<std::uint8_t> Encode() const;
    // Parameters this codec does not know are skipped; a truncated one fails.
    static std::optional<SLapParams> Parse(std::span<const std::uint8_t> bytes);
};

// The values the highest set bit of each field stands for; 0 for an empty field.
int BaudOf(std::uint16_t bits);
int TurnaroundMsOf(std::uint8_t bits);
int DataSizeOf(std::uint8_t bits);
int WindowOf(std::uint8_t bits);
int ExtraBofsOf(std::uint8_t bits);  // the lowest count asked for: the highest set bit
int MinTurnMicrosOf(std::uint8_t bits);
int DisconnectSecondsOf(std::uint8_t bits);
// The baud bits up to and including the given rate.
std::uint16_t BaudBitsUpTo(int baud);
// Keeps only the highest common bit of a field both stations must share; 0 when none.
std::uint16_t HighestCommon(std::uint16_t ours, std::uint16_t theirs);

// SNRM: source and destination device addresses, the new connection address (shifted left as
// in the address byte), the parameters. UA carries the addresses and parameters.
struct SConnectInfo {
    std::uint32_t source = 0;
    std::uint32_t destination = 0;
    std::uint8_t connection = 0;  // SNRM only
    SLapParams params;

    std::vector<std::uint8_t> EncodeSnrm() const;
    std::vector<std::uint8_t> EncodeUa() const;
    static std::optional<SConnectInfo> ParseSnrm(std::span<const std::uint8_t> info);
    static std::optional<SConnectInfo> ParseUa(std::span<const std::uint8_t> info);
};

}  // namespace sir
