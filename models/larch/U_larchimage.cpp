// The Larch memory image: the channel count, the packed channel records, then the settings.
#include "U_larchware.h"

#include <algorithm>

#include "U_codepage.h"
#include "U_imagebytes.h"

// Byte and flag access of the image.
using namespace models;

namespace {

// The memory image: the channel count, the channel records, then the settings.
struct LarchOffset {
    static constexpr std::size_t kCanalCount = 0x000;
    static constexpr std::size_t kFirstRecord = 0x008;
    static constexpr std::size_t kRecordSize = 8;
    static constexpr std::size_t kCanalOnFirstPowerOn = 0x300;
    static constexpr std::size_t kServiceCanal = 0x302;
    static constexpr std::size_t kVolumeLevel = 0x303;
    static constexpr std::size_t kSquelchLevel = 0x305;
    static constexpr std::size_t kPower = 0x306;
    static constexpr std::size_t kVoiceFlags = 0x308;
    static constexpr std::size_t kScanFlags = 0x309;
    static constexpr std::size_t kDelayScanning = 0x30A;
    static constexpr std::size_t kDisplayFlags = 0x30C;
    static constexpr std::size_t kProgrammingFlags = 0x30D;
    static constexpr std::size_t kKeyStart = 0x30F;
    static constexpr std::size_t kKeys = 0x310;
    static constexpr std::size_t kKeyCheck = 0x320;
    static constexpr std::size_t kModifikator = 0x321;
    static constexpr std::size_t kVA_Hi = 0x322;
    static constexpr std::size_t kVA_Lo = 0x324;
    static constexpr std::size_t kVA_Pause = 0x326;
    static constexpr std::size_t kNotes = 0x328;

    static constexpr std::size_t Record(int slot) {
        return kFirstRecord + kRecordSize * static_cast<std::size_t>(slot);
    }
};
static_assert(LarchOffset::Record(kLarchMaxWorkingCanals) == LarchOffset::kCanalOnFirstPowerOn,
              "the last record must end where the settings begin");

// The settings of the flag bytes, bit by bit.
using SFlag = TFlagBit<SLarchSettings>;
using S = SLarchSettings;
constexpr SFlag kVoiceFlags[] = {{&S::VA_On, 0}, {&S::BlockHandOn, 1}, {&S::SquelchOn, 3}};
constexpr SFlag kScanFlags[] = {{&S::PriorScanning, 0}, {&S::StopOnCurrent, 1}};
constexpr SFlag kDisplayFlags[] = {
    {&S::ShowFreq, 0}, {&S::Light, 1}, {&S::BeepPress, 2}, {&S::SaveSet, 3}};
constexpr SFlag kProgrammingFlags[] = {{&S::PRG_IR, 0}, {&S::PRG_Enabled, 1}};
// Bits of a channel record's first word; the call tone fills bits 4..15.
constexpr unsigned kScanningBit = 0, kBlockPRDBit = 1, kToneShift = 4;

constexpr unsigned kKeyStartValue = 0x0A;
constexpr unsigned kModifikatorOn = 0x55, kModifikatorOff = 0xEE;
// What the radio keeps after the voice-activation words; the notes are read from here.
constexpr std::uint8_t kTrailer[4] = {0x05, 0x00, 0x00, 0x00};
constexpr std::size_t kMaxNotesBytes = 50;

// Frequency units of a channel record.
constexpr int kPrdUnit = 5000;
constexpr int kPrmUnit = 25000;
// The record keeps no step: a channel from the radio is a 25 kHz one.
constexpr int kRecordStep = 25000;

}  // namespace

// ---------------------------------------------------------------------------------------------
// A channel record

void CLarchCanal::EncodeCanal(std::span<std::uint8_t> record) const {
    if (!state_.Enabled || record.size() < LarchOffset::kRecordSize) return;
    const unsigned word = Bit(state_.Scanning, kScanningBit) | Bit(state_.BlockPRD, kBlockPRDBit) |
                          ((static_cast<unsigned>(state_.Tone) & 0xFFF) << kToneShift);
    PutWord(record, 0, word);
    // The radio keeps the transmit frequency in 5 kHz and the receive frequency in 25 kHz
    // units; a finer remainder is lost.
    PutWord(record, 2, static_cast<unsigned>(state_.FRQ_PRD / kPrdUnit));
    PutWord(record, 4, static_cast<unsigned>(state_.FRQ_PRM / kPrmUnit));
    PutByte(record, 6, static_cast<unsigned>(state_.CTCSS_PRD));
    PutByte(record, 7, static_cast<unsigned>(state_.CTCSS_PRM));
}

void CLarchCanal::DecodeCanal(std::span<const std::uint8_t> record) {
    if (record.size() < LarchOffset::kRecordSize) return;
    const unsigned word = GetWord(record, 0);
    SLarchCanalState state;
    state.Enabled = true;
    state.FRQ_Step = kRecordStep;
    state.FRQ_PRD = GetWord(record, 2) * kPrdUnit;
    state.FRQ_PRM = GetWord(record, 4) * kPrmUnit;
    state.Tone = static_cast<int>(word >> kToneShift);
    state.CTCSS_PRD = GetByte(record, 6);
    state.CTCSS_PRM = GetByte(record, 7);
    state.Scanning = HasBit(word, kScanningBit);
    state.BlockPRD = HasBit(word, kBlockPRDBit);
    // The record has no coupling flags. Taking them from equality keeps a split channel split:
    // a set coupling would let the next save and open put the receive values over the
    // transmit ones.
    state.One_FRQ = state.FRQ_PRM == state.FRQ_PRD;
    state.One_CSS = state.CTCSS_PRM == state.CTCSS_PRD;
    state_ = state;
}

// ---------------------------------------------------------------------------------------------
// The image

void CLarchData::EncodeImage(std::span<std::uint8_t> image) {
    if (image.size() < kLarchImageSize) return;
    std::fill(image.begin(), image.end(), std::uint8_t{0xFF});

    // The radio reads its working channels as one run of records from the first; channels
    // that come with gaps (from a file) are packed in channel order, and no record may reach
    // into the settings.
    int slot = 0;
    for (const auto& canal : canals_) {
        if (!canal->Enabled()) continue;
        if (slot == kLarchMaxWorkingCanals) break;
        canal->EncodeCanal(image.subspan(LarchOffset::Record(slot), LarchOffset::kRecordSize));
        ++slot;
    }
    PutByte(image, LarchOffset::kCanalCount, static_cast<unsigned>(slot));

    const SLarchSettings& s = settings_;
    PutByte(image, LarchOffset::kCanalOnFirstPowerOn, static_cast<unsigned>(s.CanalOnFirstPowerOn));
    PutByte(image, LarchOffset::kServiceCanal, static_cast<unsigned>(s.ServiceCanal));
    PutByte(image, LarchOffset::kVolumeLevel, static_cast<unsigned>(s.VolumeLevel));
    PutByte(image, LarchOffset::kSquelchLevel, static_cast<unsigned>(s.SquelchLevel));
    PutByte(image, LarchOffset::kPower, static_cast<unsigned>(s.Power));
    PutByte(image, LarchOffset::kVoiceFlags, FlagBits(s, kVoiceFlags));
    PutByte(image, LarchOffset::kScanFlags, FlagBits(s, kScanFlags));
    PutWord(image, LarchOffset::kDelayScanning, static_cast<unsigned>(s.DelayScanning));
    PutByte(image, LarchOffset::kDisplayFlags, FlagBits(s, kDisplayFlags));
    PutByte(image, LarchOffset::kProgrammingFlags, FlagBits(s, kProgrammingFlags));
    PutByte(image, LarchOffset::kKeyStart, kKeyStartValue);
    unsigned check = kKeyStartValue;
    for (std::size_t i = 0; i < s.Keys.size(); ++i) {
        PutByte(image, LarchOffset::kKeys + i, s.Keys[i]);
        check += s.Keys[i];
    }
    PutByte(image, LarchOffset::kKeyCheck, check & 0xFF);
    PutByte(image, LarchOffset::kModifikator, s.Modifikator ? kModifikatorOn : kModifikatorOff);
    PutWord(image, LarchOffset::kVA_Hi, static_cast<unsigned>(s.VA_Hi));
    PutWord(image, LarchOffset::kVA_Lo, static_cast<unsigned>(s.VA_Lo));
    PutWord(image, LarchOffset::kVA_Pause, static_cast<unsigned>(s.VA_Pause));
    std::copy(std::begin(kTrailer), std::end(kTrailer),
              image.begin() + static_cast<std::ptrdiff_t>(LarchOffset::kNotes));
}

void CLarchData::DecodeImage(std::span<std::uint8_t> image) {
    if (image.size() < kLarchImageSize) return;
    const std::span<const std::uint8_t> in = image;

    for (const auto& canal : canals_) canal->ResetToDefaults();
    // The count comes from the radio's memory: never more records than fit before the settings.
    const int count = std::min<int>(GetByte(in, LarchOffset::kCanalCount), kLarchMaxWorkingCanals);
    for (int slot = 0; slot < count; ++slot)
        LarchCanal(slot).DecodeCanal(
            in.subspan(LarchOffset::Record(slot), LarchOffset::kRecordSize));

    SLarchSettings& s = settings_;
    s.ImageCanalCount = count;
    s.CanalOnFirstPowerOn = GetByte(in, LarchOffset::kCanalOnFirstPowerOn);
    s.ServiceCanal = GetByte(in, LarchOffset::kServiceCanal);
    s.VolumeLevel = GetByte(in, LarchOffset::kVolumeLevel);
    s.SquelchLevel = GetByte(in, LarchOffset::kSquelchLevel);
    s.Power = GetByte(in, LarchOffset::kPower);
    TakeFlagBits(GetByte(in, LarchOffset::kVoiceFlags), s, kVoiceFlags);
    TakeFlagBits(GetByte(in, LarchOffset::kScanFlags), s, kScanFlags);
    s.DelayScanning = GetWord(in, LarchOffset::kDelayScanning);
    TakeFlagBits(GetByte(in, LarchOffset::kDisplayFlags), s, kDisplayFlags);
    TakeFlagBits(GetByte(in, LarchOffset::kProgrammingFlags), s, kProgrammingFlags);
    for (std::size_t i = 0; i < s.Keys.size(); ++i) s.Keys[i] = GetByte(in, LarchOffset::kKeys + i);
    s.Modifikator = GetByte(in, LarchOffset::kModifikator) == kModifikatorOn;
    s.VA_Hi = GetWord(in, LarchOffset::kVA_Hi);
    s.VA_Lo = GetWord(in, LarchOffset::kVA_Lo);
    s.VA_Pause = GetWord(in, LarchOffset::kVA_Pause);

    std::string notes;
    for (std::size_t i = 0; i < kMaxNotesBytes; ++i) {
        const std::uint8_t byte = GetByte(in, LarchOffset::kNotes + i);
        if (byte == 0) break;
        notes += static_cast<char>(byte);
    }
    s.Notes = Cp1251ToUtf8(notes);
    SetModified();
}
