#include "U_exchange.h"

bool CRadioQualifier::Qualification(void* link) {
    auto* socket = static_cast<IRadioSocket*>(link);
    if (!socket) return false;
    const IRadioInfo* info = socket->GetInfo();
    if (!info || info->FW() != module_.Description()) return false;
    if (info->RangeEdge(0, 0) < radio_.MinFrequency() ||
        info->RangeEdge(info->RangeCount() - 1, 1) > radio_.MaxFrequency())
        return false;
    std::vector<std::uint8_t> probe(ProbeLength());
    if (!socket->GetSegment(ProbeSegment(info->BankFlag()), probe)) return false;
    // The serial number and the parameter set are taken before the model's own rule, so a
    // radio that the rule rejects has still left them behind.
    radio_.SetSerialNumber(info->SN());
    return ApplyConverterRule(probe, module_.EnsureData());
}

bool ConverterCodeFromProbe(std::span<const std::uint8_t> probe, int& code) {
    constexpr std::size_t kConverterByte = 64;
    if (probe.size() <= kConverterByte) return false;
    switch (const int value = probe[kConverterByte]) {
        case 0:
        case 1:
        case 2:
            code = value;
            return true;
        case 7:
            code = 5;
            return true;
        default:
            return false;
    }
}

CRadioRW::CRadioRW(CRadio& radio, IRadioSocket& link, std::size_t imageSize)
    : image_(imageSize, 0xFF), radio_(radio), link_(link) {}

void CRadioRW::BeginRead() {
    step_ = 0;
    reading_ = true;
    failed_ = false;
    decoded_ = false;
    radio_.SetConverterType(-1);
}

void CRadioRW::BeginWrite() {
    step_ = 0;
    reading_ = false;
    failed_ = false;
    if (CRadioData* data = radio_.ModelData()) data->EncodeImage(image_);
    link_.SetClock();  // the radio keeps its clock whether or not this is acknowledged
}

bool CRadioRW::IsDone() {
    if (step_ != StepCount()) return false;
    // The image replaces the parameters only after every segment arrived.
    if (reading_ && !decoded_ && !failed_) {
        decoded_ = true;
        radio_.SetFileName("");
        if (CRadioData* data = radio_.ModelData()) data->DecodeImage(image_);
    }
    return true;
}

bool CRadioRW::Step() {
    const IRadioInfo* info = link_.GetInfo();
    const int bankFlag = info ? info->BankFlag() : 0;
    ++step_;
    if (step_ > StepCount()) return false;
    const SExchangeStep step = StepAt(reading_, bankFlag, step_);
    const std::span<std::uint8_t> part = std::span(image_).subspan(step.offset, step.length);
    bool ok = false;
    switch (step.action) {
        case SExchangeStep::Action::Get:
            ok = link_.GetSegment(step.segment, part);
            break;
        case SExchangeStep::Action::Put:
            ok = link_.PutSegment(step.segment, part);
            break;
        case SExchangeStep::Action::PutThenEnd:
            ok = link_.PutSegment(step.segment, part) && link_.EndSession();
            break;
        case SExchangeStep::Action::ReleaseThenEnd:
            ok = link_.ReleaseSegment(step.segment) && link_.EndSession();
            break;
    }
    progress_ = step.progress;
    if (!ok) failed_ = true;
    return ok;
}

namespace {

constexpr std::uint16_t kHeaderSegment[2] = {512, 256};
constexpr std::uint16_t kDataSegments[2][4] = {{5, 4, 3, 2}, {9, 8, 7, 6}};
constexpr std::uint16_t kFactorySegment = 1;
constexpr std::size_t kHeaderLength = 128;
constexpr std::size_t kDataLength = 512;
constexpr int kReadProgress[6] = {5, 24, 43, 62, 81, 100};
constexpr int kWriteProgress[6] = {6, 29, 53, 76, 100, 100};

}  // namespace

SExchangeStep CTwoBankRW::StepAt(bool reading, int bankFlag, int step) const {
    using Action = SExchangeStep::Action;
    const int inUse = bankFlag & 1;
    const int bank = reading ? inUse : 1 - inUse;
    const int progress = reading ? kReadProgress[step - 1] : kWriteProgress[step - 1];
    if (step == 1)
        return {reading ? Action::Get : Action::Put, kHeaderSegment[bank], 0, kHeaderLength,
                progress};
    if (step <= 5) {
        const std::size_t offset = kHeaderLength + kDataLength * static_cast<std::size_t>(step - 2);
        return {reading ? Action::Get : Action::Put, kDataSegments[bank][step - 2], offset,
                kDataLength, progress};
    }
    if (reading)
        return {Action::Get, kFactorySegment, kHeaderLength + 4 * kDataLength, kDataLength,
                progress};
    // Naming the header of the bank in use is what makes the radio take the new bank.
    return {Action::ReleaseThenEnd, kHeaderSegment[inUse], 0, 0, progress};
}

SExchangeStep CThreeSegmentRW::StepAt(bool reading, int /*bankFlag*/, int step) const {
    using Action = SExchangeStep::Action;
    struct Part {
        std::uint16_t segment;
        std::size_t offset, length;
        int readProgress, writeProgress;
    };
    static constexpr Part kParts[3] = {
        {119, 0, 256, 20, 30}, {120, 256, 512, 55, 65}, {512, 768, 128, 95, 99}};
    const Part& part = kParts[step - 1];
    if (reading) return {Action::Get, part.segment, part.offset, part.length, part.readProgress};
    return {step == 3 ? Action::PutThenEnd : Action::Put, part.segment, part.offset, part.length,
            part.writeProgress};
}
