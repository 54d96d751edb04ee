#include "U_ranges.h"

#include <cstdint>
#include <vector>

namespace {

struct Pair {
    std::int64_t low, high;
};

// The pairs in use: those before the first empty one.
std::vector<Pair> ActivePairs(const FreqRanges& ranges) {
    std::vector<Pair> pairs;
    for (std::size_t i = 0; i < ranges.size(); i += 2) {
        if (ranges[i] == ranges[i + 1]) break;
        pairs.push_back({ranges[i], ranges[i + 1]});
    }
    return pairs;
}

// The outer bounds of the ranges. The top is the high edge of the last range in use, so that
// the empty pairs parked at the band's top do not count as allowed frequencies.
std::int64_t LowBound(const FreqRanges& ranges) {
    return ranges[0];
}
std::int64_t HighBound(const FreqRanges& ranges, const std::vector<Pair>& pairs) {
    return pairs.empty() ? ranges[7] : pairs.back().high;
}

enum class GapEdge { Nearer, Upper, Lower };

int MoveIntoRanges(const FreqRanges& ranges, std::int64_t f, GapEdge edge) {
    const std::vector<Pair> pairs = ActivePairs(ranges);
    if (f < LowBound(ranges)) return static_cast<int>(LowBound(ranges));
    if (f > HighBound(ranges, pairs)) return static_cast<int>(HighBound(ranges, pairs));
    for (std::size_t i = 0; i + 1 < pairs.size(); ++i) {
        const std::int64_t gapLow = pairs[i].high;
        const std::int64_t gapHigh = pairs[i + 1].low;
        if (f <= gapLow || f >= gapHigh) continue;
        switch (edge) {
            case GapEdge::Upper:
                return static_cast<int>(gapHigh);
            case GapEdge::Lower:
                return static_cast<int>(gapLow);
            case GapEdge::Nearer:
                return static_cast<int>(f - gapLow < gapHigh - f ? gapLow : gapHigh);
        }
    }
    return static_cast<int>(f);
}

}  // namespace

void NormalizeRanges(FreqRanges& ranges, int bandLow, int bandHigh) {
    const std::int64_t lowest = bandLow;
    const std::int64_t cells = (std::int64_t{bandHigh} - lowest) / kRangeRaster + 1;
    if (cells <= 0) return;
    std::vector<bool> marked(static_cast<std::size_t>(cells), false);
    bool any = false;
    for (const Pair& pair : ActivePairs(ranges)) {
        std::int64_t first = (pair.low - lowest) / kRangeRaster;
        std::int64_t last = (pair.high - lowest) / kRangeRaster;
        if (first < 0) first = 0;
        if (last > cells - 1) last = cells - 1;
        for (std::int64_t cell = first; cell <= last; ++cell) {
            marked[static_cast<std::size_t>(cell)] = true;
            any = true;
        }
    }
    ranges.fill(bandHigh);
    if (!any) {
        ranges[0] = bandLow;
        return;
    }
    std::size_t pair = 0;
    for (std::int64_t cell = 0; cell < cells && pair < 4; ++cell) {
        if (!marked[static_cast<std::size_t>(cell)]) continue;
        std::int64_t end = cell;
        while (end + 1 < cells && marked[static_cast<std::size_t>(end + 1)]) ++end;
        // A run of one cell would be a pair with equal edges, which reads as the end of the
        // list: it would hide the ranges after it and vanish on the next reading.
        if (end > cell) {
            ranges[2 * pair] = static_cast<int>(lowest + cell * kRangeRaster);
            ranges[2 * pair + 1] = static_cast<int>(lowest + end * kRangeRaster);
            ++pair;
        }
        cell = end;
    }
    if (pair == 0) ranges[0] = bandLow;
}

std::string RangeText(const FreqRanges& ranges) {
    std::string text;
    for (const Pair& pair : ActivePairs(ranges)) {
        if (!text.empty()) text += ", ";
        text += std::to_string(pair.low / 1000000) + "-" + std::to_string(pair.high / 1000000);
    }
    return text + " МГц";
}

int SnapToRanges(const FreqRanges& ranges, int frequency) {
    return MoveIntoRanges(ranges, frequency, GapEdge::Nearer);
}

int StepUp(const FreqRanges& ranges, int frequency, int step) {
    return MoveIntoRanges(ranges, std::int64_t{frequency} + step, GapEdge::Upper);
}

int StepDown(const FreqRanges& ranges, int frequency, int step) {
    return MoveIntoRanges(ranges, std::int64_t{frequency} - step, GapEdge::Lower);
}
