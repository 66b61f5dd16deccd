#include "spectrum/Spectrogram.h"

#include "spectrum/Fft.h"
#include "view/ScaleTables.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

namespace varnilog {

SpectrogramError checkSpectrogram(const SpectrogramRequest& request) {
    if (!isFftSize(request.block))
        return SpectrogramError::BlockSize;
    if (request.hop < 0 || request.hop > request.block)
        return SpectrogramError::Hop;
    return spectrogramColumns(request) > 0 ? SpectrogramError::None : SpectrogramError::ShortSpan;
}

std::int64_t spectrogramColumns(const SpectrogramRequest& request) {
    const std::int64_t length = request.to - request.from;
    if (request.block <= 0 || length < request.block)
        return 0;
    return (length - request.block) / request.hopOrBlock() + 1;
}

double spectrogramBinHz(std::int32_t bin, std::int32_t block, double samplingPeriodMs) {
    return bin * 1000.0 / (samplingPeriodMs * block);
}

double spectrogramDb(float magnitude, float peak, double range) {
    if (!(magnitude > 0.0f) || !(peak > 0.0f))
        return -range;
    return std::max(-range, 20.0 * std::log10(static_cast<double>(magnitude) / peak));
}

namespace {

// Columns per batch: about a million samples read at once, at least two so both threads get one.
std::int64_t batchColumns(std::int32_t block) {
    return std::max<std::int64_t>(2, (1 << 20) / block);
}

// One thread's transform and buffers, allocated before the first column.
struct ColumnWorker {
    explicit ColumnWorker(std::int32_t block)
        : fft(Fft::Path::Fastest, block), samples(block), spectrum(block) {}
    Fft fft;
    std::vector<float> samples;
    std::vector<float> spectrum;
    // Columns [first, end) of the batch whose bytes start at bytes (column c at (c - first0) * hop).
    void run(const std::uint8_t* bytes, std::int64_t hop, std::int64_t first, std::int64_t end,
             std::int32_t bins, float* out) {
        const std::int32_t n = fft.size();
        for (std::int64_t c = first; c < end; ++c) {
            const std::uint8_t* b = bytes + c * hop;
            for (std::int32_t i = 0; i < n; ++i)
                samples[i] = static_cast<float>(b[i]) - 125.0f;
            fft.ComputeBlockSpectrum(samples, spectrum);
            std::copy_n(spectrum.begin(), bins, out + c * bins);
        }
    }
};

// Reads [pos, pos + size) into bytes; what the file does not hold stays the zero level.
void readSpan(QIODevice& file, std::int64_t pos, std::int64_t size, std::vector<std::uint8_t>& bytes) {
    std::fill_n(bytes.begin(), size, kZeroLine);
    if (!file.seek(pos))
        return;
    std::int64_t got = 0;
    while (got < size) {
        const qint64 n = file.read(reinterpret_cast<char*>(bytes.data()) + got, size - got);
        if (n <= 0)
            break;
        got += n;
    }
}

} // namespace

bool computeSpectrogram(QIODevice& samples, const SpectrogramRequest& request, const SpectrogramSink& sink,
                        const WorkProgress& progress, int workers) {
    const std::int64_t total = spectrogramColumns(request);
    const std::int64_t hop = request.hopOrBlock();
    const std::int32_t bins = spectrogramBins(request.block);
    const std::int64_t batch = batchColumns(request.block);
    const int threads = std::clamp(workers, 1, 2);
    std::vector<std::unique_ptr<ColumnWorker>> pool;
    for (int t = 0; t < threads; ++t)
        pool.push_back(std::make_unique<ColumnWorker>(request.block));
    std::vector<std::uint8_t> bytes((batch - 1) * hop + request.block);
    std::vector<float> magnitudes(static_cast<std::size_t>(batch) * bins);
    if (progress && !progress(0, total))
        return false;
    for (std::int64_t first = 0; first < total; first += batch) {
        const std::int64_t count = std::min(batch, total - first);
        readSpan(samples, request.from + first * hop, (count - 1) * hop + request.block, bytes);
        // The second thread takes the second half of the batch; the columns' order stays the sink's.
        const std::int64_t split = threads > 1 ? count / 2 : count;
        std::thread helper;
        if (split < count)
            helper =
                std::thread([&] { pool[1]->run(bytes.data(), hop, split, count, bins, magnitudes.data()); });
        pool[0]->run(bytes.data(), hop, 0, split, bins, magnitudes.data());
        if (helper.joinable())
            helper.join();
        for (std::int64_t c = 0; c < count; ++c)
            if (!sink(first + c, magnitudes.data() + c * bins))
                return false;
        if (progress && !progress(first + count, total))
            return false;
    }
    return true;
}

SpectrogramReducer::SpectrogramReducer(std::int64_t columns, std::int32_t bins, int width, int height) {
    picture_.columns = columns;
    picture_.bins = bins;
    picture_.width = static_cast<int>(std::clamp<std::int64_t>(columns, 0, std::max(width, 1)));
    picture_.height = std::clamp(bins, 0, std::max(height, 1));
    picture_.cells.assign(static_cast<std::size_t>(picture_.width) * picture_.height, 0.0f);
    rowOfBin_.resize(bins);
    for (std::int32_t k = 0; k < bins; ++k)
        rowOfBin_[k] = static_cast<int>(((k + 1) * std::int64_t(picture_.height) - 1) / bins);
}

void SpectrogramReducer::add(std::int64_t column, const float* magnitudes) {
    // Pixel column x holds the blocks [x C / W, (x+1) C / W): the x whose range holds this block.
    const int x = static_cast<int>(((column + 1) * picture_.width - 1) / picture_.columns);
    float* cells = picture_.cells.data() + x;
    for (std::int32_t k = 0; k < picture_.bins; ++k) {
        float& cell = cells[static_cast<std::size_t>(rowOfBin_[k]) * picture_.width];
        cell = std::max(cell, magnitudes[k]);
        picture_.peak = std::max(picture_.peak, magnitudes[k]);
    }
}

} // namespace varnilog
