#include "spectrum/RecordingSpectra.h"

#include "view/ScaleTables.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <mutex>
#include <thread>
#include <vector>

namespace varnilog {

namespace {} // namespace

struct RecordingSpectra::Workspace {
    Fft fft;
    std::array<std::uint8_t, fftSize> bytes{};
    std::array<float, fftSize> samples{};
    std::array<float, fftSize> blockSpectrum{};
    // Extended precision: the average of thousands of blocks must not lose the small bins.
    std::array<long double, fftSize> spectrumSum{};
};

RecordingSpectra::RecordingSpectra(int workers)
    : results_(std::make_unique<std::array<std::array<float, fftSize>, kChannels>>()),
      workers_(std::clamp(workers, 1, kChannels)) {
    for (int w = 0; w < workers_; ++w)
        workspaces_[w] = std::make_unique<Workspace>();
}

RecordingSpectra::~RecordingSpectra() = default;

std::int64_t RecordingSpectra::blockCount(std::int64_t fileSize) {
    return std::max<std::int64_t>(1, fileSize / fftSize);
}

RecordingSpectra::Channel RecordingSpectra::channelSpan(QIODevice* file, Span span) {
    Channel ch;
    ch.file = file != nullptr && file->isOpen() && file->isReadable() ? file : nullptr;
    const std::int64_t size = ch.file != nullptr && !ch.file->isSequential() ? ch.file->size() : 0;
    ch.first = std::max<std::int64_t>(0, span.first);
    const std::int64_t held = std::max<std::int64_t>(0, size - ch.first);
    const std::int64_t length = span.length < 0 ? held : std::min(span.length, held);
    ch.end = ch.first + length;
    ch.blocks = blockCount(length);
    return ch;
}

void RecordingSpectra::readBlock(Workspace& ws, const Channel& channel, std::int64_t j) {
    ws.bytes.fill(kZeroLine); // a short or failed read leaves the zero level
    const std::int64_t pos = channel.first + j * fftSize;
    const qint64 wanted = std::min<std::int64_t>(fftSize, channel.end - pos);
    if (channel.file != nullptr && wanted > 0 && channel.file->seek(pos)) {
        qint64 got = 0;
        while (got < wanted) {
            const qint64 n = channel.file->read(reinterpret_cast<char*>(ws.bytes.data()) + got, wanted - got);
            if (n <= 0)
                break;
            got += n;
        }
    }
}

void RecordingSpectra::blockSpectrum(Workspace& ws) {
    for (int i = 0; i < fftSize; ++i)
        ws.samples[i] = static_cast<float>(ws.bytes[i]) - 125.0f;
    ws.fft.ComputeBlockSpectrum(ws.samples, ws.blockSpectrum);
}

bool RecordingSpectra::computeChannel(Workspace& ws, const Channel& channel, std::array<float, fftSize>& out,
                                      const std::function<bool()>& blockDone) {
    // The accumulator starts at 125, not 0: every averaged bin is then at least 125 / blocks, so the
    // peaks the window divides by are never zero.
    ws.spectrumSum.fill(125.0L);
    for (std::int64_t j = 0; j < channel.blocks; ++j) {
        readBlock(ws, channel, j);
        blockSpectrum(ws);
        for (int k = 0; k < fftSize; ++k)
            ws.spectrumSum[k] += ws.blockSpectrum[k];
        if (!blockDone())
            return false;
    }
    for (int k = 0; k < fftSize; ++k)
        out[k] = static_cast<float>(ws.spectrumSum[k] / channel.blocks);
    return true;
}

bool RecordingSpectra::ComputeRecordingSpectra(const std::array<QIODevice*, kChannels>& files,
                                               int channelCount, SpectrumData& out, const Progress& progress,
                                               Span span) {
    const int count = std::clamp(channelCount, 0, kChannels);
    std::array<Channel, kChannels> channels{};
    std::int64_t total = 0;
    for (int c = 0; c < count; ++c) {
        channels[c] = channelSpan(files[c], span);
        total += channels[c].blocks;
    }
    auto& results = *results_;
    std::int64_t done = 0; // the caller's thread only
    std::atomic<bool> stop{false};
    auto report = [&] {
        if (progress && !progress(std::min(done, total), total))
            stop.store(true);
    };
    report();

    if (workers_ == 1) {
        const std::function<bool()> onBlock = [&] {
            ++done;
            report();
            return !stop.load();
        };
        for (int c = 0; c < count && !stop.load(); ++c)
            if (!computeChannel(*workspaces_[0], channels[c], results[c], onBlock))
                break;
    } else {
        // Every worker takes one block of a round, then sums its share of the bins over the round's blocks
        // in their order: each bin adds the same numbers in the same order as a straight run.
        const int workers = workers_;
        std::barrier sync(workers);
        std::mutex reading; // the channel's one file
        auto run = [&](int w) {
            Workspace& own = *workspaces_[w];
            std::array<long double, fftSize>& sum = workspaces_[0]->spectrumSum;
            const int lo = fftSize / workers * w;
            const int hi = w + 1 == workers ? fftSize : fftSize / workers * (w + 1);
            for (int c = 0; c < count; ++c) {
                const Channel& channel = channels[c];
                std::fill(sum.begin() + lo, sum.begin() + hi, 125.0L);
                for (std::int64_t first = 0; first < channel.blocks; first += workers) {
                    const std::int64_t end = std::min<std::int64_t>(channel.blocks, first + workers);
                    if (first + w < end) {
                        {
                            std::lock_guard lock(reading);
                            readBlock(own, channel, first + w);
                        }
                        blockSpectrum(own);
                    }
                    sync.arrive_and_wait();
                    for (std::int64_t j = first; j < end; ++j) {
                        const std::array<float, fftSize>& block = workspaces_[j - first]->blockSpectrum;
                        for (int k = lo; k < hi; ++k)
                            sum[k] += block[k];
                    }
                    if (w == 0) {
                        done += end - first;
                        report();
                    }
                    sync.arrive_and_wait(); // the stop flag is the same for all from here
                    if (stop.load())
                        return;
                }
                for (int k = lo; k < hi; ++k)
                    results[c][k] = static_cast<float>(sum[k] / channel.blocks);
            }
        };
        std::vector<std::thread> threads;
        threads.reserve(workers - 1);
        for (int w = 1; w < workers; ++w)
            threads.emplace_back(run, w);
        run(0);
        for (std::thread& t : threads)
            t.join();
    }
    if (stop.load())
        return false;

    for (int c = 0; c < count; ++c)
        out.channelSpectrum[c] = results[c];
    for (int c = 0; c < count; ++c)
        for (int d = 0; d < spectrumDisplayPoints; ++d) {
            float largest = 0.0f;
            for (int l = 0; l < binsPerDisplayPoint; ++l)
                largest = std::max(largest, out.channelSpectrum[c][binsPerDisplayPoint * d + l]);
            out.spectrumDisplay[c][d] = largest;
        }
    out.spectrumPeakAll = 0.0f;
    out.spectrumPeak.fill(0.0f);
    for (int c = 0; c < count; ++c)
        for (const float bin : out.channelSpectrum[c]) {
            out.spectrumPeakAll = std::max(out.spectrumPeakAll, bin);
            out.spectrumPeak[c] = std::max(out.spectrumPeak[c], bin);
        }
    return true;
}

} // namespace varnilog
