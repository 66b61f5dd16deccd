#include "analysis/SampleScan.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VARNILOG_AVX2_PATHS 1
#endif

namespace varnilog {

namespace {

#if defined(VARNILOG_AVX2_PATHS)
// Chosen at run time: the same results as the SSE2 loops, 32 codes a step.
bool haveAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

// Adds codes[0, n - n % 32) to s; returns how many codes it took.
__attribute__((target("avx2"))) std::size_t addAvx2(CodeStatistics& s, const std::uint8_t* codes,
                                                    std::size_t n) {
    const std::size_t whole = n - n % 32;
    if (whole == 0)
        return 0;
    const __m256i zero = _mm256_setzero_si256();
    __m256i mn = _mm256_set1_epi8(static_cast<char>(s.lo));
    __m256i mx = _mm256_set1_epi8(static_cast<char>(s.hi));
    for (std::size_t i = 0; i < whole;) {
        // A 32-bit lane gains at most 2 * 2 * 255^2 a step: 8192 steps stay below 2^32.
        __m256i sums = zero, squares = zero;
        const std::size_t stop = std::min(whole, i + 8192 * 32);
        for (; i < stop; i += 32) {
            // The first pass over mapped samples: a page ahead, where the processor's own fetching
            // stops at the page's end.
            _mm_prefetch(reinterpret_cast<const char*>(codes + i + 4096), _MM_HINT_T0);
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + i));
            mn = _mm256_min_epu8(mn, x);
            mx = _mm256_max_epu8(mx, x);
            sums = _mm256_add_epi64(sums, _mm256_sad_epu8(x, zero));
            const __m256i low = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(x));
            const __m256i high = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(x, 1));
            squares = _mm256_add_epi32(
                squares, _mm256_add_epi32(_mm256_madd_epi16(low, low), _mm256_madd_epi16(high, high)));
        }
        alignas(32) std::uint64_t sum[4];
        alignas(32) std::uint32_t square[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(sum), sums);
        _mm256_store_si256(reinterpret_cast<__m256i*>(square), squares);
        s.sum += sum[0] + sum[1] + sum[2] + sum[3];
        for (const std::uint32_t q : square)
            s.sumSq += q;
    }
    alignas(32) std::uint8_t lanes[32];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), mn);
    s.lo = *std::min_element(lanes, lanes + 32);
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), mx);
    s.hi = *std::max_element(lanes, lanes + 32);
    return whole;
}

// The sum of the four 64-bit lanes.
__attribute__((target("avx2"))) std::int64_t laneTotal(__m256i v) {
    alignas(32) std::int64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

// Codes just beyond a tail's bound counted in the vector lanes, one accumulator per distance: on a
// noisy signal most codes beyond a bound lie within a few codes of it.
constexpr int kNearCodes = 3;

// Adds the codes of codes[0, n - n % 32) that are <= low or >= high to counts, with Statistics to s
// too; returns how many codes it looked at. The codes equal to a bound, most of a tail on a square
// wave, and those up to kNearCodes beyond it are counted in the vector lanes; only those further out
// one by one. With the sums the counting costs little: the sums' pass waits on memory.
template <bool Statistics>
__attribute__((target("avx2"))) std::size_t tailsAvx2(const std::uint8_t* codes, std::size_t n,
                                                      std::uint8_t low, std::uint8_t high, CodeCounts& counts,
                                                      CodeStatistics* s) {
    const std::size_t whole = n - n % 32;
    if (whole == 0)
        return 0;
    const __m256i l = _mm256_set1_epi8(static_cast<char>(low));
    const __m256i h = _mm256_set1_epi8(static_cast<char>(high));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i near = _mm256_set1_epi8(kNearCodes);
    __m256i atLow = zero, atHigh = zero;
    __m256i mn = _mm256_set1_epi8(static_cast<char>(Statistics ? s->lo : 0));
    __m256i mx = _mm256_set1_epi8(static_cast<char>(Statistics ? s->hi : 0));
    __m256i sums = zero;
    __m256i belowLow[kNearCodes], aboveHigh[kNearCodes]; // 64-bit lanes, distance k + 1
    for (int k = 0; k < kNearCodes; ++k)
        belowLow[k] = aboveHigh[k] = zero;
    for (std::size_t i = 0; i < whole;) {
        // An 8-bit lane counts at most 255 steps before it is widened; a 32-bit lane of squares gains
        // at most 2 * 2 * 255^2 a step.
        __m256i low8 = zero, high8 = zero, squares = zero;
        __m256i below8[kNearCodes], above8[kNearCodes];
        for (int k = 0; k < kNearCodes; ++k)
            below8[k] = above8[k] = zero;
        const std::size_t stop = std::min(whole, i + 255 * 32);
        for (; i < stop; i += 32) {
            if constexpr (Statistics)
                _mm_prefetch(reinterpret_cast<const char*>(codes + i + 4096), _MM_HINT_T0);
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + i));
            if constexpr (Statistics) {
                mn = _mm256_min_epu8(mn, x);
                mx = _mm256_max_epu8(mx, x);
                sums = _mm256_add_epi64(sums, _mm256_sad_epu8(x, zero));
                const __m256i lo16 = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(x));
                const __m256i hi16 = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(x, 1));
                squares = _mm256_add_epi32(
                    squares, _mm256_add_epi32(_mm256_madd_epi16(lo16, lo16), _mm256_madd_epi16(hi16, hi16)));
            }
            low8 = _mm256_sub_epi8(low8, _mm256_cmpeq_epi8(x, l));
            high8 = _mm256_sub_epi8(high8, _mm256_cmpeq_epi8(x, h));
            // Non-zero lanes: how far below low or above high.
            const __m256i below = _mm256_subs_epu8(l, x), above = _mm256_subs_epu8(x, h);
            const __m256i beyond = _mm256_or_si256(below, above);
            if (_mm256_testz_si256(beyond, beyond))
                continue;
            for (int k = 0; k < kNearCodes; ++k) {
                const __m256i d = _mm256_set1_epi8(static_cast<char>(k + 1));
                below8[k] = _mm256_sub_epi8(below8[k], _mm256_cmpeq_epi8(below, d));
                above8[k] = _mm256_sub_epi8(above8[k], _mm256_cmpeq_epi8(above, d));
            }
            const __m256i far = _mm256_subs_epu8(beyond, near);
            if (_mm256_testz_si256(far, far))
                continue;
            for (auto m = ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(far, zero))); m != 0;
                 m &= m - 1)
                ++counts[codes[i + static_cast<std::size_t>(__builtin_ctz(m))]];
        }
        if constexpr (Statistics) {
            alignas(32) std::uint32_t square[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(square), squares);
            for (const std::uint32_t q : square)
                s->sumSq += q;
        }
        atLow = _mm256_add_epi64(atLow, _mm256_sad_epu8(low8, zero));
        atHigh = _mm256_add_epi64(atHigh, _mm256_sad_epu8(high8, zero));
        for (int k = 0; k < kNearCodes; ++k) {
            belowLow[k] = _mm256_add_epi64(belowLow[k], _mm256_sad_epu8(below8[k], zero));
            aboveHigh[k] = _mm256_add_epi64(aboveHigh[k], _mm256_sad_epu8(above8[k], zero));
        }
    }
    if constexpr (Statistics) {
        s->sum += static_cast<std::uint64_t>(laneTotal(sums));
        alignas(32) std::uint8_t lanes[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), mn);
        s->lo = *std::min_element(lanes, lanes + 32);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), mx);
        s->hi = *std::max_element(lanes, lanes + 32);
    }
    counts[low] += laneTotal(atLow);
    if (high != low)
        counts[high] += laneTotal(atHigh);
    // A lane is below low by k + 1 only when low > k, above high only when high < 255 - k.
    for (int k = 0; k < kNearCodes; ++k) {
        if (low > k)
            counts[static_cast<std::size_t>(low - k - 1)] += laneTotal(belowLow[k]);
        if (high < 255 - k)
            counts[static_cast<std::size_t>(high + k + 1)] += laneTotal(aboveHigh[k]);
    }
    return whole;
}

// Index of the first code in codes[0, n - n % 32) at least (at most) level, or -1.
__attribute__((target("avx2"))) std::ptrdiff_t firstAvx2(const std::uint8_t* codes, std::size_t n,
                                                         std::uint8_t level, bool atLeast) {
    const __m256i l = _mm256_set1_epi8(static_cast<char>(level));
    for (std::size_t i = 0; i + 32 <= n; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + i));
        const __m256i bound = atLeast ? _mm256_max_epu8(x, l) : _mm256_min_epu8(x, l);
        const auto m = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bound, x)));
        if (m != 0)
            return static_cast<std::ptrdiff_t>(i) + __builtin_ctz(m);
    }
    return -1;
}

// Index of the last code in codes[n % 32, n) at least (at most) level, or -1.
__attribute__((target("avx2"))) std::ptrdiff_t lastAvx2(const std::uint8_t* codes, std::size_t n,
                                                        std::uint8_t level, bool atLeast) {
    const __m256i l = _mm256_set1_epi8(static_cast<char>(level));
    for (std::size_t end = n; end >= 32; end -= 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + end - 32));
        const __m256i bound = atLeast ? _mm256_max_epu8(x, l) : _mm256_min_epu8(x, l);
        const auto m = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bound, x)));
        if (m != 0)
            return static_cast<std::ptrdiff_t>(end - 32) + 31 - __builtin_clz(m);
    }
    return -1;
}
#endif

#if defined(__SSE2__)
constexpr std::size_t kLanes = 16;

__m128i load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The smallest lane of mn into lo and the largest of mx into hi.
void foldRange(__m128i mn, __m128i mx, std::uint8_t& lo, std::uint8_t& hi) {
    alignas(16) std::uint8_t lanes[kLanes];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), mn);
    lo = *std::min_element(lanes, lanes + kLanes);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), mx);
    hi = *std::max_element(lanes, lanes + kLanes);
}

// Bit i set where lane i of x is >= level (<= level): unsigned compares through min/max.
int maskAtLeast(__m128i x, __m128i level) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(x, level), x));
}
int maskAtMost(__m128i x, __m128i level) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(x, level), x));
}

template <bool AtLeast>
std::ptrdiff_t firstMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    const __m128i l = _mm_set1_epi8(static_cast<char>(level));
    std::size_t i = 0;
#if defined(VARNILOG_AVX2_PATHS)
    if (n >= 64 && haveAvx2()) {
        if (const std::ptrdiff_t f = firstAvx2(codes, n, level, AtLeast); f >= 0)
            return f;
        i = n - n % 32;
    }
#endif
    for (; i + kLanes <= n; i += kLanes) {
        const int m = AtLeast ? maskAtLeast(load(codes + i), l) : maskAtMost(load(codes + i), l);
        if (m != 0)
            return static_cast<std::ptrdiff_t>(i) + __builtin_ctz(static_cast<unsigned>(m));
    }
    for (; i < n; ++i)
        if (AtLeast ? codes[i] >= level : codes[i] <= level)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

template <bool AtLeast>
std::ptrdiff_t lastMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    const __m128i l = _mm_set1_epi8(static_cast<char>(level));
    std::size_t end = n;
#if defined(VARNILOG_AVX2_PATHS)
    if (n >= 64 && haveAvx2()) {
        if (const std::ptrdiff_t f = lastAvx2(codes, n, level, AtLeast); f >= 0)
            return f;
        end = n % 32;
    }
#endif
    for (; end >= kLanes; end -= kLanes) {
        const int m =
            AtLeast ? maskAtLeast(load(codes + end - kLanes), l) : maskAtMost(load(codes + end - kLanes), l);
        if (m != 0)
            return static_cast<std::ptrdiff_t>(end - kLanes) + 31 - __builtin_clz(static_cast<unsigned>(m));
    }
    while (end > 0) {
        --end;
        if (AtLeast ? codes[end] >= level : codes[end] <= level)
            return static_cast<std::ptrdiff_t>(end);
    }
    return -1;
}
// As tailsAvx2, 16 codes a step.
std::size_t tailsSse2(const std::uint8_t* codes, std::size_t n, std::uint8_t low, std::uint8_t high,
                      CodeCounts& counts) {
    const std::size_t whole = n - n % kLanes;
    const __m128i l = _mm_set1_epi8(static_cast<char>(low));
    const __m128i h = _mm_set1_epi8(static_cast<char>(high));
    std::int64_t atLow = 0, atHigh = 0;
    for (std::size_t i = 0; i < whole; i += kLanes) {
        const __m128i x = load(codes + i);
        const auto upToLow = static_cast<unsigned>(maskAtMost(x, l));
        const auto fromHigh = static_cast<unsigned>(maskAtLeast(x, h));
        if ((upToLow | fromHigh) == 0)
            continue;
        const auto isLow = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, l)));
        const auto isHigh = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, h)));
        atLow += __builtin_popcount(isLow);
        atHigh += __builtin_popcount(isHigh);
        for (unsigned m = (upToLow & ~isLow) | (fromHigh & ~isHigh); m != 0; m &= m - 1)
            ++counts[codes[i + static_cast<std::size_t>(__builtin_ctz(m))]];
    }
    counts[low] += atLow;
    if (high != low)
        counts[high] += atHigh;
    return whole;
}
#else
template <bool AtLeast>
std::ptrdiff_t firstMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    for (std::size_t i = 0; i < n; ++i)
        if (AtLeast ? codes[i] >= level : codes[i] <= level)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

template <bool AtLeast>
std::ptrdiff_t lastMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    for (std::size_t i = n; i > 0; --i)
        if (AtLeast ? codes[i - 1] >= level : codes[i - 1] <= level)
            return static_cast<std::ptrdiff_t>(i - 1);
    return -1;
}
#endif

} // namespace

void addCodeCounts(const std::uint8_t* codes, std::size_t n, CodeCounts& counts) {
    if (n < 4096) {
        for (std::size_t i = 0; i < n; ++i)
            ++counts[codes[i]];
        return;
    }
    // Neighbouring samples mostly share a code: four tables keep their increments from waiting on
    // each other.
    constexpr std::size_t kChunk = std::size_t{1} << 30; // keeps every table below 2^32
    if (n > kChunk) {
        for (std::size_t from = 0; from < n; from += kChunk)
            addCodeCounts(codes + from, std::min(kChunk, n - from), counts);
        return;
    }
    std::array<std::array<std::uint32_t, 256>, 4> table{};
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, codes + i, sizeof w);
        for (int k = 0; k < 8; k += 4) {
            ++table[0][(w >> (8 * k)) & 255];
            ++table[1][(w >> (8 * k + 8)) & 255];
            ++table[2][(w >> (8 * k + 16)) & 255];
            ++table[3][(w >> (8 * k + 24)) & 255];
        }
    }
    for (; i < n; ++i)
        ++table[0][codes[i]];
    for (std::size_t c = 0; c < 256; ++c)
        counts[c] += std::int64_t{table[0][c]} + table[1][c] + table[2][c] + table[3][c];
}

void addTailCounts(const std::uint8_t* codes, std::size_t n, std::uint8_t low, std::uint8_t high,
                   CodeCounts& counts) {
    std::size_t i = 0;
#if defined(VARNILOG_AVX2_PATHS)
    if (haveAvx2())
        i = tailsAvx2<false>(codes, n, low, high, counts, nullptr);
#endif
#if defined(__SSE2__)
    if (i == 0)
        i = tailsSse2(codes, n, low, high, counts);
#endif
    for (; i < n; ++i)
        if (codes[i] <= low || codes[i] >= high)
            ++counts[codes[i]];
}

void addTailCountsAndStatistics(const std::uint8_t* codes, std::size_t n, std::uint8_t low, std::uint8_t high,
                                CodeCounts& counts, CodeStatistics& s) {
    std::size_t i = 0;
#if defined(VARNILOG_AVX2_PATHS)
    if (haveAvx2()) {
        i = tailsAvx2<true>(codes, n, low, high, counts, &s);
        s.count += static_cast<std::int64_t>(i);
    }
#endif
    s.add(codes + i, n - i);
    addTailCounts(codes + i, n - i, low, high, counts);
}

void CodeStatistics::add(const std::uint8_t* codes, std::size_t n) {
    std::size_t i = 0;
    count += static_cast<std::int64_t>(n);
#if defined(VARNILOG_AVX2_PATHS)
    if (haveAvx2())
        i = addAvx2(*this, codes, n);
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i mn = _mm_set1_epi8(static_cast<char>(lo));
    __m128i mx = _mm_set1_epi8(static_cast<char>(hi));
    while (i + kLanes <= n) {
        // Squares are summed in 32-bit lanes: each step adds at most 2 * 255^2 to a lane, so a lane
        // holds 4096 steps safely before it is widened.
        __m128i sums = zero;
        __m128i squares = zero;
        const std::size_t stop = std::min(n - (n - i) % kLanes, i + 4096 * kLanes);
        for (; i < stop; i += kLanes) {
            const __m128i x = load(codes + i);
            mn = _mm_min_epu8(mn, x);
            mx = _mm_max_epu8(mx, x);
            sums = _mm_add_epi64(sums, _mm_sad_epu8(x, zero));
            const __m128i low = _mm_unpacklo_epi8(x, zero);
            const __m128i high = _mm_unpackhi_epi8(x, zero);
            squares =
                _mm_add_epi32(squares, _mm_add_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high)));
        }
        alignas(16) std::uint64_t s[2];
        alignas(16) std::uint32_t q[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(s), sums);
        _mm_store_si128(reinterpret_cast<__m128i*>(q), squares);
        sum += s[0] + s[1];
        sumSq += std::uint64_t{q[0]} + q[1] + q[2] + q[3];
    }
    foldRange(mn, mx, lo, hi);
#endif
    for (; i < n; ++i) {
        const std::uint8_t c = codes[i];
        lo = std::min(lo, c);
        hi = std::max(hi, c);
        sum += c;
        sumSq += std::uint64_t{c} * c;
    }
}

std::ptrdiff_t firstAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return firstMatch<true>(codes, n, level);
}
std::ptrdiff_t firstAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return firstMatch<false>(codes, n, level);
}
std::ptrdiff_t lastAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return lastMatch<true>(codes, n, level);
}
std::ptrdiff_t lastAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return lastMatch<false>(codes, n, level);
}

} // namespace varnilog
