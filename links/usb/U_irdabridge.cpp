#include "U_irdabridge.h"

#include <algorithm>
#include <thread>

#include "sir/U_irlap.h"

namespace usb {

using namespace bridge;
using namespace std::chrono_literals;

namespace {

// Adapters that take only one frame before they must answer, whatever the descriptor says.
struct SBridgeQuirk {
    std::uint16_t vendor;
    std::uint16_t product;
};
constexpr SBridgeQuirk kOneFrameWindow[] = {
    {0x09c4, 0x0011}, {0x4428, 0x0012}, {0x050f, 0x0180}, {0x08e9, 0x0100}};

// The rates this stack runs: 2400 to 115200 baud.
constexpr std::uint16_t kSirRates = 0x003F;

}  // namespace

std::optional<SBridgeCapabilities> ParseBridgeDescriptor(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kClassDescriptorSize || bytes[0] < kClassDescriptorSize ||
        bytes[1] != kClassDescriptorType)
        return std::nullopt;
    SBridgeCapabilities capabilities;
    capabilities.dataSize = bytes[4];
    capabilities.window = bytes[5];
    capabilities.minTurn = bytes[6];
    capabilities.rates = static_cast<std::uint16_t>(bytes[7] | bytes[8] << 8);
    capabilities.extraBofs = bytes[9];
    return capabilities;
}

std::optional<SBridgeCapabilities> FindBridgeDescriptor(std::span<const std::uint8_t> extra) {
    while (extra.size() >= 2 && extra[0] >= 2 && extra[0] <= extra.size()) {
        if (extra[1] == kClassDescriptorType) return ParseBridgeDescriptor(extra.first(extra[0]));
        extra = extra.subspan(extra[0]);
    }
    return std::nullopt;
}

std::uint8_t BridgeRateCode(int baud) {
    const int rates[] = {2400, 9600, 19200, 38400, 57600, 115200};
    for (std::uint8_t code = 0; code < std::size(rates); ++code)
        if (rates[code] == baud) return static_cast<std::uint8_t>(code + 1);
    return 0;
}

std::uint8_t BridgeExtraBofsCode(int count) {
    // Codes 0x1 to 0x8 stand for 48, 24, 12, 6, 3, 2, 1 and 0 extra BOFs.
    const int counts[] = {48, 24, 12, 6, 3, 2, 1, 0};
    std::uint8_t code = 1;
    for (std::uint8_t i = 0; i < std::size(counts); ++i)
        if (counts[i] >= count) code = static_cast<std::uint8_t>(i + 1);
    return static_cast<std::uint8_t>(code << 4);
}

std::optional<std::vector<std::uint8_t>> ParseBridgeInput(std::span<const std::uint8_t> transfer) {
    if (transfer.size() <= 1) return std::nullopt;
    return std::vector<std::uint8_t>(transfer.begin() + 1, transfer.end());
}

bool CIrdaBridgeLine::Note(EUsbStatus status) {
    if (status == EUsbStatus::Ok) return true;
    failure_ = status;
    return false;
}

EUsbStatus CIrdaBridgeLine::Start(Deadline deadline) {
    failure_ = EUsbStatus::Ok;
    failed_ = false;
    interface_ = BridgeInterface(device_.Info());
    if (!interface_) return EUsbStatus::Failed;
    in_ = out_ = 0;
    for (const SUsbEndpoint& endpoint : interface_->endpoints) {
        if (!endpoint.IsBulk()) continue;
        if (endpoint.IsIn()) {
            in_ = endpoint.address;
        } else {
            out_ = endpoint.address;
            outPacket_ = endpoint.maxPacket ? endpoint.maxPacket : 64;
        }
    }
    if (!in_ || !out_) return EUsbStatus::Failed;
    if (const EUsbStatus claim = device_.Claim(interface_->number); claim != EUsbStatus::Ok)
        return claim;
    claimed_ = true;
    std::array<std::uint8_t, kClassDescriptorSize> descriptor{};
    const SUsbResult asked = device_.Control(
        {kClassInInterface, kGetClassDescriptor, 0, interface_->number}, descriptor, deadline);
    if (asked.status == EUsbStatus::Gone) return EUsbStatus::Gone;
    auto capabilities =
        asked.Ok() ? ParseBridgeDescriptor(std::span(descriptor).first(asked.count)) : std::nullopt;
    // Some adapters keep it only among the configuration's descriptors.
    if (!capabilities) capabilities = FindBridgeDescriptor(interface_->extra);
    if (!capabilities || !(capabilities->rates & 0x02)) return EUsbStatus::Failed;
    capabilities_ = *capabilities;
    const SUsbDeviceInfo& info = device_.Info();
    for (const SBridgeQuirk& quirk : kOneFrameWindow)
        if (quirk.vendor == info.vendor && quirk.product == info.product)
            capabilities_.window = 0x01;
    baud_ = 0;
    Reset(deadline);
    if (baud_ == 9600) return EUsbStatus::Ok;
    return failure_ == EUsbStatus::Ok ? EUsbStatus::Failed : failure_;
}

void CIrdaBridgeLine::Stop() {
    if (claimed_ && interface_) device_.Release(interface_->number);
    claimed_ = false;
}

void CIrdaBridgeLine::Offer(sir::SPrimaryConfig& config) const {
    config.baudMask = static_cast<std::uint16_t>(capabilities_.rates & kSirRates);
    if (capabilities_.dataSize) config.dataSize = capabilities_.dataSize;
    if (capabilities_.window) config.window = capabilities_.window;
    if (capabilities_.minTurn) config.minTurn = capabilities_.minTurn;
    if (capabilities_.extraBofs) config.extraBofs = capabilities_.extraBofs;
}

bool CIrdaBridgeLine::Transfer(std::span<const std::uint8_t> packet, Deadline deadline) {
    SUsbResult result = device_.BulkOut(out_, packet, deadline);
    if (result.status == EUsbStatus::Stalled) device_.ClearHalt(out_);
    // A transfer of whole packets ends with an empty one, so the adapter sees where it ends.
    if (result.Ok() && result.count == packet.size() && packet.size() % outPacket_ == 0)
        result = device_.BulkOut(out_, {}, deadline);
    if (Note(result.status)) return true;
    if (result.status == EUsbStatus::Gone || result.status == EUsbStatus::Failed) failed_ = true;
    return false;
}

bool CIrdaBridgeLine::Send(const sir::SLapFrame& frame, Deadline deadline) {
    const auto ready = lastReceived_ + minTurn_;
    if (ready > LinkClock::now()) std::this_thread::sleep_until(std::min(ready, deadline));
    const std::vector<std::uint8_t> body = frame.Encode();
    if (trace_) trace_->Record(body, true);
    std::vector<std::uint8_t> packet;
    packet.reserve(body.size() + 1);
    packet.push_back(pendingBofs_);
    packet.insert(packet.end(), body.begin(), body.end());
    if (!Transfer(packet, deadline)) return false;
    pendingBofs_ = 0;
    return true;
}

std::optional<sir::SLapFrame> CIrdaBridgeLine::Receive(Deadline deadline) {
    failed_ = false;
    std::vector<std::uint8_t> transfer(kLargestTransfer);
    for (;;) {
        const SUsbResult result = device_.BulkIn(in_, transfer, deadline);
        if (result.Ok() || result.count > 0) {
            if (auto body = ParseBridgeInput(std::span(transfer).first(result.count))) {
                lastReceived_ = LinkClock::now();
                if (trace_) trace_->Record(*body, false);
                if (auto frame = sir::SLapFrame::Parse(*body)) return frame;
            }
        } else if (result.status == EUsbStatus::TimedOut) {
            return std::nullopt;
        } else if (result.status != EUsbStatus::Stalled || !Note(device_.ClearHalt(in_))) {
            Note(result.status);
            failed_ = true;
            return std::nullopt;
        }
        if (LinkClock::now() >= deadline) return std::nullopt;
        if (result.count == 0) std::this_thread::sleep_for(1ms);
    }
}

bool CIrdaBridgeLine::SetBaud(int baud, Deadline deadline) {
    if (baud == baud_) return true;
    const std::uint8_t code = BridgeRateCode(baud);
    if (!code || !(capabilities_.rates & (1u << (code - 1)))) return false;
    // The header alone: many adapters take a new rate only this way, after the frame that
    // announced it has gone.
    const std::uint8_t header = static_cast<std::uint8_t>(code | pendingBofs_);
    if (!Transfer(std::span(&header, 1), deadline)) return false;
    pendingBofs_ = 0;
    baud_ = baud;
    return true;
}

void CIrdaBridgeLine::SetPeerNeeds(int extraBofsAt115200, int minTurnMicros) {
    const auto extra = static_cast<int>(static_cast<long long>(extraBofsAt115200) * baud_ / 115200);
    pendingBofs_ = BridgeExtraBofsCode(extra);
    minTurn_ = std::chrono::microseconds(minTurnMicros);
}

void CIrdaBridgeLine::Reset(Deadline deadline) {
    pendingBofs_ = BridgeExtraBofsCode(0);
    minTurn_ = std::chrono::microseconds::zero();
    if (baud_ != 9600) {
        SetBaud(9600, deadline);
    } else {
        const std::uint8_t header = pendingBofs_;
        if (Transfer(std::span(&header, 1), deadline)) pendingBofs_ = 0;
    }
}

}  // namespace usb
