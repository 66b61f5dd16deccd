// Trigger events worked out by hand (hysteresis, interpolation, width, holdoff, span edges), each
// sequence fed in every possible split into blocks, and a direct transcription of the definitions
// checked against the scanner on random signals cut at random.
#include "analysis/TriggerScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace varnilog;

namespace {

using Codes = std::vector<std::uint8_t>;
using Events = std::vector<TriggerEvent>;

struct Row {
    const char* name;
    TriggerSettings settings;
    Codes codes;
    Events expected; // sample indices from 1000, the span's first sample
};

TriggerSettings rising(double level = 125, double hyst = 2.5) {
    return {TriggerEdge::Rising, level, hyst, WidthCondition::None, 0, 0};
}

TriggerSettings with(TriggerSettings s, WidthCondition w, double limit, std::int64_t holdoff = 0) {
    s.width = w;
    s.widthLimit = limit;
    s.holdoff = holdoff;
    return s;
}

TriggerEvent ev(std::int64_t k, double t) {
    return {1000 + k, 1000 + t, false, 0};
}
TriggerEvent evw(std::int64_t k, double t, double w) {
    return {1000 + k, 1000 + t, true, w};
}

Events scanInBlocks(const TriggerSettings& s, const Codes& codes, const std::vector<std::size_t>& cuts) {
    TriggerScanner scanner(s, 1000);
    Events out;
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        scanner.scan(codes.data() + at, static_cast<std::int64_t>(cut - at),
                     [&](const TriggerEvent& e) { out.push_back(e); });
        at = cut;
    }
    return out;
}

void expectSame(const Events& got, const Events& want, const std::string& where) {
    ASSERT_EQ(got.size(), want.size()) << where;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].sample, want[i].sample) << where << " event " << i;
        EXPECT_NEAR(got[i].position, want[i].position, 1e-9) << where << " event " << i;
        EXPECT_EQ(got[i].hasWidth, want[i].hasWidth) << where << " event " << i;
        EXPECT_NEAR(got[i].width, want[i].width, 1e-9) << where << " event " << i;
    }
}

// The definitions, sample by sample, without the scanner's whole-code thresholds or searches.
Events reference(const TriggerSettings& s, const Codes& c, std::int64_t from) {
    const bool up = s.edge == TriggerEdge::Rising;
    const double L = s.level, h = s.hysteresis;
    Events out;
    bool armed = false, haveLast = false;
    std::int64_t lastK = 0;
    for (std::size_t k = 0; k < c.size(); ++k) {
        if (!armed) {
            armed = up ? c[k] < L - h : c[k] > L + h;
            continue;
        }
        if (!(up ? c[k] >= L : c[k] <= L))
            continue;
        armed = false;
        TriggerEvent e{static_cast<std::int64_t>(k), k - 1 + (L - c[k - 1]) / double(c[k] - c[k - 1]), false,
                       0};
        if (s.width != WidthCondition::None) {
            std::size_t m = k;
            while (m < c.size() && (up ? c[m] >= L : c[m] <= L))
                ++m;
            if (m == c.size())
                break;
            e.hasWidth = true;
            e.width = m - 1 + (c[m - 1] - L) / double(c[m - 1] - c[m]) - e.position;
            const bool ok =
                s.width == WidthCondition::Below ? e.width < s.widthLimit : e.width > s.widthLimit;
            k = m - 1; // the sample that ends the pulse may arm
            if (!ok)
                continue;
        }
        if (haveLast && e.sample < lastK + s.holdoff)
            continue;
        haveLast = true;
        lastK = e.sample;
        e.sample += from;
        e.position += static_cast<double>(from);
        out.push_back(e);
    }
    return out;
}

} // namespace

TEST(TriggerScannerTest, HandWorkedRowsInEverySplit) {
    TriggerSettings falling = rising();
    falling.edge = TriggerEdge::Falling;
    const Row rows[] = {
        {"arm then fire, halfway", rising(), {120, 130}, {ev(1, 0.5)}},
        {"124 is inside the hysteresis", rising(), {124, 130, 120, 126}, {ev(3, 2 + 5.0 / 6)}},
        {"re-arms only below level - h", rising(), {120, 130, 124, 130, 122, 128}, {ev(1, 0.5), ev(5, 4.5)}},
        {"first sample above level never fires", rising(), {130, 120, 130}, {ev(2, 1.5)}},
        {"exactly at the level fires", rising(), {120, 125}, {ev(1, 1)}},
        {"fractional level, no hysteresis", rising(125.5, 0), {125, 126, 125, 126}, {ev(1, 0.5), ev(3, 2.5)}},
        {"falling mirrors", falling, {130, 120, 126, 128, 124}, {ev(1, 0.5), ev(4, 3.75)}},
        {"level out of reach", rising(300), {0, 255, 0, 255}, {}},
        {"width below 3 keeps the short pulse",
         with(rising(), WidthCondition::Below, 3),
         {120, 130, 130, 120, 130, 130, 130, 130, 120},
         {evw(1, 0.5, 2)}},
        {"width above 3 keeps the long pulse",
         with(rising(), WidthCondition::Above, 3),
         {120, 130, 130, 120, 130, 130, 130, 130, 120},
         {evw(4, 3.5, 4)}},
        {"an open pulse does not count", with(rising(), WidthCondition::Below, 10), {120, 130, 130}, {}},
        {"holdoff 4 drops k = 3 and 7",
         with(rising(), WidthCondition::None, 0, 4),
         {120, 130, 120, 130, 120, 130, 120, 130},
         {ev(1, 0.5), ev(5, 4.5)}},
    };
    for (const Row& row : rows) {
        const std::size_t n = row.codes.size();
        expectSame(reference(row.settings, row.codes, 1000), row.expected,
                   std::string(row.name) + " (reference)");
        for (unsigned mask = 0; mask < (1u << (n - 1)); ++mask) {
            std::vector<std::size_t> cuts;
            for (std::size_t i = 1; i < n; ++i)
                if (mask & (1u << (i - 1)))
                    cuts.push_back(i);
            cuts.push_back(n);
            expectSame(scanInBlocks(row.settings, row.codes, cuts), row.expected,
                       std::string(row.name) + " split " + std::to_string(mask));
        }
    }
}

TEST(TriggerScannerTest, RandomSignalsMatchTheDefinitionsAndSkippedBlocksChangeNothing) {
    std::mt19937 rng(27);
    for (int round = 0; round < 300; ++round) {
        TriggerSettings s = rising(std::uniform_real_distribution<double>(100, 150)(rng),
                                   std::uniform_real_distribution<double>(0, 25)(rng));
        s.edge = round % 2 ? TriggerEdge::Falling : TriggerEdge::Rising;
        s.width = static_cast<WidthCondition>(round % 3);
        s.widthLimit = std::uniform_real_distribution<double>(1, 30)(rng);
        s.holdoff = round % 5 == 0 ? 40 : 0;
        // Quiet stretches between bursts, so whole blocks can be skipped.
        Codes codes(3000);
        for (std::size_t i = 0; i < codes.size(); ++i)
            codes[i] = (i / 200) % 3 == 0 ? static_cast<std::uint8_t>(rng() % 120 + 70)
                                          : static_cast<std::uint8_t>(60 + (round % 2) * 130 + rng() % 5);
        const Events want = reference(s, codes, 0);
        std::vector<std::size_t> cuts;
        for (std::size_t at = 0; at < codes.size();)
            cuts.push_back(at = std::min(codes.size(), at + 1 + rng() % 97));
        expectSame(scanInBlocks(s, codes, cuts), reference(s, codes, 1000), "round " + std::to_string(round));

        // Blocks of 64 offered for skipping with their extremes, the rest scanned.
        TriggerScanner scanner(s, 0);
        Events got;
        const auto sink = [&](const TriggerEvent& e) { got.push_back(e); };
        for (std::int64_t block = 0; block < 3000; block += 64) {
            const std::int64_t n = std::min<std::int64_t>(64, 3000 - block);
            const auto [lo, hi] = std::minmax_element(codes.begin() + block, codes.begin() + block + n);
            if (!scanner.skipBlock(n, *lo, *hi))
                scanner.scan(codes.data() + block, n, sink);
            else if (block + n < 3000)
                scanner.setPrevious(codes[static_cast<std::size_t>(block + n - 1)]);
        }
        expectSame(got, want, "skipping, round " + std::to_string(round));
    }
}
