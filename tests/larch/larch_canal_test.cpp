// Setters of a Larch channel and parameter set, the write check, and the module object.

#include <utility>

#include "../model_identity.h"
#include "larch_test_support.h"

namespace {

using CanalTest = LarchSetTest;

TEST_F(CanalTest, IndexOutsideTheTableYieldsChannelZero) {
    EXPECT_EQ(&data.LarchCanal(100), &data.LarchCanal(0));
    EXPECT_EQ(&data.LarchCanal(-1), &data.LarchCanal(0));
    EXPECT_EQ(data.Canal(100), data.Canal(0));
}

TEST_F(CanalTest, FrequenciesAreClampedToTheBandAndRoundedDownToTheStep) {
    struct Case {
        int step, requested, stored;
    };
    const Case cases[] = {
        {25000, 39012500, 39000000},  {25000, 39049999, 39025000}, {12500, 39012500, 39012500},
        {12500, 39024999, 39012500},  {25000, 50000000, 49000000}, {12500, 10, 39000000},
        {12500, -48000000, 39000000},
    };
    for (const Case& k : cases) {
        CLarchCanal& c = Canal(1);
        c.ResetToDefaults();
        c.SetFRQ_Step(k.step);
        c.SetOne_FRQ(false);
        c.SetFRQ_PRM(k.requested);
        c.SetFRQ_PRD(k.requested);
        EXPECT_EQ(c.FRQ_PRM(), k.stored) << k.requested << " at step " << k.step;
        EXPECT_EQ(c.FRQ_PRD(), k.stored) << k.requested << " at step " << k.step;
    }
}

TEST_F(CanalTest, StepIsFineOrCoarseAndANewStepRoundsBothFrequenciesDown) {
    CLarchCanal& c = Canal(3);
    c.SetFRQ_Step(12500);
    c.SetFRQ_PRM(39012500);
    c.SetFRQ_PRD(48987500);
    ASSERT_EQ(c.FRQ_PRM(), 39012500);
    ASSERT_EQ(c.FRQ_PRD(), 48987500);
    c.SetFRQ_Step(25000);
    EXPECT_EQ(c.FRQ_Step(), 25000);
    EXPECT_EQ(c.FRQ_PRM(), 39000000);
    EXPECT_EQ(c.FRQ_PRD(), 48975000);

    c.SetFRQ_Step(12500);
    c.SetFRQ_Step(20000);  // no such step: the coarse one
    EXPECT_EQ(c.FRQ_Step(), 25000);

    notifications = 0;
    c.SetFRQ_Step(7);  // still the coarse step: nothing changes
    EXPECT_EQ(notifications, 0);
}

TEST_F(CanalTest, TransmitFrequencyFollowsReceiveUntilItDiffers) {
    CLarchCanal& c = Canal(0);
    c.SetFRQ_PRM(44000000);
    EXPECT_EQ(c.FRQ_PRD(), 44000000);
    c.SetFRQ_PRD(45000000);
    EXPECT_FALSE(c.One_FRQ());
    c.SetFRQ_PRM(46000000);
    EXPECT_EQ(c.FRQ_PRD(), 45000000);
    c.SetOne_FRQ(true);
    EXPECT_EQ(c.FRQ_PRD(), 46000000);
    // Setting the transmit frequency to the receive one keeps the coupling.
    c.SetFRQ_PRD(47000000);
    c.SetOne_FRQ(true);
    c.SetFRQ_PRD(46000000);
    EXPECT_TRUE(c.One_FRQ());
}

TEST_F(CanalTest, CallToneIsClampedTo500Through3000) {
    const std::pair<int, int> cases[] = {{499, 500},   {500, 500}, {1450, 1450}, {3000, 3000},
                                         {3001, 3000}, {-20, 500}, {65535, 3000}};
    for (const auto& [requested, stored] : cases) {
        Canal(5).SetTone(requested);
        EXPECT_EQ(Canal(5).Tone(), stored) << requested;
    }
    notifications = 0;
    Canal(5).SetTone(4000);  // clamps to the 3000 it already holds
    EXPECT_EQ(notifications, 0);
}

TEST_F(CanalTest, ToneCouplingCopiesTheReceiveCodeWhileSet) {
    CLarchCanal& c = Canal(9);
    c.SetCTCSS_PRM(9);
    EXPECT_EQ(c.CTCSS_PRD(), 9);

    // The transmit code alone does not break the coupling; the view offers it only when off.
    c.SetCTCSS_PRD(3);
    EXPECT_EQ(c.CTCSS_PRD(), 3);
    EXPECT_TRUE(c.One_CSS());

    c.SetOne_CSS(false);
    c.SetCTCSS_PRM(12);
    EXPECT_EQ(c.CTCSS_PRD(), 3);
    c.SetOne_CSS(true);
    EXPECT_EQ(c.CTCSS_PRD(), 12);

    // Codes have no range rule.
    c.SetCTCSS_PRM(77);
    EXPECT_EQ(c.CTCSS_PRM(), 77);
    EXPECT_EQ(c.CTCSS_PRD(), 77);
}

TEST_F(CanalTest, EveryEffectiveChangeNotifiesOnceAndAnUnchangedValueNotAtAll) {
    CLarchCanal& c = Canal(2);
    const auto expectOne = [&](auto&& change, const char* what) {
        notifications = 0;
        change();
        EXPECT_EQ(notifications, 1) << what;
        change();
        EXPECT_EQ(notifications, 1) << what << " repeated";
    };
    expectOne([&] { c.SetEnabled(true); }, "Enabled");
    expectOne([&] { c.SetFRQ_Step(12500); }, "FRQ_Step");
    expectOne([&] { c.SetFRQ_PRM(40000000); }, "FRQ_PRM");
    expectOne([&] { c.SetFRQ_PRD(41000000); }, "FRQ_PRD");
    expectOne([&] { c.SetOne_FRQ(true); }, "One_FRQ");
    expectOne([&] { c.SetTone(2100); }, "Tone");
    expectOne([&] { c.SetCTCSS_PRM(4); }, "CTCSS_PRM");
    expectOne([&] { c.SetCTCSS_PRD(6); }, "CTCSS_PRD");
    expectOne([&] { c.SetOne_CSS(false); }, "One_CSS");
    expectOne([&] { c.SetScanning(true); }, "Scanning");
    expectOne([&] { c.SetBlockPRD(true); }, "BlockPRD");
    EXPECT_TRUE(data.IsModified());
}

using DataSetterTest = LarchSetTest;

TEST_F(DataSetterTest, ValuesAreStoredWithoutRangeRules) {
    data.SetCanalOnFirstPowerOn(150);
    data.SetServiceCanal(-3);
    data.SetVolumeLevel(250);
    data.SetSquelchLevel(99);
    data.SetPower(-5);
    data.SetDelayScanning(100000);
    data.SetVA_Hi(70000);
    data.SetVA_Lo(0);
    data.SetVA_Pause(77);
    EXPECT_EQ(data.CanalOnFirstPowerOn(), 150);
    EXPECT_EQ(data.ServiceCanal(), -3);
    EXPECT_EQ(data.VolumeLevel(), 250);
    EXPECT_EQ(data.SquelchLevel(), 99);
    EXPECT_EQ(data.Power(), -5);
    EXPECT_EQ(data.DelayScanning(), 100000);
    EXPECT_EQ(data.VA_Hi(), 70000);
    EXPECT_EQ(data.VA_Lo(), 0);
    EXPECT_EQ(data.VA_Pause(), 77);
    EXPECT_EQ(notifications, 9);

    data.SetVolumeLevel(250);
    data.SetNotes("");
    data.SetModifikator(true);
    EXPECT_EQ(notifications, 9);
}

TEST_F(DataSetterTest, ScramblerKeyGroupsAreNumberedOneToSixteen) {
    data.SetKey(1, 0x01);
    data.SetKey(16, 0xAB);
    EXPECT_EQ(data.Key(1), 0x01);
    EXPECT_EQ(data.Key(16), 0xAB);
    notifications = 0;
    data.SetKey(0, 0x55);
    data.SetKey(17, 0x55);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(data.Key(0), 0);
    EXPECT_EQ(data.Key(17), 0);
}

TEST_F(DataSetterTest, ResetRestoresDefaultsClearsTheFlagAndNotifies) {
    Canal(7).SetEnabled(true);
    data.SetVolumeLevel(3);
    notifications = 0;
    data.Reset();
    EXPECT_FALSE(Canal(7).Enabled());
    EXPECT_EQ(data.VolumeLevel(), 7);
    EXPECT_FALSE(data.IsModified());
    EXPECT_EQ(notifications, 1);
}

using ValidateTest = LarchSetTest;

TEST_F(ValidateTest, WorkingChannelCountDecides) {
    struct Case {
        int working;
        bool accepted;
        const char* message;
    };
    const Case cases[] = {
        {0, false, "Нет активных каналов для записи параметров"},
        {1, true, ""},
        {95, true, ""},
        {96, false, "Превышено допустимое число рабочих каналов (не более 95)"},
        {100, false, "Превышено допустимое число рабочих каналов (не более 95)"},
    };
    for (const Case& k : cases) {
        for (int i = 0; i < kLarchCanalCount; ++i) Canal(i).SetEnabled(i < k.working);
        std::string message = "stale";
        EXPECT_EQ(data.Validate(message), k.accepted) << k.working;
        EXPECT_EQ(message, k.message) << k.working;
    }
}

TEST_F(ValidateTest, RangesNeverBlockWriting) {
    EXPECT_EQ(data.RangeText(), "39-49 МГц");
    ASSERT_TRUE(
        Read("\r\nFR1=40000000\r\nFR2=41000000\r\nFR3=45000000\r\nFR4=46000000\r\n"
             "7Enabled=1\r\n"));
    EXPECT_EQ(data.RangeText(), "40-41, 45-46 МГц");
    std::string message;
    EXPECT_TRUE(data.Validate(message));
}

// A link that answers every segment request, and remembers them.
class FakeInfo final : public IRadioInfo {
  public:
    std::string FW() const override { return fw; }
    std::string SN() const override { return "L-0042"; }
    int BankFlag() const override { return 1; }
    int RangeCount() const override { return 1; }
    int RangeEdge(int, int edge) const override { return edge == 0 ? low : high; }
    std::string fw = "LARCH";
    int low = 39000000, high = 49000000;
};

class FakeSocket final : public IRadioSocket {
  public:
    IRadioInfo* GetInfo() override { return &info; }
    bool SetClock() override { return true; }
    bool GetSegment(std::uint16_t segment, std::span<std::uint8_t> destination) override {
        requests.emplace_back(segment, destination.size());
        return true;
    }
    bool PutSegment(std::uint16_t, std::span<const std::uint8_t>) override { return true; }
    bool ReleaseSegment(std::uint16_t) override { return true; }
    bool EndSession() override { return true; }
    FakeInfo info;
    std::vector<std::pair<std::uint16_t, std::size_t>> requests;
};

TEST(LarchWareTest, DescribesTheModel) {
    CLarchWare ware;
    ExpectIdentity(ware, {"LARCH", "1.1.0", "Лиственница-1", "lrc", 39000000, 49000000});
    IRadio* radio = ware.GetRadio(0);
    EXPECT_EQ(ware.GetView(), nullptr);
    ASSERT_TRUE(ware.AttachData(radio, nullptr, nullptr));
    EXPECT_NE(dynamic_cast<CLarchData*>(ware.AttachedData()), nullptr);
}

TEST(LarchWareTest, RecognitionProbesSegment512AndNeedsNoConverterCode) {
    CLarchWare ware;
    IRadio* radio = ware.GetRadio(0);
    FakeSocket link;
    IRadioQualifier* qualifier = ware.CreateQualifier(radio);
    ASSERT_NE(qualifier, nullptr);
    EXPECT_TRUE(qualifier->Qualification(&link));
    ASSERT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.requests[0], (std::pair<std::uint16_t, std::size_t>{512, 128}));
    EXPECT_EQ(radio->SerialNumber(), "L-0042");
    ASSERT_NE(radio->Data(), nullptr);
    EXPECT_EQ(radio->Data()->RadioConverterType(), -1);

    link.info.fw = "LARCX";
    EXPECT_FALSE(qualifier->Qualification(&link));
    link.info.fw = "LARCH";
    link.info.high = 49000001;
    EXPECT_FALSE(qualifier->Qualification(&link));
    ware.ReleaseQualifier(qualifier);
}

}  // namespace
