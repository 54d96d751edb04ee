// The Alder memory image: byte layout of the header, channel slots and settings block, the
// decoding rules, and lossless round trips.

#include <gtest/gtest.h>

#include <cstdlib>

#include "U_alderware.h"
#include "test_support.h"

namespace {

constexpr std::size_t kSlot0 = 0x080;
std::size_t Slot(int i) {
    return kSlot0 + 16 * static_cast<std::size_t>(i);
}

class AlderImage : public ::testing::Test {
  protected:
    AlderImage() { setenv("TESSEL_PROGRAMMING_DATE", "2024-03-09", 1); }
    ~AlderImage() override { unsetenv("TESSEL_PROGRAMMING_DATE"); }

    // An image as a fresh radio might hold it: all slots empty, the factory ranges at 0x8A4.
    static std::vector<std::uint8_t> RadioImage() {
        std::vector<std::uint8_t> image(2688, 0xFF);
        const unsigned codes[8] = {0, 320, 1600, 2320, 2320, 2320, 2320, 2320};
        for (std::size_t k = 0; k < 8; ++k) {
            image[0x8A4 + 2 * k] = codes[k] & 0xFF;
            image[0x8A5 + 2 * k] = codes[k] >> 8;
        }
        return image;
    }
    static void PutSlot(std::vector<std::uint8_t>& image, int i, std::initializer_list<int> bytes) {
        std::size_t at = Slot(i);
        for (int b : bytes) image[at++] = static_cast<std::uint8_t>(b);
    }

    CAlder radio;
    CAlderData data{radio};
};

TEST_F(AlderImage, FreshSetWithChannelZeroEnabled) {
    data.Canal(0)->SetEnabled(true);
    const std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(Slice(image, Slot(0), 16), Bytes({0x40, 0x84, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    for (int i = 1; i < 100; ++i)
        EXPECT_EQ(Slice(image, Slot(i), 16), std::vector<std::uint8_t>(16, 0xFF)) << i;
    EXPECT_EQ(image[0x02], 0x00);
    EXPECT_EQ(Slice(image, 0x14, 2), Bytes({0x00, 0x00}));
}

TEST_F(AlderImage, HeaderOfAFreshSet) {
    data.Canal(1)->SetEnabled(true);
    data.Canal(0)->SetEnabled(true);
    const std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(Slice(image, 0x00, 0x14), Bytes({0x00,
                                               0x00,
                                               0x01,
                                               0x00,  // start channel 1: it is enabled
                                               0x00,
                                               0x10,  // flag word A: squelch on
                                               0x10 * 0 | 0x00,
                                               0x54,  // flag word B: Light, PRG_IR, BeepPress
                                               0x00,
                                               0x01,
                                               0x02,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0}));
    EXPECT_EQ(WordAt(image, 0x14), 0u) << "no priority channel: the lowest enabled one";
    EXPECT_EQ(WordAt(image, 0x16), 1450u);
    EXPECT_EQ(image[0x18], 2) << "squelch 3 is level 2";
    EXPECT_EQ(image[0x19], 0x01);
    EXPECT_EQ(WordAt(image, 0x1A), 256u);
    EXPECT_EQ(WordAt(image, 0x1C), 80u);
    EXPECT_EQ(WordAt(image, 0x1E), 192u);
    EXPECT_EQ(WordAt(image, 0x20), 0x0800u) << "StopOnCurrent";
    EXPECT_EQ(image[0x22], 0xFF);
    EXPECT_EQ(image[0x23], 60);
    EXPECT_EQ(image[0x24], 0xFF);
    // Clone permissions, OffClock/OffBat/OffTemp off, Econom off.
    EXPECT_EQ(image[0x25], 0x01 | 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x80);
    // VA_BlockKB, the model bit 1, BeepBat.
    EXPECT_EQ(image[0x26], 0x01 | 0x02 | 0x08);
    for (std::size_t at = 0x27; at < 0x80; ++at) EXPECT_EQ(image[at], 0xFF) << at;
}

TEST_F(AlderImage, SettingsBlockOfAFreshSet) {
    data.Canal(0)->SetEnabled(true);
    const std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(Slice(image, 0x6C0, 4), Bytes({0x03, 5, 60, 5}));
    EXPECT_EQ(WordAt(image, 0x6C4), 1010u);
    EXPECT_EQ(WordAt(image, 0x6C6), 3142u);
    EXPECT_EQ(WordAt(image, 0x6C8), 1010u);
    EXPECT_EQ(WordAt(image, 0x6CA), 2383u);
    EXPECT_EQ(Slice(image, 0x6CC, 6), Bytes({0, 0, 0, 0, 6, 6}));
    EXPECT_EQ(image[0x6D2], 0xFF) << "an empty number is only its end mark";
    EXPECT_EQ(image[0x6E4], 20);
    EXPECT_EQ(image[0x6E5], 0xFF);
    EXPECT_EQ(WordAt(image, 0x6E6), 120u);
    EXPECT_EQ(WordAt(image, 0x6E8), 180u);
    EXPECT_EQ(image[0x6EA], 0x0A);
    unsigned sum = 0x0A;
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(image[0x6EB + i], CAlderData::kDefaultKey[i]);
        sum += CAlderData::kDefaultKey[i];
    }
    EXPECT_EQ(image[0x6FB], sum % 256);
    EXPECT_EQ(image[0x6FC], 0x55);
    EXPECT_EQ(Slice(image, 0x6FD, 3), Bytes({0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(image[0x700], '$');
    EXPECT_EQ(image[0x701], 0xFF);
    EXPECT_EQ(Slice(image, 0x77A, 6), Bytes({0, 0, 9, 3, 0xE8, 0x07}));
    for (std::size_t at = 0x780; at < 2688; ++at) ASSERT_EQ(image[at], 0xFF) << at;
}

TEST_F(AlderImage, ChannelCodesFlagsAndTones) {
    CAlderCanal& canal = *data.Canal(3);
    canal.SetEnabled(true);
    canal.SetFRQ_PRM(174000000);
    canal.SetFRQ_PRD(145012500);
    canal.SetCSS_PRM(52);
    canal.SetCSS_PRD(51);
    canal.SetScanning(true);
    canal.SetBlockPRDIfBusy(true);
    canal.SetLimitPRDOnTime(false);
    const std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(Slice(image, Slot(3), 8), Bytes({0x00, 0x82, 0x01, 0x00, 0x10, 0x09, 52, 51}));
    EXPECT_EQ(image[0x02], 3);
    EXPECT_EQ(WordAt(image, 0x14), 3u) << "the scanning channel became the priority channel";
}

TEST_F(AlderImage, SquelchPauseModifierAndDtmfBytes) {
    data.Canal(0)->SetEnabled(true);
    data.SetSquelch(0);
    std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(WordAt(image, 0x04) & 0x1000, 0u);
    EXPECT_EQ(image[0x18], 0x00);
    data.SetSquelch(8);
    data.SetVA_Pause(4);
    data.SetModifikator(false);
    data.SetDTMF_Number("12*#");
    image = Encode(data);
    EXPECT_EQ(WordAt(image, 0x04) & 0x1000, 0x1000u);
    EXPECT_EQ(image[0x18], 0x07);
    EXPECT_EQ(WordAt(image, 0x1E), 254u);
    EXPECT_EQ(image[0x6FC], 0xEE);
    EXPECT_EQ(Slice(image, 0x6D2, 6), Bytes({0x01, 0x02, 0x0E, 0x0F, 0xFF, 0xFF}));

    data.DecodeImage(image);
    EXPECT_EQ(data.Squelch(), 8);
    EXPECT_EQ(data.VA_Pause(), 4);
    EXPECT_FALSE(data.Modifikator());
    EXPECT_EQ(data.DTMF_Number(), "12EF");
}

TEST_F(AlderImage, LongDtmfNumbersAndCharactersWithoutCode) {
    data.Canal(0)->SetEnabled(true);
    data.SetDTMF_Number("1x2345678901234567890");
    std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(Slice(image, 0x6D2, 3), Bytes({0x01, 0xFF, 0x02}));
    EXPECT_EQ(image[0x6E1], 5) << "the 16th character";
    EXPECT_EQ(image[0x6E2], 0xFF) << "the end mark after 16 characters";
    EXPECT_EQ(image[0x6E3], 0xFF);
    EXPECT_EQ(image[0x6E4], 20) << "DTMF_Time is not overrun";
    data.DecodeImage(image);
    EXPECT_EQ(data.DTMF_Number(), "1") << "the gap left by x ends the number";
}

// The number is Windows-1251 text in the radio: a Cyrillic letter is one character, so one
// position, and as it has no code its byte stays 0xFF.
TEST_F(AlderImage, ACyrillicDtmfCharacterTakesOnePosition) {
    data.Canal(0)->SetEnabled(true);
    data.SetDTMF_Number("Ж1*#");
    const std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(Slice(image, 0x6D2, 6), Bytes({0xFF, 0x01, 0x0E, 0x0F, 0xFF, 0xFF}));
    data.SetDTMF_Number("ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ12");
    EXPECT_EQ(Slice(Encode(data), 0x6E1, 4), Bytes({0x01, 0xFF, 0xFF, 20}))
        << "the 16th character, the end mark, DTMF_Time untouched";
}

TEST_F(AlderImage, DecodingReadsFieldsAsStored) {
    std::vector<std::uint8_t> image = RadioImage();
    PutSlot(image, 0, {0x40, 0x84, 0, 0, 0, 0, 0, 0});
    image[0x08] = 7;                         // power other than 0 and 1
    image[0x14] = 0x00, image[0x15] = 0x01;  // priority 256: names no channel
    image[0x04] = 0x00, image[0x05] = 0x00;  // squelch off ...
    image[0x18] = 0xFF;                      // ... whatever the level says
    image[0x1E] = 65, image[0x1F] = 0;       // rounded up: 2
    image[0x25] = 0x00;                      // every inverted flag on
    image[0x26] = 0x20;                      // RadioFlagB; SaveSet on
    image[0x6FC] = 0x54;
    const char text[] = "\xCF\xF0\xE8\xE2\xE5\xF2$rest";
    std::copy(std::begin(text), std::end(text) - 1, image.begin() + 0x700);
    data.DecodeImage(image);
    EXPECT_EQ(data.Power(), 1);
    EXPECT_EQ(data.PriorCanal(), -1);
    EXPECT_EQ(data.Squelch(), 0);
    EXPECT_EQ(data.VA_Pause(), 2);
    EXPECT_EQ(data.Tone(), 65535) << "taken as stored";
    // OffClock, OffBat, OffTemp, Econom, PRG_ActiveClone, RadioFlagB, SaveSet, Modifikator.
    EXPECT_EQ((std::vector<bool>{data.OffClock(), data.OffBat(), data.OffTemp(), data.Econom(),
                                 data.PRG_ActiveClone(), data.RadioFlagB(), data.SaveSet(),
                                 data.Modifikator()}),
              (std::vector<bool>{true, true, true, true, false, true, true, false}));
    EXPECT_EQ(data.RadioText(), "Привет");
    EXPECT_EQ(data.EconomT1(), 0xFFFF);
}

// An erased radio stores user tones of 0 Hz (or 6553.5 Hz): the tenths go back as stored, the
// generator words are those of the nearest tone the radio makes.
TEST_F(AlderImage, UserTonesOutsideTheGeneratorRangeGetTheNearestEdgesWords) {
    CAlder edgeRadio;
    CAlderData edge{edgeRadio};
    edge.Canal(0)->SetEnabled(true);
    struct SCase {
        unsigned storedTenths;
        double edgeTone;
    };
    for (const SCase c : {SCase{0, 67.0}, SCase{65535, 254.9}}) {
        std::vector<std::uint8_t> image = RadioImage();
        PutSlot(image, 0, {0x40, 0x84, 0, 0, 0, 0, 0, 0});
        for (std::size_t at : {0x6C4, 0x6C8}) {
            image[at] = c.storedTenths & 0xFF;
            image[at + 1] = c.storedTenths >> 8;
        }
        data.DecodeImage(image);
        edge.SetCTCSS_PRM(c.edgeTone);
        edge.SetCTCSS_PRD(c.edgeTone);
        const std::vector<std::uint8_t> written = Encode(data), expected = Encode(edge);
        EXPECT_EQ(WordAt(written, 0x6C4), c.storedTenths);
        EXPECT_EQ(WordAt(written, 0x6C8), c.storedTenths);
        EXPECT_EQ(WordAt(written, 0x6C6), WordAt(expected, 0x6C6)) << c.storedTenths;
        EXPECT_EQ(WordAt(written, 0x6CA), WordAt(expected, 0x6CA)) << c.storedTenths;
    }
}

TEST_F(AlderImage, RadioTextWithoutEndMarkStopsBeforeTheDate) {
    std::vector<std::uint8_t> image = RadioImage();
    std::fill(image.begin() + 0x700, image.begin() + 0x780, 'a');
    data.DecodeImage(image);
    EXPECT_EQ(data.RadioText(), std::string(127, 'a'));
    const std::vector<std::uint8_t> again = (data.Canal(0)->SetEnabled(true), Encode(data));
    EXPECT_EQ(again[0x779], 'a');
    EXPECT_EQ(Slice(again, 0x77A, 6), Bytes({0, 0, 9, 3, 0xE8, 0x07})) << "the date wins";
}

TEST_F(AlderImage, StepComesFromBit15UnlessAFrequencyIsOffThe25kHzRaster) {
    std::vector<std::uint8_t> image = RadioImage();
    PutSlot(image, 0, {0x00, 0x80, 0x01, 0x00, 0x01, 0x00, 53, 52});  // bit 15, code 1
    PutSlot(image, 1, {0x00, 0x00, 0x02, 0x00, 0x04, 0x00, 0, 0});    // bit 15 clear, even
    PutSlot(image, 2, {0x00, 0x00, 0x02, 0x00, 0x03, 0x00, 5, 5});    // bit 15 clear, odd
    data.DecodeImage(image);
    EXPECT_EQ(data.Canal(0)->FRQ_Step(), 12500);
    EXPECT_EQ(data.Canal(0)->FRQ_PRM(), 145012500);
    EXPECT_EQ(data.Canal(0)->CSS_PRM(), 0) << "53 is no receive code";
    EXPECT_EQ(data.Canal(0)->CSS_PRD(), 0) << "52 is no transmit code";
    EXPECT_TRUE(data.Canal(0)->One_FRQ());
    EXPECT_EQ(data.Canal(1)->FRQ_Step(), 25000);
    EXPECT_EQ(data.Canal(1)->FRQ_PRM(), 145050000);
    EXPECT_EQ(data.Canal(1)->FRQ_PRD(), 145025000);
    EXPECT_FALSE(data.Canal(1)->One_FRQ());
    EXPECT_EQ(data.Canal(2)->FRQ_Step(), 12500);
    EXPECT_TRUE(data.Canal(2)->One_CSS());
    EXPECT_TRUE(data.Canal(2)->Scanning());
    EXPECT_FALSE(data.Canal(2)->LimitPRDOnTime());
}

TEST_F(AlderImage, FactoryRangesStayOnlyWhenAChannelLiesOutsideTheDefaults) {
    std::vector<std::uint8_t> image = RadioImage();
    image[0x8A4] = 0x40;  // FR1 code 0x0040: 145 800 000
    PutSlot(image, 0, {0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0, 0});
    data.DecodeImage(image);
    EXPECT_EQ(data.RangeText(), "145-149, 165-174 МГц");
    EXPECT_EQ(data.FR(1), 145000000);

    PutSlot(image, 1, {0x00, 0x80, 0x20, 0x03, 0x20, 0x03, 0, 0});  // 150 000 000 Hz
    data.DecodeImage(image);
    EXPECT_EQ(data.FR(1), 145800000);
    EXPECT_EQ(data.FR(4), 174000000);
    std::string message;
    EXPECT_FALSE(data.Validate(message));
    EXPECT_EQ(message, "Запрещенный для записи диапазон частот");
}

TEST_F(AlderImage, DecodingNotifiesOnceAndLeavesTheConverterTypeAlone) {
    SNotifyCounter notes;
    notes.AttachTo(data);
    data.SetRadioConverterType(16);
    std::vector<std::uint8_t> image = RadioImage();
    PutSlot(image, 4, {0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0, 0});  // scanning, not priority
    data.DecodeImage(image);
    EXPECT_EQ(notes.count, 1);
    EXPECT_TRUE(data.IsModified());
    EXPECT_EQ(data.RadioConverterType(), 16);
    EXPECT_EQ(data.PriorCanal(), -1) << "no priority update while decoding";
}

TEST_F(AlderImage, EncodeThenDecodeIsLossless) {
    CAlder otherRadio;
    CAlderData source(otherRadio);
    for (int i : {0, 1, 50, 99}) {
        CAlderCanal& canal = *source.Canal(i);
        canal.SetEnabled(true);
        canal.SetFRQ_PRM(165000000 + 12500 * i);
        canal.SetFRQ_PRD(149000000 - 12500 * i);
        canal.SetCSS_PRM(i % 53);
        canal.SetCSS_PRD(i % 52);
        canal.SetScanning(i % 2 == 0);
        canal.SetBlockPRDIfBusy(i > 10);
        canal.SetLimitPRDOnTime(i < 60);
    }
    source.SetPriorCanal(50);
    source.SetPriorScanning(true);
    source.SetTone(2999);
    source.SetSquelch(6);
    source.SetPower(1);
    source.SetLimitPRD(200);
    source.SetRestPRD(100);
    source.SetShowFreq(true);
    source.SetLight(false);
    source.SetBeepPress(false);
    source.SetBeepBat(false);
    source.SetOffClock(true);
    source.SetOffTemp(true);
    source.SetOffBat(true);
    source.SetSaveSet(false);
    source.SetKey(16, 0xEE);
    source.SetModifikator(false);
    source.SetStopOnCurrent(false);
    source.SetDelayScanning(33);
    source.SetCTCSS_PRM(67.5);
    source.SetCTCSS_PRD(250.3);
    source.SetDTMF_Number("0123456789ABCDEF");
    source.SetDTMF_ChWidth(99);
    source.SetDTMF_ChPause(1);
    source.SetDTMF_Decode(true);
    source.SetDTMF_Sound(true);
    source.SetDTMF_Time(200);
    source.SetPRG_IR(false);
    source.SetPRG_KB(true);
    source.SetPRG_Password(9999);
    source.SetPRG_ActiveClone(false);
    source.SetPRG_WriteClone(false);
    source.SetVA_On(true);
    source.SetVA_Hi(4000);
    source.SetVA_Lo(1);
    source.SetVA_Pause(1);
    source.SetVA_BlockKB(false);
    source.SetEconom(true);
    source.SetEconomT1(600);
    source.SetEconomT2(3600);
    source.SetRadioFlagB(true);
    source.SetRadioText("Борт 7");

    std::vector<std::uint8_t> image = Encode(source);
    data.DecodeImage(image);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(data.Canal(i)->Fields(), source.Canal(i)->Fields()) << "channel " << i;
    EXPECT_EQ(data.Settings(), source.Settings());
    EXPECT_EQ(data.Key(16), 0xEE);
    EXPECT_FALSE(data.Modifikator());
    EXPECT_NEAR(data.CTCSS_PRM(), 67.5, 1e-9);
    EXPECT_NEAR(data.CTCSS_PRD(), 250.3, 1e-9);
    EXPECT_EQ(Encode(data), image) << "and the image comes out byte for byte the same";
}

}  // namespace
