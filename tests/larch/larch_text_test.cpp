// The Larch parameter file body: exact bytes, the rules of reading, and round trips.

#include "larch_test_support.h"

namespace {

using TextTest = LarchSetTest;

std::string Line(const std::string& key, const std::string& value) {
    return key + "=" + value + "\r\n";
}

// The data lines of a fresh set, in the order of the file.
std::string FreshDataLines(const CLarchData& data) {
    std::string s = Line("CanalOnFirstPowerOn", "0") + Line("ServiceCanal", "0") +
                    Line("VolumeLevel", "7") + Line("SquelchOn", "1") + Line("SquelchLevel", "2") +
                    Line("Power", "0") + Line("ShowFreq", "1") + Line("Light", "1") +
                    Line("BeepPress", "1") + Line("SaveSet", "1");
    // The default key is the model's own choice; only its place and format are fixed.
    for (int n = 1; n <= 16; ++n) s += Line("Key" + std::to_string(n), std::to_string(data.Key(n)));
    s += Line("Modifikator", "1") + Line("PriorScanning", "0") + Line("StopOnCurrent", "1") +
         Line("DelayScanning", "5") + Line("Notes", "") + Line("PRG_IR", "1") +
         Line("PRG_Enabled", "1") + Line("BlockHandOn", "1") + Line("VA_On", "0") +
         Line("VA_Hi", "256") + Line("VA_Lo", "80") + Line("VA_Pause", "3");
    return s;
}

std::string FreshRangeLines() {
    std::string s = Line("FR1", "39000000");
    for (int n = 2; n <= 8; ++n) s += Line("FR" + std::to_string(n), "49000000");
    return s;
}

TEST_F(TextTest, FreshSetWritesTheExactBody) {
    std::string expected = "\r\n" + FreshRangeLines();
    for (int i = 0; i < 100; ++i) expected += Line(std::to_string(i) + "Enabled", "0");
    expected += FreshDataLines(data);
    EXPECT_EQ(Body(), expected);
}

TEST_F(TextTest, WorkingChannelWritesItsNineFurtherLinesInOrder) {
    Canal(0).SetEnabled(true);
    Canal(17).SetEnabled(true);
    Canal(17).SetFRQ_Step(12500);
    Canal(17).SetFRQ_PRM(45012500);
    Canal(17).SetFRQ_PRD(46000000);
    Canal(17).SetOne_CSS(false);
    Canal(17).SetCTCSS_PRM(9);
    Canal(17).SetCTCSS_PRD(7);
    Canal(17).SetTone(2100);
    Canal(17).SetScanning(true);
    Canal(17).SetBlockPRD(true);
    const std::string body = Body();
    const std::string channel0 = Line("0Enabled", "1") + Line("0FRQ_Step", "25000") +
                                 Line("0FRQ_PRM", "39000000") + Line("0FRQ_PRD", "39000000") +
                                 Line("0One_FRQ", "1") + Line("0CTCSS_PRD", "0") +
                                 Line("0CTCSS_PRM", "0") + Line("0Tone", "1000") +
                                 Line("0Scanning", "0") + Line("0BlockPRD", "0");
    const std::string channel17 = Line("17Enabled", "1") + Line("17FRQ_Step", "12500") +
                                  Line("17FRQ_PRM", "45012500") + Line("17FRQ_PRD", "46000000") +
                                  Line("17One_FRQ", "0") + Line("17CTCSS_PRD", "7") +
                                  Line("17CTCSS_PRM", "9") + Line("17Tone", "2100") +
                                  Line("17Scanning", "1") + Line("17BlockPRD", "1");
    EXPECT_NE(body.find("\r\n" + FreshRangeLines() + channel0 + Line("1Enabled", "0")),
              std::string::npos);
    EXPECT_NE(body.find(Line("16Enabled", "0") + channel17 + Line("18Enabled", "0")),
              std::string::npos);
}

TEST_F(TextTest, ChannelLinesFollowTheRulesOfReading) {
    struct Case {
        const char* body;
        SLarchCanalState expected;
    };
    SLarchCanalState enabled;
    enabled.Enabled = true;
    SLarchCanalState tones = enabled;
    tones.CTCSS_PRM = tones.CTCSS_PRD = 9;
    SLarchCanalState split = enabled;
    split.FRQ_PRM = 45000000;
    split.FRQ_PRD = 46000000;
    split.One_FRQ = false;
    SLarchCanalState rejoined = split;
    rejoined.FRQ_PRD = 45000000;
    rejoined.One_FRQ = true;
    SLarchCanalState fine = enabled;
    fine.FRQ_Step = 12500;
    fine.FRQ_PRM = fine.FRQ_PRD = 45012500;
    SLarchCanalState lowTone = enabled;
    lowTone.Tone = 500;
    const Case cases[] = {
        {"3Enabled=1\r\n", enabled},
        {"3FRQ_PRM=45000000\r\n", SLarchCanalState{}},
        {"3Enabled=1\r\n3FRQ_PRM=4500x\r\n", SLarchCanalState{}},
        {"3Enabled=yes\r\n3Scanning=1\r\n", SLarchCanalState{}},
        {"3Enabled=1\r\n3CTCSS_PRD=7\r\n3CTCSS_PRM=9\r\n", tones},
        {"3Enabled=1\r\n3FRQ_PRM=45000000\r\n3FRQ_PRD=46000000\r\n3One_FRQ=0\r\n", split},
        {"3Enabled=1\r\n3FRQ_PRM=45000000\r\n3FRQ_PRD=46000000\r\n3One_FRQ=1\r\n", rejoined},
        {"3ENABLED=1\r\n3frq_prm=45000000\r\n3Frq_Prd=46000000\r\n", split},
        {"3Enabled=1\r\n3FRQ_PRM=45012500\r\n3FRQ_Step=12500\r\n", fine},
        {"3Enabled=1\r\n3Tone=100\r\n", lowTone},
        {"3Enabled=1\n3CTCSS_PRM=9\r3CTCSS_PRD=4\n", tones},
        {"3Enabled=1\r\n3CTCSS_PRM=9\r\n3CTCSS_PRM=2\r\n", tones},
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(Read(std::string("\r\n") + k.body)) << k.body;
        EXPECT_EQ(Canal(3).State(), k.expected) << k.body;
        EXPECT_EQ(data.EnabledCanalCount(), k.expected.Enabled ? 1 : 0) << k.body;
    }
}

TEST_F(TextTest, DataLinesGoThroughTheSettersAndMissingOnesKeepDefaults) {
    data.SetVolumeLevel(1);
    data.SetNotes("old");
    ASSERT_TRUE(
        Read("\r\nKey1=300\r\nVolumeLevel=-4\r\nsquelchon=5\r\nNotes=a=b \r\n"
             "Power=3\r\nPower=4\r\nno line here\r\nUnknown=1\r\n"));
    EXPECT_EQ(data.Key(1), 44);
    EXPECT_EQ(data.VolumeLevel(), -4);
    EXPECT_TRUE(data.SquelchOn());
    EXPECT_EQ(data.Notes(), "a=b ");
    EXPECT_EQ(data.Power(), 3);
    EXPECT_EQ(data.SquelchLevel(), 2);
    EXPECT_EQ(data.DelayScanning(), 5);
}

TEST_F(TextTest, RangesAreNormalisedToTheBand) {
    ASSERT_TRUE(Read("\r\nFR1=45000000\r\nFR2=47000000\r\nFR3=38000000\r\nFR4=41006000\r\n"));
    EXPECT_EQ(data.Ranges(), (FreqRanges{39000000, 41000000, 45000000, 47000000, 49000000, 49000000,
                                         49000000, 49000000}));
}

TEST_F(TextTest, NotesKeepTheirWindows1251BytesIncludingTheUnassignedOne) {
    // "Описание" with the dash, the number sign, and 0x98, which has no character.
    const std::string notes = "\xCE\xEF\xE8\xF1\xE0\xED\xE8\xE5 \x96 \xB9\x98!";
    ASSERT_TRUE(Read("\r\nNotes=" + notes + "\r\n"));
    EXPECT_EQ(data.Notes().substr(0, 16), "Описание");
    EXPECT_NE(Body().find("\r\nNotes=" + notes + "\r\n"), std::string::npos);
}

TEST_F(TextTest, NotesWithALineBreakCannotInjectALine) {
    data.SetNotes("one\r\nVA_On=1");
    const std::string body = Body();
    EXPECT_NE(body.find("\r\nNotes=one  VA_On=1\r\n"), std::string::npos);
    ASSERT_TRUE(Read(body));
    EXPECT_FALSE(data.VA_On());
}

TEST_F(TextTest, RejectedBodyLeavesTheSetExactlyAsItWas) {
    ASSERT_TRUE(
        Read("\r\nFR1=40000000\r\nFR2=42000000\r\n4Enabled=1\r\n4FRQ_PRM=44000000\r\n"
             "VolumeLevel=3\r\nNotes=kept\r\n"));
    const SLarchSettings settings = data.Settings();
    const auto canals = Canals();
    const char* rejected[] = {
        "",
        "\n",
        "4Enabled=0\r\n",
        "\r\nFR1=40000000\r\nFR3=4x\r\n",
        "\r\n5Enabled=1\r\nVolumeLevel=9\r\nNotes=new\r\nPower=abc\r\n",
        "\r\nKey1=1\r\nVA_Pause=3,5\r\n",
        "\r\nSquelchOn=\r\n",
    };
    for (const char* body : rejected) {
        EXPECT_FALSE(Read(body)) << body;
        EXPECT_EQ(data.Settings(), settings) << body;
        EXPECT_EQ(Canals(), canals) << body;
    }
}

TEST_F(TextTest, LoadOfARejectedBodyNeitherFlagsNorNotifies) {
    notifications = 0;
    std::istringstream in("\r\nVolumeLevel=9\r\nVA_Hi=x\r\n");
    EXPECT_FALSE(data.Load(in, true));
    EXPECT_FALSE(data.IsModified());
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(data.VolumeLevel(), 7);
}

TEST_F(TextTest, WrittenSetReadsBackEqualExceptTheToneCoupling) {
    for (int i : {0, 1, 2, 40, 99}) Canal(i).SetEnabled(true);
    Canal(1).SetFRQ_Step(12500);
    Canal(1).SetFRQ_PRM(48987500);
    Canal(2).SetFRQ_PRD(41000000);
    Canal(2).SetTone(2900);
    Canal(2).SetScanning(true);
    Canal(40).SetCTCSS_PRM(50);
    Canal(40).SetBlockPRD(true);
    Canal(99).SetOne_CSS(false);
    Canal(99).SetCTCSS_PRM(3);
    Canal(99).SetCTCSS_PRD(8);
    data.SetCanalOnFirstPowerOn(2);
    data.SetServiceCanal(40);
    data.SetVolumeLevel(10);
    data.SetSquelchOn(false);
    data.SetSquelchLevel(6);
    data.SetPower(4);
    data.SetShowFreq(false);
    data.SetSaveSet(false);
    for (int n = 1; n <= 16; ++n) data.SetKey(n, static_cast<std::uint8_t>(n * 15));
    data.SetModifikator(false);
    data.SetPriorScanning(true);
    data.SetStopOnCurrent(false);
    data.SetDelayScanning(60);
    data.SetNotes("Склад №2");
    data.SetPRG_IR(false);
    data.SetPRG_Enabled(false);
    data.SetBlockHandOn(false);
    data.SetVA_On(true);
    data.SetVA_Hi(1024);
    data.SetVA_Lo(32);
    data.SetVA_Pause(1);

    CLarch otherRadio;
    CLarchData copy(otherRadio);
    std::istringstream in(Body());
    ASSERT_TRUE(copy.ReadText(in));
    EXPECT_EQ(copy.Settings(), data.Settings());
    for (int i = 0; i < kLarchCanalCount; ++i) {
        SLarchCanalState expected = Canal(i).State();
        if (i == 99) {
            // The coupling has no line, and the receive code is read last.
            expected.CTCSS_PRD = 3;
            expected.One_CSS = true;
        }
        EXPECT_EQ(copy.LarchCanal(i).State(), expected) << i;
    }
}

}  // namespace
