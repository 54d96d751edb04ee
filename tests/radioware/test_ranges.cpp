#include <gtest/gtest.h>

#include <climits>

#include "U_ranges.h"

namespace {
constexpr int MHz(double v) {
    return static_cast<int>(v * 1000000);
}
constexpr int kAlderLow = MHz(145), kAlderHigh = MHz(175);
const FreqRanges kDefaults = {MHz(145), MHz(149), MHz(165), MHz(174),
                              MHz(174), MHz(174), MHz(174), MHz(174)};
}  // namespace

TEST(Ranges, NormalizingDefaultsParksTheUnusedPairsAtTheBandTop) {
    FreqRanges r = kDefaults;
    NormalizeRanges(r, kAlderLow, kAlderHigh);
    EXPECT_EQ(r, (FreqRanges{MHz(145), MHz(149), MHz(165), MHz(174), MHz(175), MHz(175), MHz(175),
                             MHz(175)}));
    EXPECT_EQ(RangeText(r), "145-149, 165-174 МГц");
}

TEST(Ranges, OverlappingRangesMergeAndTheRestIsSortedClippedAndAligned) {
    FreqRanges r = {MHz(150), MHz(174), MHz(145), MHz(160), MHz(1), MHz(2), 0, 0};
    NormalizeRanges(r, kAlderLow, kAlderHigh);
    EXPECT_EQ(RangeText(r), "145-174 МГц");

    FreqRanges clipped = {MHz(100), 145'006'000, MHz(170), MHz(300), 0, 0, 0, 0};
    NormalizeRanges(clipped, kAlderLow, kAlderHigh);
    // 145 000 000..145 006 000 is a single raster cell: no range of its own.
    EXPECT_EQ(clipped[0], MHz(170));
    EXPECT_EQ(clipped[1], MHz(175));
    EXPECT_EQ(clipped[2], clipped[3]);
}

TEST(Ranges, NormalizingTwiceChangesNothing) {
    // A range reaching into the band by one cell at its top would become a pair with equal
    // edges, which the next reading takes for the end of the list.
    const FreqRanges inputs[] = {
        {MHz(136), MHz(174), MHz(49), MHz(174), MHz(174), MHz(174), MHz(174), MHz(174)},
        {MHz(39), MHz(39), MHz(40), MHz(45), 0, 0, 0, 0},
        {MHz(39), 39'012'000, MHz(40), MHz(45), MHz(46), MHz(47), 0, 0},
    };
    for (FreqRanges r : inputs) {
        NormalizeRanges(r, MHz(39), MHz(49));
        const FreqRanges once = r;
        NormalizeRanges(r, MHz(39), MHz(49));
        EXPECT_EQ(r, once) << RangeText(once);
    }
}

TEST(Ranges, NoRangeBecomesTheWholeBand) {
    FreqRanges r = {MHz(150), MHz(150), MHz(160), MHz(170), 0, 0, 0, 0};  // first pair empty
    NormalizeRanges(r, MHz(39), MHz(49));
    EXPECT_EQ(r[0], MHz(39));
    for (std::size_t i = 1; i < r.size(); ++i) EXPECT_EQ(r[i], MHz(49));
    EXPECT_EQ(RangeText(r), "39-49 МГц");
}

TEST(Ranges, ExtremeValuesFromAFileDoNotOverflow) {
    FreqRanges r = {INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0, 0, 0, 0};
    NormalizeRanges(r, kAlderLow, kAlderHigh);
    EXPECT_EQ(RangeText(r), "145-175 МГц");
    EXPECT_EQ(SnapToRanges(r, INT_MAX), MHz(175));
    EXPECT_EQ(StepUp(r, INT_MAX, 25000), MHz(175));
    EXPECT_EQ(StepDown(r, INT_MIN, 25000), MHz(145));
}

TEST(Ranges, MoreThanFourRunsKeepTheLowestFour) {
    FreqRanges r = {MHz(145), MHz(146), MHz(150), MHz(151), MHz(155), MHz(156), MHz(160), MHz(161)};
    NormalizeRanges(r, kAlderLow, kAlderHigh);
    EXPECT_EQ(RangeText(r), "145-146, 150-151, 155-156, 160-161 МГц");
}

TEST(Ranges, SnapMovesIntoTheNearerWindowAndTheUpperOneOnATie) {
    EXPECT_EQ(SnapToRanges(kDefaults, MHz(150)), MHz(149));
    EXPECT_EQ(SnapToRanges(kDefaults, MHz(160)), MHz(165));
    EXPECT_EQ(SnapToRanges(kDefaults, MHz(157)), MHz(165));
    EXPECT_EQ(SnapToRanges(kDefaults, MHz(140)), MHz(145));
    EXPECT_EQ(SnapToRanges(kDefaults, MHz(180)), MHz(174));
    EXPECT_EQ(SnapToRanges(kDefaults, 145'012'500), 145'012'500);
}

TEST(Ranges, StepsJumpAcrossGaps) {
    EXPECT_EQ(StepUp(kDefaults, 148'987'500, 12500), MHz(149));
    EXPECT_EQ(StepUp(kDefaults, MHz(149), 12500), MHz(165));
    EXPECT_EQ(StepDown(kDefaults, MHz(165), 12500), MHz(149));
    EXPECT_EQ(StepUp(kDefaults, MHz(174), 12500), MHz(174));
    EXPECT_EQ(StepDown(kDefaults, MHz(145), 25000), MHz(145));
}

TEST(Ranges, TheEmptyPairsAtTheBandTopAreNotAllowedFrequencies) {
    FreqRanges r = kDefaults;
    NormalizeRanges(r, kAlderLow, kAlderHigh);  // the pairs after 165-174 now sit at 175
    EXPECT_EQ(StepUp(r, MHz(174), 12500), MHz(174));
    EXPECT_EQ(SnapToRanges(r, MHz(174.6)), MHz(174));
}
