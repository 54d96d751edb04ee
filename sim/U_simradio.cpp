#include "U_simradio.h"

#include "U_commands.h"
#include "U_demomemory.h"
#include "U_fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>

#include <cstdio>
#include <filesystem>
#include <iterator>

namespace sim {

namespace {

using namespace command;

constexpr std::size_t kConverterByte = 64;
constexpr std::size_t kFactoryRangesOffset = 0x24;  // image 0x8A4 within segment 1
constexpr int kRangeStepHz = 12500;
constexpr std::uint16_t kFactorySegment = 1;

std::vector<SSegmentPlace> TwoBankPlaces() {
    return {{512, 0, 128, 0},  {5, 128, 512, 0},  {4, 640, 512, 0},  {3, 1152, 512, 0},
            {2, 1664, 512, 0}, {256, 0, 128, 1},  {9, 128, 512, 1},  {8, 640, 512, 1},
            {7, 1152, 512, 1}, {6, 1664, 512, 1}, {1, 2176, 512, -1}};
}

const std::vector<SRadioModel>& Models() {
    static const std::vector<SRadioModel> models = {
        {"ALDER",
         145000000,
         175000000,
         {{145000000, 149000000}, {165000000, 174000000}},
         true,
         2688,
         145000000,
         TwoBankPlaces()},
        {"BIRCH", 39000000, 49000000, {{39000000, 49000000}}, true, 2688, 0, TwoBankPlaces()},
        {"CEDAR", 136000000, 174000000, {{136000000, 174000000}}, true, 2688, 0, TwoBankPlaces()},
        {"LARCH",
         39000000,
         49000000,
         {{39000000, 49000000}},
         false,
         896,
         0,
         {{119, 0, 256, -1}, {120, 256, 512, -1}, {512, 768, 128, -1}}},
    };
    return models;
}

void PutWord(std::vector<std::uint8_t>& out, std::size_t offset, unsigned value) {
    out[offset] = static_cast<std::uint8_t>(value & 0xFF);
    out[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void PutDoubleWord(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value) {
    PutWord(out, offset, value & 0xFFFF);
    PutWord(out, offset + 2, value >> 16);
}

}  // namespace

const SRadioModel* FindRadioModel(const std::string& id) {
    std::string upper = id;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const SRadioModel& model : Models())
        if (model.id == upper) return &model;
    return nullptr;
}

std::unique_ptr<CVirtualRadio> CVirtualRadio::Create(const SVirtualRadioOptions& options,
                                                     std::string& error) {
    const SRadioModel* model = FindRadioModel(options.model);
    if (!model) {
        error = "неизвестная модель радиостанции \"" + options.model +
                "\" (ALDER, BIRCH, CEDAR или LARCH)";
        return nullptr;
    }
    std::unique_ptr<CVirtualRadio> radio(new CVirtualRadio(options, *model));
    struct stat st {};
    if (!options.memoryFile.empty() && ::stat(options.memoryFile.c_str(), &st) == 0) {
        // A radio that was running before: its memory as it last was, nothing else.
        if (!radio->LoadMemory(error)) return nullptr;
        return radio;
    }
    if (!radio->SeedMemory(error)) return nullptr;
    if (!radio->SaveMemory(error)) return nullptr;
    return radio;
}

bool CVirtualRadio::SeedMemory(std::string& error) {
    if (options_.imageFile.empty()) {
        SeedBlank();
        if (!options_.blank) SeedDemo();
    } else {
        std::string bytes;
        int readError = 0;
        const fileio::EReadResult read =
            fileio::ReadWholeFile(options_.imageFile, bytes, fileio::kInputLimit, &readError);
        if (read != fileio::EReadResult::Read) {
            error = fileio::ReadProblemText(options_.imageFile, read, readError);
            return false;
        }
        const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
        if (image.size() != model_.imageSize) {
            error = "в файле образа \"" + options_.imageFile + "\" " +
                    std::to_string(image.size()) + " байт, а образ " + model_.id + " — " +
                    std::to_string(model_.imageSize);
            return false;
        }
        Seed(image);
    }
    if (options_.converter && model_.twoBanks) {
        // The converter byte belongs to the parameters, so both banks carry it.
        for (const std::uint16_t probe : {std::uint16_t{2}, std::uint16_t{6}})
            segments_[probe][kConverterByte] = static_cast<std::uint8_t>(*options_.converter);
    }
    return true;
}

void CVirtualRadio::NextFleetRadio() {
    if (fleetNumber_ >= options_.fleet) {
        gone_ = true;
        return;
    }
    ++fleetNumber_;
    ++options_.serial;
    for (const SSegmentPlace& place : model_.places)
        segments_[place.segment].assign(place.length, 0xFF);
    bankFlag_ = model_.twoBanks ? (options_.bank & 1) : 0;
    requestCount_ = 0;
    writtenThisSession_.clear();
    released_.reset();
    writeCompleted_ = false;
    readAfterWrite_ = false;
    std::string error;
    SeedMemory(error);  // it did for the first radio
}

namespace {

// The memory file: a tag, the bank flag, then each segment as its number (16 bits), its length
// (32 bits) and its bytes, little-endian.
constexpr char kMemoryTag[8] = {'T', 'S', 'L', 'M', 'E', 'M', '1', '\n'};

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t Le(const std::vector<std::uint8_t>& in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | in[at + static_cast<std::size_t>(i)];
    return value;
}

}  // namespace

bool CVirtualRadio::LoadMemory(std::string& error) {
    // Only a regular file of bounded size: a folder, a FIFO or /dev/zero there is refused at
    // once instead of hanging or throwing.
    std::string file;
    int readError = 0;
    const fileio::EReadResult read =
        fileio::ReadWholeFile(options_.memoryFile, file, fileio::kInputLimit, &readError);
    if (read != fileio::EReadResult::Read) {
        error =
            "память радиостанции: " + fileio::ReadProblemText(options_.memoryFile, read, readError);
        return false;
    }
    const std::vector<std::uint8_t> bytes(file.begin(), file.end());
    error = "файл памяти \"" + options_.memoryFile + "\" не память радиостанции " + model_.id;
    if (bytes.size() < sizeof kMemoryTag + 1 ||
        !std::equal(std::begin(kMemoryTag), std::end(kMemoryTag), bytes.begin()))
        return false;
    std::map<std::uint16_t, std::vector<std::uint8_t>> segments;
    std::size_t at = sizeof kMemoryTag;
    const int bank = bytes[at++];
    while (at < bytes.size()) {
        if (at + 6 > bytes.size()) return false;
        const auto number = static_cast<std::uint16_t>(Le(bytes, at, 2));
        const std::size_t length = Le(bytes, at + 2, 4);
        at += 6;
        const SSegmentPlace* place = Place(number);
        if (!place || place->length != length || at + length > bytes.size()) return false;
        segments[number].assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    if (segments.size() != segments_.size() || bank > 1) return false;
    segments_ = std::move(segments);
    bankFlag_ = model_.twoBanks ? bank : 0;
    error.clear();
    return true;
}

bool CVirtualRadio::SaveMemory(std::string& error) const {
    if (options_.memoryFile.empty()) return true;
    std::vector<std::uint8_t> bytes(std::begin(kMemoryTag), std::end(kMemoryTag));
    bytes.push_back(static_cast<std::uint8_t>(bankFlag_));
    for (const auto& [number, data] : segments_) {
        PutLe(bytes, number, 2);
        PutLe(bytes, static_cast<std::uint32_t>(data.size()), 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    // Written beside and renamed over: a radio killed at any moment leaves the old file or the
    // new one, never half of one.
    const fileio::SWriteResult written = fileio::ReplaceFile(
        options_.memoryFile,
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!written)
        error = "память радиостанции: " + fileio::WriteProblemText(options_.memoryFile, written);
    return static_cast<bool>(written);
}

bool CVirtualRadio::SaveMemory() const {
    std::string ignored;
    return SaveMemory(ignored);
}

CVirtualRadio::CVirtualRadio(const SVirtualRadioOptions& options, const SRadioModel& model)
    : options_(options), model_(model), deviceId_(options.deviceId.value_or(options.serial)) {
    if (!options_.ranges.empty()) model_.ranges = options_.ranges;
    bankFlag_ = model_.twoBanks ? (options_.bank & 1) : 0;
    for (const SSegmentPlace& place : model_.places)
        segments_[place.segment].assign(place.length, 0xFF);
}

void CVirtualRadio::Seed(std::span<const std::uint8_t> image) {
    // The same parameters in both banks: the radio was last written with this image.
    for (const SSegmentPlace& place : model_.places) {
        const auto part = image.subspan(place.offset, place.length);
        segments_[place.segment].assign(part.begin(), part.end());
    }
}

void CVirtualRadio::SeedBlank() {
    if (!model_.twoBanks) {
        segments_[119][0] = 0;  // no channels
        return;
    }
    for (const std::uint16_t probe : {std::uint16_t{2}, std::uint16_t{6}})
        segments_[probe][kConverterByte] = 0;
    // The factory ranges: the reported ranges, the last high edge repeated to fill eight.
    std::vector<int> edges;
    for (const SRange& range : model_.ranges) {
        edges.push_back(range.low);
        edges.push_back(range.high);
    }
    while (edges.size() < 8) edges.push_back(edges.empty() ? model_.maxHz : edges.back());
    std::vector<std::uint8_t>& factory = segments_[kFactorySegment];
    for (std::size_t k = 0; k < 8; ++k) {
        const long long code =
            (static_cast<long long>(edges[k]) - model_.factoryBaseHz) / kRangeStepHz;
        PutWord(factory, kFactoryRangesOffset + 2 * k,
                static_cast<unsigned>(std::clamp(code, 0LL, 0xFFFFLL)));
    }
}

void CVirtualRadio::SeedDemo() {
    const std::vector<std::uint8_t> image = DemoImage(model_.id);
    if (image.size() != model_.imageSize) return;
    // The factory segment keeps the reported ranges, and the probe segments the erased memory's
    // converter byte: the parameters alone come from the model.
    for (const SSegmentPlace& place : model_.places) {
        if (model_.twoBanks && place.bank < 0) continue;
        std::vector<std::uint8_t>& segment = segments_[place.segment];
        const std::uint8_t converter =
            segment.size() > kConverterByte ? segment[kConverterByte] : 0;
        segment.assign(image.begin() + static_cast<std::ptrdiff_t>(place.offset),
                       image.begin() + static_cast<std::ptrdiff_t>(place.offset + place.length));
        if (model_.twoBanks && (place.segment == 2 || place.segment == 6))
            segment[kConverterByte] = converter;
    }
}

const SSegmentPlace* CVirtualRadio::Place(std::uint16_t segment) const {
    const auto it =
        std::find_if(model_.places.begin(), model_.places.end(),
                     [segment](const SSegmentPlace& p) { return p.segment == segment; });
    return it == model_.places.end() ? nullptr : &*it;
}

std::string CVirtualRadio::ReportedModel() const {
    std::string fw = options_.fw.empty() ? model_.id : options_.fw;
    fw.resize(5, ' ');
    return fw;
}

std::uint32_t CVirtualRadio::DeviceId() const {
    return deviceId_;
}

void CVirtualRadio::ConnectionOpened() {
    const std::lock_guard lock(mutex_);
    writtenThisSession_.clear();
    released_.reset();
    faultThisConnection_ = false;
    completedThisConnection_ = false;
}

void CVirtualRadio::ConnectionClosed() {
    const std::lock_guard lock(mutex_);
    if (options_.fleet <= 1 || gone_) return;
    const bool done = readAfterWrite_ || (faultThisConnection_ && !completedThisConnection_);
    if (done) NextFleetRadio();
}

bool CVirtualRadio::InRange() const {
    const std::lock_guard lock(mutex_);
    return !gone_;
}

std::uint32_t CVirtualRadio::Serial() const {
    const std::lock_guard lock(mutex_);
    return options_.serial;
}

std::vector<std::uint8_t> CVirtualRadio::Identification(ELink link) const {
    const std::string fw = ReportedModel();
    int lowest = model_.ranges.empty() ? model_.minHz : model_.ranges.front().low;
    for (const SRange& range : model_.ranges) lowest = std::min(lowest, range.low);
    if (link == ELink::Irda) {
        // Base in 100 Hz, ranges in 12.5 kHz steps above it.
        const std::uint32_t base = static_cast<std::uint32_t>(std::max(lowest, 0) / 100);
        std::vector<std::uint8_t> reply(1 + 15 + 4 * model_.ranges.size() + 1, 0);
        reply[0] = kIdentify | kReplyBit;
        std::copy(fw.begin(), fw.end(), reply.begin() + 1);
        reply[1 + 6] = static_cast<std::uint8_t>(bankFlag_);
        PutDoubleWord(reply, 1 + 7, options_.serial);
        PutDoubleWord(reply, 1 + 11, base);
        for (std::size_t i = 0; i < model_.ranges.size(); ++i) {
            const long long lowCode = (model_.ranges[i].low - 100LL * base) / kRangeStepHz;
            const long long highCode = (model_.ranges[i].high - 100LL * base) / kRangeStepHz;
            PutWord(reply, 1 + 15 + 4 * i,
                    static_cast<unsigned>(std::clamp(lowCode, 0LL, 0xFFFFLL)));
            PutWord(reply, 1 + 17 + 4 * i,
                    static_cast<unsigned>(std::clamp(highCode, 0LL, 0xFFFFLL)));
        }
        return reply;
    }
    // Serial: frequencies in steps of StepHz; base and offsets in steps.
    std::vector<std::uint8_t> reply(124, 0);
    reply[0] = kIdentify;
    const std::string revision = "120";
    std::copy(revision.begin(), revision.end(), reply.begin() + 10);
    std::copy(fw.begin(), fw.end(), reply.begin() + 20);
    PutDoubleWord(reply, 25, options_.serial);
    reply[29] = static_cast<std::uint8_t>(bankFlag_);
    const int base = std::max(lowest, 0) / kRangeStepHz;
    PutWord(reply, 102, static_cast<unsigned>(base));
    PutWord(reply, 106, kRangeStepHz);
    for (std::size_t i = 0; i < 4 && i < model_.ranges.size(); ++i) {
        PutWord(reply, 108 + 4 * i,
                static_cast<unsigned>(model_.ranges[i].low / kRangeStepHz - base));
        PutWord(reply, 110 + 4 * i,
                static_cast<unsigned>(model_.ranges[i].high / kRangeStepHz - base));
    }
    return reply;
}

void CVirtualRadio::EndSession(ELink link) {
    if (model_.twoBanks) {
        // A complete write of the other bank, with the header of the bank in use named last
        // (the serial link names nothing), makes the written bank the one in use.
        const int other = 1 - bankFlag_;
        bool complete = true;
        for (const SSegmentPlace& place : model_.places)
            if (place.bank == other && !writtenThisSession_.count(place.segment)) complete = false;
        const std::uint16_t inUseHeader = bankFlag_ == 1 ? 256 : 512;
        const bool named = link == ELink::Serial || released_ == inUseHeader;
        if (complete && named) {
            bankFlag_ = other;
            writeCompleted_ = completedThisConnection_ = true;
        }
    } else if (!writtenThisSession_.empty()) {
        writeCompleted_ = completedThisConnection_ = true;
    }
    writtenThisSession_.clear();
    released_.reset();
}

std::optional<std::vector<std::uint8_t>> CVirtualRadio::Execute(
    std::span<const std::uint8_t> request, ELink link) {
    const std::uint8_t replyBit = link == ELink::Irda ? kReplyBit : 0;
    const std::uint8_t code = request[0];
    const std::uint16_t segment = SegmentOf(request);
    const auto echo = [&](std::uint8_t c) {
        return SegmentRequest(static_cast<std::uint8_t>(c | replyBit), segment);
    };
    switch (code) {
        case kIdentify:
            Log({code, 0, 0});
            if (link == ELink::Irda && request.size() >= 7) {
                std::copy_n(request.begin() + 1, 6, clock_.begin());
            } else {
                writtenThisSession_.clear();
                released_.reset();
            }
            return Identification(link);
        case kGetSegment: {
            if (request.size() < 4) return std::nullopt;
            Log({code, segment, 0});
            // The program's read-back is over with the last segment a read asks for.
            if (writeCompleted_ && !completedThisConnection_ &&
                segment == model_.places.back().segment)
                readAfterWrite_ = true;
            const auto it = segments_.find(segment);
            if (it == segments_.end()) return std::nullopt;
            std::vector<std::uint8_t> reply = echo(kGetSegment);
            reply.insert(reply.end(), it->second.begin(), it->second.end());
            return reply;
        }
        case kPutSegment: {
            if (request.size() < 4) return std::nullopt;
            const auto data = request.subspan(4);
            Log({code, segment, data.size()});
            const SSegmentPlace* place = Place(segment);
            // The factory segment is read-only; a write must fill the segment exactly.
            if (!place || segment == kFactorySegment || data.size() != place->length)
                return std::nullopt;
            segments_[segment].assign(data.begin(), data.end());
            writtenThisSession_.insert(segment);
            SaveMemory();
            return echo(kPutSegment);
        }
        case kReleaseSegment:
            if (request.size() < 4 || link != ELink::Irda) return std::nullopt;
            Log({code, segment, 0});
            released_ = segment;
            return echo(kReleaseSegment);
        case kEndSession:
            Log({code, 0, 0});
            EndSession(link);
            SaveMemory();
            if (link == ELink::Irda) return std::vector<std::uint8_t>{kEndSession | kReplyBit};
            return std::vector<std::uint8_t>{kEndSession, 0x00};
        default:
            return std::nullopt;
    }
}

void CVirtualRadio::Log(const SLoggedRequest& request) {
    log_.push_back(request);
    if (log_.size() > kRequestLogLimit) log_.pop_front();
}

std::optional<EFaultKind> CVirtualRadio::FaultFor(int request) const {
    const auto hits = [request](const SFault& fault) {
        return fault.request == 0 || fault.request == request;
    };
    for (const SFault& fault : options_.faults)
        if (hits(fault)) return fault.kind;
    for (const SFleetFault& fault : options_.fleetFaults)
        if (fault.radio == fleetNumber_ && hits(fault.fault)) return fault.fault.kind;
    return std::nullopt;
}

SReply CVirtualRadio::Handle(std::span<const std::uint8_t> request, ELink link) {
    const std::lock_guard lock(mutex_);
    SReply reply;
    const int number = ++requestCount_;
    const std::optional<EFaultKind> fault = FaultFor(number);
    // A late answer still comes: only a fault that fails the exchange ends the attempt.
    if (fault && *fault != EFaultKind::Late) faultThisConnection_ = true;
    if (request.empty() || fault == EFaultKind::Silent) {
        reply.silent = true;
        return reply;
    }
    auto payload = Execute(request, link);
    if (!payload || payload->empty()) {
        reply.silent = true;
        return reply;
    }
    reply.payload = std::move(*payload);
    switch (fault.value_or(EFaultKind::Silent)) {
        case EFaultKind::Late:
            reply.delay = options_.lateBy;
            break;
        case EFaultKind::Echo:
            // IrDA: the plain command code; serial: the code with the reply bit.
            reply.payload[0] ^= kReplyBit;
            break;
        case EFaultKind::Segment:
            if (reply.payload.size() >= 4) ++reply.payload[2];
            break;
        case EFaultKind::Check:
            reply.badCheck = true;
            break;
        case EFaultKind::Short:
            reply.payload.resize(reply.payload.size() / 2);
            break;
        case EFaultKind::Drop:
            reply.dropAfter = true;
            break;
        case EFaultKind::Lose:
            reply.payload.clear();
            reply.silent = true;
            break;
        case EFaultKind::Silent:
            break;
    }
    return reply;
}

int CVirtualRadio::BankFlag() const {
    const std::lock_guard lock(mutex_);
    return bankFlag_;
}

std::vector<std::uint8_t> CVirtualRadio::Image(int bank) const {
    const std::lock_guard lock(mutex_);
    if (bank < 0) bank = bankFlag_;
    std::vector<std::uint8_t> image(model_.imageSize, 0xFF);
    for (const SSegmentPlace& place : model_.places) {
        if (place.bank >= 0 && place.bank != bank) continue;
        const auto& bytes = segments_.at(place.segment);
        std::copy(bytes.begin(), bytes.end(),
                  image.begin() + static_cast<std::ptrdiff_t>(place.offset));
    }
    return image;
}

std::vector<std::uint8_t> CVirtualRadio::Segment(std::uint16_t segment) const {
    const std::lock_guard lock(mutex_);
    const auto it = segments_.find(segment);
    return it == segments_.end() ? std::vector<std::uint8_t>{} : it->second;
}

std::array<std::uint8_t, 6> CVirtualRadio::Clock() const {
    const std::lock_guard lock(mutex_);
    return clock_;
}

std::vector<SLoggedRequest> CVirtualRadio::Requests() const {
    const std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void CVirtualRadio::ClearRequests() {
    const std::lock_guard lock(mutex_);
    log_.clear();
}

}  // namespace sim
