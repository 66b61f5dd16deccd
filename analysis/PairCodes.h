// The codes of a single-sample math operation, looked up for whole blocks: a table of the result
// for every pair of codes (A, B), and, where the table is a clamped straight line in A and B (sums,
// differences and inversions are), the same codes computed 16 or 32 at a time in integers. The table
// decides: the integer form is used only when it gives every one of the 65 536 entries exactly, so
// both paths write the same bytes. AVX2 or SSE2 on x86-64, the table elsewhere. Depends on the C++
// library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnilog {

inline constexpr std::size_t kCodePairs = std::size_t{1} << 16;

class PairCodes {
public:
    // table[a << 8 | b] is the code of the pair (a, b). slopeA and slopeB say how many codes the
    // result moves per code of A and of B (a hint for the integer form; the table is checked).
    PairCodes(std::vector<std::uint8_t> table, double slopeA, double slopeB);

    // out[i] = table[a[i] << 8 | b[i]] for i < n.
    void map(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n) const;

    // The integer form reproduces the table (and map uses it where the processor allows).
    bool straightLine() const { return straightLine_; }

private:
    bool findStraightLine(double slopeA, double slopeB);

    std::vector<std::uint8_t> table_;
    // The code is clamp((alpha * a + beta * b + offset) >> shift, 0, 255).
    bool straightLine_ = false;
    std::int16_t alpha_ = 0, beta_ = 0;
    std::int32_t offset_ = 0;
    int shift_ = 0;
};

// Folds the least and the greatest of factorA * a[i] + factorB * b[i] (i < n) into lo and hi: the
// extremes of a straight line in A and B without its table. The sums stay within 16 bits, so
// |factorA| + |factorB| must not exceed 128. AVX2 or SSE2 on x86-64, 32 or 16 samples at a time.
void foldLineExtremes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, int factorA, int factorB,
                      int& lo, int& hi);

} // namespace varnilog
