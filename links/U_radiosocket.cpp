#include "U_radiosocket.h"
#include "U_commands.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <limits>

namespace {

using namespace command;

constexpr std::size_t kIdentifyCapacity = 64;
constexpr std::size_t kIdentifyMinimum = 20;
constexpr std::size_t kSegmentHeader = 4;  // code, 0x00, segment low, segment high
constexpr std::size_t kMaxDevices = 5;

}  // namespace

CRadioInfo::CRadioInfo(std::span<const std::uint8_t> infoBytes)
    : info_(infoBytes.begin(), infoBytes.end()) {}

std::uint8_t CRadioInfo::Byte(std::size_t offset) const {
    return offset < info_.size() ? info_[offset] : 0;
}

std::uint16_t CRadioInfo::Word(std::size_t offset) const {
    return static_cast<std::uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
}

std::uint32_t CRadioInfo::DoubleWord(std::size_t offset) const {
    return static_cast<std::uint32_t>(Word(offset)) | static_cast<std::uint32_t>(Word(offset + 2))
                                                          << 16;
}

std::string CRadioInfo::FW() const {
    std::string fw;
    for (std::size_t i = 0; i < 5 && i < info_.size(); ++i) fw += static_cast<char>(info_[i]);
    return fw;
}

std::string CRadioInfo::SN() const {
    return std::to_string(static_cast<std::int32_t>(DoubleWord(kSerialOffset)));
}

int CRadioInfo::BankFlag() const {
    return Byte(6) & 1;
}

int CRadioInfo::RangeCount() const {
    const long long length = static_cast<long long>(info_.size());
    return length < 16 ? 0 : static_cast<int>((length - 16) / 4);
}

int CRadioInfo::BaseHz() const {
    return ClampToInt(static_cast<long long>(DoubleWord(kBaseOffset)) * kBaseUnitHz);
}

int CRadioInfo::RangeEdge(int index, int edge) const {
    if (index < 0 || index >= RangeCount() || (edge != 0 && edge != 1)) return BaseHz();
    const std::size_t offset = kRangesOffset + 4 * static_cast<std::size_t>(index) + 2 * edge;
    return ClampToInt(static_cast<long long>(DoubleWord(kBaseOffset)) * kBaseUnitHz +
                      static_cast<long long>(Word(offset)) * kRangeStepHz);
}

std::optional<std::size_t> IrdaExchange(CIrDASocket& socket, std::span<const std::uint8_t> request,
                                        std::span<std::uint8_t> reply, std::size_t minimum) {
    minimum = std::min(minimum, reply.size());
    Deadline deadline = LinkClock::now() + socket.window();
    std::size_t sent = 0;
    while (sent < request.size()) {
        const long n = socket.send(request.subspan(sent), deadline);
        if (n < 0) return std::nullopt;
        sent += static_cast<std::size_t>(n);
        if (LinkClock::now() > deadline) return std::nullopt;
    }
    deadline = LinkClock::now() + socket.window();
    std::size_t received = 0;
    while (received < minimum) {
        // Each wait ends with the window, so a silent radio cannot hold the worker.
        const long n = socket.recv(reply.subspan(received), deadline);
        if (n <= 0) return std::nullopt;  // an error, or the radio closed the link
        received += static_cast<std::size_t>(n);
        if (LinkClock::now() > deadline) return std::nullopt;
    }
    return received;
}

CRadioSocket::CRadioSocket(CIrDASocket& socket, std::unique_ptr<CRadioInfo> info)
    : socket_(socket), info_(std::move(info)) {}

CRadioSocket::~CRadioSocket() {
    socket_.close();
}

bool CRadioSocket::SetClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return SetClockTo(
        {static_cast<std::uint8_t>(local.tm_year % 100),
         static_cast<std::uint8_t>(local.tm_mon + 1), static_cast<std::uint8_t>(local.tm_mday),
         static_cast<std::uint8_t>(local.tm_hour), static_cast<std::uint8_t>(local.tm_min),
         static_cast<std::uint8_t>(local.tm_sec)});
}

bool CRadioSocket::SetClockTo(const std::array<std::uint8_t, 6>& dateTime) {
    std::array<std::uint8_t, 7> request{kIdentify};
    std::copy(dateTime.begin(), dateTime.end(), request.begin() + 1);
    std::array<std::uint8_t, kIdentifyCapacity> reply{};
    return IrdaExchange(socket_, request, reply, kIdentifyMinimum).has_value();
}

bool CRadioSocket::SegmentCommand(std::uint8_t code, std::uint16_t segment,
                                  std::span<const std::uint8_t> data, std::size_t replyCapacity,
                                  std::span<std::uint8_t> destination) {
    std::vector<std::uint8_t> request{code, 0x00, static_cast<std::uint8_t>(segment & 0xFF),
                                      static_cast<std::uint8_t>(segment >> 8)};
    request.insert(request.end(), data.begin(), data.end());
    std::vector<std::uint8_t> reply(replyCapacity);
    const auto length = IrdaExchange(socket_, request, reply, replyCapacity);
    if (!length || *length < replyCapacity) return false;
    if (reply[0] != (code | kReplyBit) || reply[2] != request[2] || reply[3] != request[3])
        return false;
    std::copy_n(reply.begin() + kSegmentHeader, destination.size(), destination.begin());
    return true;
}

bool CRadioSocket::GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) {
    return SegmentCommand(kGetSegment, segment, {}, destination.size() + kSegmentHeader,
                          destination);
}

bool CRadioSocket::PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) {
    return SegmentCommand(kPutSegment, segment, source, kSegmentHeader, {});
}

bool CRadioSocket::ReleaseSegment(std::uint16_t segment) {
    return SegmentCommand(kReleaseSegment, segment, {}, kSegmentHeader, {});
}

bool CRadioSocket::EndSession() {
    const std::array<std::uint8_t, 1> request{kEndSession};
    std::array<std::uint8_t, 1> reply{};
    const auto length = IrdaExchange(socket_, request, reply, reply.size());
    return length && reply[0] == (kEndSession | kReplyBit);
}

std::unique_ptr<CRadioInfo> IdentifyIrda(CIrDASocket& socket) {
    const std::array<std::uint8_t, 1> request{kIdentify};
    std::array<std::uint8_t, kIdentifyCapacity> reply{};
    const auto length = IrdaExchange(socket, request, reply, kIdentifyMinimum);
    if (!length || reply[0] != (kIdentify | kReplyBit)) return nullptr;
    return std::make_unique<CRadioInfo>(std::span(reply).subspan(1, *length - 1));
}

std::unique_ptr<CRadioSocket> SearchIrda(CIrDASocket& socket, IRadioQualifier& qualifier) {
    if (!socket.open()) return nullptr;
    std::array<SIrdaDevice, kMaxDevices> devices{};
    const auto reported = socket.enumerate(devices);
    if (!reported) {
        socket.close();
        return nullptr;
    }
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(*reported), kMaxDevices);
    SIrdaAddress address = SIrdaAddress::ForService(kIrdaServiceName);
    for (std::size_t i = 0; i < count; ++i) {
        address.SetDeviceId(devices[i].id);
        if (!socket.queryService(address) || !socket.connect(address)) continue;
        auto info = IdentifyIrda(socket);
        if (!info) continue;
        auto link = std::make_unique<CRadioSocket>(socket, std::move(info));
        if (qualifier.Qualification(static_cast<IRadioSocket*>(link.get()))) return link;
        // Destroying the rejected link closes the socket, so no later device can be queried.
        link.reset();
    }
    socket.close();
    return nullptr;
}
