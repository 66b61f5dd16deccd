#include "analysis/PairCodes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VARNILOG_AVX2_PATHS 1
#endif

namespace varnilog {

namespace {

// No store through out can change the table or the sources, so the pointers stay in registers.
void lookUp(const std::uint8_t* __restrict table, const std::uint8_t* __restrict a,
            const std::uint8_t* __restrict b, std::uint8_t* __restrict out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        out[i] = table[static_cast<std::size_t>(a[i]) << 8 | b[i]];
}

#if defined(VARNILOG_AVX2_PATHS)
// Chosen at run time: the same codes and extremes as the SSE2 loops, 32 samples a step.
bool haveAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

// The straight line's codes of the first n - n % 32 samples (the SSE2 steps in each 128-bit half);
// returns how many it wrote.
__attribute__((target("avx2"))) std::size_t mapAvx2(const std::uint8_t* a, const std::uint8_t* b,
                                                    std::uint8_t* out, std::size_t n, std::int32_t factors,
                                                    std::int32_t offsetValue, int shiftValue) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i f = _mm256_set1_epi32(factors);
    const __m256i offset = _mm256_set1_epi32(offsetValue);
    const __m128i shift = _mm_cvtsi32_si128(shiftValue);
    const auto line = [&](__m256i pairs) __attribute__((target("avx2"))) {
        return _mm256_sra_epi32(_mm256_add_epi32(_mm256_madd_epi16(pairs, f), offset), shift);
    };
    const std::size_t whole = n - n % 32;
    for (std::size_t i = 0; i < whole; i += 32) {
        // The first pass over mapped samples: a page ahead, where the processor's own fetching stops
        // at the page's end.
        _mm_prefetch(reinterpret_cast<const char*>(a + i + 4096), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(b + i + 4096), _MM_HINT_T0);
        const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
        const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        const __m256i a0 = _mm256_unpacklo_epi8(va, zero), a1 = _mm256_unpackhi_epi8(va, zero);
        const __m256i b0 = _mm256_unpacklo_epi8(vb, zero), b1 = _mm256_unpackhi_epi8(vb, zero);
        const __m256i low =
            _mm256_packs_epi32(line(_mm256_unpacklo_epi16(a0, b0)), line(_mm256_unpackhi_epi16(a0, b0)));
        const __m256i high =
            _mm256_packs_epi32(line(_mm256_unpacklo_epi16(a1, b1)), line(_mm256_unpackhi_epi16(a1, b1)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(low, high));
    }
    return whole;
}

// Folds the extremes of factorA * a + factorB * b over the first n - n % 32 samples; returns how many.
__attribute__((target("avx2"))) std::size_t foldAvx2(const std::uint8_t* a, const std::uint8_t* b,
                                                     std::size_t n, int factorA, int factorB, int& lo,
                                                     int& hi) {
    const std::size_t whole = n - n % 32;
    if (whole == 0)
        return 0;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i fa = _mm256_set1_epi16(static_cast<std::int16_t>(factorA));
    const __m256i fb = _mm256_set1_epi16(static_cast<std::int16_t>(factorB));
    __m256i least = _mm256_set1_epi16(std::numeric_limits<std::int16_t>::max());
    __m256i greatest = _mm256_set1_epi16(std::numeric_limits<std::int16_t>::min());
    for (std::size_t i = 0; i < whole; i += 32) {
        const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
        const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        const __m256i low = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(va, zero), fa),
                                             _mm256_mullo_epi16(_mm256_unpacklo_epi8(vb, zero), fb));
        const __m256i high = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(va, zero), fa),
                                              _mm256_mullo_epi16(_mm256_unpackhi_epi8(vb, zero), fb));
        least = _mm256_min_epi16(least, _mm256_min_epi16(low, high));
        greatest = _mm256_max_epi16(greatest, _mm256_max_epi16(low, high));
    }
    alignas(32) std::int16_t leastLanes[16], greatestLanes[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(leastLanes), least);
    _mm256_store_si256(reinterpret_cast<__m256i*>(greatestLanes), greatest);
    for (int k = 0; k < 16; ++k) {
        lo = std::min(lo, static_cast<int>(leastLanes[k]));
        hi = std::max(hi, static_cast<int>(greatestLanes[k]));
    }
    return whole;
}
#endif

constexpr double kLargestFactor = std::numeric_limits<std::int16_t>::max();
constexpr int kLongestShift = 16; // keeps offset and sums far inside 32 bits

} // namespace

PairCodes::PairCodes(std::vector<std::uint8_t> table, double slopeA, double slopeB)
    : table_(std::move(table)) {
    table_.resize(kCodePairs);
    straightLine_ = findStraightLine(slopeA, slopeB);
}

bool PairCodes::findStraightLine(double slopeA, double slopeB) {
    const double steepest = std::max(std::abs(slopeA), std::abs(slopeB));
    if (!(steepest > 0.0) || steepest > kLargestFactor)
        return false;
    int shift = kLongestShift;
    while (shift > 0 && std::ceil(steepest * std::ldexp(1.0, shift)) > kLargestFactor)
        --shift;
    const std::int64_t unit = std::int64_t{1} << shift;
    const double scale = std::ldexp(1.0, shift);
    // The factors nearest the slopes from below and above; for each pair the offsets that give every
    // entry of the table form one interval [lo, hi), empty when no offset does.
    for (const double alpha : {std::floor(slopeA * scale), std::ceil(slopeA * scale)})
        for (const double beta : {std::floor(slopeB * scale), std::ceil(slopeB * scale)}) {
            const auto fa = static_cast<std::int64_t>(alpha), fb = static_cast<std::int64_t>(beta);
            std::int64_t lo = std::numeric_limits<std::int32_t>::min() / 2;
            std::int64_t hi = std::numeric_limits<std::int32_t>::max() / 2;
            for (std::size_t ab = 0; ab < kCodePairs && lo < hi; ++ab) {
                const std::int64_t sum =
                    fa * static_cast<std::int64_t>(ab >> 8) + fb * static_cast<std::int64_t>(ab & 255);
                const std::int64_t code = table_[ab];
                if (code > 0)
                    lo = std::max(lo, code * unit - sum);
                if (code < 255)
                    hi = std::min(hi, (code + 1) * unit - sum);
            }
            if (lo < hi) {
                alpha_ = static_cast<std::int16_t>(fa);
                beta_ = static_cast<std::int16_t>(fb);
                offset_ = static_cast<std::int32_t>(lo);
                shift_ = shift;
                return true;
            }
        }
    return false;
}

void PairCodes::map(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n) const {
    std::size_t i = 0;
#if defined(__SSE2__)
    if (straightLine_) {
        // Per sample the pair (a, b) as two 16-bit numbers, multiplied by (alpha, beta) and added in
        // one step; the packs saturate, which is the clamp to 0..255.
        const auto packed =
            static_cast<std::int32_t>(static_cast<std::uint16_t>(alpha_)) |
            static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(beta_)) << 16);
#if defined(VARNILOG_AVX2_PATHS)
        if (haveAvx2())
            i = mapAvx2(a, b, out, n, packed, offset_, shift_);
#endif
        const __m128i zero = _mm_setzero_si128();
        const __m128i factors = _mm_set1_epi32(packed);
        const __m128i offset = _mm_set1_epi32(offset_);
        const __m128i shift = _mm_cvtsi32_si128(shift_);
        const auto line = [&](__m128i pairs) {
            return _mm_sra_epi32(_mm_add_epi32(_mm_madd_epi16(pairs, factors), offset), shift);
        };
        for (; i + 16 <= n; i += 16) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            const __m128i a0 = _mm_unpacklo_epi8(va, zero), a1 = _mm_unpackhi_epi8(va, zero);
            const __m128i b0 = _mm_unpacklo_epi8(vb, zero), b1 = _mm_unpackhi_epi8(vb, zero);
            const __m128i low =
                _mm_packs_epi32(line(_mm_unpacklo_epi16(a0, b0)), line(_mm_unpackhi_epi16(a0, b0)));
            const __m128i high =
                _mm_packs_epi32(line(_mm_unpacklo_epi16(a1, b1)), line(_mm_unpackhi_epi16(a1, b1)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
        }
    }
#endif
    lookUp(table_.data(), a + i, b + i, out + i, n - i);
}

void foldLineExtremes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, int factorA, int factorB,
                      int& lo, int& hi) {
    std::size_t i = 0;
#if defined(VARNILOG_AVX2_PATHS)
    if (haveAvx2())
        i = foldAvx2(a, b, n, factorA, factorB, lo, hi);
#endif
#if defined(__SSE2__)
    if (n - i >= 16) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i fa = _mm_set1_epi16(static_cast<std::int16_t>(factorA));
        const __m128i fb = _mm_set1_epi16(static_cast<std::int16_t>(factorB));
        __m128i least = _mm_set1_epi16(std::numeric_limits<std::int16_t>::max());
        __m128i greatest = _mm_set1_epi16(std::numeric_limits<std::int16_t>::min());
        for (; i + 16 <= n; i += 16) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            const __m128i low = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(va, zero), fa),
                                              _mm_mullo_epi16(_mm_unpacklo_epi8(vb, zero), fb));
            const __m128i high = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(va, zero), fa),
                                               _mm_mullo_epi16(_mm_unpackhi_epi8(vb, zero), fb));
            least = _mm_min_epi16(least, _mm_min_epi16(low, high));
            greatest = _mm_max_epi16(greatest, _mm_max_epi16(low, high));
        }
        alignas(16) std::int16_t leastLanes[8], greatestLanes[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(leastLanes), least);
        _mm_store_si128(reinterpret_cast<__m128i*>(greatestLanes), greatest);
        for (int k = 0; k < 8; ++k) {
            lo = std::min(lo, static_cast<int>(leastLanes[k]));
            hi = std::max(hi, static_cast<int>(greatestLanes[k]));
        }
    }
#endif
    for (; i < n; ++i) {
        const int s = factorA * a[i] + factorB * b[i];
        lo = std::min(lo, s);
        hi = std::max(hi, s);
    }
}

} // namespace varnilog
