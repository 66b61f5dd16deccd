// The block spectrum: bit for bit equal to the plain scalar transcription, and right against spectra
// worked out by hand (a sine of f cycles per block, an impulse, a constant).
#include "spectrum/Fft.h"
#include "spectrum/ScalarBlockSpectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

namespace varnilog {
namespace {

// bins: how many the caller asks for (0: all).
std::vector<float> spectrumOf(const std::vector<float>& x, Fft::Path path = Fft::Path::Fastest,
                              std::size_t bins = 0) {
    Fft fft(path, static_cast<std::int32_t>(x.size()));
    std::vector<float> out(bins > 0 ? bins : x.size());
    fft.ComputeBlockSpectrum(x, out);
    return out;
}

TEST(ComputeBlockSpectrum, EqualsScalarTranscriptionBitForBit) {
    struct Case {
        const char* name;
        unsigned seed;
        float low, high;
        bool bytes; // whole numbers b - 125 as from a sample file
    };
    const Case cases[] = {
        {"unit noise", 1, -1.0f, 1.0f, false},
        {"sample bytes", 2, 0.0f, 255.0f, true},
        {"large offset noise", 3, 1.0e5f, 1.0e5f + 3.0f, false},
        {"tiny values", 4, -1.0e-20f, 1.0e-20f, false},
    };
    for (std::int32_t size = fftMinSize; size <= fftMaxSize; size *= 2)
        for (const Case& c : cases) {
            std::mt19937 rng(c.seed + static_cast<unsigned>(size));
            std::uniform_real_distribution<float> dist(c.low, c.high);
            std::vector<float> x(size);
            for (float& v : x)
                v = c.bytes ? std::floor(dist(rng)) - 125.0f : dist(rng);
            // A sine on top gives the spectrum structure besides the noise floor.
            for (int n = 0; n < size; ++n)
                x[n] += (c.high - c.low) * 0.25f * static_cast<float>(std::sin(0.01 * n));
            const std::vector<float> slow = test::scalarBlockSpectrum(x);
            for (const Fft::Path path : {Fft::Path::Fastest, Fft::Path::Portable}) {
                const std::vector<float> fast = spectrumOf(x, path);
                // The bins of a real block alone, an odd count (the tail after whole vectors).
                const std::vector<float> half = spectrumOf(x, path, size / 2 + 1);
                int differing = 0;
                for (int k = 0; k < size; ++k)
                    if (std::memcmp(&fast[k], &slow[k], sizeof(float)) != 0 ||
                        (k <= size / 2 && std::memcmp(&half[k], &slow[k], sizeof(float)) != 0))
                        ++differing;
                EXPECT_EQ(differing, 0)
                    << c.name << ", N " << size << (path == Fft::Path::Portable ? ", portable path" : "");
            }
        }
}

TEST(ComputeBlockSpectrum, ReusingTheObjectKeepsNoState) {
    std::vector<float> loud(fftSize), quiet(fftSize, 0.0f);
    for (int n = 0; n < fftSize; ++n)
        loud[n] = static_cast<float>(100.0 * std::sin(2.0 * std::numbers::pi * 77 * n / fftSize));
    quiet[5] = 2.0f;
    Fft fft;
    std::vector<float> first(fftSize), second(fftSize);
    fft.ComputeBlockSpectrum(std::span<const float, fftSize>(loud.data(), fftSize),
                             std::span<float, fftSize>(first.data(), fftSize));
    fft.ComputeBlockSpectrum(std::span<const float, fftSize>(quiet.data(), fftSize),
                             std::span<float, fftSize>(second.data(), fftSize));
    EXPECT_EQ(second, spectrumOf(quiet));
}

// Signals whose DFT is known in closed form.
TEST(ComputeBlockSpectrum, MatchesSpectraWorkedOutByHand) {
    const double pi = std::numbers::pi;
    const double n = fftSize;
    struct Case {
        const char* name;
        std::function<double(int)> signal;
        std::vector<std::pair<int, double>> bins; // bin, expected |X|
        double tolerance;                         // absolute
    };
    const std::vector<Case> cases = {
        // A sin(2 pi f t) has |X[f]| = |X[N-f]| = A N / 2 and nothing elsewhere.
        {"sine of 1300 cycles, amplitude 100",
         [&](int i) { return 100.0 * std::sin(2 * pi * 1300 * i / n); },
         {{1300, 6553600.0}, {131072 - 1300, 6553600.0}, {1299, 0.0}, {1301, 0.0}, {0, 0.0}, {65536, 0.0}},
         20.0},
        {"cosine of 1 cycle on a DC level of 50 (the level is removed)",
         [&](int i) { return 50.0 + 8.0 * std::cos(2 * pi * i / n); },
         {{1, 524288.0}, {131071, 524288.0}, {0, 0.0}, {2, 0.0}},
         2.0},
        // H at n0, zero elsewhere: after the mean H/N is removed, |X[k]| = H for every k > 0, X[0] = 0.
        {"impulse of height 64 at sample 1000",
         [&](int i) { return i == 1000 ? 64.0 : 0.0; },
         {{1, 64.0}, {2, 64.0}, {4097, 64.0}, {65536, 64.0}, {131071, 64.0}, {0, 0.0}},
         1e-3},
        // Nyquist: (-1)^n A gives |X[N/2]| = A N.
        {"alternating +-3",
         [&](int i) { return (i % 2 ? -3.0 : 3.0); },
         {{65536, 393216.0}, {65535, 0.0}},
         1e-3},
        {"constant 7 gives nothing at all",
         [&](int) { return 7.0; },
         {{0, 0.0}, {1, 0.0}, {65536, 0.0}},
         0.0},
    };
    for (const Case& c : cases) {
        std::vector<float> x(fftSize);
        for (int i = 0; i < fftSize; ++i)
            x[i] = static_cast<float>(c.signal(i));
        const std::vector<float> out = spectrumOf(x);
        for (const auto& [bin, expected] : c.bins)
            EXPECT_NEAR(out[bin], expected, c.tolerance) << c.name << ", bin " << bin;
    }
}

// Against a double-precision DFT of single bins of a random signal: the single-precision transform
// stays within its rounding error.
TEST(ComputeBlockSpectrum, AgreesWithDoublePrecisionDft) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<float> x(fftSize);
    double mean = 0.0;
    for (float& v : x) {
        v = static_cast<float>(byte(rng) - 125);
        mean += v;
    }
    mean /= fftSize;
    const std::vector<float> out = spectrumOf(x);
    // Noise of variance ~5460 per sample: every |X[k]| is of the order sqrt(N * 5460) ~ 26750.
    for (const int k : {1, 2, 13, 777, 4096, 30001, 65535, 65536, 99999, 131071}) {
        double sr = 0.0, si = 0.0;
        for (int i = 0; i < fftSize; ++i) {
            const double a = -2.0 * std::numbers::pi *
                             static_cast<double>(static_cast<long long>(k) * i % fftSize) / fftSize;
            sr += (x[i] - mean) * std::cos(a);
            si += (x[i] - mean) * std::sin(a);
        }
        EXPECT_NEAR(out[k], std::hypot(sr, si), 2.0) << "bin " << k;
    }
}

} // namespace
} // namespace varnilog
