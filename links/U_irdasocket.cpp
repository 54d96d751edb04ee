#include "U_irdasocket.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

EIrdaMode IrdaModeFromEnvironment() {
    const char* mode = std::getenv("TESSEL_IRDA_MODE");
    return mode && std::strcmp(mode, "packet") == 0 ? EIrdaMode::Packet : EIrdaMode::Stream;
}

CIrDASocket::CIrDASocket(std::unique_ptr<IIrdaPlatform> platform, EIrdaMode mode)
    : platform_(std::move(platform)), mode_(mode) {}

CIrDASocket::~CIrDASocket() {
    close();
}

bool CIrDASocket::open() {
    openFailed_ = !(platform_ && platform_->Open());
    return !openFailed_;
}

std::string CIrDASocket::failure() const {
    if (!platform_) return {};
    return openFailed_ ? platform_->Problem() : platform_->Failure();
}

bool CIrDASocket::searchAgainUseless() const {
    return openFailed_ || silentDevice_ || !failure().empty();
}

void CIrDASocket::setPlatform(std::unique_ptr<IIrdaPlatform> platform) {
    close();
    platform_ = std::move(platform);
    openFailed_ = false;
    silentDevice_ = false;
}

void CIrDASocket::close() {
    if (platform_) platform_->Close();
}

bool CIrDASocket::isOpen() const {
    return platform_ && platform_->IsOpen();
}

std::optional<int> CIrDASocket::enumerate(std::span<SIrdaDevice> list) {
    if (!platform_) return std::nullopt;
    std::array<std::uint8_t, SIrdaDeviceList::kBufferSize> answer{};
    if (!platform_->QueryDevices(answer)) return std::nullopt;
    std::uint32_t reported = 0;
    for (int i = 0; i < 4; ++i) reported |= static_cast<std::uint32_t>(answer[i]) << (8 * i);
    // The count is the platform's word; only the records that fit the answer are read.
    const std::size_t copies =
        std::min<std::size_t>({reported, list.size(), SIrdaDeviceList::kMaxRecords});
    for (std::size_t r = 0; r < copies; ++r) {
        const std::uint8_t* record =
            answer.data() + SIrdaDeviceList::kCountSize + r * SIrdaDeviceList::kRecordSize;
        std::copy_n(record, 4, list[r].id.begin());
        std::copy_n(record + 4, SIrdaDeviceList::kNameSize, list[r].name.begin());
    }
    return static_cast<int>(std::min<std::uint32_t>(reported, 0x7FFFFFFF));
}

bool CIrDASocket::queryService(const SIrdaAddress& address) {
    // Packet mode talks to the radio's link layer, the stream its transport layer.
    const char* attribute =
        mode_ == EIrdaMode::Stream ? "IrDA:TinyTP:LsapSel" : "IrDA:IrLMP:LsapSel";
    return platform_ && platform_->QueryService(address, attribute);
}

bool CIrDASocket::connect(const SIrdaAddress& address) {
    if (!platform_) return false;
    if (mode_ == EIrdaMode::Packet && !platform_->SetTinyTP(false)) return false;
    return platform_->Connect(address, LinkClock::now() + window_);
}

void CIrDASocket::discardPending() {
    if (platform_) platform_->DiscardPending();
}

long CIrDASocket::send(std::span<const std::uint8_t> data, Deadline deadline) {
    if (!platform_) return -1;
    if (mode_ == EIrdaMode::Stream) return platform_->Send(data, deadline);
    return sendPackets(data, deadline);
}

long CIrDASocket::recv(std::span<std::uint8_t> buffer, Deadline deadline) {
    if (!platform_) return -1;
    if (mode_ == EIrdaMode::Stream) return platform_->Receive(buffer, deadline);
    return recvPackets(buffer, deadline);
}

long CIrDASocket::sendPackets(std::span<const std::uint8_t> data, Deadline deadline) {
    constexpr std::size_t kData = kIrdaPacketSize - 1;
    std::array<std::uint8_t, kIrdaPacketSize> packet{};
    std::size_t sent = 0;
    while (sent < data.size()) {
        const std::size_t left = data.size() - sent;
        const std::size_t chunk = std::min(left, kData);
        packet[0] = left > kData ? kIrdaMoreFollows : kIrdaLastPacket;
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(sent), chunk, packet.begin() + 1);
        const long n = platform_->Send(std::span(packet).first(chunk + 1), deadline);
        if (n < 0) return -1;
        // A packet cut short by the platform counts with what went out of its data.
        if (n > 0) sent += std::min(static_cast<std::size_t>(n) - 1, chunk);
        if (packet[0] == kIrdaLastPacket || n < static_cast<long>(chunk + 1)) break;
    }
    return static_cast<long>(sent);
}

long CIrDASocket::recvPackets(std::span<std::uint8_t> buffer, Deadline deadline) {
    std::array<std::uint8_t, kIrdaPacketSize> packet{};
    std::size_t received = 0;
    for (;;) {
        const long n = platform_->Receive(packet, deadline);
        if (n < 0) return -1;
        if (n == 0) break;  // the message ends with the link
        const std::uint8_t header = packet[0];
        if (header != kIrdaMoreFollows && header != kIrdaLastPacket) return -1;
        const std::size_t data = static_cast<std::size_t>(n) - 1;
        const std::size_t take = std::min(data, buffer.size() - received);
        std::copy_n(packet.begin() + 1, take,
                    buffer.begin() + static_cast<std::ptrdiff_t>(received));
        received += take;
        if (header != kIrdaMoreFollows || received >= buffer.size()) break;
    }
    return static_cast<long>(received);
}
