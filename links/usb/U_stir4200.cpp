#include "U_stir4200.h"

#include <algorithm>
#include <thread>

namespace usb {

using namespace stir4200;
using namespace std::chrono_literals;

namespace {

constexpr std::uint8_t kModeSir = 0x20;
constexpr std::uint8_t kModeFastReceive = 0x08;
constexpr std::uint8_t kModeNotReset = 0x02;
constexpr std::uint8_t kMode2400 = 0x01;
constexpr std::uint8_t kControl1Reset = 0x01;
constexpr std::uint8_t kControl1TransceiverMode = 0x80;
constexpr std::uint8_t kPllTuning = 0x15;
// The receiver's sensitivity at its usual setting for SIR, in bits 7..5 of the second
// control register; the transmitter at full power (0 in bits 2..1 of the first).
constexpr std::uint8_t kSensitivity = 1 << 5;
constexpr std::size_t kHeader = 4;

std::optional<std::uint8_t> ClockDivisor(int baud) {
    switch (baud) {
        case 2400:
            return 0xDF;
        case 9600:
            return 0x77;
        case 19200:
            return 0x3B;
        case 38400:
            return 0x1D;
        case 57600:
            return 0x13;
        case 115200:
            return 0x09;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::vector<std::uint8_t> Stir4200Packet(std::span<const std::uint8_t> wrapped) {
    std::vector<std::uint8_t> packet{0x55, 0xAA, static_cast<std::uint8_t>(wrapped.size() & 0xFF),
                                     static_cast<std::uint8_t>(wrapped.size() >> 8)};
    packet.insert(packet.end(), wrapped.begin(), wrapped.end());
    return packet;
}

std::vector<SRegisterWrite> Stir4200RateWrites(int baud) {
    const auto divisor = ClockDivisor(baud);
    if (!divisor) return {};
    const std::uint8_t mode =
        kModeNotReset | kModeFastReceive | kModeSir | (baud == 2400 ? kMode2400 : std::uint8_t{0});
    // The modulator is held in reset while the clock changes; toggling the transceiver-mode
    // bit resets a transceiver that has one.
    return {{kControl1, kControl1Reset},
            {kPll, kPllTuning},
            {kClock, *divisor},
            {kMode, mode},
            {kControl1, kControl1TransceiverMode},
            {kControl1, 0},
            {kControl2, kSensitivity}};
}

SStirFifo ParseStir4200Fifo(std::span<const std::uint8_t, 3> registers) {
    SStirFifo fifo;
    fifo.sending = (registers[0] & kFifoDirectionOut) != 0;
    fifo.empty = (registers[0] & kFifoEmpty) != 0;
    fifo.count = static_cast<std::size_t>(registers[2] & 0x1F) << 8 | registers[1];
    return fifo;
}

EUsbStatus CStir4200::Start(Deadline deadline) {
    if (const EUsbStatus claim = Claim(0, {kOut, kIn}); claim != EUsbStatus::Ok) return claim;
    receiving_ = false;
    baud_ = 0;
    return SetBaud(9600, deadline) ? EUsbStatus::Ok : StartFailure();
}

bool CStir4200::WriteRegister(std::uint8_t reg, std::uint8_t value, Deadline deadline) {
    return VendorWrite(kWriteRegister, value, reg, deadline);
}

std::optional<SStirFifo> CStir4200::ReadFifo(Deadline deadline) {
    // A short answer leaves the state unknown: nothing can be sent on a guess.
    std::array<std::uint8_t, 3> registers{};
    if (!VendorRead(kReadRegisters, kFifoControl, registers, deadline)) return std::nullopt;
    return ParseStir4200Fifo(registers);
}

bool CStir4200::WaitFifo(std::optional<std::size_t> room, Deadline deadline) {
    std::size_t previous = kFifoSize * 2;
    for (;;) {
        const auto fifo = ReadFifo(deadline);
        if (!fifo) return false;
        if (!fifo->sending || fifo->empty) return true;
        if (room && kFifoSize - kHeader > *room + fifo->count) return true;
        if (fifo->count > previous) {
            // The count grew while nothing was sent: the chip lost track; start afresh.
            return WriteRegister(kFifoControl, kFifoClear, deadline) &&
                   WriteRegister(kFifoControl, 0, deadline);
        }
        previous = fifo->count;
        if (Expired(deadline)) return false;
        const auto left = sir::WireTime(fifo->count, baud_ ? baud_ : 9600);
        std::this_thread::sleep_until(
            std::min(deadline, LinkClock::now() + std::max(left, 1000us)));
    }
}

bool CStir4200::Write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    if (bytes.size() + kHeader > kFifoSize) return false;
    // The first frame after receiving finds the FIFO empty; later ones wait for room.
    if (receiving_) {
        receiving_ = false;
    } else if (!WaitFifo(bytes.size() + kHeader, deadline)) {
        return false;
    }
    return SendPacket(kOut, Stir4200Packet(bytes), deadline);
}

long CStir4200::Read(std::span<std::uint8_t> buffer, Deadline deadline) {
    if (!receiving_) {
        // The receiver is turned on only once all that was sent has left.
        if (!WaitFifo(std::nullopt, deadline)) return failure_ == EUsbStatus::TimedOut ? 0 : -1;
        receiving_ = true;
    }
    for (;;) {
        const SUsbResult result = device_.BulkIn(kIn, buffer, deadline);
        if (result.count > 0) return static_cast<long>(result.count);
        if (const auto end = AfterEmptyBulkIn(device_, kIn, result.status, deadline, failure_))
            return *end;
    }
}

bool CStir4200::SetBaud(int baud, Deadline deadline) {
    const std::vector<SRegisterWrite> writes = Stir4200RateWrites(baud);
    if (writes.empty()) return false;
    // The frame that announced the rate leaves at the old one.
    if (baud_ != 0 && !receiving_ && !WaitFifo(std::nullopt, deadline)) return false;
    for (const SRegisterWrite& write : writes)
        if (!WriteRegister(write.reg, static_cast<std::uint8_t>(write.value), deadline))
            return false;
    baud_ = baud;
    return true;
}

}  // namespace usb
