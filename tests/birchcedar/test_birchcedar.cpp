// Birch and Cedar: what the design does differently from Alder (defaults, step and DCS tones,
// power-saving keys, the band as the only writable range, the image's flag word, absolute codes
// and converter byte), checked on both bands.

#include <gtest/gtest.h>

#include <cstdlib>

#include "../model_identity.h"
#include "U_birchware.h"
#include "U_cedarware.h"
#include "test_support.h"

namespace {

struct SBirch {
    using Radio = CBirch;
    using Data = CBirchData;
    using Ware = CBirchWare;
    static const SBirchCedarModel& Model() { return BirchModel(); }
};
struct SCedar {
    using Radio = CCedar;
    using Data = CCedarData;
    using Ware = CCedarWare;
    static const SBirchCedarModel& Model() { return CedarModel(); }
};

template <class M>
class BirchCedar : public ::testing::Test {
  protected:
    BirchCedar() { setenv("TESSEL_PROGRAMMING_DATE", "2023-12-31", 1); }
    ~BirchCedar() override { unsetenv("TESSEL_PROGRAMMING_DATE"); }

    int Low() const { return M::Model().parameters.bandLow; }
    int High() const { return M::Model().parameters.bandHigh; }

    typename M::Radio radio{M::Model()};
    typename M::Data data{radio};
};

using Models = ::testing::Types<SBirch, SCedar>;
TYPED_TEST_SUITE(BirchCedar, Models);

TYPED_TEST(BirchCedar, ChannelsStartOnTheBandFloorWith25kHzSteps) {
    const CBirchCedarCanal& canal = *this->data.Canal(99);
    EXPECT_FALSE(canal.Enabled());
    EXPECT_EQ(canal.FRQ_Step(), 25000);
    EXPECT_EQ(canal.FRQ_PRM(), this->Low());
    EXPECT_EQ(canal.FRQ_PRD(), this->Low());
    const FreqRanges band = {this->Low(),  this->High(), this->High(), this->High(),
                             this->High(), this->High(), this->High(), this->High()};
    EXPECT_EQ(this->data.Ranges(), band);
    EXPECT_EQ(this->data.EconomT1(), 120);
    EXPECT_EQ(this->data.EconomT2(), 180);
    EXPECT_FALSE(this->data.Econom());
}

TYPED_TEST(BirchCedar, StepSetterKeepsTwoStepsAndRoundsBothFrequencies) {
    SNotifyCounter notes;
    notes.AttachTo(this->data);
    CBirchCedarCanal& canal = *this->data.Canal(0);
    canal.SetFRQ_Step(25000);
    EXPECT_EQ(notes.count, 0) << "unchanged";
    canal.SetFRQ_Step(12500);
    canal.SetFRQ_PRM(this->Low() + 12500);
    canal.SetFRQ_PRD(this->Low() + 37500);
    EXPECT_EQ(canal.FRQ_PRD(), this->Low() + 37500);
    notes.count = 0;
    canal.SetFRQ_Step(7);
    EXPECT_EQ(canal.FRQ_Step(), 25000);
    EXPECT_EQ(canal.FRQ_PRM(), this->Low());
    EXPECT_EQ(canal.FRQ_PRD(), this->Low() + 25000);
    EXPECT_EQ(notes.count, 1);
    canal.SetFRQ_PRM(this->High() + 1000000);
    EXPECT_EQ(canal.FRQ_PRM(), this->High());
}

TYPED_TEST(BirchCedar, TonesAreCtcssOrDcsAndCoupleBothWays) {
    CBirchCedarCanal& canal = *this->data.Canal(0);
    canal.SetCSS_PRM(-84);
    EXPECT_EQ(canal.CSS_PRM(), 0);
    canal.SetCSS_PRM(-5);
    EXPECT_EQ(canal.CSS_PRM(), -5);
    EXPECT_EQ(canal.CSS_PRD(), -5);
    canal.SetCSS_PRM(52);
    EXPECT_EQ(canal.CSS_PRM(), 0);
    canal.SetCSS_PRD(51);
    EXPECT_FALSE(canal.One_CSS());
    canal.SetCSS_PRM(-83);
    EXPECT_EQ(canal.CSS_PRD(), 51);
    canal.SetOne_CSS(true);
    EXPECT_TRUE(canal.One_CSS());
    EXPECT_EQ(canal.CSS_PRD(), -83);
    EXPECT_EQ(birchcedar::ToneName(-5), "032");
    EXPECT_EQ(birchcedar::ToneName(8), "88,5");
    EXPECT_EQ(birchcedar::ToneName(40), "62,5");
    EXPECT_EQ(birchcedar::ToneName(-84), "(нет)");
    EXPECT_EQ(birchcedar::ToneCode("88,5"), 8);
    EXPECT_EQ(birchcedar::ToneCode("88.5"), 0);
    EXPECT_EQ(birchcedar::ToneCode("754"), -83);
    EXPECT_EQ(birchcedar::ToneCode("(НЕТ)"), 0);
    EXPECT_EQ(birchcedar::ToneCode("99,9"), 0);
}

TYPED_TEST(BirchCedar, PowerSavingTimesIgnoreValuesOutsideTheirRanges) {
    this->data.SetEconomT1(9);
    this->data.SetEconomT2(3601);
    EXPECT_EQ(this->data.EconomT1(), 120);
    EXPECT_EQ(this->data.EconomT2(), 180);
    this->data.SetEconomT1(600);
    this->data.SetEconomT2(10);
    EXPECT_EQ(this->data.EconomT1(), 600);
    EXPECT_EQ(this->data.EconomT2(), 10);
}

TYPED_TEST(BirchCedar, ChannelTonesAndStepsInTheTextForm) {
    const std::string body =
        Body({"3Enabled=1", "3FRQ_Step=12500", "3FRQ_PRM=" + std::to_string(this->Low() + 12500),
              "3CSS_PRM=032", "3CSS_PRD=88,5", "4Enabled=1", "4CSS_PRM=88.5", "EconomT1=5",
              "EconomT2=3600", "Econom=1", "Key1=5"});
    ASSERT_TRUE(ReadBody(this->data, body));
    const CBirchCedarCanal& c3 = *this->data.Canal(3);
    EXPECT_EQ(c3.FRQ_Step(), 12500);
    EXPECT_EQ(c3.FRQ_PRM(), this->Low() + 12500);
    EXPECT_EQ(c3.CSS_PRM(), -5);
    EXPECT_EQ(c3.CSS_PRD(), 8);
    EXPECT_EQ(this->data.Canal(4)->CSS_PRM(), 0);
    EXPECT_EQ(this->data.EconomT1(), 120);
    EXPECT_EQ(this->data.EconomT2(), 3600);
    EXPECT_TRUE(this->data.Econom());

    const std::string written = WriteBody(this->data);
    EXPECT_NE(written.find("\r\n3CSS_PRM=032\r\n3CSS_PRD=88,5\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\n4CSS_PRM=(\xED\xE5\xF2)\r\n"), std::string::npos);
    EXPECT_EQ(written.find("Key1="), std::string::npos);
    EXPECT_EQ(written.find("CTCSS_PRM="), std::string::npos);
    EXPECT_EQ(written.find("DTMF_Time="), std::string::npos);
}

TYPED_TEST(BirchCedar, RoundTripKeepsEditedFieldsAndDropsImageOnlyOnes) {
    typename TypeParam::Radio otherRadio{TypeParam::Model()};
    typename TypeParam::Data source{otherRadio};
    CBirchCedarCanal& canal = *source.Canal(10);
    canal.SetEnabled(true);
    canal.SetFRQ_Step(12500);
    canal.SetFRQ_PRM(this->High() - 12500);
    canal.SetCSS_PRM(-83);
    canal.SetCSS_PRD(51);
    canal.SetScanning(true);
    source.SetEconom(true);
    source.SetEconomT1(11);
    source.SetEconomT2(3599);
    source.SetSquelch(8);
    source.SetDTMF_Number("*1#");
    source.SetDTMF_Time(100);  // image only
    source.SetDTMF_Decode(true);

    ASSERT_TRUE(ReadBody(this->data, WriteBody(source)));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(this->data.Canal(i)->Fields(), source.Canal(i)->Fields()) << i;
    STwoBankSettings expected = source.Settings();
    expected.dtmfTime = 20;
    expected.dtmfDecode = false;
    EXPECT_EQ(this->data.Settings(), expected);
}

TYPED_TEST(BirchCedar, WritingIsAllowedWhenEnabledChannelsLieInTheBand) {
    std::string message;
    EXPECT_FALSE(this->data.Validate(message));
    EXPECT_EQ(message, "Нет активных каналов для записи параметров");
    const int mid = this->Low() + 1000000;
    ASSERT_TRUE(ReadBody(this->data, Body({"FR1=" + std::to_string(mid),
                                           "FR2=" + std::to_string(mid + 2000000), "5Enabled=1"})));
    EXPECT_NE(this->data.FR(1), this->Low());
    EXPECT_TRUE(this->data.Validate(message));
    EXPECT_EQ(this->data.FR(1), this->Low());
    EXPECT_EQ(this->data.FR(2), this->High());
    EXPECT_EQ(this->data.RangeText(), std::to_string(this->Low() / 1000000) + "-" +
                                          std::to_string(this->High() / 1000000) + " МГц");
}

TYPED_TEST(BirchCedar, ImageChannelFlagWordCodesAndHeaderBit) {
    CBirchCedarCanal& canal = *this->data.Canal(2);
    canal.SetEnabled(true);
    canal.SetFRQ_Step(12500);
    canal.SetFRQ_PRM(this->Low() + 12500);
    canal.SetCSS_PRM(-5);
    canal.SetCSS_PRD(8);
    canal.SetScanning(true);
    this->data.Canal(3)->SetEnabled(true);  // 25 kHz, not scanning, no tones
    this->data.Canal(3)->SetCSS_PRD(-1);
    std::vector<std::uint8_t> image = Encode(this->data);
    const unsigned code = static_cast<unsigned>((this->Low() + 12500) / 12500);
    EXPECT_EQ(Slice(image, 0x080 + 16 * 2, 8), Bytes({0x22, 0x04, int(code & 0xFF), int(code >> 8),
                                                      int(code & 0xFF), int(code >> 8), 5, 8}));
    EXPECT_EQ(WordAt(image, 0x080 + 16 * 3), 0x0448u) << "transmit DCS, not scanning, 25 kHz";
    EXPECT_EQ(image[0x080 + 16 * 3 + 7], 1);
    EXPECT_EQ(image[0x26] & 0x06, 0x04) << "bit 2 instead of bit 1";
    for (std::size_t at = 0x6C4; at < 0x6CC; ++at) EXPECT_EQ(image[at], 0xFF) << at;
    for (std::size_t at = 0x6EA; at < 0x6FD; ++at) EXPECT_EQ(image[at], 0xFF) << at;
    EXPECT_EQ(image[0x6E4], 20);
    EXPECT_EQ(Slice(image, 0x77C, 4), Bytes({31, 12, 0xE7, 0x07}));

    CBirchCedarData& decoded = this->data;
    decoded.Reset();
    decoded.DecodeImage(image);
    EXPECT_EQ(decoded.Canal(2)->Fields(), canal.Fields());
    EXPECT_EQ(decoded.Canal(3)->CSS_PRD(), -1);
}

TYPED_TEST(BirchCedar, ConverterByteFollowsTheChosenOrFoundType) {
    this->data.Canal(0)->SetEnabled(true);
    const struct {
        int chosen, found, byte;
    } cases[] = {{5, 2, 7}, {-1, 2, 2}, {-1, 1, 1}, {-1, 5, 7}, {16, 1, 0}, {-1, -1, 0}, {0, 2, 0}};
    for (const auto& c : cases) {
        this->radio.SetConverterType(c.chosen);
        this->data.SetRadioConverterType(c.found);
        EXPECT_EQ(Encode(this->data)[0x6C0], c.byte) << c.chosen << " " << c.found;
    }
    std::vector<std::uint8_t> image = Encode(this->data);
    for (const auto& [byte, type] : {std::pair{7, 5}, {1, 1}, {2, 2}, {3, 0}, {0xFF, 0}}) {
        image[0x6C0] = static_cast<std::uint8_t>(byte);
        this->data.DecodeImage(image);
        EXPECT_EQ(this->data.RadioConverterType(), type) << byte;
    }
}

TYPED_TEST(BirchCedar, DecodingTonesStepsAndTheRangeRule) {
    std::vector<std::uint8_t> image(2688, 0xFF);
    auto putSlot = [&image](int i, unsigned flags, unsigned prd, unsigned prm, int rx, int tx) {
        const std::size_t at = 0x080 + 16 * static_cast<std::size_t>(i);
        for (const auto& [offset, word] : {std::pair{0u, flags}, {2u, prd}, {4u, prm}}) {
            image[at + offset] = word & 0xFF;
            image[at + offset + 1] = (word >> 8) & 0xFF;
        }
        image[at + 6] = static_cast<std::uint8_t>(rx);
        image[at + 7] = static_cast<std::uint8_t>(tx);
    };
    const unsigned low = static_cast<unsigned>(this->Low() / 12500);
    putSlot(0, 0x000A, low + 1, low + 1, 83, 84);  // both DCS: 83 fits, 84 does not
    putSlot(1, 0x0000, low, low, 52, 51);          // CTCSS: 52 does not fit, 51 does
    putSlot(2, 0x0020, low + 2, low + 2, 0, 0);    // 12.5 kHz on a 25 kHz frequency
    for (std::size_t k = 0; k < 8; ++k) {
        image[0x8A4 + 2 * k] = static_cast<std::uint8_t>(k == 0 ? 3120 & 0xFF : 3920 & 0xFF);
        image[0x8A5 + 2 * k] = static_cast<std::uint8_t>(k == 0 ? 3120 >> 8 : 3920 >> 8);
    }
    this->data.DecodeImage(image);
    EXPECT_EQ(this->data.Canal(0)->CSS_PRM(), -83);
    EXPECT_EQ(this->data.Canal(0)->CSS_PRD(), 0);
    EXPECT_EQ(this->data.Canal(0)->FRQ_Step(), 25000) << "the step comes from bit 5 alone";
    EXPECT_EQ(this->data.Canal(1)->CSS_PRM(), 0);
    EXPECT_EQ(this->data.Canal(1)->CSS_PRD(), 51);
    EXPECT_EQ(this->data.Canal(2)->FRQ_Step(), 12500);
    EXPECT_EQ(this->data.Canal(2)->FRQ_PRM(), this->Low() + 25000);
    EXPECT_EQ(this->data.FR(1), this->Low()) << "every enabled channel in the band";
    EXPECT_EQ(this->data.FR(8), this->High());

    putSlot(5, 0x0000, 4000, 4000, 0, 0);  // 50 MHz: outside both bands
    this->data.DecodeImage(image);
    EXPECT_EQ(this->data.FR(1), 39000000) << "the radio's own ranges, as absolute codes";
    EXPECT_EQ(this->data.FR(2), 49000000);
}

TYPED_TEST(BirchCedar, ACyrillicDtmfCharacterTakesOnePosition) {
    this->data.Canal(0)->SetEnabled(true);
    this->data.SetDTMF_Number("Ж1*#");
    EXPECT_EQ(Slice(Encode(this->data), 0x6D2, 6), Bytes({0xFF, 0x01, 0x0E, 0x0F, 0xFF, 0xFF}));
}

TYPED_TEST(BirchCedar, EncodeThenDecodeIsLossless) {
    for (int i : {0, 31, 99}) {
        CBirchCedarCanal& canal = *this->data.Canal(i);
        canal.SetEnabled(true);
        canal.SetFRQ_Step(i == 31 ? 25000 : 12500);
        canal.SetFRQ_PRM(this->High() - 12500 * i);
        canal.SetFRQ_PRD(this->Low() + 25000 * i);
        canal.SetCSS_PRM(i - 83);
        canal.SetCSS_PRD(51 - i / 2);
        canal.SetScanning(i != 31);
        canal.SetBlockPRDIfBusy(true);
    }
    this->data.SetPriorCanal(99);
    this->data.SetEconom(true);
    this->data.SetEconomT1(599);
    this->data.SetEconomT2(11);
    this->data.SetDTMF_Sound(true);
    this->data.SetDTMF_Time(30);
    this->data.SetRadioFlagB(true);
    this->data.SetRadioText("Кедр");
    this->data.SetRadioConverterType(2);
    std::vector<std::uint8_t> image = Encode(this->data);

    typename TypeParam::Radio otherRadio{TypeParam::Model()};
    typename TypeParam::Data copy{otherRadio};
    copy.DecodeImage(image);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(copy.Canal(i)->Fields(), this->data.Canal(i)->Fields());
    EXPECT_EQ(copy.Settings(), this->data.Settings());
    EXPECT_EQ(copy.RadioConverterType(), 2);
    EXPECT_EQ(Encode(copy), image);
}

TYPED_TEST(BirchCedar, ProbeByte64DecidesTheConverterOrRejects) {
    typename TypeParam::Ware ware;
    CFakeSocket socket;
    socket.fw = std::string(TypeParam::Model().description);
    socket.low = this->Low();
    socket.high = this->High();
    IRadio* radio = ware.GetRadio(0);
    IRadioQualifier* qualifier = ware.CreateQualifier(radio);
    ASSERT_NE(qualifier, nullptr);
    socket.probe[64] = 7;
    EXPECT_TRUE(qualifier->Qualification(&socket));
    EXPECT_EQ(radio->Data()->RadioConverterType(), 5);
    socket.probe[64] = 3;
    socket.serial = "7777";
    EXPECT_FALSE(qualifier->Qualification(&socket));
    EXPECT_EQ(radio->SerialNumber(), "7777") << "stored before the converter rule";
    socket.low = this->Low() - 1;
    socket.probe[64] = 0;
    EXPECT_FALSE(qualifier->Qualification(&socket));
    ware.ReleaseQualifier(qualifier);
}

// The defaults in which the two bands differ, and their identities.
TEST(BirchCedarModels, DefaultsAndIdentities) {
    CBirch birchRadio(BirchModel());
    CBirchData birch(birchRadio);
    CCedar cedarRadio(CedarModel());
    CCedarData cedar(cedarRadio);
    // Squelch, ShowFreq, BeepPress, OffBat, PRG_KB.
    const auto differing = [](const CTwoBankData& d) {
        return std::vector<int>{d.Squelch(), d.ShowFreq(), d.BeepPress(), d.OffBat(), d.PRG_KB()};
    };
    EXPECT_EQ(differing(birch), (std::vector<int>{1, 1, 0, 1, 1}));
    EXPECT_EQ(differing(cedar), (std::vector<int>{3, 0, 1, 0, 0}));
    EXPECT_EQ(birch.RangeText(), "39-49 МГц");
    EXPECT_EQ(cedar.RangeText(), "136-174 МГц");

    const struct {
        const char *description, *version, *name, *extension;
        int low, high;
        const SBirchCedarModel& model;
    } identities[] = {{"BIRCH", "1.2.3", "Берёза-1", "brc", 39000000, 49000000, BirchModel()},
                      {"CEDAR", "1.2.2", "Кедр-1", "cdr", 136000000, 174000000, CedarModel()}};
    for (const auto& id : identities) {
        EXPECT_EQ(id.model.description, id.description);
        EXPECT_EQ(id.model.version, id.version);
        EXPECT_EQ(id.model.name, id.name);
        EXPECT_EQ(id.model.fileExtension, id.extension);
        EXPECT_EQ(id.model.parameters.bandLow, id.low);
        EXPECT_EQ(id.model.parameters.bandHigh, id.high);
    }
    CCedarWare ware;
    ExpectIdentity(ware, {"CEDAR", "1.2.2", "Кедр-1", "cdr", 136000000, 174000000});
}

TEST(BirchCedarModels, FreshBirchBodyHasTheDesignsKeysInOrder) {
    CBirch radio(BirchModel());
    CBirchData data(radio);
    std::vector<std::string> lines = {"FR1=39000000"};
    for (int k = 2; k <= 8; ++k) lines.push_back("FR" + std::to_string(k) + "=49000000");
    for (int i = 0; i < 100; ++i) lines.push_back(std::to_string(i) + "Enabled=0");
    for (const char* line :
         {"Tone=1450",       "Squelch=1",        "Power=0",         "LimitPRD=60",
          "RestPRD=5",       "ShowFreq=1",       "Light=1",         "BeepPress=0",
          "BeepBat=1",       "OffClock=0",       "OffTemp=0",       "OffBat=1",
          "SaveSet=1",       "PriorCanal=-1",    "PriorScanning=0", "StopOnCurrent=1",
          "DelayScanning=5", "DTMF_Number=",     "DTMF_ChWidth=6",  "DTMF_ChPause=6",
          "PRG_IR=1",        "PRG_KB=1",         "PRG_Password=0",  "PRG_ActiveClone=1",
          "PRG_ReadClone=1", "PRG_WriteClone=1", "VA_On=0",         "VA_Hi=256",
          "VA_Lo=80",        "VA_Pause=3",       "VA_BlockKB=1",    "Econom=0",
          "EconomT1=120",    "EconomT2=180"})
        lines.push_back(line);
    EXPECT_EQ(WriteBody(data), Body(lines));
}

TEST(BirchCedarModels, CedarImageExampleChannel) {
    CCedar radio(CedarModel());
    CCedarData data(radio);
    CCedarCanal& canal = *data.Canal(0);
    canal.SetEnabled(true);
    canal.SetFRQ_Step(12500);
    canal.SetFRQ_PRM(136012500);
    canal.SetCSS_PRM(-5);
    canal.SetCSS_PRD(8);
    canal.SetScanning(true);
    const std::vector<std::uint8_t> image = Encode(data);
    EXPECT_EQ(WordAt(image, 0x080), 0x0422u);
    EXPECT_EQ(WordAt(image, 0x082), 10881u);
    EXPECT_EQ(WordAt(image, 0x084), 10881u);
    EXPECT_EQ(Slice(image, 0x086, 2), Bytes({5, 8}));
}

}  // namespace
