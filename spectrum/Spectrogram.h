// The spectrogram of one channel over a span: column j is the block spectrum (spectrum/Fft) of the N
// samples [from + jH, from + jH + N) for every such block inside the span, rows the bins 0 .. N/2. The
// columns are computed on two threads and handed over in order; a picture keeps only as many columns
// and rows as it has pixels (the largest magnitude of the blocks and bins in each), so a recording of
// any length fits. Levels are 20 log10(magnitude / the spectrogram's largest), floored at -range dB.
// Depends on QtCore (QIODevice) and the block transform.
#pragma once

#include "app/WorkProgress.h"

#include <QIODevice>

#include <cstdint>
#include <functional>
#include <vector>

namespace varnilog {

inline constexpr std::int32_t spectrogramDefaultBlock = 4096;
inline constexpr double spectrogramDefaultRange = 100.0; // dB below the largest magnitude

struct SpectrogramRequest {
    std::int64_t from = 0; // samples [from, to) of the channel's sample file
    std::int64_t to = 0;
    std::int32_t block = spectrogramDefaultBlock; // N, a block size of the transform
    std::int64_t hop = 0;                         // H, 1 .. N; 0 means N
    std::int64_t hopOrBlock() const { return hop > 0 ? hop : block; }
};

enum class SpectrogramError {
    None,
    BlockSize, // N is no power of two in 2^10 .. 2^17
    Hop,       // H outside 1 .. N
    ShortSpan, // the span holds no whole block
};
SpectrogramError checkSpectrogram(const SpectrogramRequest& request);

// Blocks (columns) inside the span; 0 when it is shorter than one block.
std::int64_t spectrogramColumns(const SpectrogramRequest& request);
inline std::int32_t spectrogramBins(std::int32_t block) {
    return block / 2 + 1;
}
// Frequency of bin k in Hz at a sampling period in ms.
double spectrogramBinHz(std::int32_t bin, std::int32_t block, double samplingPeriodMs);
// The level shown for a magnitude: 20 log10(magnitude / peak), floored at -range (also for a peak of 0).
double spectrogramDb(float magnitude, float peak, double range);

// Receives the columns in order: column index and its bins+1 magnitudes. False stops the computation.
using SpectrogramSink = std::function<bool(std::int64_t column, const float* magnitudes)>;

// Computes every column of the request from samples (one unsigned byte per sample, 125 = zero; a
// position the file does not hold reads as the zero level). progress(done, total) after each batch of
// columns on the caller's thread; false from it or from the sink stops it and returns false. The
// request must pass checkSpectrogram.
bool computeSpectrogram(QIODevice& samples, const SpectrogramRequest& request, const SpectrogramSink& sink,
                        const WorkProgress& progress = {}, int workers = 2);

// The spectrogram reduced to at most width x height cells: cell (x, y) holds the largest magnitude of
// the blocks of pixel column x and the bins of pixel row y (row 0 = bin 0, the lowest frequency).
struct SpectrogramPicture {
    int width = 0;  // min(columns, the width asked for)
    int height = 0; // min(bins, the height asked for)
    std::int64_t columns = 0;
    std::int32_t bins = 0;
    std::vector<float> cells; // width * height, cell (x, y) at y * width + x
    float peak = 0.0f;        // the largest magnitude of the whole spectrogram
    float at(int x, int y) const { return cells[static_cast<std::size_t>(y) * width + x]; }
    // The first block of pixel column x and the first bin of pixel row y (x = width, y = height: the end).
    std::int64_t firstColumnOf(int x) const { return x * columns / width; }
    std::int32_t firstBinOf(int y) const {
        return static_cast<std::int32_t>(std::int64_t(y) * bins / height);
    }
};

// A sink that builds the picture of a spectrogram of the given shape.
class SpectrogramReducer {
public:
    SpectrogramReducer(std::int64_t columns, std::int32_t bins, int width, int height);
    void add(std::int64_t column, const float* magnitudes);
    const SpectrogramPicture& picture() const { return picture_; }

private:
    SpectrogramPicture picture_;
    std::vector<int> rowOfBin_;
};

} // namespace varnilog
