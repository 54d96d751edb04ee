#pragma once
// The MCS7780 adapter: the host wraps the SIR frames and sends each behind its length; the chip
// hands back each frame it heard without its BOF and EOF. Its 16-bit registers are read and
// written by vendor control requests; a new rate is set only once the chip has finished
// sending the frame that announced it.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "U_wrappingchip.h"

namespace usb {

namespace mcs7780 {
inline constexpr std::uint8_t kReadRequest = 0x0F;
inline constexpr std::uint8_t kWriteRequest = 0x0E;
enum ERegister : std::uint8_t {
    kMode = 0,
    kTransceiver = 2,
    kMinPulse = 4,
    kStatus = 7,
};
inline constexpr std::uint16_t kStatusSending = 0x0001;
inline constexpr std::size_t kTransfer = 4096;
}  // namespace mcs7780

// The bulk transfer for one wrapped frame: its length with the two length bytes
// (little-endian), then the bytes.
std::vector<std::uint8_t> Mcs7780Packet(std::span<const std::uint8_t> wrapped);
// The SIR bytes of one received transfer: the frame between a BOF and an EOF.
std::vector<std::uint8_t> Mcs7780Input(std::span<const std::uint8_t> transfer);
// The speed field (bits 7..5) of the mode register for a SIR rate.
std::optional<std::uint16_t> Mcs7780SpeedBits(int baud);

class CMcs7780 final : public CWrappingChip {
  public:
    explicit CMcs7780(IUsbDevice& device) : CWrappingChip(device) {}

    // Claims the interface, finds its bulk endpoints, clears them and sets up the chip and
    // its transceiver at 9600 baud.
    EUsbStatus Start(Deadline deadline);

    bool Write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    long Read(std::span<std::uint8_t> buffer, Deadline deadline) override;
    bool SetBaud(int baud, Deadline deadline) override;

  private:
    bool SetRegister(std::uint8_t reg, std::uint16_t value, Deadline deadline);
    std::optional<std::uint16_t> GetRegister(std::uint8_t reg, Deadline deadline);
    // Reads a register, changes it and writes it back.
    bool Update(std::uint8_t reg, std::uint16_t set, std::uint16_t clear, Deadline deadline);
    bool SetUpTransceiver(Deadline deadline);

    std::uint8_t in_ = 0;
    std::uint8_t out_ = 0;
    std::deque<std::uint8_t> pending_;  // received, not yet read
};

}  // namespace usb
