#include "spectrum/Fft.h"

// The build's -O2 vectorises only loops without run-time trip counts; the stages need the full cost model.
// errno is never read, so the square roots may use the vector instruction. Neither changes a result.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic", "no-math-errno")
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

// The AVX2 path exists only on x86; elsewhere every block takes the portable path.
#if defined(__x86_64__) || defined(__i386__)
#define VARNILOG_FFT_AVX2 1
#include <immintrin.h>
#endif

namespace varnilog {

namespace {

constexpr int kHalf = fftSize / 2;

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
constexpr int kTwiddleCount = twiddleOffset(fftSize) + kHalf;

int bitReverse(int j) {
    int r = 0;
    for (int i = 0; i < fftLog2; ++i)
        r |= ((j >> i) & 1) << (fftLog2 - 1 - i);
    return r;
}

} // namespace

struct FftTwiddles {
    std::array<float, kTwiddleCount> c{};
    std::array<float, kTwiddleCount> s{};
    std::array<std::int32_t, kHalf> rev{}; // bit-reversed index of every even j, halved
    FftTwiddles() {
        for (int m = 4; m <= fftSize; m *= 2) {
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
        for (int j = 0; j < kHalf; ++j)
            rev[j] = bitReverse(2 * j);
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

struct Fft::Work {
    alignas(64) std::array<float, fftSize> block{};
    alignas(64) std::array<float, fftSize> re{};
    alignas(64) std::array<float, fftSize> im{};
    alignas(64) std::array<std::uint8_t, fftSize> redo{}; // bins whose magnitude needs extended precision
};

Fft::Fft(Path path) : work_(std::make_unique<Work>()), vector_(path == Path::Fastest && avx2Available()) {
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
// bit-reversed order holds input[r] and input[r + fftSize/2] with r = rev(2j). The imaginary parts are
// zero and stay zero through this stage.
[[gnu::always_inline]] inline void firstStage(const float* __restrict x, float* __restrict re,
                                              float* __restrict im, const std::int32_t* __restrict rev,
                                              int begin, int end) {
    for (int j = begin; j < end; j += 2) {
        const float a = x[rev[j / 2]];
        const float b = x[rev[j / 2] + kHalf];
        re[j] = a + b;
        re[j + 1] = a - b;
        im[j] = 0.0f;
        im[j + 1] = 0.0f;
    }
}

[[gnu::always_inline]] inline void transform(const float* __restrict x, float* __restrict re,
                                             float* __restrict im) {
    const FftTwiddles& t = fftTwiddles();
    for (int begin = 0; begin < fftSize; begin += kCacheBlock) {
        firstStage(x, re, im, t.rev.data(), begin, begin + kCacheBlock);
        for (int m = 4; m <= kCacheBlock; m *= 2)
            stage(re, im, begin, begin + kCacheBlock, m, t.c.data() + twiddleOffset(m),
                  t.s.data() + twiddleOffset(m));
    }
    for (int m = 2 * kCacheBlock; m <= fftSize; m *= 2)
        stage(re, im, 0, fftSize, m, t.c.data() + twiddleOffset(m), t.s.data() + twiddleOffset(m));
}

// The in-order double-precision sum of the block. When every sample is a whole number of at most 2^24
// (always so for sample bytes) every partial sum is exact, so the order does not matter and eight
// running sums give the same result faster.
[[gnu::always_inline]] inline double blockSum(const float* __restrict x) {
    int inexact = 0;
    for (int i = 0; i < fftSize; ++i)
        inexact |= !(x[i] == std::trunc(x[i]) && std::fabs(x[i]) <= 16777216.0f);
    if (inexact) {
        double sum = 0.0;
        for (int i = 0; i < fftSize; ++i)
            sum += x[i];
        return sum;
    }
    double lanes[8] = {};
    for (int i = 0; i < fftSize; i += 8)
        for (int l = 0; l < 8; ++l)
            lanes[l] += x[i + l];
    return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

[[gnu::always_inline]] inline void removeMean(const float* __restrict x, float* __restrict block,
                                              double mean) {
    for (int i = 0; i < fftSize; ++i)
        block[i] = static_cast<float>(x[i] - mean);
}

float extendedMagnitude(float re, float im) {
    const long double r = re;
    const long double i = im;
    return static_cast<float>(std::sqrt(static_cast<double>(r * r + i * i)));
}

// |X[k]| from a sum of squares formed in extended precision, rooted in double. The squares of floats
// are exact in double; their sum rounded once to double equals the extended sum rounded to double
// whenever the exact sum fits the 64 bits of extended precision, which holds when the smaller square is
// zero or at least 2^-14 of the larger. The rare other bins are redone in extended precision.
[[gnu::always_inline]] inline void magnitudes(const float* __restrict re, const float* __restrict im,
                                              float* __restrict out, std::uint8_t* __restrict redo) {
    for (int k = 0; k < fftSize; ++k) {
        const double a = static_cast<double>(re[k]) * re[k];
        const double b = static_cast<double>(im[k]) * im[k];
        // The smaller square is below 2^-14 of the larger one (both non-zero).
        redo[k] =
            static_cast<std::uint8_t>((a != 0.0) & (b != 0.0) & ((a * 16384.0 < b) | (b * 16384.0 < a)));
        out[k] = static_cast<float>(std::sqrt(a + b));
    }
    for (int k = 0; k < fftSize; k += 8) {
        std::uint64_t word; // eight flags of 0 or 1
        std::memcpy(&word, redo + k, sizeof word);
        for (; word != 0; word &= word - 1) {
            const int l = k + __builtin_ctzll(word) / 8;
            out[l] = extendedMagnitude(re[l], im[l]);
        }
    }
}

void blockSpectrumDefault(const float* x, float* block, float* re, float* im, float* out,
                          std::uint8_t* redo) {
    removeMean(x, block, blockSum(x) / fftSize);
    transform(block, re, im);
    magnitudes(re, im, out, redo);
}

#if defined(VARNILOG_FFT_AVX2)
// magnitudes() four bins at a time: the compiler cannot vectorise the library square root itself.
[[gnu::target("avx2")]] void magnitudesAvx2(const float* re, const float* im, float* out) {
    const __m256d zero = _mm256_setzero_pd();
    const __m256d limit = _mm256_set1_pd(16384.0);
    for (int k = 0; k < fftSize; k += 4) {
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
}

[[gnu::target("avx2")]] void blockSpectrumAvx2(const float* x, float* block, float* re, float* im,
                                               float* out) {
    removeMean(x, block, blockSum(x) / fftSize);
    transform(block, re, im);
    magnitudesAvx2(re, im, out);
}
#endif

} // namespace

void Fft::ComputeBlockSpectrum(std::span<const float, fftSize> input, std::span<float, fftSize> output) {
    Work& w = *work_;
    // The input is read only by the mean removal, so output may alias it.
#if defined(VARNILOG_FFT_AVX2)
    if (vector_) {
        blockSpectrumAvx2(input.data(), w.block.data(), w.re.data(), w.im.data(), output.data());
        return;
    }
#endif
    blockSpectrumDefault(input.data(), w.block.data(), w.re.data(), w.im.data(), output.data(),
                         w.redo.data());
}

} // namespace varnilog
