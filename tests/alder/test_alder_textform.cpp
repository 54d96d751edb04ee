// The Alder parameter text form: the exact body of a fresh set, the reading rules, and the
// round trip.

#include <gtest/gtest.h>

#include <sstream>

#include "U_alderware.h"
#include "test_support.h"

namespace {

class AlderTextForm : public ::testing::Test {
  protected:
    CAlder radio;
    CAlderData data{radio};
};

// The data lines of a fresh set, from the defaults of the parameter table.
std::vector<std::string> FreshDataLines() {
    std::vector<std::string> lines = {"Tone=1450", "Squelch=3",  "Power=0",   "LimitPRD=60",
                                      "RestPRD=5", "ShowFreq=0", "Light=1",   "BeepPress=1",
                                      "BeepBat=1", "OffClock=0", "OffTemp=0", "OffBat=0",
                                      "SaveSet=1"};
    for (int group = 1; group <= 16; ++group)
        lines.push_back(
            "Key" + std::to_string(group) + "=" +
            std::to_string(CAlderData::kDefaultKey[static_cast<std::size_t>(group - 1)]));
    for (const char* line :
         {"Modifikator=1",     "PriorCanal=-1",   "PriorScanning=0",  "StopOnCurrent=1",
          "DelayScanning=5",   "CTCSS_PRM=101",   "CTCSS_PRD=101",    "DTMF_Number=",
          "DTMF_ChWidth=6",    "DTMF_ChPause=6",  "DTMF_Decode=0",    "DTMF_Sound=0",
          "DTMF_Time=20",      "PRG_IR=1",        "PRG_KB=0",         "PRG_Password=0",
          "PRG_ActiveClone=1", "PRG_ReadClone=1", "PRG_WriteClone=1", "VA_On=0",
          "VA_Hi=256",         "VA_Lo=80",        "VA_Pause=3",       "VA_BlockKB=1"})
        lines.push_back(line);
    return lines;
}

TEST_F(AlderTextForm, FreshSetIsWrittenLineByLineWithCrLf) {
    std::vector<std::string> lines = {"FR1=145000000", "FR2=149000000", "FR3=165000000",
                                      "FR4=174000000", "FR5=174000000", "FR6=174000000",
                                      "FR7=174000000", "FR8=174000000"};
    for (int i = 0; i < 100; ++i) lines.push_back(std::to_string(i) + "Enabled=0");
    for (const std::string& line : FreshDataLines()) lines.push_back(line);
    EXPECT_EQ(WriteBody(data), Body(lines));
}

TEST_F(AlderTextForm, EnabledChannelWritesItsElevenLinesWithToneNamesInWindows1251) {
    CAlderCanal& canal = *data.Canal(17);
    canal.SetEnabled(true);
    canal.SetFRQ_PRM(145012500);
    canal.SetCSS_PRM(9);
    canal.SetCSS_PRD(alder::kUserTone);
    canal.SetScanning(true);
    const std::string body = WriteBody(data);
    const std::string expected =
        "17Enabled=1\r\n17FRQ_Step=12500\r\n17FRQ_PRM=145012500\r\n17FRQ_PRD=145012500\r\n"
        "17CSS_PRM=88,5\r\n17CSS_PRD=(\xCE\xCF\xD0)\r\n17One_FRQ=1\r\n17One_CSS=0\r\n"
        "17Scanning=1\r\n17BlockPRDIfBusy=0\r\n17LimitPRDOnTime=1\r\n18Enabled=0\r\n";
    EXPECT_NE(body.find("\r\n16Enabled=0\r\n" + expected), std::string::npos) << body;
    EXPECT_NE(body.find("\r\nPriorCanal=17\r\n"), std::string::npos);
}

TEST_F(AlderTextForm, FreshRoundTripEqualsExceptTheUnusedRangesAtTheBandTop) {
    CAlder otherRadio;
    CAlderData fresh(otherRadio);
    ASSERT_TRUE(ReadBody(data, WriteBody(fresh)));
    FreqRanges expected = fresh.Ranges();
    for (int k = 4; k < 8; ++k) expected[static_cast<std::size_t>(k)] = 175000000;
    EXPECT_EQ(data.Ranges(), expected);
    STwoBankSettings settings = data.Settings();
    settings.ranges = fresh.Ranges();
    EXPECT_EQ(settings, fresh.Settings());

    ASSERT_TRUE(ReadBody(data, "\r\n"));
    EXPECT_EQ(data.Ranges(), expected) << "a body of only CR LF gives a fresh set";
    EXPECT_EQ(data.Tone(), 1450);
}

TEST_F(AlderTextForm, EveryEditedValueSurvivesTheRoundTripAndImageOnlyFieldsAreDropped) {
    CAlder otherRadio;
    CAlderData source(otherRadio);
    CAlderCanal& a = *source.Canal(0);
    a.SetEnabled(true);
    a.SetFRQ_PRM(165987500);
    a.SetFRQ_PRD(148000000);
    a.SetCSS_PRM(52);
    a.SetCSS_PRD(50);
    a.SetScanning(true);
    a.SetBlockPRDIfBusy(true);
    a.SetLimitPRDOnTime(false);
    CAlderCanal& b = *source.Canal(99);
    b.SetEnabled(true);
    b.SetScanning(true);
    source.SetPriorCanal(99);
    source.SetPriorScanning(true);
    source.SetTone(2100);
    source.SetSquelch(0);
    source.SetPower(1);
    source.SetLimitPRD(240);
    source.SetRestPRD(0);
    source.SetShowFreq(true);
    source.SetLight(false);
    source.SetOffTemp(true);
    source.SetKey(3, 0);
    source.SetModifikator(false);
    source.SetStopOnCurrent(false);
    source.SetDelayScanning(60);
    source.SetCTCSS_PRM(67.5);
    source.SetCTCSS_PRD(254.9);
    source.SetDTMF_Number("12*#AB");
    source.SetDTMF_Decode(true);
    source.SetDTMF_Time(255);
    source.SetPRG_Password(1234);
    source.SetPRG_ReadClone(false);
    source.SetVA_On(true);
    source.SetVA_Hi(4096);
    source.SetVA_BlockKB(false);
    source.SetEconom(true);
    source.SetRadioText("Позывной");

    ASSERT_TRUE(ReadBody(data, WriteBody(source)));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(data.Canal(i)->Fields(), source.Canal(i)->Fields()) << "channel " << i;
    EXPECT_EQ(data.Key(3), 0);
    EXPECT_FALSE(data.Modifikator());
    EXPECT_DOUBLE_EQ(data.CTCSS_PRM(), 67.5);
    EXPECT_DOUBLE_EQ(data.CTCSS_PRD(), 254.9);
    STwoBankSettings expected = source.Settings();
    expected.econom = false;  // image-only: back to the default
    expected.radioText.clear();
    for (int k = 4; k < 8; ++k) expected.ranges[static_cast<std::size_t>(k)] = 175000000;
    EXPECT_EQ(data.Settings(), expected);
}

// One body and what it must leave in the set.
struct SReadCase {
    const char* name;
    std::vector<std::string> lines;
    std::function<void(CAlderData&)> check;
};

TEST_F(AlderTextForm, ReadingRules) {
    const SReadCase cases[] = {
        {"enabled alone gets channel defaults",
         {"3Enabled=1"},
         [](CAlderData& d) {
             const CAlderCanal& c = *d.Canal(3);
             EXPECT_TRUE(c.Enabled());
             EXPECT_EQ(c.FRQ_PRM(), 145000000);
             EXPECT_EQ(c.FRQ_PRD(), 145000000);
             EXPECT_EQ(c.FRQ_Step(), 12500);
             EXPECT_EQ(c.CSS_PRM(), 0);
         }},
        {"channel lines without Enabled are not read",
         {"3FRQ_PRM=150000000"},
         [](CAlderData& d) {
             EXPECT_FALSE(d.Canal(3)->Enabled());
             EXPECT_EQ(d.Canal(3)->FRQ_PRM(), 145000000);
         }},
        {"a bad channel value resets only that channel",
         {"3Enabled=1", "3FRQ_PRM=14500x", "4Enabled=1", "4FRQ_PRM=146000000"},
         [](CAlderData& d) {
             EXPECT_FALSE(d.Canal(3)->Enabled());
             EXPECT_EQ(d.Canal(3)->FRQ_PRM(), 145000000);
             EXPECT_TRUE(d.Canal(4)->Enabled());
             EXPECT_EQ(d.Canal(4)->FRQ_PRM(), 146000000);
         }},
        {"a bad Enabled value leaves the channel disabled",
         {"3Enabled=yes", "3FRQ_PRM=146000000"},
         [](CAlderData& d) { EXPECT_FALSE(d.Canal(3)->Enabled()); }},
        {"out-of-range values: ignored, clamped, low byte",
         {"Tone=4000", "DTMF_Time=5", "Key1=300", "DTMF_ChWidth=-7"},
         [](CAlderData& d) {
             EXPECT_EQ(d.Tone(), 1450);
             EXPECT_EQ(d.DTMF_Time(), 10);
             EXPECT_EQ(d.Key(1), 44);
             EXPECT_EQ(d.DTMF_ChWidth(), 0);
         }},
        {"user tones with a decimal comma, clamped",
         {"CTCSS_PRM=88,5", "CTCSS_PRD=50"},
         [](CAlderData& d) {
             EXPECT_DOUBLE_EQ(d.CTCSS_PRM(), 88.5);
             EXPECT_DOUBLE_EQ(d.CTCSS_PRD(), 67.0);
         }},
        {"channel tones by name; a point is not a name",
         {"1Enabled=1", "1CSS_PRM=88.5", "2Enabled=1", "2CSS_PRM=88,5", "5Enabled=1",
          "5CSS_PRM=\xA8\xCF\xD0)"},
         [](CAlderData& d) {
             EXPECT_EQ(d.Canal(1)->CSS_PRM(), 0);
             EXPECT_EQ(d.Canal(2)->CSS_PRM(), 9);
             EXPECT_EQ(d.Canal(2)->CSS_PRD(), 9);
             EXPECT_EQ(d.Canal(5)->CSS_PRM(), 0);
         }},
        {"keys are matched without regard to case; the first line wins",
         {"squelch=5", "SQUELCH=6", "0enabled=1", "0frq_prm=150000000"},
         [](CAlderData& d) {
             EXPECT_EQ(d.Squelch(), 5);
             EXPECT_EQ(d.Canal(0)->FRQ_PRM(), 150000000);
         }},
        {"couplings run in key order: One_FRQ has the last word",
         {"0Enabled=1", "0FRQ_PRM=150000000", "0FRQ_PRD=151000000", "0One_FRQ=1", "1Enabled=1",
          "1FRQ_PRM=150000000", "1FRQ_PRD=151000000", "1CSS_PRM=71,9", "1CSS_PRD=74,4"},
         [](CAlderData& d) {
             EXPECT_EQ(d.Canal(0)->FRQ_PRD(), 150000000);
             EXPECT_TRUE(d.Canal(0)->One_FRQ());
             EXPECT_EQ(d.Canal(1)->FRQ_PRD(), 151000000);
             EXPECT_FALSE(d.Canal(1)->One_FRQ());
             EXPECT_EQ(d.Canal(1)->CSS_PRD(), 4);
             EXPECT_FALSE(d.Canal(1)->One_CSS());
         }},
        {"FRQ_Step is always 12 500",
         {"0Enabled=1", "0FRQ_Step=25000", "0FRQ_PRM=145012500"},
         [](CAlderData& d) {
             EXPECT_EQ(d.Canal(0)->FRQ_Step(), 12500);
             EXPECT_EQ(d.Canal(0)->FRQ_PRM(), 145012500);
         }},
        {"a named priority channel must scan; otherwise the lowest scanning one",
         {"2Enabled=1", "2Scanning=1", "6Enabled=1", "6Scanning=1", "9Enabled=1", "PriorCanal=9",
          "PriorScanning=1"},
         [](CAlderData& d) {
             EXPECT_EQ(d.PriorCanal(), 2);
             EXPECT_TRUE(d.PriorScanning());
         }},
        {"the named priority channel wins when it scans",
         {"2Enabled=1", "2Scanning=1", "6Enabled=1", "6Scanning=1", "PriorCanal=6"},
         [](CAlderData& d) { EXPECT_EQ(d.PriorCanal(), 6); }},
        {"priority scanning without a scanning channel is dropped",
         {"PriorCanal=4", "PriorScanning=1"},
         [](CAlderData& d) {
             EXPECT_EQ(d.PriorCanal(), -1);
             EXPECT_FALSE(d.PriorScanning());
         }},
        {"DTMF number is taken unchanged, lines without = are ignored",
         {"DTMF_Number= 1=2 ", "garbage line", "Unknown=5"},
         [](CAlderData& d) { EXPECT_EQ(d.DTMF_Number(), " 1=2 "); }},
        {"ranges are normalised: clipped, merged, aligned",
         {"FR1=140000000", "FR2=146000010", "FR3=145500000", "FR4=147000000", "FR5=170000000",
          "FR6=180000000"},
         [](CAlderData& d) {
             const FreqRanges expected = {145000000, 147000000, 170000000, 175000000,
                                          175000000, 175000000, 175000000, 175000000};
             EXPECT_EQ(d.Ranges(), expected);
         }},
    };
    for (const SReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        data.Reset();
        ASSERT_TRUE(ReadBody(data, Body(c.lines)));
        c.check(data);
    }
}

TEST_F(AlderTextForm, LinesMayEndInCrOrLfAlone) {
    ASSERT_TRUE(ReadBody(data, "\r\nTone=600\nSquelch=1\rPower=1"));
    EXPECT_EQ(data.Tone(), 600);
    EXPECT_EQ(data.Squelch(), 1);
    EXPECT_EQ(data.Power(), 1);
}

TEST_F(AlderTextForm, RejectedBodyLeavesTheSetExactlyAsItWas) {
    // A set read from a radio, then edited: image-only fields and channels in place.
    data.Canal(5)->SetEnabled(true);
    data.Canal(5)->SetScanning(true);
    data.SetTone(2000);
    data.SetKey(2, 7);
    data.SetEconom(true);
    data.SetRadioText("Text");
    data.SetRadioConverterType(16);
    const STwoBankSettings settings = data.Settings();
    const SCanalFields canal5 = data.Canal(5)->Fields();

    SNotifyCounter notes;
    notes.AttachTo(data);
    const bool wasModified = data.IsModified();
    const std::vector<std::string> bodies = {
        Body({"1Enabled=1", "Tone=700", "Squelch=abc"}),
        Body({"FR1=abc", "Tone=700"}),
        Body({"CTCSS_PRM=88.5"}),
        "Tone=700\r\n",
        "",
    };
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        std::istringstream in(body);
        EXPECT_FALSE(data.Load(in, false));
        EXPECT_EQ(data.Settings(), settings);
        EXPECT_EQ(data.Canal(5)->Fields(), canal5);
        EXPECT_FALSE(data.Canal(1)->Enabled());
        EXPECT_EQ(data.Key(2), 7);
        EXPECT_EQ(data.RadioConverterType(), 16);
        EXPECT_EQ(data.IsModified(), wasModified);
        EXPECT_EQ(notes.count, 0);
    }
}

TEST_F(AlderTextForm, LoadTakesTheCallersFlagAndNotifiesOnce) {
    SNotifyCounter notes;
    notes.AttachTo(data);
    std::istringstream in(Body({"0Enabled=1", "0Scanning=1", "Tone=700"}));
    ASSERT_TRUE(data.Load(in, true));
    EXPECT_TRUE(data.IsModified());
    EXPECT_EQ(notes.count, 1);
    EXPECT_EQ(data.Tone(), 700);
    EXPECT_EQ(data.RadioConverterType(), -1) << "a file carries no converter type";
}

}  // namespace
