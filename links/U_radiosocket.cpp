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

namespace {

// True while the bytes received so far can still be the answer described by head.
bool HeadMatches(std::span<const std::uint8_t> received, const SReplyHead& head) {
    if (received.empty()) return true;
    if (received[0] != head.code) return false;
    if (!head.segment || received.size() < kSegmentHeader) return true;
    return SegmentOf(received) == *head.segment;
}

}  // namespace

std::optional<std::size_t> IrdaExchange(CIrDASocket& socket, std::span<const std::uint8_t> request,
                                        std::span<std::uint8_t> reply, std::size_t minimum,
                                        std::optional<SReplyHead> head) {
    minimum = std::min(minimum, reply.size());
    // An answer that came after its window must not pass for this request's.
    socket.discardPending();
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
        // A late answer to an earlier request can still arrive while this one waits.
        if (head && !HeadMatches(reply.first(received), *head)) received = 0;
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
    // Answered like an identification; the contents are not used.
    return IrdaExchange(socket_, request, reply, kIdentifyMinimum,
                        SReplyHead{kIdentify | kReplyBit, std::nullopt})
        .has_value();
}

bool CRadioSocket::SegmentCommand(std::uint8_t code, std::uint16_t segment,
                                  std::span<const std::uint8_t> data, std::size_t replyCapacity,
                                  std::span<std::uint8_t> destination) {
    const auto request = SegmentRequest(code, segment, data);
    std::vector<std::uint8_t> reply(replyCapacity);
    const SReplyHead head{static_cast<std::uint8_t>(code | kReplyBit), segment};
    const auto length = IrdaExchange(socket_, request, reply, replyCapacity, head);
    if (!length || *length < replyCapacity) return false;
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
    if (IrdaExchange(socket_, request, reply, reply.size(),
                     SReplyHead{kEndSession | kReplyBit, std::nullopt})) {
        sessionEnd_ = ESessionEnd::Confirmed;
        return true;
    }
    // Only the answer may be lost: a radio that took the end of the session has switched to the
    // bank just written, and reporting that write as failed would be untrue.
    sessionEnd_ = AskBankAfterEnd();
    return sessionEnd_ == ESessionEnd::Unconfirmed;
}

ESessionEnd CRadioSocket::AskBankAfterEnd() {
    // The radio may still be busy with the end of the session when first asked.
    constexpr int kAttempts = 2;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (const auto now = IdentifyIrda(socket_))
            return now->BankFlag() != info_->BankFlag() ? ESessionEnd::Unconfirmed
                                                        : ESessionEnd::NotTaken;
    }
    return ESessionEnd::Unknown;
}

std::unique_ptr<CRadioInfo> IdentifyIrda(CIrDASocket& socket) {
    const std::array<std::uint8_t, 1> request{kIdentify};
    std::array<std::uint8_t, kIdentifyCapacity> reply{};
    const auto length = IrdaExchange(socket, request, reply, kIdentifyMinimum,
                                     SReplyHead{kIdentify | kReplyBit, std::nullopt});
    if (!length) return nullptr;
    return std::make_unique<CRadioInfo>(std::span(reply).subspan(1, *length - 1));
}

std::unique_ptr<CRadioSocket> SearchIrda(CIrDASocket& socket, IRadioQualifier& qualifier,
                                         const SIrdaSearch& search) {
    socket.setSilentDevice(false);
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
    // Only when no device in range answered is another model's search sure to meet the same
    // silence; a quiet device beside a radio that answers must not hide that radio.
    bool anyAnswered = false;
    bool anyQuiet = false;
    for (std::size_t i = 0; i < count; ++i) {
        address.SetDeviceId(devices[i].id);
        std::unique_ptr<CRadioInfo> info;
        if (socket.queryService(address) && socket.connect(address)) info = IdentifyIrda(socket);
        anyAnswered = anyAnswered || info != nullptr;
        anyQuiet = anyQuiet || info == nullptr;
        socket.setSilentDevice(anyQuiet && !anyAnswered);
        if (info && (!search.wanted || search.wanted(*info))) {
            auto link = std::make_unique<CRadioSocket>(socket, std::move(info));
            if (qualifier.Qualification(static_cast<IRadioSocket*>(link.get())) &&
                (!search.take || search.take(*link, devices[i], i + 1 == count)))
                return link;
            // Destroying the link closes the socket; the next device needs it open again.
            link.reset();
        }
        // The socket may still be connected to the device passed over, and a connected socket
        // cannot reach the next one: start it afresh.
        socket.close();
        if (i + 1 < count && !socket.open()) return nullptr;
    }
    socket.close();
    return nullptr;
}
