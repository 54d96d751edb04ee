#include "U_mcs7780.h"

#include <algorithm>
#include <thread>

#include "sir/U_sirframe.h"

namespace usb {

using namespace mcs7780;
using namespace std::chrono_literals;

namespace {

// The mode register.
constexpr std::uint16_t kModeFir = 0x0001;
constexpr std::uint16_t kModeShortPulse = 0x0002;  // 1.6 us pulses rather than 3/16 of a bit
constexpr std::uint16_t kModeBackToBack = 0x0004;
constexpr std::uint16_t kModeAsk = 0x0008;
constexpr std::uint16_t kModeSpeedMask = 0x00E0;
constexpr std::uint16_t kModePowerDown = 0x0100;
constexpr std::uint16_t kModeDriver = 0x0200;  // the chip in configuration mode
constexpr std::uint16_t kModeDirectionByChip = 0x0400;
constexpr std::uint16_t kModeSipOnSend = 0x1000;
constexpr std::uint16_t kModeReset = 0x8000;
// The transceiver register, for the usual Vishay part.
constexpr std::uint16_t kXcvrMode0 = 0x0001;
constexpr std::uint16_t kXcvrStartFir = 0x0002;
constexpr std::uint16_t kXcvrConfigure = 0x0004;
constexpr std::uint16_t kXcvrFastReceive = 0x0008;
constexpr std::uint16_t kXcvrMode1 = 0x0080;

}  // namespace

std::vector<std::uint8_t> Mcs7780Packet(std::span<const std::uint8_t> wrapped) {
    const std::size_t length = wrapped.size() + 2;
    std::vector<std::uint8_t> packet{static_cast<std::uint8_t>(length & 0xFF),
                                     static_cast<std::uint8_t>(length >> 8)};
    packet.insert(packet.end(), wrapped.begin(), wrapped.end());
    return packet;
}

std::vector<std::uint8_t> Mcs7780Input(std::span<const std::uint8_t> transfer) {
    std::vector<std::uint8_t> bytes;
    if (transfer.empty()) return bytes;
    bytes.reserve(transfer.size() + 2);
    bytes.push_back(sir::kBof);
    bytes.insert(bytes.end(), transfer.begin(), transfer.end());
    bytes.push_back(sir::kEof);
    return bytes;
}

std::optional<std::uint16_t> Mcs7780SpeedBits(int baud) {
    const int rates[] = {2400, 9600, 19200, 38400, 57600, 115200};
    for (std::uint16_t code = 0; code < std::size(rates); ++code)
        if (rates[code] == baud) return static_cast<std::uint16_t>(code << 5);
    return std::nullopt;
}

bool CMcs7780::SetRegister(std::uint8_t reg, std::uint16_t value, Deadline deadline) {
    return VendorWrite(kWriteRequest, value, reg, deadline);
}

std::optional<std::uint16_t> CMcs7780::GetRegister(std::uint8_t reg, Deadline deadline) {
    std::array<std::uint8_t, 2> value{};
    if (!VendorRead(kReadRequest, reg, value, deadline)) return std::nullopt;
    return static_cast<std::uint16_t>(value[0] | value[1] << 8);
}

bool CMcs7780::Update(std::uint8_t reg, std::uint16_t set, std::uint16_t clear, Deadline deadline) {
    const auto value = GetRegister(reg, deadline);
    return value && SetRegister(reg, static_cast<std::uint16_t>((*value & ~clear) | set), deadline);
}

bool CMcs7780::SetUpTransceiver(Deadline deadline) {
    // Configuration mode, then the transceiver's own sequence: MODE0 and the configure bit
    // together, then each dropped in turn.
    const auto xcvr = GetRegister(kTransceiver, deadline);
    if (!xcvr) return false;
    std::uint16_t value = static_cast<std::uint16_t>((*xcvr | kXcvrMode0 | kXcvrConfigure) &
                                                     ~(kXcvrStartFir | kXcvrMode1));
    if (!SetRegister(kTransceiver, value, deadline)) return false;
    value &= static_cast<std::uint16_t>(~kXcvrMode0);
    if (!SetRegister(kTransceiver, value, deadline)) return false;
    value &= static_cast<std::uint16_t>(~kXcvrConfigure);
    return SetRegister(kTransceiver, value, deadline);
}

EUsbStatus CMcs7780::Start(Deadline deadline) {
    failure_ = EUsbStatus::Ok;
    pending_.clear();
    const SUsbInterface* interface =
        device_.Info().interfaces.empty() ? nullptr : &device_.Info().interfaces.front();
    in_ = out_ = 0;
    if (interface)
        for (const SUsbEndpoint& endpoint : interface->endpoints) {
            if (!endpoint.IsBulk()) continue;
            if (endpoint.IsIn() && !in_) in_ = endpoint.address;
            if (!endpoint.IsIn() && !out_) out_ = endpoint.address;
        }
    if (!in_ || !out_) return EUsbStatus::Failed;
    if (const EUsbStatus claim = Claim(interface->number, {out_, in_}); claim != EUsbStatus::Ok)
        return claim;
    const std::uint16_t sirMode =
        kModeShortPulse | *Mcs7780SpeedBits(9600) | kModeDirectionByChip | kModeSipOnSend;
    const std::uint16_t sirClear =
        kModeFir | kModeBackToBack | kModeAsk | kModeSpeedMask | kModePowerDown;
    const bool ready = Update(kMode, kModeDriver, 0, deadline) &&
                       SetRegister(kMinPulse, 0, deadline) &&
                       Update(kMode, sirMode, sirClear, deadline) && SetUpTransceiver(deadline) &&
                       Update(kTransceiver, kXcvrFastReceive, 0, deadline) &&
                       Update(kMode, 0, kModeReset, deadline);
    return ready ? EUsbStatus::Ok : StartFailure();
}

bool CMcs7780::Write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    if (bytes.size() + 2 > kTransfer) return false;
    return SendPacket(out_, Mcs7780Packet(bytes), deadline);
}

long CMcs7780::Read(std::span<std::uint8_t> buffer, Deadline deadline) {
    std::vector<std::uint8_t> transfer(kTransfer);
    while (pending_.empty()) {
        const SUsbResult result = device_.BulkIn(in_, transfer, deadline);
        if (result.count > 0) {
            const auto bytes = Mcs7780Input(std::span(transfer).first(result.count));
            pending_.insert(pending_.end(), bytes.begin(), bytes.end());
            break;
        }
        if (const auto end = AfterEmptyBulkIn(device_, in_, result.status, deadline, failure_))
            return *end;
    }
    const std::size_t n = std::min(buffer.size(), pending_.size());
    std::copy_n(pending_.begin(), n, buffer.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<long>(n);
}

bool CMcs7780::SetBaud(int baud, Deadline deadline) {
    const auto speed = Mcs7780SpeedBits(baud);
    if (!speed) return false;
    // The chip still sending the frame that announced the rate would cut it short.
    for (;;) {
        const auto status = GetRegister(kStatus, deadline);
        if (!status) return false;
        if (!(*status & kStatusSending)) break;
        if (Expired(deadline)) return false;
        std::this_thread::sleep_for(1ms);
    }
    return Update(kMode, *speed, kModeSpeedMask, deadline) &&
           Update(kMode, 0, kModeReset, deadline);
}

}  // namespace usb
