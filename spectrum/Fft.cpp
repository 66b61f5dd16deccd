#include "spectrum/Fft.h"

// The build's -O2 vectorises only loops without run-time trip counts; the portable stages need the full
// cost model. errno is never read, so the square roots may use the vector instruction. Neither changes a
// result; the build also compiles this file with -ffp-contract=off, so no product is fused into a sum.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic", "no-math-errno")
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

// The AVX2 path exists only on x86; elsewhere every block takes the portable path.
#if defined(__x86_64__) || defined(__i386__)
#define VARNILOG_FFT_AVX2 1
#include <immintrin.h>
#endif

namespace varnilog {

namespace {

bool avx2Available() {
#if defined(VARNILOG_FFT_AVX2)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}
// Stages up to this span are run block by block so a block stays in the first-level cache.
constexpr int kCacheBlock = 4096;
// Index of the first twiddle of the stage of span m in the packed table: the stages of span 4, 8, ...
// m/2 come before it, with m'/2 entries each.
constexpr int twiddleOffset(int m) {
    return m / 2 - 2;
}
constexpr int kTwiddleCount = twiddleOffset(fftMaxSize) + fftMaxSize / 2;

int log2Of(std::int32_t n) {
    int bits = 0;
    while ((1 << bits) < n)
        ++bits;
    return bits;
}

int bitReverse(int j, int bits) {
    int r = 0;
    for (int i = 0; i < bits; ++i)
        r |= ((j >> i) & 1) << (bits - 1 - i);
    return r;
}

} // namespace

struct FftTwiddles {
    std::array<float, kTwiddleCount> c{};
    std::array<float, kTwiddleCount> s{};
    FftTwiddles() {
        for (int m = 4; m <= fftMaxSize; m *= 2) {
            for (int j = 0; j < m / 2; ++j) {
                // The angle is formed in extended precision from single-precision j and m and the
                // ten-digit constant, then stored as single precision; so are its cosine and sine.
                const float fj = static_cast<float>(j);
                const float fm = static_cast<float>(m);
                const float theta = static_cast<float>(-6.283185308L * fj / fm);
                c[twiddleOffset(m) + j] = static_cast<float>(std::cos(static_cast<long double>(theta)));
                s[twiddleOffset(m) + j] = static_cast<float>(std::sin(static_cast<long double>(theta)));
            }
        }
    }
};

const FftTwiddles& fftTwiddles() {
    static const FftTwiddles table; // built once on first use, immutable
    return table;
}

float fftTwiddleCos(int m, int j) {
    return fftTwiddles().c[twiddleOffset(m) + j];
}
float fftTwiddleSin(int m, int j) {
    return fftTwiddles().s[twiddleOffset(m) + j];
}

namespace {

// Arrays of n floats on 64-byte boundaries, so the vector path loads whole lines.
struct AlignedFloats {
    explicit AlignedFloats(std::size_t n) : storage(n + 16) {
        const auto address = reinterpret_cast<std::uintptr_t>(storage.data());
        data = storage.data() + ((64 - address % 64) % 64) / sizeof(float);
    }
    std::vector<float> storage;
    float* data = nullptr;
};

} // namespace

struct Fft::Work {
    explicit Work(std::int32_t n) : block(n), re(n), im(n), redo(n), rev(n / 2) {}
    AlignedFloats block, re, im;
    std::vector<std::uint8_t> redo; // bins whose magnitude needs extended precision
    std::vector<std::int32_t> rev;  // bit-reversed index of every even j, halved
};

Fft::Fft(Path path, std::int32_t size)
    : size_(isFftSize(size) ? size : fftSize), vector_(path == Path::Fastest && avx2Available()) {
    work_ = std::make_unique<Work>(size_);
    const int bits = log2Of(size_);
    for (int j = 0; j < size_ / 2; ++j)
        work_->rev[j] = bitReverse(2 * j, bits);
    (void)fftTwiddles();
}
Fft::~Fft() = default;

namespace {

// One stage of span m over [begin, end) of the work arrays. Each butterfly: W*l with its four products
// stored as single precision and its two sums rounded once to single precision, then u +/- W*l. Plain
// single-precision operations give exactly these roundings (a sum of two floats formed wider and then
// rounded to single equals the single-precision sum), and no fused multiply-add may be used.
[[gnu::always_inline]] inline void stage(float* __restrict re, float* __restrict im, int begin, int end,
                                         int m, const float* __restrict c, const float* __restrict s) {
    const int h = m / 2;
    for (int base = begin; base < end; base += m) {
        float* __restrict ur = re + base;
        float* __restrict ui = im + base;
        float* __restrict lr = re + base + h;
        float* __restrict li = im + base + h;
        for (int j = 0; j < h; ++j) {
            const float p1 = lr[j] * c[j];
            const float p2 = li[j] * s[j];
            const float p3 = lr[j] * s[j];
            const float p4 = li[j] * c[j];
            const float tr = p1 - p2;
            const float ti = p3 + p4;
            const float xr = ur[j];
            const float xi = ui[j];
            ur[j] = xr + tr;
            ui[j] = xi + ti;
            lr[j] = xr - tr;
            li[j] = xi - ti;
        }
    }
}

// The bit-reversed copy of the input and the stage of span 2 in one pass: the pair (2j, 2j+1) of the
// bit-reversed order holds input[r] and input[r + n/2] with r = rev(2j). The imaginary parts are zero
// and stay zero through this stage.
[[gnu::always_inline]] inline void firstStage(const float* __restrict x, float* __restrict re,
                                              float* __restrict im, const std::int32_t* __restrict rev,
                                              int begin, int end, int half) {
    for (int j = begin; j < end; j += 2) {
        const float a = x[rev[j / 2]];
        const float b = x[rev[j / 2] + half];
        re[j] = a + b;
        re[j + 1] = a - b;
        im[j] = 0.0f;
        im[j + 1] = 0.0f;
    }
}

void transformPortable(const float* __restrict x, float* __restrict re, float* __restrict im,
                       const std::int32_t* __restrict rev, int n) {
    const FftTwiddles& t = fftTwiddles();
    const int block = std::min(n, kCacheBlock);
    for (int begin = 0; begin < n; begin += block) {
        firstStage(x, re, im, rev, begin, begin + block, n / 2);
        for (int m = 4; m <= block; m *= 2)
            stage(re, im, begin, begin + block, m, t.c.data() + twiddleOffset(m),
                  t.s.data() + twiddleOffset(m));
    }
    for (int m = 2 * block; m <= n; m *= 2)
        stage(re, im, 0, n, m, t.c.data() + twiddleOffset(m), t.s.data() + twiddleOffset(m));
}

// The in-order double-precision sum of the block. When every sample is a whole number of at most 2^24
// (always so for sample bytes) every partial sum is exact, so the order does not matter and eight
// running sums give the same result faster.
[[gnu::always_inline]] inline double blockSum(const float* __restrict x, int n) {
    int inexact = 0;
    for (int i = 0; i < n; ++i)
        inexact |= !(x[i] == std::trunc(x[i]) && std::fabs(x[i]) <= 16777216.0f);
    if (inexact) {
        double sum = 0.0;
        for (int i = 0; i < n; ++i)
            sum += x[i];
        return sum;
    }
    double lanes[8] = {};
    for (int i = 0; i < n; i += 8)
        for (int l = 0; l < 8; ++l)
            lanes[l] += x[i + l];
    return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

[[gnu::always_inline]] inline void removeMean(const float* __restrict x, float* __restrict block, int n,
                                              double mean) {
    for (int i = 0; i < n; ++i)
        block[i] = static_cast<float>(x[i] - mean);
}

float extendedMagnitude(float re, float im) {
    const long double r = re;
    const long double i = im;
    return static_cast<float>(std::sqrt(static_cast<double>(r * r + i * i)));
}

// One bin by the rule of magnitudes() below, for the bins after the last whole group of eight.
float magnitudeOf(float re, float im) {
    const double a = static_cast<double>(re) * re;
    const double b = static_cast<double>(im) * im;
    if (a != 0.0 && b != 0.0 && (a * 16384.0 < b || b * 16384.0 < a))
        return extendedMagnitude(re, im);
    return static_cast<float>(std::sqrt(a + b));
}

// |X[k]| from a sum of squares formed in extended precision, rooted in double. The squares of floats
// are exact in double; their sum rounded once to double equals the extended sum rounded to double
// whenever the exact sum fits the 64 bits of extended precision, which holds when the smaller square is
// zero or at least 2^-14 of the larger. The rare other bins are redone in extended precision.
[[gnu::always_inline]] inline void magnitudes(const float* __restrict re, const float* __restrict im,
                                              float* __restrict out, std::uint8_t* __restrict redo,
                                              int bins) {
    const int n = bins & ~7;
    for (int k = 0; k < n; ++k) {
        const double a = static_cast<double>(re[k]) * re[k];
        const double b = static_cast<double>(im[k]) * im[k];
        // The smaller square is below 2^-14 of the larger one (both non-zero).
        redo[k] =
            static_cast<std::uint8_t>((a != 0.0) & (b != 0.0) & ((a * 16384.0 < b) | (b * 16384.0 < a)));
        out[k] = static_cast<float>(std::sqrt(a + b));
    }
    for (int k = 0; k < n; k += 8) {
        std::uint64_t word; // eight flags of 0 or 1
        std::memcpy(&word, redo + k, sizeof word);
        for (; word != 0; word &= word - 1) {
            const int l = k + __builtin_ctzll(word) / 8;
            out[l] = extendedMagnitude(re[l], im[l]);
        }
    }
    for (int k = n; k < bins; ++k)
        out[k] = magnitudeOf(re[k], im[k]);
}

void blockSpectrumPortable(const float* x, float* block, float* re, float* im, float* out, std::uint8_t* redo,
                           const std::int32_t* rev, int n, int bins) {
    removeMean(x, block, n, blockSum(x, n) / n);
    transformPortable(block, re, im, rev, n);
    magnitudes(re, im, out, redo, bins);
}

#if defined(VARNILOG_FFT_AVX2)
// The same butterflies eight at a time. The operations are the portable stage's, in its order: each
// lane rounds exactly as the scalar code does (the target has no fused multiply-add).
[[gnu::target("avx2")]] inline void butterfly(__m256& ur, __m256& ui, __m256& lr, __m256& li, __m256 c,
                                              __m256 s) {
    const __m256 tr = _mm256_sub_ps(_mm256_mul_ps(lr, c), _mm256_mul_ps(li, s));
    const __m256 ti = _mm256_add_ps(_mm256_mul_ps(lr, s), _mm256_mul_ps(li, c));
    lr = _mm256_sub_ps(ur, tr);
    li = _mm256_sub_ps(ui, ti);
    ur = _mm256_add_ps(ur, tr);
    ui = _mm256_add_ps(ui, ti);
}

[[gnu::target("avx2")]] inline void transpose8(__m256 (&r)[8]) {
    const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]), t1 = _mm256_unpackhi_ps(r[0], r[1]);
    const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]), t3 = _mm256_unpackhi_ps(r[2], r[3]);
    const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]), t5 = _mm256_unpackhi_ps(r[4], r[5]);
    const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]), t7 = _mm256_unpackhi_ps(r[6], r[7]);
    const __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44), u1 = _mm256_shuffle_ps(t0, t2, 0xEE);
    const __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44), u3 = _mm256_shuffle_ps(t1, t3, 0xEE);
    const __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44), u5 = _mm256_shuffle_ps(t4, t6, 0xEE);
    const __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44), u7 = _mm256_shuffle_ps(t5, t7, 0xEE);
    r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
    r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
    r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
    r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
    r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
    r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
    r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
    r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}

// The bit reversal and the stages of span 2, 4 and 8, eight groups of eight at a time. Element k of
// group g of the bit-reversed order is x[rev(8g) + rev3(k) n/8]; taking the eight groups whose rev(8g)
// are consecutive makes every element k of them one aligned load, one group per lane. The stages then
// run lane by lane with the twiddles broadcast, and a transposition puts each group back in place.
[[gnu::target("avx2")]] void leafStagesAvx2(const float* __restrict x, float* __restrict re,
                                            float* __restrict im, const std::int32_t* __restrict rev, int n) {
    static constexpr int rev3[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    const FftTwiddles& t = fftTwiddles();
    const float* c4 = t.c.data() + twiddleOffset(4);
    const float* s4 = t.s.data() + twiddleOffset(4);
    const float* c8 = t.c.data() + twiddleOffset(8);
    const float* s8 = t.s.data() + twiddleOffset(8);
    const __m256 c4v[2] = {_mm256_set1_ps(c4[0]), _mm256_set1_ps(c4[1])};
    const __m256 s4v[2] = {_mm256_set1_ps(s4[0]), _mm256_set1_ps(s4[1])};
    __m256 c8v[4], s8v[4];
    for (int j = 0; j < 4; ++j) {
        c8v[j] = _mm256_set1_ps(c8[j]);
        s8v[j] = _mm256_set1_ps(s8[j]);
    }
    const int eighth = n / 8;
    const int laneStride = n / 8; // lane l holds group g0 + rev3(l) n/64, i.e. elements 8 g0 + rev3(l) n/8
    for (int g0 = 0; g0 < n / 64; ++g0) {
        const float* base = x + rev[4 * g0]; // rev(8 g0): a multiple of 8
        __m256 a[8];
        for (int k = 0; k < 8; ++k)
            a[k] = _mm256_load_ps(base + rev3[k] * eighth);
        __m256 r[8], i[8];
        for (int k = 0; k < 8; k += 2) {
            r[k] = _mm256_add_ps(a[k], a[k + 1]);
            r[k + 1] = _mm256_sub_ps(a[k], a[k + 1]);
            i[k] = _mm256_setzero_ps();
            i[k + 1] = _mm256_setzero_ps();
        }
        for (int q = 0; q < 8; q += 4)
            for (int j = 0; j < 2; ++j)
                butterfly(r[q + j], i[q + j], r[q + j + 2], i[q + j + 2], c4v[j], s4v[j]);
        for (int j = 0; j < 4; ++j)
            butterfly(r[j], i[j], r[j + 4], i[j + 4], c8v[j], s8v[j]);
        transpose8(r);
        transpose8(i);
        for (int l = 0; l < 8; ++l) {
            const int at = 8 * g0 + rev3[l] * laneStride;
            _mm256_store_ps(re + at, r[l]);
            _mm256_store_ps(im + at, i[l]);
        }
    }
}

// One stage of span m (m >= 16) over [begin, end).
[[gnu::target("avx2")]] inline void stageAvx2(float* __restrict re, float* __restrict im, int begin, int end,
                                              int m) {
    const FftTwiddles& t = fftTwiddles();
    const float* c = t.c.data() + twiddleOffset(m);
    const float* s = t.s.data() + twiddleOffset(m);
    const int h = m / 2;
    for (int base = begin; base < end; base += m)
        for (int j = 0; j < h; j += 8) {
            float* u = re + base + j;
            float* v = im + base + j;
            __m256 ur = _mm256_load_ps(u), ui = _mm256_load_ps(v);
            __m256 lr = _mm256_load_ps(u + h), li = _mm256_load_ps(v + h);
            butterfly(ur, ui, lr, li, _mm256_loadu_ps(c + j), _mm256_loadu_ps(s + j));
            _mm256_store_ps(u, ur);
            _mm256_store_ps(v, ui);
            _mm256_store_ps(u + h, lr);
            _mm256_store_ps(v + h, li);
        }
}

// The stages of span m and 2m (m >= 16) in one pass over [begin, end): the elements i, i+h, i+m, i+m+h
// (h = m/2) meet only each other in those two stages, so each is loaded and stored once.
[[gnu::target("avx2")]] inline void stagePairAvx2(float* __restrict re, float* __restrict im, int begin,
                                                  int end, int m) {
    const FftTwiddles& t = fftTwiddles();
    const float* c1 = t.c.data() + twiddleOffset(m);
    const float* s1 = t.s.data() + twiddleOffset(m);
    const float* c2 = t.c.data() + twiddleOffset(2 * m);
    const float* s2 = t.s.data() + twiddleOffset(2 * m);
    const int h = m / 2;
    for (int base = begin; base < end; base += 2 * m)
        for (int j = 0; j < h; j += 8) {
            float* u = re + base + j;
            float* v = im + base + j;
            __m256 r0 = _mm256_load_ps(u), i0 = _mm256_load_ps(v);
            __m256 r1 = _mm256_load_ps(u + h), i1 = _mm256_load_ps(v + h);
            __m256 r2 = _mm256_load_ps(u + m), i2 = _mm256_load_ps(v + m);
            __m256 r3 = _mm256_load_ps(u + m + h), i3 = _mm256_load_ps(v + m + h);
            const __m256 c = _mm256_loadu_ps(c1 + j), s = _mm256_loadu_ps(s1 + j);
            butterfly(r0, i0, r1, i1, c, s);
            butterfly(r2, i2, r3, i3, c, s);
            butterfly(r0, i0, r2, i2, _mm256_loadu_ps(c2 + j), _mm256_loadu_ps(s2 + j));
            butterfly(r1, i1, r3, i3, _mm256_loadu_ps(c2 + j + h), _mm256_loadu_ps(s2 + j + h));
            _mm256_store_ps(u, r0);
            _mm256_store_ps(v, i0);
            _mm256_store_ps(u + h, r1);
            _mm256_store_ps(v + h, i1);
            _mm256_store_ps(u + m, r2);
            _mm256_store_ps(v + m, i2);
            _mm256_store_ps(u + m + h, r3);
            _mm256_store_ps(v + m + h, i3);
        }
}

// The stages of span 16 .. last over [begin, end), two at a time where two remain.
[[gnu::target("avx2")]] inline void stagesAvx2(float* re, float* im, int begin, int end, int first,
                                               int last) {
    int m = first;
    for (; 2 * m <= last; m *= 4)
        stagePairAvx2(re, im, begin, end, m);
    if (m <= last)
        stageAvx2(re, im, begin, end, m);
}

[[gnu::target("avx2")]] void transformAvx2(const float* x, float* re, float* im, const std::int32_t* rev,
                                           int n) {
    leafStagesAvx2(x, re, im, rev, n);
    const int block = std::min(n, kCacheBlock);
    for (int begin = 0; begin < n; begin += block)
        stagesAvx2(re, im, begin, begin + block, 16, block);
    if (2 * block <= n)
        stagesAvx2(re, im, 0, n, 2 * block, n);
}

// magnitudes() four bins at a time: the compiler cannot vectorise the library square root itself.
[[gnu::target("avx2")]] void magnitudesAvx2(const float* re, const float* im, float* out, int bins) {
    const int n = bins & ~7;
    const __m256d zero = _mm256_setzero_pd();
    const __m256d limit = _mm256_set1_pd(16384.0);
    for (int k = 0; k < n; k += 4) {
        const __m256d r = _mm256_cvtps_pd(_mm_loadu_ps(re + k));
        const __m256d i = _mm256_cvtps_pd(_mm_loadu_ps(im + k));
        const __m256d a = _mm256_mul_pd(r, r);
        const __m256d b = _mm256_mul_pd(i, i);
        _mm_storeu_ps(out + k, _mm256_cvtpd_ps(_mm256_sqrt_pd(_mm256_add_pd(a, b))));
        const __m256d nonZero =
            _mm256_and_pd(_mm256_cmp_pd(a, zero, _CMP_NEQ_OQ), _mm256_cmp_pd(b, zero, _CMP_NEQ_OQ));
        const __m256d apart = _mm256_or_pd(_mm256_cmp_pd(_mm256_mul_pd(a, limit), b, _CMP_LT_OQ),
                                           _mm256_cmp_pd(_mm256_mul_pd(b, limit), a, _CMP_LT_OQ));
        for (int mask = _mm256_movemask_pd(_mm256_and_pd(nonZero, apart)); mask != 0; mask &= mask - 1) {
            const int l = k + __builtin_ctz(static_cast<unsigned>(mask));
            out[l] = extendedMagnitude(re[l], im[l]);
        }
    }
    for (int k = n; k < bins; ++k)
        out[k] = magnitudeOf(re[k], im[k]);
}

// blockSum() eight samples at a time: the check for whole numbers is one rounding of eight lanes.
[[gnu::target("avx2")]] double blockSumAvx2(const float* x, int n) {
    const __m256 limit = _mm256_set1_ps(16777216.0f);
    const __m256 sign = _mm256_set1_ps(-0.0f);
    __m256 whole = _mm256_castsi256_ps(_mm256_set1_epi32(-1));
    __m256d low = _mm256_setzero_pd(), high = _mm256_setzero_pd();
    for (int i = 0; i < n; i += 8) {
        const __m256 v = _mm256_loadu_ps(x + i);
        const __m256 t = _mm256_round_ps(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        whole =
            _mm256_and_ps(whole, _mm256_and_ps(_mm256_cmp_ps(v, t, _CMP_EQ_OQ),
                                               _mm256_cmp_ps(_mm256_andnot_ps(sign, v), limit, _CMP_LE_OQ)));
        low = _mm256_add_pd(low, _mm256_cvtps_pd(_mm256_castps256_ps128(v)));
        high = _mm256_add_pd(high, _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)));
    }
    if (_mm256_movemask_ps(whole) != 0xFF) {
        double sum = 0.0;
        for (int i = 0; i < n; ++i)
            sum += x[i];
        return sum;
    }
    double lanes[8];
    _mm256_storeu_pd(lanes, low);
    _mm256_storeu_pd(lanes + 4, high);
    return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

[[gnu::target("avx2")]] void blockSpectrumAvx2(const float* x, float* block, float* re, float* im, float* out,
                                               const std::int32_t* rev, int n, int bins) {
    removeMean(x, block, n, blockSumAvx2(x, n) / n);
    transformAvx2(block, re, im, rev, n);
    magnitudesAvx2(re, im, out, bins);
}
#endif

} // namespace

void Fft::ComputeBlockSpectrum(std::span<const float> input, std::span<float> output) {
    Work& w = *work_;
    const int n = size_;
    const int bins = static_cast<int>(std::min<std::size_t>(output.size(), static_cast<std::size_t>(n)));
    // The input is read only by the mean removal, so output may alias it.
#if defined(VARNILOG_FFT_AVX2)
    if (vector_) {
        blockSpectrumAvx2(input.data(), w.block.data, w.re.data, w.im.data, output.data(), w.rev.data(), n,
                          bins);
        return;
    }
#endif
    blockSpectrumPortable(input.data(), w.block.data, w.re.data, w.im.data, output.data(), w.redo.data(),
                          w.rev.data(), n, bins);
}

} // namespace varnilog
