#pragma once
// The allowed frequency ranges FR1..FR8 of a parameter set: four (low, high) pairs; the first
// pair whose edges are equal ends the list. Frequencies are in Hz.

#include <array>
#include <string>

using FreqRanges = std::array<int, 8>;

inline constexpr int kRangeRaster = 12500;

// Sorts, merges and clips the ranges to the band on the 12.5 kHz raster; unused pairs become
// empty pairs at the band's top, and no range at all becomes one covering the band.
void NormalizeRanges(FreqRanges& ranges, int bandLow, int bandHigh);

// "145-149, 165-174 МГц": at most four pairs in whole MHz.
std::string RangeText(const FreqRanges& ranges);

// Moves a frequency into the ranges for display: below the first range to its low edge, above
// the last to its high edge, inside a gap to the nearer edge (the upper one on a tie).
int SnapToRanges(const FreqRanges& ranges, int frequency);
// One step up or down; a result inside a gap jumps across it.
int StepUp(const FreqRanges& ranges, int frequency, int step);
int StepDown(const FreqRanges& ranges, int frequency, int step);
