// The Larch memory image: 896 bytes, the channel records from 0x008, the settings at 0x300.

#include <algorithm>
#include <functional>

#include "larch_test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Slice(const Bytes& image, std::size_t offset, std::size_t length) {
    return Bytes(image.begin() + static_cast<std::ptrdiff_t>(offset),
                 image.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

bool AllFF(const Bytes& image, std::size_t from, std::size_t to) {
    return std::all_of(image.begin() + static_cast<std::ptrdiff_t>(from),
                       image.begin() + static_cast<std::ptrdiff_t>(to),
                       [](std::uint8_t b) { return b == 0xFF; });
}

using ImageTest = LarchSetTest;

TEST_F(ImageTest, FreshSetWithChannelZeroOnly) {
    Canal(0).SetEnabled(true);
    const Bytes image = Encode();
    ASSERT_EQ(image.size(), 896u);
    EXPECT_EQ(image[0x000], 1);
    EXPECT_TRUE(AllFF(image, 0x001, 0x008));
    // Tone 1000 Hz in bits 4..15, transmit 39 MHz / 5 kHz = 7800, receive / 25 kHz = 1560.
    EXPECT_EQ(Slice(image, 0x008, 8), (Bytes{0x80, 0x3E, 0x78, 0x1E, 0x18, 0x06, 0x00, 0x00}));
    EXPECT_TRUE(AllFF(image, 0x010, 0x300));
}

TEST_F(ImageTest, SettingsOfAFreshSetSitAtTheirOffsets) {
    Canal(0).SetEnabled(true);
    const Bytes image = Encode();
    EXPECT_EQ(Slice(image, 0x300, 16), (Bytes{0x00, 0xFF, 0x00, 0x07, 0xFF, 0x02, 0x00, 0xFF, 0x0A,
                                              0x02, 0x05, 0x00, 0x0F, 0x03, 0xFF, 0x0A}));
    unsigned check = 0x0A;
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(image[0x30F + static_cast<std::size_t>(n)], data.Key(n)) << n;
        check += data.Key(n);
    }
    EXPECT_EQ(image[0x320], check & 0xFF);
    EXPECT_EQ(Slice(image, 0x321, 11),
              (Bytes{0x55, 0x00, 0x01, 0x50, 0x00, 0x03, 0x00, 0x05, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(AllFF(image, 0x32C, 0x380));
}

TEST_F(ImageTest, EachFlagHasItsOwnBit) {
    struct Flag {
        const char* name;
        std::function<void(CLarchData&, bool)> set;
        std::size_t offset;
        std::uint8_t mask;
    };
    const Flag flags[] = {
        {"VA_On", &CLarchData::SetVA_On, 0x308, 0x01},
        {"BlockHandOn", &CLarchData::SetBlockHandOn, 0x308, 0x02},
        {"SquelchOn", &CLarchData::SetSquelchOn, 0x308, 0x08},
        {"PriorScanning", &CLarchData::SetPriorScanning, 0x309, 0x01},
        {"StopOnCurrent", &CLarchData::SetStopOnCurrent, 0x309, 0x02},
        {"ShowFreq", &CLarchData::SetShowFreq, 0x30C, 0x01},
        {"Light", &CLarchData::SetLight, 0x30C, 0x02},
        {"BeepPress", &CLarchData::SetBeepPress, 0x30C, 0x04},
        {"SaveSet", &CLarchData::SetSaveSet, 0x30C, 0x08},
        {"PRG_IR", &CLarchData::SetPRG_IR, 0x30D, 0x01},
        {"PRG_Enabled", &CLarchData::SetPRG_Enabled, 0x30D, 0x02},
    };
    Canal(0).SetEnabled(true);
    for (const Flag& f : flags) f.set(data, false);
    for (const Flag& f : flags) {
        f.set(data, true);
        const Bytes image = Encode();
        for (std::size_t offset : {0x308, 0x309, 0x30C, 0x30D})
            EXPECT_EQ(image[offset], offset == f.offset ? f.mask : 0) << f.name << " " << offset;

        CLarch otherRadio;
        CLarchData decoded(otherRadio);
        Bytes copy = image;
        decoded.DecodeImage(copy);
        std::vector<std::uint8_t> again(896);
        decoded.EncodeImage(again);
        EXPECT_EQ(again, image) << f.name;
        f.set(data, false);
    }
}

TEST_F(ImageTest, ChannelRecordCarriesScanBlockToneFrequenciesAndCodes) {
    CLarchCanal& c = Canal(0);
    c.SetEnabled(true);
    c.SetScanning(true);
    c.SetBlockPRD(true);
    c.SetTone(3000);
    c.SetFRQ_PRM(49000000);
    c.SetFRQ_PRD(48000000);
    c.SetOne_CSS(false);
    c.SetCTCSS_PRM(50);
    c.SetCTCSS_PRD(1);
    data.SetModifikator(false);
    const Bytes image = Encode();
    // 3000 << 4 | 3 = 0xBB83; 48 MHz / 5 kHz = 9600; 49 MHz / 25 kHz = 1960.
    EXPECT_EQ(Slice(image, 0x008, 8), (Bytes{0x83, 0xBB, 0x80, 0x25, 0xA8, 0x07, 0x01, 0x32}));
    EXPECT_EQ(image[0x321], 0xEE);
}

TEST_F(ImageTest, ChannelsWithGapsArePackedInChannelOrder) {
    Canal(0).SetEnabled(true);
    Canal(5).SetEnabled(true);
    Canal(5).SetTone(2000);
    Canal(7).SetEnabled(true);
    Canal(7).SetTone(3000);
    Canal(7).SetScanning(true);
    Bytes image = Encode();
    EXPECT_EQ(image[0x000], 3);
    EXPECT_EQ(Slice(image, 0x008, 2), (Bytes{0x80, 0x3E}));
    EXPECT_EQ(Slice(image, 0x010, 2), (Bytes{0x00, 0x7D}));
    EXPECT_EQ(Slice(image, 0x018, 2), (Bytes{0x81, 0xBB}));
    EXPECT_TRUE(AllFF(image, 0x020, 0x300));

    // What the encoder writes is what the decoder finds.
    data.DecodeImage(image);
    EXPECT_EQ(data.EnabledCanalCount(), 3);
    EXPECT_EQ(Canal(1).Tone(), 2000);
    EXPECT_EQ(Canal(2).Tone(), 3000);
    EXPECT_TRUE(Canal(2).Scanning());
    EXPECT_FALSE(Canal(5).Enabled());
}

TEST_F(ImageTest, NoMoreThan95RecordsAndTheSettingsSurvive) {
    for (int i = 0; i < kLarchCanalCount; ++i) {
        Canal(i).SetEnabled(true);
        Canal(i).SetTone(500 + 10 * i);
    }
    data.SetCanalOnFirstPowerOn(0x42);
    const Bytes image = Encode();
    EXPECT_EQ(image[0x000], 95);
    // Record 94, the last that fits, ends at 0x2FF: 1440 Hz << 4 = 0x5A00.
    EXPECT_EQ(Slice(image, 0x2F8, 2), (Bytes{0x00, 0x5A}));
    EXPECT_EQ(Slice(image, 0x300, 2), (Bytes{0x42, 0xFF}));
}

TEST_F(ImageTest, DecodingTakesRecordsAndSettingsAsStored) {
    ASSERT_TRUE(Read("\r\nFR1=40000000\r\nFR2=41000000\r\n60Enabled=1\r\n"));
    Bytes image(896, 0xFF);
    image[0x000] = 2;
    const Bytes records = {0x83, 0x3E, 0x7A, 0x1E, 0x19, 0x06, 0x07, 0x09,   // split channel
                           0xF0, 0xFF, 0x40, 0x1F, 0x40, 0x06, 0x05, 0x05};  // tone 4095
    std::copy(records.begin(), records.end(), image.begin() + 0x008);
    const Bytes settings = {0x03, 0xFF, 0x01, 0x0A, 0xFF, 0x05, 0x02, 0xFF,
                            0x01, 0x01, 0x2C, 0x01, 0x05, 0x02, 0xFF, 0x0A};
    std::copy(settings.begin(), settings.end(), image.begin() + 0x300);
    for (int i = 0; i < 16; ++i) image[0x310 + static_cast<std::size_t>(i)] = 0x10 + i;
    image[0x320] = 0x00;  // a wrong check byte is not held against the image
    const Bytes tail = {0x12, 0x00, 0x04, 0x20, 0x00, 0x02, 0x00, 0xCF,
                        0xEE, 0xF1, 0xF2, 0x20, 0x31, 0x00, 0x41};  // "Пост 1"
    std::copy(tail.begin(), tail.end(), image.begin() + 0x321);

    notifications = 0;
    data.DecodeImage(image);
    EXPECT_EQ(notifications, 1);
    EXPECT_TRUE(data.IsModified());

    SLarchCanalState split;
    split.Enabled = true;
    split.Tone = 1000;
    split.Scanning = split.BlockPRD = true;
    split.FRQ_PRD = 39010000;
    split.FRQ_PRM = 39025000;
    split.CTCSS_PRD = 7;
    split.CTCSS_PRM = 9;
    split.One_FRQ = split.One_CSS = false;
    EXPECT_EQ(Canal(0).State(), split);
    SLarchCanalState coupled;
    coupled.Enabled = true;
    coupled.Tone = 4095;
    coupled.FRQ_PRD = coupled.FRQ_PRM = 40000000;
    coupled.CTCSS_PRD = coupled.CTCSS_PRM = 5;
    EXPECT_EQ(Canal(1).State(), coupled);
    EXPECT_FALSE(Canal(60).Enabled());
    EXPECT_EQ(data.ImageCanalCount(), 2);

    EXPECT_EQ(data.CanalOnFirstPowerOn(), 3);
    EXPECT_EQ(data.ServiceCanal(), 1);
    EXPECT_EQ(data.VolumeLevel(), 10);
    EXPECT_EQ(data.SquelchLevel(), 5);
    EXPECT_EQ(data.Power(), 2);
    EXPECT_EQ(data.DelayScanning(), 300);
    // VA_On, BlockHandOn, SquelchOn, PriorScanning, StopOnCurrent, ShowFreq, Light, BeepPress,
    // SaveSet, PRG_IR, PRG_Enabled.
    EXPECT_EQ(
        (std::vector<bool>{data.VA_On(), data.BlockHandOn(), data.SquelchOn(), data.PriorScanning(),
                           data.StopOnCurrent(), data.ShowFreq(), data.Light(), data.BeepPress(),
                           data.SaveSet(), data.PRG_IR(), data.PRG_Enabled()}),
        (std::vector<bool>{true, false, false, true, false, true, false, true, false, false,
                           true}));
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(data.Key(n), 0x0F + n);
    EXPECT_FALSE(data.Modifikator());
    EXPECT_EQ(data.VA_Hi(), 1024);
    EXPECT_EQ(data.VA_Lo(), 32);
    EXPECT_EQ(data.VA_Pause(), 2);
    EXPECT_EQ(data.Notes(), "Пост 1");
    // The ranges are not in the image.
    EXPECT_EQ(data.RangeText(), "40-41 МГц");
}

TEST_F(ImageTest, UntrustedCountNeverReachesIntoTheSettings) {
    Bytes image(896, 0xFF);
    image[0x000] = 0xFF;
    for (std::size_t i = 0x300; i < 0x380; ++i) image[i] = 0x41;
    data.DecodeImage(image);
    EXPECT_EQ(data.ImageCanalCount(), 95);
    EXPECT_EQ(data.EnabledCanalCount(), 95);
    EXPECT_TRUE(Canal(94).Enabled());
    EXPECT_EQ(Canal(95).State(), SLarchCanalState{});
    // Notes stop after 50 bytes when no zero byte ends them.
    EXPECT_EQ(data.Notes(), std::string(50, 'A'));
}

TEST_F(ImageTest, EncodeThenDecodeIsLosslessApartFromTheNotesPlace) {
    for (int i = 0; i < 4; ++i) Canal(i).SetEnabled(true);
    Canal(1).SetFRQ_PRM(45525000);
    Canal(1).SetFRQ_PRD(41000000);
    Canal(2).SetOne_CSS(false);
    Canal(2).SetCTCSS_PRM(14);
    Canal(2).SetCTCSS_PRD(33);
    Canal(2).SetTone(2222);
    Canal(3).SetScanning(true);
    Canal(3).SetBlockPRD(true);
    Canal(3).SetCTCSS_PRM(50);
    data.SetCanalOnFirstPowerOn(3);
    data.SetServiceCanal(2);
    data.SetVolumeLevel(9);
    data.SetSquelchLevel(7);
    data.SetPower(4);
    data.SetDelayScanning(1000);
    for (int n = 1; n <= 16; ++n) data.SetKey(n, static_cast<std::uint8_t>(255 - n));
    data.SetVA_On(true);
    data.SetVA_Hi(3072);
    data.SetVA_Lo(64);
    data.SetVA_Pause(4);
    data.SetNotes("not in the image");
    Bytes image = Encode();
    const Bytes original = image;

    CLarch otherRadio;
    CLarchData copy(otherRadio);
    copy.DecodeImage(image);
    for (int i = 0; i < kLarchCanalCount; ++i)
        EXPECT_EQ(copy.LarchCanal(i).State(), Canal(i).State()) << i;
    SLarchSettings expected = data.Settings();
    expected.ImageCanalCount = 4;
    expected.Notes = "\x05";  // the notes are read from where the encoder writes 05 00 00 00
    EXPECT_EQ(copy.Settings(), expected);

    Bytes again(896, 0);
    copy.EncodeImage(again);
    EXPECT_EQ(again, original);
}

}  // namespace
