#include "U_radioserial.h"

#include <algorithm>
#include <array>
#include <limits>

#include "U_commands.h"
#include "U_frame.h"

namespace {

using namespace command;

constexpr std::size_t kCheckBytes = 2;
constexpr std::size_t kIdentifyCapacity = 512;
constexpr std::size_t kDrainChunk = 1024;

// The reply must hold the whole answer: every payload byte the command expects and the check
// value. A reply two bytes short would otherwise pass its check bytes off as data.
bool SegmentReplyMatches(std::span<const std::uint8_t> reply, std::size_t length, std::uint8_t code,
                         std::uint16_t segment, std::size_t payload) {
    return length >= payload + kCheckBytes && reply[0] == code && SegmentOf(reply) == segment;
}

}  // namespace

CDeviceInfo::CDeviceInfo(std::span<const std::uint8_t> payload) {
    const auto byte = [payload](std::size_t offset) -> std::uint8_t {
        return offset < payload.size() ? payload[offset] : 0;
    };
    const auto word = [&byte](std::size_t offset) { return byte(offset) | byte(offset + 1) << 8; };
    for (std::size_t i = 0; i < 5; ++i) model_ += static_cast<char>(byte(kModelOffset + i));
    for (std::size_t i = 0; i < 3; ++i) revision_ += static_cast<char>(byte(kRevisionOffset + i));
    wordA_ = word(kWordAOffset);
    base_ = word(kBaseOffset);
    wordB_ = word(kWordBOffset);
    step_ = word(kStepOffset);
    for (int i = 0; i < kRanges; ++i) {
        for (int edge = 0; edge < 2; ++edge) {
            const int offset = word(kRangesOffset + 4 * static_cast<std::size_t>(i) + 2 * edge);
            ranges_[i][edge] = ClampToInt(static_cast<long long>(step_) * (base_ + offset));
        }
    }
}

int CDeviceInfo::RangeEdge(int index, int edge) const {
    if (index < 0 || index >= kRanges || (edge != 0 && edge != 1))
        return ClampToInt(static_cast<long long>(step_) * base_);
    return ranges_[index][edge];
}

std::optional<std::size_t> ExchangeFrame(SerialPort& port, std::span<const std::uint8_t> payload,
                                         std::span<std::uint8_t> reply) {
    const std::vector<std::uint8_t> request = frame::Build(payload);
    port.purge();
    std::size_t moved = 0;
    if (!port.write(request, moved) || moved != request.size()) return std::nullopt;

    const Deadline deadline = LinkClock::now() + port.window();
    frame::CReceiver receiver(reply.size());
    std::array<std::uint8_t, kDrainChunk> chunk{};
    while (LinkClock::now() < deadline) {
        const EWait wait = port.waitReceive(deadline);
        if (wait == EWait::TimedOut) break;
        if (wait == EWait::Failed) return std::nullopt;  // the line is gone
        for (int waiting = port.queued(); waiting != 0; waiting = port.queued()) {
            if (waiting < 0) return std::nullopt;
            const std::size_t want =
                std::min<std::size_t>(static_cast<std::size_t>(waiting), kDrainChunk);
            if (!port.read(std::span(chunk).first(want), moved) || moved != want)
                return std::nullopt;
            for (std::size_t i = 0; i < want; ++i) {
                switch (receiver.Feed(chunk[i])) {
                    case frame::CReceiver::Result::More:
                        break;
                    case frame::CReceiver::Result::Overflow:
                        return std::nullopt;
                    case frame::CReceiver::Result::Frame: {
                        const auto body = receiver.Body();
                        std::copy(body.begin(), body.end(), reply.begin());
                        return body.size();
                    }
                }
            }
        }
    }
    return std::nullopt;
}

CRadioSerial::CRadioSerial(SerialPort& port, std::unique_ptr<CDeviceInfo> info)
    : port_(port), info_(std::move(info)) {}

CRadioSerial::~CRadioSerial() {
    port_.close();
}

bool CRadioSerial::GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) {
    const auto request = SegmentRequest(kGetSegment, segment);
    const std::size_t payload = kSegmentHeader + destination.size();
    std::vector<std::uint8_t> reply(payload + kCheckBytes);
    const auto length = ExchangeFrame(port_, request, reply);
    if (!length || !SegmentReplyMatches(reply, *length, kGetSegment, segment, payload))
        return false;
    std::copy_n(reply.begin() + kSegmentHeader, destination.size(), destination.begin());
    return true;
}

bool CRadioSerial::PutSegment(std::uint16_t segment, std::span<const std::uint8_t> source) {
    const auto request = SegmentRequest(kPutSegment, segment, source);
    std::array<std::uint8_t, kSegmentHeader + kCheckBytes> reply{};
    const auto length = ExchangeFrame(port_, request, reply);
    return length && SegmentReplyMatches(reply, *length, kPutSegment, segment, kSegmentHeader);
}

bool CRadioSerial::ReleaseSegment(std::uint16_t /*segment*/) {
    return true;
}

bool CRadioSerial::EndSession() {
    const std::array<std::uint8_t, 2> request{kEndSession, 0x00};
    std::array<std::uint8_t, 2 + kCheckBytes> reply{};
    // Any good frame that starts with the command code: a bare code with its check value will do.
    const auto length = ExchangeFrame(port_, request, reply);
    return length && *length >= kCheckBytes && reply[0] == kEndSession;
}

std::unique_ptr<CDeviceInfo> IdentifySerial(SerialPort& port) {
    const std::array<std::uint8_t, 2> request{kIdentify, 0x00};
    std::vector<std::uint8_t> reply(kIdentifyCapacity);
    const auto length = ExchangeFrame(port, request, reply);
    if (!length || *length < CDeviceInfo::kMinimumPayload + kCheckBytes || reply[0] != kIdentify)
        return nullptr;
    return std::make_unique<CDeviceInfo>(std::span(reply).first(*length - kCheckBytes));
}

std::unique_ptr<CRadioSerial> SearchSerial(SerialPort& port, IRadioQualifier& qualifier,
                                           const SerialTake& take) {
    const std::vector<std::string>& names = port.portList();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!port.open(name)) continue;
        port.applySettings();
        port.applyTimeouts();
        if (auto info = IdentifySerial(port)) {
            auto link = std::make_unique<CRadioSerial>(port, std::move(info));
            if (qualifier.Qualification(static_cast<IRadioSerial*>(link.get())) &&
                (!take || take(*link, name, i + 1 == names.size())))
                return link;
            link.reset();  // closes the port
        }
        port.close();
    }
    return nullptr;
}
