// Magnitude spectrum of one block of N = 2^m samples (m = 10 .. 17; the whole-recording spectrum uses
// 131072): mean removal, radix-2 decimation-in-time FFT on single-precision arrays, magnitudes. The
// arithmetic of every butterfly is fixed (single-precision twiddles of a single-precision angle,
// products and sums stored as single precision), so results are reproducible bit for bit across
// machines and across the portable and vectorised paths, and a block of 131072 gives the same bits at
// every size setting. Depends on the C++ standard library only.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace varnilog {

inline constexpr std::int32_t fftSize = 131072; // samples per block of the whole-recording spectrum, 2^17
inline constexpr int fftLog2 = 17;
inline constexpr std::int32_t fftMinSize = 1024; // the block sizes a transform can have: 2^10 .. 2^17
inline constexpr std::int32_t fftMaxSize = fftSize;

// True for 2^10, 2^11, ... 2^17.
constexpr bool isFftSize(std::int64_t n) {
    return n >= fftMinSize && n <= fftMaxSize && (n & (n - 1)) == 0;
}

// Cosine and sine of every butterfly of the stages of span 4 .. fftMaxSize, computed once. A stage's
// twiddles do not depend on the block size.
struct FftTwiddles;
const FftTwiddles& fftTwiddles();
// The twiddle of butterfly j in the stage of span m (4 <= m <= fftMaxSize, 0 <= j < m/2).
float fftTwiddleCos(int m, int j);
float fftTwiddleSin(int m, int j);

class Fft {
public:
    // Which code runs the transform: the vector path where the processor has AVX2, or the portable
    // path always. Both give the same bits.
    enum class Path { Fastest, Portable };
    // size: one of the block sizes isFftSize accepts (others are taken as fftSize).
    explicit Fft(Path path = Path::Fastest, std::int32_t size = fftSize);
    ~Fft();
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;

    std::int32_t size() const { return size_; }

    // output[k] = |X[k]| of the mean-removed input, not normalised, for the first output.size() bins
    // (at most size(); a real block needs only 0 .. size()/2). input holds size() values and may be
    // the same array as output.
    void ComputeBlockSpectrum(std::span<const float> input, std::span<float> output);

private:
    struct Work;
    std::unique_ptr<Work> work_;
    std::int32_t size_;
    bool vector_;
};

} // namespace varnilog
