#include <gtest/gtest.h>

#include "fakes.h"

namespace {

using Log = std::vector<std::string>;

struct Exchange : ::testing::Test {
    fake::Radio radio;
    fake::Link link;

    // Runs the exchange as the program's worker does; returns the progress values seen.
    std::vector<int> Run(IRadioRW& rw, bool reading, bool& ok) {
        reading ? rw.BeginRead() : rw.BeginWrite();
        std::vector<int> progress;
        ok = true;
        while (!rw.IsDone()) {
            if (!rw.Step()) {
                ok = false;
                break;
            }
            progress.push_back(rw.Progress());
        }
        return progress;
    }
};

TEST_F(Exchange, ReadingBankOneReadsItsSegmentsAndTheFactorySegment) {
    fake::Ware ware(radio);
    ware.EnsureData();
    link.bankFlag = 1;
    link.segments[1] = std::vector<std::uint8_t>(512, 0x11);
    IRadioRW* rw = ware.CreateRW(&radio, static_cast<IRadioSocket*>(&link));
    ASSERT_NE(rw, nullptr);
    radio.SetFileName("/tmp/x.tst");
    radio.SetConverterType(5);
    bool ok = false;
    EXPECT_EQ(Run(*rw, true, ok), (std::vector<int>{5, 24, 43, 62, 81, 100}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(link.log, (Log{"get 256", "get 9", "get 8", "get 7", "get 6", "get 1"}));
    auto& data = static_cast<fake::Data&>(*radio.ModelData());
    ASSERT_EQ(data.decoded.size(), 2688u);
    EXPECT_EQ(data.decoded[2176], 0x11);
    EXPECT_EQ(radio.FileName(), "");
    EXPECT_EQ(radio.ConverterType(), -1);
    ware.ReleaseRW(rw);
}

TEST_F(Exchange, WritingFillsTheOtherBankAndNamesTheBankInUseLast) {
    fake::Ware ware(radio);
    ware.EnsureData();
    link.bankFlag = 1;
    IRadioRW* rw = ware.CreateRW(&radio, static_cast<IRadioSocket*>(&link));
    bool ok = false;
    EXPECT_EQ(Run(*rw, false, ok), (std::vector<int>{6, 29, 53, 76, 100, 100}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(link.log,
              (Log{"clock", "put 512", "put 5", "put 4", "put 3", "put 2", "release 256", "end"}));
    EXPECT_EQ(link.segments[512].size(), 128u);
    EXPECT_EQ(link.segments[2][0], static_cast<std::uint8_t>(1664 * 7));
    ware.ReleaseRW(rw);
}

TEST_F(Exchange, BankZeroUsesTheOtherNumbers) {
    fake::Ware ware(radio);
    ware.EnsureData();
    IRadioRW* rw = ware.CreateRW(&radio, static_cast<IRadioSocket*>(&link));
    bool ok = false;
    Run(*rw, false, ok);
    EXPECT_EQ(link.log,
              (Log{"clock", "put 256", "put 9", "put 8", "put 7", "put 6", "release 512", "end"}));
    ware.ReleaseRW(rw);
}

TEST_F(Exchange, AFailedStepEndsTheReadWithoutTouchingTheParameters) {
    fake::Ware ware(radio);
    auto& data = static_cast<fake::Data&>(ware.EnsureData());
    for (int failing = 0; failing < 6; ++failing) {
        link.log.clear();
        link.failAtRequest = failing;
        IRadioRW* rw = ware.CreateRW(&radio, static_cast<IRadioSocket*>(&link));
        bool ok = true;
        const std::vector<int> progress = Run(*rw, true, ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(progress.size(), static_cast<std::size_t>(failing));
        // The failed step still counts and sets its progress.
        constexpr int kRead[] = {5, 24, 43, 62, 81, 100};
        EXPECT_EQ(rw->Progress(), kRead[failing]);
        EXPECT_TRUE(data.decoded.empty()) << "step " << failing + 1;
        if (failing == 5) {
            EXPECT_TRUE(rw->IsDone());  // all steps ran, but one failed
        }
        EXPECT_TRUE(data.decoded.empty());
        ware.ReleaseRW(rw);
    }
}

TEST_F(Exchange, ThreeSegmentLayoutReadsAndWritesWithItsProgressAndNoStepBeyondTheLast) {
    fake::Ware ware(radio, fake::Layout::ThreeSegments);
    static_cast<fake::Data&>(ware.EnsureData()).imageSize = CThreeSegmentRW::kImageSize;
    IRadioRW* rw = ware.CreateRW(&radio, static_cast<IRadioSocket*>(&link));
    bool ok = false;
    EXPECT_EQ(Run(*rw, true, ok), (std::vector<int>{20, 55, 95}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(link.log, (Log{"get 119", "get 120", "get 512"}));
    EXPECT_FALSE(rw->Step()) << "a step beyond the last fails";
    ware.ReleaseRW(rw);

    link.log.clear();
    rw = ware.CreateRW(&radio, static_cast<IRadioSocket*>(&link));
    EXPECT_EQ(Run(*rw, false, ok), (std::vector<int>{30, 65, 99}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(link.log, (Log{"clock", "put 119", "put 120", "put 512", "end"}));
    EXPECT_EQ(link.segments[120].size(), 512u);
    ware.ReleaseRW(rw);
}

struct Recognition : Exchange {};

TEST_F(Recognition, AcceptsTheModelAndTakesItsSerialNumber) {
    fake::Ware ware(radio);
    IRadioQualifier* q = ware.CreateQualifier(&radio);
    ASSERT_NE(q, nullptr);
    link.bankFlag = 1;
    EXPECT_TRUE(q->Qualification(static_cast<IRadioSocket*>(&link)));
    EXPECT_EQ(link.log, (Log{"get 6"}));
    EXPECT_EQ(radio.SerialNumber(), "12345");
    ASSERT_NE(radio.Data(), nullptr);
    EXPECT_EQ(radio.Data()->RadioConverterType(), 16);
    ware.ReleaseQualifier(q);
}

TEST_F(Recognition, RejectsAnotherModelBeforeReadingAnything) {
    fake::Ware ware(radio);
    IRadioQualifier* q = ware.CreateQualifier(&radio);
    link.fw = "PROBF";
    EXPECT_FALSE(q->Qualification(static_cast<IRadioSocket*>(&link)));
    EXPECT_TRUE(link.log.empty());
    EXPECT_EQ(radio.SerialNumber(), "");
    ware.ReleaseQualifier(q);
}

TEST_F(Recognition, RejectsRangesOutsideTheBand) {
    fake::Ware ware(radio);
    IRadioQualifier* q = ware.CreateQualifier(&radio);
    link.ranges = {{144999999, 150000000}};
    EXPECT_FALSE(q->Qualification(static_cast<IRadioSocket*>(&link)));
    link.ranges = {{145000000, 150000000}, {160000000, 175000001}};
    EXPECT_FALSE(q->Qualification(static_cast<IRadioSocket*>(&link)));
    link.ranges = {};  // no ranges: both edges are the base frequency
    EXPECT_TRUE(q->Qualification(static_cast<IRadioSocket*>(&link)));
    ware.ReleaseQualifier(q);
}

TEST_F(Recognition, ConverterByteOfTheProbeDecidesForBirchAndCedarKinds) {
    fake::Ware ware(radio, fake::Layout::TwoBanks, /*converterRule=*/true);
    IRadioQualifier* q = ware.CreateQualifier(&radio);
    const std::pair<int, int> accepted[] = {{0, 0}, {1, 1}, {2, 2}, {7, 5}};
    for (const auto& [byte, code] : accepted) {
        link.segments[2] = std::vector<std::uint8_t>(512, 0);
        link.segments[2][64] = static_cast<std::uint8_t>(byte);
        EXPECT_TRUE(q->Qualification(static_cast<IRadioSocket*>(&link))) << byte;
        EXPECT_EQ(radio.Data()->RadioConverterType(), code);
    }
    link.segments[2][64] = 3;
    link.sn = "-7";
    EXPECT_FALSE(q->Qualification(static_cast<IRadioSocket*>(&link)));
    EXPECT_EQ(radio.SerialNumber(), "-7");  // taken before the rule rejected the radio
    ware.ReleaseQualifier(q);
}

TEST_F(Recognition, AFailedProbeRejects) {
    fake::Ware ware(radio);
    IRadioQualifier* q = ware.CreateQualifier(&radio);
    link.failAtRequest = 0;
    EXPECT_FALSE(q->Qualification(static_cast<IRadioSocket*>(&link)));
    EXPECT_EQ(radio.Data(), nullptr);
    ware.ReleaseQualifier(q);
}

}  // namespace
