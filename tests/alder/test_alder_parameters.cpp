// The Alder parameter set: range rules of the setters, channel couplings, the priority channel,
// the write check and the conversions the view uses.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "U_alderware.h"
#include "test_support.h"

namespace {

class AlderParameters : public ::testing::Test {
  protected:
    AlderParameters() { notes.AttachTo(data); }

    void Fresh() {
        data.Reset();
        notes.count = 0;
    }
    // Reads a body; the tests here only use it to put ranges and channels in place.
    void Load(const std::vector<std::string>& lines) {
        ASSERT_TRUE(ReadBody(data, Body(lines)));
        notes.count = 0;
    }

    CAlder radio;
    CAlderData data{radio};
    SNotifyCounter notes;
};

// One integer setter: a value it takes as it is, and an out-of-range value with its result.
struct SIntRule {
    const char* name;
    std::function<void(CAlderData&, int)> set;
    std::function<int(const CAlderData&)> get;
    int accepted;
    int outside;
    int resultOutside;  // the default when the rule ignores, the edge when it clamps
};

TEST_F(AlderParameters, IntegerSettersIgnoreOrClampAsTheirRuleSays) {
    const SIntRule rules[] = {
        {"Tone high", &CAlderData::SetTone, &CAlderData::Tone, 3000, 3001, 1450},
        {"Tone low", &CAlderData::SetTone, &CAlderData::Tone, 500, 499, 1450},
        {"Squelch", &CAlderData::SetSquelch, &CAlderData::Squelch, 8, 9, 3},
        {"Squelch negative", &CAlderData::SetSquelch, &CAlderData::Squelch, 0, -1, 3},
        {"Power", &CAlderData::SetPower, &CAlderData::Power, 1, 2, 0},
        {"LimitPRD", &CAlderData::SetLimitPRD, &CAlderData::LimitPRD, 5, 4, 60},
        {"RestPRD", &CAlderData::SetRestPRD, &CAlderData::RestPRD, 240, 241, 5},
        {"DelayScanning", &CAlderData::SetDelayScanning, &CAlderData::DelayScanning, 0, 61, 5},
        {"PRG_Password", &CAlderData::SetPRG_Password, &CAlderData::PRG_Password, 9999, 10000, 0},
        {"VA_Hi", &CAlderData::SetVA_Hi, &CAlderData::VA_Hi, 4096, 0, 256},
        {"VA_Lo", &CAlderData::SetVA_Lo, &CAlderData::VA_Lo, 1, 4097, 80},
        {"VA_Pause", &CAlderData::SetVA_Pause, &CAlderData::VA_Pause, 4, 5, 3},
        {"DTMF_ChWidth", &CAlderData::SetDTMF_ChWidth, &CAlderData::DTMF_ChWidth, 100, 101, 100},
        {"DTMF_ChPause", &CAlderData::SetDTMF_ChPause, &CAlderData::DTMF_ChPause, 0, -3, 0},
        {"DTMF_Time", &CAlderData::SetDTMF_Time, &CAlderData::DTMF_Time, 255, 5, 10},
    };
    for (const SIntRule& rule : rules) {
        SCOPED_TRACE(rule.name);
        Fresh();
        const int fresh = rule.get(data);
        rule.set(data, rule.outside);
        EXPECT_EQ(rule.get(data), rule.resultOutside);
        EXPECT_EQ(notes.count, rule.resultOutside == fresh ? 0 : 1);
        EXPECT_EQ(data.IsModified(), rule.resultOutside != fresh);

        Fresh();
        rule.set(data, rule.accepted);
        EXPECT_EQ(rule.get(data), rule.accepted);
        const int afterFirst = notes.count;
        EXPECT_EQ(afterFirst, rule.accepted == fresh ? 0 : 1);
        rule.set(data, rule.accepted);
        EXPECT_EQ(notes.count, afterFirst) << "an unchanged value does not notify";
    }
}

TEST_F(AlderParameters, KeyGroupsTakeAnyByteAndIgnoreGroupsOutsideOneToSixteen) {
    data.SetKey(16, 0xFF);
    data.SetKey(0, 0x11);
    data.SetKey(17, 0x11);
    EXPECT_EQ(data.Key(16), 0xFF);
    EXPECT_EQ(notes.count, 1);
    for (int group = 1; group <= 15; ++group)
        EXPECT_EQ(data.Key(group), CAlderData::kDefaultKey[static_cast<std::size_t>(group - 1)]);
}

TEST_F(AlderParameters, UserTonesAreClampedAndChangeOnlyBeyondTheRadiosResolution) {
    data.SetCTCSS_PRM(101.05);
    EXPECT_DOUBLE_EQ(data.CTCSS_PRM(), 101.0);
    EXPECT_EQ(notes.count, 0);
    data.SetCTCSS_PRM(101.1);
    EXPECT_DOUBLE_EQ(data.CTCSS_PRM(), 101.1);
    EXPECT_EQ(notes.count, 1);
    data.SetCTCSS_PRM(60);
    EXPECT_DOUBLE_EQ(data.CTCSS_PRM(), 67.0);
    data.SetCTCSS_PRD(300);
    EXPECT_DOUBLE_EQ(data.CTCSS_PRD(), 254.9);
    data.SetCTCSS_PRD(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(data.CTCSS_PRD(), 67.0);
}

TEST_F(AlderParameters, ReceiveFrequencyIsClampedToTheBandRoundedAndCopiedWhileCoupled) {
    CAlderCanal& canal = *data.Canal(0);
    canal.SetFRQ_PRM(176000000);
    EXPECT_EQ(canal.FRQ_PRM(), 175000000);
    EXPECT_EQ(canal.FRQ_PRD(), 175000000);
    canal.SetFRQ_PRM(145006000);
    EXPECT_EQ(canal.FRQ_PRM(), 145000000);
    canal.SetFRQ_PRM(100);
    EXPECT_EQ(canal.FRQ_PRM(), 145000000);
    EXPECT_TRUE(canal.One_FRQ());

    canal.SetFRQ_PRD(146000000);
    EXPECT_EQ(canal.FRQ_PRD(), 146000000);
    EXPECT_FALSE(canal.One_FRQ());
    canal.SetFRQ_PRM(147012500);
    EXPECT_EQ(canal.FRQ_PRD(), 146000000) << "uncoupled: the transmit frequency stays";
    canal.SetOne_FRQ(true);
    EXPECT_EQ(canal.FRQ_PRD(), 147012500);
}

TEST_F(AlderParameters, StepIsAlways12k5AndStillNotifies) {
    CAlderCanal& canal = *data.Canal(4);
    canal.SetFRQ_Step(25000);
    EXPECT_EQ(canal.FRQ_Step(), 12500);
    EXPECT_EQ(notes.count, 1);
    canal.SetFRQ_Step(12500);
    EXPECT_EQ(notes.count, 2);
}

TEST_F(AlderParameters, ToneCouplingFollowsReceiveCodesUpTo51AndPartsOn52) {
    CAlderCanal& canal = *data.Canal(1);
    canal.SetCSS_PRM(9);
    EXPECT_EQ(canal.CSS_PRD(), 9);
    canal.SetCSS_PRM(53);
    EXPECT_EQ(canal.CSS_PRM(), 0);
    EXPECT_EQ(canal.CSS_PRD(), 0);

    canal.SetCSS_PRM(alder::kUserTone);
    EXPECT_EQ(canal.CSS_PRD(), alder::kUserTone);
    canal.SetCSS_PRM(52);
    EXPECT_EQ(canal.CSS_PRM(), 52);
    EXPECT_EQ(canal.CSS_PRD(), alder::kUserTone);
    EXPECT_FALSE(canal.One_CSS());

    notes.count = 0;
    canal.SetOne_CSS(true);
    EXPECT_FALSE(canal.One_CSS()) << "code 52 has no transmit counterpart";
    EXPECT_EQ(notes.count, 1) << "a refused request still notifies";

    canal.SetCSS_PRM(20);
    canal.SetOne_CSS(true);
    EXPECT_TRUE(canal.One_CSS());
    EXPECT_EQ(canal.CSS_PRD(), 20);
    canal.SetCSS_PRD(52);
    EXPECT_EQ(canal.CSS_PRD(), 0) << "52 is not a transmit code";
    EXPECT_FALSE(canal.One_CSS());
}

TEST_F(AlderParameters, PriorityChannelFollowsTheScanList) {
    for (int i : {3, 5, 8}) data.Canal(i)->SetEnabled(true);
    data.Canal(8)->SetScanning(true);
    EXPECT_EQ(data.PriorCanal(), 8) << "the lowest enabled scanning channel is taken";
    data.Canal(3)->SetScanning(true);
    EXPECT_EQ(data.PriorCanal(), 8) << "a valid priority channel stays";

    data.SetPriorCanal(5);
    EXPECT_EQ(data.PriorCanal(), 8) << "channel 5 does not scan";
    data.SetPriorCanal(3);
    EXPECT_EQ(data.PriorCanal(), 3);
    data.SetPriorScanning(true);
    EXPECT_TRUE(data.PriorScanning());

    data.Canal(3)->SetScanning(false);
    EXPECT_EQ(data.PriorCanal(), 8);
    data.Canal(8)->SetEnabled(false);
    EXPECT_EQ(data.PriorCanal(), -1);
    EXPECT_FALSE(data.PriorScanning());
    data.SetPriorScanning(true);
    EXPECT_FALSE(data.PriorScanning()) << "no priority channel, no priority scanning";
}

TEST_F(AlderParameters, WritingNeedsAnEnabledChannelAndTheFactoryRanges) {
    std::string message = "stale";
    EXPECT_FALSE(data.Validate(message));
    EXPECT_EQ(message, "Нет активных каналов для записи параметров");
    data.Canal(42)->SetEnabled(true);
    EXPECT_TRUE(data.Validate(message));
    EXPECT_EQ(message, "");

    Load({"FR1=145000000", "FR2=160000000", "FR3=150000000", "FR4=174000000", "42Enabled=1"});
    EXPECT_EQ(data.RangeText(), "145-174 МГц");
    EXPECT_FALSE(data.Validate(message));
    EXPECT_EQ(message, "Запрещенный для записи диапазон частот");
}

TEST_F(AlderParameters, RangeTextOfTheDefaults) {
    EXPECT_EQ(data.RangeText(), "145-149, 165-174 МГц");
}

TEST_F(AlderParameters, FrequencyTextMovesIntoTheRangesAndStepsJumpTheGap) {
    EXPECT_EQ(alder::FreqText(data, 150000000), "149 000 000");
    EXPECT_EQ(alder::FreqText(data, 157000000), "165 000 000");
    EXPECT_EQ(alder::FreqText(data, 145012500), "145 012 500");
    EXPECT_EQ(alder::FreqText(data, 12500), "12,5");
    EXPECT_EQ(alder::FreqText(data, 25000), "25");
    EXPECT_EQ(alder::StepUp(data, 149000000, 12500), 165000000);
    EXPECT_EQ(alder::StepDown(data, 165000000, 12500), 149000000);
    EXPECT_EQ(alder::StepUp(data, 174000000, 12500), 174000000);
    EXPECT_EQ(alder::StepDown(data, 145000000, 12500), 145000000);

    EXPECT_EQ(alder::ParseFreqText(data, "145 012 500"), 145012500);
    EXPECT_EQ(alder::ParseFreqText(data, "145012500"), 145000000);
    EXPECT_EQ(alder::ParseFreqText(data, "150 000 000"), 149000000);
    EXPECT_EQ(alder::ParseFreqText(data, "14x 012 500"), 145000000);
    EXPECT_EQ(alder::ParseFreqText(data, "12,5"), 12500);
    EXPECT_EQ(alder::ParseFreqText(data, "25"), 25000);
}

TEST_F(AlderParameters, NamesAndCodesOfTheValueLists) {
    EXPECT_EQ(alder::ToneName(0), "(нет)");
    EXPECT_EQ(alder::ToneName(1), "67,0");
    EXPECT_EQ(alder::ToneName(51), "(ОПР)");
    EXPECT_EQ(alder::ToneName(53), "(нет)");
    EXPECT_EQ(alder::ToneName(-1), "(нет)");
    EXPECT_EQ(alder::ToneCode("254,1"), 50);
    EXPECT_EQ(alder::ToneCode("(опр)"), 51);
    EXPECT_EQ(alder::ToneCode("88.5"), 0);
    EXPECT_EQ(alder::ToneCode(alder::ToneName(52)), 52) << "code 52 survives its own name";

    EXPECT_EQ(alder::PowerName(1), "Повышенная");
    EXPECT_EQ(alder::PowerName(7), "Номинальная");
    EXPECT_EQ(alder::PowerCode("повышенная"), 1);
    EXPECT_EQ(alder::SquelchName(0), "(шумоподавитель выключен)");
    EXPECT_EQ(alder::SquelchName(256), "Уровень 7");
    EXPECT_EQ(alder::SquelchName(-4), "(шумоподавитель выключен)");
    EXPECT_EQ(alder::SquelchCode("Уровень 0"), 1);
    EXPECT_EQ(alder::SquelchCode("nonsense"), 0);
}

TEST_F(AlderParameters, ResetNotifiesAndClearsTheFlagAndCanalOutsideGivesChannelZero) {
    data.SetTone(2000);
    data.Canal(7)->SetEnabled(true);
    notes.count = 0;
    data.Reset();
    EXPECT_EQ(notes.count, 1);
    EXPECT_FALSE(data.IsModified());
    EXPECT_EQ(data.Tone(), 1450);
    EXPECT_FALSE(data.Canal(7)->Enabled());
    EXPECT_EQ(data.Canal(100), data.Canal(0));
    EXPECT_EQ(data.Canal(-1), data.Canal(0));
    EXPECT_EQ(data.Canal(99)->Index(), 99);
}

}  // namespace
