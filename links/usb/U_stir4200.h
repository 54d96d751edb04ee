#pragma once
// The STIr4200 adapter: the host wraps the SIR frames, each goes out in one bulk transfer after
// the chip's four-byte header, and what the chip heard comes back as raw wrapped bytes. The rate
// is set in the chip's registers. The chip is half duplex over one FIFO: before the first read
// after sending, the FIFO must have drained; a frame waits for room in it.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "U_wrappingchip.h"

namespace usb {

namespace stir4200 {
inline constexpr std::uint8_t kOut = 0x01;
inline constexpr std::uint8_t kIn = 0x82;
inline constexpr std::size_t kFifoSize = 4096;
inline constexpr std::uint8_t kWriteRegister = 0x03;  // one register: value in wValue
inline constexpr std::uint8_t kReadRegisters = 0x01;

enum ERegister : std::uint8_t {
    kMode = 1,
    kClock = 2,
    kControl1 = 3,
    kControl2 = 4,
    kFifoControl = 5,
    kPll = 8,
};
inline constexpr std::uint8_t kFifoDirectionOut = 0x10;
inline constexpr std::uint8_t kFifoClear = 0x08;
inline constexpr std::uint8_t kFifoEmpty = 0x04;
}  // namespace stir4200

struct SRegisterWrite {
    std::uint8_t reg = 0;
    std::uint16_t value = 0;
    bool operator==(const SRegisterWrite&) const = default;
};

// The bulk transfer for one wrapped frame: 0x55 0xAA, the length (little-endian), the bytes.
std::vector<std::uint8_t> Stir4200Packet(std::span<const std::uint8_t> wrapped);
// The register writes that put the chip at a SIR rate; empty for a rate it cannot take.
std::vector<SRegisterWrite> Stir4200RateWrites(int baud);

// The FIFO state from its three registers (control, count low, count high).
struct SStirFifo {
    bool sending = false;  // the FIFO holds bytes going out
    bool empty = true;
    std::size_t count = 0;
};
SStirFifo ParseStir4200Fifo(std::span<const std::uint8_t, 3> registers);

class CStir4200 final : public CWrappingChip {
  public:
    explicit CStir4200(IUsbDevice& device) : CWrappingChip(device) {}

    // Claims the interface, clears both endpoints and sets 9600 baud.
    EUsbStatus Start(Deadline deadline);

    bool Write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    long Read(std::span<std::uint8_t> buffer, Deadline deadline) override;
    bool SetBaud(int baud, Deadline deadline) override;

  private:
    bool WriteRegister(std::uint8_t reg, std::uint8_t value, Deadline deadline);
    std::optional<SStirFifo> ReadFifo(Deadline deadline);
    // Until the FIFO has room for `room` bytes, or has emptied when room is nullopt.
    bool WaitFifo(std::optional<std::size_t> room, Deadline deadline);

    int baud_ = 9600;
    bool receiving_ = false;
};

}  // namespace usb
