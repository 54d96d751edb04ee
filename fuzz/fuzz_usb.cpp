// What the USB infrared adapters hand up from an untrusted device: the first byte chooses the
// input (each chip's received transfer, the bridge's FIFO registers and class descriptors, the
// adapter selector a user types), the rest is its bytes. Every frame found in a transfer parses
// or is refused; each parser's answer keeps to its bounds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sir/U_irlapframe.h"
#include "sir/U_sirframe.h"
#include "usb/U_irdabridge.h"
#include "usb/U_mcs7780.h"
#include "usb/U_stir4200.h"
#include "usb/U_usbadapters.h"

namespace {

constexpr std::size_t kMaxFrame = 2048 + 2;

// SIR bytes as the link reads them from a chip that leaves the framing to us.
void Deframe(std::span<const std::uint8_t> bytes) {
    sir::CDeframer deframer(kMaxFrame);
    for (const std::uint8_t byte : bytes) {
        if (deframer.Feed(byte) != sir::CDeframer::EResult::Frame) continue;
        const auto body = deframer.Body();
        if (body.size() > kMaxFrame || body.size() < 2) __builtin_trap();
        (void)sir::SLapFrame::Parse(body);
    }
}

void Stir4200Input(std::span<const std::uint8_t> transfer) {
    if (transfer.size() >= 3) {
        const usb::SStirFifo fifo = usb::ParseStir4200Fifo(transfer.first<3>());
        if (fifo.count > 0x1FFF) __builtin_trap();
    }
    Deframe(transfer);
}

void Mcs7780Input(std::span<const std::uint8_t> transfer) {
    const std::vector<std::uint8_t> bytes = usb::Mcs7780Input(transfer);
    if (bytes.size() != (transfer.empty() ? 0 : transfer.size() + 2)) __builtin_trap();
    Deframe(bytes);
}

void BridgeInput(std::span<const std::uint8_t> transfer) {
    const auto body = usb::ParseBridgeInput(transfer);
    if (body.has_value() != (transfer.size() > 1)) __builtin_trap();
    if (body) {
        if (body->size() != transfer.size() - 1) __builtin_trap();
        (void)sir::SLapFrame::Parse(*body);
    }
}

void BridgeDescriptors(std::span<const std::uint8_t> bytes) {
    (void)usb::ParseBridgeDescriptor(bytes);
    (void)usb::FindBridgeDescriptor(bytes);
}

// A selector that reads is written back as text that reads to the same selector.
void Selector(std::span<const std::uint8_t> bytes) {
    const std::string text(bytes.begin(), bytes.end());
    const auto selector = usb::ParseUsbSelector(text);
    if (!selector) return;
    const auto again = usb::ParseUsbSelector(selector->Text());
    if (!again || again->Text() != selector->Text()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    switch (data[0] % 5) {
        case 0:
            Stir4200Input(input);
            break;
        case 1:
            Mcs7780Input(input);
            break;
        case 2:
            BridgeInput(input);
            break;
        case 3:
            BridgeDescriptors(input);
            break;
        default:
            Selector(input);
            break;
    }
    return 0;
}
