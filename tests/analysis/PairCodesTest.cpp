// The block lookup of single-sample operations against the table it is made from: every pair of
// codes, in runs of every length around the vector width, for operations whose table is a straight
// line in integers and for those whose halves fall either way (where only the table is exact).
#include "analysis/PairCodes.h"
#include "analysis/ChannelMath.h"
#include "view/SampleCodes.h"

#include <gtest/gtest.h>

using namespace varnilog;

TEST(PairCodesTest, EveryPairAsTheTableSaysInRunsOfAnyLength) {
    struct Row {
        OperationKind kind;
        int sensA, sensB, target;
        bool straight; // the integer form reproduces the table
    };
    const Row rows[] = {
        {OperationKind::AMinusB, 4, 4, 4, true},   // one sensitivity: 125 + a - b
        {OperationKind::Sum, 4, 1, 2, true},       // 0.2 and 2 codes a code: no halves
        {OperationKind::BMinusA, 1, 10, 10, true}, // steep: 1000 codes of B per code of A
        {OperationKind::NegateB, 4, 7, 7, true},   // one source
        {OperationKind::NegateA, 5, 4, 4, true},   // halves, all away from zero alike
        {OperationKind::AMinusB, 4, 4, 3, false},  // halves that rounding errors send either way
    };
    std::vector<std::uint8_t> a(kCodePairs + 40), b(kCodePairs + 40);
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = static_cast<std::uint8_t>(i >> 8);
        b[i] = static_cast<std::uint8_t>(i);
    }
    for (const Row& r : rows) {
        std::vector<std::uint8_t> table(kCodePairs);
        for (std::size_t ab = 0; ab < kCodePairs; ++ab)
            table[ab] = derivedCode(operationVolts(r.kind, static_cast<std::uint8_t>(ab >> 8),
                                                   static_cast<std::uint8_t>(ab), r.sensA, r.sensB),
                                    r.target);
        const double perCode = 255 * voltsPerCode(r.target);
        const PairCodes pairs(table,
                              (operationVolts(r.kind, 255, 0, r.sensA, r.sensB) -
                               operationVolts(r.kind, 0, 0, r.sensA, r.sensB)) /
                                  perCode,
                              (operationVolts(r.kind, 0, 255, r.sensA, r.sensB) -
                               operationVolts(r.kind, 0, 0, r.sensA, r.sensB)) /
                                  perCode);
        EXPECT_EQ(pairs.straightLine(), r.straight) << static_cast<int>(r.kind) << " " << r.target;
        for (const std::size_t offset : {std::size_t{0}, std::size_t{7}, std::size_t{33}}) {
            std::vector<std::uint8_t> out(kCodePairs, 0);
            pairs.map(a.data() + offset, b.data() + offset, out.data(), out.size());
            for (std::size_t i = 0; i < out.size(); ++i)
                ASSERT_EQ(out[i], table[static_cast<std::size_t>(a[i + offset]) << 8 | b[i + offset]])
                    << static_cast<int>(r.kind) << " target " << r.target << " sample " << i;
        }
        for (std::size_t n = 0; n <= 40; ++n) { // shorter than, as long as and longer than a vector
            std::vector<std::uint8_t> out(n + 1, 0xAA);
            pairs.map(a.data() + 1000, b.data() + 1000, out.data(), n);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(out[i], table[static_cast<std::size_t>(a[1000 + i]) << 8 | b[1000 + i]]) << n;
            EXPECT_EQ(out[n], 0xAA) << "written past " << n;
        }
    }
}

// The extremes of a straight line in A and B, 16 or 32 samples at a time, against the plain definition: at
// the largest factors the sums allow, in runs of every length around the vector width.
TEST(PairCodesTest, LineExtremesInRunsOfAnyLength) {
    std::vector<std::uint8_t> a(300), b(300);
    std::uint32_t x = 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        x = x * 1103515245u + 12345u;
        a[i] = static_cast<std::uint8_t>(x >> 24);
        b[i] = static_cast<std::uint8_t>(x >> 16);
    }
    a[150] = 255, b[150] = 0, a[151] = 0, b[151] = 255; // both ends of every line
    for (const auto& [fa, fb] : {std::pair{1, -1}, std::pair{64, -64}, std::pair{-127, 1}, std::pair{0, -1}})
        for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16},
                                    std::size_t{17}, std::size_t{33}, std::size_t{300 - 140}}) {
            int lo = 1 << 20, hi = -(1 << 20), wantLo = lo, wantHi = hi;
            foldLineExtremes(a.data() + 140, b.data() + 140, n, fa, fb, lo, hi);
            for (std::size_t i = 140; i < 140 + n; ++i) {
                wantLo = std::min(wantLo, fa * a[i] + fb * b[i]);
                wantHi = std::max(wantHi, fa * a[i] + fb * b[i]);
            }
            EXPECT_EQ(lo, wantLo) << fa << " " << fb << " n " << n;
            EXPECT_EQ(hi, wantHi) << fa << " " << fb << " n " << n;
        }
}
