#pragma once
// The USB IrDA bridge class: the adapter frames and checks the frames itself. Each bulk
// transfer is one frame behind a one-byte header; going out, the header asks for a new rate
// (low nibble) and a new count of extra BOFs (high nibble), 0 for no change; a transfer of the
// header alone changes them without a frame. The class descriptor tells the rates, the data
// size, the window, the turnaround and the extra BOFs the adapter can take.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "U_usbadapters.h"
#include "U_usbdevice.h"
#include "sir/U_irdatrace.h"
#include "sir/U_sirline.h"

namespace sir {
struct SPrimaryConfig;
}

namespace usb {

namespace bridge {
inline constexpr std::uint8_t kGetClassDescriptor = 0x06;
inline constexpr std::uint8_t kClassDescriptorType = 0x21;
inline constexpr std::size_t kClassDescriptorSize = 12;
inline constexpr std::size_t kLargestTransfer = 1 + 2048 + 2;
}  // namespace bridge

// Each field as IrLAP's negotiation bits.
struct SBridgeCapabilities {
    std::uint8_t dataSize = 0;
    std::uint8_t window = 0;
    std::uint8_t minTurn = 0;
    std::uint16_t rates = 0;
    std::uint8_t extraBofs = 0;
};
// The class descriptor; nothing when it is short or of another type.
std::optional<SBridgeCapabilities> ParseBridgeDescriptor(std::span<const std::uint8_t> bytes);
// The same among the class-specific descriptors after the interface's.
std::optional<SBridgeCapabilities> FindBridgeDescriptor(std::span<const std::uint8_t> extra);

// Header nibbles: the rate code (0 for a rate the class has no code for) and the extra BOFs
// code for the nearest count not below the one given.
std::uint8_t BridgeRateCode(int baud);
std::uint8_t BridgeExtraBofsCode(int count);

// One received transfer: the frame behind the header; nothing for a header alone.
std::optional<std::vector<std::uint8_t>> ParseBridgeInput(std::span<const std::uint8_t> transfer);

class CIrdaBridgeLine final : public sir::ILapLine {
  public:
    CIrdaBridgeLine(IUsbDevice& device, sir::CIrdaTrace* trace) : device_(device), trace_(trace) {}

    // Claims the bridge interface, finds its endpoints, reads the class descriptor and sets
    // 9600 baud with no extra BOFs.
    EUsbStatus Start(Deadline deadline);
    void Stop();
    void SetTrace(sir::CIrdaTrace* trace) { trace_ = trace; }
    const SBridgeCapabilities& Capabilities() const { return capabilities_; }
    // What this station may offer in the connection, from the descriptor.
    void Offer(sir::SPrimaryConfig& config) const;
    EUsbStatus LastFailure() const { return failure_; }

    bool Send(const sir::SLapFrame& frame, Deadline deadline) override;
    std::optional<sir::SLapFrame> Receive(Deadline deadline) override;
    bool Failed() const override { return failed_; }
    bool SetBaud(int baud, Deadline deadline) override;
    int Baud() const override { return baud_; }
    void SetPeerNeeds(int extraBofsAt115200, int minTurnMicros) override;
    void Reset(Deadline deadline) override;
    std::size_t Dropped() const override { return 0; }

  private:
    bool Transfer(std::span<const std::uint8_t> packet, Deadline deadline);
    bool Note(EUsbStatus status);

    IUsbDevice& device_;
    sir::CIrdaTrace* trace_;
    const SUsbInterface* interface_ = nullptr;
    std::uint8_t in_ = 0;
    std::uint8_t out_ = 0;
    std::uint16_t outPacket_ = 64;
    bool claimed_ = false;
    SBridgeCapabilities capabilities_;
    int baud_ = 9600;
    std::uint8_t pendingBofs_ = 0;  // header code for the next frame; 0: no change
    std::chrono::microseconds minTurn_{0};
    LinkClock::time_point lastReceived_{};
    bool failed_ = false;
    EUsbStatus failure_ = EUsbStatus::Ok;
};

}  // namespace usb
